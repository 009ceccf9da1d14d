// Files and directories by Windows-form path (mapped by Platform/PathMapping.h).
#pragma once

#include "Platform/WinTypes.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using PWIN32_FIND_DATAW = WIN32_FIND_DATAW*;
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// The last path component may hold the wildcards * and ?; names match without regard to case.
// The directory's "." and ".." entries are listed when the pattern matches them, as on Windows.
HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

// Security attributes are accepted and ignored: files get the process's default permissions.
BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
BOOL RemoveDirectoryW(LPCWSTR lpPathName);
// A missing folder on the way is ERROR_PATH_NOT_FOUND, a missing file ERROR_FILE_NOT_FOUND.
BOOL DeleteFileW(LPCWSTR lpFileName);
DWORD GetFileAttributesW(LPCWSTR lpFileName);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

// Renames a file within one file system, in one step (rename): the new name either still names the
// old file or names the moved one. An existing file at the new name is replaced only with
// MOVEFILE_REPLACE_EXISTING (else ERROR_ALREADY_EXISTS); MOVEFILE_WRITE_THROUGH also writes the
// directory through to the disk before returning. Other flags give ERROR_INVALID_PARAMETER, and a
// move across file systems ERROR_NOT_SAME_DEVICE.
BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);

// The temporary directory ($TMPDIR, else /tmp) with a trailing separator. Returns the length
// without the NUL, or the size needed (NUL included) when the buffer is too small.
DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
