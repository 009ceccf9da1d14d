// What the host hands to the filter object is checked before the object acts on it: every host
// method of every interface the object answers refuses a null map or out pointer, and an index past
// the listing of its kind, with a failure code and without writing to the maps it was given. Each
// method runs in a child process (a death test), so that a crash fails its case alone.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"
#include "tests/Support/TempDirectory.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <sstream>

namespace {

using namespace MeridioTest;
using TestSupport::StrProp;

// Which listing the call's index addresses.
enum class Indexed { No, Item, SubFolder };

// One call's arguments: each map is an empty map of its own or null, each out pointer points to
// zeroed storage of its own or is null.
class CallArguments {
public:
    CallArguments(int maps, int outs, int nullMap, int nullOut, USHORT index) : index(index) {
        for (int i = 0; i < maps; ++i) {
            maps_.push_back(i == nullMap ? nullptr : NewMap());
        }
        outs_.resize(static_cast<std::size_t>(outs));
        nullOut_ = nullOut;
    }

    ILSPropertyMap* Map(int i) { return maps_.at(static_cast<std::size_t>(i)).get(); }
    template <class T> T* Out(int i) {
        static_assert(sizeof(T) <= sizeof(OutStorage));
        return i == nullOut_ ? nullptr : reinterpret_cast<T*>(&outs_.at(static_cast<std::size_t>(i)));
    }

    // What the call wrote to its maps and out pointers; empty when it wrote nothing.
    std::string Written() const {
        std::ostringstream written;
        for (std::size_t i = 0; i < maps_.size(); ++i) {
            if (maps_[i] != nullptr && !maps_[i]->Properties().empty()) {
                written << " map " << i << " has " << maps_[i]->Properties().size() << " properties;";
            }
        }
        for (std::size_t i = 0; i < outs_.size(); ++i) {
            if (outs_[i].first != 0 || outs_[i].second != 0) {
                written << " out pointer " << i << " was written;";
            }
        }
        return written.str();
    }

    const USHORT index;

private:
    struct OutStorage {
        unsigned long long first = 0;
        unsigned long long second = 0;
    };
    std::vector<Owned<Host::LSMemoryPropertyMap>> maps_;
    std::vector<OutStorage> outs_;
    int nullOut_ = -1;
};

// The filter object with a listing of container 1 (one document, four sub-folders) and the objects
// its field-set interfaces hand out.
class ListedHost {
public:
    ListedHost() {
        EXPECT_EQ(host.Register(host.Location(L"container", 1)), S_OK);
        EXPECT_EQ(host.ListFolder(host.Location(L"container", 1)), S_OK);
        EXPECT_EQ(host.Sync()->raw_GetFieldSetInfo(nullptr, &fieldSet), S_OK);
        EXPECT_EQ(fieldSet->raw_initializeFromReposWithAllFields(host.mainFolder.get(), nullptr), S_OK);
        BSTR name = nullptr;
        EXPECT_EQ(fieldSet->raw_getAllFieldName(0, &name), S_OK);
        EXPECT_EQ(fieldSet->raw_getFieldInfo(name, &fieldInfo), S_OK);
        SysFreeString(name);
    }
    ~ListedHost() {
        if (fieldInfo != nullptr) {
            fieldInfo->Release();
        }
        if (fieldSet != nullptr) {
            fieldSet->Release();
        }
    }
    ListedHost(const ListedHost&) = delete;
    ListedHost& operator=(const ListedHost&) = delete;

    // Lists container 1 again with one kind left out, so that nothing of that kind is listed.
    void ListWithout(Indexed kind) {
        const VARIANT_BOOL noDocuments = kind == Indexed::Item ? VARIANT_TRUE : VARIANT_FALSE;
        const VARIANT_BOOL noSubFolders = kind == Indexed::SubFolder ? VARIANT_TRUE : VARIANT_FALSE;
        EXPECT_EQ(host.Sync()->raw_SetSyncStartPoint(host.folder.get(), VARIANT_FALSE, noDocuments,
                                                     noSubFolders, 0, VARIANT_FALSE),
                  S_OK);
    }

    USHORT Count(Indexed kind) {
        USHORT count = 0;
        if (kind == Indexed::Item) {
            EXPECT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
        } else {
            EXPECT_EQ(host.Sync()->raw_GetSubFolderCount(&count), S_OK);
        }
        return count;
    }

