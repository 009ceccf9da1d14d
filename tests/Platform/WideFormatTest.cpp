#include "Platform/WideFormat.h"

#include "Platform/WinTypes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Count(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = _vscwprintf(format, args);
    va_end(args);
    return length;
}

int FormatInto(wchar_t* buffer, std::size_t count, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return length;
}

// Formats with a roomy buffer and checks that the count-only call agrees.
template <class... Args> std::wstring Formatted(const wchar_t* format, Args... args) {
    wchar_t buffer[256];
    const int length = FormatInto(buffer, 256, format, args...);
    EXPECT_EQ(Count(format, args...), length);
    return length < 0 ? L"<invalid>" : std::wstring(buffer, static_cast<std::size_t>(length));
}

TEST(WideFormat, StringsFollowWindowsWideConventions) {
    EXPECT_EQ(Formatted(L"[%s]", L"wide \u00E9"), L"[wide \u00E9]");
    EXPECT_EQ(Formatted(L"[%ls|%ws]", L"a", L"b"), L"[a|b]");
    EXPECT_EQ(Formatted(L"[%hs|%S]", "caf\xC3\xA9", "x"), L"[caf\u00E9|x]");
    EXPECT_EQ(Formatted(L"[%c%lc%hc%C]", L'\u00E9', L'w', 'n', 'N'), L"[\u00E9wnN]");
    EXPECT_EQ(Formatted(L"[%5s|%-5s|%.2s|%*s]", L"ab", L"ab", L"abc", 3, L"x"), L"[   ab|ab   |ab|  x]");
    EXPECT_EQ(Formatted(L"[%s|%hs]", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
              L"[(null)|(null)]");
}

TEST(WideFormat, LongIsThirtyTwoBitsAsOnWindows) {
    const LONG minusOne = -1;
    const DWORD big = 0xFFFFFFFF;
    EXPECT_EQ(Formatted(L"%ld %lu %lx", minusOne, big, big), L"-1 4294967295 ffffffff");
    EXPECT_EQ(Formatted(L"%d %u %x %X %08x", -5, 7u, 255u, 255u, 0x1Fu), L"-5 7 ff FF 0000001f");
    EXPECT_EQ(Formatted(L"%I64d %lld %I64u", -9000000000LL, 9000000000LL, 18446744073709551615ULL),
              L"-9000000000 9000000000 18446744073709551615");
    EXPECT_EQ(Formatted(L"%hu %.2hu %hd", 65535, 5, 65535), L"65535 05 -1");
    EXPECT_EQ(Formatted(L"%Iu", std::size_t{1} << 40), L"1099511627776");
}

TEST(WideFormat, FloatsPointersAndPercent) {
    EXPECT_EQ(Formatted(L"%.2f %g %e", 3.14159, 0.5, 1.0), L"3.14 0.5 1.000000e+00");
    EXPECT_EQ(Formatted(L"%p", reinterpret_cast<void*>(0x12FF7C)), L"000000000012FF7C");
    EXPECT_EQ(Formatted(L"100%%"), L"100%");
    EXPECT_EQ(Formatted(L"%-*d|%.*d", -4, 1, 3, 7), L"1   |007");
}

TEST(WideFormat, InvalidFormatsAreRejected) {
    int written = 0;
    EXPECT_EQ(Formatted(L"abc%"), L"<invalid>");
    EXPECT_EQ(Formatted(L"%n", &written), L"<invalid>");
    EXPECT_EQ(Formatted(L"%y", 1), L"<invalid>");
    EXPECT_EQ(Count(nullptr), -1);
}

TEST(WideFormat, LimitedBufferFollowsWindowsTruncationRules) {
    wchar_t buffer[8];
    std::wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatInto(buffer, 4, L"%s", L"abc"), 3);
    EXPECT_STREQ(buffer, L"abc");
    std::wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatInto(buffer, 3, L"%s", L"abc"), 3); // exactly full: no NUL
    EXPECT_EQ(std::wstring(buffer, 4), L"abc#");
    std::wmemset(buffer, L'#', 8);
    EXPECT_EQ(FormatInto(buffer, 2, L"%s", L"abc"), -1); // too long: truncated, -1
    EXPECT_EQ(std::wstring(buffer, 3), L"ab#");
}

TEST(WideFormat, CountsLongResults) {
    EXPECT_EQ(Count(L"%5000d|%s", 1, L"tail"), 5005);
}

} // namespace
