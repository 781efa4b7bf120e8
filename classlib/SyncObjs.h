// Synchronisation objects.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// A recursive lock (a Win32 critical section). Also usable with std::lock_guard / scoped_lock.
class TCriticalSection : public TObject {
  VD_CLASS(TCriticalSection, TObject);

public:
  TCriticalSection() noexcept { InitializeCriticalSection(&FSection); }
  ~TCriticalSection() override { DeleteCriticalSection(&FSection); }

  void Acquire() noexcept { EnterCriticalSection(&FSection); }
  void Release() noexcept { LeaveCriticalSection(&FSection); }
  bool TryEnter() noexcept { return TryEnterCriticalSection(&FSection) != 0; }
  void Enter() noexcept { Acquire(); }
  void Leave() noexcept { Release(); }

  void lock() noexcept { Acquire(); }
  void unlock() noexcept { Release(); }
  bool try_lock() noexcept { return TryEnter(); }

private:
  CRITICAL_SECTION FSection;
};
