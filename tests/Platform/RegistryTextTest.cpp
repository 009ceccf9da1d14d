#include "Platform/RegistryText.h"

#include "Platform/Utf.h"
#include "Platform/WinReg.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace Platform::Registry;

namespace {

const std::wstring kHive = L"HKEY_CURRENT_USER";

std::vector<BYTE> Units(std::wstring_view text) {
    std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

const Value& ValueAt(const Key& root, const std::vector<std::wstring>& path, const std::wstring& name) {
    const Key* key = FindPath(root, path);
    EXPECT_NE(key, nullptr);
    static const Value missing{L"<missing>", 0, {}};
    const Value* value = key == nullptr ? nullptr : key->FindValue(name);
    return value == nullptr ? missing : *value;
}

} // namespace

TEST(RegistryText, ReadsEveryTypeAsRegeditWritesIt) {
    const std::string text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; written by hand\r\n"
                             "[HKEY_CURRENT_USER\\Software\\KOVA]\r\n"
                             "@=\"default\"\r\n"
                             "\"Path\"=\"C:\\\\Temp\\\\ \\\"quoted\\\" Grüße\"\r\n"
                             "\"Count\"=dword:0000002a\r\n"
                             "\"Blob\"=hex:01,ff,\\\r\n"
                             "  10\r\n"
                             "\"Dir\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
                             "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                             "\"Emoji\"=hex(1):3d,d8,00,de,00,00\r\n"
                             "\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n";
    const ParsedHive parsed = ParseHiveText(text, kHive);
    ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front().line << parsed.problems.front().message;
    const std::vector<std::wstring> kova{L"software", L"KOVA"};
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"").data, Units(std::wstring(L"default") + L'\0'));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"path").data,
              Units(std::wstring(L"C:\\Temp\\ \"quoted\" Grüße") + L'\0'));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Count").type, REG_DWORD);
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Count").data, (std::vector<BYTE>{42, 0, 0, 0}));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Blob").data, (std::vector<BYTE>{0x01, 0xff, 0x10}));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Dir").type, REG_EXPAND_SZ);
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Dir").data, Units(std::wstring(L"%TMP%") + L'\0'));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"List").data, Units(std::wstring(L"a\0b\0\0", 5)));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Emoji").data, Units(std::wstring(L"\U0001F600") + L'\0'));
    EXPECT_EQ(ValueAt(*parsed.root, kova, L"Wide").type, REG_QWORD);
}

TEST(RegistryText, WritesRegeditForm) {
    Key root(kHive);
    bool created;
    Key& key = root.GetOrAddChild(L"Software", created).GetOrAddChild(L"KOVA", created);
    key.SetValue({L"Name", REG_SZ, Units(std::wstring(L"a \"b\" c:\\d") + L'\0')});
    key.SetValue({L"Flag", REG_DWORD, {1, 0, 0, 0}});
    key.SetValue({L"Dir", REG_EXPAND_SZ, Units(std::wstring(L"%A%") + L'\0')});
    key.SetValue({L"", REG_BINARY, std::vector<BYTE>(30, 0xab)});
    EXPECT_EQ(WriteHiveText(root),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\KOVA]\n"
              "\"Name\"=\"a \\\"b\\\" c:\\\\d\"\n"
              "\"Flag\"=dword:00000001\n"
              "\"Dir\"=hex(2):25,00,41,00,25,00,00,00\n"
              "@=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n"
              "  ab,ab,ab,ab,ab,ab\n"
              "\n");
}

