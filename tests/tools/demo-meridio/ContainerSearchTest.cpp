// DMWS SearchContainers on the sample content: the terms, the result rows per hit and result
// definition, sorting, the window of hits, and the requests it refuses.

#include "ServerFixture.h"

#include <gmock/gmock.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::HasSubstr;

struct Term {
    std::string property;
    int relation;
    std::string value;
};

struct ResultDefinition {
    std::string property;
    std::string sortAscending; // empty: no sortAscending column
};

const std::vector<ResultDefinition> kClientResults = {{"PROP_W_title", "true"},
                                                      {"PROP_folderType", ""},
                                                      {"PROP_rmFolderParentTitlePath", ""},
                                                      {"PROP_ownerName", ""}};

std::string DataSet(const std::vector<Term>& terms, const std::vector<ResultDefinition>& results) {
    std::string rows = "<PROPERTY_OPS diffgr:id=\"PROPERTY_OPS1\" msdata:rowOrder=\"0\"><id>1</id>"
                       "<operator>0</operator></PROPERTY_OPS>";
    for (const Term& term : terms) {
        rows += "<PROPERTY_TERMS><parentId>1</parentId><termType>0</termType><propertyName>" + term.property +
                "</propertyName><str_value>" + term.value + "</str_value><str_relation>" +
                std::to_string(term.relation) + "</str_relation></PROPERTY_TERMS>";
    }
    for (const ResultDefinition& result : results) {
        rows +=
            "<RESULTDEFS><propertyName>" + result.property + "</propertyName>" +
            (result.sortAscending.empty() ? ""
                                          : "<sortAscending>" + result.sortAscending + "</sortAscending>") +
            "<categoryId>0</categoryId></RESULTDEFS>";
    }
    return "<DMDataSet xmlns=\"http://www.meridio.com/DMDataSet.xsd\">" + rows + "</DMDataSet>";
}

std::string SearchInfo(const std::string& dataSet) {
    return "<searchInfo><diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
           "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">" +
           dataSet + "</diffgr:diffgram></searchInfo>";
}

std::string Parameters(long maxHits, long start, const std::string& permission = "READ") {
    return "<maxHitsToReturn>" + std::to_string(maxHits) + "</maxHitsToReturn><startPositionOfHits>" +
           std::to_string(start) + "</startPositionOfHits><permissionFilter>" + permission +
           "</permissionFilter><searchChildren>true</searchChildren>"
           "<searchKeywordHierarchy>false</searchKeywordHierarchy><keywordOperator>AND</keywordOperator>";
}

std::string Search(const std::vector<Term>& terms,
                   const std::vector<ResultDefinition>& results = kClientResults, long maxHits = 100,
                   long start = 0) {
    return SearchInfo(DataSet(terms, results)) + Parameters(maxHits, start);
}

struct Reply {
    std::vector<std::pair<std::string, std::string>> rows; // containerId, str_value
    std::string total;
    std::string returned;
};

class ContainerSearchTest : public ServerFixture {
protected:
    Reply Run(const std::string& children) {
        const std::string body = Call(Service::DMWS, "SearchContainers", children);
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(body.c_str())) << body;
        Reply reply;
        for (const pugi::xpath_node& row : document.select_nodes(
                 "//SearchContainersResult/diffgr:diffgram/DMDataSet/SEARCHRESULTS_CONTAINERS")) {
            reply.rows.emplace_back(row.node().child_value("containerId"),
                                    row.node().child_value("str_value"));
        }
        reply.total = document.select_node("//SearchContainersResponse/totalHitsCount").node().text().get();
        reply.returned =
            document.select_node("//SearchContainersResponse/returnedHitsCount").node().text().get();
        return reply;
    }

    // The container ids of the hits of a search with the one result definition of the title.
    std::vector<std::string> HitIds(const std::vector<Term>& terms,
                                    const std::string& sortAscending = "true") {
        std::vector<std::string> ids;
        for (const auto& [id, value] : Run(Search(terms, {{"PROP_W_title", sortAscending}})).rows) {
            ids.push_back(id);
        }
        return ids;
    }
};

TEST_F(ContainerSearchTest, GivesOneRowPerHitAndResultDefinitionSortedByTitle) {
    const Reply reply = Run(Search({{"PROP_W_title", 2, "c"}, {"PROP_ownerName", 1, "Keywords User"}}));
    using Row = std::pair<std::string, std::string>;
    EXPECT_EQ(reply.rows, (std::vector<Row>{
                              {"21", "Contracts 2024"},
                              {"21", "6"},
                              {"21", "/Finance Records"},
                              {"21", "Records Manager"},
                              {"20", "Finance Records"},
                              {"20", "20"},
                              {"20", ""},
                              {"20", "Records Manager"},
                              {"2", "Projects & Plans"},
                              {"2", ""},
                              {"2", ""},
                              {"2", "Anna Müller"},
                              {"3", "Übersicht Café"},
                              {"3", ""},
                              {"3", ""},
                              {"3", "Chloé Dubois"},
                          }));
    EXPECT_EQ(reply.total, "4");
    EXPECT_EQ(reply.returned, "4");
}

