// A pass killed with SIGKILL (a crash, a power cut) at any request boundary loses nothing, sends
// nothing twice and leaves no false conflict: the demo server stops the driver at every request of a
// two-way pass, and of a first pass, in turn, once as the request comes in and once after it was
// carried out but before its reply goes out. After each kill, normal passes run until one completes; then the
// server holds every change exactly once, the mirror holds every file the user wrote, and a further pass
// transfers nothing. The kill points are shared out over a few test cases, which run in parallel.
#include "tests/kova-sync/TwoWayFixture.h"

#include <atomic>
#include <functional>
#include <memory>

namespace KovaSyncTest {
namespace {

constexpr int kShards = 12;
constexpr int kPassesToRecover = 4;
const char* const kLaterDate = "2025-02-01T10:00:00Z";

struct KillPoint {
    std::size_t request = 0; // counted from the pass's first request; 0: no kill
    DemoMeridio::RequestStage stage = DemoMeridio::RequestStage::Received;
};

std::string Describe(const KillPoint& point) {
    return "killed at request " + std::to_string(point.request) +
           (point.stage == DemoMeridio::RequestStage::Received ? " as it came in"
                                                               : " after it was carried out");
}

class CutShortPassTest : public TwoWayFixture, public ::testing::WithParamInterface<int> {
protected:
    // The library mirrored, then changed on both sides: new files in two folders, two edits, a rename,
    // a move between folders, a new directory with a file, a deletion; on the server a new version and
    // a new document.
    void Prepare() {
        Reset();
        ServeLibrary(
            DocumentXml(105, "old.txt") + DocumentXml(106, "server.txt"),
            {{"lib/old.txt", "old"}, {"lib/server.txt", "server, first"}, {"lib/sub/deep.txt", "deep"}},
            DocumentXml(202, "deep.txt"));
        WriteText(Local("new one.txt"), "new one");
        WriteText(Local("Sub/new two.txt"), "new two");
        WriteText(Local("plan.md"), "the plan, edited");
        WriteText(Local("Sub/deep.txt"), "deep, edited");
        fs::rename(Local("notes.txt"), Local("meeting notes.txt"));
        fs::rename(Local("Sub/inner.txt"), Local("inner.txt"));
        WriteText(Local("Projects/brief.txt"), "the brief");
        fs::remove(Local("old.txt"));
        Server().ChangeRepository([](DemoMeridio::Repository& repository) {
            repository.AddVersion(106, "server, second", kLaterDate, "", "someone else");
            DemoMeridio::Document document;
            document.title = "theirs";
            document.createdBy = "Anna";
            document.created = kLaterDate;
            document.versions.push_back({1, "theirs.txt", kLaterDate, "Anna"});
            document.content = "from a colleague";
            const long id = repository.AddNewDocument(std::move(document));
            repository.FindContainer(2)->documentIds.push_back(id);
        });
    }

    // Runs the changed pass, killed at the point; gives the number of requests it sent.
    std::size_t RunKilled(const KillPoint& point) {
        // The server's threads may still run the hook after the pass ended: it owns what it reads, and
        // kills once.
        struct Trap {
            std::atomic<pid_t> driver{0};
            std::atomic<bool> armed{true};
        };
        const auto trap = std::make_shared<Trap>();
        const std::size_t base = Mark();
        Server().SetRequestHook([trap, point, base](std::size_t received, DemoMeridio::RequestStage stage) {
            if (point.request == 0 || received - base != point.request || stage != point.stage ||
                !trap->armed.exchange(false)) {
                return;
            }
            pid_t pid = 0;
            while ((pid = trap->driver.load()) == 0) {
                std::this_thread::yield();
            }
            kill(pid, SIGKILL);
            siginfo_t info{};
            waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT); // dead, not yet reaped
        });
        trap->driver = Start({"sync", StartPoint(), "--into", MirrorDir().string()});
        const DriverResult killed = Wait(trap->driver);
        trap->armed = false;

        Server().SetRequestHook(nullptr);
        // -1: ended by the signal.
        EXPECT_EQ(killed.exitCode, point.request == 0 ? 0 : -1) << Printed();
        return Mark() - base;
    }

