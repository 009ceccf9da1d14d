#include "tools/demo-meridio/soap/XmlText.h"

#include <sstream>

namespace DemoMeridio {

std::string_view LocalName(const pugi::xml_node& element) {
    std::string_view name = element.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string NamespaceOf(const pugi::xml_node& element) {
    const std::string_view name = element.name();
    const auto colon = name.find(':');
    return NamespaceOfPrefix(element,
                             colon == std::string_view::npos ? std::string_view{} : name.substr(0, colon));
}

std::string NamespaceOfPrefix(const pugi::xml_node& element, std::string_view prefix) {
    const std::string attribute = prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
    for (pugi::xml_node node = element; node && node.type() == pugi::node_element; node = node.parent()) {
        if (const pugi::xml_attribute declaration = node.attribute(attribute.c_str())) {
            return declaration.value();
        }
    }
    return {};
}

pugi::xml_attribute AttributeIn(const pugi::xml_node& element, std::string_view ns, std::string_view name) {
    for (pugi::xml_attribute attribute : element.attributes()) {
        const std::string_view qualified = attribute.name();
        const auto colon = qualified.find(':');
        // Unprefixed attributes are in no namespace.
        if (colon != std::string_view::npos && qualified.substr(colon + 1) == name &&
            qualified.substr(0, colon) != "xmlns" &&
            NamespaceOfPrefix(element, qualified.substr(0, colon)) == ns) {
            return attribute;
        }
    }
    return {};
}

std::string ToXmlText(const pugi::xml_node& node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

pugi::xml_node FirstChildElement(const pugi::xml_node& node) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element) {
            return child;
        }
    }
    return {};
}

} // namespace DemoMeridio
