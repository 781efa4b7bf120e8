// The packed stream format of lxSFPack, on plain memory: no Windows types, no class library, no
// exceptions, so that it builds with any C++20 compiler (native fuzzing included).
//
// Record: u32 PackedSize (everything after this field), u32 UnpackedSize, then blocks.
// The data is cut into pieces of 65533 bytes (the last one shorter); each piece is one block:
// u16 P, then P bytes of block data starting with a u16 header H:
// - H < 256 (escape form): H is the smallest byte value E absent from the piece. Tokens: a byte
//   other than E stands for itself; E V C (C 3..255) or E V 00 Clo Chi stands for C + 1 copies of V.
// - H >= 256 (table form, every byte value occurs): bytes 2..H-1 are literals, where a stretch of
//   5 or more equal bytes is its first byte plus a count C (one byte 4..255, or 00 Clo Chi) for
//   C + 1 copies in all; bytes H..P-1 are the u16 offsets of the count bytes, last run first.
// All integers little-endian.
//
// The decoders trust nothing: every size, offset and count is checked against the input, the
// block and the output, and a stream that the packer could not have written is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lxsfpack {

// The largest piece of data one block carries.
inline constexpr size_t kPieceSize = 65533;
// The size of the record fields in front of the blocks.
inline constexpr size_t kSizeFieldBytes = 4;

enum class TPackError {
  None,
  Truncated,         // the input ends inside a field, a block or a token
  BadPackedSize,     // PackedSize is below 4
  BadBlockSize,      // P is too small for a header, or runs past the blocks
  BadHeader,         // a table form whose token section lies outside the block
  BadRunTable,       // a run table of odd size, or an entry that points outside the tokens
  BadRunOrder,       // run-table entries out of order (a count before the current position)
  OutputOverflow,    // the decoded data would exceed the room for it
  BadPieceSize,      // a block that does not decode to a whole piece (65533 bytes, or the rest)
  SizeMismatch,      // the blocks decode to another size than UnpackedSize
  BadArgument,       // a packer call with a piece that is empty, too large, or too little room
};

// A short English description ("Packed data is truncated", ...).
const char* PackErrorText(TPackError Error) noexcept;

// The size of an output buffer that always holds PackBuffer's result for N input bytes:
// M + 4 * (M div 65533 + 1) + 4 with M = max(N, 255). (Each block adds at most 4 bytes to its
// piece: the P field and the header.)
size_t PackedSizeBound(size_t N) noexcept;
// The largest block data PackBlock writes for Count bytes.
constexpr size_t BlockSizeBound(size_t Count) noexcept { return Count + 2; }

// Packs one piece (1..65533 bytes) into block data at Dst, which must have room for
// BlockSizeBound(Count) bytes. Returns P, or 0 for a bad argument.
size_t PackBlock(const uint8_t* Src, size_t Count, uint8_t* Dst, size_t DstCapacity) noexcept;

// Decodes P bytes of block data into Dst (room for DstCapacity bytes); Written receives the
// decoded size.
TPackError UnpackBlock(const uint8_t* Src, size_t P, uint8_t* Dst, size_t DstCapacity,
                       size_t& Written) noexcept;

// Writes Count as u32 UnpackedSize and then the blocks to Dst (room for PackedSizeBound(Count)
// bytes is always enough). Returns 4 + the size of the blocks, or 0 for too little room.
size_t PackBuffer(const uint8_t* Src, size_t Count, uint8_t* Dst, size_t DstCapacity) noexcept;

// Decodes the Size bytes of blocks at Src into Dst (room for DstCapacity bytes). Every block but
// the last must decode to a whole piece. Written receives the decoded size.
TPackError UnpackBuffer(const uint8_t* Src, size_t Size, uint8_t* Dst, size_t DstCapacity,
                        size_t& Written) noexcept;

// The number of pieces, and so of blocks, that UnpackedSize bytes are cut into. Counted in 64 bits:
// with a 32-bit size_t the largest sizes would wrap to no piece at all.
constexpr uint64_t PieceCount(uint32_t UnpackedSize) noexcept {
  return (uint64_t{UnpackedSize} + kPieceSize - 1) / kPieceSize;
}
// The most that P bytes of block data can decode to. Each token stands for at most 65536 bytes per
// 5 bytes of block data (a long run), and no block holds more than one piece.
constexpr uint64_t BlockOutputBound(size_t P) noexcept {
  const uint64_t Tokens = P < 2 ? 0 : uint64_t{P} - 2;
  return Tokens * 65536 / 5 < kPieceSize ? Tokens * 65536 / 5 : kPieceSize;
}

// A block chain as seen without decoding it.
struct TBlockChain {
  size_t Count = 0;         // blocks
  uint64_t MaxDecoded = 0;  // the most the blocks can decode to (the sum of BlockOutputBound)
};
// Walks the block chain of Size bytes. Fails when a P field or a block runs past Size, or a block
// is too small for its header.
TPackError MeasureBlocks(const uint8_t* Src, size_t Size, TBlockChain& Chain) noexcept;

// The complete record (PackedSize, UnpackedSize, blocks) for Count bytes.
std::vector<uint8_t> PackRecord(const uint8_t* Src, size_t Count);

// Reads a complete record from the Size bytes at Src (the record may be followed by other data).
// Out receives the unpacked data, Consumed the record's size (4 + PackedSize).
TPackError UnpackRecord(const uint8_t* Src, size_t Size, std::vector<uint8_t>& Out,
                        size_t& Consumed);

// The header fields of a record at Src, checked against each other and against the bytes that
// follow (Available, counted from the PackedSize field): PackedSize fits, the blocks frame
// exactly, UnpackedSize matches the number of blocks and is no more than the blocks can decode
// to. So a caller may size its output buffer to UnpackedSize afterwards (a hostile header cannot
// ask for more than the record could really fill) and decode with
// UnpackBuffer(Src + 8, PackedSize - 4, ...).
struct TRecordHeader {
  uint32_t PackedSize = 0;
  uint32_t UnpackedSize = 0;
};
TPackError ReadRecordHeader(const uint8_t* Src, size_t Available, TRecordHeader& Header) noexcept;

}  // namespace lxsfpack
