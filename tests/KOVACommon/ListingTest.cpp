#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"

namespace {

using namespace TestSupport;

class Listing : public FilterTest {};

struct ListingIndex : LSBaseFileSyncFilter {
    using LSBaseFileSyncFilter::NextListingIndex;
};

TEST(ListingIndexes, EveryEntryGetsAnIndexOfItsOwnOrTheListingFails) {
    EXPECT_EQ(ListingIndex::NextListingIndex(0), 0);
    EXPECT_EQ(ListingIndex::NextListingIndex(65534), 65534);
    // A 65536th entry would share index 0 with the first.
    for (const std::size_t listed : {std::size_t{65535}, std::size_t{65536}, std::size_t{1} << 32}) {
        EXPECT_THROW(ListingIndex::NextListingIndex(listed), long) << listed;
    }
}

TEST_F(Listing, ExcludeFlagsGiveTheListingMode) {
    struct Case {
        VARIANT_BOOL excludeDocuments;
        VARIANT_BOOL excludeSubFolders;
        LONG mode;
    };
    const Case cases[] = {{0, 0, 2}, {-1, 0, 0}, {0, -1, 1}, {-1, -1, 3}, {1, 0, 2}, {0, 1, 2}};
    for (const Case& c : cases) {
        ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, c.excludeDocuments,
                                                c.excludeSubFolders, 0, VARIANT_FALSE),
                  S_OK);
        EXPECT_EQ(filter->ListingMode(), c.mode) << c.excludeDocuments << "," << c.excludeSubFolders;
    }
}

TEST_F(Listing, FolderLocationComesFromTheShortItemIdFirst) {
    folder->Set(L"Mavisto.FromServerShortItemId", std::wstring(L"test://short"));
    StartFolderPass();
    ASSERT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), S_OK);
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.FolderLocation"), L"test://short");

    auto plain = NewMap();
    plain->Set(L"Mavisto.FolderLocation", std::wstring(L"test://plain"));
    ASSERT_EQ(Sync()->raw_SetSyncStartPoint(plain.get(), VARIANT_FALSE, 0, 0, 0, 0), S_OK);
    ASSERT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), S_OK);
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.FolderLocation"), L"test://plain");

    auto noLocation = NewMap();
    EXPECT_EQ(Sync()->raw_SetSyncStartPoint(noLocation.get(), VARIANT_FALSE, 0, 0, 0, 0),
              static_cast<HRESULT>(0x80070032));
}

TEST_F(Listing, SetUpFolderThatNeedsNoListing) {
    filter->knobs.setupFolderDone = true;
    AddDocument(L"a.doc", L"docs/a", 1, std::nullopt);
    ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_TRUE, 0, 0, 0, 0), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), 0u);
    USHORT count = 9;
    EXPECT_EQ(Sync()->raw_GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    // Without the set-up request the folder is listed.
    ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, 0, 0, 0, 0), S_OK);
    EXPECT_EQ(Sync()->raw_GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    // A folder set up without a listing shows nothing of the folder listed before it.
    filter->subFolders.push_back({L"Projects", L"test://root/projects", {}});
    ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, 0, 0, 0, 0), S_OK);
    ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_TRUE, 0, 0, 0, 0), S_OK);
    EXPECT_EQ(Sync()->raw_GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Sync()->raw_GetSubFolderCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(Listing, FailedListingReturnsItsResult) {
    filter->knobs.contentsResult = E_ACCESSDENIED;
    EXPECT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, 0, 0, 0, 0), E_ACCESSDENIED);
}

TEST_F(Listing, ItemBasicProperties) {
    struct Case {
        const wchar_t* listedName;
        const wchar_t* extension;
    };
    const Case cases[] = {{L"report.final.pdf", L"pdf"}, {L"README", L""}, {L"name.", L""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(CStdStr<wchar_t>(c.listedName));
        filter->documents.clear();
        AddDocument(c.listedName, L"Docs/Item-1", 12, std::nullopt);
        StartFolderPass();
        auto item = NewMap();
        ASSERT_EQ(Sync()->raw_GetItemBasicProps(0, item.get()), S_OK);
        EXPECT_EQ(StrProp(*item, L"UniqueId"), GetHashForString(L"docs/item-1"));
        EXPECT_EQ(NumProp(*item, L"VersionId"), 12);
        EXPECT_EQ(StrProp(*item, L"DisplayName"), c.listedName);
        EXPECT_EQ(StrProp(*item, L"FileName"), c.listedName);
        EXPECT_EQ(StrProp(*item, L"Extension"), c.extension);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileName"), c.listedName);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileUrl"), L"https://test/Docs/Item-1");
        EXPECT_FALSE(StrProp(*item, L"Mavisto.FromServerFileId"));
        EXPECT_FALSE(StrProp(*item, L"ExternalAttachmentFilename"));
    }
}

TEST_F(Listing, ServerFileIdIsWrittenWhenTheRepositoryStoresIt) {
    filter->knobs.storesServerFileId = true;
    AddDocument(L"a.doc", L"docs/a", 1, std::nullopt);
    StartFolderPass();
    auto item = NewMap();
    ASSERT_EQ(Sync()->raw_GetItemBasicProps(0, item.get()), S_OK);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileId"), L"docs/a");
}

