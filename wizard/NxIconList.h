// The icon list as the C++ IDE's run time compiles it (version 2.1 of the unit): the Nx icon list
// (nx/NxIconList.h) with these differences, and the icon list the wizard's editors work on in all
// three builds:
//   - its image list is made on first need, 16 by 16 by default, always a copy of the shell's
//     small system image list (emptied and sized to Width by Height);
//   - it adds icons from handles and .ico files, removes and draws single icons, hands icons out,
//     and can adopt an image list made elsewhere (Adopted: emptied by Clear, never destroyed);
//   - a failed check raises EAssertionFailed, "<check> (NxIconList, line N)";
//   - "Icons" is the common controls' image-list stream only (ImageList_Write); the Nx icon list
//     reads it too, while its own two-bitmap data does not load here;
//   - Assign copies the size, background colour, tray icon, interval and animation, then the
//     icons through a stream.
// Declared in its own namespace, so that it links beside the Nx icon list; both are "TNxIconList".
#pragma once

#include <windows.h>
#include <objidl.h>
#include <commctrl.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Graphics.h"
#include "nx/NxIconList.h"  // the draw styles and their flags
#include "nx/NxTrayIcon.h"

namespace nx21 {

// Declared by the unit; none of its operations raises it (they assert).
VD_DECLARE_EXCEPTION(ENxIconList, Exception);

class TNxIconList : public TComponent {
  VD_CLASS(TNxIconList, TComponent);

public:
  // 16 by 16, no image list yet.
  explicit TNxIconList(TComponent* AOwner);

  // Once a list exists its icon size ("Failed to access the ImageList" when it can't be read).
  int Width();
  // Only while there is no list ("Unable to assign Width while ImageList exists. Use SetSize
  // method"); then SetSize changes it.
  void SetWidth(int Value);
  int Height();
  void SetHeight(int Value);
  TNxTrayIcon* TrayIcon() const noexcept { return FTrayIcon; }
  void SetTrayIcon(TNxTrayIcon* Value);
  int Interval() const noexcept { return FInterval; }
  void SetInterval(int Value) { FInterval = Value; }
  // While designing: the stored design value; else whether the timer runs.
  bool Animated() const;
  // At design time only stored. True makes the timer on first need (1000 ms; Interval doesn't
  // reach it); False only stops it.
  void SetAnimated(bool Value);
  int IconIndex() const noexcept { return FIconIndex; }
  // Not above the icon count (checked unless loading); updates the tray icon unless loading.
  void SetIconIndex(int Value);
  TNxIconDrawStyle DrawStyle() const noexcept { return FDrawStyle; }
  void SetDrawStyle(TNxIconDrawStyle Value);
  // From the list when it exists; clNone is no background.
  TColor BkColor();
  // Makes the list if needed.
  void SetBkColor(TColor Value);
  // Whether the list was handed in by SetImageList.
  bool Adopted() const noexcept { return FAdopted; }

  int GetIconCount();
  // The list (made if needed), still the icon list's.
  HIMAGELIST GetImageList();
  // Takes List as the icon list's list without owning it ("ImageList already specified" when
  // there is one).
  void SetImageList(HIMAGELIST List);
  // A new icon size; removes every image.
  void SetSize(int AWidth, int AHeight);
  // Removes every icon, then drops an own list (an adopted one stays, empty).
  void Clear();
  // Destroys an own list; an adopted one stays.
  void FreeImageList();
  // Adds a copy of Icon (the caller keeps it) and fires OnChange; the new index.
  int AddIcon(HICON Icon);
  // Adds the icon of an .ico file, loaded at the list's size.
  void AddIconFromFile(const std::string& FileName);
  // Removes icon Index; no OnChange.
  void Remove(int Index);
  void DrawIcon(TCanvas* Canvas, int Index, int X, int Y, TNxIconDrawStyle Style);
  // Icon Index (0 <= Index < count) in DrawStyle: a new TIcon, or a handle, owned by the caller.
  TIcon* GetIcon(int Index);
  HICON GetHIcon(int Index);
  // Same icon count and the same "Icons" data; two empty lists are equal; nil is not.
  bool Equal(TNxIconList* Other);
  // Whether a writer with this ancestor writes "Icons".
  bool ShouldWriteIcons(TPersistent* Ancestor);

  virtual void Changed();
  // One step: IconIndex + 1, back to 0 after the last icon, then UpdateIcon.
  virtual void DoAnimate();
  // Shows the current icon in TrayIcon (one modify).
  virtual void UpdateIcon();
  // Replaces the list with the image-list stream at the stream's position ("Stream read error").
  virtual void LoadFromStream(TStream& Stream);
  // The list as ImageList_Write writes it ("Failed to write stream").
  virtual void SaveToStream(TStream& Stream);
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);

  // From another icon list: size, background colour, TrayIcon, Interval, Animated, then the icons.
  // Anything else: "The source object is not a TNxIconList".
  void Assign(TPersistent* Source) override;
  // The same without TrayIcon, Interval and Animated, which stay as they are (the icon-list
  // editor's working copy and its write-back).
  void AssignIcons(TNxIconList* Source);
  void DefineProperties(TFiler* Filer) override;

  TNxIconListChange OnChange;
  TNotifyEvent OnAnimate;

  // The timer while one exists (tests).
  TTimer* AnimationTimer() const noexcept { return FTimer; }

protected:
  ~TNxIconList() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void NeedImageList();
  // Installs a list this icon list made (Adopted cleared).
  void InstallOwnList(HIMAGELIST List);
  // Clear, then let go of the list (destroyed when own).
  void DropImageList();
  void CopySizeAndColor(TNxIconList& Source);
  void CopyIcons(TNxIconList& Source);
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream);
  void AnimationEvent(TObject* Sender);

  bool FDesignAnimated = false;
  TColor FBkColor = clNone;
  int FHeight = 16;
  int FIconIndex = 0;
  HIMAGELIST FImageList = nullptr;
  int FInterval = 0;
  TNxIconDrawStyle FDrawStyle = ildNormal;
  TTimer* FTimer = nullptr;
  TNxTrayIcon* FTrayIcon = nullptr;
  int FWidth = 16;
  bool FAdopted = false;
};

}  // namespace nx21
