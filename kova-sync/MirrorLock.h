// One pass per mirror: an exclusive lock (fcntl) on a file in the mirror's hidden folder, held while a
// pass or a command that writes the journal runs. The kernel releases it when the process ends, however it
// ends, so a crashed pass never leaves a lock behind for the user to clean up.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace KovaSync {

// Another process holds the mirror's lock.
class MirrorBusy : public std::runtime_error {
public:
    explicit MirrorBusy(const std::string& message) : std::runtime_error(message) {}
};

class MirrorLock {
public:
    // Takes the lock of the mirror at root, whose hidden folder must exist; throws MirrorBusy naming
    // the process that holds it, or std::filesystem::filesystem_error when the lock file cannot be
    // opened.
    explicit MirrorLock(const std::filesystem::path& root);
    ~MirrorLock();
    MirrorLock(const MirrorLock&) = delete;
    MirrorLock& operator=(const MirrorLock&) = delete;

    static std::filesystem::path FileOf(const std::filesystem::path& root);

private:
    int fd_ = -1;
};

} // namespace KovaSync
