// What the transport tests share: a registry of their own for the settings, a manual clock, the test
// host's informer, and the log records written during a test.
#pragma once

#include "Host/ShutdownInformer.h"
#include "Platform/TestClock.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/StdString.h"

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace TransportTest {

// Settings of the current user, written into the process's test registry.
void SetDwordSetting(const wchar_t* name, DWORD value);
void SetStringSetting(const wchar_t* name, const wchar_t* value);
void DeleteSetting(const wchar_t* name);
// Empty when the setting is not there.
std::wstring ReadStringSetting(const wchar_t* name);

// Collects the records written while it lives, with the error and diagnostic switches on.
class LogRecords : public google::LogSink {
public:
    LogRecords();
    ~LogRecords() override;
    LogRecords(const LogRecords&) = delete;
    LogRecords& operator=(const LogRecords&) = delete;

    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override;
    bool Contains(const std::string& text) const;
    std::string All() const;

private:
    bool errorEnabled_;
    bool diagEnabled_;
    int verbosity_;
    std::vector<std::string> records_;
};

// The informer and the manual clock, with Light Sync mode off and the thread's message queue empty at
// the start.
class TransportFixture : public ::testing::Test {
protected:
    TransportFixture();
    ~TransportFixture() override;

    Platform::ScopedManualClock clock;
    Host::LSShutdownInformer* informer;
};

} // namespace TransportTest
