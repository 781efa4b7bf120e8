// Controls: the visual component base classes.
//
//   TControl        bounds, parent, visibility, text, colour, font, hints, cursor, mouse events,
//                   and the object-level message path WindowProc -> WndProc -> Dispatch ->
//                   DefaultHandler (Perform sends a message along it without Windows).
//   TWinControl     a control with a real window: created on demand, its children, tab order and
//                   focus, WM_CTLCOLOR*/WM_COMMAND/WM_NOTIFY/WM_DRAWITEM reflected to the child as
//                   CN_* messages, bounds kept in step with the window.
//   TGraphicControl a window-less control painted by its parent on its Canvas.
//   TCustomControl  a windowed control that paints itself on its Canvas.
//
// Windows of our own classes are registered with this module's instance under the Pascal class
// name; controls over system classes (EDIT, BUTTON) create the system window and subclass it.
// Either way one window procedure finds the object through a window property whose name is
// unique to this module, so foreign subclassing (SetWindowLongPtrA) on top of ours never loses
// the object, and messages passed down such a chain reach it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/Menus.h"
#include "classlib/WndProcs.h"

class TControl;
class TWinControl;
class TCustomForm;

// ---- Messages of the class library ----------------------------------------------------------

// Notifications between controls (never seen by Windows).
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
// Enter or Escape (WParam) that the focused control does not want: the form offers it to its
// controls (default and cancel buttons); Result non-zero when one took it.
inline constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr UINT CM_ENTER = CM_BASE + 26;
inline constexpr UINT CM_EXIT = CM_BASE + 27;
inline constexpr UINT CM_RELEASE = CM_BASE + 33;
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;

// Messages a parent reflects to the child window they concern: CN_BASE + the original message.
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
inline constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
inline constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

// ---- Types ------------------------------------------------------------------------------------

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
VD_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
VD_ENUM_INFO(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
using TAnchors = TSet<TAnchorKind>;

// Form border styles; TBorderStyle (bsNone, bsSingle) is their first two values.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
VD_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
             "bsSizeToolWin")
using TBorderStyle = TFormBorderStyle;
// The type of TBorderStyle properties (only bsNone and bsSingle).
const TTypeInfo* BorderStyleTypeInfo();

