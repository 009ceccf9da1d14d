#include "kova-sync/PropertyCodec.h"

#include "Platform/OleAuto.h"
#include "Platform/Utf.h"

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string_view>

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

// The number as T the way a stored map has always read it: integers exactly, fractions cut toward
// zero, and for an integer T true and false as 1 and 0. A number T cannot hold is refused rather
// than wrapped.
template <class T> T NumberAs(const simdjson::dom::element& value) {
    using Limits = std::numeric_limits<T>;
    switch (value.type()) {
    case simdjson::dom::element_type::INT64: {
        const std::int64_t number = value.get_int64().value_unsafe();
        if (std::is_floating_point_v<T> || (number >= Limits::lowest() && number <= Limits::max())) {
            return static_cast<T>(number);
        }
        break;
    }
    case simdjson::dom::element_type::UINT64: // only above the largest int64
        if constexpr (std::is_floating_point_v<T>) {
            return static_cast<T>(value.get_uint64().value_unsafe());
        }
        break;
    case simdjson::dom::element_type::DOUBLE: {
        const double number = value.get_double().value_unsafe();
        if constexpr (std::is_floating_point_v<T>) {
            return number;
        } else {
            const double whole = std::trunc(number);
            if (whole >= static_cast<double>(Limits::lowest()) &&
                whole < static_cast<double>(Limits::max()) + 1.0) {
                return static_cast<T>(whole);
            }
        }
        break;
    }
    case simdjson::dom::element_type::BOOL:
        if constexpr (std::is_integral_v<T>) {
            return static_cast<T>(value.get_bool().value_unsafe());
        }
        [[fallthrough]];
    default:
        throw std::runtime_error("a property value that is not a number");
    }
    throw std::runtime_error("a property value out of its type's range");
}

std::string_view TextOf(const simdjson::dom::element& value) {
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS) {
        throw std::runtime_error("a property name, type or text that is not a text");
    }
    return text;
}

Host::PropertyValue ToValue(std::string_view type, const simdjson::dom::element& value) {
    if (type == "number") {
        return NumberAs<LONG>(value);
    }
    if (type == "date") {
        return Host::DateValue{value.is_string() ? IsoToDate(std::string(TextOf(value)))
                                                 : NumberAs<DATE>(value)};
    }
    if (type == "flag") {
        return NumberAs<BYTE>(value);
    }
    if (type == "double") {
        return NumberAs<double>(value);
    }
    if (type == "currency") {
        return Host::CurrencyValue{NumberAs<LONGLONG>(value)};
    }
    return Platform::Utf8ToWide(TextOf(value));
}

// The part of the text a JSON reader reads: past a leading byte order mark, and up to the first
// NUL, where the text has always been taken to end.
std::string_view JsonPart(const std::string& text) {
    std::string_view json(text);
    if (json.substr(0, 3) == "\xEF\xBB\xBF") {
        json.remove_prefix(3);
    }
    return json.substr(0, json.find('\0'));
}

// Parses the text with this thread's parser, which keeps its buffers from one map to the next; the
// document lives until the thread's next parse.
simdjson::dom::element Parse(std::string_view json) {
    thread_local simdjson::dom::parser parser;
    thread_local std::string padded;
    padded.assign(json);
    padded.resize(json.size() + simdjson::SIMDJSON_PADDING);
    simdjson::dom::element document;
    const simdjson::error_code error = parser.parse(padded.data(), json.size(), false).get(document);
    if (error != simdjson::SUCCESS) {
        throw std::runtime_error(simdjson::error_message(error));
    }
    return document;
}

// Reads each {name, type, value} of the array into the map. Keys other than these three are
// skipped with what they hold; of a key given twice the last counts.
void ReadProperties(simdjson::dom::element document, Host::LSMemoryPropertyMap& map) {
    simdjson::dom::array properties;
    if (document.get_array().get(properties) != simdjson::SUCCESS) {
        throw std::runtime_error("not an array of properties");
    }
    std::wstring name;
    for (const simdjson::dom::element property : properties) {
        simdjson::dom::object fields;
        if (property.get_object().get(fields) != simdjson::SUCCESS) {
            throw std::runtime_error("not an array of properties");
        }
        std::optional<simdjson::dom::element> nameField, typeField, valueField;
        for (const simdjson::dom::key_value_pair field : fields) {
            auto* slot = field.key == "name"    ? &nameField
                         : field.key == "type"  ? &typeField
                         : field.key == "value" ? &valueField
                                                : nullptr;
            if (slot != nullptr) {
                if (field.value.is_array() || field.value.is_object()) {
                    throw std::runtime_error("a property value that is not a single value");
                }
                *slot = field.value;
            }
        }
        if (!nameField || !typeField || !valueField) {
            throw std::runtime_error("a property without its name, type or value");
        }
        const std::string_view utf8Name = TextOf(*nameField);
        Host::PropertyValue value = ToValue(TextOf(*typeField), *valueField);
        name.resize(Platform::Utf8ToWideLength(utf8Name));
        Platform::Utf8ToWideInto(utf8Name, name.data());
        map.Set(name, std::move(value));
    }
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
        ReadProperties(Parse(JsonPart(text)), *map.get());
    } catch (const std::exception& error) {
        throw std::runtime_error(std::string("unreadable property map: ") + error.what());
    }
}

} // namespace KovaSync
