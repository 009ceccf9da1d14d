#include "VantrelCommon/LSFileSystem.h"

#include "Platform/Combase.h"
#include "Platform/FileIoApi.h"
#include "Platform/SysInfoApi.h"
#include "Platform/WinVer.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"

#include <vector>

namespace {

constexpr int kGuidTextLength = 38;
constexpr UINT kSystemDirectoryBuffer = 520;
constexpr const wchar_t* kHostDllName = L"KOVA32.dll";
constexpr const wchar_t* kLongPathPrefix = L"\\\\?\\";

CStdStr<wchar_t> VersionText(const FileVersion& version) {
    return FormatString(L"%lu.%lu.%lu.%lu", static_cast<unsigned long>(version.major),
                        static_cast<unsigned long>(version.minor), static_cast<unsigned long>(version.build),
                        static_cast<unsigned long>(version.revision));
}

} // namespace

void EnsureTrailingBackslash(CStdStr<wchar_t>& path) {
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) {
        path += L"\\";
    }
}

CStdStr<wchar_t> LSFileSystem::GetTempFilePathWithExt(const CStdStr<wchar_t>& prefix,
                                                      const CStdStr<wchar_t>& extension,
                                                      const CStdStr<wchar_t>& directory) {
    CStdStr<wchar_t> folder = directory;
    EnsureTrailingBackslash(folder);
    for (;;) {
        GUID guid{};
        const HRESULT hr = CoCreateGuid(&guid);
        if (FAILED(hr)) {
            LSDIAG_ERROR << "LSFileSystem::GetTempFilePathWithExt"
                         << "Unexpected return: " << std::hex << hr;
            ThrowHResult(hr);
        }
        wchar_t guidText[kGuidTextLength + 1] = {};
        StringFromGUID2(guid, guidText, kGuidTextLength + 1);
        CStdStr<wchar_t> path = folder;
        path.AppendFormat(L"%s%s%s", prefix.c_str(), guidText, extension.c_str());
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        // Taking the name: a failure here leaves a path whose file may not exist.
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        return path;
    }
}

CStdStr<wchar_t> MakeLongPath(const CStdStr<wchar_t>& path) {
    if (path.size() < 2 || path.compare(0, 4, kLongPathPrefix) == 0) {
        return path;
    }
    if (path[1] == L':') {
        return CStdStr<wchar_t>(kLongPathPrefix) + path;
    }
    return CStdStr<wchar_t>(L"\\\\?\\UNC\\") + CStdStr<wchar_t>(path.substr(2));
}

bool IsUncPath(const CStdStr<wchar_t>& path) {
    constexpr const wchar_t* kUncLongPrefix = L"\\\\?\\UNC\\";
    constexpr std::size_t kUncLongPrefixLength = 8;
    const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    std::size_t start = 0;
    if (CStdStr<wchar_t>(path.substr(0, kUncLongPrefixLength)).Equals(kUncLongPrefix, false)) {
        start = kUncLongPrefixLength;
    } else if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] != L'?') {
        start = 2; // a device path ("\\.\") fails below: "." is no server name
    } else {
        return false;
    }
    const std::vector<CStdStr<wchar_t>> parts = SplitString(CStdStr<wchar_t>(path.substr(start)), L"\\/");
    if (parts.size() < 2) {
        return false;
    }
    for (const CStdStr<wchar_t>& part : parts) {
        if (part.empty() || part == L"." || part == L"..") {
            return false;
        }
    }
    return true;
}

CStdStr<wchar_t> GetFinalPath(const CStdStr<wchar_t>& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return CStdStr<wchar_t>();
    }
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (length == 0 || length >= buffer.size()) {
        SetLastError(error);
        return CStdStr<wchar_t>();
    }
    return CStdStr<wchar_t>(std::wstring(buffer.data(), length));
}

FileVersion GetFileVersion(const CStdStr<wchar_t>& path) {
    FileVersion version;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) {
        return version;
    }
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), handle, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &length) ||
        fixed == nullptr) {
        return version;
    }
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
    version.build = HIWORD(fixed->dwFileVersionLS);
    version.revision = LOWORD(fixed->dwFileVersionLS);
    version.valid = true;
    return version;
}

FileVersion GetHostDllVersion() {
    wchar_t directory[kSystemDirectoryBuffer] = {};
    const UINT length = GetSystemDirectoryW(directory, kSystemDirectoryBuffer);
    if (length == 0 || length >= kSystemDirectoryBuffer) {
        LSDIAG_ERROR << "Failed getting system directory " << std::dec << GetLastError();
        ThrowHResult(E_FAIL);
    }
    CStdStr<wchar_t> folder(directory);
    EnsureTrailingBackslash(folder);
    return GetFileVersion(folder + kHostDllName);
}

bool CheckVersionMatchesHost(HMODULE module) {
    const FileVersion host = GetHostDllVersion();
    const FileVersion own = GetFileVersion(LSSetting::GetModuleFileNameSafe(module));
    if (!host.valid || !own.valid) {
        LSDIAG_ERROR << "Failed comparing version with KOVA32.dll";
        return false;
    }
    if (host.major == own.major && host.minor == own.minor && host.build == own.build) {
        return true;
    }
    LSDIAG_ERROR << "Current version " << VersionText(own) << " mismatch with KOVA " << VersionText(host);
    return false;
}
