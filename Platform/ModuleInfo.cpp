// Module handles and file names from the dynamic loader's view of the process.
#include "Platform/LibLoaderApi.h"

#include "Platform/Utf.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwctype>
#include <string>

namespace {

// The lowest address of an object's loadable segments: where its ELF header is mapped.
ElfW(Addr) MappedBase(const dl_phdr_info& info) {
    ElfW(Addr) lowest = ~ElfW(Addr){0};
    for (ElfW(Half) i = 0; i < info.dlpi_phnum; ++i) {
        if (info.dlpi_phdr[i].p_type == PT_LOAD) {
            lowest = std::min(lowest, info.dlpi_phdr[i].p_vaddr & ~(ElfW(Addr){0xFFF}));
        }
    }
    return info.dlpi_addr + lowest;
}

HMODULE MainExecutable() {
    static const HMODULE main = [] {
        HMODULE found = nullptr;
        dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void* data) {
                *static_cast<HMODULE*>(data) = reinterpret_cast<HMODULE>(MappedBase(*info));
                return 1; // the first object listed is the executable
            },
            &found);
        return found;
    }();
    return main;
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// The path of the code module mapped at `module`, or empty when none is.
std::string ModulePath(HMODULE module) {
    if (module == nullptr || module == MainExecutable()) {
        return ExecutablePath();
    }
    Dl_info info{};
    if (dladdr(module, &info) == 0 || info.dli_fbase != module || info.dli_fname == nullptr) {
        return {};
    }
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) != nullptr ? std::string(resolved)
                                                         : std::string(info.dli_fname);
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

} // namespace

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    const std::string native = ModulePath(hModule);
    if (native.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::wstring path = Platform::Utf8ToWide(native);
    if (path.size() >= nSize) {
        std::copy_n(path.begin(), nSize - 1, lpFilename);
        lpFilename[nSize - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::copy(path.begin(), path.end(), lpFilename);
    lpFilename[path.size()] = L'\0';
    return static_cast<DWORD>(path.size());
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
    if (lpModuleName == nullptr) {
        return MainExecutable();
    }
    struct Search {
        std::wstring name;
        HMODULE found = nullptr;
    } search{lpModuleName};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* search = static_cast<Search*>(data);
            const std::string path = info->dlpi_name != nullptr ? info->dlpi_name : "";
            const std::wstring fileName = Platform::Utf8ToWide(path.substr(path.rfind('/') + 1));
            if (!fileName.empty() && EqualIgnoringCase(fileName, search->name)) {
                search->found = reinterpret_cast<HMODULE>(MappedBase(*info));
                return 1;
            }
            return 0;
        },
        &search);
    if (search.found == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return search.found;
}

BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
    if (phModule == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phModule = nullptr;
    if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
        *phModule = GetModuleHandleW(lpModuleName);
        return *phModule != nullptr ? TRUE : FALSE;
    }
    Dl_info info{};
    if (lpModuleName == nullptr || dladdr(lpModuleName, &info) == 0 || info.dli_fbase == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    *phModule = static_cast<HMODULE>(info.dli_fbase);
    return TRUE;
}
