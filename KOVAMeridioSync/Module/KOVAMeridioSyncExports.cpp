// The plug-in's entry points: the load notification, the class-object request with its start-up
// work (log set-up, language library, host version check), and registration.
#include "KOVAMeridioSync/Module/KOVAMeridioSyncModule.h"
#include "KOVAMeridioSync/Module/ScopedThreadLocale.h"
#include "Platform/AtlCom.h"
#include "Platform/LibLoaderApi.h"
#include "VantrelCommon/BrandTexts.h"
#include "VantrelCommon/InterfaceBoundary.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSFileSystem.h"
#include "VantrelCommon/ResourceLibraries.h"

namespace {

constexpr wchar_t kLanguageModuleBaseName[] = L"KOVAMeridioSync64";

BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    HMODULE brand = LoadBrandResources(CStdStr<wchar_t>());
    HMODULE common = LoadUsersCommonResources(CStdStr<wchar_t>());
    HMODULE language = LoadLanguageResources(kLanguageModuleBaseName);
    GetModuleInstance() = instance;
    _AtlBaseModule.SetModuleInstance(instance);
    _AtlBaseModule.SetResourceInstance(instance);
    GetBrandResources() = brand;
    GetCommonResources() = common;
    GetLanguageResources() = language;
    GetBrandPlaceholderReplacer() = ReplaceBrandPlaceholders;
    return _pAtlModule->IsInitialized() ? TRUE : FALSE;
}

HINSTANCE OwnModuleHandle() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&DllMain), &module);
    return module;
}

// The dynamic loader has no way to refuse a library from its constructor; a module that failed to
// initialise answers every class-object request with E_UNEXPECTED instead.
struct LoadNotification {
    LoadNotification() { DllMain(OwnModuleHandle(), DLL_PROCESS_ATTACH, nullptr); }
};

bool& FirstClassObjectRequest() {
    static bool first = true;
    return first;
}

// Registration runs in the system's default locale, so that nothing written depends on the user's.
template <class Work> HRESULT InSystemLocale(Work work) {
    const ScopedThreadLocale locale(LOCALE_SYSTEM_DEFAULT);
    return work();
}

} // namespace

// Built before the load notification runs: both live in this file, in this order.
CKOVAMeridioSyncModule _AtlModule;
const LoadNotification loadNotification;

KOVA_DLL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    LSDiag::Initialize(L"KOVA-MeridioSync", nullptr);
    try {
        if (FirstClassObjectRequest()) {
            FirstClassObjectRequest() = false;
            if (HMODULE language = LoadLanguageResources(kLanguageModuleBaseName)) {
                _AtlBaseModule.SetResourceInstance(language);
            }
        }
        static const bool versionMatchesHost = CheckVersionMatchesHost(GetModuleInstance());
        if (!versionMatchesHost) {
            return E_INVALIDARG;
        }
    } catch (...) {
        HResultFromCurrentException("DllGetClassObject", __FILE__, __LINE__, nullptr);
    }
    return _AtlModule.DllGetClassObject(rclsid, riid, ppv);
}

KOVA_DLL_EXPORT HRESULT DllCanUnloadNow() {
    return _AtlModule.DllCanUnloadNow();
}

KOVA_DLL_EXPORT HRESULT DllRegisterServer() {
    return InSystemLocale([] { return _AtlModule.DllRegisterServer(); });
}

KOVA_DLL_EXPORT HRESULT DllUnregisterServer() {
    return InSystemLocale([] { return _AtlModule.DllUnregisterServer(); });
}

// "user" (any case, the whole text) registers in the current user's classes, anything else for the
// machine; the choice holds for this call only.
KOVA_DLL_EXPORT HRESULT DllInstall(BOOL bInstall, LPCWSTR pszCmdLine) {
    const bool perUser = pszCmdLine != nullptr && CStdStr<wchar_t>(L"user").Equals(pszCmdLine, false);
    bool previous = false;
    AtlGetPerUserRegistration(&previous);
    AtlSetPerUserRegistration(perUser);
    HRESULT hr = S_OK;
    if (bInstall) {
        hr = DllRegisterServer();
        if (FAILED(hr)) {
            DllUnregisterServer();
        }
    } else {
        hr = DllUnregisterServer();
    }
    AtlSetPerUserRegistration(previous);
    return hr;
}
