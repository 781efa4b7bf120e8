// Caption buttons: the layout arithmetic, and buttons on real captioned windows - hit tests,
// capture and clicks through the window's messages and through real mouse input, the order of
// the buttons, their system-menu items (with and without a lent popup menu), the tooltip tools,
// a re-created window, and one set of state per thread.
#include <gtest/gtest.h>


#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "lx/lxCaptionButton.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/lx/lxWindowTestSupport.h"

using namespace testsupport;
using namespace lxcaptionbutton_detail;

namespace {

// ---- Layout arithmetic ------------------------------------------------------------------------

TCaptionMetrics Metrics() {
  TCaptionMetrics M;
  M.CxSize = 18, M.CySize = 20, M.CxSmSize = 12, M.CySmSize = 14;
  M.CxFrame = 4, M.CyFrame = 5, M.CxDlgFrame = 3, M.CyDlgFrame = 2;
  return M;
}

TEST(CaptionButtonLayout, OffsetsGrowFromTheRightAndInvisibleButtonsCloseUp) {
  EXPECT_EQ(ComputeOffsets({{true, 0}, {true, 0}, {true, 0}}, 18), (std::vector<int>{18, 34, 50}));
  // A button's separator is the gap on its right.
  EXPECT_EQ(ComputeOffsets({{true, 5}, {true, 0}}, 18), (std::vector<int>{23, 39}));
  EXPECT_EQ(ComputeOffsets({{true, 0}, {false, 9}, {true, 0}}, 18), (std::vector<int>{18, 0, 34}));
  EXPECT_EQ(CaptionButtonWidth(WS_EX_TOOLWINDOW, false, Metrics()), 12);
  EXPECT_EQ(CaptionButtonWidth(WS_EX_TOOLWINDOW, true, Metrics()), 18);  // a designer shows full buttons
  EXPECT_EQ(CaptionButtonWidth(0, false, Metrics()), 18);
}

TEST(CaptionButtonLayout, RoomIsLeftForTheWindowsOwnButtons) {
  const TCaptionMetrics M = Metrics();
  const DWORD Normal = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  // Close, maximise, minimise: three standard buttons; a sizing frame.
  EXPECT_EQ(ComputeButtonRect(Normal, 0, false, false, 400, 18, M),
            (TlxCaptionButtonRect{400 - 3 * 18 - 18 - 8, 7, 400 - 3 * 18 - 18 - 8 + 16, 15}));
  // Close and help: two; a dialog frame.
  const DWORD Dialog = WS_CAPTION | WS_SYSMENU;
  EXPECT_EQ(ComputeButtonRect(Dialog, WS_EX_CONTEXTHELP, false, false, 400, 18, M).Left, 400 - 2 * 18 - 18 - 6);
  EXPECT_EQ(ComputeButtonRect(Dialog, 0, false, false, 400, 18, M).Left, 400 - 18 - 18 - 6);
  // Minimise and maximise boxes count even without a system menu.
  EXPECT_EQ(ComputeButtonRect(WS_CAPTION | WS_MINIMIZEBOX, 0, false, false, 400, 18, M).Left, 400 - 36 - 18 - 6);
  // Tool windows: small buttons, only the close button.
  EXPECT_EQ(ComputeButtonRect(Dialog | WS_MINIMIZEBOX, WS_EX_TOOLWINDOW, false, false, 300, 12, M),
            (TlxCaptionButtonRect{300 - 12 - 12 - 6, 4, 300 - 12 - 12 - 6 + 10, 9}));
  // An iconic window uses the dialog frame.
  EXPECT_EQ(ComputeButtonRect(Normal, 0, true, false, 400, 18, M).Top, 4);
}

TEST(CaptionButtonLayout, PointsOnAButton) {
  const TCaptionMetrics M = Metrics();
  TlxCaptionButtonRect R{100, 7, 116, 15};
  EXPECT_FALSE(PointOnButton(R, {100, -5}, false, M));  // from one pixel right of Left
  EXPECT_TRUE(PointOnButton(R, {101, -5}, false, M));
  EXPECT_TRUE(PointOnButton(R, {117, -5}, false, M));  // to one pixel right of Right
  EXPECT_FALSE(PointOnButton(R, {118, -5}, false, M));
  EXPECT_FALSE(PointOnButton(R, {105, 0}, false, M));  // the client area is not the caption
  EXPECT_TRUE(PointOnButton(R, {105, 10}, true, M));   // an icon's caption lies inside its window
  EXPECT_FALSE(PointOnButton(R, {105, 2}, true, M));
}

TEST(CaptionButtonLayout, LoadedOrderIsAStableSort) {
  std::vector<int> Orders{1, 0}, Perm;
  EXPECT_TRUE(BubbleSortByOrder(Orders, &Perm));
  EXPECT_EQ(Perm, (std::vector<int>{1, 0}));
  Orders = {2, -1, 2, 0, -1};
  EXPECT_TRUE(BubbleSortByOrder(Orders, &Perm));
  EXPECT_EQ(Orders, (std::vector<int>{-1, -1, 0, 2, 2}));
  EXPECT_EQ(Perm, (std::vector<int>{1, 4, 3, 0, 2}));  // equal orders keep their creation order
  Orders = {0, 1, 1};
  EXPECT_FALSE(BubbleSortByOrder(Orders, &Perm));
}

// ---- Buttons on a real form -------------------------------------------------------------------

struct TClicks {
  int Caption = 0, Menu = 0, Click = 0, Down = 0, Up = 0, DblClick = 0;
  void OnCaption(TObject*) { ++Caption; }
  void OnMenu(TObject*) { ++Menu; }
  void OnClick(TObject*) { ++Click; }
  void OnDown(TObject*) { ++Down; }
  void OnUp(TObject*) { ++Up; }
  void OnDblClick(TObject*) { ++DblClick; }
  void Wire(TlxCustomCaptionButton* B) {
    B->OnCaptionButtonClick = TNotifyEvent::Bind<&TClicks::OnCaption>(this);
    B->OnMenuItemClick = TNotifyEvent::Bind<&TClicks::OnMenu>(this);
    B->OnClick = TNotifyEvent::Bind<&TClicks::OnClick>(this);
    B->OnDown = TNotifyEvent::Bind<&TClicks::OnDown>(this);
    B->OnUp = TNotifyEvent::Bind<&TClicks::OnUp>(this);
    B->OnCaptionDblClick = TNotifyEvent::Bind<&TClicks::OnDblClick>(this);
  }
};

// What reaches the form's own message path (below every hook).
struct TFormSpy {
  TWndMethod Saved;
  std::vector<TMessage> Seen;
  void WndProc(TMessage& M) {
    Seen.push_back(M);
    Saved(M);
  }
  int Count(UINT Msg) const {
    int N = 0;
    for (const TMessage& M : Seen) N += M.Msg == Msg;
    return N;
  }
};

class CaptionButtons : public ::testing::Test {
protected:
  void SetUp() override {
    // The pointer away from the form: where an earlier program left it, its moves would reach the
    // buttons between the messages these tests send.
    SetCursorPos(4, 4);
    Form = TForm::Create(nullptr, CreateNewForm);
    Form->SetBounds(620, 300, 420, 200);
    Form->SetCaption("Caption buttons");
    for (int I = 0; I < 3; ++I) {
      Buttons[I] = TlxCustomCaptionButton::Create(Form);
      Buttons[I]->SetStyle(cbsWin9x);
      Buttons[I]->SetHint("Button " + std::to_string(I));
      Clicks[I].Wire(Buttons[I]);
    }
    Spy.Saved = Form->WindowProc();
    Form->SetWindowProc(TWndMethod::Bind<&TFormSpy::WndProc>(&Spy));
    Form->Show();
    SetWindowPos(Wnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Repaint();
  }
  void TearDown() override {
    if (GetCapture() == Wnd()) ReleaseCapture();
    if (Form) Form->SetWindowProc(Spy.Saved);
    FreeAndNil(Form);
    EXPECT_EQ(ThreadButtonCount(), 0);
    EXPECT_EQ(ThreadTooltipWindow(), nullptr);  // the thread's state goes with its last button
  }
  HWND Wnd() { return Form->Handle(); }
  void Repaint() {
    RedrawWindow(Wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(30);
  }
  // The middle of a button's face, in screen coordinates.
  POINT Centre(TlxCustomCaptionButton* B) {
    const TlxCaptionButtonRect& R = B->ButtonRect();
    POINT P{(R.Left + R.Right) / 2 + 1, -GetSystemMetrics(SM_CYCAPTION) / 2};
    ClientToScreen(Wnd(), &P);
    return P;
  }
  LRESULT HitTest(POINT Screen) {
    return SendMessageA(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(Screen.x), static_cast<WORD>(Screen.y)));
  }
  void Press(TlxCustomCaptionButton* B) {
    POINT P = Centre(B);
    SendMessageA(Wnd(), WM_NCLBUTTONDOWN, B->ButtonId(), MAKELPARAM(P.x, P.y));
  }
  void Release(TlxCustomCaptionButton* B) {
    POINT P = Centre(B);
    ScreenToClient(Wnd(), &P);
    SendMessageA(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(P.x), static_cast<WORD>(P.y)));
  }
  HMENU SysMenu() { return GetSystemMenu(Wnd(), FALSE); }
  // (GetMenuItemID answers -1 for items with a submenu.)
  int IndexOfCommand(HMENU Menu, UINT Id) {
    for (int I = 0; I < GetMenuItemCount(Menu); ++I) {
      MENUITEMINFOA Info{};
      Info.cbSize = sizeof Info;
      Info.fMask = MIIM_ID;
      if (GetMenuItemInfoA(Menu, I, TRUE, &Info) && Info.wID == Id) return I;
    }
    return -1;
  }
  std::string ItemText(HMENU Menu, UINT Id) {
    char Buf[128] = {};
    GetMenuStringA(Menu, Id, Buf, sizeof Buf, MF_BYCOMMAND);
    return Buf;
  }

