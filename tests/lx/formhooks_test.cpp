// Owner-form hooks with real windows: the order of a chain and its repair when hooks leave in
// any order, hooks following a re-created window, a procedure of someone else above the chain,
// the topmost and caption messages, the exception barrier, and one hook list per thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "lx/lxBase.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

namespace {

constexpr UINT kProbe = WM_APP + 7;

using TTrail = std::vector<std::string>;

// What the probe message met, in order: "C" before, "/C" after a hook, "form" for the form.
// Threads other than the main one lend their own (no thread_local object with a destructor:
// this runtime may free its storage before running the destructor at thread exit).
TTrail MainTrail;
thread_local TTrail* t_Trail = nullptr;
TTrail& Trail() { return t_Trail ? *t_Trail : MainTrail; }

class TProbeHook : public TlxFormHookComponent {
  VD_CLASS(TProbeHook, TlxFormHookComponent);

public:
  using TlxFormHookComponent::TlxFormHookComponent;
  std::string Tag;
  bool Handles = false;      // marks the probe handled
  bool FreesItself = false;  // frees itself in BeforeWndProc on the probe
  bool Throws = false;       // raises in BeforeWndProc on the probe
  std::vector<HWND> RehookedOn;
  int TopMostNotes = 0;

protected:
  void BeforeWndProc(TMessage& Message, bool& Handled) override {
    if (Message.Msg == LXM_TOPMOSTCHANGED) ++TopMostNotes;
    if (Message.Msg != kProbe) return;
    Trail().push_back(Tag);
    if (Throws) throw EInvalidOperation("hook " + Tag + " failed");
    if (Handles) {
      Handled = true;
      Message.Result = 77;
    }
    if (FreesItself) Free();
  }
  void AfterWndProc(TMessage& Message) override {
    if (Message.Msg == kProbe) Trail().push_back("/" + Tag);
  }
  void Rehooked() override {
    inherited::Rehooked();
    RehookedOn.push_back(Handle());
    Trail().push_back("rehooked " + Tag);
  }
};
VD_DEFINE_CLASS(TProbeHook) {}

// Records the probe when it reaches the form's own message path.
struct TFormProbe {
  TWndMethod Saved;
  void WndProc(TMessage& Message) {
    if (Message.Msg == kProbe) {
      Trail().push_back("form");
      Message.Result = 1;
      return;
    }
    Saved(Message);
  }
};

class TTestForm {
public:
  explicit TTestForm(TFormBorderStyle Border = bsSizeable) : Form(TForm::Create(nullptr, CreateNewForm)) {
    Form->SetBorderStyle(Border);
    Form->SetBounds(10, 10, 200, 120);
    Probe.Saved = Form->WindowProc();
    Form->SetWindowProc(TWndMethod::Bind<&TFormProbe::WndProc>(&Probe));
    Original = CurrentProc();
  }
  ~TTestForm() {
    if (Form) Form->Free();
  }
  TProbeHook* Hook(const std::string& Tag) {
    TProbeHook* H = TProbeHook::Create(Form);
    H->Tag = Tag;
    return H;
  }
  std::vector<std::string> Send() {
    Trail().clear();
    SendMessageA(Form->Handle(), kProbe, 0, 0);
    return Trail();
  }
  WNDPROC CurrentProc() { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Form->Handle(), GWLP_WNDPROC)); }

  TFormProbe Probe;
  TForm* Form;
  WNDPROC Original;
};

// Handles messages until each hook was re-hooked once more.
void PumpUntilRehooked(const std::vector<TProbeHook*>& Hooks) {
  std::vector<size_t> Seen;
  for (TProbeHook* H : Hooks) Seen.push_back(H->RehookedOn.size());
  PumpUntil([&] {
    for (size_t I = 0; I < Hooks.size(); ++I)
      if (Hooks[I]->RehookedOn.size() == Seen[I]) return false;
    return true;
  });
}

}  // namespace

