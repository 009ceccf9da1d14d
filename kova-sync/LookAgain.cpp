// The scan saw the mirror at the start of the pass; a download comes minutes later on a large mirror.
// Just before a download takes a file's name, what stands there is looked at again, so that a file
// the user saved meanwhile is kept, never overwritten.
#include "kova-sync/FileState.h"
#include "kova-sync/SyncPass.h"

namespace KovaSync {
namespace fs = std::filesystem;

bool SyncPass::MayReplace(const Visit& visit, const std::string& localName,
                          const std::optional<ContentState>& expected) {
    const PathStatus now = Look(visit.directory / localName);
    if (now.type == fs::file_type::not_found) {
        return true;
    }
    const std::string shown = JoinShown(visit.shown, localName);
    if (now.type == fs::file_type::regular) {
        if (expected && now.content.size == expected->size &&
            now.content.modifiedNs == expected->modifiedNs) {
            return true;
        }
        const std::string copy = MoveAside(visit, localName);
        ++summary_.conflicts;
        console_.Line(
            "  conflict " + shown +
            ": saved here while the pass ran; the server's version takes its name, yours is kept as \"" +
            copy + "\"");
        return true;
    }
    ++summary_.failed;
    console_.Error("  kept     " + shown + ": " +
                   (now.type == fs::file_type::directory ? "a directory" : "something other than a file") +
                   " stands under its name; the server's version is not downloaded");
    return false;
}

} // namespace KovaSync
