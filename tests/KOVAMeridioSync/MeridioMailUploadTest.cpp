// A mail uploaded as a new document carries its header data as document custom properties: the
// values of its property map by MAPI tag, and the recipient lists, categories, named properties and
// message class of its message interface, each row named by the server's display name.
#include "Platform/Utf.h"
#include "VantrelCommon/Exceptions.h"
#include "tests/KOVAMeridioSync/MeridioUploadFixture.h"
#include "tests/KOVAMeridioSync/TestMailItem.h"
#include "tests/Support/LogCapture.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <regex>

namespace {

using namespace MeridioTest;

// One DOCUMENT_CUSTOMPROPS row as sent and as the demo server stores it under (type, id).
struct Row {
    int type;
    int id;
    std::string name;
    std::string column;
    std::string value;
    friend bool operator==(const Row&, const Row&) = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << "(" << row.type << ", " << row.id << ") " << row.name << " " << row.column << "=" << row.value;
}

// The text of an element without its entities.
std::string Unescaped(std::string text) {
    for (const auto& [entity, character] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}}) {
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
            text.replace(at, std::string(entity).size(), character);
        }
    }
    return text;
}

// The rows of the diffgram in the order sent; the row numbers must count 1, 2, 3, ...
std::vector<Row> SentRows(const std::string& body) {
    static const std::regex row(
        "<DOCUMENT_CUSTOMPROPS diffgr:id=\"DOCUMENT_CUSTOMPROPS(\\d+)\" msdata:rowOrder=\"(\\d+)\" "
        "diffgr:hasChanges=\"inserted\"><objectId>0</objectId><propertyName>([^<]*)</propertyName>"
        "<categoryId>5</categoryId><valueColumn>(\\w+)</valueColumn><(\\w+)>([^<]*)</\\5>"
        "</DOCUMENT_CUSTOMPROPS>");
    std::vector<Row> rows;
    for (auto it = std::sregex_iterator(body.begin(), body.end(), row); it != std::sregex_iterator(); ++it) {
        const std::smatch& match = *it;
        const auto number = rows.size() + 1;
        EXPECT_EQ(match[1].str(), std::to_string(number));
        EXPECT_EQ(match[2].str(), std::to_string(number - 1));
        EXPECT_EQ(match[4].str(), match[5].str());
        rows.push_back({0, 0, Unescaped(match[3]), match[4], Unescaped(match[6])});
    }
    return rows;
}

DATE DateOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{year, month, 0, day, hour, minute, second, 0};
    DATE date = 0.0;
    EXPECT_TRUE(SystemTimeToVariantTime(&time, &date));
    return date;
}

// A signed mail with a value for every row. The named properties resolve to tags whose type parts
// differ from the value kinds: the values are held under the tags of the kinds.
void FillSignedMail(TestMailItem& mail) {
    Host::LSMemoryPropertyMap& map = mail.Map();
    map.Set(L"0x0e04001f", std::wstring(L"Anna Berg; Carl Dahl"));
    map.Set(L"0x0c1a001f", std::wstring(L"Jonas Ek"));
    map.Set(L"0x0c1f001f", std::wstring(L"jonas@example.com"));
    map.Set(L"0x0e03001f", std::wstring(L"Eva Fors"));
    map.Set(L"0x0e02001f", std::wstring(L"Gustav Holm"));
    map.Set(L"0x0037001f", std::wstring(L"Quarterly budget"));
    map.Set(L"0x00390040", Host::DateValue{DateOf(2024, 3, 5, 7, 8, 9)});
    map.Set(L"0x10800003", LONG(261));
    map.Set(L"0x10820040", Host::DateValue{DateOf(2024, 3, 6, 10, 0, 0)});
    map.Set(L"0x10810003", LONG(102));
    mail.texts = {{0x0E04001F, L"anna@example.com; carl@example.com"},
                  {0x0E03001F, L"eva@example.com"},
                  {0x0E02001F, L"gustav@example.com"}};
    mail.keywords = L"Red\tBlue";
    mail.commonTags = {{0x8502, 0x80120005}, {0x8560, 0x8013000B}, {0x8530, 0x8015001E}};
    mail.taskTags = {{0x8105, 0x80140102}, {0x8104, 0x80160040}};
    map.Set(L"0x80120040", Host::DateValue{DateOf(2024, 3, 7, 9, 0, 0)});
    map.Set(L"0x80130040", Host::DateValue{DateOf(2024, 3, 7, 8, 45, 0)});
    map.Set(L"0x80140040", Host::DateValue{DateOf(2024, 3, 8, 17, 0, 0)});
    map.Set(L"0x8015001f", std::wstring(L"Follow up"));
    map.Set(L"0x80160040", Host::DateValue{DateOf(2024, 3, 4, 8, 0, 0)});
    mail.messageClass = L"IPM.Note.SMIME";
    map.Set(L"0x0e1b000b", LONG(1));
    map.Set(L"0x10950003", LONG(6));
    map.Set(L"0x10910040", Host::DateValue{DateOf(2024, 3, 9, 12, 30, 0)});
    map.Set(L"0x10900003", LONG(2));
    map.Set(L"0x007d001f", std::wstring(L"X-Mailer: test"));
    map.Set(L"0x00260003", LONG(2));
    map.Set(L"0x0e060040", Host::DateValue{DateOf(2024, 3, 5, 7, 8, 30)});
    map.Set(L"0x0c17000b", LONG(0));
    map.Set(L"0x00300040", Host::DateValue{DateOf(2024, 3, 5, 7, 9, 0)});
    map.Set(L"0x0063000b", LONG(1));
    map.Set(L"0x00360003", LONG(0));
}

