#include "Platform/ProcessEnv.h"

#include "Platform/Utf.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::wstring Expand(std::wstring_view text) {
    std::wstring out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find(L'%', pos);
        const std::size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, open - pos));
        const std::wstring_view name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(Platform::WideToUtf8(name).c_str());
        if (value != nullptr) {
            out.append(Platform::Utf8ToWide(value));
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        pos = close + 1;
    }
    return out;
}

} // namespace

DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
    if (lpSrc == nullptr || (lpDst == nullptr && nSize != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring expanded = Expand(lpSrc);
    const auto needed = static_cast<DWORD>(expanded.size() + 1);
    if (needed <= nSize) {
        std::wmemcpy(lpDst, expanded.c_str(), needed);
    }
    return needed;
}
