// System message texts (FormatMessageW) and the local heap that hands them out.
#pragma once

#include "Platform/WinTypes.h"

#include <cstdarg>

using HLOCAL = void*;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
// Returns null on success, as on Windows.
HLOCAL LocalFree(HLOCAL hMem);

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;

// Only FORMAT_MESSAGE_FROM_SYSTEM is served: the text of a Win32 code or HRESULT with Windows' wording
// (an HRESULT of FACILITY_WIN32 gives its Win32 code's text), ending in "\r\n" as Windows' texts do.
// Inserts ("%1") are left as they stand. With FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is really a
// LPWSTR* that receives a LocalAlloc'd text; otherwise the text is copied into lpBuffer of nSize
// characters. Returns the length without the NUL; 0 with ERROR_MR_MID_NOT_FOUND for a code without text.
// The language is ignored: texts are English.
DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                     DWORD nSize, va_list* Arguments);
