// What the bench programs read of their own process: wall time since a moment, and the peak
// resident memory (Linux's VmHWM), which can be reset between the phases measured.
#pragma once

#include <chrono>
#include <fstream>
#include <string>

namespace TestSupport {

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The peak resident memory in KiB since the process started or the last ResetPeakResident; -1 when
// it cannot be read.
inline long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

inline void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace TestSupport
