// Host calls: one filter object, as a host holds it, against the demo server (in-process, on its
// sample content, fresh for each input) is driven through a sequence of host calls that the input
// spells: start points of every kind (single-document ones too), listings in every mode, counts,
// basic and written properties, change tests, downloads, deletion tests, uploads, deletions, the
// content updates before and after, checkouts and their cancels, with indexes, flags, null maps and
// small local files taken from the input. Nothing may crash, and when the host has cancelled the
// checkouts it holds, no lock of the filter's user may be left on the server.
#include "Host/PropertyMap.h"
#include "Host/ShutdownInformer.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"
#include "Platform/AtlModule.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/demo-meridio/DemoServer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace {

using FilterObject = CComObjectNoLock<CKOVAMeridioSyncFilter>;

// The objects the filter hands out (its field set) keep the module locked while they live, as in
// the plug-in; this program declares the module itself.
CAtlModule fuzzModule;

struct Releaser {
    template <class T> void operator()(T* object) const {
        if (object != nullptr) {
            object->Release();
        }
    }
};
template <class T> using Held = std::unique_ptr<T, Releaser>;

// The input read a byte at a time; past its end every byte is 0.
class InputBytes {
public:
    InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return size_ == 0; }
    std::uint8_t Byte() {
        if (size_ == 0) {
            return 0;
        }
        --size_;
        return *data_++;
    }
    // A text of up to `longest` bytes, UTF-8 with invalid sequences replaced.
    std::wstring Text(std::size_t longest) {
        const std::size_t length = std::min<std::size_t>(Byte() % (longest + 1), size_);
        const std::wstring text = Fuzz::WideText(Fuzz::Bytes(data_, length));
        data_ += length;
        size_ -= length;
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A folder for the run's local files, removed at exit.
const std::filesystem::path& LocalFolder() {
    static const std::filesystem::path folder = [] {
        char name[] = "/tmp/kova-fuzz-host-calls-XXXXXX";
        if (mkdtemp(name) == nullptr) {
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(LocalFolder(), ignored);
        });
        return std::filesystem::path(name);
    }();
    return folder;
}

class HostSession {
public:
    HostSession() {
        DemoMeridio::ServerOptions options;
        options.contentDir = DEMO_MERIDIO_SAMPLE_DIR;
        server_ = std::make_unique<DemoMeridio::DemoServer>(options);
        server_->Start();
        KOVAMeridioSyncFilterImpl::SessionToken().clear();
        FilterObject* created = nullptr;
        if (FAILED(FilterObject::CreateInstance(&created))) {
            std::abort();
        }
        created->AddRef();
        object_.reset(created);
        sync_ = Query<ILSSyncFilter2>();
        informer_.reset(Host::LSShutdownInformer::Create());
        Query<ILSNeedsShutdownInfo>()->putref_pShutdownInformer(informer_.get());
        mainFolder_.reset(Host::LSMemoryPropertyMap::Create());
        mainFolder_->Set(L"Mavisto.RepositoryType", std::wstring(L"Meridio"));
        mainFolder_->Set(L"CTInfo", std::wstring(L"<SystemConfiguration />"));
        for (auto& item : items_) {
            item.reset(Host::LSMemoryPropertyMap::Create());
        }
        folder_.reset(Host::LSMemoryPropertyMap::Create());
    }

