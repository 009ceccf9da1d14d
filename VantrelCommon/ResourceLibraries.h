// The four modules that hold user-visible texts, and how they are found and loaded. Strings are
// looked up in the language library, the library itself, the common library and the brand library,
// in that order (CStdStr<wchar_t>::LoadString).
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

#include <functional>

// Process-wide handles, set by the library's start-up code; null when not loaded.
HINSTANCE& GetModuleInstance(); // starts as the executable's handle
HMODULE& GetLanguageResources();
HMODULE& GetCommonResources();
HMODULE& GetBrandResources();

// Every loaded string passes through this function when one is installed.
using BrandPlaceholderReplacer = std::function<CStdStr<wchar_t>&(CStdStr<wchar_t>&)>;
BrandPlaceholderReplacer& GetBrandPlaceholderReplacer();

// OverrideLangId, else the user's UI language as an ISO 639 name ("en", "de").
CStdStr<wchar_t> GetLanguageCode();

// directory<code>\name-<code>.extension, else (when allowed) directory name.extension. The
// directory is the install directory, or the value of the named string setting. Throws _com_error
// E_INVALIDARG when generic files are allowed and neither exists; gives empty otherwise.
CStdStr<wchar_t> FindLocalizedFile(const CStdStr<wchar_t>& name, const CStdStr<wchar_t>& extension,
                                   bool allowGeneric, const CStdStr<wchar_t>& directorySetting);

HMODULE LoadLanguageResources(const CStdStr<wchar_t>& moduleBaseName);
HMODULE LoadUsersCommonResources(CStdStr<wchar_t> directorySetting);
HMODULE LoadBrandResources(CStdStr<wchar_t> directorySetting);

// The short date, a blank and the time without seconds in the user's locale; a part the platform
// cannot format is left out (the date with its blank).
CStdStr<wchar_t> FormatLocalDateTime(const SYSTEMTIME& time);
