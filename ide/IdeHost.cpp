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
//       runs the expert's Execute with that project (an existing file) active and prints each file
//       the IDE wrote:
//         wrote <path>
//   ide-host.exe --help
//       prints the usage.
//
// An exception a plug-in reports is printed as "error <message>" and makes the exit code 1, as does
// a plug-in that cannot be loaded or has no InitExperts, and an expert that cannot be found or run
// (each said in words). A core package that is there but cannot be loaded is no missing one: --run
// of an expert not found says why, as for a plug-in; --list lists what it can, says why on stderr and
// gives 1. A wrong command line (--run "" among them) gives 2: what was wrong and the usage on
// stderr; so does a --project that names no existing file.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "ide/DesignIntf.h"
#include "ide/IdeStandIn.h"

namespace {

struct TOptions {
  std::string Plugin, Project, Run;
  bool List = false, HasRun = false, Help = false;
};

// Reads the command line into Options; "" when it makes sense, else what is wrong with it.
std::string ParseOptions(int Argc, char** Argv, TOptions& Options) {
  for (int I = 1; I < Argc; ++I) {
    const std::string Arg = Argv[I];
    if (Arg == "--help") {
      Options.Help = true;
      return {};
    }
    if (Arg == "--list") {
      Options.List = true;
      continue;
    }
    std::string* Value = Arg == "--plugin"    ? &Options.Plugin
                         : Arg == "--project" ? &Options.Project
                         : Arg == "--run"     ? &Options.Run
                                              : nullptr;
    if (!Value) return "unknown option \"" + Arg + "\"";
    if (I + 1 == Argc || std::string(Argv[I + 1]).rfind("--", 0) == 0) return Arg + " needs a value";
    *Value = Argv[++I];
    Options.HasRun = Options.HasRun || Value == &Options.Run;
    if (Value == &Options.Run && Options.Run.empty()) return Arg + " needs a value";  // no expert is named ""
  }
  if (Options.Plugin.empty()) return "--plugin <dll> is missing";
  if (Options.List && Options.HasRun) return "--list and --run cannot go together";
  if (!Options.List && !Options.HasRun) return "--list or --run is missing";
  if (Options.HasRun && Options.Project.empty()) return "--run needs --project <project file>";
  return {};
}

// What is wrong with the project the command line names; "" when it is an existing file.
std::string ProjectProblem(const std::string& Project) {
  if (DirectoryExists(Project)) return "the project \"" + Project + "\" is a folder, not a project file";
  if (!FileExists(Project)) return "the project file \"" + Project + "\" does not exist";
  return {};
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

// This host's build, for the plug-ins it can load.
#ifdef _WIN64
constexpr WORD kHostMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD kHostMachine = IMAGE_FILE_MACHINE_I386;
#endif

std::string BuildName(WORD Machine) {
  switch (Machine) {
    case IMAGE_FILE_MACHINE_I386:
      return "32-bit (i686)";
    case IMAGE_FILE_MACHINE_AMD64:
      return "64-bit (x86_64)";
    default:
      return "machine " + IntToHex(Machine, 4);
  }
}

// The processor a library was built for, from the image the loader maps for its resources (any
// processor's, headers checked by the loader); 0 when the file is no library image.
WORD ImageMachine(const std::string& Path) {
  ScopedLibrary Image(LoadLibraryExA(Path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!Image) return 0;
  const auto* Base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(Image.get()) & ~ULONG_PTR(3));
  const LONG NtHeaders = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base)->e_lfanew;
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(Base + NtHeaders)->FileHeader.Machine;
}

// Why LoadLibrary refused a library (Error), in words for the one who named or installed it; for a
// library of the other build, Remedy leads to the host's build ("load the plug-in's").
std::string LoadFailure(const std::string& Path, DWORD Error, const std::string& HostName,
                        const std::string& Remedy) {
  if (!FileExists(Path)) return "the file does not exist";
  if (Error == ERROR_BAD_EXE_FORMAT) {
    const WORD Machine = ImageMachine(Path);
    if (Machine == 0 || Machine == kHostMachine)
      return "it is not a DLL for this " + BuildName(kHostMachine) + " " + HostName;
    return "it is a " + BuildName(Machine) + " library and this " + HostName + " is the " +
           BuildName(kHostMachine) + " build: " + Remedy + " " + BuildName(kHostMachine) + " build";
  }
  if (Error == ERROR_MOD_NOT_FOUND) return "a library it needs was not found";
  return SysErrorMessage(Error) + " (error " + IntToStr(static_cast<int>(Error)) + ")";
}

// A core package the IDE loaded, with its expert-services object.
struct TCorePackage {
  HMODULE Module = nullptr;
  TExpertServices* Services = nullptr;
};

// The core packages in the host's folder that load; Problem names each one there that does not and
// says why ("" when there is none).
std::vector<TCorePackage> LoadCorePackages(const std::string& Folder, const std::string& HostName,
                                           std::string& Problem) {
  std::vector<TCorePackage> Packages;
  std::vector<std::string> Failures;
  for (const char* Name : {"CoreIde70.bpl", "CoreIde60.bpl"}) {
    const std::string Path = Folder + Name;
    if (!FileExists(Path)) continue;
    const std::string Where = std::string(Name) + " beside " + HostName + ": ";
    TCorePackage Package;
    Package.Module = LoadLibraryA(Path.c_str());
    if (!Package.Module) {
      const DWORD Error = GetLastError();
      Failures.push_back(Where + LoadFailure(Path, Error, HostName, "install the core package's"));
      continue;
    }
    if (auto* Variable = reinterpret_cast<TExpertServices**>(GetProcAddress(Package.Module, kCoreIdeExpertServices)))
      Package.Services = *Variable;
    if (Package.Services)
      Packages.push_back(Package);
    else
      Failures.push_back(Where + "it has no expert services: it is no core package of this IDE");
  }
  std::string Why;
  for (const std::string& Failure : Failures) Why += (Why.empty() ? "" : "; ") + Failure;
  Problem = Why.empty() ? Why : "the IDE's core package cannot be loaded (" + Why + ")";
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

// Runs the expert the command line names; false when it cannot be found or reported an error.
bool RunExpert(const std::string& Name, const std::vector<TCorePackage>& Packages,
               const std::string& CoreProblem, const TStandInIde& Ide, const std::string& HostName) {
  TIExpert* Expert = FindExpert(Packages, Name);
  if (!Expert && Packages.empty() && !CoreProblem.empty()) {
    std::printf("error\t%s, so no expert can run\n", CoreProblem.c_str());
    return false;
  }
  if (!Expert && Packages.empty()) {
    std::printf("error\tthe IDE's core package is missing (CoreIde70.bpl or CoreIde60.bpl beside %s), so no "
                "expert can run\n",
                HostName.c_str());
    return false;
  }
  if (!Expert) {  // the core package that cannot be loaded may be the one the expert went to
    std::printf("error\tno expert named \"%s\"%s\n", Name.c_str(),
                CoreProblem.empty() ? "" : (": " + CoreProblem).c_str());
    return false;
  }
  Expert->Execute();
  for (const std::string& File : Ide.Written()) std::printf("wrote\t%s\n", File.c_str());
  return !ReportException();
}

// Loads the plug-in, has it register (InitExperts), lists or runs, and unloads it; false when
// anything failed (said on stdout).
bool RunPlugin(const TOptions& Options, const TStandInIde& Ide, const std::vector<TCorePackage>& Packages,
               const std::string& CoreProblem, const std::string& HostName) {
  const std::string Path = FullPath(Options.Plugin);
  HMODULE Plugin = LoadLibraryA(Path.c_str());
  if (!Plugin) {
    const DWORD Error = GetLastError();
    std::printf("error\tcannot load %s: %s\n", Options.Plugin.c_str(),
                LoadFailure(Path, Error, HostName, "load the plug-in's").c_str());
    return false;
  }
  using TInitExperts = void(IDE_SLOT*)();
  const auto InitExperts = reinterpret_cast<TInitExperts>(GetProcAddress(Plugin, "InitExperts"));
  if (!InitExperts) {
    std::printf("error\t%s has no InitExperts: it is no plug-in of this IDE\n", Options.Plugin.c_str());
    IdeUnloadLibrary(Plugin);
    return false;
  }
  InitExperts();
  bool Failed = ReportException();
  if (Options.List) {
    ListExperts(Packages);
    ListRegistrations();
  } else {
    Failed = !RunExpert(Options.Run, Packages, CoreProblem, Ide, HostName) || Failed;
  }
  IdeUnloadLibrary(Plugin);
  Failed = ReportException() || Failed;
  if (Options.List) std::printf("unloaded\texperts=%u\n", static_cast<unsigned>(Experts(Packages).size()));
  return !Failed;
}

int RunHost(const TOptions& Options, const std::string& Program) {
  TStandInIde Ide;
  Ide.SetCppIde(AnsiSameText(ExtractFileName(Program), "bcb.exe"));
  if (!Options.Project.empty()) Ide.OpenProject(Options.Project);
  IdeSetToolServices(&Ide);
  IdeSetBorlandIDEServices(Ide.Services());
  const std::string HostName = ExtractFileName(Program);
  std::string CoreProblem;
  const std::vector<TCorePackage> Packages = LoadCorePackages(ExtractFilePath(Program), HostName, CoreProblem);
  // The list stays what it can be; the broken install is said beside it and fails the run.
  if (Options.List && !CoreProblem.empty()) std::fprintf(stderr, "error\t%s\n", CoreProblem.c_str());
  const bool Succeeded =
      RunPlugin(Options, Ide, Packages, CoreProblem, HostName) && (!Options.List || CoreProblem.empty());
  IdeSetBorlandIDEServices(nullptr);
  IdeSetToolServices(nullptr);
  return Succeeded ? 0 : 1;
}

std::string Usage(const std::string& HostName) {
  return "usage: " + HostName + " --plugin <dll> --list\n" +
         "       " + HostName + " --plugin <dll> --project <project file> --run \"<expert name>\"\n" +
         "       " + HostName + " --help\n";
}

}  // namespace

int main(int Argc, char** Argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const std::string Program = HostProgram();
  const std::string HostName = ExtractFileName(Program);
  TOptions Options;
  const std::string Wrong = ParseOptions(Argc, Argv, Options);
  if (Options.Help) {
    std::printf("%s", Usage(HostName).c_str());
    return 0;
  }
  if (!Wrong.empty()) {
    std::fprintf(stderr, "%s: %s\n%s", HostName.c_str(), Wrong.c_str(), Usage(HostName).c_str());
    return 2;
  }
  if (!Options.Project.empty()) {
    Options.Project = FullPath(Options.Project);
    if (const std::string Problem = ProjectProblem(Options.Project); !Problem.empty()) {
      std::fprintf(stderr, "%s: %s\n", HostName.c_str(), Problem.c_str());
      return 2;
    }
  }
  const int Result = RunHost(Options, Program);
  std::fflush(stdout);
  return Result;
}
