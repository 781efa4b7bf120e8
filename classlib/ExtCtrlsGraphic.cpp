// The graphic controls of ExtCtrls: bevel, image and splitter.
#include "classlib/ExtCtrls.h"

#include <algorithm>

#include "classlib/ControlsPublish.h"
#include "classlib/TypInfo.h"

using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TGraphicControlsRegistration {
  TGraphicControlsRegistration() {
    RegisterClasses({ClassOf<TBevel>(), ClassOf<TImage>(), ClassOf<TSplitter>()});
  }
} const g_GraphicControlsClasses;
}  // namespace

// ---- TBevel -------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Exclude(csOpaque);
  StoreBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* Cv = Canvas();
  TColor Dark = clBtnShadow, Light = clBtnHighlight;
  if (FStyle == bsRaised) std::swap(Dark, Light);
  int W = Width(), H = Height();
  // A line is a dark line with a light one below (or right of) it.
  auto Line = [Cv](TColor Color, int X1, int Y1, int X2, int Y2) {
    Cv->Pen()->SetColor(Color);
    Cv->MoveTo(X1, Y1);
    Cv->LineTo(X2, Y2);
  };
  auto Box = [&](TColor TopLeft, TColor BottomRight, int L, int T, int R, int B) {
    Line(TopLeft, L, B - 1, L, T);
    Line(TopLeft, L, T, R - 1, T);
    Line(BottomRight, R - 1, T, R - 1, B - 1);
    Line(BottomRight, R - 1, B - 1, L - 1, B - 1);
  };
  Cv->Pen()->SetWidth(1);
  switch (FShape) {
    case bsBox: Box(Dark, Light, 0, 0, W, H); break;
    case bsFrame:
      Box(Dark, Light, 0, 0, W - 1, H - 1);
      Box(Light, Dark, 1, 1, W, H);
      break;
    case bsTopLine:
      Line(Dark, 0, 0, W, 0);
      Line(Light, 0, 1, W, 1);
      break;
    case bsBottomLine:
      Line(Dark, 0, H - 2, W, H - 2);
      Line(Light, 0, H - 1, W, H - 1);
      break;
    case bsLeftLine:
      Line(Dark, 0, 0, 0, H);
      Line(Light, 1, 0, 1, H);
      break;
    case bsRightLine:
      Line(Dark, W - 2, 0, W - 2, H);
      Line(Light, W - 1, 0, W - 1, H);
      break;
    case bsSpacer: break;
  }
}

// ---- TImage -------------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(TPicture::Create()) {
  FPicture->OnChange = MakeEvent<&TImage::PictureChanged>(this);
  StoreBounds(0, 0, 105, 105);
}

void TImage::BeforeDestruction() {
  inherited::BeforeDestruction();
  FPicture->Free();
  FPicture = nullptr;
}

void TImage::PictureChanged(TObject*) { Invalidate(); }

TCanvas* TImage::Canvas() {
  if (!FPicture->Graphic()) FPicture->Bitmap()->SetSize(Width(), Height());
  auto* Bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
  if (!Bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return Bitmap->Canvas();
}

void TImage::Paint() {
  if (TGraphic* Graphic = FPicture->Graphic()) TGraphicControl::Canvas()->Draw(0, 0, Graphic);
}

// ---- TSplitter ----------------------------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Exclude(csOpaque);
  StoreBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TControl* TSplitter::FindNeighbour() const {
  TWinControl* P = Parent();
  if (!P) return nullptr;
  for (int I = 0; I < P->ControlCount(); ++I) {
    TControl* C = P->Controls(I);
    if (C == this || !C->Visible() || C->Align() != Align()) continue;
    bool Touches = false;
    switch (Align()) {
      case alLeft: Touches = C->Left() + C->Width() == Left(); break;
      case alRight: Touches = C->Left() == Left() + Width(); break;
      case alTop: Touches = C->Top() + C->Height() == Top(); break;
      case alBottom: Touches = C->Top() == Top() + Height(); break;
      default: break;
    }
    if (Touches) return C;
  }
  return nullptr;
}

int TSplitter::MaxSize() const {
  // The parent's room less every other control aligned across the drag axis, less MinSize.
  TWinControl* P = Parent();
  int Room = Horizontal() ? P->ClientWidth() : P->ClientHeight();
  for (int I = 0; I < P->ControlCount(); ++I) {
    TControl* C = P->Controls(I);
    if (C == FControl || !C->Visible()) continue;
    bool Across = Horizontal() ? C->Align() == alLeft || C->Align() == alRight
                               : C->Align() == alTop || C->Align() == alBottom;
    if (Across) Room -= Horizontal() ? C->Width() : C->Height();
  }
  return std::max(Room - FMinSize, FMinSize);
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FControl = FindNeighbour();
  if (!FControl) return;
  FDownPos = ParentPos(X, Y);
  FStartSize = Horizontal() ? FControl->Width() : FControl->Height();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FControl || !Shift.Contains(ssLeft)) return;
  int Delta = ParentPos(X, Y) - FDownPos;
  if (Align() == alRight || Align() == alBottom) Delta = -Delta;
  int Size = std::clamp(FStartSize + Delta, FMinSize, MaxSize());
  if (Horizontal()) FControl->SetWidth(Size);
  else FControl->SetHeight(Size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) FControl = nullptr;
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TBevel) {
  C.Property("Align", &TBevel::Align, &TBevel::SetAlign).Default(alNone);
  C.Property("Anchors", &TBevel::Anchors, &TBevel::SetAnchors).Default(TAnchors{akLeft, akTop});
  C.Property("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  C.Property("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
  C.Property("Visible", &TBevel::Visible, &TBevel::SetVisible).Default(true);
}

VD_DEFINE_CLASS(TImage) {
  PublishControl(C, clBtnFace, true);
  C.Property("Picture", &TImage::Picture, &TImage::SetPicture);
}

VD_DEFINE_CLASS(TSplitter) {
  C.Property("Align", &TSplitter::Align, &TSplitter::SetAlign).Default(alLeft);
  C.Property("Cursor").Default(crHSplit);
  C.Property("Color", &TSplitter::Color, &TSplitter::SetColor)
      .Type(ColorTypeInfo())
      .Default(clBtnFace)
      .Stored(&TSplitter::IsColorStored);
  C.Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
  C.Property("ParentColor", &TSplitter::ParentColor, &TSplitter::SetParentColor).Default(true);
  C.Property("Visible", &TSplitter::Visible, &TSplitter::SetVisible).Default(true);
}
