// SCWS OutlookGetSystemConfigurationData: the system configuration as XML text: categories (document
// types), fixed properties and custom properties, each with the attributes clients read.

#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

void AppendProperties(pugi::xml_node parent, const char* element, const std::string& prefix,
                      const std::vector<PropertyDefinition>& definitions) {
    for (const PropertyDefinition& definition : definitions) {
        pugi::xml_node node = parent.append_child(element);
        node.append_attribute((prefix + "Object").c_str()) = definition.object;
        node.append_attribute((prefix + "Type").c_str()) = definition.type;
        node.append_attribute((prefix + "Id").c_str()) = definition.id;
        node.append_attribute((prefix + "Name").c_str()) = definition.name.c_str();
    }
}

HttpReply GetSystemConfigurationData(OperationContext& context) {
    const SystemConfiguration& configuration = context.repository.configuration;
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("SystemConfiguration");
    pugi::xml_node categories = root.append_child("Categories");
    for (const Category& category : configuration.categories) {
        pugi::xml_node node = categories.append_child("Category");
        node.append_attribute("CategoryId") = category.id;
        node.append_attribute("CategoryName") = category.name.c_str();
    }
    AppendProperties(root.append_child("FixedProperties"), "FixedProperty", "FixedProperty",
                     configuration.fixedProperties);
    AppendProperties(root.append_child("CustomProperties"), "CustomProperty", "CustomProperty",
                     configuration.customProperties);
    return OperationResponse(*context.request.service, context.request.action)
        .ResultText(ToXmlText(document))
        .ToHttpReply();
}

} // namespace

void RegisterSystemConfigurationOperations(OperationTable& table) {
    table.Add({Service::SCWS, "OutlookGetSystemConfigurationData", GetSystemConfigurationData, true, {}});
}

} // namespace DemoMeridio
