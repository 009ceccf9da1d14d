// DMWS and RMWS ApplyChanges: locks, title changes and the diffgram shapes the dispatcher accepts.

#include "ServerFixture.h"

#include <gmock/gmock.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::HasSubstr;

const std::string kDiffgramOpen = "<diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
                                  "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">";

// The parameter holding a diffgram of current rows and, when given, before rows.
std::string Changes(const std::string& current, const std::string& before = {},
                    const std::string& parameter = "changes", const std::string& dataSet = "DMDataSet") {
    const std::string ns = dataSet == "DMDataSet" ? "http://www.meridio.com/DMDataSet.xsd"
                                                  : "http://www.meridio.com/RMDataSet.xsd";
    std::string text = "<" + parameter + ">" + kDiffgramOpen + "<" + dataSet + " xmlns=\"" + ns + "\">" +
                       current + "</" + dataSet + ">";
    if (!before.empty()) {
        text += "<diffgr:before>" + before + "</diffgr:before>";
    }
    return text + "</diffgr:diffgram></" + parameter + ">";
}

std::string LockRow(long docId) {
    return "<LOCKS diffgr:id=\"LOCKS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"inserted\"><PROP_W_comment "
           "/>"
           "<docId>" +
           std::to_string(docId) + "</docId></LOCKS>";
}

std::string UnlockChanges(long docId) {
    return Changes("", "<LOCKS diffgr:id=\"LOCKS1\" msdata:rowOrder=\"0\" "
                       "xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><docId>" +
                           std::to_string(docId) + "</docId></LOCKS>");
}

std::string TitleRow(long docId, const std::string& title) {
    return "<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" diffgr:hasChanges=\"modified\">"
           "<PROP_documentId>" +
           std::to_string(docId) + "</PROP_documentId><PROP_W_title>" + title + "</PROP_W_title></DOCUMENTS>";
}

std::string TitleBefore(long docId) {
    return "<DOCUMENTS diffgr:id=\"DOCUMENTS1\" msdata:rowOrder=\"0\" "
           "xmlns=\"http://www.meridio.com/DMDataSet.xsd\">"
           "<PROP_documentId>" +
           std::to_string(docId) + "</PROP_documentId><PROP_W_title /></DOCUMENTS>";
}

class ApplyChangesTest : public ServerFixture {
protected:
    std::string LockFlagInListing(long docId) {
        const auto rows = ScwsResult("OutlookGetContainerFullEx", "<containerId>2</containerId>");
        const std::string xpath = "//T1[@DOCID='" + std::to_string(docId) + "']";
        return rows->select_node(xpath.c_str()).node().attribute("Prop_9_1_12").value();
    }
    std::string LockFlagInPreview(long docId) {
        const auto rows = ScwsResult("OutlookGetDocumentPreviewPropertiesFull",
                                     "<docId>" + std::to_string(docId) + "</docId>", "propertiesAsXml");
        return rows->select_node("//T1").node().attribute("IsLocked").value();
    }
    // Posts ApplyChanges with these children and expects a fault of that code whose text has the part.
    void ExpectFault(Service service, const std::string& children, const char* code,
                     const std::string& text) {
        const auto reply =
            Post(service, "ApplyChanges", Operation(service, "ApplyChanges", children), Login());
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 500);
        EXPECT_EQ(ElementText(reply->body, "faultcode"), code) << reply->body;
        EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(text));
    }
};

TEST_F(ApplyChangesTest, AnInsertedLockLocksForTheUserAndADeletedOneUnlocks) {
    const std::string locked = Call(Service::DMWS, "ApplyChanges", Changes(LockRow(102)));
    EXPECT_EQ(ElementText(locked, "PROP_userName"), "demo");
    EXPECT_EQ(ElementText(locked, "docId"), "102");
    EXPECT_FALSE(ElementText(locked, "PROP_dateLocked").value_or("").empty());
    EXPECT_THAT(locked, HasSubstr("xs:schema"));
    EXPECT_EQ(LockFlagInListing(102), "1");
    EXPECT_EQ(LockFlagInPreview(102), "1");

    // A locked document cannot be locked again, not even by the lock's holder.
    ExpectRefusedChanges(Service::DMWS, Changes(LockRow(102)), "102 is already locked");
    EXPECT_EQ(LockFlagInListing(102), "1");

    const std::string unlocked = Call(Service::DMWS, "ApplyChanges", UnlockChanges(102));
    EXPECT_EQ(ElementText(unlocked, "ApplyChangesResult"), "");
    EXPECT_THAT(unlocked, ::testing::Not(HasSubstr("diffgram")));
    EXPECT_EQ(LockFlagInListing(102), "0");
    EXPECT_EQ(LockFlagInPreview(102), "0");
}

TEST_F(ApplyChangesTest, LocksOfOtherUsersAndMissingLocksAreRefused) {
    ExpectRefusedChanges(Service::DMWS, Changes(LockRow(103)), "locked by Jonas Berg");
    ExpectRefusedChanges(Service::DMWS, UnlockChanges(103), "locked by Jonas Berg");
    ExpectRefusedChanges(Service::DMWS, UnlockChanges(102), "is not locked");
    ExpectRefusedChanges(Service::DMWS, Changes(LockRow(999)), "999 does not exist");
    ExpectRefusedChanges(Service::DMWS, Changes(LockRow(102).replace(LockRow(102).find("102"), 3, "")),
                         "has no docId");
    EXPECT_EQ(LockFlagInListing(103), "1");
    EXPECT_EQ(LockFlagInListing(102), "0");
}