  TForm* Form = nullptr;
  TlxCustomCaptionButton* Buttons[3] = {};
  TClicks Clicks[3];
  TFormSpy Spy;
};

TEST_F(CaptionButtons, LaidOutRightToLeftInTheTitleBarAndReportedInHitTests) {
  const int First = Buttons[0]->ButtonId();
  EXPECT_EQ(Buttons[1]->ButtonId(), First + 1);
  EXPECT_EQ(Buttons[2]->ButtonId(), First + 2);
  const int W = GetSystemMetrics(SM_CXSIZE);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Buttons[I]->BtnOrder(), I);
    EXPECT_EQ(Buttons[I]->Offset(), 2 + (I + 1) * (W - 2));
  }
  RECT WR;
  GetWindowRect(Wnd(), &WR);
  const TlxCaptionButtonRect& R0 = Buttons[0]->ButtonRect();
  // Rightmost next to close, maximise and minimise; each further button touches the previous one.
  EXPECT_LE(R0.Right + R0.Top, (WR.right - WR.left) - 3 * W);
  EXPECT_GT(R0.Right, (WR.right - WR.left) - 5 * W);
  for (int I = 1; I < 3; ++I) EXPECT_EQ(Buttons[I]->ButtonRect().Right, Buttons[I - 1]->ButtonRect().Left);

  for (int I = 0; I < 3; ++I) EXPECT_EQ(HitTest(Centre(Buttons[I])), Buttons[I]->ButtonId()) << I;
  POINT Free{WR.left + 60, Centre(Buttons[0]).y};
  EXPECT_EQ(HitTest(Free), HTCAPTION);
  POINT Client{(WR.left + WR.right) / 2, (WR.top + WR.bottom) / 2};
  EXPECT_EQ(HitTest(Client), HTCLIENT);

  // An invisible button takes no room and is never hit; the others close up.
  Buttons[1]->SetVisible(false);
  Repaint();
  EXPECT_EQ(Buttons[2]->Offset(), 2 + 2 * (W - 2));
  EXPECT_EQ(Buttons[2]->ButtonRect().Right, Buttons[0]->ButtonRect().Left);
  EXPECT_EQ(HitTest(Centre(Buttons[2])), Buttons[2]->ButtonId());
  for (int I = 0; I < 3; ++I) EXPECT_NE(HitTest(Centre(Buttons[I])), Buttons[1]->ButtonId());
}

