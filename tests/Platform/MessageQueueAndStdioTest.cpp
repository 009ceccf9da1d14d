// The thread's message queue (what the HTTP object posts to it) and wide-path file opening.
#include "Platform/ThreadMessages.h"
#include "Platform/WideStdio.h"
#include "Platform/WinBase.h"
#include "Platform/WinUser.h"
#include "tests/Platform/TestHttpServer.h"
#include "tests/Platform/XmlHttpTestSupport.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using Platform::Messages::kHttpStateChanged;

// A wait's ceiling: long enough for any reply here, never reached by a passing test.
constexpr DWORD kCeilingMs = 10000;

void Drain() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class MessageQueueTest : public testing::Test {
protected:
    void SetUp() override {
        server_.Routes().Get("/reply", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("reply", "text/plain");
        });
        server_.Routes().Get("/slow", [this](const httplib::Request&, httplib::Response& response) {
            gate_.Wait();
            response.set_content("late", "text/plain");
        });
        server_.Start();
        Drain();
    }
    void TearDown() override {
        gate_.Open();
        server_.Stop();
    }

    // A sent request whose state changes are the only messages in the queue.
    PlatformTest::Ref<IXMLHTTPRequest> Sent(const char* path) {
        PlatformTest::Ref<IXMLHTTPRequest> request = PlatformTest::NewRequest();
        EXPECT_EQ(S_OK, PlatformTest::Open(request.get(), L"GET", server_.Url(path)));
        VARIANT none{};
        EXPECT_EQ(S_OK, request->send(none));
        return request;
    }

    PlatformTest::TestHttpServer server_;
    PlatformTest::Gate gate_;
};

TEST_F(MessageQueueTest, AnEmptyQueueHasNothingToPeekAndAWaitEndsAtItsTime) {
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&message));
    EXPECT_EQ(0, DispatchMessageW(&message));
    EXPECT_EQ(WAIT_TIMEOUT, MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT));
}

TEST_F(MessageQueueTest, HandlesCannotBeWaitedFor) {
    HANDLE handle = nullptr;
    EXPECT_EQ(WAIT_FAILED, MsgWaitForMultipleObjects(1, &handle, FALSE, 0, QS_ALLINPUT));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

// The loop of a caller that waits for its reply: each state change of the request is a message that
// ends the wait, is found by a peek and removed by PM_REMOVE.
TEST_F(MessageQueueTest, EachStateChangeOfARequestReachesTheThreadThatSentIt) {
    auto request = Sent("/reply");
    LONG state = 0;
    while (state != 4) {
        ASSERT_EQ(WAIT_OBJECT_0, MsgWaitForMultipleObjects(0, nullptr, FALSE, kCeilingMs, QS_ALLINPUT));
        MSG message{};
        ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(kHttpStateChanged, message.message);
        EXPECT_EQ(nullptr, message.hwnd);
        ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
        EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
        ASSERT_EQ(S_OK, request->get_readyState(&state));
    }
    EXPECT_EQ(200, PlatformTest::Status(request.get()));
}

TEST_F(MessageQueueTest, AWaitEndsAtItsTimeWhileAReplyIsOutstanding) {
    auto request = Sent("/slow");
    EXPECT_EQ(WAIT_TIMEOUT, MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT));
    LONG state = 0;
    ASSERT_EQ(S_OK, request->get_readyState(&state));
    EXPECT_EQ(1, state);
    gate_.Open();
    EXPECT_EQ(WAIT_OBJECT_0, MsgWaitForMultipleObjects(0, nullptr, FALSE, kCeilingMs, QS_ALLINPUT));
}

TEST_F(MessageQueueTest, PeekKeepsToItsRangeAndToThreadMessages) {
    auto request = Sent("/reply");
    ASSERT_EQ(WAIT_OBJECT_0, MsgWaitForMultipleObjects(0, nullptr, FALSE, kCeilingMs, QS_ALLINPUT));
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 1, kHttpStateChanged - 1, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&message, reinterpret_cast<HWND>(0x1234), 0, 0, PM_REMOVE));
    EXPECT_TRUE(
        PeekMessageW(&message, reinterpret_cast<HWND>(-1), kHttpStateChanged, kHttpStateChanged, PM_REMOVE));
}

TEST_F(MessageQueueTest, AMessagePostedFromAnotherThreadIsFoundByTheQueuesThread) {
    auto request = Sent("/reply"); // the thread's waits now run its HTTP session
    PlatformTest::PollUntilDone(request.get());
    Drain();
    const auto queue = Platform::Messages::CurrentThreadQueue();
    std::thread poster([&] { queue->PostOnce(kHttpStateChanged + 1, 7, 9); });
    EXPECT_EQ(WAIT_OBJECT_0, MsgWaitForMultipleObjects(0, nullptr, FALSE, kCeilingMs, QS_ALLINPUT));
    poster.join();
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(kHttpStateChanged + 1, message.message);
    EXPECT_EQ(7u, message.wParam);
    EXPECT_EQ(9, message.lParam);
}

TEST_F(MessageQueueTest, TheSameMessageWaitsOnceHoweverOftenItIsPosted) {
    const auto queue = Platform::Messages::CurrentThreadQueue();
    queue->PostOnce(kHttpStateChanged, 0, 0);
    queue->PostOnce(kHttpStateChanged, 0, 0);
    queue->PostOnce(kHttpStateChanged, 1, 0);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(1u, message.wParam);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
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

// As CreateFileW: a read-only file is not opened for writing, whoever runs (root included).
TEST(WideStdioTest, AReadOnlyFileIsNotOpenedForWriting) {
    TestSupport::TempDirectory directory;
    std::ofstream(directory.path() / "ro.txt") << "keep";
    std::filesystem::permissions(directory.path() / "ro.txt", std::filesystem::perms::owner_read);
    const std::wstring path = directory.path().wstring() + L"\\ro.txt";
    for (const wchar_t* mode : {L"w", L"wb", L"a", L"ab", L"r+", L"rb+", L"w+"}) {
        errno = 0;
        EXPECT_EQ(nullptr, _wfopen(path.c_str(), mode)) << mode;
        EXPECT_EQ(EACCES, errno) << mode;
    }
    FILE* read = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(nullptr, read);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, read), 4u);
    std::fclose(read);
    EXPECT_STREQ(text, "keep");
}

} // namespace
