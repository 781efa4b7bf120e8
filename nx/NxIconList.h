// The icon list: equally sized icons in a common-controls image list that is always a copy of the
// shell's system image list (emptied and resized, so it has the system's colour depth and
// masks). It can step through its icons on a timer and show the current one in a tray icon. Form
// resources hold the icons in the binary property "Icons": two BMP files (image strip, mask
// strip; this build writes that form) or the common controls' image-list stream (read as well).
#pragma once

#include <windows.h>
#include <objidl.h>  // before commctrl.h: the stream functions of image lists
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "classlib/Classes.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Graphics.h"
#include "nx/NxTools.h"
#include "nx/NxTrayIcon.h"

enum TNxIconDrawStyle { ildBlend25, ildFocus, ildBlend50, ildSelected, ildBlend, ildMask, ildNormal, ildTransparent };
VD_ENUM_INFO(TNxIconDrawStyle, "ildBlend25", "ildFocus", "ildBlend50", "ildSelected", "ildBlend", "ildMask",
             "ildNormal", "ildTransparent")

// The image-list draw flags of a style.
UINT ILDNxToAPI(TNxIconDrawStyle Style);

using TNxIconListChange = TNotifyEvent;

// The image-list stream at the stream's position, checked before the common controls read it: a
// new list (the caller's), or nil with the reason in Why. The stream is then left somewhere inside
// the data.
HIMAGELIST NxReadImageListStream(TStream& Stream, std::string& Why);
// Shows icon Index of List (taken with Flags) in Tray with one modify; the icon the tray showed
// before is destroyed once the shell has the new one.
void NxShowListIconInTray(TNxTrayIcon& Tray, HIMAGELIST List, int Index, UINT Flags);

// Equal of two icon lists with Count and OtherCount icons: different counts are unequal, two empty
// lists equal; else the "Icons" data each writes (Write, WriteOther) must be the same bytes.
bool NxSameIconData(int Count, int OtherCount, const std::function<void(TStream&)>& Write,
                    const std::function<void(TStream&)>& WriteOther);

// The text of Assign from anything but an icon list.
inline constexpr const char* SNxNotAnIconList = "The source object is not a TNxIconList";

class TNxIconList : public TComponent {
  VD_CLASS(TNxIconList, TComponent);

public:
  // Width and Height 32 through their setters: the list is made here.
  explicit TNxIconList(TComponent* AOwner);

  // While designing: the stored design value; else whether the timer runs.
  bool Animated() const;
  // At design time only stored. True makes the timer on first need (its period stays 1000 ms;
  // Interval doesn't reach it); False puts IconIndex back to 0 and updates the tray icon.
  void SetAnimated(bool Value);
  // From the list (clNone when it has no background colour).
  TColor BkColor();
  void SetBkColor(TColor Value);
  TNxIconDrawStyle DrawStyle() const noexcept { return FDrawStyle; }
  void SetDrawStyle(TNxIconDrawStyle Value);
  // The list's icon size once it exists. A new size empties the list.
  int Width();
  void SetWidth(int Value);
  int Height();
  void SetHeight(int Value);
  int IconIndex() const noexcept { return FIconIndex; }
  // Not range-checked; updates the tray icon unless loading.
  void SetIconIndex(int Value);
  int Interval() const noexcept { return FInterval; }
  void SetInterval(int Value) { FInterval = Value; }
  TNxTrayIcon* TrayIcon() const noexcept { return FTrayIcon; }
  void SetTrayIcon(TNxTrayIcon* Value);

  int GetIconCount();
  // The list (made if needed), still owned by the icon list.
  HIMAGELIST GetImageList();
  // Sets the icon size; removes every image.
  void SetSize(int AWidth, int AHeight);
  void Clear() { FreeImageList(); }
  // Destroys the list; the next use makes a new, empty one.
  void FreeImageList();
  // Adds a copy of Icon (the caller keeps its handle) and fires OnChange; the new index, -1 when
  // the list refuses it.
  int AddIcon(HICON Icon);
  // Same icon count and the same "Icons" data; two empty lists are equal; nil is not.
  bool Equal(TNxIconList* Other);
  // Whether a writer with this ancestor writes "Icons".
  bool ShouldWriteIcons(TPersistent* Ancestor);

  virtual void Changed();
  // One step: IconIndex + 1, back to 0 after the last icon, then UpdateIcon.
  virtual void DoAnimate();
  // Shows the current icon in TrayIcon (one modify); the icon shown before is destroyed.
  virtual void UpdateIcon();
  virtual void LoadFromFile(const std::string& FileName);
  // Replaces the list with the "Icons" data at the stream's position: an image-list stream gives
  // the list it holds (with its icon size); two BMP strips must fit the current icon size.
  // EReadError for anything else, the list then left empty until the next use makes one.
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToFile(const std::string& FileName);
  // The two BMP strips (see NxIconListFormat.h).
  virtual void SaveToStream(TStream& Stream);

  // From another icon list: a copy of its image list (images, icon size, background colour).
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnAnimate;
  TNxIconListChange OnChange;

  // The timer while one exists (tests).
  TTimer* AnimationTimer() const noexcept { return FTimer; }

protected:
  ~TNxIconList() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void NeedImageList();
  void AdoptImageList(HIMAGELIST List);
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream);
  void AnimationEvent(TObject* Sender);

  bool FDesignAnimated = false;
  TColor FBkColor = clNone;
  int FHeight = 0;
  int FIconIndex = 0;
  HIMAGELIST FImageList = nullptr;
  int FInterval = 0;
  TNxIconDrawStyle FDrawStyle = ildNormal;
  TTimer* FTimer = nullptr;
  TNxTrayIcon* FTrayIcon = nullptr;
  int FWidth = 0;
};

namespace nxiconlist_detail {
// Where a new list is copied from; tests put their own routes here.
using TGetFileInfoFunc = DWORD_PTR(WINAPI*)(LPCSTR Path, DWORD Attributes, SHFILEINFOA* Info, UINT InfoSize,
                                            UINT Flags);
struct TSystemListSource {
  // SHGetImageList of the Shell32 binding, or nil when it isn't bound.
  TSHGetImageList (*ShellImageList)();
  TGetFileInfoFunc GetFileInfo;
};
extern TSystemListSource SystemListSource;
}  // namespace nxiconlist_detail

void NxIconListInitialize();
void NxIconListFinalize();
