#include "Host/MailItem.h"

#include "Platform/ComText.h"
#include "Platform/Utf.h"
#include "tests/Host/MsgFileWriter.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace {

using Host::LSMailItem;
namespace MailTag = Host::MailTag;

constexpr HRESULT kNotAMail = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
constexpr GUID kPsetidCommon = Platform::GuidFromText("00062008-0000-0000-C000-000000000046");
constexpr GUID kPsetidTask = Platform::GuidFromText("00062003-0000-0000-C000-000000000046");
constexpr GUID kPsMapi = Platform::GuidFromText("00020328-0000-0000-C000-000000000046");
constexpr GUID kPsPublicStrings = Platform::GuidFromText("00020329-0000-0000-C000-000000000046");

const std::filesystem::path kMailDir = HOST_TEST_MAIL_DIR;

DATE DateOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    const SYSTEMTIME fields{year, month, 0, day, hour, minute, second, 0};
    DATE date = 0;
    EXPECT_TRUE(SystemTimeToVariantTime(&fields, &date));
    return date;
}

std::wstring Take(BSTR text) {
    std::wstring result(Platform::BstrView(text));
    SysFreeString(text);
    return result;
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// The loaded item, holding the caller's reference.
struct Loaded {
    HRESULT hr = E_FAIL;
    std::wstring errorText;
    ILSPropertyMapPtr map;
    ILSMessageItemPtr message;

    LSMailItem* item() const { return static_cast<LSMailItem*>(map.GetInterfacePtr()); }
    const Host::PropertyValue* Value(ULONG tag) const { return item()->Find(Host::TagPropertyName(tag)); }
    std::wstring Text(ULONG tag) const {
        const auto* value = Value(tag);
        return value != nullptr && std::holds_alternative<std::wstring>(*value)
                   ? std::get<std::wstring>(*value)
                   : L"<no text>";
    }
    std::wstring MessageText(ULONG tag) const {
        BSTR text = nullptr;
        const HRESULT result = message->raw_GetPropertyText(tag, &text);
        return SUCCEEDED(result) ? Take(text) : L"<failed>";
    }
    std::wstring Keywords() const {
        BSTR text = nullptr;
        EXPECT_EQ(message->raw_get_Keywords(&text), S_OK);
        return Take(text);
    }
    std::wstring MessageClass() const {
        BSTR text = nullptr;
        EXPECT_EQ(message->raw_get_MessageClass(&text), S_OK);
        return Take(text);
    }
};

Loaded Load(const std::filesystem::path& path) {
    Loaded loaded;
    LSMailItem* item = nullptr;
    loaded.hr = Host::LoadMailItem(path.wstring(), &item, &loaded.errorText);
    if (item != nullptr) {
        loaded.map.Attach(item);
        EXPECT_EQ(loaded.map.QueryInterface(__uuidof(ILSMessageItem), &loaded.message), S_OK);
    }
    return loaded;
}

TEST(MailItem, MimeMailFillsPropertiesByTagAndTheMessageInterface) {
    const Loaded mail = Load(kMailDir / "plans.eml");
    ASSERT_EQ(mail.hr, S_OK) << mail.errorText;
    EXPECT_EQ(mail.Text(MailTag::Subject), L"Caf\u00e9 plans <draft> & notes");
    EXPECT_EQ(mail.Text(MailTag::SenderName), L"Ann Archer");
    EXPECT_EQ(mail.Text(MailTag::SenderAddress), L"ann@example.org");
    EXPECT_EQ(mail.Text(MailTag::DisplayTo), L"Bob Baker; carol@example.net");
    EXPECT_EQ(mail.Text(MailTag::DisplayCc), L"Dan Dorsey; Eve Evans");
    EXPECT_EQ(mail.Text(MailTag::DisplayBcc), L"frank@example.net");
    EXPECT_EQ(*mail.Value(MailTag::ClientSubmitTime),
              Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 5, 7, 8, 9)}));
    EXPECT_EQ(*mail.Value(MailTag::DeliveryTime),
              Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 5, 7, 10, 11)}));
    EXPECT_EQ(*mail.Value(MailTag::Priority), Host::PropertyValue(LONG{1}));
    EXPECT_EQ(*mail.Value(MailTag::Sensitivity), Host::PropertyValue(LONG{2}));
    EXPECT_EQ(*mail.Value(MailTag::HasAttachments), Host::PropertyValue(LONG{1}));
    EXPECT_EQ(mail.Value(MailTag::CreationTime), nullptr);
    const std::wstring headers = mail.Text(MailTag::TransportHeaders);
    EXPECT_EQ(headers.rfind(L"Received: from mx.example.org", 0), 0u) << headers;
    EXPECT_TRUE(headers.ends_with(L"Content-Type: multipart/mixed; boundary=\"part-boundary\"\r\n"))
        << headers;

    EXPECT_EQ(mail.MessageText(MailTag::DisplayTo), L"Bob Baker; carol@example.net");
    EXPECT_EQ(mail.MessageText(MailTag::DisplayCc), L"Dan Dorsey; Eve Evans");
    EXPECT_EQ(mail.MessageText(MailTag::DisplayBcc), L"frank@example.net");
    EXPECT_EQ(mail.MessageText(MailTag::Subject), L"Caf\u00e9 plans <draft> & notes");
    BSTR none = nullptr;
    EXPECT_EQ(mail.message->raw_GetPropertyText(0x10900003, &none), MAPI_E_NOT_FOUND);
    EXPECT_EQ(mail.Keywords(), L"Red\tBlue\tGreen");
    EXPECT_EQ(mail.MessageClass(), L"IPM.Note");
    ULONG tag = 0;
    EXPECT_EQ(mail.message->raw_GetCommonNamedPropertyTag(0x8502, &tag), MAPI_E_NOT_FOUND);
    EXPECT_EQ(mail.message->raw_GetTaskNamedPropertyTag(0x8104, &tag), MAPI_E_NOT_FOUND);
}

