#include "tools/demo-meridio/operations/DataSetRows.h"

namespace DemoMeridio {

StoredRow DocumentsRow(const Document& document) {
    return {"DOCUMENTS",
            {{"PROP_documentId", std::to_string(document.id)},
             {"PROP_W_title", document.title},
             {"PROP_addedByUser", document.createdBy},
             {"PROP_dateAdded", document.created}}};
}

StoredRow LocksRow(const Document& document) {
    return {"LOCKS",
            {{"PROP_userName", document.lock ? document.lock->user : std::string()},
             {"PROP_dateLocked", document.lock ? document.lock->date : std::string()},
             {"docId", std::to_string(document.id)}}};
}

} // namespace DemoMeridio
