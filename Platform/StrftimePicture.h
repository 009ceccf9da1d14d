// C library date and time patterns in the Windows picture form (internal to Platform/).
#pragma once

#include <string>
#include <string_view>

namespace Platform {

// A strftime pattern ("%d/%m/%Y", "%I:%M:%S %p") as a Windows picture ("dd/MM/yyyy", "hh:mm:ss tt").
// Two-digit years (%y) become yyyy: Windows shows four digits in its short dates, and a four-digit
// year reads back as the same date. %r takes twelveHourFormat (the locale's T_FMT_AMPM); time zones
// and conversions without a picture letter are left out; other text is kept, quoted where it holds
// letters.
std::wstring PictureFromStrftime(std::string_view format, std::string_view twelveHourFormat);

// The picture without its seconds and the separator in front of them ("HH:mm:ss" -> "HH:mm").
std::wstring PictureWithoutSeconds(std::wstring_view picture);

} // namespace Platform
