// Controls with real windows: creation on demand, the object behind a subclassed window,
// reflection, bounds kept in step with the window, re-creation, styles changed in place, the
// exception barrier, tab order and focus, graphic controls, parent properties and alignment.
#include <gtest/gtest.h>

#include <stdexcept>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

namespace {
// Records the CN_* messages that reach the object.
class TRecordingEdit : public TEdit {
  VD_CLASS(TRecordingEdit, TEdit);

public:
  using TEdit::TEdit;
  std::vector<UINT> Notified;

protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg >= CN_BASE && Message.Msg < CN_BASE + 0x400) Notified.push_back(Message.Msg);
    TEdit::Dispatch(Message);
  }
};
VD_DEFINE_CLASS(TRecordingEdit) {}

struct TEventLog {
  std::vector<std::string> Lines;
  TObject* LastSender = nullptr;
  void Resized(TObject* S) { Lines.push_back("resize"); LastSender = S; }
  void Clicked(TObject* S) { Lines.push_back("click"); LastSender = S; }
  void Entered(TObject* S) { Lines.push_back("enter " + static_cast<TComponent*>(S)->Name()); }
  void Exited(TObject* S) { Lines.push_back("exit " + static_cast<TComponent*>(S)->Name()); }
  void Changed(TObject*) { Lines.push_back("change"); }
  void ThrowException(TObject*) { throw EInvalidOperation("click handler failed"); }
  void ThrowOther(TObject*) { throw std::runtime_error("other failure"); }
  void Abort(TObject*) { throw EAbort(""); }
  int Count(const std::string& L) const { return static_cast<int>(std::count(Lines.begin(), Lines.end(), L)); }
};

template <class T> T* Make(TComponent* Owner, TWinControl* Parent, const char* Name) {
  T* C = T::Create(Owner);
  C->SetName(Name);
  C->SetParent(Parent);
  return C;
}

DWORD Style(HWND W) { return static_cast<DWORD>(GetWindowLongPtrA(W, GWL_STYLE)); }
DWORD ExStyle(HWND W) { return static_cast<DWORD>(GetWindowLongPtrA(W, GWL_EXSTYLE)); }
}  // namespace

TEST(WindowHandles, AreCreatedOnDemandParentFirstAndChildrenWithTheirParent) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Panel = Make<TPanel>(Form.get(), Form.get(), "Panel");
  auto* Edit = Make<TEdit>(Form.get(), Panel, "Edit");
  Edit->SetText("before the window");
  Edit->SetReadOnly(true);
  EXPECT_FALSE(Form->HandleAllocated());
  EXPECT_FALSE(Panel->HandleAllocated());
  EXPECT_EQ(Edit->Text(), "before the window") << "kept without a window";

  HWND EditWnd = Edit->Handle();
  ASSERT_TRUE(Form->HandleAllocated());
  ASSERT_TRUE(Panel->HandleAllocated());
  EXPECT_EQ(GetParent(EditWnd), Panel->Handle());
  EXPECT_EQ(GetParent(Panel->Handle()), Form->Handle());
  char Text[64] = {};
  GetWindowTextA(EditWnd, Text, sizeof Text);
  EXPECT_STREQ(Text, "before the window");
  EXPECT_TRUE(Style(EditWnd) & ES_READONLY);
  EXPECT_EQ(FindControl(EditWnd), Edit);
  EXPECT_EQ(FindControl(Form->Handle()), Form.get());
  EXPECT_EQ(FindControl(GetDesktopWindow()), nullptr);

  // Added to a live parent: its window comes at once; writes reach the live window.
  auto* Late = Make<TEdit>(Form.get(), Panel, "Late");
  ASSERT_TRUE(Late->HandleAllocated());
  Late->SetReadOnly(true);
  EXPECT_TRUE(Style(Late->Handle()) & ES_READONLY);
  Late->SetBounds(3, 4, 50, 20);
  RECT R;
  GetWindowRect(Late->Handle(), &R);
  MapWindowPoints(HWND_DESKTOP, Panel->Handle(), reinterpret_cast<POINT*>(&R), 2);
  EXPECT_EQ(R.left, 3);
  EXPECT_EQ(R.right - R.left, 50);

  TObjectPtr<TEdit> Orphan(TEdit::Create(nullptr));
  EXPECT_THROW(Orphan->Handle(), EInvalidOperation);
}

