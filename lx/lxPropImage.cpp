#include "lx/lxPropImage.h"

#include <cmath>

#include "classlib/ControlsPublish.h"
#include "classlib/Forms.h"
#include "classlib/TypInfo.h"
#include "lx/lxGdiHandles.h"

using namespace controls_publish;

namespace {
struct TPropImageRegistration {
  TPropImageRegistration() { RegisterClass(ClassOf<TlxProportionalImage>()); }
} const g_PropImageRegistration;
}  // namespace

// ---- TlxJPEGProperties --------------------------------------------------------------------------

// The field is set before the image (whose change notification applies the stored values again),
// and only once the image is known to take the value: a decoding option is refused while the
// image writes its rows, and then nothing is stored.
#define LX_JPEG_PROPERTY(Type, Name, Field, DecodingOption)                     \
  Type TlxJPEGProperties::Name() const {                                        \
    TJPEGImage* J = Jpeg();                                                     \
    return J ? J->Name() : Field;                                               \
  }                                                                             \
  void TlxJPEGProperties::Set##Name(Type Value) {                               \
    TJPEGImage* J = Jpeg();                                                     \
    if (DecodingOption && J && J->Name() != Value) J->RefuseWhileWritingRows(); \
    Field = Value;                                                              \
    if (J) J->Set##Name(Value);                                                 \
  }

LX_JPEG_PROPERTY(TJPEGQualityRange, CompressionQuality, FCompressionQuality, false)
LX_JPEG_PROPERTY(bool, Grayscale, FGrayscale, true)
LX_JPEG_PROPERTY(TJPEGPerformance, Performance, FPerformance, true)
LX_JPEG_PROPERTY(TJPEGPixelFormat, PixelFormat, FPixelFormat, true)
LX_JPEG_PROPERTY(bool, ProgressiveDisplay, FProgressiveDisplay, false)
LX_JPEG_PROPERTY(bool, ProgressiveEncoding, FProgressiveEncoding, false)
LX_JPEG_PROPERTY(TJPEGScale, Scale, FScale, true)
LX_JPEG_PROPERTY(bool, Smoothing, FSmoothing, true)
#undef LX_JPEG_PROPERTY

void TlxJPEGProperties::ApplyTo(TJPEGImage* Image) const {
  Image->SetCompressionQuality(FCompressionQuality);
  Image->SetGrayscale(FGrayscale);
  Image->SetPerformance(FPerformance);
  Image->SetPixelFormat(FPixelFormat);
  Image->SetProgressiveDisplay(FProgressiveDisplay);
  Image->SetProgressiveEncoding(FProgressiveEncoding);
  Image->SetScale(FScale);
  Image->SetSmoothing(FSmoothing);
}

// ---- Destination rectangle ----------------------------------------------------------------------

TRect ProportionalRect(int W, int H, int CW, int CH, bool Stretch, bool Proportional, TlxImageAlignment Alignment) {
  if (Stretch || (Proportional && (W > CW || H > CH))) {
    if (Proportional && W > 0 && H > 0) {
      double Aspect = static_cast<double>(W) / H;
      if (W > H) {
        W = CW;
        H = static_cast<int>(std::trunc(CW / Aspect));
        if (H > CH) {
          H = CH;
          W = static_cast<int>(std::trunc(CH * Aspect));
        }
      } else {
        H = CH;
        W = static_cast<int>(std::trunc(CH * Aspect));
        if (W > CW) {
          W = CW;
          H = static_cast<int>(std::trunc(CW / Aspect));
        }
      }
    } else {
      W = CW;
      H = CH;
    }
  }
  int FX = CW - W, FY = CH - H;
  int DX = 0, DY = 0;
  switch (Alignment) {
    case iaCenter: DX = FX / 2; DY = FY / 2; break;
    case iaLeft: DY = FY / 2; break;
    case iaTop: DX = FX / 2; break;
    case iaRight: DX = FX; DY = FY / 2; break;
    case iaBottom: DX = FX / 2; DY = FY; break;
    case iaTopLeft: break;
    case iaTopRight: DX = FX; break;
    case iaBottomLeft: DY = FY; break;
    case iaBottomRight: DX = FX; DY = FY; break;
  }
  return Bounds(DX, DY, W, H);
}

// ---- TlxProportionalImage -----------------------------------------------------------------------

TlxProportionalImage::TlxProportionalImage(TComponent* AOwner)
    : TGraphicControl(AOwner), FPicture(TlxPicture::Create()), FJPEGProperties(nullptr) {
  FControlStyle.Include(csReplicatable);
  FPicture->OnChange = MakeEvent<&TlxProportionalImage::PictureChanged>(this);
  FPicture->OnProgress = MakeEvent<&TlxProportionalImage::Progress>(this);
  StoreBounds(Left(), Top(), 105, 105);
  FJPEGProperties = TlxJPEGProperties::Create(FPicture);
}

TlxProportionalImage::~TlxProportionalImage() {
  FJPEGProperties->Free();
  FPicture->Free();
}

