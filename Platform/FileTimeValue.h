// FILETIME as one 64-bit number, and the process time zone's offset (internal to Platform/).
#pragma once

#include "Platform/WinTypes.h"

namespace Platform {

ULONGLONG FileTimeValue(const FILETIME& fileTime);
FILETIME MakeFileTime(ULONGLONG value);

// Seconds to add to UTC for the local time of the process time zone (TZ), now.
LONGLONG CurrentUtcOffsetSeconds();

} // namespace Platform
