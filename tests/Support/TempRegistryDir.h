// A registry folder of its own for one test: $KOVA_REGISTRY_DIR names a fresh temporary directory for
// the object's lifetime, so the store under test reads and writes real files there.
#pragma once

#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempDirectory.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace TestSupport {

class TempRegistryDir {
public:
    TempRegistryDir() : variable_("KOVA_REGISTRY_DIR", directory_.path().string()) {}

    std::string MachineFile() const { return (directory_.path() / "HKEY_LOCAL_MACHINE.reg").string(); }
    std::string UserFile() const { return (directory_.path() / "HKEY_CURRENT_USER.reg").string(); }

    // Replaces a file as an editor would: a new file renamed over the old one.
    static void WriteFile(const std::string& file, const std::string& text) {
        const std::string temporary = file + ".edit";
        std::ofstream(temporary, std::ios::binary) << text;
        std::filesystem::rename(temporary, file);
    }

    static std::string ReadFile(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    TempDirectory directory_;
    ScopedEnvironment variable_;
};

// The settings of the test process come from a registry folder of its own, made on the first call,
// unless the process was started with one (a child process with its settings).
inline void UseProcessTestRegistry() {
    if (std::getenv("KOVA_REGISTRY_DIR") == nullptr) {
        static const TempRegistryDir registry;
    }
}

} // namespace TestSupport
