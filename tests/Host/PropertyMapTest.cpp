#include "Host/PropertyMap.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Host::LSMemoryPropertyMap;
using Host::PropertyMapMethod;
using Host::PropertyType;

struct Bstr {
    explicit Bstr(const wchar_t* text) : value(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR value;
};

std::wstring Take(BSTR text) {
    std::wstring result = text == nullptr ? L"" : std::wstring(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

class PropertyMapTest : public testing::Test {
protected:
    ~PropertyMapTest() override { map->Release(); }
    LSMemoryPropertyMap* map = LSMemoryPropertyMap::Create();
    Bstr name{L"Mavisto.FromServerFileId"};
};

TEST_F(PropertyMapTest, ACopyHoldsTheSamePropertiesAndChangesApart) {
    map->Set(L"Title", std::wstring(L"A"));
    map->Set(L"VersionId", LONG{3});
    map->Failures().Fail(PropertyMapMethod::GetItemStr, E_FAIL);
    LSMemoryPropertyMap* copy = map->Copy();
    EXPECT_TRUE(copy->HasSameProperties(*map));
    BSTR read = nullptr;
    Bstr title(L"Title");
    EXPECT_EQ(copy->get_ItemStr(title.value, &read), S_OK); // the test controls stay with the original
    EXPECT_EQ(Take(read), L"A");
    copy->Remove(L"VersionId");
    copy->Set(L"Title", std::wstring(L"B"));
    EXPECT_FALSE(copy->HasSameProperties(*map));
    EXPECT_EQ(*map->Find(L"Title"), Host::PropertyValue(std::wstring(L"A")));
    EXPECT_NE(map->Find(L"VersionId"), nullptr);
    EXPECT_EQ(copy->Find(L"VersionId"), nullptr);
    copy->Release();
}

TEST_F(PropertyMapTest, KeepsEachTypeAndReadsItBack) {
    Bstr text(L"Meridio://server/doc/17");
    ASSERT_EQ(map->put_ItemStr(name.value, text.value), S_OK);
    BSTR read = nullptr;
    ASSERT_EQ(map->get_ItemStr(name.value, &read), S_OK);
    EXPECT_EQ(Take(read), L"Meridio://server/doc/17");

    Bstr number(L"VersionId");
    ASSERT_EQ(map->put_ItemNum(number.value, -7), S_OK);
    LONG numberRead = 0;
    ASSERT_EQ(map->get_ItemNum(number.value, &numberRead), S_OK);
    EXPECT_EQ(numberRead, -7);

    Bstr date(L"RemoteFileLastModified");
    ASSERT_EQ(map->put_ItemDate(date.value, 45356.25), S_OK);
    DATE dateRead = 0;
    ASSERT_EQ(map->get_ItemDate(date.value, &dateRead), S_OK);
    EXPECT_EQ(dateRead, 45356.25);

    Bstr flag(L"KOVA.DisableFolderCreation");
    Bstr real(L"Meridio-Prop-9-1-4");
    ASSERT_EQ(map->put_ItemBool(flag.value, 0xFF), S_OK);
    ASSERT_EQ(map->put_ItemDouble(real.value, 2.5), S_OK);

    const auto all = map->Properties();
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].name, L"KOVA.DisableFolderCreation");
    EXPECT_EQ(all[0].type(), PropertyType::Flag);
    EXPECT_EQ(std::get<BYTE>(all[0].value), 0xFF);
    EXPECT_EQ(all[1].type(), PropertyType::String); // Mavisto.FromServerFileId
    EXPECT_EQ(all[2].type(), PropertyType::Double); // Meridio-Prop-9-1-4
    EXPECT_EQ(all[3].type(), PropertyType::Date);   // RemoteFileLastModified
    EXPECT_EQ(all[4].type(), PropertyType::Number); // VersionId
}

TEST_F(PropertyMapTest, WritesInAnyOrderKeepOneEntryPerNameInNameOrder) {
    const std::wstring withNul(L"Meridio\0b", 9);
    for (const std::wstring& written : {std::wstring(L"Meridio-b"), std::wstring(L"Meridio"), withNul,
                                        std::wstring(L"Meridio-a"), std::wstring(L"Meridio")}) {
        map->Set(written, written + L"!");
    }
    map->Set(L"Meridio-a", LONG{3}); // a rewrite takes the new type
    const auto all = map->Properties();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].name, L"Meridio");
    EXPECT_EQ(all[1].name, withNul);
    EXPECT_EQ(std::get<std::wstring>(all[1].value), withNul + L"!");
    EXPECT_EQ(all[2].name, L"Meridio-a");
    EXPECT_EQ(std::get<LONG>(all[2].value), 3);
    EXPECT_EQ(all[3].name, L"Meridio-b");

    // Another map of the same names is a map of its own, also after this one is gone.
    LSMemoryPropertyMap* other = LSMemoryPropertyMap::Create();
    other->Set(L"Meridio-a", std::wstring(L"other"));
    map->Release();
    map = LSMemoryPropertyMap::Create();
    EXPECT_EQ(map->Find(L"Meridio-a"), nullptr);
    EXPECT_EQ(std::get<std::wstring>(*other->Find(L"Meridio-a")), L"other");
    EXPECT_EQ(other->Find(L"Meridio"), nullptr);
    other->Release();
}

