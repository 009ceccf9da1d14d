// Scenarios that must run in a process of their own (logging and the brand table are set up once
// per process). A test starts this executable again limited to ChildScenario.Run, with the
// scenario's name and settings; the scenario's own expectations decide the child's exit code.
#pragma once

#include "tests/Support/TempDirectory.h"
#include "tests/Support/UserSettingsFile.h"

#include <filesystem>
#include <map>
#include <string>

namespace ChildScenarios {

using Body = void (*)();

struct Registration {
    Registration(const char* name, Body body);
};

#define KOVA_CHILD_SCENARIO(name)                                                                            \
    void name##Scenario();                                                                                   \
    const ChildScenarios::Registration name##Registration(#name, name##Scenario);                            \
    void name##Scenario()

struct Result {
    int pid = -1;
    int exitCode = -1;
    std::string output; // the child's standard output (its test report)
    std::string errors; // the child's standard error
};

struct Options {
    TestSupport::Settings settings;
    std::map<std::string, std::string> environment;
    std::filesystem::path executable = "/proc/self/exe";
};

// Runs the scenario with its settings in a registry folder under `work`; HOME is `work`/home, so
// the documents folder lies there too.
Result Run(const std::string& scenario, const TestSupport::TempDirectory& work, const Options& options);

std::string ReadFile(const std::filesystem::path& path);

} // namespace ChildScenarios
