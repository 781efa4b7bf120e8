#include "classlib/Jpeg.h"

#include <cstring>
#include <memory>

#include "classlib/JpegCodec.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

namespace jpeg_detail {
const int UnitLink = 0;
}  // namespace jpeg_detail

namespace {
// Form resources and picture files find the class by name and by extension.
struct TJpegRegistration {
  TJpegRegistration() {
    RegisterClass(ClassOf<TJPEGImage>());
    TPicture::RegisterFileFormat("jpeg", "JPEG Image File", TGraphicClass::Of<TJPEGImage>());
    TPicture::RegisterFileFormat("jpg", "JPEG Image File", TGraphicClass::Of<TJPEGImage>());
  }
} const g_JpegRegistration;

// Whatever the process cannot get while decoding, libjpeg's memory, the heap's, a bitmap or a
// device context, is reported as libjpeg reports its own.
const char kNoMemoryToDecode[] = "Not enough memory to decode JPEG image";
const char kNoMemory[] = "Not enough memory for JPEG image";

// Runs a codec call and reports its failure as the class library's error.
template <class F> auto CodecCall(const char* NoMemory, F&& Call) {
  try {
    return Call();
  } catch (const jpegcodec::EJpegCodec& E) {
    throw EJPEG(E.what());
  } catch (const std::bad_alloc&) {
    throw EJPEG(NoMemory);
  }
}

// The rows of a bitmap: row Y at First + Y * Stride.
jpegcodec::TRowTarget RowsOf(TBitmap* B) {
  auto* First = static_cast<uint8_t*>(B->ScanLine(0));
  ptrdiff_t Stride = B->Height() > 1 ? static_cast<uint8_t*>(B->ScanLine(1)) - First : 0;
  return {First, Stride};
}
}  // namespace

// What a decoding holds while it runs. A progress handler may free the image (a picture given
// another graphic from its OnProgress, say): the destructor then leaves the bytes being read and
// the bitmap being filled here, and the decoding stops without touching the image again.
struct TJPEGImage::TDecodeRun {
  explicit TDecodeRun(TDecodeRun*& Slot) : FSlot(Slot) { FSlot = this; }
  ~TDecodeRun() {
    if (!ImageFreed) FSlot = nullptr;
  }
  TDecodeRun(const TDecodeRun&) = delete;
  TDecodeRun& operator=(const TDecodeRun&) = delete;

  // Stops the decoding at once when the image is gone: no caller may go on with it.
  void StopIfImageFreed() const {
    if (ImageFreed) throw EAbort("JPEG image freed while decoding");
  }

  bool ImageFreed = false;
  bool WritingRows = false;   // only then are changes of the image refused
  std::vector<uint8_t> Data;  // the freed image's bytes and bitmap
  TObjectPtr<TBitmap> Bitmap;

private:
  TDecodeRun*& FSlot;
};

TJPEGImage::~TJPEGImage() {
  if (FRun) {
    // Freed by a progress handler: the decoding keeps what it reads and fills until it has stopped.
    FRun->ImageFreed = true;
    FRun->Data = std::move(FData);  // the buffer itself moves: the decoder's pointer stays good
    FRun->Bitmap.reset(FBitmap);
    FBitmap = nullptr;
  }
  FreePalette();
  FreeAndNil(FBitmap);
  FreeAndNil(FNoPicture);
}

void TJPEGImage::RefuseWhileWritingRows() const {
  if (FRun && FRun->WritingRows) throw EJPEG("Cannot change a JPEG image while it is being decoded");
}

void TJPEGImage::FreePalette() {
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
}

void TJPEGImage::FreeBitmap() {
  if (FData.empty()) return;  // the bitmap is the picture itself until it is compressed
  RefuseWhileWritingRows();
  FreeAndNil(FBitmap);
  FreePalette();
}

void TJPEGImage::Assign(TPersistent* Source) {
  RefuseWhileWritingRows();
  if (auto* J = dynamic_cast<TJPEGImage*>(Source)) {
    if (J == this) return;
    TObjectPtr<TBitmap> Copy;
    if (J->FData.empty() && J->FBitmap) {
      Copy.reset(TBitmap::Create());
      Copy->Assign(J->FBitmap);
    }
    FreeAndNil(FBitmap);
    FBitmap = Copy.release();
    FreePalette();
    FData = J->FData;
    FFileWidth = J->FFileWidth;
    FFileHeight = J->FFileHeight;
    FQuality = J->FQuality;
    FGrayscale = J->FGrayscale;
    FPerformance = J->FPerformance;
    FPixelFormat = J->FPixelFormat;
    FProgressiveDisplay = J->FProgressiveDisplay;
    FProgressiveEncoding = J->FProgressiveEncoding;
    FScale = J->FScale;
    FSmoothing = J->FSmoothing;
    Changed(this);
    return;
  }
  if (auto* B = dynamic_cast<TBitmap*>(Source)) {
    TObjectPtr<TBitmap> Copy(TBitmap::Create());
    Copy->Assign(B);
    Copy->SetPixelFormat(pf24bit);
    FreeAndNil(FBitmap);
    FBitmap = Copy.release();
    FreePalette();
    FData.clear();
    FFileWidth = FBitmap->Width();
    FFileHeight = FBitmap->Height();
    Changed(this);
    return;
  }
  if (!Source) {
    FreeAndNil(FBitmap);
    FreePalette();
    FData.clear();
    FFileWidth = FFileHeight = 0;
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* B = dynamic_cast<TBitmap*>(Dest)) {
    if (Empty()) B->Assign(nullptr);
    else B->Assign(Bitmap());
    return;
  }
  TGraphic::AssignTo(Dest);
}

