// Reading and writing files through handles, by Windows-form path (mapped by Platform/PathMapping.h).
#pragma once

#include "Platform/FileApi.h"
#include "Platform/HandleApi.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;
using PLARGE_INTEGER = LARGE_INTEGER*;

// Share modes are accepted and not enforced (Linux has no mandatory sharing); security attributes
// and the template are ignored. A directory cannot be opened, nor a read-only file written or emptied,
// whoever runs, root included (ERROR_ACCESS_DENIED, as on Windows). CREATE_ALWAYS
// and OPEN_ALWAYS set ERROR_ALREADY_EXISTS when the file was there. A missing directory on the way
// gives ERROR_PATH_NOT_FOUND, a missing file ERROR_FILE_NOT_FOUND, CREATE_NEW on an existing file
// ERROR_FILE_EXISTS.
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Synchronous only: an OVERLAPPED structure gives ERROR_INVALID_PARAMETER. A read at the end of the
// file succeeds with fewer bytes (0 at the end). A handle opened without the access fails with
// ERROR_ACCESS_DENIED.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped);
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped);

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize);

// Writes the file's data through to the disk (fsync). A handle opened without write access fails
// with ERROR_ACCESS_DENIED.
BOOL FlushFileBuffers(HANDLE hFile);

constexpr DWORD FILE_NAME_NORMALIZED = 0x0;
constexpr DWORD VOLUME_NAME_DOS = 0x0;

// The open file's path with every link resolved: "\\?\UNC\server\share\rest" for a file under the UNC
// root, else "\\?\C:\path" (Platform::WindowsPath). Returns the characters written without the NUL;
// when the buffer is too small, the size needed with the NUL and nothing written. Only
// FILE_NAME_NORMALIZED | VOLUME_NAME_DOS is served (other flags: ERROR_INVALID_PARAMETER).
DWORD GetFinalPathNameByHandleW(HANDLE hFile, LPWSTR lpszFilePath, DWORD cchFilePath, DWORD dwFlags);

// Without lpDistanceToMoveHigh the distance is a signed 32-bit value; with it, the two form one
// signed 64-bit distance and the new position's high part is written back. A position before the
// start fails with ERROR_NEGATIVE_SEEK. The last error is NO_ERROR on success, so that a position
// whose low part is 0xFFFFFFFF can be told from a failure.
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);
BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                      DWORD dwMoveMethod);

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel };

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};
using LPWIN32_FILE_ATTRIBUTE_DATA = WIN32_FILE_ATTRIBUTE_DATA*;

// Creation time is the status-change time, as for FindFirstFileW.
BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation);
