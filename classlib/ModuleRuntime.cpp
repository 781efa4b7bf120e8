#include "classlib/ModuleRuntime.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "classlib/UnitInit.h"

namespace __gnu_cxx {
void __freeres() noexcept;  // frees the exception runtime's emergency pool
}

namespace {

// A short lock made of one word (constant-initialised, usable at any time of start-up or shutdown).
class TSpinLock {
public:
  void lock() noexcept {
    while (InterlockedExchange(&FTaken, 1) != 0) Sleep(0);
  }
  void unlock() noexcept { InterlockedExchange(&FTaken, 0); }

private:
  volatile LONG FTaken = 0;
};

// ---- Function-local statics ----------------------------------------------------------------------
// The guard is 64 bits: byte 0 is set once the static is made (the compiler tests it inline),
// byte 1 while a thread makes it, bytes 4..7 that thread's id. Another thread waits; the same
// thread coming back (an initialiser that needs its own static) is a fault, as in the C++ runtime.

struct TGuard {
  uint8_t Done;
  uint8_t Busy;
  uint8_t Unused[2];
  DWORD Owner;
};
static_assert(sizeof(TGuard) == 8);

}  // namespace

extern "C" int __cxa_guard_acquire(int64_t* Guard) {
  auto* G = reinterpret_cast<TGuard*>(Guard);
  const DWORD Self = GetCurrentThreadId();
  for (;;) {
    if (__atomic_load_n(&G->Done, __ATOMIC_ACQUIRE)) return 0;
    uint8_t Idle = 0;
    if (__atomic_compare_exchange_n(&G->Busy, &Idle, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
      if (__atomic_load_n(&G->Done, __ATOMIC_ACQUIRE)) {
        __atomic_store_n(&G->Busy, 0, __ATOMIC_RELEASE);
        return 0;
      }
      __atomic_store_n(&G->Owner, Self, __ATOMIC_RELAXED);
      return 1;
    }
    if (__atomic_load_n(&G->Owner, __ATOMIC_RELAXED) == Self) std::abort();  // recursive initialisation
    Sleep(0);
  }
}

extern "C" void __cxa_guard_release(int64_t* Guard) noexcept {
  auto* G = reinterpret_cast<TGuard*>(Guard);
  __atomic_store_n(&G->Owner, 0, __ATOMIC_RELAXED);
  __atomic_store_n(&G->Done, 1, __ATOMIC_RELEASE);
  __atomic_store_n(&G->Busy, 0, __ATOMIC_RELEASE);
}

extern "C" void __cxa_guard_abort(int64_t* Guard) noexcept {
  auto* G = reinterpret_cast<TGuard*>(Guard);
  __atomic_store_n(&G->Owner, 0, __ATOMIC_RELAXED);
  __atomic_store_n(&G->Busy, 0, __ATOMIC_RELEASE);
}

// ---- thread_local variables ----------------------------------------------------------------------
// The compiler describes each variable with an object of this layout (the runtime's emulated TLS)
// and asks __emutls_get_address for this thread's copy. Each variable gets a number on first use;
// a thread's block holds its copies by number.

namespace {

struct TEmutlsObject {
  uintptr_t Size;
  uintptr_t Align;
  uintptr_t Offset;  // the variable's number, from 1; 0 until first use
  void* Templ;       // initial bytes, or null for zeros
};

struct TThreadBlock {
  TThreadBlock* Prev = nullptr;
  TThreadBlock* Next = nullptr;
  size_t Count = 0;
  void** Vars = nullptr;  // Count copies, null where not made yet
};

TSpinLock g_BlocksLock;
TThreadBlock* g_Blocks = nullptr;  // every thread's block
size_t g_BlockCount = 0;
volatile LONG g_LastOffset = 0;
volatile DWORD g_Slot = TLS_OUT_OF_INDEXES;

DWORD Slot() {
  DWORD Current = g_Slot;
  if (Current != TLS_OUT_OF_INDEXES) return Current;
  const DWORD Made = TlsAlloc();
  if (Made == TLS_OUT_OF_INDEXES) std::abort();
  const DWORD Before = InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&g_Slot), static_cast<LONG>(Made),
                                                  static_cast<LONG>(TLS_OUT_OF_INDEXES));
  if (Before == TLS_OUT_OF_INDEXES) return Made;
  TlsFree(Made);
  return Before;
}

void FreeVar(void* Var) {
  if (Var != nullptr) std::free(static_cast<void**>(Var)[-1]);
}

void FreeBlock(TThreadBlock* Block) {
  for (size_t I = 0; I < Block->Count; ++I) FreeVar(Block->Vars[I]);
  std::free(Block->Vars);
  delete Block;
}

void Unlink(TThreadBlock* Block) {
  if (Block->Prev) Block->Prev->Next = Block->Next;
  else g_Blocks = Block->Next;
  if (Block->Next) Block->Next->Prev = Block->Prev;
  --g_BlockCount;
}

