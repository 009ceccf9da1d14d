// The empty message queue and wide-path file opening.
#include "Platform/WideStdio.h"
#include "Platform/WinUser.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

namespace {

TEST(MessageQueueTest, PeekFindsNothing) {
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_EQ(0, DispatchMessageW(&message));
}

TEST(WideStdioTest, WindowsFormPathsAreMapped) {
    TestSupport::TempDirectory directory;
    const std::wstring path = directory.path().wstring() + L"\\r\u00e9sum\u00e9.txt";
    FILE* written = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, written);
    std::fputs("text", written);
    std::fclose(written);
    std::ifstream in(directory.path() / "r\xc3\xa9sum\xc3\xa9.txt");
    std::string text;
    in >> text;
    EXPECT_EQ("text", text);

    FILE* read = _wfsopen(path.c_str(), L"rb", _SH_DENYNO);
    ASSERT_NE(nullptr, read);
    std::fclose(read);
    errno = 0;
    EXPECT_EQ(nullptr, _wfopen((directory.path().wstring() + L"\\missing").c_str(), L"rb"));
    EXPECT_EQ(ENOENT, errno);
}

} // namespace
