// A synced folder whose directory the user renamed keeps its container, its documents and their
// history. The new name is asked of the server as the host asks it (the folder's update call); when
// the filter cannot rename the container, the directory keeps syncing with it under its new name.
#include "kova-sync/HostCalls.h"
#include "kova-sync/SyncPass.h"

namespace KovaSync {

namespace {

// The display-name tag the folder update call reads the new name from.
const wchar_t* const kDisplayNameTag = L"0x3001001f";

} // namespace

void SyncPass::RenameFolder(const FolderRename& rename) {
    std::optional<JournalItem> folder = journal_.Find(rename.folder);
    if (!folder) {
        return;
    }
    const std::optional<JournalItem> parent = folder->parent ? journal_.Find(*folder->parent) : std::nullopt;
    const std::string parentShown = parent ? ShownPath(*parent) : ".";
    const std::string oldName = JoinShown(parentShown, folder->localName);
    const std::string newName = JoinShown(parentShown, rename.newName);
    const std::string title = Platform::WideToUtf8(folder->map.String(L"DisplayName"));
    std::string how = "renamed here only: the server keeps the title \"" + title + "\"";
    if (!options_.downloadOnly) {
        MapRef local;
        local->Set(kDisplayNameTag, Platform::Utf8ToWide(rename.newName));
        MapRef work = CopyWithout(folder->map, {kFolderIssue});
        if (SUCCEEDED(filter_->raw_UpdateFolder(mainMap_.get(), local.get(), work.get(), 0))) {
            folder->map = work;
            how = "renamed on the server too";
        }
    }
    folder->localName = rename.newName;
    journal_.Update(*folder);
    ++summary_.relocated;
    console_.Line("  renamed  folder " + oldName + " -> " + newName + " (" + how + ")");
}

} // namespace KovaSync
