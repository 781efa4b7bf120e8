#include "nx/NxPIDLTools.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "nx/NxShellBlocks.h"
#include "nx/NxUnitOrder.h"

namespace {
std::atomic<IMalloc*> g_malloc{nullptr};

const TUnitRegistration kUnit(nxrPIDLTools, {"NxPIDLTools", &NxPIDLToolsInitialize, &NxPIDLToolsFinalize});

// Item counts are 16-bit and need not be aligned.
USHORT CountAt(const void* Where) {
  USHORT cb;
  std::memcpy(&cb, Where, sizeof cb);
  return cb;
}

LPITEMIDLIST Allocate(size_t Bytes) {
  IMalloc* malloc = ShellMalloc();
  if (malloc == nullptr || Bytes > 0xFFFFFFFFu) return nullptr;
  return static_cast<LPITEMIDLIST>(malloc->Alloc(static_cast<SIZE_T>(Bytes)));
}
}  // namespace

UINT GetPIDLSize(LPCITEMIDLIST List) {
  if (List == nullptr) return 0;
  const BYTE* p = reinterpret_cast<const BYTE*>(List);
  UINT size = 0;
  for (USHORT cb; (cb = CountAt(p + size)) != 0;) size += cb;
  return size;
}

LPITEMIDLIST NextPIDL(LPCITEMIDLIST List) {
  if (List == nullptr) return nullptr;
  USHORT cb = CountAt(List);
  if (cb == 0) return nullptr;
  return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(List) + cb));
}

LPITEMIDLIST CopyPIDL(LPCITEMIDLIST List) {
  if (List == nullptr || IsBadReadPtr(List, 4)) return nullptr;
  const UINT size = GetPIDLSize(List);
  LPITEMIDLIST copy = Allocate(size_t{size} + 4);
  if (copy == nullptr) return nullptr;
  BYTE* out = reinterpret_cast<BYTE*>(copy);
  std::memcpy(out, List, size);
  std::memset(out + size, 0, 4);
  return copy;
}

LPITEMIDLIST ConcatPIDLs(LPCITEMIDLIST First, LPCITEMIDLIST Second) {
  if (First == nullptr && Second == nullptr) return nullptr;
  if (First == nullptr) return CopyPIDL(Second);
  if (Second == nullptr) return CopyPIDL(First);
  const UINT size1 = GetPIDLSize(First);
  const UINT size2 = GetPIDLSize(Second);
  const size_t total = size_t{size1} + size2 + 4;
  LPITEMIDLIST joined = Allocate(total);
  if (joined == nullptr) return nullptr;
  BYTE* out = reinterpret_cast<BYTE*>(joined);
  std::memset(out, 0, total);
  std::memcpy(out, First, size1);
  std::memcpy(out + size1, Second, size_t{size2} + 2);
  return joined;
}

void FreePIDL(LPCITEMIDLIST List) {
  if (List == nullptr) return;
  if (IMalloc* malloc = ShellMalloc()) malloc->Free(const_cast<LPITEMIDLIST>(List));
}

IMalloc* ShellMalloc() {
  EnsureUnitsStarted();
  return g_malloc.load(std::memory_order_acquire);
}

bool TryGetPIDLSize(LPCITEMIDLIST List, SIZE_T Limit, UINT& Size) {
  uint32_t Measured;
  if (!nxshellblocks::MeasureIDList(reinterpret_cast<const uint8_t*>(List), Limit, Measured)) return false;
  Size = Measured;
  return true;
}

bool TNxCidaView::Parse(const void* Data, SIZE_T Size) {
  data_ = nullptr;
  count_ = 0;
  uint32_t count;
  if (!nxshellblocks::CheckShellIDListArray(static_cast<const uint8_t*>(Data), Size, count)) return false;
  data_ = static_cast<const BYTE*>(Data);
  count_ = count;
  return true;
}

LPCITEMIDLIST TNxCidaView::ListAt(UINT Slot) const {
  if (data_ == nullptr) return nullptr;
  return reinterpret_cast<LPCITEMIDLIST>(data_ + nxshellblocks::ShellIDListOffset(data_, Slot));
}

void NxPIDLToolsInitialize() {
  if (g_malloc.load() != nullptr) return;
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&malloc))) g_malloc.store(malloc, std::memory_order_release);
}

void NxPIDLToolsFinalize() {
  if (IMalloc* malloc = g_malloc.exchange(nullptr)) malloc->Release();
}
