// Runs work in several processes at once, for tests of what concurrent processes do to shared files.
#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Forks `count` children that each run work(index) and exit with its result; true when every child
// succeeded. The children start together once all are forked.
namespace TestSupport {

inline bool RunInChildProcesses(int count, const std::function<bool(int index)>& work) {
    int gate[2];
    if (::pipe(gate) != 0) {
        return false;
    }
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid < 0) {
            break;
        }
        if (pid == 0) {
            ::close(gate[1]);
            char go;
            const bool started = ::read(gate[0], &go, 1) == 0; // end of file: the parent opened the gate
            ::_exit(started && work(i) ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    bool allSucceeded = true;
    for (const pid_t pid : children) {
        int status = 0;
        allSucceeded = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                       allSucceeded;
    }
    return allSucceeded && static_cast<int>(children.size()) == count;
}

} // namespace TestSupport
