#include "lx/lxSFPackCore.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lxsfpack {
namespace {

uint16_t Get16(const uint8_t* P) noexcept { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }
uint32_t Get32(const uint8_t* P) noexcept {
  return uint32_t{P[0]} | (uint32_t{P[1]} << 8) | (uint32_t{P[2]} << 16) | (uint32_t{P[3]} << 24);
}
void Put16(uint8_t* P, size_t V) noexcept {
  P[0] = static_cast<uint8_t>(V);
  P[1] = static_cast<uint8_t>(V >> 8);
}
void Put32(uint8_t* P, size_t V) noexcept {
  Put16(P, V & 0xFFFF);
  Put16(P + 2, (V >> 16) & 0xFFFF);
}

// Length of the stretch of bytes equal to Src[I] that starts at I.
size_t StretchLength(const uint8_t* Src, size_t I, size_t Count) noexcept {
  size_t J = I + 1;
  while (J < Count && Src[J] == Src[I]) ++J;
  return J - I;
}

// C = Length - 1 as one byte, or 0 and two bytes when it does not fit.
size_t PutCount(uint8_t* Dst, size_t O, size_t Length) noexcept {
  size_t C = Length - 1;
  if (C <= 255) {
    Dst[O++] = static_cast<uint8_t>(C);
  } else {
    Dst[O++] = 0;
    Put16(Dst + O, C);
    O += 2;
  }
  return O;
}

size_t PackEscapeForm(const uint8_t* Src, size_t Count, uint8_t Escape, uint8_t* Dst) noexcept {
  Put16(Dst, Escape);
  size_t O = 2;
  size_t I = 0;
  while (I < Count) {
    uint8_t B = Src[I];
    if (I + 3 < Count && Src[I + 1] == B && Src[I + 2] == B && Src[I + 3] == B) {
      size_t L = StretchLength(Src, I, Count);
      Dst[O++] = Escape;
      Dst[O++] = B;
      O = PutCount(Dst, O, L);
      I += L;
    } else {
      Dst[O++] = B;
      ++I;
    }
  }
  return O;
}

size_t PackTableForm(const uint8_t* Src, size_t Count, uint8_t* Dst) noexcept {
  // At most one run per 5 input bytes.
  std::array<uint16_t, kPieceSize / 5 + 1> Runs;
  size_t RunCount = 0;
  size_t O = 2;
  size_t I = 0;
  while (I < Count) {
    uint8_t B = Src[I];
    Dst[O++] = B;
    if (I + 4 < Count && Src[I + 1] == B && Src[I + 2] == B && Src[I + 3] == B && Src[I + 4] == B) {
      size_t L = StretchLength(Src, I, Count);
      Runs[RunCount++] = static_cast<uint16_t>(O);
      O = PutCount(Dst, O, L);
      I += L;
    } else {
      ++I;
    }
  }
  Put16(Dst, O);
  while (RunCount > 0) {
    Put16(Dst + O, Runs[--RunCount]);
    O += 2;
  }
  return O;
}

TPackError UnpackEscapeForm(const uint8_t* Src, size_t P, uint8_t Escape, uint8_t* Dst,
                            size_t Capacity, size_t& Written) noexcept {
  size_t Pos = 2;
  size_t O = 0;
  while (Pos < P) {
    uint8_t B = Src[Pos++];
    if (B != Escape) {
      if (O >= Capacity) return TPackError::OutputOverflow;
      Dst[O++] = B;
      continue;
    }
    if (P - Pos < 2) return TPackError::Truncated;
    uint8_t V = Src[Pos++];
    size_t C = Src[Pos++];
    if (C == 0) {
      if (P - Pos < 2) return TPackError::Truncated;
      C = Get16(Src + Pos);
      Pos += 2;
    }
    if (C + 1 > Capacity - O) return TPackError::OutputOverflow;
    std::memset(Dst + O, V, C + 1);
    O += C + 1;
  }
  Written = O;
  return TPackError::None;
}

TPackError UnpackTableForm(const uint8_t* Src, size_t P, size_t H, uint8_t* Dst, size_t Capacity,
                           size_t& Written) noexcept {
  if (H > P) return TPackError::BadHeader;
  if ((P - H) % 2 != 0) return TPackError::BadRunTable;
  size_t Pos = 2;  // next token byte
  size_t O = 0;
  auto CopyTokens = [&](size_t End) {
    size_t N = End - Pos;
    if (N > Capacity - O) return false;
    std::memcpy(Dst + O, Src + Pos, N);
    O += N;
    Pos = End;
    return true;
  };
  for (size_t Entry = P; Entry > H; Entry -= 2) {
    size_t CountAt = Get16(Src + Entry - 2);
    // The run's first byte lies at CountAt - 1, at or after the next token.
    if (CountAt <= Pos) return TPackError::BadRunOrder;
    if (CountAt >= H) return TPackError::BadRunTable;
    if (!CopyTokens(CountAt - 1)) return TPackError::OutputOverflow;
    uint8_t V = Src[Pos];
    size_t C = Src[CountAt];
    Pos = CountAt + 1;
    if (C == 0) {
      if (H - Pos < 2) return TPackError::BadRunTable;
      C = Get16(Src + Pos);
      Pos += 2;
    }
    if (C + 1 > Capacity - O) return TPackError::OutputOverflow;
    std::memset(Dst + O, V, C + 1);
    O += C + 1;
  }
  if (!CopyTokens(H)) return TPackError::OutputOverflow;
  Written = O;
  return TPackError::None;
}

}  // namespace