TEST(FormHooks, ChainRunsFromTheLastHookToTheFormAndHealsInEveryOrderOfRemoval) {
  int InstancesBefore = ObjectInstancesInUse();
  std::vector<int> Order{0, 1, 2};
  do {
    TTestForm T;
    TProbeHook* Hooks[3] = {T.Hook("A"), T.Hook("B"), T.Hook("C")};
    HWND ListWindow = lxbase_detail::HookListWindow();
    ASSERT_TRUE(IsWindow(ListWindow));
    ASSERT_EQ(T.Send(), (TTrail{"C", "B", "A", "form", "/A", "/B", "/C"}));
    std::vector<std::string> Left{"A", "B", "C"};
    for (int I : Order) {
      Hooks[I]->Free();
      Left.erase(std::find(Left.begin(), Left.end(), std::string(1, char('A' + I))));
      TTrail Expected;
      for (auto It = Left.rbegin(); It != Left.rend(); ++It) Expected.push_back(*It);
      Expected.push_back("form");
      for (const auto& Tag : Left) Expected.push_back("/" + Tag);
      EXPECT_EQ(T.Send(), Expected) << "after freeing " << char('A' + I);
    }
    EXPECT_EQ(T.CurrentProc(), T.Original);
    // The last hook of the thread took the list and its window with it.
    EXPECT_FALSE(IsWindow(ListWindow));
    EXPECT_EQ(lxbase_detail::HookListWindow(), nullptr);
  } while (std::next_permutation(Order.begin(), Order.end()));
  EXPECT_EQ(ObjectInstancesInUse(), InstancesBefore);
}

TEST(FormHooks, HandledKeepsTheMessageFromEarlierHooksButNotFromItsOwnAfter) {
  TTestForm T;
  T.Hook("A");
  T.Hook("B")->Handles = true;
  T.Hook("C");
  Trail().clear();
  EXPECT_EQ(SendMessageA(T.Form->Handle(), kProbe, 0, 0), 77);
  EXPECT_EQ(Trail(), (TTrail{"C", "B", "/B", "/C"}));
}

TEST(FormHooks, AHookThatFreesItselfGetsNoAfterCallAndTheMessageGoesOn) {
  TTestForm T;
  T.Hook("A");
  T.Hook("B")->FreesItself = true;
  T.Hook("C");
  EXPECT_EQ(T.Send(), (TTrail{"C", "B", "A", "form", "/A", "/C"}));
  EXPECT_EQ(T.Send(), (TTrail{"C", "A", "form", "/A", "/C"}));
}

TEST(FormHooks, OwnerMustBeAWindowedControl) {
  int InstancesBefore = ObjectInstancesInUse();
  TObjectPtr<TComponent> Plain(TComponent::Create(nullptr));
  for (TComponent* Owner : {static_cast<TComponent*>(nullptr), Plain.get()}) {
    try {
      TlxFormHookComponent::Create(Owner);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidOperation& E) {
      EXPECT_EQ(E.Message(), "Owner must be TWinControl or its descendant!");
    }
  }
  EXPECT_EQ(Plain->ComponentCount(), 0) << "the half-made component is freed";
  EXPECT_EQ(lxbase_detail::HookCount(), 0);
  EXPECT_EQ(lxbase_detail::HookListWindow(), nullptr);
  EXPECT_EQ(ObjectInstancesInUse(), InstancesBefore);

  // Moving a hook: to another windowed control only.
  TTestForm T1, T2;
  TProbeHook* H = T1.Hook("H");
  EXPECT_THROW(H->ChangeOwnerComponent(Plain.get()), EInvalidOperation);
  H->ChangeOwnerComponent(T2.Form);
  EXPECT_EQ(T1.CurrentProc(), T1.Original);
  EXPECT_EQ(H->Handle(), T2.Form->Handle());
  EXPECT_EQ(T2.Send(), (TTrail{"H", "form", "/H"}));
}

