// The stand-in IDE's services: what ide-host.exe (and the tests that play the IDE) install as
// `ToolServices()` and `BorlandIDEServices()` (see ToolIntf.h).
//
// The tool services know the active project's file, which files are open, and create modules as
// the IDE would: ModuleCreate asks the creator for its names, takes the base name of the creator's
// FileName as the unit identifier and its AncestorName followed by "1" as the form identifier, asks
// for the module source (in the C++ IDE also for the header's name and text), tells the creator
// that the form exists, and then writes the source to FileName and the header beside it, byte for
// byte. It never replaces a file: when one of the unit's files exists, or one cannot be made, it
// reports "Cannot write <file>: <cause>" and leaves none of them behind. The new files count as
// open and join the project (with cmAddToProject).
//
// The global services list the open modules - projects, project groups and plain units - for the
// module walk, and give the IDE's main window (the one SetMainWindow gave; ide-host.exe has none).
#pragma once

#include <string>
#include <vector>

#include "ide/ToolIntf.h"

class TStandInModule;

class TStandInIde : public TIToolServices {
public:
  TStandInIde();
  ~TStandInIde();
  TStandInIde(const TStandInIde&) = delete;
  TStandInIde& operator=(const TStandInIde&) = delete;

  // Opens a project (appended to the open modules) and makes it the active one. Returns its module.
  TStandInModule* OpenProject(const std::string& ProjectFile);
  // A project group whose active project is Active (appended to the open modules).
  TStandInModule* OpenProjectGroup(const std::string& GroupFile, TStandInModule* Active);
  // A plain open unit.
  TStandInModule* OpenUnit(const std::string& FileName);
  // Adds a module to a project: its file and its form name ("" for a plain unit).
  static void AddToProject(TStandInModule* Project, const std::string& FileName, const std::string& FormName);

  void SetCppIde(bool Value) { FCppIde = Value; }
  void SetMainWindow(HWND Value) { FMainWindow = Value; }
  void MarkOpen(const std::string& FileName) { FOpenFiles.push_back(FileName); }

  // The files ModuleCreate wrote, in order.
  const std::vector<std::string>& Written() const { return FWritten; }
  // Module interfaces handed out by ModuleCreate and not released yet.
  int LiveModules() const { return FLiveModules; }
  // The global services object (BorlandIDEServices); lives as long as this object.
  IUnknown* Services() const;

  // TIToolServices
  const char* IDE_SLOT GetProjectName() override;
  bool IDE_SLOT IsFileOpen(const char* FileName) override;
  TIModuleInterface* IDE_SLOT ModuleCreate(TIModuleCreatorEx* Creator, uint16_t CreateFlags) override;

private:
  class TServices;
  class TNewModule;
  TIModuleInterface* CreateModule(TIModuleCreatorEx* Creator, uint16_t CreateFlags);
  TStandInModule* Append(TStandInModule* Module);

  bool FCppIde = false;
  HWND FMainWindow = nullptr;
  TStandInModule* FActiveProject = nullptr;
  std::string FProjectName;
  std::vector<std::string> FOpenFiles;
  std::vector<std::string> FWritten;
  int FLiveModules = 0;
  TServices* FServices;
};

// An open module of the stand-in IDE: a unit, a project or a project group (each answers
// QueryInterface only for its own kind).
class TStandInModule final : public IIdeProjectGroup, public IIdeProject {
public:
  enum TKind { mkUnit, mkProject, mkProjectGroup };
  TStandInModule(TKind Kind, std::string FileName) : FKind(Kind), FFileName(std::move(FileName)) {}

  HRESULT IDE_SLOT QueryInterface(REFIID Iid, void** Object) override;
  ULONG IDE_SLOT AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }
  ULONG IDE_SLOT Release() override;
  const char* IDE_SLOT GetFileName() override { return FFileName.c_str(); }
  IIdeProject* IDE_SLOT GetActiveProject() override;
  int32_t IDE_SLOT GetModuleCount() override { return static_cast<int32_t>(FModules.size()); }
  IIdeModuleInfo* IDE_SLOT GetModuleInfo(int32_t Index) override;

  IIdeModule* AsModule() { return static_cast<IIdeProject*>(this); }

private:
  friend class TStandInIde;
  ~TStandInModule();
  TKind FKind;
  std::string FFileName;
  volatile LONG FRefCount = 1;
  TStandInModule* FActive = nullptr;              // project groups
  std::vector<IIdeModuleInfo*> FModules;          // projects
};
