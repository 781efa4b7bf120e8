// What's This help for a form.
//
// TlxFormHelp is a caption button with a question-mark face. The user enters help mode through
// it, its system-menu item, the window's own context-help button, a linked menu item or tool
// button, and then clicks a control; or right-clicks a control and picks "&What's This?"; or
// presses F1. The form help then shows a small popup beside the mouse with the control's long
// hint drawn as tagged rich text. OK, Cancel, Yes, No, Apply and Help buttons without a hint get
// a fixed sentence. The popup closes on the first key, left or middle click, focus loss or timer
// tick; its right-click menu "&Copy" puts the text without its tags on the clipboard.
//
// One popup is open per thread at a time (opening one closes the previous one), and one mouse
// hook serves the right clicks of a thread (the first form help that enables it owns it).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "lx/lxBase.h"
#include "lx/lxCaptionButton.h"

class TlxFormHelp;
class THelpWindow;

// Private message: a right button was released over a control in help reach (posted to the
// form of the form help that owns the mouse hook). WParam: x in the low word, y in the high word
// (screen coordinates, signed 16 bits each); LParam 0.
inline constexpr UINT LXM_WHATSTHISRBUTTONUP = 14945;
// Menu commands: "&Copy" of the help popup, and the one item of the What's This menu.
inline constexpr UINT lxCopyHelpCommand = 13666;
inline constexpr UINT lxWhatsThisCommand = 13667;
// The group a linked tool button is put in.
inline constexpr int lxWhatsThisGroupIndex = 21357;
// The popup's auto-close timer.
inline constexpr UINT_PTR lxHelpPopupTimerId = 1;
// The window class of the popups.
inline constexpr const char* lxHelpPopupClassName = "TlxFormHelpPopup";
// A control with this Tag and no hint of its own shows the hint of its owner control.
inline constexpr int lxUseOwnerHelpTag = 666;

using TlxFormHelpOnShowEvent = TEvent<TObject* /*Sender*/, TControl* /*HelpControl*/, std::string& /*HelpMessage*/>;
using TlxFormHelpOnHideEvent = TEvent<TObject* /*Sender*/, TControl* /*HelpControl*/>;
using TlxWhatsThisEvent = TEvent<TObject* /*Sender*/, TControl* /*HelpControl*/, TPoint /*MousePos*/,
                                 bool& /*ShowPopup*/, bool& /*ShowHelp*/>;

// Text margins of the popup.
class TlxFormHelpMargins : public TPersistent {
  VD_CLASS(TlxFormHelpMargins, TPersistent);

public:
  TlxFormHelpMargins() = default;
  void Assign(TPersistent* Source) override;
  uint8_t Horizontal() const noexcept { return FHorizontal; }
  void SetHorizontal(uint8_t Value) noexcept { FHorizontal = Value; }
  uint8_t Vertical() const noexcept { return FVertical; }
  void SetVertical(uint8_t Value) noexcept { FVertical = Value; }

private:
  uint8_t FHorizontal = 11;
  uint8_t FVertical = 7;
};

// Right-click help: while Enabled (at run time) the thread's mouse hook offers the What's This
// menu for a control released on with the right button. MenuItem and ToolbarButton, when set,
// are wired (by their published OnClick, GroupIndex, AllowAllUp) to enter help mode.
class TlxWhatsThis : public TlxAddon {
  VD_CLASS(TlxWhatsThis, TlxAddon);

public:
  explicit TlxWhatsThis(TlxFormHelp* AOwner);

  TlxFormHelp* FormHelp() const noexcept { return FFormHelp; }
  const std::string& Caption() const noexcept { return FCaption; }
  void SetCaption(const std::string& Value);
  TComponent* MenuItem() const noexcept { return FMenuItem; }
  void SetMenuItem(TComponent* Value);
  TComponent* ToolbarButton() const noexcept { return FToolbarButton; }
  void SetToolbarButton(TComponent* Value);

protected:
  // Enabled changed: installs or removes the thread's mouse hook.
  void Changed() override;

private:
  friend class TlxFormHelp;
  TlxFormHelp* FFormHelp;  // not owned
  std::string FCaption = "&What's This?";
  TComponent* FMenuItem = nullptr;
  TComponent* FToolbarButton = nullptr;
};

class TlxFormHelp : public TlxCustomCaptionButton {
  VD_CLASS(TlxFormHelp, TlxCustomCaptionButton);

public:
  explicit TlxFormHelp(TComponent* AOwner);
  // Puts the system-menu item last, makes the What's This menu and installs the mouse hook.
  void AfterConstruction() override;
  // Closes its popup and gives the mouse hook back.
  void BeforeDestruction() override;

