#include "KOVAMeridioSync/MeridioDime.h"
#include "tests/KOVAMeridioSync/DimeTestRecords.h"

#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace DimeTest;

const std::string kSoapRecord = Record(kMessageBegin, "<soap:Envelope/>");

std::string ContentOf(const std::string& reply) {
    std::string content;
    for (const DimeSpan& span : FindDimeContent(reinterpret_cast<const BYTE*>(reply.data()), reply.size())) {
        content.append(reply, span.offset, span.length);
    }
    return content;
}

HRESULT FailureOf(const std::string& reply) {
    try {
        FindDimeContent(reinterpret_cast<const BYTE*>(reply.data()), reply.size());
    } catch (long hr) {
        return static_cast<HRESULT>(hr);
    }
    return S_OK;
}

TEST(MeridioDime, SecondRecordIsTheContent) {
    EXPECT_EQ("file bytes\x01\x02", ContentOf(kSoapRecord + Record(kMessageEnd, "file bytes\x01\x02")));
}

TEST(MeridioDime, SecondRecordStartsAfterThePaddedFieldsOfTheFirst) {
    // An 11-byte id, a 41-byte type and 1,001 bytes of data put record 2 at 12 + 12 + 44 + 1,004.
    const std::string first =
        Record(kMessageBegin, "", std::string(11, 'i'), std::string(41, 't'), std::string(1001, 'd'), 1001);
    ASSERT_EQ(1072u, first.size());
    const std::string reply = first + Record(kMessageEnd, "content");
    const std::vector<DimeSpan> spans =
        FindDimeContent(reinterpret_cast<const BYTE*>(reply.data()), reply.size());
    ASSERT_EQ(1u, spans.size());
    EXPECT_EQ(1072u + 12 + 8 + 12, spans[0].offset);
    EXPECT_EQ(7u, spans[0].length);
}

TEST(MeridioDime, OptionsAreSkippedInBothRecords) {
    const std::string reply =
        Record(kMessageBegin, "<soap/>", "opt") + Record(kMessageEnd, "content", "options!x");
    EXPECT_EQ("content", ContentOf(reply));
}

TEST(MeridioDime, ChunkedContentIsReadWholeInOrder) {
    const std::string reply = kSoapRecord + Record(kChunk, "first-") + Record(kChunk, "second-") +
                              Record(kMessageEnd, "", "", "", "third", 5);
    EXPECT_EQ("first-second-third", ContentOf(reply));
}

TEST(MeridioDime, ChunkedFirstRecordIsSkippedWhole) {
    const std::string reply =
        Record(kMessageBegin | kChunk, "<soap:") + Record(0, "Envelope/>") + Record(kMessageEnd, "content");
    EXPECT_EQ("content", ContentOf(reply));
}

TEST(MeridioDime, EmptyContentSucceedsWithNoPieces) {
    EXPECT_EQ("", ContentOf(kSoapRecord + Record(kMessageEnd, "")));
}

struct MalformedCase {
    const char* name;
    std::string reply;
};

class MeridioDimeMalformedTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MeridioDimeMalformedTest, FailsWithInvalidArg) {
    EXPECT_EQ(E_INVALIDARG, FailureOf(GetParam().reply));
}

std::string Truncated(const std::string& text, std::size_t cut) {
    return text.substr(0, text.size() - cut);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MeridioDimeMalformedTest,
    testing::Values(
        MalformedCase{"Empty", ""}, MalformedCase{"ShorterThanOneHeader", std::string(11, '\0')},
        MalformedCase{"OnlyTheFirstRecord", kSoapRecord},
        MalformedCase{"SecondHeaderCut", kSoapRecord + std::string(8, '\0')},
        MalformedCase{"FirstDataPastTheEnd",
                      Record(kMessageBegin, "", "id", "type", "abc", 4000) + Record(kMessageEnd, "x")},
        MalformedCase{"SecondDataPastTheEnd", Truncated(kSoapRecord + Record(kMessageEnd, "content!"), 2)},
        MalformedCase{"HugeFirstDataLength",
                      Record(kMessageBegin, "", "id", "type", "abc", 0xFFFFFFFFu) + Record(kMessageEnd, "x")},
        MalformedCase{"HugeSecondDataLength",
                      kSoapRecord + Record(kMessageEnd, "", "id", "type", "abc", 0xFFFFFFFFu)},
        MalformedCase{"OptionsPastTheEnd",
                      kSoapRecord + Truncated(Record(kMessageEnd, "", std::string(200, 'o')), 30)},
        MalformedCase{"ChunkedContentWithoutItsLastChunk", kSoapRecord + Record(kChunk, "first-")},
        MalformedCase{"ChunkedContentCutInItsLastChunk",
                      kSoapRecord + Record(kChunk, "first-") +
                          Truncated(Record(kMessageEnd, "last chunk"), 6)}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(MeridioDime, CheckBufferOffsetAcceptsOnlyPositionsInside) {
    EXPECT_NO_THROW(CheckBufferOffset(10, 9));
    EXPECT_THROW(CheckBufferOffset(10, 10), long);
    EXPECT_THROW(CheckBufferOffset(0, 0), long);
    EXPECT_THROW(CheckBufferOffset(10, 0xFFFFFFFFFFFFFFFFull), long);
}

} // namespace
