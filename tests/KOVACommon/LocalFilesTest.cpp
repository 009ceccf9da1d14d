#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"
#include "KOVACommon/LSLocalFiles.h"
#include "Platform/PathMapping.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace TestSupport;

TEST(LocalFiles, MailFilesAreKnownByTheirExtension) {
    for (const wchar_t* name : {L"Report.MSG", L"a.Eml", L".msg", L"x.mim", L"y.MME", L"dir.x\\m.msg"}) {
        EXPECT_TRUE(IsMailFile(name)) << CStdStr<wchar_t>(name);
    }
    for (const wchar_t* name : {L"mail.msg.txt", L"msg", L"a.msgx", L"dir.msg\\file", L""}) {
        EXPECT_FALSE(IsMailFile(name)) << CStdStr<wchar_t>(name);
    }
    EXPECT_EQ(GetFileExtension(L"a.b.Doc"), L".Doc");
    EXPECT_EQ(GetFileExtension(L"none"), L"");
}

TEST(LocalFiles, TemporaryPathsAreNewAndReserved) {
    const CStdStr<wchar_t> first = MakeTempFilePath();
    const CStdStr<wchar_t> second = MakeTempFilePath();
    EXPECT_NE(first, second);
    for (const CStdStr<wchar_t>& path : {first, second}) {
        EXPECT_TRUE(EndsWith(path, L".tmp"));
        EXPECT_NE(path.find(L"LS{"), CStdStr<wchar_t>::npos);
        EXPECT_EQ(std::filesystem::file_size(Platform::NativePath(path)), 0u);
        EXPECT_TRUE(DeleteFileW(path.c_str()));
    }
}

class LocalCopy : public FilterTest {
protected:
    LocalCopy() : informer(Host::LSShutdownInformer::Create()) {
        std::ofstream(temp.path() / "source.txt") << "payload";
    }
    Owned<Host::LSShutdownInformer> informer;
};

TEST_F(LocalCopy, CopiesAndReleasesTheInformer) {
    auto item = NewMap();
    EXPECT_EQ(CopyLocalFile(LocalPath("source.txt"), LocalPath("copy.txt"), item.get(), informer.get()),
              S_OK);
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "copy.txt"));
    EXPECT_GE(informer->ShutdownQueries(), 1u);
    EXPECT_EQ(informer->AddRef(), 2u);
    informer->Release();
    EXPECT_EQ(CopyLocalFile(LocalPath("source.txt"), LocalPath("copy2.txt"), nullptr, nullptr), S_OK);
}

TEST_F(LocalCopy, AccessDeniedLeavesTheMessageOnTheItem) {
    std::ofstream(temp.path() / "locked.txt") << "old";
    std::filesystem::permissions(temp.path() / "locked.txt", std::filesystem::perms::owner_read);
    auto item = NewMap();
    EXPECT_EQ(CopyLocalFile(LocalPath("source.txt"), LocalPath("locked.txt"), item.get(), informer.get()),
              E_FAIL);
    const CStdStr<wchar_t> message(4075);
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(StrProp(*item, L"Mavisto.SyncIssueMessage"), std::wstring(message));
    EXPECT_EQ(CopyLocalFile(LocalPath("source.txt"), LocalPath("locked.txt"), nullptr, informer.get()),
              E_FAIL);
    EXPECT_EQ(informer->AddRef(), 2u);
    informer->Release();
}

TEST_F(LocalCopy, ShutdownCancelsTheCopyWithoutTraceOnTheItem) {
    informer->SetShutdownRequested(true);
    auto item = NewMap();
    EXPECT_EQ(CopyLocalFile(LocalPath("source.txt"), LocalPath("copy.txt"), item.get(), informer.get()),
              E_FAIL);
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "copy.txt"));
    EXPECT_TRUE(item->Properties().empty());

    // A failing question lets the copy go on.
    informer->Failures().Fail(Host::ShutdownInformerMethod::ShutdownRequested, E_FAIL);
    EXPECT_EQ(CopyLocalFile(LocalPath("source.txt"), LocalPath("copy.txt"), item.get(), informer.get()),
              S_OK);
}

TEST_F(LocalCopy, MissingSourceFails) {
    auto item = NewMap();
    EXPECT_EQ(CopyLocalFile(LocalPath("none.txt"), LocalPath("copy.txt"), item.get(), nullptr), E_FAIL);
    EXPECT_TRUE(item->Properties().empty());
}

TEST_F(LocalCopy, AFileOfNoBytesHasTheEmptyContentHashAndAnUnreadableOrStoppedOneNone) {
    const std::wstring empty = L"{D98C1DD4-008F-04B2-E980-0998ECF8427E}";
    std::ofstream(temp.path() / "empty.txt");
    EXPECT_EQ(filter->GetHashForLocalFile(LocalPath("empty.txt")), empty);
    EXPECT_EQ(filter->GetHashForLocalFile(LocalPath("missing.txt")), L"");
    EXPECT_EQ(filter->GetHashForLocalFile(temp.path().wstring()), L"");
    // Without an informer the hash is still taken.
    EXPECT_EQ(filter->GetHashForLocalFile(LocalPath("source.txt")),
              CLSHash::GetHashForData(reinterpret_cast<const BYTE*>("payload"), 7));

    ASSERT_EQ(ShutdownInfo()->putref_pShutdownInformer(informer.get()), S_OK);
    EXPECT_EQ(filter->GetHashForLocalFile(LocalPath("source.txt")),
              CLSHash::GetHashForData(reinterpret_cast<const BYTE*>("payload"), 7));
    informer->SetShutdownRequested(true);
    std::ofstream(temp.path() / "large.bin") << std::string(200 * 1024, 'q');
    EXPECT_EQ(filter->GetHashForLocalFile(LocalPath("large.bin")), L"");
}

} // namespace
