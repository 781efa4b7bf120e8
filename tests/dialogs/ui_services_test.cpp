// The modal seams: ShowModal through a scripted runner and through the real loop (with its
// watchdog), the recorded nested pieces, the real system dialogs, default and cancel buttons,
// and the layout of a sizeable dialog (anchors, constraints, centring).
#include <gtest/gtest.h>

#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TempTree.h"

using namespace testsupport;

namespace {
// A small dialog made in code: an edit, OK (default) and Cancel.
class TAskForm : public TForm {
  VD_CLASS(TAskForm, TForm);

public:
  explicit TAskForm(TComponent* AOwner) : TForm(AOwner, CreateNewForm) {
    SetBorderStyle(bsDialog);
    SetClientSize(300, 100);
    Edit = Make<TEdit>(10, 10);
    OK = Make<TButton>(130, 60);
    OK->SetCaption("OK");
    OK->SetDefault(true);
    OK->SetModalResult(mrOk);
    Cancel = Make<TButton>(215, 60);
    Cancel->SetCaption("Cancel");
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
  }
  template <class C> C* Make(int X, int Y) {
    C* Control = C::Create(this);
    Control->SetParent(this);
    Control->SetBounds(X, Y, Control->Width(), Control->Height());
    return Control;
  }
  TEdit* Edit;
  TButton* OK;
  TButton* Cancel;
};
VD_DEFINE_CLASS(TAskForm) {}

// Opens a nested dialog from a button, as editors do.
class TOuterForm : public TAskForm {
  VD_CLASS(TOuterForm, TAskForm);

public:
  explicit TOuterForm(TComponent* AOwner) : TAskForm(AOwner) {
    More = Make<TButton>(10, 60);
    More->OnClick = MakeEvent<&TOuterForm::MoreClick>(this);
  }
  void MoreClick(TObject*) {
    TObjectPtr<TAskForm> Inner(TAskForm::Create(this));
    InnerResult = Inner->ShowModal();
    InnerText = Inner->Edit->Text();
  }
  TButton* More;
  TModalResult InnerResult = mrNone;
  std::string InnerText;
};
VD_DEFINE_CLASS(TOuterForm) {}

struct TClicks {
  std::vector<std::string> Names;
  void Clicked(TObject* Sender) { Names.push_back(static_cast<TComponent*>(Sender)->Name()); }
  void Fails(TObject*) { throw EInvalidOperation("Icon cannot be loaded"); }
};

// Presses OK (IDOK) in the first system dialog of this thread that shows Title.
struct TSystemDialogPresser {
  std::string Title;
  std::string Seen;
  static inline TSystemDialogPresser* Current = nullptr;
  static BOOL CALLBACK Find(HWND Wnd, LPARAM Found) {
    char Class[32] = {}, Text[128] = {};
    GetClassNameA(Wnd, Class, sizeof Class);
    GetWindowTextA(Wnd, Text, sizeof Text);
    if (std::string(Class) == "#32770" && IsWindowVisible(Wnd) && Current->Title == Text) {
      *reinterpret_cast<HWND*>(Found) = Wnd;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND Dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&Dialog));
    if (!Dialog || !Current->Seen.empty()) return;
    Current->Seen = Current->Title;
    PostMessageA(Dialog, WM_COMMAND, IDOK, 0);
  }
};
}  // namespace

TEST(ScriptedRunner, ShowsTheFormModelessRunsItsScriptAndReturnsTheButtonsResult) {
  TFakeUIServices Fake;
  TObjectPtr<TAskForm> Form(TAskForm::Create(nullptr));
  bool WasVisible = false;
  Fake.OnModal<TAskForm>([&](TAskForm& F) {
    WasVisible = IsWindowVisible(F.Handle()) && IsWindowEnabled(F.Handle());
    F.Edit->SetText("typed");
    ClickButton(F.OK);
  });
  EXPECT_EQ(Form->ShowModal(), mrOk);
  EXPECT_TRUE(WasVisible);
  EXPECT_FALSE(IsWindowVisible(Form->Handle()));
  EXPECT_FALSE(Form->Modal());
  EXPECT_EQ(Form->Edit->Text(), "typed");

  // No script left: closed with Cancel and reported; a script that presses nothing is reported too.
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  Fake.OnModal<TAskForm>([](TAskForm&) {});
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  EXPECT_EQ(Fake.ModalForms, (std::vector<std::string>{"TAskForm", "TAskForm", "TAskForm"}));
  EXPECT_EQ(Fake.Unscripted, std::vector<std::string>{"TAskForm"});
  EXPECT_EQ(Fake.Unfinished, std::vector<std::string>{"TAskForm"});
}

