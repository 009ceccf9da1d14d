#include "Platform/ComUtil.h"
#include "Platform/Combase.h"
#include "Platform/MsXml.h"
#include "tests/Platform/ComTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using PlatformTest::Bstr;
using PlatformTest::ReadText;
using PlatformTest::Ref;

constexpr const wchar_t* kLoginReply =
    L"<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    L"<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
    L" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    L"<soap:Body><LoginResponse xmlns=\"urn:test:dmws\">"
    L"<LoginResult>  token-42\n</LoginResult>"
    L"</LoginResponse></soap:Body></soap:Envelope>";

constexpr const wchar_t* kDiffgramReply =
    L"<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
    L"<GetResponse xmlns=\"urn:test:scws\"><GetResult>"
    L"<diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\""
    L" xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
    L"<DataSet xmlns=\"\">"
    L"<T0 diffgr:id=\"T01\" CONTAINERID=\"7\" NAME=\"seven\"/>"
    L"<T0 diffgr:id=\"T02\" CONTAINERID=\"12\" NAME=\"twelve\"/>"
    L"<T0 diffgr:id=\"T03\" CONTAINERID=\"120\" NAME=\"hundred twenty\"/>"
    L"<T1 DOCID=\"5\"><LastModificationDate>2024-03-05T07:08:09Z</LastModificationDate></T1>"
    L"</DataSet>"
    L"<diffgr:errors><T0 diffgr:id=\"T02\" msdata:Error=\"Access denied\"/></diffgr:errors>"
    L"</diffgr:diffgram></GetResult></GetResponse></soap:Body></soap:Envelope>";

Ref<IXMLDOMDocument2> NewDocument() {
    CLSID clsid{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"msxml2.DOMDocument", &clsid));
    Ref<IUnknown> unknown;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_ALL, __uuidof(IUnknown),
                                     reinterpret_cast<void**>(unknown.Out())));
    EXPECT_EQ(S_OK, OleRun(unknown.get()));
    Ref<IXMLDOMDocument2> document;
    EXPECT_EQ(S_OK, unknown->QueryInterface(document.Out()));
    return document;
}

Ref<IXMLDOMDocument2> Loaded(const wchar_t* xml) {
    Ref<IXMLDOMDocument2> document = NewDocument();
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(S_OK, document->loadXML(Bstr(xml), &ok));
    EXPECT_EQ(VARIANT_TRUE, ok);
    return document;
}

Ref<IXMLDOMNode> SelectOne(IXMLDOMNode* context, const wchar_t* query) {
    Ref<IXMLDOMNode> node;
    EXPECT_TRUE(SUCCEEDED(context->selectSingleNode(Bstr(query), node.Out())));
    return node;
}

std::wstring AttributeText(IXMLDOMNode* node, const wchar_t* name) {
    Ref<IXMLDOMElement> element;
    EXPECT_EQ(S_OK, node->QueryInterface(element.Out()));
    VARIANT value{};
    if (element->getAttribute(Bstr(name), &value) != S_OK || value.vt != VT_BSTR) {
        return L"<missing>";
    }
    std::wstring text(Platform::BstrView(value.bstrVal));
    SysFreeString(value.bstrVal);
    return text;
}

TEST(XmlDomSelection, NamesMatchAsWrittenWhateverTheirNamespace) {
    Ref<IXMLDOMDocument2> login = Loaded(kLoginReply);
    Ref<IXMLDOMNode> token = SelectOne(login.get(), L"//LoginResult");
    ASSERT_TRUE(token);
    EXPECT_EQ(L"token-42", ReadText(token.get(), &IXMLDOMNode::get_text));

    Ref<IXMLDOMDocument2> reply = Loaded(kDiffgramReply);
    Ref<IXMLDOMNode> errors = SelectOne(reply.get(), L"//diffgr:errors");
    ASSERT_TRUE(errors);
    EXPECT_EQ(L"diffgr:errors", ReadText(errors.get(), &IXMLDOMNode::get_nodeName));
    EXPECT_EQ(L"errors", ReadText(errors.get(), &IXMLDOMNode::get_baseName));
    EXPECT_FALSE(SelectOne(reply.get(), L"//errors")) << "the prefix is part of the name";
    EXPECT_FALSE(SelectOne(login.get(), L"//diffgr:errors"));
}

