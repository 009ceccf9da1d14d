// Repository queries through the host's ILSQueryRepository against the demo server: the scope (a
// server name) is validated by logging in to it, and a search by title gives one line per container.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "tests/Support/LogCapture.h"

#include <gmock/gmock.h>

namespace {

using namespace MeridioTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

DemoMeridio::Container ServerContainer(long id, long parentId, DemoMeridio::ContainerKind kind,
                                       const std::string& title, const std::string& owner) {
    DemoMeridio::Container container;
    container.id = id;
    container.parentId = parentId;
    container.kind = kind;
    container.title = title;
    container.owner = owner;
    return container;
}

class MeridioQueries : public ::testing::Test {
protected:
    // The answer of a BSTR-out method; the text stays empty (and is checked unset) on failure.
    template <class Call> static HRESULT Answer(Call call, std::wstring& text) {
        BSTR answer = nullptr;
        const HRESULT hr = call(&answer);
        EXPECT_TRUE(SUCCEEDED(hr) || answer == nullptr);
        text = answer == nullptr ? L"" : std::wstring(answer, SysStringLen(answer));
        SysFreeString(answer);
        return hr;
    }

    HRESULT Validate(const std::wstring& scope, std::wstring& validated) {
        return Answer(
            [&](BSTR* out) { return query->raw_ValidateScopeParameter(_bstr_t(scope.c_str()), out); },
            validated);
    }

    HRESULT RunQuery(const std::wstring& scope, const std::wstring& searchText, std::wstring& results,
                     LONG maximumHits = 100) {
        return Answer(
            [&](BSTR* out) {
                return query->raw_RunQuery(maximumHits, _bstr_t(scope.c_str()), _bstr_t(searchText.c_str()),
                                           _bstr_t(L"title"), 0, out);
            },
            results);
    }

    // The line of a container hit whose parent path is its location and owner.
    std::wstring ContainerLine(const std::wstring& title, long id, const std::wstring& owner,
                               const std::wstring& kind = L"Container") {
        const std::wstring location = host.Location(L"container", id);
        return title + L"\t" + location + L"\t" + location + L" (" + owner + L")\t" + kind + L"\tMeridio";
    }

    MeridioHost host;
    Owned<ILSQueryRepository> query = host.Query<ILSQueryRepository>();
};

TEST_F(MeridioQueries, AreOfferedWithThePromptAndTheScopeAsGiven) {
    ASSERT_TRUE(query);
    VARIANT_BOOL available = VARIANT_FALSE;
    EXPECT_EQ(query->raw_QueryRepositoryMethod1(&available), S_OK);
    EXPECT_EQ(available, VARIANT_TRUE);

    std::wstring prompt;
    EXPECT_EQ(Answer([&](BSTR* out) { return query->raw_GetScopeParameterPrompt(out); }, prompt), S_OK);
    EXPECT_EQ(prompt, L"Meridio server to search (its name, for example meridio.example.com):");

    std::wstring formatted;
    EXPECT_EQ(Answer([&](BSTR* out) { return query->raw_FormatScopeParameter(_bstr_t(L" srv \t"), out); },
                     formatted),
              S_OK);
    EXPECT_EQ(formatted, L" srv \t");
    EXPECT_EQ(query->raw_QueryRepositoryMethod6(), E_NOTIMPL);
    EXPECT_TRUE(host.Actions().empty());
}

TEST_F(MeridioQueries, ValidatingAScopeLogsInToThatServer) {
    struct Case {
        std::wstring scope;
        HRESULT result;
        std::wstring validated;
        std::vector<std::string> actions;
    };
    const std::vector<Case> cases = {
        {L"  " + host.ServerName() + L"\t", S_OK, host.ServerName(), {"Login"}},
        {L" 127.0.0.1:1 ", E_FAIL, L"", {}},
        {L" \t ", E_INVALIDARG, L"", {}},
        {L"", E_INVALIDARG, L"", {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(_bstr_t(test.scope.c_str())));
        const std::size_t before = host.Actions().size();
        std::wstring validated;
        EXPECT_EQ(Validate(test.scope, validated), test.result);
        EXPECT_EQ(validated, test.validated);
        const std::vector<std::string> actions = host.Actions();
        EXPECT_EQ(std::vector<std::string>(actions.begin() + static_cast<long>(before), actions.end()),
                  test.actions);
    }
}

TEST_F(MeridioQueries, SearchGivesOneLinePerContainerSortedByTitle) {
    std::wstring results;
    ASSERT_EQ(RunQuery(L" " + host.ServerName() + L" ", L"c", results), S_OK);
    const std::wstring expected = L"Contracts 2024\t" + host.Location(L"folder", 21) +
                                  L"\t/Finance Records\tFolder\tMeridio\n" + L"Finance Records\t" +
                                  host.Location(L"class", 20) + L"\t/\tClass\tMeridio\n" +
                                  ContainerLine(L"Projects & Plans", 2, L"Anna Müller") + L"\n" +
                                  ContainerLine(L"Übersicht Café", 3, L"Chloé Dubois");
    EXPECT_EQ(results, expected);
    EXPECT_THAT(host.Actions(), ElementsAre("Login", "SearchContainers"));
}

TEST_F(MeridioQueries, SearchHonoursTheMaximumHitsAndGivesAnEmptyTextForNoHits) {
    std::wstring results;
    ASSERT_EQ(RunQuery(host.ServerName(), L"c", results, 2), S_OK);
    EXPECT_EQ(results, L"Contracts 2024\t" + host.Location(L"folder", 21) +
                           L"\t/Finance Records\tFolder\tMeridio\nFinance Records\t" +
                           host.Location(L"class", 20) + L"\t/\tClass\tMeridio");
    ASSERT_EQ(RunQuery(host.ServerName(), L"no such title", results), S_OK);
    EXPECT_EQ(results, L"");
    // Every query logs in anew.
    EXPECT_THAT(host.Actions(), ElementsAre("Login", "SearchContainers", "Login", "SearchContainers"));
}

TEST_F(MeridioQueries, SearchTextIsSentEscaped) {
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddContainer(
            ServerContainer(30, 1, DemoMeridio::ContainerKind::Container, "Q1 & <Q2>", "Jonas Berg"));
    });
    std::wstring results;
    ASSERT_EQ(RunQuery(host.ServerName(), L"1 & <Q", results), S_OK);
    EXPECT_EQ(results, ContainerLine(L"Q1 & <Q2>", 30, L"Jonas Berg"));
    const std::vector<DemoMeridio::IncomingRequest> requests = host.Server().ReceivedRequests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_THAT(requests[1].body, HasSubstr("<str_value>1 &amp; &lt;Q</str_value>"));
}

