#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"
#include "Platform/Utf.h"

#include <fstream>

namespace {

using namespace TestSupport;

const SYSTEMTIME ServerTime = Time(2024, 3, 5, 7, 8, 9);
const SYSTEMTIME LocalTime = Time(2024, 3, 6, 10, 11, 0);

class Upload : public FilterTest {
protected:
    Upload() {
        std::ofstream(temp.path() / "local.doc", std::ios::binary) << "new content";
        localPath = _bstr_t(LocalPath("local.doc").c_str());
    }

    // A server document that the item was downloaded from, with the hash remembered on the item.
    void SyncedItem(Host::LSMemoryPropertyMap& item, const std::string& serverContent = "old content") {
        AddDocument(L"a.doc", L"docs/a.doc", 3, ServerTime, serverContent);
        item.Set(L"Mavisto.FromServerFileName", std::wstring(L"a.doc"));
        item.Set(L"Mavisto.FromServerETag", ServerHash("old content"));
    }

    static std::wstring ServerHash(const std::string& content) {
        return CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(content.data()),
                                       static_cast<DWORD>(content.size()));
    }

    HRESULT AddNew(ILSPropertyMap* item, const wchar_t* name = L"a.doc") {
        return Sync()->raw_AddNewDocument(localPath, _bstr_t(name), nullptr, item);
    }
    HRESULT Update(ILSPropertyMap* item, const wchar_t* name = L"a.doc") {
        return Sync()->raw_UpdateDocument(localPath, _bstr_t(name), nullptr, item);
    }

    _bstr_t localPath;
};

TEST_F(Upload, NewFileWhoseNameIsOnTheServerIsADuplicate) {
    AddDocument(L"a.doc", L"docs/a.doc", 1, ServerTime);
    auto item = NewMap();
    EXPECT_EQ(AddNew(item.get()), E_FAIL);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"DUPLICATE");
    EXPECT_EQ(filter->CallCount("CopyFileRemote"), 0u);
    EXPECT_FALSE(StrProp(*item, L"UniqueId"));
}

TEST_F(Upload, NewFileOnARepositoryOfServerIdsIsUploadedWithoutExistenceTest) {
    filter->knobs.storesServerFileId = true;
    AddDocument(L"a.doc", L"docs/a.doc", 1, ServerTime);
    auto item = NewMap();
    item->Set(L"Mavisto.SyncIssueType", std::wstring(L"DUPLICATE"));
    EXPECT_EQ(AddNew(item.get()), S_OK);
    EXPECT_EQ(filter->CallCount("DoesFileExistRemote"), 0u);
    EXPECT_EQ(filter->CallCount("CopyFileRemote"), 1u);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"");
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileId"), L"docs/a.doc");
}

TEST_F(Upload, NewFileGetsItsBookkeepingProperties) {
    auto item = NewMap();
    ASSERT_EQ(AddNew(item.get(), L"Re: Plan.doc"), S_OK);
    const TestDocument* uploaded = filter->FindDocument(L"docs/Re  Plan.doc");
    ASSERT_NE(uploaded, nullptr);
    EXPECT_EQ(uploaded->content, "new content");
    EXPECT_EQ(StrProp(*item, L"UniqueId"), GetHashForString(L"docs/re  plan.doc"));
    EXPECT_EQ(NumProp(*item, L"VersionId"), 1);
    EXPECT_EQ(StrProp(*item, L"DisplayName"), L"Re: Plan.doc");
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileName"), L"Re  Plan.doc");
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileUrl"), L"https://test/docs/Re  Plan.doc");
    EXPECT_FALSE(StrProp(*item, L"Mavisto.FromServerFileId"));
    EXPECT_EQ(DateProp(*item, L"RemoteFileLastModified"), -1.0);
}

TEST_F(Upload, ServerLeafNameFollowsTheLastSeparator) {
    struct Case {
        const wchar_t* separators;
        const wchar_t* leaf;
    };
    const Case cases[] = {{L"/", L"a b.doc"}, {L"\\", L"a:b.doc"}, {L"c", L"a:b.doc"}, {L"", L"a:b.doc"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(CStdStr<wchar_t>(c.separators));
        filter->documents.clear();
        filter->knobs.uploadSeparators = c.separators;
        auto item = NewMap();
        ASSERT_EQ(AddNew(item.get(), L"a:b.doc"), S_OK);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileName"), c.leaf);
    }
}

TEST_F(Upload, ChangedFileGoneFromTheServerIsAnError) {
    auto item = NewMap();
    item->Set(L"Mavisto.FromServerFileName", std::wstring(L"a.doc"));
    EXPECT_EQ(Update(item.get()), E_FAIL);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"ERROR");
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueMessage"), std::wstring(CStdStr<wchar_t>(4006)));
    EXPECT_EQ(filter->CallCount("CopyFileRemote"), 0u);
    EXPECT_FALSE(NumProp(*item, L"VersionId"));
}

