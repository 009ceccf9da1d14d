// The driver's journal: one SQLite database in the mirror's hidden folder that keeps, for the main
// folder and every folder and document below it, its property map, its parent, its UniqueId, the
// local name it was given and the device and inode number of its file or directory, the names of the
// properties its last listing gave, and for documents what the last synced content was on disk (size,
// modification time, content hash). Each item change is a single statement, so it commits as one
// transaction.
#pragma once

#include "kova-sync/MapRef.h"
#include "kova-sync/Sqlite.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace KovaSync {

// What a document's file was when it was last synced.
struct ContentState {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // modification time, nanoseconds since the epoch
    std::string hash;            // SHA-256, hexadecimal
};

// Which file or directory of the mirror an item is, whatever its name: its device and inode number,
// and its birth time where the file system keeps one, so that an inode number used again for a new
// file does not pass for the old one.
struct LocalIdentity {
    std::int64_t device = 0;
    std::int64_t inode = 0;   // 0: not known
    std::int64_t birthNs = 0; // 0: not known

    bool known() const { return inode != 0; }
    bool IsSameFile(const LocalIdentity& other) const {
        return known() && device == other.device && inode == other.inode &&
               (birthNs == 0 || other.birthNs == 0 || birthNs == other.birthNs);
    }
};

// A stored folder or document without its property map: what scanning the mirror and matching a
// listing need. Maps are decoded only for the items a pass works on, one at a time.
struct JournalEntry {
    std::int64_t id = 0;                // 0 until stored
    std::optional<std::int64_t> parent; // none for the main folder
    bool isFolder = false;
    std::wstring uniqueId;
    std::string localName;               // empty for the main folder
    std::optional<ContentState> content; // documents
    LocalIdentity local;
};

struct JournalItem : JournalEntry {
    MapRef map;
    // The properties the server's last listing gave, so that those it no longer gives are dropped
    // from the map; none are known for an item stored by an earlier version of the driver.
    std::optional<std::vector<std::wstring>> listedNames;
};

class Journal {
public:
    // Opens the journal, making the file and its tables when they are not there.
    explicit Journal(const std::filesystem::path& file);

    Database& database() { return db_; }

    std::optional<JournalItem> MainFolder();
    std::optional<JournalItem> Find(std::int64_t id);
    // The entry with its map; throws SqliteError when the entry is no longer stored.
    JournalItem Load(const JournalEntry& entry);
    // The folders and documents stored under the folder, in the order they were stored.
    std::vector<JournalEntry> Entries(std::int64_t folderId);

    // The documents stored under that UniqueId, in any folder.
    std::vector<JournalEntry> DocumentsWithUniqueId(const std::wstring& uniqueId);

    // Stores a new item and gives its id.
    std::int64_t Insert(const JournalItem& item);
    // Stores the item's map, name, content state, identity and listed names.
    void Update(const JournalItem& item);
    // Stores what the document's file now is (touched, same content).
    void SetContent(std::int64_t id, const ContentState& content);
    // Stores which file or directory the item now is.
    void SetLocal(std::int64_t id, const LocalIdentity& local);
    // Puts the item under another folder with another local name.
    void Move(std::int64_t id, std::int64_t parent, const std::string& localName);
    // Forgets the item and, for a folder, everything below it.
    void Remove(std::int64_t id);

    std::int64_t CountDocuments();
    // The documents in the folder and the folders below it.
    std::int64_t CountDocumentsUnder(std::int64_t folderId);

    std::optional<std::string> Setting(const std::string& key);
    void SetSetting(const std::string& key, const std::string& value);

private:
    Database db_;
    // Prepared once: a pass runs these once or twice per item.
    Statement find_;
    Statement entries_;
    Statement insert_;
    Statement update_;
    Statement setContent_;
    Statement setLocal_;
    Statement byUniqueId_;
};

} // namespace KovaSync
