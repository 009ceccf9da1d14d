#include "Platform/ErrnoMapping.h"

#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <sys/stat.h>

#include <cerrno>

namespace Platform {

DWORD Win32ErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EAGAIN:
        return ERROR_LOCK_VIOLATION;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case EIO:
        return ERROR_GEN_FAILURE;
    case ENOSYS:
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    case ETIMEDOUT:
        return ERROR_TIMEOUT;
    case ECANCELED:
        return ERROR_REQUEST_ABORTED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

void SetLastErrorFromErrno() {
    SetLastError(Win32ErrorFromErrno(errno));
}

void SetLastErrorFromErrnoForPath(const std::string& path) {
    const int error = errno;
    SetLastError(error == ENOENT && !ParentDirectoryExists(path) ? ERROR_PATH_NOT_FOUND
                                                                 : Win32ErrorFromErrno(error));
}

bool ParentDirectoryExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return true;
    }
    struct stat status {};
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    return stat(parent.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

BOOL FailWithLastError(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL FailFromErrno() {
    SetLastErrorFromErrno();
    return FALSE;
}

} // namespace Platform
