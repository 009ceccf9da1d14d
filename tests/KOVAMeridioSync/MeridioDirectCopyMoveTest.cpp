// Direct copy and move through the host's ILSDirectCopyMove against the demo server: the source-action
// text the host asks for first, then the copy or move, what the server is sent and holds afterwards, and
// what the item carries. MeridioSync.DoDirectCopyMove is read once per process, so the switched-off
// case runs in a child process.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/Support/LogCapture.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include "VantrelCommon/LSHash.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <sstream>

namespace {

using namespace MeridioTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr HRESULT kAlreadyInDestination = static_cast<HRESULT>(0x80030050);

// The fingerprint of the id's UTF-16LE bytes, the id lower-cased first (ids here are ASCII).
std::wstring HashOfLowerCased(std::wstring id) {
    std::transform(id.begin(), id.end(), id.begin(), [](wchar_t c) { return std::towlower(c); });
    std::vector<BYTE> bytes;
    for (wchar_t c : id) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return CLSHash::GetHashForData(bytes.data(), static_cast<DWORD>(bytes.size()));
}

struct Answer {
    HRESULT hr = E_FAIL;
    std::wstring text;
};

// Asks for the source-action text as the host does before a copy or move.
Answer SourceAction(MeridioHost& host, const std::wstring& sourceLocation,
                    const std::wstring& destinationLocation, const std::wstring& serverFileId,
                    const wchar_t* hostText = L"host text") {
    auto sourceFolder = NewMap();
    auto destination = NewMap();
    auto item = NewMap();
    sourceFolder->Set(L"Mavisto.FolderLocation", sourceLocation);
    destination->Set(L"Mavisto.FolderLocation", destinationLocation);
    if (!serverFileId.empty()) {
        item->Set(L"Mavisto.FromServerFileId", serverFileId);
    }
    BSTR text = nullptr;
    Answer answer;
    answer.hr = host.Query<ILSDirectCopyMove>()->raw_GetSourceForCopyOrMoveMessageIfAllowed(
        VARIANT_FALSE, sourceFolder.get(), nullptr, nullptr, destination.get(), item.get(), _bstr_t(hostText),
        &text);
    answer.text = text == nullptr ? L"" : text;
    SysFreeString(text);
    return answer;
}

// "refs=<containers> parts=<parts> marked=0|1" for the document on the server.
std::string StateOf(MeridioHost& host, long documentId) {
    std::ostringstream state;
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        state << "refs=";
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
        state << " marked=" << repository.FindDocument(documentId)->markedForDelete;
    });
    return state.str();
}

// A filter bound to a listed source folder (it has a session then), an item and a destination map.
class CopyMoveScene {
public:
    CopyMoveScene(const std::wstring& sourceKind, long sourceId) {
        EXPECT_EQ(host.ListFolder(host.Location(sourceKind, sourceId)), S_OK);
        listed_ = host.Server().ReceivedRequests().size();
    }

    // Copies or moves the item of the document into the destination (no location: none is set) as the
    // host does, with a text whose second line is the bare server file id. The item carries an older
    // sync issue.
    HRESULT Run(bool move, const std::wstring& document, const std::wstring& destinationLocation) {
        item->Set(L"Mavisto.FromServerFileId", document);
        item->Set(L"Mavisto.SyncIssueType", std::wstring(L"CONFLICT"));
        item->Set(L"Mavisto.SyncIssueMessage", std::wstring(L"an older issue"));
        if (!destinationLocation.empty()) {
            destination->Set(L"Mavisto.FolderLocation", destinationLocation);
        }
        const std::wstring source =
            TestSupport::StrProp(*host.folder, L"Mavisto.FolderLocation").value_or(L"");
        const _bstr_t text((L"DummySPListId\tSPListName\t" + source + L"\n" + document).c_str());
        const auto copyMove = host.Query<ILSDirectCopyMove>();
        return move ? copyMove->raw_DoMessageMove(item.get(), destination.get(), text, nullptr)
                    : copyMove->raw_DoMessageCopy(item.get(), destination.get(), text, nullptr);
    }

    // The actions and bodies of the requests after the listing.
    std::vector<std::string> Actions() const {
        const std::vector<std::string> actions = host.Actions();
        return {actions.begin() + static_cast<std::ptrdiff_t>(listed_), actions.end()};
    }
    std::vector<std::string> Bodies() {
        std::vector<std::string> bodies;
        const auto requests = host.Server().ReceivedRequests();
        for (std::size_t i = listed_; i < requests.size(); ++i) {
            bodies.push_back(requests[i].body);
        }
        return bodies;
    }

