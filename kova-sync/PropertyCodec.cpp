#include "kova-sync/PropertyCodec.h"

#include "Platform/OleAuto.h"
#include "Platform/Utf.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <stdexcept>

namespace KovaSync {
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

DATE IsoToDate(const std::string& text) {
    unsigned year, month, day, hour, minute, second;
    if (std::sscanf(text.c_str(), "%u-%u-%uT%u:%u:%uZ", &year, &month, &day, &hour, &minute, &second) != 6) {
        throw std::runtime_error("bad date in a property map: " + text);
    }
    SYSTEMTIME time = {static_cast<WORD>(year),
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
                return v.value;
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
        return Host::DateValue{value.is_string() ? IsoToDate(value.get<std::string>()) : value.get<DATE>()};
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

} // namespace

std::string EncodeProperties(const MapRef& map) {
    json properties = json::array();
    for (const Host::Property& property : map->Properties()) {
        properties.push_back({{"name", Platform::WideToUtf8(property.name)},
                              {"type", TypeName(property.type())},
                              {"value", ValueToJson(property.value)}});
    }
    return properties.dump();
}

void DecodeProperties(const std::string& text, const MapRef& map) {
    try {
        for (const json& property : json::parse(text)) {
            map->Set(Platform::Utf8ToWide(property.at("name").get<std::string>()),
                     JsonToValue(property.at("type").get<std::string>(), property.at("value")));
        }
    } catch (const json::exception& error) {
        throw std::runtime_error(std::string("unreadable property map: ") + error.what());
    }
}

} // namespace KovaSync
