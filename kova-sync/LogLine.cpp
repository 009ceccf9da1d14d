#include "kova-sync/LogLine.h"

#include "Platform/PathMapping.h"
#include "VantrelCommon/LogFiles.h"
#include "kova-sync/SettingsStore.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

bool LoggingOn() {
    for (const wchar_t* name : {L"KOVA.Log.Error", L"KOVA.Log.Diag", L"KOVA.Log.Perf"}) {
        const std::optional<SettingValue> value = ReadSetting(name);
        if (value && value->type == REG_DWORD && value->text != L"0") {
            return true;
        }
    }
    return false;
}

// This process's log file (the filter names it after the process id), else the folder.
fs::path LogOfThisProcess(const fs::path& folder) {
    const std::string suffix = "." + std::to_string(::getpid()) + ".log";
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return entry.path();
        }
    }
    return folder;
}

fs::path& PassLogFile() {
    static fs::path file;
    return file;
}

} // namespace

void NotePassLog(const fs::path& file) {
    PassLogFile() = file;
}

void PrintLogLine() {
    if (!PassLogFile().empty()) {
        std::cout << "Log: " << PassLogFile().string() << std::endl;
    } else if (LoggingOn()) {
        const CStdStr<wchar_t> folder = GetLogFolder();
        if (!folder.empty()) {
            std::cout << "Log: " << LogOfThisProcess(Platform::NativePath(folder)).string() << std::endl;
        }
    }
}

} // namespace KovaSync
