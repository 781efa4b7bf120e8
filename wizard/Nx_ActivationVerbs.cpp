#include "wizard/Nx_ActivationVerbs.h"

#include <iterator>
#include <vector>

#include "classlib/TypInfo.h"

namespace {

constexpr const char* kOpen = "Open";
constexpr const char* kExplore = "Explore";
constexpr int kOpenImage = 0;
constexpr int kExploreImage = 1;

// The image of a verb whose line has this value.
int ImageOfRole(const std::string& Role) {
  if (Role == kOpen) return kOpenImage;
  if (Role == kExplore) return kExploreImage;
  return -1;
}

// The two marks of the image list, drawn on a transparent 16 x 16 square.
void AddMark(TImageList* List, bool Folder) {
  TObjectPtr<TBitmap> Picture(TBitmap::Create());
  Picture->SetSize(16, 16);
  TCanvas* C = Picture->Canvas();
  C->Brush()->SetColor(clFuchsia);
  C->FillRect(Rect(0, 0, 16, 16));
  C->Pen()->SetColor(clBlack);
  if (Folder) {  // Explore: an open folder
    C->Brush()->SetColor(clYellow);
    C->Polygon({Point(1, 4), Point(6, 4), Point(7, 6), Point(14, 6), Point(14, 13), Point(1, 13)});
  } else {  // Open: a green arrow into a page
    C->Brush()->SetColor(clWhite);
    C->Rectangle(6, 1, 15, 15);
    C->Brush()->SetColor(clGreen);
    C->Polygon({Point(1, 6), Point(6, 6), Point(6, 3), Point(11, 8), Point(6, 13), Point(6, 10), Point(1, 10)});
  }
  List->AddMasked(Picture.get(), clFuchsia);
}

}  // namespace

// ---- TNxActivationVerbsProperty -------------------------------------------------------------------

VD_DEFINE_CLASS(TNxActivationVerbsProperty) {}

TPropertyAttributes TNxActivationVerbsProperty::GetAttributes() { return paDialog; }

std::string TNxActivationVerbsProperty::GetValue() { return "{ActivationVerbs}"; }

void TNxActivationVerbsProperty::Edit() {
  inherited::Edit();
  auto* Folder = dynamic_cast<TNxFileFolder*>(GetComponent(0));
  if (!Folder) return;
  TObjectPtr<TActivationVerbsWindow> Window(TActivationVerbsWindow::Create(Application));
  Window->LoadFrom(Folder);
  if (Window->ShowModal() != mrOk) return;
  Folder->ActivationVerbs()->Assign(Window->Verbs());
  Modified();
}

// ---- TActivationVerbsWindow -----------------------------------------------------------------------

VD_DEFINE_CLASS(TActivationVerbsWindow) {
  using T = TActivationVerbsWindow;
  C.Field("btnOK", &T::btnOK);
  C.Field("btnCancel", &T::btnCancel);
  C.Field("ActionVerbsTree", &T::ActionVerbsTree);
  C.Field("btnChoose", &T::btnChoose);
  C.Field("ImageList", &T::ImageList);
  C.Field("PopupMenu", &T::PopupMenu);
  C.Field("SettoOpen1", &T::SettoOpen1);
  C.Field("SettoExplore1", &T::SettoExplore1);
  C.Field("N1", &T::N1);
  C.Field("SettoNone1", &T::SettoNone1);
  C.Method<&T::FormCreate>("FormCreate");
  C.Method<&T::FormDestroy>("FormDestroy");
  C.Method<&T::SettoOpen1Click>("SettoOpen1Click");
  C.Method<&T::SettoExplore1Click>("SettoExplore1Click");
  C.Method<&T::SettoNone1Click>("SettoNone1Click");
  C.Method<&T::btnChooseClick>("btnChooseClick");
}

void TActivationVerbsWindow::FormCreate(TObject*) {
  FVerbs.reset(TStringList::Create());
  AddMark(ImageList, false);
  AddMark(ImageList, true);
}

void TActivationVerbsWindow::FormDestroy(TObject*) { FVerbs.reset(); }

void TActivationVerbsWindow::LoadFrom(TNxFileFolder* Folder) {
  FVerbs->Assign(Folder->ActivationVerbs());
  TTreeNodes* Nodes = ActionVerbsTree->Items();
  Nodes->BeginUpdate();
  Nodes->Clear();
  if (TNxFileClasses* Classes = Folder->FileClasses()) {
    static const char* const kStandardVerbs[] = {"Open", "Print", "Explore", "Find", "OpenAs", "Properties"};
    for (int I = 0; I < Classes->Count(); ++I) {
      TNxFileClassItem* Item = Classes->FileClasses()->GetItem(I);
      const std::string& ClassName = Item->OwnFileClassName();
      TTreeNode* ClassNode = Nodes->AddChildObject(nullptr, ClassName + " (" + Item->ExtensionName() + ")", Item);
      ClassNode->SetImageIndex(-1);
      ClassNode->SetSelectedIndex(-1);
      std::vector<std::string> Verbs(std::begin(kStandardVerbs), std::end(kStandardVerbs));
      const TStringList& Extended = Item->ShellCommands()->ExtendedCommandNames();
      for (int J = 0; J < Extended.Count(); ++J) Verbs.push_back(Extended[J]);
      for (const std::string& Verb : Verbs) {
        TTreeNode* VerbNode = Nodes->AddChild(ClassNode, Verb);
        const int Image = ImageOfRole(FVerbs->Values(ClassName + "|" + Verb));
        VerbNode->SetImageIndex(Image);
        VerbNode->SetSelectedIndex(Image);
      }
    }
  }
  Nodes->EndUpdate();
}

void TActivationVerbsWindow::SetSelectedVerb(const std::string& Role) {
  TTreeNode* Node = ActionVerbsTree->Selected();
  // A verb node: no data of its own, a file class item above it.
  if (!Node || Node->Data() || !Node->Parent() || !Node->Parent()->Data()) return;
  auto* Item = static_cast<TNxFileClassItem*>(Node->Parent()->Data());
  FVerbs->SetValue(Item->OwnFileClassName() + "|" + Node->Text(), Role);
  const int Image = ImageOfRole(Role);
  Node->SetImageIndex(Image);
  Node->SetSelectedIndex(Image);
  ActionVerbsTree->Invalidate();
}

void TActivationVerbsWindow::SettoOpen1Click(TObject*) { SetSelectedVerb(kOpen); }
void TActivationVerbsWindow::SettoExplore1Click(TObject*) { SetSelectedVerb(kExplore); }
void TActivationVerbsWindow::SettoNone1Click(TObject*) { SetSelectedVerb(""); }

void TActivationVerbsWindow::btnChooseClick(TObject*) {
  const TPoint P = ClientToScreen(Point(btnChoose->Left(), btnChoose->Top() + btnChoose->Height()));
  PopupMenu->Popup(P.x, P.y);
}

// ---- Registration ---------------------------------------------------------------------------------

void Nx_ActivationVerbs_DoRegister() {
  RegisterPropertyEditor(TypeInfoOf<TStrings*>(), ClassOf<TNxFileFolder>(), "ActivationVerbs",
                         TPropertyEditorClass::Of<TNxActivationVerbsProperty>());
}
