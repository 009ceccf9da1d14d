// The host's online check of one synced document: the server's date and lock flag against the ones the
// item stored, and the refreshed checkout user.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

namespace {

using namespace MeridioTest;
using TestSupport::DateProp;
using TestSupport::StrProp;

constexpr wchar_t kLockFlag[] = L"Meridio-Prop-9-1-12";

// The stored item, the server's document and what the check answers.
struct OnlineCase {
    const char* name;
    long documentId;
    double storedDateShift; // days added to the stored date
    bool dropStoredLockFlag;
    const char* serverLockUser; // nullptr: the server's lock stays as it is; "": no lock
    LONG result;
    const wchar_t* checkoutUser;
};

class MeridioOnlineCheck : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        ASSERT_TRUE(online);
    }

    // A copy of the listed item without the named property.
    Owned<Host::LSMemoryPropertyMap> ItemWithout(long documentId, const std::wstring& left) {
        const auto listed = host.Item(IndexOf(host, documentId));
        auto item = NewMap();
        for (const Host::Property& property : listed->Properties()) {
            if (property.name != left) {
                item->Set(property.name, property.value);
            }
        }
        return item;
    }

    void SetServerLock(long documentId, const std::string& user) {
        host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            auto& lock = repository.FindDocument(documentId)->lock;
            if (user.empty()) {
                lock.reset();
            } else {
                lock = DemoMeridio::Lock{user, "2024-06-01T08:00:00Z"};
            }
        });
    }

    MeridioHost host;
    Owned<ILSOnlineCheck> online = host.Query<ILSOnlineCheck>();
};

class MeridioOnlineCases : public MeridioOnlineCheck, public ::testing::WithParamInterface<OnlineCase> {};

TEST_P(MeridioOnlineCases, CompareDateAndLockFlag) {
    const OnlineCase& c = GetParam();
    const auto item = ItemWithout(c.documentId, c.dropStoredLockFlag ? kLockFlag : L"");
    item->Set(L"RemoteFileLastModified",
              Host::DateValue{*DateProp(*item, L"RemoteFileLastModified") + c.storedDateShift});
    item->Set(L"ows-CheckoutUser", std::wstring(L"stale"));
    if (c.serverLockUser != nullptr) {
        SetServerLock(c.documentId, c.serverLockUser);
    }
    LONG result = -1;
    ASSERT_EQ(online->raw_HasChangesOnline(host.mainFolder.get(), item.get(), &result, nullptr), S_OK);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(StrProp(*item, L"ows-CheckoutUser"), c.checkoutUser);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeridioOnlineCases,
    ::testing::Values(OnlineCase{"Unchanged", 102, 0.0, false, nullptr, 0, L""},
                      OnlineCase{"ServerLater", 102, -1.0, false, nullptr, 1, L""},
                      OnlineCase{"StoredLater", 102, 1.0, false, nullptr, 2, L""},
                      OnlineCase{"StoredLaterButLockedSince", 102, 1.0, false, "Jonas Berg", 1,
                                 L"Jonas Berg"},
                      OnlineCase{"LockedAsStored", 103, 0.0, false, nullptr, 0, L"Jonas Berg"},
                      OnlineCase{"UnlockedSince", 103, 0.0, false, "", 1, L""},
                      OnlineCase{"NoStoredLockFlagCountsAsLocked", 102, 0.0, true, nullptr, 1, L""}),
    [](const ::testing::TestParamInfo<OnlineCase>& info) { return info.param.name; });

TEST_F(MeridioOnlineCheck, ALockWithoutHolderLeavesTheCheckoutUserEmpty) {
    const auto item = ItemWithout(102, L"");
    item->Set(L"ows-CheckoutUser", std::wstring(L"stale"));
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.FindDocument(102)->lock = DemoMeridio::Lock{"", "2024-06-01T08:00:00Z"};
    });
    LONG result = -1;
    ASSERT_EQ(online->raw_HasChangesOnline(host.mainFolder.get(), item.get(), &result, nullptr), S_OK);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(StrProp(*item, L"ows-CheckoutUser"), L"");
}

TEST_F(MeridioOnlineCheck, NoStoredDateAnswersNoChangeWithoutARequest) {
    const auto item = ItemWithout(102, L"RemoteFileLastModified");
    const size_t requests = host.Server().ReceivedRequests().size();
    LONG result = -1;
    ASSERT_EQ(online->raw_HasChangesOnline(host.mainFolder.get(), item.get(), &result, nullptr), S_OK);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(host.Server().ReceivedRequests().size(), requests);
}

TEST_F(MeridioOnlineCheck, MissingMapsAndServerFileIdAreRefused) {
    const auto item = host.Item(IndexOf(host, 102));
    const auto bare = NewMap();
    LONG result = -1;
    EXPECT_EQ(online->raw_HasChangesOnline(host.mainFolder.get(), nullptr, &result, nullptr), E_INVALIDARG);
    EXPECT_EQ(result, 0);
    result = -1;
    EXPECT_EQ(online->raw_HasChangesOnline(nullptr, item.get(), &result, nullptr), E_INVALIDARG);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(online->raw_HasChangesOnline(host.mainFolder.get(), bare.get(), &result, nullptr), E_FAIL);
    EXPECT_EQ(online->raw_OnlineCheckMethod2(), E_NOTIMPL);
}

TEST_F(MeridioOnlineCheck, ADocumentGoneFromTheServerFails) {
    const auto item = host.Item(IndexOf(host, 102));
    host.Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { repository.DeleteDocument(102); });
    LONG result = -1;
    EXPECT_TRUE(FAILED(online->raw_HasChangesOnline(host.mainFolder.get(), item.get(), &result, nullptr)));
    EXPECT_EQ(result, 0);
}

} // namespace
