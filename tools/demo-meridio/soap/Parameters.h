#pragma once
// Reading the parameters of an operation element; a missing or malformed one is a client fault.

#include <pugixml.hpp>
#include <string>

namespace DemoMeridio {

// The operation's child element of that name (in the operation's namespace).
pugi::xml_node RequiredChild(const pugi::xml_node& operation, const char* name);

// The text of the operation's child element of that name (in the operation's namespace).
std::string RequiredText(const pugi::xml_node& operation, const char* name);

// The child's text as a decimal number; signed when allowNegative, else at least 0.
long RequiredNumber(const pugi::xml_node& operation, const char* name, bool allowNegative = false);

// The child's text as an xs:boolean ("true", "false", "1" or "0").
bool RequiredBool(const pugi::xml_node& operation, const char* name);

} // namespace DemoMeridio
