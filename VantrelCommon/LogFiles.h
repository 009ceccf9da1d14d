// The log folder and the removal of old log files.
#pragma once

#include "Platform/FileApi.h"
#include "VantrelCommon/StdString.h"

#include <functional>
#include <string_view>

// KOVA.LogDir, else the documents folder; created (one level) when missing. Empty when neither
// gives a path.
CStdStr<wchar_t> GetLogDirectory();
// The folder the log files go to: "KOVA Logs" in the log directory; empty when there is none.
CStdStr<wchar_t> GetLogFolder();

// Calls the callback for every entry of directory\pattern but "." and ".."; a false result stops
// the walk. A listing that cannot start is returned as an HRESULT, and logged unless no entry
// matched; a walk gives S_OK.
using DirectoryEntryCallback =
    std::function<bool(const CStdStr<wchar_t>& fullPath, const WIN32_FIND_DATAW& data)>;
HRESULT EnumerateDirectory(const CStdStr<wchar_t>& directory, const DirectoryEntryCallback& callback,
                           const CStdStr<wchar_t>& pattern);

// True for the names of this base name's log files, matched as a whole as the pattern
// logName-\d+-\d+\.\d+.log matches them (its last "." stands for any character). The base name
// is taken literally.
bool IsOldLogName(std::wstring_view name, std::wstring_view logName);

// Deletes the entry when it is older than maxAgeMinutes at `now` (a FILETIME value) and its name is
// one of logName's log files. Always true, so the walk goes on.
bool DeleteOldLogFile(const CStdStr<wchar_t>& fullPath, const WIN32_FIND_DATAW& data,
                      const CStdStr<wchar_t>& logName, ULONGLONG now, DWORD maxAgeMinutes);
