#include "tests/KOVACommon/FilterTestFixture.h"
#include "tests/Support/LogCapture.h"

#include "KOVACommon/LSFilterSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

using namespace TestSupport;

struct ExceptionKind {
    const char* what;
    std::function<void()> raise;
    HRESULT result;
};

const HRESULT BareValue = static_cast<HRESULT>(0x80070020);

const ExceptionKind Kinds[] = {
    {"hresult_exception", [] { throw hresult_exception(E_ACCESSDENIED, "refused"); }, E_ACCESSDENIED},
    {"std::exception", [] { throw std::length_error("too long"); }, E_FAIL},
    {"HRESULT", [] { ThrowHResult(BareValue); }, BareValue},
    {"_com_error", [] { _com_issue_error(E_OUTOFMEMORY); }, E_OUTOFMEMORY},
    {"unknown", [] { throw 42; }, E_FAIL},
};

class Boundary : public FilterTest {
public:
    using FilterTest::AddDocument;
    using FilterTest::Creatable;
    using FilterTest::Deleteable;
    using FilterTest::Deletions;
    using FilterTest::filter;
    using FilterTest::folder;
    using FilterTest::HeaderOnly;
    using FilterTest::LocalPath;
    using FilterTest::mainFolder;
    using FilterTest::StartFolderPass;
    using FilterTest::Sync;
};

// One host method, the repository operation through which it is made to fail, and the name
// under which the failure is logged.
struct HostCall {
    const char* method;
    const char* operation;
    std::function<HRESULT(Boundary&)> call;
};

HRESULT Listed(Boundary& t, const std::function<HRESULT(Boundary&)>& call) {
    t.AddDocument(L"a.doc", L"docs/a", 1, Time(2024, 1, 1));
    t.filter->subFolders.push_back({L"Sub", L"test://root/sub", {}});
    t.StartFolderPass();
    return call(t);
}