TEST(MailItem, EveryMimeExtensionIsReadWithoutRegardToCase) {
    TestSupport::TempDirectory directory;
    std::ifstream source(kMailDir / "plans.eml", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    for (const char* name : {"plans.mim", "plans.MME", "plans.Eml"}) {
        WriteFile(directory.path() / name, content);
        const Loaded mail = Load(directory.path() / name);
        ASSERT_EQ(mail.hr, S_OK) << name << ": " << Platform::WideToUtf8(mail.errorText);
        EXPECT_EQ(mail.Text(MailTag::SenderName), L"Ann Archer") << name;
    }
}

TEST(MailItem, QueryInterfaceAnswersOneObjectWithOneReferenceCount) {
    const Loaded mail = Load(kMailDir / "plans.eml");
    ASSERT_EQ(mail.hr, S_OK);
    IUnknown* fromMap = nullptr;
    IUnknown* fromMessage = nullptr;
    ASSERT_EQ(mail.map->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&fromMap)), S_OK);
    ASSERT_EQ(mail.message->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&fromMessage)), S_OK);
    EXPECT_EQ(fromMap, fromMessage);
    for (const IID& iid : {__uuidof(IDispatch), __uuidof(ILSPropertyMap), __uuidof(ILSMessageItem)}) {
        void* viaMap = nullptr;
        void* viaMessage = nullptr;
        EXPECT_EQ(mail.map->QueryInterface(iid, &viaMap), S_OK);
        EXPECT_EQ(mail.message->QueryInterface(iid, &viaMessage), S_OK);
        EXPECT_EQ(viaMap, viaMessage);
        static_cast<IUnknown*>(viaMap)->Release();
        static_cast<IUnknown*>(viaMessage)->Release();
    }
    // map and message smart pointers plus the two IUnknown references: four.
    EXPECT_EQ(fromMessage->AddRef(), 5u);
    EXPECT_EQ(fromMap->Release(), 4u);
    fromMap->Release();
    fromMessage->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(mail.message->QueryInterface(__uuidof(IErrorInfo), &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

struct SmimeCase {
    const char* name;
    const char* contentType;
    const char* secondPartType;
    const wchar_t* messageClass;
};

class MimeMessageClass : public testing::TestWithParam<SmimeCase> {};

TEST_P(MimeMessageClass, FollowsTheSmimeStructure) {
    const SmimeCase& c = GetParam();
    TestSupport::TempDirectory directory;
    const auto path = directory.path() / "mail.eml";
    WriteFile(path, std::string("From: ann@example.org\r\nDate: Wed, 6 Mar 2024 10:00:00 +0000\r\n"
                                "MIME-Version: 1.0\r\nContent-Type: ") +
                        c.contentType +
                        "; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nText\r\n--b\r\n" +
                        "Content-Type: " + c.secondPartType + "\r\n\r\nAAAA\r\n--b--\r\n");
    const Loaded mail = Load(path);
    ASSERT_EQ(mail.hr, S_OK);
    EXPECT_EQ(mail.MessageClass(), c.messageClass);
    EXPECT_EQ(mail.Text(MailTag::MessageClass), c.messageClass);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MimeMessageClass,
    testing::Values(SmimeCase{"SignedPkcs7", "multipart/signed; protocol=\"application/pkcs7-signature\"",
                              "application/pkcs7-signature", L"IPM.Note.SMIME"},
                    SmimeCase{"SignedXPkcs7", "multipart/signed; protocol=\"application/x-pkcs7-signature\"",
                              "application/x-pkcs7-signature", L"IPM.Note.SMIME"},
                    SmimeCase{"Envelope", "application/pkcs7-mime; smime-type=enveloped-data", "text/plain",
                              L"IPM.Note.SMIME"},
                    SmimeCase{"XEnvelope", "application/x-pkcs7-mime; smime-type=signed-data", "text/plain",
                              L"IPM.Note.SMIME"},
                    SmimeCase{"SignedPgp", "multipart/signed; protocol=\"application/pgp-signature\"",
                              "application/pgp-signature", L"IPM.Note"},
                    SmimeCase{"Mixed", "multipart/mixed", "application/pkcs7-signature", L"IPM.Note"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailItem, SignedMailIsSmimeAndItsSignatureIsNoAttachment) {
    const Loaded mail = Load(kMailDir / "signed.eml");
    ASSERT_EQ(mail.hr, S_OK) << mail.errorText;
    EXPECT_EQ(mail.MessageClass(), L"IPM.Note.SMIME");
    EXPECT_EQ(*mail.Value(MailTag::HasAttachments), Host::PropertyValue(LONG{0}));
    EXPECT_EQ(mail.Text(MailTag::Subject), L"Signed budget");
    EXPECT_EQ(mail.Keywords(), L"");
    EXPECT_EQ(mail.MessageText(MailTag::DisplayCc), L"");
}

// A message with every kind of property the reader takes, recipients of each kind, an attachment
// and named properties of the common, task, MAPI and public-strings sets.
TestMail::MsgBuilder SampleMessage() {
    TestMail::MsgBuilder msg;
    msg.Text(MailTag::Subject, L"Quarterly figures <final> & notes \U0001F4C8");
    msg.Text(MailTag::SenderName, L"Ann Archer");
    msg.Text(MailTag::SenderAddress, L"ann@example.org");
    msg.Text(MailTag::MessageClass, L"IPM.Note");
    msg.Text(MailTag::TransportHeaders,
             L"Received: by inbox.example.net; Tue, 5 Mar 2024 07:10:11 +0000\r\n");
    msg.Value(MailTag::ClientSubmitTime, TestMail::FileTimeOf(2024, 3, 5, 7, 8, 9));
    msg.Value(MailTag::DeliveryTime, TestMail::FileTimeOf(2024, 3, 5, 7, 10, 11));
    msg.Value(MailTag::CreationTime, TestMail::FileTimeOf(2024, 3, 5, 7, 12, 0));
    msg.Value(MailTag::Priority, 0xFFFFFFFF);
    msg.Value(MailTag::Sensitivity, 3);
    msg.Value(0x10800003, 0x105);  // icon index
    msg.Value(0x10900003, 2);      // flag status
    msg.Value(0x0C17000B, 0x0001); // reply requested
    msg.Recipient(1, L"Bob Baker", L"bob@example.net");
    msg.Recipient(2, L"", L"carol@example.net");
    msg.Recipient(1, L"Dan Dorsey", L"dan@example.net");
    msg.Recipient(3, L"Frank Foster", L"frank@example.net");
    msg.Attachment(L"figures.xlsx");

    const WORD reminder = msg.NamedNumeric(kPsetidCommon, 0x8502);
    msg.Value(ULONG{reminder} << 16 | 0x0040, TestMail::FileTimeOf(2024, 3, 6, 9, 0, 0));
    const WORD taskDue = msg.NamedNumeric(kPsetidTask, 0x8104);
    msg.Value(ULONG{taskDue} << 16 | 0x0040, TestMail::FileTimeOf(2024, 3, 8, 17, 30, 0));
    const WORD keywords = msg.NamedString(kPsPublicStrings, L"Keywords");
    msg.MultiText(ULONG{keywords} << 16 | 0x101F, {L"Red", L"Blue"});
    const WORD contacts = msg.NamedNumeric(kPsetidCommon, 0x8530);
    msg.Text(ULONG{contacts} << 16 | 0x001F, L"Follow up");
    msg.NamedNumeric(kPsetidCommon, 0x8560); // mapped, but the message holds no value
    const WORD mapiNumber = msg.NamedNumeric(kPsMapi, 0x8104);
    msg.Value(ULONG{mapiNumber} << 16 | 0x0003, 7);
    return msg;
}

Loaded WriteAndLoad(const TestMail::CompoundStorage& message, const TestSupport::TempDirectory& directory) {
    const auto path = directory.path() / "mail.msg";
    TestMail::WriteCompoundFile(path, message);
    return Load(path);
}

TEST(MailItem, MsgFileFillsPropertiesByTagAndTheMessageInterface) {
    TestSupport::TempDirectory directory;
    const Loaded mail = WriteAndLoad(SampleMessage().Build(), directory);
    ASSERT_EQ(mail.hr, S_OK) << Platform::WideToUtf8(mail.errorText);
    EXPECT_EQ(mail.Text(MailTag::Subject), L"Quarterly figures <final> & notes \U0001F4C8");
    EXPECT_EQ(mail.Text(MailTag::SenderName), L"Ann Archer");
    EXPECT_EQ(mail.Text(MailTag::SenderAddress), L"ann@example.org");
    EXPECT_EQ(mail.Text(MailTag::DisplayTo), L"Bob Baker; Dan Dorsey");
    EXPECT_EQ(mail.Text(MailTag::DisplayCc), L"carol@example.net");
    EXPECT_EQ(mail.Text(MailTag::DisplayBcc), L"Frank Foster");
    EXPECT_EQ(mail.Text(MailTag::TransportHeaders),
              L"Received: by inbox.example.net; Tue, 5 Mar 2024 07:10:11 +0000\r\n");
    EXPECT_EQ(*mail.Value(MailTag::ClientSubmitTime),
              Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 5, 7, 8, 9)}));
    EXPECT_EQ(*mail.Value(MailTag::DeliveryTime),
              Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 5, 7, 10, 11)}));
    EXPECT_EQ(*mail.Value(MailTag::CreationTime),
              Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 5, 7, 12, 0)}));
    EXPECT_EQ(*mail.Value(MailTag::Priority), Host::PropertyValue(LONG{-1}));
    EXPECT_EQ(*mail.Value(MailTag::Sensitivity), Host::PropertyValue(LONG{3}));
    EXPECT_EQ(*mail.Value(0x10800003), Host::PropertyValue(LONG{0x105}));
    EXPECT_EQ(*mail.Value(0x10900003), Host::PropertyValue(LONG{2}));
    EXPECT_EQ(*mail.Value(0x0C17000B), Host::PropertyValue(LONG{1}));
    EXPECT_EQ(*mail.Value(MailTag::HasAttachments), Host::PropertyValue(LONG{1}));

    EXPECT_EQ(mail.MessageText(MailTag::DisplayTo), L"Bob Baker; Dan Dorsey");
    EXPECT_EQ(mail.MessageText(MailTag::DisplayCc), L"carol@example.net");
    EXPECT_EQ(mail.MessageText(MailTag::DisplayBcc), L"Frank Foster");
    EXPECT_EQ(mail.Keywords(), L"Red\tBlue");
    EXPECT_EQ(mail.MessageClass(), L"IPM.Note");
}

