#include "Host/PropertyName.h"
#include "Host/PropertyMap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Host::PropertyName;

// Names past the shared cap: a server that sends endless distinct names cannot grow the shared ones
// for good, and maps of such names still read, copy, compare and forget them as any other.
TEST(PropertyNameTest, NamesPastTheSharedCapBelongToTheirPropertyAndBehaveTheSame) {
    const PropertyName known(L"Mavisto.UniqueId");
    for (std::size_t i = 0; i <= PropertyName::kMostSharedNames; ++i) {
        const PropertyName filler(L"PropertyNameTest.filler." + std::to_wstring(i));
    }
    const PropertyName late(L"PropertyNameTest.late");
    EXPECT_FALSE(late.IsShared());
    EXPECT_TRUE(PropertyName(L"Mavisto.UniqueId").IsShared()) << "a shared name stays shared";
    EXPECT_EQ(PropertyName(L"Mavisto.UniqueId"), known);

    const PropertyName copy = late;
    EXPECT_EQ(*copy, L"PropertyNameTest.late");
    EXPECT_EQ(copy, late);
    EXPECT_EQ(PropertyName(L"PropertyNameTest.late"), late);
    EXPECT_FALSE(PropertyName(L"PropertyNameTest.later") == late);

    Host::LSMemoryPropertyMap* map = Host::LSMemoryPropertyMap::Create();
    map->Set(L"PropertyNameTest.late", std::wstring(L"value"));
    map->Set(L"Mavisto.UniqueId", std::wstring(L"id"));
    Host::LSMemoryPropertyMap* same = Host::LSMemoryPropertyMap::Create();
    same->Set(L"Mavisto.UniqueId", std::wstring(L"id"));
    same->Set(L"PropertyNameTest.late", std::wstring(L"value"));
    Host::LSMemoryPropertyMap* copied = map->Copy();
    EXPECT_TRUE(copied->HasSameProperties(*map));
    EXPECT_TRUE(same->HasSameProperties(*map));
    EXPECT_EQ(*map->Find(L"PropertyNameTest.late"), Host::PropertyValue(std::wstring(L"value")));
    map->Release();
    EXPECT_EQ(*copied->Find(L"PropertyNameTest.late"), Host::PropertyValue(std::wstring(L"value")));
    copied->Remove(L"PropertyNameTest.late");
    EXPECT_EQ(copied->Find(L"PropertyNameTest.late"), nullptr);
    EXPECT_FALSE(copied->HasSameProperties(*same));
    copied->Release();
    same->Release();
}

TEST(PropertyNameTest, LongNamesCountAgainstTheSharedCharacters) {
    const std::wstring huge(PropertyName::kMostSharedCharacters + 1, L'x');
    const PropertyName name(huge);
    EXPECT_FALSE(name.IsShared());
    EXPECT_EQ(*name, huge);
}

} // namespace
