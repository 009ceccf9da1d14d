// The calling thread's last-error code.
#pragma once

#include "Platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);
