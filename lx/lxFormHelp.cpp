#include "lx/lxFormHelp.h"

#include <algorithm>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/UnitInit.h"
#include "lx/lxGdiHandles.h"
#include "lx/lxPropUtils.h"
#include "lx/lxRichTextUtils.h"
#include "lx/lxUtils.h"

namespace {

// The right-click help and the popup of one thread.
thread_local HHOOK t_Hook = nullptr;
thread_local TlxFormHelp* t_HookOwner = nullptr;
thread_local THelpWindow* t_Popup = nullptr;

UINT_PTR WINAPI SystemSetTimer(HWND Wnd, UINT_PTR Id, UINT Elapse, TIMERPROC Func) {
  return SetTimer(Wnd, Id, Elapse, Func);
}
lxformhelp_detail::TSetTimerFunc g_SetTimer = &SystemSetTimer;

const TTypeInfo* PopupWidthTypeInfo() {
  static const TTypeInfo Info = MakeOrdTypeInfo(tkInteger, "TlxFormHelpPopupWidth", 40, 1000);
  return &Info;
}

LRESULT CALLBACK HelpMouseHook(int Code, WPARAM WParam, LPARAM LParam) {
  bool Swallow = false;
  try {
    TlxFormHelp* Owner = t_HookOwner;
    if (Code == HC_ACTION && WParam == WM_RBUTTONUP && Owner && !Owner->InMenuLoop()) {
      const auto* Info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(LParam);
      Swallow = Owner->HookRightButtonUp(Info->pt);
    }
  } catch (...) {
    // Nothing of the right-click help may disturb the mouse.
  }
  LRESULT Next = CallNextHookEx(t_Hook, Code, WParam, LParam);
  // When help will be offered the control gets no button-up of its own: its own context menu (an
  // edit's) would otherwise open first and keep the What's This menu from showing.
  return Swallow ? 1 : Next;
}

void InstallMouseHook(TlxFormHelp* Owner) {
  if (t_Hook) return;
  t_HookOwner = Owner;
  t_Hook = SetWindowsHookExA(WH_MOUSE, &HelpMouseHook, nullptr, GetCurrentThreadId());
  if (t_Hook == nullptr) t_HookOwner = nullptr;
}

void RemoveMouseHook(TlxFormHelp* Owner) {
  if (t_Hook == nullptr || t_HookOwner != Owner) return;
  UnhookWindowsHookEx(t_Hook);
  t_Hook = nullptr;
  t_HookOwner = nullptr;
}

void lxFormHelpInitialize() { RegisterClass(ClassOf<TlxFormHelp>()); }
void lxFormHelpFinalize() {
  if (t_Popup) t_Popup->Close();
}
const TUnitRegistration kUnit(urLxLibrary + 70, {"lxFormHelp", &lxFormHelpInitialize, &lxFormHelpFinalize});

}  // namespace

// ---- Helpers for tests --------------------------------------------------------------------------

