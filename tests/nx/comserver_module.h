// Test data modules for the COM server tests, shared by the in-process test program and the test
// server library: an apartment module with two shell objects and a plain component, and a
// thread-free module with one shell object whose release the test can veto.
#pragma once

#include <string>
#include <vector>

#include "nx/NxComObj.h"
#include "tests/nx/comserver_clsids.h"

class TTestPlainPart : public TComponent {
  VD_CLASS(TTestPlainPart, TComponent);

public:
  using TComponent::TComponent;
};

class TTestShellModule : public TNxModule {
  VD_CLASS(TTestShellModule, TNxModule);

public:
  explicit TTestShellModule(TComponent* AOwner) : TNxModule(AOwner) { ++Live; }
  static inline int Live = 0;
  // "before <Sender> 1", "on <Sender> 1", "after ..." in calling order; a handler raises while
  // FailOn names its stage.
  static inline std::vector<std::string> Log;
  static inline std::string FailOn;

  void RecordBefore(TObject* Sender, bool Register) { Record("before", Sender, Register); }
  void RecordOn(TObject* Sender, bool Register) { Record("on", Sender, Register); }
  void RecordAfter(TObject* Sender, bool Register) { Record("after", Sender, Register); }

protected:
  ~TTestShellModule() override { --Live; }

private:
  static void Record(const std::string& Stage, TObject* Sender, bool Register);
};

class TTestFreeModule : public TNxModule {
  VD_CLASS(TTestFreeModule, TNxModule);

public:
  explicit TTestFreeModule(TComponent* AOwner) : TNxModule(AOwner) { ++Live; }
  static inline int Live = 0;
  static inline bool KeepModule = false;  // the release veto
  void AllowRelease(bool& Allow) { Allow = !KeepModule; }

protected:
  ~TTestFreeModule() override { --Live; }
};
