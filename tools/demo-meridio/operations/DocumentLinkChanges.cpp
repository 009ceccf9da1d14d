// Inserted rows of ApplyChanges that link a document: DMWS CONTAINER_DOCUMENTREFS (ContainerId,
// DocumentRefId) adds a container's reference to it; RMWS rm2Part_Document (parentObjectId the part,
// documentId) enters it in a part, rm2Part_Record (parentObjectId, recordId) enters it as a record. The
// reply holds the row as stored. A link that exists already is refused as a row error, as the server's
// keys refuse a second row.

#include "tools/demo-meridio/operations/DiffgramChanges.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapFault.h"

#include <algorithm>

namespace DemoMeridio {
namespace {

bool Holds(const std::vector<long>& ids, long id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::optional<StoredRow> InsertDocumentReference(OperationContext& context, const DiffgramRow& row) {
    Container& container = RequireContainer(context.repository, row.Id("ContainerId"));
    const Document& document = RequireDocument(context.repository, row.Id("DocumentRefId"));
    if (container.kind != ContainerKind::Container) {
        throw ServerFault(
            "API Error 22011: A document reference cannot be added to the records-management object " +
            std::to_string(container.id) + ".");
    }
    if (Holds(container.documentIds, document.id)) {
        throw ServerFault("The container " + std::to_string(container.id) +
                          " already references the document " + std::to_string(document.id) + ".");
    }
    container.documentIds.push_back(document.id);
    return StoredRow{
        "CONTAINER_DOCUMENTREFS",
        {{"ContainerId", std::to_string(container.id)}, {"DocumentRefId", std::to_string(document.id)}}};
}

std::optional<StoredRow> InsertPartEntry(OperationContext& context, const DiffgramRow& row, bool asRecord) {
    const long partId = row.Id("parentObjectId");
    Part* part = context.repository.FindPart(partId);
    if (!part) {
        throw ServerFault("The part " + std::to_string(partId) + " does not exist.");
    }
    const char* idColumn = asRecord ? "recordId" : "documentId";
    Document& document = RequireDocument(context.repository, row.Id(idColumn));
    if (Holds(part->documentIds, document.id)) {
        throw ServerFault("The part " + std::to_string(part->id) + " already holds the document " +
                          std::to_string(document.id) + ".");
    }
    if (asRecord) {
        document.isRecord = true;
    }
    part->documentIds.push_back(document.id);
    return StoredRow{asRecord ? "rm2Part_Record" : "rm2Part_Document",
                     {{"parentObjectId", std::to_string(part->id)}, {idColumn, std::to_string(document.id)}}};
}

} // namespace

void RegisterDocumentLinkChanges(DiffgramTables& tables) {
    tables.Add(DataSetKind::DM, "CONTAINER_DOCUMENTREFS", RowChange::Inserted, InsertDocumentReference);
    tables.Add(DataSetKind::RM, "rm2Part_Document", RowChange::Inserted,
               [](OperationContext& context, const DiffgramRow& row) {
                   return InsertPartEntry(context, row, false);
               });
    tables.Add(DataSetKind::RM, "rm2Part_Record", RowChange::Inserted,
               [](OperationContext& context, const DiffgramRow& row) {
                   return InsertPartEntry(context, row, true);
               });
}

} // namespace DemoMeridio
