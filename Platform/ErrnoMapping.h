// The Win32 error code that Windows reports for the failure an errno value describes. EEXIST gives
// ERROR_ALREADY_EXISTS (what CreateDirectoryW reports); a call that reports ERROR_FILE_EXISTS on
// Windows says so itself.
#pragma once

#include "Platform/WinTypes.h"

#include <string>

namespace Platform {

DWORD Win32ErrorFromErrno(int errnoValue);

// Sets the calling thread's last-error code from the current errno.
void SetLastErrorFromErrno();

// As SetLastErrorFromErrno for a call on a native path: ENOENT whose parent directory is missing
// (or is not a directory) is ERROR_PATH_NOT_FOUND, as Windows reports it.
void SetLastErrorFromErrnoForPath(const std::string& path);

// A Win32 call's failure: the last-error code set (from errno), FALSE returned.
BOOL FailWithLastError(DWORD error);
BOOL FailFromErrno();

// Whether the directory holding the native path exists (a path without "/" is in the current one).
bool ParentDirectoryExists(const std::string& path);

} // namespace Platform
