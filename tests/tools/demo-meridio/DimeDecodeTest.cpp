// Reading DIME requests: the records of a whole message, and the messages that are refused.
#include "tools/demo-meridio/soap/Dime.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace DemoMeridio {
namespace {

TEST(DimeDecodeTest, GivesBackTheRecordsThatWereEncoded) {
    const std::string content("a\0b\xff\x01", 5);
    const std::string message = EncodeDimeMessage({
        {"uuid:env", DimeTypeFormat::AbsoluteUri, "http://schemas.xmlsoap.org/soap/envelope/", "<e/>"},
        {"uuid:file", DimeTypeFormat::MediaType, "application/x-unknown", content},
        {"", DimeTypeFormat::MediaType, "a/b", ""},
    });
    const std::vector<DimeRecord> records = DecodeDimeMessage(message);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].id, "uuid:env");
    EXPECT_EQ(records[0].typeFormat, DimeTypeFormat::AbsoluteUri);
    EXPECT_EQ(records[0].type, "http://schemas.xmlsoap.org/soap/envelope/");
    EXPECT_EQ(records[0].data, "<e/>");
    EXPECT_EQ(records[1].data, content);
    EXPECT_EQ(records[1].type, "application/x-unknown");
    EXPECT_EQ(records[2].data, "");
}

struct BadMessage {
    const char* label;
    std::string message;
    const char* text;
};

class DimeDecodeRefusal : public ::testing::TestWithParam<BadMessage> {};

TEST_P(DimeDecodeRefusal, NamesTheProblem) {
    try {
        DecodeDimeMessage(GetParam().message);
        FAIL() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().text), std::string::npos) << error.what();
    }
}

std::string Whole() {
    return EncodeDimeMessage({{"i", DimeTypeFormat::MediaType, "t", "data"}});
}

std::string WithFirstByte(std::string message, char flags) {
    message[0] = flags;
    return message;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, DimeDecodeRefusal,
    ::testing::Values(BadMessage{"empty", "", "no record with ME"},
                      BadMessage{"shortHeader", Whole().substr(0, 8), "header runs past"},
                      BadMessage{"shortData", Whole().substr(0, Whole().size() - 4), "runs past the end"},
                      BadMessage{"version", WithFirstByte(Whole(), 0x16), "version 1"},
                      BadMessage{"chunked", WithFirstByte(Whole(), 0x0F), "chunked"},
                      BadMessage{"noBegin", WithFirstByte(Whole(), 0x0A), "MB"},
                      BadMessage{"noEnd", WithFirstByte(Whole(), 0x0C), "no record with ME"},
                      BadMessage{"afterEnd", Whole() + WithFirstByte(Whole(), 0x0A),
                                 "after the record with ME"}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace DemoMeridio
