// The document object ("Msxml2.DOMDocument"): loading, element creation and the selection properties.
#include "Platform/XmlDomNode.h"

namespace Platform::Xml {

namespace {

class DomDocument final : public DomNode<IXMLDOMDocument2, IXMLDOMDocument> {
public:
    explicit DomDocument(std::shared_ptr<Tree> tree) : DomNode(NodeRef{tree, tree->document, {}}) {}

    HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** documentElement) override {
        if (documentElement == nullptr) {
            return E_POINTER;
        }
        *documentElement = nullptr;
        const pugi::xml_node element = ref_.tree->document.document_element();
        if (!element) {
            return S_FALSE;
        }
        IXMLDOMNode* node = WrapNode(NodeRef{ref_.tree, element, {}});
        if (node == nullptr) {
            return E_OUTOFMEMORY;
        }
        // Element objects answer IXMLDOMElement through the interface chain they were made with.
        *documentElement = static_cast<IXMLDOMElement*>(node);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE createElement(BSTR tagName, IXMLDOMElement** element) override {
        if (element == nullptr) {
            return E_POINTER;
        }
        *element = nullptr;
        return Guarded([&] {
            const std::string name = BstrToUtf8(tagName);
            if (name.empty()) {
                return E_INVALIDARG;
            }
            // A new element lives in a tree of its own until appendChild copies it into place.
            auto tree = std::make_shared<Tree>();
            tree->preserveWhiteSpace = ref_.tree->preserveWhiteSpace;
            const pugi::xml_node created = tree->document.append_child(name.c_str());
            IXMLDOMNode* node = WrapNode(NodeRef{tree, created, {}});
            if (node == nullptr) {
                return E_OUTOFMEMORY;
            }
            *element = static_cast<IXMLDOMElement*>(node);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) override {
        return Guarded([&] {
            const std::wstring_view text = BstrView(xml);
            return Load(text.data(), text.size() * sizeof(wchar_t), pugi::encoding_wchar, isSuccessful);
        });
    }

    HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* isAsync) override { return GetFlag(async_, isAsync); }
    HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL isAsync) override {
        async_ = isAsync != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_preserveWhiteSpace(VARIANT_BOOL* isPreserving) override {
        return GetFlag(ref_.tree->preserveWhiteSpace, isPreserving);
    }
    HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL isPreserving) override {
        ref_.tree->preserveWhiteSpace = isPreserving != VARIANT_FALSE;
        return S_OK;
    }
    // Loading never validates against a DTD nor fetches external entities.
    HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) override {
        return Guarded([&] {
            std::string text;
            if (FAILED(VariantToUtf8(value, text))) {
                return E_INVALIDARG;
            }
            if (EqualNoCase(BstrView(name), L"SelectionLanguage")) {
                if (text != "XPath" && text != "XSLPattern") {
                    return E_FAIL;
                }
                selectionLanguage_ = text;
                return S_OK;
            }
            if (EqualNoCase(BstrView(name), L"SelectionNamespaces")) {
                selectionNamespaces_ = text;
                return S_OK;
            }
            return E_FAIL;
        });
    }

    HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) override {
        return Guarded([&] {
            if (EqualNoCase(BstrView(name), L"SelectionLanguage")) {
                return ReturnVariantFromUtf8(selectionLanguage_, value);
            }
            if (EqualNoCase(BstrView(name), L"SelectionNamespaces")) {
                return ReturnVariantFromUtf8(selectionNamespaces_, value);
            }
            return E_FAIL;
        });
    }

    HRESULT Load(const void* data, std::size_t size, pugi::xml_encoding encoding,
                 VARIANT_BOOL* isSuccessful) {
        // Objects of nodes of the old content keep the old tree.
        auto tree = std::make_shared<Tree>();
        tree->preserveWhiteSpace = ref_.tree->preserveWhiteSpace;
        const bool loaded = Parse(*tree, data, size, encoding);
        ref_ = NodeRef{tree, tree->document, {}};
        if (isSuccessful != nullptr) {
            *isSuccessful = loaded ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return loaded ? S_OK : S_FALSE;
    }

private:
    static HRESULT GetFlag(bool flag, VARIANT_BOOL* out) {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    bool async_ = true;
    std::string selectionLanguage_ = "XSLPattern";
    std::string selectionNamespaces_;
};

} // namespace

IXMLDOMNode* NewDocumentNode(std::shared_ptr<Tree> tree) {
    return new (std::nothrow) DomDocument(std::move(tree));
}

HRESULT CreateDocument(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    std::shared_ptr<Tree> tree;
    try {
        tree = std::make_shared<Tree>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    IXMLDOMNode* document = NewDocumentNode(std::move(tree));
    if (document == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = document->QueryInterface(riid, ppv);
    document->Release();
    return hr;
}

HRESULT CreateDocumentFromBytes(const void* data, std::size_t size, IXMLDOMDocument2** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    try {
        auto* document = new DomDocument(std::make_shared<Tree>());
        document->Load(data, size, pugi::encoding_auto, nullptr);
        *out = document;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace Platform::Xml
