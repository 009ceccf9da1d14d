// The local name of a document or folder: its display name made safe as one path element on Linux
// (no "/", no NUL, not "." or "..", at most 255 bytes of UTF-8 cut at a character boundary, a
// document's extension kept) and unique within its directory without regard to letter case. A name
// that is taken gets a numbered suffix, "Report (2).docx".
#pragma once

#include <set>
#include <string>

namespace KovaSync {

constexpr std::size_t kMaxNameBytes = 255;

// The safe form of the display name; the second and later candidates carry " (n)" before the
// extension (documents) or at the end (folders).
std::string CandidateName(const std::wstring& displayName, bool isDocument, unsigned number = 1);

// The key under which names compare: the same for names that differ only in letter case.
std::string NameKey(const std::string& name);

// The names taken in one directory.
class DirectoryNames {
public:
    void Take(const std::string& name);
    bool IsTaken(const std::string& name) const;
    // The name is free again (its file took another name).
    void Release(const std::string& name);
    // The first free candidate for the display name, now taken.
    std::string Claim(const std::wstring& displayName, bool isDocument);

private:
    std::set<std::string> keys_;
};

} // namespace KovaSync
