// Containers (their data, new ones, deletion), document rows, part lists and the removal of documents,
// references and part entries, for the sample content.

#include "ServerFixture.h"

#include <gmock/gmock.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kDmDataSet = "http://www.meridio.com/DMDataSet.xsd";
constexpr const char* kRmDataSet = "http://www.meridio.com/RMDataSet.xsd";
const std::string kDiffgramOpen = "<diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
                                  "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">";

std::string ContainerDataParameters(long containerId, bool propList, bool acl) {
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    return "<containerId>" + std::to_string(containerId) + "</containerId><getPropList>" + flag(propList) +
           "</getPropList><getAcl>" + flag(acl) +
           "</getAcl><getCanDo>false</getCanDo><getChildContainers>true</getChildContainers>"
           "<getContainerRefs>false</getContainerRefs><getDocumentRefs>true</getDocumentRefs>"
           "<getStoredSearchRefs>false</getStoredSearchRefs><getKeywords>false</getKeywords>"
           "<getReferencingContainers>false</getReferencingContainers>";
}

// AddObject's parameters for the rows of a new container.
std::string Addition(const std::string& rows) {
    return "<additionInfo>" + kDiffgramOpen + "<DMDataSet xmlns=\"" + kDmDataSet + "\">" + rows +
           "</DMDataSet></diffgr:diffgram></additionInfo><uploadInfo />";
}

std::string NewContainerRows(const std::string& title, long parentId) {
    return "<CONTAINERS diffgr:id=\"CONTAINERS1\" msdata:rowOrder=\"0\" "
           "diffgr:hasChanges=\"inserted\"><PROP_W_title>" +
           title +
           "</PROP_W_title><PROP_W_isShared>false</PROP_W_isShared></CONTAINERS>"
           "<CONTAINER_CHILDCONTAINERS diffgr:id=\"CONTAINER_CHILDCONTAINERS1\" msdata:rowOrder=\"0\" "
           "diffgr:hasChanges=\"inserted\"><containerId>" +
           std::to_string(parentId) + "</containerId></CONTAINER_CHILDCONTAINERS>";
}

// ApplyChanges' parameter whose diffgram has no current rows and the before row given.
std::string Deletion(const std::string& parameter, const std::string& dataSet, const char* ns,
                     const std::string& table, const std::string& columns) {
    return "<" + parameter + ">" + kDiffgramOpen + "<" + dataSet + " xmlns=\"" + ns +
           "\" /><diffgr:before><" + table + " diffgr:id=\"" + table + "1\" msdata:rowOrder=\"0\" xmlns=\"" +
           ns + "\">" + columns + "</" + table + "></diffgr:before></diffgr:diffgram></" + parameter + ">";
}

std::vector<std::string> Texts(const pugi::xml_document& document, const char* xpath) {
    std::vector<std::string> texts;
    for (const pugi::xpath_node& node : document.select_nodes(xpath)) {
        texts.push_back(node.node().text().get());
    }
    return texts;
}

class ContainerOperationsTest : public ServerFixture {
protected:
    pugi::xml_document Reply(Service service, const std::string& action, const std::string& children) {
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(Call(service, action, children).c_str()));
        return document;
    }
    std::vector<std::string> Listed(long containerId, const char* row, const char* attribute) {
        const auto rows = ScwsResult("OutlookGetContainerFullEx",
                                     "<containerId>" + std::to_string(containerId) + "</containerId>");
        std::vector<std::string> values;
        for (const pugi::xpath_node& node : rows->select_nodes((std::string("//") + row).c_str())) {
            values.push_back(node.node().attribute(attribute).value());
        }
        return values;
    }
    // Expects a fault of that code whose text holds the part.
    void ExpectFault(Service service, const std::string& action, const std::string& children,
                     const char* code, const std::string& text) {
        const auto reply = Post(service, action, Operation(service, action, children), Login());
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 500);
        EXPECT_EQ(ElementText(reply->body, "faultcode"), code) << reply->body;
        EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(text));
    }
};

