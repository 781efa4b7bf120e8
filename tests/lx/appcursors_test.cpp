// Application cursors with real windows, real WM_SETCURSOR requests and the real mouse position:
// window parts by hit-test code, the event, one hook per process, the client rule over our
// controls, foreign edit and static windows, a graphic control with its own cursor, a request
// passed on from a child to its parent, and the window procedures put back after each request.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "classlib/StdCtrls.h"
#include "lx/lxAppCursors.h"
#include "lx/lxGraphics.h"
#include "lx/lxLabels.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

HCURSOR SystemCursor(LPCSTR Id) { return LoadCursorA(nullptr, Id); }

struct TObjectLog {
  std::vector<std::pair<TlxAppObject, HWND>> Seen;
  TCursor Replace = crDefault;  // crDefault: leave the cursor as it is
  bool Veto = false;
  HWND VetoFor = nullptr;  // only for this window
  void Hit(TObject*, TlxAppObject Object, HWND Wnd, TCursor& Cursor) {
    Seen.emplace_back(Object, Wnd);
    if (Veto || Wnd == VetoFor) Cursor = crDefault;
    else if (Replace != crDefault) Cursor = Replace;
  }
};

class AppCursorsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewPlainForm(100, 500, 240, 160);
    Form->Show();
    PumpFor(50);
    Cursors = TlxAppCursors::Create(Form);
    ASSERT_EQ(TlxAppCursors::Current(), Cursors);
  }
  void TearDown() override {
    Form->Free();
    EXPECT_EQ(TlxAppCursors::HookHandle(), nullptr) << "the hook goes with its component";
  }

  // Sends the request a window gets when the mouse moves over Part of it.
  LRESULT Request(HWND Wnd, WORD Part) {
    ::SetCursor(SystemCursor(IDC_WAIT));
    return SendMessageA(Wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd), MAKELPARAM(Part, WM_MOUSEMOVE));
  }
  WNDPROC ProcOf(HWND Wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Wnd, GWLP_WNDPROC)); }
  void MouseTo(HWND Wnd, int X, int Y) {
    POINT P{X, Y};
    ClientToScreen(Wnd, &P);
    SetCursorPos(P.x, P.y);
  }

  TForm* Form = nullptr;
  TlxAppCursors* Cursors = nullptr;
};

}  // namespace

TEST_F(AppCursorsTest, BordersTakeTheirCursorsAndPartsWithoutOneAreLeftToTheWindow) {
  HWND Wnd = Form->Handle();
  WNDPROC Original = ProcOf(Wnd);
  Cursors->SetCursor(aoBorderLeft, crHelp);
  EXPECT_EQ(Request(Wnd, HTLEFT), 1);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHelp));
  EXPECT_EQ(ProcOf(Wnd), Original) << "one subclassing per request";

  Cursors->SetCursor(aoBorderLeft, crSizeWE);
  Request(Wnd, HTLEFT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_SIZEWE));
  // BtnClose is 0: the window's own answer (the arrow).
  Request(Wnd, HTCLOSE);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_ARROW));
  // HTERROR takes Transparent; HTTRANSPARENT is no part.
  Cursors->SetCursor(aoTransparent, crHelp);
  Request(Wnd, 0xFFFE);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHelp));
  EXPECT_NE(Request(Wnd, 0xFFFF), 1);
  EXPECT_NE(GetCursor(), Screen->Cursors(crHelp));
  // The caption without a mouse message is a menu item (a menu is being tracked).
  Cursors->SetCursor(aoMenuItem, crUpArrow);
  SendMessageA(Wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd), MAKELPARAM(HTCAPTION, 0));
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_UPARROW));
  EXPECT_EQ(ProcOf(Wnd), Original);

  Cursors->SetActive(false);
  Request(Wnd, 0xFFFE);
  EXPECT_NE(GetCursor(), Screen->Cursors(crHelp)) << "inactive: nothing answered";
}

TEST_F(AppCursorsTest, TheEventSeesEachRequestAndMayChangeOrDropTheCursor) {
  TObjectLog Log;
  Cursors->OnMouseOverObject = MakeEvent<&TObjectLog::Hit>(&Log);
  Cursors->SetCursor(aoBorderTop, crHelp);
  Log.Replace = crCross;
  Request(Form->Handle(), HTTOP);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_CROSS));
  ASSERT_EQ(Log.Seen.size(), 1u);
  EXPECT_EQ(Log.Seen[0], std::make_pair(aoBorderTop, Form->Handle()));
  Log.Veto = true;
  EXPECT_NE(Request(Form->Handle(), HTTOP), 1);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_SIZENS)) << "the window's own sizing cursor";
}

