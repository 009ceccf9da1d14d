// The log set-up, checked in child processes: the logging library can be set up once per process.
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/InterfaceBoundary.h"

#include "tests/Support/TempDirectory.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

void LogFromModuleA();
void LogFromModuleB();
void LogFromModuleC();

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

// The log folder's files; the child writes there when KOVA.LogDir names `logs`.
std::vector<fs::path> LogFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::exists(folder)) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            files.push_back(entry.path());
        }
    }
    return files;
}

KOVA_CHILD_SCENARIO(LogStatements) {
    LSDiag::Initialize(L"KOVA-MeridioSync", nullptr);
    LSDiag::Initialize(L"Second-Name", nullptr);

    LSDIAG_ERROR << "error statement " << L"K\u00f6ln";
    if (const char* folder = std::getenv("KOVA_TEST_EXPECT_UNBUFFERED")) {
        // Written to the file at once, before the process ends.
        const std::vector<fs::path> files = LogFiles(folder);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_THAT(ChildScenarios::ReadFile(files[0]), HasSubstr("error statement K\xc3\xb6ln"));
    }
    LSDIAG_DIAG << "diagnostic statement";
    LogFromModuleA();
    LogFromModuleB();
    LogFromModuleC();
    const std::string longText = std::string(25000, 'a') + std::string(25000, 'b') + std::string(10000, 'c');
    LogTextInChunks(longText.c_str(), __FILE__, __LINE__, [](const char* piece, const char* file, int line) {
        LSDIAG_DIAG_AT(file, line) << "LONG:" << piece;
    });
    if (LSDiag::perfEnabled) {
        LSDIAG_PERF << "|LogStatements|PERF|End|5|1|WS|";
    }
}

// The host's own sink: what it receives is written to standard output for the parent to check.
class HostSink final : public google::LogSink {
public:
    using google::LogSink::send;
    void send(google::LogSeverity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, std::size_t length) override {
        std::cout << "SINK:" << std::string(message, length) << std::endl;
    }
};

KOVA_CHILD_SCENARIO(HostKeepsErrors) {
    static HostSink sink;
    google::AddLogSink(&sink);
    LSDiag::Initialize(L"KOVA-MeridioSync", nullptr);
    LSDIAG_ERROR << "error statement";
    LSDIAG_DIAG << "diagnostic statement";
    google::RemoveLogSink(&sink);
}

// One child run in a work directory of its own; the log base directory lies inside it.
class LogRun {
public:
    fs::path LogBase() const { return work_.path() / "logs"; }
    fs::path LogFolder() const { return LogBase() / "KOVA Logs"; }

    ChildScenarios::Result RunLogStatements(TestSupport::Settings settings,
                                            std::map<std::string, std::string> environment = {}) {
        return RunScenario("LogStatements", std::move(settings), std::move(environment));
    }

    ChildScenarios::Result RunScenario(const std::string& scenario, TestSupport::Settings settings,
                                       std::map<std::string, std::string> environment = {}) {
        settings.emplace("KOVA.LogDir", LogBase().string());
        auto result = ChildScenarios::Run(scenario, work_, {settings, environment});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(result.errors, "") << "nothing may reach standard error";
        return result;
    }

    std::string TheLog() {
        const std::vector<fs::path> files = LogFiles(LogFolder());
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? std::string() : ChildScenarios::ReadFile(files[0]);
    }

    const TestSupport::TempDirectory& work() const { return work_; }

private:
    TestSupport::TempDirectory work_;
};

