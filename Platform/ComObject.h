// Reference counting, QueryInterface and the IDispatch stubs shared by the layer's COM objects.
#pragma once

#include "Platform/Unknwn.h"

#include <atomic>

namespace Platform {

// Late binding is not offered: no scripting client exists on this platform.
template <class Interface> class NoDispatch : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
        if (pctinfo != nullptr) {
            *pctinfo = 0;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

// Base is the single interface chain the object derives from; Supported lists every interface id
// that chain answers (IUnknown is always answered). Objects are created with one reference.
template <class Base, class... Supported> class ComObject : public Base {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
        if (ppvObject == nullptr) {
            return E_POINTER;
        }
        if (riid == __uuidof(IUnknown) || ((riid == __uuidof(Supported)) || ...)) {
            *ppvObject = static_cast<Base*>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

} // namespace Platform
