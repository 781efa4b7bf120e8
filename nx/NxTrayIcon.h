// The tray icon: one icon in the taskbar's notification area (Shell_NotifyIconA) while Active,
// mouse actions on it as events, a popup menu on a right click, and the icon put back when the
// taskbar is re-created ("TaskbarCreated"). An icon list animates it through LockUpdates /
// UnlockUpdates.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/Menus.h"
#include "classlib/WndProcs.h"

class TNxTrayIcon;

// A failed notification-area call; set DoRetry to make the same call again.
using TNxOnTrayIconFailEvent = TEvent<TNxTrayIcon* /*Sender*/, bool& /*DoRetry*/>;

enum TNxTrayIconInfoFlags { niifError, niifInfo, niifNone, niifWarning };
VD_ENUM_INFO(TNxTrayIconInfoFlags, "niifError", "niifInfo", "niifNone", "niifWarning")

// The callback message the shell sends to the hidden window.
inline constexpr UINT NX_TRAYICON_CALLBACK = 0xB05A;

// NIN_BALLOON* notifications (lParam of the callback message).
inline constexpr UINT NX_NIN_BALLOONSHOW = 0x402;
inline constexpr UINT NX_NIN_BALLOONHIDE = 0x403;
inline constexpr UINT NX_NIN_BALLOONTIMEOUT = 0x404;
inline constexpr UINT NX_NIN_BALLOONUSERCLICK = 0x405;

// The record size the shell of this major version knows: the version-5 record from 5.0 on, the
// original one before.
constexpr DWORD NotifyIconDataSize(DWORD Shell32Major) {
  return Shell32Major >= 5 ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
}
// Characters of the tip the record of that size holds, without the terminating zero.
constexpr size_t NotifyIconTipLength(DWORD RecordSize) { return RecordSize >= NOTIFYICONDATAA_V2_SIZE ? 127 : 63; }

