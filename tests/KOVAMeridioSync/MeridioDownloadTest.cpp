// Downloads of listed documents: the DIME reply's content (the default), by reference through the
// share the server hands out, and the server copy's hash that an upload compares before it writes.
#include "tests/KOVAMeridioSync/DimeTestRecords.h"
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSLocalFiles.h"
#include "Platform/Utf.h"
#include "tests/Support/LogCapture.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

using namespace MeridioTest;
using TestSupport::StrProp;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring HashOf(const std::string& content) {
    return CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(content.data()),
                                   static_cast<DWORD>(content.size()));
}

class MeridioDownload : public ::testing::Test {
protected:
    MeridioHost host;
    TestSupport::TempDirectory temp;
};

TEST_F(MeridioDownload, EveryListedDocumentArrivesWithTheServersBytes) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    ASSERT_EQ(count, 4);
    bool sawEmpty = false;
    for (USHORT index = 0; index < count; ++index) {
        SCOPED_TRACE(index);
        auto item = NewMap();
        ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
        const std::string expected =
            host.ContentOf(DocumentIdOf(*StrProp(*item, L"Mavisto.FromServerFileId")));
        sawEmpty = sawEmpty || expected.empty();
        const auto local = temp.path() / ("copy-" + std::to_string(index));
        ASSERT_EQ(host.Retrieve(index, local, item.get()), S_OK);
        EXPECT_EQ(ReadAll(local), expected);
        EXPECT_EQ(std::filesystem::file_size(local), expected.size());
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), HashOf(expected));
    }
    EXPECT_TRUE(sawEmpty) << "the sample has a zero-length document";
    const std::vector<std::string> actions = host.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "GetLatestVersionFile"), 4);
}

// A content larger than many receives (the reply's body is handed to the writer without a copy) lands
// byte for byte.
TEST_F(MeridioDownload, ALargeDocumentArrivesByteForByte) {
    std::string content(5u << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>((i * 7919) >> 3);
    }
    host.Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        repository.AddVersion(102, content, "2024-04-01T00:00:00Z");
    });
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    USHORT count = 0;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    for (USHORT index = 0; index < count; ++index) {
        auto item = NewMap();
        ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
        if (DocumentIdOf(*StrProp(*item, L"Mavisto.FromServerFileId")) != 102) {
            continue;
        }
        const auto local = temp.path() / "large";
        ASSERT_EQ(host.Retrieve(index, local, item.get()), S_OK);
        EXPECT_EQ(std::filesystem::file_size(local), content.size());
        EXPECT_TRUE(ReadAll(local) == content) << "the local copy differs from the server's content";
        return;
    }
    FAIL() << "document 102 was not listed";
}

// A content in chunks (of lengths that leave padding between them, one of none) lands as the chunks'
// bytes in order, and both the download's hash and the server copy's hash, taken without a file, are
// those bytes' hash.
TEST_F(MeridioDownload, AChunkedContentArrivesWholeAndHashesAsItsBytes) {
    using namespace DimeTest;
    const std::string reply = Record(kMessageBegin, "<soap:Envelope/>") + Record(kChunk, "first chunk") +
                              Record(kChunk, "") + Record(kChunk, "2") + Record(kMessageEnd, "the last one");
    const auto chunked = [&reply](DemoMeridio::HttpReply& served) { served.body = reply; };
    const std::string content = "first chunk2the last one";
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const USHORT index = IndexOf(host, 102);
    auto item = NewMap();
    ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
    host.Server().RewriteNextReply("GetLatestVersionFile", chunked);
    ASSERT_EQ(host.Retrieve(index, temp.path() / "chunked", item.get()), S_OK);
    EXPECT_EQ(ReadAll(temp.path() / "chunked"), content);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), HashOf(content));

    host.Server().RewriteNextReply("GetLatestVersionFile", chunked);
    CStdStr<wchar_t> hash;
    ASSERT_EQ(host.Filter().GetHashForRemoteFile(host.Location(L"document", 102), hash), S_OK);
    EXPECT_EQ(hash, HashOf(content));
}

// The server copy's hash of an empty content is the one an empty local file gets.
TEST_F(MeridioDownload, TheServerCopysHashOfNoBytesIsTheEmptyFilesHash) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    host.Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { repository.AddVersion(102, "", "2024-04-01T00:00:00Z"); });
    CStdStr<wchar_t> hash;
    ASSERT_EQ(host.Filter().GetHashForRemoteFile(host.Location(L"document", 102), hash), S_OK);
    EXPECT_EQ(hash, EmptyContentHash);
}

