// The filter's other host calls from the command line, against the demo server: a search by title,
// checkout and its cancellation (the lock on the server), the status of a mirrored file, and its link.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class HostCallCommandsTest : public DriverFixture {
protected:
    void SetUp() override {
        Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "Welcome.txt") +
                  "<container id=\"2\" title=\"Contracts 2024\" dir=\"contracts\">" +
                  DocumentXml(21, "Lease.txt") + "</container></container>",
              {{"lib/Welcome.txt", "welcome"}, {"lib/contracts/Lease.txt", "the lease"}});
        ASSERT_EQ(Sync().exitCode, 0) << Printed();
    }

    std::string Lease() const { return (MirrorDir() / "Contracts 2024" / "Lease.txt").string(); }
    std::string ServerName() { return "127.0.0.1:" + std::to_string(Server().Port()); }

    // The user holding the document's lock on the server; empty when it is not locked.
    std::string LockHolder(long documentId) {
        std::string holder;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            const auto& lock = repository.FindDocument(documentId)->lock;
            holder = lock ? lock->user : "";
        });
        return holder;
    }
};

TEST_F(HostCallCommandsTest, SearchListsTheContainersWhoseTitleHoldsTheText) {
    const DriverResult result = Run({"search", ServerName(), "Contracts"});
    ASSERT_EQ(result.exitCode, 0) << Printed();
    EXPECT_THAT(result.out, HasSubstr("\nContracts 2024\tMeridio://" + ServerName() + "/container/2\t"));
    EXPECT_THAT(result.out, HasSubstr("\tContainer\n"));
    EXPECT_THAT(result.out, testing::Not(HasSubstr("Library\t")));
    EXPECT_EQ(Run({"search", ServerName(), "Nothing like it"}).out,
              "Connecting to " + ServerName() + "\nNothing on " + ServerName() +
                  " has \"Nothing like it\" in its title.\n");
}

TEST_F(HostCallCommandsTest, CheckoutLocksTheDocumentOnTheServerAndCancelUnlocksIt) {
    const DriverResult checkout = Run({"checkout", Lease()});
    ASSERT_EQ(checkout.exitCode, 0) << Printed();
    EXPECT_EQ(checkout.out, "Checked out " + Lease() + ": it is locked on the server for you.\n");
    EXPECT_EQ(LockHolder(21), "demo");
    EXPECT_EQ(LockHolder(11), "");
    EXPECT_THAT(Run({"status", Lease()}).out, HasSubstr("  checked out:   yes, by demo\n"));

    const DriverResult cancel = Run({"cancel-checkout", Lease()});
    ASSERT_EQ(cancel.exitCode, 0) << Printed();
    EXPECT_EQ(LockHolder(21), "");
    EXPECT_THAT(Run({"status", Lease()}).out, HasSubstr("  checked out:   no\n"));
}

TEST_F(HostCallCommandsTest, StatusTellsTheLockTheServerAndTheLocalFile) {
    const DriverResult clean = Run({"status", Lease()});
    ASSERT_EQ(clean.exitCode, 0) << Printed();
    EXPECT_EQ(clean.out, Lease() + "\n  checked out:   no\n  on the server: unchanged since the last sync\n"
                                   "  here:          unchanged since the last sync\n");
    WriteText(Lease(), "edited here");
    EXPECT_THAT(Run({"status", Lease()}).out, HasSubstr("  here:          changed since the last sync\n"));
}

TEST_F(HostCallCommandsTest, LinkGivesTheOpenLinkOfTheDocument) {
    const DriverResult result = Run({"link", (MirrorDir() / "Welcome.txt").string()});
    ASSERT_EQ(result.exitCode, 0) << Printed();
    EXPECT_EQ(result.out, "VANTREL_TEXTLINK_URL:stssync://kova/OpenLink=Meridio#Meridio://" + ServerName() +
                              "/document/11#11\n");
}

TEST_F(HostCallCommandsTest, AFileOutsideAMirrorOrNotSyncedIsRefused) {
    WriteText(MirrorDir() / "mine.txt", "my own");
    const DriverResult notSynced = Run({"checkout", (MirrorDir() / "mine.txt").string()});
    EXPECT_EQ(notSynced.exitCode, 2);
    EXPECT_EQ(notSynced.err, "kova-sync: " + (MirrorDir() / "mine.txt").string() +
                                 " is not a synced document of the mirror " + MirrorDir().string() + ".\n");
    WriteText(work_.path() / "elsewhere.txt", "x");
    const DriverResult outside = Run({"status", (work_.path() / "elsewhere.txt").string()});
    EXPECT_EQ(outside.exitCode, 2);
    EXPECT_THAT(outside.err, HasSubstr("elsewhere.txt is not in a kova-sync mirror."));
}

} // namespace
} // namespace KovaSyncTest
