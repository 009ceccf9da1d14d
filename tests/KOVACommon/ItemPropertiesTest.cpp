#include "tests/KOVACommon/FilterTestFixture.h"
#include "tests/KOVACommon/RecordingPropertyMap.h"
#include "tests/KOVACommon/TestFieldSet.h"

#include "KOVACommon/LSFilterSupport.h"

namespace {

using namespace TestSupport;
using Elements = std::vector<std::wstring>;

const SYSTEMTIME Listed = Time(2024, 3, 5, 7, 8, 9);

std::wstring Element(const std::wstring& name, const std::wstring& value) {
    return name + L"\t" + value;
}

class ItemProperties : public FilterTest {
protected:
    ItemProperties() : item(RecordingPropertyMap::Create()) {}

    // Lists the documents, downloads the first one (so that its hash is known) and writes its
    // properties.
    HRESULT ListAndWrite(USHORT index = 0) {
        StartFolderPass();
        auto downloaded = NewMap();
        const HRESULT download = Sync()->raw_RetrieveItemToPath(
            0, _bstr_t(LocalPath("copy").c_str()), nullptr, downloaded.get(), VARIANT_FALSE, nullptr);
        EXPECT_EQ(download, S_OK);
        return Sync()->raw_SetItemProperties(index, item.get());
    }

    const Elements& Batch() {
        static const Elements none;
        EXPECT_EQ(item->batches.size(), 1u);
        return item->batches.empty() ? none : item->batches.front();
    }

    std::wstring DownloadHash() const { return GetHashForData("content"); }

    static std::wstring GetHashForData(const std::string& content) {
        return CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(content.data()),
                                       static_cast<DWORD>(content.size()));
    }

    Owned<RecordingPropertyMap> item;
};

TEST_F(ItemProperties, DocumentGetsItsValuesInOneBatch) {
    TestDocument& document = AddDocument(L"Report.docx", L"docs/7", 3, Listed);
    document.extra = {
        {L"fromUser", L"Ann Author"},
        {L"toUser", L"Bob Reader"},
        {L"receivedDate", L"2024-01-02T03:04:05Z"},
        {L"TestRepo-Title", L"Quarterly\treport"},
        {L"testrepo-Ignored", L"x"},
        {L"MavistoFromServerVersion", L"3"},
        {L"extension", L"docx"},
        {L"Mavisto.FormRegionClass", L"IPM.Post.KOVA.Doc.SharePoint.docx.doc"},
        {L"ows-CheckoutUser", L"checked out"},
        {L"KOVA.DuplicateHash", L"dup"},
        {L"ows-EmailFileId", L"mail-1"},
        {L"PR_HAS_ATTACH", L"1"},
        {L"DocIdProperty", L"7"},
        {L"DocIdLibProperty", L"lib-4"},
    };
    ASSERT_EQ(ListAndWrite(), S_OK);
    const Elements expected = {
        Element(L"Mavisto.FromServerETag", DownloadHash()),
        Element(L"Mavisto.FromServerFileName", L"Report.docx"),
        Element(L"Mavisto.FromServerFileUrl", L"https://test/docs/7"),
        Element(L"0x0c1a001f", L"Ann Author"),
        Element(L"0x0042001f", L"Ann Author"),
        Element(L"0x0e04001f", L"Bob Reader"),
        Element(L"ows-PermMask", L"0x7FFFFFFFFFFFFFFF"),
        Element(L"TestRepo-Title", L"Quarterly\treport"),
        Element(L"Mavisto.FromServerVersion", L"3"),
        Element(L"Mavisto.FormRegionClass", L"IPM.Post.KOVA.Doc.SharePoint.docx.doc"),
        Element(L"ows-CheckoutUser", L"checked out"),
        Element(L"KOVA.DuplicateHash", L"dup"),
        Element(L"ows-EmailFileId", L"mail-1"),
        Element(L"Document ID Value", L"7"),
        Element(L"KOVA.DocIdLib", L"lib-4"),
    };
    EXPECT_EQ(Batch(), expected);
    EXPECT_EQ(DateProp(item->Store(), L"RemoteFileLastModified"), DateOf(Listed));
    EXPECT_EQ(DateProp(item->Store(), L"0x0e060040"), DateOf(Time(2024, 1, 2, 3, 4, 5)));
    EXPECT_EQ(FlagProp(item->Store(), L"0x0e1b000b"), 1);
    EXPECT_FALSE(StrProp(item->Store(), L"Mavisto.FromServerFileId"));
}

