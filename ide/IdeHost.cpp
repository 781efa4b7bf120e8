// ide-host.exe: the stand-in IDE that loads one design-time plug-in. Named bcb.exe it is the C++ IDE,
// under any other name the Pascal IDE. It finds ide-design.dll and the core packages
// (CoreIde70.bpl, CoreIde60.bpl) in its own folder; without a core package it is an IDE without one.
//
//   ide-host.exe --plugin <dll> --list
//       loads the plug-in, calls InitExperts and prints, tab-separated, one line per expert the core
//       package received and one per editor registration, then unloads the plug-in:
//         expert <GetIDString> style=<n> state=<n> page=<GetPage> menu=<GetMenuText>
//         property <type> <component class> <property> <editor class>
//         component <component class> <editor class>
//         unloaded experts=<experts still registered>
//   ide-host.exe --plugin <dll> --project <project file> --run "<expert name>"
//       runs the expert's Execute with that project active and prints each file the IDE wrote:
//         wrote <path>
//
// An exception a plug-in reports is printed as "error <message>" and makes the exit code 1; a
// wrong command line gives 2.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "classlib/SysUtils.h"
#include "ide/DesignIntf.h"
#include "ide/IdeStandIn.h"

namespace {

struct TOptions {
  std::string Plugin, Project, Run;
  bool List = false;
};

bool ParseOptions(int Argc, char** Argv, TOptions& Options) {
  for (int I = 1; I < Argc; ++I) {
    const std::string Arg = Argv[I];
    const bool HasValue = I + 1 < Argc;
    if (Arg == "--list")
      Options.List = true;
    else if (Arg == "--plugin" && HasValue)
      Options.Plugin = Argv[++I];
    else if (Arg == "--project" && HasValue)
      Options.Project = Argv[++I];
    else if (Arg == "--run" && HasValue)
      Options.Run = Argv[++I];
    else
      return false;
  }
  if (Options.Plugin.empty() || Options.List == !Options.Run.empty()) return false;
  return Options.List || !Options.Project.empty();
}

std::string FullPath(const std::string& Name) {
  char Buffer[MAX_PATH * 2];
  DWORD Length = GetFullPathNameA(Name.c_str(), sizeof Buffer, Buffer, nullptr);
  return Length > 0 && Length < sizeof Buffer ? std::string(Buffer, Length) : Name;
}

std::string HostProgram() {
  char Buffer[MAX_PATH * 2];
  DWORD Length = GetModuleFileNameA(nullptr, Buffer, sizeof Buffer);
  return std::string(Buffer, Length < sizeof Buffer ? Length : 0);
}

std::string Text(const char* S) { return S ? S : ""; }

// A core package the IDE loaded, with its expert-services object.
struct TCorePackage {
  HMODULE Module = nullptr;
  TExpertServices* Services = nullptr;
};

std::vector<TCorePackage> LoadCorePackages(const std::string& Folder) {
  std::vector<TCorePackage> Packages;
  for (const char* Name : {"CoreIde70.bpl", "CoreIde60.bpl"}) {
    const std::string Path = Folder + Name;
    if (!FileExists(Path)) continue;
    TCorePackage Package;
    Package.Module = LoadLibraryA(Path.c_str());
    if (!Package.Module) continue;
    if (auto* Variable = reinterpret_cast<TExpertServices**>(GetProcAddress(Package.Module, kCoreIdeExpertServices)))
      Package.Services = *Variable;
    if (Package.Services) Packages.push_back(Package);
  }
  return Packages;
}

std::vector<TIExpert*> Experts(const std::vector<TCorePackage>& Packages) {
  std::vector<TIExpert*> All;
  for (const TCorePackage& Package : Packages)
    for (int32_t I = 0; I < Package.Services->ExpertCount(); ++I) All.push_back(Package.Services->Expert(I));
  return All;
}

// Prints the exception a plug-in reported since the last check; true when there was one.
bool ReportException() {
  const char* Message = IdeLastException();
  if (!Message) return false;
  std::printf("error\t%s\n", Message);
  IdeClearException();
  return true;
}

void ListExperts(const std::vector<TCorePackage>& Packages) {
  for (TIExpert* Expert : Experts(Packages))
    std::printf("expert\t%s\tstyle=%u\tstate=%u\tpage=%s\tmenu=%s\n", Text(Expert->GetIDString()).c_str(),
                Expert->GetStyle(), Expert->GetState(), Text(Expert->GetPage()).c_str(),
                Text(Expert->GetMenuText()).c_str());
}

void ListRegistrations() {
  TIdeEditorRegistration Row{};
  for (int32_t I = 0; IdeEditorRegistration(I, &Row); ++I) {
    if (Row.Kind == irkPropertyEditor)
      std::printf("property\t%s\t%s\t%s\t%s\n", Row.PropertyType, Row.ComponentClass, Row.PropertyName,
                  Row.EditorClass);
    else
      std::printf("component\t%s\t%s\n", Row.ComponentClass, Row.EditorClass);
  }
}

// The expert whose identity string is Name; failing that, the one it is ignoring case and the blanks
// around it.
TIExpert* FindExpert(const std::vector<TCorePackage>& Packages, const std::string& Name) {
  const std::vector<TIExpert*> All = Experts(Packages);
  for (TIExpert* Expert : All)
    if (Text(Expert->GetIDString()) == Name) return Expert;
  for (TIExpert* Expert : All)
    if (AnsiSameText(Trim(Text(Expert->GetIDString())), Trim(Name))) return Expert;
  return nullptr;
}

int RunHost(const TOptions& Options) {
  const std::string Program = HostProgram();
  TStandInIde Ide;
  Ide.SetCppIde(AnsiSameText(ExtractFileName(Program), "bcb.exe"));
  if (!Options.Project.empty()) Ide.OpenProject(FullPath(Options.Project));
  IdeSetToolServices(&Ide);
  IdeSetBorlandIDEServices(Ide.Services());
  const std::vector<TCorePackage> Packages = LoadCorePackages(ExtractFilePath(Program));

  HMODULE Plugin = LoadLibraryA(FullPath(Options.Plugin).c_str());
  if (!Plugin) {
    std::printf("error\tcannot load %s (error %lu)\n", Options.Plugin.c_str(), GetLastError());
    return 1;
  }
  bool Failed = false;
  using TInitExperts = void(IDE_SLOT*)();
  if (auto InitExperts = reinterpret_cast<TInitExperts>(GetProcAddress(Plugin, "InitExperts"))) {
    InitExperts();
    Failed = ReportException();
  } else {
    std::printf("error\t%s has no InitExperts\n", Options.Plugin.c_str());
    Failed = true;
  }

  if (Options.List) {
    ListExperts(Packages);
    ListRegistrations();
  } else if (TIExpert* Expert = FindExpert(Packages, Options.Run)) {
    Expert->Execute();
    for (const std::string& File : Ide.Written()) std::printf("wrote\t%s\n", File.c_str());
    Failed = ReportException() || Failed;
  } else {
    std::printf("error\tno expert named \"%s\"\n", Options.Run.c_str());
    Failed = true;
  }

  IdeUnloadLibrary(Plugin);
  Failed = ReportException() || Failed;
  if (Options.List) std::printf("unloaded\texperts=%u\n", static_cast<unsigned>(Experts(Packages).size()));
  IdeSetBorlandIDEServices(nullptr);
  IdeSetToolServices(nullptr);
  return Failed ? 1 : 0;
}

}  // namespace

int main(int Argc, char** Argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  TOptions Options;
  if (!ParseOptions(Argc, Argv, Options)) {
    std::fprintf(stderr,
                 "usage: ide-host.exe --plugin <dll> --list\n"
                 "       ide-host.exe --plugin <dll> --project <project file> --run \"<expert name>\"\n");
    return 2;
  }
  const int Result = RunHost(Options);
  std::fflush(stdout);
  return Result;
}
