// Outlook message files (.msg): a compound file whose property streams are named by MAPI tag,
// read through libgsf. Every length the file states is checked against the stream it describes,
// and no stream larger than the file is read.
#include "Host/GObjectRef.h"
#include "Host/MailReaders.h"
#include "Platform/ComText.h"
#include "Platform/Utf.h"
#include "Platform/WinBase.h"

#include <gsf/gsf.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

namespace Host {

namespace {

using Bytes = std::vector<guint8>;

constexpr GUID kPsMapi = Platform::GuidFromText("00020328-0000-0000-C000-000000000046");
constexpr GUID kPsPublicStrings = Platform::GuidFromText("00020329-0000-0000-C000-000000000046");
constexpr GUID kPsetidCommon = Platform::GuidFromText("00062008-0000-0000-C000-000000000046");
constexpr GUID kPsetidTask = Platform::GuidFromText("00062003-0000-0000-C000-000000000046");

constexpr const char* kPropertiesStream = "__properties_version1.0";
constexpr const char* kStreamPrefix = "__substg1.0_";
constexpr const char* kRecipientPrefix = "__recip_version1.0_#";
constexpr const char* kAttachmentPrefix = "__attach_version1.0_#";
constexpr const char* kNameIdStorage = "__nameid_version1.0";
// The fixed part before the property entries: the message's own, a recipient's or attachment's.
constexpr std::size_t kMessageHeaderSize = 32;
constexpr std::size_t kSubStorageHeaderSize = 8;
constexpr std::size_t kPropertyEntrySize = 16;
constexpr std::size_t kNameIdEntrySize = 8;
constexpr std::size_t kGuidSize = 16;

constexpr WORD kTypeLong = 0x0003;
constexpr WORD kTypeBoolean = 0x000B;
constexpr WORD kTypeTime = 0x0040;
constexpr WORD kTypeString8 = 0x001E;
constexpr WORD kTypeUnicode = 0x001F;
constexpr WORD kTypeMultiUnicode = 0x101F;

constexpr ULONG kRecipientType = 0x0C150003;
constexpr WORD kRecipientDisplayName = 0x3001;
constexpr WORD kRecipientAddress = 0x3003;

WORD TypeOf(ULONG tag) {
    return static_cast<WORD>(tag & 0xFFFF);
}
WORD IdOf(ULONG tag) {
    return static_cast<WORD>(tag >> 16);
}
ULONG TagOf(WORD id, WORD type) {
    return (ULONG{id} << 16) | type;
}

[[noreturn]] void Corrupt(const std::string& what) {
    throw MailFileError(kNotAMail, "the message file is damaged: " + what);
}

std::uint32_t Little32(const guint8* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}
std::uint64_t Little64(const guint8* bytes) {
    return std::uint64_t{Little32(bytes)} | std::uint64_t{Little32(bytes + 4)} << 32;
}

GUID GuidAt(const guint8* bytes) {
    GUID guid{Little32(bytes),
              static_cast<WORD>(bytes[4] | bytes[5] << 8),
              static_cast<WORD>(bytes[6] | bytes[7] << 8),
              {}};
    std::copy(bytes + 8, bytes + 16, guid.Data4);
    return guid;
}

// UTF-16LE up to the first NUL; an unpaired surrogate becomes U+FFFD.
std::wstring FromUtf16(const guint8* bytes, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char32_t unit = bytes[i] | bytes[i + 1] << 8;
        if (unit == 0) {
            break;
        }
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < size) {
            const char32_t low = bytes[i + 2] | bytes[i + 3] << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        text.push_back(unit >= 0xD800 && unit < 0xE000 ? L'\uFFFD' : static_cast<wchar_t>(unit));
    }
    return text;
}

// 8-bit text up to the first NUL: UTF-8 when it is valid, else one character per byte.
std::wstring FromString8(const Bytes& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), guint8{0});
    const std::string text(bytes.begin(), end);
    if (auto utf8 = Platform::Utf8ToWideExact(text)) {
        return *utf8;
    }
    return std::wstring(bytes.begin(), end);
}

std::optional<ULONG> TagOfStreamName(const char* name) {
    const std::string_view text(name);
    const std::string_view prefix(kStreamPrefix);
    if (text.size() != prefix.size() + 8 || text.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    ULONG tag = 0;
    for (const char digit : text.substr(prefix.size())) {
        if (!g_ascii_isxdigit(digit)) {
            return std::nullopt;
        }
        tag = tag << 4 | static_cast<ULONG>(g_ascii_xdigit_value(digit));
    }
    return tag;
}

std::string StreamName(ULONG tag) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%08X", kStreamPrefix, static_cast<unsigned>(tag));
    return name;
}

