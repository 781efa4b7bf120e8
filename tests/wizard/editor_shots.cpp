// The seven editor dialogs as docs/wizard.md shows them, each filled with sample content: shows each
// dialog, lets it paint and saves what the screen shows of it as a BMP file in Folder
//   wizard_editor_shots.exe <Folder> <TestIcons.dll, its path in the build machine's file system>
// (property-sheets-editor.bmp, clsid-editor.bmp, icon-list.bmp, default-icon-editor.bmp,
// shell-commands-editor.bmp, simple-tree.bmp, activation-verbs.bmp; tools/bmp2png.py turns each into
// docs/wizard-<name>.png). The property sheets' tab icons come from TestIcons.dll, the other icons
// from the system's shell32.dll. Exit code 0 when all seven were written.
#include <windows.h>

#include <shellapi.h>

#include <initializer_list>
#include <string>

#include "classlib/ComServ.h"
#include "nx/NxFileClasses.h"
#include "tests/support/WindowPicture.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/Nx_ActivationVerbs.h"
#include "wizard/Nx_DefaultShellFolderIcon.h"
#include "wizard/Nx_IconListEditor.h"
#include "wizard/Nx_PropertySheetEditor.h"
#include "wizard/Nx_Property_GUID.h"
#include "wizard/Nx_ShellCommandEditor.h"
#include "wizard/Nx_SimpleTreeComponentEditor.h"

namespace {

// Saves the picture of Form, placed near the screen's top left corner.
bool Shoot(TCustomForm* Form, const std::string& File) {
  Form->SetPosition(poDesigned);
  Form->SetBounds(40, 40, Form->Width(), Form->Height());
  return SaveFormPicture(Form, File);
}

void SelectItem(TListView* List, int Index) {
  List->SetFocus();
  List->SetItemIndex(Index);
}

// Icons Indexes of shell32.dll at 16 by 16.
TObjectPtr<nx21::TNxIconList> ShellIcons(std::initializer_list<int> Indexes) {
  TObjectPtr<nx21::TNxIconList> List(nx21::TNxIconList::Create(nullptr));
  for (int Index : Indexes) {
    HICON Small = nullptr;
    if (ExtractIconExA("shell32.dll", Index, nullptr, &Small, 1) == 1 && Small) {
      List->AddIcon(Small);
      DestroyIcon(Small);
    }
  }
  return List;
}

// Folder, open folder, document, globe, heart (Wine's shell32.dll).
const std::initializer_list<int> kSampleIcons{5, 6, 2, 15, 44};

bool PropertySheetsEditor(const std::string& File, const std::string& IconLibrary) {
  ScopedStandInIde Ide;
  TStandInModule* Project = Ide.OpenProject("Project1.dpr");
  TStandInIde::AddToProject(Project, "Unit1.pas", "NxShellPropSheetForm1");
  TObjectPtr<TImageList> Images(TImageList::Create(nullptr));
  for (UINT Index = 0; Index < 4; ++Index) {
    TObjectPtr<TIcon> Icon(TIcon::Create());
    Icon->SetHandle(ExtractIconA(GetModuleHandleA(nullptr), IconLibrary.c_str(), Index));
    if (!Icon->Empty()) Images->AddIcon(Icon.get());
  }
  TStringList Lines;
  for (const char* Line : {"TNxShellPropSheetForm1[0]=Script Info,0", "TNxShellPropSheetForm2[0]=Summary,3",
                           "TNxShellPropSheetForm3[0]=History,-1"})
    Lines.Add(Line);
  TObjectPtr<TNxPropSheetExtEdit> Form(TNxPropSheetExtEdit::Create(Application));
  Form->SetImages(Images.get());
  Form->LoadSheets(&Lines);
  Form->Show();
  SelectItem(Form->lvUsedSheets, 1);
  return Shoot(Form.get(), File);
}

bool ClsIdEditor(const std::string& File) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  GUID Sample{};
  TryStringToGUID("{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}", Sample);
  Form->SetGUID(Sample);
  return Shoot(Form.get(), File);
}

bool IconListEditor(const std::string& File) {
  auto Icons = ShellIcons(kSampleIcons);
  Icons->SetBkColor(static_cast<TColor>(RGB(255, 255, 225)));
  TObjectPtr<TIconListEditorWindow> Window(TIconListEditorWindow::Create(Application, Icons.get()));
  Window->lbImages->SetItemIndex(4);
  Window->UpdateIconView();
  return Shoot(Window.get(), File);
}

bool DefaultIconEditor(const std::string& File) {
  TObjectPtr<TNxShellFolderDefaultIcon> Form(TNxShellFolderDefaultIcon::Create(Application));
  char System[MAX_PATH] = {};
  GetSystemDirectoryA(System, MAX_PATH);
  Form->Show();
  Form->edtFileName->SetText(std::string(System) + "\\shell32.dll");
  Form->LoadIcons();
  SelectItem(Form->lvFileIcons, 3);
  return Shoot(Form.get(), File);
}

