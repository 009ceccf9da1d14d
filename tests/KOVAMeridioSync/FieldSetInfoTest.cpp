// The field set of a Meridio repository as the host reads it: the fields and the one view read from
// the system configuration, the field objects it hands out, and its refusals.
#include "KOVACommon/LSSyncHelper.h"
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"
#include "Platform/Utf.h"
#include "tests/KOVAMeridioSync/FieldTestSupport.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using namespace FieldTest;

bool Logged(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

TEST(FieldSetInfo, ReadsFieldsAndTheViewFromTheSystemConfiguration) {
    const auto repository = Repository();
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(repository.get());

    const std::vector<std::wstring> all = {L"Meridio-Prop-9-1-1", L"Meridio-Prop-9-2-3",
                                           L"Meridio-Prop-9-2-20", L"Meridio-Prop-40-4-7",
                                           L"Meridio-Prop-9-0-101"};
    EXPECT_EQ(FieldNames(fieldSet), all);
    LONG visible = 0;
    EXPECT_EQ(fieldSet->raw_getVisibleFieldCount(&visible), S_OK);
    ASSERT_EQ(visible, 5);
    EXPECT_EQ(TextOf([&](BSTR* out) { return fieldSet->raw_getVisibleFieldName(2, out); }), all[2]);

    // The default view setting: 9_1_1, 9_2_3 and 9_2_20.
    EXPECT_EQ(
        ViewFieldNames(fieldSet),
        (std::vector<std::wstring>{L"Meridio-Prop-9-1-1", L"Meridio-Prop-9-2-3", L"Meridio-Prop-9-2-20"}));
    LONG views = 0;
    EXPECT_EQ(fieldSet->raw_getViewCount(&views), S_OK);
    EXPECT_EQ(views, 1);
    const std::wstring viewName = CStdStr<wchar_t>(UINT{4263});
    EXPECT_EQ(TextOf([&](BSTR* out) { return fieldSet->raw_getDefaultViewName(out); }), viewName);
    EXPECT_EQ(TextOf([&](BSTR* out) { return fieldSet->raw_getViewName(5, out); }), viewName);

    VARIANT_BOOL pages = VARIANT_FALSE;
    EXPECT_EQ(fieldSet->raw_get_HasPropertyPages(&pages), S_OK);
    EXPECT_EQ(pages, VARIANT_TRUE);
    EXPECT_EQ(TextOf([&](BSTR* out) { return fieldSet->raw_getMessageContentType(repository.get(), out); }),
              L"");
    for (auto method :
         {&ILSKOVAFieldSetInfo::raw_FieldSetInfoMethod21, &ILSKOVAFieldSetInfo::raw_FieldSetInfoMethod23,
          &ILSKOVAFieldSetInfo::raw_FieldSetInfoMethod25}) {
        LONG count = 7;
        EXPECT_EQ((fieldSet.GetInterfacePtr()->*method)(_bstr_t(L"x"), &count), S_OK);
        EXPECT_EQ(count, 0);
    }
}

TEST(FieldSetInfo, HandsOutACopyOfTheFieldForAnInternalName) {
    const auto repository = Repository();
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(repository.get());

    ILSKOVAFieldInfo* due = nullptr;
    ASSERT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(L"Meridio-Prop-9-2-20"), &due), S_OK);
    EXPECT_EQ(TextOf([&](BSTR* out) { return due->raw_get_DisplayName(out); }), L"Due");
    EXPECT_EQ(TextOf([&](BSTR* out) { return due->raw_get_InternalName(out); }), L"9_2_20");
    LONG type = 0;
    EXPECT_EQ(due->raw_get_FieldType(&type), S_OK);
    EXPECT_EQ(type, 6);
    VARIANT_BOOL required = VARIANT_TRUE;
    EXPECT_EQ(due->raw_get_isRequired(&required), S_OK);
    EXPECT_EQ(required, VARIANT_FALSE);

    // The copy outlives a new initialisation of the set.
    ASSERT_EQ(
        fieldSet->raw_initializeFromReposWithAllFields(Repository(L"<SystemConfiguration/>").get(), nullptr),
        S_OK);
    EXPECT_EQ(FieldNames(fieldSet), std::vector<std::wstring>{});
    EXPECT_EQ(TextOf([&](BSTR* out) { return due->raw_get_DisplayName(out); }), L"Due");
    EXPECT_EQ(due->Release(), 0u);
}

TEST(FieldSetInfo, FieldTypesTheValuesTheItemWriterStores) {
    const auto repository = Repository();
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(repository.get());
    auto item = NewMap();
    for (const auto& [name, value] : {std::pair{L"Meridio-Prop-9-2-20", L"2024-03-05T07:08:09Z"},
                                      std::pair{L"Meridio-Prop-40-4-7", L"12.5"}}) {
        ILSKOVAFieldInfoPtr field;
        ASSERT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(name), &field), S_OK);
        EXPECT_EQ(LSSyncHelper::setFieldValue(field, item.get(), value), S_OK);
    }
    SYSTEMTIME due = TestSupport::Time(2024, 3, 5, 7, 8, 9);
    DATE expected = 0;
    SystemTimeToVariantTime(&due, &expected);
    EXPECT_EQ(TestSupport::DateProp(*item, L"Due"), expected);
    const Host::PropertyValue* amount = item->Find(L"Amount");
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(std::get<double>(*amount), 12.5);
}

