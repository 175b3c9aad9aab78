// A working IStream over a movable global memory block, as CreateStreamOnHGlobal gives on
// Windows: the stream's size is the block's size (initially GlobalSize of the block), writing
// past the end grows the block to exactly the new size, so GlobalSize of the block always
// equals the stream size and the block can be saved whole.
//
// Ownership: with deleteOnRelease the block is freed when the last stream over it (clones
// included) is released; without it the caller keeps the block and must keep it alive while
// the stream is used. A null block makes the stream allocate its own (a size-0 movable block).
// Thread: one thread at a time per block.
#pragma once

#include "platform/com/GlobalMemory.h"
#include "platform/com/Storage.h"

// E_POINTER for a null out-parameter, E_INVALIDARG for a handle that is not a live global
// block, E_OUTOFMEMORY when a block cannot be made.
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream);
// The block under a stream made by CreateStreamOnHGlobal; E_INVALIDARG for any other stream.
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* memory);
