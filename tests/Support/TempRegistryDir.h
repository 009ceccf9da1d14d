// A registry folder of its own for one test: $KOVA_REGISTRY_DIR names a fresh temporary directory for
// the object's lifetime, so the store under test reads and writes real files there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempRegistryDir {
public:
    TempRegistryDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kova-registry-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
        ::setenv("KOVA_REGISTRY_DIR", path_.c_str(), 1);
    }
    TempRegistryDir(const TempRegistryDir&) = delete;
    TempRegistryDir& operator=(const TempRegistryDir&) = delete;
    ~TempRegistryDir() {
        ::unsetenv("KOVA_REGISTRY_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::string MachineFile() const { return path_ + "/HKEY_LOCAL_MACHINE.reg"; }
    std::string UserFile() const { return path_ + "/HKEY_CURRENT_USER.reg"; }

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
    std::string path_;
};
