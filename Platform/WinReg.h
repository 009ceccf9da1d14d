// The registry API over our own store: two hives kept as regedit-5 text files in the registry
// folder ($KOVA_REGISTRY_DIR), HKEY_CLASSES_ROOT as the merged view of both hives' Software\Classes.
// Calls return Win32 error codes (ERROR_SUCCESS on success), as on Windows.
#pragma once

#include "Platform/WinTypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

#define KOVA_PREDEFINED_HKEY(value) (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(value)))
#define HKEY_CLASSES_ROOT KOVA_PREDEFINED_HKEY(0x80000000)
#define HKEY_CURRENT_USER KOVA_PREDEFINED_HKEY(0x80000001)
#define HKEY_LOCAL_MACHINE KOVA_PREDEFINED_HKEY(0x80000002)

constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM SYNCHRONIZE = 0x00100000;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
constexpr REGSAM KEY_WRITE = READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Every key is kept on disk; a volatile key is kept like any other.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0;
constexpr DWORD REG_OPTION_VOLATILE = 0x1;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                        LPDWORD lpdwDisposition);
LSTATUS RegCloseKey(HKEY hKey);

// A null lpData with a non-null lpcbData asks for the size; a buffer too small gives ERROR_MORE_DATA
// with the size needed in *lpcbData. String data is counted in bytes of wchar_t.
LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData);
// REG_SZ and REG_EXPAND_SZ data are stored with a terminating NUL, added when the caller left it out.
LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                       DWORD cbData);
LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);

// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise).
LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
// Deletes the subkey with everything under it; a null lpSubKey empties hKey itself.
LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey);

// Subkeys come in the order of their names (case-insensitive), values in the order they were made.
// No class names or write times are kept: lpClass comes back empty and the write time zero.
LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPWSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime);
LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
