#include "Platform/OleAuto.h"
#include "Platform/WinNls.h"

#include "CountingUnknown.h"
#include "tests/Support/InstalledLocale.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr LCID kUs = 1033;
constexpr LCID kDe = 1031;

// A text VARIANT freed at the end of the expression or scope that holds it.
struct OwnedText {
    VARIANT value;
    explicit OwnedText(const wchar_t* text) {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(text);
    }
    ~OwnedText() { VariantClear(&value); }
    OwnedText(const OwnedText&) = delete;
    OwnedText& operator=(const OwnedText&) = delete;
    operator const VARIANT&() const { return value; }
};

OwnedText Text(const wchar_t* text) {
    return OwnedText(text);
}

VARIANT Real(double value) {
    VARIANT v;
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT Long(LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

std::wstring AsText(const VARIANT& source, LCID lcid = kUs, USHORT flags = 0) {
    VARIANT result;
    VariantInit(&result);
    if (FAILED(VariantChangeTypeEx(&result, &source, lcid, flags, VT_BSTR))) {
        return L"<failed>";
    }
    std::wstring text(result.bstrVal, SysStringLen(result.bstrVal));
    VariantClear(&result);
    return text;
}

HRESULT Change(const VARIANT& source, VARTYPE vt, VARIANT* result, LCID lcid = kUs) {
    VariantInit(result);
    return VariantChangeTypeEx(result, &source, lcid, 0, vt);
}

TEST(VariantChangeType, NumbersToIntegersRoundHalfToEvenAndCheckRange) {
    struct Case {
        double value;
        VARTYPE vt;
        HRESULT hr;
        LONGLONG expected;
    };
    for (const Case& c :
         {Case{2.5, VT_I4, S_OK, 2}, Case{3.5, VT_I4, S_OK, 4}, Case{-2.5, VT_I4, S_OK, -2},
          Case{2147483647.4, VT_I4, S_OK, 2147483647}, Case{2147483648.0, VT_I4, DISP_E_OVERFLOW, 0},
          Case{-1.0, VT_UI4, DISP_E_OVERFLOW, 0}, Case{4294967295.0, VT_UI4, S_OK, 4294967295LL},
          Case{1e18, VT_I8, S_OK, 1000000000000000000LL}, Case{256.0, VT_UI1, DISP_E_OVERFLOW, 0}}) {
        VARIANT result;
        EXPECT_EQ(Change(Real(c.value), c.vt, &result), c.hr) << c.value;
        if (c.hr == S_OK) {
            EXPECT_EQ(result.vt, c.vt);
            EXPECT_EQ(c.vt == VT_UI4  ? LONGLONG{result.ulVal}
                      : c.vt == VT_I4 ? result.lVal
                                      : result.llVal,
                      c.expected);
        }
    }
}

TEST(VariantChangeType, TextToNumbersUsesTheLocale) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    VARIANT result;
    ASSERT_EQ(Change(Text(L"1.234,5"), VT_R8, &result, kDe), S_OK);
    EXPECT_DOUBLE_EQ(result.dblVal, 1234.5);
    ASSERT_EQ(Change(Text(L"1.5"), VT_I4, &result), S_OK);
    EXPECT_EQ(result.lVal, 2);
    ASSERT_EQ(Change(Text(L"12,34"), VT_CY, &result, kDe), S_OK);
    EXPECT_EQ(result.cyVal.int64, 123400);
    EXPECT_EQ(Change(Text(L"x"), VT_I4, &result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(Text(L"99999999999"), VT_I4, &result), DISP_E_OVERFLOW);
    ASSERT_EQ(Change(Text(L"18446744073709551615"), VT_UI8, &result), S_OK);
    EXPECT_EQ(result.ullVal, 18446744073709551615ULL);
}

TEST(VariantChangeType, NumbersToText) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    EXPECT_EQ(AsText(Long(-42)), L"-42");
    EXPECT_EQ(AsText(Real(1234.5)), L"1234.5");
    EXPECT_EQ(AsText(Real(1234.5), kDe), L"1234,5");
    EXPECT_EQ(AsText(Real(0.1)), L"0.1");
    EXPECT_EQ(AsText(Real(1e20)), L"1E+20");
    VARIANT currency;
    currency.vt = VT_CY;
    currency.cyVal.int64 = -15000;
    EXPECT_EQ(AsText(currency), L"-1.5");
    currency.cyVal.int64 = 1000000;
    EXPECT_EQ(AsText(currency), L"100");
}

TEST(VariantChangeType, Booleans) {
    VARIANT flag;
    flag.vt = VT_BOOL;
    flag.boolVal = VARIANT_TRUE;
    EXPECT_EQ(AsText(flag), L"-1");
    EXPECT_EQ(AsText(flag, kUs, VARIANT_ALPHABOOL), L"True");
    VARIANT result;
    ASSERT_EQ(Change(flag, VT_I4, &result), S_OK);
    EXPECT_EQ(result.lVal, -1);
    ASSERT_EQ(Change(Text(L"false"), VT_BOOL, &result), S_OK);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
    ASSERT_EQ(Change(Text(L"2"), VT_BOOL, &result), S_OK);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Change(Real(0.0), VT_BOOL, &result), S_OK);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
    EXPECT_EQ(Change(Text(L"yes"), VT_BOOL, &result), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, DatesFromTextAndToText) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    VARIANT result;
    ASSERT_EQ(Change(Text(L"2024-03-05 07:08:09 "), VT_DATE, &result, kDe), S_OK);
    EXPECT_EQ(result.vt, VT_DATE);
    EXPECT_EQ(AsText(result, kDe), L"05.03.2024 07:08:09");
    VARIANT date;
    date.vt = VT_DATE;
    date.date = 45356.5;
    ASSERT_EQ(Change(date, VT_R8, &result), S_OK);
    EXPECT_DOUBLE_EQ(result.dblVal, 45356.5);
    EXPECT_EQ(Change(Real(3e6), VT_DATE, &result), DISP_E_OVERFLOW);
    EXPECT_EQ(Change(Text(L"not a date"), VT_DATE, &result), DISP_E_TYPEMISMATCH);
}

