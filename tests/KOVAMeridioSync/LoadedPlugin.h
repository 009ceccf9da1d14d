// The plug-in as the host reaches it: loaded with dlopen from the build's bin/ and called only
// through its exported entry points. It is loaded once per process and stays loaded; the settings
// its load reads come from a registry folder of the process's own.
#pragma once

#include "Platform/Guid.h"
#include "Platform/WinTypes.h"
#include "tests/Support/TempRegistryDir.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace TestSupport {

class LoadedPlugin {
public:
    static const LoadedPlugin& Get() {
        static const LoadedPlugin plugin;
        return plugin;
    }

    static std::wstring Path() {
        const std::string path = KOVA_PLUGIN_PATH;
        return std::wstring(path.begin(), path.end());
    }

private:
    static void* Load() {
        static TempRegistryDir registryAtLoad;
        void* handle = dlopen(KOVA_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            throw std::runtime_error(dlerror());
        }
        return handle;
    }

    template <class Function> Function Export(const char* name) const {
        void* address = dlsym(handle_, name);
        if (address == nullptr) {
            throw std::runtime_error(std::string("missing export ") + name);
        }
        return reinterpret_cast<Function>(address);
    }

    void* handle_ = Load();

public:
    using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
    using Plain = HRESULT (*)();
    using Install = HRESULT (*)(BOOL, LPCWSTR);

    const GetClassObject DllGetClassObject = Export<GetClassObject>("DllGetClassObject");
    const Plain DllCanUnloadNow = Export<Plain>("DllCanUnloadNow");
    const Plain DllRegisterServer = Export<Plain>("DllRegisterServer");
    const Plain DllUnregisterServer = Export<Plain>("DllUnregisterServer");
    const Install DllInstall = Export<Install>("DllInstall");
};

} // namespace TestSupport
