#include "KOVACommon/LSReplacementFile.h"

#include "Platform/FileApi.h"
#include "Platform/FileIoApi.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

// The directory part of the path, its separator included; "." and a separator for a bare name.
CStdStr<wchar_t> DirectoryOf(const CStdStr<wchar_t>& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? CStdStr<wchar_t>(L".\\")
                                           : CStdStr<wchar_t>(path.substr(0, separator + 1));
}

} // namespace

LSReplacementFile::LSReplacementFile(const CStdStr<wchar_t>& target) : target_(target) {
    path_ = LSFileSystem::GetTempFilePathWithExt(L"LS", L".tmp", DirectoryOf(target));
    // Taking the name may have failed: the open says why.
    if (!Open(OPEN_ALWAYS)) {
        LSDIAG_ERROR << "Trying to create file " << path_ << " for " << target
                     << " from downloaded document gives error: " << std::hex << GetLastError() << " ("
                     << std::strerror(errno) << ")";
        DeleteFileW(path_.c_str());
        ThrowHResult(E_FAIL);
    }
}

LSReplacementFile::~LSReplacementFile() {
    Close();
    if (!committed_) {
        DeleteFileW(path_.c_str());
    }
}

bool LSReplacementFile::Open(DWORD disposition) {
    HANDLE file =
        CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    file_ = file;
    return true;
}

void LSReplacementFile::Close() {
    if (file_ != nullptr) {
        CloseHandle(file_);
        file_ = nullptr;
    }
}

bool LSReplacementFile::Write(const BYTE* data, std::size_t size) {
    while (size > 0) {
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        if (!WriteFile(file_, data, piece, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool LSReplacementFile::Commit() {
    // A writer of its own (a file copy) may have replaced the file: it is opened again to flush it.
    Close();
    const bool flushed = Open(OPEN_EXISTING) && FlushFileBuffers(file_);
    const DWORD flushError = GetLastError();
    const int flushErrno = errno;
    Close();
    if (!flushed) {
        LSDIAG_ERROR << "Trying to write file " << path_ << " to the disk gives error: " << std::hex
                     << flushError << " (" << std::strerror(flushErrno) << ")";
        SetLastError(flushError);
        return false;
    }
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        LSDIAG_ERROR << "Trying to replace file " << target_ << " by " << path_
                     << " gives error: " << std::hex << error << " (" << std::strerror(errno) << ")";
        SetLastError(error);
        return false;
    }
    committed_ = true;
    return true;
}
