// Loaded modules. A code module's handle (HMODULE) is the address at which the shared object or
// the executable is mapped, as on Windows; code modules are not reference counted here.
#pragma once

#include "Platform/WinTypes.h"

// Null names the main executable; a module handle names that shared object. Paths are native
// absolute paths. A buffer that is too small gets the truncated path with its NUL; the call then
// returns nSize and sets ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

// Null gives the main executable; otherwise the loaded module whose file name (without
// directory) equals lpModuleName without regard to case.
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);

constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_PIN = 0x00000001;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x00000002;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x00000004;

// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS lpModuleName is an address inside the module.
BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule);

// Resource modules. LoadLibraryExW opens a resource module file (or, by its path, a loaded code
// module that carries resources) as data; the handle's low bit marks it. Loading code is not
// offered: code modules are loaded with the dynamic loader.
constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x00000001;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE = 0x00000040;

HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
BOOL FreeLibrary(HMODULE hLibModule);

inline LPWSTR MAKEINTRESOURCEW(WORD id) {
    return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id));
}
inline bool IS_INTRESOURCE(LPCWSTR name) {
    return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_VERSION MAKEINTRESOURCEW(16)

// The reason a module's entry point (DllMain) is called with when the module is loaded.
constexpr DWORD DLL_PROCESS_ATTACH = 1;

// Resources are named by number (MAKEINTRESOURCEW). A null module is the executable.
HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
