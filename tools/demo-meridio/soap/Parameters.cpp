#include "tools/demo-meridio/soap/Parameters.h"

#include "tools/demo-meridio/soap/SoapFault.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <charconv>

namespace DemoMeridio {

pugi::xml_node RequiredChild(const pugi::xml_node& operation, const char* name) {
    for (pugi::xml_node child = operation.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == name) {
            if (NamespaceOf(child) != NamespaceOf(operation)) {
                throw ClientFault(std::string("parameter ") + name + " of " + operation.name() +
                                  " is not in the operation's namespace");
            }
            return child;
        }
    }
    throw ClientFault(std::string(operation.name()) + " has no parameter " + name);
}

std::string RequiredText(const pugi::xml_node& operation, const char* name) {
    return RequiredChild(operation, name).text().get();
}

long RequiredNumber(const pugi::xml_node& operation, const char* name, bool allowNegative) {
    const std::string text = RequiredText(operation, name);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        (!allowNegative && value < 0)) {
        throw ClientFault(std::string("parameter ") + name + " of " + operation.name() +
                          " must be a decimal number, got \"" + text + "\"");
    }
    return value;
}

bool RequiredBool(const pugi::xml_node& operation, const char* name) {
    const std::string text = RequiredText(operation, name);
    if (text == "true" || text == "1") {
        return true;
    }
    if (text == "false" || text == "0") {
        return false;
    }
    throw ClientFault(std::string("parameter ") + name + " of " + operation.name() +
                      " must be true or false, got \"" + text + "\"");
}

} // namespace DemoMeridio