bool StartsWith(const char* name, const char* prefix) {
    return g_str_has_prefix(name, prefix);
}

bool IsStorage(GsfInput* child) {
    return GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
}

// The properties of one storage: the message, a recipient.
struct StorageProperties {
    std::map<ULONG, std::wstring> texts;
    // Fixed-size values by tag, as the eight bytes of their entry.
    std::map<ULONG, std::uint64_t> values;
    // Every tag the storage holds, by property id.
    std::map<WORD, ULONG> tags;

    const std::wstring* Text(WORD id) const {
        for (const WORD type : {kTypeUnicode, kTypeString8}) {
            const auto found = texts.find(TagOf(id, type));
            if (found != texts.end()) {
                return &found->second;
            }
        }
        return nullptr;
    }
};

class MsgReader {
public:
    explicit MsgReader(std::uint64_t fileSize) : fileSize_(fileSize) {}

    // The named stream's content; nothing when the storage has no such stream.
    std::optional<Bytes> ReadStream(GsfInfile* storage, const std::string& name) const {
        GObjectRef<GsfInput> stream(gsf_infile_child_by_name(storage, name.c_str()));
        if (stream == nullptr || IsStorage(stream.get())) {
            return std::nullopt;
        }
        return ReadAll(stream.get(), name);
    }

    StorageProperties ReadProperties(GsfInfile* storage, std::size_t headerSize) const {
        const std::optional<Bytes> entries = ReadStream(storage, kPropertiesStream);
        if (!entries) {
            Corrupt(std::string(gsf_input_name(GSF_INPUT(storage))) + " has no property stream");
        }
        if (entries->size() < headerSize || (entries->size() - headerSize) % kPropertyEntrySize != 0) {
            Corrupt("the property stream has a size of " + std::to_string(entries->size()));
        }
        StorageProperties properties;
        for (std::size_t at = headerSize; at < entries->size(); at += kPropertyEntrySize) {
            const ULONG tag = Little32(entries->data() + at);
            properties.tags[IdOf(tag)] = tag;
            properties.values[tag] = Little64(entries->data() + at + 8);
        }
        for (int i = 0; i < gsf_infile_num_children(storage); ++i) {
            const std::optional<ULONG> tag = TagOfStreamName(gsf_infile_name_by_index(storage, i));
            if (!tag) {
                continue;
            }
            properties.tags[IdOf(*tag)] = *tag;
            if (TypeOf(*tag) == kTypeUnicode || TypeOf(*tag) == kTypeString8) {
                GObjectRef<GsfInput> stream(gsf_infile_child_by_index(storage, i));
                const Bytes content = ReadAll(stream.get(), StreamName(*tag));
                properties.texts[*tag] = TypeOf(*tag) == kTypeUnicode
                                             ? FromUtf16(content.data(), content.size())
                                             : FromString8(content);
            }
        }
        return properties;
    }

