// GUID generation and the braced GUID text form.
#include "Platform/Combase.h"

#include <openssl/rand.h>

#include <cstdlib>
#include <cwchar>

namespace {

constexpr int kGuidTextLength = 38; // braces included, NUL not
// Where the text holds the dashes and the two hex digits of each of Data4's bytes.
constexpr int kDashOffsets[4] = {9, 14, 19, 24};
constexpr int kByteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at text[at]; false when one is not a hex digit.
bool ReadHex(const wchar_t* text, int at, int digits, unsigned long long& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(text[at + i]);
        if (digit < 0) {
            return false;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

bool ParseBracedGuid(const wchar_t* text, GUID& guid) {
    if (std::wcslen(text) != kGuidTextLength || text[0] != L'{' || text[37] != L'}' ||
        text[kDashOffsets[0]] != L'-' || text[kDashOffsets[1]] != L'-' || text[kDashOffsets[2]] != L'-' ||
        text[kDashOffsets[3]] != L'-') {
        return false;
    }
    unsigned long long data1, data2, data3, byte;
    if (!ReadHex(text, 1, 8, data1) || !ReadHex(text, 10, 4, data2) || !ReadHex(text, 15, 4, data3)) {
        return false;
    }
    GUID parsed{static_cast<DWORD>(data1), static_cast<WORD>(data2), static_cast<WORD>(data3), {}};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, kByteOffsets[i], 2, byte)) {
            return false;
        }
        parsed.Data4[i] = static_cast<BYTE>(byte);
    }
    guid = parsed;
    return true;
}

// Writes `value` as `digits` upper-case hex digits at text[at].
void WriteHex(wchar_t* text, int at, int digits, unsigned long long value) {
    for (int i = digits - 1; i >= 0; --i) {
        text[at + i] = L"0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    }
}

} // namespace

LPVOID CoTaskMemAlloc(SIZE_T cb) {
    return std::malloc(cb == 0 ? 1 : cb);
}

void CoTaskMemFree(LPVOID pv) {
    std::free(pv);
}

HRESULT CoCreateGuid(GUID* pguid) {
    if (pguid == nullptr) {
        return E_INVALIDARG;
    }
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        return E_FAIL;
    }
    GUID g{};
    g.Data1 = (DWORD{bytes[0]} << 24) | (DWORD{bytes[1]} << 16) | (DWORD{bytes[2]} << 8) | bytes[3];
    g.Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<WORD>((((bytes[6] << 8) | bytes[7]) & 0x0FFF) | 0x4000); // version 4
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = bytes[8 + i];
    }
    g.Data4[0] = static_cast<BYTE>((g.Data4[0] & 0x3F) | 0x80); // RFC 4122 variant
    *pguid = g;
    return S_OK;
}

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
    if (lpsz == nullptr || cchMax < kGuidTextLength + 1) {
        return 0;
    }
    // Written digit by digit: a listing names each of its items by such a text.
    lpsz[0] = L'{';
    WriteHex(lpsz, 1, 8, rguid.Data1);
    WriteHex(lpsz, 10, 4, rguid.Data2);
    WriteHex(lpsz, 15, 4, rguid.Data3);
    for (int i = 0; i < 8; ++i) {
        WriteHex(lpsz, kByteOffsets[i], 2, rguid.Data4[i]);
    }
    for (const int dash : kDashOffsets) {
        lpsz[dash] = L'-';
    }
    lpsz[kGuidTextLength - 1] = L'}';
    lpsz[kGuidTextLength] = L'\0';
    return kGuidTextLength + 1;
}

HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
    if (lplpsz == nullptr) {
        return E_INVALIDARG;
    }
    *lplpsz = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(OLECHAR)));
    if (*lplpsz == nullptr) {
        return E_OUTOFMEMORY;
    }
    StringFromGUID2(rclsid, *lplpsz, kGuidTextLength + 1);
    return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
    if (pclsid == nullptr) {
        return E_INVALIDARG;
    }
    if (lpsz == nullptr) {
        *pclsid = CLSID_NULL;
        return S_OK;
    }
    return ParseBracedGuid(lpsz, *pclsid) ? S_OK : CO_E_CLASSSTRING;
}

HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid) {
    if (lpiid == nullptr) {
        return E_INVALIDARG;
    }
    if (lpsz == nullptr) {
        *lpiid = IID_NULL;
        return S_OK;
    }
    return ParseBracedGuid(lpsz, *lpiid) ? S_OK : E_INVALIDARG;
}
