// The tray icon: the notification record, the add/modify/delete rules and the failure handler
// (recorded, and for real against the notification area under Xvfb), "TaskbarCreated", the mouse
// state machine, popup menus shown for real and closed by a timer, and the INxTrayIcon interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/UnitInit.h"
#include "nx/NxTrayIcon.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/nx/iconlist_test_support.h"
#include "tests/nx/tray_recorder.h"

using namespace testsupport;
using traytest::TShellRecorder;

namespace {

struct TVersionGuard {
  nxtrayicon_detail::TShellMajorVersionFunc Saved = nxtrayicon_detail::ShellMajorVersion;
  ~TVersionGuard() { nxtrayicon_detail::ShellMajorVersion = Saved; }
};

// Counts failures; asks for Retries repeats of each failed call.
struct TFailLog {
  int Calls = 0;
  int Retries = 0;
  int Limit = 1000;  // a handler that always retries stops here instead of hanging the test
  int Retried = 0;
  void Fail(TNxTrayIcon*, bool& DoRetry) {
    ++Calls;
    DoRetry = Retried < Retries && Calls < Limit;
    if (DoRetry) ++Retried;
  }
};

struct TEvents {
  std::vector<std::string> Lines;
  TNxTrayIcon* FreeOnItem = nullptr;
  static std::string ShiftText(TShiftState S) {
    return std::string(S.Contains(ssShift) ? "S" : "") + (S.Contains(ssCtrl) ? "C" : "") + (S.Contains(ssAlt) ? "A" : "");
  }
  void Down(TObject*, TMouseButton B, TShiftState S, int X, int Y) {
    Lines.push_back((B == mbLeft ? "down L " : "down R ") + std::to_string(X) + "," + std::to_string(Y) + ShiftText(S));
  }
  void Up(TObject*, TMouseButton B, TShiftState S, int, int) { Lines.push_back(B == mbLeft ? "up L" : "up R"); }
  void Move(TObject*, TShiftState S, int X, int Y) { Lines.push_back("move " + std::to_string(X) + "," + std::to_string(Y)); }
  void Click(TObject*) { Lines.push_back("click"); }
  void DblClick(TObject*) { Lines.push_back("dblclick"); }
  void Popup(TObject*) { Lines.push_back("popup"); }
  void Item(TObject* Sender) {
    Lines.push_back("item " + static_cast<TMenuItem*>(Sender)->Caption());
    if (FreeOnItem) {
      FreeOnItem->Free();
      FreeOnItem = nullptr;
    }
  }
  void BalloonShow(TObject*) { Lines.push_back("balloon show"); }
  void BalloonHide(TObject*) { Lines.push_back("balloon hide"); }
  void BalloonTimeout(TObject*) { Lines.push_back("balloon timeout"); }
  void BalloonClick(TObject*) { Lines.push_back("balloon click"); }
  void Raise(TObject*) { throw EInvalidOperation("from a handler"); }
};

void Bind(TNxTrayIcon* Tray, TEvents& E) {
  Tray->OnMouseDown = TMouseEvent::Bind<&TEvents::Down>(&E);
  Tray->OnMouseUp = TMouseEvent::Bind<&TEvents::Up>(&E);
  Tray->OnMouseMove = TMouseMoveEvent::Bind<&TEvents::Move>(&E);
  Tray->OnClick = TNotifyEvent::Bind<&TEvents::Click>(&E);
  Tray->OnDblClick = TNotifyEvent::Bind<&TEvents::DblClick>(&E);
  Tray->OnBalloonShow = TNotifyEvent::Bind<&TEvents::BalloonShow>(&E);
  Tray->OnBalloonHide = TNotifyEvent::Bind<&TEvents::BalloonHide>(&E);
  Tray->OnBalloonTimeout = TNotifyEvent::Bind<&TEvents::BalloonTimeout>(&E);
  Tray->OnBalloonUserClick = TNotifyEvent::Bind<&TEvents::BalloonClick>(&E);
}

void Mouse(TNxTrayIcon* Tray, UINT Message) {
  SendMessageA(Tray->WindowHandle(), NX_TRAYICON_CALLBACK, 0, static_cast<LPARAM>(Message));
}

TMenuItem* AddItem(TPopupMenu* Menu, const char* Caption, TEvents& E, bool Default = false) {
  TMenuItem* Item = TMenuItem::Create(Menu);
  Item->SetCaption(Caption);
  Item->SetDefault(Default);
  Item->OnClick = TNotifyEvent::Bind<&TEvents::Item>(&E);
  Menu->Items()->Add(Item);
  return Item;
}

// Ticks until a menu is showing, then presses Keys in it once, or closes it. A loaded machine may
// take several ticks to show the menu, so nothing is done before it is there.
struct TMenuCloser {
  std::vector<WPARAM> Keys;
  bool SawMenu = false;
  void Tick(TObject*) {
    if (SawMenu) return;
    HWND Menu = FindWindowA("#32768", nullptr);
    if (!Menu || !IsWindowVisible(Menu)) return;
    SawMenu = true;
    if (Keys.empty()) {
      EndMenu();
      return;
    }
    for (WPARAM K : Keys) PostMessageA(Menu, WM_KEYDOWN, K, 0);
  }
};

// A timer that drives the closer every 100 ms while it lives.
struct TMenuTimer {
  TMenuCloser Closer;
  TObjectPtr<TTimer> Timer{TTimer::Create(nullptr)};
  TMenuTimer() {
    Timer->SetInterval(100);
    Timer->SetOnTimer(TNotifyEvent::Bind<&TMenuCloser::Tick>(&Closer));
  }
};

NOTIFYICONDATAA Identity(TNxTrayIcon* Tray) {
  NOTIFYICONDATAA D{};
  D.cbSize = NOTIFYICONDATAA_V2_SIZE;
  D.hWnd = Tray->WindowHandle();
  D.uID = 0;
  return D;
}

}  // namespace