    // The children of the storage whose names start with prefix, in name order.
    std::vector<GObjectRef<GsfInfile>> SubStorages(GsfInfile* storage, const char* prefix) const {
        std::vector<std::pair<std::string, GObjectRef<GsfInfile>>> found;
        for (int i = 0; i < gsf_infile_num_children(storage); ++i) {
            const char* name = gsf_infile_name_by_index(storage, i);
            if (!StartsWith(name, prefix)) {
                continue;
            }
            GsfInput* child = gsf_infile_child_by_index(storage, i);
            if (child == nullptr || !IsStorage(child)) {
                if (child != nullptr) {
                    g_object_unref(child);
                }
                Corrupt(std::string(name) + " is not a storage");
            }
            found.emplace_back(name, GObjectRef<GsfInfile>(GSF_INFILE(child)));
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<GObjectRef<GsfInfile>> storages;
        for (auto& [name, child] : found) {
            storages.push_back(std::move(child));
        }
        return storages;
    }

private:
    Bytes ReadAll(GsfInput* stream, const std::string& name) const {
        const gsf_off_t size = gsf_input_size(stream);
        if (size < 0 || static_cast<std::uint64_t>(size) > fileSize_) {
            Corrupt(name + " claims " + std::to_string(size) + " bytes in a file of " +
                    std::to_string(fileSize_));
        }
        Bytes content(static_cast<std::size_t>(size));
        if (!content.empty() && gsf_input_read(stream, content.size(), content.data()) == nullptr) {
            Corrupt(name + " cannot be read");
        }
        return content;
    }

    std::uint64_t fileSize_;
};

void InitializeGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// Numbers, flags and times of the message by tag; other fixed-size types are not kept.
void SetFixedValues(const StorageProperties& message, LSMailItem& item) {
    for (const auto& [tag, value] : message.values) {
        switch (TypeOf(tag)) {
        case kTypeLong:
            item.Set(TagPropertyName(tag), static_cast<LONG>(static_cast<std::uint32_t>(value)));
            break;
        case kTypeBoolean:
            item.Set(TagPropertyName(tag), LONG{(value & 0xFFFF) != 0 ? 1 : 0});
            break;
        case kTypeTime: {
            const FILETIME fileTime{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
            SYSTEMTIME fields{};
            DATE date = 0;
            if (FileTimeToSystemTime(&fileTime, &fields) && SystemTimeToVariantTime(&fields, &date)) {
                item.Set(TagPropertyName(tag), DateValue{date});
            }
            break;
        }
        default:
            break;
        }
    }
}

void ReadRecipients(const MsgReader& reader, GsfInfile* root, MailMessage& mail) {
    std::vector<std::wstring> lists[3];
    for (const auto& recipient : reader.SubStorages(root, kRecipientPrefix)) {
        const StorageProperties properties = reader.ReadProperties(recipient.get(), kSubStorageHeaderSize);
        const auto type = properties.values.find(kRecipientType);
        const std::uint64_t kind = type == properties.values.end() ? 0 : type->second & 0xFFFFFFFF;
        const std::wstring* name = properties.Text(kRecipientDisplayName);
        if (name == nullptr || name->empty()) {
            name = properties.Text(kRecipientAddress);
        }
        if (kind >= 1 && kind <= 3 && name != nullptr && !name->empty()) {
            lists[kind - 1].push_back(*name);
        }
    }
    std::wstring* targets[3] = {&mail.to, &mail.cc, &mail.bcc};
    for (int kind = 0; kind < 3; ++kind) {
        for (const auto& name : lists[kind]) {
            *targets[kind] += (targets[kind]->empty() ? L"" : L"; ") + name;
        }
    }
}

// A multi-valued string: its length stream gives the count, one stream per value.
std::wstring MultiStringJoined(const MsgReader& reader, GsfInfile* root, ULONG tag,
                               const std::wstring& separator) {
    const std::optional<Bytes> lengths = reader.ReadStream(root, StreamName(tag));
    if (!lengths || lengths->size() % 4 != 0) {
        Corrupt(StreamName(tag) + " is not a list of lengths");
    }
    std::wstring joined;
    for (std::size_t i = 0; i < lengths->size() / 4; ++i) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%08X", static_cast<unsigned>(i));
        const std::optional<Bytes> value = reader.ReadStream(root, StreamName(tag) + suffix);
        if (!value) {
            Corrupt(StreamName(tag) + suffix + " is missing");
        }
        joined += (i == 0 ? L"" : separator) + FromUtf16(value->data(), value->size());
    }
    return joined;
}

// The name-to-id mapping: numeric names of the common and task sets, and the string name
// "Keywords" of the public strings, each to the property id the message uses.
void ReadNamedProperties(const MsgReader& reader, GsfInfile* root, const StorageProperties& message,
                         MailMessage& mail) {
    GObjectRef<GsfInput> child(gsf_infile_child_by_name(root, kNameIdStorage));
    if (child == nullptr) {
        return;
    }
    if (!IsStorage(child.get())) {
        Corrupt(std::string(kNameIdStorage) + " is not a storage");
    }
    auto* nameId = GSF_INFILE(child.get());
    const Bytes guids = reader.ReadStream(nameId, StreamName(0x00020102)).value_or(Bytes{});
    const Bytes entries = reader.ReadStream(nameId, StreamName(0x00030102)).value_or(Bytes{});
    const Bytes strings = reader.ReadStream(nameId, StreamName(0x00040102)).value_or(Bytes{});
    if (guids.size() % kGuidSize != 0 || entries.size() % kNameIdEntrySize != 0) {
        Corrupt("the named-property mapping has streams of the wrong size");
    }
    if (entries.size() / kNameIdEntrySize > 0x7FFF) {
        Corrupt("the named-property mapping has more entries than property ids");
    }
    for (std::size_t index = 0; index < entries.size() / kNameIdEntrySize; ++index) {
        const guint8* entry = entries.data() + index * kNameIdEntrySize;
        const std::uint32_t nameOrOffset = Little32(entry);
        const std::uint32_t indexAndKind = Little32(entry + 4);
        const std::uint32_t guidIndex = (indexAndKind >> 1) & 0x7FFF;
        GUID set{};
        if (guidIndex == 1) {
            set = kPsMapi;
        } else if (guidIndex == 2) {
            set = kPsPublicStrings;
        } else if (guidIndex >= 3 && guidIndex - 3 < guids.size() / kGuidSize) {
            set = GuidAt(guids.data() + (guidIndex - 3) * kGuidSize);
        } else {
            Corrupt("a named property refers to property set " + std::to_string(guidIndex));
        }
        const auto id = static_cast<WORD>(0x8000 + index);
        const auto stored = message.tags.find(id);
        if (stored == message.tags.end()) {
            continue;
        }
        if ((indexAndKind & 1) == 0) {
            if (set == kPsetidCommon) {
                mail.commonNamedTags[static_cast<LONG>(nameOrOffset)] = stored->second;
            } else if (set == kPsetidTask) {
                mail.taskNamedTags[static_cast<LONG>(nameOrOffset)] = stored->second;
            }
            continue;
        }
        if (nameOrOffset > strings.size() || strings.size() - nameOrOffset < 4 ||
            strings.size() - nameOrOffset - 4 < Little32(strings.data() + nameOrOffset)) {
            Corrupt("a property name lies outside the name stream");
        }
        const std::wstring name =
            FromUtf16(strings.data() + nameOrOffset + 4, Little32(strings.data() + nameOrOffset));
        if (set == kPsPublicStrings && Platform::EqualNoCase(name, L"Keywords")) {
            if (TypeOf(stored->second) == kTypeMultiUnicode) {
                mail.keywords = MultiStringJoined(reader, root, stored->second, L"\t");
            } else if (const std::wstring* text = message.Text(id)) {
                mail.keywords = *text;
            }
        }
    }
}

} // namespace

