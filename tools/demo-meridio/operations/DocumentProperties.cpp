// DMWS GetPropertiesForDocuments: one DOCUMENTS row per document id the request lists.

#include "tools/demo-meridio/operations/DataSetRows.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <charconv>

namespace DemoMeridio {
namespace {

long DocumentIdOf(const pugi::xml_node& element) {
    const std::string text = element.text().get();
    long id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (LocalName(element) != "unsignedInt" || text.empty() || error != std::errc() ||
        end != text.data() + text.size() || id < 0) {
        throw ClientFault("documentIds holds unsignedInt elements with decimal ids");
    }
    return id;
}

HttpReply GetPropertiesForDocuments(OperationContext& context) {
    pugi::xml_node documentIds;
    for (pugi::xml_node child = FirstChildElement(context.request.operation); child;
         child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == "documentIds") {
            documentIds = child;
        }
    }
    if (!documentIds) {
        throw ClientFault("GetPropertiesForDocuments has no parameter documentIds");
    }
    DataSetResult result(DataSetKind::DM);
    for (pugi::xml_node id = FirstChildElement(documentIds); id; id = id.next_sibling()) {
        if (id.type() == pugi::node_element) {
            const StoredRow row = DocumentsRow(RequireDocument(context.repository, DocumentIdOf(id)));
            result.AddRow(row.table, row.columns);
        }
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
}

} // namespace

void RegisterDocumentPropertyOperations(OperationTable& table) {
    table.Add({Service::DMWS, "GetPropertiesForDocuments", GetPropertiesForDocuments, true, {}});
}

} // namespace DemoMeridio
