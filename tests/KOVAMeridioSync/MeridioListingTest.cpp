// A container listing as the host reads it: sub-containers, documents latest first, their names,
// URLs and the properties the filter writes on them.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

namespace {

using namespace MeridioTest;
using TestSupport::DateOf;
using TestSupport::DateProp;
using TestSupport::FlagProp;
using TestSupport::StrProp;
using TestSupport::Time;

constexpr long kMailroom = 50;

DemoMeridio::Document MakeDocument(long id, const std::string& title, const std::string& file,
                                   const std::string& date, int category,
                                   std::vector<DemoMeridio::CustomValue> properties) {
    DemoMeridio::Document document;
    document.id = id;
    document.title = title;
    document.categoryId = category;
    document.createdBy = "Carl Creator";
    document.created = date;
    document.versions = {{1, file, date, ""}};
    document.content = title;
    document.properties = std::move(properties);
    return document;
}

// A container "Mailroom" under the top one with documents whose columns the listing must handle.
void AddMailroom(DemoMeridio::Repository& repository) {
    DemoMeridio::Container mailroom;
    mailroom.id = kMailroom;
    mailroom.parentId = 1;
    mailroom.title = "Mailroom";
    mailroom.owner = "Carl Creator";
    mailroom.documentIds = {501, 502, 503};
    repository.AddContainer(mailroom);

    DemoMeridio::Document report =
        MakeDocument(501, "Report", "report.final.docx", "2024-05-02T10:00:00Z", 4,
                     {{3, 104, "Bea Sender"}, {5, 108, "2024-05-01T08:30:00Z"}, {4, 120, "1"}});
    report.lock = DemoMeridio::Lock{"Bea Sender", "2024-05-02T11:00:00Z"};
    repository.AddDocument(report);
    // No category; a receipt date on the last day before the dates that count.
    repository.AddDocument(MakeDocument(502, "Summary.pdf", "summary-v2.pdf", "2024-05-03T09:00:00Z", 0,
                                        {{5, 108, "1899-12-31T00:00:00Z"}}));
    repository.AddDocument(MakeDocument(503, "Old plan", "old plan.txt", "2023-01-01T00:00:00Z", 7,
                                        {{5, 108, "1900-01-01T00:00:00Z"}}));
}

class MeridioListing : public ::testing::Test {
protected:
    MeridioHost host;
};

TEST_F(MeridioListing, SubContainersAreListedWithoutTheListedContainerItself) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 1)), S_OK);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetSubFolderCount(&count), S_OK);
    struct Expected {
        const wchar_t* name;
        std::wstring location;
    };
    const Expected expected[] = {{L"Projects & Plans", host.Location(L"container", 2)},
                                 {L"Übersicht Café", host.Location(L"container", 3)},
                                 {L"Mail", host.Location(L"container", 4)},
                                 {L"Finance Records", host.Location(L"class", 20)}};
    ASSERT_EQ(count, std::size(expected));
    for (USHORT index = 0; index < count; ++index) {
        SCOPED_TRACE(index);
        auto subFolder = NewMap();
        ASSERT_EQ(host.Sync()->raw_GetSubFolderBasicProps(index, subFolder.get()), S_OK);
        EXPECT_EQ(StrProp(*subFolder, L"DisplayName"), expected[index].name);
        EXPECT_EQ(StrProp(*subFolder, L"Mavisto.RepositoryLocation"), expected[index].location);
        ASSERT_EQ(host.Sync()->raw_SetSubFolderProperties(index, subFolder.get()), S_OK);
        EXPECT_EQ(StrProp(*subFolder, L"Mavisto.FromServerShortItemId"), expected[index].location);
    }

    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(StrProp(*host.Item(0), L"FileName"), L"Welcome.txt");
}

TEST_F(MeridioListing, DocumentsComeLatestFirstWithTheirNamesAndUrls) {
    host.Server().ChangeRepository(AddMailroom);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", kMailroom)), S_OK);
    struct Expected {
        long id;
        const wchar_t* name;
        const wchar_t* titleInUrl;
    };
    // The extension of the file name is appended unless the title already ends with it.
    const Expected expected[] = {{502, L"Summary.pdf", L"Summary.pdf"},
                                 {501, L"Report.docx", L"Report"},
                                 {503, L"Old plan.txt", L"Old_plan"}};
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_EQ(count, std::size(expected));
    for (USHORT index = 0; index < count; ++index) {
        SCOPED_TRACE(index);
        const std::wstring location = host.Location(L"document", expected[index].id);
        const auto item = host.Item(index);
        EXPECT_EQ(StrProp(*item, L"DisplayName"), expected[index].name);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileName"), expected[index].name);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileId"), location);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerFileUrl"),
                  location + L"/title/" + expected[index].titleInUrl);
    }
}

