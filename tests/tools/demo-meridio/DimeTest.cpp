#include "tools/demo-meridio/soap/Dime.h"

#include <gtest/gtest.h>

namespace DemoMeridio {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

TEST(DimeTest, TwoRecordsMatchHandComputedBytes) {
    const std::string message = EncodeDimeMessage({
        {"uuid:a", DimeTypeFormat::AbsoluteUri, "http://x/", "<e/>"},
        {"b1", DimeTypeFormat::MediaType, "text/plain", "hello"},
    });
    const std::string expected =
        // record 1: version 1 + MB, absolute URI, no options, id 6, type 9, data 4
        Bytes({0x0C, 0x20, 0x00, 0x00, 0x00, 0x06, 0x00, 0x09, 0x00, 0x00, 0x00, 0x04}) + "uuid:a" +
        Bytes({0, 0}) + "http://x/" + Bytes({0, 0, 0}) + "<e/>" +
        // record 2: version 1 + ME, media type, no options, id 2, type 10, data 5
        Bytes({0x0A, 0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x05}) + "b1" +
        Bytes({0, 0}) + "text/plain" + Bytes({0, 0}) + "hello" + Bytes({0, 0, 0});
    EXPECT_EQ(message, expected);
}

TEST(DimeTest, SingleRecordCarriesBothFlagsAndEmptyDataTakesNoBytes) {
    EXPECT_EQ(EncodeDimeMessage({{"", DimeTypeFormat::MediaType, "a/b", ""}}),
              Bytes({0x0E, 0x10, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0}) + "a/b" + Bytes({0}));
}

TEST(DimeTest, LengthsAreBigEndian) {
    const std::string data(0x0102, 'x');
    const std::string message = EncodeDimeMessage({{"id", DimeTypeFormat::MediaType, "t", data}});
    EXPECT_EQ(message.substr(8, 4), Bytes({0x00, 0x00, 0x01, 0x02}));
    EXPECT_EQ(message.size(), 12u + 4 + 4 + 0x0104); // 258 bytes padded to 260
}

TEST(DimeTest, UploadShapedMessageHasTheExpectedSize) {
    // An envelope of 1,000 bytes and a file of 5 bytes with ids of 41 and types of 41 and 21 characters.
    const std::string id(41, 'i');
    const std::string message = EncodeDimeMessage({
        {id, DimeTypeFormat::AbsoluteUri, std::string(41, 't'), std::string(1000, 'e')},
        {id, DimeTypeFormat::MediaType, "application/x-unknown", "12345"},
    });
    EXPECT_EQ(message.size(), 180u + 1000 + 0 + 5 + 3);
}

} // namespace
} // namespace DemoMeridio
