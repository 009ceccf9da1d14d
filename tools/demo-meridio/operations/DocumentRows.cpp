#include "tools/demo-meridio/operations/DocumentRows.h"

namespace DemoMeridio {

void SetColumn(pugi::xml_node row, const std::string& name, const std::string& value) {
    row.append_attribute(name.c_str()) = value.c_str();
}

std::string PropertyColumn(int object, int type, int id) {
    return "Prop_" + std::to_string(object) + "_" + std::to_string(type) + "_" + std::to_string(id);
}

std::string LockFlag(const Document& document) {
    return document.lock ? "1" : "0";
}

std::string CategoryText(const Document& document) {
    return document.categoryId == 0 ? std::string() : std::to_string(document.categoryId);
}

std::string CustomText(const Document& document, int type, int id) {
    const CustomValue* value = document.Property(type, id);
    return value ? value->value : std::string();
}

} // namespace DemoMeridio
