#include "lx/lxFormBackground.h"

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"
#include "lx/lxGdiHandles.h"

namespace {
struct TFormBackgroundRegistration {
  TFormBackgroundRegistration() { RegisterClass(ClassOf<TlxFormBackground>()); }
} const g_FormBackgroundRegistration;
}  // namespace

TlxFormBackground::TlxFormBackground(TComponent* AOwner)
    : TlxFormHookComponent(AOwner), FPicture(TlxPicture::Create()) {
  FPicture->OnChange = MakeEvent<&TlxFormBackground::PictureChanged>(this);
}

TlxFormBackground::~TlxFormBackground() { FPicture->Free(); }

TColor TlxFormBackground::BackColor() const {
  if (TForm* Form = GetOwnerForm()) return Form->Color();
  if (auto* Control = dynamic_cast<TControl*>(OwnerComponent())) return Control->Color();
  return clBtnFace;
}

void TlxFormBackground::BeforeWndProc(TMessage& Message, bool& Handled) {
  if (Message.Msg != WM_ERASEBKGND || !FActive || ComponentState().Contains(csDesigning)) return;
  Handled = true;
  if (FPainting) return;
  lxgdi::TDrawingFlag Painting(FPainting);
  auto DC = reinterpret_cast<HDC>(Message.WParam);
  TRect R{};
  GetClientRect(Handle(), &R);
  if (FKind == bkGradient) {
    FillGradient(DC, R, FGradientColor1, FGradientColor2, BackColor(), FGradientDirection);
  } else if (FPicture->HasGraphic()) {
    TObjectPtr<TCanvas> Canvas(TCanvas::Create());
    Canvas->SetHandle(DC);
    DrawPicture(Canvas.get(), R, FPicture, BackColor(), FPictureStyle);
    Canvas->SetHandle(nullptr);
  } else {
    Handled = false;
    return;
  }
  Message.Result = 1;  // the background is erased
}

void TlxFormBackground::AfterWndProc(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  switch (Message.Msg) {
    case WM_SIZE:
      if (Message.WParam == SIZE_RESTORED || Message.WParam == SIZE_MAXIMIZED)
        PostMessageA(Handle(), CM_COLORCHANGED, 0, 0);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      Refresh();
      break;
  }
}

void TlxFormBackground::Rehooked() {
  TlxFormHookComponent::Rehooked();
  Refresh();
}

void TlxFormBackground::Refresh() {
  if (!FActive || FPainting || ComponentState().Contains(csDesigning)) return;
  TForm* Form = GetOwnerForm();
  if (Form && Form->FormStyle() == fsMDIForm) {
    if (Form->HandleAllocated()) {
      TRect R{};
      GetClientRect(Form->Handle(), &R);
      InvalidateRect(Form->Handle(), &R, TRUE);
    }
  } else if (auto* Control = dynamic_cast<TControl*>(OwnerComponent())) {
    Control->Invalidate();
  }
}

void TlxFormBackground::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = true;
  Refresh();
  FActive = Value;
}

void TlxFormBackground::SetGradientColor1(TColor Value) {
  if (Value == FGradientColor1) return;
  FGradientColor1 = Value;
  Refresh();
}

void TlxFormBackground::SetGradientColor2(TColor Value) {
  if (Value == FGradientColor2) return;
  FGradientColor2 = Value;
  Refresh();
}

void TlxFormBackground::SetGradientDirection(TlxGradientDirection Value) {
  if (Value == FGradientDirection) return;
  FGradientDirection = Value;
  Refresh();
}

void TlxFormBackground::SetKind(TlxBackgroundKind Value) {
  FKind = Value;
  Refresh();
}

void TlxFormBackground::SetPicture(TlxPicture* Value) {
  FPicture->Assign(Value);
  Refresh();
}

void TlxFormBackground::SetPictureStyle(TlxBackgroundPictureStyle Value) {
  if (Value == FPictureStyle) return;
  FPictureStyle = Value;
  Refresh();
}

VD_DEFINE_CLASS(TlxFormBackground) {
  C.Property("Active", &TlxFormBackground::FActive, &TlxFormBackground::SetActive).Default(true);
  C.Property("GradientColor1", &TlxFormBackground::FGradientColor1, &TlxFormBackground::SetGradientColor1)
      .Type(ColorTypeInfo())
      .Default(clBlue);
  C.Property("GradientColor2", &TlxFormBackground::FGradientColor2, &TlxFormBackground::SetGradientColor2)
      .Type(ColorTypeInfo())
      .Default(clBlack);
  C.Property("GradientDirection", &TlxFormBackground::FGradientDirection, &TlxFormBackground::SetGradientDirection)
      .Default(gdVertical);
  C.Property("Kind", &TlxFormBackground::FKind, &TlxFormBackground::SetKind).Default(bkPicture);
  C.Property("Picture", &TlxFormBackground::FPicture, &TlxFormBackground::SetPicture);
  C.Property("PictureStyle", &TlxFormBackground::FPictureStyle, &TlxFormBackground::SetPictureStyle)
      .Default(bsTile);
}