TEST(ScriptedRunner, RunsNestedDialogsEachWithItsOwnScript) {
  TFakeUIServices Fake;
  TObjectPtr<TOuterForm> Form(TOuterForm::Create(nullptr));
  Fake.OnModal<TOuterForm>([](TOuterForm& F) {
    ClickButton(F.More);  // the inner dialog runs inside this click
    ClickButton(F.Cancel);
  });
  Fake.OnModal<TAskForm>([](TAskForm& F) {
    F.Edit->SetText("inner");
    ClickButton(F.OK);
  });
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  EXPECT_EQ(Form->InnerResult, mrOk);
  EXPECT_EQ(Form->InnerText, "inner");
  EXPECT_EQ(Fake.ModalForms, (std::vector<std::string>{"TOuterForm", "TAskForm"}));
  EXPECT_TRUE(Fake.Unscripted.empty());
}

TEST(FakeServices, RecordAndAnswerMessageBoxesDialogsPopupsAndExceptionReports) {
  TFakeUIServices Fake;
  Fake.MessageBoxAnswers.push_back(IDNO);
  EXPECT_EQ(Application->MessageBox("Active project could not found", "Wizard", MB_YESNO), IDNO);
  EXPECT_EQ(Application->MessageBox("Invalid icon file.", "", MB_ICONERROR | MB_OK), IDOK);
  ASSERT_EQ(Fake.MessageBoxes.size(), 2u);
  EXPECT_EQ(Fake.MessageBoxes[1].Text, "Invalid icon file.");
  EXPECT_EQ(Fake.MessageBoxes[1].Flags, static_cast<UINT>(MB_ICONERROR | MB_OK));

  TObjectPtr<TOpenDialog> Open(TOpenDialog::Create(nullptr));
  Open->SetTitle("Add Icon to List");
  Open->SetFilter("All Files|*.*|Icon Files|*.ico");
  Open->SetFilterIndex(2);
  Open->SetFileName("*.ico");
  EXPECT_FALSE(Open->Execute()) << "no answer queued: cancelled";
  Fake.AnswerOpenDialog("C:\\icons\\a.ico");
  EXPECT_TRUE(Open->Execute());
  EXPECT_EQ(Open->FileName(), "C:\\icons\\a.ico");
  ASSERT_EQ(Fake.OpenDialogs.size(), 2u);
  EXPECT_EQ(Fake.OpenDialogs[0].Title, "Add Icon to List");
  EXPECT_EQ(Fake.OpenDialogs[0].Filter, "All Files|*.*|Icon Files|*.ico");
  EXPECT_EQ(Fake.OpenDialogs[0].FilterIndex, 2);
  EXPECT_EQ(Fake.OpenDialogs[0].FileName, "*.ico");

  TObjectPtr<TColorDialog> Colour(TColorDialog::Create(nullptr));
  Colour->SetColor(clNone);
  Fake.AnswerColorDialog(clRed);
  EXPECT_TRUE(Colour->Execute());
  EXPECT_EQ(Colour->Color(), clRed);
  EXPECT_EQ(Fake.ColorDialogs, std::vector<TColor>{clNone});

  // A popup: the point and the visible captions are recorded, the chosen item is clicked.
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TClicks Clicks;
  auto AddItem = [&](TMenuItem* Parent, const std::string& Name, const std::string& Caption) {
    TMenuItem* Item = TMenuItem::Create(Menu.get());
    Item->SetName(Name);
    Item->SetCaption(Caption);
    Item->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
    Parent->Add(Item);
    return Item;
  };
  AddItem(Menu->Items(), "miRename", "Rename")->SetVisible(false);
  TMenuItem* Icons = AddItem(Menu->Items(), "miIcons", "Item Icon");
  AddItem(Icons, "miIcon0", "0");
  AddItem(Icons, "miIcon1", "1");
  Fake.ChoosePopupItem({"Item Icon", "1"});
  Menu->Popup(40, 60);
  Menu->Popup(41, 61);  // closed without a choice
  ASSERT_EQ(Fake.Popups.size(), 2u);
  EXPECT_EQ(Fake.Popups[0].X, 40);
  EXPECT_EQ(Fake.Popups[0].Y, 60);
  EXPECT_EQ(Fake.Popups[0].Captions, std::vector<std::string>{"Item Icon"});
  EXPECT_EQ(Clicks.Names, std::vector<std::string>{"miIcon1"});

  // A handler's exception is reported by the application and the dialog goes on.
  TObjectPtr<TAskForm> Form(TAskForm::Create(nullptr));
  Form->OK->OnClick = TNotifyEvent::Bind<&TClicks::Fails>(&Clicks);
  Fake.OnModal<TAskForm>([](TAskForm& F) {
    ClickButton(F.OK);  // raises in the handler
    ClickButton(F.Cancel);
  });
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  ASSERT_EQ(Fake.Exceptions.size(), 1u);
  EXPECT_EQ(Fake.Exceptions[0].Message, "Icon cannot be loaded");
}

