// Decoding of HTTP response bodies to text, as XMLHTTP's responseText does.
#pragma once

#include "Platform/WinTypes.h"

#include <string>
#include <string_view>

namespace Platform::Http {

// A byte-order mark decides first (UTF-8, UTF-16LE/BE), then the charset parameter of the content type;
// without either the body is UTF-8. Undecodable bytes become U+FFFD.
std::wstring DecodeText(const BYTE* data, std::size_t size, std::string_view contentType);

} // namespace Platform::Http
