// SCWS OutlookGetDocumentPreviewPropertiesFull: one document's preview properties as XML text in the
// out parameter propertiesAsXml: a T1 row for the document, a T4 row per custom property it has,
// named by the system configuration.

#include "tools/demo-meridio/operations/DocumentRows.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

HttpReply GetDocumentPreviewPropertiesFull(OperationContext& context) {
    const Repository& repository = context.repository;
    const Document& document =
        RequireDocument(repository, RequiredNumber(context.request.operation, "docId"));
    pugi::xml_document preview;
    pugi::xml_node rows = preview.append_child("NewDataSet");
    pugi::xml_node row = rows.append_child("T1");
    SetColumn(row, "DocID", std::to_string(document.id));
    SetColumn(row, "LatestVersionID", std::to_string(document.Latest().id));
    SetColumn(row, "Title", document.title);
    SetColumn(row, "DefaultLockFileName", document.Latest().fileName);
    SetColumn(row, "IsRecord", document.isRecord ? "1" : "");
    SetColumn(row, "LastModificationDate", document.Latest().date);
    SetColumn(row, "CategoryID", CategoryText(document));
    SetColumn(row, "CreatedByUser", document.createdBy);
    SetColumn(row, "IsLocked", LockFlag(document));
    SetColumn(row, "CreateDate", document.created);
    for (const CustomValue& value : document.properties) {
        if (const std::string* name =
                repository.configuration.CustomPropertyName(kDocumentObject, value.type, value.id)) {
            pugi::xml_node property = rows.append_child("T4");
            SetColumn(property, "displayName", *name);
            SetColumn(property, "value", value.value);
        }
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultText("true")
        .Child("propertiesAsXml", ToXmlText(preview))
        .ToHttpReply();
}

} // namespace

void RegisterDocumentPreviewOperations(OperationTable& table) {
    table.Add({Service::SCWS,
               "OutlookGetDocumentPreviewPropertiesFull",
               GetDocumentPreviewPropertiesFull,
               true,
               {}});
}

} // namespace DemoMeridio