class TrayIcon : public ::testing::Test {
protected:
  void SetUp() override { EnsureUnitsStarted(); }
};

// ---- The record and the calls ---------------------------------------------------------------------

TEST_F(TrayIcon, RecordIsSizedByTheShellVersion) {
  static_assert(NotifyIconDataSize(4) == NOTIFYICONDATAA_V1_SIZE);
  static_assert(NotifyIconDataSize(5) == NOTIFYICONDATAA_V2_SIZE);
  static_assert(NotifyIconDataSize(6) == NOTIFYICONDATAA_V2_SIZE);
  TShellRecorder Shell;
  TVersionGuard Version;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  HICON Icon = iconsupport::MakeIcon(16, 3, iconsupport::ikMasked);
  Tray->Icon()->SetHandle(Icon);
  const std::string Long(200, 'x');
  Tray->SetTip(Long);
  EXPECT_TRUE(Shell.Calls.empty()) << "nothing reaches the shell while inactive";
  Tray->SetActive(true);
  ASSERT_EQ(Shell.Calls.size(), 1u);
  const traytest::TShellCall& Add = Shell.Calls[0];
  EXPECT_EQ(Add.Message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(Add.Size, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE)) << "Shell32 6 under Wine";
  EXPECT_EQ(Add.Window, Tray->WindowHandle());
  EXPECT_EQ(Add.Id, 0u);
  EXPECT_EQ(Add.Flags, 7u);
  EXPECT_EQ(Add.CallbackMessage, 0xB05Au);
  EXPECT_EQ(Add.Icon, Icon);
  EXPECT_EQ(Add.Tip, std::string(127, 'x'));

  nxtrayicon_detail::ShellMajorVersion = [] { return DWORD{4}; };
  Tray->SetTip(Long);
  ASSERT_EQ(Shell.Calls.size(), 2u);
  EXPECT_EQ(Shell.Calls[1].Message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(Shell.Calls[1].Size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
  EXPECT_EQ(Shell.Calls[1].Tip, std::string(63, 'x')) << "the old record's tip holds 64 bytes";
  EXPECT_EQ(Tray->Tip(), Long);
}

TEST_F(TrayIcon, ActiveAddsOnceAndDeletesOnFalseAndOnDestruction) {
  TShellRecorder Shell;
  {
    TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
    Tray->SetActive(true);
    Tray->SetActive(true);
    EXPECT_EQ(Shell.Count(NIM_ADD), 1);
    Tray->SetActive(false);
    EXPECT_EQ(Shell.Count(NIM_DELETE), 1);
    Tray->SetActive(true);
  }
  EXPECT_EQ(Shell.Count(NIM_ADD), 2);
  EXPECT_EQ(Shell.Count(NIM_DELETE), 2) << "freed while active";
  { TObjectPtr<TNxTrayIcon> Idle(TNxTrayIcon::Create(nullptr)); }
  EXPECT_EQ(Shell.Calls.size(), 4u);
}

TEST_F(TrayIcon, LockedUpdatesSendOneModifyOnUnlock) {
  TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetActive(true);
  Shell.Calls.clear();
  Tray->LockUpdates();
  Tray->SetTip("one");
  Tray->Icon()->SetHandle(iconsupport::MakeIcon(16, 4, iconsupport::ikMasked));
  TObjectPtr<TIcon> Other(TIcon::Create());
  Other->SetHandle(iconsupport::MakeIcon(16, 5, iconsupport::ikMasked));
  Tray->SetIcon(Other.get());
  EXPECT_TRUE(Shell.Calls.empty());
  Tray->UnlockUpdates();
  ASSERT_EQ(Shell.Calls.size(), 1u);
  EXPECT_EQ(Shell.Calls[0].Message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(Shell.Calls[0].Tip, "one");
  EXPECT_EQ(Shell.Calls[0].Icon, Tray->Icon()->Handle());
  // InfoTitle modifies only when it changes; the other balloon settings are only stored.
  Tray->SetInfoTitle("T");
  Tray->SetInfoTitle("T");
  Tray->SetInfoText("text");
  Tray->SetInfoTimeout(5);
  Tray->SetInfoFlags(niifWarning);
  EXPECT_EQ(Shell.Calls.size(), 2u);
  EXPECT_EQ(Tray->InfoFlags(), niifWarning);
}

TEST_F(TrayIcon, DesignTimeShowsOnlyWithShowDesignTime) {
  TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetDesigning(true);
  Tray->SetActive(true);
  Tray->SetTip("x");
  EXPECT_TRUE(Shell.Calls.empty());
  Tray->SetShowDesignTime(true);
  EXPECT_EQ(Shell.Count(NIM_ADD), 1);
  Tray->SetShowDesignTime(true);
  EXPECT_EQ(Shell.Count(NIM_ADD), 1) << "already shown";
  Tray->SetShowDesignTime(false);
  EXPECT_EQ(Shell.Count(NIM_DELETE), 1);

  // At run time the icon is in the tray already: no second add.
  TObjectPtr<TNxTrayIcon> Running(TNxTrayIcon::Create(nullptr));
  Running->SetActive(true);
  Running->SetShowDesignTime(true);
  EXPECT_EQ(Shell.Count(NIM_ADD), 2);
}

TEST_F(TrayIcon, FailureHandlerDecidesAboutRetries) {
  TShellRecorder Shell(false, FALSE);
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetActive(true);  // no handler: ignored, the state stays
  EXPECT_TRUE(Tray->Active());
  EXPECT_EQ(Shell.Calls.size(), 1u);

  TFailLog Log;
  Tray->OnFail = TNxOnTrayIconFailEvent::Bind<&TFailLog::Fail>(&Log);
  Tray->SetTip("a");
  EXPECT_EQ(Log.Calls, 1) << "once per failed call";
  EXPECT_EQ(Shell.Calls.size(), 2u);
  Log = TFailLog{0, 2};
  Tray->SetTip("b");
  EXPECT_EQ(Log.Calls, 3);
  EXPECT_EQ(Shell.Calls.size(), 5u) << "the call and two repeats";
}

TEST_F(TrayIcon, RetryingHandlerCannotLoopOnAnInactiveIcon) {
  TShellRecorder Shell(false, FALSE);
  TFailLog Log;
  Log.Retries = 1 << 30;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->OnFail = TNxOnTrayIconFailEvent::Bind<&TFailLog::Fail>(&Log);
  Tray->SetTip("while not in the tray");
  Tray->Icon()->SetHandle(iconsupport::MakeIcon(16, 6, iconsupport::ikMasked));
  Tray->UnlockUpdates();
  EXPECT_TRUE(Shell.Calls.empty());
  EXPECT_EQ(Log.Calls, 0);
}

// ---- The real notification area ---------------------------------------------------------------------

TEST_F(TrayIcon, AddModifyDeleteForReal) {
  TFailLog Log;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->OnFail = TNxOnTrayIconFailEvent::Bind<&TFailLog::Fail>(&Log);
  Tray->Icon()->SetHandle(iconsupport::MakeIcon(16, 7, iconsupport::ikMasked));
  Tray->SetActive(true);
  Tray->SetTip("Veldrane");
  TObjectPtr<TIcon> Other(TIcon::Create());
  Other->SetHandle(iconsupport::MakeIcon(16, 8, iconsupport::ikAlpha));
  Tray->SetIcon(Other.get());
  EXPECT_EQ(Log.Calls, 0);
  NOTIFYICONDATAA Probe = Identity(Tray.get());
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &Probe)) << "the icon is there";
  Tray->SetActive(false);
  EXPECT_EQ(Log.Calls, 0);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &Probe)) << "and gone";
}

