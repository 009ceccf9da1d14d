// The runtime's wide printf family with Windows' conventions, which differ from glibc's:
// - `%s` / `%c` in a wide format take a wide string / character; `%hs`, `%S`, `%hc`, `%C` take narrow
//   ones (ANSI code page, i.e. UTF-8); `%ls`, `%ws`, `%lc`, `%wc` are wide.
// - `l` on an integer is 32 bits (as `long` is on Windows); `ll`, `I64` are 64 bits; `I` is pointer-sized.
// - `%p` is the address as 16 upper-case hexadecimal digits; a null string prints "(null)".
// - `%n` and malformed conversions are rejected (-1).
#pragma once

#include <cstdarg>
#include <cstddef>

// The length of the formatted text, without writing it.
int _vscwprintf(const wchar_t* format, va_list argptr);
// Writes at most `count` characters; a NUL follows when there is room. Returns the length, or -1 when
// the text does not fit in `count` characters (the first `count` are written) or the format is invalid.
int _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list argptr);
