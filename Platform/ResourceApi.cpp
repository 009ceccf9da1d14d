// Resource modules opened as data, and access to their resources by type and number.
#include "Platform/LibLoaderApi.h"
#include "Platform/PathMapping.h"
#include "Platform/ResourceImages.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

namespace {

constexpr DWORD kDataFlags =
    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE;

} // namespace

HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE, DWORD dwFlags) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((dwFlags & kDataFlags) == 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    auto image = Platform::ReadResourceImage(Platform::NativePath(lpLibFileName), error);
    if (!image) {
        SetLastError(error);
        return nullptr;
    }
    return Platform::OpenDataFileModule(std::move(*image));
}

BOOL FreeLibrary(HMODULE hLibModule) {
    if (hLibModule == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Code modules are not reference counted: freeing one changes nothing.
    if ((reinterpret_cast<ULONG_PTR>(hLibModule) & 1) == 0) {
        return TRUE;
    }
    if (!Platform::CloseDataFileModule(hLibModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    if (!IS_INTRESOURCE(lpType)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    if (!IS_INTRESOURCE(lpName)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const Platform::ResourceImage image = Platform::ResourceImageOf(hModule);
    if (image.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const auto* entry =
        Platform::FindResourceEntry(image, static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(lpType)),
                                    static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(lpName)));
    if (entry == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<Platform::ResourceFormat::DirectoryEntry*>(entry));
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
    const Platform::ResourceImage image = Platform::ResourceImageOf(hModule);
    if (image.empty() || hResInfo == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const auto* entry = reinterpret_cast<const Platform::ResourceFormat::DirectoryEntry*>(hResInfo);
    return const_cast<unsigned char*>(image.data() + entry->offset);
}

LPVOID LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
    if (hResInfo == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<const Platform::ResourceFormat::DirectoryEntry*>(hResInfo)->size;
}
