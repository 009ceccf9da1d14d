#include "tools/demo-meridio/operations/DiffgramChanges.h"

#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapFault.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <algorithm>
#include <stdexcept>

namespace DemoMeridio {

std::string_view DiffgramRow::Table() const {
    return LocalName(row);
}

std::optional<std::string> DiffgramRow::Column(std::string_view name) const {
    for (pugi::xml_node column = row.first_child(); column; column = column.next_sibling()) {
        if (column.type() == pugi::node_element && LocalName(column) == name) {
            return std::string(column.text().get());
        }
    }
    return std::nullopt;
}

long DiffgramRow::Id(const char* column) const {
    if (const std::optional<std::string> text = Column(column); text && text->empty()) {
        throw ServerFault("API Error 20002: The row " + std::string(Table()) + " has no " + column + ".");
    }
    return RequiredNumber(row, column);
}

void DiffgramTables::Add(DataSetKind dataSet, std::string table, RowChange change, RowHandler handler) {
    if (Find(dataSet, table, change)) {
        throw std::logic_error("diffgram table registered twice: " + table);
    }
    entries_.push_back(Entry{dataSet, std::move(table), change, std::move(handler)});
}

const RowHandler* DiffgramTables::Find(DataSetKind dataSet, std::string_view table, RowChange change) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.dataSet == dataSet && entry.table == table && entry.change == change;
    });
    return found == entries_.end() ? nullptr : &found->handler;
}

DiffgramTables DefaultDiffgramTables() {
    DiffgramTables tables;
    RegisterLockChanges(tables);
    RegisterDocumentChanges(tables);
    RegisterContainerChanges(tables);
    RegisterDocumentRemovalChanges(tables);
    RegisterDocumentLinkChanges(tables);
    return tables;
}

} // namespace DemoMeridio
