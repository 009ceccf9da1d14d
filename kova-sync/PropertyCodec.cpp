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

// Reads the array of {name, type, value} straight into the map, without building the JSON document
// first (a pass decodes one map per document). Keys other than these three are skipped with what
// they hold.
class PropertyReader : public nlohmann::json_sax<json> {
public:
    explicit PropertyReader(const MapRef& map) : map_(map) {}

    bool null() override { return Scalar(json()); }
    bool boolean(bool value) override { return Scalar(value); }
    bool number_integer(number_integer_t value) override { return Scalar(value); }
    bool number_unsigned(number_unsigned_t value) override { return Scalar(value); }
    bool number_float(number_float_t value, const string_t&) override { return Scalar(value); }
    bool string(string_t& value) override { return Scalar(std::move(value)); }
    bool binary(binary_t&) override { return Scalar(json()); }

    bool start_array(std::size_t) override {
        if (depth_ == 0) {
            depth_ = 1;
            return true;
        }
        return Nested();
    }
    bool end_array() override { return Close(); }
    bool start_object(std::size_t) override {
        if (depth_ == 0) {
            throw std::runtime_error("not an array of properties");
        }
        if (depth_ == 1) {
            depth_ = 2;
            fields_ = {};
            return true;
        }
        return Nested();
    }
    bool key(string_t& name) override {
        if (depth_ == 2) {
            field_ = name == "name"    ? &fields_.name
                     : name == "type"  ? &fields_.type
                     : name == "value" ? &fields_.value
                                       : nullptr;
        }
        return true;
    }
    bool end_object() override {
        if (depth_ == 2) {
            const auto& [name, type, value] = fields_;
            if (name.is_discarded() || type.is_discarded() || value.is_discarded()) {
                throw std::runtime_error("a property without its name, type or value");
            }
            map_->Set(Platform::Utf8ToWide(name.get<std::string>()),
                      JsonToValue(type.get<std::string>(), value));
        }
        return Close();
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        throw std::runtime_error(error.what());
    }

private:
    struct Fields {
        json name = json::value_t::discarded;
        json type = json::value_t::discarded;
        json value = json::value_t::discarded;
    };

    bool Scalar(json value) {
        if (depth_ < 2) {
            throw std::runtime_error("not an array of properties");
        }
        if (depth_ == 2 && field_ != nullptr) {
            *field_ = std::move(value);
        }
        return true;
    }
    bool Nested() {
        if (depth_ == 2 && field_ != nullptr) {
            throw std::runtime_error("a property value that is not a single value");
        }
        ++depth_;
        return true;
    }
    bool Close() {
        --depth_;
        return true;
    }

    const MapRef& map_;
    int depth_ = 0; // 1 inside the array, 2 inside a property
    Fields fields_;
    json* field_ = nullptr;
};

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
        PropertyReader reader(map);
        json::sax_parse(text, &reader);
    } catch (const std::exception& error) {
        throw std::runtime_error(std::string("unreadable property map: ") + error.what());
    }
}

} // namespace KovaSync
