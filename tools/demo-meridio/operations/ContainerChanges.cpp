// CONTAINERS rows of DMWS ApplyChanges: a deleted row (PROP_containerId) deletes the container with the
// containers below it. Records-management classes and folders are not deleted here.

#include "tools/demo-meridio/operations/DiffgramChanges.h"
#include "tools/demo-meridio/operations/Lookups.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapFault.h"

namespace DemoMeridio {
namespace {

std::optional<StoredRow> DeleteContainer(OperationContext& context, const DiffgramRow& row) {
    const Container& container = RequireContainer(context.repository, row.Id("PROP_containerId"));
    if (container.kind != ContainerKind::Container) {
        throw ServerFault("API Error 22011: The records-management object " + std::to_string(container.id) +
                          " cannot be deleted as a container.");
    }
    context.repository.DeleteContainer(container.id);
    return std::nullopt;
}

} // namespace

void RegisterContainerChanges(DiffgramTables& tables) {
    tables.Add(DataSetKind::DM, "CONTAINERS", RowChange::Deleted, DeleteContainer);
}

} // namespace DemoMeridio