const std::vector<Row> kSignedMailRows = {
    {6, 101, "To", "textValue", "Anna Berg; Carl Dahl"},
    {3, 104, "From", "textValue", "Jonas Ek"},
    {6, 102, "Cc", "textValue", "Eva Fors"},
    {6, 103, "Bcc", "textValue", "Gustav Holm"},
    {3, 106, "Subject", "textValue", "Quarterly budget"},
    {5, 107, "Sent Date", "dateValue", "2024-03-05T07:08:09+00:00"},
    {4, 141, "Icon Index", "numValue", "261"},
    {5, 143, "Last Verb Time", "dateValue", "2024-03-06T10:00:00+00:00"},
    {4, 142, "Last Verb", "numValue", "102"},
    {6, 112, "To Recipients", "textValue", "anna@example.com; carl@example.com"},
    {6, 113, "Cc Recipients", "textValue", "eva@example.com"},
    {6, 114, "Bcc Recipients", "textValue", "gustav@example.com"},
    {6, 151, "Categories", "textValue", "Red...Blue..."},
    {5, 136, "Reminder Time", "dateValue", "2024-03-07T09:00:00+00:00"},
    {5, 137, "Reminder Signal Time", "dateValue", "2024-03-07T08:45:00+00:00"},
    {5, 162, "Task Due", "dateValue", "2024-03-08T17:00:00+00:00"},
    {3, 135, "Contact Names", "textValue", "Follow up"},
    {5, 161, "Task Start", "dateValue", "2024-03-04T08:00:00+00:00"},
    {4, 118, "Signed", "numValue", "1"},
    {3, 119, "Message Class", "textValue", "IPM.Note.SMIME"},
    {4, 120, "Attachments", "numValue", "1"},
    {4, 144, "Follow-up Icon", "numValue", "6"},
    {5, 138, "Flag Completed", "dateValue", "2024-03-09T12:30:00+00:00"},
    {4, 134, "Flag Status", "numValue", "2"},
    {6, 115, "Internet Headers", "textValue", "X-Mailer: test"},
    {4, 105, "Importance", "numValue", "2"},
    {5, 108, "Receipt Date", "dateValue", "2024-03-05T07:08:30+00:00"},
    {4, 139, "Reply Requested", "numValue", "0"},
    {5, 145, "Mail Created", "dateValue", "2024-03-05T07:09:00+00:00"},
    {4, 140, "Response Requested", "numValue", "1"},
    {4, 150, "Sensitivity", "numValue", "0"},
    {3, 159, "Sender Address", "textValue", "Jonas Ek <jonas@example.com>"},
};

// A plain note with gaps: an empty Cc list and no Bcc list, no categories, named properties that do
// not resolve or hold no value. Skipped rows leave no gap in the row numbers.
void FillSparseNote(TestMailItem& mail) {
    mail.Map().Set(L"0x0037001f", std::wstring(L"Lunch"));
    mail.texts = {{0x0E04001F, L"anna@example.com"}, {0x0E03001F, L""}};
    mail.commonTags = {{0x8530, 0x8015001F}};
    mail.taskTags = {{0x8104, 0x80160040}};
    mail.messageClass = L"IPM.Note";
}

