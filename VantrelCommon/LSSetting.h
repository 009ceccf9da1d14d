// The process-wide settings: named registry values looked up in the order user policy, machine
// policy, user settings, machine settings, with a default the caller gives.
#pragma once

#include "Platform/WinReg.h"
#include "VantrelCommon/StdString.h"

#include <mutex>
#include <vector>

// Where a read found its value; the numbers appear in log lines.
enum SettingSource {
    SettingSourceUserPolicy = 0,
    SettingSourceMachinePolicy = 1,
    SettingSourceUserSettings = 2,
    SettingSourceMachineSettings = 3,
    SettingSourceDefault = 4,
};

struct DwordSetting {
    DWORD value;
    SettingSource source;
};

struct StringSetting {
    CStdStr<wchar_t> value;
    SettingSource source;
};

// The string values "Company" and "ProductName" of HKEY_LOCAL_MACHINE\SOFTWARE\KOVA (REG_SZ, up to
// 259 characters); unless both read, "Vantrel" and "Vantrel Sorvanta".
void GetCompanyAndProductNames(CStdStr<wchar_t>& company, CStdStr<wchar_t>& product);

class LSSetting {
public:
    // The one instance, made on first use and never destroyed.
    static LSSetting* GetInstance();

    // Opens the four keys. The process uses GetInstance; tests make their own over a store of their own.
    LSSetting();
    ~LSSetting();
    LSSetting(const LSSetting&) = delete;
    LSSetting& operator=(const LSSetting&) = delete;

    DwordSetting GetUserDwordConfigDetails(const CStdStr<wchar_t>& name, DWORD defaultValue);
    StringSetting GetUserStringConfigDetails(const CStdStr<wchar_t>& name,
                                             const CStdStr<wchar_t>& defaultValue);
    CStdStr<wchar_t> GetUserString(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& defaultValue);

    // Stores value as REG_SZ in the user settings unless the effective value already equals it
    // exactly; true when stored or already equal. A failed write is logged and gives false.
    bool SaveUserString(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& value,
                        const CStdStr<wchar_t>& defaultValue);

    // The full path of a module (null: the process's executable).
    static CStdStr<wchar_t> GetModuleFileNameSafe(HINSTANCE module);

private:
    struct Source {
        HKEY root;
        HKEY handle;
        SettingSource source;
        CStdStr<wchar_t> path;
        HKEY* owner;   // the member that owns the handle, so that a re-opened key replaces it
        REGSAM access; // as the key was first opened: a re-opened user key stays writable
    };

    // Reads `name` from each source in turn with `query` (which gives ERROR_SUCCESS for a usable value),
    // re-opening a key that was deleted under the process; the source of the hit, or the default's.
    template <typename Query>
    SettingSource Lookup(const CStdStr<wchar_t>& name, const char* caller, Query&& query);
    // The owning member and the lookup entries take the new handle; the old one is closed.
    void ReplaceHandle(HKEY* owner, HKEY handle);
    // Sets the value in the user key; a key deleted under the process is made again once.
    LONG WriteUserString(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& value);

    HKEY machineSettings_ = nullptr;
    HKEY machinePolicy_ = nullptr;
    HKEY userSettings_ = nullptr;
    HKEY userPolicy_ = nullptr;
    std::vector<Source> lookupOrder_;
    std::mutex lock_; // serialises every read and the write
};
