#include "Platform/WinReg.h"

#include "Platform/RegistryHive.h"
#include "Platform/WinError.h"

#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_set>

using Platform::Registry::FoldCase;
using Platform::Registry::Hive;
using Platform::Registry::HiveId;
using Platform::Registry::Key;
using Platform::Registry::Value;

namespace {

using Path = std::vector<std::wstring>;

// Where an open key lives: a path in one hive, and the id the key had when it was opened (0: whatever
// key is at that path, for the roots and the merged classes view).
struct Backing {
    Hive* hive;
    Path path;
    std::uint64_t id;
};

Path Append(Path path, const Path& more) {
    path.insert(path.end(), more.begin(), more.end());
    return path;
}

// Components of a key path; empty ones (a doubled or leading separator) are skipped.
Path SplitKeyPath(LPCWSTR subKey) {
    Path path;
    if (subKey == nullptr) {
        return path;
    }
    const std::wstring_view text(subKey);
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find(L'\\', start), text.size());
        if (end > start) {
            path.emplace_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return path;
}

const Key* Locate(const Key& root, const Backing& backing) {
    const Key* key = FindPath(root, backing.path);
    return key != nullptr && backing.id != 0 && key->Id() != backing.id ? nullptr : key;
}

Key* Locate(Key& root, const Backing& backing) {
    return const_cast<Key*>(Locate(static_cast<const Key&>(root), backing));
}

Key& CreatePath(Key& from, const Path& path, bool& createdAny) {
    Key* key = &from;
    for (const auto& name : path) {
        bool created;
        key = &key->GetOrAddChild(name, created);
        createdAny = createdAny || created;
    }
    return *key;
}

bool SameData(const Value* existing, const Value& value) {
    return existing != nullptr && existing->type == value.type && existing->data == value.data &&
           existing->name == value.name;
}

} // namespace

// An open key. A key of one hive has one backing; a key of HKEY_CLASSES_ROOT has two, the user's
// Software\Classes first (read first) and the machine's.
struct HKEY__ {
    std::vector<Backing> backings;
    bool merged = false;
    bool predefined = false;
    REGSAM access = KEY_ALL_ACCESS;
};

