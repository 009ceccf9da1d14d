#include "KOVACommon/LSReplacementFile.h"

#include "Platform/PathMapping.h"

#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ReplacementFile : public testing::Test {
protected:
    ReplacementFile() { std::ofstream(Target(), std::ios::binary) << "the user's copy"; }

    std::filesystem::path Target() const { return dir.path() / "report.doc"; }
    CStdStr<wchar_t> TargetText() const { return CStdStr<wchar_t>(Target().wstring()); }
    std::string Content() const {
        std::ostringstream content;
        content << std::ifstream(Target(), std::ios::binary).rdbuf();
        return content.str();
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    static const BYTE* Bytes(const char* text) { return reinterpret_cast<const BYTE*>(text); }

    TestSupport::TempDirectory dir;
};

TEST_F(ReplacementFile, TheTargetIsReplacedOnlyByACommittedFile) {
    {
        LSReplacementFile file(TargetText());
        EXPECT_EQ(std::filesystem::path(Platform::NativePath(file.Path())).parent_path(), dir.path());
        ASSERT_TRUE(file.Write(Bytes("half of it"), 10));
        EXPECT_EQ(Content(), "the user's copy");
    }
    EXPECT_EQ(Content(), "the user's copy");
    EXPECT_EQ(Files(), std::vector<std::string>{"report.doc"});

    {
        LSReplacementFile file(TargetText());
        ASSERT_TRUE(file.Write(Bytes("new "), 4));
        ASSERT_TRUE(file.Write(Bytes("content"), 7));
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(Content(), "new content");
    EXPECT_EQ(Files(), std::vector<std::string>{"report.doc"});
}

TEST_F(ReplacementFile, AFileFilledByAnotherWriterIsCommittedToo) {
    LSReplacementFile file(TargetText());
    std::ofstream(Platform::NativePath(file.Path()), std::ios::binary) << "copied";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Content(), "copied");
}

TEST_F(ReplacementFile, ATargetThatCannotBeReplacedStaysAsItWas) {
    // A directory in the target's place cannot be replaced by a file.
    const std::filesystem::path directoryTarget = dir.path() / "folder";
    std::filesystem::create_directory(directoryTarget);
    std::ofstream(directoryTarget / "inside", std::ios::binary) << "kept";
    {
        LSReplacementFile file(CStdStr<wchar_t>(directoryTarget.wstring()));
        ASSERT_TRUE(file.Write(Bytes("x"), 1));
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_TRUE(std::filesystem::is_directory(directoryTarget));
    std::vector<std::string> files = Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"folder", "report.doc"}));
}

} // namespace
