// Checkout and check-in through the host's locking interface against the demo server: the lock on the
// server, the checkout state from the listing and this object's locks, and the checkout-user change.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include <algorithm>

namespace {

using namespace MeridioTest;

constexpr BYTE kCheckedOut = 0xFF;
constexpr BYTE kNotCheckedOut = 0x00;

class MeridioLocks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        ASSERT_TRUE(locking);
    }

    Owned<Host::LSMemoryPropertyMap> ItemOf(long documentId) { return host.Item(IndexOf(host, documentId)); }

    BYTE StateOf(ILSPropertyMap* item) {
        BYTE state = 0x42;
        EXPECT_EQ(locking->raw_GetCheckedOutState(item, &state), S_OK);
        return state;
    }

    // The lock holder on the server; empty when the document is not locked.
    std::string LockHolder(long documentId) {
        std::string holder;
        host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            const auto& lock = repository.FindDocument(documentId)->lock;
            holder = lock ? lock->user : "";
        });
        return holder;
    }

    void LockOnServer(long documentId, const std::string& user) {
        host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            repository.FindDocument(documentId)->lock = DemoMeridio::Lock{user, "2024-06-01T08:00:00Z"};
        });
    }

    std::string LastBody() { return host.Server().ReceivedRequests().back().body; }

    MeridioHost host;
    Owned<ILSLockingSyncFilter> locking = host.Query<ILSLockingSyncFilter>();
};

TEST_F(MeridioLocks, CheckoutLocksTheDocumentAndCancelUnlocksIt) {
    const auto item = ItemOf(102);
    EXPECT_EQ(StateOf(item.get()), kNotCheckedOut);

    ASSERT_EQ(locking->raw_Checkout(item.get()), S_OK);
    EXPECT_EQ(LockHolder(102), "demo");
    const std::string lockBody = LastBody();
    EXPECT_NE(
        lockBody.find("<LOCKS diffgr:id=\"LOCKS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
                      "<PROP_W_comment /><docId>102</docId></LOCKS>"),
        std::string::npos)
        << lockBody;
    // The listing is older than the lock: the object's own lock counts.
    EXPECT_EQ(StateOf(item.get()), kCheckedOut);
    VARIANT_BOOL checkedOut = VARIANT_FALSE;
    EXPECT_EQ(host.Filter().get_IsCheckedOut(item.get(), &checkedOut), S_OK);
    EXPECT_EQ(checkedOut, VARIANT_TRUE);

    ASSERT_EQ(locking->raw_CancelCheckout(item.get()), S_OK);
    EXPECT_EQ(LockHolder(102), "");
    const std::string unlockBody = LastBody();
    EXPECT_NE(unlockBody.find("<diffgr:before><LOCKS diffgr:id=\"LOCKS1\" msdata:rowOrder=\"0\" "
                              "xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><docId>102</docId></LOCKS>"),
              std::string::npos)
        << unlockBody;
    EXPECT_EQ(StateOf(item.get()), kNotCheckedOut);
    EXPECT_EQ(host.Filter().get_IsCheckedOut(item.get(), &checkedOut), S_OK);
    EXPECT_EQ(checkedOut, VARIANT_FALSE);
}

TEST_F(MeridioLocks, ASecondLockIsRefusedAndOneUnlockReleasesTheDocument) {
    const auto item = ItemOf(104);
    ASSERT_EQ(locking->raw_Checkout(item.get()), S_OK);
    // The server refuses to lock a locked document; the refused lock is not listed.
    EXPECT_TRUE(FAILED(locking->raw_Checkout(item.get())));
    ASSERT_EQ(locking->raw_CancelCheckout(item.get()), S_OK);
    EXPECT_EQ(LockHolder(104), "");
    EXPECT_EQ(StateOf(item.get()), kNotCheckedOut);
    // The server has no lock left to remove.
    EXPECT_TRUE(FAILED(locking->raw_CancelCheckout(item.get())));
    EXPECT_EQ(StateOf(item.get()), kNotCheckedOut);
}

