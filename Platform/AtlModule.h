// The COM server module: the lock count, the object map with its class factories, registration from
// registry scripts and the type library description, and the DLL entry points' work.
//
// The module's own registry scripts are text in the module (SetRegistryScripts); a coclass names its
// script with DECLARE_REGISTRY_RESOURCEID. The plug-in is built with hidden visibility, so the
// inline variables below are the plug-in's own.
#pragma once

#include "Platform/LibLoaderApi.h"
#include "Platform/Registrar.h"
#include "Platform/TypeLibRegistration.h"
#include "Platform/Unknwn.h"
#include "Platform/WinBase.h"

#include <atomic>
#include <mutex>
#include <string>

namespace ATL {

// One entry of the object map; the class factory is made on first use and kept until unload.
struct _ATL_OBJMAP_ENTRY {
    const CLSID* pclsid;
    HRESULT (*pfnUpdateRegistry)(BOOL bRegister);
    HRESULT (*pfnCreateInstance)(IUnknown* outer, REFIID iid, void** ppvObject);
    IUnknown* pCF;
};

struct _ATL_REGSCRIPT_ENTRY {
    UINT id;
    const wchar_t* script;
};

struct _ATL_REGMAP_ENTRY {
    const wchar_t* szKey;
    const wchar_t* szData;
};

// The instance handle of the module and the one its resources are loaded from.
class CAtlBaseModule {
public:
    HINSTANCE GetModuleInstance() const { return m_hInst; }
    void SetModuleInstance(HINSTANCE instance) { m_hInst = instance; }
    HINSTANCE GetResourceInstance() const { return m_hInstResource.load(); }
    // Returns the handle held before.
    HINSTANCE SetResourceInstance(HINSTANCE instance) { return m_hInstResource.exchange(instance); }

private:
    HINSTANCE m_hInst = nullptr;
    std::atomic<HINSTANCE> m_hInstResource{nullptr};
};

inline CAtlBaseModule _AtlBaseModule;

inline bool& PerUserRegistrationFlag() {
    static bool perUser = false;
    return perUser;
}
inline HRESULT AtlSetPerUserRegistration(bool perUser) {
    PerUserRegistrationFlag() = perUser;
    return S_OK;
}
inline HRESULT AtlGetPerUserRegistration(bool* perUser) {
    if (perUser == nullptr) {
        return E_POINTER;
    }
    *perUser = PerUserRegistrationFlag();
    return S_OK;
}

class CAtlModule;
inline CAtlModule* _pAtlModule = nullptr;

class CAtlModule {
public:
    CAtlModule() { _pAtlModule = this; }
    virtual ~CAtlModule() {
        if (_pAtlModule == this) {
            _pAtlModule = nullptr;
        }
    }
    CAtlModule(const CAtlModule&) = delete;
    CAtlModule& operator=(const CAtlModule&) = delete;

    virtual LONG Lock() { return ++m_nLockCnt; }
    virtual LONG Unlock() { return --m_nLockCnt; }
    virtual LONG GetLockCount() { return m_nLockCnt.load(); }
    virtual bool IsInitialized() const { return true; }
    // Adds the replacements that every script of the module gets.
    virtual HRESULT AddCommonRGSReplacements(Platform::RegistrarReplacements& replacements) {
        (void)replacements;
        return S_OK;
    }

    void SetRegistryScripts(const _ATL_REGSCRIPT_ENTRY* scripts) { m_scripts = scripts; }

    // Registers or unregisters the module's script with that id; %MODULE% is the module's path.
    HRESULT UpdateRegistryFromResource(UINT id, BOOL bRegister, const _ATL_REGMAP_ENTRY* extra = nullptr) {
        const wchar_t* script = FindScript(id);
        if (script == nullptr) {
            return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
        }
        Platform::RegistrarReplacements replacements;
        replacements[L"MODULE"] = ModulePath();
        replacements[L"MODULE_RAW"] = ModulePath();
        const HRESULT hr = AddCommonRGSReplacements(replacements);
        if (FAILED(hr)) {
            return hr;
        }
        for (; extra != nullptr && extra->szKey != nullptr; ++extra) {
            replacements[extra->szKey] = extra->szData;
        }
        return Platform::ApplyRegistryScript(script, replacements, bRegister != FALSE,
                                             PerUserRegistrationFlag());
    }

    static std::wstring ModulePath() {
        wchar_t path[4096] = {};
        const DWORD length = GetModuleFileNameW(_AtlBaseModule.GetModuleInstance(), path, 4096);
        return std::wstring(path, length);
    }

private:
    const wchar_t* FindScript(UINT id) const {
        for (const _ATL_REGSCRIPT_ENTRY* entry = m_scripts; entry != nullptr && entry->script != nullptr;
             ++entry) {
            if (entry->id == id) {
                return entry->script;
            }
        }
        return nullptr;
    }

