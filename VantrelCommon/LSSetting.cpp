#include "VantrelCommon/LSSetting.h"

#include "Platform/WinError.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/RegistryString.h"

namespace {

constexpr DWORD kNameBufferChars = 260;

// A REG_SZ value of at most 259 characters.
bool ReadShortString(HKEY key, const wchar_t* name, CStdStr<wchar_t>& value) {
    wchar_t buffer[kNameBufferChars] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    value = CStdStr<wchar_t>(std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t))).c_str());
    return true;
}

CStdStr<wchar_t> KeyPath(const wchar_t* prefix) {
    CStdStr<wchar_t> company, product;
    GetCompanyAndProductNames(company, product);
    return CStdStr<wchar_t>(prefix) + company + L"\\" + product;
}

const CStdStr<wchar_t>& SettingsPath() {
    static const CStdStr<wchar_t> path = KeyPath(L"SOFTWARE\\");
    return path;
}

const CStdStr<wchar_t>& PolicyPath() {
    static const CStdStr<wchar_t> path = KeyPath(L"SOFTWARE\\Policies\\");
    return path;
}

HKEY OpenForReading(HKEY root, const CStdStr<wchar_t>& path) {
    HKEY key = nullptr;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

} // namespace

void GetCompanyAndProductNames(CStdStr<wchar_t>& company, CStdStr<wchar_t>& product) {
    company = L"Vantrel";
    product = L"Vantrel Sorvanta";
    HKEY key = OpenForReading(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KOVA");
    if (key == nullptr) {
        return;
    }
    CStdStr<wchar_t> readCompany, readProduct;
    if (ReadShortString(key, L"Company", readCompany) && ReadShortString(key, L"ProductName", readProduct)) {
        company = readCompany;
        product = readProduct;
    }
    RegCloseKey(key);
}

LSSetting* LSSetting::GetInstance() {
    static LSSetting* const instance = new LSSetting();
    return instance;
}

LSSetting::LSSetting() {
    machineSettings_ = OpenForReading(HKEY_LOCAL_MACHINE, SettingsPath());
    if (machineSettings_ == nullptr) {
        LSDIAG_ERROR << "Failed to get machine settings keys";
    }
    machinePolicy_ = OpenForReading(HKEY_LOCAL_MACHINE, PolicyPath());
    if (machinePolicy_ == nullptr) {
        LSDIAG_DIAG << "Failed to get machine policy settings keys";
    }
    userPolicy_ = OpenForReading(HKEY_CURRENT_USER, PolicyPath());
    if (userPolicy_ == nullptr) {
        LSDIAG_DIAG << "Failed to get user policy settings keys";
    }
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &userSettings_, nullptr) != ERROR_SUCCESS) {
        userSettings_ = nullptr;
        LSDIAG_ERROR << "Failed to get user settings keys";
    }
    lookupOrder_.reserve(4);
    const Source sources[] = {
        {HKEY_CURRENT_USER, userPolicy_, SettingSourceUserPolicy, PolicyPath(), &userPolicy_, KEY_READ},
        {HKEY_LOCAL_MACHINE, machinePolicy_, SettingSourceMachinePolicy, PolicyPath(), &machinePolicy_,
         KEY_READ},
        {HKEY_CURRENT_USER, userSettings_, SettingSourceUserSettings, SettingsPath(), &userSettings_,
         KEY_READ | KEY_WRITE},
        {HKEY_LOCAL_MACHINE, machineSettings_, SettingSourceMachineSettings, SettingsPath(),
         &machineSettings_, KEY_READ},
    };
    for (const auto& source : sources) {
        if (source.handle != nullptr) {
            lookupOrder_.push_back(source);
        }
    }
}