enum TControlStyleItem {
  csAcceptsControls,  // other controls may be placed on it
  csCaptureMouse,     // it captures the mouse while a button is down
  csDesignInteractive,
  csClickEvents,      // a button released over it is a click
  csFramed,
  csSetCaption,       // its caption follows its name until set
  csOpaque,           // it fills its whole area itself; without it the parent shows through
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents,
};
VD_ENUM_INFO(TControlStyleItem, "csAcceptsControls", "csCaptureMouse", "csDesignInteractive",
             "csClickEvents", "csFramed", "csSetCaption", "csOpaque", "csDoubleClicks",
             "csFixedWidth", "csFixedHeight", "csNoDesignVisible", "csReplicatable",
             "csNoStdEvents", "csDisplayDragImage", "csReflector", "csActionClient",
             "csMenuEvents")
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking,
};
using TControlState = TSet<TControlStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
VD_ENUM_INFO(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
VD_ENUM_INFO(TShiftStateItem, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle",
             "ssDouble")
using TShiftState = TSet<TShiftStateItem>;

// The shift state of a mouse message's key flags (MK_*), and of the keyboard right now.
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyboardShiftState();

using TMouseEvent = TEvent<TObject* /*Sender*/, TMouseButton /*Button*/, TShiftState /*Shift*/,
                           int /*X*/, int /*Y*/>;
using TMouseMoveEvent = TEvent<TObject* /*Sender*/, TShiftState /*Shift*/, int /*X*/, int /*Y*/>;
using TKeyEvent = TEvent<TObject* /*Sender*/, WORD& /*Key*/, TShiftState /*Shift*/>;
using TKeyPressEvent = TEvent<TObject* /*Sender*/, char& /*Key*/>;

// ---- Cursors -------------------------------------------------------------------------------------

// A slot of Screen->Cursors: the system cursors below, 1 and up for the application's own.
using TCursor = short;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = -22;

// Cursor identifiers ("crHelp", ...) for form resources; case is ignored.
bool CursorToIdent(int Cursor, std::string& Ident);
bool IdentToCursor(const std::string& Ident, int& Cursor);
// The type of TCursor properties.
const TTypeInfo* CursorTypeInfo();

// The parts of a hint "short|long" (without a bar both are the whole text).
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

// ---- Size constraints ------------------------------------------------------------------------------

// Limits of a control's outer size (0: none). Every SetBounds keeps within them, and a top-level
// window keeps within them while the user sizes it (WM_GETMINMAXINFO).
class TSizeConstraints : public TPersistent {
  VD_CLASS(TSizeConstraints, TPersistent);

public:
  explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  int MaxHeight() const noexcept { return FMaxHeight; }
  void SetMaxHeight(int Value) { SetLimit(FMaxHeight, Value); }
  int MaxWidth() const noexcept { return FMaxWidth; }
  void SetMaxWidth(int Value) { SetLimit(FMaxWidth, Value); }
  int MinHeight() const noexcept { return FMinHeight; }
  void SetMinHeight(int Value) { SetLimit(FMinHeight, Value); }
  int MinWidth() const noexcept { return FMinWidth; }
  void SetMinWidth(int Value) { SetLimit(FMinWidth, Value); }
  // Width and Height brought within the limits.
  void Apply(int& Width, int& Height) const;

private:
  void SetLimit(int& Limit, int Value);
  TControl* FControl;
  int FMaxHeight = 0;
  int FMaxWidth = 0;
  int FMinHeight = 0;
  int FMinWidth = 0;
};

// ---- TControl -------------------------------------------------------------------------------------

class TControl : public TComponent {
  VD_CLASS(TControl, TComponent);

public:
  explicit TControl(TComponent* AOwner);
  void BeforeDestruction() override;

  TWinControl* Parent() const noexcept { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  TComponent* GetParentComponent() const override;
  // Renames; a caption that still shows the old name follows (csSetCaption).
  void SetName(const std::string& NewName) override;

  int Left() const noexcept { return FLeft; }
  int Top() const noexcept { return FTop; }
  int Width() const noexcept { return FWidth; }
  int Height() const noexcept { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Position in the parent's client area (screen coordinates for a window without parent).
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const noexcept { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top); }
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  virtual void SetClientSize(int AWidth, int AHeight);
  // Screen position of the client area's origin.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint P);
  TPoint ScreenToClient(TPoint P);

  bool Visible() const noexcept { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const noexcept { return FEnabled; }
  virtual void SetEnabled(bool Value);

  // The text goes through the object's own message path (WM_GETTEXT / WM_SETTEXT by Perform),
  // never through the window's subclass chain. Caption and Text are the same.
  std::string Caption() { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  std::string Text() { return GetText(); }
  void SetText(const std::string& Value);
  std::string GetText();

  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const noexcept { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const noexcept { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const noexcept { return FParentFont; }
  void SetParentFont(bool Value);

  const std::string& Hint() const noexcept { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  // With ParentShowHint the parent's value (at the top: Application->ShowHint).
  bool ShowHint() const;
  void SetShowHint(bool Value);
  bool ParentShowHint() const noexcept { return FParentShowHint; }
  void SetParentShowHint(bool Value);

  TCursor Cursor() const noexcept { return FCursor; }
  void SetCursor(TCursor Value);

  TAlign Align() const noexcept { return FAlign; }
  void SetAlign(TAlign Value);
  // The parent's edges that a control without Align keeps its distance to when the parent's
  // client area changes size: both of left and right (top and bottom) stretch it, one moves it
  // with that edge, none keeps it centred where it was. The distances are those of the last
  // bounds set from outside the layout.
  TAnchors Anchors() const noexcept { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const noexcept { return FConstraints; }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }

  TControlStyle ControlStyle() const noexcept { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const noexcept { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }

  // Not owned; cleared when the menu is freed.
  TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  virtual void Invalidate();
  virtual void Update();
  void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // Sends a message along the object's message path, without Windows.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // The first stage of the message path; by default the virtual WndProc. Replace it to watch
  // or divert a control's messages; keep the old value to pass them on.
  TWndMethod WindowProc() const noexcept { return FWindowProc; }
  void SetWindowProc(TWndMethod Value) { FWindowProc = Value ? Value : DefaultWindowProc(); }

  virtual void Click();
  virtual void DblClick();

  // Stored flags of the published Color, Font and ShowHint: not while they follow the parent.
  bool IsColorStored() const { return !FParentColor; }
  bool IsFontStored() const { return !FParentFont; }
  bool IsShowHintStored() const { return !FParentShowHint; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

protected:
  // Mouse handling, routing and the default answers to the CM_* notifications.
  virtual void WndProc(TMessage& Message);
  // The handlers of single messages; descendants handle theirs and pass the rest on.
  virtual void Dispatch(TMessage& Message);
  // What nobody handled: window controls pass it to their window's original procedure.
  virtual void DefaultHandler(TMessage& Message);
  TWndMethod DefaultWindowProc() { return TWndMethod::Bind<&TControl::WndProc>(this); }

  void SetParentComponent(TComponent* Value) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  // The control (or window) that holds the mouse capture for this control.
  void SetMouseCapture(bool Value);
  bool MouseCapture();
  // Asks the parent to lay out its aligned children again (when this one is aligned).
  void RequestAlign();
  // Bounds without side effects (layout and window sync).
  void StoreBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // Records the current bounds and the parent's client size as the base of the anchors (not
  // while the parent is placing its anchored controls).
  void UpdateAnchorRules();
  virtual bool IsWindowed() const noexcept { return false; }
  void FontChanged(TObject* Sender);

  ~TControl() override;

  std::string FText;  // the text while there is no window
  TControlStyle FControlStyle;
  TControlState FControlState;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  bool FParentFont = true;
  TCursor FCursor = crDefault;

private:
  friend class TWinControl;
  void UpdateCaptionFromName(const std::string& OldName, const std::string& NewName);
  void HandleMouse(TMessage& Message);
  void InvalidateArea();
  void ApplyAnchorRules(int ParentWidth, int ParentHeight);

  TWinControl* FParent = nullptr;
  TFont* FFont;
  bool FSyncingFont = false;
  std::string FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  TRect FAnchorBase{};        // bounds the anchors start from
  TPoint FAnchorParentSize{};  // the parent's client size then
  bool FAnchorBaseValid = false;
  TSizeConstraints* FConstraints;
  TPopupMenu* FPopupMenu = nullptr;
  TWndMethod FWindowProc;
};

using TControlClass = TClassRef<TControl>;

// ---- TWinControl ----------------------------------------------------------------------------------

// What CreateWnd passes to CreateWindowExA.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  // Our own class: registered as WinClassName from WindowClass (procedure, instance and name
  // are filled in). A system class (SystemClass): created as it is, then subclassed.
  WNDCLASSA WindowClass{};
  std::string WinClassName;
  bool SystemClass = false;
};

class TWinControl : public TControl {
  VD_CLASS(TWinControl, TControl);

public:
  explicit TWinControl(TComponent* AOwner);

  // The window, created on demand (also while a form resource is being read). Creating it
  // creates the parent's window first and the child controls' windows with it.
  HWND Handle();
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window (and the child windows), keeping its state for a later Handle.
  void DestroyHandle();
  // Destroys the window and, when it had one, creates it again with the child windows.
  void RecreateWnd();

  // A window outside the class library that is the parent of this control's window when it has
  // no Parent control. Changing it on a live window re-parents the window in place.
  HWND ParentWindow() const noexcept { return FParentWindow; }
  void SetParentWindow(HWND Value);

  int ControlCount() const noexcept { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  // The child control at P (client coordinates); disabled ones only with AllowDisabled, window
  // controls only with AllowWinControls.
  TControl* ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls = false);

  // Position among the parent's window controls in tab order (-1 without parent).
  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const noexcept { return FTabStop; }
  void SetTabStop(bool Value);
  // Visible and enabled up to its form.
  virtual bool CanFocus();
  // EInvalidOperation "Cannot focus a disabled or invisible window" when it can't.
  virtual void SetFocus();
  bool Focused() const;
  // The window controls inside this one, depth first in tab order.
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // The control after (or before) CurControl in the tab order of this control's descendants,
  // going round; only tab stops with CheckTabStop, only direct children with CheckParent; only
  // controls that can take the focus. Nil when there is none other than CurControl.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                               bool CheckParent);
  // Focuses the next control as FindNextControl finds it (direct children only without
  // CheckTabStop).
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() override;
  void SetClientSize(int AWidth, int AHeight) override;
  TPoint ClientOrigin() override;
  void Invalidate() override;
  void Update() override;
  // Lays the aligned child controls out again.
  void Realign();
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();

  TBrush* Brush() const noexcept { return FBrush; }

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

protected:
  ~TWinControl() override;
  virtual void CreateParams(TCreateParams& Params);
  // Turns Params into a system class that is subclassed after creation.
  void CreateSubClass(TCreateParams& Params, const char* ClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateHandle();
  // Saves the window's state (its text) and destroys it.
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // Writes the style bits in Mask (and ExMask) of CreateParams onto the live window, without
  // re-creating it, and has Windows recompute the frame. Nothing without a window.
  void UpdateStyleBits(DWORD Mask, DWORD ExMask);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // The window's message entry: WindowProc behind the exception barrier.
  void MainWndProc(TMessage& Message);

  // Painting of our own window classes: the background (WM_ERASEBKGND), the control itself
  // and the graphic child controls.
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);
  void PaintHandler(TMessage& Message);
  // Fills DC with the colour (csOpaque) or lets the parent draw its background into it.
  virtual void EraseBackground(HDC DC);
  void PaintParentBackground(HDC DC);
  // The window accepts Tab as input (then the class library does not move the focus).
  bool WantsTab();

  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect) {}
  // The window has (or will have) a menu bar, for the client size without a window.
  virtual bool HasMenuBar() const { return false; }
  void NotifyControls(UINT Msg);
  virtual void DoEnter();
  virtual void DoExit();
  virtual bool DoKeyDown(WORD& Key, TShiftState Shift);
  virtual bool DoKeyPress(char& Key);

  bool IsWindowed() const noexcept override { return true; }
  void BeforeDestroyComponents() override;
  void Loaded() override;
  void SetParentComponent(TComponent* Value) override { TControl::SetParentComponent(Value); }

private:
  friend class TControl;
  static LRESULT CALLBACK ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void AttachHandle(HWND Wnd, bool Subclass);
  void DetachHandle();
  void UpdateBounds();
  void ReflectToChild(TMessage& Message, HWND Child);
  bool RouteMouseToChild(TMessage& Message);
  void UpdateTabOrder(int Value);
  void DoRemoveControl(TControl* AControl, bool KeepWindow);
  void AnchorControls();
  // Hands Enter or Escape that this control does not want to its form (CM_DIALOGKEY).
  bool DoDialogKey(WORD Key);
  void TrackMouseTarget(TControl* Target);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  bool FSubclassed = false;
  HWND FParentWindow = nullptr;
  std::vector<TControl*> FControls;     // all children, paint order
  std::vector<TWinControl*> FTabList;   // window children, tab order
  int FPendingTabOrder = -1;            // read from a form resource, applied in Loaded
  bool FTabStop = false;
  int FAlignLevel = 0;
  bool FAlignNeeded = false;
  bool FAnchoring = false;  // placing the anchored children
  TBrush* FBrush;
};

// ---- Canvas of a control --------------------------------------------------------------------------

// A canvas that draws on a control: a window control's own DC, or the parent's DC clipped to a
// graphic control. Painting hands it the paint DC instead.
class TControlCanvas : public TCanvas {
  VD_CLASS(TControlCanvas, TCanvas);

public:
  explicit TControlCanvas(TControl* AControl) : FControl(AControl) {}
  ~TControlCanvas() override;
  TControl* Control() const noexcept { return FControl; }
  // Lets go of a DC it took itself.
  void FreeHandle();

protected:
  void CreateHandle() override;

private:
  TControl* FControl;
  HWND FWindow = nullptr;
  HDC FDeviceContext = nullptr;
};

// ---- TGraphicControl / TCustomControl -------------------------------------------------------------

class TGraphicControl : public TControl {
  VD_CLASS(TGraphicControl, TControl);

public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas* Canvas() const noexcept { return FCanvas; }

protected:
  ~TGraphicControl() override;
  // Draws the control on Canvas (origin at the control's top-left corner).
  virtual void Paint() {}
  // Paints now, outside any WM_PAINT, on a DC of the parent's window (also while the parent is
  // hidden); a DC the canvas takes for this is given back afterwards.
  void PaintImmediately();
  void Dispatch(TMessage& Message) override;

private:
  TControlCanvas* FCanvas;
};

class TCustomControl : public TWinControl {
  VD_CLASS(TCustomControl, TWinControl);

public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas* Canvas() const noexcept { return FCanvas; }

protected:
  ~TCustomControl() override;
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  void DestroyWnd() override;

private:
  TControlCanvas* FCanvas;
};

// ---- Lookup -----------------------------------------------------------------------------------------

// The window control of this module that owns Wnd (nil for windows of others, other threads'
// processes, or none).
TWinControl* FindControl(HWND Wnd);
// The name of the window property that links a window to its control (unique to the module).
const std::string& ControlPropertyName();
// The form a control sits on (the outermost form up its Parent chain), nil when none.
TCustomForm* GetParentForm(TControl* Control);
// Like GetParentForm, but EInvalidOperation "Control 'X' has no parent window" when none.
TCustomForm* ValidParentForm(TControl* Control);
// The window control of this module under the screen point (the window there or the nearest of
// its ancestors that is one), nil when none.
TWinControl* FindVCLWindow(const TPoint& Pos);
