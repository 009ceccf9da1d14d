// Win32 views of a file's status: times as FILETIME and the mode as FILE_ATTRIBUTE_* flags.
#pragma once

#include "Platform/WinTypes.h"

#include <ctime>
#include <string>
#include <sys/stat.h>

namespace Platform {

// 100-nanosecond intervals since 1601-01-01 UTC.
FILETIME FileTimeFromTimespec(const timespec& time);

// Directories carry FILE_ATTRIBUTE_DIRECTORY; an entry the owner cannot write is read-only; a
// file with no other attribute is FILE_ATTRIBUTE_NORMAL.
DWORD FileAttributesFromStat(const struct stat& status);

// Whether the path names an existing file or directory that Windows refuses to write, open for
// writing or replace whatever the caller's rights, root's included: a directory, or an entry its
// owner cannot write.
bool RefusesWrites(const std::string& path);

} // namespace Platform
