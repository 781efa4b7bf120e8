// Graphics: colours and their identifiers, fonts, pens and brushes, the canvas over a device
// context, and the graphic classes (bitmap, icon, enhanced metafile) with the picture that holds
// any of them.
//
// GDI objects are made on demand and owned by the object that made them: a TFont creates its
// HFONT when asked for its Handle and deletes it when its attributes change or it is freed. A
// canvas selects its font, pen and brush into its DC only when a drawing operation needs them,
// and selects the DC's original objects back before it lets go of the DC, so no object of ours
// stays selected in a DC that outlives the canvas.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Streams.h"
#include "classlib/System.h"
#include "classlib/TypInfo.h"

// windows.h maps TextOut to TextOutA; the canvas method keeps its own name. Call TextOutA.
#undef TextOut

VD_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
VD_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

using TPoint = POINT;
using TRect = RECT;
using TSize = SIZE;

inline TPoint Point(int X, int Y) { return TPoint{X, Y}; }
inline TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect{Left, Top, Right, Bottom}; }
inline TRect Bounds(int Left, int Top, int Width, int Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}

// ---- Colours ------------------------------------------------------------------------------------

// 0x00BBGGRR, or a system colour: the high byte 0xFF (or any value with the sign bit set) and a
// COLOR_* index in the low byte. clNone and clDefault are markers, not colours.
using TColor = int32_t;

inline constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor SysColor(int Index) { return clSystemColor | Index; }

inline constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SysColor(COLOR_MENU);
inline constexpr TColor clWindow = SysColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// The RGB value to hand to GDI: system colours through GetSysColor, everything else as it is
// (clNone and clDefault included; callers that give them a meaning test for them first).
COLORREF ColorToRGB(TColor Color);

// Colour identifiers ("clRed", "clBtnFace", ...) for form resources and editors. The lookup of an
// identifier ignores case; a value with two names (clSilver/clLtGray) gives the first.
bool IdentToColor(const std::string& Ident, int& Color);
bool ColorToIdent(int Color, std::string& Ident);
// An identifier, else "$" and eight hex digits.
std::string ColorToString(TColor Color);
// An identifier or a number (decimal, "$hex", "0xhex"); EConvertError otherwise.
TColor StringToColor(const std::string& S);
// Calls Proc with every colour identifier in table order.
void GetColorValues(const std::function<void(const std::string&)>& Proc);
// The type of TColor properties ("TColor": a 32-bit integer with identifiers).
const TTypeInfo* ColorTypeInfo();

// ---- Fonts, pens, brushes -----------------------------------------------------------------------

using TFontCharset = uint8_t;
// Charset identifiers ("DEFAULT_CHARSET", "ANSI_CHARSET", ...), and the property type.
bool IdentToCharset(const std::string& Ident, int& Charset);
bool CharsetToIdent(int Charset, std::string& Ident);
const TTypeInfo* CharsetTypeInfo();

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
VD_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
VD_ENUM_INFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
VD_ENUM_INFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
             "psInsideFrame")
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
VD_ENUM_INFO(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
             "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
             "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor")
enum TBrushStyle {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};
VD_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
             "bsBDiagonal", "bsCross", "bsDiagCross")

// A font, pen or brush: attributes plus a GDI handle made from them on demand. Every change of an
// attribute fires OnChange (the owning canvas deselects the old handle there) and then deletes
// the old handle, so nothing still selected is ever deleted.
class TGraphicsObject : public TPersistent {
  VD_CLASS(TGraphicsObject, TPersistent);

public:
  ~TGraphicsObject() override;
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }
  TNotifyEvent OnChange;

protected:
  TGraphicsObject() = default;
  // Creates the handle from the attributes (or returns a stock object, which is never deleted).
  virtual HGDIOBJ CreateHandle() = 0;
  HGDIOBJ GetHandle();
  // Adopts a handle made elsewhere (owned from now on) without notifying.
  void AdoptHandle(HGDIOBJ Value);
  // Takes the handle away, OnChange, then deletes the old one.
  virtual void Changed();

private:
  void DeleteHandle(HGDIOBJ H);
  HGDIOBJ FHandle = nullptr;
};