TEST(FieldSetInfo, AllThreeInitialisationsGiveTheSameSet) {
    const auto repository = Repository();
    const auto folder = NewMap();
    const ILSKOVAFieldSetInfoPtr expected = InitializedFieldSet(repository.get());
    for (int way = 0; way < 3; ++way) {
        const ILSKOVAFieldSetInfoPtr fieldSet = NewFieldSet();
        const HRESULT hr =
            way == 0 ? fieldSet->raw_initializeFromReposWithDefaultContentType(repository.get(), folder.get())
            : way == 1 ? fieldSet->raw_initializeFromReposWithAllFields(repository.get(), folder.get())
                       : fieldSet->raw_initializeFromContentTypeId(repository.get(), _bstr_t(L"0x0101"),
                                                                   _bstr_t(L"Document"), _bstr_t(L"{list}"));
        EXPECT_EQ(hr, S_OK) << "way " << way;
        EXPECT_EQ(FieldNames(fieldSet), FieldNames(expected)) << "way " << way;
        EXPECT_EQ(ViewFieldNames(fieldSet), ViewFieldNames(expected)) << "way " << way;
    }
}

TEST(FieldSetInfo, CategoriesOfTheServerItselfAreLeftOut) {
    CKOVAMeridioFieldSetInfo* object = nullptr;
    const ILSKOVAFieldSetInfoPtr fieldSet = NewFieldSet(object);
    ASSERT_EQ(fieldSet->raw_initializeFromReposWithAllFields(Repository().get(), nullptr), S_OK);
    const std::vector<FieldSetCategory>& categories = object->Categories();
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].name, L"Document");
    EXPECT_EQ(categories[0].id, 4);
    EXPECT_EQ(categories[1].name, L"Contract");
    EXPECT_EQ(categories[1].id, 6);
}

TEST(FieldSetInfo, AFieldDescribedTwiceIsListedOnceWithItsLastDescription) {
    const auto repository = Repository(LR"(<SystemConfiguration>
  <FixedProperty FixedPropertyObject="9" FixedPropertyType="2" FixedPropertyId="20" FixedPropertyName="Last Modified"/>
  <CustomProperty CustomPropertyObject="9" CustomPropertyType="2" CustomPropertyId="20" CustomPropertyName="Due"/>
</SystemConfiguration>)");
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(repository.get());
    EXPECT_EQ(FieldNames(fieldSet), std::vector<std::wstring>{L"Meridio-Prop-9-2-20"});
    EXPECT_EQ(ViewFieldNames(fieldSet), std::vector<std::wstring>{L"Meridio-Prop-9-2-20"});
    ILSKOVAFieldInfoPtr field;
    ASSERT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(L"Meridio-Prop-9-2-20"), &field), S_OK);
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_DisplayName(out); }), L"Due");
}

TEST(FieldSetInfo, PropertyPagesUnlessTheRepositoryRefusesThem) {
    struct Case {
        const char* name;
        bool noPropertyPages;
        bool existsCallFails;
        VARIANT_BOOL expected;
    };
    for (const Case& c :
         {Case{"plain", false, false, VARIANT_TRUE}, Case{"refused", true, false, VARIANT_FALSE},
          Case{"unknown", false, true, VARIANT_TRUE}}) {
        const auto repository = Repository();
        if (c.noPropertyPages) {
            repository->Set(L"Mavisto.NoPropertyPages", LONG{0}); // any value
        }
        if (c.existsCallFails) {
            repository->Failures().Fail(Host::PropertyMapMethod::GetItemExists, E_FAIL);
        }
        const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(repository.get());
        VARIANT_BOOL pages = 7;
        EXPECT_EQ(fieldSet->raw_get_HasPropertyPages(&pages), S_OK);
        EXPECT_EQ(pages, c.expected) << c.name;
    }
}

