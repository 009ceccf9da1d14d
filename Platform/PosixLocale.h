// A locale's data as the C library holds it (internal to Platform/).
#pragma once

#include "Platform/LocaleTable.h"

#include <string>

namespace Platform {

// Fills the patterns, separators, symbols and names of *data from the C library's locale (for
// example "de_CH", "sr_RS@latin", "C"), read in UTF-8; the ids and names of *data are left alone.
// False when the C library does not have the locale.
bool ReadPosixLocale(const std::string& posixName, LocaleData* data);

} // namespace Platform
