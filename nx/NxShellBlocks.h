// The byte formats of the two selection blocks a data object hands a shell extension, checked
// without any Win32 type so that the checks also compile natively (fuzzing). Both blocks come from
// another process and are read only within the bytes known to be there.
//
//   - "Shell IDList Array" (CIDA): u32 count, then count + 1 u32 offsets from the block's start
//     (slot 0 is the folder, slots 1..count the items), each to an item-id list;
//   - item-id list: items of a u16 byte count (the count's own two bytes included) followed by
//     their data, up to a zero count;
//   - drop list (CF_HDROP, DROPFILES): u32 offset of the names, two i32 for the drop point, two
//     u32 flags (client area, wide names), then the names, each ending in a zero character, and one
//     more zero character after the last.
// All integers little-endian and unaligned.
//
// Cost: the checks walk each byte of a block a bounded number of times. A block whose slots all
// point at one long list is refused rather than read once per slot, and so is one whose items,
// each joined to the folder, would make far more bytes than the block holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nxshellblocks {

// The joined lists (folder + item, per item) may add up to this many times the block's size.
inline constexpr uint64_t kJoinedPerBlockByte = 64;

// The size of an item-id list without its terminator when the terminator lies within the first
// Limit bytes; false also for an item count of 1 (which can't hold its own count).
bool MeasureIDList(const uint8_t* List, uint64_t Limit, uint32_t& Size);

// A "Shell IDList Array" block that may be read: the offset table fits, each offset points behind
// the table, each list ends inside the block, the lists of all slots fit into the bytes behind the
// table, and the joined lists stay within kJoinedPerBlockByte times the block. Count is the
// number of items (the folder not counted).
bool CheckShellIDListArray(const uint8_t* Data, size_t Size, uint32_t& Count);

// The offset of slot Slot's list (0: the folder) in a block CheckShellIDListArray accepted.
uint32_t ShellIDListOffset(const uint8_t* Data, uint32_t Slot);

// One name of a drop list: Offset in bytes from the block's start, Length in characters.
struct TDropName {
  size_t Offset;
  size_t Length;
};
struct TDropList {
  bool Wide = false;  // characters of two bytes (UTF-16) instead of one (ANSI)
  std::vector<TDropName> Names;
};

// A drop list whose names start inside the block and end (one more zero character) before the
// block ends.
bool ParseDropList(const uint8_t* Data, size_t Size, TDropList& List);

}  // namespace nxshellblocks
