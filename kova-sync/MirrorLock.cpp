#include "kova-sync/MirrorLock.h"

#include "kova-sync/Mirror.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

// The whole file, for a lock and for the question who holds it.
struct flock WholeFile(short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    return range;
}

// The process that holds the lock, as the kernel tells it, else as the holder wrote it into the file;
// empty when neither is known.
std::string HolderOf(int fd) {
    struct flock holder = WholeFile(F_WRLCK);
    if (::fcntl(fd, F_GETLK, &holder) == 0 && holder.l_type != F_UNLCK) {
        return std::to_string(holder.l_pid);
    }
    char text[32] = {};
    const ssize_t read = ::pread(fd, text, sizeof text - 1, 0);
    std::string pid(text, read > 0 ? static_cast<std::size_t>(read) : 0);
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) {
        pid.pop_back();
    }
    return pid;
}

} // namespace

fs::path MirrorLock::FileOf(const fs::path& root) {
    return root / Mirror::kHiddenFolder / "lock";
}

MirrorLock::MirrorLock(const fs::path& root) {
    const fs::path file = FileOf(root);
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        throw fs::filesystem_error("cannot open the lock file", file,
                                   std::error_code(errno, std::generic_category()));
    }
    struct flock lock = WholeFile(F_WRLCK);
    if (::fcntl(fd_, F_SETLK, &lock) != 0) {
        const int error = errno;
        const std::string holder = HolderOf(fd_);
        ::close(fd_);
        fd_ = -1;
        if (error != EACCES && error != EAGAIN) {
            throw fs::filesystem_error("cannot lock", file, std::error_code(error, std::generic_category()));
        }
        throw MirrorBusy("another kova-sync pass" +
                         (holder.empty() ? std::string() : " (process " + holder + ")") + " is running on " +
                         root.string() +
                         "; nothing was changed. Run this one again when that pass has ended.");
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    // Without the process id the lock holds all the same; only a refused pass's message lacks it.
    [[maybe_unused]] const bool named =
        ::ftruncate(fd_, 0) == 0 &&
        ::pwrite(fd_, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
}

MirrorLock::~MirrorLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace KovaSync