TEST_F(ApplyChangesTest, ARefusedRowRefusesTheWholeChange) {
    // The lock of 102 would be applicable alone; with the refused lock of 103 nothing is applied.
    const std::string second = "<LOCKS diffgr:id=\"LOCKS2\" msdata:rowOrder=\"1\" "
                               "diffgr:hasChanges=\"inserted\"><docId>103</docId></LOCKS>";
    ExpectRefusedChanges(Service::DMWS, Changes(LockRow(102) + second), "locked by Jonas Berg");
    EXPECT_EQ(LockFlagInListing(102), "0");
}

TEST_F(ApplyChangesTest, AModifiedDocumentRowChangesTheTitle) {
    const std::string reply =
        Call(Service::DMWS, "ApplyChanges", Changes(TitleRow(102, "Plan &amp; budget"), TitleBefore(102)));
    EXPECT_EQ(ElementText(reply, "PROP_documentId"), "102");
    EXPECT_EQ(ElementText(reply, "PROP_W_title"), "Plan & budget");
    const auto rows = ScwsResult("OutlookGetContainerFullEx", "<containerId>2</containerId>");
    EXPECT_STREQ(rows->select_node("//T1[@DOCID='102']").node().attribute("Prop_9_0_5").value(),
                 "Plan & budget");

    EXPECT_EQ(
        ElementText(Call(Service::DMWS, "ApplyChanges", Changes(TitleRow(102, " Plan  "))), "PROP_W_title"),
        "Plan");
    ExpectRefusedChanges(Service::DMWS, Changes(TitleRow(102, " ")), "title cannot be empty");
    ExpectFault(
        Service::DMWS,
        Changes("<DOCUMENTS diffgr:id=\"DOCUMENTS1\" diffgr:hasChanges=\"modified\"><PROP_documentId>102"
                "</PROP_documentId><PROP_W_comment>x</PROP_W_comment></DOCUMENTS>"),
        "soap:Client", "PROP_W_comment of DOCUMENTS cannot be changed");
}

TEST_F(ApplyChangesTest, ARowWithoutHandlerRefusesTheWholeRequest) {
    ExpectFault(Service::DMWS,
                Changes(LockRow(102) + "<KEYWORDS diffgr:id=\"KEYWORDS1\" diffgr:hasChanges=\"inserted\">"
                                       "<keywordId>1</keywordId></KEYWORDS>"),
                "soap:Client", "no handler for inserted rows of KEYWORDS");
    ExpectFault(Service::DMWS,
                Changes(LockRow(102),
                        "<CONTAINER_KEYWORDS diffgr:id=\"CONTAINER_KEYWORDS1\" "
                        "xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><containerId>2</containerId>"
                        "<keywordId>1</keywordId></CONTAINER_KEYWORDS>"),
                "soap:Client", "no handler for deleted rows of CONTAINER_KEYWORDS");
    EXPECT_EQ(LockFlagInListing(102), "0");
    ExpectFault(Service::RMWS,
                Changes("",
                        "<rm2Part_Record diffgr:id=\"rm2Part_Record1\" "
                        "xmlns=\"http://www.meridio.com/RMDataSet.xsd\"><recordId>107</recordId>"
                        "</rm2Part_Record>",
                        "ds", "RMDataSet"),
                "soap:Client", "no handler for deleted rows of rm2Part_Record");
}

struct MalformedChanges {
    const char* name;
    Service service;
    std::string children;
    std::string faultText;
};

class MalformedChangesTest : public ApplyChangesTest,
                             public ::testing::WithParamInterface<MalformedChanges> {};

TEST_P(MalformedChangesTest, IsAClientFault) {
    ExpectFault(GetParam().service, GetParam().children, "soap:Client", GetParam().faultText);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, MalformedChangesTest,
    ::testing::Values(
        MalformedChanges{"NoChanges", Service::DMWS, "", "ApplyChanges has no parameter changes"},
        MalformedChanges{"RmWithoutDs", Service::RMWS, Changes(""),
                         "ApplyChanges takes no parameter changes"},
        MalformedChanges{"NoDiffgram", Service::DMWS, "<changes><DMDataSet/></changes>",
                         "holds no diffgr:diffgram"},
        MalformedChanges{"DataSetOfTheOtherService", Service::DMWS, Changes("", {}, "changes", "RMDataSet"),
                         "unexpected element RMDataSet"},
        MalformedChanges{
            "UnknownChangeKind", Service::DMWS,
            Changes("<LOCKS diffgr:id=\"LOCKS1\" diffgr:hasChanges=\"renamed\"><docId>102</docId>"
                    "</LOCKS>"),
            "unknown diffgr:hasChanges \"renamed\""},
        MalformedChanges{"BeforeRowWithoutId", Service::DMWS,
                         Changes("",
                                 "<LOCKS xmlns=\"http://www.meridio.com/DMDataSet.xsd\"><docId>102</docId>"
                                 "</LOCKS>"),
                         "before row LOCKS has no diffgr:id"},
        MalformedChanges{"RowInAnotherNamespace", Service::DMWS,
                         Changes("", "<LOCKS diffgr:id=\"LOCKS1\"><docId>102</docId></LOCKS>"),
                         "not in the DMDataSet namespace"},
        MalformedChanges{
            "LockWithoutDocument", Service::DMWS,
            Changes("<LOCKS diffgr:id=\"LOCKS1\" diffgr:hasChanges=\"inserted\"><PROP_W_comment/>"
                    "</LOCKS>"),
            "LOCKS has no parameter docId"}),
    [](const ::testing::TestParamInfo<MalformedChanges>& info) { return info.param.name; });

} // namespace
} // namespace DemoMeridio::Testing
