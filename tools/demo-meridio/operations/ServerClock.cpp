#include "tools/demo-meridio/operations/ServerClock.h"

#include <ctime>

namespace DemoMeridio {

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace DemoMeridio
