// A strict UTF-8 converter for the recording files: text that cannot be converted in either
// direction raises std::range_error("bad conversion") instead of being replaced.
#pragma once

#include <string>
#include <string_view>

namespace LSHttpRequestMocks {

class Utf8Converter {
public:
    std::string to_bytes(std::wstring_view text) const;
    std::wstring from_bytes(std::string_view bytes) const;
};

// The calling thread's converter, made on its first use.
Utf8Converter& GetUtf8Converter();

} // namespace LSHttpRequestMocks
