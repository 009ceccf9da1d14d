// GUIDs and the interface-id lookup that stands in for the compiler's __uuidof.
//
// An interface (or class) gets its id once, next to its declaration:
//     KOVA_DECLARE_UUID(IUnknown, "00000000-0000-0000-C000-000000000046")
// and code asks for it as on Windows: __uuidof(IUnknown).
#pragma once

#include "Platform/WinTypes.h"

#include <type_traits>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
            return false;
        }
        for (int i = 0; i < 8; ++i) {
            if (a.Data4[i] != b.Data4[i]) {
                return false;
            }
        }
        return true;
    }
};

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPCLSID = CLSID*;
using LPIID = IID*;

inline constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
inline constexpr bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
inline constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return a == b;
}
inline constexpr bool InlineIsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_NULL = GUID_NULL;
constexpr CLSID CLSID_NULL = GUID_NULL;

namespace Platform {

// Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" at compile time; a malformed text fails to compile.
constexpr unsigned HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    throw "invalid hexadecimal digit in GUID text";
}

constexpr unsigned long long HexField(const char* text, int begin, int digits) {
    unsigned long long value = 0;
    for (int i = 0; i < digits; ++i) {
        value = value * 16 + HexDigit(text[begin + i]);
    }
    return value;
}

template <std::size_t N> constexpr GUID GuidFromText(const char (&text)[N]) {
    static_assert(N == 37, "GUID text must have the form xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx");
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
        throw "misplaced separator in GUID text";
    }
    GUID g{static_cast<DWORD>(HexField(text, 0, 8)),
           static_cast<WORD>(HexField(text, 9, 4)),
           static_cast<WORD>(HexField(text, 14, 4)),
           {}};
    g.Data4[0] = static_cast<BYTE>(HexField(text, 19, 2));
    g.Data4[1] = static_cast<BYTE>(HexField(text, 21, 2));
    for (int i = 0; i < 6; ++i) {
        g.Data4[2 + i] = static_cast<BYTE>(HexField(text, 24 + 2 * i, 2));
    }
    return g;
}

template <class T> struct UuidOf; // specialised by KOVA_DECLARE_UUID

template <class T> using UuidTarget = std::remove_cv_t<std::remove_pointer_t<std::remove_cvref_t<T>>>;

} // namespace Platform

#define KOVA_DECLARE_UUID(Type, text)                                                                        \
    template <> struct Platform::UuidOf<Type> { static constexpr GUID value = Platform::GuidFromText(text); }

// The id of an interface or class type (also accepts a pointer type).
#define __uuidof(Type) (::Platform::UuidOf<::Platform::UuidTarget<Type>>::value)
