#include "classlib/GraphicsFormats.h"

#include <algorithm>

namespace gfxfmt {

namespace {
bool Fail(std::string& Error, const char* Why) {
  Error = Why;
  return false;
}
}  // namespace

bool ParseDib(const uint8_t* Data, size_t Size, int64_t BitsOffset, TDibLayout& Out,
              std::string& Error) {
  Out = TDibLayout{};
  if (Size < 4) return Fail(Error, "truncated header");
  uint32_t HeaderSize = Get32(Data);
  if (HeaderSize != kCoreHeaderSize && HeaderSize < kInfoHeaderSize)
    return Fail(Error, "unknown header size");
  if (HeaderSize > Size) return Fail(Error, "truncated header");
  Out.HeaderSize = HeaderSize;

  int64_t Width, Height;
  uint16_t Planes;
  uint32_t ColorsUsed = 0;
  if (HeaderSize == kCoreHeaderSize) {
    Out.CoreHeader = true;
    Width = Get16(Data + 4);
    Height = static_cast<int16_t>(Get16(Data + 6));
    Planes = Get16(Data + 8);
    Out.BitCount = Get16(Data + 10);
    Out.PaletteEntrySize = 3;
  } else {
    Width = static_cast<int32_t>(Get32(Data + 4));
    Height = static_cast<int32_t>(Get32(Data + 8));
    Planes = Get16(Data + 12);
    Out.BitCount = Get16(Data + 14);
    Out.Compression = Get32(Data + 16);
    ColorsUsed = Get32(Data + 32);
  }
  if (Planes != 1) return Fail(Error, "planes not 1");
  if (Width <= 0 || Width > kMaxDimension) return Fail(Error, "bad width");
  if (Height == 0 || Height > kMaxDimension || Height < -kMaxDimension)
    return Fail(Error, "bad height");
  Out.TopDown = Height < 0;
  Out.Width = static_cast<int32_t>(Width);
  Out.Height = static_cast<int32_t>(Height < 0 ? -Height : Height);

  switch (Out.BitCount) {
    case 1: case 4: case 8: case 24:
      if (Out.Compression != kCompressionRGB) return Fail(Error, "unsupported compression");
      break;
    case 16: case 32:
      if (Out.Compression != kCompressionRGB && Out.Compression != kCompressionBitfields)
        return Fail(Error, "unsupported compression");
      break;
    default:
      return Fail(Error, "unsupported bit count");
  }

  uint64_t Pos = HeaderSize;
  if (Out.Compression == kCompressionBitfields) {
    // A 40-byte header is followed by the three masks; later headers hold them inside.
    uint64_t MaskAt = HeaderSize == kInfoHeaderSize ? HeaderSize : 40;
    if (MaskAt + 12 > Size) return Fail(Error, "truncated masks");
    Out.MaskOffset = static_cast<uint32_t>(MaskAt);
    for (int I = 0; I < 3; ++I) Out.Masks[I] = Get32(Data + MaskAt + 4 * I);
    if (Out.Masks[0] == 0 || Out.Masks[1] == 0 || Out.Masks[2] == 0)
      return Fail(Error, "empty colour mask");
    if (HeaderSize == kInfoHeaderSize) Pos += 12;
  }

  if (Out.BitCount <= 8) {
    uint32_t Max = 1u << Out.BitCount;
    if (ColorsUsed > Max) return Fail(Error, "too many palette entries");
    Out.PaletteCount = ColorsUsed ? ColorsUsed : Max;
  } else {
    // A palette may follow high-colour headers as an optimisation hint; it is skipped.
    if (ColorsUsed > 256) return Fail(Error, "too many palette entries");
    Out.PaletteCount = ColorsUsed;
  }
  Out.PaletteOffset = static_cast<uint32_t>(Pos);
  Pos += static_cast<uint64_t>(Out.PaletteCount) * Out.PaletteEntrySize;
  if (Pos > Size) return Fail(Error, "truncated palette");

  uint64_t RowBits = static_cast<uint64_t>(Out.Width) * Out.BitCount;
  Out.Stride = static_cast<uint32_t>(((RowBits + 31) / 32) * 4);
  Out.ImageSize = static_cast<uint64_t>(Out.Stride) * Out.Height;
  if (Out.ImageSize > kMaxImageBytes) return Fail(Error, "image too large");

  if (BitsOffset >= 0) {
    if (static_cast<uint64_t>(BitsOffset) < Pos) return Fail(Error, "bits overlap the header");
    Out.BitsOffset = static_cast<uint64_t>(BitsOffset);
  } else {
    Out.BitsOffset = Pos;
  }
  if (Out.BitsOffset + Out.ImageSize > Size) return Fail(Error, "truncated pixel data");
  return true;
}

bool ParseBmpFileHeader(const uint8_t* Data, size_t Size, TBmpFileHeader& Out, std::string& Error) {
  Out = TBmpFileHeader{};
  if (Size < kBmpFileHeaderSize) return Fail(Error, "truncated file header");
  if (Data[0] != 'B' || Data[1] != 'M') return Fail(Error, "not a BMP file");
  Out.FileSize = Get32(Data + 2);
  Out.OffBits = Get32(Data + 10);
  if (Out.FileSize < kBmpFileHeaderSize + kCoreHeaderSize) return Fail(Error, "bad file size");
  if (Out.FileSize > kMaxImageBytes + 0x10000) return Fail(Error, "file too large");
  if (Out.OffBits < kBmpFileHeaderSize + kCoreHeaderSize || Out.OffBits > Out.FileSize)
    return Fail(Error, "bad offset of the bits");
  return true;
}

bool ParseIconDir(const uint8_t* Data, size_t Size, std::vector<TIconDirEntry>& Entries,
                  std::string& Error) {
  Entries.clear();
  if (Size < kIconDirSize) return Fail(Error, "truncated directory");
  if (Get16(Data) != 0 || Get16(Data + 2) != 1) return Fail(Error, "not an icon file");
  uint16_t Count = Get16(Data + 4);
  if (Count == 0 || Count > 255) return Fail(Error, "bad image count");
  if (kIconDirSize + static_cast<uint64_t>(Count) * kIconDirEntrySize > Size)
    return Fail(Error, "truncated directory");
  for (uint16_t I = 0; I < Count; ++I) {
    const uint8_t* P = Data + kIconDirSize + I * kIconDirEntrySize;
    TIconDirEntry E;
    E.Width = P[0] ? P[0] : 256;
    E.Height = P[1] ? P[1] : 256;
    E.ColorCount = P[2];
    E.Planes = Get16(P + 4);
    E.BitCount = Get16(P + 6);
    E.BytesInRes = Get32(P + 8);
    E.ImageOffset = Get32(P + 12);
    Entries.push_back(E);
  }
  return true;
}

bool IconFileExtent(const std::vector<TIconDirEntry>& Entries, uint64_t& Extent, std::string& Error) {
  uint64_t DirEnd = kIconDirSize + static_cast<uint64_t>(Entries.size()) * kIconDirEntrySize;
  Extent = DirEnd;
  for (const TIconDirEntry& E : Entries) {
    // The smallest image is a core header with nothing else; anything below that is garbage.
    if (E.BytesInRes < kCoreHeaderSize) return Fail(Error, "empty image");
    if (E.ImageOffset < DirEnd) return Fail(Error, "image inside the directory");
    uint64_t End = static_cast<uint64_t>(E.ImageOffset) + E.BytesInRes;
    if (End > kMaxImageBytes) return Fail(Error, "image too large");
    if (End > Extent) Extent = End;
  }
  return true;
}

bool CheckIconImage(const uint8_t* Data, size_t Size, std::string& Error) {
  static constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (Size >= 8 && std::equal(kPng, kPng + 8, Data)) return true;
  if (Size < kInfoHeaderSize || Get32(Data) < kInfoHeaderSize || Get32(Data) > Size)
    return Fail(Error, "bad image header");
  int64_t Width = static_cast<int32_t>(Get32(Data + 4));
  int64_t Height = static_cast<int32_t>(Get32(Data + 8));
  uint16_t BitCount = Get16(Data + 14);
  uint32_t Compression = Get32(Data + 16);
  uint32_t ColorsUsed = Get32(Data + 32);
  if (Get16(Data + 12) != 1 || Compression != kCompressionRGB) return Fail(Error, "bad image header");
  if (Width <= 0 || Width > 256 || Height <= 0 || Height > 512 || Height % 2) return Fail(Error, "bad size");
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 24 && BitCount != 32)
    return Fail(Error, "unsupported bit count");
  uint64_t Rows = static_cast<uint64_t>(Height / 2);
  uint64_t Palette = BitCount <= 8 ? (ColorsUsed ? ColorsUsed : 1u << BitCount) : ColorsUsed;
  if (BitCount <= 8 && Palette > (1u << BitCount)) return Fail(Error, "too many palette entries");
  uint64_t XorStride = ((static_cast<uint64_t>(Width) * BitCount + 31) / 32) * 4;
  uint64_t AndStride = ((static_cast<uint64_t>(Width) + 31) / 32) * 4;
  uint64_t Needed = Get32(Data) + Palette * 4 + (XorStride + AndStride) * Rows;
  if (Needed > Size) return Fail(Error, "truncated image");
  return true;
}

int ChooseIconEntry(const std::vector<TIconDirEntry>& Entries, uint32_t Width, uint32_t Height) {
  int Best = -1;
  auto Depth = [](const TIconDirEntry& E) -> uint32_t {
    if (E.BitCount) return E.BitCount;
    uint32_t Bits = 0;  // old files leave BitCount 0 and give only the colour count
    for (uint32_t C = E.ColorCount; C > 1; C >>= 1) ++Bits;
    return E.ColorCount == 0 ? 8 : Bits;
  };
  auto Better = [&](const TIconDirEntry& A, const TIconDirEntry& B) {
    bool AFits = A.Width == Width && A.Height == Height;
    bool BFits = B.Width == Width && B.Height == Height;
    if (AFits != BFits) return AFits;
    if (!AFits && A.Width * A.Height != B.Width * B.Height) return A.Width * A.Height > B.Width * B.Height;
    return Depth(A) > Depth(B);
  };
  for (size_t I = 0; I < Entries.size(); ++I)
    if (Best < 0 || Better(Entries[I], Entries[static_cast<size_t>(Best)])) Best = static_cast<int>(I);
  return Best;
}

}  // namespace gfxfmt