TEST_F(MeridioLocks, TheListingsLockFlagCountsWithoutALockOfThisObject) {
    EXPECT_EQ(StateOf(ItemOf(103).get()), kCheckedOut);
    EXPECT_EQ(StateOf(ItemOf(105).get()), kNotCheckedOut);
}

TEST_F(MeridioLocks, ARefusedLockLeavesTheStateAsTheListingSaysIt) {
    LockOnServer(104, "Jonas Berg");
    const auto item = ItemOf(104);
    EXPECT_TRUE(FAILED(locking->raw_Checkout(item.get())));
    EXPECT_EQ(LockHolder(104), "Jonas Berg");
    EXPECT_EQ(StateOf(item.get()), kNotCheckedOut);
    EXPECT_TRUE(FAILED(locking->raw_CancelCheckout(item.get())));
    EXPECT_EQ(LockHolder(104), "Jonas Berg");
}

TEST_F(MeridioLocks, AnItemWithoutServerFileIdFailsWithoutARequest) {
    const auto item = NewMap();
    const size_t requests = host.Server().ReceivedRequests().size();
    BYTE state = 0x42;
    EXPECT_EQ(locking->raw_Checkout(item.get()), E_FAIL);
    EXPECT_EQ(locking->raw_CancelCheckout(item.get()), E_FAIL);
    EXPECT_EQ(locking->raw_GetCheckedOutState(item.get(), &state), E_FAIL);
    EXPECT_EQ(state, 0x42);
    EXPECT_EQ(locking->raw_GetCheckedOutState(ItemOf(102).get(), nullptr), E_POINTER);
    EXPECT_EQ(locking->raw_LockingMethod2(item.get()), E_NOTIMPL);
    EXPECT_EQ(host.Server().ReceivedRequests().size(), requests);
}

TEST_F(MeridioLocks, ASingleDocumentFolderAsksItsPreview) {
    ASSERT_EQ(host.Register(host.Location(L"container", 2) + L"#filter:file|103"), S_OK);
    ASSERT_EQ(host.Sync()->raw_StartSync(0, host.mainFolder.get()), S_OK);
    ASSERT_EQ(host.ListMainFolder(), S_OK);
    const auto item = host.Item(0);
    EXPECT_EQ(StateOf(item.get()), kCheckedOut);
    // The object's own locks do not count here: only the preview's flag does.
    host.Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { repository.FindDocument(103)->lock.reset(); });
    ASSERT_EQ(host.ListMainFolder(), S_OK);
    ASSERT_EQ(locking->raw_Checkout(item.get()), S_OK);
    EXPECT_EQ(StateOf(item.get()), kNotCheckedOut);
}

// The host asks for a change when the stored checkout user differs from the listed one.
struct CheckoutUserCase {
    const char* name;
    long documentId;
    const wchar_t* storedUser; // nullptr: as the listing wrote it
    LONG change;
};

class MeridioCheckoutUserChange : public MeridioLocks,
                                  public ::testing::WithParamInterface<CheckoutUserCase> {};

TEST_P(MeridioCheckoutUserChange, IsReportedAsAServerChange) {
    const USHORT index = IndexOf(host, GetParam().documentId);
    const auto item = host.Item(index);
    item->Set(L"Mavisto.MessageIsUnchanged", LONG(1));
    if (GetParam().storedUser != nullptr) {
        item->Set(L"ows-CheckoutUser", std::wstring(GetParam().storedUser));
    }
    LONG change = -1;
    ASSERT_EQ(host.Sync()->raw_HasChanges(index, item.get(), &change), S_OK);
    EXPECT_EQ(change, GetParam().change);
}

INSTANTIATE_TEST_SUITE_P(Cases, MeridioCheckoutUserChange,
                         ::testing::Values(CheckoutUserCase{"UnlockedAsListed", 102, nullptr, 0},
                                           CheckoutUserCase{"LockedAsListed", 103, nullptr, 0},
                                           CheckoutUserCase{"StoredUserListedNone", 102, L"A", 1},
                                           CheckoutUserCase{"StoredNoneListedUser", 103, L"", 1}),
                         [](const ::testing::TestParamInfo<CheckoutUserCase>& info) {
                             return info.param.name;
                         });

} // namespace
