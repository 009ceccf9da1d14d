// The DIME message of an upload: two records of fixed ids, lengths and padding as the server reads them.
#include "KOVAMeridioSync/MeridioDimeWriter.h"
#include "KOVAMeridioSync/MeridioDime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const UploadDimeMessage& message) {
    return std::vector<BYTE>(message.Bytes().get(), message.Bytes().get() + message.Size());
}

// The message as an upload makes it: the content written into the room the message leaves for it.
std::vector<BYTE> BuildUploadDimeMessage(std::string_view envelope, const std::vector<BYTE>& content) {
    const UploadDimeMessage message(envelope, content.size());
    if (!content.empty()) {
        std::memcpy(message.Content(), content.data(), content.size());
    }
    return Bytes(message);
}

std::string Text(const std::vector<BYTE>& bytes, std::size_t offset, std::size_t length) {
    return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, length);
}

std::uint32_t BigEndian(const std::vector<BYTE>& bytes, std::size_t offset, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

struct SizeCase {
    std::size_t envelope;
    std::size_t content;
    std::size_t total;
};

class UploadDimeSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(UploadDimeSize, IsTheHeadersAndBothPaddedFields) {
    const SizeCase& c = GetParam();
    const std::vector<BYTE> content(c.content, 0x5A);
    const std::vector<BYTE> message = BuildUploadDimeMessage(std::string(c.envelope, '<'), content);
    EXPECT_EQ(message.size(), c.total);
    EXPECT_EQ(BigEndian(message, 8, 4), c.envelope);
    const std::vector<DimeSpan> spans = FindDimeContent(message.data(), message.size());
    std::size_t found = 0;
    for (const DimeSpan& span : spans) {
        EXPECT_EQ(Text(message, span.offset, span.length), std::string(span.length, 'Z'));
        found += span.length;
    }
    EXPECT_EQ(found, c.content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UploadDimeSize,
                         ::testing::Values(SizeCase{1000, 5, 1188}, SizeCase{1000, 0, 1180},
                                           SizeCase{3, 4, 188}, SizeCase{1, 1, 188}));

TEST(UploadDime, RecordsCarryTheFixedIdsAndTypes) {
    const std::vector<BYTE> content{'a', 'b'};
    const std::vector<BYTE> message = BuildUploadDimeMessage("<x/>", content);
    EXPECT_EQ(message[0], 0x0C);
    EXPECT_EQ(message[1], 0x20);
    EXPECT_EQ(BigEndian(message, 2, 2), 0u);
    EXPECT_EQ(BigEndian(message, 4, 2), 41u);
    EXPECT_EQ(BigEndian(message, 6, 2), 41u);
    EXPECT_EQ(Text(message, 12, 44), std::string("uuid:1cdf7310-f311-4c2f-a6bb-e283666b3f60\0\0\0", 44));
    EXPECT_EQ(Text(message, 56, 44), std::string("http://schemas.xmlsoap.org/soap/envelope/\0\0\0", 44));
    EXPECT_EQ(Text(message, 100, 4), "<x/>");
    const std::size_t second = 104;
    EXPECT_EQ(message[second], 0x0A);
    EXPECT_EQ(message[second + 1], 0x10);
    EXPECT_EQ(BigEndian(message, second + 6, 2), 21u);
    EXPECT_EQ(BigEndian(message, second + 8, 4), 2u);
    EXPECT_EQ(Text(message, second + 12, 44),
              std::string("uuid:90c3f877-7317-4b7e-9d03-08884f70ac3f\0\0\0", 44));
    EXPECT_EQ(Text(message, second + 56, 24), std::string("application/x-unknown\0\0\0", 24));
    EXPECT_EQ(Text(message, second + 80, 4), std::string("ab\0\0", 4));
    EXPECT_EQ(message.size(), second + 84);
}

TEST(UploadDime, AShortenedContentIsTheMessageOfTheShorterContent) {
    const std::vector<BYTE> content{'a', 'b', 'c', 'd', 'e', 'f', 'g'};
    for (std::size_t size = 0; size <= content.size(); ++size) {
        UploadDimeMessage message("<x/>", content.size());
        std::memcpy(message.Content(), content.data(), content.size());
        message.ShortenContent(size);
        EXPECT_EQ(Bytes(message),
                  BuildUploadDimeMessage("<x/>", std::vector<BYTE>(content.begin(), content.begin() + size)))
            << size;
    }
}

TEST(UploadDime, AnotherEnvelopeKeepsTheContentAndLeavesTheFirstMessageAsItWas) {
    const std::vector<BYTE> content{'a', 'b', 'c', 'd', 'e'};
    const UploadDimeMessage first("<token>1</token>", content.size());
    std::memcpy(first.Content(), content.data(), content.size());
    const UploadDimeMessage second = first.WithEnvelope("<token>renewed</token>");
    EXPECT_EQ(Bytes(second), BuildUploadDimeMessage("<token>renewed</token>", content));
    EXPECT_EQ(Bytes(first), BuildUploadDimeMessage("<token>1</token>", content));
}

} // namespace
