#include "kova-sync/SettingsStore.h"

#include "Platform/Utf.h"
#include "Platform/WinError.h"
#include "kova-sync/PluginHost.h"

#include <vector>

namespace KovaSync {
namespace {

std::wstring MachineString(const wchar_t* name, const wchar_t* fallback) {
    wchar_t value[260] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KOVA", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return fallback;
    }
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring(fallback);
}

std::wstring ProductPath(bool policy) {
    std::wstring company = MachineString(L"Company", L"");
    std::wstring product = MachineString(L"ProductName", L"");
    if (company.empty() || product.empty()) {
        company = L"Vantrel";
        product = L"Vantrel Sorvanta";
    }
    return std::wstring(policy ? L"SOFTWARE\\Policies\\" : L"SOFTWARE\\") + company + L"\\" + product;
}

void Check(LSTATUS status, const std::string& call) {
    if (status != ERROR_SUCCESS) {
        throw HostCallError{call, HRESULT_FROM_WIN32(static_cast<DWORD>(status))};
    }
}

} // namespace

void WriteSetting(HKEY root, const std::wstring& name, const std::wstring& value, bool asDword) {
    HKEY key = nullptr;
    Check(RegCreateKeyExW(root, ProductPath(false).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, &key, nullptr),
          "RegCreateKeyExW");
    LSTATUS status;
    if (asDword) {
        const DWORD number = static_cast<DWORD>(std::stoul(value, nullptr, 0));
        status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    } else {
        status = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    Check(status, "RegSetValueExW");
}

std::optional<SettingValue> ReadSetting(const std::wstring& name) {
    struct Source {
        HKEY root;
        bool policy;
        const wchar_t* label;
    };
    const std::vector<Source> sources = {{HKEY_CURRENT_USER, true, L"user policy"},
                                         {HKEY_LOCAL_MACHINE, true, L"machine policy"},
                                         {HKEY_CURRENT_USER, false, L"user settings"},
                                         {HKEY_LOCAL_MACHINE, false, L"machine settings"}};
    for (const Source& source : sources) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(source.root, ProductPath(source.policy).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            continue;
        }
        BYTE data[8192] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data, &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) {
            continue;
        }
        if (type == REG_DWORD) {
            return SettingValue{type, std::to_wstring(*reinterpret_cast<const DWORD*>(data)), source.label};
        }
        return SettingValue{type, reinterpret_cast<const wchar_t*>(data), source.label};
    }
    return std::nullopt;
}

} // namespace KovaSync
