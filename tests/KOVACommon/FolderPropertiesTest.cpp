#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"

#include <functional>

namespace {

using namespace TestSupport;

class FolderProperties : public FilterTest {};

TEST_F(FolderProperties, MainFolderGetsTheRepositoryProperties) {
    StartFolderPass();
    ASSERT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), S_OK);
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.RepositoryType"), L"TestRepo");
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.RepositoryTypeDisplayName"), L"TestRepo");
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.RepositoryLocation"), L"test://root");
    EXPECT_EQ(StrProp(*mainFolder, L"KOVA.RepositoryOriginalLocation"), L"");
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.FolderLocation"), L"test://root");
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.FolderLocationUrl"), L"https://test/test://root");
    EXPECT_EQ(NumProp(*mainFolder, L"Mavisto.SyncDisabled"), 0);
    EXPECT_EQ(NumProp(*mainFolder, L"Mavisto.MainFolder"), 1);
    EXPECT_EQ(StrProp(*mainFolder, L"KOVA.PermMask2"), L"0x7FFFFFFFFFFFFFFF");
    EXPECT_FALSE(StrProp(*mainFolder, L"CTInfo"));
    EXPECT_FALSE(FlagProp(*mainFolder, L"KOVA.DisableFolderCreation"));
    EXPECT_FALSE(FlagProp(*mainFolder, L"Mavisto.NoDocsAllowed"));
}

TEST_F(FolderProperties, MainFolderPermissionText) {
    struct Case {
        bool readOnly;
        const wchar_t* repositoryText;
        const wchar_t* written;
    };
    const Case cases[] = {{false, L"", L"0x7FFFFFFFFFFFFFFF"},
                          {true, L"", L"0x0000000000000001"},
                          {true, L"0x00000000000000AB", L"0x00000000000000AB"}};
    for (const Case& c : cases) {
        filter->knobs.readOnly = c.readOnly;
        filter->knobs.permissionText = c.repositoryText;
        ASSERT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), S_OK);
        EXPECT_EQ(StrProp(*mainFolder, L"KOVA.PermMask2"), c.written);
    }
    filter->knobs.readOnlyResult = E_ACCESSDENIED;
    EXPECT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), E_ACCESSDENIED);
}

TEST_F(FolderProperties, ContentTypeTextAndRootPairsGoOnTheMainFolder) {
    filter->SetContentTypeText(L"<Config CategoryName=\"Mail\" CategoryId=\"4\"/>");
    filter->AddRootFolderPair(L"isListFolder", L"yes");
    filter->AddRootFolderPair(L"Repo.Extra", L"value");
    ASSERT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), S_OK);
    EXPECT_EQ(StrProp(*mainFolder, L"CTInfo"), L"<Config CategoryName=\"Mail\" CategoryId=\"4\"/>");
    EXPECT_EQ(StrProp(*mainFolder, L"isListFolder"), L"yes");
    EXPECT_EQ(StrProp(*mainFolder, L"Repo.Extra"), L"value");
    EXPECT_EQ(FlagProp(*mainFolder, L"SPIsList"), 1);
}

TEST_F(FolderProperties, RefusedWriteReachesTheHost) {
    mainFolder->Failures().Fail(Host::PropertyMapMethod::PutItemStr, E_ACCESSDENIED,
                                L"Mavisto.FolderLocation");
    EXPECT_EQ(filter->raw_SetMainFolderProperties(mainFolder.get()), E_ACCESSDENIED);
    EXPECT_EQ(StrProp(*mainFolder, L"Mavisto.RepositoryType"), L"TestRepo");
    EXPECT_FALSE(NumProp(*mainFolder, L"Mavisto.MainFolder"));
}