TEST_F(TrayIcon, SecondAddAndModifyAfterDeleteFailForReal) {
  TFailLog Log;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->OnFail = TNxOnTrayIconFailEvent::Bind<&TFailLog::Fail>(&Log);
  Tray->SetActive(true);
  ASSERT_EQ(Log.Calls, 0);
  Tray->AddToTray();
  EXPECT_EQ(Log.Calls, 1) << "second add";
  Tray->DeleteFromTray();
  EXPECT_EQ(Log.Calls, 1);
  Tray->ModifyInTray();
  EXPECT_EQ(Log.Calls, 2) << "modify after delete";
  {
    TShellRecorder Shell(true);  // the real shell, counted
    Log.Retries = 2;
    Tray->ModifyInTray();
    EXPECT_EQ(Log.Calls, 5);
    EXPECT_EQ(Shell.Count(NIM_MODIFY), 3) << "repeated for real";
  }
  Tray->AddToTray();  // back in
  Tray->SetActive(false);
  EXPECT_EQ(Log.Calls, 5);
}

TEST_F(TrayIcon, TaskbarCreatedPutsAnActiveIconBack) {
  const UINT TaskbarCreated = NxTaskbarCreatedMessage();
  ASSERT_NE(TaskbarCreated, 0u);
  EXPECT_EQ(TaskbarCreated, RegisterWindowMessageA("TaskbarCreated"));
  TFailLog Log;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->OnFail = TNxOnTrayIconFailEvent::Bind<&TFailLog::Fail>(&Log);
  Tray->SetActive(true);
  // The taskbar goes and comes back: its icons are gone.
  NOTIFYICONDATAA Probe = Identity(Tray.get());
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &Probe));
  EXPECT_EQ(SendMessageA(Tray->WindowHandle(), TaskbarCreated, 0, 0), 0);
  EXPECT_EQ(Log.Calls, 0);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &Probe)) << "added again";

  TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Idle(TNxTrayIcon::Create(nullptr));
  SendMessageA(Idle->WindowHandle(), TaskbarCreated, 0, 0);
  EXPECT_TRUE(Shell.Calls.empty()) << "an inactive icon is not added";
  SendMessageA(Tray->WindowHandle(), TaskbarCreated, 0, 0);
  EXPECT_EQ(Shell.Count(NIM_ADD), 1);
}

