// Decimal numbers in the server's texts (ids, kind codes, attribute values).
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

// Optional leading white space and sign, then the digits up to the first other character; no digits
// give 0, and a number beyond the 32-bit range gives the nearest limit.
LONG ParseDecimal(const CStdStr<wchar_t>& text);
