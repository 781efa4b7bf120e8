#include "nx/NxShellBlocks.h"

namespace nxshellblocks {

namespace {

uint16_t U16At(const uint8_t* Where) {
  return static_cast<uint16_t>(Where[0] | Where[1] << 8);
}

uint32_t U32At(const uint8_t* Where) {
  return uint32_t{Where[0]} | uint32_t{Where[1]} << 8 | uint32_t{Where[2]} << 16 | uint32_t{Where[3]} << 24;
}

constexpr size_t kDropHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide
constexpr size_t kWideFlagAt = 16;

}  // namespace

bool MeasureIDList(const uint8_t* List, uint64_t Limit, uint32_t& Size) {
  if (List == nullptr) return false;
  uint64_t Offset = 0;
  for (;;) {
    if (Offset + 2 > Limit) return false;
    const uint16_t Count = U16At(List + Offset);
    if (Count == 0) break;
    if (Count < 2) return false;
    Offset += Count;
  }
  if (Offset > 0xFFFFFFFFu) return false;
  Size = static_cast<uint32_t>(Offset);
  return true;
}

bool CheckShellIDListArray(const uint8_t* Data, size_t Size, uint32_t& Count) {
  Count = 0;
  if (Data == nullptr || Size < 4) return false;
  const uint32_t Items = U32At(Data);
  // The count, then one offset for the folder and one per item.
  const uint64_t TableEnd = 4 + (uint64_t{Items} + 1) * 4;
  if (TableEnd > Size) return false;
  // Every slot's list, terminator included, is paid for out of the bytes behind the table, so the
  // walks together read no more than the block; lists shared by several slots soon run out.
  uint64_t Budget = Size - TableEnd;
  uint64_t FolderSize = 0, ItemsSize = 0;
  for (uint64_t Slot = 0; Slot <= Items; ++Slot) {
    const uint32_t Offset = U32At(Data + 4 + Slot * 4);
    if (Offset < TableEnd || Offset >= Size) return false;
    const uint64_t Limit = Size - Offset < Budget ? Size - Offset : Budget;
    uint32_t ListSize;
    if (!MeasureIDList(Data + Offset, Limit, ListSize)) return false;
    Budget -= uint64_t{ListSize} + 2;
    if (Slot == 0) FolderSize = ListSize;
    else ItemsSize += ListSize;
  }
  // Each item is joined to the folder into a list of its own (with a 4-byte terminator).
  const uint64_t Joined = FolderSize * Items + ItemsSize + uint64_t{Items} * 4;
  if (Joined > kJoinedPerBlockByte * Size) return false;
  Count = Items;
  return true;
}

uint32_t ShellIDListOffset(const uint8_t* Data, uint32_t Slot) { return U32At(Data + 4 + size_t{Slot} * 4); }

bool ParseDropList(const uint8_t* Data, size_t Size, TDropList& List) {
  List = TDropList{};
  if (Data == nullptr || Size < kDropHeaderSize) return false;
  const uint32_t Files = U32At(Data);
  if (Files < kDropHeaderSize || Files >= Size) return false;
  List.Wide = U32At(Data + kWideFlagAt) != 0;
  const size_t CharSize = List.Wide ? 2 : 1;
  auto IsZero = [&](size_t At) { return Data[At] == 0 && (CharSize == 1 || Data[At + 1] == 0); };
  size_t At = Files;
  for (;;) {
    if (At + CharSize > Size) return false;
    if (IsZero(At)) return true;
    const size_t Start = At;
    while (At + CharSize <= Size && !IsZero(At)) At += CharSize;
    if (At + CharSize > Size) return false;
    List.Names.push_back({Start, (At - Start) / CharSize});
    At += CharSize;
  }
}

}  // namespace nxshellblocks
