// Uploads: DMWS AddObject2 received as a DIME message, the records-management folder data and addition
// info an upload asks for, and the inserted rows that link a new document to a container or a part.

#include "ServerFixture.h"
#include "tools/demo-meridio/soap/Dime.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace DemoMeridio::Testing {
namespace {

using ::testing::HasSubstr;

const std::string kDiffgramOpen = "<diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
                                  "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">";

std::string Diffgram(const std::string& parameter, const std::string& dataSet, const std::string& ns,
                     const std::string& rows) {
    return "<" + parameter + ">" + kDiffgramOpen + "<" + dataSet + " xmlns=\"" + ns + "\">" + rows + "</" +
           dataSet + "></diffgr:diffgram></" + parameter + ">";
}

std::string AddObject2(const std::string& rows, const char* major = "false") {
    return Diffgram("additionInfo", "DMDataSet", "http://www.meridio.com/DMDataSet.xsd", rows) +
           "<uploadInfo /><major>" + major + "</major>";
}

std::string NewDocumentRows(const std::string& title, const std::string& extraRows = {}) {
    return "<ACCESSCONTROL><objectType>101</objectType><permission>4</permission><groupId>11</groupId>"
           "</ACCESSCONTROL><DOCUMENTS><PROP_documentId>0</PROP_documentId><PROP_W_title>" +
           title +
           "</PROP_W_title><PROP_originalFileName>a.msg</PROP_originalFileName><PROP_categoryId>5"
           "</PROP_categoryId></DOCUMENTS>" +
           extraRows + "<VERSIONS><docId>0</docId><newVersionFileName>a.msg</newVersionFileName></VERSIONS>";
}

std::string NewVersionRows(long docId) {
    return "<VERSIONS><docId>" + std::to_string(docId) +
           "</docId><newVersionFileName>new.md</newVersionFileName>"
           "</VERSIONS>";
}

class DocumentAdditionTest : public ServerFixture {
protected:
    // Posts the operation as a DIME message: the envelope, then each attachment.
    httplib::Result PostDime(Service service, const std::string& action, const std::string& children,
                             const std::vector<std::string>& attachments,
                             const std::string& envelopeType = std::string(kSoapEnvelopeNs)) {
        const std::string envelope =
            RequestEnvelope(InfoOf(service), Operation(service, action, children), Login());
        std::vector<DimeRecord> records{{"uuid:1", DimeTypeFormat::AbsoluteUri, envelopeType, envelope}};
        for (const std::string& attachment : attachments) {
            records.push_back({"uuid:2", DimeTypeFormat::MediaType, "application/x-unknown", attachment});
        }
        const httplib::Headers headers{{"SOAPAction", std::string(InfoOf(service).ns) + "/" + action}};
        return client_->Post(std::string(InfoOf(service).path), headers, EncodeDimeMessage(records),
                             "application/dime");
    }

    std::string Upload(const std::string& children, const std::string& content) {
        const auto reply = PostDime(Service::DMWS, "AddObject2", children, {content});
        EXPECT_TRUE(reply);
        if (!reply) {
            return {};
        }
        EXPECT_EQ(reply->status, 200) << reply->body;
        return reply->body;
    }

    void ExpectFault(const httplib::Result& reply, const char* code, const std::string& text) {
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 500);
        EXPECT_EQ(ElementText(reply->body, "faultcode"), code) << reply->body;
        EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(text));
    }

    Document StoredDocument(long id) {
        Document document;
        server_->ChangeRepository([&](Repository& repository) { document = *repository.FindDocument(id); });
        return document;
    }
};