TEST_F(CaptionButtons, PressCapturesAndReleaseClicks) {
  TlxCustomCaptionButton* B = Buttons[1];
  Press(B);
  EXPECT_TRUE(B->Captured());
  EXPECT_TRUE(B->DrawnDown());
  EXPECT_EQ(GetCapture(), Wnd());
  EXPECT_EQ(Clicks[1].Click, 0);
  Release(B);
  EXPECT_FALSE(B->Captured());
  EXPECT_NE(GetCapture(), Wnd());
  EXPECT_FALSE(B->DrawnDown());
  EXPECT_EQ(Clicks[1].Caption, 1);
  EXPECT_EQ(Clicks[1].Click, 1);
  EXPECT_EQ(Clicks[1].Menu, 0);
  EXPECT_EQ(Clicks[1].Down + Clicks[1].Up, 0);  // no toggle without AllowDown
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(Clicks[0].Click + Clicks[2].Click, 0);

  // A toggle: down on the first click, up on the second.
  B->SetAllowDown(true);
  Press(B);
  Release(B);
  EXPECT_TRUE(B->Down());
  EXPECT_TRUE(B->DrawnDown());  // stays drawn pressed while down
  EXPECT_EQ(Clicks[1].Down, 1);
  Press(B);
  Release(B);
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(Clicks[1].Up, 1);
  EXPECT_EQ(Clicks[1].Click, 3);
  // AllowDown off again forces the button up.
  B->SetDown(true);
  EXPECT_TRUE(B->Down());
  B->SetAllowDown(false);
  EXPECT_FALSE(B->Down());
  B->SetDown(true);
  EXPECT_FALSE(B->Down());
}