const char* PackErrorText(TPackError Error) noexcept {
  switch (Error) {
    case TPackError::None: return "No error";
    case TPackError::Truncated: return "Packed data is truncated";
    case TPackError::BadPackedSize: return "Packed size is invalid";
    case TPackError::BadBlockSize: return "Packed block size is invalid";
    case TPackError::BadHeader: return "Packed block header is invalid";
    case TPackError::BadRunTable: return "Packed run table is invalid";
    case TPackError::BadRunOrder: return "Packed run table is out of order";
    case TPackError::OutputOverflow: return "Packed data decodes past its end";
    case TPackError::BadPieceSize: return "Packed block decodes to a wrong size";
    case TPackError::SizeMismatch: return "Packed data does not match its unpacked size";
    case TPackError::BadArgument: return "Invalid pack arguments";
  }
  return "Unknown packing error";
}

size_t PackedSizeBound(size_t N) noexcept {
  size_t M = std::max<size_t>(N, 255);
  return M + 4 * (M / kPieceSize + 1) + 4;
}

size_t PackBlock(const uint8_t* Src, size_t Count, uint8_t* Dst, size_t DstCapacity) noexcept {
  if (!Src || !Dst || Count == 0 || Count > kPieceSize || DstCapacity < BlockSizeBound(Count))
    return 0;
  bool Seen[256] = {};
  for (size_t I = 0; I < Count; ++I) Seen[Src[I]] = true;
  for (int V = 0; V < 256; ++V)
    if (!Seen[V]) return PackEscapeForm(Src, Count, static_cast<uint8_t>(V), Dst);
  return PackTableForm(Src, Count, Dst);
}

TPackError UnpackBlock(const uint8_t* Src, size_t P, uint8_t* Dst, size_t DstCapacity,
                       size_t& Written) noexcept {
  Written = 0;
  if (P < 2 || !Src) return TPackError::BadBlockSize;
  if (!Dst) DstCapacity = 0;
  size_t H = Get16(Src);
  if (H < 256) return UnpackEscapeForm(Src, P, static_cast<uint8_t>(H), Dst, DstCapacity, Written);
  return UnpackTableForm(Src, P, H, Dst, DstCapacity, Written);
}

size_t PackBuffer(const uint8_t* Src, size_t Count, uint8_t* Dst, size_t DstCapacity) noexcept {
  // UnpackedSize is a 32-bit field.
  if (!Dst || DstCapacity < 4 || (Count > 0 && !Src) || Count / 2 > 0x7FFFFFFFu) return 0;
  Put32(Dst, Count);
  size_t O = 4;
  for (size_t Done = 0; Done < Count;) {
    size_t Piece = std::min(Count - Done, kPieceSize);
    if (DstCapacity - O < 2 + BlockSizeBound(Piece)) return 0;
    size_t P = PackBlock(Src + Done, Piece, Dst + O + 2, DstCapacity - O - 2);
    Put16(Dst + O, P);
    O += 2 + P;
    Done += Piece;
  }
  return O;
}

