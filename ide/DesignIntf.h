// Property and component editors as the IDE sees them (stand-in, see IdeApi.h).
//
// A plug-in registers each editor with a factory (IdeRegisterPropertyEditor /
// IdeRegisterComponentEditor); when the object inspector or the form designer needs one, the IDE
// calls the factory with its designer and the selected components and talks to the editor through
// these slots. The plug-in side writes its editors on the class-library bases of DesignEditors.h,
// which register and adapt them; this header is only the boundary.
#pragma once

#include "ide/IdeApi.h"

// What the object inspector offers for a property (GetAttributes).
enum TPropertyAttribute : uint32_t {
  paValueList = 1u << 0,    // a drop-down list of values (GetValues)
  paDialog = 1u << 1,       // an ellipsis button that opens the editor's dialog (Edit)
  paMultiSelect = 1u << 2,  // shown while several components are selected
};

// The form designer of the edited components.
class IIdeDesigner {
public:
  // Tells the designer that a component (or the form) was modified.
  virtual void IDE_SLOT Modified() = 0;

protected:
  ~IIdeDesigner() = default;
};

// Receives the values of a value list, one call each.
class IIdeStringSink {
public:
  virtual void IDE_SLOT Add(const char* Value) = 0;

protected:
  ~IIdeStringSink() = default;
};

// A property editor made for one use; Release frees it. Failures go to IdeHandleException.
class IIdePropertyEditor {
public:
  virtual void IDE_SLOT Release() = 0;
  virtual uint32_t IDE_SLOT GetAttributes() = 0;
  // nullptr when it failed.
  virtual const char* IDE_SLOT GetValue() = 0;
  virtual bool IDE_SLOT SetValue(const char* Value) = 0;
  virtual bool IDE_SLOT GetValues(IIdeStringSink* Proc) = 0;
  virtual bool IDE_SLOT Edit() = 0;

protected:
  ~IIdePropertyEditor() = default;
};

// A component editor made for one use; Release frees it.
class IIdeComponentEditor {
public:
  virtual void IDE_SLOT Release() = 0;
  virtual int32_t IDE_SLOT GetVerbCount() = 0;
  // The verb's caption ("" for an index without one); nullptr when it failed.
  virtual const char* IDE_SLOT GetVerb(int32_t Index) = 0;
  virtual bool IDE_SLOT ExecuteVerb(int32_t Index) = 0;
  virtual bool IDE_SLOT Edit() = 0;

protected:
  ~IIdeComponentEditor() = default;
};

#if defined(__i386__)
static_assert(sizeof(TIdeEditorRegistration) == 32, "the registration row is part of the boundary");
#endif
