#include "Platform/WinNls.h"

#include "Platform/Utf.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

bool KnownCodePage(UINT codePage) {
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == CP_UTF8;
}

// Copies the converted text into the caller's buffer, or reports the size needed when it has none.
template <class Char> int Deliver(const std::basic_string<Char>& converted, Char* destination, int capacity) {
    const auto needed = static_cast<int>(converted.size());
    if (capacity == 0) {
        return needed;
    }
    if (needed > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), destination);
    return needed;
}

} // namespace

int MultiByteToWideChar(UINT CodePage, DWORD, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar) {
    if (!KnownCodePage(CodePage) || lpMultiByteStr == nullptr || cbMultiByte == 0 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t length =
        cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    return Deliver(Platform::Utf8ToWide({lpMultiByteStr, length}), lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                        int cbMultiByte, LPCSTR, BOOL* lpUsedDefaultChar) {
    if (!KnownCodePage(CodePage) || lpWideCharStr == nullptr || cchWideChar == 0 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (lpUsedDefaultChar != nullptr) {
        *lpUsedDefaultChar = FALSE;
    }
    const std::size_t length =
        cchWideChar < 0 ? std::wcslen(lpWideCharStr) + 1 : static_cast<std::size_t>(cchWideChar);
    return Deliver(Platform::WideToUtf8({lpWideCharStr, length}), lpMultiByteStr, cbMultiByte);
}
