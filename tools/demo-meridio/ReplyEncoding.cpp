#include "tools/demo-meridio/ReplyEncoding.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace DemoMeridio {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether the Accept-Encoding list names gzip without q=0.
bool AcceptsGzip(const std::string& acceptEncoding) {
    std::istringstream items(acceptEncoding);
    for (std::string item; std::getline(items, item, ',');) {
        const auto semicolon = item.find(';');
        if (Lower(Trimmed(item.substr(0, semicolon))) != "gzip") {
            continue;
        }
        const std::string parameters =
            semicolon == std::string::npos ? "" : Lower(item.substr(semicolon + 1));
        const auto q = parameters.find("q=");
        return q == std::string::npos || std::strtod(parameters.c_str() + q + 2, nullptr) > 0.0;
    }
    return false;
}

std::string Gzip(const std::string& body) {
    z_stream stream{};
    // 15 window bits + 16: a gzip wrapper.
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string compressed(deflateBound(&stream, body.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    const int result = deflate(&stream, Z_FINISH);
    compressed.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate failed");
    }
    return compressed;
}

} // namespace

EncodedBody EncodeReplyBody(std::string body, const std::string& contentType,
                            const std::string& acceptEncoding) {
    if (body.empty() || body.size() > std::numeric_limits<uInt>::max() ||
        contentType.rfind("text/", 0) != 0 || !AcceptsGzip(acceptEncoding)) {
        return {std::move(body), ""};
    }
    return {Gzip(body), "gzip"};
}

} // namespace DemoMeridio
