#pragma once
// Data-set results as the services write them: an inline xs:schema of the tables, then a
// diffgr:diffgram wrapping the DMDataSet or RMDataSet with one element per row, and after it the
// diffgr:errors of refused rows.

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

    // A row of a request that the server refused: written under the request's diffgr:id and change,
    // marked diffgr:hasErrors, with the text as its diffgr:Error in diffgr:errors.
    DataSetResult& AddRefusedRow(std::string_view table, std::string diffgramId, std::string change,
                                 Columns columns, std::string error);

    // Writes the schema and the diffgram into the result element.
    void WriteInto(pugi::xml_node result) const;

private:
    struct Row {
        std::string table;
        Columns columns;
        // Refused rows only.
        std::string diffgramId;
        std::string change;
        std::string error;
    };
    DataSetKind kind_;
    std::vector<Row> rows_;
};

} // namespace DemoMeridio