TEST(MailItem, MsgNamedPropertiesOfBothSetsResolveToTheStoredTags) {
    TestSupport::TempDirectory directory;
    const Loaded mail = WriteAndLoad(SampleMessage().Build(), directory);
    ASSERT_EQ(mail.hr, S_OK) << Platform::WideToUtf8(mail.errorText);
    struct Case {
        bool task;
        LONG id;
        HRESULT hr;
        ULONG tag;
    };
    for (const Case& c :
         {Case{false, 0x8502, S_OK, 0x80000040}, Case{true, 0x8104, S_OK, 0x80010040},
          Case{false, 0x8530, S_OK, 0x8003001F}, Case{false, 0x8560, MAPI_E_NOT_FOUND, 0},
          Case{true, 0x8502, MAPI_E_NOT_FOUND, 0}, Case{false, 0x8104, MAPI_E_NOT_FOUND, 0}}) {
        ULONG tag = 0;
        const HRESULT hr = c.task ? mail.message->raw_GetTaskNamedPropertyTag(c.id, &tag)
                                  : mail.message->raw_GetCommonNamedPropertyTag(c.id, &tag);
        EXPECT_EQ(hr, c.hr) << std::hex << c.id;
        EXPECT_EQ(tag, c.tag) << std::hex << c.id;
    }
    EXPECT_EQ(*mail.Value(0x80000040), Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 6, 9, 0, 0)}));
    EXPECT_EQ(*mail.Value(0x80010040), Host::PropertyValue(Host::DateValue{DateOf(2024, 3, 8, 17, 30, 0)}));
    EXPECT_EQ(mail.Text(0x8003001F), L"Follow up");
}

