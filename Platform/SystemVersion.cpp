#include "Platform/SysInfoApi.h"
#include "Platform/Utf.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <string>

BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
    if (lpVersionInformation == nullptr ||
        lpVersionInformation->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    utsname names{};
    if (uname(&names) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(names.release, "%u.%u.%u", &major, &minor, &patch);
    lpVersionInformation->dwMajorVersion = major;
    lpVersionInformation->dwMinorVersion = minor;
    lpVersionInformation->dwBuildNumber = patch;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    const std::wstring description =
        Platform::Utf8ToWide(std::string(names.sysname) + " " + names.release + " " + names.machine);
    const std::size_t length = std::min<std::size_t>(description.size(), 127);
    std::copy_n(description.begin(), length, lpVersionInformation->szCSDVersion);
    lpVersionInformation->szCSDVersion[length] = L'\0';
    return TRUE;
}
