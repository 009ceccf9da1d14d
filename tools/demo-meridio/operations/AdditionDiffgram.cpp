#include "tools/demo-meridio/operations/AdditionDiffgram.h"

#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/Services.h"
#include "tools/demo-meridio/soap/SoapFault.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <string>

namespace DemoMeridio {
namespace {

bool HasChild(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node child = FirstChildElement(parent); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == name) {
            return true;
        }
    }
    return false;
}

} // namespace

pugi::xml_node AdditionDataSet(const pugi::xml_node& operation) {
    const std::string name(LocalName(operation));
    pugi::xml_node additionInfo;
    for (pugi::xml_node child = FirstChildElement(operation); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == "additionInfo") {
            additionInfo = child;
        }
    }
    const pugi::xml_node diffgram = FirstChildElement(additionInfo);
    if (!diffgram || LocalName(diffgram) != "diffgram" || NamespaceOf(diffgram) != kDiffgramNs) {
        throw ClientFault(name + " needs additionInfo holding a diffgr:diffgram");
    }
    const pugi::xml_node dataSet = FirstChildElement(diffgram);
    if (!dataSet || LocalName(dataSet) != "DMDataSet" || NamespaceOf(dataSet) != kDmDataSetNs) {
        throw ClientFault("the diffgram of " + name + " needs a DMDataSet in its namespace");
    }
    return dataSet;
}

pugi::xml_node SingleRow(const pugi::xml_node& dataSet, std::string_view table) {
    const std::string operation(LocalName(dataSet.parent().parent().parent()));
    pugi::xml_node found;
    for (pugi::xml_node row = FirstChildElement(dataSet); row; row = row.next_sibling()) {
        if (row.type() == pugi::node_element && LocalName(row) == table) {
            if (found) {
                throw ClientFault(operation + " takes one " + std::string(table) + " row");
            }
            found = row;
        }
    }
    if (!found) {
        throw ClientFault(operation + " needs a " + std::string(table) + " row");
    }
    return found;
}

bool HasRow(const pugi::xml_node& dataSet, std::string_view table) {
    return HasChild(dataSet, table);
}

AccessEntry AccessRow(const pugi::xml_node& row) {
    const int permission = static_cast<int>(RequiredNumber(row, "permission"));
    const bool isGroup = HasChild(row, "groupId");
    if (!isGroup && !HasChild(row, "userId")) {
        throw ClientFault("an ACCESSCONTROL row needs a groupId or a userId");
    }
    return {permission, isGroup, RequiredNumber(row, isGroup ? "groupId" : "userId")};
}

} // namespace DemoMeridio
