// The COM object framework: object roots with their threading models, the interface map, the
// object wrapper that owns the reference count, coclass support, dispatch stubs and the class factory.
//
//   class CThing : public CComObjectRootEx<CComSingleThreadModel>,
//                  public CComCoClass<CThing, &CLSID_Thing>,
//                  public IDispatchImpl<IThing> {
//   public:
//       DECLARE_REGISTRY_RESOURCEID(106)
//       BEGIN_COM_MAP(CThing)
//           COM_INTERFACE_ENTRY(IThing)
//           COM_INTERFACE_ENTRY2(IDispatch, IThing)
//       END_COM_MAP()
//   };
//   CComObject<CThing>::CreateInstance(&p);
//
// Aggregation is not offered: creating with an outer unknown fails with CLASS_E_NOAGGREGATION.
#pragma once

#include "Platform/AtlModule.h"
#include "Platform/ComObject.h"
#include "Platform/Unknwn.h"
#include "Platform/WinBase.h"

#include <new>

namespace ATL {

class CComSingleThreadModel {
public:
    static ULONG Increment(LONG* p) { return static_cast<ULONG>(++*p); }
    static ULONG Decrement(LONG* p) { return static_cast<ULONG>(--*p); }
};

class CComMultiThreadModel {
public:
    static ULONG Increment(LONG* p) { return static_cast<ULONG>(InterlockedIncrement(p)); }
    static ULONG Decrement(LONG* p) { return static_cast<ULONG>(InterlockedDecrement(p)); }
};

// One entry of an interface map: the interface id and how to reach that interface from the object.
struct _ATL_INTMAP_ENTRY {
    const IID* piid;
    IUnknown* (*cast)(void* object);
};

class CComObjectRootBase {
public:
    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}

    // Searches the map in order; IUnknown is answered with the first entry.
    static HRESULT InternalQueryInterface(void* object, const _ATL_INTMAP_ENTRY* entries, REFIID iid,
                                          void** ppvObject) {
        if (ppvObject == nullptr) {
            return E_POINTER;
        }
        *ppvObject = nullptr;
        if (iid == __uuidof(IUnknown)) {
            IUnknown* unknown = entries[0].cast(object);
            unknown->AddRef();
            *ppvObject = unknown;
            return S_OK;
        }
        for (const _ATL_INTMAP_ENTRY* entry = entries; entry->piid != nullptr; ++entry) {
            if (*entry->piid == iid) {
                IUnknown* unknown = entry->cast(object);
                unknown->AddRef();
                *ppvObject = unknown;
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

protected:
    LONG m_dwRef = 0;
};

template <class ThreadModel> class CComObjectRootEx : public CComObjectRootBase {
public:
    ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
};

// The most derived class of every object: supplies IUnknown for all the interfaces of Base at once.
// A CComObject keeps the module locked while it lives; a CComObjectNoLock (the class factories the
// module keeps) does not.
template <class Base, bool LocksModule> class CComObjectT : public Base {
public:
    CComObjectT() {
        if constexpr (LocksModule) {
            _pAtlModule->Lock();
        }
    }
    virtual ~CComObjectT() {
        this->FinalRelease();
        if constexpr (LocksModule) {
            _pAtlModule->Unlock();
        }
    }
    CComObjectT(const CComObjectT&) = delete;
    CComObjectT& operator=(const CComObjectT&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return this->InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = this->InternalRelease();
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppvObject) override {
        return this->InternalQueryInterface(this, Base::_GetEntries(), iid, ppvObject);
    }

    // A new object with no reference yet, FinalConstruct already run.
    static HRESULT CreateInstance(CComObjectT** pp) {
        if (pp == nullptr) {
            return E_POINTER;
        }
        *pp = nullptr;
        auto* object = new (std::nothrow) CComObjectT();
        if (object == nullptr) {
            return E_OUTOFMEMORY;
        }
        object->InternalAddRef(); // keeps FinalConstruct from destroying the object through a Release
        const HRESULT hr = object->FinalConstruct();
        object->InternalRelease();
        if (FAILED(hr)) {
            delete object;
            return hr;
        }
        *pp = object;
        return S_OK;
    }
};

template <class Base> using CComObject = CComObjectT<Base, true>;
template <class Base> using CComObjectNoLock = CComObjectT<Base, false>;

// Creates an object of T and asks it for one interface; the object dies when that query fails.
template <class T> HRESULT CreateComObject(IUnknown* outer, REFIID iid, void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    *ppvObject = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    CComObject<T>* object = nullptr;
    HRESULT hr = CComObject<T>::CreateInstance(&object);
    if (FAILED(hr)) {
        return hr;
    }
    object->AddRef();
    hr = object->QueryInterface(iid, ppvObject);
    object->Release();
    return hr;
}

template <class T, const CLSID* pclsid = &CLSID_NULL> class CComCoClass {
public:
    static const CLSID& GetObjectCLSID() { return *pclsid; }
    static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppvObject) {
        return CreateComObject<T>(outer, iid, ppvObject);
    }
};

// Late binding is not offered on this platform: no scripting client exists. The type library and
// its version are named for the reader; they select nothing.
template <class Interface, const IID* piid = nullptr, const GUID* plibid = nullptr, WORD major = 1,
          WORD minor = 0>
class IDispatchImpl : public Platform::NoDispatch<Interface> {};

// The class factory of one object-map entry.
class CComClassFactory : public CComObjectRootEx<CComSingleThreadModel>, public IClassFactory {
public:
    using Creator = HRESULT (*)(IUnknown* outer, REFIID iid, void** ppvObject);

    void SetCreator(Creator creator) { creator_ = creator; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppvObject) override {
        if (ppvObject == nullptr) {
            return E_POINTER;
        }
        *ppvObject = nullptr;
        if (creator_ == nullptr) {
            return E_FAIL;
        }
        return creator_(outer, iid, ppvObject);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            _pAtlModule->Lock();
        } else {
            _pAtlModule->Unlock();
        }
        return S_OK;
    }

    static const _ATL_INTMAP_ENTRY* _GetEntries() {
        static const _ATL_INTMAP_ENTRY entries[] = {{&__uuidof(IClassFactory),
                                                     [](void* p) -> IUnknown* {
                                                         return static_cast<IClassFactory*>(
                                                             static_cast<CComClassFactory*>(p));
                                                     }},
                                                    {nullptr, nullptr}};
        return entries;
    }

private:
    Creator creator_ = nullptr;
};

template <class T> IUnknown* CAtlDllModuleT<T>::ClassFactoryOf(_ATL_OBJMAP_ENTRY& entry) {
    const std::lock_guard lock(m_factoryLock);
    if (entry.pCF == nullptr) {
        CComObjectNoLock<CComClassFactory>* factory = nullptr;
        if (FAILED(CComObjectNoLock<CComClassFactory>::CreateInstance(&factory))) {
            return nullptr;
        }
        factory->SetCreator(entry.pfnCreateInstance);
        factory->AddRef();
        entry.pCF = static_cast<IUnknown*>(EncodeModulePointer(static_cast<IClassFactory*>(factory)));
    }
    return static_cast<IUnknown*>(DecodeModulePointer(entry.pCF));
}

} // namespace ATL

