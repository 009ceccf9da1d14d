// Directory creation and removal, file deletion and attributes, by Windows-form path.
#include "Platform/ErrnoMapping.h"
#include "Platform/FileApi.h"
#include "Platform/FileStat.h"
#include "Platform/PathMapping.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Windows reports a missing parent directory as ERROR_PATH_NOT_FOUND.
BOOL FailWithPathError() {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Platform::Win32ErrorFromErrno(errno));
    return FALSE;
}

} // namespace

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(Platform::NativePath(lpPathName).c_str(), 0777) != 0) {
        return FailWithPathError();
    }
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
    if (lpPathName == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (rmdir(Platform::NativePath(lpPathName).c_str()) != 0) {
        if (errno == ENOENT) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        return FailWithPathError();
    }
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const std::string path = Platform::NativePath(lpFileName);
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        Platform::SetLastErrorFromErrnoForPath(path);
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string path = Platform::NativePath(lpFileName);
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        Platform::SetLastErrorFromErrnoForPath(path);
        return INVALID_FILE_ATTRIBUTES;
    }
    return Platform::FileAttributesFromStat(status);
}
