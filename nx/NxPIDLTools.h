// Item-id lists on the shell's allocator: copy, join, measure, walk, free.
// Every list made here is a shell-allocator block; null stands for "no list".
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

// Sum of the item counts up to the first zero count (without the terminator); null gives 0.
UINT GetPIDLSize(LPCITEMIDLIST List);
// The item behind the first one; null when List is null or its first count is 0.
LPITEMIDLIST NextPIDL(LPCITEMIDLIST List);
// A new block of size + 4 bytes: the items, the terminator and two more zero bytes. Null when
// List is null, its first 4 bytes aren't readable or the allocation fails.
LPITEMIDLIST CopyPIDL(LPCITEMIDLIST List);
// A new zero-filled block: First's items, then Second's items and terminator. Both null: null;
// one null: a copy of the other; null when the allocation fails.
LPITEMIDLIST ConcatPIDLs(LPCITEMIDLIST First, LPCITEMIDLIST Second);
// Frees a list made on the shell allocator; null does nothing.
void FreePIDL(LPCITEMIDLIST List);

// The shell allocator while the unit lives (null before start-up could run and after shutdown).
IMalloc* ShellMalloc();

// Lists from outside the process's own shell calls (a data object's CIDA) are walked only within
// the bytes known to be there.

// GetPIDLSize for a list of which only the first Limit bytes may be read: false when the
// terminator isn't within them or an item count is 1 (which can't hold its own count).
bool TryGetPIDLSize(LPCITEMIDLIST List, SIZE_T Limit, UINT& Size);

// A "Shell IDList Array" block checked before anything is read (NxShellBlocks: the offset table
// fits, each list ends inside the block, the lists and the joined lists they make are bounded by
// the block's size).
class TNxCidaView {
public:
  // False (and an empty view) when the block is malformed.
  bool Parse(const void* Data, SIZE_T Size);

  UINT Count() const { return count_; }  // selected items, the folder not counted
  LPCITEMIDLIST Folder() const { return ListAt(0); }
  LPCITEMIDLIST Item(UINT Index) const { return Index < count_ ? ListAt(Index + 1) : nullptr; }

private:
  LPCITEMIDLIST ListAt(UINT Slot) const;

  const BYTE* data_ = nullptr;
  UINT count_ = 0;
};

// Unit start-up (takes the shell allocator) and shutdown (releases it).
void NxPIDLToolsInitialize();
void NxPIDLToolsFinalize();
