// DMWS AddObject2: an upload, received as a DIME message whose second record is the file content.
// With a DOCUMENTS row the additionInfo diffgram adds a new document (title, category, access rows,
// custom properties as DOCUMENT_CUSTOMPROPS rows named by display name, the file name of its VERSIONS
// row); the document belongs to no container until a container reference or part entry links it. A
// VERSIONS row alone (docId) adds a new version to an existing document, which the caller must have
// locked. The reply holds the stored DOCUMENTS row (new document) and the VERSIONS row.

#include "tools/demo-meridio/operations/AdditionDiffgram.h"
#include "tools/demo-meridio/operations/DataSetRows.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/operations/ServerClock.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

constexpr int kDocumentObject = 9;

CustomValue CustomPropertyRow(const SystemConfiguration& configuration, const pugi::xml_node& row) {
    const std::string name = RequiredText(row, "propertyName");
    const PropertyDefinition* definition = configuration.CustomPropertyNamed(kDocumentObject, name);
    if (!definition) {
        throw ServerFault("API Error 22030: The document has no custom property \"" + name + "\".");
    }
    const std::string column = RequiredText(row, "valueColumn");
    if (column != "textValue" && column != "dateValue" && column != "numValue") {
        throw ClientFault(
            "valueColumn of DOCUMENT_CUSTOMPROPS must be textValue, dateValue or numValue, got \"" + column +
            "\"");
    }
    return {definition->type, definition->id, RequiredText(row, column.c_str())};
}

Document NewDocument(const OperationContext& context, const pugi::xml_node& dataSet, std::string content) {
    const pugi::xml_node documentRow = SingleRow(dataSet, "DOCUMENTS");
    Document document;
    document.title = RequiredText(documentRow, "PROP_W_title");
    if (document.title.empty()) {
        throw ServerFault("API Error 21020: A document's title cannot be empty.");
    }
    RequiredText(documentRow, "PROP_originalFileName");
    document.categoryId = static_cast<int>(RequiredNumber(documentRow, "PROP_categoryId"));
    const std::string fileName = RequiredText(SingleRow(dataSet, "VERSIONS"), "newVersionFileName");
    const Repository& repository = context.repository;
    document.createdBy = repository.credentials.userName;
    document.created = NowUtc();
    document.versions.push_back({1, fileName, document.created, document.createdBy});
    document.content = std::move(content);
    for (pugi::xml_node row = FirstChildElement(dataSet); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element) {
            continue;
        }
        if (LocalName(row) == "ACCESSCONTROL") {
            AccessRow(row);
        } else if (LocalName(row) == "DOCUMENT_CUSTOMPROPS") {
            document.properties.push_back(CustomPropertyRow(repository.configuration, row));
        }
    }
    return document;
}

StoredRow VersionsRow(const Document& document) {
    return {"VERSIONS",
            {{"docId", std::to_string(document.id)},
             {"PROP_versionId", std::to_string(document.Latest().id)},
             {"PROP_fileName", document.Latest().fileName}}};
}

HttpReply AddObject2(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const pugi::xml_node dataSet = AdditionDataSet(operation);
    RequiredChild(operation, "uploadInfo");
    RequiredBool(operation, "major");
    if (context.request.attachments.size() != 1) {
        throw ClientFault("AddObject2 needs the file content as the one DIME record after the envelope");
    }
    const std::string& content = context.request.attachments.front();
    Repository& repository = context.repository;
    DataSetResult result(DataSetKind::DM);
    if (HasRow(dataSet, "DOCUMENTS")) {
        const long id = repository.AddNewDocument(NewDocument(context, dataSet, content));
        const Document& document = *repository.FindDocument(id);
        const StoredRow documents = DocumentsRow(document);
        result.AddRow(documents.table, documents.columns);
        const StoredRow versions = VersionsRow(document);
        result.AddRow(versions.table, versions.columns);
    } else {
        const pugi::xml_node versionRow = SingleRow(dataSet, "VERSIONS");
        const Document& document = RequireDocument(repository, RequiredNumber(versionRow, "docId"));
        if (!document.lock || document.lock->user != repository.credentials.userName) {
            throw ServerFault("API Error 21012: The document " + std::to_string(document.id) +
                              " must be locked by the user to add a version.");
        }
        repository.AddVersion(document.id, content, NowUtc(), RequiredText(versionRow, "newVersionFileName"),
                              repository.credentials.userName);
        const StoredRow versions = VersionsRow(document);
        result.AddRow(versions.table, versions.columns);
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
}

} // namespace

void RegisterDocumentAdditionOperations(OperationTable& table) {
    table.Add({Service::DMWS, "AddObject2", AddObject2, true, {}});
}

} // namespace DemoMeridio
