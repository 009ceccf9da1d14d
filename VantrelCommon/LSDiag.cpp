#include "VantrelCommon/LSDiag.h"

#include "Platform/FileApi.h"
#include "Platform/PathMapping.h"
#include "Platform/ProcessEnv.h"
#include "Platform/SysInfoApi.h"
#include "Platform/WinBase.h"
#include "VantrelCommon/LSFileSystem.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/LogFiles.h"
#include "VantrelCommon/ProductVersion.h"
#include "VantrelCommon/TextUtils.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <sstream>

namespace {

LONG volatile initialiseLock = 0;
bool initialised = false;

constexpr DWORD kDefaultDeleteLogsAfterMinutes = 4320;

constexpr const wchar_t* kTestRunners[] = {L"unitandcomponenttests.exe", L"vstest.console.exe",
                                           L"vstest.executionengine.x86.exe", L"te.processhost.managed.exe"};

CStdStr<wchar_t>& ProcessPath() {
    static CStdStr<wchar_t> path;
    return path;
}

// The process path names the program: it contains the name, or ends with it without ".exe".
bool IsProcess(const CStdStr<wchar_t>& lowerPath, std::wstring_view exeName) {
    if (lowerPath.find(exeName) != std::wstring::npos) {
        return true;
    }
    const std::wstring_view bare = exeName.substr(0, exeName.size() - 4);
    const std::size_t slash = lowerPath.find_last_of(L"\\/");
    return std::wstring_view(lowerPath).substr(slash == std::wstring::npos ? 0 : slash + 1) == bare;
}

// The host keeps the error records itself, through a log sink of its own: it sets the environment
// variable KOVA_HOST_KEEPS_ERRORS to 1 before it loads the filter.
bool HostKeepsErrorRecords() {
    wchar_t value[8] = {};
    const DWORD length = ExpandEnvironmentStringsW(L"%KOVA_HOST_KEEPS_ERRORS%", value, std::size(value));
    return length != 0 && length <= std::size(value) && std::wstring_view(value) == L"1";
}

DWORD ReadDword(const wchar_t* name, DWORD defaultValue) {
    return LSSetting::GetInstance()->GetUserDwordConfigDetails(name, defaultValue).value;
}

// Everything goes to the one INFO file: nothing to standard error, no per-severity files or links.
void RouteLogToFileOnly() {
    FLAGS_logtostderr = false;
    FLAGS_alsologtostderr = false;
    FLAGS_stderrthreshold = google::NUM_SEVERITIES;
    for (google::LogSeverity severity = google::GLOG_INFO; severity < google::NUM_SEVERITIES; ++severity) {
        google::SetLogSymlink(severity, "");
    }
}

void SetModuleVerbosity(const CStdStr<wchar_t>& moduleList, DWORD limitDefault) {
    const std::vector<CStdStr<wchar_t>> entries = Tokenize(moduleList, L",");
    if (entries.empty()) {
        FLAGS_v = 1;
        return;
    }
    FLAGS_v = static_cast<int>(limitDefault);
    for (const CStdStr<wchar_t>& entry : entries) {
        const std::vector<CStdStr<wchar_t>> pieces = Tokenize(entry, L"=");
        if (!pieces.empty()) {
            google::SetVLOGLevel(ToNarrow(pieces[0]).c_str(), ParseModuleLevel(pieces));
        }
    }
}

// Sets up the library's destination; gives the log folder, or empty when there is no base directory.
CStdStr<wchar_t> ConfigureLibrary(const CStdStr<wchar_t>& logName, const CStdStr<wchar_t>& moduleList,
                                  DWORD limitDefault) {
    google::InitGoogleLogging("");
    RouteLogToFileOnly();
    const CStdStr<wchar_t> folder = GetLogFolder();
    if (folder.empty()) {
        return folder;
    }
    CStdStr<wchar_t> fileBase = folder;
    fileBase += L"\\";
    fileBase += logName;
    google::SetLogDestination(google::GLOG_WARNING, "");
    google::SetLogDestination(google::GLOG_ERROR, "");
    google::SetLogDestination(google::GLOG_FATAL, "");
    // The library appends date, time and process id directly to the base it is given.
    google::SetLogDestination(google::GLOG_INFO, (Platform::NativePath(fileBase) + "-").c_str());
    SetModuleVerbosity(moduleList, limitDefault);
    google::SetLogFilenameExtension(".log");
    return folder;
}

std::string SystemVersionText() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) {
        return "unknown";
    }
    std::ostringstream text;
    text << info.dwMajorVersion << '.' << info.dwMinorVersion << '.' << info.dwBuildNumber << ' '
         << info.szCSDVersion;
    return text.str();
}

