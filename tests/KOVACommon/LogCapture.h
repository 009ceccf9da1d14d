// Collects the log records written while it lives, with the error and diagnostic switches on.
#pragma once

#include "VantrelCommon/LSDiag.h"

#include <glog/logging.h>

#include <string>
#include <vector>

namespace TestSupport {

class LogCapture : public google::LogSink {
public:
    LogCapture() : m_error(LSDiag::errorEnabled), m_diag(LSDiag::diagEnabled) {
        LSDiag::errorEnabled = true;
        LSDiag::diagEnabled = true;
        google::AddLogSink(this);
    }
    ~LogCapture() override {
        google::RemoveLogSink(this);
        LSDiag::errorEnabled = m_error;
        LSDiag::diagEnabled = m_diag;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override {
        records.push_back({severity, std::string(message, length)});
    }

    // True when some record of the severity holds the text.
    bool Contains(const std::string& text, google::LogSeverity severity = google::GLOG_ERROR) const {
        for (const Record& record : records) {
            if (record.severity == severity && record.text.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    size_t Count(const std::string& text) const {
        size_t count = 0;
        for (const Record& record : records) {
            count += record.text.find(text) != std::string::npos ? 1 : 0;
        }
        return count;
    }

    struct Record {
        google::LogSeverity severity;
        std::string text;
    };
    std::vector<Record> records;

private:
    bool m_error;
    bool m_diag;
};

} // namespace TestSupport
