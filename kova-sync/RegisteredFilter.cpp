#include "kova-sync/RegisteredFilter.h"

#include "kova-sync/Messages.h"

#include <stdexcept>

namespace KovaSync {
namespace {

constexpr const wchar_t* kProgId = L"Vantrel.SyncFilterMeridio";

} // namespace

RegisteredFilter::RegisteredFilter() {
    try {
        CLSID clsid{};
        library_.emplace(FindRegisteredServer(kProgId, clsid));
        filter_.Attach(static_cast<ILSSyncFilter2*>(library_->CreateObject(clsid, __uuidof(ILSSyncFilter2))));
    } catch (const HostCallError& error) {
        throw std::runtime_error("the sync filter cannot be loaded (is it registered? kova-sync register "
                                 "--user): " +
                                 Describe(error));
    }
}

} // namespace KovaSync
