#include "ide/DesignEditors.h"

#include "classlib/TypInfo.h"
#include "ide/IdeInterfaced.h"

VD_DEFINE_CLASS(TPropertyEditor) {}
VD_DEFINE_CLASS(TStringProperty) {}
VD_DEFINE_CLASS(TIntegerProperty) {}
VD_DEFINE_CLASS(TComponentEditor) {}

// ---- TPropertyEditor --------------------------------------------------------------------------

void TPropertyEditor::Initialize(IIdeDesigner* Designer, std::vector<TPersistent*> Components,
                                 std::string PropertyName) {
  FDesigner = Designer;
  FComponents = std::move(Components);
  FPropertyName = std::move(PropertyName);
}

TPropertyAttributes TPropertyEditor::GetAttributes() { return paMultiSelect; }
std::string TPropertyEditor::GetValue() { return {}; }
void TPropertyEditor::SetValue(const std::string&) {}
void TPropertyEditor::GetValues(const TGetStrProc&) {}
void TPropertyEditor::Edit() {}

TPersistent* TPropertyEditor::GetComponent(int Index) const {
  return Index >= 0 && Index < PropCount() ? FComponents[static_cast<size_t>(Index)] : nullptr;
}

void TPropertyEditor::Modified() {
  if (FDesigner) FDesigner->Modified();
}

std::string TPropertyEditor::GetStrValue() const {
  TPersistent* First = GetComponent(0);
  return First ? GetStrProp(First, FPropertyName) : std::string();
}

int TPropertyEditor::GetOrdValue() const {
  TPersistent* First = GetComponent(0);
  return First ? static_cast<int>(GetOrdProp(First, FPropertyName)) : 0;
}

void TPropertyEditor::SetStrValue(const std::string& Value) {
  for (TPersistent* Component : FComponents) SetStrProp(Component, FPropertyName, Value);
  Modified();
}

void TPropertyEditor::SetOrdValue(int Value) {
  for (TPersistent* Component : FComponents) SetOrdProp(Component, FPropertyName, Value);
  Modified();
}

std::string TStringProperty::GetValue() { return GetStrValue(); }
void TStringProperty::SetValue(const std::string& Value) { SetStrValue(Value); }

std::string TIntegerProperty::GetValue() { return IntToStr(GetOrdValue()); }
void TIntegerProperty::SetValue(const std::string& Value) { SetOrdValue(StrToInt(Value)); }

// ---- TComponentEditor -------------------------------------------------------------------------

void TComponentEditor::Initialize(IIdeDesigner* Designer, TComponent* Component) {
  FDesigner = Designer;
  FComponent = Component;
}

int TComponentEditor::GetVerbCount() { return 0; }
std::string TComponentEditor::GetVerb(int) { return {}; }
void TComponentEditor::ExecuteVerb(int) {}

void TComponentEditor::Edit() {
  if (GetVerbCount() > 0) ExecuteVerb(0);
}

void TComponentEditor::Modified() {
  if (FDesigner) FDesigner->Modified();
}

// ---- The editors behind the boundary's slots --------------------------------------------------

