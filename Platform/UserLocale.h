// The user's locale, from the environment: LC_ALL, then the category's variable, then LANG, mapped
// to an LCID of a locale the layer knows. Unset, "C", "POSIX" and unknown locales give en-US.
#pragma once

#include "Platform/WinTypes.h"

#include <string_view>

namespace Platform {

struct KnownLocale {
    LCID lcid;
    const wchar_t* language; // ISO 639
    const wchar_t* country;  // ISO 3166
};

// The locale named by a POSIX locale text ("de_DE.UTF-8", "en_GB", "fr"); language-only names take
// the first known locale of that language.
const KnownLocale& LocaleFromName(std::string_view posixName);

// The locale of the environment for the category variable (e.g. "LC_MESSAGES").
const KnownLocale& EnvironmentLocale(const char* categoryVariable);

// The known locale of an LCID, or null.
const KnownLocale* FindLocale(LCID lcid);

} // namespace Platform