TEST(WindowHandles, ForeignSubclassKeepsTheObjectFoundAndTextStaysOffTheChain) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = Make<TEdit>(Form.get(), Form.get(), "Edit");
  TEventLog Log;
  Edit->OnChange = TNotifyEvent::Bind<&TEventLog::Changed>(&Log);
  HWND Wnd = Edit->Handle();
  TSpySubclass Spy(Wnd);
  EXPECT_EQ(FindControl(Wnd), Edit);

  Edit->SetText("object path");
  EXPECT_EQ(Edit->Text(), "object path");
  EXPECT_EQ(Spy.Seen(WM_SETTEXT) + Spy.Seen(WM_GETTEXT) + Spy.Seen(WM_GETTEXTLENGTH), 0)
      << "the object's text does not go through the window's subclass chain";
  EXPECT_EQ(Log.Count("change"), 1);

  // Messages sent to the window pass the foreign procedure and still reach the object.
  SendMessageA(Wnd, WM_CHAR, 'x', 0);
  EXPECT_EQ(Spy.Seen(WM_CHAR), 1);
  EXPECT_EQ(Edit->Text(), "xobject path");
  EXPECT_EQ(Log.Count("change"), 2);
  char Text[64] = {};
  GetWindowTextA(Wnd, Text, sizeof Text);
  EXPECT_STREQ(Text, "xobject path");
  EXPECT_GE(Spy.Seen(WM_GETTEXT), 1) << "Windows' own text query does go through it";
}

TEST(Reflection, CtlColorReachesTheChildThroughItsWindowChain) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = Make<TRecordingEdit>(Form.get(), Form.get(), "Edit");
  Edit->SetColor(clYellow);
  Edit->Font()->SetColor(clRed);
  HWND Wnd = Edit->Handle();
  TSpySubclass Spy(Wnd);

  TPixelDC Pixels(4, 4);
  LRESULT Brush = SendMessageA(Form->Handle(), WM_CTLCOLOREDIT,
                               reinterpret_cast<WPARAM>(Pixels.DC()), reinterpret_cast<LPARAM>(Wnd));
  EXPECT_EQ(Brush, reinterpret_cast<LRESULT>(Edit->Brush()->Handle()));
  EXPECT_EQ(GetBkColor(Pixels.DC()), ColorToRGB(clYellow));
  EXPECT_EQ(GetTextColor(Pixels.DC()), ColorToRGB(clRed));
  EXPECT_EQ(Spy.Seen(CN_CTLCOLOREDIT), 1) << "a subclass of the child sees the reflected message";
  ASSERT_FALSE(Edit->Notified.empty());
  EXPECT_EQ(Edit->Notified.back(), CN_CTLCOLOREDIT);

  // A read-only edit asks for static colours while it paints.
  Edit->SetReadOnly(true);
  Form->Show();
  Edit->Notified.clear();
  RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_GE(Spy.Seen(CN_CTLCOLORSTATIC), 1);
  EXPECT_NE(std::find(Edit->Notified.begin(), Edit->Notified.end(), CN_CTLCOLORSTATIC), Edit->Notified.end());

  // A window that is no control of ours gets the default answer, and nothing is reflected.
  HWND Foreign = CreateWindowExA(0, "STATIC", "x", WS_CHILD, 0, 0, 10, 10, Form->Handle(), nullptr, nullptr, nullptr);
  size_t Before = Spy.Messages.size();
  SendMessageA(Form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(Pixels.DC()), reinterpret_cast<LPARAM>(Foreign));
  EXPECT_EQ(Spy.Messages.size(), Before);
  DestroyWindow(Foreign);
}

