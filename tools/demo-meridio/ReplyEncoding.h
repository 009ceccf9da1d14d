#pragma once
// The content coding of a reply: text is sent gzip-compressed at zlib's fastest level when the client
// accepts gzip, as a web server's dynamic compression does by default; anything else as it is.

#include <string>

namespace DemoMeridio {

struct EncodedBody {
    std::string body;
    std::string contentEncoding; // empty: the body as it is
};

EncodedBody EncodeReplyBody(std::string body, const std::string& contentType,
                            const std::string& acceptEncoding);

} // namespace DemoMeridio
