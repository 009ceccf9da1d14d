// Each operation's reply for the sample content.

#include "ServerFixture.h"

#include <fstream>
#include <gmock/gmock.h>
#include <unistd.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Attribute(const pugi::xml_document& document, const std::string& xpath, const char* name) {
    const pugi::xpath_node node = document.select_node(xpath.c_str());
    EXPECT_TRUE(node) << xpath;
    return node.node().attribute(name).value();
}

std::vector<std::string> Attributes(const pugi::xml_document& document, const char* xpath, const char* name) {
    std::vector<std::string> values;
    for (const pugi::xpath_node& node : document.select_nodes(xpath)) {
        values.push_back(node.node().attribute(name).value());
    }
    return values;
}

class OperationsTest : public ServerFixture {};

TEST_F(OperationsTest, ExplicitLoginGivesATokenAndRefusesAWrongPassword) {
    EXPECT_FALSE(Login().empty());
    const auto wrong =
        Post(Service::DMWS, "Login",
             Operation(Service::DMWS, "Login",
                       "<userName>demo</userName><password>wrong</password><clientWorkstation/>"),
             "");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 500);
    EXPECT_THAT(ElementText(wrong->body, "faultstring").value_or(""), HasSubstr("user name or password"));
}

TEST_F(OperationsTest, UnifiedLoginUnderTheLoginActionAnswersLoginResult) {
    const auto reply =
        Post(Service::DMWS, "Login", "<LoginUnified xmlns=\"http://www.meridio.com/MeridioDMWS\" />", "");
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->status, 200) << reply->body;
    EXPECT_FALSE(ElementText(reply->body, "LoginResult").value_or("").empty());

    const auto ownAction =
        Post(Service::DMWS, "LoginUnified", Operation(Service::DMWS, "LoginUnified", ""), "");
    ASSERT_TRUE(ownAction);
    EXPECT_FALSE(ElementText(ownAction->body, "LoginUnifiedResult").value_or("").empty()) << ownAction->body;
}

TEST_F(OperationsTest, ContainerListingHoldsTheContainerItsSubContainersAndDocuments) {
    const auto rows = ScwsResult("OutlookGetContainerFullEx", "<containerId>1</containerId>");
    EXPECT_THAT(Attributes(*rows, "//T0", "CONTAINERID"), ElementsAre("1", "2", "3", "4", "20"));
    EXPECT_THAT(Attributes(*rows, "//T0", "Prop_7_0_1"),
                ElementsAre("Demo Library", "Projects & Plans", "Übersicht Café", "Mail", "Finance Records"));
    EXPECT_THAT(Attributes(*rows, "//T0", "Prop_7_1_10"), ElementsAre("100", "100", "100", "100", "20"));
    EXPECT_THAT(Attributes(*rows, "//T1", "DOCID"), ElementsAre("101"));
    EXPECT_EQ(Attribute(*rows, "//T1", "canDo"), "1"); // the read-only welcome note
}

TEST_F(OperationsTest, ContainerListingCarriesTheColumnsOfEachDocument) {
    const auto rows = ScwsResult("OutlookGetContainerFullEx", "<containerId>2</containerId>");
    EXPECT_THAT(Attributes(*rows, "//T1", "DOCID"), ElementsAre("102", "103", "104", "105"));
    const std::string plan = "//T1[@DOCID='102']";
    EXPECT_EQ(Attribute(*rows, plan, "VERSIONID"), "3");
    EXPECT_EQ(Attribute(*rows, plan, "Prop_9_0_5"), "Project plan 2024");
    EXPECT_EQ(Attribute(*rows, plan, "Prop_9_0_10"), "Project plan 2024.md");
    EXPECT_EQ(Attribute(*rows, plan, "Prop_9_2_20"), "2024-02-02T10:05:00Z");
    EXPECT_EQ(Attribute(*rows, plan, "Prop_9_2_3"), "2024-01-05T09:12:00Z");
    EXPECT_EQ(Attribute(*rows, plan, "Prop_9_3_201"), "PRJ-2024-07");
    const std::string budget = "//T1[@DOCID='103']";
    EXPECT_EQ(Attribute(*rows, budget, "Prop_9_0_10"), "Budget Q1 & Q2.csv");
    EXPECT_EQ(Attribute(*rows, budget, "Prop_9_1_12"), "1");
    EXPECT_EQ(Attribute(*rows, budget, "Prop_9_1_15"), "7");
    EXPECT_EQ(Attribute(*rows, budget, "canDo"), "49075");
    EXPECT_EQ(Attribute(*rows, "//T1[@DOCID='105']", "Prop_9_0_5"), "Öffnungszeiten & Preise");
    // Columns the client reads as strings are present on every row, empty where they do not apply.
    for (const char* column : {"Prop_9_1_19", "Prop_9_3_104", "Prop_9_0_2", "Prop_9_1_15", "Prop_9_4_120"}) {
        EXPECT_EQ(rows->select_nodes((std::string("//T1[@") + column + "]").c_str()).size(), 4u) << column;
    }
}

