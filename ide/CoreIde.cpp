// CoreIde70.bpl and CoreIde60.bpl: the stand-in for the IDE's core package, as far as experts go
// (one source, two file names: the plug-ins for the version-7 and version-6 IDEs bind it by name).
// It exports the variable that holds the expert-services object and the object's AddExpert and
// RemoveExpert under the names the plug-ins look up (CoreIde_<arch>.def), keeps the experts it is
// given in order, and lets its IDE walk them. Like the IDE, it never takes a reference on an expert.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "ide/ExptIntf.h"

namespace {

class TStandInExpertServices final : public TExpertServices {
public:
  int32_t IDE_SLOT ExpertCount() override { return static_cast<int32_t>(Experts.size()); }
  TIExpert* IDE_SLOT Expert(int32_t Index) override {
    return Index >= 0 && static_cast<size_t>(Index) < Experts.size() ? Experts[static_cast<size_t>(Index)] : nullptr;
  }
  std::vector<TIExpert*> Experts;
};

TStandInExpertServices g_Services;

}  // namespace

extern "C" {

// "@Exptmain@ExpertServices": the variable, exported as data.
TExpertServices* ExpertServicesVariable = &g_Services;

void IDE_REGISTER AddExpertEntry(TExpertServices* Self, TIExpert* Expert) {
  auto* Services = static_cast<TStandInExpertServices*>(Self);
  if (Services != &g_Services || !Expert) return;
  try {
    Services->Experts.push_back(Expert);
  } catch (...) {
  }
}

void IDE_REGISTER RemoveExpertEntry(TExpertServices* Self, TIExpert* Expert) {
  auto* Services = static_cast<TStandInExpertServices*>(Self);
  if (Services != &g_Services) return;
  auto At = std::find(Services->Experts.begin(), Services->Experts.end(), Expert);
  if (At != Services->Experts.end()) Services->Experts.erase(At);
}

}  // extern "C"
