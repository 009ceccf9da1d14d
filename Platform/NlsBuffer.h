// Hands a text to a caller's buffer the way the NLS calls do (internal to Platform/).
#pragma once

#include "Platform/WinTypes.h"

#include <string_view>

namespace Platform {

// Copies the text and a NUL; returns the characters written including the NUL. A capacity of 0 asks
// for the size needed; too small a buffer fails with ERROR_INSUFFICIENT_BUFFER and returns 0.
int DeliverTerminated(std::wstring_view text, LPWSTR buffer, int capacity);

} // namespace Platform