TEST(XmlDomSelection, AttributePredicateComparesNumbers) {
    Ref<IXMLDOMDocument2> reply = Loaded(kDiffgramReply);
    Ref<IXMLDOMNodeList> rows;
    ASSERT_EQ(S_OK, reply->selectNodes(Bstr(L"//T0[@CONTAINERID=12]"), rows.Out()));
    LONG count = 0;
    ASSERT_EQ(S_OK, rows->get_length(&count));
    ASSERT_EQ(1, count);
    Ref<IXMLDOMNode> first;
    ASSERT_EQ(S_OK, rows->get_item(0, first.Out()));
    EXPECT_EQ(L"twelve", AttributeText(first.get(), L"NAME"));
    EXPECT_EQ(L"Access denied",
              AttributeText(SelectOne(reply.get(), L"//diffgr:errors/T0[@diffgr:id='T02']").get(),
                            L"msdata:Error"));

    Ref<IXMLDOMNode> modified = SelectOne(reply.get(), L"//DataSet/T1[DOCID=5]");
    EXPECT_FALSE(modified) << "DOCID is an attribute, not a child element";
    modified = SelectOne(reply.get(), L"//DataSet/T1[@DOCID=5]/LastModificationDate");
    ASSERT_TRUE(modified);
    EXPECT_EQ(L"2024-03-05T07:08:09Z", ReadText(modified.get(), &IXMLDOMNode::get_text));
}

TEST(XmlDomSelection, NodeListWalksInDocumentOrderAndResets) {
    Ref<IXMLDOMDocument2> reply = Loaded(kDiffgramReply);
    Ref<IXMLDOMNodeList> rows;
    ASSERT_EQ(S_OK, reply->selectNodes(Bstr(L"//DataSet/T0"), rows.Out()));
    for (int pass = 0; pass < 2; ++pass) {
        std::wstring names;
        for (;;) {
            Ref<IXMLDOMNode> row;
            if (rows->nextNode(row.Out()) != S_OK) {
                EXPECT_FALSE(row);
                break;
            }
            names += AttributeText(row.get(), L"NAME") + L";";
        }
        EXPECT_EQ(L"seven;twelve;hundred twenty;", names);
        rows->reset();
    }
    Ref<IXMLDOMNode> beyond;
    EXPECT_EQ(S_FALSE, rows->get_item(3, beyond.Out()));
    EXPECT_FALSE(beyond);
}

TEST(XmlDomSelection, InvalidQueryFails) {
    Ref<IXMLDOMDocument2> reply = Loaded(kDiffgramReply);
    Ref<IXMLDOMNode> node;
    EXPECT_EQ(E_FAIL, reply->selectSingleNode(Bstr(L"//T0[@CONTAINERID="), node.Out()));
    EXPECT_EQ(E_FAIL, reply->selectSingleNode(Bstr(L"count(//T0)"), node.Out()));
    EXPECT_FALSE(node);
}

TEST(XmlDomLoad, MalformedTextFailsAndLeavesAnEmptyDocument) {
    const wchar_t* const malformed[] = {
        L"",
        L"<a>",
        L"<a></b>",
        L"<a/><b/>",
        L"plain text",
        L"<a/>trailing",
        L"<a x='1' x='2'/>",
        L"<a x='1' y='2' z='3' x='4'/>",
        L"<a><b y='1' q='2' y='3'/></a>",
        L"<p:a/>",
        L"<a p:x='1'/>",
        L"<a xmlns:p=''/>",
        L"<a><b></a></b>",
        L"<a x=1/>",
    };
    for (const wchar_t* text : malformed) {
        Ref<IXMLDOMDocument2> document = Loaded(L"<previous/>");
        VARIANT_BOOL ok = VARIANT_TRUE;
        EXPECT_EQ(S_FALSE, document->loadXML(Bstr(text), &ok)) << text;
        EXPECT_EQ(VARIANT_FALSE, ok) << text;
        Ref<IXMLDOMElement> root;
        EXPECT_EQ(S_FALSE, document->get_documentElement(root.Out())) << text;
        EXPECT_EQ(L"", ReadText(document.get(), &IXMLDOMNode::get_xml)) << text;
    }
}