TEST(FormHooks, HooksFollowTheReCreatedWindowInCreationOrderWithOneNotice) {
  TTestForm Keeper;  // keeps the list alive, so its window can be watched throughout
  Keeper.Hook("K");
  TSpySubclass ListSpy(lxbase_detail::HookListWindow());
  TTestForm T;
  std::vector<TProbeHook*> Hooks{T.Hook("A"), T.Hook("B"), T.Hook("C")};
  HWND Old = T.Form->Handle();
  T.Form->RecreateWnd();
  HWND New = T.Form->Handle();
  ASSERT_NE(New, Old);
  Trail().clear();
  PumpUntilRehooked(Hooks);
  EXPECT_EQ(Trail(), (TTrail{"rehooked A", "rehooked B", "rehooked C"}));
  for (TProbeHook* H : Hooks) EXPECT_EQ(H->RehookedOn, std::vector<HWND>{New});
  EXPECT_EQ(ListSpy.Seen(LXM_REHOOK), 1);
  EXPECT_EQ(T.Send(), (TTrail{"C", "B", "A", "form", "/A", "/B", "/C"}));

  // Freed with its hooks on: no notice, nothing left behind.
  int InstancesBefore = ObjectInstancesInUse();
  T.Form->Free();
  T.Form = nullptr;
  PumpFor(50);
  EXPECT_EQ(ListSpy.Seen(LXM_REHOOK), 1);
  EXPECT_EQ(lxbase_detail::HookCount(), 1);
  EXPECT_EQ(ObjectInstancesInUse(), InstancesBefore - 3);
}

TEST(FormHooks, AProcedureOfSomeoneElseAboveTheChainIsNeverCutOff) {
  TTestForm T;
  TProbeHook* A = T.Hook("A");
  TProbeHook* B = T.Hook("B");
  auto Spy = std::make_unique<TSpySubclass>(T.Form->Handle());
  auto SpySeen = [&] { return Spy->Seen(kProbe); };

  B->Free();  // the spy calls B's procedure: it stays as a pass-through
  EXPECT_EQ(lxbase_detail::PassThroughCount(), 1);
  EXPECT_EQ(T.Send(), (TTrail{"A", "form", "/A"}));
  EXPECT_EQ(SpySeen(), 1);

  TProbeHook* C = T.Hook("C");  // goes on top of the spy
  EXPECT_EQ(T.Send(), (TTrail{"C", "A", "form", "/A", "/C"}));
  EXPECT_EQ(SpySeen(), 2);
  A->Free();
  EXPECT_EQ(T.Send(), (TTrail{"C", "form", "/C"}));
  C->Free();
  EXPECT_EQ(T.Send(), (TTrail{"form"}));
  EXPECT_EQ(SpySeen(), 4);

  // The spy leaves (back to the pass-through); the next hook to go takes the pass-through along.
  Spy.reset();
  T.Hook("D")->Free();
  EXPECT_EQ(T.CurrentProc(), T.Original);
  EXPECT_EQ(lxbase_detail::PassThroughCount(), 0);

  // A pass-through left under a foreign procedure goes with the window.
  TProbeHook* E = T.Hook("E");
  Spy = std::make_unique<TSpySubclass>(T.Form->Handle());
  E->Free();
  EXPECT_EQ(lxbase_detail::PassThroughCount(), 1);
  T.Form->DestroyHandle();
  EXPECT_EQ(lxbase_detail::PassThroughCount(), 0);
}