void TlxProportionalImage::SetJPEGProperties(TlxJPEGProperties* Value) {
  FJPEGProperties->SetCompressionQuality(Value->CompressionQuality());
  FJPEGProperties->SetGrayscale(Value->Grayscale());
  FJPEGProperties->SetPerformance(Value->Performance());
  FJPEGProperties->SetPixelFormat(Value->PixelFormat());
  FJPEGProperties->SetProgressiveDisplay(Value->ProgressiveDisplay());
  FJPEGProperties->SetProgressiveEncoding(Value->ProgressiveEncoding());
  FJPEGProperties->SetScale(Value->Scale());
  FJPEGProperties->SetSmoothing(Value->Smoothing());
}

void TlxProportionalImage::SetAlignment(TlxImageAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  PictureChanged(this);
}

void TlxProportionalImage::SetFixedStretching(bool Value) {
  if (Value == FFixedStretching) return;
  FFixedStretching = Value;
  PictureChanged(this);
}

void TlxProportionalImage::SetProportional(bool Value) {
  if (Value == FProportional) return;
  FProportional = Value;
  PictureChanged(this);
}

void TlxProportionalImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  PictureChanged(this);
}

void TlxProportionalImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  PictureChanged(this);
}

void TlxProportionalImage::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) SetBounds(Left(), Top(), Width(), Height());
}

TRect TlxProportionalImage::DestRect() {
  return ProportionalRect(FPicture->Width(), FPicture->Height(), ClientWidth(), ClientHeight(), FStretch,
                          FProportional, FAlignment);
}

bool TlxProportionalImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  int W = FPicture->Width(), H = FPicture->Height();
  if (ComponentState().Contains(csDesigning) && (W <= 0 || H <= 0)) return true;
  TAlign A = Align();
  if (A == alNone || A == alLeft || A == alRight) NewWidth = W;
  if (A == alNone || A == alTop || A == alBottom) NewHeight = H;
  return true;
}

void TlxProportionalImage::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize && !ComponentState().Contains(csLoading)) CanAutoSize(AWidth, AHeight);
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

HPALETTE TlxProportionalImage::Palette() {
  TGraphic* G = FPicture->Graphic();
  return G ? G->Palette() : nullptr;
}

void TlxProportionalImage::Paint() {
  if (ComponentState().Contains(csDesigning)) {
    TCanvas* C = Canvas();
    C->Pen()->SetStyle(psDash);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(0, 0, Width(), Height());
  }
  if (!FPicture->HasGraphic()) return;
  lxgdi::TDrawingFlag Drawing(FDrawing);
  TGraphic* G = FPicture->Graphic();
  TRect R = DestRect();
  if (R.right <= R.left || R.bottom <= R.top) return;
  // Icons and transparent graphics go straight onto the canvas: an intermediate bitmap is
  // opaque and would cover what shows through them.
  if (FFixedStretching && !dynamic_cast<TIcon*>(G) && !G->Transparent()) {
    TObjectPtr<TBitmap> Scaled(TBitmap::Create());
    Scaled->SetSize(R.right - R.left, R.bottom - R.top);
    Scaled->Canvas()->StretchDraw(Rect(0, 0, Scaled->Width(), Scaled->Height()), G);
    Canvas()->Draw(R.left, R.top, Scaled.get());
  } else {
    Canvas()->StretchDraw(R, G);
  }
  // A progress handler may have given the picture another size while it was decoded for this
  // paint: what was drawn is then in the wrong place, so the control is painted once more. The
  // next paint starts from the size the picture now has, so this ends.
  TRect Now = DestRect();
  if (!EqualRect(&Now, &R)) Invalidate();
}

void TlxProportionalImage::Loaded() {
  TGraphicControl::Loaded();
  PictureChanged(this);
}

void TlxProportionalImage::PictureChanged(TObject* Sender) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  if (TGraphic* G = FPicture->Graphic()) {
    if (!dynamic_cast<TMetafile*>(G) && !dynamic_cast<TIcon*>(G)) G->SetTransparent(FTransparent);
    if (auto* J = dynamic_cast<TJPEGImage*>(G)) FJPEGProperties->ApplyTo(J);
    if (!G->Transparent() && FStretch && !FProportional) FControlStyle.Include(csOpaque);
    else FControlStyle.Exclude(csOpaque);
    if (DoPaletteChange() && FDrawing) Update();
  } else {
    FControlStyle.Exclude(csOpaque);
  }
  if (!FDrawing) Invalidate();
}

bool TlxProportionalImage::DoPaletteChange() {
  TGraphic* G = FPicture->Graphic();
  if (!Visible() || ComponentState().Contains(csLoading) || !G || !G->PaletteModified()) return false;
  if (!G->Palette()) {
    G->SetPaletteModified(false);
    return false;
  }
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form->HandleAllocated() && GetActiveWindow() == Form->Handle()) {
    if (FDrawing) Form->Perform(WM_QUERYNEWPALETTE);
    else PostMessageA(Form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
    G->SetPaletteModified(false);
    return true;
  }
  return false;
}

