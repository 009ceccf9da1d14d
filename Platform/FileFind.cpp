// Directory listing by pattern. The matching entries are read when the search starts, so a
// caller may delete files while it walks the list.
#include "Platform/ErrnoMapping.h"
#include "Platform/FileApi.h"
#include "Platform/FileStat.h"
#include "Platform/PathMapping.h"
#include "Platform/Utf.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FindState {
    std::vector<WIN32_FIND_DATAW> entries;
    std::size_t next = 0;
};

bool SameCharIgnoringCase(wchar_t a, wchar_t b) {
    return std::towupper(a) == std::towupper(b);
}

// '*' matches any run of characters, '?' any one character; other characters match without
// regard to case. Greedy match with backtracking to the last '*'.
bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name) {
    if (pattern == L"*.*") {
        pattern = L"*";
    }
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = std::wstring_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || SameCharIgnoringCase(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starPattern = p++;
            starName = n;
        } else if (starPattern != std::wstring_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') {
        ++p;
    }
    return p == pattern.size();
}

WIN32_FIND_DATAW FindDataFor(const std::string& directory, const std::wstring& name) {
    WIN32_FIND_DATAW data{};
    const std::string fullPath = directory + "/" + Platform::WideToUtf8(name);
    struct stat status {};
    if (stat(fullPath.c_str(), &status) == 0 || lstat(fullPath.c_str(), &status) == 0) {
        data.dwFileAttributes = Platform::FileAttributesFromStat(status);
        data.ftCreationTime = Platform::FileTimeFromTimespec(status.st_ctim);
        data.ftLastAccessTime = Platform::FileTimeFromTimespec(status.st_atim);
        data.ftLastWriteTime = Platform::FileTimeFromTimespec(status.st_mtim);
        const auto size = static_cast<ULONGLONG>(status.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
    } else {
        data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    const std::size_t length = std::min<std::size_t>(name.size(), MAX_PATH - 1);
    std::copy_n(name.begin(), length, data.cFileName);
    return data;
}

bool HasWildcard(std::wstring_view text) {
    return text.find_first_of(L"*?") != std::wstring_view::npos;
}

} // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string native = Platform::NativePath(lpFileName);
    const std::size_t slash = native.rfind('/');
    // "dir/name" lists dir, "/name" the root, a bare name the working directory.
    const std::string directory =
        slash == std::string::npos ? std::string(".") : native.substr(0, std::max<std::size_t>(slash, 1));
    const std::wstring pattern =
        Platform::Utf8ToWide(slash == std::string::npos ? native : native.substr(slash + 1));
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Platform::Win32ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    auto state = std::make_unique<FindState>();
    while (const dirent* entry = readdir(dir)) {
        const std::wstring name = Platform::Utf8ToWide(entry->d_name);
        const bool matches = HasWildcard(pattern) ? MatchesWildcard(pattern, name)
                                                  : std::equal(pattern.begin(), pattern.end(), name.begin(),
                                                               name.end(), SameCharIgnoringCase);
        if (matches) {
            state->entries.push_back(FindDataFor(directory, name));
        }
    }
    closedir(dir);
    if (state->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = state->entries[state->next++];
    return state.release();
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    if (hFindFile == nullptr || hFindFile == INVALID_HANDLE_VALUE || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto* state = static_cast<FindState*>(hFindFile);
    if (state->next >= state->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *lpFindFileData = state->entries[state->next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
    if (hFindFile == nullptr || hFindFile == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete static_cast<FindState*>(hFindFile);
    return TRUE;
}
