// DMWS GetDocumentDataRefPaths: the lock and the referencing containers of a document, by the flags.

#include "ServerFixture.h"

#include <gmock/gmock.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string Request(long docId, bool referencingContainers, bool lockInfo,
                    const std::string& versions = "LATEST") {
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    return "<docId>" + std::to_string(docId) +
           "</docId><getPropList>false</getPropList><getAcl>false</getAcl><getCanDo>false</getCanDo>"
           "<getPolicy>false</getPolicy><getVersions>" +
           versions + "</getVersions><getKeywords>false</getKeywords><getReferencingContainers>" +
           flag(referencingContainers) + "</getReferencingContainers><getLockInfo>" + flag(lockInfo) +
           "</getLockInfo><getReferencePaths>false</getReferencePaths>";
}

class DocumentDataRefPathsTest : public ServerFixture {
protected:
    pugi::xml_document Data(long docId, bool referencingContainers, bool lockInfo) {
        pugi::xml_document reply;
        EXPECT_TRUE(reply.load_string(
            Call(Service::DMWS, "GetDocumentDataRefPaths", Request(docId, referencingContainers, lockInfo))
                .c_str()));
        return reply;
    }
    static std::vector<std::string> Texts(const pugi::xml_document& reply, const char* xpath) {
        std::vector<std::string> texts;
        for (const pugi::xpath_node& node : reply.select_nodes(xpath)) {
            texts.push_back(node.node().text().get());
        }
        return texts;
    }
};

TEST_F(DocumentDataRefPathsTest, LockInfoNamesTheHolderOfALockedDocumentOnly) {
    const pugi::xml_document locked = Data(103, false, true);
    EXPECT_THAT(Texts(locked, "//*[local-name()='LOCKS']/*[local-name()='PROP_userName']"),
                ElementsAre("Jonas Berg"));
    EXPECT_THAT(Texts(locked, "//*[local-name()='LOCKS']/*[local-name()='docId']"), ElementsAre("103"));
    EXPECT_THAT(Texts(locked, "//*[local-name()='CONTAINER_DOCUMENTREFS']"), IsEmpty());

    EXPECT_THAT(Texts(Data(103, false, false), "//*[local-name()='LOCKS']"), IsEmpty());
    EXPECT_THAT(Texts(Data(102, false, true), "//*[local-name()='LOCKS']"), IsEmpty());
}

TEST_F(DocumentDataRefPathsTest, ReferencingContainersAreOneRowEach) {
    EXPECT_THAT(Texts(Data(105, true, false),
                      "//*[local-name()='CONTAINER_DOCUMENTREFS']/*[local-name()='ContainerId']"),
                ElementsAre("2", "3"));
    EXPECT_THAT(Texts(Data(102, true, false),
                      "//*[local-name()='CONTAINER_DOCUMENTREFS']/*[local-name()='ContainerId']"),
                ElementsAre("2"));
}

TEST_F(DocumentDataRefPathsTest, BadParametersAndUnknownDocumentsAreFaults) {
    struct Case {
        std::string children;
        const char* code;
        const char* text;
    };
    const std::vector<Case> cases = {
        {Request(999, false, true), "soap:Server", "999 does not exist"},
        {Request(102, false, true, "SOME"), "soap:Client", "must be ALL, LATEST or NONE"},
        {"<docId>102</docId>", "soap:Client", "has no parameter getPropList"},
    };
    for (const Case& c : cases) {
        const auto reply = Post(Service::DMWS, "GetDocumentDataRefPaths",
                                Operation(Service::DMWS, "GetDocumentDataRefPaths", c.children), Login());
        ASSERT_TRUE(reply);
        EXPECT_EQ(ElementText(reply->body, "faultcode"), c.code) << reply->body;
        EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(c.text));
    }
}

} // namespace
} // namespace DemoMeridio::Testing
