// File handles over POSIX descriptors.
#include "Platform/ErrnoMapping.h"
#include "Platform/FileIoApi.h"
#include "Platform/FileStat.h"
#include "Platform/PathMapping.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace {

class FileObject final : public Platform::KernelObject {
public:
    FileObject(int descriptor, DWORD access) : descriptor_(descriptor), access_(access) {}
    ~FileObject() override { close(descriptor_); }
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Descriptor() const { return descriptor_; }
    bool Allows(DWORD access) const { return (access_ & access) != 0; }

private:
    int descriptor_;
    DWORD access_;
};

// Whether an open would write to or empty the file that exists (CREATE_NEW fails on it anyway).
bool ChangesExistingContent(DWORD access, DWORD disposition) {
    return disposition != CREATE_NEW && ((access & GENERIC_WRITE) != 0 || disposition == CREATE_ALWAYS);
}

int OpenFlags(DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC;
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    default:
        return flags;
    }
}

bool ValidDisposition(DWORD access, DWORD disposition) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        return false;
    }
    return disposition != TRUNCATE_EXISTING || (access & GENERIC_WRITE) != 0;
}

FileObject* FileFromHandle(HANDLE handle, DWORD access) {
    auto* file = Platform::ObjectFromHandle<FileObject>(handle);
    if (file != nullptr && access != 0 && !file->Allows(access)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

bool Seek(FileObject& file, LONGLONG distance, DWORD method, LONGLONG& position) {
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (method > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    LONGLONG base = 0;
    if (method != FILE_BEGIN) {
        base = lseek(file.Descriptor(), 0, kWhence[method]);
        if (base < 0) {
            Platform::SetLastErrorFromErrno();
            return false;
        }
    }
    if (base + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    position = lseek(file.Descriptor(), base + distance, SEEK_SET);
    if (position < 0) {
        Platform::SetLastErrorFromErrno();
        return false;
    }
    SetLastError(NO_ERROR);
    return true;
}

} // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    if (lpFileName == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!ValidDisposition(dwDesiredAccess, dwCreationDisposition)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = Platform::NativePath(lpFileName);
    struct stat before {};
    const bool existed = stat(path.c_str(), &before) == 0;
    // Windows refuses to write a read-only file whatever the caller's rights, root's included.
    const bool readOnly =
        existed && (Platform::FileAttributesFromStat(before) & FILE_ATTRIBUTE_READONLY) != 0;
    if (existed && (S_ISDIR(before.st_mode) ||
                    (readOnly && ChangesExistingContent(dwDesiredAccess, dwCreationDisposition)))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const int descriptor = open(path.c_str(), OpenFlags(dwDesiredAccess, dwCreationDisposition), 0666);
    if (descriptor < 0) {
        if (errno == EEXIST) {
            SetLastError(ERROR_FILE_EXISTS);
        } else {
            Platform::SetLastErrorFromErrnoForPath(path);
        }
        return INVALID_HANDLE_VALUE;
    }
    if ((dwFlagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) != 0) {
        posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    const bool reportsExisting =
        existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : NO_ERROR);
    return static_cast<Platform::KernelObject*>(new FileObject(descriptor, dwDesiredAccess));
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = 0;
    }
    FileObject* file = FileFromHandle(hFile, GENERIC_READ);
    if (file == nullptr) {
        return FALSE;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead != 0)) {
        return Platform::FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    auto* bytes = static_cast<char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        const ssize_t got = read(file->Descriptor(), bytes + total, nNumberOfBytesToRead - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Platform::FailFromErrno();
        }
        if (got == 0) {
            break;
        }
        total += static_cast<DWORD>(got);
    }
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = total;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    FileObject* file = FileFromHandle(hFile, GENERIC_WRITE);
    if (file == nullptr) {
        return FALSE;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite != 0)) {
        return Platform::FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    const auto* bytes = static_cast<const char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToWrite) {
        const ssize_t put = write(file->Descriptor(), bytes + total, nNumberOfBytesToWrite - total);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            return Platform::FailFromErrno();
        }
        total += static_cast<DWORD>(put);
        if (lpNumberOfBytesWritten != nullptr) {
            *lpNumberOfBytesWritten = total;
        }
    }
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
    FileObject* file = FileFromHandle(hFile, 0);
    if (file == nullptr) {
        return FALSE;
    }
    if (lpFileSize == nullptr) {
        return Platform::FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    struct stat status {};
    if (fstat(file->Descriptor(), &status) != 0) {
        return Platform::FailFromErrno();
    }
    lpFileSize->QuadPart = status.st_size;
    return TRUE;
}

