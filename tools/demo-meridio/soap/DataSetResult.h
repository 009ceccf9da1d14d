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

    // A row the server refused: an entry of the diffgram's diffgr:errors, naming the request's row by
    // its table and diffgr:id.
    DataSetResult& AddRowError(std::string_view table, std::string_view diffgramId, std::string_view text);

    // Writes the schema and the diffgram into the result element.
    void WriteInto(pugi::xml_node result) const;

private:
    struct Row {
        std::string table;
        Columns columns;
    };
    struct RowError {
        std::string table;
        std::string diffgramId;
        std::string text;
    };
    DataSetKind kind_;
    std::vector<Row> rows_;
    std::vector<RowError> errors_;
};

} // namespace DemoMeridio
