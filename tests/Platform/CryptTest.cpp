#include "Platform/WinBase.h"
#include "Platform/WinCrypt.h"
#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(const BYTE* bytes, DWORD count) {
    std::string text;
    for (DWORD i = 0; i < count; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

class CryptTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            CryptAcquireContextW(&provider, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    }
    void TearDown() override { EXPECT_TRUE(CryptReleaseContext(provider, 0)); }

    // Hashes the text in pieces of the given size.
    std::string Md5(const std::string& text, size_t piece = 1000) {
        HCRYPTHASH hash = 0;
        EXPECT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
        for (size_t at = 0; at < text.size(); at += piece) {
            const std::string part = text.substr(at, piece);
            EXPECT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>(part.data()),
                                      static_cast<DWORD>(part.size()), 0));
        }
        BYTE digest[16] = {};
        DWORD length = sizeof digest;
        EXPECT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0));
        EXPECT_TRUE(CryptDestroyHash(hash));
        return Hex(digest, length);
    }

    HCRYPTPROV provider = 0;
};

// RFC 1321, appendix A.5.
TEST_F(CryptTest, Md5MatchesTheReferenceSuite) {
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : suite) {
        EXPECT_EQ(Md5(text), expected) << text;
        EXPECT_EQ(Md5(text, 7), expected) << text << " in pieces";
    }
}

TEST_F(CryptTest, SizeQueriesFollowTheBufferProtocol) {
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
    DWORD size = 0;
    DWORD length = sizeof size;
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &length, 0));
    EXPECT_EQ(size, 16u);
    length = 0;
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, nullptr, &length, 0));
    EXPECT_EQ(length, 16u);
    BYTE small[8];
    length = sizeof small;
    EXPECT_FALSE(CryptGetHashParam(hash, HP_HASHVAL, small, &length, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(length, 16u);

    BYTE digest[16];
    length = sizeof digest;
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0));
    const BYTE more = 'x';
    EXPECT_FALSE(CryptHashData(hash, &more, 1, 0)); // the value was read: the hash is finished
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NTE_BAD_HASH_STATE));
    EXPECT_TRUE(CryptDestroyHash(hash));
}

TEST(Crypt, RefusesWhatItDoesNotProvide) {
    HCRYPTPROV provider = 0;
    EXPECT_FALSE(CryptAcquireContextW(&provider, L"keys", nullptr, PROV_RSA_FULL, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NTE_BAD_KEYSET));
    EXPECT_FALSE(
        CryptAcquireContextW(&provider, nullptr, L"Some Other Provider", PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    ASSERT_TRUE(CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    HCRYPTHASH hash = 0;
    EXPECT_FALSE(CryptCreateHash(provider, 0x8004 /* SHA-1 */, 0, 0, &hash));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NTE_BAD_ALGID));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

} // namespace
