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
