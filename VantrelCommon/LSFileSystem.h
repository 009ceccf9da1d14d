// File helpers shared by the filters, and the start-up check of this library's version against
// the host engine library's.
#pragma once

#include "Platform/WinTypes.h"
#include "VantrelCommon/StdString.h"

struct FileVersion {
    WORD major = 0;
    WORD minor = 0;
    WORD build = 0;
    WORD revision = 0;
    bool valid = false;
};

class LSFileSystem {
public:
    // The path of a new, empty file: the directory, the prefix, a fresh GUID text and the
    // extension. A failed GUID draw is logged and thrown as its HRESULT.
    static CStdStr<wchar_t> GetTempFilePathWithExt(const CStdStr<wchar_t>& prefix,
                                                   const CStdStr<wchar_t>& extension,
                                                   const CStdStr<wchar_t>& directory);
};

// Appends a backslash unless the path ends with a backslash or a slash (an empty path becomes "\").
void EnsureTrailingBackslash(CStdStr<wchar_t>& path);

// "C:\a" gives "\\?\C:\a"; "\\server\share\f" gives "\\?\UNC\server\share\f". A path that already
// carries the "\\?\" prefix, and one shorter than two characters, is returned unchanged.
CStdStr<wchar_t> MakeLongPath(const CStdStr<wchar_t>& path);

// True for "\\server\share\rest" and "\\?\UNC\server\share\rest" ("\" or "/" between the parts) whose
// parts are all names: none empty, "." or "..", so that the path cannot climb out of its share.
bool IsUncPath(const CStdStr<wchar_t>& path);

// The path of the existing file with every link resolved, in the long form; empty (the last error
// set) when the file cannot be opened.
CStdStr<wchar_t> GetFinalPath(const CStdStr<wchar_t>& path);

// The file's fixed version; a cleared valid flag and zero parts when it cannot be read.
FileVersion GetFileVersion(const CStdStr<wchar_t>& path);

// The version of the host engine library "KOVA32.dll" in the system directory. An unreadable
// system directory is logged and thrown as E_FAIL.
FileVersion GetHostDllVersion();

// True when this module and the host engine library agree in major, minor and build.
bool CheckVersionMatchesHost(HMODULE module);
