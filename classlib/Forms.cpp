#include "classlib/Forms.h"

#include <algorithm>
#include <exception>

#include "classlib/DataModule.h"
#include "classlib/FormStream.h"
#include "classlib/Menus.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"

namespace {
void HandleDataModuleException(TObject* Sender) { Application->HandleException(Sender); }

// Data modules report OnCreate/OnDestroy failures through the application. Only a pointer is
// stored here, so this is safe at load time.
struct TDataModuleHook {
  TDataModuleHook() { ApplicationHandleException = &HandleDataModuleException; }
} g_DataModuleHook;

void ShutdownForms() { Application->ShuttingDown(); }
const TUnitRegistration g_FormsUnit(urClassLibrary + 2, {"Forms", nullptr, &ShutdownForms});

// The frame bits that BorderStyle, BorderIcons and FormStyle decide.
constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME | WS_POPUP;
constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW |
                                 WS_EX_CONTEXTHELP;

// Disables the calling thread's other enabled, visible top-level windows while a form is modal.
class TDisabledWindows {
public:
  explicit TDisabledWindows(HWND Keep) : FKeep(Keep) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND W : FWindows) EnableWindow(W, FALSE);
  }
  ~TDisabledWindows() {
    for (HWND W : FWindows)
      if (IsWindow(W)) EnableWindow(W, TRUE);
  }
  TDisabledWindows(const TDisabledWindows&) = delete;
  TDisabledWindows& operator=(const TDisabledWindows&) = delete;

private:
  static BOOL CALLBACK Collect(HWND Wnd, LPARAM Param) {
    auto* Self = reinterpret_cast<TDisabledWindows*>(Param);
    if (Wnd != Self->FKeep && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) Self->FWindows.push_back(Wnd);
    return TRUE;
  }
  HWND FKeep;
  std::vector<HWND> FWindows;
};
}  // namespace

// ---- TCustomForm --------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) { InitForm(); }

TCustomForm::TCustomForm(TComponent* AOwner, TCreateNew) : TWinControl(AOwner) {
  InitForm();
  FReadResource = false;
}

void TCustomForm::InitForm() {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csOpaque, csDoubleClicks};
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = clBtnFace;
  Brush()->SetColor(FColor);
  StoreBounds(0, 0, 320, 240);
  FPixelsPerInch = graphics_detail::ScreenLogPixels();
  FCanvas = TControlCanvas::Create(this);
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Screen->RemoveForm(this);
  if (FCanvas) FCanvas->Free();
}

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  bool Streams = FReadResource && ClassType() != ClassOf<TForm>() &&
                 ClassType() != ClassOf<TCustomForm>() &&
                 !ComponentState().Contains(csDesigning);
  if (Streams && !InitInheritedComponent(this, ClassOf<TForm>()))
    throw EResNotFound("Resource " + ClassName() + " not found");
  // Both create orders end here: the C++ constructors have all run before.
  DoCreate();
}

