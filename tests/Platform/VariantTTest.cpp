#include "Platform/ComUtil.h"

#include "TestComObject.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

HRESULT RaisedBy(void (*action)()) {
    try {
        action();
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

TEST(VariantT, ConstructorsGiveTheCommonTypes) {
    EXPECT_EQ(_variant_t().vt, VT_EMPTY);
    const _variant_t i4(LONG{-5});
    EXPECT_EQ(i4.vt, VT_I4);
    EXPECT_EQ(i4.lVal, -5);
    const _variant_t fromLong(-7L);
    EXPECT_EQ(fromLong.vt, VT_I4);
    EXPECT_EQ(fromLong.lVal, -7);
    EXPECT_EQ(vtMissing.vt, VT_ERROR);
    EXPECT_EQ(vtMissing.scode, DISP_E_PARAMNOTFOUND);
    const _variant_t i2(short{3});
    EXPECT_EQ(i2.vt, VT_I2);
    const _variant_t flag(true);
    EXPECT_EQ(flag.vt, VT_BOOL);
    EXPECT_EQ(flag.boolVal, VARIANT_TRUE);
    const _variant_t date(45000.5, VT_DATE);
    EXPECT_EQ(date.vt, VT_DATE);
    EXPECT_EQ(date.date, 45000.5);
    const _variant_t real(2.5);
    EXPECT_EQ(real.vt, VT_R8);
    CY cy{};
    cy.int64 = 12345;
    EXPECT_EQ(_variant_t(cy).cyVal.int64, 12345);
    EXPECT_EQ(_variant_t(ULONG{7}).vt, VT_UI4);
}

TEST(VariantT, TextConstructorsMakeOwnBstrs) {
    const _variant_t wide(L"w\u00E9");
    EXPECT_EQ(wide.vt, VT_BSTR);
    EXPECT_STREQ(wide.bstrVal, L"w\u00E9");
    const _variant_t narrow("n\xC3\xA9");
    EXPECT_STREQ(narrow.bstrVal, L"n\u00E9");
    const _bstr_t text(SysAllocStringLen(L"a\0b", 3), false);
    const _variant_t fromBstr(text);
    EXPECT_EQ(SysStringLen(fromBstr.bstrVal), 3u);
    EXPECT_NE(fromBstr.bstrVal, static_cast<const wchar_t*>(text));
}

TEST(VariantT, BadTypeArgumentsAndOverflowRaise) {
    EXPECT_EQ(RaisedBy([] { _variant_t v(LONG{1}, VT_R8); }), E_INVALIDARG);
    EXPECT_EQ(RaisedBy([] { _variant_t v(2.0, VT_I4); }), E_INVALIDARG);
    EXPECT_EQ(RaisedBy([] { _variant_t v(1L << 40); }), DISP_E_OVERFLOW);
    EXPECT_EQ(RaisedBy([] { _variant_t v(static_cast<const VARIANT*>(nullptr)); }), E_POINTER);
}

TEST(VariantT, InterfacePointersAreCounted) {
    TestComObject object;
    {
        _variant_t held(static_cast<IUnknown*>(static_cast<ITestWidget*>(&object)));
        EXPECT_EQ(held.vt, VT_UNKNOWN);
        EXPECT_EQ(object.references(), 2u);
        _variant_t copy = held;
        EXPECT_EQ(object.references(), 3u);
        copy.Clear();
        EXPECT_EQ(copy.vt, VT_EMPTY);
        EXPECT_EQ(object.references(), 2u);
    }
    EXPECT_EQ(object.references(), 1u);
}

TEST(VariantT, AttachDetachAndMoveTransferOwnership) {
    VARIANT raw;
    VariantInit(&raw);
    raw.vt = VT_BSTR;
    raw.bstrVal = SysAllocString(L"owned");
    _variant_t holder;
    holder.Attach(raw);
    EXPECT_EQ(raw.vt, VT_EMPTY);
    EXPECT_STREQ(holder.bstrVal, L"owned");

    _variant_t moved(std::move(holder));
    EXPECT_EQ(holder.vt, VT_EMPTY);
    VARIANT out = moved.Detach();
    EXPECT_EQ(moved.vt, VT_EMPTY);
    EXPECT_STREQ(out.bstrVal, L"owned");
    VariantClear(&out);
}

TEST(VariantT, AssignmentTakesTheNewType) {
    _variant_t value(L"text");
    value = LONG{4};
    EXPECT_EQ(value.vt, VT_I4);
    value = L"again";
    EXPECT_EQ(value.vt, VT_BSTR);
    const _variant_t other(2.0);
    value = other;
    EXPECT_EQ(value.vt, VT_R8);
    EXPECT_EQ(value.dblVal, 2.0);
}

} // namespace