TEST_F(MeridioListing, ServerColumnsBecomeItemProperties) {
    host.Server().ChangeRepository(AddMailroom);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", kMailroom)), S_OK);
    struct Expected {
        USHORT index;
        const wchar_t* docId;
        const wchar_t* lastModified;
        const wchar_t* sender;
        DATE delivery;
        std::optional<std::wstring> checkoutUser;
        std::optional<BYTE> hasAttachments;
        const wchar_t* formRegionClass;
    };
    const std::wstring checkedOut = CStdStr<wchar_t>(4264);
    const Expected expected[] = {
        // No From column: the creator is the sender; a receipt date of 1899-12-31 does not count.
        {0, L"502", L"2024-05-03T09:00:00Z", L"Carl Creator", DateOf(Time(2024, 5, 3, 9)), std::nullopt,
         std::nullopt, L"IPM.Post.KOVA.Doc.SharePoint.pdf.doc"},
        // Locked, with a receipt date and attachments.
        {1, L"501", L"2024-05-02T10:00:00Z", L"Bea Sender", DateOf(Time(2024, 5, 1, 8, 30)), checkedOut, 1,
         L"IPM.Post.KOVA.Doc.SharePoint.docx.4"},
        {2, L"503", L"2023-01-01T00:00:00Z", L"Carl Creator", DateOf(Time(1900, 1, 1)), std::nullopt,
         std::nullopt, L"IPM.Post.KOVA.Doc.SharePoint.txt.7"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.docId);
        const auto item = host.Item(e.index);
        EXPECT_EQ(StrProp(*item, L"Meridio-DOCID"), e.docId);
        EXPECT_EQ(StrProp(*item, L"Meridio-Prop-9-1-1"), e.docId);
        EXPECT_EQ(StrProp(*item, L"Meridio-Prop-9-2-20"), e.lastModified);
        EXPECT_EQ(StrProp(*item, L"Meridio-Prop-9-0-2"), L"Carl Creator");
        EXPECT_EQ(StrProp(*item, L"Meridio-canDo"), L"-1");
        EXPECT_EQ(StrProp(*item, L"0x0c1a001f"), e.sender);
        EXPECT_EQ(DateProp(*item, L"0x0e060040"), e.delivery);
        EXPECT_EQ(StrProp(*item, L"ows-CheckoutUser"), e.checkoutUser);
        EXPECT_EQ(FlagProp(*item, L"0x0e1b000b"), e.hasAttachments);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FormRegionClass"), e.formRegionClass);
        EXPECT_EQ(StrProp(*item, L"Document ID Value"), e.docId);
    }
}

TEST_F(MeridioListing, ARowWhoseReceiptDateDoesNotConvertFailsTheListing) {
    // The row's values are written when the item's properties are, but checked when it is listed.
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        AddMailroom(repository);
        repository.AddDocument(
            MakeDocument(504, "Broken", "broken.txt", "2024-05-04T09:00:00Z", 4, {{5, 108, "not a date"}}));
        repository.FindContainer(kMailroom)->documentIds.push_back(504);
    });
    EXPECT_TRUE(FAILED(host.ListFolder(host.Location(L"container", kMailroom))));
}

TEST_F(MeridioListing, RightsMaskAndRecordsDecideWhatIsReadOnly) {
    struct Case {
        const wchar_t* kind;
        long container;
        long document;
        const wchar_t* documentKind;
        const wchar_t* permission;
    };
    constexpr const wchar_t* kReadOnly = L"0x0000000000000001";
    constexpr const wchar_t* kFullRights = L"0x7FFFFFFFFFFFFFFF";
    const Case cases[] = {
        {L"container", 1, 101, L"document", kReadOnly},   // a mask without the change rights
        {L"container", 2, 103, L"document", kFullRights}, // 0xBFB3: every bit that grants changes
        {L"container", 2, 102, L"document", kFullRights}, // -1: every right
        {L"folder", 21, 107, L"record", kReadOnly},       // records never change
        {L"folder", 21, 108, L"document", kFullRights},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        ASSERT_EQ(host.ListFolder(host.Location(c.kind, c.container)), S_OK);
        USHORT count = 0;
        ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
        std::optional<std::wstring> permission;
        for (USHORT index = 0; index < count; ++index) {
            const auto item = host.Item(index);
            if (StrProp(*item, L"Mavisto.FromServerFileId") == host.Location(c.documentKind, c.document)) {
                permission = StrProp(*item, L"ows-PermMask");
            }
        }
        EXPECT_EQ(permission, c.permission);
    }
}

TEST_F(MeridioListing, ItemPropertiesAreWrittenWhenTheRepositoryHasNoFieldDefinitions) {
    // Without content-type information no field set can type the values; they are stored as text.
    host.mainFolder->Set(L"CTInfo", std::wstring());
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const USHORT index = IndexOf(host, 102);
    auto item = NewMap();
    ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
    EXPECT_EQ(host.Sync()->raw_SetItemProperties(index, item.get()), S_OK);
    EXPECT_EQ(StrProp(*item, L"Meridio-DOCID"), L"102");
    EXPECT_TRUE(StrProp(*item, L"Mavisto.FromServerFileUrl"));
}

} // namespace
