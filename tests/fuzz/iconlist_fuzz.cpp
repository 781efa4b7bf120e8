// Fuzz target for the "Icons" parsers (both forms; tools/fuzz.sh iconlist).
// The first byte picks the icon size the strips must fit; the rest is the data. Whatever the
// strip reader accepts must write back to bytes that read as the same strips.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "nx/NxIconListFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const int32_t Side = 1 + (Data[0] & 0x1F);
  nxicons::TMemoryByteSource Source(Data + 1, Size - 1);
  std::string Why;
  switch (nxicons::SniffIconsFormat(Data + 1, Size - 1)) {
    case nxicons::TIconsFormat::Bitmaps: {
      nxicons::TIconStrips Strips;
      if (!nxicons::ReadIconStrips(Source, Side, Side, Strips, Why)) break;
      const std::vector<uint8_t> Again = nxicons::WriteIconStrips(Strips);
      nxicons::TMemoryByteSource Back(Again.data(), Again.size());
      nxicons::TIconStrips Copy;
      if (!nxicons::ReadIconStrips(Back, Side, Side, Copy, Why) || Copy.Pixels != Strips.Pixels ||
          Copy.Mask != Strips.Mask || Copy.Width != Strips.Width)
        std::abort();
      break;
    }
    case nxicons::TIconsFormat::ImageList: {
      std::vector<uint8_t> Bytes;
      nxicons::TImageListHeader Header;
      if (nxicons::ReadImageListStream(Source, Bytes, Header, Why) && Bytes.size() > Size - 1) std::abort();
      break;
    }
    case nxicons::TIconsFormat::Unknown:
      break;
  }
  return 0;
}
