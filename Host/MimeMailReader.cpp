// MIME mails (.eml, .mim, .mme) through GMime.
#include "Host/GObjectRef.h"
#include "Host/MailReaders.h"
#include "Platform/Utf.h"

#include <gmime/gmime.h>

#include <fcntl.h>

#include <cstring>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace Host {

namespace {

void InitializeGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

std::wstring Wide(const char* utf8) {
    return utf8 == nullptr ? std::wstring{} : Platform::Utf8ToWide(utf8);
}

std::wstring Join(const std::vector<std::wstring>& parts, const std::wstring& separator) {
    std::wstring joined;
    for (const auto& part : parts) {
        joined += (joined.empty() ? L"" : separator) + part;
    }
    return joined;
}

// The display name, else the address, of every mailbox of the list, groups' members included.
void AppendMailboxes(InternetAddressList* list, std::vector<std::wstring>& names) {
    for (int i = 0; list != nullptr && i < internet_address_list_length(list); ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            AppendMailboxes(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), names);
            continue;
        }
        const char* name = internet_address_get_name(address);
        if (name != nullptr && *name != '\0') {
            names.push_back(Wide(name));
        } else if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            names.push_back(Wide(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address))));
        }
    }
}

std::wstring RecipientList(GMimeMessage* message, GMimeAddressType type) {
    std::vector<std::wstring> names;
    AppendMailboxes(g_mime_message_get_addresses(message, type), names);
    return Join(names, L"; ");
}

InternetAddressMailbox* FirstMailbox(InternetAddressList* list) {
    for (int i = 0; list != nullptr && i < internet_address_list_length(list); ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            return INTERNET_ADDRESS_MAILBOX(address);
        }
        if (InternetAddressMailbox* member =
                FirstMailbox(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)))) {
            return member;
        }
    }
    return nullptr;
}

void SetDate(LSMailItem& item, ULONG tag, GDateTime* time) {
    if (time == nullptr) {
        return;
    }
    GDateTime* utc = g_date_time_to_utc(time);
    SYSTEMTIME fields{};
    fields.wYear = static_cast<WORD>(g_date_time_get_year(utc));
    fields.wMonth = static_cast<WORD>(g_date_time_get_month(utc));
    fields.wDay = static_cast<WORD>(g_date_time_get_day_of_month(utc));
    fields.wHour = static_cast<WORD>(g_date_time_get_hour(utc));
    fields.wMinute = static_cast<WORD>(g_date_time_get_minute(utc));
    fields.wSecond = static_cast<WORD>(g_date_time_get_second(utc));
    g_date_time_unref(utc);
    DATE date = 0;
    if (SystemTimeToVariantTime(&fields, &date)) {
        item.Set(TagPropertyName(tag), DateValue{date});
    }
}

// The date of the topmost Received header, where the receiving server stamped its arrival.
void SetDeliveryTime(LSMailItem& item, GMimeObject* top) {
    const char* received = g_mime_object_get_header(top, "Received");
    const char* stamp = received == nullptr ? nullptr : std::strrchr(received, ';');
    if (stamp == nullptr) {
        return;
    }
    GDateTime* time = g_mime_utils_header_decode_date(stamp + 1);
    SetDate(item, MailTag::DeliveryTime, time);
    if (time != nullptr) {
        g_date_time_unref(time);
    }
}

// The number a header's value stands for, compared without regard to case.
std::optional<LONG> HeaderNumber(GMimeObject* top, const char* header,
                                 std::initializer_list<std::pair<const char*, LONG>> values) {
    const char* value = g_mime_object_get_header(top, header);
    if (value == nullptr) {
        return std::nullopt;
    }
    GTextRef text(g_strstrip(g_strdup(value)));
    for (const auto& [name, number] : values) {
        if (g_ascii_strcasecmp(text.get(), name) == 0) {
            return number;
        }
    }
    return std::nullopt;
}

void SetPriorityAndSensitivity(LSMailItem& item, GMimeObject* top) {
    std::optional<LONG> priority =
        HeaderNumber(top, "Priority", {{"urgent", 1}, {"normal", 0}, {"non-urgent", -1}});
    if (!priority) {
        priority = HeaderNumber(top, "Importance", {{"high", 1}, {"normal", 0}, {"low", -1}});
    }
    if (priority) {
        item.Set(TagPropertyName(MailTag::Priority), *priority);
    }
    const std::optional<LONG> sensitivity = HeaderNumber(
        top, "Sensitivity", {{"normal", 0}, {"personal", 1}, {"private", 2}, {"company-confidential", 3}});
    if (sensitivity) {
        item.Set(TagPropertyName(MailTag::Sensitivity), *sensitivity);
    }
}

// The comma-separated categories of the Keywords header, TAB-separated.
std::wstring Keywords(GMimeObject* top) {
    const char* value = g_mime_object_get_header(top, "Keywords");
    if (value == nullptr) {
        return {};
    }
    std::vector<std::wstring> keywords;
    gchar** parts = g_strsplit(value, ",", -1);
    for (gchar** part = parts; *part != nullptr; ++part) {
        g_strstrip(*part);
        if (**part != '\0') {
            keywords.push_back(Wide(*part));
        }
    }
    g_strfreev(parts);
    return Join(keywords, L"\t");
}

bool IsType(GMimeObject* part, const char* type, std::initializer_list<const char*> subtypes) {
    GMimeContentType* contentType = g_mime_object_get_content_type(part);
    for (const char* subtype : subtypes) {
        if (contentType != nullptr && g_mime_content_type_is_type(contentType, type, subtype)) {
            return true;
        }
    }
    return false;
}