namespace {

std::mutex handlesMutex;
std::unordered_set<HKEY>& LiveHandles() {
    static auto* handles = new std::unordered_set<HKEY>;
    return *handles;
}

HKEY NewHandle(HKEY__ key) {
    const HKEY handle = new HKEY__(std::move(key));
    std::lock_guard lock(handlesMutex);
    LiveHandles().insert(handle);
    return handle;
}

// A copy of what the handle names, so that a call in progress does not depend on the handle staying
// open; the predefined keys are resolved against the registry folder of the moment.
std::optional<HKEY__> Resolve(HKEY handle) {
    const Path classes{L"Software", L"Classes"};
    auto& machine = Platform::Registry::GetHive(HiveId::LocalMachine);
    auto& user = Platform::Registry::GetHive(HiveId::CurrentUser);
    if (handle == HKEY_LOCAL_MACHINE) {
        return HKEY__{{{&machine, {}, 0}}, false, true};
    }
    if (handle == HKEY_CURRENT_USER) {
        return HKEY__{{{&user, {}, 0}}, false, true};
    }
    if (handle == HKEY_CLASSES_ROOT) {
        return HKEY__{{{&user, classes, 0}, {&machine, classes, 0}}, true, true};
    }
    std::lock_guard lock(handlesMutex);
    if (handle == nullptr || !LiveHandles().contains(handle)) {
        return std::nullopt;
    }
    return *handle;
}

// Calls visit(key) for each backing key that exists, in read order, until visit returns true.
// ERROR_KEY_DELETED when the handle's key exists nowhere any more.
template <typename Visit> LONG VisitKeys(const HKEY__& handle, Visit&& visit) {
    bool exists = handle.predefined;
    for (const auto& backing : handle.backings) {
        const bool stop = backing.hive->Read([&](const Key& root) {
            const Key* key = Locate(root, backing);
            exists = exists || key != nullptr;
            return key != nullptr && visit(*key);
        });
        if (stop) {
            return ERROR_SUCCESS;
        }
    }
    return exists ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

bool ExistsIn(const Backing& backing, const Path& subPath) {
    return backing.hive->Read([&](const Key& root) {
        const Key* key = Locate(root, backing);
        return key != nullptr && FindPath(*key, subPath) != nullptr;
    });
}

// The backing a change of subPath under the handle goes to: the user's classes when the key exists
// there, else the machine's.
const Backing& WriteTarget(const HKEY__& handle, const Path& subPath) {
    return handle.merged && !ExistsIn(handle.backings.front(), subPath) ? handle.backings.back()
                                                                        : handle.backings.front();
}

// Runs change on the handle's key in its write target. The classes root makes its Software\Classes key
// on the first write.
LONG Modify(const HKEY__& handle, const std::function<LONG(Key& key, bool& changed)>& change) {
    const Backing& target = WriteTarget(handle, {});
    return target.hive->Write([&](Key& root, bool& changed) {
        Key* key = Locate(root, target);
        if (key == nullptr && handle.merged && handle.predefined) {
            key = &CreatePath(root, target.path, changed);
        }
        return key == nullptr ? ERROR_KEY_DELETED : change(*key, changed);
    });
}

bool Allows(const HKEY__& handle, REGSAM needed) {
    return (handle.access & needed) == needed;
}

LONG CopyData(const std::vector<BYTE>& data, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    const auto needed = static_cast<DWORD>(data.size());
    const bool fits = lpData == nullptr || *lpcbData >= needed;
    if (lpData != nullptr && fits) {
        std::memcpy(lpData, data.data(), data.size());
    }
    *lpcbData = needed;
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG CopyName(const std::wstring& name, LPWSTR buffer, LPDWORD cch) {
    if (buffer == nullptr || cch == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (name.size() + 1 > *cch) {
        return ERROR_MORE_DATA;
    }
    std::wmemcpy(buffer, name.c_str(), name.size() + 1);
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// String data is kept in whole characters; REG_SZ and REG_EXPAND_SZ always end with a NUL.
std::vector<BYTE> NormalisedData(DWORD type, const BYTE* data, DWORD size) {
    std::vector<BYTE> bytes(data, data + size);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        bytes.resize(bytes.size() / sizeof(wchar_t) * sizeof(wchar_t));
        wchar_t last = L'x';
        if (!bytes.empty()) {
            std::memcpy(&last, bytes.data() + bytes.size() - sizeof(wchar_t), sizeof(wchar_t));
        }
        if (type != REG_MULTI_SZ && last != L'\0') {
            bytes.resize(bytes.size() + sizeof(wchar_t), 0);
        }
    }
    return bytes;
}

// Opens subPath under parent; the new handle remembers the id of the key it found.
LONG OpenExisting(const HKEY__& parent, const Path& subPath, HKEY__& opened) {
    if (parent.merged) {
        bool found = false;
        const LONG result = VisitKeys(parent, [&](const Key& key) {
            found = FindPath(key, subPath) != nullptr;
            return found;
        });
        for (const auto& backing : parent.backings) {
            opened.backings.push_back({backing.hive, Append(backing.path, subPath), 0});
        }
        return result != ERROR_SUCCESS ? result : found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }
    const Backing& backing = parent.backings.front();
    std::uint64_t id = 0;
    const LONG result = backing.hive->Read([&](const Key& root) {
        const Key* key = Locate(root, backing);
        const Key* found = key == nullptr ? nullptr : FindPath(*key, subPath);
        id = found == nullptr ? 0 : found->Id();
        return key == nullptr ? ERROR_KEY_DELETED : found == nullptr ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    });
    opened.backings.push_back({backing.hive, Append(backing.path, subPath), id});
    return result;
}

// Makes subPath under parent. New keys under the classes root go to the machine's classes.
LONG CreateMissing(const HKEY__& parent, const Path& subPath, HKEY__& opened) {
    if (!Allows(parent, KEY_CREATE_SUB_KEY)) {
        return ERROR_ACCESS_DENIED;
    }
    const Backing& target = parent.backings.back();
    std::uint64_t id = 0;
    const LONG result = target.hive->Write([&](Key& root, bool& changed) {
        Key* key = parent.merged ? &CreatePath(root, target.path, changed) : Locate(root, target);
        if (key == nullptr) {
            return ERROR_KEY_DELETED;
        }
        id = CreatePath(*key, subPath, changed).Id();
        return ERROR_SUCCESS;
    });
    if (!parent.merged) {
        opened.backings.front().id = id;
    }
    return result;
}

LONG OpenOrCreate(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, bool create, PHKEY phkResult,
                  LPDWORD lpdwDisposition) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    const auto parent = Resolve(hKey);
    if (!parent) {
        return ERROR_INVALID_HANDLE;
    }
    const Path subPath = SplitKeyPath(lpSubKey);
    if (subPath.empty() && !create && parent->predefined) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    HKEY__ opened{{}, parent->merged, false, samDesired};
    LONG result = OpenExisting(*parent, subPath, opened);
    const bool created = create && result == ERROR_FILE_NOT_FOUND;
    if (created) {
        result = CreateMissing(*parent, subPath, opened);
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (lpdwDisposition != nullptr) {
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *phkResult = NewHandle(std::move(opened));
    return ERROR_SUCCESS;
}

LONG DeleteKey(HKEY hKey, LPCWSTR lpSubKey, bool wholeTree) {
    const auto handle = Resolve(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    const Path subPath = SplitKeyPath(lpSubKey);
    if (subPath.empty()) {
        return wholeTree ? Modify(*handle,
                                  [](Key& key, bool& changed) {
                                      changed = !key.Children().empty() || !key.Values().empty();
                                      key.Clear();
                                      return ERROR_SUCCESS;
                                  })
                         : ERROR_ACCESS_DENIED;
    }
    const Backing& target = WriteTarget(*handle, subPath);
    return target.hive->Write([&](Key& root, bool& changed) {
        Key* key = Locate(root, target);
        if (key == nullptr) {
            return VisitKeys(*handle, [](const Key&) { return true; }) == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND
                                                                                        : ERROR_KEY_DELETED;
        }
        Key* parent = FindPath(*key, Path(subPath.begin(), subPath.end() - 1));
        const Key* doomed = parent == nullptr ? nullptr : parent->FindChild(subPath.back());
        if (doomed == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!wholeTree && !doomed->Children().empty()) {
            return ERROR_ACCESS_DENIED;
        }
        parent->RemoveChild(subPath.back());
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::wstring ValueName(LPCWSTR name) {
    return name == nullptr ? std::wstring() : std::wstring(name);
}

} // namespace

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (lpSubKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return OpenOrCreate(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER || hKey == HKEY_CLASSES_ROOT) {
        return ERROR_SUCCESS;
    }
    {
        std::lock_guard lock(handlesMutex);
        if (hKey == nullptr || LiveHandles().erase(hKey) == 0) {
            return ERROR_INVALID_HANDLE;
        }
    }
    delete hKey;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
    const auto handle = Resolve(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(*handle, KEY_QUERY_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    std::optional<Value> found;
    const LONG result = VisitKeys(*handle, [&](const Key& key) {
        if (const Value* value = key.FindValue(ValueName(lpValueName))) {
            found = *value;
        }
        return found.has_value();
    });
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (!found) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType != nullptr) {
        *lpType = found->type;
    }
    return CopyData(found->data, lpData, lpcbData);
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                       DWORD cbData) {
    const auto handle = Resolve(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    if (lpData == nullptr && cbData != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!Allows(*handle, KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    Value value{ValueName(lpValueName), dwType, NormalisedData(dwType, lpData, cbData)};
    return Modify(*handle, [&](Key& key, bool& changed) {
        changed = !SameData(key.FindValue(value.name), value);
        if (changed) {
            key.SetValue(std::move(value));
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    const auto handle = Resolve(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(*handle, KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    return Modify(*handle, [&](Key& key, bool& changed) {
        changed = key.RemoveValue(ValueName(lpValueName));
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    return lpSubKey == nullptr ? ERROR_INVALID_PARAMETER : DeleteKey(hKey, lpSubKey, false);
}

LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
    return DeleteKey(hKey, lpSubKey, true);
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                      LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
    const auto handle = Resolve(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(*handle, KEY_ENUMERATE_SUB_KEYS)) {
        return ERROR_ACCESS_DENIED;
    }
    std::map<std::wstring, std::wstring> names; // folded -> as written; the user's spelling first
    const LONG result = VisitKeys(*handle, [&](const Key& key) {
        for (const auto& [folded, child] : key.Children()) {
            names.emplace(folded, child->Name());
        }
        return false;
    });
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (dwIndex >= names.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
        *lpClass = L'\0';
        *lpcchClass = 0;
    }
    if (lpftLastWriteTime != nullptr) {
        *lpftLastWriteTime = FILETIME{0, 0};
    }
    return CopyName(std::next(names.begin(), dwIndex)->second, lpName, lpcchName);
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    const auto handle = Resolve(hKey);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(*handle, KEY_QUERY_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    std::vector<Value> values;
    std::unordered_set<std::wstring> seen;
    const LONG result = VisitKeys(*handle, [&](const Key& key) {
        for (const auto& value : key.Values()) {
            if (seen.insert(FoldCase(value.name)).second) {
                values.push_back(value);
            }
        }
        return false;
    });
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (dwIndex >= values.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const Value& value = values[dwIndex];
    if (const LONG named = CopyName(value.name, lpValueName, lpcchValueName); named != ERROR_SUCCESS) {
        return named;
    }
    if (lpType != nullptr) {
        *lpType = value.type;
    }
    return CopyData(value.data, lpData, lpcbData);
}
