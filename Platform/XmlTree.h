// The parsed XML behind the DOM objects, and the operations on it that give MSXML's results.
#pragma once

#include "Platform/MsXml.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

namespace Platform::Xml {

// One document's nodes. DOM objects share it, so a node keeps its tree alive after the document
// object is released or has loaded other text.
struct Tree {
    pugi::xml_document document;
    bool preserveWhiteSpace = false;
};

// A node of a tree: an attribute (with its element in `node`) or any other node.
struct NodeRef {
    std::shared_ptr<Tree> tree;
    pugi::xml_node node;
    pugi::xml_attribute attribute;

    bool IsAttribute() const { return !attribute.empty(); }
};

DOMNodeType TypeOf(const NodeRef& ref);
std::string NameOf(const NodeRef& ref);

// Text of a node: the concatenated text of its descendants, trimmed unless white space is preserved.
std::string TextOf(const NodeRef& ref);

// Markup of a node, well-formed on its own: an element carries the namespace declarations of its
// ancestors that its subtree uses.
std::string MarkupOf(const NodeRef& ref);

// Replaces the tree's content by the parsed data; false (and an empty tree) for malformed XML.
bool Parse(Tree& tree, const void* data, std::size_t size, pugi::xml_encoding encoding);

// Nodes the query selects from `context`, in document order. Names match as written, prefix included.
// E_FAIL for a query that is not a valid node-set expression.
HRESULT Select(const NodeRef& context, BSTR query, std::vector<NodeRef>& selected);

} // namespace Platform::Xml
