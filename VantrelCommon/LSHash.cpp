#include "VantrelCommon/LSHash.h"

#include "Platform/Combase.h"
#include "Platform/FileIoApi.h"
#include "Platform/WinCrypt.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/InterfaceBoundary.h"
#include "VantrelCommon/LSDiag.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr DWORD kChunkSize = 0x10000;
constexpr DWORD kDigestSize = 16;
constexpr int kGuidTextLength = 38;

// One MD5 computation through the CryptoAPI provider; a failing step throws.
class Md5Digest {
public:
    Md5Digest() {
        LSDIAG_DIAG << "GetHashForData - About to get context";
        Check(CryptAcquireContextW(&provider_, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
        LSDIAG_DIAG << "GetHashForData - About to create hash";
        if (!CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) {
            const DWORD error = GetLastError();
            CryptReleaseContext(provider_, 0);
            SetLastError(error); // reported by the caller
            Check(FALSE);
        }
    }
    ~Md5Digest() {
        if (hash_ != 0) {
            CryptDestroyHash(hash_);
        }
        if (provider_ != 0) {
            CryptReleaseContext(provider_, 0);
        }
    }
    Md5Digest(const Md5Digest&) = delete;
    Md5Digest& operator=(const Md5Digest&) = delete;

    void Add(const BYTE* data, DWORD size) { Check(CryptHashData(hash_, data, size, 0)); }

    // The digest bytes taken as a GUID in memory, written in its braced text form.
    CStdStr<wchar_t> Text() {
        DWORD size = 0;
        DWORD length = sizeof size;
        Check(CryptGetHashParam(hash_, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &length, 0));
        BYTE digest[kDigestSize] = {};
        length = sizeof digest;
        if (size != kDigestSize) {
            throw std::runtime_error("unexpected digest size");
        }
        Check(CryptGetHashParam(hash_, HP_HASHVAL, digest, &length, 0));
        GUID guid{};
        std::memcpy(&guid, digest, sizeof guid);
        wchar_t text[kGuidTextLength + 1] = {};
        if (StringFromGUID2(guid, text, kGuidTextLength + 1) == 0) {
            ThrowHResult(E_INVALIDARG);
        }
        LSDIAG_DIAG << "GetHashForData - Got guid";
        return CStdStr<wchar_t>(text);
    }

private:
    static void Check(BOOL succeeded) {
        if (!succeeded) {
            throw std::runtime_error("CryptoAPI call failed");
        }
    }

    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
};

// Closes a file handle once.
class FileHandleOwner {
public:
    explicit FileHandleOwner(HANDLE handle) : handle_(handle) {}
    ~FileHandleOwner() { Close(); }
    FileHandleOwner(const FileHandleOwner&) = delete;
    FileHandleOwner& operator=(const FileHandleOwner&) = delete;

    HANDLE Get() const { return handle_; }
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE handle_;
};

void AppendUtf16Le(std::vector<BYTE>& bytes, DWORD unit) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>((unit >> 8) & 0xFF));
}

// wchar_t holds code points here; the fingerprint is defined over UTF-16 units.
std::vector<BYTE> Utf16LeBytes(const CStdStr<wchar_t>& text) {
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t c : text) {
        const auto point = static_cast<DWORD>(c);
        if (point > 0xFFFF) {
            const DWORD offset = point - 0x10000;
            AppendUtf16Le(bytes, 0xD800 + (offset >> 10));
            AppendUtf16Le(bytes, 0xDC00 + (offset & 0x3FF));
        } else {
            AppendUtf16Le(bytes, point);
        }
    }
    return bytes;
}

} // namespace

struct CLSContentHash::Digest {
    Md5Digest md5;
};

CLSContentHash::CLSContentHash() : digest_(std::make_unique<Digest>()) {}

CLSContentHash::~CLSContentHash() = default;

void CLSContentHash::Add(const BYTE* data, std::size_t size) {
    while (size != 0) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 0x40000000));
        digest_->md5.Add(data, chunk);
        data += chunk;
        size -= chunk;
    }
}

CStdStr<wchar_t> CLSContentHash::Text() {
    return digest_->md5.Text();
}

CStdStr<wchar_t> CLSHash::GetHashForData(const BYTE* data, DWORD size) {
    try {
        LSDIAG_DIAG << "GetHashForData - Started";
        Md5Digest digest;
        LSDIAG_DIAG << "GetHashForData - About to hash data";
        digest.Add(data, size);
        return digest.Text();
    } catch (...) {
        const DWORD error = GetLastError();
        LSDIAG_ERROR << "GetHashForData"
                     << ": Caught exception generating guid from hash : 0x" << std::hex << error;
        throw error;
    }
}

CStdStr<wchar_t> CLSHash::GetHashForFileHandle(HANDLE file, const AbortCheck& abortCheck) {
    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file, &size)) {
            LSDIAG_ERROR << "Failed getting size:" << GetLastError();
            return CStdStr<wchar_t>();
        }
        if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
            LSDIAG_ERROR << "Failed reading from start:" << GetLastError();
            return CStdStr<wchar_t>();
        }
        if (size.QuadPart == 0) {
            LSDIAG_DIAG << "Hash of empty file";
            return CStdStr<wchar_t>();
        }
        Md5Digest digest;
        std::vector<BYTE> buffer(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kChunkSize)));
        for (LONGLONG remaining = size.QuadPart; remaining > 0;) {
            if (remaining != size.QuadPart && abortCheck && abortCheck()) {
                return CStdStr<wchar_t>();
            }
            const auto chunk = static_cast<DWORD>(std::min<LONGLONG>(remaining, kChunkSize));
            DWORD read = 0;
            if (!ReadFile(file, buffer.data(), chunk, &read, nullptr) || read != chunk) {
                LSDIAG_ERROR << "Error reading file to hash : " << GetLastError();
                return CStdStr<wchar_t>();
            }
            digest.Add(buffer.data(), chunk);
            remaining -= chunk;
        }
        return digest.Text();
    } catch (...) {
        HResultFromCurrentException("CLSHash::GetHashForFileHandle", __FILE__, __LINE__, nullptr);
        return CStdStr<wchar_t>();
    }
}

CStdStr<wchar_t> CLSHash::GetHashForLocalFile(const CStdStr<wchar_t>& path, const AbortCheck& abortCheck) {
    FileHandleOwner file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        LSDIAG_ERROR << "CLSHash::GetHashForLocalFile"
                     << ": Error opening file to hash : " << path;
        return CStdStr<wchar_t>();
    }
    return GetHashForFileHandle(file.Get(), abortCheck);
}

CStdStr<wchar_t> GetHashForString(CStdStr<wchar_t> text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    });
    const std::vector<BYTE> bytes = Utf16LeBytes(text);
    return CLSHash::GetHashForData(bytes.data(), static_cast<DWORD>(bytes.size()));
}
