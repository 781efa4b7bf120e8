// Jpeg: TJPEGImage, the JPEG graphic, over libjpeg (JpegCodec.h).
//
// The image keeps the JPEG file's bytes and decodes them into a bitmap only when it is first
// drawn (or DIBNeeded is called); the decoding options (Scale, Grayscale, Performance,
// PixelFormat, Smoothing) take effect at the next decoding. Width and Height come from the header
// alone (scaled the way libjpeg scales: rounded up). Made from a bitmap (Assign), the image holds
// that bitmap and compresses it (CompressionQuality, ProgressiveEncoding) when its bytes are
// first needed: SaveToStream, or Compress.
//
// With ProgressiveDisplay a multi-scan file is decoded pass by pass: OnProgress reports psStarting,
// psRunning with RedrawNow after each pass shown, then psEnding. A handler that draws the image
// during the decoding gets the picture as far as it is decoded; no second decoding starts. Passes
// are shown within a redraw budget (JpegCodec.h); beyond it the finished picture is shown once.
//
// While the decoder writes the picture's rows (the passes shown included), the image refuses with
// EJPEG whatever would replace the bytes or the bitmap being filled: loading, Assign, FreeBitmap
// and a new value of a decoding option. Before the first row and once the picture is complete
// (psStarting, psEnding, OnChange) it takes them all; the options are read after psStarting. A
// handler's new option keeps the picture just made (Bitmap() and Draw() in the handler get it);
// the request that decoded (Bitmap, Draw, DIBNeeded, Palette) then decodes again, at most once
// more: a handler that changes an option at every decoding leaves the last complete picture, and
// the next request decodes again. A handler that changes the bitmap being filled through Bitmap()
// (its size or pixel format) ends the decoding with EJPEG. A handler may free the image: the
// decoding then stops, frees what it used and raises EAbort (the silent exception), as no caller
// may go on with the image.
//
// Any fault of the data raises EJPEG (an EInvalidGraphic) with libjpeg's message, and so does a
// file beyond the decoder's bounds on pixels and scans (the message names the bound), and so does
// memory the process cannot get while decoding (libjpeg's, the heap's, the bitmap's or its
// device context's: "Not enough memory to decode JPEG image"); the image then keeps the bytes it
// had before loading and no decoded bitmap.
//
// Linking this unit brings libjpeg in (the CMake target classlib_jpeg). The unit registers the
// class for the extensions jpg and jpeg and for form resources when it is linked.
#pragma once

#include <cstdint>
#include <vector>

#include "classlib/Graphics.h"

VD_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);

using TJPEGQualityRange = uint8_t;  // 1 .. 100
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
VD_ENUM_INFO(TJPEGPerformance, "jpBestQuality", "jpBestSpeed")
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
VD_ENUM_INFO(TJPEGPixelFormat, "jf24Bit", "jf8Bit")
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
VD_ENUM_INFO(TJPEGScale, "jsFullSize", "jsHalf", "jsQuarter", "jsEighth")

class TJPEGImage : public TGraphic {
  VD_CLASS(TJPEGImage, TGraphic);

public:
  TJPEGImage() = default;
  ~TJPEGImage() override;
  // Another JPEG image: its bytes (or bitmap) and settings. A bitmap: held, compressed on demand.
  void Assign(TPersistent* Source) override;

  bool Empty() override { return FData.empty() && !FBitmap; }
  int Width() override;
  int Height() override;
  // A JPEG image has the size of its picture: setting it does nothing.
  void SetWidth(int) override {}
  void SetHeight(int) override {}
  // jf8Bit: the colour map's palette (decoded now when needed; nil when the file is broken).
  HPALETTE Palette() override;

  // Keeps the stream's remaining bytes after checking the header. EJPEG for anything that is no
  // JPEG file; the image is then unchanged.
  void LoadFromStream(TStream& Stream) override;
  // The JPEG file (compressed first when the image was made from a bitmap).
  void SaveToStream(TStream& Stream) override;
  // A 4-byte size, then the file (size 0: empty).
  void ReadData(TStream& Stream) override;
  void WriteData(TStream& Stream) override;

