// Content fingerprints: the MD5 digest of file content or of a string, written as a GUID text
// ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", 38 characters).
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

#include <cstddef>
#include <functional>
#include <memory>

class CLSHash {
public:
    // Asked between chunks of a file; true stops the hashing.
    using AbortCheck = std::function<bool()>;

    // A failure of the digest is logged and thrown as the thread's last error (a DWORD).
    static CStdStr<wchar_t> GetHashForData(const BYTE* data, DWORD size);
    // The fingerprint of the file's content; the empty text for an empty, unreadable or missing
    // file, and when the check asks to stop.
    static CStdStr<wchar_t> GetHashForLocalFile(const CStdStr<wchar_t>& path,
                                                const AbortCheck& abortCheck = {});
    static CStdStr<wchar_t> GetHashForFileHandle(HANDLE file, const AbortCheck& abortCheck = {});
};

// The fingerprint of content handed over piece by piece: GetHashForData of all the pieces in order.
// A failure of the digest throws std::runtime_error.
class CLSContentHash {
public:
    CLSContentHash();
    ~CLSContentHash();
    CLSContentHash(const CLSContentHash&) = delete;
    CLSContentHash& operator=(const CLSContentHash&) = delete;

    void Add(const BYTE* data, std::size_t size);
    CStdStr<wchar_t> Text();

private:
    struct Digest;
    std::unique_ptr<Digest> digest_;
};

// The fingerprint of the text's UTF-16LE bytes (surrogate pairs above U+FFFF, no terminator), the
// letters A to Z first lower-cased, so that texts differing only in their case match.
CStdStr<wchar_t> GetHashForString(CStdStr<wchar_t> text);
