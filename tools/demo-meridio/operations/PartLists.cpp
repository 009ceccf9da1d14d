// RMWS GetDocumentPartList and GetRecordPartList: one rm2vPart row (its id and the records-management
// folder it belongs to) per part that holds the document or record.

#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"

namespace DemoMeridio {
namespace {

HttpReply PartList(OperationContext& context, long documentId) {
    RequireDocument(context.repository, documentId);
    DataSetResult result(DataSetKind::RM);
    for (const Repository::PartPlace& place : context.repository.PartsHolding(documentId)) {
        result.AddRow("rm2vPart", {{"id", std::to_string(place.partId)},
                                   {"parentObjectId", std::to_string(place.folderId)}});
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
}

HttpReply GetDocumentPartList(OperationContext& context) {
    return PartList(context, RequiredNumber(context.request.operation, "documentId"));
}

HttpReply GetRecordPartList(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    RequiredBool(operation, "getPropDefs");
    RequiredBool(operation, "getActivities");
    return PartList(context, RequiredNumber(operation, "id"));
}

} // namespace

void RegisterPartListOperations(OperationTable& table) {
    table.Add({Service::RMWS, "GetDocumentPartList", GetDocumentPartList, true, {}});
    table.Add({Service::RMWS, "GetRecordPartList", GetRecordPartList, true, {}});
}

} // namespace DemoMeridio
