#pragma once
// A received SOAP 1.1 request, checked for the shape the Meridio services expect: a text/xml envelope, or
// a DIME message (application/dime) whose first record is the envelope and whose further records are
// attachments (an upload's file content).

#include "tools/demo-meridio/soap/Services.h"

#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace DemoMeridio {

struct SoapRequest {
    const ServiceInfo* service = nullptr;
    std::string action; // the SOAPAction header after the service namespace and "/"
    std::shared_ptr<pugi::xml_document> document;
    pugi::xml_node operation;             // the one element inside soap:Body
    std::optional<std::string> token;     // from MeridioCredentialHeader; none when the request has no header
    std::vector<std::string> attachments; // the data of the DIME records after the envelope
};

// Checks content type, SOAPAction, envelope, body and credential header; throws a client SoapFault that
// names what is wrong. Whether the operation element suits the action is the operation table's check.
SoapRequest ParseSoapRequest(const ServiceInfo& service, const std::string& contentType,
                             const std::optional<std::string>& soapAction, const std::string& body);

} // namespace DemoMeridio
