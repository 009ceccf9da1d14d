#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSHttpError.h"
#include "tests/Support/LogCapture.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace TestSupport;

class Deleting : public FilterTest {};

TEST_F(Deleting, ItemsOfAKindThatWasNotListedAreNeverDeleted) {
    struct Case {
        VARIANT_BOOL excludeDocuments;
        VARIANT_BOOL excludeSubFolders;
        LONG isFolder;
        HRESULT result;
        size_t serverQuestions;
    };
    // Neither the document key nor the folder URL is on the server any more.
    const Case cases[] = {
        {VARIANT_TRUE, VARIANT_TRUE, 0, S_FALSE, 0},  {VARIANT_TRUE, VARIANT_TRUE, 1, S_FALSE, 0},
        {VARIANT_TRUE, VARIANT_FALSE, 0, S_FALSE, 0}, {VARIANT_TRUE, VARIANT_FALSE, 1, S_OK, 1},
        {VARIANT_FALSE, VARIANT_TRUE, 1, S_FALSE, 0}, {VARIANT_FALSE, VARIANT_TRUE, 0, S_OK, 1},
        {VARIANT_FALSE, VARIANT_FALSE, 0, S_OK, 1},   {VARIANT_FALSE, VARIANT_FALSE, 1, S_OK, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.excludeDocuments << "," << c.excludeSubFolders << "," << c.isFolder);
        StartFolderPass(c.excludeDocuments, c.excludeSubFolders);
        filter->calls.clear();
        EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"gone"), c.isFolder), c.result);
        EXPECT_EQ(filter->CallCount("IsItemOnServer"), c.serverQuestions);
    }
}

TEST_F(Deleting, ItemStillOnTheServerIsNotDeleted) {
    AddDocument(L"a.doc", L"docs/a", 1, std::nullopt);
    StartFolderPass();
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"docs/a"), 0), S_FALSE);
    BSTR key = nullptr;
    ASSERT_EQ(Deletions()->raw_GetKeyPropertyTag(&key), S_OK);
    EXPECT_EQ(CStdStr<wchar_t>(key), L"Mavisto.FromServerFileName");
    SysFreeString(key);
}

TEST_F(Deleting, AListingThatWasNotReadWholeDecidesNoDeletion) {
    AddDocument(L"a.doc", L"docs/a", 1, std::nullopt);
    filter->subFolders.push_back({L"Projects", L"test://root/projects", {}});
    StartFolderPass();
    auto item = NewMap();
    ASSERT_EQ(Deleteable()->raw_DeleteItem(item.get(), nullptr), E_INVALIDARG); // the folder is listed again

    filter->knobs.contentsResult = E_ACCESSDENIED;
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE),
              E_ACCESSDENIED);
    filter->calls.clear();
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"docs/a"), 0), E_FAIL);
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"test://root/projects"), 1), E_FAIL);
    EXPECT_EQ(filter->CallCount("IsItemOnServer"), 0u);

    filter->knobs.contentsResult = S_OK;
    ASSERT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"docs/a"), 0), S_FALSE);
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"docs/gone"), 0), S_OK);
}

// Only what the last complete listing listed answers for deletions: a wider mode asked for later is
// listed first, and a kind the listing did not list is unknown.
TEST_F(Deleting, AKindTheLastListingDidNotListIsNeverDeleted) {
    AddDocument(L"a.doc", L"docs/a", 1, std::nullopt);
    filter->subFolders.push_back({L"Projects", L"test://root/projects", {}});

    StartFolderPass(VARIANT_FALSE, VARIANT_TRUE); // documents only
    ASSERT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"test://root/projects"), 1), S_FALSE);
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"test://root/gone"), 1), S_OK);

    // A start point given as text lists nothing.
    ASSERT_EQ(Sync()->raw_SetSyncStartPointByString(_bstr_t(L"test://root"), nullptr), S_OK);
    filter->calls.clear();
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"docs/a"), 0), E_FAIL);
    EXPECT_EQ(Deletions()->raw_IsDeleted(_bstr_t(L"test://root/projects"), 1), E_FAIL);
    EXPECT_EQ(filter->CallCount("IsItemOnServer"), 0u);
}

