#pragma once
// The server's clock as it writes dates: "yyyy-mm-ddThh:mm:ssZ" in UTC.

#include <string>

namespace DemoMeridio {

std::string NowUtc();

} // namespace DemoMeridio
