#pragma once
// Data-set results as the services write them: an inline xs:schema of the tables, then a
// diffgr:diffgram wrapping the DMDataSet or RMDataSet with one element per row.

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace DemoMeridio {

enum class DataSetKind { DM, RM };

class DataSetResult {
public:
    using Columns = std::vector<std::pair<std::string, std::string>>;

    explicit DataSetResult(DataSetKind kind) : kind_(kind) {}

    // One row of the table; its columns become child elements in the order given.
    DataSetResult& AddRow(std::string_view table, Columns columns);

    // Writes the schema and the diffgram into the result element.
    void WriteInto(pugi::xml_node result) const;

private:
    struct Row {
        std::string table;
        Columns columns;
    };
    DataSetKind kind_;
    std::vector<Row> rows_;
};

} // namespace DemoMeridio
