#include "kova-sync/SettingsStore.h"

#include "Platform/Utf.h"
#include "Platform/WinError.h"
#include "kova-sync/PluginHost.h"

#include <cwctype>
#include <map>
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

struct Source {
    HKEY root;
    bool policy;
    const wchar_t* label;
};

// In the order they take effect.
const std::vector<Source>& Sources() {
    static const std::vector<Source> sources = {{HKEY_CURRENT_USER, true, L"user policy"},
                                                {HKEY_LOCAL_MACHINE, true, L"machine policy"},
                                                {HKEY_CURRENT_USER, false, L"user settings"},
                                                {HKEY_LOCAL_MACHINE, false, L"machine settings"}};
    return sources;
}

void WriteValue(HKEY root, const std::wstring& name, DWORD type, const BYTE* data, DWORD size) {
    HKEY key = nullptr;
    Check(RegCreateKeyExW(root, ProductPath(false).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, &key, nullptr),
          "RegCreateKeyExW");
    const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, type, data, size);
    RegCloseKey(key);
    Check(status, "RegSetValueExW");
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return text;
}

} // namespace

void WriteStringSetting(HKEY root, const std::wstring& name, const std::wstring& value) {
    WriteValue(root, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void WriteDwordSetting(HKEY root, const std::wstring& name, DWORD value) {
    WriteValue(root, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool RemoveUserSetting(const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ProductPath(false).c_str(), 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status = RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return false;
    }
    Check(status, "RegDeleteValueW");
    return true;
}

std::optional<SettingValue> ReadSetting(const std::wstring& name) {
    for (const Source& source : Sources()) {
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

std::vector<NamedSetting> ReadAllSettings() {
    std::map<std::wstring, std::wstring> names; // by lower-case name, as first written
    for (const Source& source : Sources()) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(source.root, ProductPath(source.policy).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            continue;
        }
        wchar_t name[16384];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof name / sizeof name[0];
            if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace(Lower(name), name);
        }
        RegCloseKey(key);
    }
    std::vector<NamedSetting> settings;
    for (const auto& [lower, name] : names) {
        if (std::optional<SettingValue> value = ReadSetting(name)) {
            settings.push_back({name, *value});
        }
    }
    return settings;
}

} // namespace KovaSync
