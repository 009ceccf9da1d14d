#include "kova-sync/PassLog.h"

#include "Platform/PathMapping.h"
#include "VantrelCommon/LogFiles.h"
#include "kova-sync/FilterRecords.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <vector>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kKeptPassLogs = 10;
constexpr const char* kPrefix = "kova-sync-";

bool IsPassLog(const fs::path& file) {
    const std::string name = file.filename().string();
    return name.rfind(kPrefix, 0) == 0 && file.extension() == ".log";
}

std::string FileName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return kPrefix + std::string(stamp) + "." + std::to_string(::getpid()) + ".log";
}

} // namespace

void RemoveOldPassLogs(const fs::path& folder, std::size_t keep) {
    std::vector<fs::path> logs;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (IsPassLog(entry.path())) {
            logs.push_back(entry.path());
        }
    }
    if (logs.size() <= keep) {
        return;
    }
    std::sort(logs.begin(), logs.end());
    for (std::size_t i = 0; i + keep < logs.size(); ++i) {
        fs::remove(logs[i], error);
    }
}

PassLog::PassLog(const std::string& what) {
    const CStdStr<wchar_t> folderName = GetLogFolder();
    if (folderName.empty()) {
        return;
    }
    const fs::path folder = Platform::NativePath(folderName);
    std::error_code error;
    fs::create_directories(folder, error);
    RemoveOldPassLogs(folder, kKeptPassLogs - 1);
    const fs::path file = folder / FileName();
    std::ofstream out(file, std::ios::app);
    if (!(out << what << std::endl)) {
        return;
    }
    file_ = file;
    WriteFilterRecordsTo(file_);
}

PassLog::~PassLog() {
    if (!file_.empty()) {
        WriteFilterRecordsTo({});
    }
}

} // namespace KovaSync
