// A file system mounted for one test, unmounted at its end: a small tmpfs (a full disk) or a
// read-only view of a directory (one that cannot be written, even by root). Mounting needs root;
// without it nothing is mounted and `refused` says why.
#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

namespace KovaSyncTest {

class ScopedMount {
public:
    static ScopedMount Tmpfs(const std::filesystem::path& at, std::size_t bytes) {
        ScopedMount mount(at);
        const std::string options = "size=" + std::to_string(bytes);
        mount.mounted_ = mount.Made(::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()), "a tmpfs");
        return mount;
    }

    static ScopedMount ReadOnly(const std::filesystem::path& directory) {
        ScopedMount mount(directory);
        mount.mounted_ =
            mount.Made(::mount(directory.c_str(), directory.c_str(), nullptr, MS_BIND, nullptr), "a bind");
        if (mount.mounted_) {
            mount.Made(
                ::mount(nullptr, directory.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
                "a read-only bind");
        }
        return mount;
    }

    ScopedMount(ScopedMount&& other) noexcept
        : refused(std::move(other.refused)), at_(std::move(other.at_)),
          mounted_(std::exchange(other.mounted_, false)) {}
    ScopedMount& operator=(ScopedMount&&) = delete;
    ~ScopedMount() {
        if (mounted_) {
            ::umount2(at_.c_str(), MNT_DETACH);
        }
    }

    std::string refused; // empty when the mount is made

private:
    explicit ScopedMount(std::filesystem::path at) : at_(std::move(at)) {}

    bool Made(int result, const char* what) {
        if (result != 0 && refused.empty()) {
            refused = std::string("cannot mount ") + what + " at " + at_.string() + " (" +
                      std::strerror(errno) + "): the case needs root";
        }
        return result == 0;
    }

    std::filesystem::path at_;
    bool mounted_ = false;
};

} // namespace KovaSyncTest
