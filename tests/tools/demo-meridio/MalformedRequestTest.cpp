// Requests whose shape is not what the services expect are refused with a fault that says why.

#include "ServerFixture.h"

#include <gmock/gmock.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::HasSubstr;

struct Malformed {
    const char* name;
    std::string path;
    std::string contentType;
    std::optional<std::string> soapAction;
    std::string body;
    bool withToken;
    int status;
    std::string faultText;
};

const std::string kScws = "http://www.meridio.com/MeridioSCWS";
const std::string kListing = "<OutlookGetContainerFullEx xmlns=\"" + kScws +
                             "\"><containerId>2</containerId></OutlookGetContainerFullEx>";

std::vector<Malformed> Cases() {
    const std::string path = "/scws/meridioscws.asmx";
    const std::string action = kScws + "/OutlookGetContainerFullEx";
    const std::string xml = "text/xml; charset=utf-8";
    return {
        {"UnknownPath", "/scws/other.asmx", xml, action, kListing, true, 404, "no Meridio service"},
        {"WrongContentType", path, "application/soap+xml", action, kListing, true, 500, "Content-Type"},
        {"NoSoapAction", path, xml, std::nullopt, kListing, true, 500, "no SOAPAction"},
        {"SoapActionOfAnotherService", path, xml,
         "http://www.meridio.com/MeridioDMWS/OutlookGetContainerFullEx", kListing, true, 500,
         "does not begin with"},
        {"UnknownAction", path, xml, kScws + "/NoSuchThing", kListing, true, 500,
         "has no operation NoSuchThing"},
        {"ActionAndBodyDiffer", path, xml, kScws + "/OutlookGetSystemConfigurationData", kListing, true, 500,
         "needs the body element OutlookGetSystemConfigurationData"},
        {"BodyInWrongNamespace", path, xml, action,
         "<OutlookGetContainerFullEx "
         "xmlns=\"http://www.meridio.com/MeridioDMWS\"><containerId>2</containerId>"
         "</OutlookGetContainerFullEx>",
         true, 500, "must be in the namespace"},
        {"MissingParameter", path, xml, action, "<OutlookGetContainerFullEx xmlns=\"" + kScws + "\"/>", true,
         500, "has no parameter containerId"},
        {"ParameterNotANumber", path, xml, action,
         "<OutlookGetContainerFullEx xmlns=\"" + kScws +
             "\"><containerId>two</containerId></OutlookGetContainerFullEx>",
         true, 500, "must be a decimal number"},
        {"NoCredentialHeader", path, xml, action, kListing, false, 500, "needs a soap:Header"},
        {"EmptyBody", path, xml, action, "", true, 500, "soap:Body is empty"},
    };
}

class MalformedRequestTest : public ServerFixture, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedRequestTest, IsRefusedWithAFaultNamingTheProblem) {
    const Malformed& request = GetParam();
    httplib::Headers headers;
    if (request.soapAction) {
        headers.emplace("SOAPAction", *request.soapAction);
    }
    const std::string token = request.withToken ? Login() : "";
    const auto reply =
        client_->Post(request.path, headers, RequestEnvelope(InfoOf(Service::SCWS), request.body, token),
                      request.contentType);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, request.status);
    EXPECT_EQ(ElementText(reply->body, "faultcode"), "soap:Client");
    EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(request.faultText))
        << reply->body;
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedRequestTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

class RawRequestTest : public ServerFixture {
protected:
    httplib::Result Raw(const std::string& body) {
        return client_->Post("/dmws/meridiodmws.asmx",
                             {{"SOAPAction", "http://www.meridio.com/MeridioDMWS/Login"}}, body,
                             "text/xml; charset=utf-8");
    }
};

TEST_F(RawRequestTest, NotXmlOrNotAnEnvelopeIsRefused) {
    const auto notXml = Raw("<soap:Envelope");
    ASSERT_TRUE(notXml);
    EXPECT_THAT(ElementText(notXml->body, "faultstring").value_or(""), HasSubstr("not well-formed XML"));
    const auto soap12 = Raw("<Envelope xmlns=\"http://www.w3.org/2003/05/soap-envelope\"><Body/></Envelope>");
    ASSERT_TRUE(soap12);
    EXPECT_THAT(ElementText(soap12->body, "faultstring").value_or(""), HasSubstr("SOAP 1.1 Envelope"));
}

TEST_F(RawRequestTest, CredentialHeaderWithTheOtherServicesTokenElementIsRefused) {
    // DMWS names its token element "token"; RMWS and SCWS name it "Token".
    const std::string token = Login();
    const std::string envelope =
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Header>"
        "<MeridioCredentialHeader xmlns=\"http://www.meridio.com/MeridioSCWS\"><token>" +
        token + "</token></MeridioCredentialHeader></soap:Header><soap:Body>" + kListing +
        "</soap:Body></soap:Envelope>";
    const auto reply = client_->Post("/SCWS/MeridioSCWS.asmx",
                                     {{"SOAPAction", "\"" + kScws + "/OutlookGetContainerFullEx\""}},
                                     envelope, "text/xml; charset=utf-8");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 500);
    EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""),
                HasSubstr("must hold the element Token"));
}

TEST_F(RawRequestTest, ParametersOutOfTheirDeclaredOrderOrNotDeclaredAreRefused) {
    // DMWS and RMWS read their parameters in the order their descriptions declare.
    const struct {
        Service service;
        const char* action;
        std::string children;
        std::string faultText;
    } cases[] = {
        {Service::RMWS, "GetFolder2",
         "<getPropDefs>false</getPropDefs><id>21</id><getActivities>true</getActivities><getParts>false"
         "</getParts><getRecords>false</getRecords><getCustomProperties>true</getCustomProperties>",
         "parameter id of GetFolder2 stands out of the declared order"},
        {Service::DMWS, "GetLatestVersionFile", "<docId>102</docId><lifetime>5</lifetime>",
         "GetLatestVersionFile takes no parameter lifetime"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        const auto reply = Post(c.service, c.action, Operation(c.service, c.action, c.children), Login());
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 500);
        EXPECT_EQ(ElementText(reply->body, "faultcode"), "soap:Client");
        EXPECT_THAT(ElementText(reply->body, "faultstring").value_or(""), HasSubstr(c.faultText));
    }
}

TEST_F(RawRequestTest, GetIsRefused) {
    const auto reply = client_->Get("/dmws/meridiodmws.asmx");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 405);
}

} // namespace
} // namespace DemoMeridio::Testing
