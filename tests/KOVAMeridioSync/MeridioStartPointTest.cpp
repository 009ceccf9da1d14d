// Registering a start point (a container, or one document of it) and the pass on a single-document
// start point: the main folder's properties, the system configuration it keeps, and the one item.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "KOVACommon/LSBaseWS.h"

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

} // namespace