  // Compresses the held bitmap into JPEG bytes now (nothing when there is no bitmap).
  void Compress();
  // Decodes now, when the image holds no picture decoded with the present options (at most twice,
  // see above). Nothing from a handler of the image's own decoding.
  void DIBNeeded();
  // Drops the decoded bitmap (the bytes stay).
  void FreeBitmap();
  // The decoded picture (decoded now when needed); owned by the image. From a handler of the
  // image's own decoding: the picture being made or just made. Without a picture the bytes could
  // give (a handler dropped it), an empty bitmap that never stands in for the picture.
  TBitmap* Bitmap();

  TJPEGQualityRange CompressionQuality() const noexcept { return FQuality; }
  void SetCompressionQuality(TJPEGQualityRange Value);
  bool Grayscale() const noexcept { return FGrayscale; }
  void SetGrayscale(bool Value);
  TJPEGPerformance Performance() const noexcept { return FPerformance; }
  void SetPerformance(TJPEGPerformance Value);
  TJPEGPixelFormat PixelFormat() const noexcept { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat Value);
  bool ProgressiveDisplay() const noexcept { return FProgressiveDisplay; }
  void SetProgressiveDisplay(bool Value) { FProgressiveDisplay = Value; }
  bool ProgressiveEncoding() const noexcept { return FProgressiveEncoding; }
  void SetProgressiveEncoding(bool Value) { FProgressiveEncoding = Value; }
  TJPEGScale Scale() const noexcept { return FScale; }
  void SetScale(TJPEGScale Value);
  bool Smoothing() const noexcept { return FSmoothing; }
  void SetSmoothing(bool Value);
  // True while a decoding runs (a progress handler may draw the image then).
  bool Decoding() const noexcept { return FRun != nullptr; }
  // Raises EJPEG while the decoder writes the picture's rows, when whatever would replace the
  // bytes being read or the bitmap being filled is refused (see above).
  void RefuseWhileWritingRows() const;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // Into a bitmap: the decoded picture.
  void AssignTo(TPersistent* Dest) override;

private:
  struct TDecodeRun;
  // What the decoded picture depends on.
  struct TDecodingOptions {
    TJPEGScale Scale;
    bool Grayscale;
    TJPEGPerformance Performance;
    TJPEGPixelFormat PixelFormat;
    bool Smoothing;
    friend bool operator==(const TDecodingOptions&, const TDecodingOptions&) = default;
  };
  TDecodingOptions DecodingOptions() const noexcept {
    return {FScale, FGrayscale, FPerformance, FPixelFormat, FSmoothing};
  }
  // There are bytes, and no picture decoded from them with the present options.
  bool NeedsDecoding() const noexcept {
    return !FData.empty() && (!FBitmap || FDecodedWith != DecodingOptions());
  }
  // One decoding.
  void Decode();
  // Sets a decoding option: the decoded bitmap is made again when next needed.
  template <class T> void SetDecodingOption(T& Option, T Value);
  void ReadHeaderSize();
  void FreePalette();
  int ScaleDenom() const noexcept { return 1 << static_cast<int>(FScale); }
  // The picture as the header and the present scale give it (the decoded bitmap may be older).
  TRect ScaledFileRect() const noexcept;

  std::vector<uint8_t> FData;  // the JPEG file
  TBitmap* FBitmap = nullptr;  // decoded, or the source of the next compression (FData empty)
  TDecodingOptions FDecodedWith{};  // of FBitmap, when decoded
  TBitmap* FNoPicture = nullptr;    // what Bitmap() gives while the bytes' picture is missing
  HPALETTE FPalette = nullptr;
  int FFileWidth = 0;          // from the header
  int FFileHeight = 0;
  TDecodeRun* FRun = nullptr;  // while decoding
  TJPEGQualityRange FQuality = 90;
  bool FGrayscale = false;
  TJPEGPerformance FPerformance = jpBestQuality;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
  bool FProgressiveDisplay = false;
  bool FProgressiveEncoding = false;
  TJPEGScale FScale = jsFullSize;
  bool FSmoothing = true;
};

namespace jpeg_detail {
// Defined beside the unit's registration: whoever includes this header links it in.
extern const int UnitLink;
}  // namespace jpeg_detail

namespace {
[[maybe_unused, gnu::used]] const int* const JpegUnitLink = &jpeg_detail::UnitLink;
}