using namespace ATL;

#define BEGIN_COM_MAP(Class)                                                                                 \
    using _ComMapClass = Class;                                                                              \
    static const ::ATL::_ATL_INTMAP_ENTRY* _GetEntries() {                                                   \
        static const ::ATL::_ATL_INTMAP_ENTRY entries[] = {

// The interface reached directly from the class.
#define COM_INTERFACE_ENTRY(Interface)                                                                       \
    {&__uuidof(Interface),                                                                                   \
     [](void* p) -> IUnknown* { return static_cast<Interface*>(static_cast<_ComMapClass*>(p)); }},

// An interface the class has through more than one base: reached through Via.
#define COM_INTERFACE_ENTRY2(Interface, Via)                                                                 \
    {&__uuidof(Interface), [](void* p) -> IUnknown* {                                                        \
         return static_cast<Interface*>(static_cast<Via*>(static_cast<_ComMapClass*>(p)));                   \
     }},

// An interface id answered with the interface Interface of the class.
#define COM_INTERFACE_ENTRY_IID(iid, Interface)                                                              \
    {&(iid), [](void* p) -> IUnknown* { return static_cast<Interface*>(static_cast<_ComMapClass*>(p)); }},

#define END_COM_MAP()                                                                                        \
    { nullptr, nullptr }                                                                                     \
    }                                                                                                        \
    ;                                                                                                        \
    return entries;                                                                                          \
    }                                                                                                        \
    IUnknown* GetUnknown() {                                                                                 \
        return _GetEntries()[0].cast(this);                                                                  \
    }                                                                                                        \
    ULONG STDMETHODCALLTYPE AddRef() override = 0;                                                           \
    ULONG STDMETHODCALLTYPE Release() override = 0;                                                          \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override = 0;

// Registration of a coclass from the module's registry script with that id.
#define DECLARE_REGISTRY_RESOURCEID(id)                                                                      \
    static HRESULT WINAPI UpdateRegistry(BOOL bRegister) {                                                   \
        return ::ATL::_pAtlModule->UpdateRegistryFromResource(id, bRegister);                                \
    }
