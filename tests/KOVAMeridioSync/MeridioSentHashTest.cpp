// After an upload, the retrieve of the sent file as content already local takes the hash of the bytes
// the upload sent, once, while the file keeps the size and time it had when it was read; any other
// retrieve hashes the file it is given.
#include "tests/KOVAMeridioSync/MeridioUploadFixture.h"

#include "KOVACommon/LSLocalFiles.h"

#include <filesystem>
#include <functional>

namespace {

using namespace MeridioTest;
namespace fs = std::filesystem;

const std::string kSent = "sent content";
const std::string kSameSize = "SENT CONTENT";

CStdStr<wchar_t> HashOf(const std::string& bytes) {
    return CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size()));
}

// Writes over the file, keeping its modification time.
void Rewrite(const fs::path& file, const std::string& bytes) {
    const fs::file_time_type time = fs::last_write_time(file);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    fs::last_write_time(file, time);
}

class MeridioSentHash : public MeridioUpload {
protected:
    void SetUp() override {
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        index = IndexOf(host, 102);
        item = host.Item(index);
        item->Set(L"Mavisto.IsContentChanged", LONG(1));
    }

    HRESULT Update(const fs::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
        return host.Sync()->raw_UpdateDocument(_bstr_t(file.c_str()), _bstr_t(L"Project plan 2024.md"),
                                               nullptr, item.get());
    }

    // The hash the retrieve of the file as content already local keeps on the item.
    std::wstring RetrievedHash(const fs::path& file) {
        EXPECT_EQ(host.Sync()->raw_RetrieveItemToPath(index, _bstr_t(file.c_str()), nullptr, item.get(),
                                                      VARIANT_TRUE, nullptr),
                  S_OK);
        return TestSupport::StrProp(*item, L"Mavisto.FromServerETag").value_or(L"");
    }

    USHORT index = 0;
    TestSupport::Owned<Host::LSMemoryPropertyMap> item;
};

TEST_F(MeridioSentHash, TheRetrieveOfTheSentFileTakesTheHashOfTheBytesSent) {
    // The file then holds other bytes of the same size under the same time: only the sent bytes'
    // hash tells that the file was not read again.
    const fs::path sent = temp.path() / "sent.bin";
    ASSERT_EQ(Update(sent, kSent), S_OK);
    Rewrite(sent, kSameSize);
    EXPECT_EQ(RetrievedHash(sent), HashOf(kSent));
}

struct AfterUploadCase {
    const char* label;
    std::function<void(const fs::path& sent, const fs::path& other)> change;
    bool otherPath;   // the retrieve is of another file
    int retrieves;    // of the same file, the last one looked at
    std::string held; // what the retrieved file holds at its last retrieve
};

class MeridioSentHashNotUsed : public MeridioSentHash,
                               public ::testing::WithParamInterface<AfterUploadCase> {};

TEST_P(MeridioSentHashNotUsed, TheFileIsHashed) {
    const AfterUploadCase& c = GetParam();
    const fs::path sent = temp.path() / "sent.bin";
    const fs::path other = temp.path() / "other.bin";
    ASSERT_EQ(Update(sent, kSent), S_OK);
    std::ofstream(other, std::ios::binary) << kSameSize;
    fs::last_write_time(other, fs::last_write_time(sent));
    c.change(sent, other);
    const fs::path retrieved = c.otherPath ? other : sent;
    for (int done = 1; done < c.retrieves; ++done) {
        RetrievedHash(retrieved);
        Rewrite(retrieved, c.held);
    }
    EXPECT_EQ(RetrievedHash(retrieved), HashOf(c.held));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeridioSentHashNotUsed,
    ::testing::Values(
        AfterUploadCase{"timeChanged",
                        [](const fs::path& sent, const fs::path&) {
                            Rewrite(sent, kSameSize);
                            fs::last_write_time(sent, fs::last_write_time(sent) + std::chrono::seconds(1));
                        },
                        false, 1, kSameSize},
        AfterUploadCase{"sizeChanged",
                        [](const fs::path& sent, const fs::path&) { Rewrite(sent, "longer content"); }, false,
                        1, "longer content"},
        AfterUploadCase{"anotherPath", [](const fs::path&, const fs::path&) {}, true, 1, kSameSize},
        AfterUploadCase{"secondRetrieve", [](const fs::path&, const fs::path&) {}, false, 2, kSameSize}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MeridioSentHash, AFailedUploadLeavesNoHashOfAnEarlierOne) {
    const fs::path sent = temp.path() / "sent.bin";
    ASSERT_EQ(Update(sent, kSent), S_OK);
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.FindDocument(102)->lock = DemoMeridio::Lock{"someone else", "2024-01-01T00:00:00Z"};
    });
    EXPECT_EQ(Update(temp.path() / "refused.bin", "refused"), E_FAIL);
    Rewrite(sent, kSameSize);
    EXPECT_EQ(RetrievedHash(sent), HashOf(kSameSize));
}

TEST_F(MeridioSentHash, AnEmptyFileSentGetsTheHashOfAnEmptyFile) {
    const fs::path sent = temp.path() / "empty.bin";
    ASSERT_EQ(Update(sent, ""), S_OK);
    EXPECT_EQ(RetrievedHash(sent), EmptyContentHash);
}

} // namespace
