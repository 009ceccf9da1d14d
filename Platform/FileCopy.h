// Copying local files with a progress routine, and numbered temporary file names, by Windows-form
// path (mapped by Platform/PathMapping.h).
#pragma once

#include "Platform/WinTypes.h"

using LPBOOL = BOOL*;

constexpr DWORD PROGRESS_CONTINUE = 0;
constexpr DWORD PROGRESS_CANCEL = 1;
constexpr DWORD PROGRESS_STOP = 2;
constexpr DWORD PROGRESS_QUIET = 3;

constexpr DWORD CALLBACK_CHUNK_FINISHED = 0x00000000;
constexpr DWORD CALLBACK_STREAM_SWITCH = 0x00000001;

constexpr DWORD COPY_FILE_FAIL_IF_EXISTS = 0x00000001;

// Called once when the copy starts (CALLBACK_STREAM_SWITCH) and after every chunk
// (CALLBACK_CHUNK_FINISHED). The file handles are not offered here: both arguments are null.
using LPPROGRESS_ROUTINE = DWORD(CALLBACK*)(LARGE_INTEGER TotalFileSize, LARGE_INTEGER TotalBytesTransferred,
                                            LARGE_INTEGER StreamSize, LARGE_INTEGER StreamBytesTransferred,
                                            DWORD dwStreamNumber, DWORD dwCallbackReason, HANDLE hSourceFile,
                                            HANDLE hDestinationFile, LPVOID lpData);

// Copies the content, permission bits and last-write time; an existing destination is replaced
// unless COPY_FILE_FAIL_IF_EXISTS is given. A read-only or directory destination fails with
// ERROR_ACCESS_DENIED, as on Windows, whatever the process's privileges; a copy onto the source
// itself (the same path or a link to it) fails with ERROR_SHARING_VIOLATION and leaves it untouched;
// a source whose folder is missing is ERROR_PATH_NOT_FOUND. PROGRESS_CANCEL, or
// *pbCancel set during the copy, ends it with ERROR_REQUEST_ABORTED and removes the partial copy;
// PROGRESS_STOP ends it the same way but leaves the partial copy.
BOOL CopyFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, LPPROGRESS_ROUTINE lpProgressRoutine,
                 LPVOID lpData, LPBOOL pbCancel, DWORD dwCopyFlags);

// Forms lpPathName\<first three characters of the prefix><hexadecimal number>.TMP into a buffer of
// MAX_PATH characters. With uUnique 0 a free number is chosen and the file is created empty;
// otherwise uUnique is used and nothing is created. Returns the number, or 0 on failure.
UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName);
