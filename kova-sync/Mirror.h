// The mirror directory: the user's documents and folders, and the driver's hidden folder at its root
// (".kova-sync") with the journal and the temporary download files.
#pragma once

#include <filesystem>
#include <string>

namespace KovaSync {

class Mirror {
public:
    static constexpr const char* kHiddenFolder = ".kova-sync";

    enum class Kind {
        Empty,         // missing or empty: a first pass may start
        Mirrored,      // holds a journal
        EarlierLayout, // written by the earlier layout (property files beside the documents)
        Foreign,       // holds files the driver did not write
    };

    explicit Mirror(std::filesystem::path root);

    Kind Inspect() const;
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path JournalFile() const { return root_ / kHiddenFolder / "journal.db"; }

    // Makes the hidden folder (and the root) when they are missing.
    void Prepare() const;
    // Removes every temporary download file.
    void RemoveTemporaryFiles() const;
    // A new temporary file name for a download, or for the copy of a file that goes up (the file's
    // extension kept, as the filter tells mail files by it).
    std::filesystem::path TemporaryFile(const std::string& extension = ".partial");

private:
    std::filesystem::path TemporaryFolder() const { return root_ / kHiddenFolder / "downloads"; }

    std::filesystem::path root_;
    unsigned temporaryFiles_ = 0;
};

} // namespace KovaSync