TEST(XmlDomLoad, AnElementOfManyAttributesLoadsUnlessANameRepeats) {
    std::wstring attributes;
    for (int i = 0; i < 5000; ++i) {
        attributes += L" a" + std::to_wstring(i) + L"='" + std::to_wstring(i) + L"'";
    }
    VARIANT_BOOL ok = VARIANT_FALSE;
    Ref<IXMLDOMDocument2> document = Loaded(L"<r/>");
    EXPECT_EQ(S_OK, document->loadXML(Bstr((L"<r" + attributes + L"/>").c_str()), &ok));
    EXPECT_EQ(VARIANT_TRUE, ok);
    EXPECT_EQ(S_FALSE, document->loadXML(Bstr((L"<r" + attributes + L" a17='again'/>").c_str()), &ok));
    EXPECT_EQ(VARIANT_FALSE, ok);
}

std::wstring Nested(int depth) {
    std::wstring text;
    for (int level = 0; level < depth; ++level) {
        text += L"<e>";
    }
    for (int level = 0; level < depth; ++level) {
        text += L"</e>";
    }
    return text;
}

// As MSXML 6 by default: no document type declaration (entity bombs live there), at most 256 levels.
TEST(XmlDomLoad, DocumentTypeAndDeepNestingAreRefused) {
    const std::wstring refused[] = {
        L"<!DOCTYPE a><a/>",
        L"<?xml version=\"1.0\"?><!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a/>",
        L"<!DOCTYPE a [<!ENTITY x \"xx\"><!ENTITY y \"&x;&x;&x;&x;\">]><a>&y;</a>",
        L"<a><!DOCTYPE b></a>",
        Nested(257),
        L"<a>" + Nested(256) + L"</a>",
        Nested(100000),
    };
    for (const std::wstring& text : refused) {
        Ref<IXMLDOMDocument2> document = NewDocument();
        VARIANT_BOOL ok = VARIANT_TRUE;
        EXPECT_EQ(S_FALSE, document->loadXML(Bstr(text.c_str()), &ok)) << text.substr(0, 80);
        EXPECT_EQ(VARIANT_FALSE, ok) << text.substr(0, 80);
        Ref<IXMLDOMElement> root;
        EXPECT_EQ(S_FALSE, document->get_documentElement(root.Out())) << text.substr(0, 80);
    }
    Ref<IXMLDOMDocument2> deepest = Loaded(Nested(256).c_str());
    Ref<IXMLDOMNodeList> elements;
    ASSERT_EQ(S_OK, deepest->selectNodes(Bstr(L"//e"), elements.Out()));
    LONG count = 0;
    EXPECT_EQ(S_OK, elements->get_length(&count));
    EXPECT_EQ(256, count);
}

TEST(XmlDomMarkup, NodeMarkupCarriesTheNamespaceDeclarationsItNeeds) {
    Ref<IXMLDOMDocument2> reply = Loaded(kDiffgramReply);
    const struct {
        const wchar_t* query;
        const wchar_t* expected;
    } cases[] = {
        {L"//diffgr:errors",
         L"<diffgr:errors xmlns=\"urn:test:scws\" xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\""
         L" xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\">"
         L"<T0 diffgr:id=\"T02\" msdata:Error=\"Access denied\"/></diffgr:errors>"},
        {L"//GetResult", nullptr},
        {L"//DataSet/T0[@CONTAINERID=7]", nullptr},
    };
    for (const auto& c : cases) {
        Ref<IXMLDOMNode> node = SelectOne(reply.get(), c.query);
        ASSERT_TRUE(node) << c.query;
        const std::wstring xml = ReadText(node.get(), &IXMLDOMNode::get_xml);
        if (c.expected != nullptr) {
            EXPECT_EQ(c.expected, xml);
        }
        Ref<IXMLDOMDocument2> alone = NewDocument();
        VARIANT_BOOL ok = VARIANT_FALSE;
        EXPECT_EQ(S_OK, alone->loadXML(Bstr(xml.c_str()), &ok)) << xml;
        EXPECT_EQ(ReadText(node.get(), &IXMLDOMNode::get_text),
                  ReadText(alone.get(), &IXMLDOMNode::get_text));
    }
    Ref<IXMLDOMNode> result = SelectOne(Loaded(kLoginReply).get(), L"//LoginResult");
    EXPECT_EQ(L"<LoginResult xmlns=\"urn:test:dmws\">  token-42\n</LoginResult>",
              ReadText(result.get(), &IXMLDOMNode::get_xml));
}