TEST_F(Upload, ChangedFileWhoseServerCopyChangedIsAConflict) {
    auto item = NewMap();
    SyncedItem(*item, "changed by somebody else");
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    item->Set(L"0x30080040", Host::DateValue{DateOf(LocalTime)});
    EXPECT_EQ(Update(item.get()), E_FAIL);
    EXPECT_EQ(filter->CallCount("CopyFileRemote"), 0u);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"CONFLICT");
    EXPECT_EQ(StrProp(*item, L"Mavisto.RemoteChangeETag"), ServerHash("changed by somebody else"));

    SYSTEMTIME localOfLocal{};
    SYSTEMTIME localOfServer{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &LocalTime, &localOfLocal));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &ServerTime, &localOfServer));
    const CStdStr<wchar_t> expected = CStdStr<wchar_t>(4007) + FormatLocalDateTime(localOfLocal) + L"." +
                                      CStdStr<wchar_t>(4008) + FormatLocalDateTime(localOfServer) + L".";
    EXPECT_EQ(StrProp(*item, L"Mavisto.LocalChangeInfo"), std::wstring(expected));
}

TEST_F(Upload, ConflictWithoutLocalDateSaysUnknown) {
    auto item = NewMap();
    SyncedItem(*item, "changed");
    filter->FindDocument(L"docs/a.doc")->lastModified.reset();
    EXPECT_EQ(Update(item.get()), E_FAIL);
    EXPECT_EQ(StrProp(*item, L"Mavisto.LocalChangeInfo"), std::wstring(CStdStr<wchar_t>(4007) + L"Unknown."));
}

TEST_F(Upload, HashComparisonIsCaseSensitive) {
    auto item = NewMap();
    SyncedItem(*item);
    std::wstring lower = ServerHash("old content");
    for (wchar_t& c : lower) {
        c = static_cast<wchar_t>(towlower(c));
    }
    item->Set(L"Mavisto.FromServerETag", lower);
    EXPECT_EQ(Update(item.get()), E_FAIL);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"CONFLICT");
}

TEST_F(Upload, OverwriteHashAgreedByTheUserLetsTheUploadThrough) {
    auto item = NewMap();
    SyncedItem(*item, "changed by somebody else");
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    item->Set(L"Mavisto.UserRequestedOverwriteServerETag", ServerHash("changed by somebody else"));
    EXPECT_EQ(Update(item.get()), S_OK);
    EXPECT_EQ(filter->FindDocument(L"docs/a.doc")->content, "new content");
}

TEST_F(Upload, OnlyAnAgreedHashEqualToTheServersLetsAChangedServerCopyBeOverwritten) {
    for (const std::wstring& agreed : {std::wstring(), ServerHash("an older change")}) {
        SCOPED_TRACE(agreed.empty() ? "empty agreed hash" : "agreed hash of another server copy");
        filter->documents.clear();
        auto item = NewMap();
        SyncedItem(*item, "changed by somebody else");
        item->Set(L"Mavisto.IsContentChanged", LONG(1));
        item->Set(L"Mavisto.UserRequestedOverwriteServerETag", agreed);
        EXPECT_EQ(Update(item.get()), E_FAIL);
        EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"CONFLICT");
        EXPECT_EQ(filter->FindDocument(L"docs/a.doc")->content, "changed by somebody else");
    }
}

TEST_F(Upload, ChangedFileWithoutRememberedHashIsUploadedWithoutConflictTest) {
    auto item = NewMap();
    SyncedItem(*item, "changed by somebody else");
    item->Set(L"Mavisto.FromServerETag", std::wstring());
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    EXPECT_EQ(Update(item.get()), S_OK);
    EXPECT_EQ(filter->CallCount("GetHashForRemoteFile"), 0u);
    EXPECT_EQ(filter->FindDocument(L"docs/a.doc")->content, "new content");
}

