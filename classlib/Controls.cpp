#include "classlib/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "classlib/FormStream.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/TypInfo.h"

namespace {
// Per thread, like the windows they concern.
thread_local TWinControl* t_CreatingControl = nullptr;  // its window is being created
thread_local TControl* t_CaptureControl = nullptr;      // a graphic control holding the mouse
thread_local TControl* t_MouseControl = nullptr;        // the control under the mouse

bool IsMouseMessage(UINT Msg) { return Msg >= WM_MOUSEFIRST && Msg <= WM_MBUTTONDBLCLK; }

struct TCursorIdent {
  TCursor Value;
  const char* Name;
};
constexpr TCursorIdent kCursorIdents[] = {
    {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},
    {crCross, "crCross"},       {crIBeam, "crIBeam"},       {crSizeAll, "crSizeAll"},
    {crSize, "crSize"},         {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},     {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},       {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},     {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},   {crNo, "crNo"},             {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
};

// Ends the paint that BeginPaint started, also when painting raises.
class TPaintScope {
public:
  TPaintScope(HWND Wnd, HDC Given) : FWnd(Wnd), FDC(Given) {
    if (!FDC) {
      FDC = BeginPaint(Wnd, &FPaint);
      FOwn = true;
    }
  }
  ~TPaintScope() {
    if (FOwn) EndPaint(FWnd, &FPaint);
  }
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;
  HDC DC() const noexcept { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
  PAINTSTRUCT FPaint{};
  bool FOwn = false;
};

// Restores a DC's state (clip, origin) when drawing into it is done.
class TSavedDC {
public:
  explicit TSavedDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
  ~TSavedDC() { RestoreDC(FDC, FSaved); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

private:
  HDC FDC;
  int FSaved;
};
}  // namespace

// ---- Types, identifiers, helpers ------------------------------------------------------------------

const TTypeInfo* BorderStyleTypeInfo() {
  static const TTypeInfo Info = MakeEnumTypeInfo("TBorderStyle", {"bsNone", "bsSingle"});
  return &Info;
}

const TTypeInfo* CursorTypeInfo() {
  static const TTypeInfo Info = MakeOrdTypeInfo(tkInteger, "TCursor", -32768, 32767);
  return &Info;
}

namespace {
// Form resources name cursors ("crHelp"). Registering only records the maps (no Win32 call).
struct TCursorIdentRegistration {
  TCursorIdentRegistration() { RegisterIntegerConsts(CursorTypeInfo(), &IdentToCursor, &CursorToIdent); }
} const g_CursorIdents;
}  // namespace

bool CursorToIdent(int Cursor, std::string& Ident) {
  for (const auto& C : kCursorIdents)
    if (C.Value == Cursor) {
      Ident = C.Name;
      return true;
    }
  return false;
}

bool IdentToCursor(const std::string& Ident, int& Cursor) {
  for (const auto& C : kCursorIdents)
    if (SameText(Ident, C.Name)) {
      Cursor = C.Value;
      return true;
    }
  return false;
}

std::string GetShortHint(const std::string& Hint) {
  size_t Bar = Hint.find('|');
  return Bar == std::string::npos ? Hint : Hint.substr(0, Bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t Bar = Hint.find('|');
  return Bar == std::string::npos ? Hint : Hint.substr(Bar + 1);
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState S;
  if (Keys & MK_SHIFT) S.Include(ssShift);
  if (Keys & MK_CONTROL) S.Include(ssCtrl);
  if (Keys & MK_LBUTTON) S.Include(ssLeft);
  if (Keys & MK_RBUTTON) S.Include(ssRight);
  if (Keys & MK_MBUTTON) S.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
  return S;
}

TShiftState KeyboardShiftState() {
  TShiftState S;
  if (GetKeyState(VK_SHIFT) < 0) S.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) S.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
  return S;
}

const std::string& ControlPropertyName() {
  static const std::string Name = ModuleUniqueName("VdControl");
  return Name;
}

TWinControl* FindControl(HWND Wnd) {
  if (!Wnd) return nullptr;
  DWORD Process = 0;
  GetWindowThreadProcessId(Wnd, &Process);
  if (Process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(Wnd, ControlPropertyName().c_str()));
}

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  while (Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
  TCustomForm* Form = GetParentForm(Control);
  if (!Form) throw EInvalidOperation("Control '" + (Control ? Control->Name() : std::string()) +
                                     "' has no parent form");
  return Form;
}

TWinControl* FindVCLWindow(const TPoint& Pos) {
  for (HWND Wnd = WindowFromPoint(Pos); Wnd; Wnd = GetParent(Wnd)) {
    if (TWinControl* Control = FindControl(Wnd)) return Control;
  }
  return nullptr;
}

// ---- TControl ---------------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(TFont::Create()), FConstraints(TSizeConstraints::Create(this)) {
  FWindowProc = DefaultWindowProc();
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont->OnChange = TNotifyEvent::Bind<&TControl::FontChanged>(this);
}

TControl::~TControl() {
  FConstraints->Free();
  FFont->Free();
}

void TControl::BeforeDestruction() {
  Destroying();
  if (t_CaptureControl == this) t_CaptureControl = nullptr;
  if (t_MouseControl == this) t_MouseControl = nullptr;
  if (FParent) FParent->RemoveControl(this);
  inherited::BeforeDestruction();
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  TWinControl* Old = FParent;
  auto* Self = dynamic_cast<TWinControl*>(this);
  // A live window moves to a parent with a live window as it is.
  bool Move = Old && AParent && Self && Self->HandleAllocated() && AParent->HandleAllocated();
  if (Old) Old->DoRemoveControl(this, Move);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* Parent = dynamic_cast<TWinControl*>(Value)) SetParent(Parent);
}

void TControl::SetName(const std::string& NewName) {
  std::string OldName = Name();
  inherited::SetName(NewName);
  UpdateCaptionFromName(OldName, NewName);
}

void TControl::UpdateCaptionFromName(const std::string& OldName, const std::string& NewName) {
  if (!FControlStyle.Contains(csSetCaption) || OldName == NewName) return;
  TComponentState State = ComponentState();
  if (State.Contains(csLoading) || State.Contains(csReading)) return;
  if (auto* O = dynamic_cast<TControl*>(Owner()))
    if (O->ComponentState().Contains(csLoading)) return;
  if (GetText() == OldName) SetText(NewName);
}

void TControl::Loaded() {
  inherited::Loaded();
  RequestAlign();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::StoreBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TControl::InvalidateArea() {
  if (!FParent || !FParent->HandleAllocated()) return;
  TRect R = BoundsRect();
  InvalidateRect(FParent->FHandle, &R, TRUE);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FConstraints->Apply(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool Sized = AWidth != FWidth || AHeight != FHeight;
  if (FVisible) InvalidateArea();
  StoreBounds(ALeft, ATop, AWidth, AHeight);
  UpdateAnchorRules();
  if (FVisible) InvalidateArea();
  RequestAlign();
  if (Sized && !ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::ClientRect() { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientSize(int AWidth, int AHeight) { SetBounds(FLeft, FTop, AWidth, AHeight); }

TPoint TControl::ClientOrigin() {
  if (!FParent) return Point(FLeft, FTop);
  TPoint P = FParent->ClientOrigin();
  return Point(P.x + FLeft, P.y + FTop);
}

TPoint TControl::ClientToScreen(TPoint P) {
  TPoint O = ClientOrigin();
  return Point(P.x + O.x, P.y + O.y);
}

TPoint TControl::ScreenToClient(TPoint P) {
  TPoint O = ClientOrigin();
  return Point(P.x - O.x, P.y - O.y);
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value);
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

std::string TControl::GetText() {
  auto Len = static_cast<int>(Perform(WM_GETTEXTLENGTH));
  if (Len <= 0) return {};
  std::string S(static_cast<size_t>(Len) + 1, '\0');
  auto Got = static_cast<int>(Perform(WM_GETTEXT, static_cast<WPARAM>(Len) + 1,
                                      reinterpret_cast<LPARAM>(S.data())));
  S.resize(static_cast<size_t>(std::clamp(Got, 0, Len)));
  S.resize(std::strlen(S.c_str()));
  return S;
}

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (Value && FParent) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::FontChanged(TObject*) {
  if (!FSyncingFont) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (Value && FParent) Perform(CM_PARENTFONTCHANGED);
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  if (!Value) FShowHint = ShowHint();  // keeps what it showed so far
  FParentShowHint = Value;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

void TControl::SetAnchors(TAnchors Value) {
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!FParent || FParent->FAnchoring) return;
  TRect R = FParent->ClientRect();
  FAnchorBase = BoundsRect();
  FAnchorParentSize = Point(R.right, R.bottom);
  FAnchorBaseValid = true;
}

void TControl::ApplyAnchorRules(int ParentWidth, int ParentHeight) {
  if (!FAnchorBaseValid || FAlign != alNone || FAnchors == TAnchors{akLeft, akTop}) return;
  // Each axis: both edges stretch, one edge moves along, none keeps the centre where it was.
  auto Place = [](bool Near, bool Far, int Delta, int& Pos, int& Size) {
    if (Near && Far) Size += Delta;
    else if (Far) Pos += Delta;
    else if (!Near) Pos += Delta / 2;
  };
  TRect B = FAnchorBase;
  int L = B.left, T = B.top, W = B.right - B.left, H = B.bottom - B.top;
  Place(FAnchors.Contains(akLeft), FAnchors.Contains(akRight), ParentWidth - FAnchorParentSize.x, L, W);
  Place(FAnchors.Contains(akTop), FAnchors.Contains(akBottom), ParentHeight - FAnchorParentSize.y, T, H);
  SetBounds(L, T, std::max(W, 0), std::max(H, 0));
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Invalidate() {
  if (FVisible) InvalidateArea();
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (FParent) {
    auto& L = FParent->FControls;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
    L.push_back(this);
  }
  if (auto* W = dynamic_cast<TWinControl*>(this); W && W->HandleAllocated())
    SetWindowPos(W->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (FParent) {
    auto& L = FParent->FControls;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
    L.insert(L.begin(), this);
  }
  if (auto* W = dynamic_cast<TWinControl*>(this); W && W->HandleAllocated())
    SetWindowPos(W->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  FWindowProc(Message);
  return Message.Result;
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::Resize() { OnResize(this); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) { OnMouseMove(this, Shift, X, Y); }

void TControl::SetMouseCapture(bool Value) {
  if (Value == MouseCapture()) return;
  t_CaptureControl = nullptr;
  if (!Value) {
    ReleaseCapture();
    return;
  }
  if (auto* W = dynamic_cast<TWinControl*>(this)) {
    SetCapture(W->Handle());
  } else if (FParent) {
    t_CaptureControl = this;
    SetCapture(FParent->Handle());
  }
}

bool TControl::MouseCapture() {
  if (t_CaptureControl == this) return true;
  auto* W = dynamic_cast<TWinControl*>(this);
  return W && W->HandleAllocated() && GetCapture() == W->FHandle;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::HandleMouse(TMessage& Message) {
  int X = GET_X_LPARAM(Message.LParam);
  int Y = GET_Y_LPARAM(Message.LParam);
  TShiftState Shift = KeysToShiftState(Message.WParam);
  DefaultHandler(Message);
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
      if (Message.Msg == WM_LBUTTONDBLCLK) {
        Shift.Include(ssDouble);
        if (FControlStyle.Contains(csDoubleClicks)) DblClick();
      }
      MouseDown(mbLeft, Shift, X, Y);
      break;
    case WM_LBUTTONUP: {
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      bool Clicked = FControlState.Contains(csClicked);
      FControlState.Exclude(csClicked);
      TRect R = ClientRect();
      TPoint P = Point(X, Y);
      if (Clicked && PtInRect(&R, P)) Click();
      MouseUp(mbLeft, Shift, X, Y);
      break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, Shift, X, Y);
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, Shift, X, Y);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, Shift, X, Y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, Shift, X, Y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(Shift, X, Y);
      break;
  }
}

void TControl::Dispatch(TMessage& Message) {
  if (IsMouseMessage(Message.Msg)) {
    HandleMouse(Message);
    return;
  }
  switch (Message.Msg) {
    case WM_CONTEXTMENU:
      if (FPopupMenu && FPopupMenu->AutoPopup()) {
        TPoint P = Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        if (P.x == -1 && P.y == -1) P = ClientToScreen(Point(0, 0));
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(P.x, P.y);
        Message.Result = 1;
        return;
      }
      DefaultHandler(Message);
      return;
    case CM_PARENTCOLORCHANGED:
      if (FParentColor && FParent) {
        SetColor(FParent->Color());
        FParentColor = true;
      }
      return;
    case CM_PARENTFONTCHANGED:
      if (FParentFont && FParent) {
        FSyncingFont = true;
        try {
          FFont->Assign(FParent->Font());
        } catch (...) {
          FSyncingFont = false;
          throw;
        }
        FSyncingFont = false;
      }
      return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      InvalidateArea();
      return;
  }
  // Our own notifications never reach Windows.
  if (Message.Msg >= CM_BASE && Message.Msg < CN_BASE + 0x400) return;
  DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      auto* Buffer = reinterpret_cast<char*>(Message.LParam);
      size_t Room = Message.WParam;
      if (!Buffer || Room == 0) {
        Message.Result = 0;
        return;
      }
      size_t N = std::min(FText.size(), Room - 1);
      std::memcpy(Buffer, FText.data(), N);
      Buffer[N] = '\0';
      Message.Result = static_cast<LRESULT>(N);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      return;
    case WM_SETTEXT: {
      auto* Text = reinterpret_cast<const char*>(Message.LParam);
      FText = Text ? Text : "";
      Message.Result = TRUE;
      return;
    }
  }
}

// ---- TWinControl ------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(TBrush::Create()) {
  FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() {
  if (FHandle) DetachHandle();  // a window we could not destroy must not reach a dead object
  FBrush->Free();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FControls[static_cast<size_t>(Index)];
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (; Control; Control = Control->Parent())
    if (Control == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  if (AControl->FParent) AControl->FParent->RemoveControl(AControl);
  AControl->FParent = this;
  FControls.push_back(AControl);
  auto* W = dynamic_cast<TWinControl*>(AControl);
  if (W) FTabList.push_back(W);
  AControl->Perform(CM_PARENTCOLORCHANGED);
  AControl->Perform(CM_PARENTFONTCHANGED);
  AControl->Perform(CM_PARENTSHOWHINTCHANGED);
  if (W) {
    if (W->FHandle) {
      if (FHandle) ::SetParent(W->FHandle, FHandle);
      else W->DestroyHandle();
    } else if (FHandle && !ComponentState().Contains(csDestroying)) {
      W->CreateHandle();
    }
  }
  if (AControl->FAlign != alNone) Realign();
  AControl->UpdateAnchorRules();
  AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) { DoRemoveControl(AControl, false); }

void TWinControl::DoRemoveControl(TControl* AControl, bool KeepWindow) {
  if (!AControl || AControl->FParent != this) return;
  if (TCustomForm* Form = GetParentForm(this)) Form->ControlRemoving(AControl);
  if (t_CaptureControl == AControl) t_CaptureControl = nullptr;
  if (t_MouseControl) {
    auto* Container = dynamic_cast<TWinControl*>(AControl);
    if (t_MouseControl == AControl || (Container && Container->ContainsControl(t_MouseControl)))
      t_MouseControl = nullptr;
  }
  AControl->InvalidateArea();
  auto* W = dynamic_cast<TWinControl*>(AControl);
  if (W && !KeepWindow) W->DestroyHandle();
  FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  if (W) FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), W), FTabList.end());
  AControl->FParent = nullptr;
  if (AControl->FAlign != alNone) Realign();
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) {
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
    TControl* C = *It;
    if (!AllowWinControls && C->IsWindowed()) continue;
    if (!C->FVisible || (!AllowDisabled && !C->FEnabled)) continue;
    TRect R = C->BoundsRect();
    if (PtInRect(&R, P)) return C;
  }
  return nullptr;
}

// ---- Window ---------------------------------------------------------------------------------------

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();  // creates this one's window too
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->FHandle : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ClassName) {
  Params.WinClassName = ClassName;
  Params.SystemClass = true;
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C); W && !W->FHandle && W->FParent == this) W->CreateHandle();
  if (FAlignNeeded) Realign();
}

void TWinControl::CreateWnd() {
  TCreateParams Params;
  CreateParams(Params);
  if ((Params.Style & WS_CHILD) && !Params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  if (!Params.SystemClass) {
    Params.WindowClass.lpfnWndProc = &ControlWindowProc;
    Params.WindowClass.lpszClassName = Params.WinClassName.c_str();
    RegisterModuleWindowClass(Params.WindowClass);
  }
  CreateWindowHandle(Params);
  if (!FHandle) RaiseLastOSError();
  UpdateBounds();
  if (FSubclassed)
    CallWindowProcA(FDefWndProc, FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), FALSE);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  TWinControl* Saved = t_CreatingControl;
  t_CreatingControl = Params.SystemClass ? nullptr : this;
  HWND Wnd = CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                             Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                             Params.WndParent, nullptr, ModuleInstance(), Params.Param);
  t_CreatingControl = Saved;
  if (!Wnd) return;
  if (Params.SystemClass) AttachHandle(Wnd, true);
  else if (!FHandle) AttachHandle(Wnd, false);
}

void TWinControl::AttachHandle(HWND Wnd, bool Subclass) {
  FHandle = Wnd;
  SetPropA(Wnd, ControlPropertyName().c_str(), this);
  FSubclassed = Subclass;
  if (Subclass) {
    FDefWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlWindowProc)));
  } else {
    FDefWndProc = &DefWindowProcA;
  }
}

