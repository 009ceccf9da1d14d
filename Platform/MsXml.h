// The XML DOM and the XMLHTTP request object, with the interfaces and ids of MSXML 3.
//
// Virtual methods are the raw COM methods (`get_text(BSTR*)`, `selectSingleNode(BSTR, IXMLDOMNode**)`):
// they return an HRESULT, S_FALSE with a null result when a lookup finds nothing. Beside them stand
// wrappers named as type-library import names them: `Gettext()` for the property `text`, and methods
// under their own name with fewer arguments (`selectSingleNode(_bstr_t)`); wrappers return _bstr_t,
// _variant_t or smart pointers (IXMLDOMNodePtr, ...) and raise _com_error for a failed HRESULT.
#pragma once

#include "Platform/ComUtil.h"

enum DOMNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT = 1,
    NODE_ATTRIBUTE = 2,
    NODE_TEXT = 3,
    NODE_CDATA_SECTION = 4,
    NODE_ENTITY_REFERENCE = 5,
    NODE_ENTITY = 6,
    NODE_PROCESSING_INSTRUCTION = 7,
    NODE_COMMENT = 8,
    NODE_DOCUMENT = 9,
    NODE_DOCUMENT_TYPE = 10,
    NODE_DOCUMENT_FRAGMENT = 11,
    NODE_NOTATION = 12,
};

struct IXMLDOMNode;
struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMAttribute;
struct IXMLDOMElement;
struct IXMLDOMDocument;
struct IXMLDOMDocument2;
struct IXMLHTTPRequest;
_COM_SMARTPTR_TYPEDEF(IXMLDOMNode, __uuidof(IXMLDOMNode));
_COM_SMARTPTR_TYPEDEF(IXMLDOMNodeList, __uuidof(IXMLDOMNodeList));
_COM_SMARTPTR_TYPEDEF(IXMLDOMNamedNodeMap, __uuidof(IXMLDOMNamedNodeMap));
_COM_SMARTPTR_TYPEDEF(IXMLDOMAttribute, __uuidof(IXMLDOMAttribute));
_COM_SMARTPTR_TYPEDEF(IXMLDOMElement, __uuidof(IXMLDOMElement));
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument, __uuidof(IXMLDOMDocument));
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument2, __uuidof(IXMLDOMDocument2));
_COM_SMARTPTR_TYPEDEF(IXMLHTTPRequest, __uuidof(IXMLHTTPRequest));

struct IXMLDOMNode : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** childList) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** firstChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** lastChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** previousSibling) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** nextSibling) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributeMap) = 0;
    virtual HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL* hasChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_text(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_xml(BSTR* xmlString) = 0;
    virtual HRESULT STDMETHODCALLTYPE selectNodes(BSTR queryString, IXMLDOMNodeList** resultList) = 0;
    virtual HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR queryString, IXMLDOMNode** resultNode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_baseName(BSTR* nameString) = 0;

    _bstr_t GetnodeName();
    _variant_t GetnodeValue();
    DOMNodeType GetnodeType();
    IXMLDOMNodePtr GetparentNode();
    IXMLDOMNodeListPtr GetchildNodes();
    IXMLDOMNodePtr GetfirstChild();
    IXMLDOMNodePtr GetlastChild();
    IXMLDOMNodePtr GetpreviousSibling();
    IXMLDOMNodePtr GetnextSibling();
    IXMLDOMNamedNodeMapPtr Getattributes();
    IXMLDOMNodePtr appendChild(IXMLDOMNode* newChild);
    VARIANT_BOOL hasChildNodes();
    _bstr_t Gettext();
    _bstr_t Getxml();
    IXMLDOMNodeListPtr selectNodes(_bstr_t queryString);
    IXMLDOMNodePtr selectSingleNode(_bstr_t queryString);
    _bstr_t GetbaseName();

protected:
    ~IXMLDOMNode() = default;
};
KOVA_DECLARE_UUID(IXMLDOMNode, "2933BF80-7B36-11D2-B20E-00C04F983E60");

// A snapshot of nodes in document order, with a cursor for nextNode.
struct IXMLDOMNodeList : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** listItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(LONG* listLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** nextItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE reset() = 0;

    IXMLDOMNodePtr Getitem(LONG index);
    LONG Getlength();
    IXMLDOMNodePtr nextNode();

protected:
    ~IXMLDOMNodeList() = default;
};
KOVA_DECLARE_UUID(IXMLDOMNodeList, "2933BF82-7B36-11D2-B20E-00C04F983E60");

// The attributes of an element.
struct IXMLDOMNamedNodeMap : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** namedItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** listItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(LONG* listLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** nextItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE reset() = 0;

    IXMLDOMNodePtr getNamedItem(_bstr_t name);
    IXMLDOMNodePtr Getitem(LONG index);
    LONG Getlength();
    IXMLDOMNodePtr nextNode();

protected:
    ~IXMLDOMNamedNodeMap() = default;
};
KOVA_DECLARE_UUID(IXMLDOMNamedNodeMap, "2933BF83-7B36-11D2-B20E-00C04F983E60");

struct IXMLDOMAttribute : IXMLDOMNode {
    virtual HRESULT STDMETHODCALLTYPE get_name(BSTR* attributeName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_value(VARIANT* attributeValue) = 0;

    _bstr_t Getname();
    _variant_t Getvalue();

protected:
    ~IXMLDOMAttribute() = default;
};
KOVA_DECLARE_UUID(IXMLDOMAttribute, "2933BF85-7B36-11D2-B20E-00C04F983E60");

struct IXMLDOMElement : IXMLDOMNode {
    virtual HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) = 0;
    // VT_BSTR with the value, or VT_NULL and S_FALSE when the element has no such attribute.
    virtual HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value) = 0;

    _bstr_t GettagName();
    _variant_t getAttribute(_bstr_t name);
    HRESULT setAttribute(_bstr_t name, const _variant_t& value);