TEST_F(CaptionButtons, DraggingIntoTheClientAreaLetsTheButtonUpWithoutAClick) {
  TlxCustomCaptionButton* B = Buttons[0];
  Press(B);
  // Still in the caption: nothing changes.
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(B->ButtonRect().Left + 3), static_cast<WORD>(-3)));
  EXPECT_TRUE(B->DrawnDown());
  SendMessageA(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(B->ButtonRect().Left + 3, 20));
  EXPECT_FALSE(B->DrawnDown());
  Release(B);
  EXPECT_EQ(Clicks[0].Click, 0);
  EXPECT_FALSE(B->Captured());
  // A press anywhere else lets a captured button go (HTNOWHERE: no move loop of the window).
  Press(B);
  SendMessageA(Wnd(), WM_NCLBUTTONDOWN, HTNOWHERE, 0);
  EXPECT_FALSE(B->Captured());
  EXPECT_FALSE(B->DrawnDown());
}

TEST_F(CaptionButtons, CursorRightClicksAndDoubleClicks) {
  TlxCustomCaptionButton* B = Buttons[2];
  B->SetCursor(crCross);
  B->SetCursorDown(crUpArrow);
  SendMessageA(Wnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd()), MAKELPARAM(B->ButtonId(), WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crCross));
  EXPECT_EQ(Spy.Count(WM_SETCURSOR), 0);  // the form never sees it
  Press(B);
  SendMessageA(Wnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd()), MAKELPARAM(B->ButtonId(), WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crUpArrow));
  Release(B);

  // Right clicks on the button are swallowed; elsewhere they pass.
  Spy.Seen.clear();
  SendMessageA(Wnd(), WM_NCRBUTTONDOWN, B->ButtonId(), 0);
  SendMessageA(Wnd(), WM_NCRBUTTONUP, B->ButtonId(), 0);
  EXPECT_EQ(Spy.Count(WM_NCRBUTTONDOWN) + Spy.Count(WM_NCRBUTTONUP), 0);
  SendMessageA(Wnd(), WM_NCRBUTTONUP, HTCAPTION, 0);
  EXPECT_EQ(Spy.Count(WM_NCRBUTTONUP), 1);

  // A double click on the button is a second press; one on the caption is reported.
  Spy.Seen.clear();
  POINT P = Centre(B);
  SendMessageA(Wnd(), WM_NCLBUTTONDBLCLK, B->ButtonId(), MAKELPARAM(P.x, P.y));
  EXPECT_EQ(Spy.Count(WM_NCLBUTTONDBLCLK), 0);
  EXPECT_EQ(Spy.Count(WM_NCLBUTTONDOWN), 1);
  EXPECT_TRUE(B->Captured());
  Release(B);
  EXPECT_EQ(Clicks[2].Click, 2);
  SendMessageA(Wnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_EQ(Clicks[2].DblClick, 1);
  EXPECT_EQ(Clicks[0].DblClick, 1);
}

