#include "classlib/StdCtrls.h"

#include "classlib/Forms.h"
#include "classlib/ControlsPublish.h"
#include "classlib/TypInfo.h"

namespace {
// Selects a font into a DC for one drawing call.
class TSelectedFont {
public:
  TSelectedFont(HDC DC, HFONT Font) : FDC(DC), FOld(SelectObject(DC, Font)) {}
  ~TSelectedFont() { SelectObject(FDC, FOld); }
  TSelectedFont(const TSelectedFont&) = delete;
  TSelectedFont& operator=(const TSelectedFont&) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// The height of a line of Font's text on the screen.
int ScreenTextHeight(TFont* Font) {
  HDC DC = GetDC(nullptr);
  TEXTMETRICA Metrics{};
  {
    TSelectedFont Selected(DC, Font->Handle());
    GetTextMetricsA(DC, &Metrics);
  }
  ReleaseDC(nullptr, DC);
  return Metrics.tmHeight;
}

}  // namespace

using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TStdCtrlsRegistration {
  TStdCtrlsRegistration() {
    RegisterClasses({ClassOf<TLabel>(), ClassOf<TEdit>(), ClassOf<TGroupBox>(), ClassOf<TButton>(),
                     ClassOf<TCheckBox>()});
  }
} const g_StdCtrlsClasses;
}  // namespace

// ---- TCustomLabel -------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csReplicatable, csDoubleClicks};
  StoreBounds(0, 0, 65, 17);
}

UINT TCustomLabel::DrawTextFlags() const {
  UINT Flags = DT_EXPANDTABS;
  if (FWordWrap) Flags |= DT_WORDBREAK;
  if (FAlignment == taRightJustify) Flags |= DT_RIGHT;
  else if (FAlignment == taCenter) Flags |= DT_CENTER;
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  return Flags;
}

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  std::string Text = GetLabelText();
  bool Measure = (Flags & DT_CALCRECT) != 0;
  if (Measure && (Text.empty() || (FShowAccelChar && Text == "&"))) Text += ' ';
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  HDC DC = Canvas()->Handle();
  TSelectedFont Selected(DC, Font()->Handle());
  int OldMode = SetBkMode(DC, TRANSPARENT);
  auto Draw = [&](TRect& R) { DrawTextA(DC, Text.c_str(), -1, &R, Flags); };
  if (Measure || Enabled()) {
    SetTextColor(DC, ColorToRGB(Font()->Color()));
    Draw(Rect);
  } else {
    TRect Shifted = Rect;
    OffsetRect(&Shifted, 1, 1);
    SetTextColor(DC, ColorToRGB(clBtnHighlight));
    Draw(Shifted);
    SetTextColor(DC, ColorToRGB(clBtnShadow));
    Draw(Rect);
  }
  SetBkMode(DC, OldMode);
}

void TCustomLabel::Paint() {
  TRect R = ClientRect();
  if (!Transparent()) {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(R);
  }
  UINT Flags = DrawTextFlags();
  if (FLayout != tlTop) {
    TRect Measured = R;
    DoDrawText(Measured, Flags | DT_CALCRECT);
    int TextHeight = Measured.bottom - Measured.top;
    int Room = R.bottom - R.top - TextHeight;
    R.top += FLayout == tlBottom ? Room : Room / 2;
  }
  DoDrawText(R, Flags);
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
    return;
  HDC DC = GetDC(nullptr);
  Canvas()->SetHandle(DC);
  TRect R = ClientRect();
  try {
    DoDrawText(R, DrawTextFlags() | DT_CALCRECT);
  } catch (...) {
    Canvas()->SetHandle(nullptr);
    ReleaseDC(nullptr, DC);
    throw;
  }
  Canvas()->SetHandle(nullptr);
  ReleaseDC(nullptr, DC);
  int X = Left();
  int W = R.right - R.left;
  if (FAlignment == taRightJustify) X += Width() - W;
  SetBounds(X, Top(), W, R.bottom - R.top);
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustBounds();
      Invalidate();
      return;
  }
  TGraphicControl::Dispatch(Message);
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

// ---- TCustomEdit --------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  StoreBounds(0, 0, 121, 21);
  FParentColor = false;
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  HWND Wnd = Handle();
  SendMessageA(Wnd, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  SendMessageA(Wnd, EM_SETMODIFY, FModified, 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetMaxLength(int Value) {
  if (FMaxLength == Value) return;
  FMaxLength = Value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  UpdateStyleBits(0, WS_EX_CLIENTEDGE);
}

bool TCustomEdit::Modified() {
  if (HandleAllocated()) return SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETMODIFY, Value, 0);
}

int TCustomEdit::SelStart() {
  DWORD Start = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), 0);
  return static_cast<int>(Start);
}

void TCustomEdit::SetSelStart(int Value) { SendMessageA(Handle(), EM_SETSEL, Value, Value); }

