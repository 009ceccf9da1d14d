// _com_ptr_t: the compiler's smart interface pointer. It holds one reference; construction and
// assignment from a pointer of another interface type go through QueryInterface.
//     _COM_SMARTPTR_TYPEDEF(IFoo, __uuidof(IFoo));   // defines IFooPtr
#pragma once

#include "Platform/ComIssueError.h"
#include "Platform/Combase.h"

#include <cstddef>
#include <memory>
#include <type_traits>

template <class T> class _com_ptr_t {
public:
    using Interface = T;

    static const IID& GetIID() noexcept { return __uuidof(T); }

    _com_ptr_t() noexcept = default;
    _com_ptr_t(std::nullptr_t) noexcept {}
    // Adds a reference to p.
    _com_ptr_t(T* p) noexcept : m_pInterface(p) { AddRefHeld(); }
    // fAddRef false: takes over the caller's reference.
    _com_ptr_t(T* p, bool fAddRef) noexcept : m_pInterface(p) {
        if (fAddRef) {
            AddRefHeld();
        }
    }
    _com_ptr_t(const _com_ptr_t& p) noexcept : m_pInterface(p.m_pInterface) { AddRefHeld(); }
    _com_ptr_t(_com_ptr_t&& p) noexcept : m_pInterface(p.m_pInterface) { p.m_pInterface = nullptr; }
    // Another interface: queried for T. E_NOINTERFACE leaves the pointer null; other failures raise.
    template <class Q, class = std::enable_if_t<!std::is_same_v<Q, T>>> _com_ptr_t(const _com_ptr_t<Q>& p) {
        QueryFrom(static_cast<Q*>(p));
    }
    template <class Q, class = std::enable_if_t<!std::is_same_v<Q, T> && std::is_base_of_v<IUnknown, Q>>>
    _com_ptr_t(Q* p) {
        QueryFrom(p);
    }
    // Creates an instance; a failure raises _com_error.
    explicit _com_ptr_t(const CLSID& clsid, IUnknown* pOuter = nullptr, DWORD dwClsContext = CLSCTX_ALL) {
        _com_util::CheckError(CreateInstance(clsid, pOuter, dwClsContext));
    }
    explicit _com_ptr_t(LPCWSTR clsidString, IUnknown* pOuter = nullptr, DWORD dwClsContext = CLSCTX_ALL) {
        _com_util::CheckError(CreateInstance(clsidString, pOuter, dwClsContext));
    }

    ~_com_ptr_t() { ReleaseHeld(); }

    _com_ptr_t& operator=(T* p) noexcept {
        if (m_pInterface != p) {
            T* previous = m_pInterface;
            m_pInterface = p;
            AddRefHeld();
            if (previous != nullptr) {
                previous->Release();
            }
        }
        return *this;
    }
    _com_ptr_t& operator=(const _com_ptr_t& p) noexcept { return operator=(p.m_pInterface); }
    _com_ptr_t& operator=(_com_ptr_t&& p) noexcept {
        if (this != std::addressof(p)) {
            ReleaseHeld();
            m_pInterface = p.m_pInterface;
            p.m_pInterface = nullptr;
        }
        return *this;
    }
    _com_ptr_t& operator=(std::nullptr_t) noexcept {
        ReleaseHeld();
        return *this;
    }
    template <class Q, class = std::enable_if_t<!std::is_same_v<Q, T>>>
    _com_ptr_t& operator=(const _com_ptr_t<Q>& p) {
        QueryFrom(static_cast<Q*>(p));
        return *this;
    }
    template <class Q, class = std::enable_if_t<!std::is_same_v<Q, T> && std::is_base_of_v<IUnknown, Q>>>
    _com_ptr_t& operator=(Q* p) {
        QueryFrom(p);
        return *this;
    }

    // Replaces the held pointer, taking over the caller's reference (or adding one with fAddRef).
    void Attach(T* p) noexcept {
        ReleaseHeld();
        m_pInterface = p;
    }
    void Attach(T* p, bool fAddRef) noexcept {
        Attach(p);
        if (fAddRef) {
            AddRefHeld();
        }
    }
    // Hands the held reference to the caller.
    T* Detach() noexcept {
        T* p = m_pInterface;
        m_pInterface = nullptr;
        return p;
    }
    void AddRef() {
        if (m_pInterface == nullptr) {
            _com_issue_error(E_POINTER);
        }
        m_pInterface->AddRef();
    }
    // Releases the held reference and becomes null.
    void Release() {
        if (m_pInterface == nullptr) {
            _com_issue_error(E_POINTER);
        }
        ReleaseHeld();
    }

    T* GetInterfacePtr() const noexcept { return m_pInterface; }
    T*& GetInterfacePtr() noexcept { return m_pInterface; }
    operator T*() const noexcept { return m_pInterface; }
    T& operator*() const {
        if (m_pInterface == nullptr) {
            _com_issue_error(E_POINTER);
        }
        return *m_pInterface;
    }
    T* operator->() const {
        if (m_pInterface == nullptr) {
            _com_issue_error(E_POINTER);
        }
        return m_pInterface;
    }
    // For an out parameter: releases the held pointer first.
    T** operator&() noexcept {
        ReleaseHeld();
        return &m_pInterface;
    }
    explicit operator bool() const noexcept { return m_pInterface != nullptr; }
    bool operator!() const noexcept { return m_pInterface == nullptr; }
    bool operator==(std::nullptr_t) const noexcept { return m_pInterface == nullptr; }
    bool operator==(T* p) const noexcept { return m_pInterface == p; }

    HRESULT CreateInstance(const CLSID& rclsid, IUnknown* pOuter = nullptr, DWORD dwClsContext = CLSCTX_ALL) {
        ReleaseHeld();
        const HRESULT hr =
            CoCreateInstance(rclsid, pOuter, dwClsContext, GetIID(), reinterpret_cast<void**>(&m_pInterface));
        if (FAILED(hr)) {
            m_pInterface = nullptr;
        }
        return hr;
    }
    // A braced CLSID text or a ProgID.
    HRESULT CreateInstance(LPCWSTR clsidString, IUnknown* pOuter = nullptr, DWORD dwClsContext = CLSCTX_ALL) {
        if (clsidString == nullptr) {
            return E_INVALIDARG;
        }
        CLSID clsid;
        const HRESULT hr = clsidString[0] == L'{' ? CLSIDFromString(clsidString, &clsid)
                                                  : CLSIDFromProgID(clsidString, &clsid);
        if (FAILED(hr)) {
            ReleaseHeld();
            return hr;
        }
        return CreateInstance(clsid, pOuter, dwClsContext);
    }

    template <class Q> HRESULT QueryInterface(const IID& iid, Q*& p) const {
        if (m_pInterface == nullptr) {
            return E_POINTER;
        }
        return m_pInterface->QueryInterface(iid, reinterpret_cast<void**>(&p));
    }
    template <class Q> HRESULT QueryInterface(const IID& iid, Q** p) const { return QueryInterface(iid, *p); }

private:
    void AddRefHeld() noexcept {
        if (m_pInterface != nullptr) {
            m_pInterface->AddRef();
        }
    }
    void ReleaseHeld() noexcept {
        if (m_pInterface != nullptr) {
            T* held = m_pInterface;
            m_pInterface = nullptr;
            held->Release();
        }
    }
    template <class Q> void QueryFrom(Q* source) {
        T* queried = nullptr;
        HRESULT hr = E_NOINTERFACE;
        if (source != nullptr) {
            hr = source->QueryInterface(GetIID(), reinterpret_cast<void**>(&queried));
            if (FAILED(hr)) {
                queried = nullptr;
            }
        }
        Attach(queried);
        if (FAILED(hr) && hr != E_NOINTERFACE) {
            _com_issue_error(hr);
        }
    }

    T* m_pInterface = nullptr;
};

// The interface-id argument is kept for the familiar spelling; __uuidof(Interface) supplies the id.
#define _COM_SMARTPTR_TYPEDEF(Interface, iid) using Interface##Ptr = _com_ptr_t<Interface>