TEST(MailItem, MsgWithoutOptionalPartsTakesDefaults) {
    TestSupport::TempDirectory directory;
    TestMail::MsgBuilder msg;
    msg.Text(MailTag::Subject, L"Bare");
    const Loaded mail = WriteAndLoad(msg.Build(), directory);
    ASSERT_EQ(mail.hr, S_OK) << Platform::WideToUtf8(mail.errorText);
    EXPECT_EQ(mail.MessageClass(), L"IPM.Note");
    EXPECT_EQ(mail.Text(MailTag::MessageClass), L"IPM.Note");
    EXPECT_EQ(*mail.Value(MailTag::HasAttachments), Host::PropertyValue(LONG{0}));
    EXPECT_EQ(mail.MessageText(MailTag::DisplayTo), L"");
    EXPECT_EQ(mail.Keywords(), L"");
    ULONG tag = 0;
    EXPECT_EQ(mail.message->raw_GetCommonNamedPropertyTag(0x8502, &tag), MAPI_E_NOT_FOUND);
}

struct InvalidCase {
    const char* name;
    const char* file;
    // Writes the file into the directory; none leaves the path missing.
    std::function<void(const std::filesystem::path&)> write;
    HRESULT hr;
    const char* reason;
};

class InvalidMailFile : public testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidMailFile, IsRefusedWithAnHresultAndAReason) {
    const InvalidCase& c = GetParam();
    TestSupport::TempDirectory directory;
    const auto path = directory.path() / c.file;
    if (c.write) {
        c.write(path);
    }
    LSMailItem* item = reinterpret_cast<LSMailItem*>(1);
    std::wstring errorText;
    EXPECT_EQ(Host::LoadMailItem(path.wstring(), &item, &errorText), c.hr);
    EXPECT_EQ(item, nullptr);
    const std::string text = Platform::WideToUtf8(errorText);
    EXPECT_EQ(text.rfind(path.string() + ": ", 0), 0u) << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvalidMailFile,
    testing::Values(InvalidCase{"PlainText", "notes.eml",
                                [](const auto& p) { WriteFile(p, "just a few words\r\nand more\r\n"); },
                                kNotAMail, "not a MIME mail"},
                    InvalidCase{"HeadersOfNoMail", "note.eml",
                                [](const auto& p) { WriteFile(p, "Note: hi\r\n\r\nText\r\n"); }, kNotAMail,
                                "no From or Date header"},
                    InvalidCase{"Empty", "empty.eml", [](const auto& p) { WriteFile(p, ""); }, kNotAMail,
                                "not a MIME mail"},
                    InvalidCase{"BinaryMsg", "binary.msg",
                                [](const auto& p) { WriteFile(p, std::string(2048, '\x7f')); }, kNotAMail,
                                "not a compound file"},
                    InvalidCase{"CompoundFileWithoutProperties", "document.msg",
                                [](const auto& p) {
                                    TestMail::WriteCompoundFile(p, {{{"WordDocument", {1, 2, 3}}}, {}});
                                },
                                kNotAMail, "no property stream"},
                    InvalidCase{"OtherExtension", "mail.txt",
                                [](const auto& p) { WriteFile(p, "From: a@example.org\r\n\r\n"); },
                                E_INVALIDARG, "not a mail file name"},
                    InvalidCase{"Missing", "missing.eml", nullptr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                                "cannot be read"},
                    InvalidCase{"Directory", "folder.msg",
                                [](const auto& p) { std::filesystem::create_directory(p); },
                                HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), "directory"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DamageCase {
    const char* name;
    std::function<void(TestMail::CompoundStorage&)> damage;
};

class DamagedMsgFile : public testing::TestWithParam<DamageCase> {};

void Put32(TestMail::Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
    }
}

TestMail::Bytes& NameIdStream(TestMail::CompoundStorage& message, ULONG tag) {
    return message.storages.at("__nameid_version1.0").streams.at(TestMail::PropertyStreamName(tag));
}

TEST_P(DamagedMsgFile, IsRefusedAsDamaged) {
    TestSupport::TempDirectory directory;
    TestMail::CompoundStorage message = SampleMessage().Build();
    GetParam().damage(message);
    const Loaded mail = WriteAndLoad(message, directory);
    EXPECT_EQ(mail.hr, kNotAMail);
    EXPECT_EQ(mail.map, nullptr);
    EXPECT_NE(mail.errorText.find(L"damaged"), std::wstring::npos) << Platform::WideToUtf8(mail.errorText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedMsgFile,
    testing::Values(
        DamageCase{"PropertyStreamOfPartialEntries",
                   [](auto& m) { m.streams.at("__properties_version1.0").resize(32 + 16 * 2 + 10); }},
        DamageCase{"PropertyStreamShorterThanItsHeader",
                   [](auto& m) { m.streams.at("__properties_version1.0").resize(20); }},
        DamageCase{"RecipientThatIsAStream",
                   [](auto& m) {
                       m.storages.erase("__recip_version1.0_#00000001");
                       m.streams["__recip_version1.0_#00000001"] = {1};
                   }},
        DamageCase{"RecipientWithoutPropertyStream",
                   [](auto& m) {
                       m.storages.at("__recip_version1.0_#00000000").streams.erase("__properties_version1.0");
                   }},
        DamageCase{"UnknownPropertySet", [](auto& m) { Put32(NameIdStream(m, 0x00030102), 4, 9 << 1); }},
        DamageCase{"GuidStreamOfPartialGuids", [](auto& m) { NameIdStream(m, 0x00020102).resize(20); }},
        DamageCase{"EntryStreamOfPartialEntries", [](auto& m) { NameIdStream(m, 0x00030102).resize(13); }},
        DamageCase{"NameOutsideTheNameStream",
                   [](auto& m) { Put32(NameIdStream(m, 0x00030102), 2 * 8, 1000); }},
        DamageCase{"NameLongerThanTheNameStream",
                   [](auto& m) { Put32(NameIdStream(m, 0x00040102), 0, 4000); }},
        DamageCase{"MissingKeywordValue",
                   [](auto& m) { m.streams.erase(TestMail::PropertyStreamName(0x8002101F) + "-00000001"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailItem, TruncatedMsgFileIsRefusedAtEveryLength) {
    TestSupport::TempDirectory directory;
    const auto whole = directory.path() / "whole.msg";
    TestMail::WriteCompoundFile(whole, SampleMessage().Build());
    std::ifstream source(whole, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    ASSERT_GT(content.size(), 2048u);
    for (std::size_t length = 0; length < content.size(); length += 512) {
        const auto path = directory.path() / "cut.msg";
        WriteFile(path, content.substr(0, length));
        const Loaded mail = Load(path);
        EXPECT_EQ(mail.hr, kNotAMail) << "cut at " << length;
        EXPECT_FALSE(mail.errorText.empty());
    }
}

} // namespace