void TWinControl::DetachHandle() {
  HWND Wnd = FHandle;
  FHandle = nullptr;
  if (!Wnd) return;
  RemovePropA(Wnd, ControlPropertyName().c_str());
  if (FSubclassed &&
      GetWindowLongPtrA(Wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ControlWindowProc))
    SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefWndProc));
  if (t_MouseControl && ContainsControl(t_MouseControl)) t_MouseControl = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* W : std::vector<TWinControl*>(FTabList)) W->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  HWND Wnd = FHandle;
  FControlState.Include(csDestroyingHandle);
  DestroyWindow(Wnd);
  // Still set when DestroyWindow failed (a window of another thread): the window forgets us.
  if (FHandle == Wnd) DetachHandle();
  FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::UpdateStyleBits(DWORD Mask, DWORD ExMask) {
  if (!FHandle) return;
  TCreateParams Params;
  CreateParams(Params);
  auto Cur = static_cast<DWORD>(GetWindowLongPtrA(FHandle, GWL_STYLE));
  auto CurEx = static_cast<DWORD>(GetWindowLongPtrA(FHandle, GWL_EXSTYLE));
  DWORD New = (Cur & ~Mask) | (Params.Style & Mask);
  DWORD NewEx = (CurEx & ~ExMask) | (Params.ExStyle & ExMask);
  if (New == Cur && NewEx == CurEx) return;
  if (New != Cur) SetWindowLongPtrA(FHandle, GWL_STYLE, static_cast<LONG_PTR>(New));
  if (NewEx != CurEx) SetWindowLongPtrA(FHandle, GWL_EXSTYLE, static_cast<LONG_PTR>(NewEx));
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParentWindow == Value) return;
  FParentWindow = Value;
  if (FParent || !FHandle) return;
  // In place: a child needs WS_CHILD before it gets its parent, a top-level window after.
  if (Value) {
    UpdateStyleBits(WS_CHILD | WS_POPUP, 0);
    ::SetParent(FHandle, Value);
  } else {
    ::SetParent(FHandle, nullptr);
    UpdateStyleBits(WS_CHILD | WS_POPUP, 0);
  }
  UpdateBounds();
}

