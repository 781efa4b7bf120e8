// Form help on real windows: the help texts of controls, help popups (their window, width,
// closing, "&Copy"), help mode through its four doors, right-click help through the mouse hook
// and the What's This menu (also with real mouse input, and on a borderless page read from a
// form description), and the links to other components.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "classlib/ExtCtrls.h"
#include "classlib/FormStream.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "classlib/UnitInit.h"
#include "lx/lxFormHelp.h"
#include "lx/lxRichTextUtils.h"
#include "lx/lxUtils.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/lx/lxWindowTestSupport.h"

using namespace testsupport;
using namespace lxformhelp_detail;

namespace {

// What the form help reported.
struct TReports {
  int Shown = 0, Hidden = 0, ButtonClicks = 0, WhatsThis = 0;
  TControl* LastShown = nullptr;
  TControl* LastHidden = nullptr;
  std::string Replace;  // OnShow's new text when not empty
  bool ShowPopup = true, ShowHelp = false;
  TPoint MousePos{};
  void OnShow(TObject*, TControl* C, std::string& Text) {
    ++Shown;
    LastShown = C;
    if (!Replace.empty()) Text = Replace;
  }
  void OnHide(TObject*, TControl* C) {
    ++Hidden;
    LastHidden = C;
  }
  void OnButton(TObject*) { ++ButtonClicks; }
  void OnWhatsThis(TObject*, TControl*, TPoint P, bool& Popup, bool& Help) {
    ++WhatsThis;
    MousePos = P;
    Popup = ShowPopup;
    Help = ShowHelp;
  }
  void Wire(TlxFormHelp* H) {
    H->OnShow = TlxFormHelpOnShowEvent::Bind<&TReports::OnShow>(this);
    H->OnHide = TlxFormHelpOnHideEvent::Bind<&TReports::OnHide>(this);
    H->OnButtonClick = TNotifyEvent::Bind<&TReports::OnButton>(this);
    H->OnWhatsThis = TlxWhatsThisEvent::Bind<&TReports::OnWhatsThis>(this);
  }
};

struct TFormSpy {
  TWndMethod Saved;
  std::vector<TMessage> Seen;
  void WndProc(TMessage& M) {
    Seen.push_back(M);
    Saved(M);
  }
  int Count(UINT Msg, WPARAM W) const {
    int N = 0;
    for (const TMessage& M : Seen) N += M.Msg == Msg && M.WParam == W;
    return N;
  }
};

std::string ClipboardText(UINT Format) {
  std::string Out = "<none>";
  if (!OpenClipboard(nullptr)) return "<locked>";
  if (HANDLE H = GetClipboardData(Format)) {
    if (Format == CF_UNICODETEXT) {
      auto* W = static_cast<const wchar_t*>(GlobalLock(H));
      Out.clear();
      for (; W && *W; ++W) Out += *W < 128 ? static_cast<char>(*W) : '?';
    } else {
      Out = static_cast<const char*>(GlobalLock(H));
    }
    GlobalUnlock(H);
  }
  CloseClipboard();
  return Out;
}

POINT CentreOf(TWinControl* C) {
  RECT R;
  GetWindowRect(C->Handle(), &R);
  return POINT{(R.left + R.right) / 2, (R.top + R.bottom) / 2};
}

class FormHelp : public ::testing::Test {
protected:
  void SetUp() override {
    Form = TForm::Create(nullptr, CreateNewForm);
    Form->SetBounds(560, 240, 440, 260);
    Form->SetCaption("Form help");
    Edit = TEdit::Create(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(20, 20, 200, 24);
    Edit->SetHint("Name|The [B]name[DEF] of the script.");
    Panel = TPanel::Create(Form);
    Panel->SetParent(Form);
    Panel->SetBounds(20, 60, 200, 80);
    Panel->SetHint("|Everything about the panel.");
    Inner = TEdit::Create(Form);
    Inner->SetParent(Panel);
    Inner->SetBounds(10, 10, 120, 24);
    Ok = TButton::Create(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(250, 20, 80, 26);
    Ok->SetCaption("OK");
    Ok->SetModalResult(mrOk);
    Help = TlxFormHelp::Create(Form);
    Reports.Wire(Help);
    Spy.Saved = Form->WindowProc();
    Form->SetWindowProc(TWndMethod::Bind<&TFormSpy::WndProc>(&Spy));
    Form->Show();
    SetWindowPos(Form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PumpFor(20);
  }
  void TearDown() override {
    SetPopupTimerFunc(nullptr);
    if (Form) {
      Form->SetWindowProc(Spy.Saved);
      FreeAndNil(Form);
    }
    EXPECT_EQ(CurrentPopup(), nullptr);
    EXPECT_EQ(FindWindowA(lxHelpPopupClassName, nullptr), nullptr);
    EXPECT_EQ(MouseHook(), nullptr);
    EXPECT_TRUE(Application->ShowHint());
  }
  HWND Wnd() { return Form->Handle(); }
  HWND PopupWindow() { return CurrentPopup() ? CurrentPopup()->Handle() : nullptr; }

  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  TPanel* Panel = nullptr;
  TEdit* Inner = nullptr;
  TButton* Ok = nullptr;
  TlxFormHelp* Help = nullptr;
  TReports Reports;
  TFormSpy Spy;
};

// ---- The component ----------------------------------------------------------------------------

TEST_F(FormHelp, StartsAsAHiddenQuestionMarkButtonWithRightClickHelp) {
  EXPECT_TRUE(Help->AllowDown());
  EXPECT_EQ(Help->GlyphChar(), 's');
  EXPECT_EQ(Help->GlyphFont()->Name(), "Marlett");
  EXPECT_EQ(Help->GlyphCharOffsetY(), 1);
  EXPECT_EQ(Help->GlyphCharOffsetX(), IsNTVersion() ? 1 : 0);
  EXPECT_FALSE(Help->Visible());
  EXPECT_EQ(Help->Hint(), "Help");
  EXPECT_EQ(Help->CursorDown(), crHelp);
  EXPECT_EQ(Help->CursorHelp(), crHelp);
  EXPECT_EQ(Help->SystemMenu()->Caption(), "&What's This?");
  EXPECT_EQ(Help->SystemMenu()->Separators(), TlxMenuSeparators({seBefore}));
  EXPECT_FALSE(Help->SystemMenu()->ApplyToMenu());
  EXPECT_EQ(Help->SystemMenu()->Position(), GetMenuItemCount(GetSystemMenu(Wnd(), FALSE)));  // goes last
  EXPECT_EQ(Help->Color(), 0x00EEFFFF);
  EXPECT_EQ(Help->PopupWidth(), 300);
  EXPECT_EQ(Help->Margins()->Horizontal(), 11);
  EXPECT_EQ(Help->Margins()->Vertical(), 7);
  EXPECT_TRUE(Help->ParentFont());
  EXPECT_EQ(Help->Font()->Name(), Form->Font()->Name());
  EXPECT_TRUE(Help->WhatsThis()->Enabled());
  EXPECT_EQ(MouseHook() != nullptr, true);
  EXPECT_EQ(MouseHookOwner(), Help);
  char Text[64] = {};
  GetMenuStringA(Help->WhatsThisMenu(), lxWhatsThisCommand, Text, sizeof Text, MF_BYCOMMAND);
  EXPECT_STREQ(Text, "&What's This?");
  Help->WhatsThis()->SetCaption("&Help on this");
  GetMenuStringA(Help->WhatsThisMenu(), lxWhatsThisCommand, Text, sizeof Text, MF_BYCOMMAND);
  EXPECT_STREQ(Text, "&Help on this");
  EXPECT_EQ(GetMenuItemCount(Help->WhatsThisMenu()), 1);
  Help->Font()->SetSize(14);
  EXPECT_FALSE(Help->ParentFont());
  Help->SetPopupWidth(5000);
  EXPECT_EQ(Help->PopupWidth(), 1000);
}

TEST_F(FormHelp, OnlyTheFirstFormHelpOfAThreadOwnsTheMouseHook) {
  TForm* Other = TForm::Create(nullptr, CreateNewForm);
  TlxFormHelp* Second = TlxFormHelp::Create(Other);
  EXPECT_EQ(MouseHookOwner(), Help);
  Second->WhatsThis()->SetEnabled(false);  // not its hook: stays
  EXPECT_NE(MouseHook(), nullptr);
  Help->WhatsThis()->SetEnabled(false);
  EXPECT_EQ(MouseHook(), nullptr);
  Second->WhatsThis()->SetEnabled(true);
  EXPECT_EQ(MouseHookOwner(), Second);
  Other->Free();
  EXPECT_EQ(MouseHook(), nullptr);
  // A hook per thread.
  Help->WhatsThis()->SetEnabled(true);
  HHOOK Theirs = nullptr;
  std::thread T([&] {
    TForm* F = TForm::Create(nullptr, CreateNewForm);
    TlxFormHelp::Create(F);
    Theirs = MouseHook();
    F->Free();
  });
  T.join();
  EXPECT_NE(Theirs, nullptr);
  EXPECT_NE(Theirs, MouseHook());
  EXPECT_EQ(MouseHookOwner(), Help);
}

// ---- Help texts -------------------------------------------------------------------------------

TEST(FormHelpTexts, StandardButtonsHaveFixedSentences) {
  EXPECT_EQ(StandardButtonHelp(mrOk, "Anything"), "Closes the dialog box and saves any changes you have made.");
  EXPECT_EQ(StandardButtonHelp(mrCancel, ""), "Closes the dialog box without saving any changes you have made.");
  EXPECT_EQ(StandardButtonHelp(mrYes, ""),
            "Closes the dialog box and confirms the question with affirmative response (i.e: allows to perform "
            "requested action).");
  EXPECT_EQ(StandardButtonHelp(mrNo, ""),
            "Closes the dialog box without confirmation of the question. (Negative response, i.e: disallow to "
            "perform requested action.)");
  EXPECT_EQ(StandardButtonHelp(0, "&Apply"), "Saves all the changes you have made without closing the dialog box.");
  EXPECT_EQ(StandardButtonHelp(0, "Help"), "Click to display an overview of the dialog box.");
  EXPECT_EQ(StandardButtonHelp(mrCancel, "Apply"), StandardButtonHelp(mrCancel, ""));  // first match wins
  EXPECT_EQ(StandardButtonHelp(0, "apply"), "");  // the caption test minds case
  EXPECT_EQ(StandardButtonHelp(mrAbort, "Close"), "");
}

TEST_F(FormHelp, ControlsFindTheirHelpText) {
  TControl* C = Edit;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(C, Edit);
  // No hint: the panel's.
  C = Inner;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(C, Panel);
  // A standard button without a long hint keeps the sentence it gets as its long hint.
  Ok->SetHint("Accept|");
  C = Ok;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(C, Ok);
  EXPECT_EQ(Ok->Hint(), "Accept|Closes the dialog box and saves any changes you have made.");
  C = Ok;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(Ok->Hint(), "Accept|Closes the dialog box and saves any changes you have made.");
  // A button with a hint of its own keeps it.
  TButton* Cancel = TButton::Create(Form);
  Cancel->SetParent(Form);
  Cancel->SetModalResult(mrCancel);
  Cancel->SetHint("Leave");
  C = Cancel;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(Cancel->Hint(), "Leave");
  // Tag 666 without a hint: the owner control's hint.
  TEdit* Part = TEdit::Create(Edit);
  Part->SetParent(Panel);
  Part->SetTag(lxUseOwnerHelpTag);
  C = Part;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(C, Edit);
  // Nothing anywhere up the chain.
  TEdit* Lone = TEdit::Create(Form);
  Lone->SetParent(Form);
  Form->SetHint("");
  C = Lone;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(GetLongHint(C->Hint()), "");
  C = nullptr;
  TlxFormHelp::ChooseHelpText(C);
  EXPECT_EQ(C, nullptr);
  // Found by screen position, invisible windows left out.
  EXPECT_EQ(TlxFormHelp::ControlAtPos(CentreOf(Inner)), Panel);
  Inner->Hide();
  EXPECT_EQ(TlxFormHelp::ControlAtPos(CentreOf(Panel)), Panel);
}

// ---- Popups -----------------------------------------------------------------------------------

TEST_F(FormHelp, APopupShowsTheLongHintAndClosesOnTheFirstKeyOrClick) {
  const UINT Closers[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_TIMER, WM_CLOSE, WM_KILLFOCUS,
                          WM_QUERYENDSESSION, WM_DESTROY};
  for (UINT Msg : Closers) {
    Reports = {};
    Reports.Wire(Help);
    Help->ShowHelpPopup(Edit, Point(700, 400), "");
    THelpWindow* Popup = CurrentPopup();
    ASSERT_NE(Popup, nullptr);
    HWND P = Popup->Handle();
    ASSERT_TRUE(IsWindow(P));
    EXPECT_EQ(GetWindowClassName(P), "TlxFormHelpPopup");
    EXPECT_EQ(FindWindowA(lxHelpPopupClassName, nullptr), P);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(P, GWL_STYLE)) & (WS_POPUP | WS_VISIBLE | WS_CHILD | WS_CAPTION),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(P, GWL_EXSTYLE)) & 0x88u, 0x88u);
    RECT R;
    GetWindowRect(P, &R);
    EXPECT_EQ(R.right - R.left, Popup->Bitmap()->Width());
    EXPECT_EQ(R.bottom - R.top, Popup->Bitmap()->Height());
    EXPECT_EQ(R.left, Popup->Position().x);
    EXPECT_EQ(Popup->Text(), "The [B]name[DEF] of the script.");
    EXPECT_EQ(Reports.Shown, 1);
    EXPECT_EQ(Reports.LastShown, Edit);
    EXPECT_FALSE(Application->ShowHint());
    if (Msg == WM_DESTROY)
      DestroyWindow(P);
    else
      SendMessageA(P, Msg, 0, 0);
    EXPECT_FALSE(IsWindow(P)) << Msg;
    EXPECT_EQ(CurrentPopup(), nullptr) << Msg;
    EXPECT_EQ(Reports.Hidden, 1) << Msg;
    EXPECT_EQ(Reports.LastHidden, Edit);
    EXPECT_TRUE(Application->ShowHint()) << Msg;
  }
  // Other messages leave it open.
  Help->ShowHelpPopup(nullptr, Point(700, 400), "Plain");
  HWND P = PopupWindow();
  SendMessageA(P, WM_MOUSEMOVE, 0, 0);
  SendMessageA(P, WM_KEYUP, VK_SPACE, 0);
  EXPECT_TRUE(IsWindow(P));
  EXPECT_EQ(Reports.Shown, 1);  // OnShow and OnHide only for a control
  CurrentPopup()->Close();
  EXPECT_EQ(Reports.Hidden, 1);
}

TEST_F(FormHelp, ThePopupFontFollowsTheFormUntilSetItself) {
  Form->Font()->SetName("Courier New");
  Help->ShowHelpPopup(Edit, Point(600, 300), "");
  EXPECT_EQ(Help->Font()->Name(), "Courier New");
  EXPECT_TRUE(Help->ParentFont());
  TObjectPtr<TFont> Own(TFont::Create());
  Own->SetName("Tahoma");
  Help->SetFont(Own.get());
  EXPECT_FALSE(Help->ParentFont());
  Form->Font()->SetName("MS Sans Serif");
  Help->ShowHelpPopup(Edit, Point(600, 300), "");
  EXPECT_EQ(Help->Font()->Name(), "Tahoma");
  Help->SetParentFont(true);
  EXPECT_EQ(Help->Font()->Name(), "MS Sans Serif");
  CurrentPopup()->Close();
}

TEST_F(FormHelp, OnShowMayChangeTheText) {
  Reports.Replace = "Replaced";
  Help->ShowHelpPopup(Edit, Point(700, 400), "");
  ASSERT_NE(CurrentPopup(), nullptr);
  EXPECT_EQ(CurrentPopup()->Text(), "Replaced");
  CurrentPopup()->Close();
}

TEST_F(FormHelp, PopupWidths) {
  Help->Font()->SetName("Tahoma");
  const int MH = Help->Margins()->Horizontal();
  Help->SetAdjustPopupWidth(false);
  Help->ShowHelpPopup(nullptr, Point(600, 300), "Short text");
  EXPECT_EQ(CurrentPopup()->Bitmap()->Width(), 300);
  Help->SetAdjustPopupWidth(true);
  Help->ShowHelpPopup(nullptr, Point(600, 300), "Short text");
  const int Narrow = CurrentPopup()->Bitmap()->Width();
  EXPECT_LT(Narrow, 300);
  EXPECT_GT(Narrow, 2 * MH + 7);
  // A word wider than the popup widens it (instead of leaving no room at all).
  const std::string Word(60, 'W');
  Help->ShowHelpPopup(nullptr, Point(600, 300), "A " + Word + " b");
  THelpWindow* Wide = CurrentPopup();
  TObjectPtr<TBitmap> Probe(TBitmap::Create());
  Probe->Canvas()->Font()->Assign(Help->Font());
  const int WordWidth = Probe->Canvas()->TextWidth(Word);
  ASSERT_GT(WordWidth, 300);
  EXPECT_GE(Wide->Bitmap()->Width(), WordWidth + MH);
  EXPECT_LE(Wide->Bitmap()->Width(), WordWidth + 2 * MH + 7 + Probe->Canvas()->TextWidth(" b"));
  EXPECT_EQ(PopupWrapWidth("A " + Word + " b", Help->Font(), false, '[', ']', 300, MH), WordWidth + 2 * MH);
  EXPECT_EQ(PopupWrapWidth("Short text", Help->Font(), false, '[', ']', 300, MH), 300);
  // A bold word counts as drawn.
  Probe->Canvas()->Font()->SetStyle({fsBold});
  EXPECT_EQ(PopupWrapWidth("[B]" + Word, Help->Font(), false, '[', ']', 300, MH),
            Probe->Canvas()->TextWidth(Word) + 2 * MH);
  Wide->Close();
}

TEST_F(FormHelp, OpeningAPopupClosesThePreviousOneAndHintsComeBack) {
  Help->ShowHelpPopup(Edit, Point(600, 300), "");
  HWND First = PopupWindow();
  Help->ShowHelpPopup(Ok, Point(620, 320), "Second");
  HWND Second = PopupWindow();
  EXPECT_FALSE(IsWindow(First));
  EXPECT_TRUE(IsWindow(Second));
  EXPECT_EQ(Reports.Hidden, 1);
  EXPECT_EQ(Reports.LastHidden, Edit);
  EXPECT_FALSE(Application->ShowHint());
  SendMessageA(Second, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(Application->ShowHint());
  EXPECT_EQ(Reports.Hidden, 2);
}

TEST_F(FormHelp, DelayIntervalClosesThePopupByItself) {
  Help->SetDelayInterval(150);
  Help->ShowHelpPopup(Edit, Point(600, 300), "");
  HWND P = PopupWindow();
  ASSERT_TRUE(IsWindow(P));
  DWORD Start = GetTickCount();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(P); }, 3000));
  EXPECT_GE(GetTickCount() - Start, 100u);
  EXPECT_EQ(Reports.Hidden, 1);
}