TEST(RegistryText, WhatIsWrittenReadsBackTheSame) {
    Key root(kHive);
    bool created;
    Key& key = root.GetOrAddChild(L"Ünïcode Key", created);
    const std::vector<Value> values{
        {L"Lines", REG_SZ, Units(std::wstring(L"one\r\ntwo") + L'\0')},
        {L"No terminator", REG_SZ, Units(L"abc")},
        {L"Embedded NUL", REG_SZ, Units(std::wstring(L"a\0b\0", 4))},
        {L"Astral \U0001F600", REG_MULTI_SZ, Units(std::wstring(L"\U0001F600\0x\0\0", 5))},
        {L"Short dword", REG_DWORD, {1, 2}},
        {L"Long binary", REG_BINARY, std::vector<BYTE>(300, 7)},
        {L"Empty", REG_BINARY, {}},
        {L"Empty text", REG_SZ, {}}, // written as hex(1): with no data
        {L"Empty list", REG_MULTI_SZ, {}},
        {L"None", REG_NONE, {1}},
    };
    for (const auto& value : values) {
        key.SetValue(value);
    }
    root.GetOrAddChild(L"Empty Key", created);
    const ParsedHive parsed = ParseHiveText(WriteHiveText(root), kHive);
    ASSERT_TRUE(parsed.problems.empty()) << parsed.problems.front().message;
    EXPECT_NE(parsed.root->FindChild(L"empty key"), nullptr);
    for (const auto& value : values) {
        const Value& read = ValueAt(*parsed.root, {L"Ünïcode Key"}, value.name);
        EXPECT_EQ(read.type, value.type) << Platform::WideToUtf8(value.name);
        EXPECT_EQ(read.data, value.data);
    }
    EXPECT_EQ(FindPath(*parsed.root, {L"ÜNÏCODE KEY"})->Name(), L"Ünïcode Key");
}

TEST(RegistryText, DeletionLinesOfImportFilesApply) {
    const ParsedHive parsed = ParseHiveText("Windows Registry Editor Version 5.00\n"
                                            "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                                            "[HKEY_CURRENT_USER\\C]\n"
                                            "[-HKEY_CURRENT_USER\\C]\n"
                                            "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=-\n",
                                            kHive);
    ASSERT_TRUE(parsed.problems.empty());
    EXPECT_EQ(parsed.root->FindChild(L"C"), nullptr);
    const Key* b = FindPath(*parsed.root, {L"A", L"B"});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FindValue(L"x"), nullptr);
    EXPECT_NE(b->FindValue(L"y"), nullptr);
}

struct MalformedCase {
    const char* text;
    int line;
};

std::ostream& operator<<(std::ostream& out, const MalformedCase& c) {
    return out << c.text;
}

class RegistryTextMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(RegistryTextMalformed, ReportsTheLineAndKeepsTheRest) {
    const std::string text = std::string("Windows Registry Editor Version 5.00\n"
                                         "[HKEY_CURRENT_USER\\Good]\n"
                                         "\"kept\"=dword:1\n") +
                             GetParam().text + "\n[HKEY_CURRENT_USER\\After]\n\"also\"=\"kept\"\n";
    const ParsedHive parsed = ParseHiveText(text, kHive);
    ASSERT_EQ(parsed.problems.size(), 1u);
    EXPECT_EQ(parsed.problems[0].line, GetParam().line);
    EXPECT_FALSE(parsed.problems[0].message.empty());
    EXPECT_NE(FindPath(*parsed.root, {L"Good"})->FindValue(L"kept"), nullptr);
    EXPECT_NE(FindPath(*parsed.root, {L"After"})->FindValue(L"also"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Lines, RegistryTextMalformed,
                         testing::Values(MalformedCase{"\"v\"=dword:123456789", 4},
                                         MalformedCase{"\"v\"=hex:1,zz", 4}, MalformedCase{"\"v\"=\"open", 4},
                                         MalformedCase{"\"v\"=\"a\" b", 4},
                                         MalformedCase{"\"v\"=hex(2):41", 4}, MalformedCase{"\"v\" \"x\"", 4},
                                         MalformedCase{"\"v\"=qword:1", 4}, MalformedCase{"just text", 4},
                                         MalformedCase{"[HKEY_LOCAL_MACHINE\\Other]\n\"skipped\"=\"x\"", 4},
                                         MalformedCase{"[HKEY_CURRENT_USER\\Open", 4},
                                         MalformedCase{"\"v\"=hex:01,\\\n  02,\\\n  0g", 4}));

TEST(RegistryText, AFileWithoutTheHeaderIsRefusedAsAWhole) {
    for (const char* text : {"", "\n\n", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n"}) {
        const ParsedHive parsed = ParseHiveText(text, kHive);
        ASSERT_EQ(parsed.problems.size(), 1u) << text;
        EXPECT_TRUE(parsed.root->Children().empty());
    }
}
