#include "VantrelCommon/LogFiles.h"

#include "Platform/ShlObj.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSFileSystem.h"
#include "VantrelCommon/LSSetting.h"

#include <algorithm>

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

CStdStr<wchar_t> GetLogFolder() {
    CStdStr<wchar_t> folder = GetLogDirectory();
    if (!folder.empty()) {
        EnsureTrailingBackslash(folder);
        folder += L"KOVA Logs";
    }
    return folder;
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
        // No entry that matches is an empty listing, not an error worth a record.
        if (error != ERROR_FILE_NOT_FOUND) {
            LSDIAG_ERROR << "Error getting directory contents :" << searchPath << ":" << std::hex << error;
        }
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

bool IsOldLogName(std::wstring_view name, std::wstring_view logName) {
    if (name.substr(0, logName.size()) != logName) {
        return false;
    }
    name.remove_prefix(logName.size());
    // "-" digits "-" digits "." digits: digits never match the separators, so no backtracking is
    // needed.
    for (const wchar_t separator : {L'-', L'-', L'.'}) {
        if (name.empty() || name.front() != separator) {
            return false;
        }
        name.remove_prefix(1);
        if (separator == L'.') {
            break;
        }
        const std::size_t digits = std::min(name.find_first_not_of(L"0123456789"), name.size());
        if (digits == 0) {
            return false;
        }
        name.remove_prefix(digits);
    }
    // The rest is digits, any one character and "log".
    if (name.size() < 5 || name.substr(name.size() - 3) != L"log") {
        return false;
    }
    const std::wstring_view digits = name.substr(0, name.size() - 4);
    return digits.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

bool DeleteOldLogFile(const CStdStr<wchar_t>& fullPath, const WIN32_FIND_DATAW& data,
                      const CStdStr<wchar_t>& logName, ULONGLONG now, DWORD maxAgeMinutes) {
    const ULONGLONG written = FileTimeValue(data.ftLastWriteTime);
    const ULONGLONG age = now > written ? now - written : 0;
    if (age <= maxAgeMinutes * kFileTimeUnitsPerMinute) {
        return true;
    }
    if (!IsOldLogName(data.cFileName, logName)) {
        return true;
    }
    LSDIAG_DIAG << "Deleting old log file - " << data.cFileName;
    DeleteFileW(fullPath.c_str());
    return true;
}
