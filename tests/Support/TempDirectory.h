// A fresh directory under the system's temporary directory, removed with its contents at the end
// of the test.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace TestSupport {

class TempDirectory {
public:
    TempDirectory() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("kova-test-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::wstring wide() const { return path_.wstring(); }

private:
    std::filesystem::path path_;
};

} // namespace TestSupport