std::vector<HostCall> HostCalls() {
    auto item = [] { return NewMap(); };
    return {
        {"raw_SetSyncStartPointByString", "ParseFileFilterLocation",
         [](Boundary& t) { return t.Sync()->raw_SetSyncStartPointByString(_bstr_t(L"x"), nullptr); }},
        {"raw_SetSyncStartPoint", "GetContents",
         [](Boundary& t) {
             auto& b = t;
             return b.Sync()->raw_SetSyncStartPoint(b.folder.get(), 0, 0, 0, 0, 0);
         }},
        {"raw_AddNewDocument", "GetUploadInfoString",
         [item](Boundary& t) {
             auto& b = t;
             std::ofstream(std::filesystem::path(b.LocalPath("up.doc"))) << "x";
             auto map = item();
             return b.Sync()->raw_AddNewDocument(_bstr_t(b.LocalPath("up.doc").c_str()), _bstr_t(L"up.doc"),
                                                 nullptr, map.get());
         }},
        {"raw_UpdateDocument", "GetUploadInfoString",
         [item](Boundary& t) {
             auto& b = t;
             b.AddDocument(L"up.doc", L"docs/up", 1, std::nullopt);
             std::ofstream(std::filesystem::path(b.LocalPath("up.doc"))) << "x";
             auto map = item();
             map->Set(L"Mavisto.FromServerFileName", std::wstring(L"up.doc"));
             return b.Sync()->raw_UpdateDocument(_bstr_t(b.LocalPath("up.doc").c_str()), _bstr_t(L"up.doc"),
                                                 nullptr, map.get());
         }},
        {"raw_GetItemBasicProps", "GetItemName",
         [item](Boundary& t) {
             return Listed(t, [&](Boundary& b) { return b.Sync()->raw_GetItemBasicProps(0, item().get()); });
         }},
        {"raw_RetrieveItemToPath", "CopyFileToLocal",
         [item](Boundary& t) {
             return Listed(t, [&](Boundary& b) {
                 return b.Sync()->raw_RetrieveItemToPath(0, _bstr_t(b.LocalPath("d").c_str()), nullptr,
                                                         item().get(), VARIANT_FALSE, nullptr);
             });
         }},
        {"raw_SetItemProperties", "GetItemName",
         [item](Boundary& t) {
             return Listed(t, [&](Boundary& b) { return b.Sync()->raw_SetItemProperties(0, item().get()); });
         }},
        {"raw_PostContentSyncFolderUpdate", "OnPostContentSyncFolderUpdate",
         [](Boundary& t) {
             auto& b = t;
             return b.Sync()->raw_PostContentSyncFolderUpdate(b.folder.get(), 0, 0);
         }},
        {"raw_PreContentSyncFolderUpdate", "GetContents",
         [](Boundary& t) {
             auto& b = t;
             return b.Sync()->raw_PreContentSyncFolderUpdate(b.folder.get(), 0, 0);
         }},
        {"raw_GetSubFolderBasicProps", "GetSubFolderUrl",
         [item](Boundary& t) {
             return Listed(
                 t, [&](Boundary& b) { return b.Sync()->raw_GetSubFolderBasicProps(0, item().get()); });
         }},
        {"raw_SetSubFolderProperties", "GetSubFolderUrl",
         [item](Boundary& t) {
             return Listed(
                 t, [&](Boundary& b) { return b.Sync()->raw_SetSubFolderProperties(0, item().get()); });
         }},
        {"raw_GetFilterNames", "GetRepositoryType",
         [](Boundary& t) {
             BSTR first = nullptr;
             BSTR second = nullptr;
             return t.Sync()->raw_GetFilterNames(&first, &second);
         }},
        {"raw_HasChanges", "GetItemName",
         [item](Boundary& t) {
             return Listed(t, [&](Boundary& b) {
                 LONG code = 0;
                 return b.Sync()->raw_HasChanges(0, item().get(), &code);
             });
         }},
        {"raw_HasMoreItemsAvailable", "HasMoreItemsAvailable",
         [](Boundary& t) {
             LONG more = 0;
             return t.Sync()->raw_HasMoreItemsAvailable(&more);
         }},
        {"raw_UpdateFolder", "RenameFolderRemote",
         [item](Boundary& t) {
             auto outlook = item();
             auto properties = item();
             outlook->Set(L"0x3001001f", std::wstring(L"New"));
             properties->Set(L"Mavisto.FromServerFileName", std::wstring(L"Old"));
             properties->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root/old"));
             return t.Sync()->raw_UpdateFolder(nullptr, outlook.get(), properties.get(), 0);
         }},
        {"raw_StartSync", "OnStartSync",
         [](Boundary& t) {
             auto& b = t;
             return b.Sync()->raw_StartSync(0, b.mainFolder.get());
         }},
        {"raw_EndSync", "OnEndSync", [](Boundary& t) { return t.Sync()->raw_EndSync(0, VARIANT_TRUE, 0); }},
        {"raw_GetFieldSetInfo", "CreateFieldSetInfo",
         [](Boundary& t) {
             ILSKOVAFieldSetInfo* fieldSet = nullptr;
             return t.Sync()->raw_GetFieldSetInfo(nullptr, &fieldSet);
         }},
        {"raw_SetMainFolderProperties", "GetRepositoryType",
         [](Boundary& t) {
             auto& b = t;
             return b.filter->raw_SetMainFolderProperties(b.mainFolder.get());
         }},
        {"raw_GetKeyPropertyTag", "GetKeyPropertyName",
         [](Boundary& t) {
             BSTR name = nullptr;
             return t.Deletions()->raw_GetKeyPropertyTag(&name);
         }},
        {"raw_IsDeleted", "IsItemOnServer",
         [](Boundary& t) {
             return Listed(t,
                           [](Boundary& b) { return b.Deletions()->raw_IsDeleted(_bstr_t(L"docs/a"), 0); });
         }},
        {"get_ServerItemCount", "GetServerItemCount",
         [](Boundary& t) {
             LONG count = 0;
             return t.Deleteable()->get_ServerItemCount(nullptr, &count);
         }},
        {"get_ServerItem", "GetServerItem",
         [](Boundary& t) {
             BSTR key = nullptr;
             return t.Deleteable()->get_ServerItem(0, &key);
         }},
        {"raw_CreateFolder", "CreateDirectoryRemote",
         [item](Boundary& t) {
             auto parent = item();
             auto created = item();
             parent->Set(L"Mavisto.FolderLocation", std::wstring(L"test://root"));
             created->Set(L"DisplayName", std::wstring(L"New"));
             return t.Creatable()->raw_CreateFolder(nullptr, parent.get(), created.get());
         }},
        {"raw_RetrieveIndividualItemToPath", "GetStoredRemoteFileName",
         [item](Boundary& t) {
             auto& b = t;
             return b.HeaderOnly()->raw_RetrieveIndividualItemToPath(
                 item().get(), _bstr_t(b.LocalPath("i").c_str()), nullptr, VARIANT_FALSE, nullptr);
         }},
        {"raw_RetrieveIndividualItemToPathProperties", "GetStoredRemoteFileName",
         [item](Boundary& t) {
             return t.HeaderOnly()->raw_RetrieveIndividualItemToPathProperties(item().get(), nullptr);
         }},
    };
}

