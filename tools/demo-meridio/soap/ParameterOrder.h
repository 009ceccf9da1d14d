#pragma once
// The order of an operation's parameters as the service's description declares them (an xs:sequence):
// a request whose parameters stand in another order, or that has one the operation does not declare,
// is a client fault, as a real server's reader refuses it.

#include "tools/demo-meridio/soap/Services.h"

#include <pugixml.hpp>
#include <string>

namespace DemoMeridio {

// Checks the children of the operation element; operations without a published description (SCWS)
// are not checked.
void CheckParameterOrder(Service service, const std::string& action, const pugi::xml_node& operation);

} // namespace DemoMeridio
