#include "platform/registry/Registry.h"

#include "platform/com/Bstr.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

// Key and value names compare after folding ASCII and Latin-1 letters to upper case.
std::u16string Folded(std::u16string_view name)
{
    std::u16string folded(name);
    for (char16_t& c : folded) {
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
            c = static_cast<char16_t>(c - 0x20);
    }
    return folded;
}

struct Value {
    DWORD type = REG_NONE;
    std::u16string text;      // REG_SZ
    std::vector<BYTE> bytes;  // other types
};

struct Key {
    bool deleted = false;
    std::map<std::u16string, std::shared_ptr<Key>> subkeys; // by folded name
    std::map<std::u16string, Value> values;                 // by folded name
};

struct Tree {
    std::mutex mutex;
    std::shared_ptr<Key> classesRoot = std::make_shared<Key>();
    std::shared_ptr<Key> currentUser = std::make_shared<Key>();
    std::shared_ptr<Key> localMachine = std::make_shared<Key>();
    // Open handles: each is the address of a heap cell holding the key it refers to.
    std::set<HKEY> handles;
};

Tree& TheTree()
{
    // Never destroyed: handles may still be closed by other objects' destructors at exit.
    static Tree* tree = new Tree;
    return *tree;
}

struct Handle {
    std::shared_ptr<Key> key;
};

// The key a handle or root stands for; null when unknown. Caller holds the lock.
std::shared_ptr<Key> Resolve(Tree& tree, HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return tree.classesRoot;
    if (key == HKEY_CURRENT_USER)
        return tree.currentUser;
    if (key == HKEY_LOCAL_MACHINE)
        return tree.localMachine;
    if (tree.handles.count(key) != 0)
        return reinterpret_cast<Handle*>(key)->key;
    return nullptr;
}

bool IsRoot(HKEY key) { return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE; }

// Splits a path into folded names; nullopt for empty components (leading or doubled '\').
// A single trailing '\' is tolerated.
std::optional<std::vector<std::u16string>> SplitPath(std::u16string_view path)
{
    std::vector<std::u16string> names;
    if (path.empty())
        return names;
    if (path.back() == u'\\')
        path.remove_suffix(1);
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find(u'\\', start);
        std::u16string_view name = path.substr(start, end == std::u16string_view::npos ? path.size() - start : end - start);
        if (name.empty())
            return std::nullopt;
        names.push_back(Folded(name));
        if (end == std::u16string_view::npos)
            break;
        start = end + 1;
    }
    return names;
}

std::u16string WideOf(LPCWSTR text)
{
    if (text == nullptr)
        return {};
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return std::u16string(text, n);
}