class TFont : public TGraphicsObject {
  VD_CLASS(TFont, TGraphicsObject);

public:
  // "MS Sans Serif", 8 points at the screen's resolution, clWindowText, DEFAULT_CHARSET.
  TFont();
  void Assign(TPersistent* Source) override;

  HFONT Handle() { return static_cast<HFONT>(GetHandle()); }
  // Adopts Value (owned from now on) and takes its attributes.
  void SetHandle(HFONT Value);

  const std::string& Name() const noexcept { return FName; }
  void SetName(const std::string& Value);
  // Height in pixels: negative for the character height, positive for the cell height.
  int Height() const noexcept { return FHeight; }
  void SetHeight(int Value);
  // Size in points, derived from Height and PixelsPerInch.
  int Size() const;
  void SetSize(int Value);
  TFontStyles Style() const noexcept { return FStyle; }
  void SetStyle(TFontStyles Value);
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TFontCharset Charset() const noexcept { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const noexcept { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const noexcept { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : FPixelsPerInch; }

protected:
  HGDIOBJ CreateHandle() override;

private:
  std::string FName;
  int FHeight;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch;
};

class TPen : public TGraphicsObject {
  VD_CLASS(TPen, TGraphicsObject);

public:
  TPen() = default;
  void Assign(TPersistent* Source) override;
  HPEN Handle() { return static_cast<HPEN>(GetHandle()); }
  void SetHandle(HPEN Value);

  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TPenMode Mode() const noexcept { return FMode; }
  void SetMode(TPenMode Value);
  TPenStyle Style() const noexcept { return FStyle; }
  void SetStyle(TPenStyle Value);
  int Width() const noexcept { return FWidth; }
  void SetWidth(int Value);

protected:
  HGDIOBJ CreateHandle() override;

private:
  TColor FColor = clBlack;
  TPenMode FMode = pmCopy;
  TPenStyle FStyle = psSolid;
  int FWidth = 1;
};

class TBitmap;

class TBrush : public TGraphicsObject {
  VD_CLASS(TBrush, TGraphicsObject);

public:
  TBrush() = default;
  void Assign(TPersistent* Source) override;
  HBRUSH Handle() { return static_cast<HBRUSH>(GetHandle()); }
  void SetHandle(HBRUSH Value);

  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);  // a clear brush becomes solid
  TBrushStyle Style() const noexcept { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern bitmap (not owned; the caller keeps it alive while the brush uses it). Nil: none.
  TBitmap* Bitmap() const noexcept { return FBitmap; }
  void SetBitmap(TBitmap* Value);

protected:
  HGDIOBJ CreateHandle() override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
};

// ---- Canvas -------------------------------------------------------------------------------------

enum TCanvasStateItem { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStateItem>;
using TCopyMode = DWORD;  // a raster operation: cmSrcCopy = SRCCOPY, ...
inline constexpr TCopyMode cmSrcCopy = SRCCOPY;
inline constexpr TCopyMode cmSrcAnd = SRCAND;
inline constexpr TCopyMode cmSrcInvert = SRCINVERT;
inline constexpr TCopyMode cmSrcPaint = SRCPAINT;
inline constexpr TCopyMode cmBlackness = BLACKNESS;
inline constexpr TCopyMode cmWhiteness = WHITENESS;

class TGraphic;

// Drawing on a device context. The DC is either given (SetHandle: borrowed, or owned when asked)
// or made by a descendant on demand (CreateHandle: bitmap, metafile and control canvases). The
// font colour becomes the text colour, the brush colour the background colour; a clear brush
// makes the background transparent.
class TCanvas : public TPersistent {
  VD_CLASS(TCanvas, TPersistent);

public:
  TCanvas();
  ~TCanvas() override;

  // The DC; made with CreateHandle when there is none. EInvalidOperation "Canvas does not allow
  // drawing" when there is still none.
  HDC Handle();
  // Lets go of the current DC (our objects deselected; deleted when owned) and uses Value.
  void SetHandle(HDC Value, bool OwnsDC = false);
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }

  TFont* Font() const noexcept { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const noexcept { return FPen; }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const noexcept { return FBrush; }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode CopyMode() const noexcept { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint PenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.x, Value.y); }
  TRect ClipRect();

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.left, R.top, R.right, R.bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.left, R.top, R.right, R.bottom); }
  void Polygon(const std::vector<TPoint>& Points);
  void Polyline(const std::vector<TPoint>& Points);
  // With the brush.
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);

  void TextOut(int X, int Y, const std::string& Text);
  // Clipped to R; the background is filled first unless the brush is clear.
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  TSize TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  // A graphic at its own size, or stretched into R. Empty graphics draw nothing.
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Source of Canvas stretched into Dest of this canvas with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Color);

  // Serialises drawing from several threads; a locked bitmap canvas keeps its DC.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const noexcept { return FLockCount; }

  // Deselects our objects from the DC; the next drawing selects them again.
  void Refresh() { DeselectHandles(); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // Makes the DC for a canvas that has none (the base makes none).
  virtual void CreateHandle() {}
  // Selects what a drawing operation needs (csHandleValid makes the DC).
  void RequiredState(TCanvasState ReqState);
  virtual void Changing();
  virtual void Changed();

private:
  void DeselectHandles();
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);

  HDC FHandle = nullptr;
  bool FOwnsDC = false;
  TCanvasState FState;
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  HGDIOBJ FOldFont = nullptr;  // the DC's own objects, selected back on release
  HGDIOBJ FOldPen = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  TCopyMode FCopyMode = cmSrcCopy;
  CRITICAL_SECTION FLock;
  int FLockCount = 0;
};

