// Forms, the application object and the screen.
//
// A form descended from TForm reads its form resource while it is constructed (after the C++
// constructors, in AfterConstruction), then fires OnCreate. It may be a top-level window or a
// borderless child of any window (ParentWindow); BorderStyle, BorderIcons, FormStyle and
// ParentWindow change a live window in place and never re-create it, so subclassing, hooks and
// theme handles made on the window survive.
//
// Application and Screen are process-wide objects made on first use and never freed. Their
// state is guarded for the many UI threads of a shell; what concerns one thread's windows
// (the active form, the focused control) is read from that thread's window state.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "classlib/ModuleRuntime.h"
#include "classlib/Controls.h"
#include "classlib/UIServices.h"

class TMainMenu;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
VD_ENUM_INFO(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
VD_ENUM_INFO(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
VD_ENUM_INFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
             "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
enum TCloseAction { caNone, caHide, caFree, caMinimize };
VD_ENUM_INFO(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = IDOK;
inline constexpr TModalResult mrCancel = IDCANCEL;
inline constexpr TModalResult mrAbort = IDABORT;
inline constexpr TModalResult mrRetry = IDRETRY;
inline constexpr TModalResult mrIgnore = IDIGNORE;
inline constexpr TModalResult mrYes = IDYES;
inline constexpr TModalResult mrNo = IDNO;
inline constexpr TModalResult mrAll = mrNo + 1;
inline constexpr TModalResult mrNoToAll = mrAll + 1;
inline constexpr TModalResult mrYesToAll = mrNoToAll + 1;

using TCloseEvent = TEvent<TObject* /*Sender*/, TCloseAction& /*Action*/>;
using TCloseQueryEvent = TEvent<TObject* /*Sender*/, bool& /*CanClose*/>;

// Selects the constructor that makes a form without reading a form resource.
struct TCreateNew {};
inline constexpr TCreateNew CreateNewForm{};

class TCustomForm : public TWinControl {
  VD_CLASS(TCustomForm, TWinControl);

public:
  // Reads the class's form resource in AfterConstruction (classes other than TForm itself);
  // EResNotFound "Resource TX not found" when a descendant has none.
  explicit TCustomForm(TComponent* AOwner);
  // Makes the form without a resource.
  TCustomForm(TComponent* AOwner, TCreateNew);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const noexcept { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const noexcept { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  // poScreenCenter and poDesktopCenter centre a top-level form on the screen whenever it is
  // shown; the other values place it where Left and Top say.
  TPosition Position() const noexcept { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  // Read from form resources and kept; nothing is scaled.
  int PixelsPerInch() const noexcept { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int TextHeight() const noexcept { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }
  bool OldCreateOrder() const noexcept { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }
  // The menu bar (not owned; nil: none).
  TMainMenu* Menu() const noexcept { return FMenu; }
  void SetMenu(TMainMenu* Value);

  // The control that has (or gets, when the form is activated) the focus. Follows the focus
  // whenever a control of the form receives it.
  TWinControl* ActiveControl() const noexcept { return FActiveControl; }
  void SetActiveControl(TWinControl* Value);

  void SetVisible(bool Value) override;
  void Show();
  TCanvas* Canvas() const noexcept { return FCanvas; }
  // Shows the form modally and returns its ModalResult. The modal part runs through
  // UIServices().RunModal (UIServices.h): by default ModalLoop, a test's script otherwise.
  TModalResult ShowModal();
  // The real modal loop: shows the form with the thread's other windows disabled and handles
  // messages until ModalResult is set and CloseModal agrees (or the application is terminated:
  // mrCancel); then hides it.
  void ModalLoop();
  // The closing step of a modal form whose ModalResult was set: CloseQuery and OnClose may keep
  // it open (ModalResult back to mrNone); caFree releases it.
  void CloseModal();
  TModalResult ModalResult() const noexcept { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const noexcept { return FModal; }
  // Asks CloseQuery, then OnClose decides: hide (default), free (Release), minimize or nothing.
  // A modal form gets ModalResult mrCancel instead.
  void Close();
  // OnCloseQuery; a descendant may refuse.
  virtual bool CloseQuery();
  // Frees the form once the messages now queued for it are handled.
  void Release();
  bool SetFocusedControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  ~TCustomForm() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  bool HasMenuBar() const override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TComponent* GetChildParent() override { return this; }
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  void Activate();
  void Deactivate();

private:
  friend class TWinControl;
  void InitForm();
  void ApplyFrameStyle();
  void PlaceOnScreen();
  void ControlRemoving(TControl* Control);
  bool IsTopLevel() const { return !Parent() && !ParentWindow(); }

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TFormStyle FFormStyle = fsNormal;
  TPosition FPosition = poDesigned;
  int FPixelsPerInch;
  int FTextHeight = 13;
  bool FOldCreateOrder = false;
  bool FReadResource = true;
  bool FModal = false;
  TModalResult FModalResult = mrNone;
  TMainMenu* FMenu = nullptr;
  TWinControl* FActiveControl = nullptr;
  TControlCanvas* FCanvas = nullptr;
};

class TForm : public TCustomForm {
  VD_CLASS(TForm, TCustomForm);

public:
  using TCustomForm::TCustomForm;
};

using TFormClass = TClassRef<TCustomForm>;

// ---- TApplication -----------------------------------------------------------------------------------

using TExceptionEvent = TEvent<TObject* /*Sender*/, Exception& /*E*/>;

class TApplication : public TComponent {
  VD_CLASS(TApplication, TComponent);

public:
  explicit TApplication(TComponent* AOwner);

  // The application's window: 0 unless the program sets one (always 0 inside a library).
  HWND Handle() const noexcept { return FHandle.load(); }
  void SetHandle(HWND Value) { FHandle.store(Value); }
  std::string Title() const;
  void SetTitle(const std::string& Value);
  TIcon* Icon() const noexcept { return FIcon; }
  TCustomForm* MainForm() const noexcept { return FMainForm; }
  void SetMainForm(TCustomForm* Value) { FMainForm = Value; }

  // Reports the exception being handled (call it inside a catch block): EAbort is silent;
  // OnException receives the others when assigned, ShowException otherwise. Exceptions that are
  // not Exception objects are reported as one. Never throws.
  void HandleException(TObject* Sender);
  // The default report, through UIServices().ShowException: by default the message goes to the
  // debugger output (never a modal box: the library runs inside other programs' processes).
  void ShowException(Exception& E);
  // A message box (MB_* flags) through UIServices().MessageBox, owned by Owner or, without one, by
  // the active window; returns the button pressed (IDOK, ...).
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK, HWND Owner = nullptr);
  TExceptionEvent OnException;

  // Handles the calling thread's pending messages. A WM_QUIT ends it, sets Terminated and is
  // posted again for the thread's own message loop.
  void ProcessMessages();
  // Handles one message, waiting for one when none is pending.
  void HandleMessage();
  void Terminate();
  bool Terminated() const noexcept { return FTerminated.load(); }

  bool ShowHint() const noexcept { return FShowHint.load(); }
  void SetShowHint(bool Value) { FShowHint.store(Value); }
  std::string Hint() const;
  void SetHint(const std::string& Value);
  TColor HintColor() const noexcept { return FHintColor.load(); }
  void SetHintColor(TColor Value) { FHintColor.store(Value); }
  int HintPause() const noexcept { return FHintPause.load(); }
  void SetHintPause(int Value) { FHintPause.store(Value); }
  int HintHidePause() const noexcept { return FHintHidePause.load(); }
  void SetHintHidePause(int Value) { FHintHidePause.store(Value); }
  TNotifyEvent OnHint;

  // Marks the application as going away (csDestroying); the module's shutdown calls it.
  void ShuttingDown() { Destroying(); }

protected:
  ~TApplication() override;

private:
  bool ProcessMessage(MSG& Msg);
  std::atomic<HWND> FHandle{nullptr};
  mutable TCriticalSection FLock;
  std::string FTitle;
  std::string FHint;
  TIcon* FIcon;
  TCustomForm* FMainForm = nullptr;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FShowHint{true};
  std::atomic<TColor> FHintColor{clInfoBk};
  std::atomic<int> FHintPause{500};
  std::atomic<int> FHintHidePause{2500};
};

// ---- TScreen -------------------------------------------------------------------------------------

class TScreen : public TComponent {
  VD_CLASS(TScreen, TComponent);

public:
  explicit TScreen(TComponent* AOwner);

  // The cursor of slot Index; an empty slot gives the crDefault cursor. The system slots
  // (crDefault .. crSizeAll) are filled at creation.
  HCURSOR Cursors(int Index) const;
  // Puts Value into slot Index (0 empties it; a system slot then goes back to the system
  // cursor). The table does not own the cursors: who puts one in destroys it after taking it
  // out again.
  void SetCursors(int Index, HCURSOR Value);
  // A cursor shown over every control of the application (crDefault: each control's own).
  TCursor Cursor() const noexcept { return FCursor.load(); }
  void SetCursor(TCursor Value);

  int FormCount() const;
  TCustomForm* Forms(int Index) const;
  // The form of the calling thread's active window (or of its focused window), nil when none.
  TCustomForm* ActiveForm() const;
  // The control of the calling thread's focused window, nil when none.
  TWinControl* ActiveControl() const;

  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int PixelsPerInch() const;

private:
  friend class TCustomForm;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void LoadSystemCursor(int Index);

  mutable TCriticalSection FLock;
  std::vector<std::pair<int, HCURSOR>> FCursors;
  std::vector<TCustomForm*> FForms;
  std::atomic<TCursor> FCursor{crDefault};
};

namespace forms_detail {
// Makes T on first use and keeps it to the end of the process (it must outlive every unit
// shutdown); a library's real unload frees it last. Thread-safe.
template <class T> class TGlobalObject {
public:
  T* operator->() const { return Get(); }
  T& operator*() const { return *Get(); }
  operator T*() const { return Get(); }
  T* Get() const {
    static T* const Instance = Make();
    return Instance;
  }

private:
  static T* Make() {
    T* Made = T::Create(nullptr);
    AtModuleRelease([] { TGlobalObject().Get()->Free(); });
    return Made;
  }
};
}  // namespace forms_detail

inline constexpr forms_detail::TGlobalObject<TApplication> Application{};
inline constexpr forms_detail::TGlobalObject<TScreen> Screen{};