namespace lxformhelp_detail {

THelpWindow* CurrentPopup() noexcept { return t_Popup; }
HHOOK MouseHook() noexcept { return t_Hook; }
TlxFormHelp* MouseHookOwner() noexcept { return t_HookOwner; }

TSetTimerFunc SetPopupTimerFunc(TSetTimerFunc Func) noexcept {
  TSetTimerFunc Old = g_SetTimer;
  g_SetTimer = Func ? Func : &SystemSetTimer;
  return Old;
}

std::string StandardButtonHelp(int ModalResult, const std::string& Caption) {
  switch (ModalResult) {
    case 1: return "Closes the dialog box and saves any changes you have made.";
    case 2: return "Closes the dialog box without saving any changes you have made.";
    case 6:
      return "Closes the dialog box and confirms the question with affirmative response (i.e: allows to perform "
             "requested action).";
    case 7:
      return "Closes the dialog box without confirmation of the question. (Negative response, i.e: disallow to "
             "perform requested action.)";
  }
  if (Caption.find("Apply") != std::string::npos)
    return "Saves all the changes you have made without closing the dialog box.";
  if (Caption.find("Help") != std::string::npos) return "Click to display an overview of the dialog box.";
  return {};
}

// Every word of Text on a line of its own (a paragraph's leading blanks stay with its first word).
static std::string OneWordPerLine(const std::string& Text) {
  std::string Out;
  bool LineStart = true, InBlanks = false;
  for (char C : Text) {
    if (C == '\n' || C == '\r') {
      Out += C;
      LineStart = true;
      InBlanks = false;
    } else if (C == ' ' && !LineStart) {
      if (!InBlanks) Out += '\n';
      InBlanks = true;
    } else {
      if (C != ' ') LineStart = false;
      InBlanks = false;
      Out += C;
    }
  }
  return Out;
}

// The right end of the widest word as drawn (from MarginH on): each word on a line of its own,
// drawn in the style the tags before it leave, and once more in the base style (the style in
// which the wrapping measures a word that starts a line).
static int WidestWordEnd(const std::string& Text, TFont* Font, bool PlainText, char TagOpen, char TagClose,
                         int MarginH) {
  std::string Words = OneWordPerLine(Text);
  auto Measure = [&](const std::string& Lines) {
    TObjectPtr<TBitmap> Scratch(TBitmap::Create());
    TPoint Position = Point(0, 0), Size = Point(0, 0);
    DrawRichText(Scratch.get(), nullptr, Point(0, 0), Position, Lines, Font, clWhite, clBlack, PlainText, false,
                 false, 1, taLeftJustify, TagOpen, TagClose, MarginH, 0, false, false, false, false, Size);
    return static_cast<int>(Size.x);
  };
  int Widest = Measure(Words);
  if (!PlainText) {
    const std::string Reset = std::string(1, TagOpen) + "DEF" + TagClose;
    std::string Based = Reset;
    for (char C : Words) {
      Based += C;
      if (C == '\n') Based += Reset;
    }
    Widest = std::max(Widest, Measure(Based));
  }
  return Widest;
}

int PopupWrapWidth(const std::string& Text, TFont* Font, bool PlainText, char TagOpen, char TagClose, int WrapWidth,
                   int MarginH) {
  int Widest = WidestWordEnd(Text, Font, PlainText, TagOpen, TagClose, MarginH);
  return Widest > WrapWidth - MarginH ? Widest + MarginH : WrapWidth;
}

}  // namespace lxformhelp_detail

using namespace lxformhelp_detail;

// ---- TlxFormHelpMargins -------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxFormHelpMargins) {
  C.Property("Horizontal", &TlxFormHelpMargins::FHorizontal, &TlxFormHelpMargins::SetHorizontal).Default(11);
  C.Property("Vertical", &TlxFormHelpMargins::FVertical, &TlxFormHelpMargins::SetVertical).Default(7);
}

void TlxFormHelpMargins::Assign(TPersistent* Source) {
  if (auto* M = dynamic_cast<TlxFormHelpMargins*>(Source)) {
    FHorizontal = M->FHorizontal;
    FVertical = M->FVertical;
    return;
  }
  inherited::Assign(Source);
}

// ---- TlxWhatsThis -------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxWhatsThis) {
  C.Property("Enabled").Default(true);
  C.Property("Caption", &TlxWhatsThis::FCaption, &TlxWhatsThis::SetCaption);
  C.Property("MenuItem", &TlxWhatsThis::FMenuItem, &TlxWhatsThis::SetMenuItem);
  C.Property("ToolbarButton", &TlxWhatsThis::FToolbarButton, &TlxWhatsThis::SetToolbarButton);
}

TlxWhatsThis::TlxWhatsThis(TlxFormHelp* AOwner) : TlxAddon(AOwner), FFormHelp(AOwner) {}

void TlxWhatsThis::Changed() {
  if (IsDesigning()) return;
  if (Enabled()) {
    FFormHelp->FInMenuLoop = false;
    InstallMouseHook(FFormHelp);
  } else {
    RemoveMouseHook(FFormHelp);
  }
}

void TlxWhatsThis::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  if (HMENU Menu = FFormHelp->FWhatsThisMenu) {
    DeleteMenu(Menu, lxWhatsThisCommand, MF_BYCOMMAND);
    AppendMenuA(Menu, MF_STRING, lxWhatsThisCommand, FCaption.c_str());
  }
}

