// Editors as the IDE makes them, for the editor tests: the row this program registered for a
// component class (and property), the editor made from it behind the IDE's slots, released at the
// end of the scope, and a designer that counts Modified.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ide/DesignEditors.h"

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

// The row registered for ComponentClass and PropertyName ("" for a component editor); a failed
// expectation and an empty row when there is none.
inline TIdeEditorRegistration EditorRow(const std::string& ComponentClass, const std::string& PropertyName = "") {
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

inline std::string LastReportedException() {
  const char* Message = IdeLastException();
  return Message ? Message : "";
}
