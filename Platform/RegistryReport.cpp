#include "Platform/RegistryReport.h"

#include <atomic>
#include <cstdio>

namespace Platform {
namespace {
std::atomic<RegistryProblemHook> problemHook{nullptr};
}

void SetRegistryProblemHook(RegistryProblemHook hook) {
    problemHook = hook;
}

void ReportRegistryProblem(const std::string& message) {
    std::fprintf(stderr, "kova-registry: %s\n", message.c_str());
    if (const auto hook = problemHook.load()) {
        hook(message);
    }
}

} // namespace Platform
