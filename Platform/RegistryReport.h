// Problems of the registry store that no call can return: a hive file that cannot be read as a whole.
// Each is written to standard error and handed to the hook, so that the logging code can record it.
#pragma once

#include <string>

namespace Platform {

using RegistryProblemHook = void (*)(const std::string& message);

// Replaces the hook; null removes it. Messages name the file and the line.
void SetRegistryProblemHook(RegistryProblemHook hook);

void ReportRegistryProblem(const std::string& message);

} // namespace Platform