TEST_F(ItemProperties, MailKeepsItsOwnSenderInFullSyncButNotInHeaderOnlySync) {
    struct Case {
        const char* what;
        bool headerOnly;
        bool skipUsers;
        bool usersWritten;
    };
    const Case cases[] = {
        {"full sync", false, false, false},
        {"header-only sync", true, false, true},
        {"header-only sync, users skipped", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        filter->documents.clear();
        AddDocument(L"Note.MSG", L"docs/9", 1, Listed).extra = {{L"fromUser", L"Ann"}, {L"toUser", L"Bob"}};
        filter->knobs.skipFromToUsers = c.skipUsers;
        item = Owned<RecordingPropertyMap>(RecordingPropertyMap::Create());
        StartFolderPass();
        if (c.headerOnly) {
            ASSERT_EQ(HeaderOnly()->raw_SetHeaderOnly(), S_OK);
        }
        ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
        Elements expected = {Element(L"Mavisto.FromServerFileName", L"Note.MSG"),
                             Element(L"Mavisto.FromServerFileUrl", L"https://test/docs/9")};
        if (c.usersWritten) {
            expected.push_back(Element(L"0x0c1a001f", L"Ann"));
            expected.push_back(Element(L"0x0042001f", L"Ann"));
            expected.push_back(Element(L"0x0e04001f", L"Bob"));
        }
        expected.push_back(Element(L"ows-PermMask", L"0x7FFFFFFFFFFFFFFF"));
        EXPECT_EQ(Batch(), expected);
        EXPECT_EQ(DateProp(item->Store(), L"0x0e060040").has_value(), c.usersWritten);
        EXPECT_EQ(filter->CallCount("SkipFromToUsers"), c.headerOnly ? 1u : 0u);
        filter->calls.clear();
    }
}

TEST_F(ItemProperties, ReadOnlyIsForcedOnlyByExactlyOne) {
    struct Case {
        const wchar_t* force;
        bool repositoryReadOnly;
        const wchar_t* repositoryText;
        const wchar_t* permission;
        size_t questions;
    };
    const Case cases[] = {
        {L"1", false, L"", L"0x0000000000000001", 0},
        {L"true", false, L"", L"0x7FFFFFFFFFFFFFFF", 1},
        {L"01", true, L"", L"0x0000000000000001", 1},
        {L"0", false, L"0x00000000000000FF", L"0x00000000000000FF", 1},
        {L"0", true, L"0x0000000000000FFF", L"0x0000000000000FFF", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CStdStr<wchar_t>(c.force) + L" " + c.repositoryText);
        filter->documents.clear();
        AddDocument(L"a.doc", L"docs/1", 1, Listed).extra = {{L"forceReadOnly", c.force}};
        filter->knobs.readOnly = c.repositoryReadOnly;
        filter->knobs.permissionText = c.repositoryText;
        item = Owned<RecordingPropertyMap>(RecordingPropertyMap::Create());
        StartFolderPass();
        filter->calls.clear();
        ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
        EXPECT_EQ(Batch().back(), Element(L"ows-PermMask", c.permission));
        EXPECT_EQ(filter->CallCount("isItemReadOnly"), c.questions);
    }
}

TEST_F(ItemProperties, CustomFieldsAreTypedThroughTheFieldSet) {
    auto* fieldSet = TestFieldSet::Create();
    fieldSet->fields[L"TestRepo-Amount"] = {L"Doc-Amount", 5};
    fieldSet->fields[L"TestRepo-Title"] = {L"Doc_Title", 1};
    filter->knobs.fieldSet = fieldSet;
    AddDocument(L"a.doc", L"docs/1", 1, Listed).extra = {
        {L"TestRepo-Amount", L"12.5"}, {L"TestRepo-Title", L"Plan"}, {L"TestRepo-Unknown", L"u"}};
    StartFolderPass();
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);

    const Elements& batch = Batch();
    EXPECT_NE(std::find(batch.begin(), batch.end(), Element(L"TestRepo-Amount", L"12.5")), batch.end());
    EXPECT_NE(std::find(batch.begin(), batch.end(), Element(L"TestRepo-Title", L"Plan")), batch.end());
    EXPECT_NE(std::find(batch.begin(), batch.end(), Element(L"TestRepo-Unknown", L"u")), batch.end());
    EXPECT_EQ(fieldSet->asked,
              (std::vector<std::wstring>{L"TestRepo-Amount", L"TestRepo-Title", L"TestRepo-Unknown"}));
    const Host::PropertyValue* amount = item->Store().Find(L"Doc----Amount");
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(std::get<double>(*amount), 12.5);
    EXPECT_EQ(StrProp(item->Store(), L"Doc-Title"), L"Plan");
    EXPECT_EQ(fieldSet->initialisedWith, static_cast<ILSPropertyMap*>(mainFolder.get()));

    // The field set is made once for the same pair of folder maps.
    auto second = Owned<RecordingPropertyMap>(RecordingPropertyMap::Create());
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, second.get()), S_OK);
    EXPECT_EQ(fieldSet->initialisations, 1u);
    EXPECT_EQ(filter->CallCount("CreateFieldSetInfo"), 1u);
}