TEST(XmlDomText, ConcatenatesDescendantTextAndTrimsTheEnds) {
    Ref<IXMLDOMDocument2> document =
        Loaded(L"<r>\n  <a> one <b>two</b><![CDATA[ <three> ]]><!-- not text --></a>\n  <c/>\n</r>");
    EXPECT_EQ(L"one two <three>", ReadText(SelectOne(document.get(), L"//a").get(), &IXMLDOMNode::get_text));
    EXPECT_EQ(L"one two <three>", ReadText(document.get(), &IXMLDOMNode::get_text));
    EXPECT_EQ(L"", ReadText(SelectOne(document.get(), L"//c").get(), &IXMLDOMNode::get_text));
    Ref<IXMLDOMDocument2> blanks = Loaded(L"<r> \t\r\n \n\t </r>");
    EXPECT_EQ(L"", ReadText(blanks.get(), &IXMLDOMNode::get_text));
    Ref<IXMLDOMNodeList> children;
    ASSERT_EQ(S_OK, SelectOne(document.get(), L"/r")->get_childNodes(children.Out()));
    LONG count = 0;
    children->get_length(&count);
    EXPECT_EQ(2, count) << "white space between elements is not kept";
}

TEST(XmlDomNavigation, ReportsNamesTypesAndRelatives) {
    Ref<IXMLDOMDocument2> document =
        Loaded(L"<?xml version=\"1.0\"?><p:r xmlns:p=\"urn:p\" a=\"1\"><x/>text<!--c--></p:r>");
    Ref<IXMLDOMElement> root;
    ASSERT_EQ(S_OK, document->get_documentElement(root.Out()));
    EXPECT_EQ(L"p:r", ReadText(root.get(), &IXMLDOMElement::get_tagName));
    EXPECT_EQ(L"r", ReadText(root.get(), &IXMLDOMNode::get_baseName));

    const struct {
        DOMNodeType type;
        const wchar_t* name;
    } expected[] = {{NODE_ELEMENT, L"x"}, {NODE_TEXT, L"#text"}, {NODE_COMMENT, L"#comment"}};
    Ref<IXMLDOMNode> child;
    ASSERT_EQ(S_OK, root->get_firstChild(child.Out()));
    for (const auto& e : expected) {
        ASSERT_TRUE(child);
        DOMNodeType type{};
        child->get_nodeType(&type);
        EXPECT_EQ(e.type, type);
        EXPECT_EQ(e.name, ReadText(child.get(), &IXMLDOMNode::get_nodeName));
        Ref<IXMLDOMNode> parent;
        ASSERT_EQ(S_OK, child->get_parentNode(parent.Out()));
        EXPECT_EQ(L"p:r", ReadText(parent.get(), &IXMLDOMNode::get_nodeName));
        Ref<IXMLDOMNode> next;
        child->get_nextSibling(next.Out());
        child = std::move(next);
    }
    EXPECT_FALSE(child);

    Ref<IXMLDOMNode> parentOfRoot;
    ASSERT_EQ(S_OK, root->get_parentNode(parentOfRoot.Out()));
    DOMNodeType type{};
    parentOfRoot->get_nodeType(&type);
    EXPECT_EQ(NODE_DOCUMENT, type);

    Ref<IXMLDOMNamedNodeMap> attributes;
    ASSERT_EQ(S_OK, root->get_attributes(attributes.Out()));
    LONG count = 0;
    attributes->get_length(&count);
    EXPECT_EQ(2, count);
    Ref<IXMLDOMNode> a;
    ASSERT_EQ(S_OK, attributes->getNamedItem(Bstr(L"a"), a.Out()));
    a->get_nodeType(&type);
    EXPECT_EQ(NODE_ATTRIBUTE, type);
    EXPECT_EQ(L"1", ReadText(a.get(), &IXMLDOMNode::get_text));
    EXPECT_EQ(L"a=\"1\"", ReadText(a.get(), &IXMLDOMNode::get_xml));
    Ref<IXMLDOMNode> missing;
    EXPECT_EQ(S_FALSE, attributes->getNamedItem(Bstr(L"b"), missing.Out()));
    EXPECT_FALSE(missing);
}

} // namespace