const std::vector<Row> kSparseNoteRows = {
    {6, 101, "To", "textValue", ""},
    {3, 104, "From", "textValue", ""},
    {6, 102, "Cc", "textValue", ""},
    {6, 103, "Bcc", "textValue", ""},
    {3, 106, "Subject", "textValue", "Lunch"},
    {6, 112, "To Recipients", "textValue", "anna@example.com"},
    {3, 135, "Contact Names", "textValue", ""},
    {3, 119, "Message Class", "textValue", "IPM.Note"},
    {6, 115, "Internet Headers", "textValue", ""},
    {3, 159, "Sender Address", "textValue", " <>"},
};

struct MailCase {
    const char* label;
    std::function<void(TestMailItem&)> fill;
    const std::vector<Row>* rows;
};

class MeridioMailRows : public MeridioUpload, public ::testing::WithParamInterface<MailCase> {};

TEST_P(MeridioMailRows, AreSentInTheirOrderNumberedAndStoredByDisplayName) {
    const MailCase& c = GetParam();
    ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto mail = NewMailItem();
    c.fill(*mail);
    ASSERT_EQ(AddNew(L"mail.eml", "From: jonas@example.com", mail.get()), S_OK);

    std::vector<Row> expected = *c.rows;
    std::vector<Row> sent = SentRows(LastBodyOf("AddObject2"));
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t index = 0; index < sent.size(); ++index) {
        sent[index].type = expected[index].type;
        sent[index].id = expected[index].id;
    }
    EXPECT_EQ(sent, expected);

    const DemoMeridio::Document document = Newest().document;
    EXPECT_EQ(document.properties.size(), expected.size());
    for (const Row& row : expected) {
        const DemoMeridio::CustomValue* stored = document.Property(row.type, row.id);
        ASSERT_NE(stored, nullptr) << row.name;
        EXPECT_EQ(stored->value, row.value) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Mails, MeridioMailRows,
                         ::testing::Values(MailCase{"signedWithEveryRow", FillSignedMail, &kSignedMailRows},
                                           MailCase{"sparseNote", FillSparseNote, &kSparseNoteRows}),
                         [](const auto& info) { return std::string(info.param.label); });

struct CategoriesCase {
    const char* label;
    std::optional<std::wstring> keywords;
    std::optional<std::string> sent;
};

class MeridioMailCategories : public MeridioUpload, public ::testing::WithParamInterface<CategoriesCase> {};

TEST_P(MeridioMailCategories, AreSentWithEllipsesForTabs) {
    const CategoriesCase& c = GetParam();
    ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto mail = NewMailItem();
    mail->keywords = c.keywords;
    ASSERT_EQ(AddNew(L"mail.eml", "From: x", mail.get()), S_OK);
    const DemoMeridio::Document document = Newest().document;
    const DemoMeridio::CustomValue* stored = document.Property(6, 151);
    EXPECT_EQ(stored ? std::optional(stored->value) : std::nullopt, c.sent);
}

INSTANTIATE_TEST_SUITE_P(Keywords, MeridioMailCategories,
                         ::testing::Values(CategoriesCase{"twoCategories", L"Red\tBlue", "Red...Blue..."},
                                           CategoriesCase{"endsWithEllipsis", L"Done...", "Done..."},
                                           CategoriesCase{"oneCategory", L"Red", "Red..."},
                                           CategoriesCase{"empty", L"", std::nullopt},
                                           CategoriesCase{"unreadable", std::nullopt, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.label); });