TEST_F(ItemProperties, WithoutMainFolderCustomFieldsAreStringsOnly) {
    auto* fieldSet = TestFieldSet::Create();
    fieldSet->fields[L"TestRepo-Title"] = {L"Title", 1};
    filter->knobs.fieldSet = fieldSet;
    AddDocument(L"a.doc", L"docs/1", 1, Listed).extra = {{L"TestRepo-Title", L"Plan"}};
    ASSERT_EQ(Sync()->raw_SetSyncStartPoint(folder.get(), VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, 0,
                                            VARIANT_FALSE),
              S_OK);
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
    EXPECT_EQ(filter->CallCount("CreateFieldSetInfo"), 0u);
    EXPECT_FALSE(StrProp(item->Store(), L"Title"));
    EXPECT_EQ(StrProp(item->Store(), L"TestRepo-Title"), L"Plan");
}

TEST_F(ItemProperties, ItemWithoutExtraValuesGetsNoneOfThem) {
    AddDocument(L"a.doc", L"docs/1", 1, Listed);
    StartFolderPass();
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
    const Elements expected = {Element(L"Mavisto.FromServerFileName", L"a.doc"),
                               Element(L"Mavisto.FromServerFileUrl", L"https://test/docs/1"),
                               Element(L"ows-PermMask", L"0x7FFFFFFFFFFFFFFF")};
    EXPECT_EQ(Batch(), expected);
    // No date of this index was asked for in this listing before: the repository is asked now.
    EXPECT_EQ(DateProp(item->Store(), L"0x0e060040"), DateOf(Listed));
    EXPECT_EQ(DateProp(item->Store(), L"RemoteFileLastModified"), DateOf(Listed));
    EXPECT_FALSE(FlagProp(item->Store(), L"0x0e1b000b"));
}

TEST_F(ItemProperties, AnUnknownRemoteDateIsNeitherWrittenNorTakenForUnchanged) {
    AddDocument(L"a.doc", L"docs/1", 1, std::nullopt);
    StartFolderPass();
    auto synced = NewMap();
    synced->Set(L"Mavisto.MessageIsUnchanged", LONG(1));
    synced->Set(L"RemoteFileLastModified", Host::DateValue{DateOf(Listed)});
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, synced.get()), S_OK);
    EXPECT_EQ(DateProp(*synced, L"RemoteFileLastModified"), DateOf(Listed));
    EXPECT_FALSE(DateProp(*synced, L"0x0e060040"));

    // The change test still has no date to go by.
    LONG code = -1;
    EXPECT_EQ(Sync()->raw_HasChanges(0, synced.get(), &code), E_FAIL);
    EXPECT_EQ(code, -1);
}

