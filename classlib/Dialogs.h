// Dialogs: the system's open-file and colour dialogs as components.
//
// Execute runs the dialog through UIServices (UIServices.h), so a test can answer it without a
// window; the default services run the real one (GetOpenFileNameA, ChooseColorA), owned by the
// calling thread's active window. A form resource sets them up like any other component:
//
//   object OpenDialog: TOpenDialog
//     DefaultExt = 'ico'
//     FileName = '*.ico'
//     Filter = 'All Files|*.*|Icon Files|*.ico'
//     FilterIndex = 2
//     Title = 'Add Icon to List'
//   end
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"

class TCommonDialog : public TComponent {
  VD_CLASS(TCommonDialog, TComponent);

public:
  using TComponent::TComponent;

  // Shows the dialog modally; true when the user confirmed it.
  virtual bool Execute() = 0;

protected:
  friend class TUIServices;
  // The system dialog itself (what the default services run), owned by ModalOwnerWindow().
  virtual bool RunSystemDialog() = 0;
};

// Picks one existing file. Filter is "Description|pattern|Description|pattern..."; FilterIndex
// counts its pairs from 1 (0: the first one). FileName holds the path chosen (before Execute: the
// name proposed). The dialog may change the current directory, as the system one does.
class TOpenDialog : public TCommonDialog {
  VD_CLASS(TOpenDialog, TCommonDialog);

public:
  using TCommonDialog::TCommonDialog;
  bool Execute() override;

  const std::string& DefaultExt() const noexcept { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
  const std::string& FileName() const noexcept { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  const std::string& Filter() const noexcept { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  int FilterIndex() const noexcept { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const std::string& InitialDir() const noexcept { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& Title() const noexcept { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }

protected:
  bool RunSystemDialog() override;

private:
  std::string FDefaultExt;
  std::string FFileName;
  std::string FFilter;
  int FFilterIndex = 1;
  std::string FInitialDir;
  std::string FTitle;
};

// Picks a colour; Color is the one shown first and, after Execute, the one chosen.
class TColorDialog : public TCommonDialog {
  VD_CLASS(TColorDialog, TCommonDialog);

public:
  using TCommonDialog::TCommonDialog;
  bool Execute() override;

  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }

protected:
  bool RunSystemDialog() override;

private:
  TColor FColor = clBlack;
  COLORREF FCustomColors[16] = {};
};

// The parts of a dialog filter, "Description|pattern|..." as the system wants it: each part
// followed by a NUL, and a NUL after the last one.
std::string MakeDialogFilter(const std::string& Filter);
