// A failed host call is told with its cause in the words the filter's error records give (the
// server's fault and status, the refused connection, the refused login, the full or read-only disk),
// without a log setting; the pass's log file keeps the records; a malformed start point is refused
// before any host call.
#include "tests/kova-sync/DriverFixture.h"
#include "tests/kova-sync/ScopedMount.h"

#include <gmock/gmock.h>
#include <unistd.h>

namespace KovaSyncTest {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kLibrary = "<container id=\"1\" title=\"Library\" dir=\"lib\">";

class FailureCauseTest : public DriverFixture {
protected:
    // The pass's log file, named by the last line of its output.
    std::string PassLog(const DriverResult& result) {
        const std::size_t at = result.out.rfind("Log: ");
        EXPECT_NE(at, std::string::npos) << Printed();
        if (at == std::string::npos) {
            return {};
        }
        EXPECT_EQ(result.out.find('\n', at), result.out.size() - 1) << "the log line is the last one";
        const std::string file = result.out.substr(at + 5, result.out.size() - at - 6);
        EXPECT_TRUE(fs::exists(file)) << file;
        return ReadText(file);
    }

    // The session token the server handed out, as the filter sent it back.
    std::string SentToken() {
        for (const DemoMeridio::IncomingRequest& request : Server().ReceivedRequests()) {
            const std::size_t open = request.body.find("<Token>");
            if (open != std::string::npos) {
                const std::size_t begin = open + 7;
                return request.body.substr(begin, request.body.find("</Token>", begin) - begin);
            }
        }
        return {};
    }
};

const std::string kListingFault =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
    "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault><faultcode>soap:Server"
    "</faultcode><faultstring>Server was unable to process request. ---&gt; The container index is being "
    "rebuilt.</faultstring><detail/></soap:Fault></soap:Body></soap:Envelope>";

TEST_F(FailureCauseTest, AFaultedListingTellsTheServersFaultAndStatus) {
    Serve(kLibrary + DocumentXml(11, "good.txt") + "</container>", {{"lib/good.txt", "good"}});
    Server().RewriteNextReply("OutlookGetContainerFullEx", [](DemoMeridio::HttpReply& reply) {
        reply.status = 500;
        reply.body = kListingFault;
    });
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 2) << Printed();
    const std::size_t failure = result.err.find("the pass could not run: ");
    ASSERT_NE(failure, std::string::npos) << Printed();
    const std::string line = result.err.substr(failure, result.err.find('\n', failure) - failure);
    EXPECT_THAT(line, HasSubstr("(0x80004005 Unspecified error): "));
    EXPECT_THAT(
        line, HasSubstr("Server was unable to process request. ---> The container index is being rebuilt."));
    EXPECT_THAT(line, HasSubstr("HTTP status 500"));
    EXPECT_THAT(result.err, Not(HasSubstr("could not be listed")));
    EXPECT_THAT(result.err, Not(HasSubstr("turn the filter's log on")));
    const std::string log = PassLog(result);
    EXPECT_THAT(log, HasSubstr("The container index is being rebuilt."));
    const std::string token = SentToken();
    ASSERT_FALSE(token.empty());
    EXPECT_THAT(result.out + result.err + log, Not(HasSubstr(token)));
}

// Each failed download's line tells its own cause, none of another call's.
TEST_F(FailureCauseTest, AFaultedDownloadTellsTheServersFaultAndStatus) {
    Serve(kLibrary + DocumentXml(11, "good.txt") +
              DocumentXml(12, "broken.txt", "Broken",
                          "downloadFault=\"API Error 24002: The file store is offline.\"") +
              DocumentXml(13, "locked.txt", "Locked",
                          "downloadFault=\"API Error 24007: The file is being archived.\"") +
              "</container>",
          {{"lib/good.txt", "good"}, {"lib/broken.txt", "never sent"}, {"lib/locked.txt", "never sent"}});
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 1) << Printed();
    const auto causeOf = [&](const std::string& name) {
        const std::size_t failure = result.err.find("raw_RetrieveItemToPath failed for \"" + name + "\": ");
        EXPECT_NE(failure, std::string::npos) << Printed();
        const std::string line = result.err.substr(failure, result.err.find('\n', failure) - failure);
        const std::size_t cause = line.find("Unspecified error): ");
        EXPECT_NE(cause, std::string::npos) << line;
        return cause == std::string::npos ? std::string() : line.substr(cause);
    };
    EXPECT_THAT(causeOf("Broken.txt"),
                AllOf(HasSubstr("HTTP status 500: API Error 24002: The file store is offline."),
                      Not(HasSubstr("archived"))));
    EXPECT_THAT(causeOf("Locked.txt"),
                AllOf(HasSubstr("HTTP status 500: API Error 24007: The file is being archived."),
                      Not(HasSubstr("offline"))));
    EXPECT_THAT(PassLog(result),
                AllOf(HasSubstr("The file store is offline."), HasSubstr("being archived.")));
}

