#include "nx/NxTrayIcon.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"
#include "nx/NxTools.h"
#include "nx/NxUnitOrder.h"

namespace nxtrayicon_detail {
static_assert(std::is_same_v<decltype(&::Shell_NotifyIconA), TShellNotifyIconFunc>);
TShellNotifyIconFunc ShellNotifyIcon = &::Shell_NotifyIconA;
TShellMajorVersionFunc ShellMajorVersion = [] { return GetShell32Version() >> 16; };
}  // namespace nxtrayicon_detail

namespace {
std::atomic<UINT> g_taskbarCreated{0};

const TUnitRegistration kUnit(nxrTrayIcon, {"NxTrayIcon", &NxTrayIconInitialize, &NxTrayIconFinalize});

// An icon file read from a COM stream is never larger than this.
constexpr uint64_t kMaxIconStreamBytes = 16ull << 20;

bool ReadWholeStream(IStream* Source, TMemoryStream& Target) {
  uint8_t Buffer[65536];
  for (;;) {
    ULONG Done = 0;
    HRESULT Hr = Source->Read(Buffer, sizeof Buffer, &Done);
    if (FAILED(Hr)) return false;
    if (Done == 0) break;
    if (static_cast<uint64_t>(Target.Size()) + Done > kMaxIconStreamBytes) return false;
    Target.WriteBuffer(Buffer, static_cast<int32_t>(Done));
    if (Hr == S_FALSE) break;
  }
  Target.SetPosition(0);
  return true;
}
}  // namespace

UINT NxTaskbarCreatedMessage() {
  EnsureUnitsStarted();
  return g_taskbarCreated.load(std::memory_order_acquire);
}

void NxTrayIconInitialize() {
  g_taskbarCreated.store(RegisterWindowMessageA("TaskbarCreated"), std::memory_order_release);
  RegisterClass(ClassOf<TNxTrayIcon>());
}

void NxTrayIconFinalize() { UnRegisterClass(ClassOf<TNxTrayIcon>()); }

// ---- INxTrayIcon --------------------------------------------------------------------------------

class TNxTrayIcon::TInterface final : public INxTrayIcon {
public:
  explicit TInterface(TNxTrayIcon* Owner) : FOwner(Owner) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override {
    return Guard([&] { return FOwner->ComQueryInterface(Iid, Obj); });
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return FOwner->ComAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return FOwner->ComRelease(); }

