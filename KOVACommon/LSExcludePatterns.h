// The filter's exclusion patterns: case-insensitive wide regular expressions (ECMAScript grammar).
#pragma once

#include "VantrelCommon/StdString.h"

#include <regex>
#include <vector>

// Compiles each line-feed separated piece of the text and appends it; a piece that is no valid
// expression throws std::regex_error, leaving the patterns compiled before it.
void AppendExcludePatterns(const CStdStr<wchar_t>& text, std::vector<std::wregex>& patterns);