TEST_F(Boundary, HostMethodsTurnEveryExceptionIntoTheBoundaryResult) {
    for (const HostCall& host : HostCalls()) {
        for (const ExceptionKind& kind : Kinds) {
            SCOPED_TRACE(std::string(host.method) + " / " + kind.what);
            // A fresh filter for each case.
            filter.reset(TestRepositoryFilter::Create());
            const std::string operation = host.operation;
            LogCapture log;
            bool raised = false;
            filter->hook = [&](const std::string& called) {
                if (called == operation && !raised) {
                    raised = true;
                    kind.raise();
                }
            };
            EXPECT_EQ(host.call(*this), kind.result);
            EXPECT_TRUE(raised);
            const std::string qualified = std::string("LSBaseFileSyncFilter::") + host.method;
            const std::vector<std::string> errors = log.Errors();
            EXPECT_TRUE(std::any_of(errors.begin(), errors.end(), [&](const std::string& record) {
                return record.find(qualified) != std::string::npos;
            }));
        }
    }
}

TEST_F(Boundary, ANullOutPointerIsRefusedWithoutACrash) {
    AddDocument(L"a.doc", L"docs/a", 1, Time(2024, 1, 1));
    StartFolderPass();
    auto item = NewMap();
    BSTR text = nullptr;
    const std::pair<const char*, std::function<HRESULT()>> calls[] = {
        {"raw_GetItemCount", [&] { return Sync()->raw_GetItemCount(nullptr); }},
        {"raw_GetSubFolderCount", [&] { return Sync()->raw_GetSubFolderCount(nullptr); }},
        {"raw_GetFilterNames, first", [&] { return Sync()->raw_GetFilterNames(nullptr, &text); }},
        {"raw_GetFilterNames, second", [&] { return Sync()->raw_GetFilterNames(&text, nullptr); }},
        {"raw_HasChanges", [&] { return Sync()->raw_HasChanges(0, item.get(), nullptr); }},
        {"raw_HasMoreItemsAvailable", [&] { return Sync()->raw_HasMoreItemsAvailable(nullptr); }},
        {"get_StoresServerFileId", [&] { return Sync()->get_StoresServerFileId(nullptr); }},
        {"raw_GetFieldSetInfo", [&] { return Sync()->raw_GetFieldSetInfo(nullptr, nullptr); }},
        {"raw_GetKeyPropertyTag", [&] { return Deletions()->raw_GetKeyPropertyTag(nullptr); }},
        {"get_ServerItem", [&] { return Deleteable()->get_ServerItem(0, nullptr); }},
        {"get_ServerItemKey", [&] { return Deleteable()->get_ServerItemKey(nullptr); }},
    };
    for (const auto& [method, call] : calls) {
        SCOPED_TRACE(method);
        EXPECT_EQ(call(), E_POINTER);
        EXPECT_EQ(text, nullptr);
    }
}

} // namespace
