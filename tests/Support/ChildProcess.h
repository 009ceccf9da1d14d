// Runs this test executable again as a child process, limited to one test, with extra
// environment variables, and waits for it. Used where a facility can be set up only once per
// process (the logging library).
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace TestSupport {

struct ChildResult {
    pid_t pid = -1;
    int exitCode = -1; // -1 when the child did not exit normally
};

// Standard output goes to stdoutFile, standard error to stderrFile.
inline ChildResult RunSelfAsChild(const std::string& testFilter,
                                  const std::map<std::string, std::string>& variables,
                                  const std::filesystem::path& stdoutFile,
                                  const std::filesystem::path& stderrFile,
                                  const std::filesystem::path& executable = "/proc/self/exe") {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (variables.count(text.substr(0, text.find('='))) == 0) {
            environment.push_back(text);
        }
    }
    for (const auto& [name, value] : variables) {
        environment.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& text : environment) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);

    const std::string exe = std::filesystem::canonical("/proc/self/exe").string();
    std::string path = executable == "/proc/self/exe" ? exe : executable.string();
    std::string filter = "--gtest_filter=" + testFilter;
    char* argv[] = {path.data(), filter.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ChildResult result;
    if (posix_spawn(&result.pid, path.c_str(), &actions, nullptr, argv, envp.data()) == 0) {
        int status = 0;
        waitpid(result.pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

} // namespace TestSupport
