// Forms: reading the form resource during construction, a borderless child of a foreign window,
// modal showing, closing, the screen's cursors, and forms on several UI threads.
#include <gtest/gtest.h>

#include <thread>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

namespace {
// A non-visual component that needs its owner's window at once, as window hooks do.
class TWindowForcer : public TComponent {
  VD_CLASS(TWindowForcer, TComponent);

public:
  explicit TWindowForcer(TComponent* AOwner) : TComponent(AOwner) {
    auto* Owner = dynamic_cast<TWinControl*>(AOwner);
    if (!Owner) throw EInvalidOperation("Owner must be a window control");
    OwnerWindow = Owner->Handle();
    OwnerWasLoading = AOwner->ComponentState().Contains(csLoading);
  }
  HWND OwnerWindow = nullptr;
  bool OwnerWasLoading = false;
};
VD_DEFINE_CLASS(TWindowForcer) {}

class TInfoPageForm : public TForm {
  VD_CLASS(TInfoPageForm, TForm);

public:
  using TForm::TForm;
  TWindowForcer* Forcer = nullptr;
  TGroupBox* Bevel = nullptr;
  TEdit* edtAuthor = nullptr;
  TEdit* edtVersion = nullptr;
  std::vector<std::string> Log;

  void FormCreate(TObject*) {
    Log.push_back("create " + Bevel->Caption() + " " + edtAuthor->Hint());
    Bevel->SetCaption("script.vds");
    edtAuthor->SetText("Someone");
  }
  void FormResize(TObject*) {
    Log.push_back("resize");
    if (!Bevel) return;
    Bevel->SetBounds(5, Bevel->Top(), ClientWidth() - 10, ClientHeight() - 5 - Bevel->Top());
    for (TEdit* E : {edtAuthor, edtVersion})
      E->SetBounds(E->Left(), E->Top(), Bevel->Width() - E->Left() - 15, E->Height());
  }
};
VD_DEFINE_CLASS(TInfoPageForm) {
  C.Field("Forcer", &TInfoPageForm::Forcer);
  C.Field("Bevel", &TInfoPageForm::Bevel);
  C.Field("edtAuthor", &TInfoPageForm::edtAuthor);
  C.Field("edtVersion", &TInfoPageForm::edtVersion);
  C.Method<&TInfoPageForm::FormCreate>("FormCreate");
  C.Method<&TInfoPageForm::FormResize>("FormResize");
}

class TNoResourceForm : public TForm {
  VD_CLASS(TNoResourceForm, TForm);

public:
  using TForm::TForm;
};
VD_DEFINE_CLASS(TNoResourceForm) {}

struct TRegistered {
  TRegistered() { RegisterClass(ClassOf<TWindowForcer>()); }
} const g_Registered;

// A window of some other code, for a form to live in.
HWND MakeHostWindow(int W, int H) {
  static const char* Class = "ControlsTestHost";
  WNDCLASSA C{};
  C.lpfnWndProc = &DefWindowProcA;
  C.hInstance = GetModuleHandleA(nullptr);
  C.lpszClassName = Class;
  C.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&C);
  return CreateWindowExA(0, Class, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, W,
                         H, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

DWORD Style(HWND W) { return static_cast<DWORD>(GetWindowLongPtrA(W, GWL_STYLE)); }

struct TFormEvents {
  std::vector<std::string> Lines;
  TCloseAction Action = caHide;
  bool Allow = true;
  void Shown(TObject*) { Lines.push_back("show"); }
  void Hidden(TObject*) { Lines.push_back("hide"); }
  void Destroyed(TObject*) { Lines.push_back("destroy"); }
  void Resized(TObject*) { Lines.push_back("resize"); }
  void Closing(TObject*, TCloseAction& A) {
    Lines.push_back("close");
    A = Action;
  }
  void Querying(TObject*, bool& CanClose) {
    Lines.push_back("query");
    CanClose = Allow;
  }
};
}  // namespace

TEST(FormResource, IsReadDuringConstructionWithWindowsMadeWhileLoading) {
  TObjectPtr<TInfoPageForm> Form(TInfoPageForm::Create(nullptr));
  ASSERT_NE(Form->Bevel, nullptr);
  ASSERT_NE(Form->edtAuthor, nullptr);
  ASSERT_NE(Form->Forcer, nullptr);
  EXPECT_TRUE(Form->Forcer->OwnerWasLoading) << "the window was asked for while the form loaded";
  EXPECT_EQ(Form->Forcer->OwnerWindow, Form->Handle());
  EXPECT_FALSE(Form->ComponentState().Contains(csLoading));

  // OnCreate ran once, after everything was read.
  ASSERT_EQ(Form->Log.size(), 1u + std::count(Form->Log.begin(), Form->Log.end(), "resize"));
  EXPECT_NE(std::find(Form->Log.begin(), Form->Log.end(), "create Bevel Displays the author"), Form->Log.end());

  EXPECT_EQ(Form->BorderStyle(), bsNone);
  EXPECT_TRUE(Form->BorderIcons().Empty());
  EXPECT_EQ(Form->ClientWidth(), 300);
  EXPECT_EQ(Form->ClientHeight(), 326);
  EXPECT_EQ(Form->Font()->Height(), -11);
  EXPECT_EQ(Form->Position(), poDefault);
  EXPECT_TRUE(Form->OldCreateOrder());
  EXPECT_EQ(Form->Bevel->Caption(), "script.vds");

  TEdit* Author = Form->edtAuthor;
  EXPECT_EQ(Author->Owner(), Form.get());
  EXPECT_EQ(Author->Parent(), Form->Bevel);
  ASSERT_TRUE(Author->HandleAllocated());
  EXPECT_EQ(GetParent(Author->Handle()), Form->Bevel->Handle());
  EXPECT_TRUE(Style(Author->Handle()) & ES_READONLY);
  EXPECT_FALSE(Style(Author->Handle()) & WS_TABSTOP);
  EXPECT_EQ(Author->Color(), clBtnFace);
  EXPECT_EQ(Author->Text(), "Someone");
  EXPECT_EQ(Form->edtVersion->Text(), "") << "an edit read from a resource does not show its name";
  EXPECT_EQ(Form->edtVersion->TabOrder(), 0);
  EXPECT_EQ(Author->TabOrder(), 1);
  auto* Label = dynamic_cast<TLabel*>(Form->FindComponent("Label1"));
  ASSERT_NE(Label, nullptr);
  EXPECT_EQ(Label->Cursor(), crHelp);
  EXPECT_EQ(Label->Caption(), "Author:");
  EXPECT_EQ(Label->Parent(), Form->Bevel);
}

TEST(FormResource, ADescendantWithoutOneIsAnErrorUnlessMadeAsNew) {
  try {
    TNoResourceForm::Create(nullptr);
    ADD_FAILURE() << "no exception";
  } catch (EResNotFound& E) {
    EXPECT_EQ(E.Message(), "Resource TNoResourceForm not found");
  }
  TObjectPtr<TNoResourceForm> Form(TNoResourceForm::Create(nullptr, CreateNewForm));
  EXPECT_EQ(Form->ComponentCount(), 0);
}

TEST(EmbeddedForm, BecomesABorderlessChildOfAForeignWindowWithoutReCreation) {
  HWND Host = MakeHostWindow(420, 380);
  ASSERT_TRUE(Host);
  RECT HostClient;
  GetClientRect(Host, &HostClient);
  {
    TObjectPtr<TInfoPageForm> Form(TInfoPageForm::Create(nullptr));
    Form->SetBorderStyle(bsDialog);  // as a page form is made
    HWND Wnd = Form->Handle();
    TSpySubclass Spy(Wnd);

    Form->SetBorderStyle(bsNone);
    SetWindowLongPtrA(Wnd, GWL_STYLE, WS_CHILD);
    SetParent(Wnd, Host);
    Form->SetParentWindow(Host);
    Form->Show();
    MoveWindow(Wnd, 0, 0, HostClient.right, HostClient.bottom, TRUE);

    EXPECT_EQ(Form->Handle(), Wnd);
    EXPECT_EQ(Spy.Seen(WM_DESTROY), 0);
    EXPECT_EQ(GetParent(Wnd), Host);
    EXPECT_TRUE(Style(Wnd) & WS_CHILD);
    EXPECT_FALSE(Style(Wnd) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(IsWindowVisible(Wnd));
    EXPECT_EQ(Form->Left(), 0);
    EXPECT_EQ(Form->Width(), HostClient.right);
    EXPECT_EQ(Form->ClientHeight(), HostClient.bottom);
    EXPECT_GE(std::count(Form->Log.begin(), Form->Log.end(), "resize"), 1);
    EXPECT_EQ(Form->Bevel->Width(), HostClient.right - 10) << "the resize handler laid the page out";

    // Focus inside the embedded form is tracked by it.
    Form->edtVersion->SetTabStop(true);
    Form->edtVersion->SetFocus();
    EXPECT_EQ(GetFocus(), Form->edtVersion->Handle());
    EXPECT_EQ(Form->ActiveControl(), Form->edtVersion);
    EXPECT_EQ(Screen->ActiveForm(), Form.get());

    // The page's WM_SIZE handling sets the size through the properties.
    Form->SetWidth(200);
    Form->SetHeight(150);
    RECT R;
    GetWindowRect(Wnd, &R);
    EXPECT_EQ(R.right - R.left, 200);
    EXPECT_EQ(R.bottom - R.top, 150);
  }
  EXPECT_TRUE(IsWindow(Host));
  DestroyWindow(Host);
}

TEST(EmbeddedForm, ParentWindowBeforeTheHandleMakesAChildAtOnceAndTheHostMayGoFirst) {
  HWND Host = MakeHostWindow(300, 200);
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = TEdit::Create(Form.get());
  Edit->SetParent(Form.get());
  Form->SetBorderStyle(bsNone);
  Form->SetParentWindow(Host);
  HWND Wnd = Form->Handle();
  EXPECT_EQ(GetParent(Wnd), Host);
  EXPECT_TRUE(Style(Wnd) & WS_CHILD);
  DestroyWindow(Host);  // takes the form's windows with it
  EXPECT_FALSE(Form->HandleAllocated());
  EXPECT_FALSE(Edit->HandleAllocated());
  EXPECT_EQ(FindControl(Wnd), nullptr);
  Form->SetParentWindow(nullptr);
  HWND Again = Form->Handle();  // a new top-level window
  EXPECT_FALSE(Style(Again) & WS_CHILD);
  EXPECT_TRUE(Edit->HandleAllocated());
}

TEST(ModalForm, ShowModalRunsUntilModalResultWithOtherWindowsDisabled) {
  TObjectPtr<TForm> Other(TForm::Create(nullptr));
  Other->Show();
  ASSERT_TRUE(IsWindowEnabled(Other->Handle()));
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Button = TButton::Create(Form.get());
  Button->SetParent(Form.get());
  Button->SetModalResult(mrOk);

  struct TSteps {
    TForm* Form;
    TButton* Button;
    HWND Other;
    bool OtherWasDisabled = false;
    int Ticks = 0;
    void Tick(TObject*) {
      if (++Ticks == 1) {
        OtherWasDisabled = !IsWindowEnabled(Other);
        SendMessageA(Button->Handle(), BM_CLICK, 0, 0);  // sets the form's ModalResult
      }
    }
  } Steps{Form.get(), Button, Other->Handle()};
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  Timer->SetInterval(30);
  Timer->SetOnTimer(TNotifyEvent::Bind<&TSteps::Tick>(&Steps));

  DWORD Thread = GetCurrentThreadId();
  HWND Wnd = Form->Handle();
  TWatchdog Watchdog(10000, [Wnd] { PostMessageA(Wnd, WM_CLOSE, 0, 0); });
  TModalResult Result = Form->ShowModal();
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_EQ(Result, mrOk);
  EXPECT_TRUE(Steps.OtherWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(Other->Handle()));
  EXPECT_FALSE(IsWindowVisible(Wnd));
  EXPECT_FALSE(Form->Modal());
  EXPECT_THROW({ Form->Show(); Form->ShowModal(); }, EInvalidOperation) << "a visible form is not made modal";
  (void)Thread;
}

TEST(ModalForm, CloseAndACloseQueryVeto) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  TFormEvents Events;
  Form->OnCloseQuery = TCloseQueryEvent::Bind<&TFormEvents::Querying>(&Events);
  struct TCloser {
    TForm* Form;
    TFormEvents* Events;
    int Ticks = 0;
    void Tick(TObject*) {
      ++Ticks;
      if (Ticks == 1) Form->SetModalResult(mrYes);  // vetoed: the loop goes on
      if (Ticks == 3) {
        Events->Allow = true;
        Form->Close();  // modal: mrCancel
      }
    }
  } Closer{Form.get(), &Events};
  Events.Allow = false;
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  Timer->SetInterval(20);
  Timer->SetOnTimer(TNotifyEvent::Bind<&TCloser::Tick>(&Closer));
  HWND Wnd = Form->Handle();
  TWatchdog Watchdog(10000, [Wnd] { PostMessageA(Wnd, WM_CLOSE, 0, 0); });
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  EXPECT_GE(Closer.Ticks, 3);
  EXPECT_GE(std::count(Events.Lines.begin(), Events.Lines.end(), "query"), 2);
}

TEST(ClosingForm, HideOrFreeAsOnCloseDecides) {
  TFormEvents Events;
  TForm* Form = TForm::Create(nullptr);
  Form->OnShow = TNotifyEvent::Bind<&TFormEvents::Shown>(&Events);
  Form->OnHide = TNotifyEvent::Bind<&TFormEvents::Hidden>(&Events);
  Form->OnClose = TCloseEvent::Bind<&TFormEvents::Closing>(&Events);
  Form->OnCloseQuery = TCloseQueryEvent::Bind<&TFormEvents::Querying>(&Events);
  Form->OnDestroy = TNotifyEvent::Bind<&TFormEvents::Destroyed>(&Events);
  Form->Show();
  Events.Allow = false;
  SendMessageA(Form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(Form->Visible()) << "vetoed";
  Events.Allow = true;
  Form->Close();
  EXPECT_FALSE(Form->Visible());
  int Count = Screen->FormCount();
  Form->Show();
  Events.Action = caFree;
  Form->Close();
  ASSERT_TRUE(PumpUntil([&] { return Screen->FormCount() == Count - 1; }));
  EXPECT_EQ(Events.Lines, (std::vector<std::string>{"show", "query", "query", "close", "hide", "show",
                                                    "query", "close", "destroy"}));
}

TEST(ScreenCursors, SystemSlotsCustomSlotsIdentifiersAndTheControlCursor) {
  EXPECT_EQ(Screen->Cursors(crHelp), LoadCursorA(nullptr, IDC_HELP));
  EXPECT_EQ(Screen->Cursors(crDefault), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(Screen->Cursors(crNone), nullptr);
  EXPECT_EQ(Screen->Cursors(1234), Screen->Cursors(crDefault)) << "an empty slot";
  HCURSOR Custom = LoadCursorA(nullptr, IDC_CROSS);
  Screen->SetCursors(-151, Custom);
  EXPECT_EQ(Screen->Cursors(-151), Custom);
  Screen->SetCursors(-151, nullptr);
  EXPECT_EQ(Screen->Cursors(-151), Screen->Cursors(crDefault));
  Screen->SetCursors(crHelp, Custom);
  Screen->SetCursors(crHelp, nullptr);
  EXPECT_EQ(Screen->Cursors(crHelp), LoadCursorA(nullptr, IDC_HELP)) << "a system slot goes back";

  int Value = 0;
  std::string Ident;
  EXPECT_TRUE(IdentToCursor("CRHANDPOINT", Value));
  EXPECT_EQ(Value, crHandPoint);
  EXPECT_TRUE(CursorToIdent(crHelp, Ident));
  EXPECT_EQ(Ident, "crHelp");
  EXPECT_FALSE(CursorToIdent(-151, Ident));

  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = TEdit::Create(Form.get());
  Edit->SetParent(Form.get());
  Edit->SetCursor(crHelp);
  HWND Wnd = Edit->Handle();
  SendMessageA(Wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHelp));
}

TEST(Threads, EachUIThreadMakesAndFindsItsOwnControls) {
  auto Worker = [](int Index, bool* Ok) {
    *Ok = true;
    for (int I = 0; I < 3; ++I) {
      TObjectPtr<TForm> Form(TForm::Create(nullptr));
      auto* Edit = TEdit::Create(Form.get());
      Edit->SetParent(Form.get());
      Edit->SetText("thread " + std::to_string(Index));
      HWND Wnd = Edit->Handle();
      *Ok = *Ok && FindControl(Wnd) == Edit && FindControl(Form->Handle()) == Form.get();
      Form->Show();
      Edit->SetFocus();
      *Ok = *Ok && Form->ActiveControl() == Edit && Screen->ActiveControl() == Edit;
      char Text[32] = {};
      GetWindowTextA(Wnd, Text, sizeof Text);
      *Ok = *Ok && Edit->Text() == Text;
    }
  };
  bool Ok1 = false, Ok2 = false;
  std::thread T1(Worker, 1, &Ok1), T2(Worker, 2, &Ok2);
  T1.join();
  T2.join();
  EXPECT_TRUE(Ok1);
  EXPECT_TRUE(Ok2);
}

TEST(ApplicationObject, ReportsExceptionsWithoutAHandlerAndKeepsItsSettings) {
  ASSERT_FALSE(Application->OnException);
  try {
    throw EInvalidOperation("goes to the debugger output");
  } catch (...) {
    Application->HandleException(nullptr);  // no box, no crash
  }
  EXPECT_EQ(Application->Handle(), nullptr);
  EXPECT_EQ(Application->Title(), "controls_forms_test");
  EXPECT_TRUE(Application->ShowHint());
  Application->SetShowHint(false);
  EXPECT_FALSE(Application->ShowHint());
  Application->SetShowHint(true);
  EXPECT_EQ(Application->HintColor(), clInfoBk);
}
