#include "tests/KOVACommon/FilterTestFixture.h"

#include "KOVACommon/LSFilterSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace TestSupport;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::wstring HashOf(const std::string& content) {
    return CLSHash::GetHashForData(reinterpret_cast<const BYTE*>(content.data()),
                                   static_cast<DWORD>(content.size()));
}

class Download : public FilterTest {
protected:
    HRESULT Retrieve(USHORT index, ILSPropertyMap* item, VARIANT_BOOL contentIsLocal = VARIANT_FALSE,
                     BSTR* listedName = nullptr) {
        return Sync()->raw_RetrieveItemToPath(index, _bstr_t(LocalPath("copy.doc").c_str()), listedName, item,
                                              contentIsLocal, _bstr_t(L"extra"));
    }
};

TEST_F(Download, ListedItemIsCopiedAndItsHashKept) {
    AddDocument(L"Report.doc", L"docs/1", 1, Time(2024, 1, 1), "server bytes");
    StartFolderPass();
    auto item = NewMap();
    BSTR listedName = nullptr;
    ASSERT_EQ(Retrieve(0, item.get(), VARIANT_FALSE, &listedName), S_OK);
    EXPECT_EQ(CStdStr<wchar_t>(listedName), L"Report.doc");
    SysFreeString(listedName);
    EXPECT_EQ(ReadAll(temp.path() / "copy.doc"), "server bytes");
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), HashOf("server bytes"));
}

TEST_F(Download, UnknownRemoteDateFailsBeforeAnyDownload) {
    AddDocument(L"a.doc", L"docs/1", 1, std::nullopt);
    StartFolderPass();
    auto item = NewMap();
    EXPECT_EQ(Retrieve(0, item.get()), E_FAIL);
    EXPECT_EQ(filter->CallCount("CopyFileToLocal"), 0u);
}

TEST_F(Download, ContentAlreadyLocalIsHashedWithoutDownload) {
    AddDocument(L"a.doc", L"docs/1", 1, Time(2024, 1, 1), "server");
    StartFolderPass();
    std::ofstream(temp.path() / "copy.doc", std::ios::binary) << "local bytes";
    auto item = NewMap();
    ASSERT_EQ(Retrieve(0, item.get(), VARIANT_TRUE), S_OK);
    EXPECT_EQ(filter->CallCount("CopyFileToLocal"), 0u);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), HashOf("local bytes"));
}

TEST_F(Download, SkippedHashAndSuppressedAndFailedDownloads) {
    AddDocument(L"a.doc", L"docs/1", 1, Time(2024, 1, 1), "server");
    StartFolderPass();
    filter->knobs.downloadHashSkipped = true;
    auto skipped = NewMap();
    EXPECT_EQ(Retrieve(0, skipped.get()), S_OK);
    EXPECT_FALSE(StrProp(*skipped, L"Mavisto.FromServerETag"));

    filter->knobs.downloadHashSkipped = false;
    filter->knobs.copyToLocalResult = S_FALSE;
    auto suppressed = NewMap();
    EXPECT_TRUE(SUCCEEDED(Retrieve(0, suppressed.get())));
    EXPECT_FALSE(StrProp(*suppressed, L"Mavisto.FromServerETag"));

    filter->knobs.copyToLocalResult = E_ACCESSDENIED;
    auto failed = NewMap();
    EXPECT_EQ(Retrieve(0, failed.get()), E_ACCESSDENIED);
    EXPECT_FALSE(StrProp(*failed, L"Mavisto.FromServerETag"));
}

TEST_F(Download, EmptyContentHashesAsEmptyContent) {
    AddDocument(L"a.doc", L"docs/1", 1, Time(2024, 1, 1), "");
    StartFolderPass();
    auto item = NewMap();
    ASSERT_EQ(Retrieve(0, item.get()), S_OK);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), L"{D98C1DD4-008F-04B2-E980-0998ECF8427E}");
}