void TlxProportionalImage::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                                    const TRect& R, const std::string& Msg) {
  if (FIncrementalDisplay && RedrawNow) {
    if (DoPaletteChange()) Update();
    else PaintImmediately();
  }
  OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

VD_DEFINE_CLASS(TlxJPEGProperties) {
  C.Property("CompressionQuality", &TlxJPEGProperties::CompressionQuality, &TlxJPEGProperties::SetCompressionQuality)
      .Default(90);
  C.Property("Grayscale", &TlxJPEGProperties::Grayscale, &TlxJPEGProperties::SetGrayscale).Default(false);
  C.Property("Performance", &TlxJPEGProperties::Performance, &TlxJPEGProperties::SetPerformance)
      .Default(jpBestQuality);
  C.Property("PixelFormat", &TlxJPEGProperties::PixelFormat, &TlxJPEGProperties::SetPixelFormat).Default(jf24Bit);
  C.Property("ProgressiveDisplay", &TlxJPEGProperties::ProgressiveDisplay, &TlxJPEGProperties::SetProgressiveDisplay)
      .Default(false);
  C.Property("ProgressiveEncoding", &TlxJPEGProperties::ProgressiveEncoding,
             &TlxJPEGProperties::SetProgressiveEncoding)
      .Default(false);
  C.Property("Scale", &TlxJPEGProperties::Scale, &TlxJPEGProperties::SetScale).Default(jsFullSize);
  C.Property("Smoothing", &TlxJPEGProperties::Smoothing, &TlxJPEGProperties::SetSmoothing).Default(true);
}

VD_DEFINE_CLASS(TlxProportionalImage) {
  C.Property("Align", &TlxProportionalImage::Align, &TlxProportionalImage::SetAlign).Default(alNone);
  C.Property("Anchors", &TlxProportionalImage::Anchors, &TlxProportionalImage::SetAnchors)
      .Default(TAnchors{akLeft, akTop});
  C.Property("Enabled", &TlxProportionalImage::Enabled, &TlxProportionalImage::SetEnabled).Default(true);
  C.Property("ParentShowHint", &TlxProportionalImage::ParentShowHint, &TlxProportionalImage::SetParentShowHint)
      .Default(true);
  C.Property("PopupMenu", &TlxProportionalImage::PopupMenu, &TlxProportionalImage::SetPopupMenu);
  C.Property("ShowHint", &TlxProportionalImage::ShowHint, &TlxProportionalImage::SetShowHint)
      .Stored(&TlxProportionalImage::IsShowHintStored);
  C.Property("Visible", &TlxProportionalImage::Visible, &TlxProportionalImage::SetVisible).Default(true);
  C.Property("OnClick", &TlxProportionalImage::OnClick, &TlxProportionalImage::OnClick);
  C.Property("OnDblClick", &TlxProportionalImage::OnDblClick, &TlxProportionalImage::OnDblClick);
  C.Property("OnMouseDown", &TlxProportionalImage::OnMouseDown, &TlxProportionalImage::OnMouseDown);
  C.Property("OnMouseMove", &TlxProportionalImage::OnMouseMove, &TlxProportionalImage::OnMouseMove);
  C.Property("OnMouseUp", &TlxProportionalImage::OnMouseUp, &TlxProportionalImage::OnMouseUp);
  C.Property("OnResize", &TlxProportionalImage::OnResize, &TlxProportionalImage::OnResize);
  C.Property("About", &TlxProportionalImage::About, &TlxProportionalImage::SetAbout).Stored(false);
  C.Property("Alignment", &TlxProportionalImage::FAlignment, &TlxProportionalImage::SetAlignment).Default(iaCenter);
  C.Property("AutoSize", &TlxProportionalImage::FAutoSize, &TlxProportionalImage::SetAutoSize).Default(false);
  C.Property("FixedStretching", &TlxProportionalImage::FFixedStretching, &TlxProportionalImage::SetFixedStretching)
      .Default(true);
  C.Property("IncrementalDisplay", &TlxProportionalImage::FIncrementalDisplay,
             &TlxProportionalImage::SetIncrementalDisplay)
      .Default(false);
  C.Property("Proportional", &TlxProportionalImage::FProportional, &TlxProportionalImage::SetProportional)
      .Default(true);
  C.Property("Stretch", &TlxProportionalImage::FStretch, &TlxProportionalImage::SetStretch).Default(false);
  C.Property("Transparent", &TlxProportionalImage::FTransparent, &TlxProportionalImage::SetTransparent)
      .Default(false);
  C.Property("JPEGProperties", &TlxProportionalImage::FJPEGProperties, &TlxProportionalImage::SetJPEGProperties);
  C.Property("Picture", &TlxProportionalImage::FPicture, &TlxProportionalImage::SetPicture);
  C.Property("OnProgress", &TlxProportionalImage::OnProgress, &TlxProportionalImage::OnProgress);
}
