// The module creator: the object a wizard hands the IDE to have a new unit created (ToolIntf.h). It
// holds the names and flags the IDE asks for and passes every source request to its owner's
// callbacks. With the new-unit flag (cmNewUnit) Execute first picks the unit's file name: the first
// UnitN (N = 1, 2, ...) in the active project's folder whose unit and form files (in the C++ IDE
// also its header) do not exist and that the IDE does not have open.
//
// UnitExtension is the new unit's extension for the host: ".cpp" in the C++ IDE, else ".pas".
#pragma once

#include <string>

#include "classlib/System.h"
#include "ide/IdeInterfaced.h"
#include "ide/ToolIntf.h"

class TCBIModuleCreator;

// (UnitIdent, FormIdent, AncestorIdent, var Source)
using TNewSourceEvent = TEvent<const std::string&, const std::string&, const std::string&, std::string&>;
using TModuleCreatedEvent = TEvent<TCBIModuleCreator* /*Sender*/, TIModuleInterface* /*Module*/>;
using TFormCreatedEvent = TEvent<TCBIModuleCreator* /*Sender*/, TIFormInterface* /*Form*/>;
using TGetIntfNameEvent = TEvent<std::string& /*IntfName*/>;

extern std::string UnitExtension;
// Sets UnitExtension from the host program (at unit start; tests after SetHostProgramPath).
void UpdateUnitExtension();

class TCBIModuleCreator : public TIdeInterfaced<TIModuleCreatorEx> {
public:
  // Default flags: add to project, show source, show form, unnamed, mark modified.
  static constexpr uint16_t kDefaultCreateFlags = 143;
  // The free-name search gives up after this many names (an IDE that reports every name open).
  static constexpr int kMaxUnitNumber = 10000;

  TCBIModuleCreator() = default;

  bool IsExisting() const noexcept { return FExisting; }
  void SetExisting(bool Value) noexcept { FExisting = Value; }
  std::string AncestorName;  // without the leading T
  std::string FormName;      // replaced by the form identifier of each NewModuleSource
  uint16_t CreateFlags = kDefaultCreateFlags;
  std::string FileName;      // set by Execute with cmNewUnit; empty lets the IDE choose
  std::string FileSystem;
  TNewSourceEvent OnNewModuleSource;
  TModuleCreatedEvent OnCreated;
  TFormCreatedEvent OnFormCreated;
  TGetIntfNameEvent OnGetIntfName;
  TNewSourceEvent OnNewIntfSource;

  // Has the IDE create the module (ToolServices' ModuleCreate); Exception when the IDE has no tool
  // services or no free unit name is left.
  void Execute();
  // The owner's release.
  void Free() { Release(); }

  // The slots.
  bool IDE_SLOT Existing() override { return FExisting; }
  const char* IDE_SLOT GetAncestorName() override { return AncestorName.c_str(); }
  const char* IDE_SLOT GetFileName() override { return FileName.c_str(); }
  const char* IDE_SLOT GetFileSystem() override { return FileSystem.c_str(); }
  const char* IDE_SLOT GetFormName() override { return FormName.c_str(); }
  // Exception "Unable to generate module source" without OnNewModuleSource.
  const char* IDE_SLOT NewModuleSource(const char* UnitIdent, const char* FormIdent,
                                       const char* AncestorIdent) override;
  void IDE_SLOT FormCreated(TIFormInterface* Form) override;
  const char* IDE_SLOT GetIntfName() override;
  const char* IDE_SLOT NewIntfSource(const char* UnitIdent, const char* FormIdent,
                                     const char* AncestorIdent) override;

protected:
  ~TCBIModuleCreator() override = default;

private:
  std::string FreeUnitFileName(TIToolServices& Tools) const;
  bool FExisting = false;
  std::string FSource, FIntfName, FIntfSource;  // what the slots last returned
};
