#include "lx/lxLabels.h"

#include <atomic>
#include <vector>

#include "classlib/ControlsPublish.h"
#include "classlib/Forms.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "lx/lxGdiHandles.h"
#include "lx/lxGraphics.h"
#include "lx/lxUtils.h"

using namespace controls_publish;

namespace {
std::atomic<lxlabels_detail::TSetTimerFunc> g_SetTimer{&SetTimer};

constexpr UINT_PTR kBlinkTimer = 1;
constexpr UINT kPathEllipsis = DT_PATH_ELLIPSIS | DT_MODIFYSTRING;  // 0x14000
constexpr UINT kEndEllipsis = DT_END_ELLIPSIS | DT_MODIFYSTRING;    // 0x18000

// Registered for form resources.
struct TLabelsRegistration {
  TLabelsRegistration() { RegisterClasses({ClassOf<TlxLabel>(), ClassOf<TlxURLLabel>()}); }
} const g_LabelsRegistration;
}  // namespace

namespace lxlabels_detail {
TSetTimerFunc SetSetTimerFunc(TSetTimerFunc Func) noexcept { return g_SetTimer.exchange(Func ? Func : &SetTimer); }
}  // namespace lxlabels_detail

// ---- TlxStyleFont -------------------------------------------------------------------------------

void TlxStyleFont::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TlxStyleFont*>(Source)) {
    FColor = S->FColor;
    FStyle = S->FStyle;
    FUsed = S->FUsed;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TlxStyleFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TlxStyleFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TlxStyleFont::SetUsed(bool Value) {
  if (Value == FUsed) return;
  FUsed = Value;
  Changed();
}

// ---- TlxBaseLabel -------------------------------------------------------------------------------

TlxBaseLabel::TlxBaseLabel(TComponent* AOwner) : TCustomLabel(AOwner), FBitmap(TBitmap::Create()) {
  EnsureUnitsStarted();  // the library cursors (the link cursor) are in Screen's table from here on
}

TlxBaseLabel::~TlxBaseLabel() { FBitmap->Free(); }

void TlxBaseLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TlxBaseLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      TCustomLabel::Dispatch(Message);
      MouseEnter();
      return;
    case CM_MOUSELEAVE:
      TCustomLabel::Dispatch(Message);
      MouseLeave();
      return;
  }
  TCustomLabel::Dispatch(Message);
}

void TlxBaseLabel::MouseEnter() {
  FMouseInside = true;
  OnMouseEnter(this);
}

void TlxBaseLabel::MouseLeave() {
  FMouseInside = false;
  OnMouseLeave(this);
}

// ---- TlxLabelEffect -----------------------------------------------------------------------------

POINT EffectStep(TlxLabelEffectDirection Direction) noexcept {
  static constexpr POINT kSteps[] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  return kSteps[Direction];
}

TlxLabelEffect::TlxLabelEffect(TComponent* AOwner) : TlxAddon(AOwner) { SetEnabled(true); }

void TlxLabelEffect::Changed() {
  if (auto* Label = dynamic_cast<TControl*>(Owner())) Label->Invalidate();
}

void TlxLabelEffect::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TlxLabelEffect::SetColorHover(TColor Value) {
  if (Value == FColorHover) return;
  FColorHover = Value;
  Changed();
}

void TlxLabelEffect::SetColorClick(TColor Value) {
  if (Value == FColorClick) return;
  FColorClick = Value;
  Changed();
}

void TlxLabelEffect::SetDepth(uint8_t Value) {
  if (Value == FDepth) return;
  FDepth = Value;
  Changed();
}

void TlxLabelEffect::SetDirection(TlxLabelEffectDirection Value) {
  if (Value == FDirection) return;
  FDirection = Value;
  Changed();
}

// ---- TlxLabelBlinking ---------------------------------------------------------------------------

TlxLabelBlinking::~TlxLabelBlinking() {
  if (FWindow) {
    KillTimer(FWindow, kBlinkTimer);
    DeallocateHWnd(FWindow);
  }
}

void TlxLabelBlinking::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  UpdateTimer();
}

void TlxLabelBlinking::SetBlinksCount(unsigned Value) {
  if (Value == FBlinksCount) return;
  FBlinksCount = Value;
  UpdateTimer();
}

