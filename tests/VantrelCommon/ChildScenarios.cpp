#include "tests/VantrelCommon/ChildScenarios.h"

#include "tests/Support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace ChildScenarios {
namespace {

std::map<std::string, Body>& Scenarios() {
    static std::map<std::string, Body> scenarios;
    return scenarios;
}

} // namespace

Registration::Registration(const char* name, Body body) {
    Scenarios()[name] = body;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Result Run(const std::string& scenario, const TestSupport::TempDirectory& work, const Options& options) {
    const auto registry = work.path() / "registry";
    const auto home = work.path() / "home";
    std::filesystem::create_directories(registry);
    std::filesystem::create_directories(home);
    TestSupport::WriteUserSettings(registry, options.settings);

    std::map<std::string, std::string> environment = options.environment;
    environment["KOVA_TEST_SCENARIO"] = scenario;
    environment["KOVA_REGISTRY_DIR"] = registry.string();
    environment["HOME"] = home.string();
    environment["XDG_CONFIG_HOME"] = (home / ".config").string();
    environment["XDG_DOCUMENTS_DIR"] = "";
    const TestSupport::ChildResult child =
        TestSupport::RunSelfAsChild("ChildScenario.Run", environment, work.path() / "child.out",
                                    work.path() / "child.err", options.executable);
    return Result{child.pid, child.exitCode, ReadFile(work.path() / "child.out"),
                  ReadFile(work.path() / "child.err")};
}

} // namespace ChildScenarios

TEST(ChildScenario, Run) {
    const char* name = std::getenv("KOVA_TEST_SCENARIO");
    if (name == nullptr) {
        GTEST_SKIP() << "runs only as a child process of another test";
    }
    const auto found = ChildScenarios::Scenarios().find(name);
    ASSERT_NE(found, ChildScenarios::Scenarios().end()) << "no scenario " << name;
    found->second();
}
