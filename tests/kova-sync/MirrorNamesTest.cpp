// Documents and folders whose titles are unusual but legal each get a file or directory of their own,
// with a safe name, and keep it in the next pass.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

std::string LongTitle() {
    std::string title;
    while (title.size() < 300) {
        title += "\xC3\xA9"; // é: a cut must not split it
    }
    return title;
}

class MirrorNamesTest : public DriverFixture {};

TEST_F(MirrorNamesTest, EveryDocumentAndFolderGetsASafeNameOfItsOwnThatLasts) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "a.txt", "Report") +
              DocumentXml(12, "b.txt", "report") + DocumentXml(13, "c.json", "x.kova") +
              DocumentXml(14, "d.json", ".kova-folder") + DocumentXml(15, "e.txt", "a/b") +
              DocumentXml(16, "g.", "..") + DocumentXml(17, "h.txt", LongTitle()) +
              DocumentXml(18, "k.", ".kova-sync") + "<container id=\"2\" title=\"Team\" dir=\"team1\">" +
              DocumentXml(21, "t1.txt", "Notes") +
              "</container><container id=\"3\" title=\"team\" dir=\"team2\">" +
              DocumentXml(31, "t2.txt", "Notes") +
              "</container><container id=\"4\" title=\"x/y\" dir=\"xy\"/></container>",
          {{"lib/a.txt", "first report"},
           {"lib/b.txt", "second report"},
           {"lib/c.json", "{\"not\": \"a property file\"}"},
           {"lib/d.json", "[\"not a folder file\"]"},
           {"lib/e.txt", "slash"},
           {"lib/g.", "dots"},
           {"lib/h.txt", "long"},
           {"lib/k.", "hidden"},
           {"lib/team1/t1.txt", "team one"},
           {"lib/team2/t2.txt", "team two"},
           {"lib/xy/", ""}});

    const DriverResult first = Sync();
    ASSERT_EQ(first.exitCode, 0) << Printed();
    EXPECT_THAT(first.out, HasSubstr("documents: 10 downloaded, 0 unchanged, 0 removed, 0 failed"));
    const std::map<std::string, std::string> files = MirrorFiles();
    const std::string longName = std::string(LongTitle(), 0, 250) + ".txt";
    ASSERT_EQ(files.size(), 10u) << Printed();
    EXPECT_EQ(files.at("x.kova.json"), "{\"not\": \"a property file\"}");
    EXPECT_EQ(files.at(".kova-folder.json"), "[\"not a folder file\"]");
    EXPECT_EQ(files.at("a_b.txt"), "slash");
    EXPECT_EQ(files.at("_.."), "dots");
    EXPECT_EQ(files.at(longName), "long");
    EXPECT_EQ(files.at(".kova-sync (2)"), "hidden");
    // One of the two reports has its title's name, the other the first free suffix; likewise the
    // folders whose titles differ only in letter case.
    EXPECT_EQ(files.count("Report.txt") + files.count("report.txt"), 1u);
    EXPECT_EQ(files.count("Report (2).txt") + files.count("report (2).txt"), 1u);
    EXPECT_EQ(files.count("Team/Notes.txt") + files.count("team/Notes.txt"), 1u);
    EXPECT_EQ(files.count("Team (2)/Notes.txt") + files.count("team (2)/Notes.txt"), 1u);
    EXPECT_TRUE(fs::is_directory(MirrorDir() / "x_y"));

    const DriverResult second = Sync();
    ASSERT_EQ(second.exitCode, 0) << Printed();
    EXPECT_THAT(second.out, HasSubstr("documents: 0 downloaded, 10 unchanged, 0 removed, 0 failed"));
    EXPECT_EQ(MirrorFiles(), files);
}

TEST_F(MirrorNamesTest, ANameTakenByAFileTheJournalDoesNotKnowIsLeftAlone) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "a.txt", "Report") +
              "</container>",
          {{"lib/a.txt", "server"}});
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    WriteText(MirrorDir() / "Mine.txt", "mine");
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        DemoMeridio::Document document = *repository.FindDocument(11);
        document.id = 12;
        document.title = "Mine";
        document.content = "from the server";
        repository.AddDocument(document);
        repository.FindContainer(1)->documentIds.push_back(12);
    });
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    EXPECT_THAT(MirrorFiles(), ElementsAre(Pair("Mine (2).txt", "from the server"), Pair("Mine.txt", "mine"),
                                           Pair("Report.txt", "server")));
}

} // namespace
} // namespace KovaSyncTest