void TlxLabelBlinking::SetDelayBetweenBlinking(unsigned Value) {
  if (Value == FDelayBetweenBlinking) return;
  FDelayBetweenBlinking = Value;
  UpdateTimer();
}

void TlxLabelBlinking::SetDelayVisible(unsigned Value) {
  if (Value == FDelayVisible) return;
  FDelayVisible = Value;
  UpdateTimer();
}

void TlxLabelBlinking::SetDelayInvisible(unsigned Value) {
  if (Value == FDelayInvisible) return;
  FDelayInvisible = Value;
  UpdateTimer();
}

void TlxLabelBlinking::UpdateTimer() {
  if (FWindow) KillTimer(FWindow, kBlinkTimer);
  if (!FActive || FDelayVisible == 0 || FDelayInvisible == 0) {
    SetShown(true);
    return;
  }
  if (!FWindow) FWindow = AllocateHWnd(TWndMethod::Bind<&TlxLabelBlinking::WndProc>(this));
  UINT Delay = FShown ? FDelayVisible : FDelayInvisible;
  if (!g_SetTimer.load()(FWindow, kBlinkTimer, Delay, nullptr)) {
    SetShown(true);
    throw EOutOfResources("Not enough timers available");
  }
}

void TlxLabelBlinking::SetShown(bool Value) {
  if (Value == FShown) return;
  FShown = Value;
  if (Value) {
    FLabel->OnShowBlink(this);
    SetBlinkCounter(FShowCount + 1);
  } else {
    FLabel->OnHideBlink(this);
  }
  FLabel->Invalidate();
}

void TlxLabelBlinking::SetBlinkCounter(unsigned Value) {
  if (Value == FShowCount) return;
  FShowCount = Value;
  if (FBlinksCount != 0 && Value >= FBlinksCount) UpdateTimer();
}

void TlxLabelBlinking::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == kBlinkTimer) {
        try {
          SetShown(!FShown);
          UpdateTimer();
        } catch (...) {
          Application->HandleException(this);
        }
      }
      return;
    case WM_QUERYENDSESSION:
      Message.Result = 1;
      return;
  }
  Message.Result = DefWindowProcA(MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
}

// ---- TlxLabel -----------------------------------------------------------------------------------

TlxLabel::TlxLabel(TComponent* AOwner)
    : TlxBaseLabel(AOwner),
      FShadow(TlxLabelEffect::Create(this)),
      FHighlight(TlxLabelEffect::Create(this)),
      FBlinking(TlxLabelBlinking::Create(this)),
      FFontHover(TlxStyleFont::Create()),
      FFontClick(TlxStyleFont::Create()) {
  FHighlight->SetDirection(edUpLeft);
  FHighlight->SetColors(clHighlightText);
  FShadow->SetDirection(edDownRight);
  FShadow->SetColors(clGrayText);
}

TlxLabel::~TlxLabel() {
  FShadow->Free();
  FHighlight->Free();
  FBlinking->Free();
  FFontHover->Free();
  FFontClick->Free();
}

void TlxLabel::SetBlinking(TlxLabelBlinking* Value) {
  FBlinking->SetDelayVisible(Value->DelayVisible());
  FBlinking->SetDelayInvisible(Value->DelayInvisible());
  FBlinking->SetDelayBetweenBlinking(Value->DelayBetweenBlinking());
  FBlinking->SetBlinksCount(Value->BlinksCount());
  FBlinking->SetActive(Value->Active());
}

void TlxLabel::SetHighlight(TlxLabelEffect* Value) { FHighlight->Assign(Value); }
void TlxLabel::SetShadow(TlxLabelEffect* Value) { FShadow->Assign(Value); }

void TlxLabel::SetOptions(TlxLabelOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  Invalidate();
}

