// The in-memory form of a registry hive: a tree of keys holding typed values. Names compare without
// regard to case and keep the case they were first written with.
#pragma once

#include "Platform/WinTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Platform::Registry {

// The upper-case form of a name, used as the key of every name comparison.
std::wstring FoldCase(std::wstring_view name);

struct Value {
    std::wstring name;
    DWORD type = 0;
    // As the API hands it out: string types are wchar_t units, everything else raw bytes.
    std::vector<BYTE> data;
};

// Every key gets an id when it is made; a handle remembers it, so that a key deleted and made again
// under the same name is not mistaken for the one the handle opened.
class Key {
public:
    explicit Key(std::wstring name);

    const std::wstring& Name() const { return name_; }
    std::uint64_t Id() const { return id_; }

    Key* FindChild(std::wstring_view name) const;
    // The child of that name, made when missing; `created` tells which.
    Key& GetOrAddChild(std::wstring_view name, bool& created);
    bool RemoveChild(std::wstring_view name);
    // Children in the order of their folded names.
    const std::map<std::wstring, std::unique_ptr<Key>>& Children() const { return children_; }

    const Value* FindValue(std::wstring_view name) const;
    // Replaces the data of an existing value (keeping its name's case) or appends a new value.
    void SetValue(Value value);
    bool RemoveValue(std::wstring_view name);
    // Values in the order they were made.
    const std::vector<Value>& Values() const { return values_; }

    void Clear();

    // Gives every key of this tree that also exists, by path, in `previous` the id it had there, so that
    // handles survive a reload of the file.
    void TakeIdsFrom(const Key& previous);

private:
    std::wstring name_;
    std::uint64_t id_;
    std::map<std::wstring, std::unique_ptr<Key>> children_;
    std::vector<Value> values_;
};

// Follows `path` from `root`; null when a component is missing.
template <typename KeyType> KeyType* FindPath(KeyType& root, const std::vector<std::wstring>& path) {
    KeyType* key = &root;
    for (auto it = path.begin(); key != nullptr && it != path.end(); ++it) {
        key = key->FindChild(*it);
    }
    return key;
}

} // namespace Platform::Registry
