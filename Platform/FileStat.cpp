#include "Platform/FileStat.h"

#include "Platform/FileApi.h"

namespace Platform {
namespace {
constexpr LONGLONG kSecondsFrom1601To1970 = 11644473600LL;
constexpr LONGLONG kIntervalsPerSecond = 10000000LL;
} // namespace

FILETIME FileTimeFromTimespec(const timespec& time) {
    const auto intervals = static_cast<ULONGLONG>(
        (time.tv_sec + kSecondsFrom1601To1970) * kIntervalsPerSecond + time.tv_nsec / 100);
    return FILETIME{static_cast<DWORD>(intervals & 0xFFFFFFFF), static_cast<DWORD>(intervals >> 32)};
}

DWORD FileAttributesFromStat(const struct stat& status) {
    DWORD attributes = 0;
    if (S_ISDIR(status.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if ((status.st_mode & S_IWUSR) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool RefusesWrites(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && (S_ISDIR(status.st_mode) || (status.st_mode & S_IWUSR) == 0);
}

} // namespace Platform
