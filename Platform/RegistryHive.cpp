#include "Platform/RegistryHive.h"

#include "Platform/ErrnoMapping.h"
#include "Platform/RegistryReport.h"
#include "Platform/RegistryText.h"
#include "Platform/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform::Registry {
namespace {

// Closes a file descriptor when it goes out of scope (and with it any flock it holds).
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

LONG ErrorFromErrno(int error) {
    return static_cast<LONG>(Win32ErrorFromErrno(error));
}

bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0 && errno != EINTR) {
            return false;
        }
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
    }
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno != EINTR) {
            return false;
        }
        if (put > 0) {
            text.remove_prefix(static_cast<std::size_t>(put));
        }
    }
    return true;
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

std::string RegistryDirectory() {
    if (const char* dir = std::getenv("KOVA_REGISTRY_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return std::string(config) + "/kova-registry";
    }
    return HomeDirectory() + "/.config/kova-registry";
}

// Makes the missing folders of the path, each readable by its owner only (the hives hold the user's
// password); folders that exist keep their modes. Gives 0 or the errno of the failure.
int MakePrivateDirectories(const std::filesystem::path& directory) {
    if (directory.empty() || ::mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST) {
        return 0;
    }
    if (errno != ENOENT) {
        return errno;
    }
    if (const int error = MakePrivateDirectories(directory.parent_path()); error != 0) {
        return error;
    }
    return ::mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

void ReportUnreadable(const std::string& filePath) {
    ReportRegistryProblem(filePath + ": cannot be read (" + std::strerror(errno) +
                          "); writes to this hive are refused until it can be read");
}

} // namespace

Hive::FileState Hive::StateOf(const struct stat& info) {
    return {true, info.st_dev, info.st_ino, info.st_size,
            info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

Hive::Hive(std::string filePath, std::wstring rootName)
    : filePath_(std::move(filePath)), rootName_(std::move(rootName)),
      root_(std::make_unique<Key>(rootName_)) {}

void Hive::Refresh() {
    const FileDescriptor file(::open(filePath_.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.Get() < 0 && errno == ENOENT) {
        if (loaded_ != FileState{}) {
            auto empty = std::make_unique<Key>(rootName_);
            empty->TakeIdsFrom(*root_);
            root_ = std::move(empty);
            loaded_ = FileState{};
            unreadable_ = false;
        }
        return;
    }
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0) {
        // Keep serving what was read before; report once until the file becomes readable again.
        const FileState unopenable{true, 0, 0, -1, 0};
        if (loaded_ != unopenable) {
            ReportUnreadable(filePath_);
            loaded_ = unopenable;
            unreadable_ = true;
        }
        return;
    }
    const FileState state = StateOf(info);
    if (loaded_ != state) {
        Load(file.Get(), state);
    }
}

void Hive::Load(int fd, const FileState& state) {
    std::string text;
    if (!ReadAll(fd, text)) {
        ReportUnreadable(filePath_);
        loaded_ = state;
        unreadable_ = true;
        return;
    }
    ParsedHive parsed = ParseHiveText(text, rootName_);
    for (const auto& problem : parsed.problems) {
        ReportRegistryProblem(filePath_ + ":" + std::to_string(problem.line) + ": " + problem.message +
                              "; the line is ignored and writes to this hive are refused until it is fixed");
    }
    parsed.root->TakeIdsFrom(*root_);
    root_ = std::move(parsed.root);
    loaded_ = state;
    unreadable_ = !parsed.problems.empty();
}

LONG Hive::Write(const std::function<LONG(Key& root, bool& changed)>& change) {
    std::lock_guard lock(mutex_);
    if (const int error = MakePrivateDirectories(std::filesystem::path(filePath_).parent_path());
        error != 0) {
        return ErrorFromErrno(error);
    }
    const FileDescriptor lockFile(::open((filePath_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lockFile.Get() < 0) {
        return ErrorFromErrno(errno);
    }
    while (::flock(lockFile.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return ErrorFromErrno(errno);
        }
    }
    Refresh();
    if (unreadable_) {
        return ERROR_BADDB;
    }
    bool changed = false;
    const LONG result = change(*root_, changed);
    return result == ERROR_SUCCESS && changed ? Save() : result;
}

LONG Hive::Save() {
    std::string temporary = filePath_ + ".XXXXXX";
    const FileDescriptor file(::mkstemp(temporary.data()));
    struct stat info {};
    const bool saved = file.Get() >= 0 && ::fchmod(file.Get(), 0600) == 0 &&
                       WriteAll(file.Get(), WriteHiveText(*root_)) && ::fsync(file.Get()) == 0 &&
                       ::fstat(file.Get(), &info) == 0 && ::rename(temporary.c_str(), filePath_.c_str()) == 0;
    if (!saved) {
        const int cause = errno;
        if (file.Get() >= 0) {
            ::unlink(temporary.c_str());
        }
        loaded_.reset(); // the tree holds a change the file does not: read the file again
        return ErrorFromErrno(cause);
    }
    loaded_ = StateOf(info);
    return ERROR_SUCCESS;
}

Hive& GetHive(HiveId id) {
    static std::mutex mutex;
    // Never destroyed: handles may still be used while the process ends.
    static auto* hives = new std::map<std::string, std::unique_ptr<Hive>>;
    const std::wstring rootName = id == HiveId::LocalMachine ? L"HKEY_LOCAL_MACHINE" : L"HKEY_CURRENT_USER";
    const std::string path =
        RegistryDirectory() + "/" +
        (id == HiveId::LocalMachine ? "HKEY_LOCAL_MACHINE.reg" : "HKEY_CURRENT_USER.reg");
    std::lock_guard lock(mutex);
    auto& hive = (*hives)[path];
    if (!hive) {
        hive = std::make_unique<Hive>(path, rootName);
    }
    return *hive;
}

} // namespace Platform::Registry