// ---- Mouse --------------------------------------------------------------------------------------

TEST_F(TrayIcon, ClickNeedsTheButtonToGoDownOnTheIcon) {
  TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  TEvents E;
  Bind(Tray.get(), E);
  SetCursorPos(123, 45);
  POINT P{};
  GetCursorPos(&P);
  const std::string At = std::to_string(P.x) + "," + std::to_string(P.y);
  Mouse(Tray.get(), WM_MOUSEMOVE);
  Mouse(Tray.get(), WM_LBUTTONDOWN);
  Mouse(Tray.get(), WM_LBUTTONUP);
  Mouse(Tray.get(), WM_LBUTTONUP);
  EXPECT_EQ(E.Lines, (std::vector<std::string>{"move " + At, "down L " + At, "click", "up L", "up L"}));

  // A double click arrives as down, up, double click, up.
  E.Lines.clear();
  for (UINT M : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Mouse(Tray.get(), M);
  EXPECT_EQ(E.Lines, (std::vector<std::string>{"down L " + At, "click", "up L", "dblclick", "up L"}));

  // The shift state comes from the keyboard; the middle button does nothing.
  E.Lines.clear();
  BYTE Keys[256] = {};
  GetKeyboardState(Keys);
  Keys[VK_SHIFT] = 0x80;
  SetKeyboardState(Keys);
  Mouse(Tray.get(), WM_RBUTTONDOWN);
  Keys[VK_SHIFT] = 0;
  SetKeyboardState(Keys);
  Mouse(Tray.get(), WM_MBUTTONDOWN);
  Mouse(Tray.get(), WM_MBUTTONUP);
  Mouse(Tray.get(), WM_RBUTTONUP);  // no popup menu: only the event
  EXPECT_EQ(E.Lines, (std::vector<std::string>{"down R " + At + "S", "up R"}));

  E.Lines.clear();
  for (UINT M : {NX_NIN_BALLOONSHOW, NX_NIN_BALLOONHIDE, NX_NIN_BALLOONTIMEOUT, NX_NIN_BALLOONUSERCLICK}) Mouse(Tray.get(), M);
  EXPECT_EQ(E.Lines, (std::vector<std::string>{"balloon show", "balloon hide", "balloon timeout", "balloon click"}));
  EXPECT_TRUE(Shell.Calls.empty());
}

TEST_F(TrayIcon, DoubleClickClicksTheDefaultItem) {
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TEvents E;
  Bind(Tray.get(), E);
  AddItem(Menu.get(), "Open", E);
  AddItem(Menu.get(), "Settings", E, true);
  Tray->SetPopupMenu(Menu.get());
  Mouse(Tray.get(), WM_RBUTTONDBLCLK);
  EXPECT_EQ(E.Lines, (std::vector<std::string>{"item Settings", "dblclick"}));
  E.Lines.clear();
  Tray->SetDesigning(true);
  Mouse(Tray.get(), WM_LBUTTONDBLCLK);
  EXPECT_EQ(E.Lines, (std::vector<std::string>{"dblclick"})) << "no menu item while designing";
}

TEST_F(TrayIcon, RightClickOpensThePopupBeforeMouseUp) {
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TEvents E;
  Bind(Tray.get(), E);
  Menu->OnPopup = TNotifyEvent::Bind<&TEvents::Popup>(&E);
  AddItem(Menu.get(), "First", E);
  AddItem(Menu.get(), "Second", E);
  Tray->SetPopupMenu(Menu.get());
  {
    TMenuTimer Timer;  // closes the menu
    TWatchdog Watchdog(8000, &CloseMenus);
    Mouse(Tray.get(), WM_RBUTTONDOWN);
    Mouse(Tray.get(), WM_RBUTTONUP);
    EXPECT_FALSE(Watchdog.Fired());
    EXPECT_TRUE(Timer.Closer.SawMenu);
  }
  ASSERT_EQ(E.Lines.size(), 3u);
  EXPECT_EQ(E.Lines[1], "popup");
  EXPECT_EQ(E.Lines[2], "up R");
  {
    TMenuTimer Timer;  // chooses the second item
    Timer.Closer.Keys = {VK_DOWN, VK_DOWN, VK_RETURN};
    TWatchdog Watchdog(8000, &CloseMenus);
    E.Lines.clear();
    Mouse(Tray.get(), WM_RBUTTONDOWN);
    Mouse(Tray.get(), WM_RBUTTONUP);
    EXPECT_FALSE(Watchdog.Fired());
  }
  ASSERT_EQ(E.Lines.size(), 4u);
  EXPECT_EQ(E.Lines[2], "item Second");
  EXPECT_EQ(E.Lines[3], "up R");
  {
    TMenuTimer Timer;  // ShowPopupMenu called directly
    TWatchdog Watchdog(8000, &CloseMenus);
    E.Lines.clear();
    Tray->ShowPopupMenu(50, 60);
    EXPECT_FALSE(Watchdog.Fired());
    EXPECT_EQ(E.Lines, (std::vector<std::string>{"popup"}));
  }
}

TEST_F(TrayIcon, MenuItemMayFreeTheTrayIcon) {
  TNxTrayIcon* Tray = TNxTrayIcon::Create(nullptr);
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TEvents E;
  Bind(Tray, E);
  AddItem(Menu.get(), "Quit", E);
  Tray->SetPopupMenu(Menu.get());
  E.FreeOnItem = Tray;
  TMenuTimer Timer;
  Timer.Closer.Keys = {VK_DOWN, VK_RETURN};
  TWatchdog Watchdog(8000, &CloseMenus);
  const HWND Window = Tray->WindowHandle();
  Mouse(Tray, WM_RBUTTONDOWN);
  Mouse(Tray, WM_RBUTTONUP);
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_EQ(E.FreeOnItem, nullptr) << "freed by the item";
  EXPECT_EQ(E.Lines.back(), "item Quit") << "no mouse-up after the component went";
  EXPECT_FALSE(IsWindow(Window));
}

TEST_F(TrayIcon, FreedPopupMenuIsForgotten) {
  TObjectPtr<TComponent> Owner(TComponent::Create(nullptr));
  TPopupMenu* Menu = TPopupMenu::Create(Owner.get());
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetPopupMenu(Menu);
  Owner.reset();
  EXPECT_EQ(Tray->PopupMenu(), nullptr);
  TEvents E;
  Bind(Tray.get(), E);
  Mouse(Tray.get(), WM_RBUTTONDOWN);
  Mouse(Tray.get(), WM_RBUTTONUP);
  Mouse(Tray.get(), WM_LBUTTONDBLCLK);
  EXPECT_EQ(E.Lines.size(), 3u);
}

TEST_F(TrayIcon, HandlerExceptionsGoToTheApplication) {
  TExceptionCollector Collector;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  TEvents E;
  Tray->OnClick = TNotifyEvent::Bind<&TEvents::Raise>(&E);
  Mouse(Tray.get(), WM_LBUTTONDOWN);
  Mouse(Tray.get(), WM_LBUTTONUP);
  ASSERT_EQ(Collector.Reports.size(), 1u);
  EXPECT_EQ(Collector.Reports[0].Message, "from a handler");
  EXPECT_TRUE(IsWindow(Tray->WindowHandle()));
}

// ---- INxTrayIcon ------------------------------------------------------------------------------------

TEST_F(TrayIcon, InterfaceOperations) {
  TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  INxTrayIcon* Intf = nullptr;
  ASSERT_EQ(Tray->ComQueryInterface(IID_INxTrayIcon, reinterpret_cast<void**>(&Intf)), S_OK);
  ASSERT_NE(Intf, nullptr);
  EXPECT_EQ(Intf->SetActive(TRUE), S_OK);
  BOOL Active = FALSE;
  EXPECT_EQ(Intf->GetActive(&Active), S_OK);
  EXPECT_TRUE(Active);
  Shell.Calls.clear();
  EXPECT_EQ(Intf->SetTipW(L"Tip"), S_OK);
  EXPECT_EQ(Tray->Tip(), "Tip");
  EXPECT_TRUE(Shell.Calls.empty()) << "no modify";

  // An icon file through a COM stream.
  TObjectPtr<TIcon> Source(TIcon::Create());
  Source->SetHandle(iconsupport::MakeIcon(32, 9, iconsupport::ikMasked));
  TMemoryStream File;
  Source->SaveToStream(File);
  IStream* Stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &Stream), S_OK);
  ULONG Written = 0;
  Stream->Write(File.Memory(), static_cast<ULONG>(File.Size()), &Written);
  LARGE_INTEGER Zero{};
  Stream->Seek(Zero, STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(Intf->LoadIconFromStream(Stream), S_OK);
  EXPECT_NE(Tray->Icon()->Handle(), nullptr);
  EXPECT_GE(Shell.Count(NIM_MODIFY), 1);
  Stream->Seek(Zero, STREAM_SEEK_SET, nullptr);
  Stream->Write("garbage!", 8, &Written);
  Stream->Seek(Zero, STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(Intf->LoadIconFromStream(Stream), E_FAIL) << "no exception leaves the interface";
  Stream->Release();
  EXPECT_EQ(Intf->Reserved(1, 2), S_OK);
  Intf->Release();
}