    void Run(InputBytes& input) {
        for (int step = 0; step < 48 && !input.Empty(); ++step) {
            Step(input);
        }
        sync_->raw_EndSync(0, VARIANT_TRUE, 0);
        ReleaseHeldCheckouts();
        ExpectNoLockLeft();
    }

private:
    template <class T> Held<T> Query() {
        T* found = nullptr;
        object_->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&found));
        if (found == nullptr) {
            std::abort();
        }
        return Held<T>(found);
    }

    std::wstring Location(const wchar_t* kind, long id) const {
        return L"Meridio://127.0.0.1:" + std::to_wstring(server_->Port()) + L"/" + kind + L"/" +
               std::to_wstring(id);
    }

    // A container, records class or folder of the sample, or one that does not exist.
    std::wstring FolderLocation(std::uint8_t choice) const {
        static constexpr long containers[] = {1, 2, 3, 4, 20, 21, 999};
        static constexpr const wchar_t* kinds[] = {L"container", L"container", L"container", L"container",
                                                   L"class",     L"folder",    L"container"};
        const std::size_t which = choice % std::size(containers);
        return Location(kinds[which], containers[which]);
    }

    // A document of the sample (or none) by its id.
    static long DocumentId(std::uint8_t choice) {
        static constexpr long documents[] = {101, 102, 103, 104, 105, 106, 107, 108, 0, 999};
        return documents[choice % std::size(documents)];
    }

    std::wstring StartPoint(InputBytes& input) {
        const std::uint8_t kind = input.Byte();
        switch (kind % 4) {
        case 0:
            return FolderLocation(input.Byte());
        case 1:
            return FolderLocation(input.Byte()) + L"#filter:file|" +
                   std::to_wstring(DocumentId(input.Byte())) + L"/" + input.Text(12);
        case 2:
            return Location(L"document", DocumentId(input.Byte()));
        default:
            return input.Text(40);
        }
    }

    // One of the host's item maps, the main folder map, the folder map, or null.
    ILSPropertyMap* Map(InputBytes& input) {
        const std::uint8_t choice = input.Byte() % (items_.size() + 3);
        if (choice < items_.size()) {
            return items_[choice].get();
        }
        if (choice == items_.size()) {
            return mainFolder_.get();
        }
        return choice == items_.size() + 1 ? folder_.get() : nullptr;
    }

    static USHORT Index(InputBytes& input) {
        const std::uint8_t choice = input.Byte();
        return choice >= 250 ? static_cast<USHORT>(0xFFFF - (255 - choice)) : static_cast<USHORT>(choice % 8);
    }

    static VARIANT_BOOL Flag(InputBytes& input) {
        static constexpr VARIANT_BOOL flags[] = {VARIANT_FALSE, VARIANT_TRUE, VARIANT_FALSE, 1};
        return flags[input.Byte() % std::size(flags)];
    }

    // A small local file of bytes from the input; its path.
    std::wstring LocalFile(InputBytes& input) {
        const std::filesystem::path path =
            LocalFolder() / ("local-" + std::to_string(input.Byte() % 3) + ".txt");
        const std::uint8_t length = input.Byte() % 48;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (std::uint8_t i = 0; i < length; ++i) {
            out.put(static_cast<char>(input.Byte()));
        }
        return path.wstring();
    }

    // A map that names the document as a synced item does.
    Held<Host::LSMemoryPropertyMap> DocumentItem(long documentId) const {
        Held<Host::LSMemoryPropertyMap> item(Host::LSMemoryPropertyMap::Create());
        item->Set(L"Mavisto.FromServerFileId", Location(L"document", documentId));
        return item;
    }

    static long HeldDocument(ILSPropertyMap* item) {
        BSTR value = nullptr;
        if (item == nullptr || FAILED(item->get_ItemStr(_bstr_t(L"Mavisto.FromServerFileId"), &value))) {
            return 0;
        }
        const std::wstring location = value == nullptr ? L"" : value;
        SysFreeString(value);
        const std::size_t slash = location.rfind(L'/');
        try {
            return slash == std::wstring::npos ? 0 : std::stol(location.substr(slash + 1));
        } catch (...) {
            return 0;
        }
    }

    void Step(InputBytes& input) {
        BSTR text = nullptr;
        BSTR other = nullptr;
        USHORT count = 0;
        LONG code = 0;
        const std::uint8_t operation = input.Byte();
        switch (operation % 24) {
        case 0:
            sync_->raw_StartSync(0, input.Byte() % 4 == 0 ? nullptr : mainFolder_.get());
            break;
        case 1:
            sync_->raw_SetSyncStartPointByString(_bstr_t(StartPoint(input).c_str()),
                                                 input.Byte() % 2 == 0 ? &text : nullptr);
            break;
        case 2: {
            folder_.reset(Host::LSMemoryPropertyMap::Create());
            folder_->Set(L"Mavisto.FolderLocation", FolderLocation(input.Byte()));
            if (input.Byte() % 3 == 0) {
                folder_->Set(L"FilterPropertyName", std::wstring(L"FileId"));
                folder_->Set(L"FilterPropertyValue", std::to_wstring(DocumentId(input.Byte())));
            }
            ILSPropertyMap* map = input.Byte() % 5 == 0 ? Map(input) : folder_.get();
            sync_->raw_SetSyncStartPoint(map, Flag(input), Flag(input), Flag(input), input.Byte(),
                                         Flag(input));
            break;
        }
        case 3:
            sync_->raw_GetItemCount(input.Byte() % 4 == 0 ? nullptr : &count);
            sync_->raw_GetSubFolderCount(input.Byte() % 4 == 0 ? nullptr : &count);
            break;
        case 4:
            sync_->raw_GetItemBasicProps(Index(input), Map(input));
            break;
        case 5:
            sync_->raw_GetSubFolderBasicProps(Index(input), Map(input));
            break;
        case 6:
            sync_->raw_SetItemProperties(Index(input), Map(input));
            break;
        case 7:
            sync_->raw_SetSubFolderProperties(Index(input), Map(input));
            break;
        case 8:
            object_->raw_SetMainFolderProperties(Map(input));
            break;
        case 9:
            sync_->raw_HasChanges(Index(input), Map(input), input.Byte() % 4 == 0 ? nullptr : &code);
            break;
        case 10: {
            const USHORT index = Index(input);
            const std::wstring path = LocalFile(input);
            sync_->raw_RetrieveItemToPath(index, _bstr_t(path.c_str()),
                                          input.Byte() % 2 == 0 ? &text : nullptr, Map(input), Flag(input),
                                          nullptr);
            break;
        }
        case 11: {
            const std::uint8_t choice = input.Byte();
            const std::wstring key = choice % 3 == 0   ? Location(L"document", DocumentId(input.Byte()))
                                     : choice % 3 == 1 ? FolderLocation(input.Byte())
                                                       : input.Text(20);
            Query<ILSManualDeletionsSyncFilter>()->raw_IsDeleted(_bstr_t(key.c_str()), input.Byte() % 2);
            break;
        }
        case 12: {
            const std::wstring path = LocalFile(input);
            const std::wstring name = input.Text(16) + L".txt";
            sync_->raw_AddNewDocument(_bstr_t(path.c_str()), _bstr_t(name.c_str()), nullptr, Map(input));
            break;
        }
        case 13: {
            const std::wstring path = LocalFile(input);
            ILSPropertyMap* item = Map(input);
            if (item != nullptr && input.Byte() % 2 == 0) {
                item->put_ItemBool(_bstr_t(L"Mavisto.IsContentChanged"), 1);
            }
            sync_->raw_UpdateDocument(_bstr_t(path.c_str()), _bstr_t(input.Text(16).c_str()), nullptr, item);
            break;
        }
        case 14:
            Query<ILSDeleteableSyncFilter>()->raw_DeleteItem(Map(input),
                                                             input.Byte() % 2 == 0 ? &text : nullptr);
            break;
        case 15:
            sync_->raw_PreContentSyncFolderUpdate(Map(input), Flag(input), Flag(input));
            break;
        case 16:
            sync_->raw_PostContentSyncFolderUpdate(Map(input), Flag(input), Flag(input));
            break;
        case 17: {
            ILSPropertyMap* item = Map(input);
            if (Query<ILSLockingSyncFilter>()->raw_Checkout(item) == S_OK) {
                heldCheckouts_.insert(HeldDocument(item));
            }
            break;
        }
        case 18: {
            ILSPropertyMap* item = Map(input);
            if (Query<ILSLockingSyncFilter>()->raw_CancelCheckout(item) == S_OK) {
                heldCheckouts_.erase(HeldDocument(item));
            }
            break;
        }
        case 19: {
            // The host checks out a document it names itself, not one of its listed items.
            const Held<Host::LSMemoryPropertyMap> item = DocumentItem(DocumentId(input.Byte()));
            if (Query<ILSLockingSyncFilter>()->raw_Checkout(item.get()) == S_OK) {
                heldCheckouts_.insert(HeldDocument(item.get()));
            }
            break;
        }
        case 20: {
            BYTE state = 0;
            Query<ILSLockingSyncFilter>()->raw_GetCheckedOutState(Map(input),
                                                                  input.Byte() % 4 == 0 ? nullptr : &state);
            break;
        }
        case 21: {
            Held<ILSHeaderOnlySync> headerOnly = Query<ILSHeaderOnlySync>();
            headerOnly->raw_SetHeaderOnly();
            const std::wstring path = LocalFile(input);
            headerOnly->raw_RetrieveIndividualItemToPath(Map(input), _bstr_t(path.c_str()),
                                                         input.Byte() % 2 == 0 ? &text : nullptr, Flag(input),
                                                         nullptr);
            break;
        }
        case 22:
            sync_->raw_EndSync(0, Flag(input), 0);
            break;
        default:
            sync_->raw_GetFilterNames(input.Byte() % 4 == 0 ? nullptr : &text, &other);
            break;
        }
        SysFreeString(text);
        SysFreeString(other);
    }

    // The host cancels the checkouts it holds, as it does before it lets the documents go.
    void ReleaseHeldCheckouts() {
        for (const long documentId : heldCheckouts_) {
            const Held<Host::LSMemoryPropertyMap> item = DocumentItem(documentId);
            Query<ILSLockingSyncFilter>()->raw_CancelCheckout(item.get());
        }
    }

    void ExpectNoLockLeft() {
        server_->ChangeRepository([](DemoMeridio::Repository& repository) {
            for (long id = 1; id < 1000; ++id) {
                const DemoMeridio::Document* document = repository.FindDocument(id);
                if (document != nullptr && document->lock &&
                    document->lock->user == repository.credentials.userName) {
                    std::fprintf(stderr, "document %ld is left locked by the filter's user\n", id);
                    std::abort();
                }
            }
        });
    }

    std::unique_ptr<DemoMeridio::DemoServer> server_;
    Held<FilterObject> object_;
    Held<ILSSyncFilter2> sync_;
    Held<Host::LSShutdownInformer> informer_;
    Held<Host::LSMemoryPropertyMap> mainFolder_;
    Held<Host::LSMemoryPropertyMap> folder_;
    std::array<Held<Host::LSMemoryPropertyMap>, 4> items_;
    std::set<long> heldCheckouts_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    HostSession session;
    session.Run(input);
    return 0;
}
