// SCWS OutlookGetContainerFullEx: the container's full contents as XML text. T0 rows are the container
// itself and its sub-containers, T1 rows its documents; values are attributes named by property.

#include "tools/demo-meridio/operations/DocumentRows.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

constexpr int kContainerObject = 7;

// Mail columns that every document row carries, empty for documents that are not mails.
struct MailColumn {
    int type;
    int id;
};
constexpr MailColumn kMailColumns[] = {{3, 104}, {5, 108}, {4, 120}};

bool IsMailColumn(const CustomValue& value) {
    for (const MailColumn& column : kMailColumns) {
        if (column.type == value.type && column.id == value.id) {
            return true;
        }
    }
    return false;
}

void AppendContainerRow(pugi::xml_node rows, const Container& container) {
    pugi::xml_node row = rows.append_child("T0");
    SetColumn(row, "CONTAINERID", std::to_string(container.id));
    SetColumn(row, PropertyColumn(kContainerObject, 0, 1), container.title);
    SetColumn(row, PropertyColumn(kContainerObject, 1, 10), std::to_string(static_cast<int>(container.kind)));
    SetColumn(row, PropertyColumn(kContainerObject, 0, 3), container.owner);
    SetColumn(row, "canDo", std::to_string(container.canDo));
}

void AppendDocumentRow(pugi::xml_node rows, const Document& document) {
    pugi::xml_node row = rows.append_child("T1");
    const Version& latest = document.Latest();
    SetColumn(row, "DOCID", std::to_string(document.id));
    SetColumn(row, "VERSIONID", std::to_string(latest.id));
    SetColumn(row, PropertyColumn(kDocumentObject, 1, 1), std::to_string(document.id));
    SetColumn(row, PropertyColumn(kDocumentObject, 0, 5), document.title);
    SetColumn(row, PropertyColumn(kDocumentObject, 0, 10), latest.fileName);
    SetColumn(row, PropertyColumn(kDocumentObject, 0, 2), document.createdBy);
    SetColumn(row, PropertyColumn(kDocumentObject, 2, 3), document.created);
    SetColumn(row, PropertyColumn(kDocumentObject, 2, 20), latest.date);
    SetColumn(row, PropertyColumn(kDocumentObject, 1, 12), LockFlag(document));
    SetColumn(row, PropertyColumn(kDocumentObject, 1, 15), CategoryText(document));
    SetColumn(row, PropertyColumn(kDocumentObject, 1, 19), document.isRecord ? "1" : "");
    for (const MailColumn& column : kMailColumns) {
        SetColumn(row, PropertyColumn(kDocumentObject, column.type, column.id),
                  CustomText(document, column.type, column.id));
    }
    for (const CustomValue& value : document.properties) {
        if (!IsMailColumn(value)) {
            SetColumn(row, PropertyColumn(kDocumentObject, value.type, value.id), value.value);
        }
    }
    SetColumn(row, "canDo", std::to_string(document.canDo));
}

HttpReply GetContainerFullEx(OperationContext& context) {
    const Repository& repository = context.repository;
    const Container& container =
        RequireContainer(repository, RequiredNumber(context.request.operation, "containerId"));
    pugi::xml_document contents;
    pugi::xml_node rows = contents.append_child("NewDataSet");
    AppendContainerRow(rows, container);
    for (const Container* child : repository.ChildContainers(container.id)) {
        AppendContainerRow(rows, *child);
    }
    for (const long linked : container.linkedContainerIds) {
        AppendContainerRow(rows, RequireContainer(repository, linked));
    }
    for (const Document* document : repository.DocumentsIn(container)) {
        AppendDocumentRow(rows, *document);
    }
    std::string text = ToXmlText(contents);
    const bool broken =
        context.switches.brokenListings > 0 || context.switches.brokenContainer == container.id;
    if (context.switches.brokenListings > 0) {
        --context.switches.brokenListings;
    }
    if (broken) {
        text.resize(text.size() / 2); // the rows stop in the middle: the text is not XML
    }
    return OperationResponse(*context.request.service, context.request.action).ResultText(text).ToHttpReply();
}

} // namespace

void RegisterContainerListingOperations(OperationTable& table) {
    table.Add({Service::SCWS, "OutlookGetContainerFullEx", GetContainerFullEx, true, {}});
}

} // namespace DemoMeridio
