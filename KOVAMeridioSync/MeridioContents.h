// The contents document of the last listing, with its rows indexed by id once when it is loaded, so
// that a pass looks its items' rows up without a scan of the whole listing per item.
#pragma once

#include "Platform/MsXml.h"
#include "VantrelCommon/StdString.h"

#include <unordered_map>

// The rows of one element name by one attribute: for an id, the node that
// "//ELEMENT[@ATTRIBUTE=id]" selects (the first such row in document order whose attribute, read as
// an XPath number, equals the id).
class MeridioRowIndex {
public:
    MeridioRowIndex() = default;
    MeridioRowIndex(IXMLDOMDocument2* document, const wchar_t* element, const wchar_t* attribute);

    // Null when no row has the id.
    IXMLDOMNodePtr Find(LONG id) const;

private:
    std::unordered_map<LONG, IXMLDOMNodePtr> rows_;
};

class MeridioContents {
public:
    // A new document holding the XML of the action's reply, replacing the last one and its indexes;
    // text that is not XML fails the request (LSHttpError) and leaves no document.
    void Load(const _bstr_t& xml, const wchar_t* action);
    void Clear();

    explicit operator bool() const { return static_cast<bool>(document_); }
    // The document; a use of a missing one raises _com_error E_POINTER.
    const IXMLDOMDocument2Ptr& Document() const { return document_; }
    const IXMLDOMDocument2Ptr& operator->() const { return document_; }

    // The T0 row of the container, folder or class; null when it is not listed.
    IXMLDOMNodePtr ContainerRow(LONG id) const { return containers_.Find(id); }
    // The T1 row of the document or record; null when it is not listed.
    IXMLDOMNodePtr DocumentRow(LONG id) const { return documents_.Find(id); }

private:
    IXMLDOMDocument2Ptr document_;
    MeridioRowIndex containers_;
    MeridioRowIndex documents_;
};
