#include "classlib/UnitInit.h"

#include <windows.h>

#include <exception>
#include <mutex>

namespace {
void ReportStepFailure(const char* Phase, const char* Name, const char* What) {
  std::string text = std::string("unit ") + Phase + " failed: " + (Name ? Name : "?");
  if (What != nullptr && *What != '\0') text += std::string(" (") + What + ")";
  text += "\n";
  OutputDebugStringA(text.c_str());
}

void RunGuarded(const char* Phase, const char* Name, void (*Routine)()) {
  if (Routine == nullptr) return;
  try {
    Routine();
  } catch (const std::exception& e) {
    ReportStepFailure(Phase, Name, e.what());
  } catch (...) {
    ReportStepFailure(Phase, Name, nullptr);
  }
}
}  // namespace

void TUnitInitList::Add(int Rank, const TUnitStep& Step) {
  std::lock_guard<TCriticalSection> lock(mutex_);
  entries_.push_back(Entry{Rank, nextSeq_++, Step, false});
  pending_.fetch_add(1, std::memory_order_release);
}

void TUnitInitList::EnsureStarted() {
  int state = state_.load(std::memory_order_acquire);
  if (state == sFinalized) return;
  if (state == sStarted && pending_.load(std::memory_order_acquire) == 0) return;

  std::lock_guard<TCriticalSection> lock(mutex_);
  if (running_ || state_.load(std::memory_order_relaxed) == sFinalized) return;
  running_ = true;
  for (;;) {
    // The lowest pending (rank, registration) pair; a step may register further steps.
    size_t next = entries_.size();
    for (size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      if (e.Started) continue;
      if (next == entries_.size() || e.Rank < entries_[next].Rank ||
          (e.Rank == entries_[next].Rank && e.Seq < entries_[next].Seq))
        next = i;
    }
    if (next == entries_.size()) break;
    entries_[next].Started = true;
    pending_.fetch_sub(1, std::memory_order_release);
    startOrder_.push_back(next);
    const TUnitStep step = entries_[next].Step;  // entries_ may grow while the step runs
    RunGuarded("start-up", step.Name, step.Initialize);
  }
  running_ = false;
  state_.store(sStarted, std::memory_order_release);
}

void TUnitInitList::Finalize() {
  std::lock_guard<TCriticalSection> lock(mutex_);
  if (state_.load(std::memory_order_relaxed) == sFinalized) return;
  state_.store(sFinalized, std::memory_order_release);
  while (!startOrder_.empty()) {
    const TUnitStep step = entries_[startOrder_.back()].Step;
    startOrder_.pop_back();
    RunGuarded("shutdown", step.Name, step.Finalize);
  }
}

std::vector<std::string> TUnitInitList::StartedNames() const {
  std::lock_guard<TCriticalSection> lock(mutex_);
  std::vector<std::string> names;
  for (size_t i : startOrder_) names.emplace_back(entries_[i].Step.Name ? entries_[i].Step.Name : "");
  return names;
}

namespace {
// Not a static object: shutdown is explicit, and destruction order at exit is not ours to rely on.
TUnitInitList* g_ModuleUnits = nullptr;
}  // namespace

TUnitInitList& ModuleUnits() {
  if (TUnitInitList* List = __atomic_load_n(&g_ModuleUnits, __ATOMIC_ACQUIRE)) return *List;
  auto* Made = new TUnitInitList;
  TUnitInitList* Expected = nullptr;
  if (__atomic_compare_exchange_n(&g_ModuleUnits, &Expected, Made, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
    return *Made;
  delete Made;
  return *Expected;
}

void ReleaseModuleUnits() noexcept {
  delete g_ModuleUnits;
  g_ModuleUnits = nullptr;
}
