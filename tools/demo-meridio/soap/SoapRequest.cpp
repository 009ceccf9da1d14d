#include "tools/demo-meridio/soap/SoapRequest.h"

#include "tools/demo-meridio/soap/Dime.h"
#include "tools/demo-meridio/soap/SoapFault.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <algorithm>
#include <cctype>

namespace DemoMeridio {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether the request is a DIME message; any other content type than the two accepted is a fault.
bool IsDimeContentType(const std::string& contentType) {
    std::string compact;
    for (char c : Lowered(contentType)) {
        if (c != ' ') {
            compact += c;
        }
    }
    if (compact == kDimeContentType) {
        return true;
    }
    if (compact != "text/xml;charset=utf-8") {
        throw ClientFault("Content-Type must be \"text/xml; charset=utf-8\" or \"" +
                          std::string(kDimeContentType) + "\", got \"" + contentType + "\"");
    }
    return false;
}

// The envelope record of a DIME request; the data of the later records become the attachments.
std::string_view DimeEnvelope(std::string_view body, std::vector<std::string>& attachments) {
    std::vector<DimeRecord> records;
    try {
        records = DecodeDimeMessage(body);
    } catch (const std::invalid_argument& error) {
        throw ClientFault(std::string("the request is not a valid DIME message: ") + error.what());
    }
    if (records.front().typeFormat != DimeTypeFormat::AbsoluteUri ||
        records.front().type != kSoapEnvelopeNs) {
        throw ClientFault("the first DIME record must be a SOAP envelope (type " +
                          std::string(kSoapEnvelopeNs) + " as an absolute URI), got \"" +
                          records.front().type + "\"");
    }
    for (std::size_t i = 1; i < records.size(); ++i) {
        attachments.emplace_back(records[i].data);
    }
    return records.front().data;
}

std::string ActionFrom(const ServiceInfo& service, const std::optional<std::string>& soapAction) {
    if (!soapAction) {
        throw ClientFault("the request has no SOAPAction header");
    }
    std::string value = *soapAction;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    const std::string base = std::string(service.ns) + "/";
    if (value.size() <= base.size() || value.compare(0, base.size(), base) != 0) {
        throw ClientFault("SOAPAction \"" + value + "\" does not begin with \"" + base + "\" for " +
                          std::string(service.name));
    }
    return value.substr(base.size());
}

pugi::xml_node SoapChild(const pugi::xml_node& parent, std::string_view localName) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == localName &&
            NamespaceOf(child) == kSoapEnvelopeNs) {
            return child;
        }
    }
    return {};
}

std::optional<std::string> TokenFrom(const ServiceInfo& service, const pugi::xml_node& header) {
    if (!header) {
        return std::nullopt;
    }
    pugi::xml_node credential;
    for (pugi::xml_node child = header.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == "MeridioCredentialHeader") {
            credential = child;
        }
    }
    if (!credential) {
        throw ClientFault("soap:Header holds no MeridioCredentialHeader");
    }
    if (NamespaceOf(credential) != service.ns) {
        throw ClientFault("MeridioCredentialHeader must be in the namespace " + std::string(service.ns) +
                          ", got \"" + NamespaceOf(credential) + "\"");
    }
    const pugi::xml_node token = FirstChildElement(credential);
    if (!token || LocalName(token) != service.tokenElement || NamespaceOf(token) != service.ns) {
        throw ClientFault("MeridioCredentialHeader of " + std::string(service.name) +
                          " must hold the element " + std::string(service.tokenElement) +
                          " in its namespace");
    }
    return std::string(token.text().get());
}

} // namespace

SoapRequest ParseSoapRequest(const ServiceInfo& service, const std::string& contentType,
                             const std::optional<std::string>& soapAction, const std::string& body) {
    const bool isDime = IsDimeContentType(contentType);
    SoapRequest request;
    request.service = &service;
    request.action = ActionFrom(service, soapAction);
    const std::string_view envelopeText = isDime ? DimeEnvelope(body, request.attachments) : body;

    request.document = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result parsed =
        request.document->load_buffer(envelopeText.data(), envelopeText.size());
    if (!parsed) {
        throw ClientFault(std::string("the request is not well-formed XML: ") + parsed.description() +
                          " at offset " + std::to_string(parsed.offset));
    }
    const pugi::xml_node envelope = request.document->document_element();
    if (LocalName(envelope) != "Envelope" || NamespaceOf(envelope) != kSoapEnvelopeNs) {
        throw ClientFault("the root element must be a SOAP 1.1 Envelope in " + std::string(kSoapEnvelopeNs));
    }
    const pugi::xml_node soapBody = SoapChild(envelope, "Body");
    if (!soapBody) {
        throw ClientFault("the envelope has no soap:Body");
    }
    request.operation = FirstChildElement(soapBody);
    if (!request.operation) {
        throw ClientFault("soap:Body is empty");
    }
    if (NamespaceOf(request.operation) != service.ns) {
        throw ClientFault("the operation element " + std::string(request.operation.name()) +
                          " must be in the namespace " + std::string(service.ns) + ", got \"" +
                          NamespaceOf(request.operation) + "\"");
    }
    request.token = TokenFrom(service, SoapChild(envelope, "Header"));
    return request;
}

} // namespace DemoMeridio
