// The binding of the IDE's core package: its expert-services object and the object's AddExpert and
// RemoveExpert, looked up by name in the library this build names (ExptIntf.h, NxWizardBuild.h).
//
// The first AddExpertToIDE binds: it loads the package, resolves the variable that holds the
// services object and the two methods, and keeps the calls only when the variable gave an object.
// Without the package or its variable no expert reaches the IDE and nothing is shown. The package
// is never freed. Removal never binds: an expert that was never added has nothing to remove.
#pragma once

#include <windows.h>

#include <string>

#include "ide/ExptIntf.h"

using TLoadLibraryA = HMODULE(WINAPI*)(LPCSTR FileName);
using TGetProcAddress = FARPROC(WINAPI*)(HMODULE Module, LPCSTR Name);

class TExpertServicesBinding {
public:
  explicit TExpertServicesBinding(std::string LibraryName, TLoadLibraryA Load = &LoadLibraryA,
                                  TGetProcAddress Resolve = &GetProcAddress);

  // Binds once; later calls return at once.
  void Bind();
  bool Bound() const noexcept { return FBound; }
  // The services object, nil when the variable was not resolved (or held none).
  TExpertServices* Services() const noexcept { return FServices; }

  // Each only when its method was resolved.
  void AddExpert(TIExpert* Expert);
  void RemoveExpert(TIExpert* Expert);

private:
  std::string FLibraryName;
  TLoadLibraryA FLoad;
  TGetProcAddress FResolve;
  bool FBound = false;
  HMODULE FCoreModule = nullptr;
  TExpertServices** FVariable = nullptr;
  TExpertServices* FServices = nullptr;
  TExpertServicesMethod FAddExpert = nullptr;
  TExpertServicesMethod FRemoveExpert = nullptr;
};

// The binding of this library (its build's core package).
TExpertServicesBinding& ExpertServicesBinding();

void BindExpertServices();
void AddExpertToIDE(TIExpert* Expert);
void RemoveExpertFromIDE(TIExpert* Expert);
