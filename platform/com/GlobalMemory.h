// Global memory blocks as on Windows: GMEM_FIXED blocks are addressed by their pointer;
// GMEM_MOVEABLE blocks by a handle that GlobalLock turns into a pointer (counting locks), so
// the block may move in GlobalReAlloc while nobody holds it locked. A movable block of size 0
// exists but has no memory: GlobalLock answers null until it is reallocated.
//
// Ownership: whoever allocates frees with GlobalFree, unless ownership is handed on (e.g.
// CreateStreamOnHGlobal with fDeleteOnRelease). Invalid handles make the functions fail with
// their failure value (null, 0 or FALSE) instead of touching memory. Any thread; a block's
// contents are the caller's to synchronise.
#pragma once

#include "platform/base/WinTypes.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Null when out of memory or for unsupported flags.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Movable: bumps the lock count and returns the data (null for a size-0 block). Fixed: the
// pointer itself.
LPVOID GlobalLock(HGLOBAL memory);
// Movable: non-zero while the block stays locked, 0 once unlocked or when it was not locked.
// Fixed: TRUE, as on Windows (a fixed block has no lock count).
BOOL GlobalUnlock(HGLOBAL memory);
// 0 for an invalid handle (and for a size-0 movable block).
SIZE_T GlobalSize(HGLOBAL memory);
// Resizes keeping the contents (new bytes zeroed with GMEM_ZEROINIT). A movable block keeps
// its handle; if it is locked, GMEM_MOVEABLE must be given (its data may move, as on Windows)
// or the call fails. A fixed block moves only with GMEM_MOVEABLE and then returns its new
// address; without it only shrinking succeeds. Null on failure, the block unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags);
// Null on success, the handle itself on failure. Frees a locked block too, as Windows does.
HGLOBAL GlobalFree(HGLOBAL memory);
constexpr UINT GMEM_DISCARDED = 0x4000;
constexpr UINT GMEM_LOCKCOUNT = 0x00FF;
constexpr UINT GMEM_INVALID_HANDLE = 0x8000;
// The lock count in the low byte (always 0 for a fixed block), GMEM_DISCARDED for a movable
// block of size 0, or GMEM_INVALID_HANDLE for anything that is not a live block.
UINT GlobalFlags(HGLOBAL memory);