TEST(LSDiag, OneFileNamedByBaseDateTimeAndProcess) {
    LogRun run;
    const auto result = run.RunLogStatements({{"KOVA.Log.Diag", 1u}});
    const std::vector<fs::path> files = LogFiles(run.LogFolder());
    ASSERT_EQ(files.size(), 1u);
    const std::string name = files[0].filename().string();
    const std::string tail = "." + std::to_string(result.pid) + ".log";
    ASSERT_EQ(name.size(), std::string("KOVA-MeridioSync-yyyymmdd-hhmmss").size() + tail.size()) << name;
    EXPECT_EQ(name.substr(0, 17), "KOVA-MeridioSync-");
    EXPECT_EQ(name.substr(17, 8).find_first_not_of("0123456789"), std::string::npos) << name;
    EXPECT_EQ(name[25], '-');
    EXPECT_EQ(name.substr(26, 6).find_first_not_of("0123456789"), std::string::npos) << name;
    EXPECT_EQ(name.substr(32), tail);

    const std::string log = run.TheLog();
    EXPECT_THAT(log, HasSubstr("Logging initialised for "));
    EXPECT_THAT(log, HasSubstr(", Version: 24.04.0 (17891) "));
    EXPECT_THAT(log, HasSubstr(" 64bit, Windows version:"));
    EXPECT_THAT(log, HasSubstr("diagnostic statement"));
    EXPECT_THAT(log, Not(HasSubstr("error statement")));
    EXPECT_THAT(log, Not(HasSubstr("|PERF|")));
}

TEST(LSDiag, AllSwitchesOffCreatesNoFile) {
    LogRun run;
    run.RunLogStatements({});
    EXPECT_FALSE(fs::exists(run.LogFolder()));
    for (const auto& entry : fs::recursive_directory_iterator(run.work().path())) {
        EXPECT_NE(entry.path().extension(), ".log") << entry.path();
    }
}

TEST(LSDiag, AHostThatKeepsTheErrorsGetsThemWithoutAFileOfTheFilters) {
    LogRun run;
    const auto result = run.RunScenario("HostKeepsErrors", {}, {{"KOVA_HOST_KEEPS_ERRORS", "1"}});
    EXPECT_THAT(result.output, HasSubstr("SINK:error statement"));
    EXPECT_THAT(result.output, Not(HasSubstr("diagnostic statement")));
    EXPECT_FALSE(fs::exists(run.LogFolder()));
    for (const auto& entry : fs::recursive_directory_iterator(run.work().path())) {
        EXPECT_NE(entry.path().extension(), ".log") << entry.path();
    }
}

TEST(LSDiag, AHostThatKeepsTheErrorsAddsThemToTheUsersOwnFile) {
    LogRun run;
    const auto result =
        run.RunScenario("HostKeepsErrors", {{"KOVA.Log.Diag", 1u}, {"KOVA.Log.LimitDiagDefault", 1u}},
                        {{"KOVA_HOST_KEEPS_ERRORS", "1"}});
    EXPECT_THAT(result.output, HasSubstr("SINK:error statement"));
    EXPECT_THAT(result.output, HasSubstr("SINK:diagnostic statement"));
    const std::string log = run.TheLog();
    EXPECT_THAT(log, HasSubstr("error statement"));
    EXPECT_THAT(log, HasSubstr("diagnostic statement"));
}

TEST(LSDiag, WithoutTheHostsAskTheErrorsStayOff) {
    LogRun run;
    const auto result = run.RunScenario("HostKeepsErrors", {}, {{"KOVA_HOST_KEEPS_ERRORS", "0"}});
    EXPECT_THAT(result.output, Not(HasSubstr("SINK:")));
}

TEST(LSDiag, DocumentsFolderIsTheDefaultBase) {
    LogRun run;
    ChildScenarios::Run("LogStatements", run.work(), {{{"KOVA.Log.Error", 1u}}, {}});
    EXPECT_EQ(LogFiles(run.work().path() / "home" / "Documents" / "KOVA Logs").size(), 1u);
}

TEST(LSDiag, ErrorSwitchAloneWritesErrorsAtOnce) {
    LogRun run;
    run.RunLogStatements({{"KOVA.Log.Error", 1u}},
                         {{"KOVA_TEST_EXPECT_UNBUFFERED", run.LogFolder().string()}});
    const std::string log = run.TheLog();
    EXPECT_THAT(log, HasSubstr("error statement K\xc3\xb6ln"));
    EXPECT_THAT(log, Not(HasSubstr("diagnostic")));
}