TEST(RealModal, AScriptedClickEndsTheLoopAndTheWatchdogEndsAStuckOne) {
  TObjectPtr<TAskForm> Form(TAskForm::Create(nullptr));
  bool Fired = true;
  TModalResult Result = RunRealModal(
      *Form, [](TCustomForm& F) { PostMessageA(static_cast<TAskForm&>(F).OK->Handle(), BM_CLICK, 0, 0); }, Fired);
  EXPECT_EQ(Result, mrOk);
  EXPECT_FALSE(Fired);

  // A script that does nothing: the watchdog closes the form (Cancel), the test goes on.
  Result = RunRealModal(*Form, [](TCustomForm&) {}, Fired, 1500);
  EXPECT_TRUE(Fired);
  EXPECT_EQ(Result, mrCancel);
}

TEST(SystemDialogs, TheRealOpenFileAndColourDialogsShowTheirSettingsAndAnswer) {
  TempTree Temp;
  std::string File = Temp.File("glyph.ico", "x");
  TObjectPtr<TOpenDialog> Open(TOpenDialog::Create(nullptr));
  Open->SetTitle("Add Icon to List");
  Open->SetFilter("All Files|*.*|Icon Files|*.ico");
  Open->SetFileName(File);
  TSystemDialogPresser Presser{"Add Icon to List", ""};
  TSystemDialogPresser::Current = &Presser;
  UINT_PTR Timer = SetTimer(nullptr, 0, 100, &TSystemDialogPresser::Tick);
  DWORD Thread = GetCurrentThreadId();
  bool Confirmed;
  {
    TWatchdog Watchdog(30000, [Thread] { EnumThreadWindows(Thread, &dialog_detail::CloseWindow, 0); });
    Confirmed = Open->Execute();
    EXPECT_FALSE(Watchdog.Fired());
  }
  EXPECT_TRUE(Confirmed);
  EXPECT_TRUE(SameText(Open->FileName(), File)) << Open->FileName();

  TObjectPtr<TColorDialog> Colour(TColorDialog::Create(nullptr));
  Colour->SetColor(static_cast<TColor>(RGB(10, 20, 30)));
  Presser = {"Color", ""};
  {
    TWatchdog Watchdog(30000, [Thread] { EnumThreadWindows(Thread, &dialog_detail::CloseWindow, 0); });
    Confirmed = Colour->Execute();
    EXPECT_FALSE(Watchdog.Fired());
  }
  KillTimer(nullptr, Timer);
  EXPECT_TRUE(Confirmed);
  EXPECT_EQ(Colour->Color(), static_cast<TColor>(RGB(10, 20, 30)));
}

