// Reference counting, QueryInterface and the late-binding stubs shared by the test host's objects.
#pragma once

#include "Platform/ComObject.h"
#include "Platform/OleAuto.h"

#include <type_traits>

namespace Host {

// An object serving one interface (through Base, which derives from it). Created with a reference count of
// one (the creator's reference); it deletes itself when the last reference is released. Apartment model:
// counts are not atomic.
template <class Interface, class Base = Interface> class HostUnknownObject : public Base {
public:
    HostUnknownObject(const HostUnknownObject&) = delete;
    HostUnknownObject& operator=(const HostUnknownObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        constexpr bool dual = std::is_base_of_v<IDispatch, Interface>;
        if (riid == __uuidof(IUnknown) || (dual && riid == __uuidof(IDispatch)) ||
            riid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG remaining = --references_;
        if (remaining == 0) {
            delete this;
        }
        return remaining;
    }

    using Interface::QueryInterface;

protected:
    HostUnknownObject() = default;
    virtual ~HostUnknownObject() = default;

private:
    ULONG references_ = 1;
};

// An object serving one dual interface; no scripting client exists on this platform, so late
// binding answers E_NOTIMPL.
template <class Interface>
class HostObject : public HostUnknownObject<Interface, Platform::NoDispatch<Interface>> {
protected:
    HostObject() = default;
};

} // namespace Host