TEST_F(MeridioDownload, UpdateComparesTheServerCopysHashFirst) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const USHORT index = IndexOf(host, 102);
    auto item = NewMap();
    ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
    ASSERT_EQ(host.Retrieve(index, temp.path() / "plan.md", item.get()), S_OK);
    std::ofstream(temp.path() / "plan.md", std::ios::binary | std::ios::app) << "local edit";
    item->Set(L"Mavisto.IsContentChanged", LONG(1));
    const _bstr_t localPath((temp.path() / "plan.md").c_str());

    // The server copy is still the downloaded one: the upload goes on to the write.
    EXPECT_EQ(
        host.Sync()->raw_UpdateDocument(localPath, _bstr_t(L"Project plan 2024.md"), nullptr, item.get()),
        S_OK);
    EXPECT_NE(StrProp(*item, L"Mavisto.SyncIssueType"), L"CONFLICT");
    EXPECT_NE(host.ContentOf(102).find("local edit"), std::string::npos);

    // Somebody else saved a new version: the upload stops at a conflict.
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddVersion(102, "saved by somebody else", "2024-06-01T12:00:00Z");
    });
    EXPECT_EQ(
        host.Sync()->raw_UpdateDocument(localPath, _bstr_t(L"Project plan 2024.md"), nullptr, item.get()),
        E_FAIL);
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueType"), L"CONFLICT");
    EXPECT_EQ(StrProp(*item, L"Mavisto.RemoteChangeETag"), HashOf("saved by somebody else"));
}

TEST_F(MeridioDownload, ALocalEditThatCannotBeToldIsNeverOverwrittenByTheServerCopy) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto item = host.Item(IndexOf(host, 102));
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddVersion(102, "saved by another user", "2024-07-01T08:00:00Z");
    });
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);

    // The host cannot say whether the user changed the local copy.
    item->Failures().Fail(Host::PropertyMapMethod::GetItemExists, E_UNEXPECTED,
                          L"Mavisto.MessageIsUnchanged");
    LONG change = -1;
    EXPECT_EQ(host.Sync()->raw_HasChanges(IndexOf(host, 102), item.get(), &change), E_UNEXPECTED);
    EXPECT_EQ(change, -1);

    item->Failures().Clear();
    item->Set(L"Mavisto.MessageIsUnchanged", LONG(1));
    EXPECT_EQ(host.Sync()->raw_HasChanges(IndexOf(host, 102), item.get(), &change), S_OK);
    EXPECT_EQ(change, 1);
}

// The files in the directory, by name.
std::vector<std::string> FilesIn(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A reply that does not hold the whole content leaves the user's copy as it was, and nothing beside it.
TEST_F(MeridioDownload, ABadReplyLeavesTheLocalFileAsItWas) {
    const struct {
        const char* name;
        std::function<void(DemoMeridio::HttpReply&)> rewrite;
    } cases[] = {
        {"a reply cut off in the content",
         [](DemoMeridio::HttpReply& reply) { reply.body.resize(reply.body.size() - 5); }},
        {"a reply too short for two records", [](DemoMeridio::HttpReply& reply) { reply.body.resize(16); }},
        {"an empty reply", [](DemoMeridio::HttpReply& reply) { reply.body.clear(); }},
    };
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const USHORT index = IndexOf(host, 102);
    const std::filesystem::path local = temp.path() / "plan.md";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(local, std::ios::binary) << "the user's copy";
        host.Server().RewriteNextReply("GetLatestVersionFile", c.rewrite);
        auto item = NewMap();
        EXPECT_TRUE(FAILED(host.Retrieve(index, local, item.get())));
        EXPECT_EQ(ReadAll(local), "the user's copy");
        EXPECT_EQ(FilesIn(temp.path()), std::vector<std::string>{"plan.md"});
    }
    // A whole reply replaces it.
    auto item = NewMap();
    ASSERT_EQ(host.Retrieve(index, local, item.get()), S_OK);
    EXPECT_EQ(ReadAll(local), host.ContentOf(102));
    EXPECT_EQ(FilesIn(temp.path()), std::vector<std::string>{"plan.md"});
}

TEST_F(MeridioDownload, RemoteHashOfADocumentThatIsGoneFails) {
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    CStdStr<wchar_t> hash;
    ASSERT_EQ(host.Filter().GetHashForRemoteFile(host.Location(L"document", 103), hash), S_OK);
    EXPECT_EQ(hash, HashOf(host.ContentOf(103)));

    host.Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { repository.DeleteDocument(103); });
    CStdStr<wchar_t> gone;
    EXPECT_TRUE(FAILED(host.Filter().GetHashForRemoteFile(host.Location(L"document", 103), gone)));
    EXPECT_TRUE(gone.empty());
}