LRESULT CALLBACK TWinControl::ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Control = static_cast<TWinControl*>(GetPropA(Wnd, ControlPropertyName().c_str()));
  if (!Control) {
    Control = t_CreatingControl;
    if (!Control) return DefWindowProcA(Wnd, Msg, WParam, LParam);
    t_CreatingControl = nullptr;
    Control->AttachHandle(Wnd, false);
  }
  TMessage Message{Msg, WParam, LParam, 0};
  Control->MainWndProc(Message);
  return Message.Result;
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    FWindowProc(Message);
  } catch (...) {
    try {
      Application->HandleException(this);
    } catch (...) {
    }
  }
  // A handler may have freed the control: only the last message of a window looks at it again.
  if (Message.Msg == WM_NCDESTROY && FHandle) DetachHandle();
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle) {
    Message.Result = CallWindowProcA(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TControl::DefaultHandler(Message);
}

// ---- Bounds -----------------------------------------------------------------------------------------

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT R;
  if (!GetWindowRect(FHandle, &R)) return;
  if (GetWindowLongPtrA(FHandle, GWL_STYLE) & WS_CHILD)
    if (HWND P = GetParent(FHandle)) MapWindowPoints(HWND_DESKTOP, P, reinterpret_cast<POINT*>(&R), 2);
  int L = R.left, T = R.top, W = R.right - R.left, H = R.bottom - R.top;
  if (L == FLeft && T == FTop && W == FWidth && H == FHeight) return;
  bool Sized = W != FWidth || H != FHeight;
  StoreBounds(L, T, W, H);
  UpdateAnchorRules();
  if (Sized) {
    Realign();
    if (!ComponentState().Contains(csLoading)) Resize();  // no handler runs on a half-read form
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  Constraints()->Apply(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBounds();
  } else {
    StoreBounds(ALeft, ATop, AWidth, AHeight);
    UpdateAnchorRules();
    Realign();
  }
  RequestAlign();
}

TRect TWinControl::ClientRect() {
  if (FHandle) {
    RECT R;
    GetClientRect(FHandle, &R);
    return R;
  }
  TCreateParams Params;
  CreateParams(Params);
  RECT Frame{0, 0, 0, 0};
  AdjustWindowRectEx(&Frame, Params.Style, HasMenuBar(), Params.ExStyle);
  return Rect(0, 0, FWidth - (Frame.right - Frame.left), FHeight - (Frame.bottom - Frame.top));
}

void TWinControl::SetClientSize(int AWidth, int AHeight) {
  TRect C = ClientRect();
  SetBounds(FLeft, FTop, AWidth + (FWidth - C.right), AHeight + (FHeight - C.bottom));
}

TPoint TWinControl::ClientOrigin() {
  POINT P{0, 0};
  ::ClientToScreen(Handle(), &P);
  return P;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0 && FAlignNeeded) Realign();
}

