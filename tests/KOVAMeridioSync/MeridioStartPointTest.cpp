// Registering a start point (a container, or one document of it) and the pass on a single-document
// start point: the main folder's properties, the system configuration it keeps, and the one item.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "KOVACommon/LSBaseWS.h"

#include <map>

namespace {

using namespace MeridioTest;
using TestSupport::FlagProp;
using TestSupport::StrProp;

class MeridioStartPoint : public ::testing::Test {
protected:
    MeridioHost host;
};

TEST_F(MeridioStartPoint, ContainerRegistrationKeepsTheSystemConfiguration) {
    const std::wstring location = host.Location(L"container", 2);
    ASSERT_EQ(host.Register(location), S_OK);
    const auto& folder = *host.mainFolder;
    EXPECT_EQ(StrProp(folder, L"Mavisto.RepositoryType"), L"Meridio");
    EXPECT_EQ(StrProp(folder, L"Mavisto.RepositoryLocation"), location);
    EXPECT_EQ(StrProp(folder, L"DisplayName"), location);
    EXPECT_FALSE(StrProp(folder, L"FilterPropertyName"));
    EXPECT_FALSE(StrProp(folder, L"FilterPropertyValue"));

    const auto ctInfo = StrProp(folder, L"CTInfo");
    ASSERT_TRUE(ctInfo);
    IXMLDOMDocument2Ptr configuration;
    CreateDOMDocument(configuration, CStdStr<wchar_t>(*ctInfo));
    ASSERT_TRUE(configuration);
    EXPECT_EQ(configuration->selectNodes(L"/SystemConfiguration/Categories/Category")->Getlength(), 7);
    EXPECT_TRUE(configuration->selectSingleNode(
        L"/SystemConfiguration/CustomProperties/CustomProperty[@CustomPropertyName='Receipt Date']"));
    const std::vector<std::string> actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetSystemConfigurationData"), 1);
}

TEST_F(MeridioStartPoint, SingleDocumentIsRegisteredAndSyncedAlone) {
    const std::wstring location = host.Location(L"container", 2);
    const std::wstring startPoint = location + L"#filter:file|102/Project plan 2024.md";
    ASSERT_EQ(host.Register(startPoint), S_OK);
    auto& mainFolder = *host.mainFolder;
    EXPECT_EQ(StrProp(mainFolder, L"FilterPropertyName"), L"FileId");
    EXPECT_EQ(StrProp(mainFolder, L"FilterPropertyValue"), L"102");
    EXPECT_EQ(StrProp(mainFolder, L"Mavisto.RepositoryLocation"), startPoint);
    EXPECT_EQ(StrProp(mainFolder, L"Mavisto.FolderLocation"), location);
    EXPECT_TRUE(StrProp(mainFolder, L"CTInfo"));

    // The pass on the registered main folder lists the one document and no sub-folders.
    ASSERT_EQ(host.Sync()->raw_StartSync(0, host.mainFolder.get()), S_OK);
    ASSERT_EQ(host.ListMainFolder(), S_OK);
    EXPECT_EQ(FlagProp(mainFolder, L"KOVA.DisableFolderCreation"), 0xFF);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetSubFolderCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_EQ(count, 1);

    const auto item = host.Item(0);
    const std::wstring document = host.Location(L"document", 102);
    EXPECT_EQ(StrProp(*item, L"DisplayName"), L"Project plan 2024.md");
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileId"), document);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileUrl"), document + L"/title/Project_plan_2024");
    EXPECT_EQ(StrProp(*item, L"Meridio-DocID"), L"102");
    EXPECT_EQ(StrProp(*item, L"Meridio-Prop-9-1-1"), L"102");
    EXPECT_EQ(StrProp(*item, L"Meridio-Prop-9-1-12"), L"0");
    EXPECT_EQ(StrProp(*item, L"Meridio-Project Code"), L"PRJ-2024-07");
    EXPECT_EQ(StrProp(*item, L"0x0c1a001f"), L"Anna Müller");
    EXPECT_FALSE(StrProp(*item, L"ows-CheckoutUser"));
    EXPECT_EQ(StrProp(*item, L"Mavisto.FormRegionClass"), L"IPM.Post.KOVA.Doc.SharePoint.md.4");
    EXPECT_EQ(StrProp(*item, L"Document ID Value"), L"102");

    const std::vector<std::string> actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetDocumentPreviewPropertiesFull"), 2);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetContainerFullEx"), 0);
}

TEST_F(MeridioStartPoint, LockedSingleDocumentShowsItsLockHolder) {
    ASSERT_EQ(host.Register(host.Location(L"container", 2) + L"#filter:file|103"), S_OK);
    ASSERT_EQ(host.Sync()->raw_StartSync(0, host.mainFolder.get()), S_OK);
    ASSERT_EQ(host.ListMainFolder(), S_OK);
    const auto item = host.Item(0);
    EXPECT_EQ(StrProp(*item, L"ows-CheckoutUser"), std::wstring(CStdStr<wchar_t>(4264)));
    EXPECT_EQ(StrProp(*item, L"Meridio-Prop-9-1-12"), L"1");
}

