#include "nx/NxIconListFormat.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsFormats.h"

namespace nxicons {

using gfxfmt::Get16;
using gfxfmt::Get32;
using gfxfmt::Put16;
using gfxfmt::Put32;

bool TMemoryByteSource::Read(uint8_t* Buffer, size_t Count) {
  if (Count > FSize - FPos) return false;
  if (Count) std::memcpy(Buffer, FData + FPos, Count);
  FPos += Count;
  return true;
}

bool TMemoryByteSource::Skip(uint64_t Count) {
  if (Count > FSize - FPos) return false;
  FPos += static_cast<size_t>(Count);
  return true;
}

TIconsFormat SniffIconsFormat(const uint8_t* Data, size_t Size) {
  if (Size < 2) return TIconsFormat::Unknown;
  if (Data[0] == 'I' && Data[1] == 'L') return TIconsFormat::ImageList;
  if (Data[0] == 'B' && Data[1] == 'M') return TIconsFormat::Bitmaps;
  return TIconsFormat::Unknown;
}

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

bool Fail(std::string& Error, const char* Why) {
  Error = Why;
  return false;
}

uint64_t Stride(int64_t Width, uint32_t BitCount) { return ((static_cast<uint64_t>(Width) * BitCount + 31) / 32) * 4; }

// The fields of a file header and an info header, as read (nothing checked yet).
struct TBmpHeaders {
  uint16_t Magic;
  uint32_t FileSize;
  uint16_t Reserved1, Reserved2;
  uint32_t OffBits;
  uint32_t InfoSize;
  int32_t Width;
  int32_t Height;
  uint16_t Planes;
  uint16_t BitCount;
  uint32_t Compression;
  uint32_t SizeImage;
  uint32_t ClrUsed;
  uint32_t ClrImportant;
};

TBmpHeaders SplitHeaders(const uint8_t* P) {
  TBmpHeaders H;
  H.Magic = Get16(P);
  H.FileSize = Get32(P + 2);
  H.Reserved1 = Get16(P + 6);
  H.Reserved2 = Get16(P + 8);
  H.OffBits = Get32(P + 10);
  H.InfoSize = Get32(P + 14);
  H.Width = static_cast<int32_t>(Get32(P + 18));
  H.Height = static_cast<int32_t>(Get32(P + 22));
  H.Planes = Get16(P + 26);
  H.BitCount = Get16(P + 28);
  H.Compression = Get32(P + 30);
  H.SizeImage = Get32(P + 34);
  // 38 and 42: pixels per metre, which mean nothing here.
  H.ClrUsed = Get32(P + 46);
  H.ClrImportant = Get32(P + 50);
  return H;
}

constexpr uint16_t kBM = 0x4D42;

// ---- Two-bitmap form ------------------------------------------------------------------------------

enum class TStripKind { Image, Mask };

struct TStripFile {
  int64_t Width = 0;
  int64_t Height = 0;  // rows, positive
  bool TopDown = false;
  uint16_t BitCount = 0;
  bool LightIsSet[2] = {false, true};  // mask: which bit value is the lighter palette colour
  std::vector<uint8_t> Bits;
  uint64_t Stride = 0;
};

bool ReadStripFile(TByteSource& Source, TStripKind Kind, TStripFile& Out, std::string& Error) {
  uint8_t Raw[kHeadersSize];
  if (!Source.Read(Raw, sizeof Raw)) return Fail(Error, "bitmap header cut short");
  const TBmpHeaders H = SplitHeaders(Raw);
  if (H.Magic != kBM) return Fail(Error, "not a bitmap file");
  if (H.Reserved1 != 0 || H.Reserved2 != 0) return Fail(Error, "reserved bitmap field set");
  if (H.InfoSize != kInfoHeaderSize) return Fail(Error, "unsupported bitmap header size");
  if (H.Planes != 1) return Fail(Error, "bitmap plane count is not 1");
  if (H.Compression != 0) return Fail(Error, "compressed bitmap");

  uint32_t PaletteBytes = 0;
  if (Kind == TStripKind::Image) {
    if (H.BitCount != 32 && H.BitCount != 24) return Fail(Error, "image strip is not 24 or 32 bits per pixel");
    if (H.ClrUsed != 0 || H.ClrImportant != 0) return Fail(Error, "image strip has a palette");
  } else {
    if (H.BitCount != 1) return Fail(Error, "mask strip is not 1 bit per pixel");
    if (H.ClrUsed != 0 && H.ClrUsed != 2) return Fail(Error, "mask strip palette is not two colours");
    if (H.ClrImportant > 2) return Fail(Error, "mask strip palette is not two colours");
    PaletteBytes = 8;
  }

  const int64_t Width = H.Width;
  const int64_t Height = H.Height < 0 ? -static_cast<int64_t>(H.Height) : static_cast<int64_t>(H.Height);
  if (!StripWidthFits(Width)) return Fail(Error, "strip width out of range");
  if (Height > kMaxIconSide) return Fail(Error, "strip height out of range");
  if (Width > 0 && Height == 0) return Fail(Error, "strip height is 0");

  const uint64_t RowBytes = Stride(Width, H.BitCount);
  const uint64_t ImageBytes = RowBytes * static_cast<uint64_t>(Height);
  if (ImageBytes > kMaxBitmapBytes) return Fail(Error, "strip too large");
  if (H.SizeImage != 0 && H.SizeImage != ImageBytes) return Fail(Error, "bitmap image size does not match");

  const uint64_t HeadersEnd = uint64_t{kHeadersSize} + PaletteBytes;
  const uint64_t BitsEnd = uint64_t{H.OffBits} + ImageBytes;
  if (H.OffBits < HeadersEnd) return Fail(Error, "bitmap bits overlap the headers");
  if (uint64_t{H.FileSize} < BitsEnd) return Fail(Error, "bitmap file size too small for its bits");
  if (uint64_t{H.FileSize} - kHeadersSize > Source.Remaining()) return Fail(Error, "bitmap file cut short");

  if (PaletteBytes) {
    uint8_t Palette[8];
    if (!Source.Read(Palette, sizeof Palette)) return Fail(Error, "bitmap palette cut short");
    for (int I = 0; I < 2; ++I) {
      const unsigned Sum = unsigned{Palette[4 * I]} + Palette[4 * I + 1] + Palette[4 * I + 2];
      Out.LightIsSet[I] = Sum >= 384;
    }
  }
  if (!Source.Skip(H.OffBits - HeadersEnd)) return Fail(Error, "bitmap file cut short");
  Out.Bits.resize(static_cast<size_t>(ImageBytes));
  if (!Source.Read(Out.Bits.data(), Out.Bits.size())) return Fail(Error, "bitmap bits cut short");
  if (!Source.Skip(uint64_t{H.FileSize} - BitsEnd)) return Fail(Error, "bitmap file cut short");

  Out.Width = Width;
  Out.Height = Height;
  Out.TopDown = H.Height < 0;
  Out.BitCount = H.BitCount;
  Out.Stride = RowBytes;
  return true;
}

const uint8_t* Row(const TStripFile& F, int64_t Y) {
  const int64_t SourceRow = F.TopDown ? Y : F.Height - 1 - Y;
  return F.Bits.data() + static_cast<size_t>(SourceRow) * F.Stride;
}

}  // namespace

