#include "tests/Host/MsgFileWriter.h"

#include "Platform/WinBase.h"

#include <gsf/gsf.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace TestMail {

namespace {

constexpr GUID kPsMapi = Platform::GuidFromText("00020328-0000-0000-C000-000000000046");
constexpr GUID kPsPublicStrings = Platform::GuidFromText("00020329-0000-0000-C000-000000000046");

void Append32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void Append64(Bytes& bytes, std::uint64_t value) {
    Append32(bytes, static_cast<std::uint32_t>(value));
    Append32(bytes, static_cast<std::uint32_t>(value >> 32));
}

Bytes Utf16(std::wstring_view text) {
    Bytes bytes;
    auto unit = [&](unsigned value) {
        bytes.push_back(static_cast<unsigned char>(value));
        bytes.push_back(static_cast<unsigned char>(value >> 8));
    };
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned>(c);
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return bytes;
}

void WriteStorage(GsfOutfile* target, const CompoundStorage& storage) {
    for (const auto& [name, content] : storage.streams) {
        GsfOutput* stream = gsf_outfile_new_child(target, name.c_str(), FALSE);
        if (!content.empty()) {
            gsf_output_write(stream, content.size(), content.data());
        }
        gsf_output_close(stream);
        g_object_unref(stream);
    }
    for (const auto& [name, child] : storage.storages) {
        GsfOutput* directory = gsf_outfile_new_child(target, name.c_str(), TRUE);
        WriteStorage(GSF_OUTFILE(directory), child);
        gsf_output_close(directory);
        g_object_unref(directory);
    }
}

std::string Numbered(const char* prefix, std::size_t number) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%08X", prefix, static_cast<unsigned>(number));
    return name;
}

} // namespace

void WriteCompoundFile(const std::filesystem::path& path, const CompoundStorage& root) {
    GError* error = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(path.c_str(), &error);
    if (sink == nullptr) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot write " + path.string() + ": " + message);
    }
    GsfOutfile* file = gsf_outfile_msole_new(sink);
    WriteStorage(file, root);
    gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    g_object_unref(sink);
}

std::string PropertyStreamName(ULONG tag) {
    return Numbered("__substg1.0_", tag);
}

std::uint64_t FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    const SYSTEMTIME fields{year, month, 0, day, hour, minute, second, 0};
    FILETIME time{};
    SystemTimeToFileTime(&fields, &time);
    return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

void MsgStorageBuilder::Text(ULONG tag, std::wstring_view text) {
    Bytes content = Utf16(text);
    entries_.emplace_back(tag, content.size() + 2);
    storage_.streams[PropertyStreamName(tag)] = std::move(content);
}

void MsgStorageBuilder::MultiText(ULONG tag, const std::vector<std::wstring>& values) {
    Bytes lengths;
    for (std::size_t i = 0; i < values.size(); ++i) {
        Bytes content = Utf16(values[i]);
        content.insert(content.end(), {0, 0});
        Append32(lengths, static_cast<std::uint32_t>(content.size()));
        storage_.streams[PropertyStreamName(tag) + Numbered("-", i)] = std::move(content);
    }
    entries_.emplace_back(tag, lengths.size());
    storage_.streams[PropertyStreamName(tag)] = std::move(lengths);
}

void MsgStorageBuilder::Value(ULONG tag, std::uint64_t value) {
    entries_.emplace_back(tag, value);
}

CompoundStorage MsgStorageBuilder::Build() const {
    Bytes properties(headerSize_, 0);
    for (const auto& [tag, value] : entries_) {
        Append32(properties, tag);
        Append32(properties, 0x6); // readable and writable
        Append64(properties, value);
    }
    CompoundStorage storage = storage_;
    storage.streams["__properties_version1.0"] = std::move(properties);
    return storage;
}

void MsgBuilder::Recipient(LONG type, std::wstring_view displayName, std::wstring_view address) {
    MsgStorageBuilder recipient(8);
    recipient.Value(0x0C150003, static_cast<std::uint32_t>(type));
    if (!displayName.empty()) {
        recipient.Text(0x3001001F, displayName);
    }
    recipient.Text(0x3003001F, address);
    recipients_.push_back(recipient.Build());
}

void MsgBuilder::Attachment(std::wstring_view fileName) {
    MsgStorageBuilder attachment(8);
    attachment.Text(0x3707001F, fileName);
    attachments_.push_back(attachment.Build());
}

ULONG MsgBuilder::GuidIndex(const GUID& set) {
    if (set == kPsMapi) {
        return 1;
    }
    if (set == kPsPublicStrings) {
        return 2;
    }
    Bytes bytes;
    Append32(bytes, set.Data1);
    bytes.insert(bytes.end(),
                 {static_cast<unsigned char>(set.Data2), static_cast<unsigned char>(set.Data2 >> 8),
                  static_cast<unsigned char>(set.Data3), static_cast<unsigned char>(set.Data3 >> 8)});
    bytes.insert(bytes.end(), set.Data4, set.Data4 + 8);
    std::size_t at = 0;
    while (at < guids_.size() && !std::equal(bytes.begin(), bytes.end(), guids_.begin() + at)) {
        at += 16;
    }
    if (at == guids_.size()) {
        guids_.insert(guids_.end(), bytes.begin(), bytes.end());
    }
    return static_cast<ULONG>(3 + at / 16);
}

WORD MsgBuilder::AddEntry(ULONG nameOrOffset, ULONG guidIndex, bool isString) {
    const auto index = static_cast<ULONG>(entries_.size() / 8);
    Append32(entries_, nameOrOffset);
    Append32(entries_, index << 16 | guidIndex << 1 | (isString ? 1 : 0));
    return static_cast<WORD>(0x8000 + index);
}

WORD MsgBuilder::NamedNumeric(const GUID& set, ULONG id) {
    return AddEntry(id, GuidIndex(set), false);
}

WORD MsgBuilder::NamedString(const GUID& set, std::wstring_view name) {
    const auto offset = static_cast<ULONG>(names_.size());
    const Bytes text = Utf16(name);
    Append32(names_, static_cast<std::uint32_t>(text.size()));
    names_.insert(names_.end(), text.begin(), text.end());
    names_.resize((names_.size() + 3) / 4 * 4, 0);
    return AddEntry(offset, GuidIndex(set), true);
}

CompoundStorage MsgBuilder::Build() const {
    CompoundStorage message = MsgStorageBuilder::Build();
    for (std::size_t i = 0; i < recipients_.size(); ++i) {
        message.storages[Numbered("__recip_version1.0_#", i)] = recipients_[i];
    }
    for (std::size_t i = 0; i < attachments_.size(); ++i) {
        message.storages[Numbered("__attach_version1.0_#", i)] = attachments_[i];
    }
    if (!entries_.empty()) {
        CompoundStorage& nameId = message.storages["__nameid_version1.0"];
        nameId.streams[PropertyStreamName(0x00020102)] = guids_;
        nameId.streams[PropertyStreamName(0x00030102)] = entries_;
        nameId.streams[PropertyStreamName(0x00040102)] = names_;
    }
    return message;
}

} // namespace TestMail
