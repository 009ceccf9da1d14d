#include "KOVASyncBasicsLib/KOVASyncBasicsLib.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

static_assert(std::is_base_of_v<ILSSyncFilter, ILSSyncFilter2>);
static_assert(std::is_base_of_v<IDispatch, ILSPropertyMap>);
static_assert(std::is_base_of_v<IDispatch, ILSShutdownInformer>);
static_assert(!std::is_base_of_v<IDispatch, ILSMessageItem>);
static_assert(!std::is_base_of_v<IDispatch, ILSKOVAFieldInfo>);
static_assert(!std::is_base_of_v<IDispatch, ILSKOVAFieldSetInfo>);
static_assert(!std::is_base_of_v<IDispatch, ILSDefaultStartPoint>);

// Two of the ids differ in a single group only; a slip in copying one would make two interfaces
// answer each other's queries.
TEST(HostInterfaceIds, AreDistinct) {
    const std::vector<GUID> ids = {
        __uuidof(ILSPropertyMap),
        __uuidof(ILSMessageItem),
        __uuidof(ILSShutdownInformer),
        __uuidof(ILSKOVAFieldInfo),
        __uuidof(ILSKOVAFieldSetInfo),
        __uuidof(ILSSyncFilter),
        __uuidof(ILSSyncFilter2),
        __uuidof(ILSManualDeletionsSyncFilter),
        __uuidof(ILSNeedsShutdownInfo),
        __uuidof(ILSDeleteableSyncFilter),
        __uuidof(ILSCreateableFolderSyncFilter),
        __uuidof(ILSHeaderOnlySync),
        __uuidof(ILSDefaultStartPoint),
        __uuidof(ILSLockingSyncFilter),
        __uuidof(ILSQueryRepository),
        __uuidof(ILSOnlineCheck),
        __uuidof(ILSDirectCopyMove),
        __uuidof(ILSCreateSendLink),
        __uuidof(ILSEditDocPropsSyncFilter),
        __uuidof(IUnknown),
        __uuidof(IDispatch),
    };
    for (size_t i = 0; i < ids.size(); ++i) {
        for (size_t j = i + 1; j < ids.size(); ++j) {
            EXPECT_FALSE(ids[i] == ids[j]) << i << " and " << j;
        }
    }
}

TEST(HostInterfaceIds, ReadAsWritten) {
    const GUID deleteable = __uuidof(ILSDeleteableSyncFilter);
    EXPECT_EQ(deleteable.Data1, 0x827f942fu);
    EXPECT_EQ(deleteable.Data2, 0x255b);
    EXPECT_EQ(deleteable.Data3, 0x4d0d);
    EXPECT_EQ(deleteable.Data4[0], 0x88);
    EXPECT_EQ(deleteable.Data4[7], 0xe1);
    EXPECT_EQ(__uuidof(ILSSyncFilter2).Data2, 0x240b);
}

} // namespace
