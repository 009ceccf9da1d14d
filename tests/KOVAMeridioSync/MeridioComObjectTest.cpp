// The filter's COM object as a host queries it: every interface of the object leads back to the
// same identity, and only the library's own interface reports error info.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

namespace {

using namespace MeridioTest;

struct Interface {
    const char* name;
    IID iid;
};

const Interface kInterfaces[] = {
    {"IKOVAMeridioSyncFilter", __uuidof(IKOVAMeridioSyncFilter)},
    {"IDispatch", __uuidof(IDispatch)},
    {"ILSSyncFilter2", __uuidof(ILSSyncFilter2)},
    {"ILSSyncFilter", __uuidof(ILSSyncFilter)},
    {"ISupportErrorInfo", __uuidof(ISupportErrorInfo)},
    {"ILSNeedsShutdownInfo", __uuidof(ILSNeedsShutdownInfo)},
    {"ILSLockingSyncFilter", __uuidof(ILSLockingSyncFilter)},
    {"ILSManualDeletionsSyncFilter", __uuidof(ILSManualDeletionsSyncFilter)},
    {"ILSQueryRepository", __uuidof(ILSQueryRepository)},
    {"ILSHeaderOnlySync", __uuidof(ILSHeaderOnlySync)},
    {"ILSOnlineCheck", __uuidof(ILSOnlineCheck)},
    {"ILSDeleteableSyncFilter", __uuidof(ILSDeleteableSyncFilter)},
    {"ILSCreateableFolderSyncFilter", __uuidof(ILSCreateableFolderSyncFilter)},
    {"ILSDirectCopyMove", __uuidof(ILSDirectCopyMove)},
    {"ILSCreateSendLink", __uuidof(ILSCreateSendLink)},
    {"ILSEditDocPropsSyncFilter", __uuidof(ILSEditDocPropsSyncFilter)},
};

TEST(MeridioComObject, EveryInterfaceLeadsToTheSameObject) {
    MeridioHost host;
    const Owned<IUnknown> identity = host.Query<IUnknown>();
    ASSERT_TRUE(identity);
    for (const Interface& entry : kInterfaces) {
        SCOPED_TRACE(entry.name);
        IUnknown* found = nullptr;
        ASSERT_EQ(identity->QueryInterface(entry.iid, reinterpret_cast<void**>(&found)), S_OK);
        const Owned<IUnknown> owned(found);
        IUnknown* back = nullptr;
        ASSERT_EQ(found->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&back)), S_OK);
        EXPECT_EQ(back, identity.get());
        back->Release();
    }
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(identity->QueryInterface(__uuidof(IClassFactory), reinterpret_cast<void**>(&none)),
              E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST(MeridioComObject, OnlyTheLibrarysOwnInterfaceReportsErrorInfo) {
    MeridioHost host;
    const Owned<ISupportErrorInfo> errorInfo = host.Query<ISupportErrorInfo>();
    ASSERT_TRUE(errorInfo);
    EXPECT_EQ(__uuidof(IKOVAMeridioSyncFilter),
              Platform::GuidFromText("ad155c80-6f42-48ea-a84a-31d295cabba8"));
    for (const Interface& entry : kInterfaces) {
        SCOPED_TRACE(entry.name);
        const HRESULT expected = entry.iid == __uuidof(IKOVAMeridioSyncFilter) ? S_OK : S_FALSE;
        EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(entry.iid), expected);
    }
}

} // namespace