TEST_F(PropertyMapTest, ReadsOfMissingOrDifferentlyTypedPropertiesFail) {
    LONG number = 0;
    EXPECT_EQ(map->get_ItemNum(name.value, &number), MAPI_E_NOT_FOUND);
    map->Set(L"Mavisto.FromServerFileId", std::wstring(L"17"));
    EXPECT_EQ(map->get_ItemNum(name.value, &number), DISP_E_TYPEMISMATCH);
    DATE date = 0;
    EXPECT_EQ(map->get_ItemDate(name.value, &date), DISP_E_TYPEMISMATCH);
    BSTR text = nullptr;
    EXPECT_EQ(map->get_ItemStr(nullptr, &text), E_INVALIDARG);
    EXPECT_EQ(map->get_ItemStr(name.value, nullptr), E_POINTER);
}

TEST_F(PropertyMapTest, NamesCompareExactly) {
    map->Set(L"KOVA.isBeingCoAuthored", std::wstring(L"x"));
    Bstr other(L"KOVA.IsBeingCoAuthored");
    BYTE exists = 0xAA;
    ASSERT_EQ(map->get_ItemExists(other.value, &exists), S_OK);
    EXPECT_EQ(exists, 0);
}

TEST_F(PropertyMapTest, PresenceAndValueAreSeparateQuestions) {
    BYTE exists = 0xAA;
    VARIANT_BOOL hasValue = VARIANT_TRUE;
    ASSERT_EQ(map->get_ItemExists(name.value, &exists), S_OK);
    ASSERT_EQ(map->get_ItemHasValue(name.value, &hasValue), S_OK);
    EXPECT_EQ(exists, 0);
    EXPECT_EQ(hasValue, VARIANT_FALSE);

    ASSERT_EQ(map->put_ItemStr(name.value, nullptr), S_OK); // a null string clears to empty
    ASSERT_EQ(map->get_ItemExists(name.value, &exists), S_OK);
    ASSERT_EQ(map->get_ItemHasValue(name.value, &hasValue), S_OK);
    EXPECT_EQ(exists, 1);
    EXPECT_EQ(hasValue, VARIANT_FALSE);

    map->Set(L"Mavisto.FromServerFileId", LONG{0});
    ASSERT_EQ(map->get_ItemHasValue(name.value, &hasValue), S_OK);
    EXPECT_EQ(hasValue, VARIANT_TRUE);
}

TEST_F(PropertyMapTest, EmbeddedNulsSurviveAndEmptyMayComeBackNull) {
    BSTR withNul = SysAllocStringLen(L"a\0b", 3);
    ASSERT_EQ(map->put_ItemStr(name.value, withNul), S_OK);
    SysFreeString(withNul);
    EXPECT_EQ(std::get<std::wstring>(*map->Find(L"Mavisto.FromServerFileId")), std::wstring(L"a\0b", 3));

    map->Set(L"Mavisto.FromServerFileId", std::wstring());
    map->SetEmptyStringsAsNull(true);
    wchar_t stale[] = L"stale";
    BSTR read = stale;
    ASSERT_EQ(map->get_ItemStr(name.value, &read), S_OK);
    EXPECT_EQ(read, nullptr);
}

