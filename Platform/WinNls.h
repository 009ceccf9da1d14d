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

// Locales. The user locale comes from the environment (LC_ALL, then LC_TIME, then LANG; the UI
// language reads LC_MESSAGES in place of LC_TIME). Every locale the C library has installed is known,
// with its data; common ones have their Windows LCIDs, others are LOCALE_CUSTOM_DEFAULT. Unset, C,
// POSIX and names neither known nor installed are en-US. A known LCID whose locale is not installed
// fails with ERROR_INVALID_PARAMETER (en-US then takes the C locale's data).
constexpr WORD SORT_DEFAULT = 0;
inline constexpr LCID MAKELCID(WORD languageId, WORD sortId) {
    return (DWORD{sortId} << 16) | languageId;
}
inline constexpr LANGID LANGIDFROMLCID(LCID lcid) {
    return static_cast<LANGID>(lcid & 0xFFFF);
}

constexpr LCID LOCALE_NEUTRAL = 0x0000;
constexpr LCID LOCALE_INVARIANT = 0x007F;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_CUSTOM_DEFAULT = 0x0C00;
constexpr LCID LOCALE_CUSTOM_UNSPECIFIED = 0x1000;
constexpr LCID LOCALE_CUSTOM_UI_DEFAULT = 0x1400;

LCID GetUserDefaultLCID();
LCID GetSystemDefaultLCID();
LANGID GetUserDefaultLangID();
LANGID GetUserDefaultUILanguage();
// The calling thread's locale: the user locale until SetThreadLocale changes it.
LCID GetThreadLocale();
BOOL SetThreadLocale(LCID Locale);

constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr LCTYPE LOCALE_USE_CP_ACP = 0x40000000;
constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;
constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;
constexpr LCTYPE LOCALE_SCURRENCY = 0x0014;
constexpr LCTYPE LOCALE_SINTLSYMBOL = 0x0015;
constexpr LCTYPE LOCALE_SMONDECIMALSEP = 0x0016;
constexpr LCTYPE LOCALE_SMONTHOUSANDSEP = 0x0017;
constexpr LCTYPE LOCALE_SDATE = 0x001D;
constexpr LCTYPE LOCALE_STIME = 0x001E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x001F;
constexpr LCTYPE LOCALE_SLONGDATE = 0x0020;
constexpr LCTYPE LOCALE_IDATE = 0x0021;
constexpr LCTYPE LOCALE_S1159 = 0x0028;
constexpr LCTYPE LOCALE_S2359 = 0x0029;
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x002A;         // Monday; SDAYNAME7 (0x0030) is Sunday
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x0031;   // to 0x0037
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x0038;       // to 0x0043
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x0044; // to 0x004F
constexpr LCTYPE LOCALE_SNEGATIVESIGN = 0x0051;
constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;
constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A;
constexpr LCTYPE LOCALE_SNAME = 0x005C;
constexpr LCTYPE LOCALE_SSHORTTIME = 0x0079;
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;

// Returns the characters written including the NUL; with cchData 0, the size needed.
int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);

constexpr DWORD DATE_SHORTDATE = 0x0001;
constexpr DWORD DATE_LONGDATE = 0x0002;
constexpr DWORD TIME_NOMINUTESORSECONDS = 0x0001;
constexpr DWORD TIME_NOSECONDS = 0x0002;
constexpr DWORD TIME_NOTIMEMARKER = 0x0004;
constexpr DWORD TIME_FORCE24HOURFORMAT = 0x0008;

// A null date or time is the current local time; a null format the locale's own (short date unless
// DATE_LONGDATE; the long time format). Pictures use the Windows letters (d M y, h H m s t) and
// 'quoted' text. Return values as GetLocaleInfoW.
int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat, LPWSTR lpDateStr,
                   int cchDate);
int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat, LPWSTR lpTimeStr,
                   int cchTime);
