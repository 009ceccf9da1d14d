#include "Platform/SystemMessage.h"

#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring SystemText(DWORD code) {
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0) {
        EXPECT_EQ(text, nullptr);
        return L"<none>";
    }
    std::wstring result(text, length);
    EXPECT_EQ(LocalFree(text), nullptr);
    return result;
}

struct MessageCase {
    DWORD code;
    const wchar_t* text;
};

class SystemMessageTest : public testing::TestWithParam<MessageCase> {};

TEST_P(SystemMessageTest, GivesWindowsWordingWithLineEnd) {
    EXPECT_EQ(SystemText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, SystemMessageTest,
    testing::Values(MessageCase{0, L"The operation completed successfully.\r\n"},
                    MessageCase{ERROR_FILE_NOT_FOUND, L"The system cannot find the file specified.\r\n"},
                    MessageCase{ERROR_ACCESS_DENIED, L"Access is denied.\r\n"},
                    MessageCase{ERROR_KEY_DELETED,
                                L"Illegal operation attempted on a registry key that has been marked for "
                                L"deletion.\r\n"},
                    MessageCase{ERROR_REQUEST_ABORTED, L"The request was aborted.\r\n"},
                    MessageCase{0x80070005, L"Access is denied.\r\n"},
                    MessageCase{0x80070057, L"The parameter is incorrect.\r\n"},
                    MessageCase{0x80070032, L"The request is not supported.\r\n"},
                    MessageCase{0x8007000E, L"Not enough memory resources are available to complete this "
                                            L"operation.\r\n"},
                    MessageCase{0x80004005, L"Unspecified error\r\n"},
                    MessageCase{0x80004004, L"Operation aborted\r\n"},
                    MessageCase{0x80004001, L"Not implemented\r\n"},
                    MessageCase{0x8000FFFF, L"Catastrophic failure\r\n"},
                    MessageCase{0x80030050, L"%1 already exists.\r\n"},
                    MessageCase{ERROR_INTERNET_TIMEOUT, L"The operation timed out\r\n"},
                    MessageCase{0x80072EE2, L"The operation timed out\r\n"},
                    MessageCase{0x80072EE7, L"The server name or address could not be resolved\r\n"},
                    MessageCase{0x80072EFD, L"A connection with the server could not be established\r\n"},
                    MessageCase{0x80072EFE, L"The connection with the server was terminated abnormally\r\n"},
                    MessageCase{0x80072EFF, L"The connection with the server was reset\r\n"},
                    MessageCase{0x80072F78, L"The server returned an invalid or unrecognized response\r\n"},
                    MessageCase{0x80072F8F, L"A security error occurred\r\n"},
                    MessageCase{0x8004010F, L"<none>"}, MessageCase{0x80040201, L"<none>"},
                    MessageCase{0x80079999, L"<none>"}, MessageCase{424242, L"<none>"}));

TEST(FormatMessage, CodeWithoutTextFailsWithMessageNotFound) {
    SetLastError(0);
    wchar_t buffer[64] = L"untouched";
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x8004010F, 0, buffer, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_STREQ(buffer, L"untouched");
}

TEST(FormatMessage, CopiesIntoCallersBufferOnlyWhenItFits) {
    wchar_t exact[20];
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, exact, 20, nullptr), 19u);
    EXPECT_STREQ(exact, L"Access is denied.\r\n");

    wchar_t small[19];
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, small, 19, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(FormatMessage, OnlySystemMessagesAreServed) {
    wchar_t buffer[64];
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_STRING, L"text", 0, 0, buffer, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
