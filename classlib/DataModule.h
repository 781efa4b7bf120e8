// TDataModule: a non-visual root component whose components and their properties come from its
// form resource.
#pragma once

#include "classlib/Classes.h"
#include "classlib/FormStream.h"

// Set by the application object: exceptions raised by OnCreate and OnDestroy handlers of data
// modules are handed to it (called inside the catch, so it may rethrow to inspect them) and go no
// further. While it is nil they propagate.
extern void (*ApplicationHandleException)(TObject* Sender);

// Construction (T::Create(Owner) or a class reference's Create) runs, after the C++ constructors:
//   1. the descriptions of the class and its ancestors below TDataModule (InitInheritedComponent;
//      a descendant without any raises EResNotFound "Resource TX not found"), with Loaded;
//   2. OnCreate when OldCreateOrder is True;
//   3. Constructed(), the descendant's hook (it sees every streamed value);
//   4. OnCreate when OldCreateOrder is False.
// Free runs OnDestroy (OldCreateOrder False), Destructing(), OnDestroy (OldCreateOrder True), then
// frees the components. OnDestroy only follows an OnCreate that ran; Destructing only follows a
// Constructed that ran. Live data modules are found by name for "Module.Component" references.
class TDataModule : public TComponent {
  VD_CLASS(TDataModule, TComponent);

public:
  explicit TDataModule(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void DefineProperties(TFiler* Filer) override;

  bool OldCreateOrder() const noexcept { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) noexcept { FOldCreateOrder = Value; }
  // Where the designer shows the module ("Left", "Top", "Width", "Height" in its description).
  POINT DesignOffset() const noexcept { return FDesignOffset; }
  void SetDesignOffset(POINT Value) noexcept { FDesignOffset = Value; }
  POINT DesignSize() const noexcept { return FDesignSize; }
  void SetDesignSize(POINT Value) noexcept { FDesignSize = Value; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

protected:
  ~TDataModule() override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void Constructed() {}
  virtual void Destructing() {}

private:
  bool HandleCreateException();

  bool FOldCreateOrder = false;
  bool FCreateCalled = false;
  bool FConstructedCalled = false;
  POINT FDesignOffset{};
  POINT FDesignSize{};
};

using TDataModuleClass = TClassRef<TDataModule>;

// The live data module named Name (the newest one made on the calling thread first), nil when none.
TDataModule* FindDataModule(const std::string& Name);
