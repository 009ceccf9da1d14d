// One hive of the registry store: its text file, the parsed tree cached in memory, and the locking that
// lets several processes share the file. A read reloads the file when it changed on disk (another
// inode, size or modification time); a write takes the hive's lock file (flock), reloads, changes the
// tree and replaces the file atomically (temporary file, then rename). A file that cannot be read as a
// whole is reported and never overwritten: writes to that hive fail with ERROR_BADDB until it is fixed.
// Hive files are private to the user (0600, in folders made 0700): they hold the login password.
#pragma once

#include "Platform/RegistryTree.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace Platform::Registry {

enum class HiveId { LocalMachine, CurrentUser };

class Hive {
public:
    Hive(std::string filePath, std::wstring rootName);

    // Runs `read` on the current tree; the tree must not be kept beyond the call.
    template <typename Reader> auto Read(Reader&& read) {
        std::lock_guard lock(mutex_);
        Refresh();
        return read(static_cast<const Key&>(*root_));
    }

    // Runs `change` on the current tree under the hive's lock; when it returns ERROR_SUCCESS and set
    // `changed`, the file is rewritten. The result is change's, or the error of reading or writing.
    LONG Write(const std::function<LONG(Key& root, bool& changed)>& change);

    const std::string& FilePath() const { return filePath_; }

private:
    struct FileState {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        bool operator==(const FileState&) const = default;
    };

    static FileState StateOf(const struct stat& info);

    void Refresh();
    void Load(int fd, const FileState& state);
    LONG Save();

    std::mutex mutex_;
    const std::string filePath_;
    const std::wstring rootName_;
    std::unique_ptr<Key> root_;
    // What root_ was read from; unset forces the next Refresh to read the file.
    std::optional<FileState> loaded_;
    bool unreadable_ = false;
};

// The hive of that id in the registry folder named by the environment now ($KOVA_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/kova-registry, else ~/.config/kova-registry). Hives live until the process ends.
Hive& GetHive(HiveId id);

} // namespace Platform::Registry