void TlxWhatsThis::SetMenuItem(TComponent* Value) {
  if (Value == FMenuItem) return;
  TComponent* Old = FMenuItem;
  FMenuItem = Value;
  FFormHelp->ReleaseLink(Old);
  if (Value) {
    Value->FreeNotification(FFormHelp);
    if (!IsDesigning()) FFormHelp->WireMenuItem();
  }
}

void TlxWhatsThis::SetToolbarButton(TComponent* Value) {
  if (Value == FToolbarButton) return;
  TComponent* Old = FToolbarButton;
  FToolbarButton = Value;
  FFormHelp->ReleaseLink(Old);
  if (Value) {
    Value->FreeNotification(FFormHelp);
    if (!IsDesigning()) FFormHelp->WireToolbarButton();
  }
}

// ---- TlxFormHelp --------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxFormHelp) {
  C.Property("CaptionButton", &TlxFormHelp::CaptionButton);
  C.Property("SystemMenu", &TlxFormHelp::SystemMenu);
  C.Property("Active", &TlxFormHelp::FActive, &TlxFormHelp::SetActive).Default(true);
  C.Property("AdjustPopupWidth", &TlxFormHelp::FAdjustPopupWidth, &TlxFormHelp::SetAdjustPopupWidth).Default(true);
  C.Property("DelayInterval", &TlxFormHelp::FDelayInterval, &TlxFormHelp::SetDelayInterval).Default(0);
  C.Property("Color", &TlxFormHelp::FColor, &TlxFormHelp::SetColor).Type(ColorTypeInfo()).Default(0x00EEFFFF);
  C.Property("Cursor", &TlxFormHelp::FPopupCursor, &TlxFormHelp::SetPopupCursor).Type(CursorTypeInfo()).Default(0);
  C.Property("CursorHelp", &TlxFormHelp::CursorHelp, &TlxFormHelp::SetCursorHelp)
      .Type(CursorTypeInfo())
      .Default(crHelp);
  C.Property("Font", &TlxFormHelp::FFont, &TlxFormHelp::SetFont).Stored(&TlxFormHelp::IsFontStored);
  C.Property("Margins", &TlxFormHelp::FMargins);
  C.Property("ParentFont", &TlxFormHelp::FParentFont, &TlxFormHelp::SetParentFont).Default(true);
  C.Property("PopupWidth", &TlxFormHelp::FPopupWidth, &TlxFormHelp::SetPopupWidth)
      .Type(PopupWidthTypeInfo())
      .Default(300);
  C.Property("ShadowColor", &TlxFormHelp::FShadowColor, &TlxFormHelp::SetShadowColor)
      .Type(ColorTypeInfo())
      .Default(0);
  C.Property("ShowShadow", &TlxFormHelp::FShowShadow, &TlxFormHelp::SetShowShadow).Default(true);
  C.Property("TextStyle", &TlxFormHelp::FTextStyle);
  C.Property("WhatsThis", &TlxFormHelp::FWhatsThis);
  C.Property("OnButtonClick", &TlxFormHelp::OnButtonClick, &TlxFormHelp::OnButtonClick);
  C.Property("OnShow", &TlxFormHelp::OnShow, &TlxFormHelp::OnShow);
  C.Property("OnHide", &TlxFormHelp::OnHide, &TlxFormHelp::OnHide);
  C.Property("OnWhatsThis", &TlxFormHelp::OnWhatsThis, &TlxFormHelp::OnWhatsThis);
}

TlxFormHelp::TlxFormHelp(TComponent* AOwner) : TlxCustomCaptionButton(AOwner) {
  SetAllowDown(true);
  SetGlyphChar('s');  // the question mark of the Marlett font
  GlyphFont()->SetName("Marlett");
  SetGlyphCharOffsetY(1);
  if (IsNTVersion()) SetGlyphCharOffsetX(1);
  SetVisible(false);
  SetHint("Help");
  SetCursorDown(crHelp);
  SystemMenu()->SetCaption("&What's This?");
  SystemMenu()->SetSeparators({seBefore});
  FFont = TFont::Create();
  if (TForm* Form = GetOwnerForm()) FFont->Assign(Form->Font());
  FFont->OnChange = MakeEvent<&TlxFormHelp::FontChanged>(this);
  FMargins = TlxFormHelpMargins::Create();
  FTextStyle = TlxTextStyle::Create(nullptr);
  FWhatsThis = TlxWhatsThis::Create(this);
}

