// Uploads: the host adds a new local item to a synced folder or updates a changed one, and the filter
// sends the content as a DIME message (DMWS AddObject2), then links a new document to the folder.
#include "tests/KOVAMeridioSync/MeridioUploadFixture.h"

#include "Platform/Utf.h"
#include "tests/Support/TempDirectory.h"
#include "tests/VantrelCommon/ChildScenarios.h"
#include "tools/demo-meridio/soap/SoapReply.h"

#include <algorithm>
#include <fstream>
#include <functional>

namespace {

using namespace MeridioTest;

struct NewDocumentCase {
    const char* label;
    std::wstring fileName;
    std::string content;
    std::string title;
    int category;
    const char* major;
};

class MeridioNewDocument : public MeridioUpload, public ::testing::WithParamInterface<NewDocumentCase> {};

TEST_P(MeridioNewDocument, IsStoredWithItsContentAndTitleAndLinkedToTheContainer) {
    const NewDocumentCase& c = GetParam();
    ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto item = NewMap();
    ASSERT_EQ(AddNew(c.fileName, c.content, item.get()), S_OK);

    const Stored stored = Newest();
    EXPECT_EQ(stored.document.content, c.content);
    EXPECT_EQ(stored.document.title, c.title);
    EXPECT_EQ(stored.document.categoryId, c.category);
    EXPECT_EQ(stored.containers, std::vector<long>{2});
    EXPECT_TRUE(stored.parts.empty());
    EXPECT_EQ(TestSupport::StrProp(*item, L"Mavisto.FromServerFileId").value_or(L""),
              host.Location(L"document", stored.document.id));
    EXPECT_NE(LastBodyOf("AddObject2").find(std::string("<major>") + c.major + "</major>"),
              std::string::npos);
    const auto actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "GetFolder2"), 0);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "OutlookGetDocAdditionInfo"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MeridioNewDocument,
    ::testing::Values(NewDocumentCase{"dotted", L"report.final.docx", "abc", "report.final", 4, "false"},
                      NewDocumentCase{"noExtension", L"README", "0123456789", "README", 4, "false"},
                      NewDocumentCase{"empty", L"empty.txt", "", "empty", 4, "false"},
                      NewDocumentCase{"binary", L"b&w <1>.bin", std::string("\0\x01\xff\x7f\0", 5), "b&w <1>",
                                      4, "false"},
                      NewDocumentCase{"mail", L"note.msg", "mail body", "note", 5, "true"}),
    [](const auto& info) { return std::string(info.param.label); });

struct RecordsFolderCase {
    const char* label;
    std::optional<bool> declareAsRecords;
    bool isRecord;
    const wchar_t* kind; // of the server file id
    const char* major;
};

class MeridioRecordsFolderUpload : public MeridioUpload,
                                   public ::testing::WithParamInterface<RecordsFolderCase> {};

TEST_P(MeridioRecordsFolderUpload, EntersTheDocumentInTheCurrentPart) {
    const RecordsFolderCase& c = GetParam();
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        repository.FindContainer(21)->declareAsRecords = c.declareAsRecords;
    });
    ASSERT_EQ(host.ListFolder(host.Location(L"folder", 21)), S_OK);
    const auto item = NewMap();
    ASSERT_EQ(AddNew(L"contract.pdf", "signed", item.get()), S_OK);

    const Stored stored = Newest();
    EXPECT_EQ(stored.document.content, "signed");
    EXPECT_EQ(stored.document.isRecord, c.isRecord);
    EXPECT_EQ(stored.parts, std::vector<long>{212});
    EXPECT_TRUE(stored.containers.empty());
    EXPECT_EQ(TestSupport::StrProp(*item, L"Mavisto.FromServerFileId").value_or(L""),
              host.Location(c.kind, stored.document.id));
    EXPECT_NE(LastBodyOf("AddObject2").find(std::string("<major>") + c.major + "</major>"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Settings, MeridioRecordsFolderUpload,
                         ::testing::Values(RecordsFolderCase{"noSetting", std::nullopt, false, L"document",
                                                             "false"},
                                           RecordsFolderCase{"documents", false, false, L"document", "false"},
                                           RecordsFolderCase{"records", true, true, L"record", "true"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MeridioUpload, AnUpdateAddsAVersionUnderTheLockAndReleasesIt) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto item = host.Item(IndexOf(host, 102));
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    const auto localPath = temp.path() / "plan.md";
    std::ofstream(localPath) << "new plan";

    size_t versions = 0;
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        versions = repository.FindDocument(102)->versions.size();
    });

    ASSERT_EQ(host.Sync()->raw_UpdateDocument(_bstr_t(localPath.c_str()), _bstr_t(L"Project plan 2024.md"),
                                              nullptr, item.get()),
              S_OK);
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        const DemoMeridio::Document& document = *repository.FindDocument(102);
        EXPECT_EQ(document.content, "new plan");
        EXPECT_EQ(document.versions.size(), versions + 1);
        EXPECT_EQ(document.Latest().fileName, "Project plan 2024.md");
        EXPECT_FALSE(document.lock.has_value());
    });
    const std::string body = LastBodyOf("AddObject2");
    EXPECT_NE(body.find("<docId>102</docId>"), std::string::npos) << body;
    EXPECT_NE(body.find("<major>false</major>"), std::string::npos) << body;
    EXPECT_EQ(body.find("DOCUMENTS"), std::string::npos) << body;
}

