#include "platform/com/GlobalMemory.h"
#include "platform/com/HGlobalStream.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

LARGE_INTEGER Offset(LONGLONG value)
{
    LARGE_INTEGER offset;
    offset.QuadPart = value;
    return offset;
}

ULARGE_INTEGER Size(ULONGLONG value)
{
    ULARGE_INTEGER size;
    size.QuadPart = value;
    return size;
}

std::string BlockText(HGLOBAL block)
{
    auto* data = static_cast<const char*>(GlobalLock(block));
    std::string text(data, GlobalSize(block));
    GlobalUnlock(block);
    return text;
}

TEST(GlobalMemory, MovableBlocksCountLocks)
{
    HGLOBAL block = GlobalAlloc(GHND, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 16u);
    auto* first = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(static_cast<void*>(first), block) << "a movable handle is not its data";
    EXPECT_EQ(first[15], 0) << "GMEM_ZEROINIT";
    EXPECT_EQ(GlobalLock(block), first);
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 2u);
    EXPECT_EQ(GlobalUnlock(block), TRUE) << "still locked once";
    EXPECT_EQ(GlobalUnlock(block), FALSE);
    EXPECT_EQ(GlobalUnlock(block), FALSE) << "not locked at all";

    std::memcpy(GlobalLock(block), "0123456789abcdef", 16);
    EXPECT_EQ(GlobalReAlloc(block, 32, 0), nullptr) << "a locked block may only move with GMEM_MOVEABLE";
    GlobalUnlock(block);
    ASSERT_EQ(GlobalReAlloc(block, 32, GMEM_ZEROINIT), block) << "a movable block keeps its handle";
    EXPECT_EQ(GlobalSize(block), 32u);
    std::string text = BlockText(block);
    EXPECT_EQ(text.substr(0, 16), "0123456789abcdef");
    EXPECT_EQ(text.substr(16), std::string(16, '\0'));

    ASSERT_EQ(GlobalReAlloc(block, 0, GMEM_MOVEABLE), block);
    EXPECT_EQ(GlobalFlags(block), GMEM_DISCARDED);
    EXPECT_EQ(GlobalLock(block), nullptr) << "a size-0 block has no memory";
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalFree(block), block) << "a freed handle is refused";
}

TEST(GlobalMemory, FixedBlocksAreTheirPointer)
{
    HGLOBAL block = GlobalAlloc(GPTR, 8);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalLock(block), block);
    EXPECT_EQ(GlobalUnlock(block), TRUE);
    EXPECT_EQ(GlobalReAlloc(block, 64, 0), nullptr) << "cannot grow in place";
    EXPECT_EQ(GlobalReAlloc(block, 4, 0), block);
    EXPECT_EQ(GlobalSize(block), 4u);
    HGLOBAL moved = GlobalReAlloc(block, 64, GMEM_MOVEABLE);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(GlobalSize(moved), 64u);
    EXPECT_EQ(GlobalFree(moved), nullptr);
    int local = 0;
    EXPECT_EQ(GlobalLock(&local), nullptr) << "foreign pointers are not blocks";
    EXPECT_EQ(GlobalAlloc(0x1000, 4), nullptr) << "unknown flags";
}

TEST(HGlobalStream, WritesGrowTheBlockToTheStreamSize)
{
    IStream* raw = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &raw), S_OK);
    ComPtr<IStream> stream = ComPtr<IStream>::TakeOver(raw);
    HGLOBAL block = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream.Get(), &block), S_OK);
    EXPECT_EQ(GlobalSize(block), 0u);

    ULONG done = 99;
    EXPECT_EQ(stream->Write("hello", 5, &done), S_OK);
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(stream->Write(" world", 6, nullptr), S_OK);
    EXPECT_EQ(GlobalSize(block), 11u) << "exactly the written size, so the block can be saved whole";
    EXPECT_EQ(BlockText(block), "hello world");

    ULARGE_INTEGER position;
    ASSERT_EQ(stream->Seek(Offset(-5), STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 6u);
    char buffer[16] = {};
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &done), S_OK) << "a short read is not an error";
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(std::string(buffer, done), "world");
    EXPECT_EQ(stream->Read(buffer, 4, &done), S_OK);
    EXPECT_EQ(done, 0u);

    // A position past the end is allowed; writing there fills the gap with zeros.
    ASSERT_EQ(stream->Seek(Offset(3), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 14u);
    EXPECT_EQ(stream->Write("!", 1, nullptr), S_OK);
    EXPECT_EQ(BlockText(block), std::string("hello world\0\0\0!", 15));

    EXPECT_EQ(stream->Seek(Offset(-1), STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->Seek(Offset(0), 7, nullptr), STG_E_INVALIDFUNCTION);

    EXPECT_EQ(stream->SetSize(Size(5)), S_OK);
    EXPECT_EQ(BlockText(block), "hello");
    STATSTG stat;
    std::memset(&stat, 0xCD, sizeof stat);
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize.QuadPart, 5u);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stream->LockRegion(Size(0), Size(1), LOCK_WRITE), STG_E_INVALIDFUNCTION);
}

TEST(HGlobalStream, ReadsAnExistingBlockAndLeavesItToTheCaller)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(block), "data", 4);
    GlobalUnlock(block);
    {
        IStream* raw = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(block, FALSE, &raw), S_OK);
        ComPtr<IStream> stream = ComPtr<IStream>::TakeOver(raw);
        char buffer[4];
        ULONG done = 0;
        EXPECT_EQ(stream->Read(buffer, 4, &done), S_OK);
        EXPECT_EQ(std::string(buffer, done), "data");

        // A clone shares the block, has its own position, and outlives the original.
        IStream* clone = nullptr;
        ASSERT_EQ(stream->Clone(&clone), S_OK);
        stream.Reset();
        EXPECT_EQ(clone->Write("++", 2, nullptr), S_OK);
        EXPECT_EQ(clone->Release(), 0u);
    }
    EXPECT_EQ(BlockText(block), "data++") << "the block survives the streams without fDeleteOnRelease";
    EXPECT_EQ(GlobalFree(block), nullptr);

    IStream* stream = reinterpret_cast<IStream*>(Sentinel());
    int notABlock = 0;
    EXPECT_EQ(CreateStreamOnHGlobal(&notABlock, FALSE, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_POINTER);
}

TEST(HGlobalStream, DeleteOnReleaseFreesTheBlockWithTheLastStream)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(block, TRUE, &stream), S_OK);
    IStream* clone = nullptr;
    ASSERT_EQ(stream->Clone(&clone), S_OK);
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_NE(GlobalFlags(block), GMEM_INVALID_HANDLE) << "the clone still uses it";
    EXPECT_EQ(clone->Release(), 0u);
    EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
}

TEST(HGlobalStream, CopyToAnotherStream)
{
    IStream* a = nullptr;
    IStream* b = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &a), S_OK);
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &b), S_OK);
    a->Write("0123456789", 10, nullptr);
    a->Seek(Offset(2), STREAM_SEEK_SET, nullptr);
    ULARGE_INTEGER read, written;
    EXPECT_EQ(a->CopyTo(b, Size(100), &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 8u);
    EXPECT_EQ(written.QuadPart, 8u);
    HGLOBAL block = nullptr;
    GetHGlobalFromStream(b, &block);
    EXPECT_EQ(BlockText(block), "23456789");
    a->Release();
    b->Release();
}

} // namespace
