#include "kova-sync/HostChanges.h"

#include "Host/MailItem.h"
#include "Platform/ComUtil.h"
#include "Platform/Utf.h"
#include "kova-sync/HostCalls.h"
#include "kova-sync/Messages.h"

namespace KovaSync {
namespace {

const wchar_t* const kIssueType = L"Mavisto.SyncIssueType";

bool IsMailName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".msg" || extension == ".eml" || extension == ".mim" || extension == ".mme";
}

} // namespace

HostChanges::HostChanges(ILSSyncFilter2* filter, Host::LSShutdownInformer* informer)
    : filter_(filter), informer_(informer) {}

SendResult HostChanges::Refusal(const char* call, HRESULT hr, const std::string& text) const {
    if (hr == E_ABORT || informer_->IsShutdownRequested()) {
        throw HostCallError{call, E_ABORT};
    }
    return {SendResult::Kind::Refused, Describe(HostCallError{call, hr, "", text}), ""};
}

SendResult HostChanges::Upload(bool isNew, const MapRef& folder, const std::filesystem::path& path,
                               const std::string& name, MapRef& item) {
    SendResult result;
    if (isNew && IsMailName(name)) {
        Host::LSMailItem* mail = nullptr;
        std::wstring why;
        if (SUCCEEDED(Host::LoadMailItem(path.wstring(), &mail, &why))) {
            for (const Host::Property& property : item->Properties()) {
                mail->Set(property.name, property.value);
            }
            item = MapRef(mail);
        } else {
            result.note = "went up as a plain document, not as a mail: " + Platform::WideToUtf8(why);
        }
    }
    const _bstr_t localPath(path.c_str());
    const _bstr_t fileName(Platform::Utf8ToWide(name).c_str());
    const char* call = isNew ? "raw_AddNewDocument" : "raw_UpdateDocument";
    const HRESULT hr = isNew ? filter_->raw_AddNewDocument(localPath, fileName, folder.get(), item.get())
                             : filter_->raw_UpdateDocument(localPath, fileName, folder.get(), item.get());
    // S_FALSE is a refusal that the filter recorded on the item; the item's sync issue gives the reason.
    if (hr == S_OK) {
        return result;
    }
    const std::wstring issue = item.String(kIssueType);
    if (issue == L"CONFLICT") {
        return {SendResult::Kind::Conflict, "the server's copy changed since the last pass", ""};
    }
    const std::string message = Platform::WideToUtf8(item.String(kDocumentIssue));
    SendResult refused =
        Refusal(call, FAILED(hr) ? hr : E_FAIL, message.empty() ? Platform::WideToUtf8(issue) : message);
    refused.note = result.note;
    return refused;
}

SendResult HostChanges::AddNew(const MapRef& folder, const std::filesystem::path& path,
                               const std::string& name, MapRef& item) {
    item = CopyWithout(item, {kIssueType, kDocumentIssue});
    return Upload(true, folder, path, name, item);
}

SendResult HostChanges::Update(const MapRef& folder, const std::filesystem::path& path,
                               const std::string& name, MapRef& item, bool renamed) {
    item = CopyWithout(item,
                       {kIssueType, kDocumentIssue, L"KOVA.RenamedFilename", L"Mavisto.MessageIsUnchanged"});
    item->Set(L"Mavisto.IsContentChanged", LONG{1});
    if (renamed) {
        item->Set(L"KOVA.RenamedFilename", Platform::Utf8ToWide(name));
    }
    SendResult result = Upload(false, folder, path, name, item);
    item = CopyWithout(item, {L"Mavisto.IsContentChanged", L"KOVA.RenamedFilename"});
    return result;
}

SendResult HostChanges::Rename(const MapRef& folder, const std::filesystem::path& path,
                               const std::string& newName, MapRef& item) {
    item = CopyWithout(item, {kIssueType, kDocumentIssue, L"Mavisto.IsContentChanged"});
    item->Set(L"KOVA.RenamedFilename", Platform::Utf8ToWide(newName));
    SendResult result = Upload(false, folder, path, newName, item);
    item = CopyWithout(item, {L"KOVA.RenamedFilename"});
    return result;
}

SendResult HostChanges::Delete(const MapRef& item) {
    ILSDeleteableSyncFilterPtr deleteable(filter_);
    if (!deleteable) {
        return {SendResult::Kind::Refused, "the filter does not delete items", ""};
    }
    BSTR text = nullptr;
    const HRESULT hr = deleteable->raw_DeleteItem(item.get(), &text);
    const std::string message = TakeText(text);
    // S_FALSE with a text is a refusal the filter caught as a message.
    if (FAILED(hr) || (hr == S_FALSE && !message.empty())) {
        return Refusal("raw_DeleteItem", FAILED(hr) ? hr : E_FAIL, message);
    }
    return {};
}

SendResult HostChanges::CreateFolder(const MapRef& mainFolder, const MapRef& parent, const std::string& name,
                                     MapRef& folder) {
    ILSCreateableFolderSyncFilterPtr creator(filter_);
    if (!creator) {
        return {SendResult::Kind::Refused, "the filter does not create folders", ""};
    }
    folder->Set(L"DisplayName", Platform::Utf8ToWide(name));
    const HRESULT hr = creator->raw_CreateFolder(mainFolder.get(), parent.get(), folder.get());
    if (FAILED(hr) || folder.String(L"Mavisto.FolderLocation").empty()) {
        return Refusal("raw_CreateFolder", FAILED(hr) ? hr : E_FAIL,
                       Platform::WideToUtf8(folder.String(kFolderIssue)));
    }
    return {};
}

SendResult HostChanges::Move(const MapRef& source, const MapRef& destination, MapRef& item, bool& offered) {
    offered = false;
    ILSDirectCopyMovePtr copyMove(filter_);
    if (!copyMove) {
        return {};
    }
    BSTR text = nullptr;
    HRESULT hr = copyMove->raw_GetSourceForCopyOrMoveMessageIfAllowed(
        VARIANT_TRUE, source.get(), nullptr, nullptr, destination.get(), item.get(), _bstr_t(L""), &text);
    const std::wstring action = text == nullptr ? L"" : text;
    SysFreeString(text);
    if (FAILED(hr)) {
        return Refusal("raw_GetSourceForCopyOrMoveMessageIfAllowed", hr, "");
    }
    if (action.empty()) {
        return {};
    }
    offered = true;
    // The host hands the move a text whose second line is the bare server file id.
    const std::wstring firstLine = action.substr(0, action.find(L'\n'));
    const std::wstring moveText = firstLine + L"\n" + item.String(L"Mavisto.FromServerFileId");
    hr = copyMove->raw_DoMessageMove(item.get(), destination.get(), _bstr_t(moveText.c_str()), informer_);
    if (FAILED(hr)) {
        return Refusal("raw_DoMessageMove", hr, Platform::WideToUtf8(item.String(kDocumentIssue)));
    }
    return {};
}

} // namespace KovaSync
