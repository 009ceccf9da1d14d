// One pass per mirror: while a pass runs, a second pass on the same mirror and a checkout there are
// refused at once with exit code 2, naming the running pass's process; the running pass completes and
// nothing goes up twice.
#include "tests/kova-sync/TwoWayFixture.h"

#include <future>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class OnePassPerMirrorTest : public TwoWayFixture {
protected:
    // Starts a pass that waits at its first request until release is set; gives its process id.
    pid_t StartHeldPass(std::promise<void>& release) {
        const std::size_t base = Mark();
        std::promise<void> started;
        std::shared_future<void> released = release.get_future().share();
        Server().SetRequestHook(
            [&started, base, released](std::size_t received, DemoMeridio::RequestStage stage) {
                if (received == base + 1 && stage == DemoMeridio::RequestStage::Received) {
                    started.set_value();
                    released.wait();
                }
            });
        const pid_t pid = Start({"sync", StartPoint(), "--into", MirrorDir().string()});
        started.get_future().wait();
        return pid;
    }

    void ExpectRefused(const DriverResult& refused, pid_t running) {
        EXPECT_EQ(refused.exitCode, 2) << Printed();
        EXPECT_THAT(refused.err,
                    HasSubstr("another kova-sync pass (process " + std::to_string(running) + ")"));
        EXPECT_THAT(refused.err, HasSubstr("nothing was changed"));
    }
};

TEST_F(OnePassPerMirrorTest, ASecondFirstPassIntoTheSameDirectoryIsRefused) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(101, "notes.txt") +
              "</container>",
          {{"lib/notes.txt", "notes"}});
    std::promise<void> release;
    const pid_t first = StartHeldPass(release);
    ExpectRefused(Sync(), first);
    release.set_value();
    EXPECT_EQ(Wait(first).exitCode, 0) << Printed();
    Server().SetRequestHook(nullptr);
    EXPECT_EQ(MirrorFiles(), (std::map<std::string, std::string>{{"notes.txt", "notes"}}));
}

TEST_F(OnePassPerMirrorTest, ASecondPassAndACheckoutAreRefusedWhileAPassRuns) {
    ServeLibrary();
    WriteText(Local("new.txt"), "new here");
    std::promise<void> release;
    const pid_t first = StartHeldPass(release);
    const std::size_t base = Mark();

    ExpectRefused(Sync(), first);
    const DriverResult checkout = Run({"checkout", Local("notes.txt").string()});
    EXPECT_EQ(checkout.exitCode, 2) << Printed();
    EXPECT_THAT(checkout.err, HasSubstr("(process " + std::to_string(first) + ")"));
    EXPECT_EQ(Mark(), base); // neither talked to the server

    release.set_value();
    EXPECT_EQ(Wait(first).exitCode, 0) << Printed();
    Server().SetRequestHook(nullptr);
    int copies = 0;
    for (const auto& [title, content] : ServerDocuments(1)) {
        copies += content == "new here" ? 1 : 0;
    }
    EXPECT_EQ(copies, 1);
    ExpectQuietPass();
}

} // namespace
} // namespace KovaSyncTest