TEST_F(Listing, SubFolderBasicProperties) {
    filter->subFolders.push_back({L"Projects", L"Test://Root/Projects", {}});
    StartFolderPass();
    USHORT count = 0;
    ASSERT_EQ(Sync()->raw_GetSubFolderCount(&count), S_OK);
    ASSERT_EQ(count, 1);
    auto sub = NewMap();
    ASSERT_EQ(Sync()->raw_GetSubFolderBasicProps(0, sub.get()), S_OK);
    EXPECT_EQ(StrProp(*sub, L"UniqueId"), GetHashForString(L"test://root/projects"));
    EXPECT_EQ(NumProp(*sub, L"VersionId"), 1);
    EXPECT_EQ(StrProp(*sub, L"DisplayName"), L"Projects");
    EXPECT_EQ(StrProp(*sub, L"Mavisto.RepositoryLocation"), L"Test://Root/Projects");
}

TEST_F(Listing, StringStartPointRegistersTheFolderItself) {
    ASSERT_EQ(Sync()->raw_SetSyncStartPointByString(_bstr_t(L"Test://Server\\Folder\\Leaf"), nullptr), S_OK);
    EXPECT_EQ(filter->ListedItemNames().size(), 0u);
    auto item = NewMap();
    ASSERT_EQ(Sync()->raw_GetItemBasicProps(0, item.get()), S_OK);
    EXPECT_EQ(StrProp(*item, L"UniqueId"), GetHashForString(L"test://server\\folder\\leaf"));
    EXPECT_EQ(NumProp(*item, L"VersionId"), 1);
    EXPECT_EQ(StrProp(*item, L"DisplayName"), L"Leaf");
    EXPECT_FALSE(StrProp(*item, L"FileName"));
}

TEST_F(Listing, StringStartPointFallsBackToTheDefaultStartPoint) {
    EXPECT_EQ(Sync()->raw_SetSyncStartPointByString(nullptr, nullptr), E_INVALIDARG);
    filter->knobs.offersDefaultStartPoint = true;
    ASSERT_EQ(Sync()->raw_SetSyncStartPointByString(nullptr, nullptr), S_OK);
    auto item = NewMap();
    ASSERT_EQ(Sync()->raw_GetItemBasicProps(0, item.get()), S_OK);
    EXPECT_EQ(StrProp(*item, L"DisplayName"), L"test://default");
}

TEST_F(Listing, StringStartPointListingFailureHandsBackAText) {
    filter->knobs.contentsResult = E_ACCESSDENIED;
    BSTR errorText = nullptr;
    EXPECT_EQ(Sync()->raw_SetSyncStartPointByString(_bstr_t(L"test://x"), &errorText), E_FAIL);
    EXPECT_EQ(CStdStr<wchar_t>(errorText), CStdStr<wchar_t>(_com_error(E_ACCESSDENIED).ErrorMessage()));
    SysFreeString(errorText);

    filter->knobs.contentsResult = static_cast<HRESULT>(0x80ABCDEF);
    errorText = nullptr;
    EXPECT_EQ(Sync()->raw_SetSyncStartPointByString(_bstr_t(L"test://x"), &errorText), E_FAIL);
    EXPECT_EQ(CStdStr<wchar_t>(errorText), L"Error: 80abcdef");
    SysFreeString(errorText);
    EXPECT_EQ(filter->CallCount("PrepareStartPoint"), 2u);
}

TEST_F(Listing, SafeFileNameReplacesPathCharacters) {
    folder->Set(L"Mavisto.FolderLocation", std::wstring(L"a/b"));
    folder->Set(L"Mavisto.RepositoryLocation", std::wstring(L"srv:1"));
    StartFolderPass();
    EXPECT_EQ(filter->MakeSafeFileName(L"x?y", 3, nullptr), L"srv 1_a b\\x y_3");
}

TEST_F(Listing, FilterNamesAreTheRepositoryType) {
    BSTR first = nullptr;
    BSTR second = nullptr;
    ASSERT_EQ(Sync()->raw_GetFilterNames(&first, &second), S_OK);
    EXPECT_EQ(CStdStr<wchar_t>(first), L"TestRepo");
    EXPECT_EQ(CStdStr<wchar_t>(second), L"TestRepo");
    SysFreeString(first);
    SysFreeString(second);
    LONG more = 5;
    EXPECT_EQ(Sync()->raw_HasMoreItemsAvailable(&more), S_OK);
    EXPECT_EQ(more, 0);
}

TEST_F(Listing, AnotherFolderPassDoesNotReuseTheFormerListing) {
    AddDocument(L"a.doc", L"docs/a", 1, Time(2024, 1, 1));
    StartFolderPass();
    auto item = NewMap();
    LONG code = 0;
    ASSERT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), S_OK);

    // The next folder's first document has no known date: it must not borrow the former one.
    filter->documents = {{L"b.doc", L"docs/b", 1, std::nullopt, "", {}}};
    StartFolderPass();
    EXPECT_EQ(Sync()->raw_HasChanges(0, item.get(), &code), E_FAIL);
}

TEST_F(Listing, AnotherFolderPassDoesNotReuseTheFormerDownloadHash) {
    AddDocument(L"a.doc", L"docs/a", 1, Time(2024, 1, 1), "first folder's document");
    StartFolderPass();
    auto downloaded = NewMap();
    ASSERT_EQ(Sync()->raw_RetrieveItemToPath(0, _bstr_t(LocalPath("a.doc").c_str()), nullptr,
                                             downloaded.get(), VARIANT_FALSE, nullptr),
              S_OK);

    // The next folder's first document was not downloaded: it gets no hash of the former one.
    filter->documents = {{L"b.doc", L"docs/b", 1, Time(2024, 1, 1), "", {}}};
    StartFolderPass();
    auto item = NewMap();
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileName"), L"b.doc");
    EXPECT_FALSE(StrProp(*item, L"Mavisto.FromServerETag"));
}

} // namespace
