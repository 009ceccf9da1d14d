#include "tools/demo-meridio/soap/DataSetResult.h"

#include "tools/demo-meridio/soap/Services.h"

#include <algorithm>
#include <map>

namespace DemoMeridio {
namespace {

struct TableShape {
    std::string name;
    std::vector<std::string> columns;
};

// Tables in order of first appearance, each with its columns in order of first appearance.
template <typename Rows> std::vector<TableShape> ShapesOf(const Rows& rows) {
    std::vector<TableShape> shapes;
    for (const auto& row : rows) {
        auto shape = std::find_if(shapes.begin(), shapes.end(),
                                  [&](const TableShape& known) { return known.name == row.table; });
        if (shape == shapes.end()) {
            shape = shapes.insert(shapes.end(), TableShape{row.table, {}});
        }
        for (const auto& [column, value] : row.columns) {
            if (std::find(shape->columns.begin(), shape->columns.end(), column) == shape->columns.end()) {
                shape->columns.push_back(column);
            }
        }
    }
    return shapes;
}

void WriteSchema(pugi::xml_node result, const std::string& dataSetName, const std::string& ns,
                 const std::vector<TableShape>& shapes) {
    pugi::xml_node schema = result.append_child("xs:schema");
    schema.append_attribute("id") = dataSetName.c_str();
    schema.append_attribute("targetNamespace") = ns.c_str();
    schema.append_attribute("xmlns:mstns") = ns.c_str();
    schema.append_attribute("xmlns") = ns.c_str();
    schema.append_attribute("xmlns:xs") = std::string(kXsdNs).c_str();
    schema.append_attribute("xmlns:msdata") = std::string(kMsdataNs).c_str();
    schema.append_attribute("attributeFormDefault") = "qualified";
    schema.append_attribute("elementFormDefault") = "qualified";
    pugi::xml_node dataSet = schema.append_child("xs:element");
    dataSet.append_attribute("name") = dataSetName.c_str();
    dataSet.append_attribute("msdata:IsDataSet") = "true";
    pugi::xml_node choice = dataSet.append_child("xs:complexType").append_child("xs:choice");
    choice.append_attribute("minOccurs") = "0";
    choice.append_attribute("maxOccurs") = "unbounded";
    for (const TableShape& shape : shapes) {
        pugi::xml_node table = choice.append_child("xs:element");
        table.append_attribute("name") = shape.name.c_str();
        pugi::xml_node sequence = table.append_child("xs:complexType").append_child("xs:sequence");
        for (const std::string& column : shape.columns) {
            pugi::xml_node element = sequence.append_child("xs:element");
            element.append_attribute("name") = column.c_str();
            element.append_attribute("type") = "xs:string";
            element.append_attribute("minOccurs") = "0";
        }
    }
}

} // namespace

DataSetResult& DataSetResult::AddRow(std::string_view table, Columns columns) {
    rows_.push_back(Row{std::string(table), std::move(columns)});
    return *this;
}

DataSetResult& DataSetResult::AddRowError(std::string_view table, std::string_view diffgramId,
                                          std::string_view text) {
    errors_.push_back(RowError{std::string(table), std::string(diffgramId), std::string(text)});
    return *this;
}

void DataSetResult::WriteInto(pugi::xml_node result) const {
    const std::string dataSetName = kind_ == DataSetKind::DM ? "DMDataSet" : "RMDataSet";
    const std::string ns(kind_ == DataSetKind::DM ? kDmDataSetNs : kRmDataSetNs);
    WriteSchema(result, dataSetName, ns, ShapesOf(rows_));

    pugi::xml_node diffgram = result.append_child("diffgr:diffgram");
    diffgram.append_attribute("xmlns:msdata") = std::string(kMsdataNs).c_str();
    diffgram.append_attribute("xmlns:diffgr") = std::string(kDiffgramNs).c_str();
    pugi::xml_node dataSet = diffgram.append_child(dataSetName.c_str());
    dataSet.append_attribute("xmlns") = ns.c_str();

    std::map<std::string, int> rowsPerTable;
    for (const Row& row : rows_) {
        const int index = rowsPerTable[row.table]++;
        pugi::xml_node element = dataSet.append_child(row.table.c_str());
        element.append_attribute("diffgr:id") = (row.table + std::to_string(index + 1)).c_str();
        element.append_attribute("msdata:rowOrder") = index;
        for (const auto& [column, value] : row.columns) {
            element.append_child(column.c_str()).text().set(value.c_str());
        }
    }
    if (errors_.empty()) {
        return;
    }
    pugi::xml_node errors = diffgram.append_child("diffgr:errors");
    for (const RowError& error : errors_) {
        pugi::xml_node element = errors.append_child(error.table.c_str());
        element.append_attribute("xmlns") = ns.c_str();
        element.append_attribute("diffgr:id") = error.diffgramId.c_str();
        element.append_attribute("diffgr:Error") = error.text.c_str();
    }
}

} // namespace DemoMeridio
