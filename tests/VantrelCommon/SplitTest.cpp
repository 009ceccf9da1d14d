#include "VantrelCommon/StdString.h"

#include <gtest/gtest.h>

namespace {

using Str = CStdStr<wchar_t>;
using Pieces = std::vector<Str>;

TEST(Tokenize, SkipsEmptyPieces) {
    EXPECT_EQ(Tokenize(L",a,,b,", L","), (Pieces{L"a", L"b"}));
    EXPECT_EQ(Tokenize(L"a b;c", L" ;"), (Pieces{L"a", L"b", L"c"}));
    EXPECT_TRUE(Tokenize(L"", L",").empty());
    EXPECT_TRUE(Tokenize(L",,,", L",").empty());
    EXPECT_EQ(Tokenize(L"abc", L""), (Pieces{L"abc"}));
}

// A piece ends at its first NUL, as a copy of it through c_str() does.
TEST(Tokenize, PiecesEndAtANul) {
    Str text;
    text.assign(L"a\0b,c,\0d", 9);
    EXPECT_EQ(Tokenize(text, L","), (Pieces{L"a", L"c", L""}));
    EXPECT_EQ(SplitString(text, L","), (Pieces{L"a", L"c", L""}));
}

TEST(SplitString, KeepsEmptyPieces) {
    EXPECT_EQ(SplitString(L",a,,b,", L","), (Pieces{L"", L"a", L"", L"b", L""}));
    EXPECT_EQ(SplitString(L"a,,b,", L","), (Pieces{L"a", L"", L"b", L""}));
    EXPECT_EQ(SplitString(L"", L","), (Pieces{L""}));
    EXPECT_EQ(SplitString(L"abc", L","), (Pieces{L"abc"}));
    EXPECT_EQ(SplitString(L"a,b", L""), (Pieces{L"a,b"}));
}

TEST(Split, PiecesUpToTheLimit) {
    EXPECT_EQ(Split(L",a,,b,", L',', 100), (Pieces{L"", L"a", L"", L"b", L""}));
    EXPECT_EQ(Split(L"a,,b,", L',', 100), (Pieces{L"a", L"", L"b", L""}));
    EXPECT_EQ(Split(L"a,b", L',', 1), (Pieces{L"a"}));
    EXPECT_EQ(Split(L"srv/kind/id", L'/', 2), (Pieces{L"srv", L"kind"}));
    EXPECT_EQ(Split(L"one\ntwo\n", L'\n', 2147483647), (Pieces{L"one", L"two", L""}));
    EXPECT_TRUE(Split(L"", L',', 10).empty());
}

TEST(Split, StringsAlreadyInTheVectorCount) {
    Pieces pieces{L"x"};
    Split(L"a,b,", L',', pieces, 2);
    EXPECT_EQ(pieces, (Pieces{L"x", L"a"}));
    Split(L"", L',', pieces, 5);
    EXPECT_EQ(pieces.size(), 2u);
}

TEST(JoinStrings, SeparatesPieces) {
    EXPECT_EQ(JoinStrings({L"a", L"b", L"c"}, L", "), L"a, b, c");
    EXPECT_EQ(JoinStrings({L"a"}, L", "), L"a");
    EXPECT_EQ(JoinStrings({}, L", "), L"");
}

TEST(EndsWith, CaseSensitiveSuffix) {
    EXPECT_TRUE(EndsWith(L"report.msg", L".msg"));
    EXPECT_FALSE(EndsWith(L"report.MSG", L".msg"));
    EXPECT_FALSE(EndsWith(L"msg", L".msg"));
    EXPECT_TRUE(EndsWith(L"x", nullptr));
    EXPECT_TRUE(EndsWith(L"x", L""));
    EXPECT_TRUE(EndsWith(L"", L""));
}

} // namespace