TEST_F(ContainerSearchTest, TermsMatchTheirRelationWithoutRegardToLetterCase) {
    struct Case {
        std::vector<Term> terms;
        std::vector<std::string> ids;
    };
    const std::vector<Case> cases = {
        {{{"PROP_W_title", 0, "MAIL"}}, {"4"}},
        {{{"PROP_W_title", 2, "records"}}, {"20"}},
        {{{"PROP_W_title", 2, ""}, {"PROP_ownerName", 1, "anna müller"}}, {"21", "1", "20", "3"}},
        {{{"PROP_ownerName", 0, "Records Manager"}, {"PROP_W_title", 1, "Finance Records"}}, {"21"}},
        {{{"PROP_W_title", 2, "nothing like this"}}, {}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(HitIds(test.terms), test.ids) << test.terms.front().value;
    }
}

TEST_F(ContainerSearchTest, SortsDescendingOrByIdWithoutASortingDefinition) {
    EXPECT_EQ(HitIds({{"PROP_W_title", 2, "c"}}, "false"), (std::vector<std::string>{"3", "2", "20", "21"}));
    EXPECT_EQ(HitIds({{"PROP_W_title", 2, "c"}}, ""), (std::vector<std::string>{"2", "3", "20", "21"}));
}

TEST_F(ContainerSearchTest, ReturnsTheWindowOfHitsAndCountsThemAll) {
    const std::vector<Term> everything = {{"PROP_W_title", 2, ""}};
    const Reply window = Run(Search(everything, {{"PROP_W_title", "true"}}, 2, 1));
    using Row = std::pair<std::string, std::string>;
    EXPECT_EQ(window.rows, (std::vector<Row>{{"1", "Demo Library"}, {"20", "Finance Records"}}));
    EXPECT_EQ(window.total, "6");
    EXPECT_EQ(window.returned, "2");

    const Reply none = Run(Search(everything, kClientResults, 0, 0));
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(none.total, "6");
    EXPECT_EQ(none.returned, "0");
    const Reply beyond = Run(Search(everything, kClientResults, 10, 50));
    EXPECT_TRUE(beyond.rows.empty());
    EXPECT_EQ(beyond.returned, "0");
}

TEST_F(ContainerSearchTest, RefusesRequestsOfAnotherShape) {
    const std::vector<Term> title = {{"PROP_W_title", 2, "c"}};
    const std::string diffgramStart =
        "<searchInfo><diffgr:diffgram xmlns:diffgr=\"urn:schemas-microsoft-com:xml-"
        "diffgram-v1\">";
    struct Case {
        std::string children;
        std::string faultText;
    };
    const std::vector<Case> cases = {
        {Parameters(10, 0), "has no parameter searchInfo"},
        {"<searchInfo/>" + Parameters(10, 0), "must hold a diffgr:diffgram"},
        {diffgramStart + "<DMDataSet xmlns=\"urn:other\"/></diffgr:diffgram></searchInfo>" +
             Parameters(10, 0),
         "must hold a DMDataSet"},
        {Search({{"PROP_W_comment", 2, "c"}}), "cannot search by the property \"PROP_W_comment\""},
        {Search({{"PROP_folderType", 0, "6"}}), "cannot search by the property \"PROP_folderType\""},
        {Search(title, {{"PROP_lockCount", ""}}), "cannot return the property \"PROP_lockCount\""},
        {Search({{"PROP_W_title", 7, "c"}}), "str_relation"},
        {Search(title, {}), "at least one RESULTDEFS"},
        {SearchInfo(DataSet(title, kClientResults)) + Parameters(-1, 0), "maxHitsToReturn"},
        {SearchInfo(DataSet(title, kClientResults)) + Parameters(10, 0, "EVERYTHING"), "permissionFilter"},
        {SearchInfo(DataSet(title, kClientResults)) + "<maxHitsToReturn>10</maxHitsToReturn>",
         "startPositionOfHits"},
    };
    const std::string token = Login();
    for (const Case& test : cases) {
        const auto reply = Post(Service::DMWS, "SearchContainers",
                                Operation(Service::DMWS, "SearchContainers", test.children), token);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 500) << test.faultText;
        EXPECT_EQ(ElementText(reply->body, "faultcode").value_or(""), "soap:Client") << reply->body;
        EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(test.faultText));
    }
}

} // namespace
} // namespace DemoMeridio::Testing
