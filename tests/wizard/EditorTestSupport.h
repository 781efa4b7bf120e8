// Property editors as the IDE meets them: made from their registration rows and driven through the
// IDE's slots (so nothing they raise escapes; it lands in the IDE's report), with a designer that
// counts its Modified notices. Their dialogs run under testsupport::TFakeUIServices.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "ide/DesignEditors.h"
#include "tests/support/DialogTestSupport.h"
#include "wizard/Nx_DefaultShellFolderIcon.h"
#include "wizard/Nx_PropertySheetEditor.h"
#include "wizard/Nx_Property_GUID.h"
#include "wizard/Nx_ShellCommandEditor.h"

class TCountingDesigner final : public IIdeDesigner {
public:
  void IDE_SLOT Modified() override { ++Count; }
  int Count = 0;
};

struct TIdeEditorRelease {
  void operator()(IIdePropertyEditor* Editor) const {
    if (Editor) Editor->Release();
  }
};
using TIdePropertyEditorPtr = std::unique_ptr<IIdePropertyEditor, TIdeEditorRelease>;

// The editor the IDE makes for Property of Component from the row registered for ComponentClass.
inline TIdePropertyEditorPtr IdePropertyEditor(const std::string& ComponentClass, const std::string& Property,
                                               TPersistent* Component, IIdeDesigner* Designer) {
  static const bool Registered = [] {
    Nx_PropertySheetEditor_DoRegister();
    Nx_Property_GUID_DoRegister();
    Nx_DefaultShellFolderIcon_DoRegister();
    Nx_ShellCommandEditor_DoRegister();
    return true;
  }();
  (void)Registered;
  for (int32_t I = 0; I < IdeEditorRegistrationCount(); ++I) {
    TIdeEditorRegistration Row{};
    if (IdeEditorRegistration(I, &Row) && Row.ComponentClass == ComponentClass && Row.PropertyName == Property)
      return TIdePropertyEditorPtr(CreateIdePropertyEditor(Row, Designer, {Component}, Property));
  }
  ADD_FAILURE() << "no editor is registered for " << ComponentClass << "." << Property;
  return nullptr;
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

inline std::string IdeReport() {
  const char* Message = IdeLastException();
  return Message ? Message : "";
}
