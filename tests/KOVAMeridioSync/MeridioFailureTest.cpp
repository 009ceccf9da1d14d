// What the host sees when things go wrong or go away: a failed or unreadable listing, a shutdown,
// deletion questions before and after a listing, and item URLs asked for by index.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "Platform/Utf.h"
#include "tests/Support/TempDirectory.h"

#include <fstream>

namespace {

using namespace MeridioTest;
using TestSupport::StrProp;

class MeridioFailures : public ::testing::Test {
protected:
    MeridioHost host;
    TestSupport::TempDirectory temp;
};

TEST_F(MeridioFailures, ServerFaultDuringListingAbortsThePass) {
    EXPECT_TRUE(FAILED(host.ListFolder(host.Location(L"container", 999))));
    EXPECT_EQ(host.Informer().AbortMessages(),
              std::vector<std::wstring>{L"Sync aborted - connection to Server failed"});
    USHORT count = 1;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(MeridioFailures, AListingWhoseContentsAreNotXmlFailsAndReportsNothingDeleted) {
    const _bstr_t live(host.Location(L"document", 102).c_str());
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    host.Server().BreakNextListings(1);
    EXPECT_TRUE(FAILED(host.ListFolder(host.Location(L"container", 2))));
    USHORT count = 1;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(live, 0), E_FAIL);
}

TEST_F(MeridioFailures, AShutdownDuringARequestReachesTheHostAsAbort) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    host.Informer().SetShutdownRequested(true);
    EXPECT_EQ(host.ListFolder(host.Location(L"container", 2)), E_ABORT);
    EXPECT_TRUE(host.Informer().AbortMessages().empty());
}

TEST_F(MeridioFailures, DeletionIsUnknownBeforeAnyListing) {
    for (const LONG isFolder : {0, 1}) {
        SCOPED_TRACE(isFolder);
        EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"document", 102).c_str()), isFolder),
                  E_FAIL);
    }
    EXPECT_TRUE(host.Actions().empty());
}

TEST_F(MeridioFailures, DocumentDeletedOnTheServerIsReportedAfterTheNextListing) {
    const _bstr_t deleted(host.Location(L"document", 103).c_str());
    const _bstr_t kept(host.Location(L"document", 102).c_str());
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(deleted, 0), S_FALSE);

    host.Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { repository.DeleteDocument(103); });
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(deleted, 0), S_FALSE); // the listing is not refreshed yet
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(deleted, 0), S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(kept, 0), S_FALSE);

    // Sub-folders are looked up among the listed sub-containers.
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 1)), S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"container", 2).c_str()), 1), S_FALSE);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"container", 77).c_str()), 1), S_OK);
}

TEST_F(MeridioFailures, AReListingThatFailsReportsNoDocumentDeleted) {
    const _bstr_t live(host.Location(L"document", 102).c_str());
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    // An upload makes the folder update list the folder again.
    const auto localPath = temp.path() / "new.txt";
    std::ofstream(localPath, std::ios::binary) << "new content";
    auto uploaded = NewMap();
    ASSERT_EQ(host.Sync()->raw_AddNewDocument(_bstr_t(localPath.c_str()), _bstr_t(L"new.txt"), nullptr,
                                              uploaded.get()),
              S_OK);

    host.Server().CutOffNextReplies(1);
    EXPECT_TRUE(
        FAILED(host.Sync()->raw_PreContentSyncFolderUpdate(host.folder.get(), VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(live, 0), E_FAIL);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"container", 77).c_str()), 1), E_FAIL);

    // The next listing that is read whole decides again.
    ASSERT_EQ(host.Sync()->raw_PreContentSyncFolderUpdate(host.folder.get(), VARIANT_FALSE, VARIANT_FALSE),
              S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(live, 0), S_FALSE);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"document", 77).c_str()), 0), S_OK);
}

TEST_F(MeridioFailures, AnItemOfAKindTheLastListingDidNotListIsNotAnsweredDeleted) {
    // Container 1 holds container 2; container 2 holds document 102.
    host.folder->Set(L"Mavisto.FolderLocation", host.Location(L"container", 1));
    ASSERT_EQ(host.Sync()->raw_StartSync(0, host.mainFolder.get()), S_OK);
    ASSERT_EQ(host.Sync()->raw_SetSyncStartPoint(host.folder.get(), VARIANT_FALSE, VARIANT_FALSE,
                                                 VARIANT_TRUE, 0, VARIANT_FALSE),
              S_OK); // documents only
    ASSERT_EQ(host.Sync()->raw_PreContentSyncFolderUpdate(host.folder.get(), VARIANT_FALSE, VARIANT_FALSE),
              S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"container", 2).c_str()), 1), S_FALSE);

    ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"document", 102).c_str()), 0), E_FAIL);
}

TEST_F(MeridioFailures, FileUrlIsGivenOnlyForListedIndexes) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_EQ(count, 4);
    struct Case {
        LONG index;
        HRESULT result;
        bool hasUrl;
    };
    const Case cases[] = {{-1, S_OK, false}, {0, S_OK, true}, {3, S_OK, true}, {4, E_INVALIDARG, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CStdStr<wchar_t> url = L"stale";
        EXPECT_EQ(host.Filter().GetFileUrl(CStdStr<wchar_t>(), url, c.index), c.result);
        EXPECT_EQ(!url.empty(), c.hasUrl);
        if (c.hasUrl) {
            EXPECT_EQ(std::wstring(url),
                      *StrProp(*host.Item(static_cast<USHORT>(c.index)), L"Mavisto.FromServerFileUrl"));
        }
    }
}

TEST_F(MeridioFailures, StartPointThatNamesNoContainerIsRefused) {
    const std::wstring startPoints[] = {
        L"Meridio://" + host.ServerName() + L"/container",   // no id
        L"Meridio://" + host.ServerName() + L"/container/0", // ids start at 1
        L"Other://" + host.ServerName() + L"/container/1",   // not a Meridio location
        host.Location(L"container", 999),                    // unknown to the server
    };
    for (const std::wstring& startPoint : startPoints) {
        SCOPED_TRACE(Platform::WideToUtf8(startPoint));
        BSTR errorText = nullptr;
        EXPECT_TRUE(
            FAILED(host.Sync()->raw_SetSyncStartPointByString(_bstr_t(startPoint.c_str()), &errorText)));
        SysFreeString(errorText);
    }
    const std::vector<std::string> actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetContainerFullEx"), 1);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetSystemConfigurationData"), 0);
}

} // namespace
