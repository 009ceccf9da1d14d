#pragma once
// Turns one HTTP request into the reply of the operation it names: finds the service by path, checks
// the request's shape and session, and calls the operation's handler. Faults become SOAP faults.

#include "tools/demo-meridio/Sessions.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/repository/Repository.h"
#include "tools/demo-meridio/soap/HttpReply.h"

#include <optional>
#include <string>

namespace DemoMeridio {

struct IncomingRequest {
    std::string method;
    std::string path;
    std::string contentType;
    std::optional<std::string> soapAction;
    std::string body;
};

class RequestDispatcher {
public:
    RequestDispatcher(OperationTable operations, Repository repository, ServerSettings settings);

    HttpReply Dispatch(const IncomingRequest& request);

    Repository& repository() { return repository_; }
    SessionTable& sessions() { return sessions_; }
    ReplySwitches& switches() { return switches_; }
    ServerSettings& settings() { return settings_; }

private:
    HttpReply Serve(const ServiceInfo& service, const IncomingRequest& request);

    OperationTable operations_;
    Repository repository_;
    SessionTable sessions_;
    ServerSettings settings_;
    ReplySwitches switches_;
};

} // namespace DemoMeridio