  bool Active() const noexcept { return FActive; }
  void SetActive(bool Value) noexcept { FActive = Value; }
  bool AdjustPopupWidth() const noexcept { return FAdjustPopupWidth; }
  void SetAdjustPopupWidth(bool Value) noexcept { FAdjustPopupWidth = Value; }
  // Milliseconds after which a popup closes by itself; 0: never.
  uint16_t DelayInterval() const noexcept { return FDelayInterval; }
  void SetDelayInterval(uint16_t Value) noexcept { FDelayInterval = Value; }
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value) noexcept { FColor = Value; }
  // The cursor over the popup (the caption button's own cursors are CaptionButton.Cursor and
  // CursorDown).
  TCursor PopupCursor() const noexcept { return FPopupCursor; }
  void SetPopupCursor(TCursor Value) noexcept { FPopupCursor = Value; }
  // The help-mode cursor: the caption button's CursorDown.
  TCursor CursorHelp() const noexcept { return CursorDown(); }
  void SetCursorHelp(TCursor Value) { SetCursorDown(Value); }
  // The popup font; a change of it sets ParentFont False.
  TFont* Font() const noexcept { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TlxFormHelpMargins* Margins() const noexcept { return FMargins; }
  // Font follows the owner form's font.
  bool ParentFont() const noexcept { return FParentFont; }
  void SetParentFont(bool Value);
  // Width and wrap width of a popup, 40..1000 (other values are clamped).
  uint16_t PopupWidth() const noexcept { return FPopupWidth; }
  void SetPopupWidth(uint16_t Value) noexcept;
  TColor ShadowColor() const noexcept { return FShadowColor; }
  void SetShadowColor(TColor Value) noexcept { FShadowColor = Value; }
  bool ShowShadow() const noexcept { return FShowShadow; }
  void SetShowShadow(bool Value) noexcept { FShowShadow = Value; }
  TlxTextStyle* TextStyle() const noexcept { return FTextStyle; }
  TlxWhatsThis* WhatsThis() const noexcept { return FWhatsThis; }
  bool IsFontStored() const noexcept { return !FParentFont; }

  TNotifyEvent OnButtonClick;  // help mode entered through the caption button or system-menu item
  TlxFormHelpOnShowEvent OnShow;
  TlxFormHelpOnHideEvent OnHide;
  TlxWhatsThisEvent OnWhatsThis;

  bool HelpMode() const noexcept { return FHelpMode; }
  bool FromContextHelp() const noexcept { return FFromContextHelp; }
  bool InMenuLoop() const noexcept { return FInMenuLoop; }
  // The control last found under a right click (nil when none, or when it was freed).
  TControl* HelpControl() const noexcept { return FHelpControl; }
  TComponent* PressedToolButton() const noexcept { return FPressedToolButton; }
  HMENU WhatsThisMenu() const noexcept { return FWhatsThisMenu; }

  // Help mode: the form captures the mouse and shows the help cursor; the next left click shows
  // the help of the control under it. It ends when the form loses the capture.
  void EnterHelpMode();
  // Shows the help of Control (nil: of the control under the cursor), through the form help of
  // its form when that has one.
  void ShowHelpFor(TControl* Control);
  // Opens a popup for Control at Point ((-1, -1): the cursor position) with Text (empty: the
  // control's long hint), closing the thread's popup first.
  virtual void ShowHelpPopup(TControl* Control, TPoint Point, const std::string& Text);

  // The control whose help serves screen point P: the class-library control at P (invisible
  // windows skipped) after ChooseHelpText.
  static TControl* ControlAtPos(POINT P);
  // Walks from Control up to the first control with a long hint; a standard dialog button
  // without one gets a fixed sentence as its long hint. Control becomes that control (or stays
  // the last one tried when none has a hint).
  static void ChooseHelpText(TControl*& Control);
  // The mouse hook's work for a right button released at P: finds the help control and, when
  // help will really be offered for it, posts LXM_WHATSTHISRBUTTONUP to the form. True when it
  // posted: the hook then swallows the release, which the control would otherwise answer with its
  // own context menu (an edit's Cut/Copy/Paste). Help is offered when the form help is Active, the
  // control takes help (no popup menu, no mouse-up or mouse-down handler), no popup window lies
  // beside P, and OnWhatsThis wants the menu or the help; the notice then does what it answered.
  bool HookRightButtonUp(POINT P);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BeforeWndProc(TMessage& Message, bool& Handled) override;
  void AfterWndProc(TMessage& Message) override;
  void DoBeforeMenuClick() override;
  void DoDown() override;

  ~TlxFormHelp() override;

private:
  friend class TlxWhatsThis;
  friend class THelpWindow;
  void FontChanged(TObject* Sender);
  void RefreshFont();
  void SetHelpControl(TControl* Value);
  void SetPressedToolButton(TComponent* Value);
  void ReleaseLink(TComponent* Old);
  void CaptureChanged();
  enum class TWhatsThisAnswer { None, Menu, Help };
  TWhatsThisAnswer AskWhatsThis(int X, int Y);
  void WhatsThisRButtonUp(TMessage& Message);
  void MenuItemClick(TObject* Sender);
  void ToolbarButtonClick(TObject* Sender);
  void WireMenuItem();
  void WireToolbarButton();

  bool FActive = true;
  bool FAdjustPopupWidth = true;
  uint16_t FDelayInterval = 0;
  TColor FColor = 0x00EEFFFF;
  TCursor FPopupCursor = crDefault;
  TFont* FFont;
  TlxFormHelpMargins* FMargins;
  bool FParentFont = true;
  uint16_t FPopupWidth = 300;
  TColor FShadowColor = 0;
  bool FShowShadow = true;
  TlxTextStyle* FTextStyle;
  TlxWhatsThis* FWhatsThis;

  bool FHelpMode = false;
  bool FFromContextHelp = false;
  bool FFromMenuItem = false;
  bool FInMenuLoop = false;
  TControl* FHelpControl = nullptr;
  // OnWhatsThis's answer for the notice the hook posted (by its packed point): asked once, at the
  // release, because the hook must know it.
  WPARAM FAnsweredPoint = 0;
  TWhatsThisAnswer FAnswer = TWhatsThisAnswer::None;
  TComponent* FPressedToolButton = nullptr;
  HMENU FWhatsThisMenu = nullptr;
};