TEST_F(ContainerOperationsTest, ContainerDataHoldsTheRowsAskedFor) {
    const pugi::xml_document full =
        Reply(Service::DMWS, "GetContainerData", ContainerDataParameters(2, true, true));
    EXPECT_THAT(Texts(full, "//CONTAINERS/PROP_containerId"), ElementsAre("2"));
    EXPECT_THAT(Texts(full, "//CONTAINERS/PROP_W_title"), ElementsAre("Projects & Plans"));
    EXPECT_THAT(Texts(full, "//CONTAINERS/PROP_W_inherit"), ElementsAre("true"));
    EXPECT_THAT(Texts(full, "//ACCESSCONTROL/permission"), ElementsAre("4", "2"));
    EXPECT_THAT(Texts(full, "//ACCESSCONTROL/groupId"), ElementsAre("11"));
    EXPECT_THAT(Texts(full, "//ACCESSCONTROL/userId"), ElementsAre("7"));
    EXPECT_THAT(Texts(full, "//CONTAINER_CUSTOMPROPS/propertyName"), ElementsAre("Department"));
    EXPECT_THAT(Texts(full, "//CONTAINER_CUSTOMPROPS/textValue"), ElementsAre("Planning & Control"));
    EXPECT_THAT(Texts(full, "//CONTAINER_DOCUMENTREFS/DocumentRefId"),
                ElementsAre("102", "103", "104", "105"));

    const pugi::xml_document top =
        Reply(Service::DMWS, "GetContainerData", ContainerDataParameters(1, false, false));
    EXPECT_THAT(Texts(top, "//ACCESSCONTROL"), IsEmpty());
    EXPECT_THAT(Texts(top, "//CONTAINER_CUSTOMPROPS"), IsEmpty());
    EXPECT_THAT(Texts(top, "//CONTAINER_CHILDCONTAINERS/childId"), ElementsAre("2", "3", "4", "20"));

    const pugi::xml_document mail =
        Reply(Service::DMWS, "GetContainerData", ContainerDataParameters(4, true, true));
    EXPECT_THAT(Texts(mail, "//CONTAINERS/PROP_W_inherit"), ElementsAre("false"));

    std::string malformed = ContainerDataParameters(2, true, true);
    malformed.replace(malformed.find("<getAcl>true"), 12, "<getAcl>yes");
    ExpectFault(Service::DMWS, "GetContainerData", malformed, "soap:Client", "getAcl");
    ExpectFault(Service::DMWS, "GetContainerData", ContainerDataParameters(99, true, true), "soap:Server",
                "99");
}

TEST_F(ContainerOperationsTest, AddObjectMakesAContainerUnderTheParentWithItsAccessAndProperties) {
    const std::string rows =
        "<ACCESSCONTROL diffgr:id=\"ACCESSCONTROL1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\">"
        "<objectType>0</objectType><permission>4</permission><groupId>11</groupId></ACCESSCONTROL>" +
        NewContainerRows("R&amp;D &lt;2024&gt;", 2) +
        "<CONTAINER_CUSTOMPROPS diffgr:id=\"CONTAINER_CUSTOMPROPS1\" msdata:rowOrder=\"0\" "
        "diffgr:hasChanges=\"inserted\"><objectId>2</objectId><propertyName>Department</propertyName>"
        "<textValue>Research</textValue></CONTAINER_CUSTOMPROPS>";
    const pugi::xml_document added = Reply(Service::DMWS, "AddObject", Addition(rows));
    const std::vector<std::string> ids = Texts(added, "//AddObjectResult//CONTAINERS/PROP_containerId");
    ASSERT_THAT(ids, ElementsAre("22"));
    EXPECT_THAT(Listed(2, "T0", "CONTAINERID"), ElementsAre("2", "22"));
    EXPECT_THAT(Listed(2, "T0", "Prop_7_0_1"), ElementsAre("Projects & Plans", "R&D <2024>"));

    const pugi::xml_document data =
        Reply(Service::DMWS, "GetContainerData", ContainerDataParameters(22, true, true));
    EXPECT_THAT(Texts(data, "//ACCESSCONTROL/groupId"), ElementsAre("11"));
    EXPECT_THAT(Texts(data, "//CONTAINER_CUSTOMPROPS/textValue"), ElementsAre("Research"));
}

TEST_F(ContainerOperationsTest, AddObjectRefusesRecordsParentsAndIncompleteAdditions) {
    ExpectFault(Service::DMWS, "AddObject", Addition(NewContainerRows("New", 20)), "soap:Server",
                "records-management");
    ExpectFault(Service::DMWS, "AddObject", Addition(NewContainerRows("New", 21)), "soap:Server",
                "records-management");
    ExpectFault(Service::DMWS, "AddObject", Addition(NewContainerRows("", 2)), "soap:Client", "PROP_W_title");
    const std::string noParent =
        NewContainerRows("New", 2).substr(0, NewContainerRows("New", 2).find("<CONTAINER_"));
    ExpectFault(Service::DMWS, "AddObject", Addition(noParent), "soap:Client", "CONTAINER_CHILDCONTAINERS");
    ExpectFault(Service::DMWS, "AddObject", "<uploadInfo />", "soap:Client", "diffgram");
}