LSTATUS Open(HKEY root, const std::u16string& subKey, REGSAM access, PHKEY result)
{
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    constexpr REGSAM writeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x00010000 /* DELETE */ |
                                   0x00040000 /* WRITE_DAC */ | 0x00080000 /* WRITE_OWNER */;
    if (access & writeRights)
        return ERROR_ACCESS_DENIED;
    std::optional<std::vector<std::u16string>> names = SplitPath(subKey);
    if (!names)
        return ERROR_BAD_PATHNAME;
    Tree& tree = TheTree();
    std::lock_guard lock(tree.mutex);
    std::shared_ptr<Key> key = Resolve(tree, root);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (key->deleted)
        return ERROR_KEY_DELETED;
    for (const std::u16string& name : *names) {
        auto it = key->subkeys.find(name);
        if (it == key->subkeys.end())
            return ERROR_FILE_NOT_FOUND;
        key = it->second;
    }
    try {
        auto handle = std::make_unique<Handle>(Handle{key});
        HKEY value = reinterpret_cast<HKEY>(handle.get());
        tree.handles.insert(value);
        handle.release();
        *result = value;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

LSTATUS Query(HKEY handle, const std::u16string& valueName, bool wide, DWORD* type, BYTE* data, DWORD* dataBytes)
{
    if (data != nullptr && dataBytes == nullptr)
        return ERROR_INVALID_PARAMETER;
    Tree& tree = TheTree();
    std::lock_guard lock(tree.mutex);
    std::shared_ptr<Key> key = Resolve(tree, handle);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (key->deleted)
        return ERROR_KEY_DELETED;
    auto it = key->values.find(Folded(valueName));
    if (it == key->values.end())
        return ERROR_FILE_NOT_FOUND;
    const Value& value = it->second;
    std::string narrow;
    const void* source = value.bytes.data();
    std::size_t size = value.bytes.size();
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        if (wide) {
            source = value.text.c_str();
            size = (value.text.size() + 1) * sizeof(char16_t);
        } else {
            narrow = Utf16ToUtf8(value.text);
            source = narrow.c_str();
            size = narrow.size() + 1;
        }
    }
    if (type != nullptr)
        *type = value.type;
    if (dataBytes == nullptr)
        return ERROR_SUCCESS;
    DWORD available = *dataBytes;
    *dataBytes = static_cast<DWORD>(size);
    if (data == nullptr)
        return ERROR_SUCCESS;
    if (available < size)
        return ERROR_MORE_DATA;
    std::memcpy(data, source, size);
    return ERROR_SUCCESS;
}

// Finds or creates root\path; caller holds the lock.
std::shared_ptr<Key> CreatePath(Tree& tree, HKEY root, std::string_view path, LSTATUS& status)
{
    status = ERROR_SUCCESS;
    if (!IsRoot(root)) {
        status = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    std::optional<std::vector<std::u16string>> names = SplitPath(Utf8ToUtf16(path));
    if (!names) {
        status = ERROR_BAD_PATHNAME;
        return nullptr;
    }
    std::shared_ptr<Key> key = Resolve(tree, root);
    for (const std::u16string& name : *names) {
        std::shared_ptr<Key>& child = key->subkeys[name];
        if (!child)
            child = std::make_shared<Key>();
        key = child;
    }
    return key;
}

LSTATUS InstallValue(HKEY root, std::string_view path, std::string_view name, Value value)
{
    Tree& tree = TheTree();
    std::lock_guard lock(tree.mutex);
    try {
        LSTATUS status = ERROR_SUCCESS;
        std::shared_ptr<Key> key = CreatePath(tree, root, path, status);
        if (!key)
            return status;
        key->values[Folded(Utf8ToUtf16(name))] = std::move(value);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

void MarkDeleted(Key& key)
{
    key.deleted = true;
    for (auto& [name, child] : key.subkeys)
        MarkDeleted(*child);
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    try {
        return Open(root, subKey == nullptr ? std::u16string() : Utf8ToUtf16(subKey), access, result);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    try {
        return Open(root, WideOf(subKey), access, result);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegCloseKey(HKEY key)
{
    if (IsRoot(key))
        return ERROR_SUCCESS;
    Tree& tree = TheTree();
    std::lock_guard lock(tree.mutex);
    auto it = tree.handles.find(key);
    if (it == tree.handles.end())
        return ERROR_INVALID_HANDLE;
    tree.handles.erase(it);
    delete reinterpret_cast<Handle*>(key);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataBytes)
{
    try {
        return Query(key, valueName == nullptr ? std::u16string() : Utf8ToUtf16(valueName), false, type, data, dataBytes);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataBytes)
{
    try {
        return Query(key, WideOf(valueName), true, type, data, dataBytes);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegistryInstallKey(HKEY root, std::string_view path)
{
    Tree& tree = TheTree();
    std::lock_guard lock(tree.mutex);
    try {
        LSTATUS status = ERROR_SUCCESS;
        CreatePath(tree, root, path, status);
        return status;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegistryInstallString(HKEY root, std::string_view path, std::string_view name, std::string_view text)
{
    try {
        Value value;
        value.type = REG_SZ;
        value.text = Utf8ToUtf16(text);
        return InstallValue(root, path, name, std::move(value));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegistryInstallDword(HKEY root, std::string_view path, std::string_view name, DWORD number)
{
    try {
        Value value;
        value.type = REG_DWORD;
        value.bytes.resize(sizeof(DWORD));
        std::memcpy(value.bytes.data(), &number, sizeof(DWORD));
        return InstallValue(root, path, name, std::move(value));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegistryRemoveKey(HKEY root, std::string_view path)
{
    if (!IsRoot(root))
        return ERROR_INVALID_HANDLE;
    try {
        std::optional<std::vector<std::u16string>> names = SplitPath(Utf8ToUtf16(path));
        if (!names)
            return ERROR_BAD_PATHNAME;
        if (names->empty())
            return ERROR_ACCESS_DENIED;
        Tree& tree = TheTree();
        std::lock_guard lock(tree.mutex);
        std::shared_ptr<Key> parent = Resolve(tree, root);
        for (std::size_t i = 0; i + 1 < names->size(); ++i) {
            auto it = parent->subkeys.find((*names)[i]);
            if (it == parent->subkeys.end())
                return ERROR_FILE_NOT_FOUND;
            parent = it->second;
        }
        auto it = parent->subkeys.find(names->back());
        if (it == parent->subkeys.end())
            return ERROR_FILE_NOT_FOUND;
        MarkDeleted(*it->second);
        parent->subkeys.erase(it);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}
