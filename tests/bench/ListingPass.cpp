// The Meridio filter alone in a second pass over one folder, driven through its host interfaces as
// the sync driver drives it: a first pass stores what the filter writes on each listed item (without
// downloads), then each timed pass lists the folder again and, per item, reads its basic properties,
// asks for changes against the stored map and writes its properties. Prints the items, the time of
// each phase and the peak resident memory of the timed passes.
//
//   listing_pass Meridio://HOST:PORT/container/ID [PASSES]
//
// The credentials come from the user settings, as for kova-sync (KOVA_REGISTRY_DIR, `kova-sync config
// set MeridioSync.UserName ...`). A pass that finds a change, or a call that fails, ends the run
// with status 1.
#include "Host/PropertyMap.h"
#include "Host/ShutdownInformer.h"
#include "KOVACommon/ItemPropertyNames.h"
#include "KOVACommon/LSFilterSupport.h"
#include "KOVAMeridioSync/KOVAMeridioSyncFilter.h"
#include "Platform/AtlModule.h"
#include "tests/Support/ProcessMeasures.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using TestSupport::PeakResidentKiB;
using TestSupport::ResetPeakResident;
using TestSupport::SecondsSince;

// The objects the library creates for the host keep the module locked while they live.
CAtlModule harnessModule;

struct Releaser {
    template <class T> void operator()(T* object) const { object->Release(); }
};
template <class T> using Owned = std::unique_ptr<T, Releaser>;
using Map = Owned<Host::LSMemoryPropertyMap>;
using FilterObject = CComObjectNoLock<CKOVAMeridioSyncFilter>;

Map NewMap() {
    return Map(Host::LSMemoryPropertyMap::Create());
}

Map CopyOf(const Host::LSMemoryPropertyMap& map) {
    Map copy = NewMap();
    for (const Host::Property& property : map.Properties()) {
        copy->Set(property.name, property.value);
    }
    return copy;
}

void Check(HRESULT hr, const char* call) {
    if (FAILED(hr)) {
        std::fprintf(stderr, "listing_pass: %s failed: %08x\n", call, static_cast<unsigned>(hr));
        std::exit(1);
    }
}

class Pass {
public:
    Pass(ILSSyncFilter2* filter, Host::LSMemoryPropertyMap* folder) : filter_(filter), folder_(folder) {}

    // Lists the folder and calls each item's work; returns the items listed.
    template <class Work> USHORT Run(Work&& work) {
        Check(filter_->raw_SetSyncStartPoint(folder_, VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, 0,
                                             VARIANT_FALSE),
              "raw_SetSyncStartPoint");
        Check(filter_->raw_PreContentSyncFolderUpdate(folder_, VARIANT_FALSE, VARIANT_FALSE),
              "raw_PreContentSyncFolderUpdate");
        USHORT count = 0;
        Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
        for (USHORT index = 0; index < count; ++index) {
            Map listed = NewMap();
            Check(filter_->raw_GetItemBasicProps(index, listed.get()), "raw_GetItemBasicProps");
            work(index, std::move(listed));
        }
        Check(filter_->raw_PostContentSyncFolderUpdate(folder_, VARIANT_FALSE, VARIANT_FALSE),
              "raw_PostContentSyncFolderUpdate");
        return count;
    }

private:
    ILSSyncFilter2* filter_;
    Host::LSMemoryPropertyMap* folder_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: listing_pass START_POINT [PASSES]\n");
        return 2;
    }
    const std::string startText = argv[1];
    const std::wstring startPoint(startText.begin(), startText.end());
    const int passes = argc == 3 ? std::atoi(argv[2]) : 1;

    Owned<Host::LSShutdownInformer> informer(Host::LSShutdownInformer::Create());
    FilterObject* created = nullptr;
    Check(FilterObject::CreateInstance(&created), "CreateInstance");
    created->AddRef();
    Owned<FilterObject> object(created);
    ILSSyncFilter2* filter = object.get();
    ILSNeedsShutdownInfoPtr needsShutdown(object.get());
    Check(needsShutdown->putref_pShutdownInformer(informer.get()), "putref_pShutdownInformer");
    Check(filter->raw_SetCurrentProfileName(_bstr_t(L"listing_pass")), "raw_SetCurrentProfileName");

    // The main folder, registered from the start point as a first sync does.
    const auto setupStart = std::chrono::steady_clock::now();
    Map mainFolder = NewMap();
    BSTR errorText = nullptr;
    Check(filter->raw_SetSyncStartPointByString(_bstr_t(startPoint.c_str()), &errorText),
          "raw_SetSyncStartPointByString");
    SysFreeString(errorText);
    Check(filter->raw_GetItemBasicProps(0, mainFolder.get()), "raw_GetItemBasicProps");
    Check(filter->raw_SetItemProperties(0, mainFolder.get()), "raw_SetItemProperties");
    Check(filter->raw_StartSync(0, mainFolder.get()), "raw_StartSync");

    // What the first pass stores of each item.
    Pass pass(filter, mainFolder.get());
    std::vector<Map> stored;
    const USHORT listed = pass.Run([&](USHORT index, Map item) {
        Check(filter->raw_SetItemProperties(index, item.get()), "raw_SetItemProperties");
        stored.push_back(std::move(item));
    });
    std::printf("%u items; first pass without downloads: %.3f s, peak %ld KiB\n", listed,
                SecondsSince(setupStart), PeakResidentKiB());

    for (int run = 1; run <= passes; ++run) {
        ResetPeakResident();
        const long before = PeakResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        const USHORT count = pass.Run([&](USHORT index, Map item) {
            const std::wstring uniqueId = static_cast<const wchar_t*>(ItemProperty::UniqueId);
            if (index >= stored.size() || !(*item->Find(uniqueId) == *stored[index]->Find(uniqueId))) {
                std::fprintf(stderr, "listing_pass: item %u is not the one the first pass listed\n", index);
                std::exit(1);
            }
            Map work = CopyOf(*stored[index]);
            work->Set(static_cast<const wchar_t*>(ItemProperty::MavistoMessageIsUnchanged), LONG{1});
            LONG change = -1;
            Check(filter->raw_HasChanges(index, work.get(), &change), "raw_HasChanges");
            if (change != LSChange::None) {
                std::fprintf(stderr, "listing_pass: item %u has change %ld\n", index,
                             static_cast<long>(change));
                std::exit(1);
            }
            Check(filter->raw_SetItemProperties(index, work.get()), "raw_SetItemProperties");
            stored[index] = std::move(work);
        });
        std::printf("second pass %d: %u items, %.3f s, peak %ld KiB (%ld KiB before it)\n", run, count,
                    SecondsSince(start), PeakResidentKiB(), before);
    }
    Check(filter->raw_EndSync(0, VARIANT_TRUE, S_OK), "raw_EndSync");
    return 0;
}
