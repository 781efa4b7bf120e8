// JPEG decoding and encoding in memory over libjpeg (the 6b API), with no Windows types: the
// core behind TJPEGImage (Jpeg.h), compilable natively for fuzzing.
//
// libjpeg reports a failure by calling the error manager's error_exit, which must not return. Ours
// jumps (longjmp) back to a guard that wraps each call into the library; the guard then raises
// EJpegCodec with libjpeg's own message ("Not a JPEG file: starts with 0x42 0x42"). Only libjpeg's
// frames and our plain C-style callbacks lie between a guard and the jump: no C++ object with a
// destructor lives across it. Everything the library allocates belongs to its decompress or
// compress object, which an owner in the calling frame destroys on every path.
//
// Input is read by our own memory source: when the data ends early it hands libjpeg a fake end
// marker (the library's usual recovery) and remembers it, and the decoder then raises "Premature
// end of JPEG file" instead of returning a half-grey picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

namespace jpegcodec {

// Every failure: a broken or truncated file, a picture too large, an allocation that failed.
class EJpegCodec : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Pictures with more pixels than this (in the file, before scaling) are refused before anything
// is allocated for them.
inline constexpr uint64_t kMaxPixels = uint64_t{64} << 20;

struct TJpegInfo {
  int Width = 0;   // in the file
  int Height = 0;
  int Components = 0;
  bool MultiScan = false;  // progressive (more than one scan)
};

// The header only.
TJpegInfo ReadJpegInfo(const uint8_t* Data, size_t Size);

struct TDecodeOptions {
  int ScaleDenom = 1;        // 1, 2, 4 or 8: the picture comes out that many times smaller
  bool Grayscale = false;    // decode the luminance only
  bool FastDct = false;      // the fast integer DCT and plain upsampling (speed before quality)
  bool Smoothing = true;     // block smoothing of the early passes of progressive files
  bool Quantize = false;     // at most 256 colours and a colour map (an 8-bit picture)
  bool ShowPasses = false;   // a multi-scan file is decoded pass by pass (buffered image)
};

// What the decoder is about to write.
struct TFrame {
  int Width = 0;
  int Height = 0;
  bool Indexed = false;          // one byte per pixel, an index into Palette
  std::vector<uint8_t> Palette;  // R, G, B per entry (Indexed only)
};

// Where row Y goes: First + Y * Stride. Colour rows are B, G, R bytes per pixel (grey pictures
// too, with equal bytes); indexed rows one byte per pixel.
struct TRowTarget {
  uint8_t* First = nullptr;
  ptrdiff_t Stride = 0;
};

// Called once the output size is known; the target must hold the frame.
using TPrepareFunc = std::function<TRowTarget(const TFrame& Frame)>;
// Called after each finished pass of a multi-scan file with ShowPasses (the rows hold the picture
// as far as it is known), with the share of the input read so far.
using TPassFunc = std::function<void(int PercentDone)>;

// Decodes Data into the rows Prepare gives. Raises EJpegCodec; the callbacks may raise too (their
// exceptions pass through unchanged).
void DecodeJpeg(const uint8_t* Data, size_t Size, const TDecodeOptions& Options, const TPrepareFunc& Prepare,
                const TPassFunc& OnPass);

// The output size of a W x H picture decoded at 1/ScaleDenom (libjpeg rounds up).
inline int ScaledSize(int Size, int ScaleDenom) { return (Size + ScaleDenom - 1) / ScaleDenom; }

struct TEncodeOptions {
  int Quality = 90;          // 1 to 100
  bool Progressive = false;  // a progressive file (libjpeg's simple progression)
};

// A JPEG file of Height rows of Width B, G, R pixels, row Y at First + Y * Stride.
std::vector<uint8_t> EncodeJpeg(const uint8_t* First, ptrdiff_t Stride, int Width, int Height,
                                const TEncodeOptions& Options);

}  // namespace jpegcodec