TEST_F(ItemProperties, AttachmentFlagReadsTheFirstCharacter) {
    const std::pair<const wchar_t*, std::optional<BYTE>> cases[] = {
        {L"1", 1}, {L"10", 1}, {L"0", 0}, {L"yes", 0}, {L"", std::nullopt}};
    for (const auto& [text, flag] : cases) {
        SCOPED_TRACE(CStdStr<wchar_t>(text));
        filter->documents.clear();
        AddDocument(L"a.doc", L"docs/1", 1, Listed).extra = {{L"PR_HAS_ATTACH", text}};
        item = Owned<RecordingPropertyMap>(RecordingPropertyMap::Create());
        StartFolderPass();
        ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
        EXPECT_EQ(FlagProp(item->Store(), L"0x0e1b000b"), flag);
    }
}

TEST_F(ItemProperties, MailFormClassOfAMessageItem) {
    struct Case {
        const char* what;
        std::optional<std::wstring> messageClass;
        const wchar_t* extension;
        const wchar_t* formClass;
    };
    const Case cases[] = {
        {"no message class", std::nullopt, L"msg", L"IPM.Note.KOVA.Doc.Note.x.Note.y"},
        {"mail class", L"IPM.Note.Other", L"MSG", L"IPM.Note.KOVA.Doc.Note.x.Note.y"},
        {"post class", L"IPM.Post", L"msg", L"IPM.Post.KOVA.Doc.Post.x.Post.y"},
        {"document", L"IPM.Note", L"doc", L"IPM.Post.KOVA.Doc.Post.x.Post.y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        filter->documents.clear();
        AddDocument(L"a.doc", L"docs/1", 1, Listed).extra = {
            {L"extension", c.extension}, {L"Mavisto.FormRegionClass", L"IPM.Post.KOVA.Doc.Post.x.Post.y"}};
        item = Owned<RecordingPropertyMap>(RecordingPropertyMap::Create());
        if (c.messageClass) {
            item->Store().Set(L"0x001a001f", *c.messageClass);
        }
        StartFolderPass();
        ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
        EXPECT_EQ(StrProp(item->Store(), L"Mavisto.FormRegionClass"), c.formClass);
    }
}

TEST_F(ItemProperties, FailuresOfTheRepositoryAndOfTheBatch) {
    AddDocument(L"a.doc", L"docs/1", 1, Listed);
    StartFolderPass();
    filter->knobs.fileUrlResult = E_ACCESSDENIED;
    EXPECT_EQ(Sync()->raw_SetItemProperties(0, item.get()), E_ACCESSDENIED);
    filter->knobs.fileUrlResult = S_OK;
    filter->knobs.readOnlyResult = E_UNEXPECTED;
    EXPECT_EQ(Sync()->raw_SetItemProperties(0, item.get()), E_UNEXPECTED);
    filter->knobs.readOnlyResult = S_OK;
    item->Store().Failures().Fail(Host::PropertyMapMethod::PutItemVariant, E_OUTOFMEMORY);
    EXPECT_EQ(Sync()->raw_SetItemProperties(0, item.get()), E_OUTOFMEMORY);
}

TEST_F(ItemProperties, StringStartPointWritesTheMainFolderInstead) {
    ASSERT_EQ(Sync()->raw_SetSyncStartPointByString(_bstr_t(L"test://root\\leaf"), nullptr), S_OK);
    ASSERT_EQ(Sync()->raw_SetItemProperties(0, item.get()), S_OK);
    EXPECT_EQ(StrProp(item->Store(), L"Mavisto.RepositoryType"), L"TestRepo");
    EXPECT_EQ(NumProp(item->Store(), L"Mavisto.MainFolder"), 1);
    EXPECT_TRUE(item->batches.empty());
}

} // namespace
