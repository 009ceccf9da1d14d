// Windows LCIDs of the common locales, by POSIX name (internal to Platform/).
#pragma once

#include "Platform/WinTypes.h"

#include <string_view>

namespace Platform {

// "en_AU" -> 0x0C09; 0 for a name not in the table. Case is ignored.
LCID KnownLcid(std::string_view posixName);

// The LCID of the first (main) locale of a language ("de" -> de-DE); 0 for a language not listed.
LCID MainLcidOfLanguage(std::string_view language);

// The POSIX name of a listed LCID (its language id); empty for one not listed.
std::string_view PosixNameOfLcid(LCID lcid);

} // namespace Platform
