#include "classlib/ExtCtrls.h"

#include "classlib/ControlsPublish.h"
#include "classlib/Forms.h"
#include "classlib/TypInfo.h"

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TExtCtrlsRegistration {
  TExtCtrlsRegistration() { RegisterClasses({ClassOf<TTimer>(), ClassOf<TPanel>(), ClassOf<TBevel>()}); }
} const g_ExtCtrlsClasses;
}  // namespace

namespace extctrls_detail {
TSetTimerFunc SetTimerFunc = &::SetTimer;
}

// ---- TTimer -------------------------------------------------------------------------------------

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd(TWndMethod::Bind<&TTimer::WndProc>(this));
}

void TTimer::BeforeDestruction() {
  FEnabled = false;
  if (FWindow) {
    KillTimer(FWindow, 1);
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
  inherited::BeforeDestruction();
}

void TTimer::UpdateTimer() {
  if (!FWindow) return;
  KillTimer(FWindow, 1);
  if (FInterval != 0 && FEnabled && FOnTimer)
    if (!extctrls_detail::SetTimerFunc(FWindow, 1, FInterval, nullptr))
      throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Timer() { FOnTimer(this); }

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      Application->HandleException(this);
    }
    return;
  }
  Message.Result = DefWindowProcA(MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
}

// ---- TCustomPanel -------------------------------------------------------------------------------

namespace {
// Draws Width rings of a bevel inside R and shrinks R by them.
void Frame3D(HDC DC, TRect& R, TColor TopLeft, TColor BottomRight, int Width) {
  HBRUSH Light = CreateSolidBrush(ColorToRGB(TopLeft));
  HBRUSH Dark = CreateSolidBrush(ColorToRGB(BottomRight));
  for (int I = 0; I < Width; ++I) {
    TRect Top = Rect(R.left, R.top, R.right - 1, R.top + 1);
    TRect Left = Rect(R.left, R.top, R.left + 1, R.bottom - 1);
    TRect Bottom = Rect(R.left, R.bottom - 1, R.right, R.bottom);
    TRect Right = Rect(R.right - 1, R.top, R.right, R.bottom);
    FillRect(DC, &Top, Light);
    FillRect(DC, &Left, Light);
    FillRect(DC, &Bottom, Dark);
    FillRect(DC, &Right, Dark);
    InflateRect(&R, -1, -1);
  }
  DeleteObject(Light);
  DeleteObject(Dark);
}

void BevelColors(TBevelCut Cut, TColor& TopLeft, TColor& BottomRight) {
  TopLeft = Cut == bvLowered ? clBtnShadow : Cut == bvRaised ? clBtnHighlight : clBtnFace;
  BottomRight = Cut == bvLowered ? clBtnHighlight : Cut == bvRaised ? clBtnShadow : clBtnFace;
}
}  // namespace

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csOpaque, csDoubleClicks, csReplicatable};
  StoreBounds(0, 0, 185, 41);
  FColor = clBtnFace;
  FParentColor = false;
  Brush()->SetColor(FColor);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomPanel::Changed() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  Changed();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  if (FBevelWidth == Value || Value < 1) return;
  FBevelWidth = Value;
  Changed();
}

void TCustomPanel::SetBorderWidth(int Value) {
  if (FBorderWidth == Value || Value < 0) return;
  FBorderWidth = Value;
  Changed();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  UpdateStyleBits(0, WS_EX_CLIENTEDGE);
  Realign();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  int Inset = FBorderWidth;
  if (FBevelOuter != bvNone) Inset += FBevelWidth;
  if (FBevelInner != bvNone) Inset += FBevelWidth;
  InflateRect(&Rect, -Inset, -Inset);
}

void TCustomPanel::Paint() {
  TCanvas* Cv = Canvas();
  HDC DC = Cv->Handle();
  TRect R = ClientRect();
  if (FControlStyle.Contains(csOpaque)) {
    Cv->Brush()->SetColor(Color());
    Cv->Brush()->SetStyle(bsSolid);
    Cv->FillRect(R);
  }
  TColor TopLeft, BottomRight;
  if (FBevelOuter != bvNone) {
    BevelColors(FBevelOuter, TopLeft, BottomRight);
    Frame3D(DC, R, TopLeft, BottomRight, FBevelWidth);
  }
  InflateRect(&R, -FBorderWidth, -FBorderWidth);
  if (FBevelInner != bvNone) {
    BevelColors(FBevelInner, TopLeft, BottomRight);
    Frame3D(DC, R, TopLeft, BottomRight, FBevelWidth);
  }
  std::string Text = GetText();
  if (Text.empty()) return;
  HGDIOBJ OldFont = SelectObject(DC, Font()->Handle());
  int OldMode = SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
  UINT Flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS |
               (FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER);
  DrawTextA(DC, Text.c_str(), -1, &R, Flags);
  SetBkMode(DC, OldMode);
  SelectObject(DC, OldFont);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    Invalidate();
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TTimer) {
  C.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  C.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000u);
  C.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

VD_DEFINE_CLASS(TCustomPanel) {}

VD_DEFINE_CLASS(TPanel) {
  controls_publish::PublishControl(C, clBtnFace, false);
  controls_publish::PublishWinControl(C, false);
  C.Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
  C.Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone);
  C.Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
  C.Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
  C.Property("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle)
      .Type(BorderStyleTypeInfo())
      .Default(bsNone);
  C.Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
  C.Property("OnResize", &TPanel::OnResize, &TPanel::OnResize);
}
