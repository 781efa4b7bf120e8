// Window-procedure plumbing: utility windows, object instances, class registration per module,
// the exception barrier, and the timer built on them.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <stdexcept>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/WndProcs.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

namespace {
LRESULT Default(TMessage& M) { return DefWindowProcA(MessageWindow(), M.Msg, M.WParam, M.LParam); }
}  // namespace

TEST(AllocateHWnd, HiddenTopLevelWindowOfThisModuleDeliversToTheMethod) {
  int Seen = 0;
  HWND Wnd = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_APP) {
      ++Seen;
      EXPECT_EQ(MessageWindow(), GetAncestor(MessageWindow(), GA_ROOT));
      M.Result = 42;
    } else {
      M.Result = Default(M);
    }
  });
  ASSERT_TRUE(IsWindow(Wnd));
  EXPECT_EQ(SendMessageA(Wnd, WM_APP, 0, 0), 42);
  EXPECT_EQ(Seen, 1);
  EXPECT_FALSE(IsWindowVisible(Wnd));
  EXPECT_EQ(GetAncestor(Wnd, GA_PARENT), GetDesktopWindow()) << "a top-level window, not message-only";
  char Class[256] = {};
  GetClassNameA(Wnd, Class, sizeof Class);
  EXPECT_EQ(UtilWindowClassName(), Class);
  char Base[32];
  std::snprintf(Base, sizeof Base, "%p", static_cast<void*>(ModuleInstance()));
  EXPECT_NE(std::string(Class).find(Base), std::string::npos) << "the name carries the module";
  EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetClassLongPtrA(Wnd, GCLP_HMODULE)), ModuleInstance());
  DeallocateHWnd(Wnd);
  EXPECT_FALSE(IsWindow(Wnd));
  DeallocateHWnd(nullptr);  // ignored
}

TEST(AllocateHWnd, MethodMayFreeItsOwnWindowAndSeesNoDestroyAfterwards) {
  HWND Wnd = nullptr;
  int Destroys = 0;
  Wnd = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_DESTROY || M.Msg == WM_NCDESTROY) ++Destroys;
    if (M.Msg == WM_APP) DeallocateHWnd(Wnd);
    else M.Result = Default(M);
  });
  SendMessageA(Wnd, WM_APP, 0, 0);
  EXPECT_FALSE(IsWindow(Wnd));
  EXPECT_EQ(Destroys, 0);
}

TEST(AllocateHWnd, ExceptionsOfTheMethodGoToTheApplicationAndNeverEscape) {
  TExceptionCollector Collector;
  HWND Wnd = AllocateHWnd([&](TMessage& M) {
    switch (M.Msg) {
      case WM_APP: throw EInvalidOperation("broken handler");
      case WM_APP + 1: throw std::runtime_error("library failure");
      case WM_APP + 2: throw 7;
      case WM_APP + 3: throw EAbort("silent");
      default: M.Result = Default(M);
    }
  });
  for (UINT Msg = WM_APP; Msg <= WM_APP + 3; ++Msg) EXPECT_EQ(SendMessageA(Wnd, Msg, 0, 0), 0);
  ASSERT_EQ(Collector.Reports.size(), 3u) << "EAbort is silent";
  EXPECT_EQ(Collector.Reports[0].ClassName, "EInvalidOperation");
  EXPECT_EQ(Collector.Reports[0].Message, "broken handler");
  EXPECT_EQ(Collector.Reports[1].Message, "library failure");
  EXPECT_EQ(Collector.Reports[2].Message, "Unknown exception");
  DeallocateHWnd(Wnd);
}

TEST(AllocateHWnd, ClassIsUnregisteredForTheModuleAndRegisteredAgainOnNextUse) {
  HWND Wnd = AllocateHWnd([](TMessage& M) { M.Result = Default(M); });
  DeallocateHWnd(Wnd);
  WNDCLASSA Class;
  ASSERT_TRUE(GetClassInfoA(ModuleInstance(), UtilWindowClassName().c_str(), &Class));
  UnregisterModuleWindowClasses();
  EXPECT_FALSE(GetClassInfoA(ModuleInstance(), UtilWindowClassName().c_str(), &Class));
  Wnd = AllocateHWnd([](TMessage& M) { M.Result = WM_APP == M.Msg ? 5 : Default(M); });
  ASSERT_TRUE(IsWindow(Wnd));
  EXPECT_EQ(SendMessageA(Wnd, WM_APP, 0, 0), 5);
  DeallocateHWnd(Wnd);
}

