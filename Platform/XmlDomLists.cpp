// Node lists (a snapshot taken when the list is made) and attribute maps (read from the element).
#include "Platform/ComObject.h"
#include "Platform/ComText.h"
#include "Platform/XmlDomObjects.h"

#include <new>

namespace Platform::Xml {

namespace {

// Index and cursor handling shared by lists and maps; Items supplies Count() and At(index), which
// gives no node for an index past the end.
template <class Interface, class Items>
class Listing : public ComObject<NoDispatch<Interface>, Interface, IDispatch> {
public:
    explicit Listing(Items items) : items_(std::move(items)) {}

    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** listItem) override {
        return ReturnNode(index >= 0 ? items_.At(static_cast<std::size_t>(index)) : NodeRef{}, listItem);
    }
    HRESULT STDMETHODCALLTYPE get_length(LONG* listLength) override {
        if (listLength == nullptr) {
            return E_POINTER;
        }
        *listLength = static_cast<LONG>(items_.Count());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** nextItem) override {
        NodeRef next = items_.At(cursor_);
        if (next.node) {
            ++cursor_;
        }
        return ReturnNode(std::move(next), nextItem);
    }
    HRESULT STDMETHODCALLTYPE reset() override {
        cursor_ = 0;
        return S_OK;
    }

protected:
    Items items_;

private:
    std::size_t cursor_ = 0;
};

struct Snapshot {
    std::vector<NodeRef> nodes;
    std::size_t Count() const { return nodes.size(); }
    NodeRef At(std::size_t index) const { return index < nodes.size() ? nodes[index] : NodeRef{}; }
};

// The element's attributes as they are now. A tree's attributes are only ever appended (a load makes
// a new tree), so an attribute keeps its index and the last one reached is a valid place to walk on
// from: reading them in order costs a step each.
struct ElementAttributes {
    NodeRef element;
    mutable std::size_t reachedIndex = 0;
    mutable pugi::xml_attribute reached;

    std::size_t Count() const {
        const auto attributes = element.node.attributes();
        return static_cast<std::size_t>(std::distance(attributes.begin(), attributes.end()));
    }
    NodeRef At(std::size_t index) const {
        if (!reached || index < reachedIndex) {
            reached = element.node.first_attribute();
            reachedIndex = 0;
        }
        pugi::xml_attribute attribute = reached;
        std::size_t at = reachedIndex;
        for (; attribute && at < index; ++at) {
            attribute = attribute.next_attribute();
        }
        if (!attribute) {
            return NodeRef{};
        }
        reached = attribute;
        reachedIndex = at;
        return NodeRef{element.tree, element.node, attribute};
    }
};

using NodeList = Listing<IXMLDOMNodeList, Snapshot>;

class AttributeMap final : public Listing<IXMLDOMNamedNodeMap, ElementAttributes> {
public:
    using Listing::Listing;

    HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** namedItem) override {
        try {
            const pugi::xml_attribute attribute = items_.element.node.attribute(BstrToUtf8(name).c_str());
            return ReturnNode(attribute ? NodeRef{items_.element.tree, items_.element.node, attribute}
                                        : NodeRef{},
                              namedItem);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
};

template <class Object, class Interface, class Items> HRESULT ReturnNew(Items items, Interface** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = new (std::nothrow) Object(std::move(items));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

} // namespace

HRESULT ReturnNodeList(std::vector<NodeRef> nodes, IXMLDOMNodeList** out) {
    return ReturnNew<NodeList>(Snapshot{std::move(nodes)}, out);
}

HRESULT ReturnAttributeMap(const NodeRef& element, IXMLDOMNamedNodeMap** out) {
    return ReturnNew<AttributeMap>(ElementAttributes{element, 0, {}}, out);
}

} // namespace Platform::Xml