TEST(LSDiag, PerformanceLinesNeedThePerformanceSwitch) {
    LogRun run;
    run.RunLogStatements({{"KOVA.Log.Perf", 1u}});
    const std::string log = run.TheLog();
    EXPECT_THAT(log, HasSubstr("|LogStatements|PERF|End|5|1|WS|"));
    EXPECT_THAT(log, Not(HasSubstr("diagnostic statement")));
}

TEST(LSDiag, DiagnosticsLimitedToNamedModules) {
    struct Case {
        const char* modules;
        std::uint32_t limitDefault;
        std::vector<const char*> written;
        std::vector<const char*> notWritten;
    };
    const Case cases[] = {
        {"LogChildModuleA=1,,LogChildModuleB",
         0,
         {"module A", "module B"},
         {"module C", "diagnostic statement"}},
        {"LogChildModuleA=0,LogChildModuleB=2",
         1,
         {"module B", "module C", "diagnostic statement"},
         {"module A"}},
        {"LogChildModule?=1", 0, {"module A", "module B", "module C"}, {"diagnostic statement"}},
    };
    for (const Case& c : cases) {
        LogRun run;
        run.RunLogStatements({{"KOVA.Log.Diag", 1u},
                              {"KOVA.Log.LimitDiagModules", std::string(c.modules)},
                              {"KOVA.Log.LimitDiagDefault", c.limitDefault}});
        const std::string log = run.TheLog();
        EXPECT_THAT(log, HasSubstr("Warning messages limited - default " + std::to_string(c.limitDefault) +
                                   ", modules are " + c.modules));
        for (const char* text : c.written) {
            EXPECT_THAT(log, HasSubstr(text)) << c.modules;
        }
        for (const char* text : c.notWritten) {
            EXPECT_THAT(log, Not(HasSubstr(text))) << c.modules;
        }
    }
}

TEST(LSDiag, LongTextsBecomeRecordsOfAtMost25000Bytes) {
    LogRun run;
    run.RunLogStatements({{"KOVA.Log.Diag", 1u}});
    std::istringstream log(run.TheLog());
    std::vector<std::string> pieces;
    for (std::string line; std::getline(log, line);) {
        const std::size_t at = line.find("] LONG:");
        if (at != std::string::npos) {
            pieces.push_back(line.substr(at + 7));
        }
    }
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], std::string(25000, 'a'));
    EXPECT_EQ(pieces[1], std::string(25000, 'b'));
    EXPECT_EQ(pieces[2], std::string(10000, 'c'));
}

void WriteLogFile(const fs::path& path, std::chrono::minutes age) {
    std::ofstream(path) << "old log";
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

TEST(LSDiag, OldLogsOfThisBaseNameArePrunedByAgeAndName) {
    LogRun run;
    using namespace std::chrono_literals;
    fs::create_directories(run.LogFolder());
    const fs::path old = run.LogFolder() / "KOVA-MeridioSync-20240101-101010.4242.log";
    const fs::path recent = run.LogFolder() / "KOVA-MeridioSync-20240301-101010.4343.log";
    const fs::path copy = run.LogFolder() / "KOVA-MeridioSync-20240101-101010.4242 (2).log";
    const fs::path other = run.LogFolder() / "Other-20240101-101010.4242.log";
    WriteLogFile(old, 120min);
    WriteLogFile(recent, 10min);
    WriteLogFile(copy, 120min);
    WriteLogFile(other, 120min);

    run.RunLogStatements({{"KOVA.Log.Diag", 1u}, {"KOVA.Log.DeleteLogsAfterMins", 60u}});
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(recent));
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_TRUE(fs::exists(other));
    std::string log;
    for (const fs::path& file : LogFiles(run.LogFolder())) {
        log += ChildScenarios::ReadFile(file);
    }
    EXPECT_THAT(log, HasSubstr("Deleting old log file - KOVA-MeridioSync-20240101-101010.4242.log"));
}

