// DMWS GetLatestVersionFile and GetLatestVersionFileByRef: the latest version of a document, either
// inside a DIME reply (record 1 the SOAP reply, record 2 the content) or as a UNC path to a copy that
// the server lays out under its UNC root.

#include "tools/demo-meridio/Utf8Paths.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/MediaTypes.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/Dime.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace DemoMeridio {
namespace {

namespace fs = std::filesystem;

// The UNC server and share under which by-reference downloads are laid out.
constexpr const char* kUncServer = "demo-meridio";
constexpr const char* kUncShare = "transfer";

std::string NewDimeId() {
    static thread_local std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<unsigned> hex(0, 15);
    std::string id = "uuid:";
    for (char c : std::string("xxxxxxxx-xxxx-4xxx-8xxx-xxxxxxxxxxxx")) {
        id += c == 'x' ? "0123456789abcdef"[hex(random)] : c;
    }
    return id;
}

HttpReply GetLatestVersionFile(OperationContext& context) {
    const Document& document =
        RequireDocument(context.repository, RequiredNumber(context.request.operation, "docId"));
    if (!document.downloadFault.empty()) {
        throw ServerFault(document.downloadFault);
    }
    const std::string envelope = OperationResponse(*context.request.service, context.request.action)
                                     .ResultText(document.Latest().fileName)
                                     .EnvelopeXml();
    HttpReply reply;
    reply.contentType = kDimeContentType;
    reply.body = EncodeDimeMessage({
        {NewDimeId(), DimeTypeFormat::AbsoluteUri, std::string(kSoapEnvelopeNs), envelope},
        {NewDimeId(), DimeTypeFormat::MediaType, MediaTypeOf(document.Latest().fileName), document.content},
    });
    return reply;
}

// Writes the content to root/server/share/docId/versionId/file name and gives the UNC path of it.
std::string LayOutCopy(const fs::path& uncRoot, const Document& document) {
    const std::string docId = std::to_string(document.id);
    const std::string versionId = std::to_string(document.Latest().id);
    const fs::path dir = uncRoot / kUncServer / kUncShare / docId / versionId;
    fs::create_directories(dir);
    const fs::path file = dir / PathFromUtf8(document.Latest().fileName);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(document.content.data(), static_cast<std::streamsize>(document.content.size()));
    if (!out.flush()) {
        throw ServerFault("API Error 24001: Could not write the transfer file " + file.string());
    }
    return std::string("\\\\") + kUncServer + "\\" + kUncShare + "\\" + docId + "\\" + versionId + "\\" +
           document.Latest().fileName;
}

HttpReply GetLatestVersionFileByRef(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const Document& document = RequireDocument(context.repository, RequiredNumber(operation, "docId"));
    RequiredNumber(operation, "lifetime", true);
    // Without a UNC root the server has no by-reference transfer and answers with an empty path.
    const std::string path = !context.settings.byReferencePath.empty() ? context.settings.byReferencePath
                             : context.settings.uncRoot.empty()
                                 ? std::string()
                                 : LayOutCopy(context.settings.uncRoot, document);
    return OperationResponse(*context.request.service, context.request.action)
        .ResultText(path)
        .Child("strMIMEtype", MediaTypeOf(document.Latest().fileName))
        .ToHttpReply();
}

} // namespace

void RegisterDownloadOperations(OperationTable& table) {
    table.Add({Service::DMWS, "GetLatestVersionFile", GetLatestVersionFile, true, {}});
    table.Add({Service::DMWS, "GetLatestVersionFileByRef", GetLatestVersionFileByRef, true, {}});
}

} // namespace DemoMeridio
