// Version blocks: the RT_VERSION resource 1 of a module file, which holds a VS_FIXEDFILEINFO.
#include "Platform/LibLoaderApi.h"
#include "Platform/PathMapping.h"
#include "Platform/ResourceImages.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinVer.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t kVersionType = 16;
constexpr std::uint32_t kVersionName = 1;

std::optional<std::vector<unsigned char>> ReadVersionBlock(LPCWSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    DWORD error = ERROR_SUCCESS;
    const auto image = Platform::ReadResourceImage(Platform::NativePath(fileName), error);
    if (!image) {
        SetLastError(error == ERROR_MOD_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error);
        return std::nullopt;
    }
    const auto* entry = Platform::FindResourceEntry(*image, kVersionType, kVersionName);
    if (entry == nullptr || entry->size < sizeof(VS_FIXEDFILEINFO)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return std::nullopt;
    }
    const auto begin = image->begin() + entry->offset;
    return std::vector<unsigned char>(begin, begin + entry->size);
}

} // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle != nullptr) {
        *lpdwHandle = 0;
    }
    const auto block = ReadVersionBlock(lptstrFilename);
    return block ? static_cast<DWORD>(block->size()) : 0;
}

BOOL GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
    if (lpData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto block = ReadVersionBlock(lptstrFilename);
    if (!block) {
        return FALSE;
    }
    if (dwLen < sizeof(VS_FIXEDFILEINFO)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpData, block->data(), std::min<std::size_t>(dwLen, block->size()));
    return TRUE;
}

BOOL VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
    if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) {
        return FALSE;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(pBlock);
    if (std::wcscmp(lpSubBlock, L"\\") != 0 || fixed->dwSignature != VS_FFI_SIGNATURE) {
        return FALSE;
    }
    *lplpBuffer = const_cast<VS_FIXEDFILEINFO*>(fixed);
    if (puLen != nullptr) {
        *puLen = sizeof(VS_FIXEDFILEINFO);
    }
    return TRUE;
}