// VariantChangeType's own flags share bits with VAR_TIMEVALUEONLY and VAR_DATEVALUEONLY; none of them
// drops a part of a date.
TEST(VariantChangeType, ItsFlagsKeepTheDateAndTheTime) {
    VARIANT date;
    date.vt = VT_DATE;
    date.date = 45356.5; // 2024-03-05 12:00
    const OwnedText text(L"2024-03-05 12:00");
    for (const USHORT flags : {VARIANT_NOVALUEPROP, VARIANT_ALPHABOOL, VARIANT_NOUSEROVERRIDE}) {
        EXPECT_EQ(AsText(date, kUs, flags), L"3/5/2024 12:00:00 PM") << flags;
        VARIANT result;
        VariantInit(&result);
        ASSERT_EQ(VariantChangeTypeEx(&result, &text.value, kUs, flags, VT_DATE), S_OK);
        EXPECT_EQ(result.date, 45356.5) << flags;
    }
}

TEST(VariantChangeType, EmptyAndNull) {
    VARIANT empty;
    VariantInit(&empty);
    VARIANT null;
    null.vt = VT_NULL;
    VARIANT result;
    ASSERT_EQ(Change(empty, VT_I4, &result), S_OK);
    EXPECT_EQ(result.lVal, 0);
    EXPECT_EQ(AsText(empty), L"");
    ASSERT_EQ(Change(empty, VT_NULL, &result), S_OK);
    EXPECT_EQ(result.vt, VT_NULL);
    EXPECT_EQ(Change(null, VT_I4, &result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(null, VT_BSTR, &result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(Long(1), VT_NULL, &result), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, BadTypesAndFailureLeavesTheDestination) {
    VARIANT result = Long(7);
    EXPECT_EQ(VariantChangeType(&result, &result, 0, 15), DISP_E_BADVARTYPE);
    VARIANT bad;
    bad.vt = 0x0FFF;
    EXPECT_EQ(VariantChangeType(&result, &bad, 0, VT_I4), DISP_E_BADVARTYPE);
    OwnedText text(L"abc");
    OwnedText destination(L"kept");
    EXPECT_EQ(VariantChangeType(&destination.value, &text.value, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(std::wstring(destination.value.bstrVal), L"kept");
}

TEST(VariantChangeType, InPlaceFreesTheOldValue) {
    OwnedText value(L"42");
    ASSERT_EQ(VariantChangeType(&value.value, &value.value, 0, VT_I4),
              S_OK); // the text would leak under ASan
    EXPECT_EQ(value.value.vt, VT_I4);
    EXPECT_EQ(value.value.lVal, 42);
}

TEST(VariantChangeType, ByReferenceSourceIsRead) {
    double number = 2.75;
    VARIANT reference;
    reference.vt = VT_BYREF | VT_R8;
    reference.pdblVal = &number;
    VARIANT result;
    ASSERT_EQ(Change(reference, VT_I4, &result), S_OK);
    EXPECT_EQ(result.lVal, 3);
    BSTR text = SysAllocString(L"5");
    reference.vt = VT_BYREF | VT_BSTR;
    reference.pbstrVal = &text;
    ASSERT_EQ(Change(reference, VT_BSTR, &result), S_OK);
    EXPECT_NE(result.bstrVal, text);
    VariantClear(&result);
    SysFreeString(text);
}

TEST(VariantChangeType, InterfacesDoNotBecomeValues) {
    CountingUnknown object;
    VARIANT dispatch;
    dispatch.vt = VT_DISPATCH;
    dispatch.pdispVal = &object;
    VARIANT result;
    EXPECT_EQ(Change(dispatch, VT_I4, &result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(object.references, 1u);
}

} // namespace
