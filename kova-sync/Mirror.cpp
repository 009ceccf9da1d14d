#include "kova-sync/Mirror.h"

#include "kova-sync/EarlierLayout.h"

namespace KovaSync {
namespace fs = std::filesystem;

Mirror::Mirror(fs::path root) : root_(std::move(root)) {}

Mirror::Kind Mirror::Inspect() const {
    if (!fs::exists(root_)) {
        return Kind::Empty;
    }
    if (fs::exists(JournalFile())) {
        return Kind::Mirrored;
    }
    if (IsEarlierLayout(root_)) {
        return Kind::EarlierLayout;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(root_)) {
        // A hidden folder without a journal is what a first pass leaves when it stopped at once.
        if (entry.path().filename() != kHiddenFolder) {
            return Kind::Foreign;
        }
    }
    return Kind::Empty;
}

void Mirror::Prepare() const {
    fs::create_directories(TemporaryFolder());
}

void Mirror::RemoveTemporaryFiles() const {
    std::error_code ignored;
    fs::remove_all(TemporaryFolder(), ignored);
    fs::create_directories(TemporaryFolder(), ignored);
}

fs::path Mirror::TemporaryFile(const std::string& extension) {
    return TemporaryFolder() / ("transfer-" + std::to_string(++temporaryFiles_) + extension);
}

} // namespace KovaSync