    std::atomic<LONG> m_nLockCnt{0};
    const _ATL_REGSCRIPT_ENTRY* m_scripts = nullptr;
};

// Pointers kept for the process are stored encoded.
inline ULONG_PTR PointerCookie() {
    static const ULONG_PTR cookie = reinterpret_cast<ULONG_PTR>(&PointerCookie) * 0x9E3779B97F4A7C15ull;
    return cookie;
}
inline void* EncodeModulePointer(void* pointer) {
    return reinterpret_cast<void*>(reinterpret_cast<ULONG_PTR>(pointer) ^ PointerCookie());
}
inline void* DecodeModulePointer(void* pointer) {
    return EncodeModulePointer(pointer);
}

// The module of an in-process server. T supplies the object map (GetObjectMap), the type library
// description (GetTypeLib) and may register an AppID script (UpdateRegistryAppId).
template <class T> class CAtlDllModuleT : public CAtlModule {
public:
    HRESULT DllCanUnloadNow() { return GetLockCount() == 0 ? S_OK : S_FALSE; }

    HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
        if (ppv == nullptr) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (!IsInitialized()) {
            return E_UNEXPECTED;
        }
        for (_ATL_OBJMAP_ENTRY* entry = T::GetObjectMap(); entry->pclsid != nullptr; ++entry) {
            if (entry->pfnCreateInstance == nullptr || *entry->pclsid != rclsid) {
                continue;
            }
            IUnknown* factory = ClassFactoryOf(*entry);
            if (factory == nullptr) {
                return E_OUTOFMEMORY;
            }
            const HRESULT hr = factory->QueryInterface(riid, ppv);
            return (*ppv == nullptr && SUCCEEDED(hr)) ? CLASS_E_CLASSNOTAVAILABLE : hr;
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    }

    HRESULT DllRegisterServer(BOOL bRegTypeLib = TRUE) {
        T* self = static_cast<T*>(this);
        HRESULT hr = self->UpdateRegistryAppId(TRUE);
        for (_ATL_OBJMAP_ENTRY* entry = T::GetObjectMap(); SUCCEEDED(hr) && entry->pclsid != nullptr;
             ++entry) {
            hr = entry->pfnUpdateRegistry(TRUE);
        }
        if (SUCCEEDED(hr) && bRegTypeLib) {
            hr = Platform::RegisterTypeLibrary(T::GetTypeLib(), ModulePath(), PerUserRegistrationFlag());
        }
        return hr;
    }

    HRESULT DllUnregisterServer(BOOL bUnRegTypeLib = TRUE) {
        T* self = static_cast<T*>(this);
        HRESULT hr = S_OK;
        for (_ATL_OBJMAP_ENTRY* entry = T::GetObjectMap(); SUCCEEDED(hr) && entry->pclsid != nullptr;
             ++entry) {
            hr = entry->pfnUpdateRegistry(FALSE);
        }
        if (SUCCEEDED(hr)) {
            hr = self->UpdateRegistryAppId(FALSE);
        }
        if (SUCCEEDED(hr) && bUnRegTypeLib) {
            hr = Platform::UnRegisterTypeLibrary(T::GetTypeLib(), PerUserRegistrationFlag());
        }
        return hr;
    }

    // Factories die with the module.
    ~CAtlDllModuleT() override {
        for (_ATL_OBJMAP_ENTRY* entry = T::GetObjectMap(); entry->pclsid != nullptr; ++entry) {
            if (entry->pCF != nullptr) {
                static_cast<IUnknown*>(DecodeModulePointer(entry->pCF))->Release();
                entry->pCF = nullptr;
            }
        }
    }

private:
    IUnknown* ClassFactoryOf(_ATL_OBJMAP_ENTRY& entry);

    std::mutex m_factoryLock;
};

} // namespace ATL

using namespace ATL;

#define BEGIN_OBJECT_MAP(name) static ::ATL::_ATL_OBJMAP_ENTRY name[] = {
#define OBJECT_ENTRY(clsid, Class) {&(clsid), &Class::UpdateRegistry, &Class::CreateInstance, nullptr},
#define END_OBJECT_MAP()                                                                                     \
    { nullptr, nullptr, nullptr, nullptr }                                                                   \
    }                                                                                                        \
    ;

#define KOVA_DLL_EXPORT extern "C" __attribute__((visibility("default")))
