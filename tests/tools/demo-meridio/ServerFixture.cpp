#include "ServerFixture.h"

namespace DemoMeridio::Testing {

std::string RequestEnvelope(const ServiceInfo& service, const std::string& body, const std::string& token) {
    std::string header;
    if (!token.empty()) {
        const std::string element(service.tokenElement);
        header = "<soap:Header><MeridioCredentialHeader xmlns=\"" + std::string(service.ns) + "\"><" +
                 element + ">" + token + "</" + element + "></MeridioCredentialHeader></soap:Header>";
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">" +
           header + "<soap:Body>" + body + "</soap:Body></soap:Envelope>";
}

std::vector<ReadDimeRecord> ReadDime(const std::string& message) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(message.at(at)); };
    const auto padded = [](std::size_t n) { return n + (4 - n % 4) % 4; };
    std::vector<ReadDimeRecord> records;
    std::size_t at = 0;
    while (at < message.size()) {
        const std::size_t idLength = byte(at + 4) << 8 | byte(at + 5);
        const std::size_t typeLength = byte(at + 6) << 8 | byte(at + 7);
        const std::size_t dataLength =
            std::size_t(byte(at + 8)) << 24 | byte(at + 9) << 16 | byte(at + 10) << 8 | byte(at + 11);
        ReadDimeRecord record{byte(at), byte(at + 1), {}, {}, {}};
        std::size_t field = at + 12;
        record.id = message.substr(field, idLength);
        field += padded(idLength);
        record.type = message.substr(field, typeLength);
        field += padded(typeLength);
        record.data = message.substr(field, dataLength);
        at = field + padded(dataLength);
        records.push_back(record);
    }
    EXPECT_EQ(at, message.size()) << "the message ends inside a record";
    return records;
}

std::optional<std::string> ElementText(const std::string& xml, const char* name) {
    pugi::xml_document document;
    if (!document.load_string(xml.c_str())) {
        return std::nullopt;
    }
    const pugi::xpath_node node = document.select_node((std::string("//") + name).c_str());
    if (!node) {
        return std::nullopt;
    }
    return std::string(node.node().text().get());
}

ServerOptions ServerFixture::Options() const {
    ServerOptions options;
    options.contentDir = DEMO_MERIDIO_SAMPLE_DIR;
    return options;
}

void ServerFixture::SetUp() {
    server_ = std::make_unique<DemoServer>(Options());
    const int port = server_->Start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port);
}

void ServerFixture::TearDown() {
    server_->Stop();
}

httplib::Result ServerFixture::Post(Service service, const std::string& action, const std::string& body,
                                    const std::string& token) {
    const ServiceInfo& info = InfoOf(service);
    const httplib::Headers headers{{"SOAPAction", std::string(info.ns) + "/" + action}};
    return client_->Post(std::string(info.path), headers, RequestEnvelope(info, body, token),
                         "text/xml; charset=utf-8");
}

std::string ServerFixture::Operation(Service service, const std::string& action,
                                     const std::string& children) {
    return "<" + action + " xmlns=\"" + std::string(InfoOf(service).ns) + "\">" + children + "</" + action +
           ">";
}

std::string ServerFixture::Login() {
    const auto reply = Post(Service::DMWS, "Login",
                            Operation(Service::DMWS, "Login",
                                      "<userName>demo</userName><password>Demo &amp; Co 2024</password>"
                                      "<clientWorkstation></clientWorkstation>"),
                            "");
    EXPECT_TRUE(reply);
    EXPECT_EQ(reply->status, 200) << reply->body;
    return ElementText(reply->body, "LoginResult").value_or("");
}

std::string ServerFixture::Call(Service service, const std::string& action, const std::string& children) {
    const auto reply = Post(service, action, Operation(service, action, children), Login());
    EXPECT_TRUE(reply);
    if (!reply) {
        return {};
    }
    EXPECT_EQ(reply->status, 200) << reply->body;
    return reply->body;
}

std::unique_ptr<pugi::xml_document>
ServerFixture::ScwsResult(const std::string& action, const std::string& children, const char* element) {
    const std::string body = Call(Service::SCWS, action, children);
    const std::string name = element ? element : action + "Result";
    const std::optional<std::string> text = ElementText(body, name.c_str());
    auto document = std::make_unique<pugi::xml_document>();
    EXPECT_TRUE(text) << body;
    EXPECT_TRUE(document->load_string(text.value_or("").c_str())) << text.value_or("");
    return document;
}

void ServerFixture::ExpectRefusedChanges(Service service, const std::string& children,
                                         const std::string& text) {
    const auto reply = Post(service, "ApplyChanges", Operation(service, "ApplyChanges", children), Login());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200) << reply->body;
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(reply->body.c_str()));
    const pugi::xml_node error =
        document.select_node("//ApplyChangesResult/diffgr:diffgram/diffgr:errors/*").node();
    ASSERT_TRUE(error) << reply->body;
    EXPECT_NE(std::string(error.attribute("diffgr:Error").value()).find(text), std::string::npos)
        << reply->body;
}

} // namespace DemoMeridio::Testing
