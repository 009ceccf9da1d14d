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

// The namespace URI that a prefix (empty: the default namespace) names at the element.
std::string NamespaceOfPrefix(const pugi::xml_node& element, std::string_view prefix);

// The element's attribute of that local name in that namespace; null when it has none.
pugi::xml_attribute AttributeIn(const pugi::xml_node& element, std::string_view ns, std::string_view name);

// The node (or document) as XML text without declaration or indentation.
std::string ToXmlText(const pugi::xml_node& node);

// The first child element of a node, skipping text and comments; null when there is none.
pugi::xml_node FirstChildElement(const pugi::xml_node& node);

} // namespace DemoMeridio
