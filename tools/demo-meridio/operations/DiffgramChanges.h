#pragma once
// ApplyChanges of DMWS and RMWS: the request's diffgram is split into its changed rows (inserted and
// modified rows of the data set, and before rows without a current row, which are deletions), and each
// row goes to the handler registered for its data set, table and kind of change. A file that serves a
// table registers one handler per kind of change in its Register...Changes function, which
// DefaultDiffgramTables() calls.

#include "tools/demo-meridio/operations/DataSetRows.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/DataSetResult.h"

#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace DemoMeridio {

enum class RowChange { Inserted, Modified, Deleted };

// One changed row: the current row of an insertion or modification, the before row of a deletion.
// Its columns are read with RequiredText/RequiredNumber (Parameters.h) on Row(), or with Column().
struct DiffgramRow {
    pugi::xml_node row;
    RowChange change;

    std::string_view Table() const;
    // The text of a column; nullopt when the row has no such column.
    std::optional<std::string> Column(std::string_view name) const;
    // The id in the column: a missing column or one that is not a number is a client fault; an empty
    // one names nothing, so the server refuses the row (soap:Server).
    long Id(const char* column) const;
};

// Applies one row to the repository; gives the stored row for an insertion or modification, nothing
// for a deletion. Refusals are SoapFaults: a soap:Server one refuses the row, as a real server refuses
// a row that breaks one of its keys (a link that exists already): ApplyChanges answers the row, marked,
// with its error text in diffgr:errors; a soap:Client one refuses the request.
using RowHandler = std::function<std::optional<StoredRow>(OperationContext&, const DiffgramRow&)>;

class DiffgramTables {
public:
    // Registering a data set, table and change twice is a programming error (std::logic_error).
    void Add(DataSetKind dataSet, std::string table, RowChange change, RowHandler handler);
    const RowHandler* Find(DataSetKind dataSet, std::string_view table, RowChange change) const;

private:
    struct Entry {
        DataSetKind dataSet;
        std::string table;
        RowChange change;
        RowHandler handler;
    };
    std::vector<Entry> entries_;
};

DiffgramTables DefaultDiffgramTables();

void RegisterLockChanges(DiffgramTables& tables);
void RegisterDocumentChanges(DiffgramTables& tables);
void RegisterContainerChanges(DiffgramTables& tables);
void RegisterDocumentRemovalChanges(DiffgramTables& tables);
void RegisterDocumentLinkChanges(DiffgramTables& tables);

} // namespace DemoMeridio
