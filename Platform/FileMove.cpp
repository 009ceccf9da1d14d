// MoveFileExW on POSIX files: one rename, and with write-through the directory synced after it.
#include "Platform/ErrnoMapping.h"
#include "Platform/FileApi.h"
#include "Platform/FileStat.h"
#include "Platform/PathMapping.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

// Syncs the directory that holds the path, so that a rename in it survives a crash.
bool SyncDirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int descriptor = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    const int error = errno;
    close(descriptor);
    errno = error;
    return synced;
}

} // namespace

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr ||
        (dwFlags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0) {
        return Platform::FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    const std::string source = Platform::NativePath(lpExistingFileName);
    const std::string destination = Platform::NativePath(lpNewFileName);
    // Windows refuses to replace a read-only file or a directory, whatever the caller's rights.
    if ((dwFlags & MOVEFILE_REPLACE_EXISTING) != 0 && Platform::RefusesWrites(destination)) {
        return Platform::FailWithLastError(ERROR_ACCESS_DENIED);
    }
    const unsigned int renameFlags = (dwFlags & MOVEFILE_REPLACE_EXISTING) != 0 ? 0 : RENAME_NOREPLACE;
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), renameFlags) != 0) {
        return Platform::FailFromErrno();
    }
    if ((dwFlags & MOVEFILE_WRITE_THROUGH) != 0 && !SyncDirectoryOf(destination)) {
        return Platform::FailFromErrno();
    }
    return TRUE;
}
