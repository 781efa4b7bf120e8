#include "wizard/CB_LibIntf.h"

#include "wizard/NxWizardBuild.h"

TExpertServicesBinding::TExpertServicesBinding(std::string LibraryName, TLoadLibraryA Load, TGetProcAddress Resolve)
    : FLibraryName(std::move(LibraryName)), FLoad(Load), FResolve(Resolve) {}

void TExpertServicesBinding::Bind() {
  if (FBound) return;
  FBound = true;
  FCoreModule = FLoad(FLibraryName.c_str());
  if (!FCoreModule) return;
  FVariable = reinterpret_cast<TExpertServices**>(FResolve(FCoreModule, kCoreIdeExpertServices));
  auto Add = reinterpret_cast<TExpertServicesMethod>(FResolve(FCoreModule, kCoreIdeAddExpert));
  auto Remove = reinterpret_cast<TExpertServicesMethod>(FResolve(FCoreModule, kCoreIdeRemoveExpert));
  // A variable that holds no object counts as not resolved.
  if (FVariable) FServices = *FVariable;
  if (!FServices) return;
  FAddExpert = Add;
  FRemoveExpert = Remove;
}

void TExpertServicesBinding::AddExpert(TIExpert* Expert) {
  Bind();
  if (FAddExpert) FAddExpert(FServices, Expert);
}

void TExpertServicesBinding::RemoveExpert(TIExpert* Expert) {
  if (FRemoveExpert) FRemoveExpert(FServices, Expert);
}

TExpertServicesBinding& ExpertServicesBinding() {
  static TExpertServicesBinding Binding(ThisBuild().CorePackageName);
  return Binding;
}

void BindExpertServices() { ExpertServicesBinding().Bind(); }
void AddExpertToIDE(TIExpert* Expert) { ExpertServicesBinding().AddExpert(Expert); }
void RemoveExpertFromIDE(TIExpert* Expert) { ExpertServicesBinding().RemoveExpert(Expert); }