TEST_F(Upload, UnchangedContentIsNotSentButTheRenameIsMade) {
    auto item = NewMap();
    SyncedItem(*item);
    item->Set(L"KOVA.RenamedFilename", std::wstring(L"b.doc"));
    EXPECT_EQ(Update(item.get()), S_OK);
    EXPECT_EQ(filter->CallCount("CopyFileRemote"), 0u);
    EXPECT_EQ(filter->CallCount("RenameFileRemote"), 1u);
    const TestDocument* document = filter->FindDocument(L"docs/a.doc");
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->listedName, L"b.doc");
    EXPECT_EQ(document->content, "old content");
    EXPECT_EQ(NumProp(*item, L"VersionId"), 2);
    EXPECT_EQ(StrProp(*item, L"DisplayName"), L"a.doc");
}

TEST_F(Upload, MetadataOnlyUpdateKeepsTheItemsServerIdentity) {
    for (const bool storesServerFileId : {true, false}) {
        SCOPED_TRACE(storesServerFileId ? "server file ids" : "stored names");
        filter->documents.clear();
        filter->knobs.storesServerFileId = storesServerFileId;
        auto item = NewMap();
        SyncedItem(*item);
        if (storesServerFileId) {
            item->Set(L"Mavisto.FromServerFileId", std::wstring(L"docs/a.doc"));
        }
        item->Set(L"UniqueId", std::wstring(GetHashForString(L"docs/a.doc")));
        EXPECT_EQ(Update(item.get()), S_OK);
        EXPECT_EQ(filter->CallCount("CopyFileRemote"), 0u);
        EXPECT_EQ(StrProp(*item, L"UniqueId"), GetHashForString(L"docs/a.doc"));
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileId"),
                  storesServerFileId ? std::optional<std::wstring>(L"docs/a.doc") : std::nullopt);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileUrl"), L"https://test/docs/a.doc");
    }
}

TEST_F(Upload, FailedRenameIsReturnedAndNoBookkeepingIsWritten) {
    auto item = NewMap();
    SyncedItem(*item);
    item->Set(L"KOVA.RenamedFilename", std::wstring(L"b.doc"));
    filter->knobs.renameResult = E_ACCESSDENIED;
    EXPECT_EQ(Update(item.get()), E_ACCESSDENIED);
    EXPECT_FALSE(NumProp(*item, L"VersionId"));
    EXPECT_FALSE(StrProp(*item, L"UniqueId"));
}

TEST_F(Upload, AFailingRepositoryStepIsReturnedAndNothingIsRecordedOnTheItem) {
    struct Case {
        const char* operation;
        bool isNew;
        HRESULT TestRepositoryKnobs::*result;
    };
    const Case cases[] = {
        {"DoesFileExistRemote", true, &TestRepositoryKnobs::existsResult},
        {"CopyFileRemote", true, &TestRepositoryKnobs::copyRemoteResult},
        {"DoesFileExistRemote", false, &TestRepositoryKnobs::existsResult},
        {"GetStoredRemoteFileName", false, &TestRepositoryKnobs::storedNameResult},
        {"GetHashForRemoteFile", false, &TestRepositoryKnobs::remoteHashResult},
        {"CopyFileRemote", false, &TestRepositoryKnobs::copyRemoteResult},
        {"RenameFileRemote", false, &TestRepositoryKnobs::renameResult},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.operation << (c.isNew ? " of a new file" : " of a changed file"));
        filter->documents.clear();
        filter->calls.clear();
        filter->knobs = TestRepositoryKnobs();
        filter->knobs.*c.result = E_ACCESSDENIED;
        auto item = NewMap();
        if (!c.isNew) {
            SyncedItem(*item);
            item->Set(L"Mavisto.IsContentChanged", LONG(1));
            item->Set(L"KOVA.RenamedFilename", std::wstring(L"b.doc"));
        }
        EXPECT_EQ(c.isNew ? AddNew(item.get()) : Update(item.get()), E_ACCESSDENIED);
        ASSERT_FALSE(filter->calls.empty());
        EXPECT_EQ(filter->calls.back(), c.operation);
        EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType").value_or(L""), L"");
        EXPECT_FALSE(StrProp(*item, L"UniqueId"));
        EXPECT_FALSE(NumProp(*item, L"VersionId"));
        EXPECT_FALSE(StrProp(*item, L"DisplayName"));
    }
}

