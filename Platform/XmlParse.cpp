// Loading text into a tree. pugixml accepts some input that is not well-formed XML with namespaces
// (several top-level elements, top-level text, repeated attributes, undeclared prefixes); such input
// is refused here as MSXML refuses it. As MSXML 6 does by default, a document type declaration is
// refused (no reply of a web service carries one; it is where entity bombs live), and so is element
// nesting deeper than 256 levels.
#include "Platform/XmlTree.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>

namespace Platform::Xml {

namespace {

// Fragment mode keeps text that stands outside the document element, so that it can be refused.
constexpr int kDeepestNesting = 256;

constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                 pugi::parse_pi | pugi::parse_doctype | pugi::parse_fragment;

bool HasOneDocumentElement(const pugi::xml_document& document) {
    int elements = 0;
    for (pugi::xml_node child : document.children()) {
        switch (child.type()) {
        case pugi::node_element:
            ++elements;
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
        case pugi::node_doctype:
            return false;
        default:
            break;
        }
    }
    return elements == 1;
}

// In-scope namespace prefixes while walking the tree, with the depth that declared each; and the
// nesting depth.
class PrefixChecker : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        if (node.type() != pugi::node_element) {
            return true;
        }
        const int level = depth();
        if (level >= kDeepestNesting) { // depth 0 is the document element
            return Fail();
        }
        while (!scope_.empty() && scope_.back().second >= level) {
            scope_.pop_back();
        }
        for (pugi::xml_attribute attribute : node.attributes()) {
            const std::string_view name = attribute.name();
            if (name.substr(0, 6) == "xmlns:") {
                if (*attribute.value() == '\0') {
                    return Fail();
                }
                scope_.emplace_back(name.substr(6), level);
            }
        }
        return Declared(node.name()) && AttributesValid(node) ? true : Fail();
    }

    bool Valid() const { return valid_; }

private:
    bool Fail() {
        valid_ = false;
        return false;
    }

    bool Declared(std::string_view name) const {
        const std::size_t colon = name.find(':');
        if (colon == std::string_view::npos) {
            return true;
        }
        const std::string_view prefix = name.substr(0, colon);
        if (prefix == "xml" || prefix == "xmlns") {
            return true;
        }
        return std::any_of(scope_.begin(), scope_.end(),
                           [&](const auto& entry) { return entry.first == prefix; });
    }

    // Every prefix declared and no name twice. The names are sorted by hash to find repeats, so that
    // an element of many attributes costs no more than its sort.
    bool AttributesValid(pugi::xml_node element) {
        names_.clear();
        for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            const std::string_view name = attribute.name();
            if (!Declared(name)) {
                return false;
            }
            names_.emplace_back(std::hash<std::string_view>{}(name), name);
        }
        std::sort(names_.begin(), names_.end());
        return std::adjacent_find(names_.begin(), names_.end()) == names_.end();
    }

    std::vector<std::pair<std::string_view, int>> scope_;
    std::vector<std::pair<std::size_t, std::string_view>> names_; // of the element at hand
    bool valid_ = true;
};

bool WellFormed(pugi::xml_document& document) {
    if (!HasOneDocumentElement(document)) {
        return false;
    }
    PrefixChecker checker;
    document.traverse(checker);
    return checker.Valid();
}

} // namespace

bool Parse(Tree& tree, const void* data, std::size_t size, pugi::xml_encoding encoding) {
    const unsigned flags = kParseFlags | (tree.preserveWhiteSpace ? pugi::parse_ws_pcdata : 0U);
    const pugi::xml_parse_result result = tree.document.load_buffer(data, size, flags, encoding);
    if (result && WellFormed(tree.document)) {
        return true;
    }
    tree.document.reset();
    return false;
}

} // namespace Platform::Xml
