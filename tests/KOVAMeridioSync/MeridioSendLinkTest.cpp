// The link text a mail carries in place of a synced document, and the document ids the host's
// property editing asks for. The link setting is read once per process, so the bare-location form
// runs in a child process with the setting 0.
#include "Host/PropertyMap.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"
#include "tests/Support/ChildProcess.h"
#include "tests/Support/TempDirectory.h"
#include "tests/Support/TempRegistryDir.h"
#include "tests/Support/UserSettingsFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace {

constexpr char kChildVariable[] = "KOVA_TEST_SEND_LINK_CHILD";
const std::wstring kLocation = L"Meridio://srv/document/42";

// One filter object with the two interfaces under test, and an item map.
class SendLinkFixture : public testing::Test {
protected:
    SendLinkFixture() {
        if (std::getenv(kChildVariable) == nullptr) {
            registry.emplace(); // a child reads the settings its parent wrote
        }
        CComObjectNoLock<CKOVAMeridioSyncFilter>* object = nullptr;
        EXPECT_EQ(S_OK, CComObjectNoLock<CKOVAMeridioSyncFilter>::CreateInstance(&object));
        object->AddRef();
        EXPECT_EQ(S_OK,
                  object->QueryInterface(__uuidof(ILSCreateSendLink), reinterpret_cast<void**>(&sendLink)));
        EXPECT_EQ(S_OK, object->QueryInterface(__uuidof(ILSEditDocPropsSyncFilter),
                                               reinterpret_cast<void**>(&docProps)));
        object->Release();
        item->Set(L"Mavisto.FromServerFileName", std::wstring(L"Report.docx"));
    }
    ~SendLinkFixture() override {
        sendLink->Release();
        docProps->Release();
        item->Release();
    }

    // The link and file name texts, or the failure with both outs untouched.
    HRESULT CreateLink(std::wstring& link, std::wstring& fileName) {
        BSTR linkText = nullptr;
        BSTR nameText = nullptr;
        const HRESULT hr = sendLink->raw_CreateSendLinkFiletext(nullptr, nullptr, item, &linkText, &nameText);
        EXPECT_TRUE(SUCCEEDED(hr) || (linkText == nullptr && nameText == nullptr));
        link = linkText == nullptr ? L"" : linkText;
        fileName = nameText == nullptr ? L"" : nameText;
        SysFreeString(linkText);
        SysFreeString(nameText);
        return hr;
    }

    std::optional<TestSupport::TempRegistryDir> registry;
    ILSCreateSendLink* sendLink = nullptr;
    ILSEditDocPropsSyncFilter* docProps = nullptr;
    Host::LSMemoryPropertyMap* item = Host::LSMemoryPropertyMap::Create();
};

TEST_F(SendLinkFixture, OpenLinkNamesTheRepositoryTypeLocationAndDocumentId) {
    item->Set(L"Mavisto.FromServerFileId", kLocation);
    item->Set(L"Document ID Value", std::wstring(L"42"));
    std::wstring link;
    std::wstring fileName;
    ASSERT_EQ(S_OK, CreateLink(link, fileName));
    EXPECT_EQ(L"VANTREL_TEXTLINK_URL:stssync://kova/OpenLink=Meridio#Meridio://srv/document/42#42", link);
    EXPECT_EQ(L"Report.docx", fileName);
}

TEST_F(SendLinkFixture, OpenLinkNeedsBothTheLocationAndTheDocumentId) {
    std::wstring link;
    std::wstring fileName;
    item->Set(L"Mavisto.FromServerFileId", kLocation);
    EXPECT_EQ(E_FAIL, CreateLink(link, fileName));

    item->Set(L"Mavisto.FromServerFileId", std::wstring());
    item->Set(L"Document ID Value", std::wstring(L"42"));
    EXPECT_EQ(E_FAIL, CreateLink(link, fileName));
}

TEST_F(SendLinkFixture, NullItemIsRefused) {
    BSTR linkText = nullptr;
    BSTR nameText = nullptr;
    BSTR id = nullptr;
    EXPECT_EQ(E_INVALIDARG,
              sendLink->raw_CreateSendLinkFiletext(nullptr, nullptr, nullptr, &linkText, &nameText));
    EXPECT_EQ(E_INVALIDARG, docProps->raw_GetDocumentId(nullptr, &id));
    EXPECT_EQ(E_INVALIDARG, docProps->raw_GetVersionId(nullptr, &id));
}

TEST_F(SendLinkFixture, DocumentAndVersionIdsComeFromTheListedProperties) {
    const auto read = [](auto getter) {
        BSTR text = nullptr;
        EXPECT_EQ(S_OK, getter(&text));
        const std::wstring value = text == nullptr ? L"" : text;
        SysFreeString(text);
        return value;
    };
    const auto documentId = [&](BSTR* out) { return docProps->raw_GetDocumentId(item, out); };
    const auto versionId = [&](BSTR* out) { return docProps->raw_GetVersionId(item, out); };
    EXPECT_EQ(L"", read(documentId));
    EXPECT_EQ(L"", read(versionId));

    item->Set(L"Meridio-DOCID", std::wstring(L"42"));
    item->Set(L"Meridio-VERSIONID", std::wstring(L"7"));
    EXPECT_EQ(L"42", read(documentId));
    EXPECT_EQ(L"7", read(versionId));
}

// Run only as a child, with MeridioSync.SendVantrelDocLink = 0: the link is the bare location.
TEST_F(SendLinkFixture, BareLocationChild) {
    if (std::getenv(kChildVariable) == nullptr) {
        GTEST_SKIP() << "runs as a child of SendLinkSetting";
    }
    std::wstring link;
    std::wstring fileName;
    ASSERT_EQ(S_OK, CreateLink(link, fileName));
    EXPECT_EQ(L"VANTREL_TEXTLINK_URL:", link);
    EXPECT_EQ(L"Report.docx", fileName);

    item->Set(L"Mavisto.FromServerFileId", kLocation);
    ASSERT_EQ(S_OK, CreateLink(link, fileName));
    EXPECT_EQ(L"VANTREL_TEXTLINK_URL:Meridio://srv/document/42", link);
}

TEST(SendLinkSetting, ZeroGivesTheBareLocation) {
    TestSupport::TempDirectory work;
    const std::filesystem::path registryDir = work.path() / "registry";
    std::filesystem::create_directories(registryDir);
    TestSupport::WriteUserSettings(registryDir, {{"MeridioSync.SendVantrelDocLink", std::uint32_t{0}}});
    const TestSupport::ChildResult child =
        TestSupport::RunSelfAsChild("SendLinkFixture.BareLocationChild",
                                    {{"KOVA_REGISTRY_DIR", registryDir.string()}, {kChildVariable, "1"}},
                                    work.path() / "stdout.txt", work.path() / "stderr.txt");
    EXPECT_EQ(0, child.exitCode) << std::ifstream(work.path() / "stdout.txt").rdbuf();
}

} // namespace
