// The byte formats of an icon list's "Icons" data, without any Win32 type so that the parsers
// also compile natively (fuzzing):
//
//   - two complete BMP files one behind the other: the image strip (32 bits per pixel, the icons
//     side by side) and the mask strip (1 bit per pixel, a set bit is transparent). The first
//     file's bfSize is the only boundary between the two. An empty list is written as two strips
//     of width 0 with no pixel bytes;
//   - the common controls' image-list stream ("IL", a 28-byte header, then the image bitmap and,
//     for masked lists, the mask bitmap). It is only checked here and then handed to the common
//     controls unchanged.
//
// Every header field is checked in 64-bit arithmetic against fixed limits and against the bytes
// the source still holds before anything is allocated or decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nxicons {

// Limits of what an icon list holds.
inline constexpr int32_t kMaxIconSide = 256;
inline constexpr int64_t kMaxStripWidth = 65535;
inline constexpr uint64_t kMaxBitmapBytes = 64ull << 20;

// What the two-bitmap form holds, the same for writing and reading: icons of 1 to kMaxIconSide
// pixels a side, side by side in a strip at most kMaxStripWidth pixels wide.
constexpr bool IconSizeFits(int64_t IconWidth, int64_t IconHeight) noexcept {
  return IconWidth > 0 && IconHeight > 0 && IconWidth <= kMaxIconSide && IconHeight <= kMaxIconSide;
}
constexpr bool StripWidthFits(int64_t Width) noexcept { return Width >= 0 && Width <= kMaxStripWidth; }

// A source of bytes read front to back.
class TByteSource {
public:
  virtual ~TByteSource() = default;
  // Exactly Count bytes into Buffer; false when fewer are left.
  virtual bool Read(uint8_t* Buffer, size_t Count) = 0;
  // The number of bytes left.
  virtual uint64_t Remaining() const = 0;
  // Passes over Count bytes; false when fewer are left.
  virtual bool Skip(uint64_t Count) = 0;
};

// A source over bytes in memory (not copied; they must outlive the source).
class TMemoryByteSource final : public TByteSource {
public:
  TMemoryByteSource(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  bool Read(uint8_t* Buffer, size_t Count) override;
  uint64_t Remaining() const override { return FSize - FPos; }
  bool Skip(uint64_t Count) override;
  size_t Position() const { return FPos; }

private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

enum class TIconsFormat { Unknown, ImageList, Bitmaps };
// By the first two bytes: "IL" an image-list stream, "BM" the two bitmaps.
TIconsFormat SniffIconsFormat(const uint8_t* Data, size_t Size);

// ---- Two-bitmap form ------------------------------------------------------------------------------

// The icons side by side, rows top to bottom. Pixels: 0xAARRGGBB; Mask: one byte per pixel,
// 1 = transparent.
struct TIconStrips {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
  std::vector<uint8_t> Mask;
};

// Reads the image strip and then the mask strip of a list of IconWidth by IconHeight icons.
// Accepted image strips: 24 or 32 bits per pixel; mask strips: 1 bit per pixel with a
// two-colour palette (the lighter colour is transparent); both uncompressed, rows in either
// order, with a 40-byte info header, of the same size. Refused: a strip whose height is not
// IconHeight or whose width is not a multiple of IconWidth (a strip of width 0 is the empty list,
// whatever its height). False with a reason in Error on any fault; the source is then left
// somewhere inside the data.
bool ReadIconStrips(TByteSource& Source, int32_t IconWidth, int32_t IconHeight, TIconStrips& Out,
                    std::string& Error);
// The two BMP files of Strips: bottom-up rows, a 32-bit image strip and a 1-bit mask strip with
// the palette black, white. Strips.Width 0 writes the empty form (the height is kept).
std::vector<uint8_t> WriteIconStrips(const TIconStrips& Strips);

// ---- Image-list stream ----------------------------------------------------------------------------

inline constexpr uint32_t kImageListHeaderSize = 28;
inline constexpr uint16_t kImageListVersion = 0x0101;
inline constexpr uint16_t kImageListMaskFlag = 0x0001;  // ILC_MASK

struct TImageListHeader {
  uint16_t Count = 0;     // images held
  uint16_t Capacity = 0;  // images the bitmaps have room for
  uint16_t Grow = 0;
  uint16_t IconWidth = 0;
  uint16_t IconHeight = 0;
  uint32_t BkColor = 0;
  uint16_t Flags = 0;
};

// Reads and checks an image-list stream as the common controls write it: the header (magic,
// version, an icon size within the limits, known flags), then a BMP with a 40-byte info header,
// positive height, no compression, the palette right behind the header and the bits right
// behind the palette (the file's size field is not trusted: writers leave it short), four icons
// per row and rows for at least Count icons; for masked lists a 1-bit BMP of the same size
// follows. Bytes gets the stream's bytes up to the end of the last bitmap, unchanged.
bool ReadImageListStream(TByteSource& Source, std::vector<uint8_t>& Bytes, TImageListHeader& Header,
                         std::string& Error);

}  // namespace nxicons
