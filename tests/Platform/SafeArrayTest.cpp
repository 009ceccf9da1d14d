#include "Platform/OleAuto.h"
#include "Platform/SafeArrayData.h"
#include "Platform/SafeArrayShared.h"

#include "CountingUnknown.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(SafeArray, VectorOfStringsHoldsCopiesAndIsFreedOnDestroy) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 3);
    ASSERT_NE(array, nullptr);
    BSTR* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
    data[0] = SysAllocString(L"a");
    data[1] = SysAllocString(L"");
    data[2] = SysAllocString(L"b");
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);

    LONG index = 1;
    BSTR middle = nullptr;
    ASSERT_EQ(SafeArrayGetElement(array, &index, &middle), S_OK);
    EXPECT_EQ(SysStringLen(middle), 0u);
    EXPECT_NE(middle, data[1]);
    SysFreeString(middle);

    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, VT_BSTR);
    EXPECT_NE(array->fFeatures & FADF_BSTR, 0);
    EXPECT_EQ(SafeArrayGetElemsize(array), sizeof(BSTR));
    EXPECT_EQ(SafeArrayDestroy(array), S_OK); // the sanitizer build sees a leak if the strings stay
}

TEST(SafeArray, AccessCountsLocks) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &first), S_OK);
    ASSERT_EQ(SafeArrayAccessData(array, &second), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, EmptyVectorHasNoElementsAndZeroUpperBoundBelowLower) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 0);
    ASSERT_NE(array, nullptr);
    LONG lower = 7;
    LONG upper = 7;
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, -1);
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, BoundsPerDimensionAndBadDimension) {
    SAFEARRAYBOUND bounds[] = {{2, 1}, {3, -1}}; // leftmost dimension first
    SAFEARRAY* array = SafeArrayCreate(VT_R8, 2, bounds);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetDim(array), 2u);
    LONG value = 0;
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &value), S_OK);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(SafeArrayGetLBound(array, 2, &value), S_OK);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(SafeArrayGetUBound(array, 2, &value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(SafeArrayGetLBound(array, 0, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array, 3, &value), DISP_E_BADINDEX);

    // Every cell is distinct: write all, read all back.
    for (LONG left = 1; left <= 2; ++left) {
        for (LONG right = -1; right <= 1; ++right) {
            LONG indices[] = {right, left}; // rightmost dimension first
            double cell = left * 10 + right;
            ASSERT_EQ(SafeArrayPutElement(array, indices, &cell), S_OK);
        }
    }
    for (LONG left = 1; left <= 2; ++left) {
        for (LONG right = -1; right <= 1; ++right) {
            LONG indices[] = {right, left};
            double cell = 0;
            ASSERT_EQ(SafeArrayGetElement(array, indices, &cell), S_OK);
            EXPECT_EQ(cell, left * 10 + right);
        }
    }
    LONG outside[] = {2, 1};
    double cell = 0;
    EXPECT_EQ(SafeArrayGetElement(array, outside, &cell), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, ElementSizes) {
    struct Case {
        VARTYPE vt;
        UINT size;
    };
    for (const Case& c :
         {Case{VT_UI1, 1}, Case{VT_BOOL, 2}, Case{VT_I4, 4}, Case{VT_R8, 8}, Case{VT_CY, 8}, Case{VT_DATE, 8},
          Case{VT_UNKNOWN, sizeof(void*)}, Case{VT_VARIANT, sizeof(VARIANT)}}) {
        SAFEARRAY* array = SafeArrayCreateVector(c.vt, 0, 1);
        ASSERT_NE(array, nullptr) << c.vt;
        EXPECT_EQ(SafeArrayGetElemsize(array), c.size) << c.vt;
        SafeArrayDestroy(array);
    }
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_NULL, 0, 1), nullptr);
}

TEST(SafeArray, PutElementReplacesAndReleasesOldValues) {
    CountingUnknown first;
    CountingUnknown second;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(array, &index, static_cast<IUnknown*>(&first)), S_OK);
    EXPECT_EQ(first.references, 2u);
    ASSERT_EQ(SafeArrayPutElement(array, &index, static_cast<IUnknown*>(&second)), S_OK);
    EXPECT_EQ(first.references, 1u);
    EXPECT_EQ(second.references, 2u);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(second.references, 1u);
}

