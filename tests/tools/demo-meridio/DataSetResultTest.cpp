#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <gtest/gtest.h>

namespace DemoMeridio {
namespace {

std::vector<std::string> ChildNames(const pugi::xml_node& node) {
    std::vector<std::string> names;
    for (const pugi::xml_node child : node.children()) {
        names.push_back(child.name());
    }
    return names;
}

TEST(DataSetResultTest, ResultHoldsTheSchemaThenTheDiffgramWithNumberedRows) {
    OperationResponse response(InfoOf(Service::DMWS), "GetPropertiesForDocuments");
    DataSetResult(DataSetKind::DM)
        .AddRow("DOCUMENTS", {{"PROP_documentId", "102"}, {"PROP_W_title", "Q1 & Q2"}})
        .AddRow("VERSIONS", {{"docId", "102"}})
        .AddRow("DOCUMENTS", {{"PROP_documentId", "103"}, {"PROP_lockCount", "1"}})
        .WriteInto(response.Result());

    pugi::xml_document reply;
    ASSERT_TRUE(reply.load_string(response.EnvelopeXml().c_str()));
    const pugi::xml_node result = reply.select_node("//GetPropertiesForDocumentsResult").node();
    EXPECT_EQ(ChildNames(result), (std::vector<std::string>{"xs:schema", "diffgr:diffgram"}));

    const pugi::xml_node schema = result.child("xs:schema");
    EXPECT_STREQ(schema.attribute("id").value(), "DMDataSet");
    EXPECT_STREQ(schema.attribute("targetNamespace").value(), "http://www.meridio.com/DMDataSet.xsd");
    const pugi::xml_node documentsTable = schema.select_node(".//xs:element[@name='DOCUMENTS']").node();
    std::vector<std::string> columns;
    for (const pugi::xpath_node& column : documentsTable.select_nodes(".//xs:element")) {
        columns.push_back(column.node().attribute("name").value());
    }
    EXPECT_EQ(columns, (std::vector<std::string>{"PROP_documentId", "PROP_W_title", "PROP_lockCount"}));

    const pugi::xml_node dataSet = result.child("diffgr:diffgram").child("DMDataSet");
    EXPECT_EQ(NamespaceOf(dataSet), "http://www.meridio.com/DMDataSet.xsd");
    EXPECT_EQ(NamespaceOf(result.child("diffgr:diffgram")), "urn:schemas-microsoft-com:xml-diffgram-v1");
    EXPECT_EQ(ChildNames(dataSet), (std::vector<std::string>{"DOCUMENTS", "VERSIONS", "DOCUMENTS"}));
    const pugi::xml_node second = reply.select_nodes("//DMDataSet/DOCUMENTS")[1].node();
    EXPECT_STREQ(second.attribute("diffgr:id").value(), "DOCUMENTS2");
    EXPECT_STREQ(second.attribute("msdata:rowOrder").value(), "1");
    EXPECT_STREQ(reply.select_node("//VERSIONS").node().attribute("diffgr:id").value(), "VERSIONS1");
    EXPECT_STREQ(reply.select_node("//DOCUMENTS/PROP_W_title").node().text().get(), "Q1 & Q2");
}

TEST(DataSetResultTest, RecordsManagementSetUsesItsOwnNameAndNamespace) {
    OperationResponse response(InfoOf(Service::RMWS), "GetDocumentPartList");
    DataSetResult(DataSetKind::RM).AddRow("rm2vPart", {{"id", "211"}}).WriteInto(response.Result());
    pugi::xml_document reply;
    ASSERT_TRUE(reply.load_string(response.EnvelopeXml().c_str()));
    const pugi::xml_node dataSet = reply.select_node("//RMDataSet").node();
    ASSERT_TRUE(dataSet);
    EXPECT_EQ(NamespaceOf(dataSet), "http://www.meridio.com/RMDataSet.xsd");
    EXPECT_STREQ(reply.select_node("//RMDataSet/rm2vPart/id").node().text().get(), "211");
}

} // namespace
} // namespace DemoMeridio