UINT_PTR WINAPI NoTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

TEST_F(FormHelp, NoTimerLeavesNothingBehind) {
  Help->SetDelayInterval(1000);
  SetPopupTimerFunc(&NoTimer);
  try {
    Help->ShowHelpPopup(Edit, Point(600, 300), "");
    ADD_FAILURE() << "no exception";
  } catch (const EOutOfResources& E) {
    EXPECT_EQ(E.Message(), "Not enough timers available");
  }
  EXPECT_EQ(CurrentPopup(), nullptr);
  EXPECT_EQ(FindWindowA(lxHelpPopupClassName, nullptr), nullptr);
  EXPECT_TRUE(Application->ShowHint());
  EXPECT_EQ(Reports.Hidden, 1);
  // Raised inside a message, it goes to the application's handler.
  TExceptionCollector Errors;
  SetCursorPos(CentreOf(Edit).x, CentreOf(Edit).y);
  HELPINFO Info{};
  Info.cbSize = sizeof Info;
  Info.iContextType = HELPINFO_WINDOW;
  SendMessageA(Wnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&Info));
  ASSERT_EQ(Errors.Reports.size(), 1u);
  EXPECT_EQ(Errors.Reports[0].Message, "Not enough timers available");
}

TEST_F(FormHelp, APopupGoesWithItsFormHelpAndForgetsAFreedControl) {
  Help->ShowHelpPopup(Edit, Point(600, 300), "");
  HWND P = PopupWindow();
  Edit->Free();
  Edit = nullptr;
  EXPECT_EQ(CurrentPopup()->Control(), nullptr);
  SendMessageA(P, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(Reports.Hidden, 0);  // nobody to tell about a control that is gone
  Help->ShowHelpPopup(Ok, Point(600, 300), "x");
  P = PopupWindow();
  Help->Free();
  Help = nullptr;
  EXPECT_FALSE(IsWindow(P));
  EXPECT_EQ(CurrentPopup(), nullptr);
}

TEST_F(FormHelp, CopyPutsExactlyTheTextWithoutTagsOnTheClipboard) {
  Help->ShowHelpPopup(Edit, Point(600, 300), "");
  HWND P = PopupWindow();
  CopyTextToClipboard(CF_TEXT, "stale");
  SendMessageA(P, WM_COMMAND, lxCopyHelpCommand, 0);
  EXPECT_EQ(ClipboardText(CF_TEXT), "The name of the script.");
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), "The name of the script.");
  EXPECT_TRUE(IsWindow(P));
  // Through its right-click menu.
  CopyTextToClipboard(CF_TEXT, "stale");
  {
    lxtest::TMenuPicker Picker(true);
    SendMessageA(P, WM_RBUTTONDOWN, 0, 0);
    EXPECT_TRUE(Picker.Seen());
  }
  EXPECT_EQ(ClipboardText(CF_TEXT), "The name of the script.");
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), "The name of the script.");
  // Other tag characters.
  Help->TextStyle()->SetTagOpen('<');
  Help->TextStyle()->SetTagClose('>');
  Help->ShowHelpPopup(nullptr, Point(600, 300), "<RED>Red<DEF> and [B]kept[DEF]");
  SendMessageA(PopupWindow(), WM_COMMAND, lxCopyHelpCommand, 0);
  EXPECT_EQ(ClipboardText(CF_TEXT), "Red and [B]kept[DEF]");
  CurrentPopup()->Close();
}

