#include "kova-sync/MirroredDocument.h"

#include "kova-sync/Mirror.h"

#include <stdexcept>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> MirrorRootAbove(const fs::path& file) {
    for (fs::path directory = file.parent_path();; directory = directory.parent_path()) {
        if (fs::exists(Mirror(directory).JournalFile())) {
            return directory;
        }
        if (directory == directory.parent_path()) {
            return std::nullopt;
        }
    }
}

std::optional<JournalItem> Child(Journal& journal, const JournalItem& folder, const std::string& name,
                                 bool isFolder) {
    for (const JournalEntry& child : journal.Entries(folder.id)) {
        if (child.isFolder == isFolder && child.localName == name) {
            return journal.Load(child);
        }
    }
    return std::nullopt;
}

} // namespace

MirroredDocument FindMirroredDocument(const fs::path& file) {
    const fs::path path = fs::absolute(file).lexically_normal();
    const std::optional<fs::path> root = MirrorRootAbove(path);
    if (!root) {
        throw std::runtime_error(path.string() + " is not in a kova-sync mirror.");
    }
    Journal journal(Mirror(*root).JournalFile());
    const std::optional<JournalItem> main = journal.MainFolder();
    const fs::path relative = path.lexically_relative(*root);
    const auto notSynced = [&] {
        return std::runtime_error(path.string() + " is not a synced document of the mirror " +
                                  root->string() + ".");
    };
    if (!main || relative.empty()) {
        throw notSynced();
    }
    JournalItem folder = *main;
    for (auto part = relative.begin(); std::next(part) != relative.end(); ++part) {
        std::optional<JournalItem> sub = Child(journal, folder, part->string(), true);
        if (!sub) {
            throw notSynced();
        }
        folder = std::move(*sub);
    }
    std::optional<JournalItem> document = Child(journal, folder, relative.filename().string(), false);
    if (!document) {
        throw notSynced();
    }
    return {*root, path, *main, std::move(folder), std::move(*document)};
}

} // namespace KovaSync
