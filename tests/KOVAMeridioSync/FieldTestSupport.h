// What the field-object tests share: a small system configuration in the demo server's shape, a
// Meridio repository map that carries it, and reading the texts and lists the objects hand out.
#pragma once

#include "Host/PropertyMap.h"
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"
#include "tests/KOVACommon/FilterTestFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace FieldTest {

using TestSupport::NewMap;
using TestSupport::Owned;

// Categories 3 (the server's own), 4 and 6; fixed properties 9_1_1, 9_2_3 and one of another object
// (7) that is not a field; custom properties 9_2_20 "Due", 40_4_7 "Amount" and 9_0_101 without a
// name.
inline const wchar_t kSystemConfiguration[] = LR"(<SystemConfiguration>
  <Categories>
    <Category CategoryId="3" CategoryName="Shortcut"/>
    <Category CategoryId="4" CategoryName="Document"/>
    <Category CategoryId="6" CategoryName="Contract"/>
  </Categories>
  <FixedProperties>
    <FixedProperty FixedPropertyObject="9" FixedPropertyType="1" FixedPropertyId="1" FixedPropertyName="Document ID"/>
    <FixedProperty FixedPropertyObject="9" FixedPropertyType="2" FixedPropertyId="3" FixedPropertyName="Creation Date"/>
    <FixedProperty FixedPropertyObject="7" FixedPropertyType="0" FixedPropertyId="1" FixedPropertyName="Container Title"/>
  </FixedProperties>
  <CustomProperties>
    <CustomProperty CustomPropertyObject="9" CustomPropertyType="2" CustomPropertyId="20" CustomPropertyName="Due"/>
    <CustomProperty CustomPropertyObject="40" CustomPropertyType="4" CustomPropertyId="7" CustomPropertyName="Amount"/>
    <CustomProperty CustomPropertyObject="9" CustomPropertyType="0" CustomPropertyId="101"/>
  </CustomProperties>
</SystemConfiguration>)";

// A repository map of the given type with the content-type text, when given, as "CTInfo".
inline Owned<Host::LSMemoryPropertyMap>
Repository(const std::optional<std::wstring>& ctInfo = kSystemConfiguration,
           const std::wstring& type = L"Meridio") {
    auto map = NewMap();
    map->Set(L"Mavisto.RepositoryType", type);
    if (ctInfo) {
        map->Set(L"CTInfo", *ctInfo);
    }
    return map;
}

// A new field set, not initialised yet.
inline ILSKOVAFieldSetInfoPtr NewFieldSet(CKOVAMeridioFieldSetInfo*& object) {
    return NewComObject<CKOVAMeridioFieldSetInfo, ILSKOVAFieldSetInfo>(object);
}
inline ILSKOVAFieldSetInfoPtr NewFieldSet() {
    return NewComObject<CKOVAMeridioFieldSetInfo, ILSKOVAFieldSetInfo>();
}

// A field set initialised from the repository as the item writer does it.
inline ILSKOVAFieldSetInfoPtr InitializedFieldSet(ILSPropertyMap* repository) {
    ILSKOVAFieldSetInfoPtr fieldSet = NewFieldSet();
    EXPECT_EQ(fieldSet->raw_initializeFromReposWithAllFields(repository, nullptr), S_OK);
    return fieldSet;
}

// The text a getter hands out, freed; nullopt when the call fails.
template <class Call> std::optional<std::wstring> TextOf(Call&& call) {
    BSTR text = nullptr;
    const HRESULT hr = call(&text);
    if (FAILED(hr)) {
        EXPECT_EQ(text, nullptr);
        return std::nullopt;
    }
    std::wstring result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

// The names the set lists for the property pages.
inline std::vector<std::wstring> FieldNames(ILSKOVAFieldSetInfo* fieldSet) {
    LONG count = 0;
    EXPECT_EQ(fieldSet->raw_getAllFieldCount(&count), S_OK);
    std::vector<std::wstring> names;
    for (LONG index = 0; index < count; ++index) {
        names.push_back(
            TextOf([&](BSTR* out) { return fieldSet->raw_getAllFieldName(index, out); }).value_or(L"?"));
    }
    return names;
}

// The names the set lists for its one view.
inline std::vector<std::wstring> ViewFieldNames(ILSKOVAFieldSetInfo* fieldSet) {
    const _bstr_t view =
        TextOf([&](BSTR* out) { return fieldSet->raw_getDefaultViewName(out); }).value_or(L"").c_str();
    LONG count = 0;
    EXPECT_EQ(fieldSet->raw_getViewFieldCount(view, &count), S_OK);
    std::vector<std::wstring> names;
    for (LONG index = 0; index < count; ++index) {
        names.push_back(TextOf([&](BSTR* out) {
                            return fieldSet->raw_getViewFieldName(view, index, out);
                        }).value_or(L"?"));
    }
    return names;
}

} // namespace FieldTest
