// The first login of a process, with the credentials of its settings (read once per process, so
// each case runs in a child process): the body the server receives, no credential header on the
// login, and the new token in the header of the requests after it.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include "Platform/Utf.h"
#include "tests/Support/LogCapture.h"

#include <fstream>
#include <sstream>

namespace {

using namespace MeridioTest;

// The child lists the top container and reports to $KOVA_LOGIN_REPORT: the listing's result, the
// session token, and one line per received request: action, TAB, body.
KOVA_CHILD_SCENARIO(MeridioLogin) {
    MeridioHost host;
    const HRESULT hr = host.ListFolder(host.Location(L"container", 1));
    std::ofstream report(std::getenv("KOVA_LOGIN_REPORT"), std::ios::binary);
    report << (SUCCEEDED(hr) ? "listed" : "failed") << "\n"
           << Platform::WideToUtf8(KOVAMeridioSyncFilterImpl::SessionToken()) << "\n";
    for (const DemoMeridio::IncomingRequest& request : host.Server().ReceivedRequests()) {
        report << ActionOf(request) << "\t" << request.body << "\n";
    }
}

// The child logs in with request logging on and expects the logged login to carry the mask in
// place of the password, while the server receives the password itself.
KOVA_CHILD_SCENARIO(MeridioLoginLogged) {
    TestSupport::LogCapture log;
    MeridioHost host;
    ASSERT_TRUE(SUCCEEDED(host.ListFolder(host.Location(L"container", 1))));
    std::string logged;
    for (const std::string& line : log.Diagnostics()) {
        logged += line + "\n";
    }
    EXPECT_NE(logged.find("<password>********</password>"), std::string::npos) << logged;
    EXPECT_EQ(logged.find("Co 2024"), std::string::npos) << logged;
    const std::vector<DemoMeridio::IncomingRequest> requests = host.Server().ReceivedRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests.front().body.find("<password>Demo &amp; Co 2024</password>"), std::string::npos);

    // The session token shows only its first characters: in the login reply and in the credential
    // header of the later requests.
    ASSERT_GE(requests.size(), 2u);
    const std::string& listing = requests[1].body;
    const std::size_t start = listing.find("<Token>");
    const std::size_t end = listing.find("</Token>");
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << listing;
    const std::string token = listing.substr(start + 7, end - start - 7);
    ASSERT_GT(token.size(), 8u);
    EXPECT_EQ(logged.find(token), std::string::npos) << logged;
    EXPECT_NE(logged.find("<LoginResult>" + token.substr(0, 4) + "********</LoginResult>"), std::string::npos)
        << logged;
    EXPECT_NE(logged.find("<Token>" + token.substr(0, 4) + "********</Token>"), std::string::npos) << logged;
}

struct Report {
    bool listed = false;
    std::string token;
    std::vector<std::pair<std::string, std::string>> requests;
};

Report RunLogin(const TestSupport::Settings& settings) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = settings;
    options.environment = {{"KOVA_LOGIN_REPORT", (work.path() / "login-report.txt").string()}};
    const ChildScenarios::Result result = ChildScenarios::Run("MeridioLogin", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    std::istringstream lines(ChildScenarios::ReadFile(work.path() / "login-report.txt"));
    Report report;
    std::string line;
    std::getline(lines, line);
    report.listed = line == "listed";
    std::getline(lines, report.token);
    while (std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        report.requests.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return report;
}

constexpr const char* kDmws = "http://www.meridio.com/MeridioDMWS";

TEST(MeridioLogin, ServerReceivesTheLoginOfTheSettings) {
    struct Case {
        const char* name;
        TestSupport::Settings settings;
        std::string body;
        bool listed;
    };
    const Case cases[] = {
        {"explicit",
         {{"MeridioSync.UserName", "demo"}, {"MeridioSync.UserPassword", "Demo & Co 2024"}},
         std::string("<Login xmlns=\"") + kDmws +
             "\"><userName>demo</userName><password>Demo &amp; Co 2024</password>"
             "<clientWorkstation></clientWorkstation></Login>",
         true},
        {"unified", {}, std::string("<LoginUnified xmlns=\"") + kDmws + "\" />", true},
        {"unified for an empty user name",
         {{"MeridioSync.UserName", ""}, {"MeridioSync.UserPassword", "ignored"}},
         std::string("<LoginUnified xmlns=\"") + kDmws + "\" />",
         true},
        {"wrong password",
         {{"MeridioSync.UserName", "demo"}, {"MeridioSync.UserPassword", "demo"}},
         std::string("<Login xmlns=\"") + kDmws +
             "\"><userName>demo</userName><password>demo</password><clientWorkstation></clientWorkstation>"
             "</Login>",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Report report = RunLogin(c.settings);
        ASSERT_FALSE(report.requests.empty());
        const auto& [action, body] = report.requests.front();
        EXPECT_EQ(action, "Login");
        EXPECT_NE(body.find("<soap:Body>" + c.body + "</soap:Body>"), std::string::npos) << body;
        EXPECT_EQ(body.find("soap:Header"), std::string::npos) << body;
        EXPECT_EQ(report.listed, c.listed);
        if (!c.listed) {
            EXPECT_EQ(report.requests.size(), 1u);
            EXPECT_TRUE(report.token.empty());
            continue;
        }
        ASSERT_EQ(report.requests.size(), 2u);
        EXPECT_FALSE(report.token.empty());
        EXPECT_EQ(report.requests[1].first, "OutlookGetContainerFullEx");
        EXPECT_NE(
            report.requests[1].second.find(
                "<soap:Header><MeridioCredentialHeader xmlns=\"http://www.meridio.com/MeridioSCWS\"><Token>" +
                report.token + "</Token></MeridioCredentialHeader></soap:Header>"),
            std::string::npos)
            << report.requests[1].second;
    }
}

TEST(MeridioLogin, LoggedRequestsAndRepliesMaskThePasswordAndTheSessionToken) {
    TestSupport::TempDirectory work;
    ChildScenarios::Options options;
    options.settings = {{"MeridioSync.UserName", "demo"},
                        {"MeridioSync.UserPassword", "Demo & Co 2024"},
                        {"KOVA.Log.WebServiceReq", std::uint32_t{1}},
                        {"KOVA.Log.WebServiceResp", std::uint32_t{1}}};
    const ChildScenarios::Result result = ChildScenarios::Run("MeridioLoginLogged", work, options);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

} // namespace
