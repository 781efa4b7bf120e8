// Ordered start-up and shutdown of a module's units.
//
// A unit registers one step (a start-up and a shutdown routine) with a rank at static
// initialisation; registering only records the step, so it is safe under the loader lock.
// The steps run later, on first use (EnsureUnitsStarted), in rank order, once per module, and are
// shut down in reverse order by FinalizeUnits, which a library calls when it is unloaded
// (DLL_PROCESS_DETACH with a null reserved pointer), never at process exit.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "classlib/SyncObjs.h"

// Rank bands in the module's fixed load order; a unit adds its place inside its band.
enum TUnitRank : int {
  urClassLibrary = 1000,
  urNxLibrary = 2000,
  urProjectDataModules = 3000,
  urLxLibrary = 4000,
  urProjectForms = 5000,
};

struct TUnitStep {
  const char* Name;
  void (*Initialize)();  // may be null
  void (*Finalize)();    // may be null
};

class TUnitInitList {
public:
  // Records a step. Steps of equal rank keep their registration order.
  void Add(int Rank, const TUnitStep& Step);

  // Starts every step not started yet, in rank order. Thread-safe; other threads wait until the
  // run is over. A call from inside a running step (same thread) returns at once: the steps
  // ranked before the running one have started already. A step that throws is reported with
  // OutputDebugStringA and counts as started (its unit keeps its "not bound" state).
  // After FinalizeUnits nothing starts again.
  void EnsureStarted();

  // Shuts the started steps down in the reverse order of their start. Idempotent.
  void Finalize();

  bool Started() const { return state_.load(std::memory_order_acquire) == sStarted; }
  bool Finalized() const { return state_.load(std::memory_order_acquire) == sFinalized; }
  // Names of the started steps in start order (for diagnostics and tests).
  std::vector<std::string> StartedNames() const;

private:
  enum State { sIdle, sStarted, sFinalized };
  struct Entry {
    int Rank;
    unsigned Seq;
    TUnitStep Step;
    bool Started;
  };

  mutable TCriticalSection mutex_;
  std::atomic<int> state_{sIdle};
  std::atomic<int> pending_{0};  // registered steps not started yet
  bool running_ = false;
  unsigned nextSeq_ = 0;
  std::vector<Entry> entries_;
  std::vector<size_t> startOrder_;  // indexes into entries_
};

// The list of this module (one per exe or dll), made by the first registration. Kept through
// process exit; a library's real unload frees it last (ReleaseModuleUnits, ModuleRuntime.h).
TUnitInitList& ModuleUnits();
void ReleaseModuleUnits() noexcept;

// Convenience wrappers over ModuleUnits().
inline void EnsureUnitsStarted() { ModuleUnits().EnsureStarted(); }
inline void FinalizeUnits() { ModuleUnits().Finalize(); }

// Registers a step with ModuleUnits() from a namespace-scope initialiser:
//   static const TUnitRegistration reg(urNxLibrary + 10, {"NxTools", &Init, &Fini});
struct TUnitRegistration {
  TUnitRegistration(int Rank, const TUnitStep& Step) { ModuleUnits().Add(Rank, Step); }
};
