// DMWS Login and LoginUnified: issue a session token. The explicit login checks the user name and
// password of the manifest; the unified one takes the connection's user as authenticated. A "Login"
// action may carry either body, and its reply is LoginResponse/LoginResult for both.

#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

namespace DemoMeridio {
namespace {

HttpReply Login(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    if (LocalName(operation) == "Login") {
        const Credentials& expected = context.repository.credentials;
        if (RequiredText(operation, "userName") != expected.userName ||
            RequiredText(operation, "password") != expected.password) {
            throw ServerFault("API Error 23001: Login failed: the user name or password is incorrect.");
        }
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultText(context.sessions.Issue())
        .ToHttpReply();
}

} // namespace

void RegisterLoginOperations(OperationTable& table) {
    table.Add({Service::DMWS, "Login", Login, false, {"Login", "LoginUnified"}});
    table.Add({Service::DMWS, "LoginUnified", Login, false, {}});
}

} // namespace DemoMeridio
