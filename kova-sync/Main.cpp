// kova-sync: the test host's sync driver. Registers the plug-in, edits its settings, and runs a sync
// pass of a repository into a local mirror.
#include "kova-sync/ExitCodes.h"
#include "kova-sync/Messages.h"
#include "kova-sync/PluginHost.h"
#include "kova-sync/SettingsStore.h"
#include "kova-sync/SyncCommand.h"

#include "Platform/Utf.h"

#include <iostream>
#include <vector>

namespace fs = std::filesystem;
using namespace KovaSync;

namespace {

constexpr const char* kPluginFile = "KOVAMeridioSync64.so";

fs::path InstalledPlugin() {
    return fs::canonical("/proc/self/exe").parent_path() / kPluginFile;
}

int Register(const std::vector<std::string>& args, bool install) {
    bool perUser = false;
    fs::path plugin = InstalledPlugin();
    for (const std::string& arg : args) {
        if (arg == "--user") {
            perUser = true;
        } else {
            plugin = fs::absolute(arg);
        }
    }
    PluginLibrary library(plugin);
    const HRESULT hr = library.Install(install, perUser ? L"user" : L"");
    if (FAILED(hr)) {
        throw HostCallError{install ? "DllInstall(register)" : "DllInstall(unregister)", hr, plugin.string()};
    }
    if (install) {
        // The resource libraries are looked for by appending to InstallDir: it ends with a separator.
        WriteSetting(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"InstallDir",
                     Platform::Utf8ToWide((plugin.parent_path() / "").string()), false);
    }
    std::cout << (install ? "Registered " : "Unregistered ") << plugin.string()
              << (perUser ? " for this user\n" : "\n");
    return kExitSynced;
}

int Config(const std::vector<std::string>& args) {
    if (args.size() >= 3 && args[0] == "set") {
        const bool asDword = args.size() == 4 && args[3] == "--dword";
        WriteSetting(HKEY_CURRENT_USER, Platform::Utf8ToWide(args[1]), Platform::Utf8ToWide(args[2]),
                     asDword);
        return kExitSynced;
    }
    if (args.size() == 2 && args[0] == "get") {
        const auto value = ReadSetting(Platform::Utf8ToWide(args[1]));
        if (!value) {
            std::cout << args[1] << " is not set\n";
            return kExitItemsFailed;
        }
        std::cout << args[1] << " = " << Platform::WideToUtf8(value->text) << "  ("
                  << Platform::WideToUtf8(value->source) << ")\n";
        return kExitSynced;
    }
    return Usage(false);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage(false);
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            return Usage(true);
        }
        if (command == "register" || command == "unregister") {
            return Register(args, command == "register");
        }
        if (command == "config") {
            return Config(args);
        }
        if (command == "sync") {
            return Sync(args);
        }
    } catch (const HostCallError& error) {
        std::cerr << "kova-sync: " << Describe(error) << "\n";
        return kExitNotRun;
    } catch (const std::exception& error) {
        std::cerr << "kova-sync: " << error.what() << "\n";
        return kExitNotRun;
    }
    return Usage(false);
}
