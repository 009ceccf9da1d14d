#pragma once
// Building SOAP 1.1 replies: an operation's response element inside an envelope, and faults.

#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/HttpReply.h"
#include "tools/demo-meridio/soap/Services.h"
#include "tools/demo-meridio/soap/SoapFault.h"

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace DemoMeridio {

// <ActionResponse xmlns="service namespace"> with its children, as the service writes it.
class OperationResponse {
public:
    OperationResponse(const ServiceInfo& service, std::string_view action);

    // The empty <ActionResult> element, added on first use; data-set results are written into it.
    pugi::xml_node Result();
    // <ActionResult> holding the text (escaped as XML text, as string results are).
    OperationResponse& ResultText(std::string_view text);
    // <ActionResult> holding the data set's schema and diffgram.
    OperationResponse& ResultDataSet(const DataSetResult& dataSet);
    // A further child (an out parameter) holding the text.
    OperationResponse& Child(std::string_view name, std::string_view text);

    // The whole envelope, with its XML declaration.
    std::string EnvelopeXml() const;
    HttpReply ToHttpReply() const;

private:
    pugi::xml_document document_;
    pugi::xml_node response_;
    std::string action_;
};

// HTTP 500 with a SOAP fault whose faultstring is the fault's text.
HttpReply FaultReply(const SoapFault& fault);

} // namespace DemoMeridio