TEST(Bounds, RawMoveWindowUpdatesTheControlAndFiresOnResize) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = Make<TEdit>(Form.get(), Form.get(), "Edit");
  TEventLog Log;
  Form->OnResize = TNotifyEvent::Bind<&TEventLog::Resized>(&Log);
  HWND Wnd = Form->Handle();
  Log.Lines.clear();
  MoveWindow(Wnd, 40, 50, 333, 222, TRUE);
  EXPECT_EQ(Form->Left(), 40);
  EXPECT_EQ(Form->Top(), 50);
  EXPECT_EQ(Form->Width(), 333);
  EXPECT_EQ(Form->Height(), 222);
  RECT C;
  GetClientRect(Wnd, &C);
  EXPECT_EQ(Form->ClientWidth(), C.right);
  EXPECT_EQ(Form->ClientHeight(), C.bottom);
  EXPECT_GE(Log.Count("resize"), 1);

  MoveWindow(Edit->Handle(), 5, 6, 70, 22, TRUE);
  EXPECT_EQ(Edit->Left(), 5);
  EXPECT_EQ(Edit->Top(), 6);
  EXPECT_EQ(Edit->Width(), 70);

  Form->SetClientSize(300, 200);
  GetClientRect(Wnd, &C);
  EXPECT_EQ(C.right, 300);
  EXPECT_EQ(C.bottom, 200);
}

TEST(Bounds, ClientSizeWithoutAWindowFollowsTheFrameOfTheStyle) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  Form->SetBorderStyle(bsDialog);
  Form->SetClientWidth(300);
  Form->SetClientHeight(326);
  EXPECT_EQ(Form->ClientWidth(), 300);
  EXPECT_EQ(Form->ClientHeight(), 326);
  RECT C;
  GetClientRect(Form->Handle(), &C);
  EXPECT_EQ(C.right, 300);
  EXPECT_EQ(C.bottom, 326);
}

TEST(Recreation, RecreateWndRebuildsEveryChildWindowWithItsState) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Panel = Make<TPanel>(Form.get(), Form.get(), "Panel");
  Panel->SetBounds(10, 10, 200, 100);
  auto* Edit = Make<TEdit>(Form.get(), Panel, "Edit");
  Edit->SetBounds(7, 8, 90, 21);
  Edit->SetReadOnly(true);
  auto* Label = Make<TLabel>(Form.get(), Panel, "Label");
  Label->SetCaption("label");
  HWND OldForm = Form->Handle();
  HWND OldEdit = Edit->Handle();
  SetWindowTextA(OldEdit, "typed by the user");

  Form->RecreateWnd();
  HWND NewForm = Form->Handle();
  EXPECT_NE(NewForm, OldForm);
  EXPECT_FALSE(IsWindow(OldForm));
  EXPECT_FALSE(IsWindow(OldEdit));
  ASSERT_TRUE(Edit->HandleAllocated());
  EXPECT_EQ(GetParent(Edit->Handle()), Panel->Handle());
  EXPECT_EQ(GetParent(Panel->Handle()), NewForm);
  EXPECT_EQ(Edit->Text(), "typed by the user");
  EXPECT_TRUE(Style(Edit->Handle()) & ES_READONLY);
  EXPECT_EQ(Edit->Left(), 7);
  EXPECT_EQ(Edit->Width(), 90);
  EXPECT_EQ(Panel->ControlCount(), 2);
  EXPECT_EQ(FindControl(Edit->Handle()), Edit);
}

