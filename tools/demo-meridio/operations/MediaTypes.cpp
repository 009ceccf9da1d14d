#include "tools/demo-meridio/operations/MediaTypes.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace DemoMeridio {

std::string MediaTypeOf(const std::string& fileName) {
    static const std::map<std::string, std::string> kTypes{
        {"csv", "text/csv"},
        {"htm", "text/html"},
        {"html", "text/html"},
        {"md", "text/markdown"},
        {"msg", "application/vnd.ms-outlook"},
        {"pdf", "application/pdf"},
        {"txt", "text/plain"},
        {"xml", "text/xml"},
    };
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        return "application/octet-stream";
    }
    std::string extension = fileName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = kTypes.find(extension);
    return found == kTypes.end() ? "application/octet-stream" : found->second;
}

} // namespace DemoMeridio
