// A test host around one Meridio filter object and the demo server it talks to over HTTP on
// 127.0.0.1: the host's property maps and informer, the filter reached through the interfaces a host
// queries, and the requests the server received.
#pragma once

#include "Host/PropertyMap.h"
#include "Host/ShutdownInformer.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"
#include "tests/KOVACommon/FilterTestFixture.h"
#include "tests/Support/TempRegistryDir.h"
#include "tools/demo-meridio/DemoServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace MeridioTest {

using TestSupport::NewMap;
using TestSupport::Owned;
using FilterObject = CComObjectNoLock<CKOVAMeridioSyncFilter>;

// The action of a received request without the service namespace, e.g. "Login".
inline std::string ActionOf(const DemoMeridio::IncomingRequest& request) {
    const std::string action = request.soapAction.value_or("");
    return action.substr(action.rfind('/') + 1);
}

class MeridioHost {
public:
    // Starts the demo server on the sample content (with by-reference downloads under uncRoot when
    // given) and creates a filter object that has not logged in yet.
    explicit MeridioHost(const std::filesystem::path& uncRoot = {})
        : informer_(Host::LSShutdownInformer::Create()), folder(NewMap()), mainFolder(NewMap()) {
        TestSupport::UseProcessTestRegistry();
        DemoMeridio::ServerOptions options;
        options.contentDir = DEMO_MERIDIO_SAMPLE_DIR;
        options.uncRoot = uncRoot;
        server_ = std::make_unique<DemoMeridio::DemoServer>(options);
        server_->Start();
        KOVAMeridioSyncFilterImpl::SessionToken().clear();

        FilterObject* created = nullptr;
        EXPECT_EQ(FilterObject::CreateInstance(&created), S_OK);
        created->AddRef();
        object_.reset(created);
        // The main folder of a registered repository carries its type and system configuration; a
        // registration in the test replaces this one, which defines no custom properties.
        mainFolder->Set(L"Mavisto.RepositoryType", std::wstring(L"Meridio"));
        mainFolder->Set(L"CTInfo", std::wstring(L"<SystemConfiguration />"));
        sync_ = Query<ILSSyncFilter2>();
        deletions_ = Query<ILSManualDeletionsSyncFilter>();
        EXPECT_EQ(Query<ILSNeedsShutdownInfo>()->putref_pShutdownInformer(informer_.get()), S_OK);
    }

    // The interface the object answers for T, as a host gets it; null when it has none.
    template <class T> Owned<T> Query() {
        T* found = nullptr;
        object_->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&found));
        return Owned<T>(found);
    }

    ILSSyncFilter2* Sync() { return sync_.get(); }
    ILSManualDeletionsSyncFilter* Deletions() { return deletions_.get(); }
    // The C++ object, for the operations no host interface reaches.
    KOVAMeridioSyncFilterImpl& Filter() { return *object_; }
    Host::LSShutdownInformer& Informer() { return *informer_; }
    DemoMeridio::DemoServer& Server() { return *server_; }

    std::wstring ServerName() const { return L"127.0.0.1:" + std::to_wstring(server_->Port()); }
    // "Meridio://127.0.0.1:PORT/kind/id".
    std::wstring Location(const std::wstring& kind, long id) const {
        return L"Meridio://" + ServerName() + L"/" + kind + L"/" + std::to_wstring(id);
    }

    // Lists the folder at the location as a pass does: the pass starts on the main folder, then the
    // folder's documents and sub-folders are listed.
    HRESULT ListFolder(const std::wstring& location) {
        folder->Set(L"Mavisto.FolderLocation", location);
        EXPECT_EQ(sync_->raw_StartSync(0, mainFolder.get()), S_OK);
        return ListFolderMap(folder.get());
    }

    // Lists the registered main folder itself, as a pass over a single-document start point does.
    HRESULT ListMainFolder() { return ListFolderMap(mainFolder.get()); }

    // Registers the start point as a first sync does: the main folder gets the properties the filter
    // writes for the one item it then reports.
    HRESULT Register(const std::wstring& startPoint) {
        BSTR errorText = nullptr;
        HRESULT hr = sync_->raw_SetSyncStartPointByString(_bstr_t(startPoint.c_str()), &errorText);
        SysFreeString(errorText);
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(sync_->raw_GetItemBasicProps(0, mainFolder.get()), S_OK);
            hr = sync_->raw_SetItemProperties(0, mainFolder.get());
        }
        return hr;
    }

    // The listed item's basic properties and the properties the filter writes on it.
    Owned<Host::LSMemoryPropertyMap> Item(USHORT index) {
        auto item = NewMap();
        EXPECT_EQ(sync_->raw_GetItemBasicProps(index, item.get()), S_OK);
        EXPECT_EQ(sync_->raw_SetItemProperties(index, item.get()), S_OK);
        return item;
    }

    // Downloads the listed item as a pass does (the content is not local yet).
    HRESULT Retrieve(USHORT index, const std::filesystem::path& localPath, ILSPropertyMap* item) {
        return sync_->raw_RetrieveItemToPath(index, _bstr_t(localPath.c_str()), nullptr, item, VARIANT_FALSE,
                                             nullptr);
    }

    // The actions of the requests the server received, oldest first.
    std::vector<std::string> Actions() const {
        std::vector<std::string> actions;
        for (const DemoMeridio::IncomingRequest& request : server_->ReceivedRequests()) {
            actions.push_back(ActionOf(request));
        }
        return actions;
    }

    // The latest content of the server's document.
    std::string ContentOf(long documentId) {
        std::string content;
        server_->ChangeRepository([&](DemoMeridio::Repository& repository) {
            content = repository.FindDocument(documentId)->content;
        });
        return content;
    }

private:
    HRESULT ListFolderMap(ILSPropertyMap* map) {
        return sync_->raw_SetSyncStartPoint(map, VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, 0,
                                            VARIANT_FALSE);
    }

    std::unique_ptr<DemoMeridio::DemoServer> server_;
    Owned<Host::LSShutdownInformer> informer_;
    Owned<FilterObject> object_;
    Owned<ILSSyncFilter2> sync_;
    Owned<ILSManualDeletionsSyncFilter> deletions_;

public:
    Owned<Host::LSMemoryPropertyMap> folder;
    Owned<Host::LSMemoryPropertyMap> mainFolder;
};

// The document id that ends a Meridio location.
inline long DocumentIdOf(const std::wstring& location) {
    return std::stol(location.substr(location.rfind(L'/') + 1));
}

// The index of the listed document with that id.
inline USHORT IndexOf(MeridioHost& host, long documentId) {
    USHORT count = 0;
    EXPECT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    for (USHORT index = 0; index < count; ++index) {
        auto item = NewMap();
        EXPECT_EQ(host.Sync()->raw_GetItemBasicProps(index, item.get()), S_OK);
        if (DocumentIdOf(TestSupport::StrProp(*item, L"Mavisto.FromServerFileId").value_or(L"/0")) ==
            documentId) {
            return index;
        }
    }
    ADD_FAILURE() << "document " << documentId << " is not listed";
    return 0;
}

} // namespace MeridioTest
