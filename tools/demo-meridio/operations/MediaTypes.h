#pragma once
// The media type the server gives a file by its extension.

#include <string>

namespace DemoMeridio {

std::string MediaTypeOf(const std::string& fileName);

} // namespace DemoMeridio