    MeridioHost host;
    ILSKOVAFieldSetInfo* fieldSet = nullptr;
    ILSKOVAFieldInfo* fieldInfo = nullptr;
    TestSupport::TempDirectory work;
};

struct HostCall {
    const char* name;
    Indexed indexed;
    int maps;
    int outs;
    std::function<HRESULT(ListedHost&, CallArguments&)> call;
};

std::ostream& operator<<(std::ostream& out, const HostCall& call) {
    return out << call.name;
}

_bstr_t LocalPath(ListedHost& listed) {
    return _bstr_t((listed.work.path() / L"local.bin").c_str());
}

// Every host method that takes a map, an out pointer or a listing index.
const std::vector<HostCall>& HostCalls() {
    using A = CallArguments;
    using L = ListedHost;
    static const std::vector<HostCall> calls = {
        // ILSSyncFilter2
        {"SetSyncStartPoint", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Sync()->raw_SetSyncStartPoint(a.Map(0), VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE,
                                                         0, VARIANT_FALSE);
         }},
        {"AddNewDocument", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Sync()->raw_AddNewDocument(LocalPath(l), _bstr_t(L"new.txt"), nullptr, a.Map(0));
         }},
        {"UpdateDocument", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Sync()->raw_UpdateDocument(LocalPath(l), _bstr_t(L"new.txt"), nullptr, a.Map(0));
         }},
        {"GetItemCount", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Sync()->raw_GetItemCount(a.Out<USHORT>(0)); }},
        {"GetItemBasicProps", Indexed::Item, 1, 0,
         [](L& l, A& a) { return l.host.Sync()->raw_GetItemBasicProps(a.index, a.Map(0)); }},
        {"RetrieveItemToPath", Indexed::Item, 1, 0,
         [](L& l, A& a) {
             return l.host.Sync()->raw_RetrieveItemToPath(a.index, LocalPath(l), nullptr, a.Map(0), VARIANT_FALSE,
                                                          nullptr);
         }},
        {"SetItemProperties", Indexed::Item, 1, 0,
         [](L& l, A& a) { return l.host.Sync()->raw_SetItemProperties(a.index, a.Map(0)); }},
        {"PostContentSyncFolderUpdate", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Sync()->raw_PostContentSyncFolderUpdate(a.Map(0), VARIANT_FALSE, VARIANT_FALSE);
         }},
        {"PreContentSyncFolderUpdate", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Sync()->raw_PreContentSyncFolderUpdate(a.Map(0), VARIANT_FALSE, VARIANT_FALSE);
         }},
        {"GetSubFolderCount", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Sync()->raw_GetSubFolderCount(a.Out<USHORT>(0)); }},
        {"GetSubFolderBasicProps", Indexed::SubFolder, 1, 0,
         [](L& l, A& a) { return l.host.Sync()->raw_GetSubFolderBasicProps(a.index, a.Map(0)); }},
        {"SetSubFolderProperties", Indexed::SubFolder, 1, 0,
         [](L& l, A& a) { return l.host.Sync()->raw_SetSubFolderProperties(a.index, a.Map(0)); }},
        {"GetFilterNames", Indexed::No, 0, 2,
         [](L& l, A& a) { return l.host.Sync()->raw_GetFilterNames(a.Out<BSTR>(0), a.Out<BSTR>(1)); }},
        {"HasChanges", Indexed::Item, 1, 1,
         [](L& l, A& a) { return l.host.Sync()->raw_HasChanges(a.index, a.Map(0), a.Out<LONG>(0)); }},
        {"HasMoreItemsAvailable", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Sync()->raw_HasMoreItemsAvailable(a.Out<LONG>(0)); }},
        {"UpdateFolder", Indexed::No, 2, 0,
         [](L& l, A& a) { return l.host.Sync()->raw_UpdateFolder(nullptr, a.Map(0), a.Map(1), 0); }},
        {"StoresServerFileId", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Sync()->get_StoresServerFileId(a.Out<VARIANT_BOOL>(0)); }},
        {"StartSync", Indexed::No, 1, 0, [](L& l, A& a) { return l.host.Sync()->raw_StartSync(0, a.Map(0)); }},
        {"GetFieldSetInfo", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Sync()->raw_GetFieldSetInfo(nullptr, a.Out<ILSKOVAFieldSetInfo*>(0)); }},
        {"SetMainFolderProperties", Indexed::No, 1, 0,
         [](L& l, A& a) { return l.host.Filter().raw_SetMainFolderProperties(a.Map(0)); }},
        // ILSManualDeletionsSyncFilter
        {"GetKeyPropertyTag", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Deletions()->raw_GetKeyPropertyTag(a.Out<BSTR>(0)); }},
        // ILSDeleteableSyncFilter
        {"DeleteItem", Indexed::No, 1, 0,
         [](L& l, A& a) { return l.host.Query<ILSDeleteableSyncFilter>()->raw_DeleteItem(a.Map(0), nullptr); }},
        {"ServerItemCount", Indexed::No, 0, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSDeleteableSyncFilter>()->get_ServerItemCount(nullptr, a.Out<LONG>(0));
         }},
        {"ServerItem", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Query<ILSDeleteableSyncFilter>()->get_ServerItem(0, a.Out<BSTR>(0)); }},
        {"ServerItemKey", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Query<ILSDeleteableSyncFilter>()->get_ServerItemKey(a.Out<BSTR>(0)); }},
        // ILSCreateableFolderSyncFilter
        {"CreateFolder", Indexed::No, 2, 0,
         [](L& l, A& a) {
             return l.host.Query<ILSCreateableFolderSyncFilter>()->raw_CreateFolder(nullptr, a.Map(0), a.Map(1));
         }},
        // ILSHeaderOnlySync
        {"RetrieveIndividualItemToPath", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Query<ILSHeaderOnlySync>()->raw_RetrieveIndividualItemToPath(
                 a.Map(0), LocalPath(l), nullptr, VARIANT_FALSE, nullptr);
         }},
        {"RetrieveIndividualItemToPathProperties", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.host.Query<ILSHeaderOnlySync>()->raw_RetrieveIndividualItemToPathProperties(a.Map(0),
                                                                                                  nullptr);
         }},
        // ILSQueryRepository
        {"QueryRepositoryMethod1", Indexed::No, 0, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSQueryRepository>()->raw_QueryRepositoryMethod1(a.Out<VARIANT_BOOL>(0));
         }},
        {"GetScopeParameterPrompt", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Query<ILSQueryRepository>()->raw_GetScopeParameterPrompt(a.Out<BSTR>(0)); }},
        {"ValidateScopeParameter", Indexed::No, 0, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSQueryRepository>()->raw_ValidateScopeParameter(
                 _bstr_t(l.host.ServerName().c_str()), a.Out<BSTR>(0));
         }},
        {"RunQuery", Indexed::No, 0, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSQueryRepository>()->raw_RunQuery(10, _bstr_t(l.host.ServerName().c_str()),
                                                                     _bstr_t(L"Plan"), nullptr, 0, a.Out<BSTR>(0));
         }},
        {"FormatScopeParameter", Indexed::No, 0, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSQueryRepository>()->raw_FormatScopeParameter(_bstr_t(L"server"),
                                                                                 a.Out<BSTR>(0));
         }},
        // ILSOnlineCheck
        {"HasChangesOnline", Indexed::No, 2, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSOnlineCheck>()->raw_HasChangesOnline(a.Map(0), a.Map(1), a.Out<LONG>(0),
                                                                         nullptr);
         }},
        // ILSDirectCopyMove
        {"GetSourceForCopyOrMoveMessageIfAllowed", Indexed::No, 3, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSDirectCopyMove>()->raw_GetSourceForCopyOrMoveMessageIfAllowed(
                 VARIANT_FALSE, a.Map(0), nullptr, nullptr, a.Map(1), a.Map(2), nullptr, a.Out<BSTR>(0));
         }},
        {"DoMessageCopy", Indexed::No, 2, 0,
         [](L& l, A& a) {
             return l.host.Query<ILSDirectCopyMove>()->raw_DoMessageCopy(a.Map(0), a.Map(1), nullptr, nullptr);
         }},
        {"DoMessageMove", Indexed::No, 2, 0,
         [](L& l, A& a) {
             return l.host.Query<ILSDirectCopyMove>()->raw_DoMessageMove(a.Map(0), a.Map(1), nullptr, nullptr);
         }},
        {"GetDirectCopyMoveString", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.host.Query<ILSDirectCopyMove>()->raw_GetDirectCopyMoveString(a.Out<BSTR>(0)); }},
        // ILSCreateSendLink
        {"CreateSendLinkFiletext", Indexed::No, 1, 2,
         [](L& l, A& a) {
             return l.host.Query<ILSCreateSendLink>()->raw_CreateSendLinkFiletext(nullptr, nullptr, a.Map(0),
                                                                                 a.Out<BSTR>(0), a.Out<BSTR>(1));
         }},
        // ILSEditDocPropsSyncFilter
        {"GetDocumentId", Indexed::No, 1, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSEditDocPropsSyncFilter>()->raw_GetDocumentId(a.Map(0), a.Out<BSTR>(0));
         }},
        {"GetVersionId", Indexed::No, 1, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSEditDocPropsSyncFilter>()->raw_GetVersionId(a.Map(0), a.Out<BSTR>(0));
         }},
        // ILSLockingSyncFilter
        {"Checkout", Indexed::No, 1, 0,
         [](L& l, A& a) { return l.host.Query<ILSLockingSyncFilter>()->raw_Checkout(a.Map(0)); }},
        {"CancelCheckout", Indexed::No, 1, 0,
         [](L& l, A& a) { return l.host.Query<ILSLockingSyncFilter>()->raw_CancelCheckout(a.Map(0)); }},
        {"GetCheckedOutState", Indexed::No, 1, 1,
         [](L& l, A& a) {
             return l.host.Query<ILSLockingSyncFilter>()->raw_GetCheckedOutState(a.Map(0), a.Out<BYTE>(0));
         }},
        // ILSKOVAFieldSetInfo
        {"initializeFromReposWithDefaultContentType", Indexed::No, 1, 0,
         [](L& l, A& a) { return l.fieldSet->raw_initializeFromReposWithDefaultContentType(a.Map(0), nullptr); }},
        {"initializeFromReposWithAllFields", Indexed::No, 1, 0,
         [](L& l, A& a) { return l.fieldSet->raw_initializeFromReposWithAllFields(a.Map(0), nullptr); }},
        {"initializeFromContentTypeId", Indexed::No, 1, 0,
         [](L& l, A& a) {
             return l.fieldSet->raw_initializeFromContentTypeId(a.Map(0), nullptr, nullptr, nullptr);
         }},
        {"HasPropertyPages", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_get_HasPropertyPages(a.Out<VARIANT_BOOL>(0)); }},
        {"getFieldInfo", Indexed::No, 0, 1,
         [](L& l, A& a) {
             BSTR name = nullptr;
             l.fieldSet->raw_getAllFieldName(0, &name);
             const HRESULT hr = l.fieldSet->raw_getFieldInfo(name, a.Out<ILSKOVAFieldInfo*>(0));
             SysFreeString(name);
             return hr;
         }},
        {"getMessageContentType", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getMessageContentType(nullptr, a.Out<BSTR>(0)); }},
        {"getVisibleFieldCount", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getVisibleFieldCount(a.Out<LONG>(0)); }},
        {"getVisibleFieldName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getVisibleFieldName(0, a.Out<BSTR>(0)); }},
        {"getAllFieldCount", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getAllFieldCount(a.Out<LONG>(0)); }},
        {"getAllFieldName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getAllFieldName(0, a.Out<BSTR>(0)); }},
        {"getDefaultViewName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getDefaultViewName(a.Out<BSTR>(0)); }},
        {"getViewCount", Indexed::No, 0, 1, [](L& l, A& a) { return l.fieldSet->raw_getViewCount(a.Out<LONG>(0)); }},
        {"getViewName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getViewName(0, a.Out<BSTR>(0)); }},
        {"getViewFieldCount", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getViewFieldCount(nullptr, a.Out<LONG>(0)); }},
        {"getViewFieldName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldSet->raw_getViewFieldName(nullptr, 0, a.Out<BSTR>(0)); }},
        // ILSKOVAFieldInfo
        {"DisplayName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_DisplayName(a.Out<BSTR>(0)); }},
        {"InternalName", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_InternalName(a.Out<BSTR>(0)); }},
        {"isRequired", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_isRequired(a.Out<VARIANT_BOOL>(0)); }},
        {"LocaleId", Indexed::No, 0, 1, [](L& l, A& a) { return l.fieldInfo->raw_get_LocaleId(a.Out<LONG>(0)); }},
        {"Default", Indexed::No, 0, 1, [](L& l, A& a) { return l.fieldInfo->raw_get_Default(a.Out<BSTR>(0)); }},
        {"FieldType", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_FieldType(a.Out<LONG>(0)); }},
        {"FieldControlProgId", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_FieldControlProgId(a.Out<BSTR>(0)); }},
        {"RawFieldValue", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_RawFieldValue(_bstr_t(L"1"), a.Out<BSTR>(0)); }},
        {"DisplayFieldValue", Indexed::No, 0, 1,
         [](L& l, A& a) { return l.fieldInfo->raw_get_DisplayFieldValue(_bstr_t(L"1"), a.Out<BSTR>(0)); }},
        {"FieldValueFromMap", Indexed::No, 1, 1,
         [](L& l, A& a) {
             return l.fieldInfo->raw_get_FieldValueFromMap(a.Map(0), VARIANT_FALSE, a.Out<BSTR>(0));
         }},
    };
    return calls;
}

