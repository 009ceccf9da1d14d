// Loads the plug-in as a COM host does: from its file for registration, or by ProgID through the
// class registration in the registry, and makes objects through its class factory.
#pragma once

#include "Platform/Unknwn.h"
#include "kova-sync/FilterRecords.h"

#include <filesystem>
#include <string>
#include <vector>

namespace KovaSync {

// A failed host-side step: the call that failed, its HRESULT, and, when known, the item it was
// about and the text the filter gave (an out error text or the sync-issue message on the item).
// Made where the failure is seen, it takes the causes the filter's error records tell since the
// last call that succeeded.
struct HostCallError {
    std::string call;
    HRESULT hr;
    std::string item = {};
    std::string filterText = {};
    std::vector<std::string> causes = CausesOf(TakeFilterErrors());
};

class PluginLibrary {
public:
    explicit PluginLibrary(const std::filesystem::path& file);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Runs an exported HRESULT-returning entry point without arguments.
    HRESULT Call(const char* entryPoint) const;
    HRESULT Install(bool install, const wchar_t* commandLine) const;
    // A new object of the class through its class factory, as the requested interface.
    void* CreateObject(REFCLSID clsid, REFIID iid) const;

private:
    void* Symbol(const char* name) const;

    void* handle_;
};

// The library file registered for the ProgID (ProgID -> CLSID -> InprocServer32).
std::filesystem::path FindRegisteredServer(const std::wstring& progId, CLSID& clsid);

} // namespace KovaSync