TEST(DialogKeys, EnterPressesTheDefaultButtonAndEscapeTheCancelButtonUnlessTheControlWantsThem) {
  TObjectPtr<TAskForm> Form(TAskForm::Create(nullptr));
  TClicks Clicks;
  Form->OK->SetName("OK");
  Form->Cancel->SetName("Cancel");
  Form->OK->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
  Form->Cancel->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
  Form->Show();
  auto Press = [&](TWinControl* Focus, WPARAM Key) {
    Focus->SetFocus();
    PostMessageA(Focus->Handle(), WM_KEYDOWN, Key, 1);
    PumpFor(100);
  };
  Press(Form->Edit, VK_RETURN);
  EXPECT_EQ(Form->ModalResult(), mrOk);
  Press(Form->Edit, VK_ESCAPE);
  EXPECT_EQ(Form->ModalResult(), mrCancel);
  Press(Form->Cancel, VK_RETURN);  // a focused button takes Enter itself
  EXPECT_EQ(Clicks.Names, (std::vector<std::string>{"OK", "Cancel", "Cancel"}));

  // An edit that claims Enter (the key comes with the question) gets it as a key press, the form
  // no result; Escape, not claimed, still reaches the cancel button.
  struct TClaim {
    TEdit* Edit;
    TWndMethod Inherited;
    int Returns = 0;
    void WndProc(TMessage& M) {
      Inherited(M);
      if (M.Msg == WM_GETDLGCODE && M.WParam == VK_RETURN) M.Result |= DLGC_WANTALLKEYS;
    }
    void KeyPress(TObject*, char& Key) { Returns += Key == '\r'; }
  } Claim{Form->Edit, Form->Edit->WindowProc()};
  Form->Edit->SetWindowProc(TWndMethod::Bind<&TClaim::WndProc>(&Claim));
  Form->Edit->OnKeyPress = TKeyPressEvent::Bind<&TClaim::KeyPress>(&Claim);
  Form->SetModalResult(mrNone);
  Press(Form->Edit, VK_RETURN);
  EXPECT_EQ(Claim.Returns, 1);
  EXPECT_EQ(Form->ModalResult(), mrNone);
  Press(Form->Edit, VK_ESCAPE);
  EXPECT_EQ(Form->ModalResult(), mrCancel);
  Form->Edit->SetWindowProc(Claim.Inherited);
}

TEST(SizeableDialog, AnchorsFollowTheClientAreaConstraintsLimitItAndItOpensCentred) {
  TObjectPtr<TAskForm> Form(TAskForm::Create(nullptr));
  Form->SetBorderStyle(bsSizeable);
  Form->SetPosition(poScreenCenter);
  Form->SetClientSize(300, 100);
  auto* List = Form->Make<TPanel>(5, 5);
  List->SetBounds(5, 5, 290, 50);
  List->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  Form->OK->SetAnchors(TAnchors{akRight, akBottom});
  Form->Edit->SetAnchors(TAnchors{akLeft, akBottom});
  Form->Constraints()->SetMinWidth(Form->Width());
  Form->Constraints()->SetMinHeight(Form->Height());
  int Resizes = 0;
  struct TCount {
    int* N;
    void Resized(TObject*) { ++*N; }
  } Count{&Resizes};
  Form->OnResize = TNotifyEvent::Bind<&TCount::Resized>(&Count);
  Form->Show();
  EXPECT_NEAR(Form->Left() + Form->Width() / 2, Screen->Width() / 2, 1);
  EXPECT_NEAR(Form->Top() + Form->Height() / 2, Screen->Height() / 2, 1);

  TRect OK = Form->OK->BoundsRect();
  int W = Form->Width(), H = Form->Height();
  SetWindowPos(Form->Handle(), nullptr, 0, 0, W + 40, H + 30, SWP_NOMOVE | SWP_NOZORDER);  // as the user sizes it
  PumpFor(50);
  EXPECT_GT(Resizes, 0);
  EXPECT_EQ(List->Width(), 290 + 40);
  EXPECT_EQ(List->Height(), 50 + 30);
  EXPECT_EQ(Form->OK->Left(), OK.left + 40);
  EXPECT_EQ(Form->OK->Top(), OK.top + 30);
  EXPECT_EQ(Form->Edit->Left(), 10);
  EXPECT_EQ(Form->Edit->Top(), 10 + 30);

  // Smaller than the minimum: neither SetBounds nor the user's sizing goes below it.
  Form->SetBounds(Form->Left(), Form->Top(), 50, 50);
  EXPECT_EQ(Form->Width(), W);
  EXPECT_EQ(Form->Height(), H);
  MINMAXINFO Limits{};
  SendMessageA(Form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&Limits));
  EXPECT_EQ(Limits.ptMinTrackSize.x, W);
  EXPECT_EQ(Limits.ptMinTrackSize.y, H);
  EXPECT_EQ(Form->OK->Left(), OK.left) << "back where it started";
}
