// The current process.
#pragma once

#include "Platform/WinTypes.h"

DWORD GetCurrentProcessId();