TEST_F(DocumentAdditionTest, ANewDocumentIsStoredWithContentTitleCategoryAndCustomProperties) {
    const std::string content("mail\0body\xff", 10);
    const std::string reply = Upload(
        AddObject2(
            NewDocumentRows("Budget &amp; plan",
                            "<DOCUMENT_CUSTOMPROPS><objectId>0</objectId><propertyName>Subject</propertyName>"
                            "<categoryId>5</categoryId><valueColumn>textValue</valueColumn>"
                            "<textValue>Q1 &lt;draft&gt;</textValue></DOCUMENT_CUSTOMPROPS>"
                            "<DOCUMENT_CUSTOMPROPS><objectId>0</objectId><propertyName>Sent Date"
                            "</propertyName><categoryId>5</categoryId><valueColumn>dateValue</valueColumn>"
                            "<dateValue>2024-03-05T07:08:09+00:00</dateValue></DOCUMENT_CUSTOMPROPS>"),
            "true"),
        content);
    const long id = std::stol(ElementText(reply, "PROP_documentId").value_or("0"));
    EXPECT_EQ(ElementText(reply, "docId"), std::to_string(id));
    const Document document = StoredDocument(id);
    EXPECT_EQ(document.content, content);
    EXPECT_EQ(document.title, "Budget & plan");
    EXPECT_EQ(document.categoryId, 5);
    EXPECT_EQ(document.Latest().fileName, "a.msg");
    ASSERT_NE(document.Property(3, 106), nullptr);
    EXPECT_EQ(document.Property(3, 106)->value, "Q1 <draft>");
    ASSERT_NE(document.Property(5, 107), nullptr);
    EXPECT_EQ(document.Property(5, 107)->value, "2024-03-05T07:08:09+00:00");
    // Not linked yet: no container lists it.
    EXPECT_THAT(Call(Service::SCWS, "OutlookGetContainerFullEx", "<containerId>2</containerId>"),
                ::testing::Not(HasSubstr("DOCID=\"" + std::to_string(id) + "\"")));
}

TEST_F(DocumentAdditionTest, ANewVersionNeedsTheUsersLock) {
    ExpectFault(PostDime(Service::DMWS, "AddObject2", AddObject2(NewVersionRows(102)), {"v3"}), "soap:Server",
                "must be locked");
    server_->ChangeRepository([](Repository& repository) {
        repository.FindDocument(102)->lock = Lock{repository.credentials.userName, "x"};
    });
    const std::size_t versions = StoredDocument(102).versions.size();
    const std::string reply = Upload(AddObject2(NewVersionRows(102)), "v3");
    EXPECT_EQ(ElementText(reply, "docId"), "102");
    const Document document = StoredDocument(102);
    EXPECT_EQ(document.content, "v3");
    EXPECT_EQ(document.versions.size(), versions + 1);
    EXPECT_EQ(document.Latest().fileName, "new.md");
}