void TCustomForm::BeforeDestruction() {
  Destroying();
  DoDestroy();
  Screen->RemoveForm(this);
  if (Application->MainForm() == this) Application->SetMainForm(nullptr);
  TWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::DoDestroy() {
  try {
    OnDestroy(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& Action) { OnClose(this, Action); }
void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (FVisible) {  // a description that shows the form does so once it is read
    FVisible = false;
    SetVisible(true);
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  if (AComponent == FMenu) SetMenu(nullptr);
}

void TCustomForm::ControlRemoving(TControl* Control) {
  if (!FActiveControl) return;
  auto* Container = dynamic_cast<TWinControl*>(Control);
  if (FActiveControl == Control || (Container && Container->ContainsControl(FActiveControl)))
    FActiveControl = nullptr;
}

// ---- Window -------------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  if (Parent()) {
    Params.Style |= WS_CHILD;
  } else if (ParentWindow()) {
    Params.Style |= WS_CHILD;
    Params.WndParent = ParentWindow();
  } else {
    Params.Style &= ~WS_CLIPSIBLINGS;
    Params.WndParent = Application->Handle();
  }
  bool TopLevel = !(Params.Style & WS_CHILD);
  if (FVisible) Params.Style |= WS_VISIBLE;
  switch (FBorderStyle) {
    case bsNone:
      if (TopLevel) Params.Style |= WS_POPUP;
      break;
    case bsSingle:
      Params.Style |= WS_CAPTION;
      break;
    case bsSizeable:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      Params.Style |= WS_CAPTION | (TopLevel ? WS_POPUP : 0);
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (FBorderStyle != bsNone) {
    if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    bool MinMax = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
    if (MinMax && FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
    if (MinMax && FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    bool NoBoxes = !(Params.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    if (FBorderIcons.Contains(biHelp) && NoBoxes) Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == fsStayOnTop && TopLevel) Params.ExStyle |= WS_EX_TOPMOST;
  Params.WindowClass.style = CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (FMenu && IsTopLevel()) ::SetMenu(Handle(), FMenu->Handle());
}

void TCustomForm::DestroyWnd() {
  FCanvas->FreeHandle();
  if (FMenu && HandleAllocated()) ::SetMenu(Handle(), nullptr);  // the menu outlives the window
  TWinControl::DestroyWnd();
}

bool TCustomForm::HasMenuBar() const { return FMenu && IsTopLevel(); }

void TCustomForm::ApplyFrameStyle() { UpdateStyleBits(kFrameStyles, kFrameExStyles); }

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  ApplyFrameStyle();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  ApplyFrameStyle();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  if (HandleAllocated() && IsTopLevel())
    SetWindowPos(Handle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (FMenu == Value) return;
  if (FMenu) FMenu->RemoveFreeNotification(this);
  FMenu = Value;
  if (Value) Value->FreeNotification(this);
  if (HandleAllocated() && IsTopLevel()) ::SetMenu(Handle(), Value ? Value->Handle() : nullptr);
}

void TCustomForm::PaintWindow(HDC DC) {
  if (!OnPaint) return;
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  try {
    OnPaint(this);
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

// ---- Showing and closing ------------------------------------------------------------------------

void TCustomForm::SetVisible(bool Value) {
  if (ComponentState().Contains(csLoading)) {
    FVisible = Value;
    return;
  }
  if (FVisible == Value) return;
  if (Value) {
    DoShow();
    FVisible = true;
    HWND Wnd = Handle();
    PlaceOnScreen();
    bool Child = (GetWindowLongPtrA(Wnd, GWL_STYLE) & WS_CHILD) != 0;
    ShowWindow(Wnd, Child ? SW_SHOW : SW_SHOWNORMAL);
  } else {
    FVisible = false;
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    DoHide();
  }
}

void TCustomForm::PlaceOnScreen() {
  if (!IsTopLevel() || (FPosition != poScreenCenter && FPosition != poDesktopCenter)) return;
  SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FModal)
    throw EInvalidOperation("Cannot make a visible window modal");
  FModal = true;
  FModalResult = mrNone;
  try {
    UIServices().RunModal(*this);
  } catch (...) {
    FModal = false;
    Hide();
    throw;
  }
  FModal = false;
  Hide();
  return FModalResult;
}

void TCustomForm::ModalLoop() {
  TDisabledWindows Disabled(Handle());
  Show();
  while (FModalResult == mrNone) {
    Application->HandleMessage();
    if (Application->Terminated()) FModalResult = mrCancel;
    else if (FModalResult != mrNone) CloseModal();
  }
  Hide();  // before the other windows are enabled again, so one of them becomes active
}

void TCustomForm::CloseModal() {
  TCloseAction Action = caNone;
  if (CloseQuery()) {
    Action = caHide;
    DoClose(Action);
  }
  if (Action == caNone) FModalResult = mrNone;
  else if (Action == caFree) Release();
}

bool TCustomForm::CloseQuery() {
  bool CanClose = true;
  OnCloseQuery(this, CanClose);
  return CanClose;
}

void TCustomForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction Action = caHide;
  DoClose(Action);
  switch (Action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case caFree:
      Release();
      break;
    case caNone:
      break;
  }
}

void TCustomForm::Release() { PostMessageA(Handle(), CM_RELEASE, 0, 0); }

// ---- Focus --------------------------------------------------------------------------------------

void TCustomForm::SetActiveControl(TWinControl* Value) {
  if (FActiveControl == Value) return;
  bool Loading = ComponentState().Contains(csLoading);
  if (Value && !Loading) {
    if (Value == this || GetParentForm(Value) != this)
      throw EInvalidOperation("Invalid form activation: the control is not on this form");
    if (!Value->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  }
  FActiveControl = Value;
  if (Value && !Loading && HandleAllocated() && IsWindowVisible(Handle())) ::SetFocus(Value->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (!Control || Control == this) return false;
  FActiveControl = Control;
  return true;
}

void TCustomForm::FocusControl(TWinControl* Control) {
  FActiveControl = Control;
  if (Control && HandleAllocated() && IsWindowVisible(Handle())) ::SetFocus(Control->Handle());
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      Close();
      Message.Result = 0;
      return;
    case CM_RELEASE:
      Free();
      return;
    case WM_ACTIVATE:
      if (LOWORD(Message.WParam) != WA_INACTIVE) {
        Activate();
        if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus()) {
          ::SetFocus(FActiveControl->Handle());
          Message.Result = 0;
          return;
        }
      } else {
        Deactivate();
      }
      break;
    case WM_SETFOCUS:
      if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus()) {
        ::SetFocus(FActiveControl->Handle());
        return;
      }
      break;
    case WM_COMMAND:
      if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu &&
          FMenu->DispatchCommand(LOWORD(Message.WParam)))
        return;
      break;
  }
  TWinControl::Dispatch(Message);
}

// ---- TApplication -------------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), FIcon(TIcon::Create()) {
  char Path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, Path, MAX_PATH);
  std::string Name = ExtractFileName(Path);
  std::string Ext = ExtractFileExt(Name);
  FTitle = Name.substr(0, Name.size() - Ext.size());
  ApplicationHandleException = &HandleDataModuleException;
}

TApplication::~TApplication() { FIcon->Free(); }

std::string TApplication::Title() const {
  std::lock_guard Guard(FLock);
  return FTitle;
}

void TApplication::SetTitle(const std::string& Value) {
  std::lock_guard Guard(FLock);
  FTitle = Value;
}

std::string TApplication::Hint() const {
  std::lock_guard Guard(FLock);
  return FHint;
}

void TApplication::SetHint(const std::string& Value) {
  {
    std::lock_guard Guard(FLock);
    FHint = Value;
  }
  OnHint(this);
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr Current = std::current_exception();
  if (!Current) return;
  auto Report = [this, Sender](Exception& E) {
    try {
      if (OnException) OnException(Sender, E);
      else ShowException(E);
    } catch (...) {
      OutputDebugStringA("exception in the application's exception handler\n");
    }
  };
  try {
    std::rethrow_exception(Current);
  } catch (EAbort&) {
  } catch (Exception& E) {
    Report(E);
  } catch (std::exception& E) {
    Exception Wrapped(E.what());
    Report(Wrapped);
  } catch (...) {
    Exception Wrapped("Unknown exception");
    Report(Wrapped);
  }
}

void TApplication::ShowException(Exception& E) { UIServices().ShowException(E); }

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags, HWND Owner) {
  return UIServices().MessageBox(Text, Caption, Flags, Owner);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated.store(true);
    PostQuitMessage(static_cast<int>(Msg.wParam));  // the thread's own loop ends on it too
    return false;
  }
  TranslateMessage(&Msg);
  DispatchMessageA(&Msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG Msg;
  while (ProcessMessage(Msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG Msg;
  if (!ProcessMessage(Msg) && !Terminated()) WaitMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

// ---- TScreen ------------------------------------------------------------------------------------

namespace {
struct TSystemCursor {
  TCursor Index;
  LPCSTR Id;
};
const TSystemCursor kSystemCursors[] = {
    {crDefault, IDC_ARROW},     {crArrow, IDC_ARROW},        {crCross, IDC_CROSS},
    {crIBeam, IDC_IBEAM},       {crSizeNESW, IDC_SIZENESW},  {crSizeNS, IDC_SIZENS},
    {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},      {crUpArrow, IDC_UPARROW},
    {crHourGlass, IDC_WAIT},    {crDrag, IDC_ARROW},         {crNoDrop, IDC_NO},
    {crHSplit, IDC_SIZEWE},     {crVSplit, IDC_SIZENS},      {crMultiDrag, IDC_ARROW},
    {crSQLWait, IDC_WAIT},      {crNo, IDC_NO},              {crAppStart, IDC_APPSTARTING},
    {crHelp, IDC_HELP},         {crHandPoint, IDC_HAND},     {crSizeAll, IDC_SIZEALL},
};
}  // namespace

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  for (const auto& C : kSystemCursors) LoadSystemCursor(C.Index);
  FCursors.emplace_back(crNone, nullptr);
}

void TScreen::LoadSystemCursor(int Index) {
  for (const auto& C : kSystemCursors)
    if (C.Index == Index) FCursors.emplace_back(Index, LoadCursorA(nullptr, C.Id));
}

HCURSOR TScreen::Cursors(int Index) const {
  std::lock_guard Guard(FLock);
  HCURSOR Default = nullptr;
  for (const auto& [I, H] : FCursors) {
    if (I == Index) return H;
    if (I == crDefault) Default = H;
  }
  return Default;
}

void TScreen::SetCursors(int Index, HCURSOR Value) {
  std::lock_guard Guard(FLock);
  FCursors.erase(std::remove_if(FCursors.begin(), FCursors.end(),
                                [Index](const auto& Slot) { return Slot.first == Index; }),
                 FCursors.end());
  if (Value) FCursors.emplace_back(Index, Value);
  else if (Index == crNone) FCursors.emplace_back(crNone, nullptr);
  else LoadSystemCursor(Index);
}

void TScreen::SetCursor(TCursor Value) {
  FCursor.store(Value);
  if (Value != crDefault) {
    ::SetCursor(Cursors(Value));
    return;
  }
  POINT P;  // moving the mouse in place makes the window under it choose its cursor again
  if (GetCursorPos(&P)) SetCursorPos(P.x, P.y);
}

void TScreen::AddForm(TCustomForm* Form) {
  std::lock_guard Guard(FLock);
  FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  std::lock_guard Guard(FLock);
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
}

int TScreen::FormCount() const {
  std::lock_guard Guard(FLock);
  return static_cast<int>(FForms.size());
}

TCustomForm* TScreen::Forms(int Index) const {
  std::lock_guard Guard(FLock);
  if (Index < 0 || Index >= static_cast<int>(FForms.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FForms[static_cast<size_t>(Index)];
}

TCustomForm* TScreen::ActiveForm() const {
  TWinControl* Control = FindControl(GetActiveWindow());
  if (!Control) Control = FindControl(GetFocus());
  return Control ? GetParentForm(Control) : nullptr;
}

TWinControl* TScreen::ActiveControl() const { return FindControl(GetFocus()); }

int TScreen::PixelsPerInch() const { return graphics_detail::ScreenLogPixels(); }

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TCustomForm) {}

VD_DEFINE_CLASS(TForm) {
  C.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
  C.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  C.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  C.Property("Caption", &TForm::Caption, &TForm::SetCaption);
  C.Property("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight);
  C.Property("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth);
  C.Property("Color", &TForm::Color, &TForm::SetColor).Type(ColorTypeInfo()).Default(clBtnFace);
  C.Property("Constraints", &TForm::Constraints, &TForm::SetConstraints);
  C.Property("Enabled", &TForm::Enabled, &TForm::SetEnabled).Default(true);
  C.Property("Font", &TForm::Font, &TForm::SetFont);
  C.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
  C.Property("Menu", &TForm::Menu, &TForm::SetMenu);
  C.Property("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder);
  C.Property("ParentFont", &TForm::ParentFont, &TForm::SetParentFont).Default(false);
  C.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
  C.Property("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
  C.Property("ShowHint", &TForm::ShowHint, &TForm::SetShowHint).Default(false);
  C.Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight);
  C.Property("Visible", &TForm::Visible, &TForm::SetVisible).Default(false);
  // The client size describes a form; its outer size follows from it.
  C.Property("Width").Stored(false);
  C.Property("Height").Stored(false);
  C.Property("OnActivate", &TForm::OnActivate, &TForm::OnActivate);
  C.Property("OnClick", &TForm::OnClick, &TForm::OnClick);
  C.Property("OnClose", &TForm::OnClose, &TForm::OnClose);
  C.Property("OnCloseQuery", &TForm::OnCloseQuery, &TForm::OnCloseQuery);
  C.Property("OnCreate", &TForm::OnCreate, &TForm::OnCreate);
  C.Property("OnDblClick", &TForm::OnDblClick, &TForm::OnDblClick);
  C.Property("OnDeactivate", &TForm::OnDeactivate, &TForm::OnDeactivate);
  C.Property("OnDestroy", &TForm::OnDestroy, &TForm::OnDestroy);
  C.Property("OnHide", &TForm::OnHide, &TForm::OnHide);
  C.Property("OnKeyDown", &TForm::OnKeyDown, &TForm::OnKeyDown);
  C.Property("OnKeyPress", &TForm::OnKeyPress, &TForm::OnKeyPress);
  C.Property("OnKeyUp", &TForm::OnKeyUp, &TForm::OnKeyUp);
  C.Property("OnMouseDown", &TForm::OnMouseDown, &TForm::OnMouseDown);
  C.Property("OnMouseMove", &TForm::OnMouseMove, &TForm::OnMouseMove);
  C.Property("OnMouseUp", &TForm::OnMouseUp, &TForm::OnMouseUp);
  C.Property("OnPaint", &TForm::OnPaint, &TForm::OnPaint);
  C.Property("OnResize", &TForm::OnResize, &TForm::OnResize);
  C.Property("OnShow", &TForm::OnShow, &TForm::OnShow);
}

VD_DEFINE_CLASS(TApplication) {}
VD_DEFINE_CLASS(TScreen) {}
