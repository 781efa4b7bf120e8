// Fuzz target for the JPEG core, built natively against the system's libjpeg (tools/fuzz.sh jpeg).
// The first byte picks the decoding options; the rest is the file. Whatever decodes
// must fill exactly the frame it announced, and must encode again. Pictures of up to 16 M pixels
// (libjpeg's memory for them and the rows stay within the fuzzer's 512 MB), not the product's 64 M.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "classlib/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  jpegcodec::TDecodeOptions Options;
  Options.ScaleDenom = 1 << (Data[0] & 3);
  Options.Grayscale = (Data[0] & 4) != 0;
  Options.FastDct = (Data[0] & 8) != 0;
  Options.Quantize = (Data[0] & 16) != 0;
  Options.ShowPasses = (Data[0] & 32) != 0;
  Options.Smoothing = (Data[0] & 64) != 0;
  Options.MaxPixels = uint64_t{16} << 20;
  std::vector<uint8_t> Pixels;
  jpegcodec::TFrame Shape;
  try {
    jpegcodec::DecodeJpeg(
        Data + 1, Size - 1, Options,
        [&](const jpegcodec::TFrame& Frame) {
          if (Frame.Width <= 0 || Frame.Height <= 0) std::abort();
          if (Frame.Indexed && (Frame.Palette.empty() || Frame.Palette.size() > 3 * 256)) std::abort();
          Shape = Frame;
          size_t Row = static_cast<size_t>(Frame.Width) * (Frame.Indexed ? 1 : 3);
          Pixels.assign(Row * Frame.Height, 0);
          return jpegcodec::TRowTarget{Pixels.data(), static_cast<ptrdiff_t>(Row)};
        },
        [](int Percent) {
          if (Percent < 0 || Percent > 100) std::abort();
        });
  } catch (const jpegcodec::EJpegCodec&) {
    return 0;
  }
  if (!Shape.Indexed && Shape.Width <= 512 && Shape.Height <= 512)
    jpegcodec::EncodeJpeg(Pixels.data(), Shape.Width * 3, Shape.Width, Shape.Height, {});
  return 0;
}
