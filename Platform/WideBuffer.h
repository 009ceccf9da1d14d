// Copying a text into a caller's wide buffer the way the Win32 "get a path" calls do.
#pragma once

#include "Platform/WinTypes.h"

#include <string_view>

namespace Platform {

// Copies text and its NUL when it fits and returns its length; otherwise leaves the buffer alone
// and returns the size needed, NUL included.
DWORD CopyOrRequiredSize(std::wstring_view text, LPWSTR buffer, DWORD bufferLength);

} // namespace Platform
