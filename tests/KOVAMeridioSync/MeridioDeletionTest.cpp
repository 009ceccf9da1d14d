// Documents deleted through the host's interfaces. MeridioSync.DeleteType is read once per process, so
// each setting runs in a child process: what the server is asked (part list, reference count, the
// document row, the removal diffgrams) and what is left on it afterwards. Records are never deleted.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include "Platform/Utf.h"

#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

namespace {

using namespace MeridioTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

struct Deleted {
    HRESULT hr = E_FAIL;
    std::wstring errorText;
};

// Deletes the listed document at the location as the host does.
Deleted DeleteDocument(MeridioHost& host, const std::wstring& location) {
    auto item = NewMap();
    item->Set(L"Mavisto.FromServerFileId", location);
    BSTR errorText = nullptr;
    Deleted deleted;
    deleted.hr = host.Query<ILSDeleteableSyncFilter>()->raw_DeleteItem(item.get(), &errorText);
    deleted.errorText = errorText == nullptr ? L"" : errorText;
    SysFreeString(errorText);
    return deleted;
}

// "marked=0|1 refs=<containers> parts=<parts>" for the document on the server.
std::string StateOf(MeridioHost& host, long documentId) {
    std::ostringstream state;
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        state << "marked=" << repository.FindDocument(documentId)->markedForDelete << " refs=";
        for (long id : {1, 2, 3, 4}) {
            const auto& ids = repository.FindContainer(id)->documentIds;
            if (std::find(ids.begin(), ids.end(), documentId) != ids.end()) {
                state << id << ",";
            }
        }
        state << " parts=";
        for (const DemoMeridio::Repository::PartPlace& place : repository.PartsHolding(documentId)) {
            state << place.partId << ",";
        }
    });
    return state.str();
}

// The child lists $KOVA_DELETE_FOLDER (kind/id), deletes the document $KOVA_DELETE_DOCUMENT (kind/id)
// and reports to $KOVA_DELETE_REPORT: the result, the error text, the document's state on the server,
// then one line per request after the listing: action, TAB, body.
KOVA_CHILD_SCENARIO(MeridioDelete) {
    MeridioHost host;
    const auto location = [&](const char* variable) {
        const std::string text = std::getenv(variable);
        const std::size_t slash = text.find('/');
        return host.Location(Platform::Utf8ToWide(text.substr(0, slash)), std::stol(text.substr(slash + 1)));
    };
    ASSERT_EQ(host.ListFolder(location("KOVA_DELETE_FOLDER")), S_OK);
    const std::size_t listed = host.Server().ReceivedRequests().size();
    const std::wstring document = location("KOVA_DELETE_DOCUMENT");
    const Deleted deleted = DeleteDocument(host, document);
    std::ofstream report(std::getenv("KOVA_DELETE_REPORT"), std::ios::binary);
    report << deleted.hr << "\n"
           << Platform::WideToUtf8(deleted.errorText) << "\n"
           << StateOf(host, DocumentIdOf(document)) << "\n";
    const std::vector<DemoMeridio::IncomingRequest> requests = host.Server().ReceivedRequests();
    for (std::size_t i = listed; i < requests.size(); ++i) {
        report << ActionOf(requests[i]) << "\t" << requests[i].body << "\n";
    }
}

struct Report {
    HRESULT hr = E_FAIL;
    std::string errorText;
    std::string state;
    std::vector<std::string> actions;
    std::vector<std::string> bodies;
};

Report RunDeletion(const TestSupport::Settings& settings, const std::string& folder,
                   const std::string& document) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = settings;
    options.environment = {{"KOVA_DELETE_FOLDER", folder},
                           {"KOVA_DELETE_DOCUMENT", document},
                           {"KOVA_DELETE_REPORT", (work.path() / "report.txt").string()}};
    const ChildScenarios::Result result = ChildScenarios::Run("MeridioDelete", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    std::istringstream lines(ChildScenarios::ReadFile(work.path() / "report.txt"));
    Report report;
    std::string line;
    std::getline(lines, line);
    report.hr = line.empty() ? E_FAIL : static_cast<HRESULT>(std::stol(line));
    std::getline(lines, report.errorText);
    std::getline(lines, report.state);
    while (std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        report.actions.push_back(line.substr(0, tab));
        report.bodies.push_back(line.substr(tab + 1));
    }
    return report;
}

constexpr const char* kDocumentsRow = "<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\"";

std::string ReferenceRow(long containerId, long documentId) {
    return "<CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS1\" msdata:rowOrder=\"0\" "
           "xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><ContainerId>" +
           std::to_string(containerId) + "</ContainerId><DocumentRefId>" + std::to_string(documentId) +
           "</DocumentRefId></CONTAINER_DOCUMENTREFS>";
}

