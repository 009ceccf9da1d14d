// Node lists (a snapshot taken when the list is made) and attribute maps (read from the element).
#include "Platform/ComObject.h"
#include "Platform/ComText.h"
#include "Platform/XmlDomObjects.h"

#include <new>

namespace Platform::Xml {

namespace {

// Index and cursor handling shared by lists and maps; Items supplies Count() and At(index).
template <class Interface, class Items>
class Listing : public ComObject<NoDispatch<Interface>, Interface, IDispatch> {
public:
    explicit Listing(Items items) : items_(std::move(items)) {}

    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** listItem) override {
        const bool inRange = index >= 0 && static_cast<std::size_t>(index) < items_.Count();
        return ReturnNode(inRange ? items_.At(static_cast<std::size_t>(index)) : NodeRef{}, listItem);
    }
    HRESULT STDMETHODCALLTYPE get_length(LONG* listLength) override {
        if (listLength == nullptr) {
            return E_POINTER;
        }
        *listLength = static_cast<LONG>(items_.Count());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** nextItem) override {
        if (cursor_ >= items_.Count()) {
            return ReturnNode(NodeRef{}, nextItem);
        }
        return ReturnNode(items_.At(cursor_++), nextItem);
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
    NodeRef At(std::size_t index) const { return nodes[index]; }
};

struct ElementAttributes {
    NodeRef element;
    std::size_t Count() const {
        const auto attributes = element.node.attributes();
        return static_cast<std::size_t>(std::distance(attributes.begin(), attributes.end()));
    }
    NodeRef At(std::size_t index) const {
        pugi::xml_attribute attribute = element.node.first_attribute();
        for (; index > 0; --index) {
            attribute = attribute.next_attribute();
        }
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
    return ReturnNew<AttributeMap>(ElementAttributes{element}, out);
}

} // namespace Platform::Xml