TEST_F(Download, ALocalCopyThatCannotBeHashedFailsAndStoresNoHash) {
    AddDocument(L"a.doc", L"docs/1", 1, Time(2024, 1, 1), std::string(200 * 1024, 'q'));
    StartFolderPass();
    const auto informer = Owned<Host::LSShutdownInformer>(Host::LSShutdownInformer::Create());
    ASSERT_EQ(ShutdownInfo()->putref_pShutdownInformer(informer.get()), S_OK);
    struct Case {
        const char* what;
        const char* localName;
        VARIANT_BOOL contentIsLocal;
        bool shutdown;
        HRESULT result;
    };
    const Case cases[] = {
        {"missing local copy", "never-written", VARIANT_TRUE, false, E_FAIL},
        {"hash stopped by shutdown", "copy.doc", VARIANT_FALSE, true, E_ABORT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        informer->SetShutdownRequested(c.shutdown);
        auto item = NewMap();
        item->Set(L"Mavisto.FromServerETag", std::wstring(L"{hash of the copy the item holds}"));
        EXPECT_EQ(Sync()->raw_RetrieveItemToPath(0, _bstr_t(LocalPath(c.localName).c_str()), nullptr,
                                                 item.get(), c.contentIsLocal, nullptr),
                  c.result);
        EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), L"{hash of the copy the item holds}");
        auto written = NewMap();
        ASSERT_EQ(Sync()->raw_SetItemProperties(0, written.get()), S_OK);
        EXPECT_FALSE(StrProp(*written, L"Mavisto.FromServerETag"));
    }

    // Outside a listing the same holds.
    informer->SetShutdownRequested(true);
    auto single = NewMap();
    single->Set(L"Mavisto.FromServerFileName", std::wstring(L"a.doc"));
    EXPECT_EQ(HeaderOnly()->raw_RetrieveIndividualItemToPath(
                  single.get(), _bstr_t(LocalPath("one.doc").c_str()), nullptr, VARIANT_FALSE, nullptr),
              E_ABORT);
    EXPECT_FALSE(StrProp(*single, L"Mavisto.FromServerETag"));
}

TEST_F(Download, SingleItemInHeaderOnlySync) {
    AddDocument(L"a.doc", L"docs/1", 1, std::nullopt, "single");
    auto item = NewMap();
    item->Set(L"Mavisto.FromServerFileName", std::wstring(L"a.doc"));
    BSTR name = nullptr;
    ASSERT_EQ(HeaderOnly()->raw_RetrieveIndividualItemToPath(
                  item.get(), _bstr_t(LocalPath("one.doc").c_str()), &name, VARIANT_FALSE, nullptr),
              S_OK);
    EXPECT_EQ(CStdStr<wchar_t>(name), L"a.doc");
    SysFreeString(name);
    EXPECT_EQ(ReadAll(temp.path() / "one.doc"), "single");
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), HashOf("single"));

    // A repository that skips the local hash stores the server's.
    filter->knobs.downloadHashSkipped = true;
    filter->FindDocument(L"docs/1")->content = "newer";
    ASSERT_EQ(HeaderOnly()->raw_RetrieveIndividualItemToPath(
                  item.get(), _bstr_t(LocalPath("two.doc").c_str()), nullptr, VARIANT_FALSE, nullptr),
              S_OK);
    EXPECT_EQ(StrProp(*item, L"Mavisto.FromServerETag"), HashOf("newer"));

    EXPECT_EQ(
        HeaderOnly()->raw_RetrieveIndividualItemToPath(nullptr, nullptr, nullptr, VARIANT_FALSE, nullptr),
        E_INVALIDARG);
    filter->knobs.storedNameResult = MAPI_E_NOT_FOUND;
    EXPECT_EQ(HeaderOnly()->raw_RetrieveIndividualItemToPath(
                  item.get(), _bstr_t(LocalPath("three.doc").c_str()), nullptr, VARIANT_FALSE, nullptr),
              MAPI_E_NOT_FOUND);
}

TEST_F(Download, HeaderOnlyFlagAndTheOtherHeaderOnlyMethods) {
    EXPECT_EQ(HeaderOnly()->raw_SetHeaderOnly(), S_OK);
    EXPECT_EQ(HeaderOnly()->raw_HeaderOnlyMethod5(), S_OK);
    auto item = NewMap();
    EXPECT_EQ(HeaderOnly()->raw_RetrieveIndividualItemToPathProperties(item.get(), nullptr), S_OK);
    filter->knobs.storedNameResult = E_ACCESSDENIED;
    EXPECT_EQ(HeaderOnly()->raw_RetrieveIndividualItemToPathProperties(item.get(), nullptr), E_ACCESSDENIED);
}

} // namespace
