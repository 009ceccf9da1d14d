#include "VantrelCommon/LSHash.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {

// The 32 hexadecimal digits of an MD5 digest in the GUID form of the fingerprint: the digest
// bytes are the GUID's bytes in memory, so the first three groups appear byte-reversed.
CStdStr<wchar_t> GuidFormOf(const std::string& md5) {
    auto byte = [&](int i) { return md5.substr(2 * static_cast<size_t>(i), 2); };
    std::string text = "{" + byte(3) + byte(2) + byte(1) + byte(0) + "-" + byte(5) + byte(4) + "-" + byte(7) +
                       byte(6) + "-" + byte(8) + byte(9) + "-";
    for (int i = 10; i < 16; ++i) {
        text += byte(i);
    }
    text += "}";
    CStdStr<wchar_t> wide;
    for (char c : text) {
        wide += static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    }
    return wide;
}

// MD5 by the system's md5sum tool, independent of the code under test.
std::string Md5Sum(const std::filesystem::path& file) {
    const std::string command = "md5sum '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char digest[33] = {};
    const size_t read = pipe == nullptr ? 0 : fread(digest, 1, 32, pipe);
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return std::string(digest, read);
}

CStdStr<wchar_t> HashOfBytes(const std::string& bytes) {
    return CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size()));
}

// RFC 1321, appendix A.5.
const std::pair<const char*, const char*> kRfc1321Suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

class LSHashFileTest : public testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, const std::string& content) {
        const auto path = dir.path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static CStdStr<wchar_t> HashFile(const std::filesystem::path& path,
                                     const CLSHash::AbortCheck& check = {}) {
        return CLSHash::GetHashForLocalFile(CStdStr<wchar_t>(path.wstring()), check);
    }
    TestSupport::TempDirectory dir;
};

TEST(LSHash, DataFingerprintsMatchTheReferenceSuite) {
    for (const auto& [text, md5] : kRfc1321Suite) {
        EXPECT_EQ(HashOfBytes(text), GuidFormOf(md5)) << text;
    }
    EXPECT_EQ(HashOfBytes(""), L"{D98C1DD4-008F-04B2-E980-0998ECF8427E}");
}

TEST(LSHash, StringsAreHashedAsUtf16LittleEndian) {
    EXPECT_EQ(GetHashForString(L"abc"), HashOfBytes(std::string("a\0b\0c\0", 6)));
    EXPECT_NE(GetHashForString(L"abc"), HashOfBytes("abc"));
    // U+1F600 is the surrogate pair D83D DE00.
    EXPECT_EQ(GetHashForString(L"x\U0001F600"), HashOfBytes(std::string("x\0\x3D\xD8\x00\xDE", 6)));
    EXPECT_EQ(GetHashForString(L""), L"{D98C1DD4-008F-04B2-E980-0998ECF8427E}");
}

TEST(LSHash, StringsDifferingInAsciiCaseShareTheirFingerprint) {
    EXPECT_EQ(GetHashForString(L"Meridio://SERVER/Doc/17"), GetHashForString(L"meridio://server/doc/17"));
    EXPECT_NE(GetHashForString(L"\u00C4"), GetHashForString(L"\u00E4")); // only A to Z fold
}

TEST_F(LSHashFileTest, FileFingerprintsMatchTheReferenceSuite) {
    int index = 0;
    for (const auto& [text, md5] : kRfc1321Suite) {
        if (*text == '\0') {
            continue; // an empty file has no fingerprint (below)
        }
        const auto path = Write("suite" + std::to_string(index++), text);
        EXPECT_EQ(HashFile(path), GuidFormOf(md5)) << text;
    }
}

TEST_F(LSHashFileTest, EmptyMissingOrDirectoryGivesNoFingerprint) {
    EXPECT_EQ(HashFile(Write("empty", "")), L"");
    EXPECT_EQ(HashFile(dir.path() / "missing"), L"");
    EXPECT_EQ(HashFile(dir.path()), L"");
}

TEST_F(LSHashFileTest, SeveralMebibytesMatchAnIndependentDigest) {
    std::mt19937 random(1321);
    std::string content(5 * 1024 * 1024 + 123, '\0');
    for (char& c : content) {
        c = static_cast<char>(random());
    }
    const auto path = Write("large.bin", content);
    EXPECT_EQ(HashFile(path), GuidFormOf(Md5Sum(path)));
}

TEST_F(LSHashFileTest, ChunkEdgesAskTheAbortCheckBetweenChunksOnly) {
    for (const size_t size : {size_t{65535}, size_t{65536}, size_t{65537}, size_t{3 * 65536}}) {
        const auto path = Write("edge" + std::to_string(size), std::string(size, 'k'));
        int asked = 0;
        const CStdStr<wchar_t> hash = HashFile(path, [&] {
            ++asked;
            return false;
        });
        EXPECT_EQ(hash, GuidFormOf(Md5Sum(path))) << size;
        EXPECT_EQ(asked, static_cast<int>((size - 1) / 65536)) << size;
    }
}

TEST_F(LSHashFileTest, AbortBetweenChunksGivesNoFingerprint) {
    const auto path = Write("three-chunks", std::string(3 * 65536, 'z'));
    int asked = 0;
    const CStdStr<wchar_t> hash = HashFile(path, [&] { return ++asked == 2; });
    EXPECT_EQ(hash, L"");
    EXPECT_EQ(asked, 2);
}

} // namespace