TEST_F(CaptionButtons, DisabledOrInvisibleButtonsIgnorePresses) {
  Buttons[0]->SetEnabled(false);
  Press(Buttons[0]);
  EXPECT_FALSE(Buttons[0]->Captured());
  Buttons[1]->SetVisible(false);
  Press(Buttons[1]);
  EXPECT_FALSE(Buttons[1]->Captured());
  EXPECT_NE(GetCapture(), Wnd());
}

TEST_F(CaptionButtons, SmallButtonsOnToolWindowsAndFontAndGapChanges) {
  // The low 8 bits of a gap are kept.
  Buttons[0]->SetSeparatorWidth(300);
  EXPECT_EQ(Buttons[0]->SeparatorWidth(), 44);
  const int W = GetSystemMetrics(SM_CXSIZE);
  EXPECT_EQ(Buttons[0]->Offset(), 2 + 44 + W - 2);  // the gap on its right moves it and those left of it
  EXPECT_EQ(Buttons[1]->Offset(), Buttons[0]->Offset() + W - 2);
  Buttons[0]->SetSeparatorWidth(0);
  // A font change keeps the face character's height.
  Buttons[0]->GlyphFont()->SetHeight(-40);
  EXPECT_EQ(Buttons[0]->GlyphFont()->Height(), 7 - GetSystemMetrics(SM_CYSIZE));
  // A tool window gets small buttons (a designer shows full ones).
  Form->SetBorderStyle(bsToolWindow);
  Buttons[0]->UpdateLayout();
  Repaint();
  const int Small = GetSystemMetrics(SM_CXSMSIZE);
  EXPECT_EQ(Buttons[0]->Offset(), Small);
  EXPECT_EQ(Buttons[0]->ButtonRect().Right - Buttons[0]->ButtonRect().Left, Small - 2);
  POINT P{(Buttons[1]->ButtonRect().Left + Buttons[1]->ButtonRect().Right) / 2 + 1, -GetSystemMetrics(SM_CYSMCAPTION) / 2};
  ClientToScreen(Wnd(), &P);
  EXPECT_EQ(HitTest(P), Buttons[1]->ButtonId());
  Buttons[0]->SetDesigning(true);
  Buttons[0]->UpdateLayout();
  EXPECT_EQ(Buttons[0]->Offset(), W);
  Buttons[0]->SetDesigning(false);
}

TEST_F(CaptionButtons, OrderMovesAndClamps) {
  TlxCustomCaptionButton *A = Buttons[0], *B = Buttons[1], *C = Buttons[2];
  B->SetBtnOrder(0);
  EXPECT_EQ(B->BtnOrder(), 0);
  EXPECT_EQ(A->BtnOrder(), 1);
  Repaint();
  EXPECT_GT(B->ButtonRect().Left, A->ButtonRect().Left);  // B now stands rightmost
  EXPECT_EQ(HitTest(Centre(B)), B->ButtonId());
  A->SetBtnOrder(99);
  EXPECT_EQ(A->BtnOrder(), 2);
  EXPECT_EQ(C->BtnOrder(), 1);
  A->SetBtnOrder(-5);
  EXPECT_EQ(A->BtnOrder(), 0);
  EXPECT_EQ(A->CaptionButton()->BtnOrder(), 0);
}

