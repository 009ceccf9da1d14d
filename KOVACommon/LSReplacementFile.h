// A local file written beside its target and put in the target's place only once it is complete
// and on the disk, so that a failed or cut-off write leaves the target as it was.
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

#include <cstddef>

class LSReplacementFile {
public:
    // Reserves a new file in the target's directory; logs and throws E_FAIL when none can be made.
    explicit LSReplacementFile(const CStdStr<wchar_t>& target);
    // Removes the new file unless it took the target's place.
    ~LSReplacementFile();
    LSReplacementFile(const LSReplacementFile&) = delete;
    LSReplacementFile& operator=(const LSReplacementFile&) = delete;

    // The new file, for a writer of its own (a file copy) to fill.
    const CStdStr<wchar_t>& Path() const { return path_; }
    // Appends the bytes; false (the last error set) when not all of them were written.
    bool Write(const BYTE* data, std::size_t size);
    // Writes the new file through to the disk and puts it in the target's place. False (logged, the
    // last error set) when it cannot: then the target is as it was.
    bool Commit();

private:
    bool Open(DWORD disposition);
    void Close();

    CStdStr<wchar_t> target_;
    CStdStr<wchar_t> path_;
    HANDLE file_ = nullptr;
    bool committed_ = false;
};