bool IsSmimeSignature(GMimeObject* part) {
    return IsType(part, "application", {"pkcs7-signature", "x-pkcs7-signature"});
}

bool IsSmimeEnvelope(GMimeObject* part) {
    return IsType(part, "application", {"pkcs7-mime", "x-pkcs7-mime"});
}

// Signed with an S/MIME signature, or an S/MIME envelope (encrypted or opaquely signed).
bool IsSmime(GMimeObject* top) {
    if (IsSmimeEnvelope(top)) {
        return true;
    }
    if (!GMIME_IS_MULTIPART_SIGNED(top)) {
        return false;
    }
    GMimeMultipart* signedPart = GMIME_MULTIPART(top);
    return g_mime_multipart_get_count(signedPart) > GMIME_MULTIPART_SIGNED_SIGNATURE &&
           IsSmimeSignature(g_mime_multipart_get_part(signedPart, GMIME_MULTIPART_SIGNED_SIGNATURE));
}

// A part the sender attached; the S/MIME signature and envelope are not attachments.
void NoteAttachment(GMimeObject*, GMimeObject* part, gpointer found) {
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(part);
    if (disposition != nullptr && g_mime_content_disposition_is_attachment(disposition) &&
        !IsSmimeSignature(part) && !IsSmimeEnvelope(part)) {
        *static_cast<bool*>(found) = true;
    }
}

// The header block as the file holds it, without the blank line that ends it.
std::wstring RawHeaders(GMimeStream* stream, gint64 end) {
    std::string raw(static_cast<std::size_t>(end), '\0');
    std::size_t read = 0;
    if (g_mime_stream_seek(stream, 0, GMIME_STREAM_SEEK_SET) != 0) {
        throw MailFileError(kNotAMail, "the MIME header block cannot be read again");
    }
    while (read < raw.size()) {
        const ssize_t got = g_mime_stream_read(stream, raw.data() + read, raw.size() - read);
        if (got <= 0) {
            throw MailFileError(kNotAMail, "the MIME header block cannot be read again");
        }
        read += static_cast<std::size_t>(got);
    }
    if (raw.ends_with("\r\n\r\n")) {
        raw.resize(raw.size() - 2);
    } else if (raw.ends_with("\n\n")) {
        raw.pop_back();
    }
    return Platform::Utf8ToWide(raw);
}

} // namespace

void ReadMimeMail(const std::string& path, LSMailItem& item) {
    InitializeGMime();
    GError* opened = nullptr;
    GObjectRef<GMimeStream> stream(g_mime_stream_fs_open(path.c_str(), O_RDONLY, 0, &opened));
    if (stream == nullptr) {
        GErrorRef error(opened);
        throw MailFileError(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED),
                            std::string("the file cannot be opened: ") + (error ? error->message : ""));
    }
    GObjectRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    GObjectRef<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (message == nullptr) {
        throw MailFileError(kNotAMail, "not a MIME mail (it cannot be parsed)");
    }
    auto* top = GMIME_OBJECT(message.get());
    if (g_mime_object_get_header(top, "From") == nullptr &&
        g_mime_object_get_header(top, "Date") == nullptr) {
        throw MailFileError(kNotAMail, "not a MIME mail (no From or Date header)");
    }
    const gint64 headersEnd = g_mime_parser_get_headers_end(parser.get());

    item.Set(TagPropertyName(MailTag::Subject), Wide(g_mime_message_get_subject(message.get())));
    if (InternetAddressMailbox* sender = FirstMailbox(g_mime_message_get_from(message.get()))) {
        const std::wstring address = Wide(internet_address_mailbox_get_addr(sender));
        const std::wstring name = Wide(internet_address_get_name(INTERNET_ADDRESS(sender)));
        item.Set(TagPropertyName(MailTag::SenderName), name.empty() ? address : name);
        item.Set(TagPropertyName(MailTag::SenderAddress), address);
    }
    MailMessage& mail = item.Message();
    mail.to = RecipientList(message.get(), GMIME_ADDRESS_TYPE_TO);
    mail.cc = RecipientList(message.get(), GMIME_ADDRESS_TYPE_CC);
    mail.bcc = RecipientList(message.get(), GMIME_ADDRESS_TYPE_BCC);
    item.Set(TagPropertyName(MailTag::DisplayTo), mail.to);
    item.Set(TagPropertyName(MailTag::DisplayCc), mail.cc);
    item.Set(TagPropertyName(MailTag::DisplayBcc), mail.bcc);
    SetDate(item, MailTag::ClientSubmitTime, g_mime_message_get_date(message.get()));
    SetDeliveryTime(item, top);
    SetPriorityAndSensitivity(item, top);
    mail.keywords = Keywords(top);

    GMimeObject* body = g_mime_message_get_mime_part(message.get());
    mail.messageClass = body != nullptr && IsSmime(body) ? L"IPM.Note.SMIME" : L"IPM.Note";
    bool attached = false;
    g_mime_message_foreach(message.get(), NoteAttachment, &attached);
    item.Set(TagPropertyName(MailTag::HasAttachments), LONG{attached ? 1 : 0});
    item.Set(TagPropertyName(MailTag::MessageClass), mail.messageClass);
    if (headersEnd > 0) {
        item.Set(TagPropertyName(MailTag::TransportHeaders), RawHeaders(stream.get(), headersEnd));
    }
}

} // namespace Host