// The help popup: a topmost tool window showing the drawn text. It frees itself when it closes.
class THelpWindow : public TObject {
  VD_CLASS(THelpWindow, TObject);

public:
  // Draws Text and shows the popup at Point (moved onto the screen); it becomes the thread's
  // current popup. When the auto-close timer can't be made (EOutOfResources "Not enough timers
  // available") everything made so far is undone before the exception leaves. Nil when the popup
  // closed again while it was being shown.
  static THelpWindow* Open(TlxFormHelp* FormHelp, const std::string& Text, TPoint Point, TControl* Control);
  // Closes the popup (OnHide, Application->ShowHint restored) and frees it.
  void Close();

  HWND Handle() const noexcept { return FWnd; }
  TlxFormHelp* FormHelp() const noexcept { return FFormHelp; }
  TControl* Control() const noexcept { return FControl; }
  const std::string& Text() const noexcept { return FText; }
  TBitmap* Bitmap() const noexcept { return FBitmap; }
  // Where it was shown (after moving onto the screen).
  TPoint Position() const noexcept { return FPosition; }

private:
  friend class TlxFormHelp;
  struct TTracking;
  THelpWindow(TlxFormHelp* FormHelp, const std::string& Text, TPoint Point, TControl* Control);
  ~THelpWindow() override;
  void Build();
  void Draw();
  void CreatePopupWindow();
  LRESULT WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void ShowCopyMenu();
  void CopyText();
  static LRESULT CALLBACK PopupWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  TlxFormHelp* FFormHelp;
  TControl* FControl;
  std::string FText;
  TPoint FPosition;
  bool FShowHintSaved = false;
  bool FSavedShowHint = true;
  HMENU FCopyMenu = nullptr;
  bool FClosing = false;
  bool FBuilding = false;
  bool FWindowDying = false;   // WM_DESTROY came from outside: the window goes by itself
  bool FClosePending = false;  // a close request arrived while the copy menu was open
  TTracking* FTracking = nullptr;
  TBitmap* FBitmap = nullptr;
  HWND FWnd = nullptr;
};

namespace lxformhelp_detail {
// The calling thread's open popup (nil when none), its mouse hook and the hook's owner.
THelpWindow* CurrentPopup() noexcept;
HHOOK MouseHook() noexcept;
TlxFormHelp* MouseHookOwner() noexcept;
// The timer call of the popups (SetTimer unless replaced; tests make it fail). nullptr restores
// SetTimer. Returns the one installed before.
using TSetTimerFunc = UINT_PTR(WINAPI*)(HWND Wnd, UINT_PTR Id, UINT Elapse, TIMERPROC Func);
TSetTimerFunc SetPopupTimerFunc(TSetTimerFunc Func) noexcept;
// The sentence a button with this modal result and caption gets ("" when none applies).
std::string StandardButtonHelp(int ModalResult, const std::string& Caption);
// The wrap width of an auto-width popup: WrapWidth, or wider when a single word would not fit
// between the margins (then as wide as that word plus both margins).
int PopupWrapWidth(const std::string& Text, TFont* Font, bool PlainText, char TagOpen, char TagClose, int WrapWidth,
                   int MarginH);
}  // namespace lxformhelp_detail
