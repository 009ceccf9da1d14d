// CopyFileExW and GetTempFileNameW on POSIX files.
#include "Platform/FileCopy.h"

#include "Platform/ErrnoMapping.h"
#include "Platform/FileStat.h"
#include "Platform/PathMapping.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr size_t CopyChunkSize = 64 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    int Close() {
        const int result = m_fd >= 0 ? close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

LARGE_INTEGER Large(LONGLONG value) {
    LARGE_INTEGER result;
    result.QuadPart = value;
    return result;
}

// A copy onto the source itself (the same path, or a link to it) would empty it. Windows finds the
// source open and refuses with ERROR_SHARING_VIOLATION.
bool IsSameFile(const struct stat& source, const std::string& destination) {
    struct stat status {};
    return stat(destination.c_str(), &status) == 0 && status.st_dev == source.st_dev &&
           status.st_ino == source.st_ino;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// What the progress routine and the cancel flag decided after the latest call.
enum class CopyVerdict { Continue, Cancel, Stop };

class ProgressReporter {
public:
    ProgressReporter(LPPROGRESS_ROUTINE routine, LPVOID data, LPBOOL cancel, LONGLONG total)
        : m_routine(routine), m_data(data), m_cancel(cancel), m_total(total) {}

    CopyVerdict Report(DWORD reason, LONGLONG transferred) {
        if (m_cancel != nullptr && *m_cancel) {
            return CopyVerdict::Cancel;
        }
        if (m_routine == nullptr) {
            return CopyVerdict::Continue;
        }
        switch (m_routine(Large(m_total), Large(transferred), Large(m_total), Large(transferred), 1, reason,
                          nullptr, nullptr, m_data)) {
        case PROGRESS_CANCEL:
            return CopyVerdict::Cancel;
        case PROGRESS_STOP:
            return CopyVerdict::Stop;
        case PROGRESS_QUIET:
            m_routine = nullptr;
            return CopyVerdict::Continue;
        default:
            return CopyVerdict::Continue;
        }
    }

private:
    LPPROGRESS_ROUTINE m_routine;
    LPVOID m_data;
    LPBOOL m_cancel;
    LONGLONG m_total;
};

} // namespace

BOOL CopyFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, LPPROGRESS_ROUTINE lpProgressRoutine,
                 LPVOID lpData, LPBOOL pbCancel, DWORD dwCopyFlags) {
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
        return Platform::FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    const std::string source = Platform::NativePath(lpExistingFileName);
    const std::string destination = Platform::NativePath(lpNewFileName);

    FileDescriptor input(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!input.IsOpen()) {
        Platform::SetLastErrorFromErrnoForPath(source);
        return FALSE;
    }
    struct stat sourceStatus {};
    if (fstat(input.Get(), &sourceStatus) != 0) {
        return Platform::FailFromErrno();
    }
    if (S_ISDIR(sourceStatus.st_mode)) {
        return Platform::FailWithLastError(ERROR_ACCESS_DENIED);
    }
    if ((dwCopyFlags & COPY_FILE_FAIL_IF_EXISTS) != 0 && access(destination.c_str(), F_OK) == 0) {
        return Platform::FailWithLastError(ERROR_FILE_EXISTS);
    }
    if (IsSameFile(sourceStatus, destination)) {
        return Platform::FailWithLastError(ERROR_SHARING_VIOLATION);
    }
    if (Platform::RefusesWrites(destination)) {
        return Platform::FailWithLastError(ERROR_ACCESS_DENIED);
    }
    int outputFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if ((dwCopyFlags & COPY_FILE_FAIL_IF_EXISTS) != 0) {
        outputFlags |= O_EXCL;
    }
    FileDescriptor output(open(destination.c_str(), outputFlags, sourceStatus.st_mode & 07777));
    if (!output.IsOpen()) {
        return errno == ENOENT ? Platform::FailWithLastError(ERROR_PATH_NOT_FOUND)
                               : Platform::FailFromErrno();
    }

    const auto abandon = [&](CopyVerdict verdict) {
        output.Close();
        if (verdict == CopyVerdict::Cancel) {
            unlink(destination.c_str());
        }
        return Platform::FailWithLastError(ERROR_REQUEST_ABORTED);
    };
    const auto failWriting = [&]() {
        const DWORD code = Platform::Win32ErrorFromErrno(errno);
        output.Close();
        unlink(destination.c_str());
        return Platform::FailWithLastError(code);
    };

    ProgressReporter progress(lpProgressRoutine, lpData, pbCancel, sourceStatus.st_size);
    if (CopyVerdict verdict = progress.Report(CALLBACK_STREAM_SWITCH, 0); verdict != CopyVerdict::Continue) {
        return abandon(verdict);
    }
    std::vector<char> buffer(CopyChunkSize);
    LONGLONG transferred = 0;
    for (;;) {
        const ssize_t got = read(input.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failWriting();
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(output.Get(), buffer.data(), static_cast<size_t>(got))) {
            return failWriting();
        }
        transferred += got;
        if (CopyVerdict verdict = progress.Report(CALLBACK_CHUNK_FINISHED, transferred);
            verdict != CopyVerdict::Continue) {
            return abandon(verdict);
        }
    }
    fchmod(output.Get(), sourceStatus.st_mode & 07777);
    const timespec times[2] = {sourceStatus.st_atim, sourceStatus.st_mtim};
    futimens(output.Get(), times);
    if (output.Close() != 0) {
        return failWriting();
    }
    return TRUE;
}

UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName) {
    if (lpPathName == nullptr || lpTempFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring directory(lpPathName);
    if (!directory.empty() && directory.back() != L'\\' && directory.back() != L'/') {
        directory += L'\\';
    }
    const std::wstring prefix = std::wstring(lpPrefixString == nullptr ? L"" : lpPrefixString).substr(0, 3);
    if (directory.size() + prefix.size() + 8 >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    struct stat status {};
    if (stat(Platform::NativePath(directory).c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    const auto nameFor = [&](UINT number) {
        wchar_t digits[8];
        swprintf(digits, 8, L"%X", number & 0xFFFF);
        return directory + prefix + digits + L".TMP";
    };
    const auto hand = [&](const std::wstring& name, UINT number) {
        name.copy(lpTempFileName, name.size());
        lpTempFileName[name.size()] = L'\0';
        return number;
    };
    if (uUnique != 0) {
        return hand(nameFor(uUnique), uUnique & 0xFFFF);
    }

    // Start from a changing value and take the first number whose file can be created.
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const UINT start = static_cast<UINT>(now) & 0xFFFF;
    for (UINT step = 0; step < 0x10000; ++step) {
        const UINT number = ((start + step) & 0xFFFF) == 0 ? 1 : (start + step) & 0xFFFF;
        const std::wstring name = nameFor(number);
        const int fd =
            open(Platform::NativePath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return hand(name, number);
        }
        if (errno != EEXIST) {
            Platform::SetLastErrorFromErrno();
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
