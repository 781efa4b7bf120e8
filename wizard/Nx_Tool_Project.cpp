#include "wizard/Nx_Tool_Project.h"

#include "classlib/ComServ.h"
#include "classlib/Forms.h"
#include "ide/ToolIntf.h"

namespace {

template <class T> TComPtr<T> Query(IUnknown* Object, const GUID& Iid) {
  TComPtr<T> Result;
  if (Object) Object->QueryInterface(Iid, Result.ReceiveVoid());
  return Result;
}

// The project group's active project; without a group the last open project; nil without either.
TComPtr<IIdeProject> ActiveProject(IIdeModuleServices* Modules) {
  TComPtr<IIdeProject> Project;
  if (!Modules) return Project;
  const int32_t Count = Modules->GetModuleCount();
  for (int32_t I = 0; I < Count; ++I) {
    auto Module = TComPtr<IIdeModule>::Adopt(Modules->GetModule(I));
    if (auto Group = Query<IIdeProjectGroup>(Module.Get(), IID_IIdeProjectGroup))
      return TComPtr<IIdeProject>::Adopt(Group->GetActiveProject());
    if (auto Candidate = Query<IIdeProject>(Module.Get(), IID_IIdeProject)) Project = Candidate;
  }
  return Project;
}

// The IDE's main window, the owner of the IDE's message boxes; nil when it has none.
HWND IdeMainWindow() {
  auto Ide = Query<IIdeServices>(BorlandIDEServices(), IID_IIdeServices);
  return Ide ? Ide->GetParentHandle() : nullptr;
}

}  // namespace

TStringList* GetProjectFormClasses() {
  TObjectPtr<TStringList> Classes(new TStringList);
  auto Modules = Query<IIdeModuleServices>(BorlandIDEServices(), IID_IIdeModuleServices);
  auto Project = ActiveProject(Modules.Get());
  if (!Project) {
    Application->MessageBox("Active project could not found", "Error", MB_ICONERROR, IdeMainWindow());
    return Classes.release();
  }
  const int32_t Count = Project->GetModuleCount();
  for (int32_t I = 0; I < Count; ++I) {
    auto Info = TComPtr<IIdeModuleInfo>::Adopt(Project->GetModuleInfo(I));
    const char* FormName = Info ? Info->GetFormName() : nullptr;
    if (FormName && *FormName) Classes->Add(std::string("T") + FormName);
  }
  return Classes.release();
}
