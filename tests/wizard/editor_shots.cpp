// The four property editors' dialogs as docs/wizard.md shows them, each filled with sample rows:
// shows each dialog, lets it paint, and saves what the screen shows of it as a BMP file in OutDir
//   wizard_editor_shots.exe <OutDir> <TestIcons.dll, its path in the build machine's file system>
// (clsid-editor.bmp, property-sheets-editor.bmp, default-icon-editor.bmp, shell-commands-editor.bmp;
// tools/bmp2png.py turns them into the PNGs of the docs). Exit code 0 when all four were written.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "classlib/ComServ.h"
#include "nx/NxFileClasses.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/Nx_DefaultShellFolderIcon.h"
#include "wizard/Nx_PropertySheetEditor.h"
#include "wizard/Nx_Property_GUID.h"
#include "wizard/Nx_ShellCommandEditor.h"

namespace {

void Pump(DWORD Ms) {
  const DWORD Start = GetTickCount();
  while (GetTickCount() - Start < Ms) {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
    Sleep(10);
  }
}

void SelectItem(TListView* List, int Index) {
  List->SetFocus();
  List->SetItemIndex(Index);
}

// Shows Form, lets it paint and saves its window as the screen shows it.
bool Shoot(TCustomForm* Form, const std::string& FileName) {
  Form->SetPosition(poDesigned);
  Form->SetBounds(40, 40, Form->Width(), Form->Height());
  Form->Show();
  Pump(300);
  UpdateWindow(Form->Handle());
  RECT R;
  GetWindowRect(Form->Handle(), &R);
  TObjectPtr<TBitmap> Shot(TBitmap::Create());
  Shot->SetPixelFormat(pf24bit);
  Shot->SetSize(R.right - R.left, R.bottom - R.top);
  HDC Screen = GetDC(nullptr);
  BitBlt(Shot->Canvas()->Handle(), 0, 0, Shot->Width(), Shot->Height(), Screen, R.left, R.top, SRCCOPY);
  ReleaseDC(nullptr, Screen);
  Form->Hide();
  try {
    Shot->SaveToFile(FileName);
    return true;
  } catch (...) {
    return false;
  }
}

bool ClsIdEditor(const std::string& Out) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  GUID Sample{};
  TryStringToGUID("{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}", Sample);
  Form->SetGUID(Sample);
  return Shoot(Form.get(), Out + "\\clsid-editor.bmp");
}

bool PropertySheetsEditor(const std::string& Out, const std::string& IconLibrary) {
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
  return Shoot(Form.get(), Out + "\\property-sheets-editor.bmp");
}

bool DefaultIconEditor(const std::string& Out) {
  TObjectPtr<TNxShellFolderDefaultIcon> Form(TNxShellFolderDefaultIcon::Create(Application));
  char System[MAX_PATH] = {};
  GetSystemDirectoryA(System, MAX_PATH);
  Form->Show();
  Form->edtFileName->SetText(std::string(System) + "\\shell32.dll");
  Form->LoadIcons();
  SelectItem(Form->lvFileIcons, 3);
  return Shoot(Form.get(), Out + "\\default-icon-editor.bmp");
}

bool ShellCommandsEditor(const std::string& Out) {
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
  return Shoot(Form.get(), Out + "\\shell-commands-editor.bmp");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string Out = argv[1];
  const bool Written = ClsIdEditor(Out) & PropertySheetsEditor(Out, WindowsPathOfUnix(argv[2])) & DefaultIconEditor(Out) &
                       ShellCommandsEditor(Out);
  return Written ? 0 : 1;
}
