// The wrapper methods declared in MsXml.h: each calls its raw method and raises _com_error (with the
// interface's id) when that fails. Included at the end of MsXml.h only.
#pragma once

namespace Platform::MsXmlWrap {

template <class Interface> void Check(HRESULT hr, Interface* object) {
    if (FAILED(hr)) {
        _com_issue_errorex(hr, object, __uuidof(Interface));
    }
}

// Each helper hands `raw` the address of the result and wraps what it stores there.
template <class Interface, class Raw> _bstr_t Text(Interface* object, Raw raw) {
    BSTR text = nullptr;
    Check(raw(&text), object);
    return _bstr_t(text, false);
}

template <class Interface, class Raw> _variant_t Value(Interface* object, Raw raw) {
    _variant_t value;
    Check(raw(&value), object);
    return value;
}

template <class Result, class Interface, class Raw> _com_ptr_t<Result> Object(Interface* object, Raw raw) {
    Result* result = nullptr;
    Check(raw(&result), object);
    return _com_ptr_t<Result>(result, false);
}

template <class Result, class Interface, class Raw> Result Plain(Interface* object, Raw raw) {
    Result result{};
    Check(raw(&result), object);
    return result;
}

} // namespace Platform::MsXmlWrap

// IXMLDOMNode
inline _bstr_t IXMLDOMNode::GetnodeName() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_nodeName(out); });
}
inline _variant_t IXMLDOMNode::GetnodeValue() {
    return Platform::MsXmlWrap::Value(this, [&](VARIANT* out) { return get_nodeValue(out); });
}
inline DOMNodeType IXMLDOMNode::GetnodeType() {
    return Platform::MsXmlWrap::Plain<DOMNodeType>(this, [&](DOMNodeType* out) { return get_nodeType(out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::GetparentNode() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this,
                                                    [&](IXMLDOMNode** out) { return get_parentNode(out); });
}
inline IXMLDOMNodeListPtr IXMLDOMNode::GetchildNodes() {
    return Platform::MsXmlWrap::Object<IXMLDOMNodeList>(
        this, [&](IXMLDOMNodeList** out) { return get_childNodes(out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::GetfirstChild() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this,
                                                    [&](IXMLDOMNode** out) { return get_firstChild(out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::GetlastChild() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this,
                                                    [&](IXMLDOMNode** out) { return get_lastChild(out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::GetpreviousSibling() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(
        this, [&](IXMLDOMNode** out) { return get_previousSibling(out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::GetnextSibling() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this,
                                                    [&](IXMLDOMNode** out) { return get_nextSibling(out); });
}
inline IXMLDOMNamedNodeMapPtr IXMLDOMNode::Getattributes() {
    return Platform::MsXmlWrap::Object<IXMLDOMNamedNodeMap>(
        this, [&](IXMLDOMNamedNodeMap** out) { return get_attributes(out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::appendChild(IXMLDOMNode* newChild) {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(
        this, [&](IXMLDOMNode** out) { return appendChild(newChild, out); });
}
inline VARIANT_BOOL IXMLDOMNode::hasChildNodes() {
    return Platform::MsXmlWrap::Plain<VARIANT_BOOL>(this,
                                                    [&](VARIANT_BOOL* out) { return hasChildNodes(out); });
}
inline _bstr_t IXMLDOMNode::Gettext() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_text(out); });
}
inline _bstr_t IXMLDOMNode::Getxml() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_xml(out); });
}
inline IXMLDOMNodeListPtr IXMLDOMNode::selectNodes(_bstr_t queryString) {
    return Platform::MsXmlWrap::Object<IXMLDOMNodeList>(
        this, [&](IXMLDOMNodeList** out) { return selectNodes(queryString, out); });
}
inline IXMLDOMNodePtr IXMLDOMNode::selectSingleNode(_bstr_t queryString) {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(
        this, [&](IXMLDOMNode** out) { return selectSingleNode(queryString, out); });
}
inline _bstr_t IXMLDOMNode::GetbaseName() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_baseName(out); });
}

// IXMLDOMNodeList
inline IXMLDOMNodePtr IXMLDOMNodeList::Getitem(LONG index) {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this,
                                                    [&](IXMLDOMNode** out) { return get_item(index, out); });
}
inline LONG IXMLDOMNodeList::Getlength() {
    return Platform::MsXmlWrap::Plain<LONG>(this, [&](LONG* out) { return get_length(out); });
}
inline IXMLDOMNodePtr IXMLDOMNodeList::nextNode() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this, [&](IXMLDOMNode** out) { return nextNode(out); });
}

// IXMLDOMNamedNodeMap
inline IXMLDOMNodePtr IXMLDOMNamedNodeMap::getNamedItem(_bstr_t name) {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(
        this, [&](IXMLDOMNode** out) { return getNamedItem(name, out); });
}
inline IXMLDOMNodePtr IXMLDOMNamedNodeMap::Getitem(LONG index) {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this,
                                                    [&](IXMLDOMNode** out) { return get_item(index, out); });
}
inline LONG IXMLDOMNamedNodeMap::Getlength() {
    return Platform::MsXmlWrap::Plain<LONG>(this, [&](LONG* out) { return get_length(out); });
}
inline IXMLDOMNodePtr IXMLDOMNamedNodeMap::nextNode() {
    return Platform::MsXmlWrap::Object<IXMLDOMNode>(this, [&](IXMLDOMNode** out) { return nextNode(out); });
}

// IXMLDOMAttribute
inline _bstr_t IXMLDOMAttribute::Getname() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_name(out); });
}
inline _variant_t IXMLDOMAttribute::Getvalue() {
    return Platform::MsXmlWrap::Value(this, [&](VARIANT* out) { return get_value(out); });
}

