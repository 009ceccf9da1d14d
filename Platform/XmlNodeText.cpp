// Node types, names and text as MSXML reports them.
#include "Platform/XmlTree.h"

namespace Platform::Xml {

DOMNodeType TypeOf(const NodeRef& ref) {
    if (ref.IsAttribute()) {
        return NODE_ATTRIBUTE;
    }
    switch (ref.node.type()) {
    case pugi::node_document:
        return NODE_DOCUMENT;
    case pugi::node_element:
        return NODE_ELEMENT;
    case pugi::node_pcdata:
        return NODE_TEXT;
    case pugi::node_cdata:
        return NODE_CDATA_SECTION;
    case pugi::node_comment:
        return NODE_COMMENT;
    case pugi::node_pi:
    case pugi::node_declaration:
        return NODE_PROCESSING_INSTRUCTION;
    case pugi::node_doctype:
        return NODE_DOCUMENT_TYPE;
    case pugi::node_null:
        break;
    }
    return NODE_INVALID;
}

std::string NameOf(const NodeRef& ref) {
    switch (TypeOf(ref)) {
    case NODE_ATTRIBUTE:
        return ref.attribute.name();
    case NODE_DOCUMENT:
        return "#document";
    case NODE_TEXT:
        return "#text";
    case NODE_CDATA_SECTION:
        return "#cdata-section";
    case NODE_COMMENT:
        return "#comment";
    case NODE_DOCUMENT_TYPE: {
        const std::string declaration = ref.node.value();
        return declaration.substr(0, declaration.find_first_of(" \t\r\n["));
    }
    default:
        return ref.node.name();
    }
}

namespace {

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Trims in place: a large text is not copied to lose its blanks.
std::string Trimmed(std::string text) {
    std::size_t end = text.size();
    while (end > 0 && IsXmlSpace(text[end - 1])) {
        --end;
    }
    std::size_t begin = 0;
    while (begin < end && IsXmlSpace(text[begin])) {
        ++begin;
    }
    text.resize(end);
    text.erase(0, begin);
    return text;
}

void AppendDescendantText(pugi::xml_node node, std::string& text) {
    for (pugi::xml_node child = node.first_child(); child;) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        }
        // Walk the subtree in document order without recursion.
        if (child.first_child()) {
            child = child.first_child();
            continue;
        }
        while (child && !child.next_sibling() && child != node) {
            child = child.parent();
        }
        if (!child || child == node) {
            break;
        }
        child = child.next_sibling();
    }
}

} // namespace

std::string TextOf(const NodeRef& ref) {
    if (ref.IsAttribute()) {
        return ref.attribute.value();
    }
    std::string text;
    switch (ref.node.type()) {
    case pugi::node_document:
    case pugi::node_element:
        AppendDescendantText(ref.node, text);
        break;
    case pugi::node_pcdata:
        text = ref.node.value();
        break;
    default:
        return ref.node.value();
    }
    return ref.tree->preserveWhiteSpace ? text : Trimmed(std::move(text));
}

} // namespace Platform::Xml