TThreadBlock* ThisThreadBlock(size_t Need) {
  const DWORD Index = Slot();
  auto* Block = static_cast<TThreadBlock*>(TlsGetValue(Index));
  if (Block == nullptr) {
    Block = new TThreadBlock;
    TlsSetValue(Index, Block);
    std::lock_guard<TSpinLock> Lock(g_BlocksLock);
    Block->Next = g_Blocks;
    if (g_Blocks) g_Blocks->Prev = Block;
    g_Blocks = Block;
    ++g_BlockCount;
  }
  if (Block->Count < Need) {
    const size_t Count = Need + 16;
    auto* Vars = static_cast<void**>(std::realloc(Block->Vars, Count * sizeof(void*)));
    if (Vars == nullptr) std::abort();
    std::memset(Vars + Block->Count, 0, (Count - Block->Count) * sizeof(void*));
    Block->Vars = Vars;
    Block->Count = Count;
  }
  return Block;
}

void* MakeVar(const TEmutlsObject* Obj) {
  const uintptr_t Align = Obj->Align > sizeof(void*) ? Obj->Align : sizeof(void*);
  void* Raw = std::malloc(Obj->Size + Align + sizeof(void*));
  if (Raw == nullptr) std::abort();
  const uintptr_t At = (reinterpret_cast<uintptr_t>(Raw) + sizeof(void*) + Align - 1) & ~(Align - 1);
  void* Var = reinterpret_cast<void*>(At);
  static_cast<void**>(Var)[-1] = Raw;
  if (Obj->Templ) std::memcpy(Var, Obj->Templ, Obj->Size);
  else std::memset(Var, 0, Obj->Size);
  return Var;
}

// A thread of the process ends: its block goes (thread_local destructors have run before, in the
// runtime's own callback, which comes first in the module's list).
void NTAPI ThreadVarsCallback(PVOID, DWORD Reason, PVOID) {
  if (Reason != DLL_THREAD_DETACH || g_Slot == TLS_OUT_OF_INDEXES) return;
  auto* Block = static_cast<TThreadBlock*>(TlsGetValue(g_Slot));
  if (Block == nullptr) return;
  TlsSetValue(g_Slot, nullptr);
  {
    std::lock_guard<TSpinLock> Lock(g_BlocksLock);
    Unlink(Block);
  }
  FreeBlock(Block);
}

}  // namespace

extern "C" __attribute__((section(".CRT$XLE"), used)) const PIMAGE_TLS_CALLBACK vd_ThreadVarsCallback =
    ThreadVarsCallback;

extern "C" void* __emutls_get_address(TEmutlsObject* Obj) {
  uintptr_t Offset = __atomic_load_n(&Obj->Offset, __ATOMIC_ACQUIRE);
  if (Offset == 0) {
    uintptr_t Fresh = static_cast<uintptr_t>(InterlockedIncrement(&g_LastOffset));
    uintptr_t Expected = 0;
    Offset = __atomic_compare_exchange_n(&Obj->Offset, &Expected, Fresh, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)
                 ? Fresh
                 : Expected;
  }
  TThreadBlock* Block = ThisThreadBlock(Offset);
  void*& Var = Block->Vars[Offset - 1];
  if (Var == nullptr) Var = MakeVar(Obj);
  return Var;
}

extern "C" void __emutls_register_common(TEmutlsObject* Obj, uintptr_t Size, uintptr_t Align, void* Templ) {
  if (Obj->Size < Size) {
    Obj->Size = Size;
    Obj->Templ = nullptr;
  }
  if (Obj->Align < Align) Obj->Align = Align;
  if (Templ != nullptr && Size == Obj->Size) Obj->Templ = Templ;
}

size_t moduleruntime_detail::ThreadBlockCount() noexcept {
  std::lock_guard<TSpinLock> Lock(g_BlocksLock);
  return g_BlockCount;
}

// ---- Unload ----------------------------------------------------------------------------------------

namespace {

bool g_RealUnload = false;

constexpr int kMaxReleases = 32;
void (*g_Releases[kMaxReleases])() = {};
volatile LONG g_ReleaseCount = 0;

void ReleaseRuntime() noexcept {
  for (LONG I = g_ReleaseCount; I-- > 0;) {
    try {
      if (g_Releases[I]) g_Releases[I]();
    } catch (...) {
    }
  }
  g_ReleaseCount = 0;
  {
    std::lock_guard<TSpinLock> Lock(g_BlocksLock);
    while (g_Blocks) {
      TThreadBlock* Block = g_Blocks;
      Unlink(Block);
      FreeBlock(Block);
    }
  }
  if (g_Slot != TLS_OUT_OF_INDEXES) {
    TlsFree(g_Slot);
    g_Slot = TLS_OUT_OF_INDEXES;
  }
  ReleaseModuleUnits();
  __gnu_cxx::__freeres();
}

// Made before every other static object of the module, so destroyed after all of them: the
// release comes after the last destructor that might still use a thread_local or throw.
struct TLastDestructor {
  ~TLastDestructor() {
    if (g_RealUnload) ReleaseRuntime();
  }
};
__attribute__((init_priority(101))) TLastDestructor g_LastDestructor;

}  // namespace

void AtModuleRelease(void (*Release)()) noexcept {
  const LONG Slot = InterlockedIncrement(&g_ReleaseCount) - 1;
  if (Slot >= kMaxReleases) std::abort();  // raise kMaxReleases
  g_Releases[Slot] = Release;
}

BOOL LibraryDllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) noexcept {
  // Process exit (Reserved non-nil) leaves everything to the system: other threads are gone
  // mid-flight and the heap goes with the process.
  if (Reason == DLL_PROCESS_DETACH && Reserved == nullptr) {
    FinalizeUnits();
    g_RealUnload = true;
  }
  return TRUE;
}
