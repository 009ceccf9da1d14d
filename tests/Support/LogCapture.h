// Collects the records the logging statements write while the object lives, with the error and
// diagnostic switches on, so that tests can check the lines a component logs.
#pragma once

#include "VantrelCommon/LSDiag.h"

#include <glog/logging.h>
#include <mutex>
#include <string>
#include <vector>

namespace TestSupport {

class LogCapture : public google::LogSink {
public:
    LogCapture() : error_(LSDiag::errorEnabled), diag_(LSDiag::diagEnabled) {
        LSDiag::errorEnabled = true;
        LSDiag::diagEnabled = true;
        FLAGS_v = 1;
        google::AddLogSink(this);
    }
    ~LogCapture() override {
        google::RemoveLogSink(this);
        LSDiag::errorEnabled = error_;
        LSDiag::diagEnabled = diag_;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override {
        std::lock_guard lock(mutex_);
        (severity == google::GLOG_ERROR ? errors_ : diagnostics_).emplace_back(message, length);
    }

    // Records at severity ERROR (error statements) and WARNING (diagnostic statements).
    std::vector<std::string> Errors() const {
        std::lock_guard lock(mutex_);
        return errors_;
    }
    std::vector<std::string> Diagnostics() const {
        std::lock_guard lock(mutex_);
        return diagnostics_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        errors_.clear();
        diagnostics_.clear();
    }

private:
    const bool error_;
    const bool diag_;
    mutable std::mutex mutex_;
    std::vector<std::string> errors_;
    std::vector<std::string> diagnostics_;
};

} // namespace TestSupport
