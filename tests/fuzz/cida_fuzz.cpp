// Fuzz target for the selection blocks (tools/fuzz.sh cida): "Shell IDList Array" blocks and drop
// lists. Whatever is accepted is walked as the shell extension walks it, within the block, and the
// joined lists it would make stay within their bound.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "nx/NxShellBlocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  // A copy of exactly the block's bytes, so that any read past it is seen.
  const std::vector<uint8_t> Block(Data + 1, Data + Size);
  const uint8_t* Bytes = Block.data();
  if (Data[0] & 1) {
    nxshellblocks::TDropList List;
    if (!nxshellblocks::ParseDropList(Bytes, Block.size(), List)) return 0;
    const size_t CharSize = List.Wide ? 2 : 1;
    unsigned Sum = 0;
    for (const nxshellblocks::TDropName& Name : List.Names)
      for (size_t I = 0; I < Name.Length * CharSize; ++I) Sum += Bytes[Name.Offset + I];
    return Sum == 0xFFFFFFFFu;
  }
  uint32_t Count = 0;
  if (!nxshellblocks::CheckShellIDListArray(Bytes, Block.size(), Count)) return 0;
  uint64_t Joined = 0;
  uint32_t Folder = 0;
  for (uint32_t Slot = 0; Slot <= Count; ++Slot) {
    const uint32_t Offset = nxshellblocks::ShellIDListOffset(Bytes, Slot);
    uint32_t ListSize;
    if (!nxshellblocks::MeasureIDList(Bytes + Offset, Block.size() - Offset, ListSize)) std::abort();
    if (Slot == 0) Folder = ListSize;
    else Joined += uint64_t{Folder} + ListSize + 4;
  }
  if (Joined > nxshellblocks::kJoinedPerBlockByte * Block.size()) std::abort();
  return 0;
}
