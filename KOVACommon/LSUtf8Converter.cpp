#include "KOVACommon/LSUtf8Converter.h"

#include "Platform/Utf.h"

#include <stdexcept>

namespace LSHttpRequestMocks {
namespace {

template <class Text> Text OrBadConversion(std::optional<Text> converted) {
    if (!converted) {
        throw std::range_error("bad conversion");
    }
    return std::move(*converted);
}

} // namespace

std::string Utf8Converter::to_bytes(std::wstring_view text) const {
    return OrBadConversion(Platform::WideToUtf8Exact(text));
}

std::wstring Utf8Converter::from_bytes(std::string_view bytes) const {
    return OrBadConversion(Platform::Utf8ToWideExact(bytes));
}

Utf8Converter& GetUtf8Converter() {
    thread_local Utf8Converter converter;
    return converter;
}

} // namespace LSHttpRequestMocks
