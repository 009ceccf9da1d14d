// The process environment.
#pragma once

#include "Platform/WinTypes.h"

// Replaces every %NAME% by the value of the environment variable NAME; a name that is not set stays
// as written, percent signs included. Returns the characters of the result including its terminating
// NUL; when nSize is too small nothing is written and the size needed is returned.
DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize);
