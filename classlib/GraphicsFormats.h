// Header checks for the image file formats the graphics classes read: BMP files and packed DIBs
// (bitmap resources), and icon files. Pure byte parsing with no Win32 types, so it also compiles
// natively for fuzzing. Every size and offset is checked in 64-bit arithmetic against the bytes
// at hand before anything is decoded; a parse fails with a short reason instead of raising.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gfxfmt {

// Little-endian readers over a bounded buffer (the caller checks the range).
inline uint16_t Get16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }
inline uint32_t Get32(const uint8_t* P) {
  return P[0] | (P[1] << 8) | (P[2] << 16) | (static_cast<uint32_t>(P[3]) << 24);
}
inline void Put16(std::vector<uint8_t>& Out, uint16_t V) {
  Out.push_back(static_cast<uint8_t>(V));
  Out.push_back(static_cast<uint8_t>(V >> 8));
}
inline void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int I = 0; I < 4; ++I) Out.push_back(static_cast<uint8_t>(V >> (8 * I)));
}

// Limits that keep a hostile header from asking for absurd allocations.
inline constexpr int32_t kMaxDimension = 32767;
inline constexpr uint64_t kMaxImageBytes = 256ull << 20;

inline constexpr uint32_t kBmpFileHeaderSize = 14;
inline constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 style header
inline constexpr uint32_t kInfoHeaderSize = 40;
inline constexpr uint32_t kCompressionRGB = 0;
inline constexpr uint32_t kCompressionBitfields = 3;

// Where the parts of a DIB lie, all offsets from the start of its info header.
struct TDibLayout {
  int32_t Width = 0;
  int32_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  uint16_t BitCount = 0;
  uint32_t Compression = kCompressionRGB;
  uint32_t HeaderSize = 0;
  bool CoreHeader = false;      // 12-byte header with 3-byte palette entries
  uint32_t MaskOffset = 0;      // BI_BITFIELDS masks (0: none)
  uint32_t PaletteOffset = 0;
  uint32_t PaletteCount = 0;    // entries present in the data
  uint32_t PaletteEntrySize = 4;
  uint32_t Masks[3] = {0, 0, 0};
  uint32_t Stride = 0;          // bytes per row, 4-byte aligned
  uint64_t ImageSize = 0;       // Stride * Height
  uint64_t BitsOffset = 0;
};

// Checks a packed DIB of Size bytes: the info header (core, 40-byte or later versions), masks,
// palette and pixel bits. BitsOffset < 0: the bits follow the palette; otherwise they start there
// (a file's bfOffBits minus the file header). Accepted: 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or (16/32 bits) with bit fields.
bool ParseDib(const uint8_t* Data, size_t Size, int64_t BitsOffset, TDibLayout& Out,
              std::string& Error);

struct TBmpFileHeader {
  uint32_t FileSize = 0;
  uint32_t OffBits = 0;
};
// Checks the 14-byte file header: "BM", a file size large enough for the headers and within the
// limits, and an offset of the bits inside the file.
bool ParseBmpFileHeader(const uint8_t* Data, size_t Size, TBmpFileHeader& Out, std::string& Error);

// ---- Icon files ---------------------------------------------------------------------------------

inline constexpr uint32_t kIconDirSize = 6;
inline constexpr uint32_t kIconDirEntrySize = 16;

struct TIconDirEntry {
  uint32_t Width = 0;   // 0 in the file means 256
  uint32_t Height = 0;
  uint8_t ColorCount = 0;
  uint16_t Planes = 0;
  uint16_t BitCount = 0;
  uint32_t BytesInRes = 0;
  uint32_t ImageOffset = 0;
};

// Checks the directory at the start of an icon file: reserved 0, type 1 (icon), 1..255 entries,
// all of them present. Does not look at the images; see IconFileExtent.
bool ParseIconDir(const uint8_t* Data, size_t Size, std::vector<TIconDirEntry>& Entries,
                  std::string& Error);
// The number of bytes the whole file takes: the end of the farthest image. Fails when an image
// lies inside the directory, is empty, or reaches beyond the limits.
bool IconFileExtent(const std::vector<TIconDirEntry>& Entries, uint64_t& Extent, std::string& Error);
// Checks one image of an icon file: a PNG stream (taken as it is), or a DIB of twice the icon's
// height whose colour rows and one-bit mask rows both fit into the Size bytes.
bool CheckIconImage(const uint8_t* Data, size_t Size, std::string& Error);
// The entry to show at Width x Height: an exact size match with the most colours, else the
// largest image with the most colours. -1 for an empty list.
int ChooseIconEntry(const std::vector<TIconDirEntry>& Entries, uint32_t Width, uint32_t Height);

}  // namespace gfxfmt
