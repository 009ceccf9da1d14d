// The log file of one sync pass: "kova-sync-YYYYMMDD-HHMMSS.PID.log" in the filter's log folder, with
// every record the filter writes during the pass (its error records always, more as the user's
// KOVA.Log.* settings ask). The 10 newest of these files are kept.
#pragma once

#include <filesystem>
#include <string>

namespace KovaSync {

class PassLog {
public:
    // Opens the pass's file with a first line saying what runs; no file when the folder cannot be made.
    explicit PassLog(const std::string& what);
    ~PassLog();
    PassLog(const PassLog&) = delete;
    PassLog& operator=(const PassLog&) = delete;

    // Empty when there is no file.
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

// Removes the oldest pass log files of the folder so that `keep` remain (names sort by their time).
void RemoveOldPassLogs(const std::filesystem::path& folder, std::size_t keep);

} // namespace KovaSync
