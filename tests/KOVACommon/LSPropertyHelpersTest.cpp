#include "KOVACommon/LSPropertyHelpers.h"
#include "Host/PropertyMap.h"
#include "KOVACommon/LSItemVocabulary.h"

#include <gtest/gtest.h>

namespace {

using Host::LSMemoryPropertyMap;
using Host::PropertyMapMethod;

// The HRESULT a call throws as a bare value, or S_OK when it throws nothing.
template <class Call> HRESULT ThrownHResult(Call call) {
    try {
        call();
    } catch (long thrown) {
        return static_cast<HRESULT>(thrown);
    }
    return S_OK;
}

class PropertyHelpersTest : public testing::Test {
protected:
    ~PropertyHelpersTest() override { map->Release(); }
    LSMemoryPropertyMap* map = LSMemoryPropertyMap::Create();
};

TEST_F(PropertyHelpersTest, ReadsGiveTheStoredTextOrTheDefault) {
    map->Set(L"Mavisto.FromServerFileId", std::wstring(L"Meridio://srv/doc/5"));
    EXPECT_EQ(LSPropertyHelpers::getStrProp(map, ItemProperty::MavistoFromServerFileId, L"x"),
              L"Meridio://srv/doc/5");
    EXPECT_EQ(LSPropertyHelpers::getStrProp(map, ItemProperty::UniqueId, L"default"), L"default");

    map->Failures().Fail(PropertyMapMethod::GetItemStr, E_FAIL, L"Mavisto.FromServerFileId");
    EXPECT_EQ(LSPropertyHelpers::getStrProp(map, ItemProperty::MavistoFromServerFileId, L"default"),
              L"default");
}

TEST_F(PropertyHelpersTest, NullStringReadsAsEmptyNotAsDefault) {
    map->Set(L"UniqueId", std::wstring());
    map->SetEmptyStringsAsNull(true);
    EXPECT_EQ(LSPropertyHelpers::getStrProp(map, ItemProperty::UniqueId, L"default"), L"");
}

TEST_F(PropertyHelpersTest, NullMapIsInvalidArgument) {
    EXPECT_EQ(ThrownHResult([] { LSPropertyHelpers::getStrProp(nullptr, ItemProperty::UniqueId, L""); }),
              E_INVALIDARG);
    EXPECT_EQ(ThrownHResult([] { LSPropertyHelpers::setStrProp(nullptr, ItemProperty::UniqueId, L"v"); }),
              E_INVALIDARG);
    EXPECT_FALSE(LSPropertyHelpers::hasProp(nullptr, ItemProperty::UniqueId));
}

TEST_F(PropertyHelpersTest, WritesStoreOrThrowTheRefusal) {
    LSPropertyHelpers::setStrProp(map, ItemProperty::MavistoSyncIssueMessage, L"");
    EXPECT_EQ(std::get<std::wstring>(*map->Find(L"Mavisto.SyncIssueMessage")), L"");
    map->Failures().Fail(PropertyMapMethod::PutItemStr, E_ACCESSDENIED);
    EXPECT_EQ(ThrownHResult([&] { LSPropertyHelpers::setStrProp(map, ItemProperty::UniqueId, L"v"); }),
              E_ACCESSDENIED);
}

TEST_F(PropertyHelpersTest, PresenceFollowsTheMapAndAFailureIsAbsence) {
    EXPECT_FALSE(LSPropertyHelpers::hasProp(map, ItemProperty::MavistoNoPropertyPages));
    map->Set(L"Mavisto.NoPropertyPages", BYTE{0});
    EXPECT_TRUE(LSPropertyHelpers::hasProp(map, ItemProperty::MavistoNoPropertyPages));
    map->Failures().Fail(PropertyMapMethod::GetItemExists, E_FAIL);
    EXPECT_FALSE(LSPropertyHelpers::hasProp(map, ItemProperty::MavistoNoPropertyPages));
}

TEST(ConvertNameDashes, HyphensQuadrupleAndUnderscoresBecomeHyphens) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Doc-Type", L"Doc----Type"}, {L"my_field", L"my-field"}, {L"a-_b", L"a-----b"},
        {L"Title", L"Title"},          {L"--", L"--------"},       {L"", L""},
    };
    for (const auto& [name, expected] : cases) {
        CStdStr<wchar_t> converted(name);
        ConvertNameDashes(converted);
        EXPECT_EQ(converted, expected) << name;
    }
}

} // namespace
