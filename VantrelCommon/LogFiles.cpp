#include "VantrelCommon/LogFiles.h"

#include "Platform/ShlObj.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"

namespace {

constexpr ULONGLONG kFileTimeUnitsPerMinute = 600000000ULL;

ULONGLONG FileTimeValue(const FILETIME& time) {
    return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

} // namespace

CStdStr<wchar_t> GetLogDirectory() {
    CStdStr<wchar_t> directory = LSSetting::GetInstance()->GetUserString(L"KOVA.LogDir", L"");
    if (directory.empty()) {
        wchar_t documents[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
            directory = documents;
        }
    }
    if (!directory.empty() && GetFileAttributesW(directory.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CreateDirectoryW(directory.c_str(), nullptr);
    }
    return directory;
}

void EnsureTrailingBackslash(CStdStr<wchar_t>& path) {
    if (path.empty() || path.back() != L'\\') {
        path += L"\\";
    }
}

HRESULT EnumerateDirectory(const CStdStr<wchar_t>& directory, const DirectoryEntryCallback& callback,
                           const CStdStr<wchar_t>& pattern) {
    CStdStr<wchar_t> searchPath = directory;
    searchPath += L"\\";
    searchPath += pattern;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(searchPath.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        LSDIAG_ERROR << "Error getting directory contents :" << searchPath << ":" << std::hex << error;
        return HRESULT_FROM_WIN32(error);
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        CStdStr<wchar_t> fullPath = directory;
        fullPath += L"\\";
        fullPath += data.cFileName;
        if (!callback(fullPath, data)) {
            break;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return S_OK;
}

std::wregex OldLogNamePattern(const CStdStr<wchar_t>& logName) {
    std::wstring escaped;
    for (wchar_t c : logName) {
        if (c == L'-' || c == L'.') {
            escaped += L'\\';
        }
        escaped += c;
    }
    // The last "." stands unescaped, as the pattern has always been written: it matches any character.
    return std::wregex(escaped + L"-\\d+\\-\\d+\\.\\d+.log", std::regex_constants::ECMAScript);
}

bool DeleteOldLogFile(const CStdStr<wchar_t>& fullPath, const WIN32_FIND_DATAW& data,
                      const std::wregex& namePattern, ULONGLONG now, DWORD maxAgeMinutes) {
    const ULONGLONG written = FileTimeValue(data.ftLastWriteTime);
    const ULONGLONG age = now > written ? now - written : 0;
    if (age <= maxAgeMinutes * kFileTimeUnitsPerMinute) {
        return true;
    }
    if (!std::regex_match(data.cFileName, namePattern)) {
        return true;
    }
    LSDIAG_DIAG << "Deleting old log file - " << data.cFileName;
    DeleteFileW(fullPath.c_str());
    return true;
}
