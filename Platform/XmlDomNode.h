// IXMLDOMNode for every kind of node object; the derived objects add their own interface.
#pragma once

#include "Platform/ComObject.h"
#include "Platform/ComText.h"
#include "Platform/XmlDomObjects.h"

#include <new>

namespace Platform::Xml {

// The part of a node object that WrapNode's callers reach without knowing its interface.
class NodeHolder {
public:
    explicit NodeHolder(NodeRef ref) : ref_(std::move(ref)) {}
    virtual ~NodeHolder() = default;
    NodeRef& Ref() { return ref_; }

protected:
    NodeRef ref_;
};

template <class Interface, class... Also>
class DomNode : public ComObject<NoDispatch<Interface>, Interface, Also..., IXMLDOMNode, IDispatch>,
                public NodeHolder {
public:
    explicit DomNode(NodeRef ref) : NodeHolder(std::move(ref)) {}

    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override {
        return ReturnBstrFromUtf8(NameOf(ref_), name);
    }

    HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override {
        if (value == nullptr) {
            return E_POINTER;
        }
        switch (TypeOf(ref_)) {
        case NODE_ATTRIBUTE:
            return ReturnVariantFromUtf8(ref_.attribute.value(), value);
        case NODE_TEXT:
        case NODE_CDATA_SECTION:
        case NODE_COMMENT:
            return ReturnVariantFromUtf8(ref_.node.value(), value);
        case NODE_PROCESSING_INSTRUCTION:
            return ReturnVariantFromUtf8(ProcessingInstructionData(), value);
        default:
            value->vt = VT_NULL;
            return S_FALSE;
        }
    }

    HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override {
        if (type == nullptr) {
            return E_POINTER;
        }
        *type = TypeOf(ref_);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override {
        return ReturnRelative(ref_.IsAttribute() ? pugi::xml_node() : ref_.node.parent(), parent);
    }

    HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** childList) override {
        try {
            std::vector<NodeRef> children;
            if (!ref_.IsAttribute()) {
                for (pugi::xml_node child : ref_.node.children()) {
                    children.push_back(NodeRef{ref_.tree, child, {}});
                }
            }
            return ReturnNodeList(std::move(children), childList);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) override {
        return ReturnRelative(ref_.IsAttribute() ? pugi::xml_node() : ref_.node.first_child(), child);
    }
    HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) override {
        return ReturnRelative(ref_.IsAttribute() ? pugi::xml_node() : ref_.node.last_child(), child);
    }
    HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) override {
        return ReturnRelative(ref_.IsAttribute() ? pugi::xml_node() : ref_.node.previous_sibling(), sibling);
    }
    HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) override {
        return ReturnRelative(ref_.IsAttribute() ? pugi::xml_node() : ref_.node.next_sibling(), sibling);
    }

    HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributeMap) override {
        if (TypeOf(ref_) == NODE_ELEMENT) {
            return ReturnAttributeMap(ref_, attributeMap);
        }
        if (attributeMap == nullptr) {
            return E_POINTER;
        }
        *attributeMap = nullptr;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) override;

    HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL* hasChild) override {
        if (hasChild == nullptr) {
            return E_POINTER;
        }
        const bool any = !ref_.IsAttribute() && ref_.node.first_child();
        *hasChild = any ? VARIANT_TRUE : VARIANT_FALSE;
        return any ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override {
        return Guarded([&] { return ReturnBstrFromUtf8(TextOf(ref_), text); });
    }
    HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) override {
        return Guarded([&] { return ReturnBstrFromUtf8(MarkupOf(ref_), xml); });
    }

    HRESULT STDMETHODCALLTYPE selectNodes(BSTR query, IXMLDOMNodeList** resultList) override {
        if (resultList == nullptr) {
            return E_POINTER;
        }
        *resultList = nullptr;
        return Guarded([&] {
            std::vector<NodeRef> selected;
            const HRESULT hr = Select(ref_, query, selected);
            return FAILED(hr) ? hr : ReturnNodeList(std::move(selected), resultList);
        });
    }

    HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR query, IXMLDOMNode** resultNode) override {
        if (resultNode == nullptr) {
            return E_POINTER;
        }
        *resultNode = nullptr;
        return Guarded([&] {
            std::vector<NodeRef> selected;
            const HRESULT hr = Select(ref_, query, selected);
            return FAILED(hr) ? hr : ReturnNode(selected.empty() ? NodeRef{} : selected.front(), resultNode);
        });
    }

    HRESULT STDMETHODCALLTYPE get_baseName(BSTR* name) override {
        const DOMNodeType type = TypeOf(ref_);
        const bool named =
            type == NODE_ELEMENT || type == NODE_ATTRIBUTE || type == NODE_PROCESSING_INSTRUCTION;
        const std::string qualified = named ? NameOf(ref_) : std::string();
        return ReturnBstrFromUtf8(std::string_view(qualified).substr(qualified.find(':') + 1), name);
    }

protected:
    template <class Action> static HRESULT Guarded(Action action) {
        try {
            return action();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT ReturnRelative(pugi::xml_node node, IXMLDOMNode** out) {
        return ReturnNode(node ? NodeRef{ref_.tree, node, {}} : NodeRef{}, out);
    }

private:
    // A processing instruction's data; the XML declaration's is its pseudo-attributes as written.
    std::string ProcessingInstructionData() const {
        if (ref_.node.type() != pugi::node_declaration) {
            return ref_.node.value();
        }
        std::string data;
        for (pugi::xml_attribute attribute : ref_.node.attributes()) {
            data +=
                (data.empty() ? "" : " ") + std::string(attribute.name()) + "=\"" + attribute.value() + "\"";
        }
        return data;
    }
};

// Appends `child` to `parent`'s children; a node of another tree (a new element) is copied in, and its
// object is pointed at the copy. E_INVALIDARG for what cannot be a child there.
HRESULT AppendChild(const NodeRef& parent, IXMLDOMNode* child, IXMLDOMNode** outNewChild);

template <class Interface, class... Also>
HRESULT DomNode<Interface, Also...>::appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) {
    return Guarded([&] { return AppendChild(ref_, newChild, outNewChild); });
}

} // namespace Platform::Xml