bool ShellCommandsEditor(const std::string& File) {
  TObjectPtr<TNxFileClassShellCommands> Commands(TNxFileClassShellCommands::Create());
  const char* const Verbs[][3] = {{"Compile", "&Compile", "VDSCmplr.exe \"%1\""},
                                  {"Run", "&Run script", "Veldrane.exe /run \"%1\""},
                                  {"Check", "C&heck syntax", "VDSCmplr.exe /check \"%1\""}};
  for (const auto& Verb : Verbs) {
    Commands->ExtendedCommandNames().Add(Verb[0]);
    Commands->ExtendedCommandDescriptions().Add(Verb[1]);
    Commands->ExtendedCommandStrings().Add(Verb[2]);
  }
  TObjectPtr<TShellCommandEditorWindow> Form(TShellCommandEditorWindow::Create(Application));
  Form->LoadCommands(*Commands);
  Form->Show();
  SelectItem(Form->lvShellCommands, 1);
  return Shoot(Form.get(), File);
}

bool SimpleTreeEditor(const std::string& File) {
  TObjectPtr<TNxSimpleTreeProvider> Provider(TNxSimpleTreeProvider::Create(nullptr));
  auto Icons = ShellIcons(kSampleIcons);
  Provider->SetSmallIcons(Icons.get());
  auto Add = [](TNxSimpleTreeDataGrain* Parent, const wchar_t* Caption, int Kind, const char* Lines) {
    TNxSimpleTreeDataGrain* G = Parent->CreateChild();
    Parent->Add(G);
    G->Caption = Caption;
    G->Kind = Kind;
    G->Data.SetText(Lines);
    return G;
  };
  TNxSimpleTreeDataGrain* Docs = Add(Provider->Root(), L"Documents", kGrainFolder, "Path=C:\\Docs");
  Add(Docs, L"Letter", kGrainItem, "Author=Ann Author\nPages=2");
  Add(Docs, L"Invoice", kGrainItem, "Amount=120.00")->ImageIndex = 3;
  TNxSimpleTreeDataGrain* Pictures = Add(Provider->Root(), L"Pictures", kGrainFolder, "");
  Add(Pictures, L"Holiday", kGrainItem, "")->ImageIndex = 4;

  TObjectPtr<TSimpleTreeComponentEditor> Dialog(TSimpleTreeComponentEditor::Create(Application));
  Dialog->LoadIcons(Icons.get());
  TTreeNode* Root = Dialog->TreeView->Items()->GetFirstNode();
  Dialog->LoadNodes(Provider->Root(), Root);
  Root->Expand(true);
  Dialog->HandleNeeded();
  Dialog->TreeView->SetSelected(Root->GetFirstChild()->GetFirstChild());
  Dialog->SetActiveControl(Dialog->TreeView);
  return Shoot(Dialog.get(), File);
}

bool ActivationVerbsEditor(const std::string& File) {
  TObjectPtr<TNxFileClasses> Classes(TNxFileClasses::Create(nullptr));
  auto AddClass = [&](const char* Name, const char* Extension) {
    auto* Item = static_cast<TNxFileClassItem*>(Classes->FileClasses()->Add());
    Item->SetFileClassName(Name);
    Item->SetExtensionName(Extension);
    return Item;
  };
  AddClass("VeldraneScript", "vds")->ShellCommands()->ExtendedCommandNames().Add("Compile");
  AddClass("VeldraneLog", "vdl");
  TObjectPtr<TNxFileFolder> Folder(TNxFileFolder::Create(nullptr));
  Folder->SetFileClasses(Classes.get());
  Folder->ActivationVerbs()->SetText("VeldraneScript|Open=Open\nVeldraneScript|Explore=Explore\n");

  TObjectPtr<TActivationVerbsWindow> Window(TActivationVerbsWindow::Create(Application));
  Window->LoadFrom(Folder.get());
  TTreeNode* First = Window->ActionVerbsTree->Items()->GetFirstNode();
  First->Expand(false);
  Window->HandleNeeded();
  Window->ActionVerbsTree->SetSelected(First->GetFirstChild());
  Window->SetActiveControl(Window->ActionVerbsTree);
  return Shoot(Window.get(), File);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string Folder = IncludeTrailingBackslash(argv[1]);
  bool Written = PropertySheetsEditor(Folder + "property-sheets-editor.bmp", WindowsPathOfUnix(argv[2]));
  Written = ClsIdEditor(Folder + "clsid-editor.bmp") && Written;
  Written = IconListEditor(Folder + "icon-list.bmp") && Written;
  Written = DefaultIconEditor(Folder + "default-icon-editor.bmp") && Written;
  Written = ShellCommandsEditor(Folder + "shell-commands-editor.bmp") && Written;
  Written = SimpleTreeEditor(Folder + "simple-tree.bmp") && Written;
  Written = ActivationVerbsEditor(Folder + "activation-verbs.bmp") && Written;
  return Written ? 0 : 1;
}
