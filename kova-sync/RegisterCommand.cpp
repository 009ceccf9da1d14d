#include "kova-sync/RegisterCommand.h"

#include "Platform/Utf.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/PluginHost.h"
#include "kova-sync/SettingsStore.h"

#include <iostream>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

constexpr const char* kPluginFile = "KOVAMeridioSync64.so";

fs::path InstalledPlugin() {
    return fs::canonical("/proc/self/exe").parent_path() / kPluginFile;
}

} // namespace

int Register(const RegisterArguments& arguments, bool install) {
    const fs::path plugin = arguments.plugin.empty() ? InstalledPlugin() : fs::absolute(arguments.plugin);
    PluginLibrary library(plugin);
    const HRESULT hr = library.Install(install, arguments.perUser ? L"user" : L"");
    if (FAILED(hr)) {
        throw HostCallError{install ? "DllInstall(register)" : "DllInstall(unregister)", hr, plugin.string()};
    }
    if (install) {
        // The resource libraries are looked for by appending to InstallDir: it ends with a separator.
        WriteStringSetting(arguments.perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"InstallDir",
                           Platform::Utf8ToWide((plugin.parent_path() / "").string()));
    }
    std::cout << (install ? "Registered " : "Unregistered ") << plugin.string()
              << (arguments.perUser ? " for this user\n" : "\n");
    return kExitSynced;
}

} // namespace KovaSync
