// The naming rule: a display name becomes one safe path element, and names taken in a directory,
// in any letter case, give the next free suffix.
#include "kova-sync/LocalNames.h"

#include <gtest/gtest.h>

namespace KovaSync {
namespace {

struct NameCase {
    std::wstring title;
    bool isDocument;
    unsigned number;
    std::string expected;
};

std::string Repeat(const std::string& text, std::size_t times) {
    std::string repeated;
    for (std::size_t i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

class CandidateNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CandidateNameTest, IsOneSafePathElement) {
    const NameCase& name = GetParam();
    const std::string candidate = CandidateName(name.title, name.isDocument, name.number);
    EXPECT_EQ(candidate, name.expected);
    EXPECT_LE(candidate.size(), kMaxNameBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CandidateNameTest,
    ::testing::Values(
        NameCase{L"Report.docx", true, 1, "Report.docx"},
        NameCase{L"Report.docx", true, 2, "Report (2).docx"},
        NameCase{L"Reports 2024", false, 3, "Reports 2024 (3)"},
        NameCase{L"v1.2 plans", false, 2, "v1.2 plans (2)"}, NameCase{L"a/b\\c.txt", true, 1, "a_b\\c.txt"},
        NameCase{std::wstring(L"cut\0here.txt", 12), true, 1, "cut_here.txt"}, NameCase{L"", true, 1, "_"},
        NameCase{L".", false, 1, "_."}, NameCase{L"..", false, 1, "_.."},
        NameCase{L".profile", true, 2, ".profile (2)"},
        NameCase{std::wstring(300, L'x') + L".pdf", true, 1, std::string(251, 'x') + ".pdf"},
        NameCase{std::wstring(300, L'x') + L".pdf", true, 12, std::string(246, 'x') + " (12).pdf"},
        // é is two bytes: 251 bytes leave room for 125 of them, not half of the 126th.
        NameCase{std::wstring(200, L'\u00E9') + L".txt", true, 1, Repeat("\xC3\xA9", 125) + ".txt"},
        // An "extension" too long to be one stays part of the name, which is cut.
        NameCase{L"notes." + std::wstring(300, L'y'), true, 1, "notes." + std::string(249, 'y')}));

TEST(DirectoryNamesTest, ClaimsTheFirstNameFreeInAnyLetterCase) {
    DirectoryNames names;
    names.Take("Report.docx");
    names.Take("REPORT (2).DOCX");
    EXPECT_EQ(names.Claim(L"report.docx", true), "report (3).docx");
    EXPECT_EQ(names.Claim(L"Report.docx", true), "Report (4).docx");
    EXPECT_EQ(names.Claim(L"Übersicht", false), "Übersicht");
    EXPECT_EQ(names.Claim(L"übersicht", false), "übersicht (2)");
    EXPECT_TRUE(names.IsTaken("ÜBERSICHT (2)"));
}

} // namespace
} // namespace KovaSync
