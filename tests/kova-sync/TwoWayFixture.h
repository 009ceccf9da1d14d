// Two-way passes: a library with documents, a sub-container and a records-management folder, mirrored
// once; tests then change the mirror and the server and read back what the server holds and received.
#pragma once

#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace KovaSyncTest {

// When someone else changed something on the server, after the mirror's first pass.
inline const char* const kLaterDate = "2024-03-01T10:00:00Z";

// A new document in the container, saved there by someone else; gives its id.
inline long AddDocumentTo(DemoMeridio::Repository& repository, long containerId, const std::string& file,
                          const std::string& content) {
    DemoMeridio::Document document;
    document.title = std::filesystem::path(file).stem().string();
    document.createdBy = "Anna";
    document.created = kLaterDate;
    document.versions.push_back({1, file, kLaterDate, "Anna"});
    document.content = content;
    const long id = repository.AddNewDocument(std::move(document));
    repository.FindContainer(containerId)->documentIds.push_back(id);
    return id;
}

class TwoWayFixture : public DriverFixture {
protected:
    // Library (1, "lib"): notes.txt (101), plan.md (102), read-only.txt (103, read only), locked.txt
    // (104, locked by someone else); Sub (2): inner.txt (201); the records folder Records/Folder (21)
    // whose current part holds the record contract.txt (301). extraInSub goes into Sub, whose files
    // are under "lib/sub/".
    void ServeLibrary(const std::string& extraDocuments = {},
                      const std::map<std::string, std::string>& extraFiles = {},
                      const std::string& extraInSub = {}) {
        std::map<std::string, std::string> files = {{"lib/notes.txt", "notes"},
                                                    {"lib/plan.md", "the plan"},
                                                    {"lib/read-only.txt", "do not change"},
                                                    {"lib/locked.txt", "in use"},
                                                    {"lib/sub/inner.txt", "inner"},
                                                    {"lib/Records/Folder/contract.txt", "signed"}};
        files.insert(extraFiles.begin(), extraFiles.end());
        Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(101, "notes.txt") +
                  DocumentXml(102, "plan.md") + DocumentXml(103, "read-only.txt", "", "canDo=\"1\"") +
                  "<document id=\"104\" file=\"locked.txt\" createdBy=\"Anna\" "
                  "created=\"2024-01-05T09:12:00Z\">"
                  "<version id=\"1\" date=\"2024-01-05T09:12:00Z\"/>"
                  "<lock user=\"someone else\" date=\"2024-01-06T09:00:00Z\"/></document>" +
                  extraDocuments + "<container id=\"2\" title=\"Sub\" dir=\"sub\">" +
                  DocumentXml(201, "inner.txt") + extraInSub +
                  "</container><class id=\"20\" title=\"Records\"><folder id=\"21\" title=\"Folder\" "
                  "currentPart=\"212\"><part id=\"212\" title=\"Part 1\"><document id=\"301\" "
                  "file=\"contract.txt\" record=\"true\" createdBy=\"Anna\" created=\"2024-01-05T09:12:00Z\">"
                  "<version id=\"1\" "
                  "date=\"2024-01-05T09:12:00Z\"/></document></part></folder></class></container>",
              files);
        const DriverResult first = Sync();
        ASSERT_EQ(first.exitCode, 0) << Printed();
    }

    fs::path Local(const std::string& path) const { return MirrorDir() / path; }

    // The documents a container lists (title -> content), those marked for deletion left out.
    std::map<std::string, std::string> ServerDocuments(long containerId) {
        std::map<std::string, std::string> documents;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            const DemoMeridio::Container* container = repository.FindContainer(containerId);
            ASSERT_NE(container, nullptr);
            for (const DemoMeridio::Document* document : repository.DocumentsIn(*container)) {
                documents[document->title] = document->content;
            }
        });
        return documents;
    }

    DemoMeridio::Document ServerDocument(long id) {
        DemoMeridio::Document copy;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            const DemoMeridio::Document* document = repository.FindDocument(id);
            ASSERT_NE(document, nullptr);
            copy = *document;
        });
        return copy;
    }

    // The id of the container's child container of that title, 0 when there is none.
    long ChildContainer(long parentId, const std::string& title) {
        long found = 0;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            for (const DemoMeridio::Container* child : repository.ChildContainers(parentId)) {
                found = child->title == title ? child->id : found;
            }
        });
        return found;
    }

    bool ContainerReferences(long containerId, long documentId) {
        bool found = false;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            const auto& ids = repository.FindContainer(containerId)->documentIds;
            found = std::find(ids.begin(), ids.end(), documentId) != ids.end();
        });
        return found;
    }

    // The actions the server received since the mark.
    std::size_t Mark() { return Server().ReceivedRequests().size(); }
    std::vector<DemoMeridio::IncomingRequest> RequestsSince(std::size_t mark) {
        const auto requests = Server().ReceivedRequests();
        return {requests.begin() + static_cast<std::ptrdiff_t>(mark), requests.end()};
    }
    std::size_t CountAction(std::size_t mark, const std::string& action) {
        std::size_t count = 0;
        for (const auto& request : RequestsSince(mark)) {
            const std::string soapAction = request.soapAction.value_or("");
            count += soapAction.substr(soapAction.rfind('/') + 1) == action ? 1 : 0;
        }
        return count;
    }

    // A pass after which nothing is sent and nothing is downloaded.
    void ExpectQuietPass(int exitCode = 0) {
        const std::size_t mark = Mark();
        const DriverResult quiet = Sync();
        EXPECT_EQ(quiet.exitCode, exitCode) << Printed();
        EXPECT_THAT(quiet.out, ::testing::HasSubstr(" 0 downloaded,")) << Printed();
        EXPECT_THAT(quiet.out, ::testing::Not(::testing::HasSubstr(" sent ("))) << Printed();
        EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
        EXPECT_EQ(CountAction(mark, "GetLatestVersionFile"), 0u);
        EXPECT_EQ(CountAction(mark, "ApplyChanges"), 0u);
    }
};

} // namespace KovaSyncTest