TEST_F(OperationsTest, MailAndRecordColumns) {
    const auto mail = ScwsResult("OutlookGetContainerFullEx", "<containerId>4</containerId>");
    EXPECT_EQ(Attribute(*mail, "//T1", "Prop_9_1_15"), "5");
    EXPECT_EQ(Attribute(*mail, "//T1", "Prop_9_3_104"), "Chloé Dubois");
    EXPECT_EQ(Attribute(*mail, "//T1", "Prop_9_5_108"), "2024-03-05T07:08:09Z");
    EXPECT_EQ(Attribute(*mail, "//T1", "Prop_9_4_120"), "1");

    const auto folder = ScwsResult("OutlookGetContainerFullEx", "<containerId>21</containerId>");
    EXPECT_EQ(Attribute(*folder, "//T0", "Prop_7_1_10"), "6");
    EXPECT_THAT(Attributes(*folder, "//T1", "DOCID"), ElementsAre("107", "108"));
    EXPECT_EQ(Attribute(*folder, "//T1[@DOCID='107']", "Prop_9_1_19"), "1");
    EXPECT_EQ(Attribute(*folder, "//T1[@DOCID='108']", "Prop_9_1_19"), "");
}

TEST_F(OperationsTest, UnknownContainerIsAServerFault) {
    const auto reply = Post(
        Service::SCWS, "OutlookGetContainerFullEx",
        Operation(Service::SCWS, "OutlookGetContainerFullEx", "<containerId>999</containerId>"), Login());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 500);
    EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr("999"));
}

TEST_F(OperationsTest, PreviewPropertiesOfAMail) {
    const auto preview =
        ScwsResult("OutlookGetDocumentPreviewPropertiesFull", "<docId>106</docId>", "propertiesAsXml");
    EXPECT_EQ(Attribute(*preview, "//T1", "DocID"), "106");
    EXPECT_EQ(Attribute(*preview, "//T1", "LatestVersionID"), "1");
    EXPECT_EQ(Attribute(*preview, "//T1", "Title"), "Re: Budget approval Q1 & Q2");
    EXPECT_EQ(Attribute(*preview, "//T1", "DefaultLockFileName"), "Re Budget approval.msg");
    EXPECT_EQ(Attribute(*preview, "//T1", "IsRecord"), "");
    EXPECT_EQ(Attribute(*preview, "//T1", "IsLocked"), "0");
    EXPECT_EQ(Attribute(*preview, "//T1", "CategoryID"), "5");
    EXPECT_EQ(Attribute(*preview, "//T4[@displayName='From']", "value"), "Chloé Dubois");
    EXPECT_EQ(Attribute(*preview, "//T4[@displayName='Receipt Date']", "value"), "2024-03-05T07:08:09Z");
    EXPECT_EQ(Attribute(*preview, "//T4[@displayName='Attachments']", "value"), "1");
}

TEST_F(OperationsTest, PreviewPropertiesOfALockedDocumentAndARecord) {
    const auto locked =
        ScwsResult("OutlookGetDocumentPreviewPropertiesFull", "<docId>103</docId>", "propertiesAsXml");
    EXPECT_EQ(Attribute(*locked, "//T1", "IsLocked"), "1");
    EXPECT_EQ(Attribute(*locked, "//T1", "LastModificationDate"), "2024-02-28T17:22:10Z");
    const auto record =
        ScwsResult("OutlookGetDocumentPreviewPropertiesFull", "<docId>107</docId>", "propertiesAsXml");
    EXPECT_EQ(Attribute(*record, "//T1", "IsRecord"), "1");
    EXPECT_EQ(Attribute(*record, "//T1", "DefaultLockFileName"), "Supplier contract – Nordwind GmbH.txt");
}

