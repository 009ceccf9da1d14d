// The shell's known folders.
#pragma once

#include "Platform/WinTypes.h"

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr int CSIDL_FLAG_MASK = 0xFF00;

constexpr DWORD SHGFP_TYPE_CURRENT = 0;
constexpr DWORD SHGFP_TYPE_DEFAULT = 1;

// CSIDL_PERSONAL is the XDG documents directory, else ~/Documents, as a native absolute path.
// pszPath holds MAX_PATH characters. Other folders give E_INVALIDARG.
HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);
