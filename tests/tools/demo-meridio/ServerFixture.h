#pragma once
// Starts the demo server on the sample content and talks SOAP to it as a client would.

#include "tools/demo-meridio/DemoServer.h"
#include "tools/demo-meridio/soap/Services.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <pugixml.hpp>
#include <string>

namespace DemoMeridio::Testing {

// The request envelope as the filter writes it; an empty token leaves out the header.
std::string RequestEnvelope(const ServiceInfo& service, const std::string& body, const std::string& token);

// One DIME record as read back from a message, without relying on the encoder.
struct ReadDimeRecord {
    unsigned char flags;
    unsigned char typeFormat;
    std::string id;
    std::string type;
    std::string data;
};
std::vector<ReadDimeRecord> ReadDime(const std::string& message);

// The text of the first element of that name in the reply, or nullopt.
std::optional<std::string> ElementText(const std::string& xml, const char* name);

class ServerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    virtual ServerOptions Options() const;
    // Posts a request with the filter's headers; the action is also the body element unless given.
    httplib::Result Post(Service service, const std::string& action, const std::string& body,
                         const std::string& token);
    // Body element <Action xmlns="service namespace">children</Action>.
    static std::string Operation(Service service, const std::string& action, const std::string& children);
    std::string Login();
    // Logs in and calls the operation; expects HTTP 200 and gives the body.
    std::string Call(Service service, const std::string& action, const std::string& children);
    // Posts ApplyChanges with these children and expects the change refused as a real server refuses
    // a row it cannot apply: HTTP 200, the result's diffgram lists the row under diffgr:errors with an
    // error text that holds the part.
    void ExpectRefusedChanges(Service service, const std::string& children, const std::string& text);
    // The result text of a SCWS operation, loaded as the XML it holds.
    std::unique_ptr<pugi::xml_document> ScwsResult(const std::string& action, const std::string& children,
                                                   const char* element = nullptr);

    std::unique_ptr<DemoServer> server_;
    std::unique_ptr<httplib::Client> client_;
};

} // namespace DemoMeridio::Testing