// ---- Graphics -----------------------------------------------------------------------------------

enum TProgressStage { psStarting, psRunning, psEnding };
VD_ENUM_INFO(TProgressStage, "psStarting", "psRunning", "psEnding")
using TProgressEvent = TEvent<TObject* /*Sender*/, TProgressStage /*Stage*/, uint8_t /*PercentDone*/,
                              bool /*RedrawNow*/, const TRect& /*R*/, const std::string& /*Msg*/>;

// An image that can draw itself on a canvas and save itself to a stream.
class TGraphic : public TPersistent {
  VD_CLASS(TGraphic, TPersistent);

public:
  virtual bool Empty() = 0;
  virtual int Width() = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int Height() = 0;
  virtual void SetHeight(int Value) = 0;
  bool Transparent() const noexcept { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const noexcept { return FModified; }
  void SetModified(bool Value);
  // The graphic's own palette (nil: none; owned by the graphic). PaletteModified tells whoever
  // shows the graphic that the palette changed and should be realised again.
  virtual HPALETTE Palette() { return nullptr; }
  bool PaletteModified() const noexcept { return FPaletteModified; }
  void SetPaletteModified(bool Value) noexcept { FPaletteModified = Value; }

  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) = 0;
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  // Same class and the same saved bytes (two empty graphics of one class are equal).
  virtual bool Equals(TGraphic* Graphic);
  // The form of a picture's "Data" property (after the class name); the base is the saved
  // stream itself.
  virtual void ReadData(TStream& Stream) { LoadFromStream(Stream); }
  virtual void WriteData(TStream& Stream) { SaveToStream(Stream); }

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

protected:
  friend class TCanvas;
  TGraphic() = default;
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  // Marks the graphic modified and fires OnChange.
  virtual void Changed(TObject* Sender);
  void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                const TRect& R, const std::string& Msg);

private:
  bool FTransparent = false;
  bool FModified = false;
  bool FPaletteModified = false;
};

using TGraphicClass = TClassRef<TGraphic>;

// ---- Bitmap -------------------------------------------------------------------------------------

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
VD_ENUM_INFO(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit",
             "pf32bit", "pfCustom")
enum TTransparentMode { tmAuto, tmFixed };
VD_ENUM_INFO(TTransparentMode, "tmAuto", "tmFixed")

class TBitmapCanvas;

// A bitmap. The images it makes are DIB sections (pfDevice: the screen's depth); a handle handed
// in with SetHandle may be any bitmap and is converted to a DIB when ScanLine needs one. New
// bitmaps and the area a resize adds are white. The Canvas keeps a memory DC with the bitmap
// selected; Handle lets go of it (unless the canvas is locked) so the handle can be selected
// elsewhere.
class TBitmap : public TGraphic {
  VD_CLASS(TBitmap, TGraphic);

public:
  TBitmap();
  ~TBitmap() override;
  void Assign(TPersistent* Source) override;

