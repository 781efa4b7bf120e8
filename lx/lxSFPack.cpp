#include "lx/lxSFPack.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "lx/lxSFPackCore.h"

namespace {

const uint8_t* Bytes(const void* P) { return static_cast<const uint8_t*>(P); }
uint8_t* Bytes(void* P) { return static_cast<uint8_t*>(P); }

constexpr char kNoRoomText[] = "Not enough memory for the unpacked data";

void Check(lxsfpack::TPackError Error) {
  if (Error != lxsfpack::TPackError::None) throw EReadError(lxsfpack::PackErrorText(Error));
}

// Decodes the record at Src (Available bytes from its PackedSize field) into a new stream;
// returns it and the record's size.
TObjectPtr<TMemoryStream> UnpackRecordAt(const uint8_t* Src, size_t Available, size_t& Consumed) {
  lxsfpack::TRecordHeader Header;
  Check(lxsfpack::ReadRecordHeader(Src, Available, Header));
  TObjectPtr<TMemoryStream> Out(TMemoryStream::Create());
  try {
    Out->SetSize(Header.UnpackedSize);
  } catch (const std::bad_alloc&) {
    throw EReadError(kNoRoomText);
  } catch (const std::length_error&) {  // more than a 32-bit process can address
    throw EReadError(kNoRoomText);
  }
  size_t Written = 0;
  Check(lxsfpack::UnpackBuffer(Src + 8, Header.PackedSize - 4, Bytes(Out->Memory()),
                               Header.UnpackedSize, Written));
  if (Written != Header.UnpackedSize) Check(lxsfpack::TPackError::SizeMismatch);
  Out->SetPosition(0);
  Consumed = lxsfpack::kSizeFieldBytes + Header.PackedSize;
  return Out;
}

}  // namespace

size_t PackedSizeBound(size_t N) noexcept { return lxsfpack::PackedSizeBound(N); }

void PackStream(TCustomMemoryStream& Source, TStream& Dest) {
  size_t Count = static_cast<size_t>(Source.Size());
  std::vector<uint8_t> Buffer(lxsfpack::PackedSizeBound(Count));
  size_t Packed = PackBuffer(Source.Memory(), Buffer.data(), Count, Buffer.size());
  uint8_t Field[4] = {static_cast<uint8_t>(Packed), static_cast<uint8_t>(Packed >> 8),
                      static_cast<uint8_t>(Packed >> 16), static_cast<uint8_t>(Packed >> 24)};
  Dest.WriteBuffer(Field, 4);
  Dest.WriteBuffer(Buffer.data(), static_cast<int32_t>(Packed));
}

TObjectPtr<TMemoryStream> UnpackStream(TStream& Source) {
  int64_t Start = Source.Position();
  int64_t Available = Source.Size() - Start;
  if (Available < 0) Available = 0;
  size_t Consumed = 0;
  TObjectPtr<TMemoryStream> Out;
  if (auto* Memory = dynamic_cast<TCustomMemoryStream*>(&Source)) {
    const uint8_t* At = Available > 0 ? Bytes(Memory->Memory()) + Start : nullptr;
    Out = UnpackRecordAt(At, static_cast<size_t>(Available), Consumed);
  } else {
    uint8_t Field[4];
    Source.ReadBuffer(Field, 4);
    uint32_t PackedSize = Field[0] | (Field[1] << 8) | (Field[2] << 16) | (uint32_t{Field[3]} << 24);
    // Nothing is allocated for more than the stream still holds.
    if (PackedSize > static_cast<uint64_t>(Available - 4) ||
        PackedSize > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
      Check(lxsfpack::TPackError::Truncated);
    std::vector<uint8_t> Record(4 + size_t{PackedSize});
    std::copy(Field, Field + 4, Record.begin());
    Source.ReadBuffer(Record.data() + 4, static_cast<int32_t>(PackedSize));
    Out = UnpackRecordAt(Record.data(), Record.size(), Consumed);
  }
  Source.SetPosition(Start + static_cast<int64_t>(Consumed));
  return Out;
}

size_t PackBuffer(const void* Src, void* Dst, size_t Count, size_t DstCapacity) {
  size_t Packed = lxsfpack::PackBuffer(Bytes(Src), Count, Bytes(Dst), DstCapacity);
  if (Packed == 0) throw EWriteError("Packed output buffer too small");
  return Packed;
}

size_t UnpackBuffer(const void* Src, void* Dst, size_t Size, size_t DstCapacity) {
  size_t Written = 0;
  Check(lxsfpack::UnpackBuffer(Bytes(Src), Size, Bytes(Dst), DstCapacity, Written));
  return Written;
}

size_t PackBlock(const void* Src, void* Dst, size_t Count, size_t DstCapacity) {
  size_t P = lxsfpack::PackBlock(Bytes(Src), Count, Bytes(Dst), DstCapacity);
  if (P == 0) throw EWriteError("Invalid block to pack");
  return P;
}

size_t UnpackBlock(const void* Src, void* Dst, size_t P, size_t DstCapacity) {
  size_t Written = 0;
  Check(lxsfpack::UnpackBlock(Bytes(Src), P, Bytes(Dst), DstCapacity, Written));
  return Written;
}