TlxFormHelp::~TlxFormHelp() {
  FreeAndNil(FWhatsThis);
  FreeAndNil(FTextStyle);
  FreeAndNil(FMargins);
  FreeAndNil(FFont);
}

void TlxFormHelp::AfterConstruction() {
  inherited::AfterConstruction();  // hooked: the window and its system menu exist
  HMENU Menu = GetFormSystemMenu();
  int Count = Menu ? GetMenuItemCount(Menu) : 0;
  SystemMenu()->SetPosition(static_cast<uint16_t>(std::max(Count, 0)));
  if (!ComponentState().Contains(csDesigning)) {
    FWhatsThisMenu = CreatePopupMenu();
    if (FWhatsThisMenu) AppendMenuA(FWhatsThisMenu, MF_STRING, lxWhatsThisCommand, FWhatsThis->Caption().c_str());
  }
  FWhatsThis->SetEnabled(true);
}

void TlxFormHelp::BeforeDestruction() {
  if (t_Popup && t_Popup->FormHelp() == this) t_Popup->Close();
  FWhatsThis->SetEnabled(false);
  if (FWhatsThisMenu) {
    DestroyMenu(FWhatsThisMenu);
    FWhatsThisMenu = nullptr;
  }
  inherited::BeforeDestruction();
}

void TlxFormHelp::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  RefreshFont();
}

void TlxFormHelp::SetPopupWidth(uint16_t Value) noexcept { FPopupWidth = std::clamp<uint16_t>(Value, 40, 1000); }

void TlxFormHelp::FontChanged(TObject*) { FParentFont = false; }

// With ParentFont, Font takes the owner form's font (ParentFont stays set).
void TlxFormHelp::RefreshFont() {
  TForm* Form = GetOwnerForm();
  if (!FParentFont || Form == nullptr) return;
  TNotifyEvent Saved = FFont->OnChange;
  FFont->OnChange = nullptr;
  try {
    FFont->Assign(Form->Font());
  } catch (...) {
    FFont->OnChange = Saved;
    throw;
  }
  FFont->OnChange = Saved;
}

// ---- Links to other components ------------------------------------------------------------------

// Drops the free-notification link to Old unless another reference of this form help still
// needs it.
void TlxFormHelp::ReleaseLink(TComponent* Old) {
  if (Old == nullptr || Old == FHelpControl || Old == FPressedToolButton || Old == FWhatsThis->FMenuItem ||
      Old == FWhatsThis->FToolbarButton || Old == PopupMenu())
    return;
  if (t_Popup && t_Popup->FFormHelp == this && t_Popup->FControl == Old) return;
  RemoveFreeNotification(Old);
}

void TlxFormHelp::SetHelpControl(TControl* Value) {
  if (Value == FHelpControl) return;
  TControl* Old = FHelpControl;
  FHelpControl = Value;
  ReleaseLink(Old);
  if (Value) Value->FreeNotification(this);
}

void TlxFormHelp::SetPressedToolButton(TComponent* Value) {
  if (Value == FPressedToolButton) return;
  TComponent* Old = FPressedToolButton;
  FPressedToolButton = Value;
  ReleaseLink(Old);
  if (Value) Value->FreeNotification(this);
}

void TlxFormHelp::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent == nullptr) return;
  if (FWhatsThis) {
    if (AComponent == FWhatsThis->FMenuItem) FWhatsThis->FMenuItem = nullptr;
    if (AComponent == FWhatsThis->FToolbarButton) FWhatsThis->FToolbarButton = nullptr;
  }
  if (AComponent == FHelpControl) FHelpControl = nullptr;
  if (AComponent == FPressedToolButton) FPressedToolButton = nullptr;
  if (t_Popup && t_Popup->FFormHelp == this && t_Popup->FControl == AComponent) t_Popup->FControl = nullptr;
}

