// A container that lists an ancestor as its child is not followed: the pass reports it once,
// mirrors everything else and ends.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

class ContainerCycleTest : public DriverFixture {};

TEST_F(ContainerCycleTest, AnAncestorListedAsAChildIsNotEnteredAgain) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "top.txt") +
              "<container id=\"2\" title=\"Inner\">" + DocumentXml(21, "inner.txt") +
              "<link container=\"1\"/></container></container>",
          {{"lib/top.txt", "top"}, {"lib/Inner/inner.txt", "inner"}});
    const DriverResult result = Sync();
    ASSERT_EQ(result.exitCode, 0) << Printed();
    EXPECT_THAT(MirrorFiles(), ElementsAre(Pair("Inner/inner.txt", "inner"), Pair("top.txt", "top")));
    const std::size_t skipped = result.out.find("skipped  folder \"Inner/Library\"");
    ASSERT_NE(skipped, std::string::npos) << Printed();
    EXPECT_EQ(result.out.find("skipped", skipped + 1), std::string::npos) << Printed();
    EXPECT_THAT(result.out, HasSubstr("Summary: 2 folders;"));
}

} // namespace
} // namespace KovaSyncTest