std::string SampleFile(const std::string& relative) {
    std::ifstream in(std::string(DEMO_MERIDIO_SAMPLE_DIR) + "/Demo Library/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(OperationsTest, DownloadIsADimeMessageOfTheReplyAndTheContent) {
    const auto reply = Post(Service::DMWS, "GetLatestVersionFile",
                            Operation(Service::DMWS, "GetLatestVersionFile", "<docId>106</docId>"), Login());
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->status, 200);
    EXPECT_EQ(reply->get_header_value("Content-Type"), "application/dime");
    const auto records = ReadDime(reply->body);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].flags, 0x0C);
    EXPECT_EQ(records[0].typeFormat, 0x20);
    EXPECT_EQ(records[0].type, "http://schemas.xmlsoap.org/soap/envelope/");
    EXPECT_EQ(ElementText(records[0].data, "GetLatestVersionFileResult"), "Re Budget approval.msg");
    EXPECT_EQ(records[1].flags, 0x0A);
    EXPECT_EQ(records[1].typeFormat, 0x10);
    EXPECT_EQ(records[1].type, "application/vnd.ms-outlook");
    EXPECT_EQ(records[1].data, SampleFile("Mail/Re Budget approval.msg"));
    EXPECT_THAT(records[0].id, HasSubstr("uuid:"));
}

TEST_F(OperationsTest, DownloadOfTheEmptyDocumentHasAnEmptySecondRecord) {
    const auto reply = Post(Service::DMWS, "GetLatestVersionFile",
                            Operation(Service::DMWS, "GetLatestVersionFile", "<docId>104</docId>"), Login());
    ASSERT_TRUE(reply);
    const auto records = ReadDime(reply->body);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].data, "");
}

TEST_F(OperationsTest, ByReferenceDownloadWithoutUncRootAnswersAnEmptyPath) {
    const std::string body =
        Call(Service::DMWS, "GetLatestVersionFileByRef", "<docId>102</docId><lifetime>0</lifetime>");
    EXPECT_EQ(ElementText(body, "GetLatestVersionFileByRefResult"), "");
}

class UncDownloadTest : public ServerFixture {
protected:
    ServerOptions Options() const override {
        ServerOptions options = ServerFixture::Options();
        options.uncRoot = uncRoot_;
        return options;
    }
    void TearDown() override {
        ServerFixture::TearDown();
        std::filesystem::remove_all(uncRoot_);
    }
    const std::filesystem::path uncRoot_ =
        std::filesystem::temp_directory_path() / ("demo-meridio-unc-" + std::to_string(::getpid()));
};

TEST_F(UncDownloadTest, ByReferenceDownloadLaysOutTheFileUnderTheUncRoot) {
    const std::string body =
        Call(Service::DMWS, "GetLatestVersionFileByRef", "<docId>103</docId><lifetime>0</lifetime>");
    EXPECT_EQ(ElementText(body, "GetLatestVersionFileByRefResult"),
              "\\\\demo-meridio\\transfer\\103\\2\\Budget Q1 & Q2.csv");
    EXPECT_EQ(ElementText(body, "strMIMEtype"), "text/csv");
    std::ifstream copy(uncRoot_ / "demo-meridio" / "transfer" / "103" / "2" / "Budget Q1 & Q2.csv",
                       std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), std::istreambuf_iterator<char>()),
              SampleFile("Projects & Plans/Budget Q1 & Q2.csv"));
}

TEST_F(OperationsTest, SystemConfigurationHoldsCategoriesAndProperties) {
    const auto configuration = ScwsResult("OutlookGetSystemConfigurationData", "");
    EXPECT_EQ(Attribute(*configuration, "//*[@CategoryId='5']", "CategoryName"), "Email");
    EXPECT_EQ(configuration->select_nodes("//*[@CategoryName]").size(), 7u);
    EXPECT_EQ(
        Attribute(*configuration,
                  "//*[@CustomPropertyObject = 9 and @CustomPropertyType =6 and @CustomPropertyId = 151]",
                  "CustomPropertyName"),
        "Categories");
    EXPECT_EQ(
        Attribute(*configuration, "//*[@FixedPropertyObject=9 and @FixedPropertyId=20]", "FixedPropertyType"),
        "2");
}

} // namespace
} // namespace DemoMeridio::Testing
