// Packing of byte blocks with the lx run-length code (the "SFP" data of the lx picture class).
// The format and the checks live in lxSFPackCore.h; this unit puts it on the class library's
// streams and turns every malformed input into EReadError.
#pragma once

#include <cstddef>
#include <cstdint>

#include "classlib/Streams.h"

// Packs the whole content of Source (from offset 0, whatever its position; Source is left as it
// is) and writes PackedSize and the packed record (UnpackedSize, blocks) at Dest's position.
void PackStream(TCustomMemoryStream& Source, TStream& Dest);

// Reads a packed record at Source's position and returns its unpacked data in a new memory stream
// at position 0. Source's position ends right after the record. A memory stream is decoded in
// place; any other stream through one copy of the packed bytes. Raises EReadError for a record
// that is truncated or malformed (sizes, offsets or counts pointing outside the record, its blocks
// or the unpacked size, or an unpacked size more than the blocks can decode to) and when there is
// no memory for the unpacked data; Source's position is then unspecified.
TObjectPtr<TMemoryStream> UnpackStream(TStream& Source);

// The size of the buffer PackStream packs N bytes into; it always holds PackBuffer's result.
size_t PackedSizeBound(size_t N) noexcept;

// Writes Count as UnpackedSize and then the blocks to Dst (DstCapacity bytes of room;
// PackedSizeBound(Count) is always enough). Returns 4 + the size of the blocks. Raises EWriteError
// when the room does not suffice.
size_t PackBuffer(const void* Src, void* Dst, size_t Count, size_t DstCapacity);
// Decodes Size bytes of blocks at Src into Dst (DstCapacity bytes of room) and returns the decoded
// size. EReadError for malformed blocks or too little room.
size_t UnpackBuffer(const void* Src, void* Dst, size_t Size, size_t DstCapacity);

// One block's data: Count is 1..65533 and Dst needs room for Count + 2 bytes (EWriteError
// otherwise); returns P.
size_t PackBlock(const void* Src, void* Dst, size_t Count, size_t DstCapacity);
// Decodes P bytes of block data; returns the decoded size. EReadError as UnpackBuffer.
size_t UnpackBlock(const void* Src, void* Dst, size_t P, size_t DstCapacity);