void TlxLabel::DoDrawText(TRect& Rect, UINT Flags) {
  if (!Enabled()) {
    TCustomLabel::DoDrawText(Rect, Flags);
    return;
  }
  if (!Parent()) return;
  Rect = ClientRect();
  bool Measuring = (Flags & DT_CALCRECT) != 0;
  TBitmap* Bitmap = OffscreenBitmap();
  if (!Measuring) {
    Bitmap->SetSize(Rect.right - Rect.left, Rect.bottom - Rect.top);
    if (Bitmap->Empty()) return;
    BitBlt(Bitmap->Canvas()->Handle(), 0, 0, Bitmap->Width(), Bitmap->Height(), Canvas()->Handle(), Rect.left,
           Rect.top, SRCCOPY);
    if (!Transparent()) FillSolidRect(Bitmap->Canvas()->Handle(), Rect, Color());
  }
  if (FBlinking->Shown()) {
    Bitmap->Canvas()->Brush()->SetStyle(bsClear);
    Flags |= DT_EXPANDTABS;
    if (WordWrap()) Flags |= DT_WORDBREAK;
    if (Alignment() == taRightJustify) Flags |= DT_RIGHT;
    else if (Alignment() == taCenter) Flags |= DT_CENTER;
    if (FOptions.Contains(loPathEllipsis)) Flags |= kPathEllipsis;
    if (FOptions.Contains(loEndEllipsis)) Flags |= kEndEllipsis;
    if (FOptions.Contains(loEditControl)) Flags |= DT_EDITCONTROL;
    auto DrawEffect = [&](TlxLabelEffect* Effect, TLayer Layer) {
      if (!Effect->Enabled()) return;
      POINT Step = EffectStep(Effect->Direction());
      int DX = Step.x * Effect->Depth(), DY = Step.y * Effect->Depth();
      OffsetRect(&Rect, DX, DY);
      DrawTextLayer(Layer, Rect, Flags);
      OffsetRect(&Rect, -DX, -DY);
    };
    DrawEffect(FShadow, TLayer::Shadow);
    DrawEffect(FHighlight, TLayer::Highlight);
    DrawTextLayer(TLayer::Text, Rect, Flags);
  }
  if (!Measuring) {
    BitBlt(Canvas()->Handle(), 0, 0, Bitmap->Width(), Bitmap->Height(), Bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
  }
}

void TlxLabel::DrawTextLayer(TLayer Layer, TRect& Rect, UINT Flags) {
  std::string Text = GetLabelText();
  if ((Flags & DT_CALCRECT) && (Text.empty() || (ShowAccelChar() && Text == "&"))) Text += ' ';
  TCanvas* Target = OffscreenBitmap()->Canvas();
  Target->Font()->Assign(Font());
  auto Pick = [&](TColor ForText, TColor ForHighlight, TColor ForShadow) {
    return Layer == TLayer::Text ? ForText : Layer == TLayer::Highlight ? ForHighlight : ForShadow;
  };
  TColor LayerColor;
  if (FPressed && FFontClick->Used()) {
    Target->Font()->SetStyle(FFontClick->Style());
    LayerColor = Pick(FFontClick->Color(), FHighlight->ColorClick(), FShadow->ColorClick());
  } else if (MouseInside() && FFontHover->Used()) {
    Target->Font()->SetStyle(FFontHover->Style());
    LayerColor = Pick(FFontHover->Color(), FHighlight->ColorHover(), FShadow->ColorHover());
  } else {
    LayerColor = Pick(Font()->Color(), FHighlight->Color(), FShadow->Color());
  }
  Target->Font()->SetColor(LayerColor);
  if (!ShowAccelChar()) Flags |= DT_NOPREFIX;
  // The ellipsis options let DrawTextExA write the shortened text back into the buffer, up to
  // four characters past its end: it gets a copy with room for that, and the caption stays.
  std::vector<char> Buffer(Text.begin(), Text.end());
  Buffer.resize(Text.size() + 5, '\0');
  HDC DC = Target->Handle();
  lxgdi::TSelection Selected(DC, Target->Font()->Handle());
  int OldMode = SetBkMode(DC, TRANSPARENT);
  COLORREF OldColor = SetTextColor(DC, ColorToRGB(LayerColor));
  DrawTextExA(DC, Buffer.data(), static_cast<int>(Text.size()), &Rect, Flags, nullptr);
  SetTextColor(DC, OldColor);
  SetBkMode(DC, OldMode);
}

void TlxLabel::MouseEnter() {
  TlxBaseLabel::MouseEnter();
  HoverChanged();
}

void TlxLabel::MouseLeave() {
  TlxBaseLabel::MouseLeave();
  HoverChanged();
}

void TlxLabel::HoverChanged() {
  if (!FFontHover->Used() || FPressed) return;
  if (Font()->Color() != FFontHover->Color() || Font()->Style() != FFontHover->Style()) Invalidate();
}

void TlxLabel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TlxBaseLabel::MouseDown(Button, Shift, X, Y);
  SetPressed(true);
}

