// Helpers for tests of dialogs.
//
// TFakeUIServices stands in for everything modal while it lives (UIServices.h): a form's
// ShowModal shows the form modeless and runs the script given for its class, whose clicks on OK
// or Cancel set the ModalResult that ShowModal returns; message boxes, open-file and colour
// dialogs, popup menus and exception reports are recorded and answered from queues.
//
//   TFakeUIServices Fake;
//   Fake.OnModal<TClsIdEditorForm>([](TClsIdEditorForm& F) {
//     F.EdGUID->SetText("{...}");
//     ClickButton(F.BnOK);
//   });
//   Fake.AnswerOpenDialog("C:\\icons\\a.ico");
//   Editor->Edit();                       // ShowModal inside runs the script
//   EXPECT_TRUE(Fake.Unscripted.empty());
//
// RunRealModal runs the real modal loop instead, driven from a timer and ended by a watchdog if
// the script fails, so a broken dialog cannot hang the test run.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "classlib/UIServices.h"
#include "tests/controls/ControlsTestSupport.h"

namespace testsupport {

// Presses a button as the user does (BM_CLICK to its window): OnClick runs and the button's
// ModalResult goes to its form; an exception of the handler goes to the application's report.
inline void ClickButton(TButton* Button) { SendMessageA(Button->Handle(), BM_CLICK, 0, 0); }

class TFakeUIServices : public TUIServices {
public:
  using TFormScript = std::function<void(TCustomForm&)>;

  TFakeUIServices() : FSaved(SetUIServices(this)) {}
  ~TFakeUIServices() override { SetUIServices(FSaved); }
  TFakeUIServices(const TFakeUIServices&) = delete;
  TFakeUIServices& operator=(const TFakeUIServices&) = delete;

  // ---- Modal forms: one script per ShowModal of the class, in order.
  void OnModal(const std::string& ClassName, TFormScript Script) {
    FScripts[ClassName].push_back(std::move(Script));
  }
  template <class F> void OnModal(std::function<void(F&)> Script) {
    OnModal(F::StaticClass()->ClassName(), [Script](TCustomForm& Form) { Script(dynamic_cast<F&>(Form)); });
  }
  std::vector<std::string> ModalForms;  // the class of every form shown modally, in order
  std::vector<std::string> Unscripted;  // shown without a script left: closed with mrCancel
  std::vector<std::string> Unfinished;  // the script set no result (or the form would not close)
  bool RealModalLoop = false;           // true: forms run the real loop; the rest stays scripted

  void RunModal(TCustomForm& Form) override {
    if (RealModalLoop) {
      TUIServices::RunModal(Form);
      return;
    }
    std::string Name = Form.ClassName();
    ModalForms.push_back(Name);
    Form.Show();
    auto& Queue = FScripts[Name];
    bool Scripted = !Queue.empty();
    if (Scripted) {
      TFormScript Script = std::move(Queue.front());
      Queue.pop_front();
      Script(Form);
      Application->ProcessMessages();
    } else {
      Unscripted.push_back(Name);
    }
    if (Form.ModalResult() != mrNone) Form.CloseModal();
    if (Form.ModalResult() == mrNone) {
      if (Scripted) Unfinished.push_back(Name);
      Form.SetModalResult(mrCancel);
    }
    Form.Hide();
  }

  // ---- Message boxes: recorded; answered from the queue, IDOK when it is empty.
  struct TMessageBoxCall {
    std::string Text;
    std::string Caption;
    UINT Flags;
    HWND Owner;  // as asked for (nil: the active window's)
  };
  std::vector<TMessageBoxCall> MessageBoxes;
  std::deque<int> MessageBoxAnswers;

  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags, HWND Owner) override {
    MessageBoxes.push_back({Text, Caption, Flags, Owner});
    if (MessageBoxAnswers.empty()) return IDOK;
    int Answer = MessageBoxAnswers.front();
    MessageBoxAnswers.pop_front();
    return Answer;
  }

  // ---- Open-file and colour dialogs: recorded as they are set up; answered from the queues
  // (an answer may change the dialog and says whether it was confirmed), cancelled when empty.
  struct TOpenDialogCall {
    std::string Title;
    std::string Filter;
    int FilterIndex;
    std::string DefaultExt;
    std::string FileName;
    std::string InitialDir;
  };
  std::vector<TOpenDialogCall> OpenDialogs;
  std::deque<std::function<bool(TOpenDialog&)>> OpenDialogAnswers;
  std::vector<TColor> ColorDialogs;  // the colour each one started with
  std::deque<std::function<bool(TColorDialog&)>> ColorDialogAnswers;

  void AnswerOpenDialog(const std::string& FileName) {
    OpenDialogAnswers.push_back([FileName](TOpenDialog& D) {
      D.SetFileName(FileName);
      return true;
    });
  }
  void AnswerColorDialog(TColor Color) {
    ColorDialogAnswers.push_back([Color](TColorDialog& D) {
      D.SetColor(Color);
      return true;
    });
  }