    // The documents the container tree below the library holds, by content, one count per reference.
    std::map<std::string, int> ServerContents() {
        std::map<std::string, int> contents;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            std::vector<long> containers{1};
            while (!containers.empty()) {
                const DemoMeridio::Container* container = repository.FindContainer(containers.back());
                containers.pop_back();
                for (const DemoMeridio::Document* document : repository.DocumentsIn(*container)) {
                    ++contents[document->content];
                }
                for (const DemoMeridio::Container* child : repository.ChildContainers(container->id)) {
                    containers.push_back(child->id);
                }
            }
        });
        return contents;
    }

    // Normal passes until one completes.
    void Recover() {
        int exitCode = -1;
        for (int pass = 0; pass < kPassesToRecover && exitCode != 0; ++pass) {
            exitCode = Sync().exitCode;
        }
        ASSERT_EQ(exitCode, 0) << Printed();
    }

    // The mirror holds the files and the server each of their contents once; nothing is left over.
    void ExpectEachOnce(const std::map<std::string, std::string>& mirror) {
        EXPECT_EQ(MirrorFiles(), mirror) << Printed();
        EXPECT_TRUE(fs::is_empty(Local(".kova-sync/downloads")));
        const std::map<std::string, int> server = ServerContents();
        for (const auto& [path, content] : mirror) {
            const auto found = server.find(content);
            EXPECT_EQ(found == server.end() ? 0 : found->second, 1) << path << " on the server";
        }
    }

    void ExpectCompleted() {
        Recover();
        if (HasFatalFailure()) {
            return;
        }
        ExpectEachOnce({
            {"new one.txt", "new one"},
            {"Sub/new two.txt", "new two"},
            {"plan.md", "the plan, edited"},
            {"Sub/deep.txt", "deep, edited"},
            {"meeting notes.txt", "notes"},
            {"inner.txt", "inner"},
            {"Projects/brief.txt", "the brief"},
            {"server.txt", "server, second"},
            {"Sub/theirs.txt", "from a colleague"},
            {"read-only.txt", "do not change"},
            {"locked.txt", "in use"},
            {"Records/Folder/contract.txt", "signed"},
        });
        const std::map<std::string, int> server = ServerContents();
        EXPECT_EQ(server.count("old"), 0u);
        EXPECT_EQ(server.count("the plan"), 0u);
        EXPECT_EQ(server.count("deep"), 0u);
        // The documents that were there keep their ids: renamed, moved, edited, not sent again.
        EXPECT_EQ(ServerDocument(101).title, "meeting notes");
        EXPECT_EQ(ServerDocument(102).content, "the plan, edited");
        EXPECT_EQ(ServerDocument(202).content, "deep, edited");
        EXPECT_TRUE(ContainerReferences(1, 201));
        EXPECT_FALSE(ContainerReferences(2, 201));
        ExpectQuietPass();
    }

    // Runs the pass once whole, then killed at this case's share of its request boundaries; after
    // each run, expect checks the state the next passes leave.
    void AtEveryKillPoint(const std::function<void()>& prepare, const std::function<void()>& expect) {
        prepare();
        const std::size_t requests = RunKilled({});
        ASSERT_GT(requests, 0u);
        if (GetParam() == 0) {
            SCOPED_TRACE("not killed");
            expect();
        }
        for (std::size_t request = 1 + static_cast<std::size_t>(GetParam()); request <= requests;
             request += kShards) {
            for (const auto stage :
                 {DemoMeridio::RequestStage::Received, DemoMeridio::RequestStage::Answered}) {
                const KillPoint point{request, stage};
                SCOPED_TRACE(Describe(point) + " of " + std::to_string(requests));
                prepare();
                RunKilled(point);
                expect();
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
    }
};

TEST_P(CutShortPassTest, AKilledPassIsCompletedByTheNextWithEveryChangeOnceOnTheServer) {
    AtEveryKillPoint([this] { Prepare(); }, [this] { ExpectCompleted(); });
}

TEST_P(CutShortPassTest, AKilledFirstPassIsCompletedByTheNextWithoutSendingAnything) {
    const std::map<std::string, std::string> served = {
        {"notes.txt", "notes"},         {"plan.md", "the plan"},    {"read-only.txt", "do not change"},
        {"locked.txt", "in use"},       {"Sub/inner.txt", "inner"}, {"Records/Folder/contract.txt", "signed"},
        {"server.txt", "server, first"}};
    AtEveryKillPoint(
        [this] {
            Reset();
            ServeLibrary(DocumentXml(106, "server.txt"), {{"lib/server.txt", "server, first"}});
            fs::remove_all(MirrorDir());
        },
        [&] {
            Recover();
            ExpectEachOnce(served);
            ExpectQuietPass();
        });
}

INSTANTIATE_TEST_SUITE_P(KillPoints, CutShortPassTest, ::testing::Range(0, kShards));

} // namespace
} // namespace KovaSyncTest
