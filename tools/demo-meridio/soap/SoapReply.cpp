#include "tools/demo-meridio/soap/SoapReply.h"

#include <sstream>

namespace DemoMeridio {
namespace {

// The envelope start as the services write it: declaration, then soap, xsi and xsd namespaces.
pugi::xml_node AppendEnvelope(pugi::xml_document& document) {
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node envelope = document.append_child("soap:Envelope");
    envelope.append_attribute("xmlns:soap") = std::string(kSoapEnvelopeNs).c_str();
    envelope.append_attribute("xmlns:xsi") = std::string(kXsiNs).c_str();
    envelope.append_attribute("xmlns:xsd") = std::string(kXsdNs).c_str();
    return envelope.append_child("soap:Body");
}

std::string DocumentText(const pugi::xml_document& document) {
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

} // namespace

OperationResponse::OperationResponse(const ServiceInfo& service, std::string_view action) : action_(action) {
    response_ = AppendEnvelope(document_).append_child((action_ + "Response").c_str());
    response_.append_attribute("xmlns") = std::string(service.ns).c_str();
}

pugi::xml_node OperationResponse::Result() {
    const std::string name = action_ + "Result";
    if (pugi::xml_node existing = response_.child(name.c_str())) {
        return existing;
    }
    return response_.prepend_child(name.c_str());
}

OperationResponse& OperationResponse::ResultText(std::string_view text) {
    Result().text().set(std::string(text).c_str());
    return *this;
}

OperationResponse& OperationResponse::ResultDataSet(const DataSetResult& dataSet) {
    dataSet.WriteInto(Result());
    return *this;
}

OperationResponse& OperationResponse::Child(std::string_view name, std::string_view text) {
    response_.append_child(std::string(name).c_str()).text().set(std::string(text).c_str());
    return *this;
}

std::string OperationResponse::EnvelopeXml() const {
    return DocumentText(document_);
}

HttpReply OperationResponse::ToHttpReply() const {
    HttpReply reply;
    reply.body = EnvelopeXml();
    return reply;
}

HttpReply FaultReply(const SoapFault& fault) {
    pugi::xml_document document;
    pugi::xml_node soapFault = AppendEnvelope(document).append_child("soap:Fault");
    soapFault.append_child("faultcode")
        .text()
        .set(fault.code() == SoapFault::Code::Client ? "soap:Client" : "soap:Server");
    soapFault.append_child("faultstring").text().set(fault.what());
    soapFault.append_child("detail");
    HttpReply reply;
    reply.status = 500;
    reply.body = DocumentText(document);
    return reply;
}

} // namespace DemoMeridio
