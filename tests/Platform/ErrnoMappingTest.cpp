#include "Platform/ErrnoMapping.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

TEST(ErrnoMapping, GivesWindowsCodes) {
    const std::pair<int, LONG> cases[] = {{0, ERROR_SUCCESS},
                                          {ENOENT, ERROR_FILE_NOT_FOUND},
                                          {ENOTDIR, ERROR_PATH_NOT_FOUND},
                                          {EACCES, ERROR_ACCESS_DENIED},
                                          {EPERM, ERROR_ACCESS_DENIED},
                                          {EEXIST, ERROR_ALREADY_EXISTS},
                                          {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
                                          {ENOSPC, ERROR_DISK_FULL},
                                          {ECANCELED, ERROR_REQUEST_ABORTED},
                                          {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
                                          {EINVAL, ERROR_INVALID_PARAMETER}};
    for (const auto& [errnoValue, win32] : cases) {
        EXPECT_EQ(Platform::Win32ErrorFromErrno(errnoValue), static_cast<DWORD>(win32))
            << "errno " << errnoValue;
    }
}

TEST(ErrnoMapping, SetsLastErrorFromCurrentErrno) {
    errno = EACCES;
    Platform::SetLastErrorFromErrno();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}