TEST_F(AppCursorsTest, ASecondComponentInstallsNoHookAndLeavesTheFirstOnesInPlace) {
  HHOOK Hook = TlxAppCursors::HookHandle();
  TlxAppCursors* Second = TlxAppCursors::Create(Form);
  Second->SetCursor(aoBorderLeft, crHelp);
  EXPECT_EQ(TlxAppCursors::Current(), Cursors);
  Request(Form->Handle(), HTLEFT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_SIZEWE)) << "the second one is never asked";
  Second->Free();
  EXPECT_EQ(TlxAppCursors::HookHandle(), Hook);
  Cursors->SetCursor(aoBorderLeft, crCross);
  Request(Form->Handle(), HTLEFT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_CROSS));
}

TEST_F(AppCursorsTest, ClientRuleSparesEditsAndControlsWithTheirOwnCursor) {
  Cursors->SetCursor(aoClient, crCross);
  Cursors->SetCursor(aoClientNonVCL, crHelp);
  TEdit* Edit = TEdit::Create(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(10, 10, 100, 22);
  TlxURLLabel* Link = TlxURLLabel::Create(Form);
  Link->SetParent(Form);
  Link->SetBounds(10, 100, 10, 10);
  Link->SetCaption("link");
  PumpFor(50);
  HWND Wnd = Form->Handle();

  MouseTo(Wnd, 200, 60);  // the form itself
  Request(Wnd, HTCLIENT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_CROSS));
  MouseTo(Wnd, Link->Left() + 3, Link->Top() + 3);  // a graphic control with its own cursor
  Request(Wnd, HTCLIENT);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crLinkSelect));
  MouseTo(Wnd, 30, 20);  // our edit keeps its text cursor
  Request(Edit->Handle(), HTCLIENT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_IBEAM));

  // Windows of others, outside our controls: an edit keeps its cursor, others get ClientNonVCL.
  HWND ForeignEdit = CreateWindowExA(WS_EX_TOPMOST, "EDIT", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 500, 500, 120,
                                     24, nullptr, nullptr, nullptr, nullptr);
  HWND ForeignStatic = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "x", WS_POPUP | WS_VISIBLE, 500, 560, 120, 24,
                                       nullptr, nullptr, nullptr, nullptr);
  PumpFor(50);
  MouseTo(ForeignEdit, 20, 10);
  Request(ForeignEdit, HTCLIENT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_IBEAM));
  MouseTo(ForeignStatic, 20, 10);
  Request(ForeignStatic, HTCLIENT);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHelp));
  DestroyWindow(ForeignEdit);
  DestroyWindow(ForeignStatic);

  // Client 0: the client area is left alone altogether.
  Cursors->SetCursor(aoClient, crDefault);
  MouseTo(Wnd, 200, 60);
  Request(Wnd, HTCLIENT);
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_ARROW));
}

TEST_F(AppCursorsTest, ARequestPassedOnToTheParentIsAnsweredForEachWindowApart) {
  Cursors->SetCursor(aoClient, crCross);
  TObjectLog Log;
  Cursors->OnMouseOverObject = MakeEvent<&TObjectLog::Hit>(&Log);
  HWND Wnd = Form->Handle();
  // A foreign child inside our form (SS_NOTIFY: the mouse finds the static itself).
  HWND Child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 20, 20, 80, 40, Wnd, nullptr,
                               nullptr, nullptr);
  WNDPROC FormProc = ProcOf(Wnd), ChildProc = ProcOf(Child);
  MouseTo(Child, 10, 10);
  Log.VetoFor = Wnd;
  Request(Child, HTCLIENT);
  // The static answers first and hands the request to the form on the way (a request of its own,
  // left to the window by the event); then the client cursor follows for the static, reported
  // with the static's window.
  EXPECT_EQ(GetCursor(), SystemCursor(IDC_CROSS));
  ASSERT_EQ(Log.Seen.size(), 2u);
  EXPECT_EQ(Log.Seen[0].second, Wnd);
  EXPECT_EQ(Log.Seen[1].second, Child);
  EXPECT_EQ(ProcOf(Wnd), FormProc);
  EXPECT_EQ(ProcOf(Child), ChildProc);
  DestroyWindow(Child);
}
