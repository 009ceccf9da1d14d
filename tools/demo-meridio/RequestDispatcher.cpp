#include "tools/demo-meridio/RequestDispatcher.h"

#include "tools/demo-meridio/soap/ParameterOrder.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <algorithm>

namespace DemoMeridio {
namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " or ") + name;
    }
    return text;
}

} // namespace

RequestDispatcher::RequestDispatcher(OperationTable operations, Repository repository,
                                     ServerSettings settings)
    : operations_(std::move(operations)), repository_(std::move(repository)), settings_(std::move(settings)) {
}

HttpReply RequestDispatcher::Dispatch(const IncomingRequest& request) {
    const ServiceInfo* service = ServiceForPath(request.path);
    if (!service) {
        HttpReply reply = FaultReply(ClientFault("no Meridio service at " + request.path));
        reply.status = 404;
        return reply;
    }
    if (request.method != "POST") {
        HttpReply reply = FaultReply(ClientFault("SOAP requests must be POSTed, not " + request.method));
        reply.status = 405;
        return reply;
    }
    try {
        return Serve(*service, request);
    } catch (const SoapFault& fault) {
        return FaultReply(fault);
    }
}

HttpReply RequestDispatcher::Serve(const ServiceInfo& service, const IncomingRequest& request) {
    const SoapRequest soap = ParseSoapRequest(service, request.contentType, request.soapAction, request.body);
    const Operation* operation = operations_.Find(soap.service->service, soap.action);
    if (!operation) {
        throw ClientFault(std::string(soap.service->name) + " has no operation " + soap.action);
    }
    const std::string_view bodyName = LocalName(soap.operation);
    if (std::find(operation->bodyElements.begin(), operation->bodyElements.end(), bodyName) ==
        operation->bodyElements.end()) {
        throw ClientFault("SOAPAction " + soap.action + " needs the body element " +
                          Joined(operation->bodyElements) + ", got " + std::string(bodyName));
    }
    CheckParameterOrder(soap.service->service, soap.action, soap.operation);
    if (operation->needsSession) {
        if (!soap.token) {
            throw ClientFault(soap.action + " needs a soap:Header with a MeridioCredentialHeader");
        }
        if (switches_.expireSessionAt == soap.action) {
            switches_.expireSessionAt.reset();
            sessions_.Expire(*soap.token);
        }
        if (!sessions_.Use(*soap.token)) {
            throw ServerFault(std::string(soap.service->sessionExpiredText));
        }
    }
    OperationContext context{soap, repository_, sessions_, settings_, switches_};
    return operation->handler(context);
}

} // namespace DemoMeridio