TEST(ObjectInstance, EachInstanceIsADistinctProcedureBoundToItsMethod) {
  HWND Wnd = AllocateHWnd([](TMessage& M) { M.Result = Default(M); });
  int Before = ObjectInstancesInUse();
  std::vector<WNDPROC> Procs;
  std::vector<int> Hits(3);
  std::vector<HWND> Windows(3);
  for (int I = 0; I < 3; ++I)
    Procs.push_back(MakeObjectInstance([&, I](TMessage& M) {
      ++Hits[I];
      Windows[I] = MessageWindow();
      M.Result = 100 + I;
    }));
  EXPECT_EQ(std::set<WNDPROC>(Procs.begin(), Procs.end()).size(), 3u);
  EXPECT_EQ(ObjectInstancesInUse(), Before + 3);
  for (int I = 0; I < 3; ++I) EXPECT_EQ(CallWindowProcA(Procs[I], Wnd, WM_APP, 0, 0), 100 + I);
  EXPECT_EQ(Hits, (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(Windows, (std::vector<HWND>{Wnd, Wnd, Wnd}));
  FreeObjectInstance(Procs[1]);
  EXPECT_EQ(CallWindowProcA(Procs[1], Wnd, WM_APP, 0, 0), 0) << "a freed procedure falls back to the default";
  EXPECT_EQ(Hits[1], 1);
  FreeObjectInstance(Procs[0]);
  FreeObjectInstance(Procs[2]);
  FreeObjectInstance(Procs[2]);  // twice: ignored
  EXPECT_EQ(ObjectInstancesInUse(), Before);
  DeallocateHWnd(Wnd);
}

TEST(ObjectInstance, ChainsAsSubclassesAndSurvivesFreeingItselfMidCall) {
  std::vector<std::string> Order;
  HWND Wnd = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_APP) Order.push_back("window");
    M.Result = Default(M);
  });
  WNDPROC First = nullptr, Second = nullptr;
  WNDPROC Original = nullptr, AfterFirst = nullptr;
  First = MakeObjectInstance([&](TMessage& M) {
    if (M.Msg == WM_APP) Order.push_back("first");
    M.Result = CallWindowProcA(Original, MessageWindow(), M.Msg, M.WParam, M.LParam);
  });
  Second = MakeObjectInstance([&, Keep = std::string("captured state")](TMessage& M) {
    if (M.Msg == WM_APP) {
      Order.push_back("second");
      FreeObjectInstance(Second);  // the running call keeps its method alive
      Order.push_back(Keep);
    }
    M.Result = CallWindowProcA(AfterFirst, MessageWindow(), M.Msg, M.WParam, M.LParam);
  });
  Original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(First)));
  AfterFirst = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Second)));
  SendMessageA(Wnd, WM_APP, 0, 0);
  EXPECT_EQ(Order, (std::vector<std::string>{"second", "captured state", "first", "window"}));
  SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Original));
  FreeObjectInstance(First);
  DeallocateHWnd(Wnd);
}

TEST(ObjectInstance, ExhaustedPoolRaisesAndRecovers) {
  std::vector<WNDPROC> Taken;
  int Free = ObjectInstanceCapacity() - ObjectInstancesInUse();
  for (int I = 0; I < Free; ++I) Taken.push_back(MakeObjectInstance([](TMessage&) {}));
  EXPECT_THROW(MakeObjectInstance([](TMessage&) {}), EOutOfResources);
  for (WNDPROC P : Taken) FreeObjectInstance(P);
  WNDPROC Again = MakeObjectInstance([](TMessage&) {});
  EXPECT_NE(Again, nullptr);
  FreeObjectInstance(Again);
}

// ---- TTimer ---------------------------------------------------------------------------------------

namespace {
struct TTickCounter {
  int Ticks = 0;
  DWORD Thread = 0;
  bool Throw = false;
  void Tick(TObject*) {
    ++Ticks;
    Thread = GetCurrentThreadId();
    if (Throw) throw EInvalidOperation("tick failed");
  }
  TNotifyEvent Event() { return TNotifyEvent::Bind<&TTickCounter::Tick>(this); }
};

UINT_PTR WINAPI RefuseTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }
}  // namespace

TEST(Timer, FiresOnItsThreadUntilDisabled) {
  TTickCounter Counter;
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  EXPECT_TRUE(Timer->Enabled());
  EXPECT_EQ(Timer->Interval(), 1000u);
  Timer->SetInterval(20);
  Timer->SetOnTimer(Counter.Event());
  ASSERT_TRUE(PumpUntil([&] { return Counter.Ticks >= 3; }));
  EXPECT_EQ(Counter.Thread, GetCurrentThreadId());
  Timer->SetEnabled(false);
  int Stopped = Counter.Ticks;
  PumpFor(150);
  EXPECT_EQ(Counter.Ticks, Stopped);
  Timer->SetEnabled(true);
  Timer->SetInterval(0);
  PumpFor(100);
  EXPECT_EQ(Counter.Ticks, Stopped) << "interval 0 never fires";
}

TEST(Timer, FreeingDestroysItsWindowAndStopsTheTicks) {
  TTickCounter Counter;
  TTimer* Timer = TTimer::Create(nullptr);
  Timer->SetInterval(10);
  Timer->SetOnTimer(Counter.Event());
  HWND Wnd = Timer->WindowHandle();
  ASSERT_TRUE(IsWindow(Wnd));
  Timer->Free();
  EXPECT_FALSE(IsWindow(Wnd));
  PumpFor(80);
  EXPECT_EQ(Counter.Ticks, 0);
}

TEST(Timer, RefusedTimerRaisesNotEnoughTimersAvailable) {
  TTickCounter Counter;
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  auto Saved = extctrls_detail::SetTimerFunc;
  extctrls_detail::SetTimerFunc = &RefuseTimer;
  try {
    Timer->SetOnTimer(Counter.Event());
    ADD_FAILURE() << "no exception";
  } catch (EOutOfResources& E) {
    EXPECT_EQ(E.Message(), "Not enough timers available");
  }
  extctrls_detail::SetTimerFunc = Saved;
}

TEST(Timer, ExceptionInOnTimerIsReportedWithTheTimerAsSenderAndTicksGoOn) {
  TExceptionCollector Collector;
  TTickCounter Counter;
  Counter.Throw = true;
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  Timer->SetInterval(10);
  Timer->SetOnTimer(Counter.Event());
  ASSERT_TRUE(PumpUntil([&] { return Counter.Ticks >= 2; }));
  ASSERT_GE(Collector.Reports.size(), 2u);
  EXPECT_EQ(Collector.Reports[0].Message, "tick failed");
  EXPECT_EQ(Collector.Reports[0].Sender, Timer.get());
}