struct FailureCase {
    const char* label;
    std::wstring fileName;
    bool deleteFolder;
};

class MeridioFailedUpload : public MeridioUpload, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MeridioFailedUpload, MarksTheItemAndStoresNothing) {
    const FailureCase& c = GetParam();
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 3)), S_OK);
    const Stored before = Newest();
    if (c.deleteFolder) {
        host.Server().ChangeRepository(
            [](DemoMeridio::Repository& repository) { repository.DeleteContainer(3); });
    }
    const auto item = NewMap();
    // The refusal recorded on the item is reported as one, and the item gets no server identity.
    EXPECT_EQ(AddNew(c.fileName, "content", item.get()), S_FALSE);
    EXPECT_EQ(TestSupport::StrProp(*item, L"Mavisto.SyncIssueType").value_or(L""), L"ERROR");
    EXPECT_FALSE(TestSupport::StrProp(*item, L"Mavisto.SyncIssueMessage").value_or(L"").empty());
    for (const wchar_t* name : {L"UniqueId", L"Mavisto.FromServerFileId", L"Mavisto.FromServerFileName",
                                L"DisplayName", L"Mavisto.FromServerFileUrl"}) {
        EXPECT_FALSE(TestSupport::StrProp(*item, name)) << Platform::WideToUtf8(name);
    }
    EXPECT_FALSE(TestSupport::NumProp(*item, L"VersionId"));
    EXPECT_EQ(Newest().document.id, before.document.id);
}

INSTANTIATE_TEST_SUITE_P(Failures, MeridioFailedUpload,
                         ::testing::Values(FailureCase{"folderGone", L"a.txt", true},
                                           FailureCase{"refusedByServer", L".txt", false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MeridioUpload, AnUpdateOfADocumentLockedByAnotherUserFails) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.FindDocument(102)->lock = DemoMeridio::Lock{"someone else", "2024-01-01T00:00:00Z"};
    });
    const auto item = host.Item(IndexOf(host, 102));
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    const auto localPath = temp.path() / "plan.md";
    std::ofstream(localPath) << "new plan";
    EXPECT_EQ(host.Sync()->raw_UpdateDocument(_bstr_t(localPath.c_str()), _bstr_t(L"Project plan 2024.md"),
                                              nullptr, item.get()),
              E_FAIL);
    EXPECT_EQ(host.ContentOf(102).find("new plan"), std::string::npos);
    const auto actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "AddObject2"), 0);
}

TEST_F(MeridioUpload, AMissingLocalFileFailsBeforeAnythingIsStored) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto item = NewMap();
    EXPECT_EQ(host.Sync()->raw_AddNewDocument(_bstr_t((temp.path() / "missing.txt").c_str()),
                                              _bstr_t(L"missing.txt"), nullptr, item.get()),
              E_FAIL);
    const auto actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "AddObject2"), 0);
}

