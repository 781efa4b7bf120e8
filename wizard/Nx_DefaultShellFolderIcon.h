// The object inspector's editor of an icon inside a file: a shell folder's "DefaultIcon" (the
// registry's "file,index" form, "shell32.dll,3") and an overlay icon's "IconFile" with its
// IconIndex. Its dialog ("Default Shell folder Icon") shows every icon of the file named in the
// edit box - typed and confirmed with Enter or by leaving the box, or chosen with "Browse..." - and
// stores the listed file's name without its folder (the shell finds it through the search path)
// with the index of the icon selected: the list's file, not a name typed since that lists nothing.
//
// Loading lets pending messages through after each icon, so a large file keeps the dialog alive. A
// load asked for meanwhile (Enter, Browse, leaving the box) starts it over with the new name; closing
// the dialog ends it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"

// Whether a file that gives no icon is still one that could hold icons: an executable or library
// ("MZ") or an icon file (00 00 01 00). Head is the file's first bytes.
bool IsIconContainerHead(const uint8_t* Head, size_t Size);

class TNxShellFolderDefaultIcon : public TForm {
  VD_CLASS(TNxShellFolderDefaultIcon, TForm);

public:
  using TForm::TForm;
  // The file-name box keeps Enter for itself (loading), Escape still cancels.
  void AfterConstruction() override;

  TLabel* Label1 = nullptr;
  TEdit* edtFileName = nullptr;
  TButton* btnBrowse = nullptr;
  TLabel* Label2 = nullptr;
  TListView* lvFileIcons = nullptr;
  TBevel* Bevel1 = nullptr;
  TStaticText* StaticText1 = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TImageList* ImageList = nullptr;

  // The icons of the file named in edtFileName: nothing when there is no such file; otherwise one
  // item per icon, the item's data its index in the file. A file that holds no icon and is no
  // executable, library or icon file gives the message "Invalid icon file.". Loading the file
  // listed again keeps the icon selected.
  void LoadIcons();
  // The index in the file of the icon selected, -1 with none.
  int SelectedIconIndex() const;
  // The full name of the file whose icons are listed; "" before the first load.
  const std::string& ListedFileName() const { return FListedFileName; }

  // Asks for a file; loads the name in the box whether or not one was chosen. The current
  // directory, which the system dialog may change, is the same afterwards.
  void btnBrowseClick(TObject* Sender);
  // Loads only when the box names another file than the one listed (not the same file by a
  // relative name, in other case, with trailing blanks, by its short name or a "\\?\" name), so
  // leaving it for OK or for the list keeps the icon chosen.
  void edtFileNameExit(TObject* Sender);
  void edtFileNameKeyPress(TObject* Sender, char& Key);
  // Nothing: the button's result closes the dialog.
  void btnOKClick(TObject* Sender);

protected:
  ~TNxShellFolderDefaultIcon() override = default;

private:
  void FileNameWndProc(TMessage& Message);
  // One pass over the file; returns early when a new load was asked for or the dialog closes.
  void LoadIconsOnce();
  bool Closing() const;
  // Whether the box names the file listed.
  bool NamesListedFile() const;

  TWndMethod FFileNameWndProc;
  bool FLoading = false;
  bool FReload = false;
  std::string FListedFileName;  // full name of the file the list was last loaded from
  int FReselectIndex = -1;      // the icon to select again once the reload reaches it
};

class TNxShellFolderDefaultIconProperty : public TPropertyEditor {
  VD_CLASS(TNxShellFolderDefaultIconProperty, TPropertyEditor);

public:
  TPropertyAttributes GetAttributes() override;
  // A shell folder's DefaultIcon, an overlay icon's IconFile; "" for anything else.
  std::string GetValue() override;
  // The dialog (empty at start); OK stores the icon selected, or none.
  void Edit() override;
};

// Registers TNxShellFolderDefaultIconProperty for the string properties "DefaultIcon" of
// TNxCustomShellFolder and "IconFile" of TNxOverlayIcon.
void Nx_DefaultShellFolderIcon_DoRegister();