TEST(LSDiag, PruningRunsWithThreeDaysWhenNothingIsSet) {
    LogRun run;
    using namespace std::chrono_literals;
    fs::create_directories(run.LogFolder());
    const fs::path fourDays = run.LogFolder() / "KOVA-MeridioSync-20240101-101010.1.log";
    const fs::path twoDays = run.LogFolder() / "KOVA-MeridioSync-20240103-101010.2.log";
    WriteLogFile(fourDays, 4 * 24h);
    WriteLogFile(twoDays, 2 * 24h);
    run.RunLogStatements({});
    EXPECT_FALSE(fs::exists(fourDays));
    EXPECT_TRUE(fs::exists(twoDays));
    EXPECT_EQ(LogFiles(run.LogFolder()).size(), 1u) << "no log of its own with every switch off";
}

TEST(LSDiag, SearchHostLogsOnlyWhenAllowed) {
    LogRun run;
    const fs::path host = run.work().path() / "searchprotocolhost";
    fs::copy_file("/proc/self/exe", host);
    const TestSupport::Settings on = {{"KOVA.Log.Error", 1u}, {"KOVA.LogDir", run.LogBase().string()}};
    auto result = ChildScenarios::Run("LogStatements", run.work(), {on, {}, host});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(LogFiles(run.LogFolder()).empty());

    TestSupport::Settings allowed = on;
    allowed.emplace("KOVA.Log.WindowsSearch", 1u);
    result = ChildScenarios::Run("LogStatements", run.work(), {allowed, {}, host});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(LogFiles(run.LogFolder()).size(), 1u);
}

} // namespace

namespace {

// Each kind of failure thrown and caught at an interface, as a host-callable method does.
template <typename Throw> HRESULT CatchAtInterface(Throw&& doThrow, CStdStr<wchar_t>* errorText) {
    try {
        doThrow();
        return S_OK;
    } catch (...) {
        return HResultFromCurrentException("CKOVAMeridioFieldSetInfo::raw_getMessageContentType",
                                           "caller.cpp", 42, errorText);
    }
}

KOVA_CHILD_SCENARIO(BoundaryClauses) {
    LSDiag::Initialize(L"KOVA-MeridioSync", nullptr);
    CStdStr<wchar_t> text;
    EXPECT_EQ(CatchAtInterface([] { throw hresult_exception(E_INVALIDARG, "Invalid encoding"); }, &text),
              E_INVALIDARG);
    EXPECT_EQ(CatchAtInterface([] { throw std::length_error("string too long"); }, nullptr), E_FAIL);
    EXPECT_EQ(CatchAtInterface([] { ThrowHResult(E_ACCESSDENIED); }, &text), E_ACCESSDENIED);
    EXPECT_EQ(CatchAtInterface([] { throw _com_error(E_FAIL); }, &text), E_FAIL);
    EXPECT_EQ(CatchAtInterface([] { throw 7; }, &text), E_FAIL);
    EXPECT_EQ(text, L"Unknown error");
}

TEST(InterfaceBoundaryLog, EachClauseWritesItsLineAtTheCallersPosition) {
    const std::string prefix = "caller.cpp:42] CKOVAMeridioFieldSetInfo::raw_getMessageContentType";
    const std::string lines[] = {
        prefix + ": Caught hresult_exception at interface - 80070057 - Invalid encoding\n",
        prefix + ": Caught std::exception at interface - string too long\n",
        prefix + ": Caught HRESULT at interface - 80070005\n",
        prefix + ": Caught _com_error at interface - 80004005, desc= msg=Unspecified error\n",
        prefix + ": Caught unknown exception at interface - \n",
    };
    {
        LogRun run;
        run.RunScenario("BoundaryClauses", {{"KOVA.Log.Error", 1u}});
        const std::string log = run.TheLog();
        for (const std::string& line : lines) {
            EXPECT_THAT(log, HasSubstr(line));
        }
    }
    LogRun quiet;
    quiet.RunScenario("BoundaryClauses", {{"KOVA.Log.Diag", 1u}});
    EXPECT_THAT(quiet.TheLog(), Not(HasSubstr("Caught"))) << "errors are written only with the error switch";
}

} // namespace