LSSetting::~LSSetting() {
    for (const HKEY key : {machineSettings_, machinePolicy_, userSettings_, userPolicy_}) {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
}

template <typename Query>
SettingSource LSSetting::Lookup(const CStdStr<wchar_t>& name, const char* caller, Query&& query) {
    for (auto& entry : lookupOrder_) {
        LONG result = query(entry.handle);
        if (result == ERROR_KEY_DELETED || result == ERROR_INVALID_HANDLE) {
            LSDIAG_DIAG << caller << " Key Deleted source: " << entry.source;
            HKEY reopened = nullptr;
            result = RegOpenKeyExW(entry.root, entry.path.c_str(), 0, entry.access, &reopened);
            if (result != ERROR_SUCCESS) {
                LSDIAG_ERROR << "Failed to reopen key " << std::hex << result;
            } else {
                ReplaceHandle(entry.owner, reopened);
                result = query(entry.handle);
            }
        }
        if (result == ERROR_SUCCESS) {
            return entry.source;
        }
        if (result != ERROR_FILE_NOT_FOUND) {
            LSDIAG_ERROR << "Error retrieving key: " << name << " from: " << entry.source
                         << " error: " << std::hex << result;
        }
    }
    return SettingSourceDefault;
}

void LSSetting::ReplaceHandle(HKEY* owner, HKEY handle) {
    RegCloseKey(*owner);
    *owner = handle;
    for (Source& entry : lookupOrder_) {
        if (entry.owner == owner) {
            entry.handle = handle;
        }
    }
}

LONG LSSetting::WriteUserString(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& value) {
    const auto write = [&] {
        return RegSetValueExW(userSettings_, name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    };
    LONG result = write();
    if (result == ERROR_KEY_DELETED || result == ERROR_INVALID_HANDLE) {
        HKEY created = nullptr;
        result = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &created, nullptr);
        if (result == ERROR_SUCCESS) {
            ReplaceHandle(&userSettings_, created);
            result = write();
        }
    }
    return result;
}

DwordSetting LSSetting::GetUserDwordConfigDetails(const CStdStr<wchar_t>& name, DWORD defaultValue) {
    std::lock_guard guard(lock_);
    DwordSetting setting{defaultValue, SettingSourceDefault};
    setting.source = Lookup(name, "GetUserDwordConfigDetails", [&](HKEY key) {
        DWORD value = 0, type = 0, size = sizeof value;
        const LONG result =
            RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        if (result == ERROR_SUCCESS && type != REG_DWORD) {
            LSDIAG_ERROR << "Failed to read dword registry key invalid type " << type;
            return ERROR_UNSUPPORTED_TYPE;
        }
        if (result == ERROR_SUCCESS) {
            setting.value = value;
        }
        return result;
    });
    return setting;
}

StringSetting LSSetting::GetUserStringConfigDetails(const CStdStr<wchar_t>& name,
                                                    const CStdStr<wchar_t>& defaultValue) {
    std::lock_guard guard(lock_);
    StringSetting setting{defaultValue, SettingSourceDefault};
    setting.source = Lookup(name, "GetUserStringConfigDetails",
                            [&](HKEY key) { return ReadRegistryString(key, name, setting.value); });
    return setting;
}

CStdStr<wchar_t> LSSetting::GetUserString(const CStdStr<wchar_t>& name,
                                          const CStdStr<wchar_t>& defaultValue) {
    return GetUserStringConfigDetails(name, defaultValue).value;
}

bool LSSetting::SaveUserString(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& value,
                               const CStdStr<wchar_t>& defaultValue) {
    {
        std::lock_guard guard(lock_);
        if (userSettings_ == nullptr) {
            LSDIAG_ERROR << "Invalid key - Failed to save user string " << name;
            return false;
        }
    }
    if (static_cast<const std::wstring&>(GetUserStringConfigDetails(name, defaultValue).value) == value) {
        return true;
    }
    std::lock_guard guard(lock_);
    const LONG result = WriteUserString(name, value);
    if (result != ERROR_SUCCESS) {
        LSDIAG_ERROR << "Failed to save user string " << name << " error: " << std::hex << result;
        return false;
    }
    return true;
}