TEST(MeridioDeletion, TheSettingDecidesWhatIsRemoved) {
    struct Case {
        const char* name;
        TestSupport::Settings settings;
        const char* folder;
        const char* document;
        std::vector<std::string> actions;
        bool documentsRow;
        bool referenceRow;
        const char* state;
    };
    const std::vector<std::string> markAndUnlink = {"GetDocumentPartList", "GetDocumentDataRefPaths",
                                                    "GetPropertiesForDocuments", "ApplyChanges"};
    const Case cases[] = {
        {"default: the folder holds the only reference",
         {},
         "container/2",
         "document/102",
         markAndUnlink,
         true,
         true,
         "marked=1 refs= parts="},
        {"3: another container references it too",
         {{"MeridioSync.DeleteType", std::uint32_t{3}}},
         "container/2",
         "document/105",
         {"GetDocumentPartList", "GetDocumentDataRefPaths", "ApplyChanges"},
         false,
         true,
         "marked=0 refs=3, parts="},
        {"0: document and reference",
         {{"MeridioSync.DeleteType", std::uint32_t{0}}},
         "container/2",
         "document/105",
         {"GetDocumentPartList", "GetPropertiesForDocuments", "ApplyChanges"},
         true,
         true,
         "marked=1 refs=3, parts="},
        {"1: only the document",
         {{"MeridioSync.DeleteType", std::uint32_t{1}}},
         "container/2",
         "document/105",
         {"GetDocumentPartList", "GetPropertiesForDocuments", "ApplyChanges"},
         true,
         false,
         "marked=1 refs=2,3, parts="},
        {"2: only the reference",
         {{"MeridioSync.DeleteType", std::uint32_t{2}}},
         "container/2",
         "document/102",
         {"GetDocumentPartList", "ApplyChanges"},
         false,
         true,
         "marked=0 refs= parts="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Report report = RunDeletion(c.settings, c.folder, c.document);
        EXPECT_EQ(report.hr, S_OK);
        EXPECT_EQ(report.actions, c.actions);
        EXPECT_EQ(report.state, c.state);
        ASSERT_FALSE(report.bodies.empty());
        const std::string& removal = report.bodies.back();
        const std::size_t documentsRow = removal.find(kDocumentsRow);
        const long documentId = DocumentIdOf(Platform::Utf8ToWide(c.document));
        const std::size_t referenceRow = removal.find(ReferenceRow(2, documentId));
        EXPECT_EQ(documentsRow != std::string::npos, c.documentsRow) << removal;
        EXPECT_EQ(referenceRow != std::string::npos, c.referenceRow) << removal;
        if (c.documentsRow && c.referenceRow) {
            EXPECT_LT(documentsRow, referenceRow);
        }
        EXPECT_THAT(removal,
                    HasSubstr("<DMDataSet xmlns=\"http://www.meridio.com/DMDataSet.xsd\"></DMDataSet>"
                              "<diffgr:before>"));
        EXPECT_THAT(
            report.bodies.front(),
            HasSubstr("<GetDocumentPartList xmlns=\"http://www.meridio.com/MeridioRMWS\"><documentId>" +
                      std::to_string(documentId) + "</documentId></GetDocumentPartList>"));
    }
}

TEST(MeridioDeletion, ADocumentInTheFoldersPartLeavesThePartAndTheServer) {
    const Report report = RunDeletion({}, "folder/21", "document/108");
    EXPECT_EQ(report.hr, S_OK);
    EXPECT_THAT(report.actions, ElementsAre("GetDocumentPartList", "GetDocumentDataRefPaths", "ApplyChanges",
                                            "GetPropertiesForDocuments", "ApplyChanges"));
    EXPECT_EQ(report.state, "marked=1 refs= parts=");
    ASSERT_EQ(report.bodies.size(), 5u);
    EXPECT_THAT(report.bodies[1],
                HasSubstr("<docId>108</docId><getPropList>false</getPropList><getAcl>false"
                          "</getAcl><getCanDo>false</getCanDo><getPolicy>false</getPolicy>"
                          "<getVersions>LATEST</getVersions><getKeywords>false</getKeywords>"
                          "<getReferencingContainers>true</getReferencingContainers>"));
    EXPECT_THAT(
        report.bodies[2],
        HasSubstr("<ApplyChanges xmlns=\"http://www.meridio.com/MeridioRMWS\"><ds>"
                  "<diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
                  "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
                  "<RMDataSet xmlns=\"http://www.meridio.com/RMDataSet.xsd\"></RMDataSet><diffgr:before>"
                  "<rm2Part_Document diffgr:id=\"rm2Part_Document2\" msdata:rowOrder=\"0\" "
                  "xmlns=\"http://www.meridio.com/RMDataSet.xsd\"><parentObjectId>212</parentObjectId>"
                  "<documentId>108</documentId></rm2Part_Document></diffgr:before></diffgr:diffgram></ds>"));
    // The part entry was the folder's reference: the folder holds no container reference to remove.
    EXPECT_THAT(report.bodies[4], HasSubstr("<PROP_documentId>108</PROP_documentId>"));
    EXPECT_THAT(report.bodies[4], Not(HasSubstr("CONTAINER_DOCUMENTREFS")));
}

TEST(MeridioDeletion, AnInvalidSettingRefusesEveryDeletion) {
    const Report report =
        RunDeletion({{"MeridioSync.DeleteType", std::uint32_t{7}}}, "container/2", "document/102");
    EXPECT_EQ(report.hr, E_FAIL);
    EXPECT_THAT(report.actions, IsEmpty());
    EXPECT_EQ(report.state, "marked=0 refs=2, parts=");
}

TEST(MeridioDeletion, RecordsAreNotDeleted) {
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"folder", 21)), S_OK);
    const std::size_t listed = host.Server().ReceivedRequests().size();
    const Deleted deleted = DeleteDocument(host, host.Location(L"record", 107));
    EXPECT_EQ(deleted.hr, E_INVALIDARG);
    EXPECT_EQ(deleted.errorText, static_cast<const wchar_t*>(CStdStr<wchar_t>(4266u).c_str()));
    EXPECT_THAT(Platform::WideToUtf8(deleted.errorText), HasSubstr("record"));
    EXPECT_EQ(host.Server().ReceivedRequests().size(), listed);
    EXPECT_EQ(StateOf(host, 107), "marked=0 refs= parts=211,");
}

TEST(MeridioDeletion, AFailedRemovalIsReported) {
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    EXPECT_EQ(DeleteDocument(host, host.Location(L"document", 999)).hr, E_FAIL);
    EXPECT_THAT(host.Actions(), Not(::testing::Contains("ApplyChanges")));
}

} // namespace
