// Renaming a synced document: the host updates an item whose name changed, and the filter changes the
// document's title on the server.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/Support/TempDirectory.h"

#include <fstream>

namespace {

using namespace MeridioTest;

struct RenameCase {
    const char* name;
    const wchar_t* newName;
    HRESULT result;
    std::string storedTitle;  // the server's title afterwards
    std::string sentTitleXml; // the title as the request carries it
};

class MeridioRename : public ::testing::Test, public ::testing::WithParamInterface<RenameCase> {
protected:
    void SetUp() override { ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK); }

    std::string TitleOf(long documentId) {
        std::string title;
        host.Server().ChangeRepository(
            [&](DemoMeridio::Repository& repository) { title = repository.FindDocument(documentId)->title; });
        return title;
    }

    MeridioHost host;
    TestSupport::TempDirectory temp;
};

TEST_P(MeridioRename, TheHostsUpdateOfARenamedItemChangesTheTitle) {
    const RenameCase& c = GetParam();
    const auto item = host.Item(IndexOf(host, 102));
    item->Set(L"Mavisto.MessageIsUnchanged", LONG(1));
    item->Set(L"KOVA.RenamedFilename", std::wstring(c.newName));
    const auto localPath = temp.path() / "plan.md";
    std::ofstream(localPath) << "plan";

    EXPECT_EQ(host.Sync()->raw_UpdateDocument(_bstr_t(localPath.c_str()), _bstr_t(L"Project plan 2024.md"),
                                              nullptr, item.get()),
              c.result);
    EXPECT_EQ(TitleOf(102), c.storedTitle);
    const std::string body = host.Server().ReceivedRequests().back().body;
    EXPECT_NE(
        body.find("<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"modified\">"
                  "<PROP_documentId>102</PROP_documentId><PROP_W_title>" +
                  c.sentTitleXml + "</PROP_W_title></DOCUMENTS>"),
        std::string::npos)
        << body;
    EXPECT_NE(
        body.find("<diffgr:before><DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" "
                  "xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><PROP_documentId>102</PROP_documentId>"
                  "<PROP_W_title /></DOCUMENTS></diffgr:before>"),
        std::string::npos)
        << body;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeridioRename,
    ::testing::Values(RenameCase{"UpToTheLastDot", L"Minutes.2024.docx", S_OK, "Minutes.2024",
                                 "Minutes.2024"},
                      RenameCase{"WithoutDot", L"Minutes", S_OK, "Minutes", "Minutes"},
                      RenameCase{"AmpersandEscaped", L"Q1 & Q2 <draft>.md", S_OK, "Q1 & Q2 <draft>",
                                 "Q1 &amp; Q2 &lt;draft&gt;"},
                      // The server trims the title; the answer differs from the title sent.
                      RenameCase{"OtherTitleAnswered", L" Minutes .md", E_FAIL, "Minutes", " Minutes "}),
    [](const ::testing::TestParamInfo<RenameCase>& info) { return info.param.name; });

TEST(MeridioRenameFailure, ARefusedRenameAnswersTheServersFailure) {
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    EXPECT_TRUE(FAILED(host.Filter().RenameFileRemote(host.Location(L"document", 999), L"Gone.txt")));
}

} // namespace
