// Element, attribute and other node objects, and the wrapping of tree nodes into them.
#include "Platform/XmlDomNode.h"

namespace Platform::Xml {

namespace {

class DomPlainNode final : public DomNode<IXMLDOMNode> {
public:
    using DomNode::DomNode;
};

class DomAttribute final : public DomNode<IXMLDOMAttribute> {
public:
    using DomNode::DomNode;

    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override {
        return ReturnBstrFromUtf8(ref_.attribute.name(), name);
    }
    HRESULT STDMETHODCALLTYPE get_value(VARIANT* value) override {
        return Guarded([&] { return ReturnVariantFromUtf8(ref_.attribute.value(), value); });
    }
};

class DomElement final : public DomNode<IXMLDOMElement> {
public:
    using DomNode::DomNode;

    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* name) override {
        return ReturnBstrFromUtf8(ref_.node.name(), name);
    }

    HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) override {
        if (value == nullptr) {
            return E_POINTER;
        }
        return Guarded([&] {
            const pugi::xml_attribute attribute = ref_.node.attribute(BstrToUtf8(name).c_str());
            if (!attribute) {
                value->vt = VT_NULL;
                return S_FALSE;
            }
            return ReturnVariantFromUtf8(attribute.value(), value);
        });
    }

    HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value) override {
        return Guarded([&] {
            std::string text;
            const HRESULT hr = VariantToUtf8(value, text);
            if (FAILED(hr)) {
                return hr;
            }
            const std::string attributeName = BstrToUtf8(name);
            if (attributeName.empty()) {
                return E_INVALIDARG;
            }
            pugi::xml_attribute attribute = ref_.node.attribute(attributeName.c_str());
            if (!attribute) {
                attribute = ref_.node.append_attribute(attributeName.c_str());
            }
            return attribute.set_value(text.c_str()) ? S_OK : E_OUTOFMEMORY;
        });
    }
};

template <class Object> IXMLDOMNode* New(const NodeRef& ref) {
    return new (std::nothrow) Object(ref);
}

bool CanHoldChildren(const NodeRef& ref) {
    return !ref.IsAttribute() &&
           (ref.node.type() == pugi::node_element || ref.node.type() == pugi::node_document);
}

} // namespace

IXMLDOMNode* WrapNode(const NodeRef& ref) {
    switch (TypeOf(ref)) {
    case NODE_INVALID:
        return nullptr;
    case NODE_DOCUMENT:
        return NewDocumentNode(ref.tree);
    case NODE_ELEMENT:
        return New<DomElement>(ref);
    case NODE_ATTRIBUTE:
        return New<DomAttribute>(ref);
    default:
        return New<DomPlainNode>(ref);
    }
}

HRESULT ReturnNode(const NodeRef& ref, IXMLDOMNode** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (TypeOf(ref) == NODE_INVALID) {
        return S_FALSE;
    }
    *out = WrapNode(ref);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

NodeRef* NodeRefOf(IXMLDOMNode* node) {
    auto* holder = dynamic_cast<NodeHolder*>(node);
    return holder != nullptr ? &holder->Ref() : nullptr;
}

HRESULT AppendChild(const NodeRef& parent, IXMLDOMNode* child, IXMLDOMNode** outNewChild) {
    if (outNewChild != nullptr) {
        *outNewChild = nullptr;
    }
    NodeRef* childRef = child != nullptr ? NodeRefOf(child) : nullptr;
    if (childRef == nullptr) {
        return E_INVALIDARG;
    }
    const DOMNodeType childType = TypeOf(*childRef);
    if (!CanHoldChildren(parent) || childType == NODE_ATTRIBUTE || childType == NODE_DOCUMENT) {
        return E_INVALIDARG;
    }
    if (parent.node.type() == pugi::node_document && childType == NODE_ELEMENT &&
        parent.node.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; })) {
        return E_FAIL; // a document holds one element
    }
    pugi::xml_node target = parent.node;
    const pugi::xml_node appended = childRef->tree == parent.tree ? target.append_move(childRef->node)
                                                                  : target.append_copy(childRef->node);
    if (!appended) {
        return E_INVALIDARG; // a node cannot become its own descendant
    }
    *childRef = NodeRef{parent.tree, appended, {}};
    if (outNewChild == nullptr) {
        return S_OK;
    }
    child->AddRef();
    *outNewChild = child;
    return S_OK;
}

} // namespace Platform::Xml