// A character that XML cannot carry would make the request ill-formed: the search fails before it is
// sent, naming the search text.
TEST_F(MeridioQueries, SearchTextThatXmlCannotCarryIsRefusedUnsent) {
    TestSupport::LogCapture log;
    std::wstring results;
    EXPECT_EQ(RunQuery(host.ServerName(), L"Q\x01", results), E_INVALIDARG);
    EXPECT_EQ(results, L"");
    EXPECT_THAT(host.Actions(), ElementsAre("Login"));
    EXPECT_THAT(log.Errors(),
                Contains(HasSubstr("Cannot send the search text: it holds the character U+0001, which XML "
                                   "cannot carry")));
}

TEST_F(MeridioQueries, FieldsKeepToOneLineAndUnknownKindsAreContainers) {
    host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        using DemoMeridio::ContainerKind;
        repository.AddContainer(
            ServerContainer(30, 1, ContainerKind::Container, "qq\tTab\rCR", "Line\nowner"));
        repository.AddContainer(
            ServerContainer(31, 1, ContainerKind::Class, "qq\nclass\tA", "Records Manager"));
        repository.AddContainer(
            ServerContainer(32, 31, ContainerKind::Folder, "qq folder", "Records Manager"));
        repository.AddContainer(ServerContainer(33, 1, static_cast<ContainerKind>(7), "qq odd", "Nobody"));
    });
    TestSupport::LogCapture log;
    std::wstring results;
    ASSERT_EQ(RunQuery(host.ServerName(), L"qq", results), S_OK);
    const std::wstring expected = ContainerLine(L"qq Tab CR", 30, L"Line owner") + L"\n" + L"qq class A\t" +
                                  host.Location(L"class", 31) + L"\t/\tClass\tMeridio\n" + L"qq folder\t" +
                                  host.Location(L"folder", 32) + L"\t/qq class A\tFolder\tMeridio\n" +
                                  ContainerLine(L"qq odd", 33, L"Nobody");
    EXPECT_EQ(results, expected);
    EXPECT_THAT(log.Errors(), Contains(HasSubstr("Unknown result type:7")));
}

TEST_F(MeridioQueries, FailuresComeBackAsTheirHResultWithoutResults) {
    std::wstring results;
    EXPECT_EQ(RunQuery(L"127.0.0.1:1", L"c", results), E_FAIL);
    EXPECT_EQ(RunQuery(host.ServerName(), L"c", results, -1), E_FAIL); // refused by the server

    host.Server().ExpireSessionsAfter(0);
    const std::size_t before = host.Actions().size();
    EXPECT_EQ(RunQuery(host.ServerName(), L"c", results), E_FAIL);
    const std::vector<std::string> actions = host.Actions();
    EXPECT_EQ(std::vector<std::string>(actions.begin() + static_cast<long>(before), actions.end()),
              (std::vector<std::string>{"Login", "SearchContainers", "Login", "SearchContainers"}));
}

} // namespace