// Runs every refused form of the call: each map null in turn, each out pointer null in turn, and for
// an indexed call the index just past the listing of its kind and index 0 of a listing without that
// kind. Returns what went wrong, empty when nothing did.
std::string RefusedForms(const HostCall& call) {
    ListedHost listed;
    std::ostringstream problems;
    const auto check = [&](const std::string& form, int nullMap, int nullOut, USHORT index) {
        CallArguments arguments(call.maps, call.outs, nullMap, nullOut, index);
        const HRESULT hr = call.call(listed, arguments);
        if (SUCCEEDED(hr)) {
            problems << form << ": succeeded (" << std::hex << hr << std::dec << ");";
        }
        problems << (arguments.Written().empty() ? "" : form + ":" + arguments.Written());
    };
    const Indexed kind = call.indexed;
    for (int map = 0; map < call.maps; ++map) {
        check("null map " + std::to_string(map), map, -1, 0);
    }
    for (int out = 0; out < call.outs; ++out) {
        check("null out pointer " + std::to_string(out), -1, out, 0);
    }
    if (kind != Indexed::No) {
        check("index past the listing", -1, -1, listed.Count(kind));
        listed.ListWithout(kind);
        EXPECT_EQ(listed.Count(kind), 0);
        check("index 0 of a listing without the kind", -1, -1, 0);
    }
    return problems.str();
}

