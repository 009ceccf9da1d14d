// What a pass is about to send, recorded in the journal in its own committed transaction before the
// send: a new document (the file's name, size and content hash), a new folder, a document's move to
// another folder. The row goes in the same transaction that records the server's answer. A row left
// behind by a pass that was cut short tells the next pass to look in the server's listing for what was
// sent before it sends again.
#pragma once

#include "kova-sync/Journal.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace KovaSync {

struct PendingSend {
    enum class Kind { Document = 1, Folder = 2, Move = 3 };
    std::int64_t id = 0;
    Kind kind = Kind::Document;
    std::int64_t folder = 0;          // the journal id of the folder it goes into
    std::optional<std::int64_t> item; // the document moved
    std::string localName;            // the file's or directory's name
    std::int64_t size = 0;            // documents: the content sent
    std::string hash;                 // SHA-256, hexadecimal
};

class PendingSends {
public:
    // Makes the table when the journal has none yet.
    explicit PendingSends(Database& db);

    // Records the send, committed at once, in place of an earlier row for the same name or document;
    // gives the row's id.
    std::int64_t Record(PendingSend::Kind kind, std::int64_t folder, std::optional<std::int64_t> item,
                        const std::string& localName, const std::optional<ContentState>& content);
    // The row left for that name in that folder.
    std::optional<PendingSend> Find(PendingSend::Kind kind, std::int64_t folder,
                                    const std::string& localName);
    // The move left for the document.
    std::optional<PendingSend> FindMove(std::int64_t item);
    // Forgets the row; within the caller's transaction when one is open.
    void Forget(std::int64_t id);
    // Forgets the rows of new documents and folders of the folder whose names are not among those
    // still waiting to go up: their file or directory is gone.
    void ForgetNewExcept(std::int64_t folder, const std::set<std::string>& waiting);

private:
    Database& db_;
};

} // namespace KovaSync