  HRESULT STDMETHODCALLTYPE Click() override {
    return Guard([&] { return FOwner->Click(), S_OK; });
  }
  HRESULT STDMETHODCALLTYPE DblClick() override {
    return Guard([&] { return FOwner->DblClick(), S_OK; });
  }
  HRESULT STDMETHODCALLTYPE GetActive(BOOL* Value) override {
    if (!Value) return E_POINTER;
    *Value = FOwner->Active() ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetActive(BOOL Value) override {
    return Guard([&] { return FOwner->SetActive(Value != FALSE), S_OK; });
  }
  HRESULT STDMETHODCALLTYPE SetTipW(LPCWSTR Value) override {
    return Guard([&] {
      std::string Tip;
      if (Value && *Value) {
        int Size = WideCharToMultiByte(CP_ACP, 0, Value, -1, nullptr, 0, nullptr, nullptr);
        if (Size <= 0) return E_FAIL;
        Tip.resize(static_cast<size_t>(Size));
        WideCharToMultiByte(CP_ACP, 0, Value, -1, Tip.data(), Size, nullptr, nullptr);
        Tip.resize(static_cast<size_t>(Size - 1));
      }
      FOwner->FTip = Tip;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE LoadIconFromStream(IStream* Stream) override {
    if (!Stream) return E_POINTER;
    return Guard([&] {
      TMemoryStream Data;
      if (!ReadWholeStream(Stream, Data)) return E_FAIL;
      FOwner->FIcon->LoadFromStream(Data);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE Reserved(int, int) override { return S_OK; }

private:
  template <class F> static HRESULT Guard(F Body) noexcept {
    try {
      return Body();
    } catch (...) {
      return E_FAIL;
    }
  }
  TNxTrayIcon* FOwner;
};

// ---- TNxTrayIcon --------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxTrayIcon) {
  using T = TNxTrayIcon;
  C.Property("Icon", &T::FIcon, &T::SetIcon);
  C.Property("Active", &T::FActive, &T::SetActive);
  C.Property("ShowDesignTime", &T::FShowDesignTime, &T::SetShowDesignTime);
  C.Property("PopupMenu", &T::FPopupMenu, &T::SetPopupMenu);
  C.Property("Tip", &T::FTip, &T::SetTip);
  C.Property("InfoText", &T::FInfoText, &T::SetInfoText);
  C.Property("InfoTitle", &T::FInfoTitle, &T::SetInfoTitle);
  C.Property("InfoTimeout", &T::FInfoTimeout, &T::SetInfoTimeout).Default(10000);
  C.Property("InfoFlags", &T::FInfoFlags, &T::SetInfoFlags).Default(niifNone);
  C.Property("UseOwnInfo", &T::FUseOwnInfo, &T::SetUseOwnInfo).Default(false);
  C.Property("FadeEffect", &T::FFadeEffect, &T::SetFadeEffect).Default(true);
  C.Property("OnClick", &T::OnClick, &T::OnClick);
  C.Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
  C.Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
  C.Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
  C.Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
  C.Property("OnBalloonShow", &T::OnBalloonShow, &T::OnBalloonShow);
  C.Property("OnBalloonHide", &T::OnBalloonHide, &T::OnBalloonHide);
  C.Property("OnBalloonTimeout", &T::OnBalloonTimeout, &T::OnBalloonTimeout);
  C.Property("OnBalloonUserClick", &T::OnBalloonUserClick, &T::OnBalloonUserClick);
  C.Property("OnFail", &T::OnFail, &T::OnFail);
}

TNxTrayIcon::TNxTrayIcon(TComponent* AOwner)
    : TComponent(AOwner),
      FNotifyData(std::make_unique<NOTIFYICONDATAA>()),
      FInterface(std::make_unique<TInterface>(this)),
      FAlive(std::make_shared<bool>(true)) {
  EnsureUnitsStarted();  // the "TaskbarCreated" message
  FIcon = TIcon::Create();
  FIcon->OnChange = TNotifyEvent::Bind<&TNxTrayIcon::IconChanged>(this);
  FWindow = AllocateHWnd(TWndMethod::Bind<&TNxTrayIcon::WndProc>(this));
}

TNxTrayIcon::~TNxTrayIcon() {
  *FAlive = false;
  DeallocateHWnd(FWindow);
  if (FIcon) FIcon->Free();
}

void TNxTrayIcon::BeforeDestruction() {
  if (FActive) {
    try {
      DeleteFromTray();
    } catch (...) {
      wndprocs_detail::HandleCallbackException();  // a failure handler must not stop the freeing
    }
  }
  inherited::BeforeDestruction();
}

void TNxTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TNxTrayIcon::GetInterface(const IID& Iid, void** Obj) {
  if (IsEqualIID(Iid, IID_INxTrayIcon) || IsEqualIID(Iid, IID_IUnknown)) {
    *Obj = static_cast<INxTrayIcon*>(FInterface.get());
    ComAddRef();
    return true;
  }
  return inherited::GetInterface(Iid, Obj);
}

void TNxTrayIcon::SetIcon(TIcon* Value) {
  FIcon->Assign(Value);
  ModifyInTray();
}

void TNxTrayIcon::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (Value) AddToTray();
  else DeleteFromTray();
}

void TNxTrayIcon::SetShowDesignTime(bool Value) {
  const bool Designing = ComponentState().Contains(csDesigning);
  if (!Value && FActive && Designing) DeleteFromTray();
  const bool WasShown = FShowDesignTime;
  FShowDesignTime = Value;
  // Only a change to True while designing adds; at run time the icon is there already.
  if (Value && !WasShown && FActive && Designing) AddToTray();
}

void TNxTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TNxTrayIcon::SetTip(const std::string& Value) {
  FTip = Value;
  ModifyInTray();
}

void TNxTrayIcon::SetInfoTitle(const std::string& Value) {
  if (Value == FInfoTitle) return;
  FInfoTitle = Value;
  ModifyInTray();
}

void TNxTrayIcon::FillIconData() {
  NOTIFYICONDATAA& D = *FNotifyData;
  D.cbSize = NotifyIconDataSize(nxtrayicon_detail::ShellMajorVersion());
  D.hWnd = FWindow;
  D.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  D.uCallbackMessage = NX_TRAYICON_CALLBACK;
  D.hIcon = FIcon->Handle();
  std::memset(D.szTip, 0, sizeof D.szTip);
  const size_t Length = std::min(FTip.size(), NotifyIconTipLength(D.cbSize));
  std::memcpy(D.szTip, FTip.data(), Length);
}

void TNxTrayIcon::NotifyShell(DWORD Message) {
  if (ComponentState().Contains(csDesigning) && !FShowDesignTime) return;
  for (;;) {
    if (nxtrayicon_detail::ShellNotifyIcon(Message, FNotifyData.get())) return;
    if (!OnFail) return;
    bool DoRetry = false;
    OnFail(this, DoRetry);
    if (!DoRetry) return;
  }
}

void TNxTrayIcon::AddToTray() {
  FillIconData();
  NotifyShell(NIM_ADD);
}

void TNxTrayIcon::DeleteFromTray() { NotifyShell(NIM_DELETE); }

void TNxTrayIcon::ModifyInTray() {
  if (FUpdatesLocked || !FActive) return;
  FillIconData();
  NotifyShell(NIM_MODIFY);
}

void TNxTrayIcon::UnlockUpdates() {
  FUpdatesLocked = false;
  ModifyInTray();
}

void TNxTrayIcon::IconChanged(TObject*) { ModifyInTray(); }

void TNxTrayIcon::Click() { OnClick(this); }

void TNxTrayIcon::DblClick() {
  auto Alive = FAlive;
  ClickDefaultMenuItem();
  if (*Alive) OnDblClick(this);
}

void TNxTrayIcon::ClickDefaultMenuItem() {
  if (ComponentState().Contains(csDesigning) || !FPopupMenu) return;
  TMenuItem* Items = FPopupMenu->Items();
  for (int I = 0; I < Items->Count(); ++I) {
    if (Items->Items(I)->Default()) {
      Items->Items(I)->Click();
      return;
    }
  }
}

void TNxTrayIcon::ShowPopupMenu(int X, int Y) {
  auto Alive = FAlive;
  HWND Front = Application->Handle();
  SetForegroundWindow(Front ? Front : FWindow);
  Application->ProcessMessages();
  // The messages just handled may have freed this component or its menu.
  if (*Alive && FPopupMenu) FPopupMenu->Popup(X, Y);
}

void TNxTrayIcon::MouseCallback(UINT MouseMessage) {
  POINT P{};
  GetCursorPos(&P);
  const TShiftState Shift = KeyboardShiftState();
  auto Alive = FAlive;
  switch (MouseMessage) {
    case WM_MOUSEMOVE:
      OnMouseMove(this, Shift, P.x, P.y);
      break;
    case WM_LBUTTONDOWN:
      FButtonsDown |= 1;
      OnMouseDown(this, mbLeft, Shift, P.x, P.y);
      break;
    case WM_LBUTTONUP:
      if (FButtonsDown & 1) {
        FButtonsDown &= ~1;
        Click();
        if (!*Alive) return;
      }
      OnMouseUp(this, mbLeft, Shift, P.x, P.y);
      break;
    case WM_RBUTTONDOWN:
      FButtonsDown |= 2;
      OnMouseDown(this, mbRight, Shift, P.x, P.y);
      break;
    case WM_RBUTTONUP:
      if (FButtonsDown & 2) {
        FButtonsDown &= ~2;
        if (FPopupMenu) {
          ShowPopupMenu(P.x, P.y);
          if (!*Alive) return;
        }
      }
      OnMouseUp(this, mbRight, Shift, P.x, P.y);
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      DblClick();
      break;
    case NX_NIN_BALLOONSHOW:
      OnBalloonShow(this);
      break;
    case NX_NIN_BALLOONHIDE:
      OnBalloonHide(this);
      break;
    case NX_NIN_BALLOONTIMEOUT:
      OnBalloonTimeout(this);
      break;
    case NX_NIN_BALLOONUSERCLICK:
      OnBalloonUserClick(this);
      break;
    default:
      break;
  }
}

void TNxTrayIcon::WndProc(TMessage& Message) {
  const UINT TaskbarCreated = g_taskbarCreated.load(std::memory_order_acquire);
  if (Message.Msg == NX_TRAYICON_CALLBACK) {
    Message.Result = 0;
    MouseCallback(static_cast<UINT>(Message.LParam));
  } else if (TaskbarCreated != 0 && Message.Msg == TaskbarCreated) {
    Message.Result = 0;
    if (FActive) AddToTray();
  } else {
    Message.Result = DefWindowProcA(MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
  }
}