TEST_F(ContainerOperationsTest, DocumentRowsAndPartLists) {
    const pugi::xml_document rows = Reply(Service::DMWS, "GetPropertiesForDocuments",
                                          "<documentIds><unsignedInt>102</unsignedInt></documentIds>");
    EXPECT_THAT(Texts(rows, "//DMDataSet/DOCUMENTS/PROP_documentId"), ElementsAre("102"));
    EXPECT_THAT(Texts(rows, "//DMDataSet/DOCUMENTS/PROP_W_title"), ElementsAre("Project plan 2024"));
    ExpectFault(Service::DMWS, "GetPropertiesForDocuments", "<documentIds><int>102</int></documentIds>",
                "soap:Client", "unsignedInt");
    ExpectFault(Service::DMWS, "GetPropertiesForDocuments",
                "<documentIds><unsignedInt>999</unsignedInt></documentIds>", "soap:Server", "999");

    const pugi::xml_document invoice =
        Reply(Service::RMWS, "GetDocumentPartList", "<documentId>108</documentId>");
    EXPECT_THAT(Texts(invoice, "//RMDataSet/rm2vPart/id"), ElementsAre("212"));
    EXPECT_THAT(Texts(invoice, "//RMDataSet/rm2vPart/parentObjectId"), ElementsAre("21"));
    const pugi::xml_document plan =
        Reply(Service::RMWS, "GetDocumentPartList", "<documentId>102</documentId>");
    EXPECT_THAT(Texts(plan, "//RMDataSet/rm2vPart"), IsEmpty());
    const pugi::xml_document record = Reply(Service::RMWS, "GetRecordPartList",
                                            "<id>107</id><getPropDefs>false</getPropDefs>"
                                            "<getActivities>false</getActivities>");
    EXPECT_THAT(Texts(record, "//RMDataSet/rm2vPart/id"), ElementsAre("211"));
    ExpectFault(Service::RMWS, "GetRecordPartList", "<id>107</id>", "soap:Client", "getPropDefs");
}

TEST_F(ContainerOperationsTest, DeletedRowsRemoveContainersDocumentsReferencesAndPartEntries) {
    Call(
        Service::DMWS, "ApplyChanges",
        Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINERS", "<PROP_containerId>4</PROP_containerId>"));
    EXPECT_THAT(Listed(1, "T0", "CONTAINERID"), ElementsAre("1", "2", "3", "20"));

    Call(Service::DMWS, "ApplyChanges",
         Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINER_DOCUMENTREFS",
                  "<ContainerId>2</ContainerId><DocumentRefId>105</DocumentRefId>"));
    EXPECT_THAT(Listed(2, "T1", "DOCID"), ElementsAre("102", "103", "104"));
    EXPECT_THAT(Listed(3, "T1", "DOCID"), ElementsAre("105"));

    Call(Service::DMWS, "ApplyChanges",
         Deletion("changes", "DMDataSet", kDmDataSet, "DOCUMENTS", "<PROP_documentId>102</PROP_documentId>"));
    EXPECT_THAT(Listed(2, "T1", "DOCID"), ElementsAre("103", "104"));

    Call(Service::RMWS, "ApplyChanges",
         Deletion("ds", "RMDataSet", kRmDataSet, "rm2Part_Document",
                  "<parentObjectId>212</parentObjectId><documentId>108</documentId>"));
    EXPECT_THAT(Listed(21, "T1", "DOCID"), ElementsAre("107"));
}

TEST_F(ContainerOperationsTest, DeletedRowsOfRecordsAndOfWhatIsNotThereAreRefused) {
    const struct {
        Service service;
        std::string children;
        std::string text;
    } cases[] = {
        {Service::DMWS,
         Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINERS",
                  "<PROP_containerId>20</PROP_containerId>"),
         "records-management"},
        {Service::DMWS,
         Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINERS",
                  "<PROP_containerId>99</PROP_containerId>"),
         "container 99 does not exist"},
        {Service::DMWS,
         Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINERS", "<PROP_containerId></PROP_containerId>"),
         "has no PROP_containerId"},
        {Service::DMWS,
         Deletion("changes", "DMDataSet", kDmDataSet, "DOCUMENTS", "<PROP_documentId>107</PROP_documentId>"),
         "record"},
        {Service::DMWS,
         Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINER_DOCUMENTREFS",
                  "<ContainerId>99</ContainerId><DocumentRefId>105</DocumentRefId>"),
         "99"},
        {Service::DMWS,
         Deletion("changes", "DMDataSet", kDmDataSet, "CONTAINER_DOCUMENTREFS",
                  "<ContainerId>4</ContainerId><DocumentRefId>105</DocumentRefId>"),
         "holds no reference to the document 105"},
        {Service::RMWS,
         Deletion("ds", "RMDataSet", kRmDataSet, "rm2Part_Document",
                  "<parentObjectId>999</parentObjectId><documentId>108</documentId>"),
         "999"},
        {Service::RMWS,
         Deletion("ds", "RMDataSet", kRmDataSet, "rm2Part_Document",
                  "<parentObjectId>211</parentObjectId><documentId>108</documentId>"),
         "does not hold the document 108"},
        {Service::RMWS,
         Deletion("ds", "RMDataSet", kRmDataSet, "rm2Part_Document",
                  "<parentObjectId /><documentId>108</documentId>"),
         "has no parentObjectId"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectRefusedChanges(c.service, c.children, c.text);
    }
    EXPECT_THAT(Listed(1, "T0", "CONTAINERID"), ElementsAre("1", "2", "3", "4", "20"));
    EXPECT_THAT(Listed(21, "T1", "DOCID"), ElementsAre("107", "108"));
}

} // namespace
} // namespace DemoMeridio::Testing
