// Of the filter's error records of a failed call, the failure line tells the last one or two that say
// more than the HRESULT, one line each; secrets never pass.
#include "kova-sync/FilterRecords.h"
#include "kova-sync/Messages.h"
#include "kova-sync/PassLog.h"
#include "tests/Support/TempDirectory.h"

#include <gmock/gmock.h>

#include <fstream>

namespace KovaSyncTest {
namespace {

using ::testing::ElementsAre;

TEST(FilterRecordsTest, CausesAreTheLastTwoRecordsThatTellMoreThanTheCode) {
    const struct {
        std::vector<std::string> records;
        std::vector<std::string> causes;
    } cases[] = {
        {{}, {}},
        {{"LSBaseFileSyncFilter::raw_SetSyncStartPointByString: Caught HRESULT at interface - 80004005"}, {}},
        {{"first", "second", "third"}, {"second", "third"}},
        // Records that end in a bare code; words of hexadecimal letters are no code.
        {{"Connection to Server failed (url) Error : Not Found (404)",
          "web services Request failed: status:404",
          "KOVAMeridioSyncFilterImpl::GetContentsUnexpected return: 80004005",
          "Error getting contents: 80004005"},
         {"Connection to Server failed (url) Error : Not Found (404)"}},
        {{"no access to the folder cafe", "Unable to locate document id hr:80070002"},
         {"no access to the folder cafe"}},
        // The filter's method prefix goes; a boundary record with text of its own stays.
        {{"KOVAMeridioSyncFilterImpl::ExecuteWebRequest:Connection to Server failed",
          "LSBaseFileSyncFilter::raw_RetrieveItemToPath: Caught hresult_exception at interface - 80070070 - "
          "disk full"},
         {"Connection to Server failed", "Caught hresult_exception at interface - 80070070 - disk full"}},
        // Only a record's first line; a whole reply body and empty records are left to the log file.
        {{"Error is : Server was unable: entire contents: ", "<?xml version=\"1.0\"?><soap:Envelope/>",
          "Login failed (500)\n(the second line)", "  "},
         {"Error is : Server was unable: entire contents", "Login failed (500)"}},
        // A caller telling again what a later record told.
        {{"Connection to Server failed (http://h:1/dmws) Error : Failed to connect to h port 1: Connection "
          "refused (12029)",
          "Login failed for user \"demo\": Failed to connect to h port 1: Connection refused (12029)"},
         {"Login failed for user \"demo\": Failed to connect to h port 1: Connection refused (12029)"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KovaSync::CausesOf(c.records), c.causes) << ::testing::PrintToString(c.records);
    }
}

TEST(FilterRecordsTest, AVeryLongCauseIsShortened) {
    const std::vector<std::string> causes = KovaSync::CausesOf({std::string(1000, 'x')});
    ASSERT_EQ(causes.size(), 1U);
    EXPECT_EQ(causes[0], std::string(300, 'x') + "...");
}

TEST(FilterRecordsTest, TokensAndPasswordsAreMasked) {
    EXPECT_EQ(KovaSync::WithoutSecrets("<h><Token>abc-123</Token></h><userName>demo</userName><password>"
                                       "Demo &amp; Co</password> <Token>x</Token>"),
              "<h><Token>********</Token></h><userName>demo</userName><password>********</password> "
              "<Token>********</Token>");
    const KovaSync::HostCallError error{
        "raw_GetItemCount", E_FAIL, "a.txt", "", {"sent <Token>secret</Token>"}};
    // The line is masked as a whole, whatever reached it.
    EXPECT_EQ(KovaSync::Describe(error), "raw_GetItemCount failed for \"a.txt\": (0x80004005 Unspecified "
                                         "error): sent <Token>********</Token>");
}

TEST(FilterRecordsTest, WithoutRecordsTheLineTellsTheCallTheItemAndTheCode) {
    const KovaSync::HostCallError error{"raw_HasChanges", E_INVALIDARG, "lib/a.txt", "", {}};
    EXPECT_EQ(KovaSync::Describe(error),
              "raw_HasChanges failed for \"lib/a.txt\": (0x80070057 The parameter is incorrect)");
}

TEST(FilterRecordsTest, TheTenNewestPassLogsAreKept) {
    TestSupport::TempDirectory folder;
    std::vector<std::string> names;
    for (int second = 10; second < 22; ++second) {
        names.push_back("kova-sync-20261211-0700" + std::to_string(second) + ".42.log");
        std::ofstream(folder.path() / names.back()) << "pass\n";
    }
    std::ofstream(folder.path() / "KOVA-MeridioSync-20261211-070000.42.log") << "the filter's own\n";
    KovaSync::RemoveOldPassLogs(folder.path(), 10);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected(names.begin() + 2, names.end());
    expected.insert(expected.begin(), "KOVA-MeridioSync-20261211-070000.42.log");
    EXPECT_EQ(left, expected);
}

} // namespace
} // namespace KovaSyncTest
