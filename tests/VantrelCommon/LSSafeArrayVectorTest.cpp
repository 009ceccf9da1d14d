#include "VantrelCommon/LSSafeArrayVector.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> Elements(SAFEARRAY* array) {
    LSSafeArrayAccessor<BSTR> elements(array);
    elements.AccessData();
    std::vector<std::wstring> texts;
    for (BSTR element : elements) {
        texts.emplace_back(element, SysStringLen(element));
    }
    return texts;
}

TEST(LSSafeArrayVector, HoldsOneBstrPerStringFromIndexZero) {
    LSSafeArrayVector vector(std::vector<CStdStr<wchar_t>>{L"a", L"", L"b"});
    SAFEARRAY* array = vector.GetSafeArray();
    ASSERT_NE(array, nullptr);
    VARTYPE type = VT_EMPTY;
    ASSERT_EQ(SafeArrayGetVartype(array, &type), S_OK);
    EXPECT_EQ(type, VT_BSTR);
    LONG lower = -1;
    ASSERT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(Elements(array), (std::vector<std::wstring>{L"a", L"", L"b"}));
}

TEST(LSSafeArrayVector, EmptyVectorGivesAnEmptyArray) {
    LSSafeArrayVector vector(std::vector<CStdStr<wchar_t>>{});
    ASSERT_NE(vector.GetSafeArray(), nullptr);
    EXPECT_EQ(vector.GetSafeArray()->rgsabound[0].cElements, 0u);
    EXPECT_TRUE(Elements(vector.GetSafeArray()).empty());
}

TEST(LSSafeArrayVector, EmbeddedNulCutsTheString) {
    LSSafeArrayVector vector(std::vector<CStdStr<wchar_t>>{CStdStr<wchar_t>(std::wstring(L"ab\0cd", 5))});
    EXPECT_EQ(Elements(vector.GetSafeArray()), std::vector<std::wstring>{L"ab"});
}

TEST(LSSafeArrayVector, TakesOverTheBstrsItIsGiven) {
    std::vector<BSTR> strings{SysAllocString(L"a"), SysAllocStringLen(L"b\0c", 3), SysAllocString(L"")};
    const std::vector<BSTR> given = strings;
    LSSafeArrayVector vector(std::move(strings));
    EXPECT_TRUE(strings.empty());
    LSSafeArrayAccessor<BSTR> elements(vector.GetSafeArray());
    elements.AccessData();
    EXPECT_EQ(std::vector<BSTR>(elements.begin(), elements.end()), given);
    elements.UnaccessData();
    EXPECT_EQ(Elements(vector.GetSafeArray()),
              (std::vector<std::wstring>{L"a", std::wstring(L"b\0c", 3), L""}));
}

TEST(LSSafeArrayAccessor, ANullArrayIsThrown) {
    LSSafeArrayAccessor<BSTR> elements(nullptr);
    try {
        elements.AccessData();
        FAIL() << "no exception";
    } catch (long thrown) {
        EXPECT_TRUE(FAILED(static_cast<HRESULT>(thrown)));
    }
}

TEST(LSSafeArrayAccessor, UnaccessingTwiceIsHarmless) {
    LSSafeArrayVector vector(std::vector<CStdStr<wchar_t>>{L"x"});
    LSSafeArrayAccessor<BSTR> elements(vector.GetSafeArray());
    elements.AccessData();
    elements.UnaccessData();
    elements.UnaccessData();
    EXPECT_EQ(vector.GetSafeArray()->cLocks, 0u);
}

} // namespace