bool ReadIconStrips(TByteSource& Source, int32_t IconWidth, int32_t IconHeight, TIconStrips& Out,
                    std::string& Error) {
  if (!IconSizeFits(IconWidth, IconHeight)) return Fail(Error, "icon size out of range");
  TStripFile Image, Mask;
  if (!ReadStripFile(Source, TStripKind::Image, Image, Error)) return false;
  if (!ReadStripFile(Source, TStripKind::Mask, Mask, Error)) return false;
  if (Image.Width != Mask.Width || Image.Height != Mask.Height) return Fail(Error, "image and mask strips differ in size");

  Out = TIconStrips();
  if (Image.Width == 0) {
    Out.Height = static_cast<int32_t>(Image.Height);
    return true;
  }
  if (Image.Height != IconHeight || Image.Width % IconWidth != 0)
    return Fail(Error, "strip size does not match the icon size");

  const auto W = static_cast<size_t>(Image.Width);
  const auto H = static_cast<size_t>(Image.Height);
  Out.Width = static_cast<int32_t>(W);
  Out.Height = static_cast<int32_t>(H);
  Out.Pixels.resize(W * H);
  Out.Mask.resize(W * H);
  const size_t PixelBytes = Image.BitCount / 8;
  for (size_t Y = 0; Y < H; ++Y) {
    const uint8_t* Src = Row(Image, static_cast<int64_t>(Y));
    const uint8_t* Bits = Row(Mask, static_cast<int64_t>(Y));
    for (size_t X = 0; X < W; ++X) {
      const uint8_t* P = Src + X * PixelBytes;
      uint32_t Pixel = P[0] | (P[1] << 8) | (static_cast<uint32_t>(P[2]) << 16);
      if (PixelBytes == 4) Pixel |= static_cast<uint32_t>(P[3]) << 24;
      Out.Pixels[Y * W + X] = Pixel;
      const int Bit = (Bits[X >> 3] >> (7 - (X & 7))) & 1;
      Out.Mask[Y * W + X] = Mask.LightIsSet[Bit] ? 1 : 0;
    }
  }
  return true;
}

