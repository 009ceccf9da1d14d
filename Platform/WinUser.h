// String resources.
#pragma once

#include "Platform/WinTypes.h"

// Copies string `uID` into the buffer (truncated to cchBufferMax - 1 characters and terminated)
// and returns its length; 0 when the module has no such string. With cchBufferMax 0, lpBuffer
// receives a read-only pointer to the text in the module (not terminated) and the length is
// returned. A null hInstance is the executable.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
