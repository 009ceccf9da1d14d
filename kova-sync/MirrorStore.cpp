#include "kova-sync/MirrorStore.h"

#include "Platform/OleAuto.h"
#include "Platform/Utf.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace KovaSync {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const char* TypeName(Host::PropertyType type) {
    switch (type) {
    case Host::PropertyType::String:
        return "string";
    case Host::PropertyType::Number:
        return "number";
    case Host::PropertyType::Date:
        return "date";
    case Host::PropertyType::Flag:
        return "flag";
    case Host::PropertyType::Double:
        return "double";
    case Host::PropertyType::Currency:
        return "currency";
    }
    return "string";
}

std::string DateToIso(DATE date) {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date, &time)) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    return text;
}

DATE IsoToDate(const std::string& text) {
    SYSTEMTIME time{};
    unsigned year, month, day, hour, minute, second;
    if (std::sscanf(text.c_str(), "%u-%u-%uT%u:%u:%uZ", &year, &month, &day, &hour, &minute, &second) != 6) {
        throw std::runtime_error("bad date in mirror: " + text);
    }
    time = {static_cast<WORD>(year),
            static_cast<WORD>(month),
            0,
            static_cast<WORD>(day),
            static_cast<WORD>(hour),
            static_cast<WORD>(minute),
            static_cast<WORD>(second),
            0};
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

json ValueToJson(const Host::PropertyValue& value) {
    return std::visit(
        [](const auto& v) -> json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring>) {
                return Platform::WideToUtf8(v);
            } else if constexpr (std::is_same_v<T, Host::DateValue>) {
                return DateToIso(v.value);
            } else if constexpr (std::is_same_v<T, Host::CurrencyValue>) {
                return v.scaled;
            } else {
                return v;
            }
        },
        value);
}

Host::PropertyValue JsonToValue(const std::string& type, const json& value) {
    if (type == "number") {
        return value.get<LONG>();
    }
    if (type == "date") {
        return Host::DateValue{IsoToDate(value.get<std::string>())};
    }
    if (type == "flag") {
        return value.get<BYTE>();
    }
    if (type == "double") {
        return value.get<double>();
    }
    if (type == "currency") {
        return Host::CurrencyValue{value.get<LONGLONG>()};
    }
    return Platform::Utf8ToWide(value.get<std::string>());
}

void WriteAtomically(const fs::path& file, const std::string& text) {
    const fs::path partial = MirrorStore::PartialName(file);
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            throw std::runtime_error("cannot write " + partial.string());
        }
    }
    fs::rename(partial, file);
}

void SaveMap(const fs::path& file, const MapRef& map) {
    json properties = json::array();
    for (const Host::Property& property : map->Properties()) {
        properties.push_back({{"name", Platform::WideToUtf8(property.name)},
                              {"type", TypeName(property.type())},
                              {"value", ValueToJson(property.value)}});
    }
    WriteAtomically(file, properties.dump(2) + "\n");
}

bool LoadMap(const fs::path& file, MapRef& map) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    const json properties = json::parse(in);
    for (const json& property : properties) {
        map->Set(Platform::Utf8ToWide(property.at("name").get<std::string>()),
                 JsonToValue(property.at("type").get<std::string>(), property.at("value")));
    }
    return true;
}

const std::wstring kUniqueId = L"UniqueId";

} // namespace

std::wstring MapRef::String(const std::wstring& name) const {
    const Host::PropertyValue* value = map_->Find(name);
    const auto* text = value == nullptr ? nullptr : std::get_if<std::wstring>(value);
    return text == nullptr ? std::wstring() : *text;
}

bool MirrorStore::LoadFolderMap(const fs::path& directory, MapRef& map) {
    return LoadMap(directory / kFolderFile, map);
}

void MirrorStore::SaveFolderMap(const fs::path& directory, const MapRef& map) {
    fs::create_directories(directory);
    SaveMap(directory / kFolderFile, map);
}

std::map<std::wstring, StoredDocument> MirrorStore::LoadDocuments(const fs::path& directory) {
    std::map<std::wstring, StoredDocument> documents;
    if (!fs::is_directory(directory)) {
        return documents;
    }
    const std::string suffix = kDocumentSuffix;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.size() <= suffix.size() ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        StoredDocument document{directory / name.substr(0, name.size() - suffix.size()), MapRef()};
        if (LoadMap(entry.path(), document.map)) {
            documents.emplace(document.map.String(kUniqueId), std::move(document));
        }
    }
    return documents;
}

std::map<std::wstring, StoredFolder> MirrorStore::LoadSubFolders(const fs::path& directory) {
    std::map<std::wstring, StoredFolder> folders;
    if (!fs::is_directory(directory)) {
        return folders;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        StoredFolder folder{entry.path(), MapRef()};
        if (entry.is_directory() && LoadFolderMap(entry.path(), folder.map)) {
            folders.emplace(folder.map.String(kUniqueId), std::move(folder));
        }
    }
    return folders;
}

void MirrorStore::SaveDocumentMap(const fs::path& file, const MapRef& map) {
    SaveMap(fs::path(file.string() + kDocumentSuffix), map);
}

void MirrorStore::CommitContent(const fs::path& downloaded, const fs::path& file) {
    fs::rename(downloaded, file);
}

void MirrorStore::RemoveDocument(const fs::path& file) {
    fs::remove(file);
    fs::remove(fs::path(file.string() + kDocumentSuffix));
}

void MirrorStore::RemoveFolder(const fs::path& directory) {
    fs::remove_all(directory);
}

fs::path MirrorStore::PartialName(const fs::path& file) {
    return file.parent_path() / ("." + file.filename().string() + ".partial");
}

std::string MirrorStore::SafeName(const std::wstring& name) {
    std::wstring safe;
    for (const wchar_t c : name) {
        safe += (c == L'/' || c == L'\\' || c == L'\0') ? L'_' : c;
    }
    if (safe.empty() || safe == L"." || safe == L"..") {
        safe = L"_" + safe;
    }
    return Platform::WideToUtf8(safe);
}

} // namespace KovaSync