void TlxLabel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TlxBaseLabel::MouseUp(Button, Shift, X, Y);
  SetPressed(false);
}

void TlxLabel::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  if (Value && FCursorClick != Cursor()) ::SetCursor(Screen->Cursors(FCursorClick));
  if (FFontClick->Used() &&
      (FFontHover->Color() != FFontClick->Color() || FFontHover->Style() != FFontClick->Style()))
    Invalidate();
}

// ---- TlxEmailParams / TlxURLLabel ---------------------------------------------------------------

void TlxEmailParams::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TlxEmailParams*>(Source)) {
    Address = S->Address;
    Name = S->Name;
    CarbonCopy = S->CarbonCopy;
    BlindCarbonCopy = S->BlindCarbonCopy;
    Subject = S->Subject;
    Message = S->Message;
    return;
  }
  inherited::Assign(Source);
}

TlxURLLabel::TlxURLLabel(TComponent* AOwner) : TlxLabel(AOwner), FEmail(TlxEmailParams::Create()) {
  Font()->SetColor(clBlue);
  Font()->SetStyle(TFontStyles{fsUnderline});
  FontHover()->SetColor(clRed);
  FontHover()->SetStyle(TFontStyles{fsUnderline});
  FontHover()->SetUsed(true);
  FontClick()->SetColor(clRed);
  FontClick()->SetStyle(TFontStyles{fsUnderline});
  Highlight()->SetEnabled(false);
  Shadow()->SetEnabled(false);
  SetCursor(crLinkSelect);
  SetCursorClick(crLinkSelect);
}

TlxURLLabel::~TlxURLLabel() { FEmail->Free(); }

void TlxURLLabel::Click() {
  TlxLabel::Click();
  OpenLink();
}

void TlxURLLabel::OpenLink() {
  if (FKind == ukWWW) {
    OpenURL(FURL.empty() ? Caption() : FURL, FURLInNewWindow, SW_SHOWNORMAL);
  } else {
    SendMail(FEmail->Address.empty() ? Caption() : FEmail->Address, FEmail->Name, FEmail->Subject,
             FEmail->Message, FEmail->CarbonCopy, FEmail->BlindCarbonCopy);
  }
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxStyleFont) {
  C.Property("Color", &TlxStyleFont::FColor, &TlxStyleFont::SetColor).Type(ColorTypeInfo()).Default(clWindowText);
  C.Property("Style", &TlxStyleFont::FStyle, &TlxStyleFont::SetStyle).Default(TFontStyles{});
  C.Property("Used", &TlxStyleFont::FUsed, &TlxStyleFont::SetUsed).Default(false);
}

VD_DEFINE_CLASS(TlxBaseLabel) {
  PublishControl(C, clBtnFace, true);
  C.Property("About", &TlxBaseLabel::About, &TlxBaseLabel::SetAbout).Stored(false);
  C.Property("Alignment", &TlxBaseLabel::Alignment, &TlxBaseLabel::SetAlignment).Default(taLeftJustify);
  C.Property("FocusControl", &TlxBaseLabel::FocusControl, &TlxBaseLabel::SetFocusControl);
  C.Property("ShowAccelChar", &TlxBaseLabel::ShowAccelChar, &TlxBaseLabel::SetShowAccelChar).Default(true);
  C.Property("Transparent", &TlxBaseLabel::Transparent, &TlxBaseLabel::SetTransparent).Default(false);
  C.Property("WordWrap", &TlxBaseLabel::FWordWrap, &TlxBaseLabel::SetWordWrap).Default(false);
  C.Property("OnMouseEnter", &TlxBaseLabel::OnMouseEnter, &TlxBaseLabel::OnMouseEnter);
  C.Property("OnMouseLeave", &TlxBaseLabel::OnMouseLeave, &TlxBaseLabel::OnMouseLeave);
}