TEST(FieldSetInfo, InitialisationFailures) {
    struct Case {
        const char* name;
        std::optional<std::wstring> ctInfo;
        std::wstring type;
        std::string error;
    };
    const Case cases[] = {
        {"type in small letters", kSystemConfiguration, L"meridio",
         "Repository is not a Meridio repository: meridio"},
        {"no type", kSystemConfiguration, L"", "Repository is not a Meridio repository: "},
        {"no CTInfo", std::nullopt, L"Meridio", "No content type information found"},
        {"empty CTInfo", L"", L"Meridio", "No content type information found"},
        {"CTInfo not XML", L"<SystemConfiguration><Categories>", L"Meridio",
         "Content type information is not valid XML"},
        {"category without id", L"<c><Category CategoryName=\"Document\"/></c>", L"Meridio",
         "expected id not found"},
        {"custom property without type",
         L"<c><p CustomPropertyObject=\"9\" CustomPropertyId=\"20\" CustomPropertyName=\"Due\"/></c>",
         L"Meridio", "No type found"},
        {"fixed property without id",
         L"<c><p FixedPropertyObject=\"40\" FixedPropertyType=\"1\" FixedPropertyName=\"Number\"/></c>",
         L"Meridio", "No propertyid found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ILSKOVAFieldSetInfoPtr fieldSet = NewFieldSet();
        TestSupport::LogCapture log;
        EXPECT_EQ(fieldSet->raw_initializeFromReposWithAllFields(Repository(c.ctInfo, c.type).get(), nullptr),
                  E_INVALIDARG);
        EXPECT_TRUE(Logged(log.Errors(), c.error));
    }
    EXPECT_EQ(NewFieldSet()->raw_initializeFromReposWithDefaultContentType(nullptr, nullptr), E_INVALIDARG);
}

TEST(FieldSetInfo, ANameOutsideTheSetIsRefused) {
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(Repository().get());
    TestSupport::LogCapture log;
    ILSKOVAFieldInfo* field = reinterpret_cast<ILSKOVAFieldInfo*>(1);
    EXPECT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(L"Meridio-Prop-9-9-9"), &field), E_INVALIDARG);
    EXPECT_EQ(field, nullptr);
    EXPECT_TRUE(Logged(log.Diagnostics(), "Failed to get field info for:Meridio-Prop-9-9-9"));
    EXPECT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(L"9_2_20"), &field), E_INVALIDARG);
    EXPECT_EQ(fieldSet->raw_getFieldInfo(nullptr, &field), E_INVALIDARG);
    EXPECT_EQ(fieldSet->raw_getFieldInfo(_bstr_t(L"Meridio-Prop-9-2-20"), nullptr), E_POINTER);
}

TEST(FieldSetInfo, IndexesOutsideTheListsAreRefused) {
    const ILSKOVAFieldSetInfoPtr fieldSet = InitializedFieldSet(Repository().get());
    ILSKOVAFieldSetInfo* set = fieldSet.GetInterfacePtr();
    const _bstr_t view(L"any view");
    struct Case {
        const char* method;
        std::function<HRESULT(LONG, BSTR*)> call;
        LONG count;
    };
    const Case cases[] = {
        {"getVisibleFieldName", [&](LONG i, BSTR* out) { return set->raw_getVisibleFieldName(i, out); }, 5},
        {"getAllFieldName", [&](LONG i, BSTR* out) { return set->raw_getAllFieldName(i, out); }, 5},
        {"getViewFieldName", [&](LONG i, BSTR* out) { return set->raw_getViewFieldName(view, i, out); }, 3},
    };
    for (const Case& c : cases) {
        for (const LONG index : {c.count, c.count + 1, LONG{-1}, LONG{-2147483647 - 1}}) {
            TestSupport::LogCapture log;
            BSTR name = nullptr;
            EXPECT_EQ(c.call(index, &name), E_INVALIDARG) << c.method << " " << index;
            EXPECT_EQ(name, nullptr);
            EXPECT_TRUE(Logged(log.Errors(), "invalid field index:" + std::to_string(index))) << c.method;
        }
        EXPECT_TRUE(TextOf([&](BSTR* out) { return c.call(c.count - 1, out); })) << c.method;
    }
}

TEST(FieldSetInfo, ANewSetIsEmpty) {
    const ILSKOVAFieldSetInfoPtr fieldSet = NewFieldSet();
    EXPECT_EQ(FieldNames(fieldSet), std::vector<std::wstring>{});
    EXPECT_EQ(TextOf([&](BSTR* out) { return fieldSet->raw_getDefaultViewName(out); }), L"");
    VARIANT_BOOL pages = VARIANT_TRUE;
    EXPECT_EQ(fieldSet->raw_get_HasPropertyPages(&pages), S_OK);
    EXPECT_EQ(pages, VARIANT_FALSE);
}

TEST(FieldObjects, OnlyTheirOwnInterfaceReportsErrorInfo) {
    const ILSKOVAFieldSetInfoPtr fieldSet = NewFieldSet();
    ILSKOVAFieldInfoPtr field = NewComObject<CKOVAMeridioFieldInfo, ILSKOVAFieldInfo>();
    const std::pair<IUnknown*, IID> objects[] = {{fieldSet, __uuidof(IKOVAMeridioFieldSetInfo)},
                                                 {field, __uuidof(IKOVAMeridioFieldInfo)}};
    for (const auto& [object, own] : objects) {
        ISupportErrorInfo* errorInfo = nullptr;
        ASSERT_EQ(object->QueryInterface(__uuidof(ISupportErrorInfo), reinterpret_cast<void**>(&errorInfo)),
                  S_OK);
        EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(own), S_OK);
        EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(__uuidof(ILSKOVAFieldInfo)), S_FALSE);
        EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(__uuidof(ILSKOVAFieldSetInfo)), S_FALSE);
        errorInfo->Release();
    }
}

} // namespace