TEST(Styles, BorderAndStyleChangesKeepTheSameWindow) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = Make<TEdit>(Form.get(), Form.get(), "Edit");
  HWND Wnd = Form->Handle();
  HWND EditWnd = Edit->Handle();
  TSpySubclass Spy(Wnd);
  EXPECT_TRUE(Style(Wnd) & WS_THICKFRAME);

  Form->SetBorderStyle(bsDialog);
  EXPECT_FALSE(Style(Wnd) & WS_THICKFRAME);
  EXPECT_TRUE(Style(Wnd) & WS_CAPTION);
  EXPECT_TRUE(ExStyle(Wnd) & WS_EX_DLGMODALFRAME);
  Form->SetBorderIcons(TBorderIcons{biSystemMenu, biHelp});
  EXPECT_TRUE(ExStyle(Wnd) & WS_EX_CONTEXTHELP);
  Form->SetBorderStyle(bsNone);
  EXPECT_FALSE(Style(Wnd) & WS_CAPTION);
  EXPECT_FALSE(Style(Wnd) & WS_SYSMENU);
  EXPECT_TRUE(Style(Wnd) & WS_POPUP);
  Form->SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(ExStyle(Wnd) & WS_EX_TOPMOST);

  Edit->SetTabStop(false);
  EXPECT_FALSE(Style(EditWnd) & WS_TABSTOP);
  Edit->SetBorderStyle(bsNone);
  EXPECT_FALSE(ExStyle(EditWnd) & WS_EX_CLIENTEDGE);

  EXPECT_EQ(Form->Handle(), Wnd);
  EXPECT_EQ(Edit->Handle(), EditWnd);
  EXPECT_EQ(Spy.Seen(WM_DESTROY), 0) << "nothing was re-created";
}

TEST(ExceptionBarrier, HandlerExceptionsGoToTheApplicationWithTheControlAsSender) {
  TExceptionCollector Collector;
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Button = Make<TButton>(Form.get(), Form.get(), "Button");
  TEventLog Log;
  HWND Wnd = Button->Handle();

  Button->OnClick = TNotifyEvent::Bind<&TEventLog::ThrowException>(&Log);
  SendMessageA(Wnd, BM_CLICK, 0, 0);
  Button->OnClick = TNotifyEvent::Bind<&TEventLog::ThrowOther>(&Log);
  SendMessageA(Wnd, BM_CLICK, 0, 0);
  Button->OnClick = TNotifyEvent::Bind<&TEventLog::Abort>(&Log);
  SendMessageA(Wnd, BM_CLICK, 0, 0);
  ASSERT_EQ(Collector.Reports.size(), 2u);
  EXPECT_EQ(Collector.Reports[0].Message, "click handler failed");
  EXPECT_EQ(Collector.Reports[0].Sender, Button) << "reported by the window that ran the handler";
  EXPECT_EQ(Collector.Reports[1].Message, "other failure");

  // The window keeps working.
  Button->OnClick = TNotifyEvent::Bind<&TEventLog::Clicked>(&Log);
  SendMessageA(Wnd, BM_CLICK, 0, 0);
  EXPECT_EQ(Log.Count("click"), 1);
}

namespace {
struct TTabForm {
  TObjectPtr<TForm> Form{TForm::Create(nullptr)};
  TEdit *E1, *E2, *E3, *G1, *G2;
  TGroupBox* Group;
  TTabForm() {
    E1 = Make<TEdit>(Form.get(), Form.get(), "E1");
    E2 = Make<TEdit>(Form.get(), Form.get(), "E2");
    E3 = Make<TEdit>(Form.get(), Form.get(), "E3");
    Group = Make<TGroupBox>(Form.get(), Form.get(), "Group");
    G1 = Make<TEdit>(Form.get(), Group, "G1");
    G2 = Make<TEdit>(Form.get(), Group, "G2");
  }
};
}  // namespace