TEST_F(PropertyMapTest, InjectedFailuresApplyToTheirNameOrToEveryName) {
    Bstr other(L"UniqueId");
    Bstr value(L"v");
    map->Failures().Fail(PropertyMapMethod::PutItemStr, E_ACCESSDENIED, L"Mavisto.FromServerFileId");
    EXPECT_EQ(map->put_ItemStr(name.value, value.value), E_ACCESSDENIED);
    EXPECT_EQ(map->put_ItemStr(other.value, value.value), S_OK);
    EXPECT_EQ(map->Find(L"Mavisto.FromServerFileId"), nullptr);

    map->Failures().Fail(PropertyMapMethod::GetItemExists, E_FAIL);
    BYTE exists = 0;
    EXPECT_EQ(map->get_ItemExists(other.value, &exists), E_FAIL);
    map->Failures().Clear();
    EXPECT_EQ(map->get_ItemExists(other.value, &exists), S_OK);
    EXPECT_EQ(exists, 1);
}

TEST_F(PropertyMapTest, PutItemVarKeepsCurrencyExactly) {
    VARIANT amount{};
    amount.vt = VT_CY;
    amount.cyVal.int64 = 12345678; // 1234.5678
    ASSERT_EQ(map->put_ItemVar(name.value, &amount), S_OK);
    EXPECT_EQ(std::get<Host::CurrencyValue>(*map->Find(L"Mavisto.FromServerFileId")).scaled, 12345678);

    VARIANT unknown{};
    unknown.vt = VT_UNKNOWN;
    EXPECT_EQ(map->put_ItemVar(name.value, &unknown), DISP_E_BADVARTYPE);
}

class BatchTest : public PropertyMapTest {
protected:
    HRESULT PutBatch(std::initializer_list<const wchar_t*> elements) {
        std::vector<BSTR> strings;
        for (const wchar_t* element : elements) {
            strings.push_back(SysAllocString(element));
        }
        SAFEARRAY array{};
        array.cDims = 1;
        array.fFeatures = FADF_BSTR;
        array.cbElements = sizeof(BSTR);
        array.pvData = strings.data();
        array.rgsabound[0] = {static_cast<ULONG>(strings.size()), 0};
        VARIANT batch{};
        batch.vt = VT_ARRAY | VT_BSTR;
        batch.parray = &array;
        const HRESULT hr = map->put_ItemVariant(&batch);
        for (BSTR s : strings) {
            SysFreeString(s);
        }
        return hr;
    }
};

TEST_F(BatchTest, SetsEveryNameToTheTextAfterTheFirstTab) {
    ASSERT_EQ(PutBatch({L"ows-Title\tQuarterly report", L"ows-Note\tA\tB", L"ows-Empty\t"}), S_OK);
    EXPECT_EQ(std::get<std::wstring>(*map->Find(L"ows-Title")), L"Quarterly report");
    EXPECT_EQ(std::get<std::wstring>(*map->Find(L"ows-Note")), L"A\tB");
    EXPECT_EQ(std::get<std::wstring>(*map->Find(L"ows-Empty")), L"");
}

TEST_F(BatchTest, ElementWithoutTabRefusesTheWholeBatch) {
    EXPECT_EQ(PutBatch({L"ows-Title\tQuarterly report", L"no separator"}), E_INVALIDARG);
    EXPECT_TRUE(map->Properties().empty());
}

TEST_F(BatchTest, InjectedFailureStoresNothing) {
    map->Failures().Fail(PropertyMapMethod::PutItemVariant, E_OUTOFMEMORY);
    EXPECT_EQ(PutBatch({L"ows-Title\tx"}), E_OUTOFMEMORY);
    EXPECT_TRUE(map->Properties().empty());
}

TEST_F(PropertyMapTest, AnswersItsInterfacesAndCountsReferences) {
    ILSPropertyMap* asMap = nullptr;
    ASSERT_EQ(map->QueryInterface(&asMap), S_OK);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(map->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(asMap));
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(map->QueryInterface(__uuidof(IErrorInfo), &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(asMap->Release(), 1u);
    UINT count = 0;
    EXPECT_EQ(map->GetTypeInfoCount(&count), E_NOTIMPL);
}

} // namespace