TRect TJPEGImage::ScaledFileRect() const noexcept {
  int Denom = ScaleDenom();
  return Rect(0, 0, jpegcodec::ScaledSize(FFileWidth, Denom), jpegcodec::ScaledSize(FFileHeight, Denom));
}

int TJPEGImage::Width() { return FBitmap ? FBitmap->Width() : ScaledFileRect().right; }

int TJPEGImage::Height() { return FBitmap ? FBitmap->Height() : ScaledFileRect().bottom; }

HPALETTE TJPEGImage::Palette() {
  // A query is no place to report a broken file: drawing the image does that.
  if (FPixelFormat == jf8Bit && !FRun && !Empty()) {
    try {
      DIBNeeded();
    } catch (const EJPEG&) {
      return nullptr;
    }
  }
  return FPalette;
}

void TJPEGImage::LoadFromStream(TStream& Stream) {
  RefuseWhileWritingRows();
  int64_t Left = Stream.Size() - Stream.Position();
  if (Left < 0 || Left > 0x7FFFFFFF) throw EJPEG("JPEG image too large");
  std::vector<uint8_t> Bytes(static_cast<size_t>(Left));
  if (!Bytes.empty()) Stream.ReadBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  jpegcodec::TJpegInfo Info =
      CodecCall(kNoMemory, [&] { return jpegcodec::ReadJpegInfo(Bytes.data(), Bytes.size()); });
  FreeAndNil(FBitmap);
  FreePalette();
  FData = std::move(Bytes);
  FFileWidth = Info.Width;
  FFileHeight = Info.Height;
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream& Stream) {
  Compress();
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

void TJPEGImage::ReadData(TStream& Stream) {
  uint32_t Size = 0;
  Stream.ReadBuffer(&Size, 4);
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  int64_t Left = Stream.Size() - Stream.Position();
  if (Left < 0 || Size > static_cast<uint64_t>(Left)) throw EReadError("Stream read error");
  TMemoryStream Data;
  Data.SetSize(Size);
  Stream.ReadBuffer(Data.Memory(), static_cast<int32_t>(Size));
  Data.SetPosition(0);
  LoadFromStream(Data);
}

void TJPEGImage::WriteData(TStream& Stream) {
  Compress();
  auto Size = static_cast<uint32_t>(FData.size());
  Stream.WriteBuffer(&Size, 4);
  if (Size) Stream.WriteBuffer(FData.data(), static_cast<int32_t>(Size));
}

void TJPEGImage::Compress() {
  if (!FData.empty() || !FBitmap || FBitmap->Empty()) return;
  // The encoder reads 24-bit rows, whatever pixel format a caller has given the bitmap since.
  TObjectPtr<TBitmap> Pixels(TBitmap::Create());
  Pixels->Assign(FBitmap);
  Pixels->SetPixelFormat(pf24bit);
  int W = Pixels->Width(), H = Pixels->Height();
  jpegcodec::TRowTarget Rows = RowsOf(Pixels.get());
  jpegcodec::TEncodeOptions Options;
  Options.Quality = FQuality;
  Options.Progressive = FProgressiveEncoding;
  FData = CodecCall(kNoMemory, [&] { return jpegcodec::EncodeJpeg(Rows.First, Rows.Stride, W, H, Options); });
  FFileWidth = W;
  FFileHeight = H;
  // From now on the bitmap is a decoding of the bytes, made again when the options change.
  FreeBitmap();
}

void TJPEGImage::DIBNeeded() {
  // A handler at the end of the first decoding may have changed an option or dropped the picture;
  // one that does so at every decoding must not hold the request forever.
  for (int Decodings = 0; Decodings < 2 && NeedsDecoding() && !FRun; ++Decodings) {
    try {
      Decode();
    } catch (const std::bad_alloc&) {
      throw EJPEG(kNoMemoryToDecode);
    }
  }
}

void TJPEGImage::Decode() {
  TDecodeRun Run(FRun);
  TRect R = ScaledFileRect();
  auto Report = [&](TProgressStage Stage, int Percent, bool RedrawNow) {
    Progress(this, Stage, static_cast<uint8_t>(Percent), RedrawNow, R, "");
    Run.StopIfImageFreed();
  };
  Report(psStarting, 0, false);
  // The handler may have changed the options or the bytes, or given the image a bitmap to hold.
  if (FData.empty()) return;
  R = ScaledFileRect();
  jpegcodec::TDecodeOptions Options;
  Options.ScaleDenom = ScaleDenom();
  Options.Grayscale = FGrayscale;
  Options.FastDct = FPerformance == jpBestSpeed;
  Options.Smoothing = FSmoothing;
  Options.Quantize = FPixelFormat == jf8Bit;
  Options.ShowPasses = FProgressiveDisplay;

  TObjectPtr<TBitmap> Image(TBitmap::Create());
  HPALETTE NewPalette = nullptr;
  jpegcodec::TFrame Shape;
  jpegcodec::TRowTarget Rows;
  auto Prepare = [&](const jpegcodec::TFrame& Frame) {
    HDC ImageDC = nullptr;
    try {
      Image->SetPixelFormat(Frame.Indexed ? pf8bit : pf24bit);
      Image->SetSize(Frame.Width, Frame.Height);
      if (Frame.Indexed) ImageDC = Image->Canvas()->Handle();
    } catch (const EOutOfResources&) {
      throw EJPEG(kNoMemoryToDecode);  // the bitmap of a large picture
    } catch (const EInvalidOperation&) {
      throw EJPEG(kNoMemoryToDecode);  // a canvas without a device context
    }
    if (Frame.Indexed) {
      RGBQUAD Colors[256]{};
      std::vector<uint8_t> Log(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
      auto* Pal = reinterpret_cast<LOGPALETTE*>(Log.data());
      Pal->palVersion = 0x300;
      UINT Count = static_cast<UINT>(Frame.Palette.size() / 3);
      Pal->palNumEntries = static_cast<WORD>(Count);
      for (UINT I = 0; I < Count; ++I) {
        const uint8_t* C = &Frame.Palette[I * 3];
        Colors[I] = RGBQUAD{C[2], C[1], C[0], 0};
        Pal->palPalEntry[I] = PALETTEENTRY{C[0], C[1], C[2], 0};
      }
      SetDIBColorTable(ImageDC, 0, Count, Colors);
      if (Count) NewPalette = CreatePalette(Pal);
    }
    // While passes are shown, a handler drawing the image sees this bitmap.
    FreeAndNil(FBitmap);
    FBitmap = Image.release();
    FreePalette();
    FPalette = NewPalette;
    FDecodedWith = DecodingOptions();
    Shape = Frame;
    Rows = RowsOf(FBitmap);
    return Rows;
  };
  auto OnPass = [&](int Percent) {
    GdiFlush();
    Report(psRunning, Percent, true);
    // The next pass writes where the first one did: a handler may draw on the bitmap, not remake it.
    bool Remade = FBitmap->Width() != Shape.Width || FBitmap->Height() != Shape.Height ||
                  FBitmap->PixelFormat() != (Shape.Indexed ? pf8bit : pf24bit);
    jpegcodec::TRowTarget Now = RowsOf(FBitmap);
    if (Remade || Now.First != Rows.First || Now.Stride != Rows.Stride)
      throw EJPEG("JPEG image's bitmap changed while decoding");
  };
  Run.WritingRows = true;
  try {
    CodecCall(kNoMemoryToDecode,
              [&] { jpegcodec::DecodeJpeg(FData.data(), FData.size(), Options, Prepare, OnPass); });
  } catch (...) {
    Run.WritingRows = false;
    // Nothing half-decoded stays behind (and nothing of an image that is gone is touched).
    if (!Run.ImageFreed) {
      FreeAndNil(FBitmap);
      FreePalette();
    }
    throw;
  }
  Run.WritingRows = false;
  Report(psEnding, 100, false);
  if (FPalette) {
    // Whoever shows the image realises the new palette (also while it is drawing it).
    SetPaletteModified(true);
    Changed(this);
    Run.StopIfImageFreed();
  }
}

TBitmap* TJPEGImage::Bitmap() {
  DIBNeeded();
  if (FBitmap) return FBitmap;
  if (FData.empty()) {
    FBitmap = TBitmap::Create();  // an empty image: an empty bitmap
    return FBitmap;
  }
  // Kept apart, so that the next request decodes the picture the bytes give.
  if (!FNoPicture) FNoPicture = TBitmap::Create();
  FNoPicture->SetSize(0, 0);
  return FNoPicture;
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  DIBNeeded();
  if (FBitmap && !FBitmap->Empty()) ACanvas->StretchDraw(Rect, FBitmap);
}

template <class T> void TJPEGImage::SetDecodingOption(T& Option, T Value) {
  if (Option == Value) return;
  RefuseWhileWritingRows();
  Option = Value;
  // A handler of a decoding keeps the picture just made: the decoding's caller decodes again.
  if (!FRun) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange Value) {
  if (Value < 1) Value = 1;
  if (Value > 100) Value = 100;
  FQuality = Value;
}

void TJPEGImage::SetGrayscale(bool Value) { SetDecodingOption(FGrayscale, Value); }
void TJPEGImage::SetPerformance(TJPEGPerformance Value) { SetDecodingOption(FPerformance, Value); }
void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value) { SetDecodingOption(FPixelFormat, Value); }
void TJPEGImage::SetScale(TJPEGScale Value) { SetDecodingOption(FScale, Value); }
void TJPEGImage::SetSmoothing(bool Value) { SetDecodingOption(FSmoothing, Value); }

VD_DEFINE_CLASS(TJPEGImage) {}
