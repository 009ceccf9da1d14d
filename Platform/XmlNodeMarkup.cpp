// The `xml` of a node. An element printed alone gets the declarations of the namespace prefixes its
// subtree uses that only its ancestors declare, so that the text is well-formed by itself.
#include "Platform/XmlTree.h"

#include <set>
#include <sstream>
#include <string_view>

namespace Platform::Xml {

namespace {

constexpr unsigned kPrintFlags = pugi::format_raw | pugi::format_no_declaration;

// "" stands for the default namespace; "xml" and "xmlns" are bound by definition.
std::string_view PrefixOf(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string_view{} : name.substr(0, colon);
}

std::string DeclarationName(std::string_view prefix) {
    return prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
}

void CollectUsedPrefixes(pugi::xml_node element, std::set<std::string>& used) {
    for (pugi::xml_node node = element; node;) {
        if (node.type() == pugi::node_element) {
            used.emplace(PrefixOf(node.name()));
            for (pugi::xml_attribute attribute : node.attributes()) {
                const std::string_view prefix = PrefixOf(attribute.name());
                if (!prefix.empty() && prefix != "xmlns" && prefix != "xml") {
                    used.emplace(prefix);
                }
            }
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != element && !node.next_sibling()) {
            node = node.parent();
        }
        if (node == element) {
            break;
        }
        node = node.next_sibling();
    }
}

// The nearest declaration of the prefix on an ancestor of `element`.
pugi::xml_attribute InheritedDeclaration(pugi::xml_node element, const std::string& declarationName) {
    for (pugi::xml_node ancestor = element.parent(); ancestor.type() == pugi::node_element;
         ancestor = ancestor.parent()) {
        if (pugi::xml_attribute declaration = ancestor.attribute(declarationName.c_str())) {
            return declaration;
        }
    }
    return {};
}

std::string Print(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "", kPrintFlags);
    return out.str();
}

std::string ElementMarkup(pugi::xml_node element) {
    std::set<std::string> used;
    CollectUsedPrefixes(element, used);
    pugi::xml_document copy;
    pugi::xml_node standalone;
    for (const std::string& prefix : used) {
        const std::string declarationName = DeclarationName(prefix);
        if (element.attribute(declarationName.c_str())) {
            continue;
        }
        const pugi::xml_attribute inherited = InheritedDeclaration(element, declarationName);
        if (!inherited || (prefix.empty() && *inherited.value() == '\0')) {
            continue;
        }
        if (!standalone) {
            standalone = copy.append_copy(element);
        }
        standalone.append_attribute(declarationName.c_str()) = inherited.value();
    }
    return Print(standalone ? standalone : element);
}

std::string AttributeMarkup(pugi::xml_attribute attribute) {
    std::string markup = attribute.name();
    markup += "=\"";
    for (const char* c = attribute.value(); *c != '\0'; ++c) {
        switch (*c) {
        case '&':
            markup += "&amp;";
            break;
        case '<':
            markup += "&lt;";
            break;
        case '"':
            markup += "&quot;";
            break;
        default:
            markup += *c;
        }
    }
    return markup + "\"";
}

} // namespace

std::string MarkupOf(const NodeRef& ref) {
    if (ref.IsAttribute()) {
        return AttributeMarkup(ref.attribute);
    }
    if (ref.node.type() == pugi::node_element) {
        return ElementMarkup(ref.node);
    }
    return Print(ref.node);
}

} // namespace Platform::Xml
