// _bstr_t: a shared, reference-counted holder of a BSTR and of its narrow (ANSI code page) copy, made
// on first use. Copies share one BSTR; operations that build a new text give the holder a new one.
#pragma once

#include "Platform/ComIssueError.h"
#include "Platform/OleAuto.h"

class _variant_t;

namespace _com_util {
// ANSI code page <-> BSTR; null gives null. Failure to allocate raises _com_error(E_OUTOFMEMORY).
BSTR ConvertStringToBSTR(const char* pSrc);
char* ConvertBSTRToString(BSTR pSrc); // the caller delete[]s the result
} // namespace _com_util

class _bstr_t {
public:
    _bstr_t() noexcept = default;
    _bstr_t(const _bstr_t& s) noexcept;
    _bstr_t(_bstr_t&& s) noexcept;
    _bstr_t(const char* s);
    _bstr_t(const wchar_t* s);
    _bstr_t(const _variant_t& var); // defined in Platform/VariantT.h
    // fCopy false: the holder takes ownership of bstr; true: it holds a copy of all its characters.
    _bstr_t(BSTR bstr, bool fCopy);
    ~_bstr_t();

    _bstr_t& operator=(const _bstr_t& s) noexcept;
    _bstr_t& operator=(_bstr_t&& s) noexcept;
    _bstr_t& operator=(const char* s);
    _bstr_t& operator=(const wchar_t* s);
    _bstr_t& operator=(const _variant_t& var); // defined in Platform/VariantT.h

    _bstr_t& operator+=(const _bstr_t& s);
    _bstr_t operator+(const _bstr_t& s) const;
    friend _bstr_t operator+(const char* s1, const _bstr_t& s2);
    friend _bstr_t operator+(const wchar_t* s1, const _bstr_t& s2);

    operator const wchar_t*() const noexcept;
    operator wchar_t*() const noexcept;
    operator const char*() const;
    operator char*() const;

    // True when the holder has no string (an empty string is a string).
    bool operator!() const noexcept;
    // Ordering by characters; a missing string equals an empty one.
    bool operator==(const _bstr_t& s) const noexcept { return Compare(s) == 0; }
    bool operator!=(const _bstr_t& s) const noexcept { return Compare(s) != 0; }
    bool operator<(const _bstr_t& s) const noexcept { return Compare(s) < 0; }
    bool operator>(const _bstr_t& s) const noexcept { return Compare(s) > 0; }
    bool operator<=(const _bstr_t& s) const noexcept { return Compare(s) <= 0; }
    bool operator>=(const _bstr_t& s) const noexcept { return Compare(s) >= 0; }
    bool operator==(const wchar_t* s) const { return *this == _bstr_t(s); }
    bool operator!=(const wchar_t* s) const { return *this != _bstr_t(s); }

    // A new BSTR the caller owns (fCopy), or the held one itself (!fCopy).
    BSTR copy(bool fCopy = true) const;
    unsigned int length() const noexcept;
    // Replaces the text with a copy of s (all its characters).
    void Assign(BSTR s);
    // The held BSTR for reading or in-place replacement; makes an empty holder when there is none.
    BSTR& GetBSTR();
    // Frees the held text and returns the address for an out parameter.
    BSTR* GetAddress();
    // Takes ownership of s in a holder of its own.
    void Attach(BSTR s);
    // Gives up the BSTR to the caller; raises E_POINTER when the holder is shared or missing.
    BSTR Detach();

private:
    class Data_t;
    explicit _bstr_t(Data_t* data) noexcept : m_Data(data) {}
    int Compare(const _bstr_t& s) const noexcept;
    void Free() noexcept;

    Data_t* m_Data = nullptr;
};
