// Small helpers for tests that call COM interfaces through their raw methods.
#pragma once

#include "Platform/ComText.h"
#include "Platform/OleAuto.h"

#include <string>

namespace PlatformTest {

// Owns one reference.
template <class T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* adopted) : p_(adopted) {}
    Ref(Ref&& other) noexcept : p_(other.Detach()) {}
    Ref& operator=(Ref&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    ~Ref() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    T** Out() { return &p_; }
    void Reset(T* adopted) {
        Ref old(p_);
        p_ = adopted;
    }
    T* Detach() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Owns a BSTR.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : text_(SysAllocString(text)) {}
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }
    operator BSTR() const { return text_; }
    BSTR* Out() { return &text_; }
    std::wstring str() const { return std::wstring(Platform::BstrView(text_)); }

private:
    BSTR text_ = nullptr;
};

// Reads a BSTR property through a getter such as &IXMLDOMNode::get_text.
template <class T, class Getter> std::wstring ReadText(T* object, Getter getter) {
    Bstr text;
    (object->*getter)(text.Out());
    return text.str();
}

} // namespace PlatformTest