namespace {

class TPropertyEditorSlots final : public IIdePropertyEditor {
public:
  explicit TPropertyEditorSlots(TPropertyEditor* Editor) : FEditor(Editor) {}
  void IDE_SLOT Release() override { delete this; }
  uint32_t IDE_SLOT GetAttributes() override {
    TPropertyAttributes Result = 0;
    CallGuarded([&] { Result = FEditor->GetAttributes(); });
    return Result;
  }
  const char* IDE_SLOT GetValue() override {
    return CallGuarded([&] { FText = FEditor->GetValue(); }) ? FText.c_str() : nullptr;
  }
  bool IDE_SLOT SetValue(const char* Value) override {
    return CallGuarded([&] { FEditor->SetValue(Value ? Value : ""); });
  }
  bool IDE_SLOT GetValues(IIdeStringSink* Proc) override {
    return CallGuarded([&] {
      FEditor->GetValues([Proc](const std::string& Value) {
        if (Proc) Proc->Add(Value.c_str());
      });
    });
  }
  bool IDE_SLOT Edit() override {
    return CallGuarded([&] { FEditor->Edit(); });
  }

private:
  ~TPropertyEditorSlots() = default;
  TObjectPtr<TPropertyEditor> FEditor;
  std::string FText;
};

class TComponentEditorSlots final : public IIdeComponentEditor {
public:
  explicit TComponentEditorSlots(TComponentEditor* Editor) : FEditor(Editor) {}
  void IDE_SLOT Release() override { delete this; }
  int32_t IDE_SLOT GetVerbCount() override {
    int Result = 0;
    CallGuarded([&] { Result = FEditor->GetVerbCount(); });
    return Result;
  }
  const char* IDE_SLOT GetVerb(int32_t Index) override {
    return CallGuarded([&] { FText = FEditor->GetVerb(Index); }) ? FText.c_str() : nullptr;
  }
  bool IDE_SLOT ExecuteVerb(int32_t Index) override {
    return CallGuarded([&] { FEditor->ExecuteVerb(Index); });
  }
  bool IDE_SLOT Edit() override {
    return CallGuarded([&] { FEditor->Edit(); });
  }

private:
  ~TComponentEditorSlots() = default;
  TObjectPtr<TComponentEditor> FEditor;
  std::string FText;
};

// The factories registered with every row; FactoryData is the editor's class.
IIdePropertyEditor* IDE_SLOT MakePropertyEditor(void* FactoryData, IIdeDesigner* Designer, void* const* Components,
                                                int32_t Count, const char* PropertyName) {
  IIdePropertyEditor* Result = nullptr;
  CallGuarded([&] {
    std::vector<TPersistent*> Selected;
    for (int32_t I = 0; I < Count; ++I) Selected.push_back(static_cast<TPersistent*>(Components[I]));
    TObjectPtr<TPropertyEditor> Editor(TPropertyEditorClass(static_cast<TClass>(FactoryData)).Create());
    Editor->Initialize(Designer, std::move(Selected), PropertyName ? PropertyName : "");
    Result = new TPropertyEditorSlots(Editor.release());
  });
  return Result;
}

IIdeComponentEditor* IDE_SLOT MakeComponentEditor(void* FactoryData, IIdeDesigner* Designer, void* Component) {
  IIdeComponentEditor* Result = nullptr;
  CallGuarded([&] {
    TObjectPtr<TComponentEditor> Editor(TComponentEditorClass(static_cast<TClass>(FactoryData)).Create());
    Editor->Initialize(Designer, static_cast<TComponent*>(Component));
    Result = new TComponentEditorSlots(Editor.release());
  });
  return Result;
}

void* ClassData(TClass AClass) { return const_cast<TMetaClass*>(AClass); }

}  // namespace

void RegisterPropertyEditor(const TTypeInfo* PropertyType, TClass ComponentClass, const std::string& PropertyName,
                            TPropertyEditorClass EditorClass) {
  if (!EditorClass) throw EInvalidOperation("A property editor is registered without its class");
  IdeRegisterPropertyEditor(PropertyType ? PropertyType->Name.c_str() : "",
                            ComponentClass ? ComponentClass->ClassName().c_str() : "", PropertyName.c_str(),
                            EditorClass->ClassName().c_str(), &MakePropertyEditor, ClassData(EditorClass));
}

void RegisterComponentEditor(TClass ComponentClass, TComponentEditorClass EditorClass) {
  if (!EditorClass) throw EInvalidOperation("A component editor is registered without its class");
  IdeRegisterComponentEditor(ComponentClass ? ComponentClass->ClassName().c_str() : "",
                             EditorClass->ClassName().c_str(), &MakeComponentEditor, ClassData(EditorClass));
}

IIdePropertyEditor* CreateIdePropertyEditor(const TIdeEditorRegistration& Row, IIdeDesigner* Designer,
                                            const std::vector<TPersistent*>& Components,
                                            const std::string& PropertyName) {
  if (Row.Kind != irkPropertyEditor || !Row.Factory) return nullptr;
  std::vector<void*> Selected(Components.begin(), Components.end());
  return reinterpret_cast<TIdePropertyEditorFactory>(Row.Factory)(
      Row.FactoryData, Designer, Selected.data(), static_cast<int32_t>(Selected.size()), PropertyName.c_str());
}

IIdeComponentEditor* CreateIdeComponentEditor(const TIdeEditorRegistration& Row, IIdeDesigner* Designer,
                                              TComponent* Component) {
  if (Row.Kind != irkComponentEditor || !Row.Factory) return nullptr;
  return reinterpret_cast<TIdeComponentEditorFactory>(Row.Factory)(Row.FactoryData, Designer, Component);
}