int TCustomEdit::SelLength() {
  DWORD Start = 0, End = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
  return static_cast<int>(End - Start);
}

void TCustomEdit::SetSelLength(int Value) {
  int Start = SelStart();
  SendMessageA(Handle(), EM_SETSEL, Start, Start + Value);
}

void TCustomEdit::SelectAll() { SendMessageA(Handle(), EM_SETSEL, 0, -1); }

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE) Change();
      return;
    case CM_TEXTCHANGED:
      // With a window, EN_CHANGE reports the change.
      if (!HandleAllocated()) Change();
      return;
    case WM_SETFOCUS:
      TWinControl::Dispatch(Message);
      if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCustomGroupBox ----------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csOpaque, csDoubleClicks, csReplicatable};
  StoreBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  Rect.top += ScreenTextHeight(Font());
  InflateRect(&Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* Cv = Canvas();
  HDC DC = Cv->Handle();
  TRect R = ClientRect();
  if (FControlStyle.Contains(csOpaque)) {
    Cv->Brush()->SetColor(Color());
    Cv->Brush()->SetStyle(bsSolid);
    Cv->FillRect(R);
  }
  std::string Text = GetText();
  TSelectedFont Selected(DC, Font()->Handle());
  TEXTMETRICA Metrics{};
  GetTextMetricsA(DC, &Metrics);
  TRect TextRect = Rect(8, 0, 8, Metrics.tmHeight);
  if (!Text.empty()) {
    DrawTextA(DC, Text.c_str(), -1, &TextRect, DT_SINGLELINE | DT_CALCRECT);
    TextRect.right += 2;  // a little room on both sides of the caption
    OffsetRect(&TextRect, -1, 0);
  }
  // The frame leaves out the caption's place so nothing needs to be painted over it.
  int Saved = SaveDC(DC);
  if (!Text.empty()) ExcludeClipRect(DC, TextRect.left, TextRect.top, TextRect.right, TextRect.bottom);
  TRect Frame = Rect(0, Metrics.tmHeight / 2 - 1, R.right, R.bottom);
  DrawEdge(DC, &Frame, EDGE_ETCHED, BF_RECT);
  RestoreDC(DC, Saved);
  if (!Text.empty()) {
    int OldMode = SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    TRect Caption = TextRect;
    OffsetRect(&Caption, 1, 0);
    DrawTextA(DC, Text.c_str(), -1, &Caption, DT_SINGLELINE | DT_LEFT);
    SetBkMode(DC, OldMode);
  }
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      Realign();
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TButton ------------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
  StoreBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (FModalResult != mrNone)
    if (TCustomForm* Form = GetParentForm(this)) Form->SetModalResult(FModalResult);
  TWinControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) Click();
    return;
  }
  if (Message.Msg == CM_DIALOGKEY && CanFocus()) {
    // Enter presses the focused button, or the default one when no other button has the focus;
    // Escape the cancel button.
    auto* Focused = dynamic_cast<TButton*>(FindControl(GetFocus()));
    bool Enter = Message.WParam == VK_RETURN && (Focused == this || (FDefault && !Focused));
    if (Enter || (Message.WParam == VK_ESCAPE && FCancel)) {
      Click();
      Message.Result = 1;
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---- TCheckBox ----------------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
  StoreBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCheckBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_3STATE;
}

void TCheckBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(Value), 0);
  Click();
}

void TCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) {
      switch (FState) {
        case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
      }
    }
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TCustomLabel) {}

VD_DEFINE_CLASS(TLabel) {
  PublishControl(C, clBtnFace, true);
  C.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
  C.Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
  C.Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
  C.Property("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop);
  C.Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
  C.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
  C.Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
}

VD_DEFINE_CLASS(TCustomEdit) {}

VD_DEFINE_CLASS(TEdit) {
  PublishControl(C, clWindow, false);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect).Default(true);
  C.Property("BorderStyle", &TEdit::BorderStyle, &TEdit::SetBorderStyle)
      .Type(BorderStyleTypeInfo())
      .Default(bsSingle);
  C.Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0);
  C.Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false);
  C.Property("Text", &TEdit::Text, &TEdit::SetText);
  C.Property("OnChange", &TEdit::OnChange, &TEdit::OnChange);
  // An edit box shows Text; it has no caption of its own.
  C.Property("Caption").Stored(false);
}

VD_DEFINE_CLASS(TCustomGroupBox) {}

VD_DEFINE_CLASS(TGroupBox) {
  PublishControl(C, clBtnFace, true);
  PublishWinControl(C, false);
  PublishKeyEvents(C);
}

VD_DEFINE_CLASS(TButton) {
  PublishControl(C, clBtnFace, true);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  C.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  C.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

VD_DEFINE_CLASS(TCheckBox) {
  PublishControl(C, clBtnFace, true);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).Default(false);
  C.Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false);
  C.Property("State", &TCheckBox::State, &TCheckBox::SetState).Default(cbUnchecked);
}
