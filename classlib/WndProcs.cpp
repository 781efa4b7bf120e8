#include "classlib/WndProcs.h"

#include <array>
#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/ModuleRuntime.h"
#include "classlib/SyncObjs.h"
#include "classlib/UnitInit.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE ModuleInstance() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::string ModuleUniqueName(const char* Prefix) {
  char Buf[32];
  std::snprintf(Buf, sizeof Buf, "%p", static_cast<void*>(ModuleInstance()));
  return std::string(Prefix) + "." + Buf;
}

namespace wndprocs_detail {
void HandleCallbackException() noexcept {
  try {
    Application->HandleException(nullptr);
  } catch (...) {
    OutputDebugStringA("exception in the application's exception handler\n");
  }
}

void CallGuarded(const TWndFunction& Method, TMessage& Message) noexcept {
  try {
    Method(Message);
  } catch (...) {
    HandleCallbackException();
  }
}
}  // namespace wndprocs_detail

namespace {
using wndprocs_detail::CallGuarded;
using TSharedMethod = std::shared_ptr<const TWndFunction>;

thread_local HWND t_MessageWindow = nullptr;

// Restores the thread's current window when a nested call ends.
class TCurrentWindow {
public:
  explicit TCurrentWindow(HWND Wnd) noexcept : FSaved(t_MessageWindow) { t_MessageWindow = Wnd; }
  ~TCurrentWindow() { t_MessageWindow = FSaved; }
  TCurrentWindow(const TCurrentWindow&) = delete;
  TCurrentWindow& operator=(const TCurrentWindow&) = delete;

private:
  HWND FSaved;
};

LRESULT Deliver(const TSharedMethod& Method, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TCurrentWindow Current(Wnd);
  TMessage Message{Msg, WParam, LParam, 0};
  CallGuarded(*Method, Message);
  return Message.Result;
}

TWndFunction FromMethod(TWndMethod Method) {
  if (!Method) throw EInvalidOperation("A window method must be assigned");
  return [Method](TMessage& M) { Method(M); };
}

// ---- Registered classes -----------------------------------------------------------------

struct TClassRegistry {
  TCriticalSection Lock;
  std::vector<std::string> Names;
};

TClassRegistry& Classes() {
  static TClassRegistry* const R = [] {  // outlives every static destructor
    AtModuleRelease([] { delete &Classes(); });
    return new TClassRegistry;
  }();
  return *R;
}

// ---- Object instances: a pool of compiled trampolines -----------------------------------

constexpr int kPoolSize = 1024;

struct TInstanceSlot {
  TSharedMethod Method;  // nullptr: free
  unsigned FreedAt = 0;  // release sequence, so that the slot freed longest ago is reused first
};

struct TInstancePool {
  TCriticalSection Lock;
  std::array<TInstanceSlot, kPoolSize> Slots;
  unsigned Sequence = 0;
  int InUse = 0;
};

TInstancePool& Pool() {
  static TInstancePool* const P = [] {
    AtModuleRelease([] { delete &Pool(); });
    return new TInstancePool;
  }();
  return *P;
}

LRESULT DispatchInstance(int Index, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TSharedMethod Method;
  {
    auto& P = Pool();
    std::lock_guard Guard(P.Lock);
    Method = P.Slots[static_cast<size_t>(Index)].Method;
  }
  if (!Method) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  return Deliver(Method, Wnd, Msg, WParam, LParam);
}

template <int I> LRESULT CALLBACK Trampoline(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return DispatchInstance(I, Wnd, Msg, WParam, LParam);
}

template <int... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeTrampolines(std::integer_sequence<int, I...>) {
  return {&Trampoline<I>...};
}

constexpr std::array<WNDPROC, kPoolSize> kTrampolines =
    MakeTrampolines(std::make_integer_sequence<int, kPoolSize>{});

// ---- Utility windows ----------------------------------------------------------------------

// Kept in the window's extra bytes; the window owns it until DeallocateHWnd or WM_NCDESTROY.
struct TUtilWindowData {
  TSharedMethod Method;
};

// Creation parameter: the window takes Data over at WM_NCCREATE; what is left belongs to the caller.
struct TUtilWindowCreate {
  TUtilWindowData* Data;
};

TUtilWindowData* UtilData(HWND Wnd) {
  return reinterpret_cast<TUtilWindowData*>(GetWindowLongPtrA(Wnd, 0));
}

LRESULT CALLBACK UtilWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* Create = static_cast<TUtilWindowCreate*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
    SetWindowLongPtrA(Wnd, 0, reinterpret_cast<LONG_PTR>(std::exchange(Create->Data, nullptr)));
  }
  TUtilWindowData* Data = UtilData(Wnd);
  if (Msg == WM_NCDESTROY && Data) {
    SetWindowLongPtrA(Wnd, 0, 0);
    TSharedMethod Method = std::move(Data->Method);
    delete Data;
    Deliver(Method, Wnd, Msg, WParam, LParam);
    return DefWindowProcA(Wnd, Msg, WParam, LParam);
  }
  if (!Data) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TSharedMethod Method = Data->Method;  // survives a DeallocateHWnd made by the method
  return Deliver(Method, Wnd, Msg, WParam, LParam);
}