void TlxFormHelp::WireMenuItem() {
  SetMethodPropByName(FWhatsThis->FMenuItem, "OnClick", MakeEvent<&TlxFormHelp::MenuItemClick>(this));
}

void TlxFormHelp::WireToolbarButton() {
  TComponent* Button = FWhatsThis->FToolbarButton;
  SetIntPropByName(Button, "GroupIndex", lxWhatsThisGroupIndex);
  SetEnumPropByName(Button, "AllowAllUp", uint8_t{1});
  SetMethodPropByName(Button, "OnClick", MakeEvent<&TlxFormHelp::ToolbarButtonClick>(this));
}

void TlxFormHelp::MenuItemClick(TObject*) { EnterHelpMode(); }

void TlxFormHelp::ToolbarButtonClick(TObject* Sender) {
  if (auto* Button = dynamic_cast<TComponent*>(Sender)) {
    SetDownOrChecked(Button, true);
    SetPressedToolButton(Button);
  }
  Application->ProcessMessages();
  EnterHelpMode();
}

// ---- Help mode ----------------------------------------------------------------------------------

void TlxFormHelp::EnterHelpMode() {
  FHelpMode = true;
  FFromContextHelp = false;
  SetCapture(Handle());
  ::SetCursor(Screen->Cursors(CursorHelp()));
}

void TlxFormHelp::DoBeforeMenuClick() { FFromMenuItem = true; }

void TlxFormHelp::DoDown() {
  inherited::DoDown();
  OnButtonClick(this);
  if (FFromMenuItem) {
    FFromMenuItem = false;
    SetDown(false);
  }
  if (FActive) EnterHelpMode();
}

void TlxFormHelp::CaptureChanged() {
  if (FFromContextHelp) {
    FrameChanged();
    FFromContextHelp = false;
  }
  if (FPressedToolButton) {
    TComponent* Button = FPressedToolButton;
    SetPressedToolButton(nullptr);
    SetDownOrChecked(Button, false);
  }
  if (Visible() && Down()) SetDown(false);
  FHelpMode = false;
}

// ---- Messages -----------------------------------------------------------------------------------

void TlxFormHelp::BeforeWndProc(TMessage& Message, bool& Handled) {
  inherited::BeforeWndProc(Message, Handled);
  if (Handled || !FActive) return;
  if (Message.Msg == WM_SYSCOMMAND && (Message.WParam & 0xFFF0) == SC_CONTEXTHELP) {
    // Our help mode instead of the window's own.
    EnterHelpMode();
    FFromContextHelp = true;
    Message.Result = 0;
    Handled = true;
  }
}

void TlxFormHelp::AfterWndProc(TMessage& Message) {
  inherited::AfterWndProc(Message);
  if (Message.Msg == WM_CAPTURECHANGED && FHelpMode) {
    CaptureChanged();
    return;
  }
  if (!FActive) return;
  switch (Message.Msg) {
    case WM_HELP: {
      SetDown(false);
      const auto* Info = reinterpret_cast<const HELPINFO*>(Message.LParam);
      if (Info && Info->iContextType == HELPINFO_WINDOW) ShowHelpFor(nullptr);
      break;
    }
    case WM_COMMAND:
      if (Message.WParam == lxWhatsThisCommand && FHelpControl) ShowHelpFor(FHelpControl);
      break;
    case WM_LBUTTONDOWN:
      if (FHelpMode) {
        ShowHelpFor(nullptr);
        // One click, one help: the mode ends with this click (the capture goes, WM_CAPTURECHANGED).
        if (FHelpMode && GetCapture() == Handle()) ReleaseCapture();
      }
      break;
    case WM_ENTERMENULOOP:
      FInMenuLoop = true;
      break;
    case WM_EXITMENULOOP:
      FInMenuLoop = false;
      break;
    case LXM_WHATSTHISRBUTTONUP:
      if (FHelpControl) WhatsThisRButtonUp(Message);
      break;
  }
}