TEST_F(FolderProperties, ContentTypeInfoIsReadFromTheMainFolder) {
    EXPECT_THROW(filter->GetContentTypeInfo(), _com_error);
    ASSERT_EQ(Sync()->raw_StartSync(0, mainFolder.get()), S_OK);
    EXPECT_THROW(filter->GetContentTypeInfo(), long);

    mainFolder->Set(L"CTInfo",
                    std::wstring(L"<Config><Category CategoryName=\"Mail\" CategoryId=\"4\"/></Config>"));
    IXMLDOMDocument2Ptr document = filter->GetContentTypeInfo();
    ASSERT_NE(document, nullptr);
    IXMLDOMNode* category = nullptr;
    EXPECT_EQ(document->selectSingleNode(_bstr_t(L"//*[@CategoryName]"), &category), S_OK);
    ASSERT_NE(category, nullptr);
    category->Release();
    // Kept until the pass ends.
    EXPECT_EQ(filter->GetContentTypeInfo(), document);
    ASSERT_EQ(Sync()->raw_EndSync(0, VARIANT_TRUE, 0), S_OK);
    EXPECT_THROW(filter->GetContentTypeInfo(), _com_error);
}

TEST_F(FolderProperties, SubFolderProperties) {
    filter->subFolders.push_back({L"Projects", L"test://root/projects", {}});
    filter->subFolders.push_back({L"Archive",
                                  L"test://root/archive",
                                  {{L"forceReadOnly", L"1"},
                                   {L"KOVA.CustomDirectoryIconIndex", L"3"},
                                   {L"Mavisto.BackgroundSyncDisabled", L"1"},
                                   {L"KOVA.RecordType", L"skip"},
                                   {L"KOVA.AddFolderRecordType", L"skip"},
                                   {L"IsListFolder", L"1"}}});
    StartFolderPass();
    auto projects = NewMap();
    ASSERT_EQ(Sync()->raw_SetSubFolderProperties(0, projects.get()), S_OK);
    EXPECT_EQ(StrProp(*projects, L"Mavisto.RepositoryType"), L"TestRepo");
    EXPECT_EQ(StrProp(*projects, L"Mavisto.RepositoryLocation"), L"test://root/projects");
    EXPECT_EQ(StrProp(*projects, L"Mavisto.FolderLocation"), L"test://root/projects");
    EXPECT_EQ(StrProp(*projects, L"Mavisto.FolderLocationUrl"), L"https://test/test://root/projects");
    EXPECT_EQ(StrProp(*projects, L"Mavisto.FromServerFileName"), L"Projects");
    EXPECT_EQ(StrProp(*projects, L"KOVA.PermMask2"), L"0x7FFFFFFFFFFFFFFF");
    EXPECT_EQ(StrProp(*projects, L"Mavisto.FromServerShortItemId"), L"test://root/projects");

    filter->calls.clear();
    auto archive = NewMap();
    ASSERT_EQ(Sync()->raw_SetSubFolderProperties(1, archive.get()), S_OK);
    EXPECT_EQ(filter->CallCount("isItemReadOnly"), 0u);
    EXPECT_EQ(StrProp(*archive, L"KOVA.PermMask2"), L"0x0000000000000001");
    EXPECT_EQ(StrProp(*archive, L"KOVA.CustomDirectoryIconIndex"), L"3");
    EXPECT_EQ(StrProp(*archive, L"Mavisto.BackgroundSyncDisabled"), L"1");
    EXPECT_FALSE(StrProp(*archive, L"KOVA.RecordType"));
    EXPECT_FALSE(StrProp(*archive, L"KOVA.AddFolderRecordType"));
    EXPECT_EQ(FlagProp(*archive, L"SPIsList"), 1);
}

TEST_F(FolderProperties, EncodedNamesFitTheRepository) {
    const CStdStr<wchar_t> untitled(4005);
    ASSERT_FALSE(untitled.empty());
    const std::pair<const wchar_t*, CStdStr<wchar_t>> cases[] = {
        {L"a:b", L"a b"},
        {L"  x*y?  ", L"x y"},
        {L"tab\there", L"tab here"},
        {L"", untitled},
        {L"///", untitled},
        {L".hidden", untitled + L".hidden"},
        {L"Plan \"Q1\" <draft>|v2\\final", L"Plan  Q1   draft  v2 final"},
    };
    for (const auto& [name, encoded] : cases) {
        EXPECT_EQ(filter->EncodeFileName(name), encoded) << CStdStr<wchar_t>(name);
    }
}

