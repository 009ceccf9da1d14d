// SCWS OutlookGetDocAdditionInfo: what a mail client needs to add a document to a container, as XML
// text. A T8 row carries a records-management folder's record setting (DeclareAsRecords "1" or "0")
// when the folder has one.

#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

HttpReply GetDocAdditionInfo(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const Container& container =
        RequireContainer(context.repository, RequiredNumber(operation, "containerId"));
    RequiredNumber(operation, "isMapiClient");
    RequiredText(operation, "categoryName");
    RequiredNumber(operation, "getKeyWordFullPath");
    pugi::xml_document info;
    pugi::xml_node rows = info.append_child("NewDataSet");
    if (container.declareAsRecords) {
        pugi::xml_node row = rows.append_child("T8");
        row.append_attribute("ContainerId") = std::to_string(container.id).c_str();
        row.append_attribute("DeclareAsRecords") = *container.declareAsRecords ? "1" : "0";
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultText(ToXmlText(info))
        .ToHttpReply();
}

} // namespace

void RegisterDocAdditionInfoOperations(OperationTable& table) {
    table.Add({Service::SCWS, "OutlookGetDocAdditionInfo", GetDocAdditionInfo, true, {}});
}

} // namespace DemoMeridio
