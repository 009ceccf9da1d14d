#pragma once
// The demo-meridio command line.

#include "tools/demo-meridio/DemoServer.h"

#include <string>
#include <vector>

namespace DemoMeridio {

// Throws std::invalid_argument with a message for an unknown option or a bad value.
ServerOptions ParseCommandLine(const std::vector<std::string>& arguments);

std::string Usage();

} // namespace DemoMeridio