// ---- Help mode --------------------------------------------------------------------------------

TEST_F(FormHelp, ContextHelpCommandStartsOurHelpModeAndAClickShowsHelp) {
  SendMessageA(Wnd(), WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
  EXPECT_TRUE(Help->HelpMode());
  EXPECT_TRUE(Help->FromContextHelp());
  EXPECT_EQ(GetCapture(), Wnd());
  EXPECT_EQ(Spy.Count(WM_SYSCOMMAND, SC_CONTEXTHELP), 0);  // the window's own help mode never starts
  POINT C = CentreOf(Edit);
  SetCursorPos(C.x, C.y);
  POINT Client = C;
  ScreenToClient(Wnd(), &Client);
  SendMessageA(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Client.x, Client.y));
  ASSERT_NE(CurrentPopup(), nullptr);
  EXPECT_EQ(CurrentPopup()->Control(), Edit);
  EXPECT_EQ(CurrentPopup()->Text(), "The [B]name[DEF] of the script.");
  // One click, one help.
  EXPECT_FALSE(Help->HelpMode());
  EXPECT_FALSE(Help->FromContextHelp());
  EXPECT_NE(GetCapture(), Wnd());
  CurrentPopup()->Close();
}

TEST_F(FormHelp, CaptionButtonAndSystemMenuItemEnterHelpMode) {
  Help->SetVisible(true);
  RedrawWindow(Wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  SendMessageA(Wnd(), WM_NCLBUTTONDOWN, Help->ButtonId(), 0);
  SendMessageA(Wnd(), WM_LBUTTONUP, 0, 0);
  EXPECT_TRUE(Help->Down());
  EXPECT_TRUE(Help->HelpMode());
  EXPECT_EQ(Reports.ButtonClicks, 1);
  EXPECT_EQ(GetCapture(), Wnd());
  ReleaseCapture();  // the mode ends with the capture; the button comes up
  EXPECT_FALSE(Help->HelpMode());
  EXPECT_FALSE(Help->Down());

  Help->SystemMenu()->SetApplyToMenu(true);
  SendMessageA(Wnd(), WM_SYSCOMMAND, Help->ButtonId(), 0);
  EXPECT_EQ(Reports.ButtonClicks, 2);
  EXPECT_TRUE(Help->HelpMode());
  EXPECT_FALSE(Help->Down());  // from the menu the button does not stay down
  ReleaseCapture();
  EXPECT_FALSE(Help->HelpMode());

  // Inactive: the button still clicks, but no help mode.
  Help->SetActive(false);
  SendMessageA(Wnd(), WM_SYSCOMMAND, Help->ButtonId(), 0);
  EXPECT_EQ(Reports.ButtonClicks, 3);
  EXPECT_FALSE(Help->HelpMode());
}

TEST_F(FormHelp, F1ShowsTheHelpOfTheControlUnderTheMouse) {
  POINT C = CentreOf(Ok);
  SetCursorPos(C.x, C.y);
  HELPINFO Info{};
  Info.cbSize = sizeof Info;
  Info.iContextType = HELPINFO_WINDOW;
  SendMessageA(Wnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&Info));
  ASSERT_NE(CurrentPopup(), nullptr);
  EXPECT_EQ(CurrentPopup()->Control(), Ok);
  EXPECT_EQ(CurrentPopup()->Text(), "Closes the dialog box and saves any changes you have made.");
  CurrentPopup()->Close();
  Info.iContextType = HELPINFO_MENUITEM;
  SendMessageA(Wnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_EQ(CurrentPopup(), nullptr);
  Help->SetActive(false);
  Info.iContextType = HELPINFO_WINDOW;
  SendMessageA(Wnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_EQ(CurrentPopup(), nullptr);
}

// ---- Right-click help -------------------------------------------------------------------------

TEST_F(FormHelp, TheHookOffersHelpOnlyForControlsWithoutMouseHandlers) {
  MSG M;
  while (PeekMessageA(&M, Wnd(), LXM_WHATSTHISRBUTTONUP, LXM_WHATSTHISRBUTTONUP, PM_REMOVE)) {
  }
  POINT C = CentreOf(Edit);
  EXPECT_TRUE(Help->HookRightButtonUp(C));
  EXPECT_EQ(Help->HelpControl(), Edit);
  ASSERT_TRUE(PeekMessageA(&M, Wnd(), LXM_WHATSTHISRBUTTONUP, LXM_WHATSTHISRBUTTONUP, PM_REMOVE));
  EXPECT_EQ(static_cast<short>(LOWORD(M.wParam)), C.x);
  EXPECT_EQ(static_cast<short>(HIWORD(M.wParam)), C.y);
  EXPECT_EQ(M.lParam, 0);

  TPopupMenu* Menu = TPopupMenu::Create(Form);
  Edit->SetPopupMenu(Menu);
  EXPECT_FALSE(Help->HookRightButtonUp(C));
  Edit->SetPopupMenu(nullptr);
  Edit->OnMouseUp = TMouseEvent([](void*, TObject*, TMouseButton, TShiftState, int, int) {}, nullptr);
  EXPECT_FALSE(Help->HookRightButtonUp(C));
  Edit->OnMouseUp = nullptr;
  Edit->OnMouseDown = TMouseEvent([](void*, TObject*, TMouseButton, TShiftState, int, int) {}, nullptr);
  EXPECT_FALSE(Help->HookRightButtonUp(C));
  EXPECT_FALSE(PeekMessageA(&M, Wnd(), LXM_WHATSTHISRBUTTONUP, LXM_WHATSTHISRBUTTONUP, PM_REMOVE));
  RECT R;
  GetWindowRect(Wnd(), &R);
  EXPECT_FALSE(Help->HookRightButtonUp(POINT{R.left - 40, R.top - 40}));
  EXPECT_EQ(Help->HelpControl(), nullptr);
}

TEST_F(FormHelp, TheRightClickMessageOffersTheMenuOrShowsHelpDirectly) {
  // The hook asks OnWhatsThis first (which here wants neither menu nor help): nothing is posted.
  Reports.ShowPopup = false;
  EXPECT_FALSE(Help->HookRightButtonUp(CentreOf(Edit)));
  PumpFor(20);
  ASSERT_EQ(Reports.WhatsThis, 1);
  EXPECT_EQ(CurrentPopup(), nullptr);
  // The menu (its one command then shows the help).
  Reports.ShowPopup = true;
  {
    lxtest::TMenuPicker Picker(true);
    POINT C = CentreOf(Edit);
    SendMessageA(Wnd(), LXM_WHATSTHISRBUTTONUP, MAKEWPARAM(C.x, C.y), 0);
    EXPECT_TRUE(Picker.Seen());
    EXPECT_EQ(Picker.Menu(), Help->WhatsThisMenu());
  }
  ASSERT_TRUE(PumpUntil([&] { return CurrentPopup() != nullptr; }, 2000));
  EXPECT_EQ(CurrentPopup()->Control(), Edit);
  CurrentPopup()->Close();
  // Directly, without the menu; coordinates are signed.
  Reports.ShowPopup = false;
  Reports.ShowHelp = true;
  SendMessageA(Wnd(), LXM_WHATSTHISRBUTTONUP, MAKEWPARAM(static_cast<WORD>(-20), static_cast<WORD>(-30)), 0);
  EXPECT_EQ(Reports.MousePos.x, -20);
  EXPECT_EQ(Reports.MousePos.y, -30);
  ASSERT_NE(CurrentPopup(), nullptr);
  EXPECT_EQ(CurrentPopup()->Control(), Edit);
  // Over a popup window nothing is offered.
  POINT Over = CurrentPopup()->Position();
  Over.x += 20;
  Over.y += 12;
  const int Asked = Reports.WhatsThis;
  SendMessageA(Wnd(), LXM_WHATSTHISRBUTTONUP, MAKEWPARAM(Over.x, Over.y), 0);
  EXPECT_EQ(Reports.WhatsThis, Asked);
  CurrentPopup()->Close();
  // The menu's command.
  SendMessageA(Wnd(), WM_COMMAND, lxWhatsThisCommand, 0);
  ASSERT_NE(CurrentPopup(), nullptr);
  CurrentPopup()->Close();
}

TEST_F(FormHelp, RealRightClickOnAnEditOffersWhatsThisAndShowsItsHelp) {
  SetForegroundWindow(Wnd());
  PumpFor(30);
  POINT C = CentreOf(Edit);
  ASSERT_EQ(WindowFromPoint(C), Edit->Handle());
  {
    lxtest::TMenuPicker Picker(true);
    lxtest::RightClick(C);
    ASSERT_TRUE(PumpUntil([&] { return CurrentPopup() != nullptr; }, 4000));
    EXPECT_EQ(Picker.Menu(), Help->WhatsThisMenu());  // ours, not the edit's own menu
  }
  EXPECT_EQ(Reports.WhatsThis, 1);  // asked once, at the release
  EXPECT_EQ(CurrentPopup()->Control(), Edit);
  EXPECT_EQ(CurrentPopup()->Text(), "The [B]name[DEF] of the script.");
  CurrentPopup()->Close();

  // While a menu of the form is open nothing is offered: the edit keeps its own menu then.
  SendMessageA(Wnd(), WM_ENTERMENULOOP, FALSE, 0);
  EXPECT_TRUE(Help->InMenuLoop());
  const int Asked = Reports.WhatsThis;
  {
    lxtest::TMenuPicker Escape(false);
    lxtest::RightClick(C);
    PumpUntil([&] { return Escape.Seen(); }, 2000);
    PumpFor(100);
    EXPECT_NE(Escape.Menu(), Help->WhatsThisMenu());
  }
  EXPECT_EQ(Reports.WhatsThis, Asked);
  SendMessageA(Wnd(), WM_EXITMENULOOP, FALSE, 0);
  EXPECT_FALSE(Help->InMenuLoop());
}

TEST_F(FormHelp, RightClicksThatGetNoHelpReachTheControl) {
  SetForegroundWindow(Wnd());
  PumpFor(30);
  const POINT C = CentreOf(Edit);
  ASSERT_EQ(WindowFromPoint(C), Edit->Handle());
  // The menu that a real right click on the edit opens: the edit's own, or none at all.
  auto MenuOfARightClick = [&] {
    lxtest::TMenuPicker Escape(false, 15000);
    lxtest::RightClick(C);
    PumpUntil([&] { return Escape.Seen(); }, 10000);
    PumpFor(50);
    return Escape.Seen() ? Escape.Menu() : nullptr;
  };
  // Not Active: no help, so the edit keeps its Cut/Copy/Paste menu.
  Help->SetActive(false);
  HMENU Menu = MenuOfARightClick();
  EXPECT_NE(Menu, nullptr);
  EXPECT_NE(Menu, Help->WhatsThisMenu());
  // Active, but OnWhatsThis declines both the menu and the help.
  Help->SetActive(true);
  Reports.ShowPopup = false;
  Menu = MenuOfARightClick();
  EXPECT_EQ(Reports.WhatsThis, 1);
  EXPECT_NE(Menu, nullptr);
  EXPECT_NE(Menu, Help->WhatsThisMenu());
  EXPECT_EQ(CurrentPopup(), nullptr);
}

// ---- Links ------------------------------------------------------------------------------------

// A tool button as the form help sees one: published Down, GroupIndex, AllowAllUp and OnClick.
class TFakeToolButton : public TComponent {
  VD_CLASS(TFakeToolButton, TComponent);

public:
  using TComponent::TComponent;
  bool Down = false;
  int GroupIndex = 0;
  bool AllowAllUp = false;
  TNotifyEvent OnClick;
  void Click() { OnClick(this); }
};
VD_DEFINE_CLASS(TFakeToolButton) {
  C.Property("Down", &TFakeToolButton::Down, &TFakeToolButton::Down);
  C.Property("GroupIndex", &TFakeToolButton::GroupIndex, &TFakeToolButton::GroupIndex);
  C.Property("AllowAllUp", &TFakeToolButton::AllowAllUp, &TFakeToolButton::AllowAllUp);
  C.Property("OnClick", &TFakeToolButton::OnClick, &TFakeToolButton::OnClick);
}

TEST_F(FormHelp, MenuItemsAndToolButtonsAreWiredAndForgottenWhenFreed) {
  TMenuItem* Item = TMenuItem::Create(nullptr);
  Help->WhatsThis()->SetMenuItem(Item);
  Item->Click();
  EXPECT_TRUE(Help->HelpMode());
  ReleaseCapture();
  EXPECT_FALSE(Help->HelpMode());
  Item->Free();
  EXPECT_EQ(Help->WhatsThis()->MenuItem(), nullptr);

  TFakeToolButton* Tool = TFakeToolButton::Create(nullptr);
  Help->WhatsThis()->SetToolbarButton(Tool);
  EXPECT_EQ(Tool->GroupIndex, lxWhatsThisGroupIndex);
  EXPECT_TRUE(Tool->AllowAllUp);
  Tool->Click();
  EXPECT_TRUE(Tool->Down);
  EXPECT_EQ(Help->PressedToolButton(), Tool);
  EXPECT_TRUE(Help->HelpMode());
  ReleaseCapture();
  EXPECT_FALSE(Tool->Down);
  EXPECT_EQ(Help->PressedToolButton(), nullptr);
  Tool->Click();
  EXPECT_EQ(Help->PressedToolButton(), Tool);
  Tool->Free();  // freed while pressed
  EXPECT_EQ(Help->PressedToolButton(), nullptr);
  EXPECT_EQ(Help->WhatsThis()->ToolbarButton(), nullptr);
  ReleaseCapture();
  EXPECT_FALSE(Help->HelpMode());

  // A help control freed before its posted notice arrives.
  TEdit* Gone = TEdit::Create(nullptr);
  Gone->SetParent(Form);
  Gone->SetBounds(250, 80, 100, 24);
  Gone->SetHint("x");
  EXPECT_TRUE(Help->HookRightButtonUp(CentreOf(Gone)));
  EXPECT_EQ(Help->HelpControl(), Gone);
  Gone->Free();
  EXPECT_EQ(Help->HelpControl(), nullptr);
  const int Asked = Reports.WhatsThis;
  PumpFor(30);
  EXPECT_EQ(Reports.WhatsThis, Asked);
}

// ---- A borderless page read from its form description ------------------------------------------

class TScriptPage : public TForm {
  VD_CLASS(TScriptPage, TForm);

public:
  using TForm::TForm;
  TEdit* Author = nullptr;
  TlxFormHelp* lxFormHelp1 = nullptr;
};
VD_DEFINE_CLASS(TScriptPage) {
  C.Field("Author", &TScriptPage::Author);
  C.Field("lxFormHelp1", &TScriptPage::lxFormHelp1);
}

const char* const kPageText = R"(object ScriptPage: TScriptPage
  BorderStyle = bsNone
  Caption = 'Script Info'
  ClientHeight = 200
  ClientWidth = 300
  object Author: TEdit
    Left = 20
    Top = 20
    Width = 180
    Height = 21
    Hint = 'Author|The author of the script.'
  end
  object lxFormHelp1: TlxFormHelp
    CaptionButton.BtnOrder = 0
    CaptionButton.CursorDown = crHelp
    CaptionButton.Hint = 'Help'
    CaptionButton.Visible = False
    SystemMenu.ApplyToMenu = False
    SystemMenu.Caption = '&What''s This?'
    SystemMenu.Position = 7
    SystemMenu.Separators = [seBefore]
    WhatsThis.Caption = '&What''s This?'
  end
end
)";

TEST(FormHelpPage, ButtonsReadFromADescriptionAreSortedByTheirOrder) {
  EnsureUnitsStarted();
  TScriptPage* Page = TScriptPage::Create(nullptr, CreateNewForm);
  ReadComponentFromText(R"(object ScriptPage: TScriptPage
  object lxFormHelp1: TlxFormHelp
    CaptionButton.BtnOrder = 1
    CaptionButton.Visible = True
  end
  object Second: TlxFormHelp
    CaptionButton.BtnOrder = 0
    CaptionButton.Visible = True
  end
  object Third: TlxFormHelp
    CaptionButton.BtnOrder = 1
    CaptionButton.Visible = True
  end
end
)",
                        Page);
  auto* First = Page->lxFormHelp1;
  auto* Second = dynamic_cast<TlxFormHelp*>(Page->FindComponent("Second"));
  auto* Third = dynamic_cast<TlxFormHelp*>(Page->FindComponent("Third"));
  ASSERT_TRUE(First && Second && Third);
  EXPECT_EQ(Second->BtnOrder(), 0);
  EXPECT_EQ(First->BtnOrder(), 1);  // equal orders keep their creation order
  EXPECT_EQ(Third->BtnOrder(), 2);
  EXPECT_LT(Second->Offset(), First->Offset());
  EXPECT_EQ(MouseHookOwner(), First);  // the first one that enabled right-click help
  Page->Free();
}

