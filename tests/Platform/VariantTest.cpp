#include "Platform/OleAuto.h"

#include "CountingUnknown.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VARIANT Text(const wchar_t* text) {
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    return value;
}

TEST(Variant, InitMakesEmpty) {
    VARIANT value;
    value.vt = VT_I4;
    VariantInit(&value);
    EXPECT_EQ(value.vt, VT_EMPTY);
}

TEST(Variant, CopyDuplicatesTextKeepingEmbeddedNul) {
    VARIANT source;
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocStringLen(L"a\0b", 3);
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    EXPECT_EQ(std::wstring(copy.bstrVal, SysStringLen(copy.bstrVal)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(VariantClear(&source), S_OK);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(copy.vt, VT_EMPTY);
}

TEST(Variant, CopyFreesWhatTheDestinationHeld) {
    VARIANT destination = Text(L"old");
    VARIANT source;
    source.vt = VT_I4;
    source.lVal = 42;
    ASSERT_EQ(VariantCopy(&destination, &source), S_OK); // the old text would leak under ASan
    EXPECT_EQ(destination.vt, VT_I4);
    EXPECT_EQ(destination.lVal, 42);
}

TEST(Variant, InterfacesAreAddRefedByCopyAndReleasedByClear) {
    CountingUnknown object;
    VARIANT source;
    source.vt = VT_DISPATCH;
    source.pdispVal = &object;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(object.references, 2u);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(object.references, 1u);
}

TEST(Variant, ArraysAreCopiedDeepAndDestroyedByClear) {
    VARIANT source;
    source.vt = VT_ARRAY | VT_BSTR;
    source.parray = SafeArrayCreateVector(VT_BSTR, 0, 1);
    static_cast<BSTR*>(source.parray->pvData)[0] = SysAllocString(L"x");
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_NE(copy.parray, source.parray);
    EXPECT_EQ(std::wstring(static_cast<BSTR*>(copy.parray->pvData)[0]), L"x");
    EXPECT_EQ(VariantClear(&source), S_OK);
    EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(Variant, ClearOfLockedArrayFailsAndKeepsIt) {
    VARIANT value;
    value.vt = VT_ARRAY | VT_I4;
    value.parray = SafeArrayCreateVector(VT_I4, 0, 1);
    void* data = nullptr;
    SafeArrayAccessData(value.parray, &data);
    EXPECT_EQ(VariantClear(&value), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(value.vt, VT_ARRAY | VT_I4);
    SafeArrayUnaccessData(value.parray);
    EXPECT_EQ(VariantClear(&value), S_OK);
}

TEST(Variant, ByReferenceOwnsNothing) {
    BSTR text = SysAllocString(L"kept");
    VARIANT reference;
    reference.vt = VT_BYREF | VT_BSTR;
    reference.pbstrVal = &text;
    EXPECT_EQ(VariantClear(&reference), S_OK);
    EXPECT_EQ(std::wstring(text), L"kept");
    SysFreeString(text);
}

TEST(Variant, BadTypes) {
    VARIANT value;
    value.vt = 15;
    EXPECT_EQ(VariantClear(&value), DISP_E_BADVARTYPE);
    VARIANT copy;
    VariantInit(&copy);
    EXPECT_EQ(VariantCopy(&copy, &value), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(Variant, CopyOntoItselfKeepsTheValue) {
    VARIANT value = Text(L"same");
    EXPECT_EQ(VariantCopy(&value, &value), S_OK);
    EXPECT_EQ(std::wstring(value.bstrVal), L"same");
    VariantClear(&value);
}

} // namespace