TEST_F(CaptionButtons, SystemMenuItemsAreShownAndRemoved) {
  HMENU Menu = SysMenu();
  ASSERT_NE(Menu, nullptr);
  const int N = GetMenuItemCount(Menu);
  ASSERT_GT(N, 0);
  TlxCustomCaptionButton *A = Buttons[0], *B = Buttons[1], *C = Buttons[2];
  A->SystemMenu()->SetSeparators({seBefore});
  A->SystemMenu()->SetPosition(1000);  // beyond the end: appended
  A->SystemMenu()->SetApplyToMenu(true);
  EXPECT_EQ(GetMenuItemCount(Menu), N + 2);
  EXPECT_EQ(IndexOfCommand(Menu, A->ButtonId()), N + 1);
  EXPECT_EQ(IndexOfCommand(Menu, A->ButtonId() + 1000), N);  // its separator right before it
  EXPECT_TRUE(GetMenuState(Menu, A->ButtonId() + 1000, MF_BYCOMMAND) & MF_SEPARATOR);
  EXPECT_EQ(ItemText(Menu, A->ButtonId()), "Button 0");  // no caption: the hint
  EXPECT_TRUE(GetMenuState(Menu, A->ButtonId(), MF_BYCOMMAND) & MFS_DEFAULT);

  B->SystemMenu()->SetCaption("&Bee");
  B->SystemMenu()->SetSeparators({seBefore, seAfter});
  B->SystemMenu()->SetPosition(0);
  B->SystemMenu()->SetApplyToMenu(true);
  EXPECT_EQ(GetMenuItemCount(Menu), N + 5);
  EXPECT_EQ(IndexOfCommand(Menu, B->ButtonId() + 1000), 0);
  EXPECT_EQ(IndexOfCommand(Menu, B->ButtonId()), 1);
  EXPECT_EQ(IndexOfCommand(Menu, B->ButtonId() + 2000), 2);
  EXPECT_EQ(ItemText(Menu, B->ButtonId()), "&Bee");

  // Down and Enabled show in the item.
  B->SetAllowDown(true);
  B->SetDown(true);
  EXPECT_TRUE(GetMenuState(Menu, B->ButtonId(), MF_BYCOMMAND) & MF_CHECKED);
  B->SetEnabled(false);
  EXPECT_TRUE(GetMenuState(Menu, B->ButtonId(), MF_BYCOMMAND) & MF_GRAYED);
  B->SetEnabled(true);
  EXPECT_FALSE(GetMenuState(Menu, B->ButtonId(), MF_BYCOMMAND) & MF_GRAYED);

  // Its command toggles and clicks; other commands pass by.
  SendMessageA(Wnd(), WM_SYSCOMMAND, B->ButtonId(), 0);
  EXPECT_FALSE(B->Down());
  EXPECT_FALSE(GetMenuState(Menu, B->ButtonId(), MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(Clicks[1].Menu, 1);
  EXPECT_EQ(Clicks[1].Click, 1);
  EXPECT_EQ(Clicks[1].Up, 1);
  EXPECT_EQ(Clicks[1].Caption, 0);
  EXPECT_EQ(Clicks[0].Menu, 0);

  // Without ApplyToMenu nothing goes in, and Down touches no menu.
  C->SetAllowDown(true);
  C->SetDown(true);
  EXPECT_EQ(GetMenuItemCount(Menu), N + 5);
  EXPECT_EQ(IndexOfCommand(Menu, C->ButtonId()), -1);

  // Rebuilt on request, removed on ApplyToMenu False and with the button.
  SendMessageA(Wnd(), LXM_REBUILDSYSMENUITEM, 0, 0);
  EXPECT_EQ(GetMenuItemCount(Menu), N + 5);
  B->SystemMenu()->SetApplyToMenu(false);
  EXPECT_EQ(GetMenuItemCount(Menu), N + 2);
  A->Free();
  Buttons[0] = nullptr;
  EXPECT_EQ(GetMenuItemCount(Menu), N);
}

class TPopupTarget : public TComponent {
  VD_CLASS(TPopupTarget, TComponent);

public:
  using TComponent::TComponent;
  int Clicked = 0;
  void ItemClick(TObject*) { ++Clicked; }
};
VD_DEFINE_CLASS(TPopupTarget) {}

TEST_F(CaptionButtons, APopupMenuLentToTheSystemMenuSurvivesRebuilds) {
  TPopupMenu* Popup = TPopupMenu::Create(Form);
  TPopupTarget* Target = TPopupTarget::Create(Form);
  TMenuItem* Item = TMenuItem::Create(Popup);
  Item->SetCaption("Item");
  Item->OnClick = MakeEvent<&TPopupTarget::ItemClick>(Target);
  Popup->Items()->Add(Item);
  TlxCustomCaptionButton* B = Buttons[0];
  B->SetPopupMenu(Popup);
  B->SystemMenu()->SetApplyToMenu(true);
  HMENU Menu = SysMenu();
  const HMENU Sub = Popup->Handle();
  int Index = IndexOfCommand(Menu, B->ButtonId());
  ASSERT_GE(Index, 0);
  EXPECT_EQ(GetSubMenu(Menu, Index), Sub);

  // Every change rebuilds the item; the popup menu's handle must live through all of them.
  B->SystemMenu()->SetCaption("Other");
  B->SystemMenu()->SetSeparators({seAfter});
  SendMessageA(Wnd(), LXM_REBUILDSYSMENUITEM, 0, 0);
  EXPECT_TRUE(IsMenu(Sub));
  EXPECT_EQ(Popup->Handle(), Sub);
  EXPECT_EQ(GetSubMenu(Menu, IndexOfCommand(Menu, B->ButtonId())), Sub);

  // Commands of its items reach the popup menu.
  SendMessageA(Wnd(), WM_SYSCOMMAND, Item->Command(), 0);
  EXPECT_EQ(Target->Clicked, 1);

  // The menu freed: the item stays, without a submenu.
  Popup->Free();
  EXPECT_EQ(B->PopupMenu(), nullptr);
  Index = IndexOfCommand(Menu, B->ButtonId());
  ASSERT_GE(Index, 0);
  EXPECT_EQ(GetSubMenu(Menu, Index), nullptr);
}

TEST_F(CaptionButtons, AClickOpensThePopupMenuUnderTheButton) {
  TPopupMenu* Popup = TPopupMenu::Create(Form);
  TMenuItem* Item = TMenuItem::Create(Popup);
  Item->SetCaption("Only");
  Popup->Items()->Add(Item);
  TlxCustomCaptionButton* B = Buttons[1];
  B->SetPopupMenu(Popup);
  lxtest::TMenuPicker Picker(false);
  Press(B);
  Release(B);  // returns when the menu is gone
  EXPECT_TRUE(Picker.Seen());
  EXPECT_EQ(Picker.Menu(), Popup->Handle());
  EXPECT_EQ(Clicks[1].Click, 1);
}

TEST_F(CaptionButtons, TooltipToolsFollowTheButtons) {
  HWND Tip = ThreadTooltipWindow();
  ASSERT_NE(Tip, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(Tip, nullptr), GetCurrentThreadId());
  EXPECT_EQ(SendMessageA(Tip, TTM_GETTOOLCOUNT, 0, 0), 3);
  // The tools in the order they were added: one per button.
  auto Tool = [&](int Index, std::string* Text = nullptr) {
    char Buf[80] = {};
    TTTOOLINFOA T{};
    T.cbSize = TTTOOLINFOA_V2_SIZE;
    T.lpszText = Buf;
    EXPECT_TRUE(SendMessageA(Tip, TTM_ENUMTOOLSA, Index, reinterpret_cast<LPARAM>(&T)));
    if (Text) *Text = Buf;
    return T;
  };
  auto Empty = [&](int Index) {
    RECT R = Tool(Index).rect;
    return IsRectEmpty(&R) != FALSE;
  };
  std::string Text;
  TTTOOLINFOA T = Tool(1, &Text);
  EXPECT_EQ(T.hwnd, Wnd());
  EXPECT_EQ(T.uFlags & TTF_SUBCLASS, 0u);  // the form's window procedure is left alone
  EXPECT_EQ(T.rect.left, Buttons[1]->ButtonRect().Left + 1);
  EXPECT_EQ(T.rect.top, -GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(T.rect.right, Buttons[1]->ButtonRect().Right + 1);
  EXPECT_EQ(T.rect.bottom, 0);
  EXPECT_EQ(Text, "Button 1");
  // Nothing to show: an empty rectangle.
  Buttons[1]->SetShowHint(false);
  EXPECT_TRUE(Empty(1));
  Buttons[1]->SetShowHint(true);
  Buttons[1]->SetEnabled(false);
  EXPECT_TRUE(Empty(1));
  EXPECT_FALSE(Empty(0));
  Buttons[2]->Free();
  Buttons[2] = nullptr;
  EXPECT_EQ(SendMessageA(Tip, TTM_GETTOOLCOUNT, 0, 0), 2);
}

TEST_F(CaptionButtons, FollowAReCreatedWindow) {
  HMENU Before = SysMenu();
  const int N = GetMenuItemCount(Before);
  Buttons[0]->SystemMenu()->SetApplyToMenu(true);
  HWND Old = Wnd();
  Form->RecreateWnd();
  HWND New = Wnd();
  ASSERT_NE(Old, New);
  PumpUntil([&] { return Buttons[0]->ButtonsList()->Wnd() == New; }, 2000);
  EXPECT_EQ(Buttons[0]->ButtonsList()->Wnd(), New);
  EXPECT_EQ(ThreadWindowListCount(), 1);
  Form->Show();
  Repaint();
  for (int I = 0; I < 3; ++I) EXPECT_EQ(HitTest(Centre(Buttons[I])), Buttons[I]->ButtonId());
  HMENU Menu = SysMenu();
  EXPECT_EQ(GetMenuItemCount(Menu), N + 1);
  EXPECT_GE(IndexOfCommand(Menu, Buttons[0]->ButtonId()), 0);
}

TEST_F(CaptionButtons, RealMouseInputClicksAButton) {
  SetForegroundWindow(Wnd());
  PumpFor(50);
  Repaint();
  TlxCustomCaptionButton* B = Buttons[1];
  POINT P = Centre(B);
  ASSERT_EQ(WindowFromPoint(P), Wnd());
  lxtest::LeftClick(P);
  ASSERT_TRUE(PumpUntil([&] { return Clicks[1].Click > 0; }, 3000));
  EXPECT_EQ(Clicks[1].Caption, 1);
  EXPECT_EQ(Clicks[0].Click + Clicks[2].Click, 0);
  EXPECT_FALSE(B->Captured());
  EXPECT_NE(GetCapture(), Wnd());
}

TEST_F(CaptionButtons, TheTooltipShowsTheHintOverTheButton) {
  SetForegroundWindow(Wnd());
  Repaint();
  HWND Tip = ThreadTooltipWindow();
  ASSERT_NE(Tip, nullptr);
  POINT P = Centre(Buttons[2]);
  lxtest::SendMouse(P, MOUSEEVENTF_MOVE, MOUSEEVENTF_MOVE);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(Tip) != FALSE; }, 4000));
  char Text[80] = {};
  TTTOOLINFOA T{};
  T.cbSize = TTTOOLINFOA_V2_SIZE;
  T.lpszText = Text;
  ASSERT_TRUE(SendMessageA(Tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&T)));
  EXPECT_STREQ(Text, "Button 2");
  // Away from the buttons it goes.
  RECT WR;
  GetWindowRect(Wnd(), &WR);
  lxtest::SendMouse(POINT{(WR.left + WR.right) / 2, (WR.top + WR.bottom) / 2}, MOUSEEVENTF_MOVE, MOUSEEVENTF_MOVE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Tip); }, 4000));
}

