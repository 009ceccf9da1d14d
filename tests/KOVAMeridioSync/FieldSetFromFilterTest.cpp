// The field set the Meridio filter hands out: a new object the caller owns, and the typed field
// values the item writer stores with it on the items of a registered repository.
#include "Platform/AtlModule.h"
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

namespace {

using namespace MeridioTest;
using TestSupport::DateProp;
using TestSupport::StrProp;

TEST(FieldSetFromFilter, IsANewUninitialisedObjectWithOneReferenceThatHoldsTheModule) {
    MeridioHost host;
    const LONG locks = _pAtlModule->GetLockCount();
    ILSKOVAFieldSetInfo* fieldSet = nullptr;
    ASSERT_EQ(host.Sync()->raw_GetFieldSetInfo(nullptr, &fieldSet), S_OK);
    ASSERT_NE(fieldSet, nullptr);
    EXPECT_EQ(_pAtlModule->GetLockCount(), locks + 1);
    LONG count = 7;
    EXPECT_EQ(fieldSet->raw_getAllFieldCount(&count), S_OK);
    EXPECT_EQ(count, 0);

    ILSKOVAFieldSetInfo* another = nullptr;
    ASSERT_EQ(host.Sync()->raw_GetFieldSetInfo(nullptr, &another), S_OK);
    EXPECT_NE(another, fieldSet);
    EXPECT_EQ(another->Release(), 0u);
    EXPECT_EQ(fieldSet->Release(), 0u);
    EXPECT_EQ(_pAtlModule->GetLockCount(), locks);

    EXPECT_EQ(host.Sync()->raw_GetFieldSetInfo(nullptr, nullptr), E_POINTER);
}

TEST(FieldSetFromFilter, ListedItemsOfARegisteredRepositoryGetTypedFieldValues) {
    MeridioHost host;
    ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_GT(count, 0);
    const auto item = host.Item(0);

    // Each field value stays as a string under the field's property name and is typed under the
    // field's display name (fixed properties of the demo configuration).
    const std::wstring id = StrProp(*item, L"Meridio-Prop-9-1-1").value_or(L"");
    ASSERT_FALSE(id.empty());
    const Host::PropertyValue* number = item->Find(L"Document ID");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(std::get<double>(*number), std::stod(id));
    const Host::PropertyValue* locked = item->Find(L"Locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(std::get<double>(*locked), 0.0);
    EXPECT_TRUE(DateProp(*item, L"Last Modified"));
}

} // namespace