TEST_F(Deleting, DocumentIsDeletedByItsRemoteId) {
    AddDocument(L"a.doc", L"docs/a", 1, std::nullopt);
    auto item = NewMap();
    item->Set(L"Mavisto.FromServerFileName", std::wstring(L"a.doc"));
    BSTR errorText = nullptr;
    EXPECT_EQ(Deleteable()->raw_DeleteItem(item.get(), &errorText), S_OK);
    EXPECT_EQ(errorText, nullptr);
    EXPECT_TRUE(filter->documents.empty());

    // A stored server id wins over the stored name.
    AddDocument(L"b.doc", L"docs/b", 1, std::nullopt);
    auto byId = NewMap();
    byId->Set(L"Mavisto.FromServerFileName", std::wstring(L"other.doc"));
    byId->Set(L"Mavisto.FromServerFileId", std::wstring(L"docs/b"));
    EXPECT_EQ(Deleteable()->raw_DeleteItem(byId.get(), nullptr), S_OK);
    EXPECT_TRUE(filter->documents.empty());
    EXPECT_EQ(filter->CallCount("GetStoredRemoteFileName"), 1u);
}

TEST_F(Deleting, RepositoryMessageReachesTheHost) {
    filter->knobs.deleteResult = E_ACCESSDENIED;
    filter->knobs.deleteMessage = L"locked by Ann";
    auto item = NewMap();
    BSTR errorText = nullptr;
    EXPECT_EQ(Deleteable()->raw_DeleteItem(item.get(), &errorText), E_ACCESSDENIED);
    EXPECT_EQ(CStdStr<wchar_t>(errorText), L"locked by Ann");
    SysFreeString(errorText);
}

TEST_F(Deleting, ExceptionsAreAnsweredByTheDeleteItself) {
    auto item = NewMap();
    struct Case {
        std::function<void()> raise;
        HRESULT result;
        const wchar_t* errorText;
        const char* logged;
    };
    const Case cases[] = {
        {[] { throw CStdStr<wchar_t>(L"not allowed"); }, S_FALSE, L"not allowed", "Error is :not allowed"},
        {[] { _com_issue_error(E_ACCESSDENIED); }, E_FAIL, nullptr, nullptr},
        {[] { throw LSHttpError(503, L"Service Unavailable"); }, E_FAIL, nullptr,
         "Http Error is :Service Unavailable"},
        {[] { ThrowHResult(E_ACCESSDENIED); }, E_ACCESSDENIED, nullptr, nullptr},
        {[] { throw std::runtime_error("x"); }, E_FAIL, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        LogCapture log;
        filter->hook = [&](const std::string& operation) {
            if (operation == "DeleteFileRemote") {
                c.raise();
            }
        };
        BSTR errorText = nullptr;
        EXPECT_EQ(Deleteable()->raw_DeleteItem(item.get(), &errorText), c.result);
        if (c.errorText == nullptr) {
            EXPECT_EQ(errorText, nullptr);
        } else {
            EXPECT_EQ(CStdStr<wchar_t>(errorText), c.errorText);
        }
        SysFreeString(errorText);
        if (c.logged != nullptr) {
            const std::vector<std::string> errors = log.Errors();
            EXPECT_NE(std::find(errors.begin(), errors.end(), c.logged), errors.end());
        }
    }
}

TEST_F(Deleting, FolderDeletionIsNotImplementedInTheBase) {
    auto item = NewMap();
    item->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root/sub"));
    EXPECT_EQ(Deleteable()->raw_DeleteItem(item.get(), nullptr), E_NOTIMPL);
    EXPECT_EQ(Deleteable()->raw_DeleteItem(nullptr, nullptr), E_INVALIDARG);
}

TEST_F(Deleting, ServerItemEnumerationOfTheBase) {
    LONG count = 5;
    EXPECT_EQ(Deleteable()->get_ServerItemCount(nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(Deleteable()->get_ServerItemCount(nullptr, &count), E_NOTIMPL);
    EXPECT_EQ(count, 0);
    BSTR key = nullptr;
    EXPECT_EQ(Deleteable()->get_ServerItem(0, &key), E_NOTIMPL);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(Deleteable()->get_ServerItemKey(&key), S_OK);
    EXPECT_EQ(CStdStr<wchar_t>(key), L"Mavisto.FromServerFileId");
    SysFreeString(key);
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(Deleteable()->get_DeleteFlag(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(Deleteable()->get_DeleteFlag(nullptr), S_OK);
    EXPECT_EQ(Deleteable()->raw_DeleteMethod4(), E_FAIL);
}

} // namespace