// ---- One state per thread ---------------------------------------------------------------------

TEST(CaptionButtonThreads, EachThreadHasItsOwnListsIdsAndTooltip) {
  std::atomic<int> OtherFirstId{0};
  std::atomic<HWND> OtherTip{nullptr};
  std::atomic<bool> OtherStateGone{false};
  TForm* Form = TForm::Create(nullptr, CreateNewForm);
  Form->SetBounds(40, 40, 300, 150);
  Form->Show();
  TlxCustomCaptionButton* Mine = TlxCustomCaptionButton::Create(Form);
  Mine->AddTool();
  std::thread Other([&] {
    TForm* F = TForm::Create(nullptr, CreateNewForm);
    F->SetBounds(60, 60, 300, 150);
    F->Show();
    TlxCustomCaptionButton* B = TlxCustomCaptionButton::Create(F);
    B->AddTool();
    OtherFirstId = B->ButtonId();
    OtherTip = ThreadTooltipWindow();
    F->Free();
    OtherStateGone = ThreadButtonCount() == 0 && ThreadTooltipWindow() == nullptr;
  });
  Other.join();
  EXPECT_EQ(OtherFirstId.load(), lxFirstCaptionButtonId);
  EXPECT_NE(OtherTip.load(), nullptr);
  EXPECT_NE(OtherTip.load(), ThreadTooltipWindow());
  EXPECT_TRUE(OtherStateGone.load());
  EXPECT_EQ(ThreadButtonCount(), 1);
  EXPECT_EQ(ThreadWindowListCount(), 1);
  Form->Free();
  EXPECT_EQ(ThreadButtonCount(), 0);
}

}  // namespace