TlxFormHelp::TWhatsThisAnswer TlxFormHelp::AskWhatsThis(int X, int Y) {
  const POINT Probes[4] = {{X + 6, Y + 6}, {X - 6, Y - 6}, {X + 6, Y - 6}, {X - 6, Y + 6}};
  for (const POINT& P : Probes) {
    HWND Wnd = WindowFromPoint(P);
    if (Wnd && LowerCase(GetWindowClassName(Wnd)).find("popup") != std::string::npos) return TWhatsThisAnswer::None;
  }
  bool ShowPopup = true, ShowHelp = false;
  OnWhatsThis(this, FHelpControl, Point(X, Y), ShowPopup, ShowHelp);
  if (ShowPopup) return FWhatsThisMenu ? TWhatsThisAnswer::Menu : TWhatsThisAnswer::None;
  return ShowHelp ? TWhatsThisAnswer::Help : TWhatsThisAnswer::None;
}

void TlxFormHelp::WhatsThisRButtonUp(TMessage& Message) {
  // Signed halves: screens left of or above the primary one have negative coordinates.
  const int X = static_cast<short>(LOWORD(Message.WParam));
  const int Y = static_cast<short>(HIWORD(Message.WParam));
  TWhatsThisAnswer Answer = FAnswer;
  if (Answer == TWhatsThisAnswer::None || FAnsweredPoint != Message.WParam) Answer = AskWhatsThis(X, Y);
  FAnswer = TWhatsThisAnswer::None;
  if (Answer == TWhatsThisAnswer::Menu) {
    TrackPopupMenu(FWhatsThisMenu, TPM_RIGHTBUTTON, X, Y, 0, Handle(), nullptr);
  } else if (Answer == TWhatsThisAnswer::Help && FHelpControl) {
    ShowHelpFor(FHelpControl);
  }
}

bool TlxFormHelp::HookRightButtonUp(POINT P) {
  FAnswer = TWhatsThisAnswer::None;  // a notice that never arrived answers nothing
  SetHelpControl(ControlAtPos(P));
  TControl* Control = FHelpControl;
  if (Control == nullptr || Control->PopupMenu() || Control->OnMouseUp || Control->OnMouseDown) return false;
  // Decided now, while the control can still have its release: a notice that would end in
  // nothing must not cost the control its own right click.
  if (!FActive) return false;
  const TWhatsThisAnswer Answer = AskWhatsThis(P.x, P.y);
  if (Answer == TWhatsThisAnswer::None) return false;
  const WPARAM Packed = MAKEWPARAM(static_cast<WORD>(P.x), static_cast<WORD>(P.y));
  if (!PostMessageA(Handle(), LXM_WHATSTHISRBUTTONUP, Packed, 0)) return false;
  FAnsweredPoint = Packed;
  FAnswer = Answer;
  return true;
}

// ---- Help texts ---------------------------------------------------------------------------------

TControl* TlxFormHelp::ControlAtPos(POINT P) {
  TControl* Control = FindControlAtPoint(P, true, false, false);
  if (auto* Win = dynamic_cast<TWinControl*>(Control)) {
    std::string Class = GetWindowClassName(Win->Handle());
    if (Class == "TTBToolbar" || Class == "TTBXToolbar") {
      POINT C = P;
      ScreenToClient(Win->Handle(), &C);
      SendMessageA(Win->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(C.x), static_cast<WORD>(C.y)));
    }
  }
  ChooseHelpText(Control);
  return Control;
}

void TlxFormHelp::ChooseHelpText(TControl*& Control) {
  if (Control == nullptr) return;
  if (GetLongHint(Control->Hint()).empty() && Control->Tag() == lxUseOwnerHelpTag) {
    if (auto* Owner = dynamic_cast<TControl*>(Control->Owner())) Control = Owner;
  }
  for (TControl* C = Control; C; C = C->Parent()) {
    Control = C;
    if (!GetLongHint(C->Hint()).empty()) return;
    if (auto* Button = dynamic_cast<TButton*>(C)) {
      std::string Text = StandardButtonHelp(Button->ModalResult(), Button->Caption());
      if (!Text.empty()) {
        Button->SetHint(GetShortHint(Button->Hint()) + "|" + Text);
        return;
      }
    }
  }
}

