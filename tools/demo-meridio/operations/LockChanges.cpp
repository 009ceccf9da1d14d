// LOCKS rows of DMWS ApplyChanges: an inserted row locks the document (docId) for the logged-in user, a
// deleted row unlocks it. A lock that another user holds refuses both; locking a locked document (the
// user's own lock too) and unlocking an unlocked one are refused as well.

#include "tools/demo-meridio/operations/DiffgramChanges.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/ServerClock.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapFault.h"

namespace DemoMeridio {
namespace {

Document& DocumentOfOwnLock(OperationContext& context, const DiffgramRow& row) {
    Document& document = RequireDocument(context.repository, row.Id("docId"));
    if (document.lock && document.lock->user != context.repository.credentials.userName) {
        throw ServerFault("API Error 21010: The document " + std::to_string(document.id) + " is locked by " +
                          document.lock->user + ".");
    }
    return document;
}

std::optional<StoredRow> InsertLock(OperationContext& context, const DiffgramRow& row) {
    Document& document = DocumentOfOwnLock(context, row);
    if (document.lock) {
        throw ServerFault("API Error 21012: The document " + std::to_string(document.id) +
                          " is already locked.");
    }
    document.lock = Lock{context.repository.credentials.userName, NowUtc()};
    return LocksRow(document);
}

std::optional<StoredRow> DeleteLock(OperationContext& context, const DiffgramRow& row) {
    Document& document = DocumentOfOwnLock(context, row);
    if (!document.lock) {
        throw ServerFault("API Error 21011: The document " + std::to_string(document.id) + " is not locked.");
    }
    document.lock.reset();
    return std::nullopt;
}

} // namespace

void RegisterLockChanges(DiffgramTables& tables) {
    tables.Add(DataSetKind::DM, "LOCKS", RowChange::Inserted, InsertLock);
    tables.Add(DataSetKind::DM, "LOCKS", RowChange::Deleted, DeleteLock);
}

} // namespace DemoMeridio