TEST(FormHelpPage, APageFromItsDescriptionGivesRightClickHelp) {
  EnsureUnitsStarted();
  // The property sheet's page: a plain window holding the borderless form.
  WNDCLASSA Class{};
  Class.lpfnWndProc = DefWindowProcA;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.lpszClassName = "LxTestSheetPage";
  RegisterClassA(&Class);
  HWND Sheet = CreateWindowExA(WS_EX_TOPMOST, "LxTestSheetPage", "Properties", WS_POPUP | WS_VISIBLE, 500, 300, 340,
                               240, nullptr, nullptr, Class.hInstance, nullptr);
  ASSERT_NE(Sheet, nullptr);
  TScriptPage* Page = TScriptPage::Create(nullptr, CreateNewForm);
  Page->SetParentWindow(Sheet);
  ReadComponentFromText(kPageText, Page);
  Page->Show();
  ASSERT_NE(Page->lxFormHelp1, nullptr);
  TlxFormHelp* H = Page->lxFormHelp1;
  EXPECT_FALSE(H->Visible());
  EXPECT_EQ(H->SystemMenu()->Position(), 7);
  EXPECT_EQ(H->SystemMenu()->Separators(), TlxMenuSeparators({seBefore}));
  EXPECT_FALSE(H->SystemMenu()->Applied());
  EXPECT_EQ(H->BtnOrder(), 0);
  EXPECT_EQ(MouseHookOwner(), H);

  // Written back, the form help keeps what the description says.
  std::string Text = WriteComponentToText(Page);
  EXPECT_NE(Text.find("CaptionButton.Visible = False"), std::string::npos) << Text;
  EXPECT_NE(Text.find("SystemMenu.Separators = [seBefore]"), std::string::npos) << Text;
  EXPECT_NE(Text.find("SystemMenu.Position = 7"), std::string::npos) << Text;

  SetForegroundWindow(Sheet);
  PumpFor(30);
  POINT C = CentreOf(Page->Author);
  {
    lxtest::TMenuPicker Picker(true);
    lxtest::RightClick(C);
    PumpUntil([&] { return CurrentPopup() != nullptr; }, 4000);
    EXPECT_EQ(Picker.Menu(), H->WhatsThisMenu());
  }
  ASSERT_NE(CurrentPopup(), nullptr);
  EXPECT_EQ(CurrentPopup()->Control(), Page->Author);
  EXPECT_EQ(CurrentPopup()->Text(), "The author of the script.");
  // WM_HELP for a window shows the help of the control under the mouse.
  CurrentPopup()->Close();
  SetCursorPos(C.x, C.y);
  HELPINFO Info{};
  Info.cbSize = sizeof Info;
  Info.iContextType = HELPINFO_WINDOW;
  SendMessageA(Page->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&Info));
  ASSERT_NE(CurrentPopup(), nullptr);
  EXPECT_EQ(CurrentPopup()->Control(), Page->Author);
  Page->Free();
  EXPECT_EQ(CurrentPopup(), nullptr);
  DestroyWindow(Sheet);
}

}  // namespace