// A property map that does not answer the message interface (not a message of the host's): its
// values by tag are sent, no recipient lists, categories, named properties or signed flag, and an
// empty message class.
TEST_F(MeridioUpload, AMailWithoutMessageInterfaceCarriesItsPropertyMapValues) {
    ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    const auto item = NewMap();
    item->Set(L"0x0037001f", std::wstring(L"Budget <Q1> & more"));
    item->Set(L"0x0e04001f", std::wstring(L"Anna"));
    item->Set(L"0x0c1a001f", std::wstring(L"Jonas"));
    item->Set(L"0x0c1f001f", std::wstring(L"jonas@example.com"));
    item->Set(L"0x00390040", Host::DateValue{DateOf(2024, 3, 5, 7, 8, 9)});
    item->Set(L"0x00260003", LONG(2));
    TestSupport::LogCapture log;
    ASSERT_EQ(AddNew(L"budget.eml", "From: x", item.get()), S_OK);

    const DemoMeridio::Document document = Newest().document;
    const auto value = [&](int type, int id) {
        const DemoMeridio::CustomValue* found = document.Property(type, id);
        return found ? found->value : std::string("<none>");
    };
    EXPECT_EQ(value(3, 106), "Budget <Q1> & more");
    EXPECT_EQ(value(6, 101), "Anna");
    EXPECT_EQ(value(6, 102), ""); // a text that is not on the item gives an empty row
    EXPECT_EQ(value(5, 107), "2024-03-05T07:08:09+00:00");
    EXPECT_EQ(value(4, 105), "2");
    EXPECT_EQ(value(4, 120), "<none>"); // a number that is not on the item gives no row
    EXPECT_EQ(value(5, 108), "<none>"); // nor does a date
    EXPECT_EQ(value(3, 159), "Jonas <jonas@example.com>");
    for (const auto& [type, id] : {std::pair{6, 112},
                                   {6, 113},
                                   {6, 114},
                                   {6, 151},
                                   {5, 136},
                                   {5, 137},
                                   {5, 162},
                                   {3, 135},
                                   {5, 161},
                                   {4, 118}}) {
        EXPECT_EQ(value(type, id), "<none>") << type << ", " << id;
    }
    EXPECT_EQ(value(3, 119), "");
    const auto errors = log.Errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(),
                         "KOVAMeridioSyncFilterImpl::SetPropInCommonPropertySetUnexpected return: 80004002"),
              5);
    const std::string body = LastBodyOf("AddObject2");
    EXPECT_NE(
        body.find("<DOCUMENT_CUSTOMPROPS diffgr:id=\"DOCUMENT_CUSTOMPROPS3\" msdata:rowOrder=\"2\" "
                  "diffgr:hasChanges=\"inserted\"><objectId>0</objectId><propertyName>Cc</propertyName>"
                  "<categoryId>5</categoryId><valueColumn>textValue</valueColumn><textValue></textValue>"),
        std::string::npos)
        << body;
    EXPECT_NE(body.find("<textValue>Budget &lt;Q1&gt; &amp; more</textValue>"), std::string::npos) << body;
}

struct NamedPropertyCase {
    const char* label;
    LONG valueKind;
    LONG propertySet;
    LONG namedId;
    bool withResolver;
    std::optional<HRESULT> thrown;
    const char* error; // the error logged, or nullptr
    const char* row;   // the value element of the row written, or nullptr
};

class MeridioNamedProperty : public ::testing::TestWithParam<NamedPropertyCase> {};

