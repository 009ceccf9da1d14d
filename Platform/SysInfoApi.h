// System information.
#pragma once

#include "Platform/WinTypes.h"

// $KOVA_SYSTEM_DIR, else the system32 folder beside the platform library. Returns the length
// without the NUL, or the size needed (NUL included) when the buffer is too small.
UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
