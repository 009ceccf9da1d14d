#pragma once
// What the server sends back for one request, before the fault switches are applied.

#include <string>
#include <utility>
#include <vector>

namespace DemoMeridio {

struct HttpReply {
    int status = 200;
    std::string contentType = "text/xml; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

} // namespace DemoMeridio
