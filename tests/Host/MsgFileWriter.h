// Writes small message files (.msg, the compound-file layout) for the tests with libgsf's writer, so
// that every fixture is made here and can be damaged on purpose.
#pragma once

#include "Platform/Guid.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace TestMail {

using Bytes = std::vector<unsigned char>;

struct CompoundStorage {
    std::map<std::string, Bytes> streams;
    std::map<std::string, CompoundStorage> storages;
};

void WriteCompoundFile(const std::filesystem::path& path, const CompoundStorage& root);

// "__substg1.0_" and the tag as eight upper-case hexadecimal digits.
std::string PropertyStreamName(ULONG tag);
// UTC time fields as the FILETIME number a time property stores.
std::uint64_t FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);

// A message storage (the file's root, or a recipient or attachment) and its property stream.
class MsgStorageBuilder {
public:
    explicit MsgStorageBuilder(std::size_t headerSize) : headerSize_(headerSize) {}

    void Text(ULONG tag, std::wstring_view text);
    void MultiText(ULONG tag, const std::vector<std::wstring>& values);
    void Value(ULONG tag, std::uint64_t value);
    CompoundStorage& Storage() { return storage_; }
    // The storage with its property stream.
    CompoundStorage Build() const;

private:
    std::size_t headerSize_;
    std::vector<std::pair<ULONG, std::uint64_t>> entries_;
    CompoundStorage storage_;
};

// A whole message: its own properties, recipients, attachments and the named-property mapping.
class MsgBuilder : public MsgStorageBuilder {
public:
    MsgBuilder() : MsgStorageBuilder(32) {}

    // MAPI_TO 1, MAPI_CC 2, MAPI_BCC 3.
    void Recipient(LONG type, std::wstring_view displayName, std::wstring_view address);
    void Attachment(std::wstring_view fileName);
    // The property id (0x8000 + the mapping's index) of a numeric or string name in the set.
    WORD NamedNumeric(const GUID& set, ULONG id);
    WORD NamedString(const GUID& set, std::wstring_view name);
    CompoundStorage Build() const;

private:
    ULONG GuidIndex(const GUID& set);
    WORD AddEntry(ULONG nameOrOffset, ULONG guidIndex, bool isString);

    std::vector<CompoundStorage> recipients_;
    std::vector<CompoundStorage> attachments_;
    Bytes guids_;
    Bytes entries_;
    Bytes names_;
};

} // namespace TestMail
