// Editors as the IDE meets them, for the editor tests: made from the rows of the plug-in's
// registration table (registered once per program, as InitExperts does) and driven through the
// IDE's slots, so nothing they raise escapes: it lands in the IDE's report. A designer counts its
// Modified notices, a sink collects offered values; the editors' dialogs run under
// testsupport::TFakeUIServices and are driven as the user would drive them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "classlib/ComCtrls.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/Nx_Experts.h"

class TCountingDesigner final : public IIdeDesigner {
public:
  void IDE_SLOT Modified() override { ++Count; }
  int Count = 0;
};

class TValueSink final : public IIdeStringSink {
public:
  void IDE_SLOT Add(const char* Value) override { Lines.push_back(Value); }
  std::vector<std::string> Lines;
};

struct TReleaseEditor {
  template <class E> void operator()(E* Editor) const { Editor->Release(); }
};
using TIdePropertyEditorPtr = std::unique_ptr<IIdePropertyEditor, TReleaseEditor>;
using TIdeComponentEditorPtr = std::unique_ptr<IIdeComponentEditor, TReleaseEditor>;

// The row the plug-in registers for ComponentClass and PropertyName ("" for a component editor); a
// failed expectation and an empty row when there is none.
inline TIdeEditorRegistration EditorRow(const std::string& ComponentClass, const std::string& PropertyName = "") {
  static const bool Registered = (Nx_Experts::RegisterEditors(), true);
  (void)Registered;
  TIdeEditorRegistration Row{};
  for (int32_t I = 0; IdeEditorRegistration(I, &Row); ++I)
    if (ComponentClass == Row.ComponentClass && PropertyName == Row.PropertyName) return Row;
  ADD_FAILURE() << "no editor registered for " << ComponentClass << " " << PropertyName;
  return TIdeEditorRegistration{};
}

inline TIdeComponentEditorPtr MakeComponentEditor(const std::string& ComponentClass, IIdeDesigner* Designer,
                                                  TComponent* Component) {
  return TIdeComponentEditorPtr(CreateIdeComponentEditor(EditorRow(ComponentClass), Designer, Component));
}

inline TIdePropertyEditorPtr MakePropertyEditor(const std::string& ComponentClass, const std::string& PropertyName,
                                                IIdeDesigner* Designer, TPersistent* Component) {
  return TIdePropertyEditorPtr(
      CreateIdePropertyEditor(EditorRow(ComponentClass, PropertyName), Designer, {Component}, PropertyName));
}

// What the user does: a row selected with the mouse, text typed into an edit box (EN_CHANGE follows).
inline void SelectRow(TListView* List, int Index) {
  LVITEMA State{};
  State.stateMask = State.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&State));
}
inline void Type(TEdit* Edit, const std::string& Text) {
  SendMessageA(Edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
}
