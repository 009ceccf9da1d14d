// kova-sync: the test host's sync driver. Registers the plug-in, edits its settings, and runs a sync
// pass of a repository into a local mirror.
#include "kova-sync/PluginHost.h"
#include "kova-sync/SettingsStore.h"
#include "kova-sync/SyncPass.h"

#include "Platform/Combase.h"
#include "Platform/SystemMessage.h"
#include "Platform/Utf.h"
#include "Platform/WinError.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
using namespace KovaSync;

namespace {

constexpr const wchar_t* kProgId = L"Vantrel.SyncFilterMeridio";
constexpr const char* kPluginFile = "KOVAMeridioSync64.so";

Host::LSShutdownInformer* interruptTarget = nullptr;

void OnInterrupt(int) {
    if (interruptTarget != nullptr) {
        interruptTarget->SetShutdownRequested(true);
    }
}

int Usage() {
    std::cerr << "usage:\n"
                 "  kova-sync register [PLUGIN] [--user]     register the sync filter (default: the "
                 "installed one)\n"
                 "  kova-sync unregister [PLUGIN] [--user]   remove its registration\n"
                 "  kova-sync config set NAME VALUE [--dword] set a setting for the current user\n"
                 "  kova-sync config get NAME                show a setting and where it comes from\n"
                 "  kova-sync sync START-POINT --into DIR    mirror a repository folder into DIR\n";
    return 2;
}

std::string MessageText(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = length == 0 ? std::string() : Platform::WideToUtf8(std::wstring_view(text, length));
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

int Fail(const HostCallError& error) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error.hr));
    const std::string text = MessageText(error.hr);
    std::cerr << "kova-sync: " << error.call << " failed: " << code << (text.empty() ? "" : " " + text)
              << "\n";
    return 1;
}

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
        throw HostCallError{install ? "DllInstall(register)" : "DllInstall(unregister)", hr};
    }
    if (install) {
        // The resource libraries are looked for by appending to InstallDir: it ends with a separator.
        WriteSetting(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"InstallDir",
                     Platform::Utf8ToWide((plugin.parent_path() / "").string()), false);
    }
    std::cout << (install ? "Registered " : "Unregistered ") << plugin.string()
              << (perUser ? " for this user\n" : "\n");
    return 0;
}

int Config(const std::vector<std::string>& args) {
    if (args.size() >= 3 && args[0] == "set") {
        const bool asDword = args.size() == 4 && args[3] == "--dword";
        WriteSetting(HKEY_CURRENT_USER, Platform::Utf8ToWide(args[1]), Platform::Utf8ToWide(args[2]),
                     asDword);
        return 0;
    }
    if (args.size() == 2 && args[0] == "get") {
        const auto value = ReadSetting(Platform::Utf8ToWide(args[1]));
        if (!value) {
            std::cout << args[1] << " is not set\n";
            return 1;
        }
        std::cout << args[1] << " = " << Platform::WideToUtf8(value->text) << "  ("
                  << Platform::WideToUtf8(value->source) << ")\n";
        return 0;
    }
    return Usage();
}

int Sync(const std::vector<std::string>& args) {
    if (args.size() != 3 || args[1] != "--into") {
        return Usage();
    }
    CLSID clsid{};
    const fs::path server = FindRegisteredServer(kProgId, clsid);
    PluginLibrary library(server);
    auto* filter = static_cast<ILSSyncFilter2*>(library.CreateObject(clsid, __uuidof(ILSSyncFilter2)));
    Host::LSShutdownInformer* informer = Host::LSShutdownInformer::Create();
    interruptTarget = informer;
    std::signal(SIGINT, OnInterrupt);

    const fs::path mirror = fs::absolute(args[2]);
    fs::create_directories(mirror);
    SyncPass pass(filter, informer, mirror, [](const std::string& line) { std::cout << line << std::endl; });
    int status = 0;
    try {
        const PassSummary summary = pass.Run(Platform::Utf8ToWide(args[0]));
        std::cout << "Done: " << summary.folders << " folders; documents " << summary.added << " new, "
                  << summary.changed << " changed, " << summary.unchanged << " unchanged, " << summary.deleted
                  << " deleted, " << summary.failed << " failed; " << summary.bytes << " bytes downloaded\n";
        status = summary.failed == 0 ? 0 : 1;
    } catch (const HostCallError& error) {
        status = Fail(error);
    }
    std::signal(SIGINT, SIG_DFL);
    interruptTarget = nullptr;
    filter->Release();
    informer->Release();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
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
        return Fail(error);
    } catch (const std::exception& error) {
        std::cerr << "kova-sync: " << error.what() << "\n";
        return 1;
    }
    return Usage();
}