TEST(TabOrder, OrderListAndSearchRules) {
  TTabForm T;
  EXPECT_EQ(T.E1->TabOrder(), 0);
  EXPECT_EQ(T.Group->TabOrder(), 3);
  EXPECT_EQ(T.G2->TabOrder(), 1);
  T.E3->SetTabOrder(0);
  EXPECT_EQ(T.E1->TabOrder(), 1);
  T.E2->SetTabOrder(99);  // clamped: last
  EXPECT_EQ(T.E2->TabOrder(), 3);
  std::vector<TWinControl*> List;
  T.Form->GetTabOrderList(List);
  EXPECT_EQ(List, (std::vector<TWinControl*>{T.E3, T.E1, T.Group, T.G1, T.G2, T.E2}));

  TForm* F = T.Form.get();
  EXPECT_EQ(F->FindNextControl(T.E1, true, true, false), T.G1) << "the group box is no tab stop";
  EXPECT_EQ(F->FindNextControl(T.E2, true, true, false), T.E3) << "wraps round";
  EXPECT_EQ(F->FindNextControl(T.E3, false, true, false), T.E2);
  EXPECT_EQ(F->FindNextControl(T.E1, true, true, true), T.E2) << "children of the form only";
  EXPECT_EQ(F->FindNextControl(nullptr, true, true, false), T.E3);
  T.G1->SetTabStop(false);
  T.G2->SetVisible(false);
  T.E2->SetEnabled(false);
  EXPECT_EQ(F->FindNextControl(T.E1, true, true, false), T.E3);
  EXPECT_EQ(F->FindNextControl(T.E1, true, false, false), T.Group);
}

TEST(Focus, SelectNextTabAndRawFocusAreTrackedByTheForm) {
  TTabForm T;
  TEventLog Log;
  for (TEdit* E : {T.E1, T.E2, T.E3, T.G1, T.G2}) {
    E->OnEnter = TNotifyEvent::Bind<&TEventLog::Entered>(&Log);
    E->OnExit = TNotifyEvent::Bind<&TEventLog::Exited>(&Log);
  }
  T.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(T.Form->Handle()) != FALSE; }));

  T.E2->SetFocus();
  EXPECT_EQ(GetFocus(), T.E2->Handle());
  EXPECT_EQ(T.Form->ActiveControl(), T.E2);
  EXPECT_TRUE(T.E2->Focused());

  T.Form->SelectNext(T.E2, true, true);
  EXPECT_EQ(GetFocus(), T.E3->Handle());
  EXPECT_EQ(T.Form->ActiveControl(), T.E3);

  ::SetFocus(T.G2->Handle());  // not through the class library
  EXPECT_EQ(T.Form->ActiveControl(), T.G2);
  EXPECT_EQ(Screen->ActiveControl(), T.G2);
  EXPECT_EQ(Screen->ActiveForm(), T.Form.get());

  // Tab and Shift+Tab typed into an edit move the focus in tab order.
  SendMessageA(T.G2->Handle(), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(GetFocus(), T.E1->Handle()) << "after the last control the first one";
  EXPECT_GE(Log.Count("exit G2"), 1);
  EXPECT_GE(Log.Count("enter E1"), 1);

  // The active control is forgotten when it goes.
  T.E1->Free();
  EXPECT_EQ(T.Form->ActiveControl(), nullptr);
  T.E3->SetVisible(false);
  EXPECT_THROW(T.E3->SetFocus(), EInvalidOperation);
  EXPECT_THROW(T.Form->SetActiveControl(T.E3), EInvalidOperation);
}

namespace {
struct TMouseLog {
  std::vector<std::string> Lines;
  void LabelClick(TObject*) { Lines.push_back("label click"); }
  void FormClick(TObject*) { Lines.push_back("form click"); }
};

class TEnterLeaveLabel : public TLabel {
  VD_CLASS(TEnterLeaveLabel, TLabel);

public:
  using TLabel::TLabel;
  int Entered = 0;
  int Leaves = 0;

protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_MOUSEENTER) ++Entered;
    if (Message.Msg == CM_MOUSELEAVE) ++Leaves;
    TLabel::Dispatch(Message);
  }
};
VD_DEFINE_CLASS(TEnterLeaveLabel) {}
}  // namespace