  bool ExecuteOpenDialog(TOpenDialog& D) override {
    OpenDialogs.push_back({D.Title(), D.Filter(), D.FilterIndex(), D.DefaultExt(), D.FileName(), D.InitialDir()});
    return Answer(OpenDialogAnswers, D);
  }
  bool ExecuteColorDialog(TColorDialog& D) override {
    ColorDialogs.push_back(D.Color());
    return Answer(ColorDialogAnswers, D);
  }

  // ---- Popup menus: recorded with the screen point and the visible captions; answered from the
  // queue (the item to click, nil for none), closed without a choice when it is empty.
  struct TPopupCall {
    TPopupMenu* Menu;
    int X;
    int Y;
    std::vector<std::string> Captions;
  };
  std::vector<TPopupCall> Popups;
  std::deque<std::function<TMenuItem*(TPopupMenu&)>> PopupAnswers;

  // Chooses the visible item with these captions, one per level ({"Item Icon", "2"}).
  void ChoosePopupItem(std::vector<std::string> Path) {
    PopupAnswers.push_back([Path](TPopupMenu& Menu) -> TMenuItem* {
      TMenuItem* Item = Menu.Items();
      for (const std::string& Caption : Path) {
        TMenuItem* Next = nullptr;
        for (int I = 0; I < Item->Count() && !Next; ++I)
          if (Item->Items(I)->Visible() && Item->Items(I)->Caption() == Caption) Next = Item->Items(I);
        if (!Next) return nullptr;
        Item = Next;
      }
      return Item;
    });
  }

  TMenuItem* TrackPopupMenu(TPopupMenu& Menu, int X, int Y) override {
    TPopupCall Call{&Menu, X, Y, {}};
    for (int I = 0; I < Menu.Items()->Count(); ++I)
      if (Menu.Items()->Items(I)->Visible()) Call.Captions.push_back(Menu.Items()->Items(I)->Caption());
    Popups.push_back(Call);
    if (PopupAnswers.empty()) return nullptr;
    auto Choose = std::move(PopupAnswers.front());
    PopupAnswers.pop_front();
    return Choose(Menu);
  }

  // ---- Exception reports.
  struct TExceptionCall {
    std::string ClassName;
    std::string Message;
  };
  std::vector<TExceptionCall> Exceptions;

  void ShowException(Exception& E) override { Exceptions.push_back({E.ClassName(), E.Message()}); }

private:
  template <class D> static bool Answer(std::deque<std::function<bool(D&)>>& Queue, D& Dialog) {
    if (Queue.empty()) return false;
    auto Reply = std::move(Queue.front());
    Queue.pop_front();
    return Reply(Dialog);
  }

  TUIServices* FSaved;
  std::map<std::string, std::deque<TFormScript>> FScripts;
};

namespace dialog_detail {
struct TRealModalRun {
  TCustomForm* Form;
  std::function<void(TCustomForm&)> Script;
  UINT_PTR Timer = 0;
};
inline thread_local TRealModalRun* t_Run = nullptr;

inline void CALLBACK RunScript(HWND, UINT, UINT_PTR Timer, DWORD) {
  KillTimer(nullptr, Timer);
  TRealModalRun* Run = t_Run;
  if (!Run || Run->Timer != Timer) return;
  try {  // nothing may unwind through the timer callback
    Run->Script(*Run->Form);
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

inline BOOL CALLBACK CloseWindow(HWND Wnd, LPARAM) {
  if (IsWindowVisible(Wnd)) PostMessageA(Wnd, WM_CLOSE, 0, 0);
  return TRUE;
}
}  // namespace dialog_detail

// Form->ShowModal() with the real modal loop. Script runs once from a timer when the loop runs
// and should end it (a posted click on OK, say). Should it not, a watchdog closes every window of
// this thread (menus too) after TimeoutMs, again every quarter second, and WatchdogFired tells.
inline TModalResult RunRealModal(TCustomForm& Form, std::function<void(TCustomForm&)> Script,
                                 bool& WatchdogFired, DWORD TimeoutMs = 20000) {
  auto* Fake = dynamic_cast<TFakeUIServices*>(&UIServices());
  bool SavedReal = Fake && Fake->RealModalLoop;
  if (Fake) Fake->RealModalLoop = true;
  dialog_detail::TRealModalRun Run{&Form, std::move(Script)};
  dialog_detail::t_Run = &Run;
  Run.Timer = SetTimer(nullptr, 0, 50, &dialog_detail::RunScript);
  DWORD Thread = GetCurrentThreadId();
  TModalResult Result = mrNone;
  {
    TWatchdog Watchdog(TimeoutMs, [Thread] {
      EnumThreadWindows(Thread, &dialog_detail::CloseWindow, 0);
      CloseMenus();
    });
    try {
      Result = Form.ShowModal();
    } catch (...) {
      dialog_detail::t_Run = nullptr;
      if (Fake) Fake->RealModalLoop = SavedReal;
      throw;
    }
    WatchdogFired = Watchdog.Fired();
  }
  KillTimer(nullptr, Run.Timer);
  dialog_detail::t_Run = nullptr;
  if (Fake) Fake->RealModalLoop = SavedReal;
  return Result;
}

}  // namespace testsupport
