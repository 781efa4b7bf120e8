// The pictures of docs/wizard.md: the icon-list, simple-tree and activation-verb dialogs filled with
// sample content (icons of the system's shell32.dll), each shown and saved as what the screen shows
// of it:
//   wizard_editor_pictures.exe <folder>     writes icon-list.bmp, simple-tree.bmp, activation-verbs.bmp
// (tools/bmp2png.py turns them into the PNG files of the docs). Exit code 0 when all were written.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tests/controls/ControlsTestSupport.h"
#include "tests/support/WindowPicture.h"
#include "wizard/Nx_ActivationVerbs.h"
#include "wizard/Nx_IconListEditor.h"
#include "wizard/Nx_SimpleTreeComponentEditor.h"

namespace {


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

// Shows Form, lets it paint and saves the screen's picture of it; false when that failed.
bool Picture(TForm* Form, const std::string& File) {
  Form->Show();
  testsupport::PumpFor(300);
  UpdateWindow(Form->Handle());
  const bool Saved = SaveWindowPicture(Form->Handle(), File);
  Form->Hide();
  return Saved;
}

// Folder, open folder, document, globe, heart (Wine's shell32.dll).
const std::initializer_list<int> kSampleIcons{5, 6, 2, 15, 44};

bool IconListPicture(const std::string& File) {
  auto Icons = ShellIcons(kSampleIcons);
  Icons->SetBkColor(static_cast<TColor>(RGB(255, 255, 225)));
  TObjectPtr<TIconListEditorWindow> Window(TIconListEditorWindow::Create(Application, Icons.get()));
  Window->lbImages->SetItemIndex(4);
  Window->UpdateIconView();
  return Picture(Window.get(), File);
}

bool SimpleTreePicture(const std::string& File) {
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
  return Picture(Dialog.get(), File);
}

bool ActivationVerbsPicture(const std::string& File) {
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
  return Picture(Window.get(), File);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string Folder = IncludeTrailingBackslash(argv[1]);
  bool Written = IconListPicture(Folder + "icon-list.bmp");
  Written = SimpleTreePicture(Folder + "simple-tree.bmp") && Written;
  Written = ActivationVerbsPicture(Folder + "activation-verbs.bmp") && Written;
  return Written ? 0 : 1;
}
