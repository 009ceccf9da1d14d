// Contents decide what is a conflict: a file changed here to exactly the server's new version is
// stored as synced, with nothing sent and nothing kept aside; a server version that holds what the
// last pass synced (only its dates moved) lets the local edit go up as a new version.
#include "tests/kova-sync/TwoWayFixture.h"

#include <regex>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

struct EqualContentCase {
    const char* label;
    const char* serverVersion; // the server's new version of notes.txt
    const char* localEdit;
    const char* printed;
    std::size_t uploads;
    std::size_t downloads; // the driver's look at the server's version, and the filter's before an upload
};

void PrintTo(const EqualContentCase& c, std::ostream* out) {
    *out << c.label;
}

class EqualContentTest : public TwoWayFixture, public ::testing::WithParamInterface<EqualContentCase> {};

TEST_P(EqualContentTest, TheContentsDecideWhetherBothSidesConflict) {
    const EqualContentCase& c = GetParam();
    ServeLibrary();
    Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        repository.AddVersion(101, c.serverVersion, "2025-02-01T10:00:00Z", "", "someone else");
    });
    WriteText(Local("notes.txt"), c.localEdit);

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr(c.printed));
    EXPECT_THAT(pass.out, ::testing::Not(HasSubstr("conflict")));
    EXPECT_EQ(CountAction(mark, "AddObject2"), c.uploads);
    std::size_t downloads = 0;
    for (const auto& request : RequestsSince(mark)) {
        downloads +=
            request.soapAction.value_or("").find("GetLatestVersionFile") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(downloads, c.downloads);
    const std::map<std::string, std::string> files = MirrorFiles();
    EXPECT_EQ(files.at("notes.txt"), c.localEdit);
    for (const auto& [path, content] : files) {
        EXPECT_FALSE(std::regex_search(path, std::regex(R"(\(conflict )"))) << path;
    }
    EXPECT_EQ(ServerDocument(101).content, c.localEdit);
    ExpectQuietPass();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EqualContentTest,
    ::testing::Values(
        EqualContentCase{"copiedTheServersVersion", "their notes", "their notes",
                         "same     notes.txt: changed here and on the server to the same content", 0, 1},
        EqualContentCase{"serverKeptTheSyncedContent", "notes", "my notes", "sent     notes.txt (new version",
                         1, 2}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace KovaSyncTest