// S_FALSE from the repository is a failure it recorded on the item: the host is told, and the item
// keeps no identity or version of a document that the server did not store.
TEST_F(Upload, AFailureTheRepositoryRecordedIsReportedAndWritesNoBookkeeping) {
    for (const bool isNew : {true, false}) {
        SCOPED_TRACE(isNew ? "a new file" : "a changed file");
        filter->documents.clear();
        filter->calls.clear();
        filter->knobs = TestRepositoryKnobs();
        filter->knobs.copyRemoteResult = S_FALSE;
        auto item = NewMap();
        if (!isNew) {
            SyncedItem(*item);
            item->Set(L"Mavisto.IsContentChanged", LONG(1));
            item->Set(L"KOVA.RenamedFilename", std::wstring(L"b.doc"));
            item->Set(L"VersionId", LONG(41));
        }
        const wchar_t* const bookkeeping[] = {L"UniqueId", L"DisplayName", L"Mavisto.FromServerFileName",
                                              L"Mavisto.FromServerFileId", L"Mavisto.FromServerFileUrl"};
        std::vector<std::optional<std::wstring>> before;
        for (const wchar_t* name : bookkeeping) {
            before.push_back(StrProp(*item, name));
        }
        EXPECT_EQ(isNew ? AddNew(item.get()) : Update(item.get()), S_FALSE);
        EXPECT_EQ(filter->calls.back(), "CopyFileRemote"); // nor is the item renamed
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(StrProp(*item, bookkeeping[i]), before[i]) << Platform::WideToUtf8(bookkeeping[i]);
        }
        EXPECT_EQ(NumProp(*item, L"VersionId"), isNew ? std::nullopt : std::optional<LONG>(41));
    }
}

TEST_F(Upload, UpdateRaisesTheVersionWrittenByTheUpload) {
    auto item = NewMap();
    SyncedItem(*item);
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    item->Set(L"VersionId", LONG(41));
    EXPECT_EQ(Update(item.get()), S_OK);
    EXPECT_EQ(NumProp(*item, L"VersionId"), 2);
    EXPECT_EQ(filter->FindDocument(L"docs/a.doc")->version, 4u);

    item->Set(L"Mavisto.FromServerETag", ServerHash("new content"));
    item->Failures().Fail(Host::PropertyMapMethod::GetItemNum, E_FAIL, L"VersionId");
    EXPECT_EQ(Update(item.get()), S_OK);
    EXPECT_EQ(NumProp(*item, L"VersionId"), 1);
}

TEST_F(Upload, UrgentAndInterimUploadsKeepTheServerDate) {
    struct Case {
        const char* what;
        const wchar_t* name;
        bool urgent;
        bool interim;
        std::optional<DATE> lastModified;
        std::optional<DATE> deliveryTime;
    };
    const DATE remembered = 45000.5;
    const Case cases[] = {
        {"plain document", L"a.doc", false, false, -1.0, std::nullopt},
        {"urgent document", L"a.doc", true, false, remembered, remembered},
        {"interim document", L"a.doc", false, true, -1.0, remembered},
        {"urgent mail", L"a.msg", true, false, remembered, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        filter->documents.clear();
        auto item = NewMap();
        item->Set(L"RemoteFileLastModified", Host::DateValue{remembered});
        if (c.urgent) {
            item->Set(L"KOVA.UrgentUpload", LONG(1));
        }
        if (c.interim) {
            item->Set(L"KOVA.InterimVersionData", std::wstring(L"v2"));
        }
        ASSERT_EQ(AddNew(item.get(), c.name), S_OK);
        EXPECT_EQ(DateProp(*item, L"RemoteFileLastModified"), c.lastModified);
        EXPECT_EQ(DateProp(*item, L"0x0e060040"), c.deliveryTime);
    }
}

TEST_F(Upload, ExceptionsInsideTheUploadMarkTheItem) {
    auto item = NewMap();
    filter->hook = [](const std::string& operation) {
        if (operation == "CopyFileRemote") {
            throw hresult_exception(E_ACCESSDENIED, "server refused");
        }
    };
    EXPECT_EQ(AddNew(item.get()), E_ACCESSDENIED);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"ERROR");
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueMessage"), L"server refused");

    auto second = NewMap();
    filter->hook = [](const std::string& operation) {
        if (operation == "CopyFileRemote") {
            _com_issue_error(E_OUTOFMEMORY);
        }
    };
    EXPECT_EQ(AddNew(second.get()), E_OUTOFMEMORY);
    EXPECT_EQ(StrProp(*second, L"Mavisto.SyncIssueType"), L"ERROR");
    EXPECT_EQ(StrProp(*second, L"Mavisto.SyncIssueMessage"), L"");
}

TEST_F(Upload, EveryUploadMarksTheListingStale) {
    StartFolderPass();
    auto item = NewMap();
    AddDocument(L"a.doc", L"docs/a.doc", 1, ServerTime);
    EXPECT_EQ(AddNew(item.get()), E_FAIL);
    const size_t listings = filter->CallCount("GetContents");
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), listings + 1);
}

} // namespace