TEST(GraphicControls, LabelsPaintIntoTheParentAndGetTheirMouseMessages) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  Form->SetClientSize(200, 100);
  auto* Label = Make<TEnterLeaveLabel>(Form.get(), Form.get(), "Label");
  Label->SetBounds(20, 30, 10, 10);
  Label->SetCaption("WWWWWW");
  EXPECT_GT(Label->Width(), 30) << "AutoSize fits the text";
  EXPECT_GT(Label->Height(), 8);
  int Narrow = Label->Width();
  Label->SetCaption("WWWWWWWWWWWW");
  EXPECT_GT(Label->Width(), Narrow);
  Label->SetColor(clYellow);
  Label->Font()->SetColor(clBlue);

  TPixelDC Pixels(200, 100);
  HWND Wnd = Form->Handle();
  SendMessageA(Wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT | PRF_ERASEBKGND);
  RECT Inside = Label->BoundsRect();
  EXPECT_EQ(Pixels.Pixel(5, 5), ColorToRGB(clBtnFace)) << "the form's own background";
  EXPECT_GT(Pixels.Count(Inside, ColorToRGB(clYellow)), 0) << "an opaque label fills its area";
  EXPECT_GT(Pixels.CountInk(Inside, ColorToRGB(clBlue), ColorToRGB(clYellow)), 0) << "and draws its text";
  RECT Below = Rect(Inside.left, Inside.bottom, Inside.right, Inside.bottom + 5);
  EXPECT_EQ(Pixels.Count(Below, ColorToRGB(clBtnFace)), (Below.right - Below.left) * 5) << "nothing outside its bounds";

  Label->SetTransparent(true);
  SendMessageA(Wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(Pixels.Count(Inside, ColorToRGB(clYellow)), 0);
  EXPECT_GT(Pixels.CountInk(Inside, ColorToRGB(clBlue), ColorToRGB(clBtnFace)), 0);

  TMouseLog Log;
  Label->OnClick = TNotifyEvent::Bind<&TMouseLog::LabelClick>(&Log);
  Form->OnClick = TNotifyEvent::Bind<&TMouseLog::FormClick>(&Log);
  LPARAM OnLabel = MAKELPARAM(Label->Left() + 2, Label->Top() + 2);
  SendMessageA(Wnd, WM_MOUSEMOVE, 0, OnLabel);
  EXPECT_EQ(Label->Entered, 1);
  SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, OnLabel);
  SendMessageA(Wnd, WM_LBUTTONUP, 0, OnLabel);
  SendMessageA(Wnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(Label->Leaves, 1);
  SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(Wnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(Log.Lines, (std::vector<std::string>{"label click", "form click"}));
}

TEST(ParentProperties, ColourFontAndAlignmentFollowTheParent) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Panel = Make<TPanel>(Form.get(), Form.get(), "Panel");
  auto* Label = Make<TLabel>(Form.get(), Panel, "Label");
  auto* Own = Make<TLabel>(Form.get(), Panel, "Own");
  Own->Font()->SetName("Courier New");
  Panel->SetParentColor(true);
  EXPECT_EQ(Panel->Color(), clBtnFace);
  Form->SetColor(clAqua);
  EXPECT_EQ(Panel->Color(), clAqua);
  EXPECT_EQ(Label->Color(), clAqua);
  Form->Font()->SetHeight(-20);
  EXPECT_EQ(Label->Font()->Height(), -20);
  EXPECT_TRUE(Label->ParentFont());
  EXPECT_FALSE(Own->ParentFont());
  EXPECT_NE(Own->Font()->Height(), -20);

  Form->SetClientSize(300, 200);
  Form->HandleNeeded();
  Panel->SetHeight(40);
  Panel->SetAlign(alBottom);
  EXPECT_EQ(Panel->Top(), 160);
  EXPECT_EQ(Panel->Width(), 300);
  MoveWindow(Form->Handle(), 0, 0, Form->Width() + 50, Form->Height() + 20, TRUE);
  EXPECT_EQ(Panel->Width(), Form->ClientWidth());
  EXPECT_EQ(Panel->Top() + Panel->Height(), Form->ClientHeight());
}

