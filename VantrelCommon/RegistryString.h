// Reading string settings from an open registry key.
#pragma once

#include "Platform/WinReg.h"
#include "VantrelCommon/StdString.h"

// Reads `name` as text: REG_SZ, REG_EXPAND_SZ (expanded with the environment) or REG_MULTI_SZ (its
// first string), up to the first NUL. Another type is logged and gives ERROR_FILE_NOT_FOUND; other
// failures give the registry's code. `value` changes only on success.
LONG ReadRegistryString(HKEY key, const CStdStr<wchar_t>& name, CStdStr<wchar_t>& value);

// %NAME% replaced by the environment variable; on failure logged, and the text comes back unchanged.
CStdStr<wchar_t> ExpandEnvironment(const CStdStr<wchar_t>& text);
