// One pass per mirror: while a pass runs, a second pass on the same mirror and a checkout there are
// refused at once with exit code 2, naming the running pass's process; the running pass completes and
// nothing goes up twice.
#include "tests/kova-sync/TwoWayFixture.h"

#include <future>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class OnePassPerMirrorTest : public TwoWayFixture {};

TEST_F(OnePassPerMirrorTest, ASecondPassAndACheckoutAreRefusedWhileAPassRuns) {
    ServeLibrary();
    WriteText(Local("new.txt"), "new here");
    const std::size_t base = Mark();
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // The first pass waits at its first request until the others were refused.
    Server().SetRequestHook([&, released](std::size_t received, DemoMeridio::RequestStage stage) {
        if (received == base + 1 && stage == DemoMeridio::RequestStage::Received) {
            started.set_value();
            released.wait();
        }
    });
    const pid_t first = Start({"sync", StartPoint(), "--into", MirrorDir().string()});
    started.get_future().wait();

    const DriverResult second = Sync();
    EXPECT_EQ(second.exitCode, 2) << Printed();
    EXPECT_THAT(second.err, HasSubstr("another kova-sync pass (process " + std::to_string(first) + ")"));
    EXPECT_THAT(second.err, HasSubstr("nothing was changed"));
    const DriverResult checkout = Run({"checkout", Local("notes.txt").string()});
    EXPECT_EQ(checkout.exitCode, 2) << Printed();
    EXPECT_THAT(checkout.err, HasSubstr("(process " + std::to_string(first) + ")"));
    EXPECT_EQ(Mark(), base + 1); // neither talked to the server

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
