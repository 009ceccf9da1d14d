// A listing that drops most documents at once removes none and exits 2, and so does a mirror
// directory that lost most files, whatever the mirror's size; --allow-mass-delete lets the next pass
// remove them.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class MassDeleteTest : public DriverFixture {
protected:
    // A library of count documents doc1.txt ... (ids 101 ...), mirrored once.
    void ServeDocuments(int count) {
        std::string documents;
        std::map<std::string, std::string> files;
        for (int i = 1; i <= count; ++i) {
            documents += DocumentXml(100 + i, "doc" + std::to_string(i) + ".txt");
            files["lib/doc" + std::to_string(i) + ".txt"] = "document " + std::to_string(i);
        }
        Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + documents + "</container>", files);
        ASSERT_EQ(Sync().exitCode, 0) << Printed();
    }

    bool OnServer(long id) {
        bool there = false;
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            const DemoMeridio::Document* document = repository.FindDocument(id);
            there = document != nullptr && !document->markedForDelete;
        });
        return there;
    }
};

TEST_F(MassDeleteTest, ADroppedListingIsHeldUntilTheUserAllowsIt) {
    ServeDocuments(12);
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

// Small mirrors are guarded too: more than half of their documents are never deleted unasked.
struct SmallMirrorCase {
    const char* label;
    bool onServer; // deleted on the server; else their files are deleted here
    const char* message;
};

void PrintTo(const SmallMirrorCase& c, std::ostream* out) {
    *out << c.label;
}

class SmallMirrorTest : public MassDeleteTest, public ::testing::WithParamInterface<SmallMirrorCase> {};

TEST_P(SmallMirrorTest, HoldsDeletingMoreThanHalf) {
    const SmallMirrorCase& c = GetParam();
    ServeDocuments(3);
    for (int i = 2; i <= 3; ++i) {
        if (c.onServer) {
            Server().ChangeRepository(
                [i](DemoMeridio::Repository& repository) { repository.DeleteDocument(100 + i); });
        } else {
            fs::remove(MirrorDir() / ("doc" + std::to_string(i) + ".txt"));
        }
    }

    const DriverResult held = Sync();
    EXPECT_EQ(held.exitCode, 2) << Printed();
    EXPECT_THAT(held.err, HasSubstr(c.message));
    EXPECT_EQ(OnServer(102), !c.onServer);
    EXPECT_EQ(MirrorFiles().size(), c.onServer ? 3u : 1u);

    const DriverResult allowed = Sync({"--allow-mass-delete"});
    EXPECT_EQ(allowed.exitCode, 0) << Printed();
    EXPECT_FALSE(OnServer(102));
    EXPECT_FALSE(OnServer(103));
    EXPECT_TRUE(OnServer(101));
    EXPECT_EQ(MirrorFiles(), (std::map<std::string, std::string>{{"doc1.txt", "document 1"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Sides, SmallMirrorTest,
    ::testing::Values(SmallMirrorCase{"OnTheServer", true, "not removing 2 of the mirror's 3 documents"},
                      SmallMirrorCase{"Here", false,
                                      "not deleting 2 of the mirror's 3 documents on the server"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MassDeleteTest, HalfOfASmallMirrorIsDeleted) {
    ServeDocuments(2);
    fs::remove(MirrorDir() / "doc2.txt");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_FALSE(OnServer(102));
    EXPECT_TRUE(OnServer(101));
}

} // namespace
} // namespace KovaSyncTest
