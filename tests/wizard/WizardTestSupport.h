// Shared pieces of the wizard tests: the stand-in IDE installed for one test, the core-package
// fixture, the expected units and small file helpers.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ide/IdeStandIn.h"
#include "tests/support/TempTree.h"

// The stand-in IDE as the test process's IDE: its tool services and global services while it lives.
class ScopedStandInIde : public TStandInIde {
public:
  ScopedStandInIde() {
    IdeSetToolServices(this);
    IdeSetBorlandIDEServices(Services());
    IdeClearException();
  }
  ~ScopedStandInIde() {
    IdeSetBorlandIDEServices(nullptr);
    IdeSetToolServices(nullptr);
    IdeClearException();
  }
};

inline std::string LastIdeException() {
  const char* Message = IdeLastException();
  return Message ? Message : "";
}

// The core package fixture of the build tree (loaded once, like the IDE does, and never freed), so
// that a plug-in's bare-name load finds it; its expert-services object.
inline TExpertServices* LoadCorePackage(const std::string& UnixPath) {
  HMODULE Module = LoadLibraryA(WindowsPathOfUnix(UnixPath).c_str());
  if (!Module) return nullptr;
  auto* Variable = reinterpret_cast<TExpertServices**>(GetProcAddress(Module, kCoreIdeExpertServices));
  return Variable ? *Variable : nullptr;
}

inline std::vector<std::string> ExpertNames(TExpertServices* Services) {
  std::vector<std::string> Names;
  for (int32_t I = 0; Services && I < Services->ExpertCount(); ++I) Names.push_back(Services->Expert(I)->GetIDString());
  return Names;
}

// The five experts of InitExperts, in order.
inline const std::vector<std::string> kWizardExpertNames{"NxAboutExpert", "ShellExtension Module",
                                                         "ShellExtension Permanent Module",
                                                         "ShellExtension ShellView Form", "PropetySheet Form "};

inline std::string ReadBytes(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream Bytes;
  Bytes << In.rdbuf();
  return Bytes.str();
}

// The expected unit of a wizard (named by its ancestor, "NxModule") with extension ".pas", ".cpp" or
// ".h": Unit3 with the form NxModule1, ... (tests/wizard/golden).
inline std::string Golden(const std::string& Ancestor, const std::string& Extension) {
  return ReadBytes(WindowsPathOfUnix(WIZARD_GOLDEN_DIR) + "\\" + Ancestor + "\\Unit3" + Extension);
}

// The four repository wizards: expert name and ancestor (the folder of their expected units).
struct TWizardCase {
  const char* ExpertName;
  const char* Ancestor;
};
inline const TWizardCase kWizardCases[] = {{"ShellExtension Module", "NxModule"},
                                           {"ShellExtension Permanent Module", "NxPermanentModule"},
                                           {"ShellExtension ShellView Form", "NxShellViewForm"},
                                           {"PropetySheet Form ", "NxShellPropSheetForm"}};
