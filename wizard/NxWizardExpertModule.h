// What the four repository wizards share: a holder that ties an expert the IDE lists, a module
// creator the IDE calls back, and the Pascal, C++ and header templates of one kind of unit.
//
// Construction registers the expert; when the user picks the wizard the creator has the IDE make a
// new unit (Unit1, Unit2, ... in the project's folder) and answers its source requests: the unit from
// the Pascal template in the Pascal IDE, the source and the header from the C++ templates in the
// C++ IDE (Nx_IsBuilder), each expanded with the unit and form names the IDE chose. Destruction
// takes the expert out of the IDE.
//
// Each wizard (Nx_Expert_Nx*_NP) gives its texts, its icon and its templates' resource names.
#pragma once

#include <string>

#include "wizard/CB_Creators_NP.h"
#include "wizard/CB_Experts_NP.h"
#include "wizard/CB_MacroText_NP.h"

// The fixed texts of one wizard. The templates are RCDATA resources of the library.
struct TWizardTexts {
  const char* ExpertName;
  const char* Comment;
  const char* AncestorName;
  const char* IconHex;  // a complete .ico file, two upper-case digits per byte
  const char* PascalTemplate;
  const char* CppTemplate;
  const char* HeaderTemplate;
};

class TNxWizardExpertModule : public TObject {
  VD_CLASS(TNxWizardExpertModule, TObject);

public:
  ~TNxWizardExpertModule() override;

  TCBIAdvancedExpert* Expert = nullptr;
  TCBIModuleCreator* Creator = nullptr;
  TCBMacroText* PascalTemplate = nullptr;
  TCBMacroText* CppTemplate = nullptr;
  TCBMacroText* HeaderTemplate = nullptr;
  std::string UnitIdent;  // of the last source request
  std::string FormIdent;
  TStringList* ExtraFlags = nullptr;  // handed to every expansion

  // Bound to the expert and the creator.
  void DoExecute(TCBIExpert* Sender);
  void DoNewModuleSource(const std::string& AUnitIdent, const std::string& AFormIdent,
                         const std::string& AncestorIdent, std::string& Source);
  void DoGetIntfName(std::string& IntfName);
  void DoNewIntfSource(const std::string& AUnitIdent, const std::string& AFormIdent,
                       const std::string& AncestorIdent, std::string& Source);
  void PrepareTemplate(TCBMacroText* Template);

protected:
  explicit TNxWizardExpertModule(const TWizardTexts& Texts);
  // Runs at each source request before the template is chosen (the shell-view wizard adds its
  // build's version flag here).
  virtual void AddGenerationFlags() {}

private:
  void Build(const TWizardTexts& Texts);
  void Teardown() noexcept;
};

// The author and repository page of all four wizards.
inline constexpr char kWizardAuthor[] = "Corvel & Brannoch";
inline constexpr char kWizardPage[] = "Shell Extensions";
