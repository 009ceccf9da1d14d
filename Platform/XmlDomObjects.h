// The COM objects of the DOM: one object per node handed out, each holding its tree.
#pragma once

#include "Platform/XmlTree.h"

namespace Platform::Xml {

// A new reference to an object for the node: IXMLDOMDocument2 for a document, IXMLDOMElement for an
// element, IXMLDOMAttribute for an attribute, IXMLDOMNode for the rest. Null for no node or no memory.
IXMLDOMNode* WrapNode(const NodeRef& ref);

// Stores a new reference to the node's object in *out: S_FALSE and null when there is no node.
HRESULT ReturnNode(const NodeRef& ref, IXMLDOMNode** out);

// The node behind an object of this layer; null for objects made elsewhere.
NodeRef* NodeRefOf(IXMLDOMNode* node);

// A snapshot list of nodes.
HRESULT ReturnNodeList(std::vector<NodeRef> nodes, IXMLDOMNodeList** out);
// The live attribute map of an element.
HRESULT ReturnAttributeMap(const NodeRef& element, IXMLDOMNamedNodeMap** out);

// A new reference to a document object over the tree.
IXMLDOMNode* NewDocumentNode(std::shared_ptr<Tree> tree);

// A new, empty document ("Msxml2.DOMDocument").
HRESULT CreateDocument(REFIID riid, void** ppv);
// A new document holding the parsed bytes (encoding from the byte-order mark or the XML declaration,
// else UTF-8); an empty document when they are not well-formed XML.
HRESULT CreateDocumentFromBytes(const void* data, std::size_t size, IXMLDOMDocument2** out);

} // namespace Platform::Xml
