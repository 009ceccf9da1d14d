// DMWS GetContainerData and AddObject: a container's data as DMDataSet tables (its CONTAINERS row, and
// as asked its ACCESSCONTROL, CONTAINER_CUSTOMPROPS, CONTAINER_CHILDCONTAINERS and
// CONTAINER_DOCUMENTREFS rows), and a new container from an addition diffgram under the parent that
// its CONTAINER_CHILDCONTAINERS row names.

#include "tools/demo-meridio/operations/AdditionDiffgram.h"
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
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
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
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(result)
        .ToHttpReply();
}

} // namespace

void RegisterContainerOperations(OperationTable& table) {
    table.Add({Service::DMWS, "GetContainerData", GetContainerData, true, {}});
    table.Add({Service::DMWS, "AddObject", AddObject, true, {}});
}

} // namespace DemoMeridio
