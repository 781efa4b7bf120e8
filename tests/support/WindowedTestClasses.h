// Components that behave like windowed controls for the form reader without any window: a
// TTestWin keeps its child list, frees its children when it is freed (as a windowed control frees
// its child controls) and leaves its parent when it goes. TTestWinForm is a root with published
// fields for the names the tests use. Header-only with the class definitions: include it in one
// source of a program (the form-stream tests, the reader's fuzz target).
#pragma once

#include <algorithm>
#include <vector>

#include "classlib/Classes.h"

class TTestWin : public TComponent {
  VD_CLASS(TTestWin, TComponent);

public:
  using TComponent::TComponent;
  int FLeft = 0;
  TComponent* FBuddy = nullptr;

  TTestWin* ParentWin() const { return FParent; }
  const std::vector<TTestWin*>& Children() const { return FChildren; }
  TComponent* GetParentComponent() const override { return FParent; }

protected:
  void SetParentComponent(TComponent* Value) override {
    auto* NewParent = dynamic_cast<TTestWin*>(Value);
    if (NewParent == FParent) return;
    if (FParent) FParent->FChildren.erase(std::find(FParent->FChildren.begin(), FParent->FChildren.end(), this));
    FParent = NewParent;
    if (FParent) FParent->FChildren.push_back(this);
  }
  void BeforeDestroyComponents() override {
    while (!FChildren.empty()) FChildren.back()->Free();  // each takes itself out of the list
    inherited::BeforeDestroyComponents();
  }
  void BeforeDestruction() override {
    SetParentComponent(nullptr);
    inherited::BeforeDestruction();
  }

private:
  TTestWin* FParent = nullptr;
  std::vector<TTestWin*> FChildren;
};
VD_DEFINE_CLASS(TTestWin) {
  C.Property("Left", &TTestWin::FLeft, &TTestWin::FLeft).Default(0);
  C.Property("Buddy", &TTestWin::FBuddy, &TTestWin::FBuddy);
}

class TTestWinForm : public TTestWin {
  VD_CLASS(TTestWinForm, TTestWin);

public:
  using TTestWin::TTestWin;
  TTestWin* P = nullptr;
  TTestWin* Q = nullptr;
  TTestWin* Z = nullptr;
};
VD_DEFINE_CLASS(TTestWinForm) {
  C.Field("P", &TTestWinForm::P);
  C.Field("Q", &TTestWinForm::Q);
  C.Field("Z", &TTestWinForm::Z);
}