TEST_F(FailureCauseTest, ARefusedLoginTellsTheUserAndNotThePassword) {
    SetPassword("another password");
    Serve(kLibrary + DocumentXml(11, "good.txt") + "</container>", {{"lib/good.txt", "good"}});
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 2) << Printed();
    EXPECT_THAT(result.err, HasSubstr("Login failed for user \"demo\"")) << Printed();
    EXPECT_THAT(result.err, HasSubstr("the user name or password is incorrect"));
    const std::string log = PassLog(result);
    EXPECT_THAT(log, HasSubstr("Login failed for user \"demo\""));
    // The configured password is "Demo & Co 2024": neither it nor its XML form is shown or kept.
    for (const std::string secret : {"Demo & Co 2024", "Demo &amp; Co 2024"}) {
        EXPECT_THAT(result.out + result.err + log, Not(HasSubstr(secret)));
    }
}

TEST_F(FailureCauseTest, AFullDiskTellsNoSpaceWithThePath) {
    fs::create_directories(MirrorDir());
    const ScopedMount disk = ScopedMount::Tmpfs(MirrorDir(), 256 * 1024);
    if (!disk.refused.empty()) {
        GTEST_SKIP() << "a full disk is a small tmpfs: " << disk.refused;
    }
    Serve(kLibrary + DocumentXml(11, "Large scan.tif") + "</container>",
          {{"lib/Large scan.tif", std::string(1024 * 1024, 'x')}});
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 1) << Printed();
    EXPECT_THAT(result.err, HasSubstr("failed for \"Large scan.tif\"")) << Printed();
    EXPECT_THAT(result.err, HasSubstr("No space left on device"));
    EXPECT_THAT(result.err, HasSubstr((MirrorDir() / ".kova-sync" / "downloads").string()));
}

TEST_F(FailureCauseTest, ADirectoryThatCannotBeWrittenTellsTheSystemsWordsWithThePath) {
    Serve(kLibrary + DocumentXml(11, "report.txt") + "</container>", {{"lib/report.txt", "first"}});
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddVersion(11, "second", "2025-02-01T10:00:00Z");
    });
    // Root writes anywhere the modes forbid: for root the downloads folder becomes a read-only mount.
    const fs::path downloads = MirrorDir() / ".kova-sync" / "downloads";
    std::optional<ScopedMount> readOnly;
    std::string expected = "Permission denied";
    if (::geteuid() == 0) {
        readOnly.emplace(ScopedMount::ReadOnly(downloads));
        if (!readOnly->refused.empty()) {
            GTEST_SKIP() << readOnly->refused;
        }
        expected = "Read-only file system";
    } else {
        fs::permissions(downloads, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const DriverResult result = Sync();
    if (!readOnly) {
        fs::permissions(downloads, fs::perms::owner_all, fs::perm_options::add);
    }
    EXPECT_EQ(result.exitCode, 1) << Printed();
    EXPECT_THAT(result.err, HasSubstr("raw_RetrieveItemToPath failed for \"report.txt\"")) << Printed();
    EXPECT_THAT(result.err, HasSubstr(expected));
    EXPECT_THAT(result.err, HasSubstr(downloads.string()));
    EXPECT_EQ(ReadText(MirrorDir() / "report.txt"), "first");
}

TEST_F(FailureCauseTest, AMalformedStartPointIsRefusedBeforeAnyHostCall) {
    Serve(kLibrary + DocumentXml(11, "good.txt") + "</container>", {{"lib/good.txt", "good"}});
    const std::string server = "127.0.0.1:" + std::to_string(Server().Port());
    const struct {
        std::string startPoint;
        std::string problem;
    } cases[] = {
        {"Meridio://" + server + "/containr/1", "unknown kind 'containr' (container, folder or class)"},
        {"Meridio://" + server + "/container", "no id"},
        {"Meridio://" + server + "/container/", "no id"},
        {"Meridio://" + server + "/container/twelve", "the id 'twelve' is not a number from 1"},
        {"Meridio://" + server + "/folder/0", "the id '0' is not a number from 1"},
        {"Meridio://" + server, "no kind (container, folder or class) and no id"},
        {"http://" + server + "/container/1", "not a Meridio:// location"},
        {server + "/container/1", "not a Meridio:// location"},
        {"Meridio://127.0.0.1:port/container/1", "the port 'port' is not a number from 1 to 65535"},
    };
    const std::size_t requestsBefore = Server().ReceivedRequests().size();
    for (const auto& c : cases) {
        const DriverResult result = Run({"sync", c.startPoint, "--into", MirrorDir().string()});
        EXPECT_EQ(result.exitCode, 2) << c.startPoint << "\n" << Printed();
        EXPECT_THAT(result.err,
                    HasSubstr("the start point " + c.startPoint + " is not valid: " + c.problem + ";"))
            << Printed();
        EXPECT_FALSE(fs::exists(MirrorDir())) << c.startPoint;
    }
    EXPECT_EQ(Server().ReceivedRequests().size(), requestsBefore);
}

} // namespace
} // namespace KovaSyncTest
