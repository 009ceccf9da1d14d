// Conversions between narrow and wide text. The ANSI code page is UTF-8 on this platform, so
// CP_ACP and CP_UTF8 are the same conversion; invalid bytes decode to U+FFFD.
#pragma once

#include "Platform/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

// cbMultiByte / cchWideChar of -1 mean "up to and including the terminating NUL".
// A destination size of 0 returns the size needed.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);

// Locales (Platform/UserLocale.h says which are known).
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_CUSTOM_DEFAULT = 0x0C00;
constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x00000059;
constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x0000005A;

// The user's UI language: LC_ALL, LC_MESSAGES, then LANG.
LANGID GetUserDefaultUILanguage();
// Returns the characters written, NUL included; with cchData 0, the size needed.
int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);