TEST(SafeArray, CopyIsDeep) {
    CountingUnknown object;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 5, 2);
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"text");
    VARIANT unknown;
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = &object;
    LONG index = 5;
    ASSERT_EQ(SafeArrayPutElement(array, &index, &text), S_OK);
    index = 6;
    ASSERT_EQ(SafeArrayPutElement(array, &index, &unknown), S_OK);
    SysFreeString(text.bstrVal);

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    EXPECT_EQ(object.references, 3u);
    auto* original = static_cast<VARIANT*>(array->pvData);
    auto* copied = static_cast<VARIANT*>(copy->pvData);
    EXPECT_NE(original[0].bstrVal, copied[0].bstrVal);
    EXPECT_EQ(std::wstring(copied[0].bstrVal), L"text");
    LONG lower = 0;
    SafeArrayGetLBound(copy, 1, &lower);
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(object.references, 1u);
}

TEST(SafeArray, ArrayOverSharedDataKeepsItsOwnerUntilDestroyed) {
    auto owner = std::make_shared<std::string>("shared bytes");
    SAFEARRAY* array =
        Platform::SafeArrayCreateVectorOver(VT_UI1, static_cast<ULONG>(owner->size()), owner->data(), owner);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->pvData, owner->data());
    EXPECT_EQ(array->rgsabound[0].cElements, owner->size());
    EXPECT_EQ(array->rgsabound[0].lLbound, 0);
    VARTYPE vt = VT_EMPTY;
    ASSERT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    EXPECT_EQ(owner.use_count(), 2);

    // A copy owns its elements.
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    EXPECT_NE(copy->pvData, owner->data());
    EXPECT_EQ(std::string(static_cast<const char*>(copy->pvData), copy->rgsabound[0].cElements), *owner);
    // Only the array over the data names its owner.
    EXPECT_EQ(Platform::SafeArrayDataOwner(array), owner);
    EXPECT_EQ(Platform::SafeArrayDataOwner(copy), nullptr);
    SAFEARRAY handMade{};
    EXPECT_EQ(Platform::SafeArrayDataOwner(&handMade), nullptr);

    ASSERT_EQ(SafeArrayLock(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(owner.use_count(), 2);
    ASSERT_EQ(SafeArrayUnlock(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(owner.use_count(), 1);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
}

TEST(SafeArray, ArrayOverSharedDataTakesOnlyElementsWithoutResources) {
    auto owner = std::make_shared<int>(0);
    for (const VARTYPE vt : {VT_BSTR, VT_VARIANT, VT_UNKNOWN, VT_DISPATCH}) {
        EXPECT_EQ(Platform::SafeArrayCreateVectorOver(vt, 1, owner.get(), owner), nullptr) << vt;
    }
    EXPECT_EQ(owner.use_count(), 1);
    SAFEARRAY* empty = Platform::SafeArrayCreateVectorOver(VT_I4, 0, owner.get(), owner);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->pvData, nullptr);
    EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
    EXPECT_EQ(owner.use_count(), 1);
}

TEST(SafeArray, NullArguments) {
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(nullptr, &data), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(&data);
    EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
    EXPECT_EQ(copy, nullptr);
}

TEST(SafeArrayData, HoldsTheDataAccessedUntilReleasedOrDestroyed) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 3);
    {
        Platform::SafeArrayData data(array);
        ASSERT_EQ(data.Result(), S_OK);
        data.Data()[2] = 7;
        EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
        EXPECT_EQ(data.Release(), S_OK);
        EXPECT_EQ(data.Release(), S_OK); // nothing left to end
        EXPECT_EQ(data.Data(), nullptr);
    }
    {
        const Platform::SafeArrayData data(array);
        EXPECT_EQ(data.Data()[2], 7);
    } // the destructor ends the access
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);

    SAFEARRAY* empty = SafeArrayCreateVector(VT_BSTR, 0, 0);
    {
        const Platform::SafeArrayData data(empty);
        EXPECT_EQ(data.Result(), S_OK);
    } // an array without elements is released too
    EXPECT_EQ(SafeArrayDestroy(empty), S_OK);

    Platform::SafeArrayData none(nullptr);
    EXPECT_EQ(none.Result(), E_INVALIDARG);
    EXPECT_EQ(none.Data(), nullptr);
    EXPECT_EQ(none.Release(), S_OK);
}

} // namespace