TEST_F(FolderProperties, RenamedOutlookFolderIsRenamedOnTheServer) {
    filter->subFolders.push_back({L"Projects", L"test://root/projects", {}});
    auto outlookFolder = NewMap();
    auto properties = NewMap();
    outlookFolder->Set(L"0x3001001f", std::wstring(L"Projects"));
    properties->Set(L"Mavisto.FromServerFileName", std::wstring(L"Projects"));
    properties->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root/projects"));
    EXPECT_EQ(Sync()->raw_UpdateFolder(nullptr, outlookFolder.get(), properties.get(), 0), S_OK);
    EXPECT_EQ(filter->CallCount("RenameFolderRemote"), 0u);

    outlookFolder->Set(L"0x3001001f", std::wstring(L"Old projects"));
    EXPECT_EQ(Sync()->raw_UpdateFolder(nullptr, outlookFolder.get(), properties.get(), 0), S_OK);
    EXPECT_EQ(filter->subFolders[0].name, L"Old projects");

    auto unnamed = NewMap();
    EXPECT_EQ(Sync()->raw_UpdateFolder(nullptr, unnamed.get(), properties.get(), 0), E_FAIL);
    EXPECT_EQ(Sync()->raw_UpdateFolder(nullptr, outlookFolder.get(), unnamed.get(), 0), E_FAIL);
}

TEST_F(FolderProperties, PreContentSyncListsAgainOnlyAfterAChange) {
    StartFolderPass();
    EXPECT_EQ(filter->CallCount("GetContents"), 1u);
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), 1u);

    // A change of any kind makes every following call list again, until the next start point.
    auto parent = NewMap();
    auto created = NewMap();
    parent->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root"));
    created->Set(L"DisplayName", std::wstring(L"New"));
    filter->knobs.createDirectoryResult = E_ACCESSDENIED;
    EXPECT_EQ(Creatable()->raw_CreateFolder(nullptr, parent.get(), created.get()), E_ACCESSDENIED);
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_TRUE), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), 2u);
    EXPECT_EQ(filter->ListingMode(), 1);
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), 3u);

    StartFolderPass();
    EXPECT_EQ(filter->CallCount("GetContents"), 4u);
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), 4u);
}

TEST_F(FolderProperties, PreContentSyncListsWhenNoListingWasLoaded) {
    filter->knobs.contentsResult = E_FAIL;
    EXPECT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, 0, 0, 0, 0), E_FAIL);
    filter->knobs.contentsResult = S_OK;
    EXPECT_EQ(Sync()->raw_PreContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(filter->CallCount("GetContents"), 2u);
    EXPECT_EQ(Sync()->raw_PostContentSyncFolderUpdate(folder.get(), VARIANT_FALSE, VARIANT_FALSE), S_OK);
}

// A call whose repository answer fails leaves the host's map as it was: what it would write is all
// learnt before its first write.
TEST_F(FolderProperties, FailedRepositoryAnswerLeavesTheMapUntouched) {
    filter->subFolders.push_back({L"Projects", L"test://root/projects", {}});
    AddDocument(L"a.doc", L"docs/a.doc", 1, std::nullopt);
    StartFolderPass();
    struct Case {
        const char* name;
        HRESULT TestRepositoryKnobs::*knob;
        std::function<HRESULT(ILSPropertyMap*)> call;
    };
    const Case cases[] = {
        {"main folder, read-only answer", &TestRepositoryKnobs::readOnlyResult,
         [this](ILSPropertyMap* map) { return filter->raw_SetMainFolderProperties(map); }},
        {"sub-folder, read-only answer", &TestRepositoryKnobs::readOnlyResult,
         [this](ILSPropertyMap* map) { return Sync()->raw_SetSubFolderProperties(0, map); }},
        {"item, read-only answer", &TestRepositoryKnobs::readOnlyResult,
         [this](ILSPropertyMap* map) { return Sync()->raw_SetItemProperties(0, map); }},
        {"item basic properties, URL", &TestRepositoryKnobs::fileUrlResult,
         [this](ILSPropertyMap* map) { return Sync()->raw_GetItemBasicProps(0, map); }},
        {"item properties, URL", &TestRepositoryKnobs::fileUrlResult,
         [this](ILSPropertyMap* map) { return Sync()->raw_SetItemProperties(0, map); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        filter->knobs.*test.knob = E_ACCESSDENIED;
        auto map = NewMap();
        EXPECT_TRUE(FAILED(test.call(map.get())));
        EXPECT_TRUE(map->Properties().empty());
        filter->knobs.*test.knob = S_OK;
    }
}

} // namespace
