#include "Platform/PathMapping.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

namespace {

struct PathCase {
    const wchar_t* windowsPath;
    const char* nativePath;
};

// Keeps the test names stable: the native form names the case.
void PrintTo(const PathCase& pathCase, std::ostream* os) {
    *os << '"' << pathCase.nativePath << '"';
}

class PathMappingTest : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override { unsetenv("KOVA_UNC_ROOT"); }
};

TEST_P(PathMappingTest, MapsWindowsFormToNative) {
    EXPECT_EQ(Platform::NativePath(GetParam().windowsPath), GetParam().nativePath);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PathMappingTest,
    ::testing::Values(PathCase{L"C:\\Users\\me\\file.txt", "/Users/me/file.txt"},
                      PathCase{L"c:/mixed\\seps/x", "/mixed/seps/x"}, PathCase{L"D:", "/"},
                      PathCase{L"\\\\?\\C:\\long\\path", "/long/path"},
                      PathCase{L"\\\\?\\UNC\\server\\share\\dir\\f", "/mnt/server/share/dir/f"},
                      PathCase{L"\\\\?\\unc\\server\\share", "/mnt/server/share"},
                      PathCase{L"\\\\server\\share\\other\\f", "/mnt/server/share/other/f"},
                      PathCase{L"/tmp/native\\KOVA Logs", "/tmp/native/KOVA Logs"},
                      PathCase{L"relative\\name.log", "relative/name.log"},
                      PathCase{L"/home/\u00e9t\u00e9", "/home/\xc3\xa9t\xc3\xa9"}, PathCase{L"", ""}));

TEST(PathMappingUncRoot, FollowsEnvironment) {
    setenv("KOVA_UNC_ROOT", "/srv/shares/", 1);
    EXPECT_EQ(Platform::NativePath(L"\\\\host\\docs\\a.txt"), "/srv/shares/host/docs/a.txt");
    unsetenv("KOVA_UNC_ROOT");
}

} // namespace