TEST_F(MeridioUpload, AFileTooLargeForOneDimeRecordIsRefusedBeforeItsContentIsSent) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto localPath = temp.path() / "huge.bin";
    std::ofstream(localPath).close();
    std::filesystem::resize_file(localPath, (std::uintmax_t{1} << 32) + 1); // sparse: takes no disk space
    const auto item = NewMap();
    EXPECT_EQ(host.Sync()->raw_AddNewDocument(_bstr_t(localPath.c_str()), _bstr_t(L"huge.bin"), nullptr,
                                              item.get()),
              E_INVALIDARG);
    const auto actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "AddObject2"), 0);
}

struct FailedUpdateCase {
    const char* label;
    bool localFileMissing;
    // Applied to the reply of AddObject2 when given.
    std::function<void(DemoMeridio::HttpReply&)> rewrite;
};

class MeridioFailedUpdate : public MeridioUpload, public ::testing::WithParamInterface<FailedUpdateCase> {};

TEST_P(MeridioFailedUpdate, LeavesTheDocumentUnlocked) {
    const FailedUpdateCase& c = GetParam();
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto item = host.Item(IndexOf(host, 102));
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    const auto localPath = temp.path() / "plan.md";
    if (!c.localFileMissing) {
        std::ofstream(localPath) << "new plan";
    }
    if (c.rewrite) {
        host.Server().RewriteNextReply("AddObject2", c.rewrite);
    }
    host.Sync()->raw_UpdateDocument(_bstr_t(localPath.c_str()), _bstr_t(L"Project plan 2024.md"), nullptr,
                                    item.get());
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        EXPECT_FALSE(repository.FindDocument(102)->lock.has_value());
    });
    if (c.localFileMissing) {
        // The file is read before the lock would be taken.
        const auto actions = host.Actions();
        EXPECT_EQ(std::count(actions.begin(), actions.end(), "ApplyChanges"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MeridioFailedUpdate,
    ::testing::Values(FailedUpdateCase{"localFileMissing", true, nullptr},
                      FailedUpdateCase{"uploadRefused", false,
                                       [](DemoMeridio::HttpReply& reply) {
                                           reply = DemoMeridio::FaultReply(DemoMeridio::ServerFault(
                                               "API Error 21050: The disk is full."));
                                       }},
                      FailedUpdateCase{"replyWithoutDocumentId", false,
                                       [](DemoMeridio::HttpReply& reply) {
                                           const std::string id = "<docId>102</docId>";
                                           reply.body.replace(reply.body.find(id), id.size(), "");
                                       }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MeridioUpload, ARecordsFolderWithoutItsCurrentPartStoresNothing) {
    // The document could not be entered in any part: it would be stored in no folder at all.
    const struct {
        const char* label;
        std::function<void(DemoMeridio::HttpReply&)> rewrite;
        HRESULT hr;
        const wchar_t* issue; // the sync issue marked on the item
    } cases[] = {
        {"refused",
         [](DemoMeridio::HttpReply& reply) {
             reply =
                 DemoMeridio::FaultReply(DemoMeridio::ServerFault("API Error 30001: Folder unavailable."));
         },
         S_FALSE, L"ERROR"},
        {"noPart",
         [](DemoMeridio::HttpReply& reply) {
             const std::string part = "<currentPartId>212</currentPartId>";
             reply.body.replace(reply.body.find(part), part.size(), "<currentPartId />");
         },
         E_FAIL, L""},
    };
    const auto localPath = temp.path() / "contract.pdf";
    std::ofstream(localPath) << "signed";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        MeridioHost fresh;
        ASSERT_EQ(fresh.ListFolder(fresh.Location(L"folder", 21)), S_OK);
        fresh.Server().RewriteNextReply("GetFolder2", c.rewrite);
        const auto item = NewMap();
        EXPECT_EQ(fresh.Sync()->raw_AddNewDocument(_bstr_t(localPath.c_str()), _bstr_t(L"contract.pdf"),
                                                   nullptr, item.get()),
                  c.hr);
        EXPECT_EQ(TestSupport::StrProp(*item, L"Mavisto.SyncIssueType").value_or(L""), c.issue);
        const auto actions = fresh.Actions();
        EXPECT_EQ(std::count(actions.begin(), actions.end(), "AddObject2"), 0);
        EXPECT_EQ(std::count(actions.begin(), actions.end(), "ApplyChanges"), 0);
    }
}

} // namespace
