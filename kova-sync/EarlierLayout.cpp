#include "kova-sync/EarlierLayout.h"

#include "kova-sync/FileState.h"
#include "kova-sync/PropertyCodec.h"

#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <vector>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderFile = ".kova-folder.json";
const std::string kDocumentSuffix = ".kova.json";
const std::string kPartialSuffix = ".partial";

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() > suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

MapRef ReadMap(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    MapRef map;
    try {
        DecodeProperties(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                         map);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(file.string() + ": " + error.what());
    }
    return map;
}

class Adoption {
public:
    explicit Adoption(Journal& journal) : journal_(journal) {}

    void Folder(const fs::path& directory, std::optional<std::int64_t> parent, const std::string& name) {
        JournalItem folder{
            {0, parent, true, {}, name, std::nullopt, {}}, ReadMap(directory / kFolderFile), std::nullopt};
        folder.uniqueId = folder.map.String(L"UniqueId");
        const std::int64_t id = journal_.Insert(folder);
        ++adopted.folders;
        leftovers.push_back(directory / kFolderFile);
        std::set<std::wstring> documentIds;
        for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
            const std::string entryName = entry.path().filename().string();
            if (entry.is_directory() && fs::exists(entry.path() / kFolderFile)) {
                Folder(entry.path(), id, entryName);
            } else if (entry.is_regular_file() && EndsWith(entryName, kDocumentSuffix)) {
                Document(directory, id, entryName.substr(0, entryName.size() - kDocumentSuffix.size()),
                         documentIds);
            } else if (entry.is_regular_file() && entryName.front() == '.' &&
                       EndsWith(entryName, kPartialSuffix)) {
                leftovers.push_back(entry.path()); // a download an interrupted pass left behind
            }
        }
    }

    Adopted adopted;
    std::vector<fs::path> leftovers;

private:
    void Document(const fs::path& directory, std::int64_t folder, const std::string& name,
                  std::set<std::wstring>& documentIds) {
        const fs::path propertyFile = directory / (name + kDocumentSuffix);
        const fs::path content = directory / name;
        JournalItem document{
            {0, folder, false, {}, name, std::nullopt, {}}, ReadMap(propertyFile), std::nullopt};
        document.uniqueId = document.map.String(L"UniqueId");
        // Without its content (or as a second copy of one document) the map is dropped: the next
        // pass downloads the document as new.
        if (fs::is_regular_file(content) && documentIds.insert(document.uniqueId).second) {
            document.content = DescribeFile(content);
            journal_.Insert(document);
            ++adopted.documents;
        }
        leftovers.push_back(propertyFile);
    }

    Journal& journal_;
};

} // namespace

bool IsEarlierLayout(const fs::path& root) {
    return fs::is_regular_file(root / kFolderFile);
}

Adopted AdoptEarlierLayout(const fs::path& root, Journal& journal) {
    Adoption adoption(journal);
    Transaction transaction(journal.database());
    adoption.Folder(root, std::nullopt, "");
    transaction.Commit();
    for (const fs::path& file : adoption.leftovers) {
        fs::remove(file);
    }
    return adoption.adopted;
}

} // namespace KovaSync