void TlxFormHelp::ShowHelpFor(TControl* Control) {
  TlxFormHelp* Serving = this;
  if (Control) {
    if (auto* Other = FindFormHelp<TlxFormHelp>(Control)) Serving = Other;
  } else {
    POINT P;
    GetCursorPos(&P);
    Control = ControlAtPos(P);
    if (Control == nullptr) return;
  }
  Serving->ShowHelpPopup(Control, Point(-1, -1), {});
}

void TlxFormHelp::ShowHelpPopup(TControl* Control, TPoint Pt, const std::string& Text) {
  if (Pt.x == -1 && Pt.y == -1) GetCursorPos(&Pt);
  std::string Shown = Text;
  if (Shown.empty() && Control) Shown = GetLongHint(Control->Hint());
  RefreshFont();
  if (t_Popup) t_Popup->Close();  // one popup at a time
  if (Control) Control->FreeNotification(this);
  THelpWindow::Open(this, Shown, Pt, Control);
}

// ---- THelpWindow --------------------------------------------------------------------------------

VD_DEFINE_CLASS(THelpWindow) {}

// The copy menu being tracked: where the tracking frame learns that the popup went meanwhile.
struct THelpWindow::TTracking {
  bool PopupGone = false;
};

THelpWindow::THelpWindow(TlxFormHelp* FormHelp, const std::string& Text, TPoint Point, TControl* Control)
    : FFormHelp(FormHelp), FControl(Control), FText(Text), FPosition(Point) {}

THelpWindow* THelpWindow::Open(TlxFormHelp* FormHelp, const std::string& Text, TPoint Point, TControl* Control) {
  auto* Popup = new THelpWindow(FormHelp, Text, Point, Control);
  try {
    Popup->FBuilding = true;
    Popup->Build();
    Popup->FBuilding = false;
  } catch (...) {
    Popup->Close();
    throw;
  }
  t_Popup = Popup;
  if (Popup->FClosePending) {  // lost the focus while it was being shown
    Popup->Close();
    return nullptr;
  }
  return Popup;
}

void THelpWindow::Build() {
  if (FControl) FFormHelp->OnShow(FFormHelp, FControl, FText);
  FSavedShowHint = Application->ShowHint();
  FShowHintSaved = true;
  Application->SetShowHint(false);
  FBitmap = TBitmap::Create();
  FCopyMenu = CreatePopupMenu();
  if (FCopyMenu) AppendMenuA(FCopyMenu, MF_STRING, lxCopyHelpCommand, "&Copy");
  Draw();
  CreatePopupWindow();
  if (FFormHelp->DelayInterval() != 0 &&
      g_SetTimer(FWnd, lxHelpPopupTimerId, FFormHelp->DelayInterval(), nullptr) == 0)
    throw EOutOfResources("Not enough timers available");
}

void THelpWindow::Draw() {
  TlxFormHelp* H = FFormHelp;
  TlxTextStyle* Style = H->TextStyle();
  int Wrap = H->PopupWidth();
  if (H->AdjustPopupWidth())
    Wrap = PopupWrapWidth(FText, H->Font(), Style->PlainText(), Style->TagOpen(), Style->TagClose(), Wrap,
                          H->Margins()->Horizontal());
  lxgdi::TWindowDC Screen(nullptr);
  TPoint Size = Point(0, 0);
  DrawRichText(FBitmap, Screen.Get(), Point(0, 0), FPosition, FText, H->Font(), H->Color(), H->ShadowColor(),
               Style->PlainText(), H->AdjustPopupWidth(), true, Wrap, taLeftJustify, Style->TagOpen(),
               Style->TagClose(), H->Margins()->Horizontal(), H->Margins()->Vertical(), true, H->ShowShadow(), false,
               false, Size);
}

void THelpWindow::CreatePopupWindow() {
  WNDCLASSA Class{};
  Class.lpfnWndProc = &THelpWindow::PopupWndProc;
  Class.lpszClassName = lxHelpPopupClassName;
  RegisterModuleWindowClass(Class);  // once per module; the cursor is set in WM_SETCURSOR
  CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, lxHelpPopupClassName, "", WS_POPUP | WS_VISIBLE, FPosition.x,
                  FPosition.y, FBitmap->Width(), FBitmap->Height(), Application->Handle(), nullptr, ModuleInstance(),
                  this);
  if (FWnd == nullptr) throw EOutOfResources("Cannot create the help popup window");
}