// IXMLDOMElement
inline _bstr_t IXMLDOMElement::GettagName() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_tagName(out); });
}
inline _variant_t IXMLDOMElement::getAttribute(_bstr_t name) {
    return Platform::MsXmlWrap::Value(this, [&](VARIANT* out) { return getAttribute(name, out); });
}
inline HRESULT IXMLDOMElement::setAttribute(_bstr_t name, const _variant_t& value) {
    const HRESULT hr = setAttribute(static_cast<BSTR>(name), static_cast<VARIANT>(value));
    Platform::MsXmlWrap::Check(hr, this);
    return hr;
}

// IXMLDOMDocument, IXMLDOMDocument2
inline IXMLDOMElementPtr IXMLDOMDocument::GetdocumentElement() {
    return Platform::MsXmlWrap::Object<IXMLDOMElement>(
        this, [&](IXMLDOMElement** out) { return get_documentElement(out); });
}
inline IXMLDOMElementPtr IXMLDOMDocument::createElement(_bstr_t tagName) {
    return Platform::MsXmlWrap::Object<IXMLDOMElement>(
        this, [&](IXMLDOMElement** out) { return createElement(tagName, out); });
}
inline VARIANT_BOOL IXMLDOMDocument::loadXML(_bstr_t bstrXML) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Platform::MsXmlWrap::Check(loadXML(static_cast<BSTR>(bstrXML), &loaded), this);
    return loaded;
}
inline HRESULT IXMLDOMDocument2::setProperty(_bstr_t name, const _variant_t& value) {
    const HRESULT hr = setProperty(static_cast<BSTR>(name), static_cast<VARIANT>(value));
    Platform::MsXmlWrap::Check(hr, this);
    return hr;
}
inline _variant_t IXMLDOMDocument2::getProperty(_bstr_t name) {
    return Platform::MsXmlWrap::Value(this, [&](VARIANT* out) { return getProperty(name, out); });
}

// IXMLHTTPRequest
inline HRESULT IXMLHTTPRequest::open(_bstr_t bstrMethod, _bstr_t bstrUrl, const _variant_t& varAsync,
                                     const _variant_t& bstrUser, const _variant_t& bstrPassword) {
    const HRESULT hr =
        open(static_cast<BSTR>(bstrMethod), static_cast<BSTR>(bstrUrl), static_cast<VARIANT>(varAsync),
             static_cast<VARIANT>(bstrUser), static_cast<VARIANT>(bstrPassword));
    Platform::MsXmlWrap::Check(hr, this);
    return hr;
}
inline HRESULT IXMLHTTPRequest::setRequestHeader(_bstr_t bstrHeader, _bstr_t bstrValue) {
    const HRESULT hr = setRequestHeader(static_cast<BSTR>(bstrHeader), static_cast<BSTR>(bstrValue));
    Platform::MsXmlWrap::Check(hr, this);
    return hr;
}
inline _bstr_t IXMLHTTPRequest::getResponseHeader(_bstr_t bstrHeader) {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return getResponseHeader(bstrHeader, out); });
}
inline _bstr_t IXMLHTTPRequest::getAllResponseHeaders() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return getAllResponseHeaders(out); });
}
inline HRESULT IXMLHTTPRequest::send(const _variant_t& varBody) {
    const HRESULT hr = send(static_cast<VARIANT>(varBody));
    Platform::MsXmlWrap::Check(hr, this);
    return hr;
}
inline LONG IXMLHTTPRequest::Getstatus() {
    return Platform::MsXmlWrap::Plain<LONG>(this, [&](LONG* out) { return get_status(out); });
}
inline _bstr_t IXMLHTTPRequest::GetstatusText() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_statusText(out); });
}
inline IDispatchPtr IXMLHTTPRequest::GetresponseXML() {
    return Platform::MsXmlWrap::Object<IDispatch>(this,
                                                  [&](IDispatch** out) { return get_responseXML(out); });
}
inline _bstr_t IXMLHTTPRequest::GetresponseText() {
    return Platform::MsXmlWrap::Text(this, [&](BSTR* out) { return get_responseText(out); });
}
inline _variant_t IXMLHTTPRequest::GetresponseBody() {
    return Platform::MsXmlWrap::Value(this, [&](VARIANT* out) { return get_responseBody(out); });
}
inline _variant_t IXMLHTTPRequest::GetresponseStream() {
    return Platform::MsXmlWrap::Value(this, [&](VARIANT* out) { return get_responseStream(out); });
}
inline LONG IXMLHTTPRequest::GetreadyState() {
    return Platform::MsXmlWrap::Plain<LONG>(this, [&](LONG* out) { return get_readyState(out); });
}
