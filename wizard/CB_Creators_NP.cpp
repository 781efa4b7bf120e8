#include "wizard/CB_Creators_NP.h"

#include "classlib/SysUtils.h"
#include "wizard/NxWizardUnitOrder.h"
#include "wizard/Nx_IsBuilder.h"

std::string UnitExtension;

void UpdateUnitExtension() { UnitExtension = IsBuilderName(HostProgramPath()) ? ".cpp" : ".pas"; }

namespace {
void ClearUnitExtension() { UnitExtension.clear(); }
const TUnitRegistration kUnit(nxwCreators, {"CB_Creators_NP", &UpdateUnitExtension, &ClearUnitExtension});

std::string Text(const char* S) { return S ? S : ""; }
}  // namespace

std::string TCBIModuleCreator::FreeUnitFileName(TIToolServices& Tools) const {
  const std::string Folder = ExtractFilePath(Text(Tools.GetProjectName()));
  const bool CppIde = UnitExtension == ".cpp";  // its unit has a header too, which may be the user's own
  for (int N = 1; N <= kMaxUnitNumber; ++N) {
    const std::string Base = Folder + "Unit" + IntToStr(N);
    if (FileExists(Base + UnitExtension) || FileExists(Base + ".dfm") || (CppIde && FileExists(Base + ".h")) ||
        Tools.IsFileOpen((Base + UnitExtension).c_str()))
      continue;
    return Base + UnitExtension;
  }
  throw Exception("No free unit name in \"" + Folder + "\": Unit1 to Unit" + IntToStr(kMaxUnitNumber) +
                  " are all taken");
}

void TCBIModuleCreator::Execute() {
  TIToolServices* Tools = ToolServices();
  if (!Tools) throw Exception("The IDE's tool services are not available");
  if (CreateFlags & cmNewUnit) FileName = FreeUnitFileName(*Tools);
  TIModuleInterface* Module = Tools->ModuleCreate(this, CreateFlags);
  try {
    OnCreated(this, Module);
  } catch (...) {
    if (Module) Module->Release();
    throw;
  }
  if (Module) Module->Release();
}

const char* TCBIModuleCreator::NewModuleSource(const char* UnitIdent, const char* FormIdent,
                                               const char* AncestorIdent) {
  return CallGuarded([&] {
           FormName = Text(FormIdent);
           if (!OnNewModuleSource) throw Exception("Unable to generate module source");
           FSource.clear();
           OnNewModuleSource(Text(UnitIdent), FormName, Text(AncestorIdent), FSource);
         })
             ? FSource.c_str()
             : nullptr;
}

void TCBIModuleCreator::FormCreated(TIFormInterface* Form) {
  CallGuarded([&] { OnFormCreated(this, Form); });
}

const char* TCBIModuleCreator::GetIntfName() {
  return CallGuarded([&] {
           FIntfName.clear();
           OnGetIntfName(FIntfName);
         })
             ? FIntfName.c_str()
             : nullptr;
}

const char* TCBIModuleCreator::NewIntfSource(const char* UnitIdent, const char* FormIdent,
                                             const char* AncestorIdent) {
  return CallGuarded([&] {
           FIntfSource.clear();
           OnNewIntfSource(Text(UnitIdent), Text(FormIdent), Text(AncestorIdent), FIntfSource);
         })
             ? FIntfSource.c_str()
             : nullptr;
}
