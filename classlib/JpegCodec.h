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

// Every failure: a broken or truncated file, a file beyond a bound, memory the process cannot get.
class EJpegCodec : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Bounds of one decoding. A file beyond one raises EJpegCodec with a message naming it, so that
// no file of a few bytes can take the decoder's time or memory without limit.
//
// Pictures with more pixels than this (in the file, before scaling) are refused before anything
// is allocated for them.
inline constexpr uint64_t kMaxPixels = uint64_t{64} << 20;
// The longest side libjpeg reads.
inline constexpr uint64_t kMaxSide = 65500;
// libjpeg's own memory (beside the rows the caller gives) for pictures of at most MaxPixels: what
// the largest of them needs, whatever its layout, so that this bound refuses none of them. What
// libjpeg keeps for the whole picture is at most 9 bytes a pixel: the coefficients of a multi-scan
// file (2 bytes a pixel and component, 6 for three components unsampled; libjpeg converts no
// four-component file to RGB) and the picture two-pass colour mapping keeps (3 bytes a pixel).
// Blocks round each side up by at most 31 pixels (8 pixels, in groups of up to 4), and no side is
// longer than kMaxSide, so the longest and narrowest picture has the most such pixels. The rows of
// libjpeg's other buffers take at most a few megabytes at the widest: 32 MB are left for them.
constexpr long DecodeMemoryBound(uint64_t MaxPixels) {
  uint64_t Padded = MaxPixels + 31 * (kMaxSide + MaxPixels / kMaxSide + 1) + 31 * 31;
  return static_cast<long>(9 * Padded + (uint64_t{32} << 20));
}
inline constexpr long kMaxDecodeMemory = DecodeMemoryBound(kMaxPixels);
static_assert(9 * kMaxPixels < uint64_t{kMaxDecodeMemory} && kMaxDecodeMemory < 0x7FFFFFFF);  // a long on Windows
// Scans read from one file, counted by libjpeg's progress monitor. Encoders write 6 to 18
// (libjpeg's progression for one to four components), tuned scripts some 20. Each scan, even an
// empty one, may walk every coefficient block of the picture: 32 bounds the work of a file of
// many scans to that many walks of the largest picture the pixel bound lets through (a few
// seconds).
inline constexpr int kMaxScans = 32;
// Progressive display: the passes shown before the last one together walk at most this many
// pixels of the file (a pass walks every block of the picture at any scale). Later scans are
// read unseen and the finished picture is shown once.
inline constexpr uint64_t kRedrawPixels = uint64_t{16} << 20;

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
  // A smaller pixel bound (a test harness's, to bound its memory); the memory bound follows it.
  uint64_t MaxPixels = kMaxPixels;
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
// Called after each pass shown of a multi-scan file with ShowPasses (the rows hold the picture
// as far as it is known), with the share of the input read so far; the last pass shows all of it.
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
