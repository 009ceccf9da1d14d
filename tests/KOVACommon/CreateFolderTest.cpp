#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"

namespace {

using namespace TestSupport;

class CreateFolder : public FilterTest {
protected:
    CreateFolder() : parent(NewMap()), created(NewMap()) {
        parent->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root"));
        created->Set(L"DisplayName", std::wstring(L"Plans: 2024"));
    }

    HRESULT Create() { return Creatable()->raw_CreateFolder(nullptr, parent.get(), created.get()); }

    Owned<Host::LSMemoryPropertyMap> parent;
    Owned<Host::LSMemoryPropertyMap> created;
};

TEST_F(CreateFolder, NewFolderBecomesASyncedFolder) {
    ASSERT_EQ(Create(), S_OK);
    ASSERT_EQ(filter->subFolders.size(), 1u);
    EXPECT_EQ(filter->subFolders[0].name, L"Plans  2024");
    EXPECT_EQ(StrProp(*created, L"Mavisto.RepositoryType"), L"TestRepo");
    EXPECT_EQ(StrProp(*created, L"Mavisto.RepositoryLocation"), L"test://root/Plans  2024");
    EXPECT_EQ(StrProp(*created, L"Mavisto.FolderLocation"), L"test://root/Plans  2024");
    EXPECT_EQ(StrProp(*created, L"Mavisto.FolderLocationUrl"), L"https://test/test://root/Plans  2024");
    EXPECT_EQ(StrProp(*created, L"UniqueId"), GetHashForString(L"TEST://ROOT/PLANS  2024"));
    EXPECT_EQ(NumProp(*created, L"VersionId"), 1);
    EXPECT_EQ(StrProp(*created, L"DisplayName"), L"Plans  2024");
    EXPECT_FALSE(StrProp(*created, L"Mavisto.SyncIssueFolderMessage"));
}

TEST_F(CreateFolder, AnyNonNegativeResultCountsAsCreated) {
    filter->knobs.createDirectoryResult = S_FALSE;
    EXPECT_EQ(Create(), S_OK);
    EXPECT_EQ(NumProp(*created, L"VersionId"), 1);
}

TEST_F(CreateFolder, RefusedCreationLeavesTheFolderUntouched) {
    filter->knobs.createDirectoryResult = E_INVALIDARG;
    EXPECT_EQ(Create(), E_INVALIDARG);
    EXPECT_EQ(created->Properties().size(), 1u); // only its DisplayName
}

TEST_F(CreateFolder, UnreadableParentLocationLeavesTheSystemMessage) {
    parent->Failures().Fail(Host::PropertyMapMethod::GetItemStr, E_ACCESSDENIED, L"Mavisto.FolderLocation");
    EXPECT_EQ(Create(), E_ACCESSDENIED);
    EXPECT_EQ(filter->CallCount("CreateDirectoryRemote"), 0u);
    EXPECT_EQ(StrProp(*created, L"Mavisto.SyncIssueFolderMessage"),
              std::wstring(CStdStr<wchar_t>(_com_error(E_ACCESSDENIED).ErrorMessage())));
}

TEST_F(CreateFolder, EmptyParentLocationIsStillCreated) {
    parent->Set(L"Mavisto.FolderLocation", std::wstring());
    EXPECT_EQ(Create(), S_OK);
    EXPECT_EQ(StrProp(*created, L"Mavisto.FolderLocation"), L"/Plans  2024");
}

TEST_F(CreateFolder, FailedTypeWriteIsReturned) {
    created->Failures().Fail(Host::PropertyMapMethod::PutItemStr, E_ACCESSDENIED, L"Mavisto.RepositoryType");
    EXPECT_EQ(Create(), E_ACCESSDENIED);
    EXPECT_FALSE(StrProp(*created, L"Mavisto.FolderLocation"));
    EXPECT_FALSE(NumProp(*created, L"VersionId"));
}

TEST_F(CreateFolder, ThrownFailureBecomesTheFolderMessage) {
    filter->hook = [](const std::string& operation) {
        if (operation == "CreateDirectoryRemote") {
            throw hresult_exception(E_ACCESSDENIED, "no rights here");
        }
    };
    EXPECT_EQ(Create(), E_ACCESSDENIED);
    EXPECT_EQ(StrProp(*created, L"Mavisto.SyncIssueFolderMessage"), L"no rights here");
}

} // namespace
