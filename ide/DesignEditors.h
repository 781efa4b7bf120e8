// The IDE's property- and component-editor bases, on the plug-in's side of the boundary (linked
// into each plug-in; the IDE sees them only through the slots of DesignIntf.h).
//
// A property editor serves one property (by name) of the selected components: the object inspector
// shows GetValue, offers GetValues when the attributes hold paValueList, writes typed text through
// SetValue and opens Edit for paDialog. A component editor adds verbs to a component's menu in the
// form designer. Both tell the designer through Modified when they changed a component. Editors are
// made for one use: the IDE creates one through the factory registered with it, Initialize gives it
// the designer and the components, and Release frees it.
//
//   RegisterPropertyEditor(TypeInfoOf<TStrings*>(), ClassOf<TNxShellPropSheetExt>(), "PropertySheets",
//                          TPropertyEditorClass::Of<TNxSPSFormsClassesProperty>());
//
// Editor classes carry VD_CLASS and a public default constructor (the factory makes them through
// their class reference).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "ide/DesignIntf.h"

using TPropertyAttributes = uint32_t;  // TPropertyAttribute bits
using TGetStrProc = std::function<void(const std::string& Value)>;

class TPropertyEditor : public TObject {
  VD_CLASS(TPropertyEditor, TObject);

public:
  TPropertyEditor() = default;
  // The IDE's part, once after creation: the designer, the selected components, the property name.
  void Initialize(IIdeDesigner* Designer, std::vector<TPersistent*> Components, std::string PropertyName);

  // Base: [paMultiSelect].
  virtual TPropertyAttributes GetAttributes();
  // Base: "".
  virtual std::string GetValue();
  // Base: nothing.
  virtual void SetValue(const std::string& Value);
  // Calls Proc once per value of the drop-down list. Base: no values.
  virtual void GetValues(const TGetStrProc& Proc);
  // Base: nothing.
  virtual void Edit();

  // Selected component Index (0 is the first), nil when there is none.
  TPersistent* GetComponent(int Index) const;
  int PropCount() const { return static_cast<int>(FComponents.size()); }
  // The edited property's name.
  const std::string& GetName() const { return FPropertyName; }
  IIdeDesigner* Designer() const { return FDesigner; }
  // Tells the designer that the components were modified.
  void Modified();

protected:
  // The property's value of the first component, through its published property.
  std::string GetStrValue() const;
  int GetOrdValue() const;
  // Writes the property of every selected component.
  void SetStrValue(const std::string& Value);
  void SetOrdValue(int Value);

private:
  IIdeDesigner* FDesigner = nullptr;
  std::vector<TPersistent*> FComponents;
  std::string FPropertyName;
};
using TPropertyEditorClass = TClassRef<TPropertyEditor>;

// A string property: its text as value, typed text written as it is.
class TStringProperty : public TPropertyEditor {
  VD_CLASS(TStringProperty, TPropertyEditor);

public:
  std::string GetValue() override;
  void SetValue(const std::string& Value) override;
};

// An integer property: its number as value; typed text must be a number (EConvertError "'x' is not a
// valid integer value") within the property's range (EPropertyError).
class TIntegerProperty : public TPropertyEditor {
  VD_CLASS(TIntegerProperty, TPropertyEditor);

public:
  std::string GetValue() override;
  void SetValue(const std::string& Value) override;
};

class TComponentEditor : public TObject {
  VD_CLASS(TComponentEditor, TObject);

public:
  TComponentEditor() = default;
  void Initialize(IIdeDesigner* Designer, TComponent* Component);

  // The verbs the editor adds to the component's menu. Base: none.
  virtual int GetVerbCount();
  virtual std::string GetVerb(int Index);
  virtual void ExecuteVerb(int Index);
  // A double click on the component. Base: the first verb, when there is one.
  virtual void Edit();

  TComponent* Component() const { return FComponent; }
  IIdeDesigner* Designer() const { return FDesigner; }
  // Tells the designer that the component (or its form) was modified.
  void Modified();

private:
  IIdeDesigner* FDesigner = nullptr;
  TComponent* FComponent = nullptr;
};
using TComponentEditorClass = TClassRef<TComponentEditor>;

// The IDE's registration calls. PropertyType names the property's type (its TypeInfo name:
// "TStrings", "string", "integer"); ComponentClass nil and PropertyName "" match any.
void RegisterPropertyEditor(const TTypeInfo* PropertyType, TClass ComponentClass, const std::string& PropertyName,
                            TPropertyEditorClass EditorClass);
void RegisterComponentEditor(TClass ComponentClass, TComponentEditorClass EditorClass);

// What the IDE does with a registration row of this plug-in: an editor behind the boundary's slots.
// Components are the plug-in's own objects (TPersistent*, TComponent*).
IIdePropertyEditor* CreateIdePropertyEditor(const TIdeEditorRegistration& Row, IIdeDesigner* Designer,
                                            const std::vector<TPersistent*>& Components,
                                            const std::string& PropertyName);
IIdeComponentEditor* CreateIdeComponentEditor(const TIdeEditorRegistration& Row, IIdeDesigner* Designer,
                                              TComponent* Component);
