// Module creation and the IDE's services (stand-in, see IdeApi.h).
//
// A wizard has the IDE create a new unit by handing `ToolServices()->ModuleCreate` a module creator:
// the IDE asks the creator for its names, chooses the unit and form identifiers, asks for the module
// source (in the C++ IDE also for the header's name and text), tells it that the form exists, and
// returns the new module (one reference for the caller). The IDE never keeps the creator.
//
// The IDE's global services object (`BorlandIDEServices()`) answers QueryInterface for the module
// services and the IDE services; the modules it lists answer it for the project group and project
// interfaces. These four interface identifiers are the only fixed part; the slots are ours.
#pragma once

#include "ide/ExptIntf.h"

// ---- Module creation --------------------------------------------------------------------------

// Module-creation flags, bit n for flag n.
enum TCreateModuleFlag : uint16_t {
  cmAddToProject = 1 << 0,
  cmShowSource = 1 << 1,
  cmShowForm = 1 << 2,
  cmUnNamed = 1 << 3,
  cmNewUnit = 1 << 4,
  cmNewForm = 1 << 5,
  cmMainForm = 1 << 6,
  cmMarkModified = 1 << 7,
  cmNewFile = 1 << 8,
  cmExisting = 1 << 9,
};

// A module of the IDE, as ModuleCreate returns it.
class TIModuleInterface : public TInterface {
public:
  virtual const char* IDE_SLOT GetFileName() = 0;

protected:
  ~TIModuleInterface() = default;
};

// The form (or data module) the IDE made for a new module.
class TIFormInterface : public TInterface {
public:
  virtual const char* IDE_SLOT GetFormName() = 0;

protected:
  ~TIFormInterface() = default;
};

// The module creator; the nine slots in the IDE's order. The source slots return nullptr when they
// failed (the exception went to IdeHandleException).
class TIModuleCreatorEx : public TInterface {
public:
  virtual bool IDE_SLOT Existing() = 0;
  virtual const char* IDE_SLOT GetAncestorName() = 0;
  virtual const char* IDE_SLOT GetFileName() = 0;
  virtual const char* IDE_SLOT GetFileSystem() = 0;
  virtual const char* IDE_SLOT GetFormName() = 0;
  virtual const char* IDE_SLOT NewModuleSource(const char* UnitIdent, const char* FormIdent,
                                               const char* AncestorIdent) = 0;
  virtual void IDE_SLOT FormCreated(TIFormInterface* Form) = 0;
  virtual const char* IDE_SLOT GetIntfName() = 0;
  virtual const char* IDE_SLOT NewIntfSource(const char* UnitIdent, const char* FormIdent,
                                             const char* AncestorIdent) = 0;

protected:
  ~TIModuleCreatorEx() = default;
};

// The tool services: a global of the IDE, not reference-counted.
class TIToolServices {
public:
  // The active project's file ("" when none).
  virtual const char* IDE_SLOT GetProjectName() = 0;
  virtual bool IDE_SLOT IsFileOpen(const char* FileName) = 0;
  // The new module (one reference for the caller), nil when the IDE could not create it.
  virtual TIModuleInterface* IDE_SLOT ModuleCreate(TIModuleCreatorEx* Creator, uint16_t CreateFlags) = 0;

protected:
  ~TIToolServices() = default;
};

// ---- The IDE's module and project services ----------------------------------------------------

// {F17A7BCD-E07D-11D1-AB0B-00C04FB16FB3}
inline constexpr GUID IID_IIdeModuleServices = {0xF17A7BCD, 0xE07D, 0x11D1, {0xAB, 0x0B, 0x00, 0xC0, 0x4F, 0xB1, 0x6F, 0xB3}};
// {7FD1CE91-E053-11D1-AB0B-00C04FB16FB3}
inline constexpr GUID IID_IIdeServices = {0x7FD1CE91, 0xE053, 0x11D1, {0xAB, 0x0B, 0x00, 0xC0, 0x4F, 0xB1, 0x6F, 0xB3}};
// {F17A7BCB-E07D-11D1-AB0B-00C04FB16FB3}
inline constexpr GUID IID_IIdeProjectGroup = {0xF17A7BCB, 0xE07D, 0x11D1, {0xAB, 0x0B, 0x00, 0xC0, 0x4F, 0xB1, 0x6F, 0xB3}};
// {06C88136-F367-4D47-B8B4-CCACB3D7439A}
inline constexpr GUID IID_IIdeProject = {0x06C88136, 0xF367, 0x4D47, {0xB8, 0xB4, 0xCC, 0xAC, 0xB3, 0xD7, 0x43, 0x9A}};

class IIdeModule;
class IIdeProject;

// Getters that return an interface hand the caller one reference.
class IIdeModuleServices : public IUnknown {
public:
  virtual int32_t IDE_SLOT GetModuleCount() = 0;
  virtual IIdeModule* IDE_SLOT GetModule(int32_t Index) = 0;
};

class IIdeServices : public IUnknown {
public:
  // The IDE's main window (the owner of its message boxes).
  virtual HWND IDE_SLOT GetParentHandle() = 0;
};

// An open module; a project group or a project answers QueryInterface for its own interface.
class IIdeModule : public IUnknown {
public:
  virtual const char* IDE_SLOT GetFileName() = 0;
};

class IIdeProjectGroup : public IIdeModule {
public:
  virtual IIdeProject* IDE_SLOT GetActiveProject() = 0;
};

// What a project knows of one of its modules (returned typed; it has no identifier of its own).
class IIdeModuleInfo : public IUnknown {
public:
  virtual const char* IDE_SLOT GetFileName() = 0;
  // The module's form or data module name; "" for a plain unit.
  virtual const char* IDE_SLOT GetFormName() = 0;
};

class IIdeProject : public IIdeModule {
public:
  virtual int32_t IDE_SLOT GetModuleCount() = 0;
  virtual IIdeModuleInfo* IDE_SLOT GetModuleInfo(int32_t Index) = 0;
};

// ---- The globals, as the plug-ins read them ----------------------------------------------------

inline TIToolServices* ToolServices() { return IdeToolServices(); }
inline IUnknown* BorlandIDEServices() { return IdeBorlandIDEServices(); }
