// The proportional image: a window-less picture control that shows a TlxPicture at its natural
// size, stretched, or scaled with its aspect ratio kept, placed by one of nine alignments,
// optionally transparent. JPEG pictures (the class library's TJPEGImage) take the eight JPEG
// options of JPEGProperties; with IncrementalDisplay a progressive JPEG is shown pass by pass
// while it is decoded.
//
//   object lxProportionalImage1: TlxProportionalImage
//     Alignment = iaTopLeft
//     Picture.Data = {...}              (a TJPEGImage, TBitmap, ...; icons and metafiles as "SFP")
//     JPEGProperties.Scale = jsHalf
//   end
//
// Linking this unit brings libjpeg in (the CMake target lx_propimage): the modules that do not
// show images link the rest of the library without it.
#pragma once

#include "classlib/Controls.h"
#include "classlib/Jpeg.h"
#include "lx/lxGraphics.h"

class TlxProportionalImage;

// The JPEG options: read from the picture's JPEG image when it holds one, else the stored values;
// written to both.
class TlxJPEGProperties : public TPersistent {
  VD_CLASS(TlxJPEGProperties, TPersistent);

public:
  explicit TlxJPEGProperties(TPicture* APicture) : FPicture(APicture) {}

  TJPEGQualityRange CompressionQuality() const;
  void SetCompressionQuality(TJPEGQualityRange Value);
  bool Grayscale() const;
  void SetGrayscale(bool Value);
  TJPEGPerformance Performance() const;
  void SetPerformance(TJPEGPerformance Value);
  TJPEGPixelFormat PixelFormat() const;
  void SetPixelFormat(TJPEGPixelFormat Value);
  bool ProgressiveDisplay() const;
  void SetProgressiveDisplay(bool Value);
  bool ProgressiveEncoding() const;
  void SetProgressiveEncoding(bool Value);
  TJPEGScale Scale() const;
  void SetScale(TJPEGScale Value);
  bool Smoothing() const;
  void SetSmoothing(bool Value);

  // Sets the stored values on Image, in the order of the properties above.
  void ApplyTo(TJPEGImage* Image) const;

private:
  TJPEGImage* Jpeg() const { return dynamic_cast<TJPEGImage*>(FPicture->Graphic()); }

  TPicture* FPicture;  // the image's
  TJPEGQualityRange FCompressionQuality = 90;
  bool FGrayscale = false;
  TJPEGPerformance FPerformance = jpBestQuality;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
  bool FProgressiveDisplay = false;
  bool FProgressiveEncoding = false;
  TJPEGScale FScale = jsFullSize;
  bool FSmoothing = true;
};

enum TlxImageAlignment {
  iaCenter, iaLeft, iaTop, iaRight, iaBottom, iaTopLeft, iaTopRight, iaBottomLeft, iaBottomRight
};
VD_ENUM_INFO(TlxImageAlignment, "iaCenter", "iaLeft", "iaTop", "iaRight", "iaBottom", "iaTopLeft", "iaTopRight",
             "iaBottomLeft", "iaBottomRight")

// Where a W x H picture goes in a CW x CH client area (the rule of TlxProportionalImage.DestRect).
// Free space is halved toward zero, so a picture larger than the area is centred over it.
TRect ProportionalRect(int W, int H, int CW, int CH, bool Stretch, bool Proportional, TlxImageAlignment Alignment);

class TlxProportionalImage : public TGraphicControl {
  VD_CLASS(TlxProportionalImage, TGraphicControl);

public:
  // 105 x 105, proportional, fixed stretching.
  explicit TlxProportionalImage(TComponent* AOwner);

  const std::string& About() const noexcept { return FAbout; }
  void SetAbout(const std::string& Value) { FAbout = Value; }
  TlxImageAlignment Alignment() const noexcept { return FAlignment; }
  void SetAlignment(TlxImageAlignment Value);
  // The control takes the picture's size.
  bool AutoSize() const noexcept { return FAutoSize; }
  void SetAutoSize(bool Value);
  // Pictures other than icons are scaled once into a bitmap of the destination's size per paint.
  bool FixedStretching() const noexcept { return FFixedStretching; }
  void SetFixedStretching(bool Value);
  // Progressive JPEG pictures are painted after each pass of their decoding.
  bool IncrementalDisplay() const noexcept { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool Value) { FIncrementalDisplay = Value; }
  // Scaled down (never up, unless Stretch) to fit, keeping the aspect ratio.
  bool Proportional() const noexcept { return FProportional; }
  void SetProportional(bool Value);
  bool Stretch() const noexcept { return FStretch; }
  void SetStretch(bool Value);
  bool Transparent() const noexcept { return FTransparent; }
  void SetTransparent(bool Value);
  TlxJPEGProperties* JPEGProperties() const noexcept { return FJPEGProperties; }
  void SetJPEGProperties(TlxJPEGProperties* Value);
  TlxPicture* Picture() const noexcept { return FPicture; }
  void SetPicture(TlxPicture* Value) { FPicture->Assign(Value); }
  // Drawing is in progress (a progress handler may paint again).
  bool Drawing() const noexcept { return FDrawing; }

  // Where the picture is drawn in the client area.
  TRect DestRect();
  // The picture's size for AutoSize (the proposed size while designed without a picture).
  bool CanAutoSize(int& NewWidth, int& NewHeight);
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  HPALETTE Palette();

  TProgressEvent OnProgress;

protected:
  ~TlxProportionalImage() override;
  void Paint() override;
  void Loaded() override;
  // The picture changed: size, transparency, JPEG options, opacity, repaint.
  void PictureChanged(TObject* Sender);
  // Realises a modified palette through the parent form; true when it was.
  bool DoPaletteChange();
  void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                const std::string& Msg);

private:
  TlxPicture* FPicture;
  TlxJPEGProperties* FJPEGProperties;
  std::string FAbout;
  TlxImageAlignment FAlignment = iaCenter;
  bool FAutoSize = false;
  bool FFixedStretching = true;
  bool FIncrementalDisplay = false;
  bool FProportional = true;
  bool FStretch = false;
  bool FTransparent = false;
  bool FDrawing = false;
};
