// One Meridio field as the host reads it: names, type and control, the fixed answers, and the value
// on an item.
#include "KOVAMeridioSync/KOVAMeridioFieldInfo.h"
#include "Platform/Utf.h"
#include "tests/KOVAMeridioSync/FieldTestSupport.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace FieldTest;

ILSKOVAFieldInfoPtr NewField(const MeridioFieldAttributes& attributes) {
    CKOVAMeridioFieldInfo* field = nullptr;
    ILSKOVAFieldInfoPtr held = NewComObject<CKOVAMeridioFieldInfo, ILSKOVAFieldInfo>(field);
    field->SetAttributes(attributes);
    return held;
}

ILSKOVAFieldInfoPtr FieldOfType(const std::wstring& type) {
    return NewField({{L"name", L"9_" + type + L"_1"}, {L"displayName", L"Field"}, {L"type", type}});
}

TEST(FieldInfo, TypeCodesGiveTheHostTypeAndControl) {
    struct Case {
        const wchar_t* type;
        LONG fieldType;
        const wchar_t* control;
        bool unexpected;
    };
    const Case cases[] = {
        {L"0", 2, L"KOVA.SimpleField.1", false},   {L"1", 5, L"KOVA.SimpleField.1", false},
        {L"2", 6, L"KOVA.DateTimeField.1", false}, {L"3", 2, L"KOVA.SimpleField.1", false},
        {L"4", 5, L"KOVA.SimpleField.1", false},   {L"5", 6, L"KOVA.DateTimeField.1", false},
        {L"6", 2, L"KOVA.SimpleField.1", false},   {L"7", 2, L"KOVA.SimpleField.1", true},
        {L"05", 2, L"KOVA.SimpleField.1", true},   {L"", 2, L"KOVA.SimpleField.1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type \"" << c.type << "\"");
        const ILSKOVAFieldInfoPtr field = FieldOfType(c.type);
        TestSupport::LogCapture log;
        LONG fieldType = 0;
        EXPECT_EQ(field->raw_get_FieldType(&fieldType), S_OK);
        EXPECT_EQ(fieldType, c.fieldType);
        EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_FieldControlProgId(out); }), c.control);
        const std::string unexpected =
            "CKOVAMeridioFieldInfo::raw_get_FieldType Unexpected type: " + Platform::WideToUtf8(c.type);
        const std::vector<std::string> diagnostics = log.Diagnostics();
        EXPECT_EQ(std::count(diagnostics.begin(), diagnostics.end(), unexpected), c.unexpected ? 1 : 0);
    }
}

TEST(FieldInfo, NamesComeFromTheDescriptionAndAnEmptyOneIsRefused) {
    const ILSKOVAFieldInfoPtr field =
        NewField({{L"name", L"9_2_20"}, {L"displayName", L"Due"}, {L"type", L"2"}});
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_DisplayName(out); }), L"Due");
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_InternalName(out); }), L"9_2_20");

    const ILSKOVAFieldInfoPtr unnamed = NewField({{L"name", L""}, {L"type", L"0"}});
    BSTR text = nullptr;
    EXPECT_EQ(unnamed->raw_get_DisplayName(&text), E_INVALIDARG);
    EXPECT_EQ(unnamed->raw_get_InternalName(&text), E_INVALIDARG);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(field->raw_get_DisplayName(nullptr), E_POINTER);
}

TEST(FieldInfo, RequiredOnlyWhenTheAttributeIsExactlyTrue) {
    for (const auto& [required, expected] :
         {std::pair{L"true", VARIANT_TRUE}, std::pair{L"True", VARIANT_FALSE},
          std::pair{L"false", VARIANT_FALSE}, std::pair{L"", VARIANT_FALSE}}) {
        VARIANT_BOOL flag = 7;
        EXPECT_EQ(NewField({{L"required", required}})->raw_get_isRequired(&flag), S_OK);
        EXPECT_EQ(flag, expected) << "required \"" << required << "\"";
    }
}