std::vector<uint8_t> WriteIconStrips(const TIconStrips& Strips) {
  const auto W = static_cast<uint32_t>(std::max<int32_t>(Strips.Width, 0));
  const auto H = static_cast<uint32_t>(std::max<int32_t>(Strips.Height, 0));
  const bool HasPixels = W > 0 && Strips.Pixels.size() >= size_t{W} * H && Strips.Mask.size() >= size_t{W} * H;
  const auto ImageStride = static_cast<uint32_t>(Stride(W, 32));
  const auto MaskStride = static_cast<uint32_t>(Stride(W, 1));

  std::vector<uint8_t> Out;
  auto Headers = [&Out, W, H](uint16_t BitCount, uint32_t PaletteBytes, uint32_t ImageBytes) {
    const uint32_t OffBits = kHeadersSize + PaletteBytes;
    Put16(Out, kBM);
    Put32(Out, OffBits + ImageBytes);
    Put16(Out, 0);
    Put16(Out, 0);
    Put32(Out, OffBits);
    Put32(Out, kInfoHeaderSize);
    Put32(Out, W);
    Put32(Out, H);  // bottom-up
    Put16(Out, 1);
    Put16(Out, BitCount);
    Put32(Out, 0);  // BI_RGB
    Put32(Out, ImageBytes);
    Put32(Out, 0);
    Put32(Out, 0);
    Put32(Out, PaletteBytes / 4);
    Put32(Out, 0);
  };

  Headers(32, 0, ImageStride * H);
  for (uint32_t Y = H; Y-- > 0;)
    for (uint32_t X = 0; X < W; ++X) Put32(Out, HasPixels ? Strips.Pixels[size_t{Y} * W + X] : 0);

  Headers(1, 8, MaskStride * H);
  Put32(Out, 0x00000000);  // bit 0: black, opaque
  Put32(Out, 0x00FFFFFF);  // bit 1: white, transparent
  for (uint32_t Y = H; Y-- > 0;) {
    const size_t Start = Out.size();
    Out.resize(Start + MaskStride, 0);
    for (uint32_t X = 0; X < W; ++X)
      if (!HasPixels || Strips.Mask[size_t{Y} * W + X]) Out[Start + X / 8] |= static_cast<uint8_t>(0x80 >> (X % 8));
  }
  return Out;
}

// ---- Image-list stream ----------------------------------------------------------------------------

