#include "classlib/Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "classlib/ModuleRuntime.h"
#include "classlib/TypInfo.h"
#include "classlib/UIServices.h"

namespace {
// comdlg32 is bound by name when a dialog is first shown, not imported: a library that never shows
// one never loads it (Wine's comdlg32 leaves a mutex behind at every unload, and hosts load and
// free our libraries all day). Once loaded it stays until this module is unloaded.
HMODULE g_CommonDialogs = nullptr;

FARPROC CommonDialogEntry(const char* Name) {
  static const HMODULE Library = [] {
    g_CommonDialogs = LoadLibraryA("comdlg32.dll");
    if (g_CommonDialogs) AtModuleRelease([] { FreeLibrary(g_CommonDialogs); });
    return g_CommonDialogs;
  }();
  return Library ? GetProcAddress(Library, Name) : nullptr;
}

using TGetOpenFileName = BOOL(WINAPI*)(LPOPENFILENAMEA);
using TChooseColor = BOOL(WINAPI*)(LPCHOOSECOLORA);

// Form resources create these by class name. Registering only records the classes.
struct TDialogsRegistration {
  TDialogsRegistration() { RegisterClasses({ClassOf<TOpenDialog>(), ClassOf<TColorDialog>()}); }
} const g_DialogsClasses;
}  // namespace

std::string MakeDialogFilter(const std::string& Filter) {
  std::string Result = Filter;
  for (char& C : Result)
    if (C == '|') C = '\0';
  Result.push_back('\0');
  Result.push_back('\0');
  return Result;
}

// ---- TOpenDialog --------------------------------------------------------------------------------

bool TOpenDialog::Execute() { return UIServices().ExecuteOpenDialog(*this); }

bool TOpenDialog::RunSystemDialog() {
  std::string Filter = MakeDialogFilter(FFilter);
  std::vector<char> Name(32768, '\0');
  FFileName.copy(Name.data(), Name.size() - 1);
  OPENFILENAMEA Info{};
  Info.lStructSize = sizeof Info;
  Info.hwndOwner = ModalOwnerWindow();
  Info.lpstrFilter = FFilter.empty() ? nullptr : Filter.c_str();
  Info.nFilterIndex = static_cast<DWORD>(FFilterIndex < 0 ? 0 : FFilterIndex);
  Info.lpstrFile = Name.data();
  Info.nMaxFile = static_cast<DWORD>(Name.size());
  Info.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
  Info.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
  Info.lpstrDefExt = FDefaultExt.empty() ? nullptr : FDefaultExt.c_str();
  Info.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  auto GetOpenFileName = reinterpret_cast<TGetOpenFileName>(CommonDialogEntry("GetOpenFileNameA"));
  if (!GetOpenFileName || !GetOpenFileName(&Info)) return false;
  FFileName = Name.data();
  FFilterIndex = static_cast<int>(Info.nFilterIndex);
  return true;
}

// ---- TColorDialog -------------------------------------------------------------------------------

bool TColorDialog::Execute() { return UIServices().ExecuteColorDialog(*this); }

bool TColorDialog::RunSystemDialog() {
  CHOOSECOLORA Info{};
  Info.lStructSize = sizeof Info;
  Info.hwndOwner = ModalOwnerWindow();
  // The markers (clNone, clDefault) are no colour the dialog could show.
  Info.rgbResult = FColor == clNone || FColor == clDefault ? RGB(0, 0, 0) : ColorToRGB(FColor);
  Info.lpCustColors = FCustomColors;
  Info.Flags = CC_RGBINIT;
  auto ChooseColor = reinterpret_cast<TChooseColor>(CommonDialogEntry("ChooseColorA"));
  if (!ChooseColor || !ChooseColor(&Info)) return false;
  FColor = static_cast<TColor>(Info.rgbResult);
  return true;
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TCommonDialog) {}

VD_DEFINE_CLASS(TOpenDialog) {
  C.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  C.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  C.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  C.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  C.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  C.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

VD_DEFINE_CLASS(TColorDialog) {
  C.Property("Color", &TColorDialog::Color, &TColorDialog::SetColor).Type(ColorTypeInfo()).Default(clBlack);
}
