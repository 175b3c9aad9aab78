#include "platform/com/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    bool moveable = false;
    void* data = nullptr;
    SIZE_T size = 0;
    UINT locks = 0;
};

// Every live block, keyed by its handle: the data pointer of a fixed block, or the address of
// a handle cell of a movable one. Knowing every handle lets us refuse stale or foreign ones.
struct Registry {
    std::mutex mutex;
    std::unordered_map<HGLOBAL, Block> blocks;
};

// Never destroyed: blocks may still be freed by other objects' destructors at exit.
Registry& Blocks()
{
    static Registry* registry = new Registry;
    return *registry;
}

void* AllocateData(SIZE_T bytes, bool zero)
{
    // malloc(0) may return null; a fixed block of 0 bytes still needs a unique address.
    return zero ? std::calloc(bytes == 0 ? 1 : bytes, 1) : std::malloc(bytes == 0 ? 1 : bytes);
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (flags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT))
        return nullptr;
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    Block block;
    block.moveable = (flags & GMEM_MOVEABLE) != 0;
    block.size = bytes;
    if (!block.moveable || bytes != 0) {
        block.data = AllocateData(bytes, (flags & GMEM_ZEROINIT) != 0);
        if (block.data == nullptr)
            return nullptr;
    }
    HGLOBAL handle = block.data;
    if (block.moveable) {
        // The handle is a cell of our own: it never equals any data address.
        handle = std::malloc(1);
        if (handle == nullptr) {
            std::free(block.data);
            return nullptr;
        }
    }
    try {
        registry.blocks.emplace(handle, block);
    } catch (...) {
        std::free(block.data);
        if (block.moveable)
            std::free(handle);
        return nullptr;
    }
    return handle;
}

LPVOID GlobalLock(HGLOBAL memory)
{
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(memory);
    if (it == registry.blocks.end())
        return nullptr;
    Block& block = it->second;
    if (!block.moveable)
        return block.data;
    if (block.data == nullptr)
        return nullptr;
    ++block.locks;
    return block.data;
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(memory);
    if (it == registry.blocks.end())
        return FALSE;
    Block& block = it->second;
    if (!block.moveable)
        return TRUE;
    if (block.locks == 0)
        return FALSE;
    --block.locks;
    return block.locks != 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL memory)
{
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(memory);
    return it == registry.blocks.end() ? 0 : it->second.size;
}

UINT GlobalFlags(HGLOBAL memory)
{
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(memory);
    if (it == registry.blocks.end())
        return GMEM_INVALID_HANDLE;
    const Block& block = it->second;
    UINT flags = block.locks & GMEM_LOCKCOUNT;
    if (block.moveable && block.data == nullptr)
        flags |= GMEM_DISCARDED;
    return flags;
}

HGLOBAL GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags)
{
    if (flags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT))
        return nullptr;
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(memory);
    if (it == registry.blocks.end())
        return nullptr;
    Block& block = it->second;
    bool zero = (flags & GMEM_ZEROINIT) != 0;

    if (block.moveable) {
        if (block.locks != 0 && !(flags & GMEM_MOVEABLE))
            return nullptr;
        if (bytes == 0) {
            // Windows discards the memory of a movable block reallocated to 0 bytes.
            std::free(block.data);
            block.data = nullptr;
            block.size = 0;
            return memory;
        }
        void* data = std::realloc(block.data, bytes);
        if (data == nullptr)
            return nullptr;
        if (zero && bytes > block.size)
            std::memset(static_cast<unsigned char*>(data) + block.size, 0, bytes - block.size);
        block.data = data;
        block.size = bytes;
        return memory;
    }

    if (bytes <= block.size) {
        block.size = bytes;
        return memory;
    }
    if (!(flags & GMEM_MOVEABLE))
        return nullptr;
    void* data = std::realloc(block.data, bytes);
    if (data == nullptr)
        return nullptr;
    if (zero)
        std::memset(static_cast<unsigned char*>(data) + block.size, 0, bytes - block.size);
    block.data = data;
    block.size = bytes;
    // Re-key the same node: no allocation, so the move cannot fail half-way.
    auto node = registry.blocks.extract(it);
    node.key() = data;
    registry.blocks.insert(std::move(node));
    return data;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    Registry& registry = Blocks();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(memory);
    if (it == registry.blocks.end())
        return memory;
    std::free(it->second.data);
    if (it->second.moveable)
        std::free(memory);
    registry.blocks.erase(it);
    return nullptr;
}
