// A directory removed here deletes its container only when nothing under it changed on the server
// since the last pass: a new version, a new document or a new sub-container there (also deeper
// down) keeps the container, and the directory comes back with what the server holds; a container
// that cannot be listed is deleted on neither side.
#include "tests/kova-sync/TwoWayFixture.h"

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

struct ServerChangeCase {
    const char* label;
    const char* inSub; // more of Sub, its files below "lib/sub/"
    std::map<std::string, std::string> files;
    std::function<void(DemoMeridio::Repository&)> change;
    const char* changedFile; // below the mirror, with what it holds afterwards
    const char* changedContent;
};

void PrintTo(const ServerChangeCase& c, std::ostream* out) {
    *out << c.label;
}

class RemovedDirectoryTest : public TwoWayFixture {};
class ServerChangeTest : public RemovedDirectoryTest,
                         public ::testing::WithParamInterface<ServerChangeCase> {};

TEST_P(ServerChangeTest, AContainerChangedOnTheServerIsKeptAndComesBack) {
    const ServerChangeCase& c = GetParam();
    ServeLibrary({}, c.files, c.inSub);
    fs::remove_all(Local("Sub"));
    Server().ChangeRepository(c.change);

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("kept     folder Sub: it changed on the server since the last pass"))
        << Printed();
    EXPECT_EQ(CountAction(mark, "ApplyChanges"), 0u);
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_NE(repository.FindContainer(2), nullptr); });
    EXPECT_FALSE(ServerDocument(201).markedForDelete);
    EXPECT_EQ(ReadText(Local(c.changedFile)), c.changedContent);
    EXPECT_EQ(ReadText(Local("Sub/inner.txt")), ServerDocument(201).content);
    ExpectQuietPass();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ServerChangeTest,
    ::testing::Values(ServerChangeCase{"newVersion",
                                       "",
                                       {},
                                       [](DemoMeridio::Repository& repository) {
                                           repository.AddVersion(201, "inner, saved by someone else",
                                                                 kLaterDate);
                                       },
                                       "Sub/inner.txt",
                                       "inner, saved by someone else"},
                      ServerChangeCase{"newDocument",
                                       "",
                                       {},
                                       [](DemoMeridio::Repository& repository) {
                                           AddDocumentTo(repository, 2, "added.txt", "added by someone else");
                                       },
                                       "Sub/added.txt",
                                       "added by someone else"},
                      ServerChangeCase{
                          "newVersionInASubContainer",
                          "<container id=\"3\" title=\"Deep\" dir=\"deep\">"
                          "<document id=\"202\" file=\"deep.txt\" createdBy=\"Anna\" "
                          "created=\"2024-01-05T09:12:00Z\"><version id=\"1\" date=\"2024-01-05T09:12:00Z\"/>"
                          "</document></container>",
                          {{"lib/sub/deep/deep.txt", "deep"}},
                          [](DemoMeridio::Repository& repository) {
                              repository.AddVersion(202, "deep, saved by someone else", kLaterDate);
                          },
                          "Sub/Deep/deep.txt",
                          "deep, saved by someone else"},
                      ServerChangeCase{"newSubContainer",
                                       "",
                                       {},
                                       [](DemoMeridio::Repository& repository) {
                                           DemoMeridio::Container added;
                                           added.parentId = 2;
                                           added.title = "Added";
                                           added.owner = "Anna";
                                           const long id = repository.AddNewContainer(std::move(added));
                                           AddDocumentTo(repository, id, "brief.txt", "a brief");
                                       },
                                       "Sub/Added/brief.txt",
                                       "a brief"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RemovedDirectoryTest, AContainerThatCannotBeListedIsNotDeleted) {
    ServeLibrary();
    fs::remove_all(Local("Sub"));
    Server().BreakListingsOf(2);

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err, HasSubstr("kept     folder Sub: what it holds on the server could not be listed"))
        << Printed();
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_NE(repository.FindContainer(2), nullptr); });
    EXPECT_FALSE(ServerDocument(201).markedForDelete);

    // Once it can be listed, the removal the user made is carried out.
    Server().BreakListingsOf(std::nullopt);
    const DriverResult next = Sync();
    EXPECT_EQ(next.exitCode, 0) << Printed();
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_EQ(repository.FindContainer(2), nullptr); });
    EXPECT_FALSE(fs::exists(Local("Sub")));
    ExpectQuietPass();
}

} // namespace
} // namespace KovaSyncTest
