// Date and time pictures rendered in a locale (internal to Platform/).
#pragma once

#include "Platform/LocaleTable.h"

#include <string>
#include <string_view>

namespace Platform {

// d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g (era, left out); 'text' is literal, '' a quote.
std::wstring FormatDatePicture(const LocaleData& locale, const SYSTEMTIME& date, std::wstring_view picture);

// h hh H HH, m mm, s ss, t tt; the TIME_* flags drop fields (with the separator in front of them) or
// force 24-hour form.
std::wstring FormatTimePicture(const LocaleData& locale, const SYSTEMTIME& time, std::wstring_view picture,
                               DWORD flags);

} // namespace Platform
