#include "Host/PropertyMap.h"
#include "Host/ShutdownInformer.h"

#include <gtest/gtest.h>

namespace {

using Host::LSShutdownInformer;
using Host::ShutdownInformerMethod;

template <class Call> HRESULT RaisedComError(Call call) {
    try {
        call();
    } catch (const _com_error& error) {
        return error.Error();
    }
    return S_OK;
}

TEST(HostWrappers, InformerCallsRaiseComErrorOnFailure) {
    ILSShutdownInformerPtr informer;
    informer.Attach(LSShutdownInformer::Create());
    auto* host = static_cast<LSShutdownInformer*>(informer.GetInterfacePtr());
    host->SetOnTimer(true);
    EXPECT_EQ(informer->GetIsOnTimer(), VARIANT_TRUE);
    EXPECT_EQ(informer->ReportAbortMessage(L"Sync aborted - connection to Server failed"), S_OK);
    EXPECT_EQ(host->AbortMessages().size(), 1u);

    host->Failures().Fail(ShutdownInformerMethod::BeginDelay, E_UNEXPECTED);
    host->Failures().Fail(ShutdownInformerMethod::IsOnTimer, E_ACCESSDENIED);
    host->Failures().Fail(ShutdownInformerMethod::ReportAbortMessage, E_FAIL);
    EXPECT_EQ(RaisedComError([&] { informer->BeginDelay(1000); }), E_UNEXPECTED);
    EXPECT_EQ(RaisedComError([&] { informer->GetIsOnTimer(); }), E_ACCESSDENIED);
    EXPECT_EQ(RaisedComError([&] { informer->ReportAbortMessage(L"x"); }), E_FAIL);
    EXPECT_EQ(RaisedComError([&] { informer->EndDelay(); }), S_OK);
}

TEST(HostWrappers, PropertyMapReadRaisesForAMissingProperty) {
    ILSPropertyMapPtr map;
    map.Attach(Host::LSMemoryPropertyMap::Create());
    EXPECT_EQ(RaisedComError([&] { map->GetItemStr(L"UniqueId"); }), MAPI_E_NOT_FOUND);
    static_cast<Host::LSMemoryPropertyMap*>(map.GetInterfacePtr())->Set(L"UniqueId", std::wstring(L"id"));
    EXPECT_EQ(map->GetItemStr(L"UniqueId"), _bstr_t(L"id"));
}

} // namespace