TEST(StandardControls, CheckBoxEditPanelAndMenuBarWorkOnTheirWindows) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  TEventLog Log;

  auto* Check = Make<TCheckBox>(Form.get(), Form.get(), "Check");
  Check->OnClick = TNotifyEvent::Bind<&TEventLog::Clicked>(&Log);
  HWND CheckWnd = Check->Handle();
  SendMessageA(CheckWnd, BM_CLICK, 0, 0);
  EXPECT_TRUE(Check->Checked());
  EXPECT_EQ(SendMessageA(CheckWnd, BM_GETCHECK, 0, 0), BST_CHECKED);
  Check->SetAllowGrayed(true);
  Check->SetChecked(false);
  SendMessageA(CheckWnd, BM_CLICK, 0, 0);
  EXPECT_EQ(Check->State(), cbGrayed);
  EXPECT_EQ(Log.Count("click"), 3) << "every change of state is a click";

  auto* Edit = Make<TEdit>(Form.get(), Form.get(), "Edit");
  EXPECT_EQ(Edit->Text(), "Edit") << "made in code, the text follows the name";
  Edit->Clear();
  Edit->SetMaxLength(3);
  SendMessageA(Edit->Handle(), WM_CHAR, 'a', 0);
  SendMessageA(Edit->Handle(), WM_CHAR, 'b', 0);
  SendMessageA(Edit->Handle(), WM_CHAR, 'c', 0);
  SendMessageA(Edit->Handle(), WM_CHAR, 'd', 0);
  EXPECT_EQ(Edit->Text(), "abc");
  EXPECT_TRUE(Edit->Modified());
  Edit->SelectAll();
  EXPECT_EQ(Edit->SelLength(), 3);

  auto* Panel = Make<TPanel>(Form.get(), Form.get(), "Panel");
  Panel->SetBounds(0, 0, 60, 40);
  Panel->SetBevelWidth(2);
  TPixelDC Pixels(60, 40);
  SendMessageA(Panel->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(Pixels.Pixel(1, 1), ColorToRGB(clBtnHighlight)) << "a raised bevel: light top-left";
  EXPECT_EQ(Pixels.Pixel(58, 38), ColorToRGB(clBtnShadow)) << "dark bottom-right";
  EXPECT_EQ(Pixels.Pixel(6, 6), ColorToRGB(clBtnFace)) << "the face, away from the centred caption";
  Panel->SetBevelOuter(bvLowered);
  SendMessageA(Panel->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(Pixels.Pixel(1, 1), ColorToRGB(clBtnShadow));

  TMainMenu* Menu = TMainMenu::Create(Form.get());
  TMenuItem* File = TMenuItem::Create(Form.get());
  File->SetCaption("&File");
  Menu->Items()->Add(File);
  TMenuItem* Quit = TMenuItem::Create(Form.get());
  Quit->SetCaption("&Quit");
  Quit->OnClick = TNotifyEvent::Bind<&TEventLog::Changed>(&Log);
  File->Add(Quit);
  Form->SetMenu(Menu);
  EXPECT_EQ(GetMenu(Form->Handle()), Menu->Handle());
  SendMessageA(Form->Handle(), WM_COMMAND, Quit->Command(), 0);
  EXPECT_EQ(Log.Count("change"), 1) << "a menu command clicks its item";
  Menu->Free();
  EXPECT_EQ(Form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(Form->Handle()), nullptr);
}