void ReadMsgMail(const std::string& path, std::uint64_t fileSize, LSMailItem& item) {
    InitializeGsf();
    GError* failure = nullptr;
    GObjectRef<GsfInput> input(gsf_input_stdio_new(path.c_str(), &failure));
    if (input == nullptr) {
        GErrorRef error(failure);
        throw MailFileError(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED),
                            std::string("the file cannot be opened: ") + (error ? error->message : ""));
    }
    GObjectRef<GsfInfile> root(gsf_infile_msole_new(input.get(), &failure));
    if (root == nullptr) {
        GErrorRef error(failure);
        throw MailFileError(kNotAMail, std::string("not a message file (not a compound file: ") +
                                           (error ? error->message : "") + ")");
    }
    if (GObjectRef<GsfInput> properties(gsf_infile_child_by_name(root.get(), kPropertiesStream));
        !properties) {
        throw MailFileError(kNotAMail, "not a message file (it has no property stream)");
    }
    const MsgReader reader(fileSize);
    const StorageProperties message = reader.ReadProperties(root.get(), kMessageHeaderSize);
    for (const auto& [tag, text] : message.texts) {
        item.Set(TagPropertyName(tag), text);
    }
    SetFixedValues(message, item);

    MailMessage& mail = item.Message();
    ReadRecipients(reader, root.get(), mail);
    for (const auto& [tag, list] :
         {std::pair{MailTag::DisplayTo, &mail.to}, std::pair{MailTag::DisplayCc, &mail.cc},
          std::pair{MailTag::DisplayBcc, &mail.bcc}}) {
        if (item.Find(TagPropertyName(tag)) == nullptr) {
            item.Set(TagPropertyName(tag), *list);
        }
    }
    if (item.Find(TagPropertyName(MailTag::HasAttachments)) == nullptr) {
        const bool attached = !reader.SubStorages(root.get(), kAttachmentPrefix).empty();
        item.Set(TagPropertyName(MailTag::HasAttachments), LONG{attached ? 1 : 0});
    }
    if (const std::wstring* messageClass = message.Text(IdOf(MailTag::MessageClass))) {
        mail.messageClass = *messageClass;
    } else {
        item.Set(TagPropertyName(MailTag::MessageClass), mail.messageClass);
    }
    ReadNamedProperties(reader, root.get(), message, mail);
}

} // namespace Host
