// DMWS GetDocumentDataRefPaths: a DMDataSet about one document, its tables chosen by the flags:
// DOCUMENTS (getPropList), LOCKS when the document is locked (getLockInfo) and one
// CONTAINER_DOCUMENTREFS row per container that references it (getReferencingContainers). The other
// flags are checked for their shape; the demo has no data for them.

#include "tools/demo-meridio/operations/DataSetRows.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"

#include <algorithm>

namespace DemoMeridio {
namespace {

// Every container below the parent (0: the top) that references the document, depth first.
void AddReferencingContainers(const Repository& repository, long parentId, long documentId,
                              DataSetResult& result) {
    for (const Container* container : repository.ChildContainers(parentId)) {
        const std::vector<long>& ids = container->documentIds;
        if (std::find(ids.begin(), ids.end(), documentId) != ids.end()) {
            result.AddRow("CONTAINER_DOCUMENTREFS", {{"ContainerId", std::to_string(container->id)},
                                                     {"DocumentRefId", std::to_string(documentId)}});
        }
        AddReferencingContainers(repository, container->id, documentId, result);
    }
}

HttpReply GetDocumentDataRefPaths(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const Document& document = RequireDocument(context.repository, RequiredNumber(operation, "docId"));
    const bool propList = RequiredBool(operation, "getPropList");
    for (const char* flag : {"getAcl", "getCanDo", "getPolicy", "getKeywords", "getReferencePaths"}) {
        RequiredBool(operation, flag);
    }
    const std::string versions = RequiredText(operation, "getVersions");
    if (versions != "ALL" && versions != "LATEST" && versions != "NONE") {
        throw ClientFault(
            "parameter getVersions of GetDocumentDataRefPaths must be ALL, LATEST or NONE, got \"" +
            versions + "\"");
    }
    const bool referencingContainers = RequiredBool(operation, "getReferencingContainers");
    const bool lockInfo = RequiredBool(operation, "getLockInfo");

    DataSetResult result(DataSetKind::DM);
    if (propList) {
        const StoredRow row = DocumentsRow(document);
        result.AddRow(row.table, row.columns);
    }
    if (lockInfo && document.lock) {
        const StoredRow row = LocksRow(document);
        result.AddRow(row.table, row.columns);
    }
    if (referencingContainers) {
        AddReferencingContainers(context.repository, 0, document.id, result);
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
}

} // namespace

void RegisterDocumentDataOperations(OperationTable& table) {
    table.Add({Service::DMWS, "GetDocumentDataRefPaths", GetDocumentDataRefPaths, true, {}});
}

} // namespace DemoMeridio