void TWinControl::Realign() {
  TComponentState State = ComponentState();
  if (FAlignLevel > 0 || State.Contains(csLoading) || State.Contains(csDestroying)) {
    FAlignNeeded = true;
    return;
  }
  FAlignNeeded = false;
  TRect R = ClientRect();
  AdjustClientRect(R);
  AlignControls(nullptr, R);
  AnchorControls();
}

void TWinControl::AnchorControls() {
  if (FControls.empty()) return;
  TRect R = ClientRect();
  FAnchoring = true;
  try {
    for (TControl* C : std::vector<TControl*>(FControls)) C->ApplyAnchorRules(R.right, R.bottom);
  } catch (...) {
    FAnchoring = false;
    throw;
  }
  FAnchoring = false;
}

void TWinControl::AlignControls(TControl*, TRect& R) {
  bool Any = std::any_of(FControls.begin(), FControls.end(),
                         [](TControl* C) { return C->FAlign != alNone && C->FAlign != alCustom; });
  if (!Any) return;
  ++FAlignLevel;
  try {
    for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient}) {
      std::vector<TControl*> List;
      for (TControl* C : FControls)
        if (C->FAlign == A && C->FVisible) List.push_back(C);
      std::stable_sort(List.begin(), List.end(), [A](TControl* X, TControl* Y) {
        switch (A) {
          case alTop: return X->FTop < Y->FTop;
          case alBottom: return X->FTop + X->FHeight > Y->FTop + Y->FHeight;
          case alLeft: return X->FLeft < Y->FLeft;
          case alRight: return X->FLeft + X->FWidth > Y->FLeft + Y->FWidth;
          default: return false;
        }
      });
      for (TControl* C : List) {
        int W = R.right - R.left, H = R.bottom - R.top;
        switch (A) {
          case alTop:
            C->SetBounds(R.left, R.top, W, C->FHeight);
            R.top += C->FHeight;
            break;
          case alBottom:
            C->SetBounds(R.left, R.bottom - C->FHeight, W, C->FHeight);
            R.bottom -= C->FHeight;
            break;
          case alLeft:
            C->SetBounds(R.left, R.top, C->FWidth, H);
            R.left += C->FWidth;
            break;
          case alRight:
            C->SetBounds(R.right - C->FWidth, R.top, C->FWidth, H);
            R.right -= C->FWidth;
            break;
          default:
            C->SetBounds(R.left, R.top, std::max(W, 0), std::max(H, 0));
            break;
        }
      }
    }
  } catch (...) {
    --FAlignLevel;
    throw;
  }
  --FAlignLevel;
  FAlignNeeded = false;
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (FPendingTabOrder >= 0) {
    UpdateTabOrder(FPendingTabOrder);
    FPendingTabOrder = -1;
  }
  Realign();
}

