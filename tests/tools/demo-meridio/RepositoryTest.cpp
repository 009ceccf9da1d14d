#include "tools/demo-meridio/repository/ManifestLoader.h"

#include <fstream>
#include <gmock/gmock.h>
#include <unistd.h>

namespace DemoMeridio {
namespace {

using ::testing::HasSubstr;

TEST(RepositoryTest, SampleContentLoadsWithItsCases) {
    const Repository repository = LoadRepository(DEMO_MERIDIO_SAMPLE_DIR);
    EXPECT_EQ(repository.credentials.password, "Demo & Co 2024");
    const Document* plan = repository.FindDocument(102);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->versions.size(), 3u);
    EXPECT_EQ(plan->versions.front().fileName, "Project plan draft.md");
    EXPECT_EQ(plan->Latest().author, "Anna Müller");
    EXPECT_TRUE(repository.FindDocument(103)->lock);
    EXPECT_TRUE(repository.FindDocument(104)->content.empty());
    EXPECT_TRUE(repository.FindDocument(107)->isRecord);
    EXPECT_EQ(repository.FindDocument(106)->content.substr(0, 4), "\xD0\xCF\x11\xE0");
    const Container* folder = repository.FindContainer(21);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->kind, ContainerKind::Folder);
    EXPECT_EQ(folder->currentPartId, 212);
    EXPECT_EQ(repository.DocumentsIn(*repository.FindContainer(2)).size(), 4u); // three own and one reference
}

TEST(RepositoryTest, DeletingADocumentRemovesEveryReference) {
    Repository repository = LoadRepository(DEMO_MERIDIO_SAMPLE_DIR);
    EXPECT_TRUE(repository.DeleteDocument(105));
    EXPECT_FALSE(repository.DeleteDocument(105));
    EXPECT_EQ(repository.DocumentsIn(*repository.FindContainer(2)).size(), 3u);
    EXPECT_TRUE(repository.DocumentsIn(*repository.FindContainer(3)).empty());
}

TEST(RepositoryTest, NewVersionKeepsTheFileNameUnlessGiven) {
    Repository repository = LoadRepository(DEMO_MERIDIO_SAMPLE_DIR);
    EXPECT_EQ(repository.AddVersion(103, "x", "2024-06-01T00:00:00Z").fileName, "Budget Q1 & Q2.csv");
    const Version& renamed = repository.AddVersion(103, "y", "2024-06-02T00:00:00Z", "Budget H1.csv");
    EXPECT_EQ(renamed.id, 4);
    EXPECT_EQ(repository.FindDocument(103)->content, "y");
    EXPECT_THROW(repository.AddVersion(999, "z", "2024-06-02T00:00:00Z"), std::invalid_argument);
}

class BadManifestTest : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(BadManifestTest, IsRefusedWithTheReason) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("demo-meridio-manifest-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "Top");
    std::ofstream(dir / "Top" / "a.txt") << "a";
    std::ofstream(dir / "manifest.xml")
        << "<repository><credentials user=\"u\" password=\"p\"/>" << GetParam().first << "</repository>";
    try {
        LoadRepository(dir);
        ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().second));
    }
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadManifestTest,
    ::testing::Values(
        std::make_pair("<container id=\"1\" title=\"Missing\"/>", "no directory"),
        std::make_pair("<container id=\"1\" title=\"Top\"><document id=\"2\" file=\"b.txt\" createdBy=\"x\" "
                       "created=\"2024-01-01T00:00:00Z\"><version id=\"1\" date=\"2024-01-01T00:00:00Z\"/>"
                       "</document></container>",
                       "cannot read"),
        std::make_pair(
            "<container id=\"1\" title=\"Top\"><document id=\"2\" file=\"a.txt\" createdBy=\"x\" "
            "created=\"1 Jan 2024\"><version id=\"1\" date=\"2024-01-01T00:00:00Z\"/></document></container>",
            "not a date"),
        std::make_pair("<container id=\"1\" title=\"Top\"><reference document=\"9\"/></container>",
                       "refers to no document 9"),
        std::make_pair(
            "<container id=\"1\" title=\"Top\"><container id=\"1\" title=\"Top\" dir=\".\"/></container>",
            "used twice")));

} // namespace
} // namespace DemoMeridio