namespace {

constexpr uint16_t kIL = 0x4C49;
constexpr int kImagesPerRow = 4;
constexpr uint16_t kColourFlags = 0x00FE;
constexpr uint16_t kKnownFlags = kImageListMaskFlag | kColourFlags | 0x0800 /*palette*/ | 0x2000 /*mirror*/ |
                                 0x8000 /*per-item mirror*/;
constexpr uint64_t kMaxListPixels = 16ull << 20;

bool KnownColourFlags(uint16_t Flags) {
  switch (Flags & kColourFlags) {
    case 0x00:
    case 0x04:
    case 0x08:
    case 0x10:
    case 0x18:
    case 0x20:
    case 0xFE:
      return true;
    default:
      return false;
  }
}

// One bitmap of the stream: headers, palette and bits, appended to Bytes as read.
bool ReadListBitmap(TByteSource& Source, const TImageListHeader& L, bool IsMask, int64_t& Rows,
                    std::vector<uint8_t>& Bytes, std::string& Error) {
  uint8_t Raw[kHeadersSize];
  if (!Source.Read(Raw, sizeof Raw)) return Fail(Error, "image-list bitmap header cut short");
  const TBmpHeaders H = SplitHeaders(Raw);
  if (H.Magic != kBM) return Fail(Error, "image-list bitmap missing");
  if (H.InfoSize != kInfoHeaderSize) return Fail(Error, "unsupported bitmap header size");
  if (H.Planes != 1 || H.Compression != 0) return Fail(Error, "unsupported image-list bitmap");
  const uint16_t Bpp = H.BitCount;
  if (IsMask ? Bpp != 1 : (Bpp != 1 && Bpp != 4 && Bpp != 8 && Bpp != 16 && Bpp != 24 && Bpp != 32))
    return Fail(Error, "unsupported image-list bitmap depth");

  uint64_t PaletteEntries = 0;
  if (Bpp <= 8) {
    const uint64_t Full = uint64_t{1} << Bpp;
    if (H.ClrUsed > Full) return Fail(Error, "image-list bitmap palette too large");
    PaletteEntries = H.ClrUsed ? H.ClrUsed : Full;
  } else if (H.ClrUsed != 0) {
    return Fail(Error, "image-list bitmap has a palette");
  }
  if (H.ClrImportant > PaletteEntries) return Fail(Error, "image-list bitmap palette count wrong");

  if (H.Width != int64_t{L.IconWidth} * kImagesPerRow) return Fail(Error, "image-list bitmap width wrong");
  if (H.Height <= 0 || H.Height % L.IconHeight != 0) return Fail(Error, "image-list bitmap height wrong");
  if (IsMask && H.Height != Rows * L.IconHeight) return Fail(Error, "image-list mask size differs");
  const int64_t GridRows = H.Height / L.IconHeight;
  if (GridRows * kImagesPerRow < L.Capacity) return Fail(Error, "image-list bitmap too small");

  const uint64_t ImageBytes = Stride(H.Width, Bpp) * static_cast<uint64_t>(H.Height);
  if (ImageBytes > kMaxBitmapBytes) return Fail(Error, "image-list bitmap too large");
  if (H.SizeImage != 0 && H.SizeImage != ImageBytes) return Fail(Error, "bitmap image size does not match");
  const uint64_t PaletteBytes = PaletteEntries * 4;
  if (H.OffBits != kHeadersSize + PaletteBytes) return Fail(Error, "image-list bitmap bits misplaced");
  if (PaletteBytes + ImageBytes > Source.Remaining()) return Fail(Error, "image-list bitmap cut short");

  const size_t Start = Bytes.size();
  Bytes.insert(Bytes.end(), Raw, Raw + sizeof Raw);
  Bytes.resize(Start + sizeof Raw + static_cast<size_t>(PaletteBytes + ImageBytes));
  if (!Source.Read(Bytes.data() + Start + sizeof Raw, static_cast<size_t>(PaletteBytes + ImageBytes)))
    return Fail(Error, "image-list bitmap cut short");
  Rows = GridRows;
  return true;
}

}  // namespace

bool ReadImageListStream(TByteSource& Source, std::vector<uint8_t>& Bytes, TImageListHeader& Header,
                         std::string& Error) {
  Bytes.clear();
  uint8_t Raw[kImageListHeaderSize];
  if (!Source.Read(Raw, sizeof Raw)) return Fail(Error, "image-list header cut short");
  if (Get16(Raw) != kIL) return Fail(Error, "not an image-list stream");
  if (Get16(Raw + 2) != kImageListVersion) return Fail(Error, "unsupported image-list version");
  TImageListHeader L;
  L.Count = Get16(Raw + 4);
  L.Capacity = Get16(Raw + 6);
  L.Grow = Get16(Raw + 8);
  L.IconWidth = Get16(Raw + 10);
  L.IconHeight = Get16(Raw + 12);
  L.BkColor = Get32(Raw + 14);
  L.Flags = Get16(Raw + 18);
  if (!IconSizeFits(L.IconWidth, L.IconHeight)) return Fail(Error, "image-list icon size out of range");
  if (L.Count > L.Capacity) return Fail(Error, "image-list count above its capacity");
  if ((L.Flags & ~kKnownFlags) != 0 || !KnownColourFlags(L.Flags)) return Fail(Error, "unknown image-list flags");
  const uint64_t IconPixels = uint64_t{L.IconWidth} * L.IconHeight;
  if (IconPixels * (uint64_t{L.Capacity} + L.Grow) > kMaxListPixels) return Fail(Error, "image list too large");
  for (int I = 0; I < 4; ++I) {
    const auto Overlay = static_cast<int16_t>(Get16(Raw + 20 + 2 * I));
    if (Overlay != -1 && (Overlay < 0 || Overlay >= L.Count)) return Fail(Error, "image-list overlay out of range");
  }

  Bytes.assign(Raw, Raw + sizeof Raw);
  int64_t Rows = 0;
  if (!ReadListBitmap(Source, L, false, Rows, Bytes, Error)) return false;
  if ((L.Flags & kImageListMaskFlag) && !ReadListBitmap(Source, L, true, Rows, Bytes, Error)) return false;
  Header = L;
  return true;
}

}  // namespace nxicons
