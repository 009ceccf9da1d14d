// DMWS and RMWS ApplyChanges: applies the changed rows of the diffgram in the request (DMWS: parameter
// changes holding a DMDataSet; RMWS: ds holding an RMDataSet) through the registered table handlers.
// The result holds a data set with the rows the server inserted or modified, as stored; it is empty
// when the changes were only deletions. Every row must have a handler before any is applied. A row
// the server cannot apply (its handler's soap:Server refusal) refuses the whole change: the result's
// diffgram lists it under diffgr:errors and nothing is applied.

#include "tools/demo-meridio/operations/DiffgramChanges.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <memory>

namespace DemoMeridio {
namespace {

struct DataSetShape {
    DataSetKind kind;
    const char* parameter; // the operation's child that holds the diffgram
    const char* name;      // the data set element
    std::string_view ns;
};

constexpr DataSetShape kDmChanges{DataSetKind::DM, "changes", "DMDataSet", kDmDataSetNs};
constexpr DataSetShape kRmChanges{DataSetKind::RM, "ds", "RMDataSet", kRmDataSetNs};

bool IsElement(const pugi::xml_node& node, std::string_view ns, std::string_view name) {
    return node.type() == pugi::node_element && LocalName(node) == name && NamespaceOf(node) == ns;
}

pugi::xml_node Diffgram(const pugi::xml_node& operation, const DataSetShape& shape) {
    for (pugi::xml_node child = operation.first_child(); child; child = child.next_sibling()) {
        if (IsElement(child, NamespaceOf(operation), shape.parameter)) {
            const pugi::xml_node diffgram = FirstChildElement(child);
            if (!IsElement(diffgram, kDiffgramNs, "diffgram")) {
                throw ClientFault(std::string("parameter ") + shape.parameter +
                                  " of ApplyChanges holds no diffgr:diffgram");
            }
            return diffgram;
        }
    }
    throw ClientFault(std::string("ApplyChanges has no parameter ") + shape.parameter);
}

std::vector<pugi::xml_node> RowsOf(const pugi::xml_node& parent, const DataSetShape& shape) {
    std::vector<pugi::xml_node> rows;
    for (pugi::xml_node row = parent.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element) {
            continue;
        }
        if (NamespaceOf(row) != shape.ns) {
            throw ClientFault("row " + std::string(row.name()) + " is not in the " + shape.name +
                              " namespace");
        }
        rows.push_back(row);
    }
    return rows;
}

std::string DiffgramId(const pugi::xml_node& row) {
    return AttributeIn(row, kDiffgramNs, "id").value();
}

// The changed rows in order: insertions and modifications of the data set, then deletions.
std::vector<DiffgramRow> ChangedRows(const pugi::xml_node& diffgram, const DataSetShape& shape) {
    std::vector<pugi::xml_node> current;
    std::vector<pugi::xml_node> before;
    for (pugi::xml_node child = diffgram.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (IsElement(child, shape.ns, shape.name)) {
            current = RowsOf(child, shape);
        } else if (IsElement(child, kDiffgramNs, "before")) {
            before = RowsOf(child, shape);
        } else {
            throw ClientFault("unexpected element " + std::string(child.name()) + " in the diffgram");
        }
    }
    std::vector<DiffgramRow> changed;
    for (const pugi::xml_node& row : current) {
        const std::string_view kind = AttributeIn(row, kDiffgramNs, "hasChanges").value();
        if (kind == "inserted") {
            changed.push_back({row, RowChange::Inserted});
        } else if (kind == "modified") {
            changed.push_back({row, RowChange::Modified});
        } else if (!kind.empty()) {
            throw ClientFault("row " + std::string(row.name()) + " has the unknown diffgr:hasChanges \"" +
                              std::string(kind) + "\"");
        }
    }
    for (const pugi::xml_node& row : before) {
        const std::string id = DiffgramId(row);
        if (id.empty()) {
            throw ClientFault("before row " + std::string(row.name()) + " has no diffgr:id");
        }
        const bool hasCurrent = std::any_of(current.begin(), current.end(), [&](const pugi::xml_node& other) {
            return DiffgramId(other) == id;
        });
        if (!hasCurrent) {
            changed.push_back({row, RowChange::Deleted});
        }
    }
    return changed;
}

// The columns of a request row: its child elements and their texts.
DataSetResult::Columns ColumnsOf(const pugi::xml_node& row) {
    DataSetResult::Columns columns;
    for (pugi::xml_node column = row.first_child(); column; column = column.next_sibling()) {
        if (column.type() == pugi::node_element) {
            columns.emplace_back(std::string(LocalName(column)), column.text().get());
        }
    }
    return columns;
}

const char* ChangeName(RowChange change) {
    switch (change) {
    case RowChange::Inserted:
        return "inserted";
    case RowChange::Modified:
        return "modified";
    case RowChange::Deleted:
        return "deleted";
    }
    return "changed";
}

HttpReply ApplyChanges(const DiffgramTables& tables, const DataSetShape& shape, OperationContext& context) {
    const std::vector<DiffgramRow> rows = ChangedRows(Diffgram(context.request.operation, shape), shape);
    std::vector<const RowHandler*> handlers;
    for (const DiffgramRow& row : rows) {
        const RowHandler* handler = tables.Find(shape.kind, row.Table(), row.change);
        if (!handler) {
            throw ClientFault("ApplyChanges has no handler for " + std::string(ChangeName(row.change)) +
                              " rows of " + std::string(row.Table()));
        }
        handlers.push_back(handler);
    }
    // The rows are applied to a copy that replaces the repository only when no row was refused.
    Repository changed = context.repository;
    OperationContext rowContext{context.request, changed, context.sessions, context.settings,
                                context.switches};
    DataSetResult stored(shape.kind);
    DataSetResult refused(shape.kind);
    bool anyStored = false;
    bool anyRefused = false;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        try {
            if (std::optional<StoredRow> row = (*handlers[index])(rowContext, rows[index])) {
                stored.AddRow(row->table, std::move(row->columns));
                anyStored = true;
            }
        } catch (const SoapFault& fault) {
            if (fault.code() == SoapFault::Code::Client) {
                throw;
            }
            const DiffgramRow& row = rows[index];
            refused.AddRefusedRow(row.Table(), DiffgramId(row.row), ChangeName(row.change),
                                  ColumnsOf(row.row), fault.what());
            anyRefused = true;
        }
    }
    OperationResponse response(*context.request.service, context.request.action);
    const pugi::xml_node result = response.Result();
    if (anyRefused) {
        refused.WriteInto(result);
        return response.ToHttpReply();
    }
    context.repository = std::move(changed);
    if (anyStored) {
        stored.WriteInto(result);
    }
    return response.ToHttpReply();
}

} // namespace

void RegisterApplyChangesOperations(OperationTable& table) {
    const auto tables = std::make_shared<const DiffgramTables>(DefaultDiffgramTables());
    table.Add({Service::DMWS,
               "ApplyChanges",
               [tables](OperationContext& context) { return ApplyChanges(*tables, kDmChanges, context); },
               true,
               {}});
    table.Add({Service::RMWS,
               "ApplyChanges",
               [tables](OperationContext& context) { return ApplyChanges(*tables, kRmChanges, context); },
               true,
               {}});
}

} // namespace DemoMeridio