class SavedUploadTest : public DocumentAdditionTest {
protected:
    ServerOptions Options() const override {
        ServerOptions options = DocumentAdditionTest::Options();
        options.uploadCopy = saved_;
        return options;
    }
    void TearDown() override {
        DocumentAdditionTest::TearDown();
        std::filesystem::remove(saved_);
    }
    std::string Saved() const {
        std::ifstream in(saved_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    const std::filesystem::path saved_ =
        std::filesystem::temp_directory_path() / ("demo-meridio-upload-" + std::to_string(::getpid()));
};

TEST_F(SavedUploadTest, TheFirstUploadIsSavedAsItCameInAndNoLaterOne) {
    Call(Service::DMWS, "GetLatestVersionFile", "<docId>102</docId>");
    EXPECT_FALSE(std::filesystem::exists(saved_));
    const std::string content("first\0\xff", 7);
    Upload(AddObject2(NewDocumentRows("one")), content);
    const std::vector<IncomingRequest> received = server_->ReceivedRequests();
    EXPECT_EQ(Saved(), received.back().body);
    EXPECT_THAT(Saved(), HasSubstr(content));
    Upload(AddObject2(NewDocumentRows("two")), "second");
    EXPECT_EQ(Saved(), received.back().body);
}

struct ShapeCase {
    const char* label;
    std::string children;
    std::vector<std::string> attachments;
    std::string envelopeType;
    const char* code;
    const char* text;
};

class AddObject2Shape : public DocumentAdditionTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(AddObject2Shape, IsRefusedWithAFaultNamingTheProblem) {
    const ShapeCase& c = GetParam();
    ExpectFault(PostDime(Service::DMWS, "AddObject2", c.children, c.attachments, c.envelopeType), c.code,
                c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddObject2Shape,
    ::testing::Values(
        ShapeCase{"noContent",
                  AddObject2(NewDocumentRows("t")),
                  {},
                  std::string(kSoapEnvelopeNs),
                  "soap:Client",
                  "file content"},
        ShapeCase{"twoContents",
                  AddObject2(NewDocumentRows("t")),
                  {"a", "b"},
                  std::string(kSoapEnvelopeNs),
                  "soap:Client",
                  "file content"},
        ShapeCase{"envelopeType",
                  AddObject2(NewDocumentRows("t")),
                  {"a"},
                  "text/xml",
                  "soap:Client",
                  "first DIME record must be a SOAP envelope"},
        ShapeCase{"noMajor",
                  Diffgram("additionInfo", "DMDataSet", "http://www.meridio.com/DMDataSet.xsd",
                           NewDocumentRows("t")) +
                      "<uploadInfo />",
                  {"a"},
                  std::string(kSoapEnvelopeNs),
                  "soap:Client",
                  "major"},
        ShapeCase{"emptyTitle",
                  AddObject2(NewDocumentRows("")),
                  {"a"},
                  std::string(kSoapEnvelopeNs),
                  "soap:Server",
                  "title cannot be empty"},
        ShapeCase{
            "unknownProperty",
            AddObject2(NewDocumentRows("t", "<DOCUMENT_CUSTOMPROPS><propertyName>Nope</propertyName>"
                                            "<valueColumn>textValue</valueColumn><textValue>x</textValue>"
                                            "</DOCUMENT_CUSTOMPROPS>")),
            {"a"},
            std::string(kSoapEnvelopeNs),
            "soap:Server",
            "no custom property \"Nope\""},
        ShapeCase{
            "noVersionRow",
            AddObject2(
                "<DOCUMENTS><PROP_W_title>t</PROP_W_title><PROP_originalFileName>a</PROP_originalFileName>"
                "<PROP_categoryId>4</PROP_categoryId></DOCUMENTS>"),
            {"a"},
            std::string(kSoapEnvelopeNs),
            "soap:Client",
            "needs a VERSIONS row"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DocumentAdditionTest, AMalformedDimeMessageIsAClientFault) {
    const httplib::Headers headers{{"SOAPAction", "http://www.meridio.com/MeridioDMWS/AddObject2"}};
    ExpectFault(
        client_->Post("/dmws/meridiodmws.asmx", headers, std::string("\x0c\x20\0\0", 4), "application/dime"),
        "soap:Client", "not a valid DIME message");
}

TEST_F(DocumentAdditionTest, GetFolder2GivesTheCurrentPartOfARecordsFolder) {
    const std::string flags =
        "<getPropDefs>false</getPropDefs><getActivities>true</getActivities><getParts>false"
        "</getParts><getRecords>false</getRecords><getCustomProperties>true"
        "</getCustomProperties>";
    const std::string reply = Call(Service::RMWS, "GetFolder2", "<id>21</id>" + flags);
    EXPECT_EQ(ElementText(reply, "currentPartId"), "212");
    const auto refused = Post(Service::RMWS, "GetFolder2",
                              Operation(Service::RMWS, "GetFolder2", "<id>2</id>" + flags), Login());
    ExpectFault(refused, "soap:Server", "not a records-management folder");
}

TEST_F(DocumentAdditionTest, AdditionInfoCarriesTheFoldersRecordSetting) {
    const std::string children = "<containerId>21</containerId><isMapiClient>1</isMapiClient><categoryName />"
                                 "<getKeyWordFullPath>0</getKeyWordFullPath>";
    EXPECT_FALSE(ScwsResult("OutlookGetDocAdditionInfo", children)->select_node("//T8"));
    for (const bool declare : {true, false}) {
        server_->ChangeRepository(
            [&](Repository& repository) { repository.FindContainer(21)->declareAsRecords = declare; });
        EXPECT_STREQ(ScwsResult("OutlookGetDocAdditionInfo", children)
                         ->select_node("//T8")
                         .node()
                         .attribute("DeclareAsRecords")
                         .value(),
                     declare ? "1" : "0");
    }
}

TEST_F(DocumentAdditionTest, InsertedRowsLinkADocumentToAContainerOrAPart) {
    const std::string reference =
        Call(Service::DMWS, "ApplyChanges",
             Diffgram("changes", "DMDataSet", "http://www.meridio.com/DMDataSet.xsd",
                      "<CONTAINER_DOCUMENTREFS diffgr:hasChanges=\"inserted\"><ContainerId>3</ContainerId>"
                      "<DocumentRefId>101</DocumentRefId></CONTAINER_DOCUMENTREFS>"));
    EXPECT_EQ(ElementText(reference, "DocumentRefId"), "101");
    Call(Service::RMWS, "ApplyChanges",
         Diffgram("ds", "RMDataSet", "http://www.meridio.com/RMDataSet.xsd",
                  "<rm2Part_Document diffgr:hasChanges=\"inserted\"><parentObjectId>212</parentObjectId>"
                  "<documentId>102</documentId></rm2Part_Document>"
                  "<rm2Part_Record diffgr:hasChanges=\"inserted\"><parentObjectId>212</parentObjectId>"
                  "<recordId>101</recordId></rm2Part_Record>"));
    server_->ChangeRepository([](Repository& repository) {
        EXPECT_THAT(repository.FindContainer(3)->documentIds, ::testing::Contains(101));
        EXPECT_THAT(repository.FindPart(212)->documentIds, ::testing::IsSupersetOf({101L, 102L}));
        EXPECT_TRUE(repository.FindDocument(101)->isRecord);
        EXPECT_FALSE(repository.FindDocument(102)->isRecord);
    });
    ExpectRefusedChanges(Service::DMWS,
                         Diffgram("changes", "DMDataSet", "http://www.meridio.com/DMDataSet.xsd",
                                  "<CONTAINER_DOCUMENTREFS diffgr:hasChanges=\"inserted\">"
                                  "<ContainerId>21</ContainerId><DocumentRefId>101</DocumentRefId>"
                                  "</CONTAINER_DOCUMENTREFS>"),
                         "records-management object 21");
}

// A link that exists already is refused as the server's keys refuse a second row: HTTP 200 with the row
// marked in the data set and its error in diffgr:errors, and none of the request's rows applied.
TEST_F(DocumentAdditionTest, ALinkThatExistsAlreadyIsARowErrorAndNothingIsApplied) {
    struct Case {
        const char* name;
        Service service;
        std::string changes;
        const char* table;
        const char* error;
    };
    const std::string dm = "http://www.meridio.com/DMDataSet.xsd";
    const std::string rm = "http://www.meridio.com/RMDataSet.xsd";
    // Each request first links document 104 anew (to container 3 or part 211), then a link that exists.
    const Case cases[] = {
        {"container reference", Service::DMWS,
         Diffgram(
             "changes", "DMDataSet", dm,
             "<CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS1\" diffgr:hasChanges=\"inserted\">"
             "<ContainerId>3</ContainerId><DocumentRefId>104</DocumentRefId></CONTAINER_DOCUMENTREFS>"
             "<CONTAINER_DOCUMENTREFS diffgr:id=\"CONTAINER_DOCUMENTREFS2\" diffgr:hasChanges=\"inserted\">"
             "<ContainerId>2</ContainerId><DocumentRefId>105</DocumentRefId></CONTAINER_DOCUMENTREFS>"),
         "CONTAINER_DOCUMENTREFS", "The container 2 already references the document 105."},
        {"document in a part", Service::RMWS,
         Diffgram("ds", "RMDataSet", rm,
                  "<rm2Part_Document diffgr:id=\"rm2Part_Document1\" diffgr:hasChanges=\"inserted\">"
                  "<parentObjectId>211</parentObjectId><documentId>104</documentId></rm2Part_Document>"
                  "<rm2Part_Document diffgr:id=\"rm2Part_Document2\" diffgr:hasChanges=\"inserted\">"
                  "<parentObjectId>212</parentObjectId><documentId>108</documentId></rm2Part_Document>"),
         "rm2Part_Document", "The part 212 already holds the document 108."},
        {"record in a part", Service::RMWS,
         Diffgram("ds", "RMDataSet", rm,
                  "<rm2Part_Document diffgr:id=\"rm2Part_Document1\" diffgr:hasChanges=\"inserted\">"
                  "<parentObjectId>211</parentObjectId><documentId>104</documentId></rm2Part_Document>"
                  "<rm2Part_Record diffgr:id=\"rm2Part_Record1\" diffgr:hasChanges=\"inserted\">"
                  "<parentObjectId>211</parentObjectId><recordId>107</recordId></rm2Part_Record>"),
         "rm2Part_Record", "The part 211 already holds the document 107."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string reply = Call(c.service, "ApplyChanges", c.changes);
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(reply.c_str()));
        const std::string refused = std::string("//") + c.table + "[@diffgr:hasErrors='true']";
        const pugi::xml_node row = document.select_node(refused.c_str()).node();
        ASSERT_TRUE(row) << reply;
        const std::string error = "//diffgr:errors/" + std::string(c.table) + "[@diffgr:id='" +
                                  row.attribute("diffgr:id").value() + "']";
        EXPECT_STREQ(document.select_node(error.c_str()).node().attribute("diffgr:Error").value(), c.error)
            << reply;
        server_->ChangeRepository([](Repository& repository) {
            EXPECT_THAT(repository.FindContainer(3)->documentIds, ::testing::Not(::testing::Contains(104)));
            EXPECT_THAT(repository.FindPart(211)->documentIds, ::testing::ElementsAre(107));
        });
    }
}

} // namespace
} // namespace DemoMeridio::Testing
