// BSTR storage: a 32-bit byte length, then the text and a NUL. The pointer handed out points at the text.
#include "Platform/OleAuto.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

struct BStrHeader {
    UINT byteLength;
};

// The text follows the header at an offset that keeps it aligned for wchar_t.
constexpr std::size_t kTextOffset = alignof(wchar_t) > sizeof(BStrHeader) ? alignof(wchar_t)
                                                                          : sizeof(BStrHeader);

BStrHeader* HeaderOf(BSTR text) {
    return reinterpret_cast<BStrHeader*>(reinterpret_cast<char*>(text) - kTextOffset);
}

BSTR AllocateBytes(const void* source, UINT byteLength) {
    const std::size_t total = kTextOffset + std::size_t{byteLength} + sizeof(wchar_t);
    char* block = static_cast<char*>(std::malloc(total));
    if (block == nullptr) {
        return nullptr;
    }
    reinterpret_cast<BStrHeader*>(block)->byteLength = byteLength;
    char* text = block + kTextOffset;
    if (source != nullptr) {
        std::memcpy(text, source, byteLength);
    } else {
        std::memset(text, 0, byteLength);
    }
    std::memset(text + byteLength, 0, sizeof(wchar_t));
    return reinterpret_cast<BSTR>(text);
}

constexpr UINT kMaxChars = std::numeric_limits<UINT>::max() / sizeof(wchar_t) - 1;

} // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) {
        return nullptr;
    }
    return SysAllocStringLen(psz, static_cast<UINT>(std::wcslen(psz)));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxChars) {
        return nullptr;
    }
    return AllocateBytes(strIn, static_cast<UINT>(ui * sizeof(wchar_t)));
}

BSTR SysAllocStringByteLen(const char* psz, UINT len) {
    if (len > kMaxChars * sizeof(wchar_t)) {
        return nullptr;
    }
    return AllocateBytes(psz, len);
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    if (pbstr == nullptr) {
        return FALSE;
    }
    return SysReAllocStringLen(pbstr, psz, psz == nullptr ? 0 : static_cast<UINT>(std::wcslen(psz)));
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
    if (pbstr == nullptr) {
        return FALSE;
    }
    BSTR fresh = SysAllocStringLen(psz, len); // psz may point into *pbstr: allocate before freeing
    if (fresh == nullptr) {
        return FALSE;
    }
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

UINT SysStringLen(BSTR pbstr) {
    return pbstr == nullptr ? 0 : HeaderOf(pbstr)->byteLength / sizeof(wchar_t);
}

UINT SysStringByteLen(BSTR bstr) {
    return bstr == nullptr ? 0 : HeaderOf(bstr)->byteLength;
}

void SysFreeString(BSTR bstrString) {
    if (bstrString != nullptr) {
        std::free(HeaderOf(bstrString));
    }
}