TEST(FormHooks, TopMostIsSharedByTheHooksOfAWindowAndSurvivesReCreation) {
  TTestForm T;
  TProbeHook* H1 = T.Hook("1");
  TProbeHook* H2 = T.Hook("2");
  auto TopMost = [&] { return (GetWindowLongPtrA(T.Form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  ASSERT_FALSE(TopMost());
  H1->SetTopMost(false);
  EXPECT_EQ(H2->TopMostNotes, 0) << "already so: nothing sent";
  H1->SetTopMost(true);
  EXPECT_TRUE(TopMost());
  EXPECT_TRUE(H2->GetTopMost());
  EXPECT_EQ(H1->TopMostNotes, 1);
  EXPECT_EQ(H2->TopMostNotes, 1);
  H1->SetTopMost(true);
  EXPECT_EQ(H2->TopMostNotes, 1);

  // H2 learnt the state from H1's note: alone, it restores it on the new window.
  H1->Free();
  T.Form->RecreateWnd();
  ASSERT_FALSE(TopMost());
  PumpUntilRehooked({H2});
  EXPECT_TRUE(TopMost());
  H2->SetTopMost(false);
  EXPECT_FALSE(TopMost());
  T.Form->RecreateWnd();
  PumpUntilRehooked({H2});
  EXPECT_EQ(H2->RehookedOn.size(), 2u);
  EXPECT_FALSE(TopMost());

  // A stay-on-top form starts topmost in the hook's record and stays so.
  TTestForm S;
  S.Form->SetFormStyle(fsStayOnTop);
  S.Form->RecreateWnd();
  TProbeHook* H = S.Hook("S");
  S.Form->RecreateWnd();
  PumpUntilRehooked({H});
  EXPECT_TRUE(GetWindowLongPtrA(S.Form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

namespace {
class TCaptionWatch : public TlxHFormHookComponentWatchCaption {
  VD_CLASS(TCaptionWatch, TlxHFormHookComponentWatchCaption);

public:
  using TlxHFormHookComponentWatchCaption::TlxHFormHookComponentWatchCaption;
  int Changes = 0;

protected:
  void CaptionChanged() override { ++Changes; }
};
VD_DEFINE_CLASS(TCaptionWatch) {}

std::string WindowText(HWND Wnd) {
  char Buf[64] = {};
  GetWindowTextA(Wnd, Buf, sizeof Buf);
  return Buf;
}
}  // namespace

TEST(FormHooks, CaptionChangesAreReportedOnceAtTheNextQuery) {
  TTestForm T;
  T.Form->SetCaption("One");
  TCaptionWatch* W = TCaptionWatch::Create(T.Form);
  HWND Wnd = T.Form->Handle();
  EXPECT_EQ(SendMessageA(W->UtilityWindow(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(WindowText(Wnd), "One");
  EXPECT_EQ(W->Changes, 0) << "reported later, not inside the query";
  PumpFor(50);
  EXPECT_EQ(W->Changes, 1);
  EXPECT_EQ(W->LastCaption(), "One");
  WindowText(Wnd);
  PumpFor(50);
  EXPECT_EQ(W->Changes, 1);
  SetWindowTextA(Wnd, "Two");
  PumpFor(50);
  EXPECT_EQ(W->Changes, 1) << "nobody asked yet";
  EXPECT_EQ(WindowText(Wnd), "Two");
  PumpFor(50);
  EXPECT_EQ(W->Changes, 2);
  EXPECT_EQ(W->LastCaption(), "Two");
}

namespace {
class TRehookFailure : public TProbeHook {
  VD_CLASS(TRehookFailure, TProbeHook);

public:
  using TProbeHook::TProbeHook;

protected:
  void Rehooked() override {
    inherited::Rehooked();
    throw std::runtime_error("rehook failed");
  }
  void AfterWndProc(TMessage& Message) override {
    inherited::AfterWndProc(Message);
    if (Message.Msg == kProbe + 1) throw 5;
  }
};
VD_DEFINE_CLASS(TRehookFailure) {}
}  // namespace

TEST(FormHooks, ExceptionsInHandlersGoToTheApplicationAndNeverEscape) {
  TExceptionCollector Collector;
  TTestForm T;
  TProbeHook* A = T.Hook("A");
  TRehookFailure* F = TRehookFailure::Create(T.Form);
  F->Tag = "F";
  TProbeHook* B = T.Hook("B");
  B->Throws = true;
  Trail().clear();
  EXPECT_EQ(SendMessageA(T.Form->Handle(), kProbe, 0, 0), 0);
  EXPECT_EQ(Trail(), (TTrail{"B"})) << "the failing hook's message ends there";
  EXPECT_EQ(SendMessageA(T.Form->Handle(), kProbe + 1, 0, 0), 0);
  T.Form->RecreateWnd();
  PumpUntilRehooked({A, F, B});
  ASSERT_EQ(Collector.Reports.size(), 3u);
  EXPECT_EQ(Collector.Reports[0].Sender, B);
  EXPECT_EQ(Collector.Reports[0].Message, "hook B failed");
  EXPECT_EQ(Collector.Reports[1].Sender, F);
  EXPECT_EQ(Collector.Reports[2].Sender, F);
  EXPECT_EQ(Collector.Reports[2].Message, "rehook failed");
  EXPECT_EQ(B->RehookedOn.size(), 1u) << "a failing hook does not keep the others from coming back";
  B->Throws = false;
  EXPECT_EQ(T.Send(), (TTrail{"B", "F", "A", "form", "/A", "/F", "/B"}));
}

namespace {
class TEffects : public TlxFormAnimationEffect {
  VD_CLASS(TEffects, TlxFormAnimationEffect);

public:
  using TlxFormAnimationEffect::TlxFormAnimationEffect;
  int Shown = 0;
  int Hidden = 0;
  void CountShow(TObject* Sender) {
    EXPECT_EQ(Sender, this);
    ++Shown;
  }
  void CountHide(TObject*) { ++Hidden; }
};
VD_DEFINE_CLASS(TEffects) {}
}  // namespace

TEST(FormHooks, AnimationEffectsOnShowingAndHiding) {
  // Borderless from the start and never activated: Wine waits for a window manager when it
  // hides a window that ever had a frame or was activated.
  TTestForm T(bsNone);
  TEffects* E = TEffects::Create(T.Form);
  E->OnShowEffect = MakeEvent<&TEffects::CountShow>(E);
  E->OnHideEffect = MakeEvent<&TEffects::CountHide>(E);
  E->SetAnimateOnShow(true);
  E->SetAnimateOnHide(true);
  ShowWindow(T.Form->Handle(), SW_SHOWNA);
  PumpFor(30);
  EXPECT_EQ(E->Shown, 1);
  EXPECT_EQ(E->Hidden, 0);
  ShowWindow(T.Form->Handle(), SW_HIDE);
  PumpFor(30);
  EXPECT_EQ(E->Hidden, 1);
  EXPECT_EQ(E->Shown, 1);
}

TEST(FormHooks, EachThreadHasItsOwnHookList) {
  struct TResult {
    HWND ListWindow = nullptr;
    DWORD ListThread = 0;
    TTrail Before, AfterRehook;
    bool ListGone = false;
  };
  TResult Results[2];
  std::atomic<int> Ready{0};
  std::atomic<bool> Go{false};
  auto Run = [&](TResult& R) {
    TTrail Mine;
    t_Trail = &Mine;
    {
      TTestForm T;
      TProbeHook* A = T.Hook("A");
      TProbeHook* B = T.Hook("B");
      R.ListWindow = lxbase_detail::HookListWindow();
      R.ListThread = GetWindowThreadProcessId(R.ListWindow, nullptr);
      ++Ready;
      while (!Go) Sleep(1);  // both lists exist now
      R.Before = T.Send();
      T.Form->RecreateWnd();
      PumpUntilRehooked({A, B});
      R.AfterRehook = T.Send();
    }
    R.ListGone = !IsWindow(R.ListWindow) && lxbase_detail::HookListWindow() == nullptr;
    t_Trail = nullptr;
  };
  TTestForm Main;
  Main.Hook("M");
  HWND MainList = lxbase_detail::HookListWindow();
  std::thread T1(Run, std::ref(Results[0]));
  std::thread T2(Run, std::ref(Results[1]));
  while (Ready < 2) Sleep(1);
  Go = true;
  T1.join();
  T2.join();
  EXPECT_NE(Results[0].ListWindow, Results[1].ListWindow);
  for (const TResult& R : Results) {
    EXPECT_NE(R.ListWindow, MainList);
    EXPECT_NE(R.ListThread, GetCurrentThreadId());
    EXPECT_EQ(R.Before, (TTrail{"B", "A", "form", "/A", "/B"}));
    EXPECT_EQ(R.AfterRehook, R.Before);
    EXPECT_TRUE(R.ListGone);
  }
  EXPECT_EQ(lxbase_detail::HookListWindow(), MainList);
  EXPECT_EQ(lxbase_detail::HookCount(), 1);
  EXPECT_EQ(Main.Send(), (TTrail{"M", "form", "/M"}));
}
