// Fuzz target for the stream packer's records (tools/fuzz.sh sfpack). The first byte picks the
// road: a record read from the bytes (what it unpacks must pack and unpack to the same data), or
// the bytes packed as data (they must unpack to themselves).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lx/lxSFPackCore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const uint8_t* Bytes = Data + 1;
  const size_t Count = Size - 1;
  std::vector<uint8_t> Out;
  size_t Consumed = 0;
  if (Data[0] & 1) {
    lxsfpack::TRecordHeader Header;
    lxsfpack::ReadRecordHeader(Bytes, Count, Header);
    if (lxsfpack::UnpackRecord(Bytes, Count, Out, Consumed) != lxsfpack::TPackError::None) return 0;
    if (Consumed > Count) std::abort();
  } else {
    Out.assign(Bytes, Bytes + Count);
  }
  const std::vector<uint8_t> Record = lxsfpack::PackRecord(Out.data(), Out.size());
  std::vector<uint8_t> Again;
  if (lxsfpack::UnpackRecord(Record.data(), Record.size(), Again, Consumed) != lxsfpack::TPackError::None ||
      Again != Out || Consumed != Record.size())
    std::abort();
  return 0;
}