protected:
    ~IXMLDOMElement() = default;
};
KOVA_DECLARE_UUID(IXMLDOMElement, "2933BF86-7B36-11D2-B20E-00C04F983E60");

struct IXMLDOMDocument : IXMLDOMNode {
    virtual HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** documentElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE createElement(BSTR tagName, IXMLDOMElement** element) = 0;
    // Malformed text gives VARIANT_FALSE (S_FALSE) and leaves the document empty.
    virtual HRESULT STDMETHODCALLTYPE loadXML(BSTR bstrXML, VARIANT_BOOL* isSuccessful) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* isAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL isAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_preserveWhiteSpace(VARIANT_BOOL* isPreserving) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL isPreserving) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL isValidating) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL isResolving) = 0;

    IXMLDOMElementPtr GetdocumentElement();
    IXMLDOMElementPtr createElement(_bstr_t tagName);
    VARIANT_BOOL loadXML(_bstr_t bstrXML);

protected:
    ~IXMLDOMDocument() = default;
};
KOVA_DECLARE_UUID(IXMLDOMDocument, "2933BF81-7B36-11D2-B20E-00C04F983E60");

struct IXMLDOMDocument2 : IXMLDOMDocument {
    // "SelectionLanguage" ("XPath" or "XSLPattern") and "SelectionNamespaces" are accepted and kept;
    // selection matches names as written either way.
    virtual HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) = 0;

    HRESULT setProperty(_bstr_t name, const _variant_t& value);
    _variant_t getProperty(_bstr_t name);

protected:
    ~IXMLDOMDocument2() = default;
};
KOVA_DECLARE_UUID(IXMLDOMDocument2, "2933BF95-7B36-11D2-B20E-00C04F983E60");

// readyState: 0 uninitialised, 1 opened, 2 sent and headers received, 3 receiving, 4 completed.
struct IXMLHTTPRequest : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE open(BSTR bstrMethod, BSTR bstrUrl, VARIANT varAsync, VARIANT bstrUser,
                                           VARIANT bstrPassword) = 0;
    virtual HRESULT STDMETHODCALLTYPE setRequestHeader(BSTR bstrHeader, BSTR bstrValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE getResponseHeader(BSTR bstrHeader, BSTR* pbstrValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE getAllResponseHeaders(BSTR* pbstrHeaders) = 0;
    virtual HRESULT STDMETHODCALLTYPE send(VARIANT varBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE abort() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_status(LONG* plStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_statusText(BSTR* pbstrStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_responseXML(IDispatch** ppBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_responseText(BSTR* pbstrBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_responseBody(VARIANT* pvarBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_responseStream(VARIANT* pvarBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_readyState(LONG* plState) = 0;

    HRESULT open(_bstr_t bstrMethod, _bstr_t bstrUrl, const _variant_t& varAsync = _variant_t(),
                 const _variant_t& bstrUser = _variant_t(), const _variant_t& bstrPassword = _variant_t());
    HRESULT setRequestHeader(_bstr_t bstrHeader, _bstr_t bstrValue);
    _bstr_t getResponseHeader(_bstr_t bstrHeader);
    _bstr_t getAllResponseHeaders();
    HRESULT send(const _variant_t& varBody = _variant_t());
    LONG Getstatus();
    _bstr_t GetstatusText();
    IDispatchPtr GetresponseXML();
    _bstr_t GetresponseText();
    _variant_t GetresponseBody();
    _variant_t GetresponseStream();
    LONG GetreadyState();

protected:
    ~IXMLHTTPRequest() = default;
};
KOVA_DECLARE_UUID(IXMLHTTPRequest, "ED8C108D-4349-11D2-91A4-00C04F7969E8");

// The version-independent classes ("Msxml2.DOMDocument", "Msxml2.XMLHTTP").
struct DOMDocument;
KOVA_DECLARE_UUID(DOMDocument, "F6D90F11-9C73-11D3-B32E-00C04F990BB4");
struct XMLHTTP;
KOVA_DECLARE_UUID(XMLHTTP, "F6D90F16-9C73-11D3-B32E-00C04F990BB4");

inline constexpr CLSID CLSID_DOMDocument = __uuidof(DOMDocument);
inline constexpr CLSID CLSID_XMLHTTP = __uuidof(XMLHTTP);
inline constexpr IID IID_IXMLDOMNode = __uuidof(IXMLDOMNode);
inline constexpr IID IID_IXMLDOMNodeList = __uuidof(IXMLDOMNodeList);
inline constexpr IID IID_IXMLDOMNamedNodeMap = __uuidof(IXMLDOMNamedNodeMap);
inline constexpr IID IID_IXMLDOMAttribute = __uuidof(IXMLDOMAttribute);
inline constexpr IID IID_IXMLDOMElement = __uuidof(IXMLDOMElement);
inline constexpr IID IID_IXMLDOMDocument = __uuidof(IXMLDOMDocument);
inline constexpr IID IID_IXMLDOMDocument2 = __uuidof(IXMLDOMDocument2);
inline constexpr IID IID_IXMLHTTPRequest = __uuidof(IXMLHTTPRequest);

#include "Platform/MsXmlWrappers.h"