// The actions the server received after the first `skipped` ones.
std::vector<std::string> ActionsAfter(MeridioHost& host, std::size_t skipped) {
    std::vector<std::string> actions = host.Actions();
    actions.erase(actions.begin(), actions.begin() + static_cast<std::ptrdiff_t>(skipped));
    return actions;
}

// One object serves one start point after another: a single-document start point leaves nothing
// that a later container start point would take for its own (filter, location, read-only answers).
TEST_F(MeridioStartPoint, ContainerStartPointAfterASingleDocumentOneOnTheSameObject) {
    const std::wstring container = host.Location(L"container", 1);
    ASSERT_EQ(host.Register(container + L"#filter:file|101/Welcome.txt"), S_OK);
    ASSERT_EQ(StrProp(*host.mainFolder, L"FilterPropertyValue"), L"101");

    const std::size_t before = host.Actions().size();
    auto registered = NewMap();
    BSTR errorText = nullptr;
    ASSERT_EQ(host.Sync()->raw_SetSyncStartPointByString(_bstr_t(container.c_str()), &errorText), S_OK);
    SysFreeString(errorText);
    ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(0, registered.get()), S_OK);
    ASSERT_EQ(host.Sync()->raw_SetItemProperties(0, registered.get()), S_OK);
    const std::vector<std::string> actions = ActionsAfter(host, before);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetContainerFullEx"), 1);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetDocumentPreviewPropertiesFull"), 0);
    EXPECT_EQ(StrProp(*registered, L"Mavisto.RepositoryLocation"), container);
    EXPECT_EQ(StrProp(*registered, L"KOVA.RepositoryOriginalLocation"), container);
    EXPECT_EQ(StrProp(*registered, L"Mavisto.FolderLocation"), container);
    EXPECT_FALSE(StrProp(*registered, L"FilterPropertyName"));
    EXPECT_FALSE(StrProp(*registered, L"FilterPropertyValue"));

    // The pass lists the whole container and marks what the user may not change read-only: the
    // document 101 and the sub-container 3 (both canDo 1), and the records class.
    host.mainFolder = std::move(registered);
    ASSERT_EQ(host.ListFolder(container), S_OK);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_EQ(count, 1);
    const auto item = host.Item(0);
    EXPECT_EQ(StrProp(*item, L"DisplayName"), L"Welcome.txt");
    EXPECT_EQ(StrProp(*item, L"ows-PermMask"), L"0x0000000000000001");

    ASSERT_EQ(host.Sync()->raw_GetSubFolderCount(&count), S_OK);
    ASSERT_EQ(count, 4);
    std::map<std::wstring, std::wstring> permissions;
    for (USHORT index = 0; index < count; ++index) {
        auto subFolder = NewMap();
        ASSERT_EQ(host.Sync()->raw_GetSubFolderBasicProps(index, subFolder.get()), S_OK);
        ASSERT_EQ(host.Sync()->raw_SetSubFolderProperties(index, subFolder.get()), S_OK);
        permissions[StrProp(*subFolder, L"DisplayName").value_or(L"")] =
            StrProp(*subFolder, L"KOVA.PermMask2").value_or(L"");
    }
    EXPECT_EQ(permissions[L"Übersicht Café"], L"0x0000000000000001");
    EXPECT_EQ(permissions[L"Finance Records"], L"0x0000000000000001");
    EXPECT_EQ(permissions[L"Mail"], L"0x7FFFFFFFFFFFFFFF");
}

// A start point that only sets the folder up lists nothing, and nothing of the former folder's
// listing answers for it.
TEST_F(MeridioStartPoint, SetUpOnlyStartPointLeavesNoListingOfTheFormerFolder) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 1)), S_OK);
    auto other = NewMap();
    other->Set(L"Mavisto.FolderLocation", host.Location(L"container", 4));
    ASSERT_EQ(host.Sync()->raw_SetSyncStartPoint(other.get(), VARIANT_TRUE, VARIANT_FALSE, VARIANT_FALSE, 0,
                                                 VARIANT_FALSE),
              S_OK);
    USHORT count = 7;
    ASSERT_EQ(host.Sync()->raw_GetSubFolderCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    auto subFolder = NewMap();
    EXPECT_EQ(host.Sync()->raw_SetSubFolderProperties(0, subFolder.get()), E_INVALIDARG);
    EXPECT_TRUE(subFolder->Properties().empty());
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"container", 2).c_str()), 1), E_FAIL);
}

} // namespace