void THelpWindow::Close() {
  FClosing = true;
  Free();
}

THelpWindow::~THelpWindow() {
  if (t_Popup == this) t_Popup = nullptr;
  if (HWND Wnd = FWnd) {
    FWnd = nullptr;
    KillTimer(Wnd, lxHelpPopupTimerId);
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);  // no message finds this object any more
    if (!FWindowDying) DestroyWindow(Wnd);
  }
  if (FCopyMenu) {
    if (FTracking) {
      // The menu is still being tracked further up the stack: that frame destroys it.
      FTracking->PopupGone = true;
      EndMenu();
    } else {
      DestroyMenu(FCopyMenu);
    }
    FCopyMenu = nullptr;
  }
  FreeAndNil(FBitmap);
  if (FShowHintSaved) Application->SetShowHint(FSavedShowHint);
  if (FControl) {
    try {
      FFormHelp->OnHide(FFormHelp, FControl);
    } catch (...) {
      wndprocs_detail::HandleCallbackException();
    }
  }
}

LRESULT CALLBACK THelpWindow::PopupWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    if (Msg == WM_NCCREATE) {
      auto* Popup = static_cast<THelpWindow*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
      SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Popup));
      if (Popup) Popup->FWnd = Wnd;
    }
    if (auto* Popup = reinterpret_cast<THelpWindow*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA)))
      return Popup->WndProc(Wnd, Msg, WParam, LParam);
  } catch (...) {
    wndprocs_detail::HandleCallbackException();
    return 0;
  }
  return DefWindowProcA(Wnd, Msg, WParam, LParam);
}

LRESULT THelpWindow::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_DESTROY:
    case WM_KILLFOCUS:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_KEYDOWN:
    case WM_TIMER:
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (FClosing) break;
      if (FBuilding) {
        // Not open yet: Open finishes or undoes the popup.
        if (Msg == WM_DESTROY) {
          FWindowDying = true;
          SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
          FWnd = nullptr;
        } else {
          FClosePending = true;
        }
        return 1;
      }
      if (Msg == WM_DESTROY) {
        FWindowDying = true;
      } else if (FTracking) {
        // Closed once the copy menu is gone.
        FClosePending = true;
        EndMenu();
        return 1;
      }
      Close();
      return 1;
    case WM_PAINT: {
      lxgdi::TWindowDC DC(Wnd);
      BitBlt(DC.Get(), 0, 0, FBitmap->Width(), FBitmap->Height(), FBitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
      break;
    }
    case WM_SETCURSOR:
      if (LOWORD(LParam) == HTCLIENT) {
        ::SetCursor(Screen->Cursors(FFormHelp->PopupCursor()));
        return TRUE;
      }
      break;
    case WM_RBUTTONDOWN:
      ShowCopyMenu();
      return 1;
    case WM_COMMAND:
      if (LOWORD(WParam) == lxCopyHelpCommand) CopyText();
      break;
  }
  return DefWindowProcA(Wnd, Msg, WParam, LParam);
}

void THelpWindow::ShowCopyMenu() {
  if (FCopyMenu == nullptr || FTracking) return;
  POINT P;
  GetCursorPos(&P);
  TTracking Tracking;
  FTracking = &Tracking;
  const HMENU Menu = FCopyMenu;
  const HWND Wnd = FWnd;
  UINT Command = static_cast<UINT>(TrackPopupMenu(Menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, P.x, P.y, 0, Wnd, nullptr));
  if (!Tracking.PopupGone && Command != 0) SendMessageA(Wnd, WM_COMMAND, Command, 0);
  if (Tracking.PopupGone) {  // closed from outside meanwhile: this object is gone
    DestroyMenu(Menu);
    return;
  }
  FTracking = nullptr;
  if (FClosePending && !FClosing) Close();
}

void THelpWindow::CopyText() {
  TlxTextStyle* Style = FFormHelp->TextStyle();
  CopyTextToClipboard(CF_TEXT, StripTags(FText, Style->TagOpen(), Style->TagClose()));
}
