#include "tools/demo-meridio/soap/ParameterOrder.h"

#include "tools/demo-meridio/soap/SoapFault.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <algorithm>
#include <vector>

namespace DemoMeridio {
namespace {

struct DeclaredOrder {
    Service service;
    const char* action;
    std::vector<std::string> parameters;
};

// From the published DMWS and RMWS descriptions.
const std::vector<DeclaredOrder>& DeclaredOrders() {
    static const std::vector<DeclaredOrder> orders = {
        {Service::DMWS, "Login", {"userName", "password", "clientWorkstation"}},
        {Service::DMWS, "LoginUnified", {}},
        {Service::DMWS, "ApplyChanges", {"changes"}},
        {Service::DMWS, "AddObject", {"additionInfo", "uploadInfo"}},
        {Service::DMWS, "AddObject2", {"additionInfo", "uploadInfo", "major"}},
        {Service::DMWS,
         "GetContainerData",
         {"containerId", "getPropList", "getAcl", "getCanDo", "getChildContainers", "getContainerRefs",
          "getDocumentRefs", "getStoredSearchRefs", "getKeywords", "getReferencingContainers"}},
        {Service::DMWS,
         "GetDocumentDataRefPaths",
         {"docId", "getPropList", "getAcl", "getCanDo", "getPolicy", "getVersions", "getKeywords",
          "getReferencingContainers", "getLockInfo", "getReferencePaths"}},
        {Service::DMWS, "GetPropertiesForDocuments", {"documentIds"}},
        {Service::DMWS, "GetLatestVersionFile", {"docId"}},
        {Service::DMWS, "GetLatestVersionFileByRef", {"docId", "lifetime"}},
        {Service::DMWS,
         "SearchContainers",
         {"searchInfo", "maxHitsToReturn", "startPositionOfHits", "permissionFilter", "searchChildren",
          "searchKeywordHierarchy", "keywordOperator"}},
        {Service::RMWS, "ApplyChanges", {"ds"}},
        {Service::RMWS,
         "GetFolder2",
         {"id", "getPropDefs", "getActivities", "getParts", "getRecords", "getCustomProperties"}},
        {Service::RMWS, "GetRecordPartList", {"id", "getPropDefs", "getActivities"}},
        {Service::RMWS, "GetDocumentPartList", {"documentId"}},
    };
    return orders;
}

} // namespace

void CheckParameterOrder(Service service, const std::string& action, const pugi::xml_node& operation) {
    // The body element names the operation (Login's body may be LoginUnified).
    const std::string name(LocalName(operation));
    const auto& orders = DeclaredOrders();
    const auto declared = std::find_if(orders.begin(), orders.end(), [&](const DeclaredOrder& order) {
        return order.service == service && order.action == name;
    });
    if (declared == orders.end()) {
        return;
    }
    std::size_t next = 0; // the first declared position the next parameter may take
    for (pugi::xml_node child = operation.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const std::string_view parameter = LocalName(child);
        const auto& parameters = declared->parameters;
        const auto found = std::find(parameters.begin(), parameters.end(), parameter);
        if (found == parameters.end()) {
            throw ClientFault(action + " takes no parameter " + std::string(parameter));
        }
        const auto position = static_cast<std::size_t>(found - parameters.begin());
        if (position < next) {
            throw ClientFault("parameter " + std::string(parameter) + " of " + action +
                              " stands out of the declared order");
        }
        next = position + 1;
    }
}

} // namespace DemoMeridio
