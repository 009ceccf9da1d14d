#include "VantrelCommon/LSDiag.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Piece {
    std::string text;
    std::string file;
    int line;
};

std::vector<Piece> Pieces(const char* text) {
    std::vector<Piece> pieces;
    EXPECT_TRUE(LogTextInChunks(text, "caller.cpp", 7, [&](const char* piece, const char* file, int line) {
        pieces.push_back({piece, file, line});
    }));
    return pieces;
}

TEST(LogTextInChunks, SplitsIntoPiecesOfAtMost25000Bytes) {
    std::string text(25000, 'a');
    text += std::string(25000, 'b') + std::string(10000, 'c');
    const std::vector<Piece> pieces = Pieces(text.c_str());
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].text, std::string(25000, 'a'));
    EXPECT_EQ(pieces[1].text, std::string(25000, 'b'));
    EXPECT_EQ(pieces[2].text, std::string(10000, 'c'));
    for (const Piece& piece : pieces) {
        EXPECT_EQ(piece.file, "caller.cpp");
        EXPECT_EQ(piece.line, 7);
    }
    EXPECT_EQ(Pieces(std::string(25000, 'z').c_str()).size(), 1u);
    EXPECT_EQ(Pieces(std::string(25001, 'z').c_str()).size(), 2u);
}

TEST(LogTextInChunks, EmptyTextIsNamed) {
    const std::vector<Piece> pieces = Pieces("");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "(empty string)");
}

TEST(LogLargeText, WritesWideTextAsUtf8AndMaySplitACharacter) {
    // 24999 ASCII bytes, then the two bytes of U+00E9: the piece boundary falls between them.
    const std::wstring text = std::wstring(24999, L'x') + L"\u00e9";
    std::vector<std::string> pieces;
    EXPECT_TRUE(LogLargeText(text.c_str(), "f.cpp", 1,
                             [&](const char* piece, const char*, int) { pieces.emplace_back(piece); }));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], std::string(24999, 'x') + "\xc3");
    EXPECT_EQ(pieces[1], "\xa9");
}

TEST(ToNarrow, ConvertsThroughTheAnsiCodePage) {
    EXPECT_EQ(ToNarrow(L"K\u00f6ln"), "K\xc3\xb6ln");
    EXPECT_EQ(ToNarrow(L""), "");
}

} // namespace
