#include "KOVAMeridioSync/MeridioLocations.h"

#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct ParseCase {
    const wchar_t* location;
    std::optional<HRESULT> failure;
    const wchar_t* server;
    LONG objectType;
    LONG objectId;
};

class ExtractUrlDetailsTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ExtractUrlDetailsTest, ParsesOrThrows) {
    const ParseCase& c = GetParam();
    CStdStr<wchar_t> server = L"unset";
    LONG objectType = -1;
    LONG objectId = -1;
    if (c.failure) {
        try {
            ExtractUrlDetails(c.location, server, objectType, objectId);
            FAIL() << "no exception";
        } catch (long hr) {
            EXPECT_EQ(*c.failure, static_cast<HRESULT>(hr));
        }
    } else {
        ExtractUrlDetails(c.location, server, objectType, objectId);
        EXPECT_EQ(c.objectType, objectType);
        EXPECT_EQ(c.objectId, objectId);
    }
    // The server out is written before the kind and id checks, and left alone before it.
    EXPECT_EQ(CStdStr<wchar_t>(c.server), server);
}

INSTANTIATE_TEST_SUITE_P(
    Locations, ExtractUrlDetailsTest,
    testing::Values(ParseCase{L"Meridio://srv/container/12", std::nullopt, L"srv", 100, 12},
                    ParseCase{L"MERIDIO://srv/Container/12", std::nullopt, L"srv", 100, 12},
                    ParseCase{L"Meridio:/srv/document/7", std::nullopt, L"srv", 101, 7},
                    ParseCase{L"Meridio:///srv//document/7", std::nullopt, L"srv", 101, 7},
                    ParseCase{L"Meridio://srv/record/9", std::nullopt, L"srv", 4, 9},
                    ParseCase{L"Meridio://srv/folder/21", std::nullopt, L"srv", 6, 21},
                    ParseCase{L"Meridio://srv/CLASS/20", std::nullopt, L"srv", 20, 20},
                    ParseCase{L"Meridio://srv/shortcut/5", std::nullopt, L"srv", 102, 5},
                    ParseCase{L"Meridio://127.0.0.1:8080/document/42/title/A_b", std::nullopt,
                              L"127.0.0.1:8080", 101, 42},
                    ParseCase{L"Meridio://srv/document/ 15x", std::nullopt, L"srv", 101, 15},
                    ParseCase{L"Meridio://srv/document/99999999999", std::nullopt, L"srv", 101, 2147483647},
                    ParseCase{L"Meridio://srv/documents/5", std::nullopt, L"srv", 102, 5},
                    ParseCase{L"Meridio://srv/doc/5", std::nullopt, L"srv", 102, 5},
                    ParseCase{L"Meridio://srv/container/0", E_INVALIDARG, L"srv", 0, 0},
                    ParseCase{L"Meridio://srv/container/abc", E_INVALIDARG, L"srv", 0, 0},
                    ParseCase{L"Meridio://srv/container/-3", E_INVALIDARG, L"srv", 0, 0},
                    ParseCase{L"Meridio://srv/container", E_INVALIDARG, L"unset", 0, 0},
                    ParseCase{L"", E_INVALIDARG, L"unset", 0, 0},
                    ParseCase{L"http://srv/container/12", E_INVALIDARG, L"unset", 0, 0},
                    ParseCase{L"Meridiox://srv/container/12", E_INVALIDARG, L"unset", 0, 0}));

TEST(ExtractUrlDetails, EachPieceEndsAtItsFirstNul) {
    const wchar_t text[] = L"Meridio:\0x//srv\0name/document\0s/8\0/9";
    CStdStr<wchar_t> location;
    location.append(text, sizeof(text) / sizeof(wchar_t) - 1);
    CStdStr<wchar_t> server;
    LONG objectType = 0;
    LONG objectId = 0;
    ExtractUrlDetails(location, server, objectType, objectId);
    EXPECT_EQ(CStdStr<wchar_t>(L"srv"), server);
    EXPECT_EQ(101, objectType);
    EXPECT_EQ(8, objectId);
}

struct BuildCase {
    bool document;
    bool isRecord;
    const wchar_t* kindOrId;
    LONG containerId;
    const wchar_t* expected;
};

class MeridioUrlBuildersTest : public testing::TestWithParam<BuildCase> {};

TEST_P(MeridioUrlBuildersTest, Builds) {
    const BuildCase& c = GetParam();
    const CStdStr<wchar_t> url = c.document ? MakeDocumentUrl(L"srv", c.isRecord, c.kindOrId)
                                            : MakeContainerUrl(L"srv", c.kindOrId, c.containerId);
    EXPECT_EQ(CStdStr<wchar_t>(c.expected), url);
    // What a builder makes, the parser reads back.
    CStdStr<wchar_t> server;
    LONG objectType = 0;
    LONG objectId = 0;
    ExtractUrlDetails(url, server, objectType, objectId);
    EXPECT_EQ(CStdStr<wchar_t>(L"srv"), server);
}

INSTANTIATE_TEST_SUITE_P(Builders, MeridioUrlBuildersTest,
                         testing::Values(BuildCase{false, false, L"20", 3, L"Meridio://srv/class/3"},
                                         BuildCase{false, false, L"100", 3, L"Meridio://srv/container/3"},
                                         BuildCase{false, false, L"6", 21, L"Meridio://srv/folder/21"},
                                         BuildCase{false, false, L"", 8, L"Meridio://srv/container/8"},
                                         BuildCase{true, false, L"42", 0, L"Meridio://srv/document/42"},
                                         BuildCase{true, true, L"43", 0, L"Meridio://srv/record/43"}));

TEST(MeridioUrlBuilders, DocumentUrlEscapesTheServerNameContainerUrlDoesNot) {
    EXPECT_EQ(CStdStr<wchar_t>(L"Meridio://a&amp;b/document/1"), MakeDocumentUrl(L"a&b", false, L"1"));
    EXPECT_EQ(CStdStr<wchar_t>(L"Meridio://a&b/container/1"), MakeContainerUrl(L"a&b", L"100", 1));
}

TEST(MeridioUrlBuilders, DocumentUrlMakerFollowsTheServerItIsGiven) {
    struct Step {
        const wchar_t* server;
        bool isRecord;
        const wchar_t* id;
        const wchar_t* expected;
    };
    const Step steps[] = {
        {L"", false, L"1", L"Meridio:///document/1"},
        {L"a&b", false, L"2", L"Meridio://a&amp;b/document/2"},
        {L"a&b", true, L"3", L"Meridio://a&amp;b/record/3"},
        {L"<s>", false, L"4", L"Meridio://&lt;s&gt;/document/4"},
        {L"a&b", false, L"", L"Meridio://a&amp;b/document/"},
        {L"", true, L"6", L"Meridio:///record/6"},
    };
    DocumentUrlMaker maker;
    for (const Step& step : steps) {
        EXPECT_EQ(CStdStr<wchar_t>(step.expected), maker.Make(step.server, step.isRecord, step.id))
            << step.server;
        EXPECT_EQ(CStdStr<wchar_t>(step.expected), MakeDocumentUrl(step.server, step.isRecord, step.id));
    }
}

} // namespace