VD_DEFINE_CLASS(TlxLabelEffect) {
  C.Property("Enabled").Default(true);
  C.Property("Color", &TlxLabelEffect::FColor, &TlxLabelEffect::SetColor).Type(ColorTypeInfo());
  C.Property("ColorHover", &TlxLabelEffect::FColorHover, &TlxLabelEffect::SetColorHover).Type(ColorTypeInfo());
  C.Property("ColorClick", &TlxLabelEffect::FColorClick, &TlxLabelEffect::SetColorClick).Type(ColorTypeInfo());
  C.Property("Depth", &TlxLabelEffect::FDepth, &TlxLabelEffect::SetDepth).Default(1);
  C.Property("Direction", &TlxLabelEffect::FDirection, &TlxLabelEffect::SetDirection);
}

VD_DEFINE_CLASS(TlxLabelBlinking) {
  C.Property("Active", &TlxLabelBlinking::FActive, &TlxLabelBlinking::SetActive).Default(false);
  C.Property("BlinksCount", &TlxLabelBlinking::FBlinksCount, &TlxLabelBlinking::SetBlinksCount).Default(0);
  C.Property("DelayBetweenBlinking", &TlxLabelBlinking::FDelayBetweenBlinking,
             &TlxLabelBlinking::SetDelayBetweenBlinking)
      .Default(120000);
  C.Property("DelayInvisible", &TlxLabelBlinking::FDelayInvisible, &TlxLabelBlinking::SetDelayInvisible)
      .Default(400);
  C.Property("DelayVisible", &TlxLabelBlinking::FDelayVisible, &TlxLabelBlinking::SetDelayVisible).Default(700);
}

VD_DEFINE_CLASS(TlxLabel) {
  C.Property("AutoSize", &TlxLabel::AutoSize, &TlxLabel::SetAutoSize).Default(true);
  C.Property("Blinking", &TlxLabel::FBlinking, &TlxLabel::SetBlinking);
  C.Property("CursorClick", &TlxLabel::FCursorClick, &TlxLabel::SetCursorClick)
      .Type(CursorTypeInfo())
      .Default(crDefault);
  C.Property("FontClick", &TlxLabel::FFontClick, &TlxLabel::SetFontClick);
  C.Property("FontHover", &TlxLabel::FFontHover, &TlxLabel::SetFontHover);
  C.Property("Highlight", &TlxLabel::FHighlight, &TlxLabel::SetHighlight);
  C.Property("Shadow", &TlxLabel::FShadow, &TlxLabel::SetShadow);
  C.Property("Options", &TlxLabel::FOptions, &TlxLabel::SetOptions).Default(TlxLabelOptions{});
  C.Property("OnStartBlinking", &TlxLabel::OnStartBlinking, &TlxLabel::OnStartBlinking);
  C.Property("OnStopBlinking", &TlxLabel::OnStopBlinking, &TlxLabel::OnStopBlinking);
  C.Property("OnShowBlink", &TlxLabel::OnShowBlink, &TlxLabel::OnShowBlink);
  C.Property("OnHideBlink", &TlxLabel::OnHideBlink, &TlxLabel::OnHideBlink);
}

VD_DEFINE_CLASS(TlxEmailParams) {
  C.Property("Address", &TlxEmailParams::Address, &TlxEmailParams::Address);
  C.Property("BlindCarbonCopy", &TlxEmailParams::BlindCarbonCopy, &TlxEmailParams::BlindCarbonCopy);
  C.Property("CarbonCopy", &TlxEmailParams::CarbonCopy, &TlxEmailParams::CarbonCopy);
  C.Property("Message", &TlxEmailParams::Message, &TlxEmailParams::Message);
  C.Property("Name", &TlxEmailParams::Name, &TlxEmailParams::Name);
  C.Property("Subject", &TlxEmailParams::Subject, &TlxEmailParams::Subject);
}

VD_DEFINE_CLASS(TlxURLLabel) {
  C.Property("CursorClick").Default(crLinkSelect);
  C.Property("Email", &TlxURLLabel::FEmail, &TlxURLLabel::SetEmail);
  C.Property("Kind", &TlxURLLabel::FKind, &TlxURLLabel::SetKind).Default(ukWWW);
  C.Property("URL", &TlxURLLabel::FURL, &TlxURLLabel::SetURL);
  C.Property("URLInNewWindow", &TlxURLLabel::FURLInNewWindow, &TlxURLLabel::SetURLInNewWindow).Default(true);
}
