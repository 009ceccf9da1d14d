// DMWS GetContainerData and AddObject: a container's data as DMDataSet tables (its CONTAINERS row, and
// as asked its ACCESSCONTROL, CONTAINER_CUSTOMPROPS, CONTAINER_CHILDCONTAINERS and
// CONTAINER_DOCUMENTREFS rows), and a new container from an addition diffgram under the parent that
// its CONTAINER_CHILDCONTAINERS row names.

#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

DataSetResult::Columns ContainerColumns(const Container& container) {
    return {{"PROP_W_title", container.title},
            {"PROP_W_isShared", "false"},
            {"PROP_containerId", std::to_string(container.id)},
            {"PROP_ownerName", container.owner},
            {"PROP_W_inherit", container.inherit ? "true" : "false"}};
}

HttpReply GetContainerData(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const Container& container =
        RequireContainer(context.repository, RequiredNumber(operation, "containerId"));
    const bool propList = RequiredBool(operation, "getPropList");
    const bool acl = RequiredBool(operation, "getAcl");
    RequiredBool(operation, "getCanDo");
    const bool childContainers = RequiredBool(operation, "getChildContainers");
    RequiredBool(operation, "getContainerRefs");
    const bool documentRefs = RequiredBool(operation, "getDocumentRefs");
    RequiredBool(operation, "getStoredSearchRefs");
    RequiredBool(operation, "getKeywords");
    RequiredBool(operation, "getReferencingContainers");

    const std::string id = std::to_string(container.id);
    DataSetResult result(DataSetKind::DM);
    result.AddRow("CONTAINERS", ContainerColumns(container));
    for (const AccessEntry& entry : acl ? container.access : std::vector<AccessEntry>{}) {
        result.AddRow("ACCESSCONTROL",
                      {{"objectType", "0"},
                       {"objectId", id},
                       {"permission", std::to_string(entry.permission)},
                       {entry.isGroup ? "groupId" : "userId", std::to_string(entry.principalId)}});
    }
    for (const ContainerProperty& property :
         propList ? container.properties : std::vector<ContainerProperty>{}) {
        result.AddRow("CONTAINER_CUSTOMPROPS",
                      {{"objectId", id}, {"propertyName", property.name}, {"textValue", property.value}});
    }
    if (childContainers) {
        for (const Container* child : context.repository.ChildContainers(container.id)) {
            result.AddRow("CONTAINER_CHILDCONTAINERS",
                          {{"containerId", id}, {"childId", std::to_string(child->id)}});
        }
    }
    for (long documentId : documentRefs ? container.documentIds : std::vector<long>{}) {
        result.AddRow("CONTAINER_DOCUMENTREFS",
                      {{"ContainerId", id}, {"DocumentRefId", std::to_string(documentId)}});
    }
    OperationResponse response(*context.request.service, context.request.action);
    result.WriteInto(response.Result());
    return response.ToHttpReply();
}

// The rows of the DMDataSet inside an addition diffgram.
pugi::xml_node AdditionDataSet(const pugi::xml_node& operation) {
    pugi::xml_node additionInfo;
    for (pugi::xml_node child = FirstChildElement(operation); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == "additionInfo") {
            additionInfo = child;
        }
    }
    const pugi::xml_node diffgram = FirstChildElement(additionInfo);
    if (!diffgram || LocalName(diffgram) != "diffgram" || NamespaceOf(diffgram) != kDiffgramNs) {
        throw ClientFault("AddObject needs additionInfo holding a diffgr:diffgram");
    }
    const pugi::xml_node dataSet = FirstChildElement(diffgram);
    if (!dataSet || LocalName(dataSet) != "DMDataSet" || NamespaceOf(dataSet) != kDmDataSetNs) {
        throw ClientFault("the diffgram of AddObject needs a DMDataSet in its namespace");
    }
    return dataSet;
}

// The one row of that table in the data set.
pugi::xml_node SingleRow(const pugi::xml_node& dataSet, std::string_view table) {
    pugi::xml_node found;
    for (pugi::xml_node row = FirstChildElement(dataSet); row; row = row.next_sibling()) {
        if (row.type() == pugi::node_element && LocalName(row) == table) {
            if (found) {
                throw ClientFault("AddObject takes one " + std::string(table) + " row");
            }
            found = row;
        }
    }
    if (!found) {
        throw ClientFault("AddObject needs a " + std::string(table) + " row");
    }
    return found;
}

bool HasColumn(const pugi::xml_node& row, std::string_view name) {
    for (pugi::xml_node column = FirstChildElement(row); column; column = column.next_sibling()) {
        if (column.type() == pugi::node_element && LocalName(column) == name) {
            return true;
        }
    }
    return false;
}

AccessEntry AccessRow(const pugi::xml_node& row) {
    const int permission = static_cast<int>(RequiredNumber(row, "permission"));
    const bool isGroup = HasColumn(row, "groupId");
    if (!isGroup && !HasColumn(row, "userId")) {
        throw ClientFault("an ACCESSCONTROL row needs a groupId or a userId");
    }
    return {permission, isGroup, RequiredNumber(row, isGroup ? "groupId" : "userId")};
}

HttpReply AddObject(OperationContext& context) {
    const pugi::xml_node dataSet = AdditionDataSet(context.request.operation);
    Container container;
    container.title = RequiredText(SingleRow(dataSet, "CONTAINERS"), "PROP_W_title");
    if (container.title.empty()) {
        throw ClientFault("a new container needs a PROP_W_title");
    }
    container.parentId = RequiredNumber(SingleRow(dataSet, "CONTAINER_CHILDCONTAINERS"), "containerId");
    const Container& parent = RequireContainer(context.repository, container.parentId);
    if (parent.kind != ContainerKind::Container) {
        throw ServerFault("API Error 22010: A container cannot be added to the records-management object " +
                          std::to_string(parent.id) + ".");
    }
    container.owner = context.repository.credentials.userName;
    for (pugi::xml_node row = FirstChildElement(dataSet); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element) {
            continue;
        }
        if (LocalName(row) == "ACCESSCONTROL") {
            container.access.push_back(AccessRow(row));
        } else if (LocalName(row) == "CONTAINER_CUSTOMPROPS") {
            container.properties.push_back(
                {RequiredText(row, "propertyName"), RequiredText(row, "textValue")});
        }
    }
    const long id = context.repository.AddNewContainer(std::move(container));

    DataSetResult result(DataSetKind::DM);
    result.AddRow("CONTAINERS", ContainerColumns(*context.repository.FindContainer(id)));
    OperationResponse response(*context.request.service, context.request.action);
    result.WriteInto(response.Result());
    return response.ToHttpReply();
}

} // namespace

void RegisterContainerOperations(OperationTable& table) {
    table.Add({Service::DMWS, "GetContainerData", GetContainerData, true, {}});
    table.Add({Service::DMWS, "AddObject", AddObject, true, {}});
}

} // namespace DemoMeridio
