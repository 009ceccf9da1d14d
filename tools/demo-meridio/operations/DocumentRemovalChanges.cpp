// Deleted rows of ApplyChanges that take a document away: DMWS DOCUMENTS (PROP_documentId) marks the
// document for deletion, so it leaves every listing; DMWS CONTAINER_DOCUMENTREFS (ContainerId,
// DocumentRefId) removes a container's reference; RMWS rm2Part_Document (parentObjectId the part,
// documentId) removes the document from a part. Removing a reference or entry that is not there, and
// an unknown container or part, are refused. Records cannot be marked for deletion.

#include "tools/demo-meridio/operations/DiffgramChanges.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapFault.h"

namespace DemoMeridio {
namespace {

std::optional<StoredRow> MarkDocumentForDelete(OperationContext& context, const DiffgramRow& row) {
    Document& document = RequireDocument(context.repository, row.Id("PROP_documentId"));
    if (document.isRecord) {
        throw ServerFault("API Error 21030: The document " + std::to_string(document.id) +
                          " is a record and cannot be deleted.");
    }
    document.markedForDelete = true;
    return std::nullopt;
}

std::optional<StoredRow> DeleteDocumentReference(OperationContext& context, const DiffgramRow& row) {
    const Container& container = RequireContainer(context.repository, row.Id("ContainerId"));
    const long documentId = row.Id("DocumentRefId");
    if (!context.repository.RemoveReference(container.id, documentId)) {
        throw ServerFault("API Error 22021: The container " + std::to_string(container.id) +
                          " holds no reference to the document " + std::to_string(documentId) + ".");
    }
    return std::nullopt;
}

std::optional<StoredRow> DeletePartDocument(OperationContext& context, const DiffgramRow& row) {
    const long partId = row.Id("parentObjectId");
    if (!context.repository.FindPart(partId)) {
        throw ServerFault("The part " + std::to_string(partId) + " does not exist.");
    }
    const long documentId = row.Id("documentId");
    if (!context.repository.RemoveFromPart(partId, documentId)) {
        throw ServerFault("The part " + std::to_string(partId) + " does not hold the document " +
                          std::to_string(documentId) + ".");
    }
    return std::nullopt;
}

} // namespace

void RegisterDocumentRemovalChanges(DiffgramTables& tables) {
    tables.Add(DataSetKind::DM, "DOCUMENTS", RowChange::Deleted, MarkDocumentForDelete);
    tables.Add(DataSetKind::DM, "CONTAINER_DOCUMENTREFS", RowChange::Deleted, DeleteDocumentReference);
    tables.Add(DataSetKind::RM, "rm2Part_Document", RowChange::Deleted, DeletePartDocument);
}

} // namespace DemoMeridio