TPackError UnpackBuffer(const uint8_t* Src, size_t Size, uint8_t* Dst, size_t DstCapacity,
                        size_t& Written) noexcept {
  Written = 0;
  if (Size > 0 && !Src) return TPackError::BadArgument;
  if (!Dst) DstCapacity = 0;
  size_t Pos = 0;
  size_t O = 0;
  bool ShortPieceSeen = false;
  while (Pos < Size) {
    if (Size - Pos < 2) return TPackError::Truncated;
    size_t P = Get16(Src + Pos);
    Pos += 2;
    if (P > Size - Pos) return TPackError::Truncated;
    // Only the last block may carry less than a whole piece.
    if (ShortPieceSeen) return TPackError::BadPieceSize;
    size_t Room = std::min(DstCapacity - O, kPieceSize);
    size_t W = 0;
    TPackError E = UnpackBlock(Src + Pos, P, Dst ? Dst + O : nullptr, Room, W);
    if (E == TPackError::OutputOverflow && Room == kPieceSize) return TPackError::BadPieceSize;
    if (E != TPackError::None) return E;
    if (W == 0) return TPackError::BadPieceSize;
    ShortPieceSeen = W < kPieceSize;
    O += W;
    Pos += P;
  }
  Written = O;
  return TPackError::None;
}

// The bounds hold in the builds where size_t has 32 bits too.
static_assert(PieceCount(0xFFFF0004u) == 65539 && PieceCount(0xFFFFFFFFu) == 65540);
static_assert(BlockOutputBound(2) == 0 && BlockOutputBound(7) == kPieceSize && BlockOutputBound(0xFFFF) == kPieceSize);

TPackError MeasureBlocks(const uint8_t* Src, size_t Size, TBlockChain& Chain) noexcept {
  Chain = {};
  if (Size > 0 && !Src) return TPackError::BadArgument;
  size_t Pos = 0;
  while (Pos < Size) {
    if (Size - Pos < 2) return TPackError::Truncated;
    size_t P = Get16(Src + Pos);
    Pos += 2;
    if (P < 2) return TPackError::BadBlockSize;
    if (P > Size - Pos) return TPackError::Truncated;
    Pos += P;
    ++Chain.Count;
    Chain.MaxDecoded += BlockOutputBound(P);
  }
  return TPackError::None;
}

TPackError ReadRecordHeader(const uint8_t* Src, size_t Available, TRecordHeader& Header) noexcept {
  Header = {};
  if (Available < kSizeFieldBytes || !Src) return TPackError::Truncated;
  uint32_t PackedSize = Get32(Src);
  if (PackedSize < 4) return TPackError::BadPackedSize;
  if (PackedSize > Available - kSizeFieldBytes) return TPackError::Truncated;
  uint32_t UnpackedSize = Get32(Src + 4);
  TBlockChain Chain;
  TPackError E = MeasureBlocks(Src + 8, PackedSize - 4, Chain);
  if (E != TPackError::None) return E;
  // The data is cut into whole pieces and one shorter rest, which the blocks must be able to hold.
  if (Chain.Count != PieceCount(UnpackedSize) || UnpackedSize > Chain.MaxDecoded) return TPackError::SizeMismatch;
  Header.PackedSize = PackedSize;
  Header.UnpackedSize = UnpackedSize;
  return TPackError::None;
}

std::vector<uint8_t> PackRecord(const uint8_t* Src, size_t Count) {
  std::vector<uint8_t> Out(kSizeFieldBytes + PackedSizeBound(Count));
  size_t Packed = PackBuffer(Src, Count, Out.data() + kSizeFieldBytes, Out.size() - kSizeFieldBytes);
  Put32(Out.data(), Packed);
  Out.resize(kSizeFieldBytes + Packed);
  return Out;
}

TPackError UnpackRecord(const uint8_t* Src, size_t Size, std::vector<uint8_t>& Out,
                        size_t& Consumed) {
  Out.clear();
  Consumed = 0;
  TRecordHeader Header;
  TPackError E = ReadRecordHeader(Src, Size, Header);
  if (E != TPackError::None) return E;
  std::vector<uint8_t> Data(Header.UnpackedSize);
  size_t Written = 0;
  E = UnpackBuffer(Src + 8, Header.PackedSize - 4, Data.data(), Data.size(), Written);
  if (E != TPackError::None) return E;
  if (Written != Data.size()) return TPackError::SizeMismatch;
  Out = std::move(Data);
  Consumed = kSizeFieldBytes + Header.PackedSize;
  return TPackError::None;
}

}  // namespace lxsfpack
