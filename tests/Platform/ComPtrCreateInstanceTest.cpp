#include "Platform/Windows.h"

#include <gtest/gtest.h>

_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument, __uuidof(IXMLDOMDocument));

namespace {

TEST(ComPtrCreateInstance, ByProgIdAndByClsid) {
    IXMLDOMDocumentPtr byProgId;
    EXPECT_EQ(byProgId.CreateInstance(L"Msxml2.DOMDocument"), S_OK);
    EXPECT_TRUE(byProgId);

    IXMLDOMDocumentPtr byClsid;
    EXPECT_EQ(byClsid.CreateInstance(__uuidof(DOMDocument)), S_OK);
    EXPECT_TRUE(byClsid);

    IXMLDOMDocumentPtr byClsidText;
    EXPECT_EQ(byClsidText.CreateInstance(L"{F6D90F11-9C73-11D3-B32E-00C04F990BB4}"), S_OK);
    EXPECT_TRUE(byClsidText);
}

TEST(ComPtrCreateInstance, FailureLeavesPointerNull) {
    IXMLDOMDocumentPtr document(__uuidof(DOMDocument));
    EXPECT_EQ(document.CreateInstance(L"No.Such.Class"), CO_E_CLASSSTRING);
    EXPECT_FALSE(document);
    EXPECT_EQ(document.CreateInstance(L"{not a clsid}"), CO_E_CLASSSTRING);
    EXPECT_EQ(document.CreateInstance(IID_IDispatch), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(document);
    EXPECT_EQ(document.CreateInstance(static_cast<LPCWSTR>(nullptr)), E_INVALIDARG);
}

TEST(ComPtrCreateInstance, ConstructionRaisesComErrorOnFailure) {
    try {
        IXMLDOMDocumentPtr document(L"No.Such.Class");
        FAIL() << "no error raised";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), CO_E_CLASSSTRING);
        EXPECT_STREQ(e.ErrorMessage(), L"Invalid class string");
    }
    try {
        IXMLDOMDocumentPtr document(IID_IDispatch);
        FAIL() << "no error raised";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), REGDB_E_CLASSNOTREG);
        EXPECT_STREQ(e.ErrorMessage(), L"Class not registered");
    }
}

} // namespace
