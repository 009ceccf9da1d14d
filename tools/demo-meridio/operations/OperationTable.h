#pragma once
// The operations the demo server serves: a table from (service, action) to a handler. Each operation
// file registers its handlers; a new operation is a new file and one line in DefaultOperations().

#include "tools/demo-meridio/Sessions.h"
#include "tools/demo-meridio/repository/Repository.h"
#include "tools/demo-meridio/soap/HttpReply.h"
#include "tools/demo-meridio/soap/SoapRequest.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace DemoMeridio {

struct ServerSettings {
    // Where by-reference downloads put their files: the local directory that stands for the root of
    // UNC paths (\\server\share\rest is root/server/share/rest). Empty: by-reference transfer is off.
    std::filesystem::path uncRoot;
    // When not empty, the path by-reference downloads hand out in place of the server's own copy, as
    // a misconfigured or hostile server would.
    std::string byReferencePath;
};

// Switches that tests set to make single replies go wrong in ways a real server's can.
struct ReplySwitches {
    int brokenListings = 0; // so many next container listings carry contents text that is not XML
    // Every listing of this container carries contents text that is not XML.
    std::optional<long> brokenContainer;
    // The next request of this action finds its session expired (its token is refused from then on).
    std::optional<std::string> expireSessionAt;
};

struct OperationContext {
    const SoapRequest& request;
    Repository& repository;
    SessionTable& sessions;
    const ServerSettings& settings;
    ReplySwitches& switches;
};

using OperationHandler = std::function<HttpReply(OperationContext&)>;

struct Operation {
    Service service;
    std::string action;
    OperationHandler handler;
    bool needsSession = true;
    // Names the element inside soap:Body may have; empty means the action's own name.
    std::vector<std::string> bodyElements;
};

class OperationTable {
public:
    void Add(Operation operation);
    const Operation* Find(Service service, const std::string& action) const;

private:
    std::vector<Operation> operations_;
};

OperationTable DefaultOperations();

void RegisterLoginOperations(OperationTable& table);
void RegisterContainerListingOperations(OperationTable& table);
void RegisterDocumentPreviewOperations(OperationTable& table);
void RegisterDownloadOperations(OperationTable& table);
void RegisterSystemConfigurationOperations(OperationTable& table);
void RegisterContainerSearchOperations(OperationTable& table);
void RegisterContainerOperations(OperationTable& table);
void RegisterDocumentPropertyOperations(OperationTable& table);
void RegisterPartListOperations(OperationTable& table);
void RegisterApplyChangesOperations(OperationTable& table);
void RegisterDocumentDataOperations(OperationTable& table);
void RegisterDocumentAdditionOperations(OperationTable& table);
void RegisterFolderDataOperations(OperationTable& table);
void RegisterDocAdditionInfoOperations(OperationTable& table);

} // namespace DemoMeridio
