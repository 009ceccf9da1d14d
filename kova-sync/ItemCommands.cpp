#include "kova-sync/ItemCommands.h"

#include "Host/ShutdownInformer.h"
#include "Platform/ComUtil.h"
#include "Platform/Utf.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/FileState.h"
#include "kova-sync/MirrorLock.h"
#include "kova-sync/MirroredDocument.h"
#include "kova-sync/RegisteredFilter.h"

#include <iostream>

namespace KovaSync {
namespace {

// Results of the online check.
constexpr LONG kServerChanged = 1;
constexpr LONG kServerOlder = 2;
constexpr BYTE kCheckedOut = 0xFF;

void Check(HRESULT hr, const char* call, const std::string& item) {
    if (FAILED(hr)) {
        throw HostCallError{call, hr, item};
    }
    ForgetFilterErrors();
}

std::string TakeText(BSTR text) {
    std::string narrow = text == nullptr ? std::string() : Platform::WideToUtf8(text);
    SysFreeString(text);
    return narrow;
}

// The filter in a sync of the mirror's main folder, with the document's folder listed (which logs in
// and gives the filter the folder's lock states); the sync ends with the session.
class ItemSession {
public:
    ItemSession(ILSSyncFilter2* filter, const MirroredDocument& document, bool listFolder)
        : filter_(filter), informer_(Host::LSShutdownInformer::Create()), shown_(document.file.string()) {
        ILSNeedsShutdownInfoPtr needsShutdown(filter_);
        if (needsShutdown) {
            Check(needsShutdown->putref_pShutdownInformer(informer_), "putref_pShutdownInformer", shown_);
        }
        Check(filter_->raw_SetCurrentProfileName(_bstr_t(L"kova-sync")), "raw_SetCurrentProfileName", shown_);
        Check(filter_->raw_StartSync(0, document.mainFolder.map.get()), "raw_StartSync", shown_);
        started_ = true;
        if (listFolder) {
            Check(filter_->raw_SetSyncStartPoint(document.folder.map.get(), VARIANT_FALSE, VARIANT_FALSE,
                                                 VARIANT_FALSE, 0, VARIANT_FALSE),
                  "raw_SetSyncStartPoint", shown_);
        }
    }
    ~ItemSession() {
        if (started_) {
            filter_->raw_EndSync(0, succeeded_ ? VARIANT_TRUE : VARIANT_FALSE, succeeded_ ? S_OK : E_FAIL);
        }
        informer_->Release();
    }
    ItemSession(const ItemSession&) = delete;
    ItemSession& operator=(const ItemSession&) = delete;

    Host::LSShutdownInformer* informer() const { return informer_; }
    const std::string& shown() const { return shown_; }
    void Succeeded() { succeeded_ = true; }

private:
    ILSSyncFilter2* filter_;
    Host::LSShutdownInformer* informer_;
    std::string shown_;
    bool started_ = false;
    bool succeeded_ = false;
};

template <class InterfacePtr> InterfacePtr Offered(ILSSyncFilter2* filter, const char* what) {
    InterfacePtr offered(filter);
    if (!offered) {
        throw std::runtime_error(std::string("the sync filter does not offer ") + what + ".");
    }
    return offered;
}

void Lock(ILSSyncFilter2* filter, const MirroredDocument& document, bool checkout) {
    const ILSLockingSyncFilterPtr locking = Offered<ILSLockingSyncFilterPtr>(filter, "checkouts");
    ItemSession session(filter, document, true);
    if (checkout) {
        Check(locking->raw_Checkout(document.document.map.get()), "raw_Checkout", session.shown());
        std::cout << "Checked out " << session.shown() << ": it is locked on the server for you.\n";
    } else {
        Check(locking->raw_CancelCheckout(document.document.map.get()), "raw_CancelCheckout",
              session.shown());
        std::cout << "Cancelled the checkout of " << session.shown() << ": its lock is removed.\n";
    }
    session.Succeeded();
}

void Status(ILSSyncFilter2* filter, const MirroredDocument& document) {
    const ILSLockingSyncFilterPtr locking = Offered<ILSLockingSyncFilterPtr>(filter, "checkouts");
    const ILSOnlineCheckPtr online = Offered<ILSOnlineCheckPtr>(filter, "an online change check");
    ItemSession session(filter, document, true);
    // The check writes the lock holder on the item: a copy, so the journal's map stays as synced.
    MapRef item;
    for (const Host::Property& property : document.document.map->Properties()) {
        item->Set(property.name, property.value);
    }
    BYTE checkedOut = 0;
    Check(locking->raw_GetCheckedOutState(item.get(), &checkedOut), "raw_GetCheckedOutState",
          session.shown());
    LONG change = 0;
    Check(
        online->raw_HasChangesOnline(document.mainFolder.map.get(), item.get(), &change, session.informer()),
        "raw_HasChangesOnline", session.shown());
    const std::string holder = Platform::WideToUtf8(item.String(L"ows-CheckoutUser"));
    const bool localChange = !document.document.content || !std::filesystem::exists(document.file) ||
                             !SameSizeAndTime(document.file, *document.document.content);

    std::cout << session.shown() << "\n"
              << "  checked out:   "
              << (checkedOut == kCheckedOut ? "yes" + (holder.empty() ? std::string() : ", by " + holder)
                                            : "no")
              << "\n  on the server: "
              << (change == kServerChanged ? "changed since the last sync"
                  : change == kServerOlder ? "older than the copy last synced"
                                           : "unchanged since the last sync")
              << "\n  here:          "
              << (!std::filesystem::exists(document.file) ? "deleted since the last sync"
                  : localChange                           ? "changed since the last sync"
                                                          : "unchanged since the last sync")
              << "\n";
    session.Succeeded();
}

void Link(ILSSyncFilter2* filter, const MirroredDocument& document) {
    const ILSCreateSendLinkPtr sendLink = Offered<ILSCreateSendLinkPtr>(filter, "document links");
    BSTR linkText = nullptr;
    BSTR fileName = nullptr;
    const HRESULT hr =
        sendLink->raw_CreateSendLinkFiletext(document.mainFolder.map.get(), document.folder.map.get(),
                                             document.document.map.get(), &linkText, &fileName);
    TakeText(fileName);
    const std::string link = TakeText(linkText);
    Check(hr, "raw_CreateSendLinkFiletext", document.file.string());
    std::cout << link << "\n";
}

} // namespace

int RunItemCommand(ItemCommand command, const std::string& file) {
    const MirroredDocument document = FindMirroredDocument(file);
    const RegisteredFilter filter;
    switch (command) {
    case ItemCommand::Checkout:
    case ItemCommand::CancelCheckout: {
        const MirrorLock lock(document.root);
        Lock(filter.get(), document, command == ItemCommand::Checkout);
        break;
    }
    case ItemCommand::Status:
        Status(filter.get(), document);
        break;
    case ItemCommand::Link:
        Link(filter.get(), document);
        break;
    }
    return kExitSynced;
}

} // namespace KovaSync
