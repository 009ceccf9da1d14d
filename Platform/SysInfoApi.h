// System information.
#pragma once

#include "Platform/WinTypes.h"

// $KOVA_SYSTEM_DIR, else the system32 folder beside the platform library. Returns the length
// without the NUL, or the size needed (NUL included) when the buffer is too small.
UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);

constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

// The running kernel's release numbers (major.minor.patch) and, in szCSDVersion, the system's
// name, release and machine, e.g. "Linux 6.1.0-18-amd64 x86_64".
BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation);
