#pragma once
// Small pugixml helpers shared by request parsing and reply building.

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace DemoMeridio {

// The element's name without its prefix.
std::string_view LocalName(const pugi::xml_node& element);

// The namespace URI of the element, resolved through the xmlns declarations of it and its ancestors.
std::string NamespaceOf(const pugi::xml_node& element);

// The node (or document) as XML text without declaration or indentation.
std::string ToXmlText(const pugi::xml_node& node);

// The first child element of a node, skipping text and comments; null when there is none.
pugi::xml_node FirstChildElement(const pugi::xml_node& node);

} // namespace DemoMeridio
