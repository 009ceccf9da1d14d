// A mirror whose journal was lost or damaged is adopted again from the server's listing: every file
// whose content a listed document holds is paired with it, and nothing goes up or comes down for it.
// Every other local file is kept: under a conflict name, not synced, unless the user asked for the
// files the server does not hold to be sent as new documents (and their directories as new folders).
#include "kova-sync/ConflictCopies.h"
#include "kova-sync/FileState.h"
#include "kova-sync/HostCalls.h"
#include "kova-sync/LocalNames.h"
#include "kova-sync/SyncPass.h"

#include <map>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

// A listed document the journal does not know, with its content downloaded.
struct Unpaired {
    std::wstring uniqueId;
    MapRef map;
    fs::path copy;
};

} // namespace

void SyncPass::Readopt(const Visit& visit, Stored& stored, DirectoryNames& names, FolderChanges& changes) {
    std::multimap<std::string, Unpaired> byContent;
    USHORT count = 0;
    Check(filter_->raw_GetItemCount(&count), "raw_GetItemCount");
    for (USHORT index = 0; index < count; ++index) {
        MapRef listed;
        if (FAILED(filter_->raw_GetItemBasicProps(index, listed.get())) ||
            stored.documents.count(listed.String(kUniqueId)) != 0) {
            continue;
        }
        fs::path copy;
        const std::string hash = ServerContent(index, listed, copy);
        byContent.emplace(hash, Unpaired{listed.String(kUniqueId), listed, copy});
    }
    std::vector<LocalFile> unmatched;
    for (const LocalFile& file : changes.newFiles) {
        auto [first, last] = byContent.equal_range(file.content.hash);
        auto pair = first;
        for (auto same = first; same != last; ++same) {
            if (CandidateName(DisplayName(same->second.map), true) == file.name) {
                pair = same; // the one of the file's name, when several hold its content
            }
        }
        if (pair == last) {
            unmatched.push_back(file);
            continue;
        }
        JournalItem document{
            {0, visit.folder.id, false, pair->second.uniqueId, file.name, file.content, file.local},
            pair->second.map,
            std::nullopt};
        document.id = journal_.Insert(document);
        plans_[document.id] = {Plan::Kind::SentUp, pair->second.copy};
        stored.documents.emplace(document.uniqueId, document);
        console_.Line("  paired   " + JoinShown(visit.shown, file.name) +
                      " with the document of its content on the server");
        byContent.erase(pair);
    }
    for (const auto& [hash, left] : byContent) {
        std::error_code ignored;
        fs::remove(left.copy, ignored); // downloaded again as the new document it is here
    }
    if (options_.sendUnmatched) {
        changes.newFiles = std::move(unmatched);
        return;
    }
    changes.newFiles.clear();
    for (const LocalFile& file : unmatched) {
        const std::string kept = MoveAside(visit, file.name);
        names.Release(file.name);
        names.Take(kept);
        local_.conflictCopies.push_back(JoinShown(visit.shown, kept));
        console_.Line("  kept     " + JoinShown(visit.shown, file.name) + " as \"" + kept +
                      "\": no document on the server holds its content");
    }
    for (const LocalFile& directory : changes.newDirectories) {
        KeepUnmatchedBelow(
            {visit.folder, visit.directory / directory.name, JoinShown(visit.shown, directory.name)});
    }
    changes.newDirectories.clear();
}

void SyncPass::KeepUnmatchedBelow(const Visit& directory) {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory.directory)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink()) {
            continue;
        }
        if (entry.is_directory()) {
            KeepUnmatchedBelow({directory.folder, entry.path(), JoinShown(directory.shown, name)});
        } else if (entry.is_regular_file() && !IsConflictName(name)) {
            files.push_back(name);
        }
    }
    for (const std::string& name : files) {
        const std::string kept = MoveAside(directory, name);
        local_.conflictCopies.push_back(JoinShown(directory.shown, kept));
        console_.Line("  kept     " + JoinShown(directory.shown, name) + " as \"" + kept +
                      "\": its folder is not on the server");
    }
}

} // namespace KovaSync
