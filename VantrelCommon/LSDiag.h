// Logging: the one-time set-up of the log file and switches, and the statements every module uses.
//
//   LSDIAG_ERROR << "Failed to open " << path;           // severity ERROR, when the error switch is on
//   LSDIAG_DIAG << "GetContents start";                 // severity WARNING, when the diagnostic switch
//                                                       // is on and this source file's verbosity >= 1
//   if (LSDiag::perfEnabled) { ...; LSDIAG_PERF << "|" << name << "|PERF|" << ...; }
//
// Wide text is streamed as UTF-8 (the insertions of VantrelCommon/TextUtils.h); HRESULTs and codes go in with
// std::hex, without "0x".
#pragma once

#include "VantrelCommon/StdString.h"
#include "VantrelCommon/TextUtils.h"

#include <glog/logging.h>

#include <functional>
#include <string>
#include <vector>

class LSDiag {
public:
    // Sets up logging for the base name once per process; later calls return at once. The second
    // argument is not used.
    static void Initialize(CStdStr<wchar_t> logName, const char* unused);

    static bool errorEnabled;
    static bool diagEnabled;
    static bool perfEnabled;
    // The process is one of the named test runners.
    static bool runningUnderTests;
};

#define LSDIAG_ERROR LOG_IF(ERROR, LSDiag::errorEnabled)
#define LSDIAG_DIAG LOG_IF(WARNING, LSDiag::diagEnabled&& VLOG_IS_ON(1))
#define LSDIAG_PERF LOG_IF(WARNING, LSDiag::perfEnabled&& VLOG_IS_ON(1))

// Records attributed to another source position (the boundary routine, long-text callbacks).
#define LSDIAG_ERROR_AT(file, line)                                                                          \
    !LSDiag::errorEnabled                                                                                    \
        ? (void)0                                                                                            \
        : google::LogMessageVoidify() & google::LogMessage(file, line, google::GLOG_ERROR).stream()
#define LSDIAG_DIAG_AT(file, line)                                                                           \
    !(LSDiag::diagEnabled && VLOG_IS_ON(1))                                                                  \
        ? (void)0                                                                                            \
        : google::LogMessageVoidify() & google::LogMessage(file, line, google::GLOG_WARNING).stream()

// Long texts (request and reply bodies) become several records of at most 25000 bytes each; the
// callback holds the caller's own statement for one piece.
using LogPieceCallback = std::function<void(const char* piece, const char* file, int line)>;
bool LogLargeText(const wchar_t* text, const char* file, int line, const LogPieceCallback& callback);
bool LogTextInChunks(const char* text, const char* file, int line, const LogPieceCallback& callback);

// Narrow text in the ANSI code page.
std::string ToNarrow(const CStdStr<wchar_t>& text);

// The level of one "module=level" entry, split at "=": the second piece when there are exactly two
// and it reads as a number, else 1.
int ParseModuleLevel(const std::vector<CStdStr<wchar_t>>& pieces);

// True inside the search protocol host unless KOVA.Log.WindowsSearch allows logging there.
bool IsWindowsSearchLoggingDisabled();