    std::wstring Str(const wchar_t* name) const {
        return TestSupport::StrProp(*item, name).value_or(L"<none>");
    }

    MeridioHost host;
    Owned<Host::LSMemoryPropertyMap> item = NewMap();
    Owned<Host::LSMemoryPropertyMap> destination = NewMap();

private:
    std::size_t listed_ = 0;
};

TEST(MeridioSourceAction, IsOfferedOnlyWithinOneServerForAnItemWithAServerFileId) {
    struct Case {
        const char* name;
        std::wstring source;
        std::wstring destination;
        std::wstring serverFileId;
        HRESULT hr;
        bool offered;
    };
    const Case cases[] = {
        {"one server", L"Meridio://MeridioSrv/container/2", L"Meridio://MeridioSrv/container/4",
         L"Meridio://MeridioSrv/Document/102", S_OK, true},
        {"names differing only in letter case", L"Meridio://MERIDIOSRV/container/2",
         L"Meridio://meridiosrv/folder/21", L"Meridio://MeridioSrv/Document/102", S_OK, true},
        {"two servers", L"Meridio://MeridioSrv/container/2", L"Meridio://OtherSrv/container/4",
         L"Meridio://MeridioSrv/Document/102", S_OK, false},
        {"an item without a server file id", L"Meridio://MeridioSrv/container/2",
         L"Meridio://MeridioSrv/container/4", L"", S_OK, false},
        {"a destination that is not a Meridio location", L"Meridio://MeridioSrv/container/2",
         L"http://MeridioSrv/container/4", L"Meridio://MeridioSrv/Document/102", E_INVALIDARG, false},
    };
    MeridioHost host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Answer answer = SourceAction(host, c.source, c.destination, c.serverFileId);
        EXPECT_EQ(answer.hr, c.hr);
        if (c.offered) {
            // Two lines of TAB-separated fields; the id keeps its letter case, its hash is of the
            // lower-cased id.
            EXPECT_EQ(answer.text, L"DummySPListId\tSPListName\t" + c.source + L"\n" + c.serverFileId +
                                       L"\t" + HashOfLowerCased(c.serverFileId) + L"\t" + c.serverFileId +
                                       L"\thost text");
        } else {
            EXPECT_EQ(answer.text, L"");
        }
    }
    EXPECT_THAT(host.Actions(), IsEmpty());
}

TEST(MeridioSourceAction, TheFixedAnswersOfTheInterface) {
    MeridioHost host;
    const auto copyMove = host.Query<ILSDirectCopyMove>();
    BSTR text = nullptr;
    EXPECT_EQ(copyMove->raw_GetDirectCopyMoveString(&text), S_OK);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text), L"");
    SysFreeString(text);
    EXPECT_EQ(copyMove->raw_DirectCopyMoveMethod5(), E_NOTIMPL);
    EXPECT_EQ(copyMove->raw_DirectCopyMoveMethod6(), E_NOTIMPL);
}

KOVA_CHILD_SCENARIO(DirectCopyMoveSwitchedOff) {
    TestSupport::LogCapture log;
    MeridioHost host;
    for (int call = 0; call < 2; ++call) {
        const Answer answer = SourceAction(host, host.Location(L"container", 2),
                                           host.Location(L"container", 4), host.Location(L"document", 102));
        EXPECT_EQ(answer.hr, S_OK);
        EXPECT_EQ(answer.text, L"");
    }
    const std::vector<std::string> diagnostics = log.Diagnostics();
    EXPECT_EQ(std::count(diagnostics.begin(), diagnostics.end(), "Meridio DirectcopyMove is not supported."),
              1);
}