namespace {

TEST(XmlDomBuild, CreatedElementsJoinTheTreeWithTheirAttributes) {
    Ref<IXMLDOMDocument2> document = Loaded(L"<root/>");
    Ref<IXMLDOMElement> root;
    ASSERT_EQ(S_OK, document->get_documentElement(root.Out()));
    Ref<IXMLDOMElement> item;
    ASSERT_EQ(S_OK, document->createElement(Bstr(L"item"), item.Out()));
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(L"a&b \"c\"");
    EXPECT_EQ(S_OK, item->setAttribute(Bstr(L"name"), value));
    SysFreeString(value.bstrVal);
    Ref<IXMLDOMNode> appended;
    ASSERT_EQ(S_OK, root->appendChild(item.get(), appended.Out()));
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(L"2");
    EXPECT_EQ(S_OK, item->setAttribute(Bstr(L"n"), value)) << "the object follows its node into the tree";
    SysFreeString(value.bstrVal);
    EXPECT_EQ(L"<root><item name=\"a&amp;b &quot;c&quot;\" n=\"2\"/></root>",
              ReadText(document.get(), &IXMLDOMNode::get_xml));
    EXPECT_EQ(L"a&b \"c\"", AttributeText(SelectOne(document.get(), L"//item[@n=2]").get(), L"name"));

    Ref<IXMLDOMElement> second;
    ASSERT_EQ(S_OK, document->createElement(Bstr(L"second"), second.Out()));
    EXPECT_EQ(E_FAIL, document->appendChild(second.get(), nullptr)) << "a document holds one element";
    EXPECT_EQ(E_INVALIDARG, item->appendChild(root.get(), nullptr)) << "a node cannot hold its ancestor";
}

// The name and value of the attribute at the index, "<none>" past the end.
std::wstring AttributeAt(IXMLDOMNamedNodeMap* attributes, LONG index) {
    Ref<IXMLDOMNode> attribute;
    if (attributes->get_item(index, attribute.Out()) != S_OK || !attribute) {
        return L"<none>";
    }
    return ReadText(attribute.get(), &IXMLDOMNode::get_xml);
}

TEST(XmlDomAttributes, ReadByIndexInAnyOrderAndAfterEdits) {
    Ref<IXMLDOMDocument2> document = Loaded(L"<root><row a=\"1\" b=\"2\" c=\"3\"/></root>");
    Ref<IXMLDOMNode> row = SelectOne(document.get(), L"//row");
    Ref<IXMLDOMNamedNodeMap> attributes;
    ASSERT_EQ(S_OK, row->get_attributes(attributes.Out()));
    for (const auto& [index, expected] : std::vector<std::pair<LONG, std::wstring>>{{0, L"a=\"1\""},
                                                                                    {2, L"c=\"3\""},
                                                                                    {1, L"b=\"2\""},
                                                                                    {1, L"b=\"2\""},
                                                                                    {3, L"<none>"},
                                                                                    {-1, L"<none>"},
                                                                                    {0, L"a=\"1\""}}) {
        EXPECT_EQ(expected, AttributeAt(attributes.get(), index)) << index;
    }

    // The map is live: a new attribute comes last, a changed one keeps its place, also after the
    // element moves within its tree.
    Ref<IXMLDOMElement> element;
    ASSERT_EQ(S_OK, row->QueryInterface(element.Out()));
    EXPECT_EQ(L"c=\"3\"", AttributeAt(attributes.get(), 2));
    for (const auto& [name, text] : {std::pair{L"d", L"4"}, std::pair{L"b", L"two"}}) {
        VARIANT value{};
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(text);
        EXPECT_EQ(S_OK, element->setAttribute(Bstr(name), value));
        SysFreeString(value.bstrVal);
    }
    Ref<IXMLDOMElement> root;
    ASSERT_EQ(S_OK, document->get_documentElement(root.Out()));
    Ref<IXMLDOMElement> other;
    ASSERT_EQ(S_OK, document->createElement(Bstr(L"other"), other.Out()));
    ASSERT_EQ(S_OK, root->appendChild(other.get(), nullptr));
    ASSERT_EQ(S_OK, other->appendChild(row.get(), nullptr));
    EXPECT_EQ(L"d=\"4\"", AttributeAt(attributes.get(), 3));
    EXPECT_EQ(L"b=\"two\"", AttributeAt(attributes.get(), 1));
    EXPECT_EQ(L"<none>", AttributeAt(attributes.get(), 4));
    LONG count = 0;
    ASSERT_EQ(S_OK, attributes->get_length(&count));
    EXPECT_EQ(4, count);
    std::wstring walked;
    for (;;) {
        Ref<IXMLDOMNode> next;
        if (attributes->nextNode(next.Out()) != S_OK || !next) {
            break;
        }
        walked += ReadText(next.get(), &IXMLDOMNode::get_text);
    }
    EXPECT_EQ(L"1two34", walked);
}

TEST(XmlDomLifetime, NodesOutliveTheirDocumentAndItsReloads) {
    Ref<IXMLDOMNode> token;
    Ref<IXMLDOMNodeList> rows;
    {
        Ref<IXMLDOMDocument2> document = Loaded(kLoginReply);
        token = SelectOne(document.get(), L"//LoginResult");
        ASSERT_EQ(S_OK, document->selectNodes(Bstr(L"//*"), rows.Out()));
        VARIANT_BOOL ok = VARIANT_FALSE;
        ASSERT_EQ(S_OK, document->loadXML(Bstr(L"<other/>"), &ok));
        EXPECT_FALSE(SelectOne(document.get(), L"//LoginResult"));
    }
    EXPECT_EQ(L"token-42", ReadText(token.get(), &IXMLDOMNode::get_text));
    LONG count = 0;
    rows->get_length(&count);
    EXPECT_EQ(4, count);
}

TEST(ComActivation, KnowsTheDomClassOnly) {
    CLSID clsid{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"MSXML2.domdocument", &clsid));
    EXPECT_EQ(CLSID_DOMDocument, clsid);
    EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(L"Msxml2.NoSuchThing", &clsid));
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              CoCreateInstance(__uuidof(IUnknown), nullptr, CLSCTX_ALL, __uuidof(IUnknown), &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_NOINTERFACE,
              CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, __uuidof(IXMLHTTPRequest), &object));
    Ref<IXMLDOMDocument2> document = NewDocument();
    Ref<IDispatch> dispatch;
    ASSERT_EQ(S_OK, document->QueryInterface(dispatch.Out()));
    UINT count = 1;
    EXPECT_EQ(E_NOTIMPL, dispatch->GetTypeInfoCount(&count));
}

} // namespace

namespace {

TEST(XmlDomWrappers, SmartPointersAndComErrors) {
    IXMLDOMDocument2Ptr document(CLSID_DOMDocument);
    EXPECT_EQ(VARIANT_TRUE, document->loadXML(_bstr_t(kDiffgramReply)));
    IXMLDOMNodePtr errors = document->selectSingleNode(L"//diffgr:errors");
    ASSERT_TRUE(errors);
    EXPECT_EQ(_bstr_t(L"diffgr:errors"), errors->GetnodeName());
    EXPECT_EQ(3, document->selectNodes(L"//DataSet/T0")->Getlength());
    EXPECT_FALSE(document->selectSingleNode(L"//nothing"));
    EXPECT_EQ(_bstr_t(L"DataSet"), errors->GetparentNode()->GetfirstChild()->GetnodeName());
    try {
        document->selectSingleNode(L"//T0[");
        ADD_FAILURE() << "a malformed query raises";
    } catch (const _com_error& error) {
        EXPECT_EQ(E_FAIL, error.Error());
    }
    EXPECT_EQ(VARIANT_FALSE, document->loadXML(L"<broken"));
    EXPECT_FALSE(document->GetdocumentElement());
}

} // namespace
