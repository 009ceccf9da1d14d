// RMWS GetFolder2: a records-management folder's rm2vFolder row (id, name, parentObjectId and the part
// new entries go to, currentPartId). Property definitions, activities, parts, records and custom
// properties are not modelled; their flags are checked only.

#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"

namespace DemoMeridio {
namespace {

HttpReply GetFolder2(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const Container& folder = RequireContainer(context.repository, RequiredNumber(operation, "id"));
    for (const char* flag :
         {"getPropDefs", "getActivities", "getParts", "getRecords", "getCustomProperties"}) {
        RequiredBool(operation, flag);
    }
    if (folder.kind != ContainerKind::Folder) {
        throw ServerFault("API Error 30010: The object " + std::to_string(folder.id) +
                          " is not a records-management folder.");
    }
    DataSetResult result(DataSetKind::RM);
    result.AddRow("rm2vFolder", {{"id", std::to_string(folder.id)},
                                 {"name", folder.title},
                                 {"parentObjectId", std::to_string(folder.parentId)},
                                 {"currentPartId", std::to_string(folder.currentPartId)}});
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
}

} // namespace

void RegisterFolderDataOperations(OperationTable& table) {
    table.Add({Service::RMWS, "GetFolder2", GetFolder2, true, {}});
}

} // namespace DemoMeridio