TEST(FieldInfo, FixedAnswers) {
    const ILSKOVAFieldInfoPtr field = FieldOfType(L"0");
    using FlagMethod = HRESULT (STDMETHODCALLTYPE ILSKOVAFieldInfo::*)(VARIANT_BOOL*);
    const std::pair<FlagMethod, VARIANT_BOOL> flags[] = {
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod3, VARIANT_TRUE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod4, VARIANT_TRUE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod5, VARIANT_FALSE},
        {&ILSKOVAFieldInfo::raw_get_isCurrency, VARIANT_FALSE},
        {&ILSKOVAFieldInfo::raw_get_isPercentage, VARIANT_FALSE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod10, VARIANT_FALSE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod11, VARIANT_FALSE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod12, VARIANT_TRUE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod21, VARIANT_FALSE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod31, VARIANT_TRUE},
        {&ILSKOVAFieldInfo::raw_FieldInfoMethod32, VARIANT_FALSE},
    };
    int slot = 0;
    for (const auto& [method, expected] : flags) {
        VARIANT_BOOL flag = 7;
        EXPECT_EQ((field.GetInterfacePtr()->*method)(&flag), S_OK) << "flag " << slot;
        EXPECT_EQ(flag, expected) << "flag " << slot++;
    }
    LONG number = 0;
    EXPECT_EQ(field->raw_get_LocaleId(&number), S_OK);
    EXPECT_EQ(number, 2057);
    EXPECT_EQ(field->raw_FieldInfoMethod16(&number), S_OK);
    EXPECT_EQ(number, -1);
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_Default(out); }), L"");

    using Unsupported = HRESULT (STDMETHODCALLTYPE ILSKOVAFieldInfo::*)();
    for (Unsupported method :
         {&ILSKOVAFieldInfo::raw_FieldInfoMethod7, &ILSKOVAFieldInfo::raw_FieldInfoMethod13,
          &ILSKOVAFieldInfo::raw_FieldInfoMethod14, &ILSKOVAFieldInfo::raw_FieldInfoMethod17,
          &ILSKOVAFieldInfo::raw_FieldInfoMethod18, &ILSKOVAFieldInfo::raw_FieldInfoMethod19,
          &ILSKOVAFieldInfo::raw_FieldInfoMethod20, &ILSKOVAFieldInfo::raw_FieldInfoMethod23,
          &ILSKOVAFieldInfo::raw_FieldInfoMethod24, &ILSKOVAFieldInfo::raw_FieldInfoMethod25,
          &ILSKOVAFieldInfo::raw_FieldInfoMethod27, &ILSKOVAFieldInfo::raw_FieldInfoMethod33,
          &ILSKOVAFieldInfo::raw_FieldInfoMethod34, &ILSKOVAFieldInfo::raw_FieldInfoMethod36}) {
        EXPECT_EQ((field.GetInterfacePtr()->*method)(), E_NOTIMPL);
    }
}

TEST(FieldInfo, RawAndDisplayValuesAreCopiesOfTheValueGiven) {
    const ILSKOVAFieldInfoPtr field = FieldOfType(L"5");
    const _bstr_t date(L"2024-03-05T07:08:09Z");
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_DisplayFieldValue(date, out); }),
              L"2024-03-05T07:08:09Z");
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_RawFieldValue(date, out); }),
              L"2024-03-05T07:08:09Z");
    const std::wstring withNul(L"a\0b", 3);
    const _bstr_t embedded(SysAllocStringLen(withNul.data(), 3), false);
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_RawFieldValue(embedded, out); }), withNul);
    EXPECT_EQ(TextOf([&](BSTR* out) { return field->raw_get_DisplayFieldValue(nullptr, out); }), L"");
}

TEST(FieldInfo, ValueOnAnItemIsReadFromTheFieldsPropertyName) {
    const ILSKOVAFieldInfoPtr field = NewField({{L"name", L"9_1_1"}, {L"displayName", L"Document ID"}});
    EXPECT_EQ(CKOVAMeridioFieldInfo::PropertyNameOf(L"9_1_1"), L"Meridio-Prop-9-1-1");

    auto item = NewMap();
    item->Set(L"Meridio-Prop-9-1-1", std::wstring(L"102"));
    auto empty = NewMap();
    auto unreadable = NewMap();
    unreadable->Set(L"Meridio-Prop-9-1-1", LONG{102}); // not a string: the read fails
    const std::pair<ILSPropertyMap*, const wchar_t*> cases[] = {
        {item.get(), L"102"}, {empty.get(), L""}, {unreadable.get(), L""}};
    for (const auto& [map, expected] : cases) {
        for (const VARIANT_BOOL useDefault : {VARIANT_TRUE, VARIANT_FALSE}) {
            EXPECT_EQ(
                TextOf([&](BSTR* out) { return field->raw_get_FieldValueFromMap(map, useDefault, out); }),
                expected);
        }
    }
    BSTR value = nullptr;
    EXPECT_EQ(field->raw_get_FieldValueFromMap(nullptr, VARIANT_FALSE, &value), E_INVALIDARG);
}

} // namespace