DWORD GetFinalPathNameByHandleW(HANDLE hFile, LPWSTR lpszFilePath, DWORD cchFilePath, DWORD dwFlags) {
    FileObject* file = FileFromHandle(hFile, 0);
    if (file == nullptr) {
        return 0;
    }
    if (dwFlags != (FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) ||
        (lpszFilePath == nullptr && cchFilePath != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The kernel keeps the resolved path of every open descriptor.
    const std::string link = "/proc/self/fd/" + std::to_string(file->Descriptor());
    std::string native(PATH_MAX, '\0');
    const ssize_t length = readlink(link.c_str(), native.data(), native.size());
    if (length <= 0 || static_cast<std::size_t>(length) == native.size()) {
        Platform::SetLastErrorFromErrno();
        return 0;
    }
    native.resize(static_cast<std::size_t>(length));
    const std::wstring windows = Platform::WindowsPath(native);
    if (windows.size() >= cchFilePath) {
        return static_cast<DWORD>(windows.size() + 1);
    }
    windows.copy(lpszFilePath, windows.size());
    lpszFilePath[windows.size()] = L'\0';
    return static_cast<DWORD>(windows.size());
}

BOOL FlushFileBuffers(HANDLE hFile) {
    FileObject* file = FileFromHandle(hFile, GENERIC_WRITE);
    if (file == nullptr) {
        return FALSE;
    }
    if (fsync(file->Descriptor()) != 0) {
        return Platform::FailFromErrno();
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    FileObject* file = FileFromHandle(hFile, 0);
    if (file == nullptr) {
        return INVALID_SET_FILE_POINTER;
    }
    LONGLONG distance = lDistanceToMove;
    if (lpDistanceToMoveHigh != nullptr) {
        distance =
            static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                                  static_cast<DWORD>(lDistanceToMove));
    }
    LONGLONG position = 0;
    if (!Seek(*file, distance, dwMoveMethod, position)) {
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr) {
        *lpDistanceToMoveHigh = static_cast<LONG>(position >> 32);
    }
    return static_cast<DWORD>(position);
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                      DWORD dwMoveMethod) {
    FileObject* file = FileFromHandle(hFile, 0);
    if (file == nullptr) {
        return FALSE;
    }
    LONGLONG position = 0;
    if (!Seek(*file, liDistanceToMove.QuadPart, dwMoveMethod, position)) {
        return FALSE;
    }
    if (lpNewFilePointer != nullptr) {
        lpNewFilePointer->QuadPart = position;
    }
    return TRUE;
}

BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation) {
    if (fInfoLevelId != GetFileExInfoStandard || lpFileInformation == nullptr) {
        return Platform::FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    if (lpFileName == nullptr) {
        return Platform::FailWithLastError(ERROR_FILE_NOT_FOUND);
    }
    const std::string path = Platform::NativePath(lpFileName);
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        Platform::SetLastErrorFromErrnoForPath(path);
        return FALSE;
    }
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(lpFileInformation);
    data->dwFileAttributes = Platform::FileAttributesFromStat(status);
    data->ftCreationTime = Platform::FileTimeFromTimespec(status.st_ctim);
    data->ftLastAccessTime = Platform::FileTimeFromTimespec(status.st_atim);
    data->ftLastWriteTime = Platform::FileTimeFromTimespec(status.st_mtim);
    const auto size = static_cast<ULONGLONG>(S_ISDIR(status.st_mode) ? 0 : status.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    return TRUE;
}
