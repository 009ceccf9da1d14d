#pragma once
// Rows of DMDataSet results that several operations write: a document's DOCUMENTS row and its LOCKS row.

#include "tools/demo-meridio/repository/Repository.h"
#include "tools/demo-meridio/soap/DataSetResult.h"

#include <string>

namespace DemoMeridio {

struct StoredRow {
    std::string table;
    DataSetResult::Columns columns;
};

// DOCUMENTS: PROP_documentId, PROP_W_title, PROP_addedByUser, PROP_dateAdded.
StoredRow DocumentsRow(const Document& document);

// LOCKS of a locked document: PROP_userName, PROP_dateLocked, docId.
StoredRow LocksRow(const Document& document);

} // namespace DemoMeridio