TEST_P(MeridioNamedProperty, IsResolvedInItsSetAndReadByTheTagOfItsKind) {
    const NamedPropertyCase& c = GetParam();
    const auto mail = NewMailItem();
    mail->commonTags = {{0x8530, 0x8015001E}};
    mail->taskTags = {{0x8530, 0x81230102}};
    mail->Map().Set(L"0x8015001f", std::wstring(L"common"));
    mail->Map().Set(L"0x81230003", LONG(7));
    mail->Map().Set(L"0x81230040", Host::DateValue{DateOf(2024, 1, 2, 3, 4, 5)});
    CStdStr<wchar_t> rows;
    MeridioCustomPropRows writer(rows, 5);
    TestSupport::LogCapture log;
    std::optional<HRESULT> thrown;
    try {
        KOVAMeridioSyncFilterImpl::SetPropInCommonPropertySet(c.withResolver ? mail.get() : nullptr, writer,
                                                              c.valueKind, c.propertySet, c.namedId, L"Named",
                                                              mail.get());
    } catch (long hr) {
        thrown = static_cast<HRESULT>(hr);
    }
    EXPECT_EQ(thrown, c.thrown);
    const auto errors = log.Errors();
    if (c.error) {
        EXPECT_NE(std::find(errors.begin(), errors.end(), c.error), errors.end()) << c.error;
    } else {
        EXPECT_TRUE(errors.empty()) << errors.front();
    }
    const std::string text = Platform::WideToUtf8(rows);
    if (c.row) {
        EXPECT_NE(text.find(c.row), std::string::npos) << text;
        EXPECT_NE(text.find("DOCUMENT_CUSTOMPROPS1\""), std::string::npos) << text;
    } else {
        EXPECT_EQ(text, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, MeridioNamedProperty,
    ::testing::Values(
        NamedPropertyCase{"commonText", 1, 0, 0x8530, true, std::nullopt, nullptr,
                          "<textValue>common</textValue>"},
        NamedPropertyCase{"taskNumber", 2, 1, 0x8530, true, std::nullopt, nullptr, "<numValue>7</numValue>"},
        NamedPropertyCase{"taskDate", 3, 1, 0x8530, true, std::nullopt, nullptr,
                          "<dateValue>2024-01-02T03:04:05+00:00</dateValue>"},
        NamedPropertyCase{"unknownSet", 3, 2, 0x8530, true, E_FAIL, "Unexpected value of PropertySetType: 2",
                          nullptr},
        NamedPropertyCase{"unknownKind", 4, 0, 0x8530, true, E_FAIL, "Unexpected value of propertyType: 4",
                          nullptr},
        NamedPropertyCase{"notResolved", 2, 0, 0x8531, true, std::nullopt,
                          "KOVAMeridioSyncFilterImpl::SetPropInCommonPropertySetUnexpected return: 8004010f",
                          nullptr},
        NamedPropertyCase{"noMessageInterface", 1, 0, 0x8530, false, std::nullopt,
                          "KOVAMeridioSyncFilterImpl::SetPropInCommonPropertySetUnexpected return: 80004002",
                          nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

// The display names of a mail's custom properties are looked up on the first mail upload of the process
// and kept: with one of them missing from the system configuration the upload fails before anything is
// sent, and the names are looked up again by the next upload; once found, they serve a later upload
// whose configuration lacks them.
KOVA_CHILD_SCENARIO(MeridioMailDisplayNames) {
    TestSupport::TempDirectory temp;
    const auto localPath = temp.path() / "mail.msg";
    std::ofstream(localPath) << "mail";
    const auto upload = [&](MeridioHost& host) {
        const auto mail = NewMailItem();
        mail->keywords = L"Red";
        return host.Sync()->raw_AddNewDocument(_bstr_t(localPath.c_str()), _bstr_t(L"mail.msg"), nullptr,
                                               mail.get());
    };
    {
        MeridioHost host;
        host.Server().ChangeRepository([](DemoMeridio::Repository& repository) {
            std::erase_if(repository.configuration.customProperties,
                          [](const DemoMeridio::PropertyDefinition& p) {
                              return p.object == 9 && p.type == 6 && p.id == 151;
                          });
        });
        ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        const size_t sentBefore = host.Actions().size();
        EXPECT_EQ(upload(host), E_INVALIDARG);
        EXPECT_EQ(host.Actions().size(), sentBefore);
    }
    {
        MeridioHost host;
        ASSERT_EQ(host.Register(host.Location(L"container", 2)), S_OK);
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        EXPECT_EQ(upload(host), S_OK);
    }
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    EXPECT_EQ(upload(host), S_OK);
}

// A mail's header text with a character XML cannot carry (a subject with a vertical tab) would make
// the upload's request ill-formed: the row is refused, naming the property, and nothing is written.
TEST(MeridioMailUpload, TextRowThatXmlCannotCarryIsRefusedNamingTheProperty) {
    CStdStr<wchar_t> rows;
    MeridioCustomPropRows writer(rows, 5);
    const CStdStr<wchar_t> subject(std::wstring(L"Re: Angebot") + wchar_t(0x0B) + L" 2024");
    try {
        writer.AddCustomPropTextRow(L"Betreff", subject);
        ADD_FAILURE() << "the row was written: " << Platform::WideToUtf8(rows);
    } catch (const hresult_exception& error) {
        EXPECT_EQ(E_INVALIDARG, error.hresult());
        EXPECT_STREQ("Cannot send the value of custom property Betreff: it holds the character U+000B, which "
                     "XML cannot carry",
                     error.what());
    }
    EXPECT_EQ(rows, L"");
}

TEST(MeridioMailUpload, DisplayNamesAreLookedUpOnceAndKept) {
    TestSupport::TempDirectory work;
    const ChildScenarios::Result result = ChildScenarios::Run("MeridioMailDisplayNames", work, {});
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
}

} // namespace
