// Image lists: a component over a common-controls image list (HIMAGELIST) of equally sized images,
// made on first use. Form resources store the images in the binary property "Bitmap", which holds
// the common controls' own image-list stream.
#pragma once

#include <windows.h>
#include <objidl.h>  // before commctrl.h: declares the stream functions of image lists
#include <commctrl.h>

#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
VD_ENUM_INFO(TDrawingStyle, "dsFocus", "dsSelected", "dsNormal", "dsTransparent")
enum TImageType { itImage, itMask };
VD_ENUM_INFO(TImageType, "itImage", "itMask")

inline constexpr const char* SInvalidImageListIndex = "Invalid ImageList Index";
inline constexpr const char* SImageListAddFailed = "Failed to add image to the image list";
inline constexpr const char* SImageListReplaceFailed = "Failed to replace image in the image list";
inline constexpr const char* SImageListReadFailed = "Failed to read ImageList data from stream";
inline constexpr const char* SImageListWriteFailed = "Failed to write ImageList data to stream";

class TCustomImageList;

// A client's subscription to an image list (a list view, a tree view): OnChange runs after every
// change of the list, a new handle included, so the client can hand the list's handle on again.
// Not copyable; it leaves the list when destroyed, and the list leaves it when freed.
class TChangeLink {
public:
  TChangeLink() = default;
  ~TChangeLink() { SetSender(nullptr); }
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  TCustomImageList* Sender() const noexcept { return FSender; }
  // Subscribes to Value (nil: to none).
  void SetSender(TCustomImageList* Value);
  TNotifyEvent OnChange;

private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  VD_CLASS(TCustomImageList, TComponent);

public:
  explicit TCustomImageList(TComponent* AOwner);
  TCustomImageList(TComponent* AOwner, int AWidth, int AHeight);
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  // The list; made on first use with the current size, masking and background colour.
  HIMAGELIST Handle();
  // Adopts Value (destroyed with the component unless ShareImages); its icon size and background
  // colour become the component's.
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }
  // Hands the list to the caller, who then owns it; the component has none afterwards.
  HIMAGELIST ReleaseHandle();

  int Count();
  int Width() const noexcept { return FWidth; }
  // A new size empties the list.
  void SetWidth(int Value);
  int Height() const noexcept { return FHeight; }
  void SetHeight(int Value);
  int AllocBy() const noexcept { return FAllocBy; }
  void SetAllocBy(int Value) { FAllocBy = Value > 0 ? Value : FAllocBy; }
  // clNone: no background (transparent drawing); read from the list when there is one.
  TColor BkColor();
  void SetBkColor(TColor Value);
  TColor BlendColor() const noexcept { return FBlendColor; }
  void SetBlendColor(TColor Value);
  TDrawingStyle DrawingStyle() const noexcept { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const noexcept { return FImageType; }
  void SetImageType(TImageType Value);
  // Whether the list keeps masks. Changing it empties the list.
  bool Masked() const noexcept { return FMasked; }
  void SetMasked(bool Value);
  // True: the list is not destroyed with the component (it belongs to someone else).
  bool ShareImages() const noexcept { return FShareImages; }
  void SetShareImages(bool Value) { FShareImages = Value; }

  // Add: Image may hold several images side by side (its width a multiple of Width); Mask (may be
  // nil) is a one-bit mask of the same size. Returns the index of the first image added.
  // EInvalidOperation when the list refuses the image.
  int Add(TBitmap* Image, TBitmap* Mask);
  // Pixels of MaskColor become transparent (clDefault: the image's bottom-left pixel). Image stays
  // as it is.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  void Replace(int Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceIcon(int Index, TIcon* Image);
  // Index -1 deletes every image.
  void Delete(int Index);
  void Clear() { Delete(-1); }

  // Image Index as an icon (owned by Image) in the given style.
  void GetIcon(int Index, TIcon* Image) { GetIcon(Index, Image, dsNormal, itImage); }
  void GetIcon(int Index, TIcon* Image, TDrawingStyle ADrawingStyle, TImageType AImageType);
  // Image Index drawn on a white bitmap of the list's size; false for an index out of range.
  bool GetBitmap(int Index, TBitmap* Image);
  // Draws image Index with the list's style; disabled images are drawn embossed in the button
  // highlight and shadow colours.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
            TImageType AImageType, bool Enabled = true);

  // While updates are open (nested), OnChange waits for the last EndUpdate.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  // The common controls' image-list stream ("IL" ...). EReadError / EWriteError on failure; the
  // list is unchanged when reading fails.
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream);
  // Same number of images and the same stream contents.
  bool Equal(TCustomImageList* Other);

  TNotifyEvent OnChange;
  void RegisterChanges(TChangeLink* Link);
  void UnRegisterChanges(TChangeLink* Link);

protected:
  ~TCustomImageList() override;
  virtual void Change();

private:
  void HandleNeeded();
  void FreeHandle();
  void CheckIndex(int Index);
  int Added(int Result);

  HIMAGELIST FHandle = nullptr;
  int FWidth = 16;
  int FHeight = 16;
  int FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  bool FShareImages = false;
  int FUpdateCount = 0;
  bool FChanged = false;
  std::vector<TChangeLink*> FLinks;
};

// The published image list of forms: AllocBy, BlendColor, BkColor, DrawingStyle, Height,
// ImageType, Masked, ShareImages, Width, OnChange, and the images as "Bitmap".
class TImageList : public TCustomImageList {
  VD_CLASS(TImageList, TCustomImageList);

public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  TImageList(TComponent* AOwner, int AWidth, int AHeight) : TCustomImageList(AOwner, AWidth, AHeight) {}
};

// COLORREF for the common controls: clNone is CLR_NONE, clDefault CLR_DEFAULT, system colours
// their RGB value; and back.
COLORREF ImageListColor(TColor Color);
TColor ColorFromImageList(COLORREF Color);
