#include "tools/demo-meridio/soap/Services.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace DemoMeridio {
namespace {

constexpr std::array<ServiceInfo, 3> kServices{{
    {Service::DMWS, "DMWS", "/dmws/meridiodmws.asmx", "http://www.meridio.com/MeridioDMWS", "token",
     "API Error 23031: The session key you specified does not exist or has expired."},
    {Service::RMWS, "RMWS", "/rmws/meridiormws.asmx", "http://www.meridio.com/MeridioRMWS", "Token",
     "The Session Key you specified does not exist or has expired."},
    {Service::SCWS, "SCWS", "/scws/meridioscws.asmx", "http://www.meridio.com/MeridioSCWS", "Token",
     "The Session Key you specified does not exist or has expired."},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

const ServiceInfo& InfoOf(Service service) {
    return *std::find_if(kServices.begin(), kServices.end(),
                         [service](const ServiceInfo& info) { return info.service == service; });
}

const ServiceInfo* ServiceForPath(std::string_view path) {
    for (const ServiceInfo& info : kServices) {
        if (EqualsIgnoringCase(info.path, path)) {
            return &info;
        }
    }
    return nullptr;
}

} // namespace DemoMeridio