void TWinControl::BeforeDestroyComponents() {
  // The windows go while the owned components are still alive (marked as being destroyed).
  DestroyHandle();
  while (!FControls.empty()) {
    TControl* Last = FControls.back();
    Last->Free();  // takes itself out of the list
    if (!FControls.empty() && FControls.back() == Last) FControls.pop_back();
  }
  FTabList.clear();
  TControl::BeforeDestroyComponents();
}

// ---- Tab order and focus ----------------------------------------------------------------------------

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  const auto& L = FParent->FTabList;
  auto It = std::find(L.begin(), L.end(), this);
  return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (ComponentState().Contains(csLoading)) FPendingTabOrder = Value;
  else UpdateTabOrder(Value);
}

void TWinControl::UpdateTabOrder(int Value) {
  if (!FParent) return;
  auto& L = FParent->FTabList;
  int Cur = TabOrder();
  if (Cur < 0) return;
  int Count = static_cast<int>(L.size());
  if (Value < 0 || Value >= Count) Value = Count - 1;
  if (Value == Cur) return;
  L.erase(L.begin() + Cur);
  L.insert(L.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  UpdateStyleBits(WS_TABSTOP, 0);
  Perform(CM_TABSTOPCHANGED);
}

bool TWinControl::CanFocus() {
  TCustomForm* Form = GetParentForm(this);
  for (TControl* C = this; C && C != Form; C = C->Parent())
    if (!C->Visible() || !C->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  TCustomForm* Form = GetParentForm(this);
  if (Form && Form != this) Form->FocusControl(this);
  else ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* W : FTabList) {
    List.push_back(W);
    W->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> List;
  GetTabOrderList(List);
  if (List.empty()) return nullptr;
  auto Count = static_cast<int>(List.size());
  auto It = std::find(List.begin(), List.end(), CurControl);
  int Start = It == List.end() ? (GoForward ? Count - 1 : 0) : static_cast<int>(It - List.begin());
  int I = Start;
  do {
    I = GoForward ? (I + 1) % Count : (I + Count - 1) % Count;
    TWinControl* C = List[static_cast<size_t>(I)];
    if (C != CurControl && C->CanFocus() && (!CheckTabStop || C->TabStop()) &&
        (!CheckParent || C->Parent() == this))
      return C;
  } while (I != Start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* Next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    Next->SetFocus();
}

bool TWinControl::DoDialogKey(WORD Key) {
  if (Key != VK_RETURN && Key != VK_ESCAPE) return false;
  // The key goes along (as Windows passes it), so a control may claim Enter and leave Escape.
  if (Perform(WM_GETDLGCODE, Key) & DLGC_WANTALLKEYS) return false;
  TCustomForm* Form = GetParentForm(this);
  HWND Wnd = FHandle;
  if (!Form || !Form->Perform(CM_DIALOGKEY, Key, 0)) return false;
  // Used up: the character TranslateMessage queued for it must not reach the control.
  MSG Char;
  if (Wnd && PeekMessageA(&Char, Wnd, WM_CHAR, WM_CHAR, PM_NOREMOVE) &&
      (Char.wParam == '\r' || Char.wParam == VK_ESCAPE))
    PeekMessageA(&Char, Wnd, WM_CHAR, WM_CHAR, PM_REMOVE);
  return true;
}

bool TWinControl::WantsTab() {
  return (Perform(WM_GETDLGCODE) & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) != 0;
}

void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

bool TWinControl::DoKeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  return Key == 0;
}

bool TWinControl::DoKeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
  return Key == 0;
}

void TWinControl::NotifyControls(UINT Msg) {
  for (TControl* C : std::vector<TControl*>(FControls)) C->Perform(Msg);
}

// ---- Messages ---------------------------------------------------------------------------------------

void TWinControl::TrackMouseTarget(TControl* Target) {
  if (t_MouseControl != Target) {
    TControl* Old = t_MouseControl;
    t_MouseControl = Target;
    if (Old) Old->Perform(CM_MOUSELEAVE);
    if (Target) Target->Perform(CM_MOUSEENTER);
  }
  TRACKMOUSEEVENT Track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
  TrackMouseEvent(&Track);
}

bool TWinControl::RouteMouseToChild(TMessage& Message) {
  TPoint P = Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
  TControl* Target = nullptr;
  if (t_CaptureControl && t_CaptureControl->FParent == this) {
    Target = t_CaptureControl;
  } else if (!t_CaptureControl || GetCapture() != FHandle) {
    TControl* C = ControlAtPos(P, false);
    if (C && !C->IsWindowed()) Target = C;
  }
  if (Message.Msg == WM_MOUSEMOVE && FHandle) TrackMouseTarget(Target ? Target : this);
  if (!Target) return false;
  Message.Result = Target->Perform(Message.Msg, Message.WParam,
                                   MAKELPARAM(P.x - Target->FLeft, P.y - Target->FTop));
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  if (IsMouseMessage(Message.Msg) && RouteMouseToChild(Message)) return;
  TControl::WndProc(Message);
}

void TWinControl::ReflectToChild(TMessage& Message, HWND Child) {
  // Sent to the child's window, so subclasses installed on it see the reflected message too.
  if (Child && Child != FHandle && FindControl(Child)) {
    Message.Result = SendMessageA(Child, CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      ReflectToChild(Message, reinterpret_cast<HWND>(Message.LParam));
      return;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (Message.LParam) {
        ReflectToChild(Message, reinterpret_cast<HWND>(Message.LParam));
        return;
      }
      break;
    case WM_NOTIFY:
      if (auto* Header = reinterpret_cast<NMHDR*>(Message.LParam)) {
        ReflectToChild(Message, Header->hwndFrom);
        return;
      }
      break;
    case WM_DRAWITEM:
      if (auto* Item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam); Item && Item->CtlType != ODT_MENU) {
        ReflectToChild(Message, Item->hwndItem);
        return;
      }
      break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      auto DC = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(DC, ColorToRGB(Font()->Color()));
      SetBkColor(DC, ColorToRGB(FBrush->Color()));
      Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      return;
    }
    case WM_ERASEBKGND:
      if (!FSubclassed) {
        EraseBackground(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 1;
        return;
      }
      break;
    case WM_PAINT:
      if (!FSubclassed) {
        PaintHandler(Message);
        return;
      }
      break;
    case WM_PRINTCLIENT:
      if (!FSubclassed) {
        auto DC = reinterpret_cast<HDC>(Message.WParam);
        // Through the window, so that whoever subclassed it (a background painter) draws it.
        if (Message.LParam & PRF_ERASEBKGND) SendMessageA(FHandle, WM_ERASEBKGND, Message.WParam, 0);
        PaintWindow(DC);
        PaintControls(DC, nullptr);
        return;
      }
      break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      DefaultHandler(Message);
      UpdateBounds();
      return;
    case WM_SETFOCUS:
      DefaultHandler(Message);
      if (TCustomForm* Form = GetParentForm(this)) Form->SetFocusedControl(this);
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DefaultHandler(Message);
      DoExit();
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto Key = static_cast<WORD>(Message.WParam);
      if (DoKeyDown(Key, KeyboardShiftState())) return;
      Message.WParam = Key;
      if (Key == VK_TAB && Message.Msg == WM_KEYDOWN && !WantsTab())
        if (TCustomForm* Form = GetParentForm(this); Form && Form != this) {
          Form->SelectNext(this, GetKeyState(VK_SHIFT) >= 0, true);
          return;
        }
      if (Message.Msg == WM_KEYDOWN && DoDialogKey(Key)) return;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      auto Key = static_cast<WORD>(Message.WParam);
      if (OnKeyUp) OnKeyUp(this, Key, KeyboardShiftState());
      if (Key == 0) return;
      Message.WParam = Key;
      break;
    }
    case WM_CHAR: {
      auto Key = static_cast<char>(Message.WParam);
      if (DoKeyPress(Key)) return;
      Message.WParam = static_cast<unsigned char>(Key);
      if (Key == '\t' && !WantsTab() && GetParentForm(this) && GetParentForm(this) != this) return;
      break;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
        TCursor Cur = Screen->Cursor();
        if (Cur == crDefault) {
          POINT P;
          GetCursorPos(&P);
          ::ScreenToClient(FHandle, &P);
          TControl* C = ControlAtPos(P, false);
          Cur = C ? C->Cursor() : FCursor;
        }
        if (Cur != crDefault) {
          ::SetCursor(Screen->Cursors(Cur));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_MOUSELEAVE:
      if (t_MouseControl && (t_MouseControl == this || t_MouseControl->FParent == this)) {
        TControl* Old = t_MouseControl;
        t_MouseControl = nullptr;
        Old->Perform(CM_MOUSELEAVE);
      }
      break;
    case WM_CONTEXTMENU: {
      // Some common controls (Wine's tree view) ask their parent: the child's menu answers.
      auto* From = FindControl(reinterpret_cast<HWND>(Message.WParam));
      if (From && From != this && From->PopupMenu() && ContainsControl(From)) {
        Message.Result = From->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
        return;
      }
      TPoint P = Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      if (FHandle && !(P.x == -1 && P.y == -1)) {
        POINT C = P;
        ::ScreenToClient(FHandle, &C);
        TControl* Child = ControlAtPos(C, false);
        if (Child && Child->PopupMenu()) {
          Message.Result = Child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
          return;
        }
      }
      break;
    }
    case CM_DIALOGKEY:
      for (TControl* C : std::vector<TControl*>(FControls))
        if (C->IsWindowed() && (Message.Result = C->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam)) != 0)
          return;
      return;
    case WM_GETMINMAXINFO: {
      DefaultHandler(Message);
      auto* Info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      const TSizeConstraints* Limits = Constraints();
      if (Limits->MinWidth() > 0) Info->ptMinTrackSize.x = Limits->MinWidth();
      if (Limits->MinHeight() > 0) Info->ptMinTrackSize.y = Limits->MinHeight();
      if (Limits->MaxWidth() > 0) Info->ptMaxTrackSize.x = Limits->MaxWidth();
      if (Limits->MaxHeight() > 0) Info->ptMaxTrackSize.y = Limits->MaxHeight();
      return;
    }
    case CM_COLORCHANGED:
      FBrush->SetColor(FColor);
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      if (FHandle && FSubclassed)
        CallWindowProcA(FDefWndProc, FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), TRUE);
      NotifyControls(CM_PARENTFONTCHANGED);
      Invalidate();
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_ENABLEDCHANGED:
      if (FHandle) EnableWindow(FHandle, FEnabled);
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      if (FHandle) ShowWindow(FHandle, FVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
      return;
  }
  TControl::Dispatch(Message);
}

// ---- Painting ---------------------------------------------------------------------------------------

void TWinControl::PaintHandler(TMessage& Message) {
  TPaintScope Paint(FHandle, reinterpret_cast<HDC>(Message.WParam));
  PaintWindow(Paint.DC());
  PaintControls(Paint.DC(), nullptr);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto Start = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
  std::vector<TControl*> List(Start, FControls.end());
  for (TControl* C : List) {
    if (C->IsWindowed() || !C->FVisible) continue;
    TRect R = C->BoundsRect();
    if (!RectVisible(DC, &R)) continue;
    TSavedDC Saved(DC);
    IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
    OffsetViewportOrgEx(DC, R.left, R.top, nullptr);
    C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::EraseBackground(HDC DC) {
  RECT R;
  GetClientRect(FHandle, &R);
  FillRect(DC, &R, FBrush->Handle());
  if (!FControlStyle.Contains(csOpaque)) PaintParentBackground(DC);
}

void TWinControl::PaintParentBackground(HDC DC) {
  HWND Parent = GetParent(FHandle);
  if (!Parent || !(GetWindowLongPtrA(FHandle, GWL_STYLE) & WS_CHILD)) return;
  POINT Origin{0, 0};
  MapWindowPoints(FHandle, Parent, &Origin, 1);
  TSavedDC Saved(DC);
  OffsetViewportOrgEx(DC, -Origin.x, -Origin.y, nullptr);
  SendMessageA(Parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT | PRF_ERASEBKGND);
}

// ---- TSizeConstraints -------------------------------------------------------------------------------

void TSizeConstraints::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TSizeConstraints*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FMaxHeight = Src->FMaxHeight;
  FMaxWidth = Src->FMaxWidth;
  FMinHeight = Src->FMinHeight;
  FMinWidth = Src->FMinWidth;
  if (FControl) FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
}

TPersistent* TSizeConstraints::GetOwner() { return FControl; }

void TSizeConstraints::SetLimit(int& Limit, int Value) {
  if (Value < 0 || Limit == Value) return;
  Limit = Value;
  if (FControl) FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
}

void TSizeConstraints::Apply(int& Width, int& Height) const {
  if (FMinWidth > 0 && Width < FMinWidth) Width = FMinWidth;
  if (FMaxWidth > 0 && Width > FMaxWidth) Width = FMaxWidth;
  if (FMinHeight > 0 && Height < FMinHeight) Height = FMinHeight;
  if (FMaxHeight > 0 && Height > FMaxHeight) Height = FMaxHeight;
}

// ---- TControlCanvas ---------------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  HDC DC = FDeviceContext;
  FDeviceContext = nullptr;
  SetHandle(nullptr);
  ReleaseDC(FWindow, DC);
  FWindow = nullptr;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  FreeHandle();
  if (auto* W = dynamic_cast<TWinControl*>(FControl)) {
    FWindow = W->Handle();
    FDeviceContext = GetDC(FWindow);
  } else if (TWinControl* P = FControl->Parent()) {
    FWindow = P->Handle();
    FDeviceContext = GetDC(FWindow);
    if (FDeviceContext) {
      SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
      IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
    }
  }
  if (FDeviceContext) SetHandle(FDeviceContext);
}

// ---- TGraphicControl / TCustomControl ---------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(TControlCanvas::Create(this)) {}

TGraphicControl::~TGraphicControl() { FCanvas->Free(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam) {
    FCanvas->FreeHandle();
    FCanvas->SetHandle(reinterpret_cast<HDC>(Message.WParam));
    try {
      Paint();
    } catch (...) {
      FCanvas->SetHandle(nullptr);
      throw;
    }
    FCanvas->SetHandle(nullptr);
    return;
  }
  TControl::Dispatch(Message);
}

void TGraphicControl::PaintImmediately() {
  if (!Parent() || !Parent()->HandleAllocated()) return;
  bool HadDC = FCanvas->HandleAllocated();
  try {
    Paint();
  } catch (...) {
    if (!HadDC) FCanvas->FreeHandle();
    throw;
  }
  if (!HadDC) FCanvas->FreeHandle();
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(TControlCanvas::Create(this)) {}

TCustomControl::~TCustomControl() { FCanvas->Free(); }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

void TCustomControl::DestroyWnd() {
  FCanvas->FreeHandle();
  TWinControl::DestroyWnd();
}

// ---- Published members ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TControl) {
  C.Property("Left", &TControl::Left, &TControl::SetLeft);
  C.Property("Top", &TControl::Top, &TControl::SetTop);
  C.Property("Width", &TControl::Width, &TControl::SetWidth);
  C.Property("Height", &TControl::Height, &TControl::SetHeight);
  C.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Type(CursorTypeInfo()).Default(crDefault);
  C.Property("Hint", &TControl::Hint, &TControl::SetHint);
}

VD_DEFINE_CLASS(TWinControl) {}

VD_DEFINE_CLASS(TSizeConstraints) {
  C.Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  C.Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  C.Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  C.Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}
VD_DEFINE_CLASS(TControlCanvas) {}
VD_DEFINE_CLASS(TGraphicControl) {}
VD_DEFINE_CLASS(TCustomControl) {}
