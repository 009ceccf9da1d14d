#include "Platform/BstrT.h"

#include "Platform/WinNls.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace _com_util {

BSTR ConvertStringToBSTR(const char* pSrc) {
    if (pSrc == nullptr) {
        return nullptr;
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, pSrc, -1, nullptr, 0); // includes the NUL
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (result == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    MultiByteToWideChar(CP_ACP, 0, pSrc, -1, result, length);
    return result;
}

char* ConvertBSTRToString(BSTR pSrc) {
    if (pSrc == nullptr) {
        return nullptr;
    }
    const int wideLength = static_cast<int>(SysStringLen(pSrc)) + 1; // the NUL too
    const int length = WideCharToMultiByte(CP_ACP, 0, pSrc, wideLength, nullptr, 0, nullptr, nullptr);
    char* result = new (std::nothrow) char[static_cast<std::size_t>(length)];
    if (result == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    WideCharToMultiByte(CP_ACP, 0, pSrc, wideLength, result, length, nullptr, nullptr);
    return result;
}

} // namespace _com_util

class _bstr_t::Data_t {
public:
    explicit Data_t(BSTR owned) noexcept : wide_(owned) {}
    ~Data_t() { Reset(); }
    Data_t(const Data_t&) = delete;
    Data_t& operator=(const Data_t&) = delete;

    void AddRef() noexcept { ++references_; }
    void Release() noexcept {
        if (--references_ == 0) {
            delete this;
        }
    }
    unsigned long RefCount() const noexcept { return references_.load(); }

    BSTR& Wide() noexcept {
        DropNarrow();
        return wide_;
    }
    BSTR Wide() const noexcept { return wide_; }
    char* Narrow() const {
        if (narrow_ == nullptr) {
            narrow_ = _com_util::ConvertBSTRToString(wide_);
        }
        return narrow_;
    }
    void Reset() noexcept {
        SysFreeString(wide_);
        wide_ = nullptr;
        DropNarrow();
    }

private:
    void DropNarrow() noexcept {
        delete[] narrow_;
        narrow_ = nullptr;
    }

    BSTR wide_;
    mutable char* narrow_ = nullptr;
    std::atomic<unsigned long> references_{1}; // process-wide constants are copied on many threads
};

namespace {

// All the characters of a BSTR (embedded NULs included) in a new one; null gives null.
BSTR CopyWhole(BSTR source) {
    if (source == nullptr) {
        return nullptr;
    }
    BSTR copy = SysAllocStringLen(source, SysStringLen(source));
    if (copy == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return copy;
}

BSTR AllocateWide(const wchar_t* s) {
    if (s == nullptr) {
        return nullptr;
    }
    BSTR result = SysAllocString(s);
    if (result == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    return result;
}

BSTR Concatenate(BSTR first, BSTR second) {
    const UINT firstLength = SysStringLen(first);
    const UINT secondLength = SysStringLen(second);
    BSTR result = SysAllocStringLen(nullptr, firstLength + secondLength);
    if (result == nullptr) {
        _com_issue_error(E_OUTOFMEMORY);
    }
    std::copy_n(first, firstLength, result);
    std::copy_n(second, secondLength, result + firstLength);
    return result;
}

} // namespace

_bstr_t::_bstr_t(const _bstr_t& s) noexcept : m_Data(s.m_Data) {
    if (m_Data != nullptr) {
        m_Data->AddRef();
    }
}

_bstr_t::_bstr_t(_bstr_t&& s) noexcept : m_Data(s.m_Data) {
    s.m_Data = nullptr;
}

_bstr_t::_bstr_t(const char* s) : m_Data(new Data_t(_com_util::ConvertStringToBSTR(s))) {}

_bstr_t::_bstr_t(const wchar_t* s) : m_Data(new Data_t(AllocateWide(s))) {}

_bstr_t::_bstr_t(BSTR bstr, bool fCopy) : m_Data(new Data_t(fCopy ? CopyWhole(bstr) : bstr)) {}

_bstr_t::~_bstr_t() {
    Free();
}

void _bstr_t::Free() noexcept {
    if (m_Data != nullptr) {
        m_Data->Release();
        m_Data = nullptr;
    }
}

_bstr_t& _bstr_t::operator=(const _bstr_t& s) noexcept {
    if (m_Data != s.m_Data) {
        Free();
        m_Data = s.m_Data;
        if (m_Data != nullptr) {
            m_Data->AddRef();
        }
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& s) noexcept {
    if (this != &s) {
        Free();
        m_Data = s.m_Data;
        s.m_Data = nullptr;
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(const char* s) {
    return *this = _bstr_t(s);
}

_bstr_t& _bstr_t::operator=(const wchar_t* s) {
    return *this = _bstr_t(s); // s may point into the held text: the copy is made first
}

_bstr_t& _bstr_t::operator+=(const _bstr_t& s) {
    return *this = *this + s;
}

_bstr_t _bstr_t::operator+(const _bstr_t& s) const {
    return _bstr_t(new Data_t(Concatenate(*this, s)));
}

_bstr_t operator+(const char* s1, const _bstr_t& s2) {
    return _bstr_t(s1) + s2;
}

_bstr_t operator+(const wchar_t* s1, const _bstr_t& s2) {
    return _bstr_t(s1) + s2;
}

_bstr_t::operator const wchar_t*() const noexcept {
    return m_Data != nullptr ? static_cast<const Data_t*>(m_Data)->Wide() : nullptr;
}

_bstr_t::operator wchar_t*() const noexcept {
    return m_Data != nullptr ? static_cast<const Data_t*>(m_Data)->Wide() : nullptr;
}

_bstr_t::operator const char*() const {
    return m_Data != nullptr ? m_Data->Narrow() : nullptr;
}

_bstr_t::operator char*() const {
    return m_Data != nullptr ? m_Data->Narrow() : nullptr;
}

bool _bstr_t::operator!() const noexcept {
    return m_Data == nullptr || static_cast<const Data_t*>(m_Data)->Wide() == nullptr;
}

int _bstr_t::Compare(const _bstr_t& s) const noexcept {
    if (m_Data == s.m_Data) {
        return 0;
    }
    const wchar_t* mine = *this;
    const wchar_t* theirs = s;
    const UINT myLength = length();
    const UINT theirLength = s.length();
    const UINT common = std::min(myLength, theirLength);
    for (UINT i = 0; i < common; ++i) {
        if (mine[i] != theirs[i]) {
            return mine[i] < theirs[i] ? -1 : 1;
        }
    }
    return myLength < theirLength ? -1 : (myLength == theirLength ? 0 : 1);
}

BSTR _bstr_t::copy(bool fCopy) const {
    if (m_Data == nullptr) {
        return nullptr;
    }
    BSTR held = static_cast<const Data_t*>(m_Data)->Wide();
    return fCopy ? CopyWhole(held) : held;
}

unsigned int _bstr_t::length() const noexcept {
    return m_Data != nullptr ? SysStringLen(static_cast<const Data_t*>(m_Data)->Wide()) : 0;
}

void _bstr_t::Assign(BSTR s) {
    Attach(CopyWhole(s));
}

BSTR& _bstr_t::GetBSTR() {
    if (m_Data == nullptr) {
        m_Data = new Data_t(nullptr);
    }
    return m_Data->Wide();
}

BSTR* _bstr_t::GetAddress() {
    Attach(nullptr);
    return &m_Data->Wide();
}

void _bstr_t::Attach(BSTR s) {
    Data_t* fresh = new Data_t(s);
    Free();
    m_Data = fresh;
}

BSTR _bstr_t::Detach() {
    if (m_Data == nullptr || m_Data->RefCount() != 1) {
        _com_issue_error(E_POINTER);
    }
    BSTR held = m_Data->Wide();
    m_Data->Wide() = nullptr;
    Free();
    return held;
}
