// Decimal numbers in the server's texts (ids, kind codes, attribute values).
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

#include <string_view>

// Optional leading white space and sign, then the digits up to the first other character; no digits
// give 0, and a number beyond the 32-bit range gives the nearest limit.
LONG ParseDecimal(const CStdStr<wchar_t>& text);
// The same for a NUL-terminated text.
LONG ParseDecimalText(const wchar_t* text);

// Whether the text is an object id as the server writes one: decimal digits only (no sign, blanks or
// other characters) naming a number from 1 to the 32-bit maximum; gives it.
bool ParseObjectId(std::wstring_view text, LONG& id);

// Whether the text, read as an XPath number (white space around it, an optional minus, digits with
// an optional decimal point; anything else is NaN), is a whole number in the 32-bit range; gives it.
// So `id` is exactly the number that an XPath comparison "@attribute = id" finds equal to the text.
bool ParseXPathWholeNumber(std::wstring_view text, LONG& id);