// {749648CB-099C-477B-B93A-83E12488AF12}. Reference counting is the component's (none while no
// COM object serves it). No method lets an exception out; failures return E_FAIL.
inline constexpr IID IID_INxTrayIcon = {0x749648CB, 0x099C, 0x477B, {0xB9, 0x3A, 0x83, 0xE1, 0x24, 0x88, 0xAF, 0x12}};
struct INxTrayIcon : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Click() = 0;
  virtual HRESULT STDMETHODCALLTYPE DblClick() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetActive(BOOL* Value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetActive(BOOL Value) = 0;
  // Sets Tip without sending a modify.
  virtual HRESULT STDMETHODCALLTYPE SetTipW(LPCWSTR Value) = 0;
  // Reads Icon from an icon file in Stream (at most 16 MB).
  virtual HRESULT STDMETHODCALLTYPE LoadIconFromStream(IStream* Stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved(int A, int B) = 0;  // does nothing
};

class TNxTrayIcon : public TComponent {
  VD_CLASS(TNxTrayIcon, TComponent);

public:
  explicit TNxTrayIcon(TComponent* AOwner);
  // Takes the icon out of the notification area when Active.
  void BeforeDestruction() override;

  TIcon* Icon() const noexcept { return FIcon; }
  // Icon.Assign(Value), then a modify.
  void SetIcon(TIcon* Value);
  bool Active() const noexcept { return FActive; }
  // Edge-triggered: True adds the icon, False deletes it.
  void SetActive(bool Value);
  bool ShowDesignTime() const noexcept { return FShowDesignTime; }
  void SetShowDesignTime(bool Value);
  TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  const std::string& Tip() const noexcept { return FTip; }
  void SetTip(const std::string& Value);
  // Balloon settings: stored and published; nothing puts them into the record.
  const std::string& InfoText() const noexcept { return FInfoText; }
  void SetInfoText(const std::string& Value) { FInfoText = Value; }
  const std::string& InfoTitle() const noexcept { return FInfoTitle; }
  void SetInfoTitle(const std::string& Value);
  int InfoTimeout() const noexcept { return FInfoTimeout; }
  void SetInfoTimeout(int Value) { FInfoTimeout = Value; }
  TNxTrayIconInfoFlags InfoFlags() const noexcept { return FInfoFlags; }
  void SetInfoFlags(TNxTrayIconInfoFlags Value) { FInfoFlags = Value; }
  bool UseOwnInfo() const noexcept { return FUseOwnInfo; }
  void SetUseOwnInfo(bool Value) { FUseOwnInfo = Value; }
  bool FadeEffect() const noexcept { return FFadeEffect; }
  void SetFadeEffect(bool Value) { FFadeEffect = Value; }

  // The shell calls. FillIconData refills the record; AddToTray and DeleteFromTray always call
  // the shell; ModifyInTray does nothing while updates are locked or the icon isn't Active (so a
  // retrying failure handler can't loop on an icon that isn't there).
  virtual void FillIconData();
  virtual void AddToTray();
  virtual void DeleteFromTray();
  virtual void ModifyInTray();

  void LockUpdates() noexcept { FUpdatesLocked = true; }
  // Unlocks and sends one modify.
  void UnlockUpdates();
  bool UpdatesLocked() const noexcept { return FUpdatesLocked; }

  // OnClick.
  void Click();
  // Clicks the popup menu's default item, then OnDblClick.
  void DblClick();
  // The first top-level item of PopupMenu whose Default is set; nothing while designing.
  void ClickDefaultMenuItem();
  // Brings the application's window (this one's hidden window when there is none) to the front,
  // handles pending messages, then opens PopupMenu at the screen point.
  void ShowPopupMenu(int X, int Y);

  // The record as last filled, and the hidden window the shell reports to.
  const NOTIFYICONDATAA& NotifyData() const noexcept { return *FNotifyData; }
  HWND WindowHandle() const noexcept { return FWindow; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;  // screen coordinates
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnBalloonShow;
  TNotifyEvent OnBalloonHide;
  TNotifyEvent OnBalloonTimeout;
  TNotifyEvent OnBalloonUserClick;
  TNxOnTrayIconFailEvent OnFail;

  bool GetInterface(const IID& Iid, void** Obj) override;

protected:
  ~TNxTrayIcon() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message);

private:
  class TInterface;
  // The shell call with the failure handler; nothing while designing without ShowDesignTime.
  void NotifyShell(DWORD Message);
  void IconChanged(TObject* Sender);
  void MouseCallback(UINT MouseMessage);

  bool FUpdatesLocked = false;
  std::unique_ptr<NOTIFYICONDATAA> FNotifyData;
  uint8_t FButtonsDown = 0;  // bit 1: left went down on the icon; bit 2: right
  TIcon* FIcon = nullptr;
  bool FActive = false;
  bool FShowDesignTime = false;
  TPopupMenu* FPopupMenu = nullptr;
  HWND FWindow = nullptr;
  std::string FTip;
  std::string FInfoText;
  std::string FInfoTitle;
  int FInfoTimeout = 10000;
  TNxTrayIconInfoFlags FInfoFlags = niifNone;
  bool FUseOwnInfo = false;
  bool FFadeEffect = true;
  std::unique_ptr<TInterface> FInterface;
  // Cleared when the component goes, so a window procedure that let messages run can tell.
  std::shared_ptr<bool> FAlive;
};

// The message number registered for "TaskbarCreated" (0 before the unit started).
UINT NxTaskbarCreatedMessage();

namespace nxtrayicon_detail {
// The Shell_NotifyIconA the component calls and the Shell32 major version it sizes the record
// by; tests put recording ones here.
using TShellNotifyIconFunc = BOOL(WINAPI*)(DWORD Message, PNOTIFYICONDATAA Data);
extern TShellNotifyIconFunc ShellNotifyIcon;
using TShellMajorVersionFunc = DWORD (*)();
extern TShellMajorVersionFunc ShellMajorVersion;
}  // namespace nxtrayicon_detail

void NxTrayIconInitialize();
void NxTrayIconFinalize();