class HostCallArguments : public ::testing::TestWithParam<HostCall> {};

TEST_P(HostCallArguments, AreRefusedBeforeTheCallActs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string problems = RefusedForms(GetParam());
            std::cerr << problems;
            std::cerr.flush();
            std::_Exit(problems.empty() && !::testing::Test::HasFailure() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(EveryHostMethod, HostCallArguments, ::testing::ValuesIn(HostCalls()),
                         [](const ::testing::TestParamInfo<HostCall>& info) {
                             return std::string(info.param.name);
                         });

// A key that names no item is refused: taken as a key, it would be missing from every listing and
// so read as deleted from the server.
TEST(HostCallArgument, AnEmptyDeletionKeyIsRefusedNotReportedDeleted) {
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 1)), S_OK);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(L""), 1), E_INVALIDARG);
    EXPECT_EQ(host.Deletions()->raw_IsDeleted(_bstr_t(host.Location(L"container", 2).c_str()), 1), S_FALSE);
}

// The listing's tables are read through checked access: an index past a table throws E_INVALIDARG,
// whatever path reaches it, instead of reading past the table.
TEST(HostCallArgument, ListingTablesAreReadThroughCheckedAccess) {
    MeridioHost host;
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 1)), S_OK);
    KOVAMeridioSyncFilterImpl& filter = host.Filter();
    const auto thrown = [](const std::function<void()>& read) {
        try {
            read();
        } catch (long hr) {
            return static_cast<HRESULT>(hr);
        }
        return S_OK;
    };
    EXPECT_EQ(thrown([&] { (void)filter.GetItemName(0); }), S_OK);
    EXPECT_EQ(thrown([&] { (void)filter.GetItemName(1); }), E_INVALIDARG);
    EXPECT_EQ(thrown([&] { (void)filter.GetItemVersion(1); }), E_INVALIDARG);
    EXPECT_EQ(thrown([&] { (void)filter.GetSubFolderUrl(3); }), S_OK);
    EXPECT_EQ(thrown([&] { (void)filter.GetSubFolderUrl(4); }), E_INVALIDARG);
    auto subFolder = NewMap();
    EXPECT_EQ(thrown([&] { (void)filter.SetSubFolderItemProperties(4, subFolder.get()); }), E_INVALIDARG);
    EXPECT_TRUE(subFolder->Properties().empty());
}

} // namespace
