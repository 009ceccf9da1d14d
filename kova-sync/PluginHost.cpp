#include "kova-sync/PluginHost.h"

#include "Platform/Combase.h"
#include "Platform/Utf.h"
#include "Platform/WinReg.h"

#include <dlfcn.h>

namespace KovaSync {
namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using EntryPointFunction = HRESULT (*)();
using InstallFunction = HRESULT (*)(BOOL, const wchar_t*);

void Check(HRESULT hr, const std::string& call) {
    if (FAILED(hr)) {
        throw HostCallError{call, hr};
    }
}

bool KeyExists(const std::wstring& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::wstring ReadDefaultValue(const std::wstring& keyPath) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        throw HostCallError{"RegOpenKeyExW(HKCR\\" + Platform::WideToUtf8(keyPath) + ")",
                            HRESULT_FROM_WIN32(static_cast<DWORD>(status))};
    }
    wchar_t value[4096] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    status = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        throw HostCallError{"RegQueryValueExW(HKCR\\" + Platform::WideToUtf8(keyPath) + ")",
                            HRESULT_FROM_WIN32(static_cast<DWORD>(status))};
    }
    return value;
}

} // namespace

// The plug-in stays mapped until the process ends, as in a host engine that never unloads it: its
// process-wide state (settings, session, log set-up) lives for the process.
PluginLibrary::PluginLibrary(const std::filesystem::path& file)
    : handle_(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
    if (handle_ == nullptr) {
        throw HostCallError{std::string("dlopen(") + file.string() + "): " + dlerror(), E_FAIL};
    }
}

PluginLibrary::~PluginLibrary() {
    dlclose(handle_);
}

void* PluginLibrary::Symbol(const char* name) const {
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr) {
        throw HostCallError{std::string("dlsym(") + name + ")", E_FAIL};
    }
    return symbol;
}

HRESULT PluginLibrary::Call(const char* entryPoint) const {
    return reinterpret_cast<EntryPointFunction>(Symbol(entryPoint))();
}

HRESULT PluginLibrary::Install(bool install, const wchar_t* commandLine) const {
    return reinterpret_cast<InstallFunction>(Symbol("DllInstall"))(install ? TRUE : FALSE, commandLine);
}

void* PluginLibrary::CreateObject(REFCLSID clsid, REFIID iid) const {
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(Symbol("DllGetClassObject"));
    IClassFactory* factory = nullptr;
    Check(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), "DllGetClassObject");
    void* object = nullptr;
    const HRESULT hr = factory->CreateInstance(nullptr, iid, &object);
    factory->Release();
    Check(hr, "IClassFactory::CreateInstance");
    return object;
}

std::filesystem::path FindRegisteredServer(const std::wstring& progId, CLSID& clsid) {
    // A version-independent ProgID names its current version under CurVer, as COM resolves it.
    const std::wstring versionedProgId =
        KeyExists(progId + L"\\CLSID") ? progId : ReadDefaultValue(progId + L"\\CurVer");
    const std::wstring clsidText = ReadDefaultValue(versionedProgId + L"\\CLSID");
    Check(CLSIDFromString(clsidText.c_str(), &clsid), "CLSIDFromString");
    return Platform::WideToUtf8(ReadDefaultValue(L"CLSID\\" + clsidText + L"\\InprocServer32"));
}

} // namespace KovaSync