TCriticalSection g_UtilClassLock;
bool g_UtilClassRegistered = false;

void EnsureUtilClass() {
  std::lock_guard Guard(g_UtilClassLock);
  if (g_UtilClassRegistered) return;
  WNDCLASSA Class{};
  Class.lpfnWndProc = &UtilWndProc;
  Class.cbWndExtra = sizeof(void*);
  Class.lpszClassName = UtilWindowClassName().c_str();
  RegisterModuleWindowClass(Class);
  g_UtilClassRegistered = true;
}

void ShutdownWindowClasses() { UnregisterModuleWindowClasses(); }

// Early in the class library's band, so it is shut down after every unit that made windows.
const TUnitRegistration g_WndProcsUnit(urClassLibrary + 1, {"WndProcs", nullptr, &ShutdownWindowClasses});
}  // namespace

HWND MessageWindow() noexcept { return t_MessageWindow; }

// ---- Window classes -------------------------------------------------------------------------

void RegisterModuleWindowClass(WNDCLASSA Class) {
  Class.hInstance = ModuleInstance();
  auto& R = Classes();
  std::lock_guard Guard(R.Lock);
  WNDCLASSA Existing;
  if (GetClassInfoA(Class.hInstance, Class.lpszClassName, &Existing) &&
      Existing.lpfnWndProc == Class.lpfnWndProc) {
    for (const auto& N : R.Names)
      if (N == Class.lpszClassName) return;
    R.Names.emplace_back(Class.lpszClassName);
    return;
  }
  if (!RegisterClassA(&Class))
    throw EOutOfResources(std::string("Cannot register the window class ") + Class.lpszClassName);
  R.Names.emplace_back(Class.lpszClassName);
}

void UnregisterModuleWindowClasses() {
  {
    std::lock_guard Guard(g_UtilClassLock);
    g_UtilClassRegistered = false;
  }
  auto& R = Classes();
  std::lock_guard Guard(R.Lock);
  for (auto It = R.Names.rbegin(); It != R.Names.rend(); ++It)
    UnregisterClassA(It->c_str(), ModuleInstance());
  R.Names.clear();
}

const std::string& UtilWindowClassName() {
  static const std::string Name = ModuleUniqueName("VdUtilWindow");
  return Name;
}

// ---- Utility windows ------------------------------------------------------------------------

HWND AllocateHWnd(TWndMethod Method) { return AllocateHWnd(FromMethod(Method)); }

HWND AllocateHWnd(TWndFunction Method) {
  if (!Method) throw EInvalidOperation("A window method must be assigned");
  EnsureUtilClass();
  TUtilWindowCreate Create{new TUtilWindowData{std::make_shared<const TWndFunction>(std::move(Method))}};
  HWND Wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClassName().c_str(), "", WS_POPUP, 0, 0, 0,
                             0, nullptr, nullptr, ModuleInstance(), &Create);
  delete Create.Data;  // still ours only when the window never got it
  if (!Wnd) throw EOutOfResources("Cannot create a utility window");
  return Wnd;
}

void DeallocateHWnd(HWND Wnd) {
  if (!Wnd || !IsWindow(Wnd)) return;
  TUtilWindowData* Data = UtilData(Wnd);
  if (Data) SetWindowLongPtrA(Wnd, 0, 0);
  DestroyWindow(Wnd);
  delete Data;
}

// ---- Object instances -----------------------------------------------------------------------

WNDPROC MakeObjectInstance(TWndMethod Method) { return MakeObjectInstance(FromMethod(Method)); }

WNDPROC MakeObjectInstance(TWndFunction Method) {
  if (!Method) throw EInvalidOperation("A window method must be assigned");
  auto Shared = std::make_shared<const TWndFunction>(std::move(Method));
  auto& P = Pool();
  std::lock_guard Guard(P.Lock);
  int Best = -1;
  for (int I = 0; I < kPoolSize; ++I) {
    const auto& S = P.Slots[static_cast<size_t>(I)];
    if (!S.Method && (Best < 0 || S.FreedAt < P.Slots[static_cast<size_t>(Best)].FreedAt)) Best = I;
  }
  if (Best < 0) throw EOutOfResources("Too many window procedure instances");
  P.Slots[static_cast<size_t>(Best)].Method = std::move(Shared);
  ++P.InUse;
  return kTrampolines[static_cast<size_t>(Best)];
}

void FreeObjectInstance(WNDPROC Instance) {
  if (!Instance) return;
  TSharedMethod Released;  // destroyed outside the lock
  auto& P = Pool();
  std::lock_guard Guard(P.Lock);
  for (size_t I = 0; I < kTrampolines.size(); ++I) {
    if (kTrampolines[I] != Instance) continue;
    auto& S = P.Slots[I];
    if (!S.Method) return;
    Released = std::move(S.Method);
    S.Method = nullptr;
    S.FreedAt = ++P.Sequence;
    --P.InUse;
    return;
  }
}

int ObjectInstanceCapacity() noexcept { return kPoolSize; }

int ObjectInstancesInUse() noexcept {
  auto& P = Pool();
  std::lock_guard Guard(P.Lock);
  return P.InUse;
}