TEST(MeridioSourceAction, TheSettingSwitchesDirectCopiesOff) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = {{"MeridioSync.DoDirectCopyMove", std::uint32_t{0}}};
    const ChildScenarios::Result result = ChildScenarios::Run("DirectCopyMoveSwitchedOff", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

TEST(MeridioDirectCopyMove, ATextOfThreeLinesIsRefused) {
    CopyMoveScene scene(L"container", 2);
    TestSupport::LogCapture log;
    scene.destination->Set(L"Mavisto.FolderLocation", scene.host.Location(L"container", 4));
    const std::wstring text = L"DummySPListId\tSPListName\t" + scene.host.Location(L"container", 2) + L"\n" +
                              scene.host.Location(L"document", 102) + L"\nthird";
    EXPECT_EQ(scene.host.Query<ILSDirectCopyMove>()->raw_DoMessageCopy(
                  scene.item.get(), scene.destination.get(), _bstr_t(text.c_str()), nullptr),
              E_FAIL);
    EXPECT_THAT(log.Errors(), Contains(HasSubstr("Unexpected format for sourceActionId: ")));
    EXPECT_THAT(scene.Actions(), IsEmpty());
    EXPECT_EQ(StateOf(scene.host, 102), "refs=2, parts= marked=0");
}

TEST(MeridioDirectCopyMove, ACopyLinksTheDocumentToTheDestination) {
    struct Case {
        const char* name;
        std::wstring kind;
        long id;
        std::wstring destinationKind;
        long destinationId;
        std::vector<std::string> actions;
        std::string row;
        std::string state;
    };
    const Case cases[] = {
        {"a document into a container",
         L"document",
         102,
         L"container",
         4,
         {"ApplyChanges"},
         "<CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS1\" msdata:rowOrder=\"0\" "
         "diffgr:hasChanges=\"inserted\"><ContainerId>4</ContainerId><DocumentRefId>102</DocumentRefId>"
         "</CONTAINER_DOCUMENTREFS>",
         "refs=2,4, parts= marked=0"},
        {"a document into a records-management folder",
         L"document",
         102,
         L"folder",
         21,
         {"GetFolder2", "ApplyChanges"},
         "<rm2Part_Document diffgr:id=\"rm2Part_Document1\" msdata:rowOrder=\"0\" "
         "diffgr:hasChanges=\"inserted\">"
         "<parentObjectId>212</parentObjectId><documentId>102</documentId></rm2Part_Document>",
         "refs=2, parts=212, marked=0"},
        {"a record into a records-management folder",
         L"record",
         107,
         L"folder",
         21,
         {"GetFolder2", "ApplyChanges"},
         "<rm2Part_Record diffgr:id=\"rm2Part_Record1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
         "<parentObjectId>212</parentObjectId><recordId>107</recordId></rm2Part_Record>",
         "refs= parts=211,212, marked=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CopyMoveScene scene(L"container", 2);
        const std::wstring document = scene.host.Location(c.kind, c.id);
        EXPECT_EQ(scene.Run(false, document, scene.host.Location(c.destinationKind, c.destinationId)), S_OK);
        EXPECT_EQ(scene.Actions(), c.actions);
        ASSERT_FALSE(scene.Bodies().empty());
        EXPECT_THAT(scene.Bodies().back(), HasSubstr(c.row));
        EXPECT_EQ(StateOf(scene.host, c.id), c.state);
        EXPECT_EQ(scene.Str(L"UniqueId"), HashOfLowerCased(document));
        EXPECT_EQ(scene.Str(L"Mavisto.FromServerVersion"), L"0");
        EXPECT_EQ(scene.Str(L"Mavisto.SyncIssueType"), L"");
        EXPECT_EQ(scene.Str(L"Mavisto.SyncIssueMessage"), L"");
    }
}

// A refused link leaves the server as it was and marks the item; a destination that holds the
// document already is told by its own code.
TEST(MeridioDirectCopyMove, ARefusedLinkMarksTheItem) {
    struct Case {
        const char* name;
        long documentId;
        std::wstring destinationKind;
        long destinationId;
        HRESULT hr;
        std::vector<std::string> actions;
        const char* logLine;
        std::string state;
    };
    const Case cases[] = {
        {"a container that references the document already",
         105,
         L"container",
         3,
         kAlreadyInDestination,
         {"ApplyChanges", "GetDocumentDataRefPaths"},
         "Doc already exists in container it is being copied/moved to.",
         "refs=2,3, parts= marked=0"},
        {"a records-management folder whose part holds the document already",
         108,
         L"folder",
         21,
         kAlreadyInDestination,
         {"GetFolder2", "ApplyChanges", "GetDocumentPartList"},
         "Doc already exists in folder it is being copied/moved to.",
         "refs= parts=212, marked=0"},
        {"a container the server does not know",
         105,
         L"container",
         999,
         E_FAIL,
         {"ApplyChanges", "GetDocumentDataRefPaths"},
         nullptr,
         "refs=2,3, parts= marked=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CopyMoveScene scene(L"container", 2);
        TestSupport::LogCapture log;
        EXPECT_EQ(scene.Run(false, scene.host.Location(L"document", c.documentId),
                            scene.host.Location(c.destinationKind, c.destinationId)),
                  c.hr);
        EXPECT_EQ(scene.Actions(), c.actions);
        EXPECT_EQ(StateOf(scene.host, c.documentId), c.state);
        EXPECT_EQ(scene.Str(L"Mavisto.SyncIssueType"), L"ERROR");
        EXPECT_NE(scene.Str(L"Mavisto.SyncIssueMessage"), L"");
        EXPECT_EQ(scene.Str(L"UniqueId"), L"<none>");
        EXPECT_EQ(scene.Str(L"Mavisto.FromServerVersion"), L"<none>");
        EXPECT_THAT(log.Errors(), Contains(HasSubstr("Failed to add reference to new parent hr: ")));
        if (c.logLine != nullptr) {
            EXPECT_THAT(log.Diagnostics(), Contains(std::string(c.logLine)));
        }
    }
}

TEST(MeridioDirectCopyMove, AMoveLinksTheDocumentThenTakesItFromTheSource) {
    CopyMoveScene scene(L"container", 2);
    const std::wstring document = scene.host.Location(L"document", 102);
    EXPECT_EQ(scene.Run(true, document, scene.host.Location(L"container", 4)), S_OK);
    // Only the source's reference is removed: the document is not marked for deletion.
    EXPECT_THAT(scene.Actions(), ElementsAre("ApplyChanges", "GetDocumentPartList", "ApplyChanges"));
    const std::vector<std::string> bodies = scene.Bodies();
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_THAT(bodies[2],
                HasSubstr("<diffgr:before><CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS1\" "
                          "msdata:rowOrder=\"0\" xmlns=\"http://www.meridio.com/DMDataSet.xsd\">"
                          "<ContainerId>2</ContainerId><DocumentRefId>102</DocumentRefId>"
                          "</CONTAINER_DOCUMENTREFS></diffgr:before>"));
    EXPECT_EQ(StateOf(scene.host, 102), "refs=4, parts= marked=0");
    EXPECT_EQ(scene.Str(L"UniqueId"), HashOfLowerCased(document));
    EXPECT_EQ(scene.Str(L"Mavisto.FromServerVersion"), L"0");
}

// Moves the document from the source to the destination as a host does that may have bound the
// filter object to any folder, or to none.
HRESULT MoveAsAnotherHost(MeridioHost& host, ILSPropertyMap* item, const std::wstring& sourceLocation,
                          const std::wstring& document, const std::wstring& destinationLocation) {
    auto destination = NewMap();
    destination->Set(L"Mavisto.FolderLocation", destinationLocation);
    const _bstr_t text((L"DummySPListId\tSPListName\t" + sourceLocation + L"\n" + document).c_str());
    return host.Query<ILSDirectCopyMove>()->raw_DoMessageMove(item, destination.get(), text, nullptr);
}

// The source is the folder that the text names, whatever folder the object is bound to.
TEST(MeridioDirectCopyMove, AMoveTakesTheDocumentFromTheSourceTheTextNames) {
    struct Case {
        const char* name;
        const wchar_t* boundKind; // null: never bound
        long boundId;
        long documentId;
        std::wstring sourceKind;
        long sourceId;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"bound to a third container", L"container", 3, 105, L"container", 2, "refs=2,3, parts= marked=0",
         "refs=3,4, parts= marked=0"},
        {"bound to the destination", L"container", 4, 102, L"container", 2, "refs=2, parts= marked=0",
         "refs=4, parts= marked=0"},
        {"never bound", nullptr, 0, 102, L"container", 2, "refs=2, parts= marked=0",
         "refs=4, parts= marked=0"},
        {"out of a records-management folder", L"container", 2, 108, L"folder", 21,
         "refs= parts=212, marked=0", "refs=4, parts= marked=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeridioHost host;
        if (c.boundKind != nullptr) {
            ASSERT_EQ(host.ListFolder(host.Location(c.boundKind, c.boundId)), S_OK);
        }
        EXPECT_EQ(StateOf(host, c.documentId), c.before);
        const std::wstring document = host.Location(L"document", c.documentId);
        auto item = NewMap();
        EXPECT_EQ(MoveAsAnotherHost(host, item.get(), host.Location(c.sourceKind, c.sourceId), document,
                                    host.Location(L"container", 4)),
                  S_OK);
        EXPECT_EQ(StateOf(host, c.documentId), c.after);
        EXPECT_EQ(TestSupport::StrProp(*item, L"UniqueId").value_or(L""), HashOfLowerCased(document));
    }
}

// A move whose source keeps the document takes the new link back: the document stays where it was,
// and the item says why.
TEST(MeridioDirectCopyMove, AMoveWhoseRemovalFromTheSourceFailsLeavesTheDocumentWhereItWas) {
    struct Case {
        const char* name;
        long documentId;
        std::wstring sourceKind;
        long sourceId;
        std::wstring destinationKind;
        long destinationId;
        const char* refusedService; // null: nothing refused
        std::string state;
    };
    const Case cases[] = {
        {"a source that does not hold the document", 102, L"container", 3, L"container", 4, nullptr,
         "refs=2, parts= marked=0"},
        {"a refused removal from a container", 102, L"container", 2, L"folder", 21, "/dmws/",
         "refs=2, parts= marked=0"},
        {"a refused removal from a records-management folder", 108, L"folder", 21, L"container", 4, "/rmws/",
         "refs= parts=212, marked=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeridioHost host;
        ASSERT_EQ(host.ListFolder(host.Location(c.sourceKind, c.sourceId)), S_OK);
        auto item = NewMap();
        const std::wstring document = host.Location(L"document", c.documentId);
        // The link is the first ApplyChanges of its service; the removal's comes after it.
        const bool linkOnOtherService = (c.destinationKind == L"folder") != (c.sourceKind == L"folder");
        ASSERT_TRUE(c.refusedService == nullptr || linkOnOtherService);
        if (c.refusedService != nullptr) {
            host.Server().RefuseNextRequest(c.refusedService, "ApplyChanges", "API Error 30010: Refused.");
        }
        EXPECT_TRUE(FAILED(MoveAsAnotherHost(host, item.get(), host.Location(c.sourceKind, c.sourceId),
                                             document, host.Location(c.destinationKind, c.destinationId))));
        EXPECT_EQ(StateOf(host, c.documentId), c.state);
        EXPECT_EQ(TestSupport::StrProp(*item, L"Mavisto.SyncIssueType").value_or(L""), L"ERROR");
        EXPECT_NE(TestSupport::StrProp(*item, L"Mavisto.SyncIssueMessage").value_or(L""), L"");
        EXPECT_FALSE(TestSupport::StrProp(*item, L"UniqueId"));
    }
}

TEST(MeridioDirectCopyMove, AMoveIntoTheFolderThatHoldsTheDocumentKeepsItsReference) {
    CopyMoveScene scene(L"container", 2);
    EXPECT_EQ(scene.Run(true, scene.host.Location(L"document", 102), scene.host.Location(L"container", 2)),
              kAlreadyInDestination);
    EXPECT_THAT(scene.Actions(), ElementsAre("ApplyChanges", "GetDocumentDataRefPaths"));
    EXPECT_EQ(StateOf(scene.host, 102), "refs=2, parts= marked=0");
    EXPECT_EQ(scene.Str(L"Mavisto.SyncIssueType"), L"ERROR");
}

TEST(MeridioDirectCopyMove, RefusedBeforeAnythingIsSent) {
    struct Case {
        const char* name;
        bool move;
        std::wstring kind;
        long id;
        std::wstring destinationKind; // empty: the destination has no location
        long destinationId;
        HRESULT hr;
        HRESULT refusedIssueWrite = S_OK; // what the item answers to the clearing of its issue text
    };
    const Case cases[] = {
        {"moving a record", true, L"record", 107, L"container", 4, E_INVALIDARG},
        {"a destination without a location", false, L"document", 108, L"", 0, E_FAIL},
        {"a destination of another kind", false, L"document", 108, L"class", 20, E_INVALIDARG},
        {"an item that refuses the clearing of its sync issue", false, L"document", 108, L"container", 4,
         E_ACCESSDENIED, E_ACCESSDENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CopyMoveScene scene(L"folder", 21);
        if (FAILED(c.refusedIssueWrite)) {
            scene.item->Failures().Fail(Host::PropertyMapMethod::PutItemStr, c.refusedIssueWrite,
                                        L"Mavisto.SyncIssueMessage");
        }
        const std::string before = StateOf(scene.host, c.id);
        EXPECT_EQ(scene.Run(c.move, scene.host.Location(c.kind, c.id),
                            c.destinationKind.empty()
                                ? L""
                                : scene.host.Location(c.destinationKind, c.destinationId)),
                  c.hr);
        EXPECT_THAT(scene.Actions(), IsEmpty());
        EXPECT_EQ(StateOf(scene.host, c.id), before);
        EXPECT_EQ(scene.Str(L"Mavisto.SyncIssueType"), L"");
        EXPECT_EQ(scene.Str(L"UniqueId"), L"<none>");
    }
}

} // namespace
