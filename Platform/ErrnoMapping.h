// The Win32 error code that Windows reports for the failure an errno value describes. EEXIST gives
// ERROR_ALREADY_EXISTS (what CreateDirectoryW reports); a call that reports ERROR_FILE_EXISTS on
// Windows says so itself.
#pragma once

#include "Platform/WinTypes.h"

namespace Platform {

DWORD Win32ErrorFromErrno(int errnoValue);

// Sets the calling thread's last-error code from the current errno.
void SetLastErrorFromErrno();

} // namespace Platform