void WriteHeaderRecords(const CStdStr<wchar_t>& moduleList) {
    LOG(INFO) << "Logging initialised for " << ProcessPath()
              << ", Version: " << VantrelCommon::kProductVersionText << ' ' << VantrelCommon::kBuildLabel
              << " 64bit"
              << ", Windows version:" << SystemVersionText();
    if (!moduleList.empty()) {
        LOG(INFO) << "Warning messages limited - default " << FLAGS_v << ", modules are " << moduleList;
    }
}

void DeleteOldLogs(const CStdStr<wchar_t>& logFolder, const CStdStr<wchar_t>& logName) {
    const DWORD minutes = ReadDword(L"KOVA.Log.DeleteLogsAfterMins", kDefaultDeleteLogsAfterMinutes);
    if (minutes == 0 || logFolder.empty()) {
        return;
    }
    CStdStr<wchar_t> pattern = logName;
    pattern += L"-*.log";
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG nowValue = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    EnumerateDirectory(
        logFolder,
        [&](const CStdStr<wchar_t>& fullPath, const WIN32_FIND_DATAW& data) {
            return DeleteOldLogFile(fullPath, data, logName, nowValue, minutes);
        },
        pattern);
}

} // namespace

int ParseModuleLevel(const std::vector<CStdStr<wchar_t>>& pieces) {
    if (pieces.size() != 2) {
        return 1;
    }
    try {
        return ToInt(pieces[1]);
    } catch (long) {
        return 1;
    }
}

bool IsWindowsSearchLoggingDisabled() {
    return IsProcess(ProcessPath(), L"searchprotocolhost.exe") &&
           ReadDword(L"KOVA.Log.WindowsSearch", 0) == 0;
}

void LSDiag::Initialize(CStdStr<wchar_t> logName, const char*) {
    while (InterlockedCompareExchange(&initialiseLock, 1, 0) != 0) {
        Sleep(5);
    }
    if (initialised) {
        InterlockedExchange(&initialiseLock, 0);
        return;
    }
    LSSetting* settings = LSSetting::GetInstance();
    const CStdStr<wchar_t> moduleList = settings->GetUserString(L"KOVA.Log.LimitDiagModules", L"");
    const DWORD limitDefault = ReadDword(L"KOVA.Log.LimitDiagDefault", 0);

    CStdStr<wchar_t> logFolder;
    if (!google::IsGoogleLoggingInitialized()) {
        logFolder = ConfigureLibrary(logName, moduleList, limitDefault);
    }

    CStdStr<wchar_t>& processPath = ProcessPath();
    processPath = LSSetting::GetModuleFileNameSafe(nullptr);
    std::transform(processPath.begin(), processPath.end(), processPath.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });

    runningUnderTests = std::any_of(std::begin(kTestRunners), std::end(kTestRunners),
                                    [&](const wchar_t* runner) { return IsProcess(processPath, runner); });

    if (!IsWindowsSearchLoggingDisabled()) {
        diagEnabled = ReadDword(L"KOVA.Log.Diag", 0) != 0;
        perfEnabled = ReadDword(L"KOVA.Log.Perf", 0) != 0;
        errorEnabled = ReadDword(L"KOVA.Log.Error", 0) != 0;
    }
    const bool ownFile = errorEnabled || diagEnabled || perfEnabled;
    errorEnabled = errorEnabled || HostKeepsErrorRecords();
    if (errorEnabled) {
        FLAGS_logbuflevel = -1;
    }

    if (ownFile) {
        if (!logFolder.empty()) {
            CreateDirectoryW(logFolder.c_str(), nullptr);
        }
        WriteHeaderRecords(moduleList);
    } else if (!logFolder.empty()) {
        // Only the host asked for the records: they reach its sink, and no file of the filter's own.
        google::SetLogDestination(google::GLOG_INFO, "");
    }

    DeleteOldLogs(logFolder, logName);

    initialised = true;
    InterlockedExchange(&initialiseLock, 0);
}
