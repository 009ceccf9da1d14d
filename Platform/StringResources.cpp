#include "Platform/LibLoaderApi.h"
#include "Platform/ResourceFormat.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinUser.h"

#include <algorithm>
#include <cstdint>

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    using Platform::ResourceFormat::kStringsPerBlock;
    if (lpBuffer == nullptr || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cchBufferMax > 0) {
        lpBuffer[0] = L'\0';
    }
    const UINT block = uID / kStringsPerBlock + 1;
    if (block > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    HRSRC found = FindResourceW(hInstance, MAKEINTRESOURCEW(static_cast<WORD>(block)), RT_STRING);
    if (found == nullptr) {
        return 0;
    }
    const auto* cursor = static_cast<const std::uint32_t*>(LockResource(LoadResource(hInstance, found)));
    const std::uint32_t* end = cursor + SizeofResource(hInstance, found) / sizeof(std::uint32_t);
    for (UINT index = uID % kStringsPerBlock; cursor < end && index > 0; --index) {
        cursor += 1 + std::min<std::size_t>(*cursor, static_cast<std::size_t>(end - cursor - 1));
    }
    if (cursor >= end || *cursor == 0 || *cursor > static_cast<std::size_t>(end - cursor - 1)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const auto length = static_cast<int>(*cursor);
    const auto* text = reinterpret_cast<const wchar_t*>(cursor + 1);
    if (cchBufferMax == 0) {
        *reinterpret_cast<const wchar_t**>(lpBuffer) = text;
        return length;
    }
    const int copied = std::min(length, cchBufferMax - 1);
    std::copy_n(text, copied, lpBuffer);
    lpBuffer[copied] = L'\0';
    return copied;
}