// Settings are read by a child process of their own: by-reference downloads from the share that
// $KOVA_UNC_ROOT stands for.
KOVA_CHILD_SCENARIO(MeridioDownloadByReference) {
    const std::filesystem::path shareRoot = std::getenv("KOVA_UNC_ROOT");
    TestSupport::TempDirectory temp;
    {
        MeridioHost host(shareRoot);
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        const USHORT index = IndexOf(host, 102);
        auto item = NewMap();
        ASSERT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
        ASSERT_EQ(host.Retrieve(index, temp.path() / "plan.md", item.get()), S_OK);
        EXPECT_EQ(ReadAll(temp.path() / "plan.md"), host.ContentOf(102));
        EXPECT_EQ(host.Actions().back(), "GetLatestVersionFileByRef");
        EXPECT_TRUE(std::filesystem::exists(shareRoot / "demo-meridio" / "transfer" / "102" / "3"));
    }
    {
        // A copy that fails leaves the user's copy as it was.
        MeridioHost host(shareRoot);
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        const std::filesystem::path share = shareRoot / "demo-meridio" / "transfer";
        std::filesystem::create_directories(share / "unreadable");
        host.Server().HandOutByReferencePath("\\\\demo-meridio\\transfer\\unreadable");
        std::ofstream(temp.path() / "kept.md") << "the user's copy";
        auto item = NewMap();
        EXPECT_TRUE(FAILED(host.Retrieve(IndexOf(host, 102), temp.path() / "kept.md", item.get())));
        EXPECT_EQ(ReadAll(temp.path() / "kept.md"), "the user's copy");
        EXPECT_EQ(FilesIn(temp.path()), (std::vector<std::string>{"kept.md", "plan.md"}));
    }
    // A server without by-reference transfer hands out no path.
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    auto item = NewMap();
    EXPECT_TRUE(FAILED(host.Retrieve(IndexOf(host, 102), temp.path() / "none.md", item.get())));
}

std::wstring Backslashed(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return text;
}

// A server that hands out a path off the shares gets nothing copied: a local path in any form, a
// climb out of the share, a link on the share that leads out of the shares.
KOVA_CHILD_SCENARIO(MeridioDownloadByReferenceOffTheShares) {
    const std::filesystem::path shareRoot = std::getenv("KOVA_UNC_ROOT");
    const std::filesystem::path share = shareRoot / "demo-meridio" / "transfer";
    TestSupport::TempDirectory outside;
    const std::filesystem::path secret = outside.path() / "secret.key";
    std::ofstream(secret) << "private key";
    std::filesystem::create_directories(share);
    std::filesystem::create_symlink(secret, share / "link.key");
    std::filesystem::create_directory_symlink(outside.path(), share / "outside");
    std::ofstream(share / "on-share.txt") << "shared";
    std::filesystem::create_symlink(share / "on-share.txt", share / "link-on-share.txt");

    std::wstring climb;
    std::wstring slashedClimb;
    for (int level = 0; level < 32; ++level) {
        climb += L"\\..";
        slashedClimb += L"/..";
    }
    const std::wstring refused[] = {
        L"C:" + Backslashed(secret),
        L"\\\\?\\C:" + Backslashed(secret),
        secret.wstring(),
        L"\\\\.\\C:" + Backslashed(secret),
        L"..\\..\\secret.key",
        L"\\\\demo-meridio\\transfer" + climb + Backslashed(secret),
        L"\\\\?\\UNC\\demo-meridio\\transfer" + climb + Backslashed(secret),
        L"//demo-meridio/transfer" + slashedClimb + secret.wstring(),
        L"\\\\demo-meridio\\transfer\\.\\link.key",
        L"\\\\demo-meridio",
        L"\\\\demo-meridio\\transfer\\link.key",
        L"\\\\?\\UNC\\demo-meridio\\transfer\\outside\\secret.key",
    };
    MeridioHost host(shareRoot);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const USHORT index = IndexOf(host, 102);
    TestSupport::TempDirectory mirror;
    for (const std::wstring& path : refused) {
        const std::string narrow = Platform::WideToUtf8(path);
        SCOPED_TRACE(narrow);
        host.Server().HandOutByReferencePath(narrow);
        TestSupport::LogCapture log;
        auto item = NewMap();
        EXPECT_EQ(host.Retrieve(index, mirror.path() / "copy.md", item.get()), E_ACCESSDENIED);
        EXPECT_FALSE(std::filesystem::exists(mirror.path() / "copy.md"));
        const std::vector<std::string> errors = log.Errors();
        EXPECT_NE(std::find_if(errors.begin(), errors.end(),
                               [&](const std::string& line) {
                                   return line.find("Refusing file location outside the file shares: " +
                                                    narrow) != std::string::npos;
                               }),
                  errors.end());
    }
    EXPECT_EQ(ReadAll(secret), "private key");

    // A link that stays on the shares is followed.
    host.Server().HandOutByReferencePath("\\\\demo-meridio\\transfer\\link-on-share.txt");
    auto item = NewMap();
    ASSERT_EQ(host.Retrieve(index, mirror.path() / "linked.md", item.get()), S_OK);
    EXPECT_EQ(ReadAll(mirror.path() / "linked.md"), "shared");
}

TEST(MeridioDownloadByReference, PathsOffTheSharesAreRefused) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = {{"MeridioSync.UseUNCFiletransfer", std::uint32_t{1}}};
    options.environment = {{"KOVA_UNC_ROOT", (work.path() / "unc").string()}};
    const ChildScenarios::Result result =
        ChildScenarios::Run("MeridioDownloadByReferenceOffTheShares", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

TEST(MeridioDownloadByReference, ContentComesFromTheShare) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = {{"MeridioSync.UseUNCFiletransfer", std::uint32_t{1}}};
    options.environment = {{"KOVA_UNC_ROOT", (work.path() / "unc").string()}};
    const ChildScenarios::Result result = ChildScenarios::Run("MeridioDownloadByReference", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

} // namespace
