// The runtime's wide-path file opening: the path is a Windows-form path, mapped like every other
// file call of the layer; the mode is the usual fopen mode.
#pragma once

#include <cstdio>

constexpr int _SH_DENYRW = 0x10;
constexpr int _SH_DENYWR = 0x20;
constexpr int _SH_DENYRD = 0x30;
constexpr int _SH_DENYNO = 0x40;

// Null with errno set when the file cannot be opened; a mode that writes ("w", "a", "+") on a
// read-only file is refused with EACCES whoever runs, root included, as on Windows.
FILE* _wfopen(const wchar_t* filename, const wchar_t* mode);
// Files are never locked against other openers here, so every sharing flag acts as _SH_DENYNO.
FILE* _wfsopen(const wchar_t* filename, const wchar_t* mode, int shflag);
