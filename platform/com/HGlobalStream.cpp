#include "platform/com/HGlobalStream.h"

#include "platform/com/ComObject.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The block shared by a stream and its clones.
struct SharedBlock {
    HGLOBAL memory = nullptr;
    bool deleteOnRelease = false;
    ~SharedBlock()
    {
        if (deleteOnRelease && memory != nullptr)
            GlobalFree(memory);
    }
};

class HGlobalStream final : public ComObject<IStream> {
public:
    HGlobalStream(std::shared_ptr<SharedBlock> block, ULONGLONG position)
        : block_(std::move(block)), position_(position)
    {
    }

    HGLOBAL Memory() const { return block_->memory; }

    HRESULT Read(void* buffer, ULONG bytes, ULONG* bytesRead) override
    {
        if (bytesRead != nullptr)
            *bytesRead = 0;
        if (buffer == nullptr && bytes != 0)
            return STG_E_INVALIDPOINTER;
        ULONGLONG size = GlobalSize(block_->memory);
        ULONG count = position_ >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(bytes, size - position_));
        if (count != 0) {
            auto* data = static_cast<unsigned char*>(GlobalLock(block_->memory));
            if (data == nullptr)
                return E_FAIL;
            std::memcpy(buffer, data + position_, count);
            GlobalUnlock(block_->memory);
            position_ += count;
        }
        if (bytesRead != nullptr)
            *bytesRead = count;
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) override
    {
        if (bytesWritten != nullptr)
            *bytesWritten = 0;
        if (buffer == nullptr && bytes != 0)
            return STG_E_INVALIDPOINTER;
        if (bytes == 0)
            return S_OK;
        ULONGLONG end = position_ + bytes;
        if (end > GlobalSize(block_->memory)) {
            ULARGE_INTEGER size;
            size.QuadPart = end;
            HRESULT hr = SetSize(size);
            if (FAILED(hr))
                return hr;
        }
        auto* data = static_cast<unsigned char*>(GlobalLock(block_->memory));
        if (data == nullptr)
            return E_FAIL;
        std::memcpy(data + position_, buffer, bytes);
        GlobalUnlock(block_->memory);
        position_ = end;
        if (bytesWritten != nullptr)
            *bytesWritten = bytes;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override
    {
        long long base = 0;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = static_cast<long long>(position_); break;
        case STREAM_SEEK_END: base = static_cast<long long>(GlobalSize(block_->memory)); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        long long target = 0;
        if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0)
            return STG_E_INVALIDFUNCTION;
        // Positions past the end are allowed; the block grows when something is written there.
        if (static_cast<ULONGLONG>(target) > 0xFFFFFFFFull)
            return STG_E_INVALIDFUNCTION;
        position_ = static_cast<ULONGLONG>(target);
        if (newPosition != nullptr)
            newPosition->QuadPart = position_;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER newSize) override
    {
        // Blocks are limited to 32-bit sizes, as the 32-bit stream counters are.
        if (newSize.u.HighPart != 0)
            return STG_E_MEDIUMFULL;
        SIZE_T oldSize = GlobalSize(block_->memory);
        if (newSize.QuadPart == oldSize)
            return S_OK;
        // A fixed block may move and come back under a new handle.
        HGLOBAL resized = GlobalReAlloc(block_->memory, static_cast<SIZE_T>(newSize.QuadPart), GMEM_MOVEABLE | GMEM_ZEROINIT);
        if (resized == nullptr)
            return E_OUTOFMEMORY;
        block_->memory = resized;
        return S_OK;
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER bytes, ULARGE_INTEGER* bytesRead,
                   ULARGE_INTEGER* bytesWritten) override
    {
        if (bytesRead != nullptr)
            bytesRead->QuadPart = 0;
        if (bytesWritten != nullptr)
            bytesWritten->QuadPart = 0;
        if (target == nullptr)
            return STG_E_INVALIDPOINTER;
        ULONGLONG size = GlobalSize(block_->memory);
        ULONGLONG available = position_ >= size ? 0 : size - position_;
        ULONG count = static_cast<ULONG>(std::min<ULONGLONG>(bytes.QuadPart, available));
        if (count == 0)
            return S_OK;
        // Copy out first: the target may be a clone over the same block.
        return ComBoundary([&]() -> HRESULT {
            std::unique_ptr<unsigned char[]> chunk(new unsigned char[count]);
            ULONG read = 0;
            HRESULT hr = Read(chunk.get(), count, &read);
            if (FAILED(hr))
                return hr;
            if (bytesRead != nullptr)
                bytesRead->QuadPart = read;
            ULONG written = 0;
            hr = target->Write(chunk.get(), read, &written);
            if (bytesWritten != nullptr)
                bytesWritten->QuadPart = written;
            return hr;
        });
    }

    // Memory streams are always in direct mode: nothing to commit or revert.
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    HRESULT Stat(STATSTG* statistics, DWORD flags) override
    {
        if (statistics == nullptr)
            return STG_E_INVALIDPOINTER;
        if (flags != STATFLAG_DEFAULT && flags != STATFLAG_NONAME)
            return STG_E_INVALIDFLAG;
        *statistics = STATSTG{};
        statistics->type = STGTY_STREAM;
        statistics->cbSize.QuadPart = GlobalSize(block_->memory);
        statistics->grfMode = STGM_READWRITE;
        return S_OK;
    }

    HRESULT Clone(IStream** copy) override
    {
        if (copy == nullptr)
            return STG_E_INVALIDPOINTER;
        *copy = nullptr;
        return ComBoundary([&] {
            *copy = MakeComObject<HGlobalStream>(block_, position_).Detach();
            return S_OK;
        });
    }

private:
    std::shared_ptr<SharedBlock> block_;
    ULONGLONG position_ = 0;
};

} // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream)
{
    if (stream == nullptr)
        return E_POINTER;
    *stream = nullptr;
    bool ownBlock = memory == nullptr;
    if (ownBlock) {
        memory = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (memory == nullptr)
            return E_OUTOFMEMORY;
    } else if (GlobalFlags(memory) == GMEM_INVALID_HANDLE) {
        return E_INVALIDARG;
    }
    HRESULT hr = ComBoundary([&]() -> HRESULT {
        auto block = std::make_shared<SharedBlock>();
        block->memory = memory;
        block->deleteOnRelease = deleteOnRelease != FALSE;
        *stream = MakeComObject<HGlobalStream>(std::move(block), 0).Detach();
        return S_OK;
    });
    if (FAILED(hr) && ownBlock)
        GlobalFree(memory);
    return hr;
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* memory)
{
    if (memory == nullptr)
        return E_INVALIDARG;
    *memory = nullptr;
    auto* ours = dynamic_cast<HGlobalStream*>(stream);
    if (ours == nullptr)
        return E_INVALIDARG;
    *memory = ours->Memory();
    return S_OK;
}