  bool Empty() override { return FHandle == nullptr; }
  int Width() override { return FWidth; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  int Height() override { return FHeight; }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  // Keeps the image in the top-left corner; 0 in either dimension makes the bitmap empty.
  void SetSize(int AWidth, int AHeight);
  // The format of the image (pfDevice only for a device-dependent bitmap handed in); the format
  // asked for while the bitmap is empty. Setting it converts the image.
  TPixelFormat PixelFormat();
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() { return PixelFormat() == pf1bit; }

  TCanvas* Canvas();
  HBITMAP Handle();
  // Adopts Value (owned from now on; nil empties the bitmap).
  void SetHandle(HBITMAP Value);
  // Hands the handle to the caller, who then owns it; the bitmap is empty afterwards.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }
  // Row Y of the pixel data (rows top to bottom, whatever the DIB's order). The bitmap becomes a
  // DIB first when it is not one. EInvalidGraphicOperation for a row out of range.
  void* ScanLine(int Row);

  // The colour drawn transparent: tmAuto takes the bottom-left pixel, tmFixed the colour set.
  TColor TransparentColor();
  // clDefault: back to tmAuto; any other value: tmFixed.
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const noexcept { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // BMP files: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit fields.
  // EInvalidGraphic "Bitmap image is not valid" for anything else; the bitmap is then unchanged.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // A bitmap resource (RT_BITMAP) of Instance. EResNotFound when there is none.
  void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
  void LoadFromResourceID(HINSTANCE Instance, int ResID);
  // A 4-byte size, then the BMP file (size 0: empty).
  void ReadData(TStream& Stream) override;
  void WriteData(TStream& Stream) override;

  // Deselects the bitmap from the canvas DC and deletes the DC (nothing while locked).
  void FreeContext();

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  friend class TBitmapCanvas;
  void LoadFromDib(const uint8_t* Data, size_t Size, int64_t BitsOffset);
  // Makes a white image of the size and format and copies CopyFrom (when given) into its corner.
  void NewImage(int AWidth, int AHeight, TPixelFormat Format, HBITMAP CopyFrom);
  void ReplaceHandle(HBITMAP Value);
  void CanvasChanged(TObject* Sender);

  HBITMAP FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TBitmapCanvas* FCanvas = nullptr;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

// ---- Icon ---------------------------------------------------------------------------------------

// An icon. Loaded from an icon file, it keeps the file's bytes and saves them back unchanged; made
// from a handle, it saves a one-image 32-bit icon file built from the handle.
class TIcon : public TGraphic {
  VD_CLASS(TIcon, TGraphic);

public:
  TIcon() { SetTransparent(true); }
  ~TIcon() override;
  void Assign(TPersistent* Source) override;

  bool Empty() override { return FHandle == nullptr && FData.empty(); }
  int Width() override;
  int Height() override;
  // An icon has the size of its image: EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;

  // The icon (nil when empty).
  HICON Handle();
  // Adopts Value (owned from now on; nil empties the icon).
  void SetHandle(HICON Value);
  // Hands the handle to the caller, who then owns it; the icon is empty afterwards.
  HICON ReleaseHandle();
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }

  // Icon files (.ico): EInvalidGraphic "Icon image is not valid" for anything else (the icon is
  // then unchanged). The image of the system's icon size is chosen, else the largest.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  void FreeIcon();
  void NeedSize();
  HICON FHandle = nullptr;
  std::vector<uint8_t> FData;  // the icon file it was loaded from
  int FWidth = 0;
  int FHeight = 0;
};

// ---- Metafile -----------------------------------------------------------------------------------

// An enhanced metafile. Streams hold EMF data when Enhanced (the default) and placeable Windows
// metafiles otherwise; both kinds load.
class TMetafile : public TGraphic {
  VD_CLASS(TMetafile, TGraphic);

public:
  TMetafile() = default;
  ~TMetafile() override;
  void Assign(TPersistent* Source) override;

  bool Empty() override { return FHandle == nullptr; }
  int Width() override;
  void SetWidth(int Value) override;
  int Height() override;
  void SetHeight(int Value) override;
  // The size in 0.01 mm.
  int MMWidth() const noexcept { return FMMWidth; }
  void SetMMWidth(int Value);
  int MMHeight() const noexcept { return FMMHeight; }
  void SetMMHeight(int Value);
  bool Enhanced() const noexcept { return FEnhanced; }
  void SetEnhanced(bool Value) { FEnhanced = Value; }
  // Units per inch of a placeable Windows metafile (written with Enhanced False).
  int Inch() const noexcept { return FInch; }
  void SetInch(int Value) { FInch = Value > 0 ? Value : FInch; }

  HENHMETAFILE Handle() const noexcept { return FHandle; }
  // Adopts Value (owned; nil empties); the size comes from its header.
  void SetHandle(HENHMETAFILE Value);
  HENHMETAFILE ReleaseHandle();
  void Clear() { SetHandle(nullptr); }

  // EInvalidGraphic "Metafile is not valid" for data of neither kind.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // A 4-byte size, then the saved stream.
  void ReadData(TStream& Stream) override;
  void WriteData(TStream& Stream) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  void Adopt(HENHMETAFILE Value, bool TakeSize);
  HENHMETAFILE FHandle = nullptr;
  int FMMWidth = 0;
  int FMMHeight = 0;
  bool FEnhanced = true;
  int FInch = 1440;
};

// Records drawing into a metafile. The recording replaces the metafile's image when the canvas is
// freed; an image the metafile already held is played into the recording first.
class TMetafileCanvas : public TCanvas {
  VD_CLASS(TMetafileCanvas, TCanvas);

public:
  // ReferenceDevice: the device whose resolution the recording follows (nil: the screen).
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
  ~TMetafileCanvas() override;

private:
  TMetafile* FMetafile;
};

// ---- Picture ------------------------------------------------------------------------------------

// Holds one graphic of any registered class, made from a file by its extension or from a form
// resource's "Data" property (the class name as a short string, then the graphic's data).
class TPicture : public TPersistent {
  VD_CLASS(TPicture, TPersistent);

public:
  TPicture() = default;
  ~TPicture() override;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  // The graphic (owned; nil when none).
  TGraphic* Graphic() const noexcept { return FGraphic; }
  // A copy of Value (of its class) replaces the graphic; nil removes it.
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap, icon or metafile: when it is of another class it is replaced by an
  // empty one of the class asked for.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  TMetafile* Metafile();
  void SetMetafile(TMetafile* Value) { SetGraphic(Value); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // By the extension's registered class. EInvalidGraphic "Unknown picture file extension (.xyz)".
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  // Registers Extension (without dot, any case) for AGraphicClass; a later registration of the
  // same extension takes precedence. Built in: bmp, ico, emf, wmf.
  static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                 TGraphicClass AGraphicClass);
  static void UnregisterGraphicClass(TGraphicClass AGraphicClass);
  // The class registered for Extension (with or without dot), nil when none.
  static TGraphicClass FileFormatClass(const std::string& Extension);
  // "Description (*.ext)|*.ext|..." of every format of AGraphicClass and its descendants.
  static std::string GraphicFilter(TGraphicClass AGraphicClass);
  // The graphic class named ClassName among the registered and built-in ones, nil when none.
  static TGraphicClass FindGraphicClass(const std::string& ClassName);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

protected:
  // Takes ANew (may be nil) as the graphic without copying; the old one is freed. Routes its
  // change and progress events here and reports a change.
  void AdoptGraphic(TGraphic* ANew);
  virtual void Changed(TObject* Sender);
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream);
  // Whether "Data" is written against the filer's ancestor.
  bool DataDiffersFrom(TPersistent* Ancestor) const;

private:
  template <class T> T* ForceGraphic();
  void GraphicChanged(TObject* Sender);
  void GraphicProgress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                       const TRect& R, const std::string& Msg);
  TGraphic* FGraphic = nullptr;
};

namespace graphics_detail {
// Number of GDI objects the graphics classes have made and not yet deleted in this process
// (fonts, pens, brushes, bitmaps, DCs, icons, metafiles); for leak checks.
long LiveGdiObjects() noexcept;
// Pixels per inch of the screen, read once.
int ScreenLogPixels();
}  // namespace graphics_detail
