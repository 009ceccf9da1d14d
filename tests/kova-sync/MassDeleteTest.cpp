// A listing that drops most documents at once removes none and exits 2; --allow-mass-delete lets
// the next pass remove them.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class MassDeleteTest : public DriverFixture {};

TEST_F(MassDeleteTest, ADroppedListingIsHeldUntilTheUserAllowsIt) {
    std::string documents;
    std::map<std::string, std::string> files;
    for (int i = 1; i <= 12; ++i) {
        documents += DocumentXml(100 + i, "doc" + std::to_string(i) + ".txt");
        files["lib/doc" + std::to_string(i) + ".txt"] = "document " + std::to_string(i);
    }
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + documents + "</container>", files);
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        for (int i = 2; i <= 12; ++i) {
            repository.DeleteDocument(100 + i);
        }
    });

    const DriverResult held = Sync();
    EXPECT_EQ(held.exitCode, 2) << Printed();
    EXPECT_THAT(held.err,
                HasSubstr("not removing 11 of the mirror's 12 documents: the server listed 1 documents"));
    EXPECT_THAT(held.err, HasSubstr("--allow-mass-delete"));
    EXPECT_EQ(MirrorFiles().size(), 12u);

    const DriverResult allowed = Sync({"--allow-mass-delete"});
    EXPECT_EQ(allowed.exitCode, 0) << Printed();
    EXPECT_THAT(allowed.out, HasSubstr("1 unchanged, 11 removed, 0 failed"));
    EXPECT_EQ(MirrorFiles(), (std::map<std::string, std::string>{{"doc1.txt", "document 1"}}));
}

} // namespace
} // namespace KovaSyncTest
