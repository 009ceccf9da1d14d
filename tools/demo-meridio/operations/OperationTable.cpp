#include "tools/demo-meridio/operations/OperationTable.h"

#include <algorithm>
#include <stdexcept>

namespace DemoMeridio {

void OperationTable::Add(Operation operation) {
    if (Find(operation.service, operation.action)) {
        throw std::logic_error("operation registered twice: " + operation.action);
    }
    if (operation.bodyElements.empty()) {
        operation.bodyElements.push_back(operation.action);
    }
    operations_.push_back(std::move(operation));
}

const Operation* OperationTable::Find(Service service, const std::string& action) const {
    const auto found = std::find_if(operations_.begin(), operations_.end(), [&](const Operation& operation) {
        return operation.service == service && operation.action == action;
    });
    return found == operations_.end() ? nullptr : &*found;
}

OperationTable DefaultOperations() {
    OperationTable table;
    RegisterLoginOperations(table);
    RegisterContainerListingOperations(table);
    RegisterDocumentPreviewOperations(table);
    RegisterDownloadOperations(table);
    RegisterSystemConfigurationOperations(table);
    RegisterContainerSearchOperations(table);
    RegisterContainerOperations(table);
    RegisterDocumentPropertyOperations(table);
    RegisterPartListOperations(table);
    RegisterApplyChangesOperations(table);
    RegisterDocumentDataOperations(table);
    RegisterDocumentAdditionOperations(table);
    RegisterFolderDataOperations(table);
    RegisterDocAdditionInfoOperations(table);
    return table;
}

} // namespace DemoMeridio
