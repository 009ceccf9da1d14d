// DOCUMENTS rows of DMWS ApplyChanges: a modified row (PROP_documentId) changes the document's title
// (PROP_W_title, stored without surrounding blanks); the reply holds the stored row. Other columns
// cannot be changed here.

#include "tools/demo-meridio/operations/DiffgramChanges.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapFault.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

std::optional<StoredRow> ModifyDocument(OperationContext& context, const DiffgramRow& row) {
    for (pugi::xml_node column = FirstChildElement(row.row); column; column = column.next_sibling()) {
        const std::string_view name = LocalName(column);
        if (column.type() == pugi::node_element && name != "PROP_documentId" && name != "PROP_W_title") {
            throw ClientFault("the column " + std::string(name) + " of DOCUMENTS cannot be changed");
        }
    }
    Document& document = RequireDocument(context.repository, row.Id("PROP_documentId"));
    if (const std::optional<std::string> title = row.Column("PROP_W_title")) {
        // The server stores a title without the blanks around it.
        const auto first = title->find_first_not_of(" \t");
        if (first == std::string::npos) {
            throw ServerFault("API Error 21020: A document's title cannot be empty.");
        }
        document.title = title->substr(first, title->find_last_not_of(" \t") - first + 1);
    }
    return DocumentsRow(document);
}

} // namespace

void RegisterDocumentChanges(DiffgramTables& tables) {
    tables.Add(DataSetKind::DM, "DOCUMENTS", RowChange::Modified, ModifyDocument);
}

} // namespace DemoMeridio
