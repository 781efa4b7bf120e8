// What the lx controls share for drawing: the picture class that keeps icons and metafiles in form
// resources as the packed property "SFP", background routines (pictures tiled, stretched,
// zig-zagged, centred or aligned; gradients), glyphs (transparent, disabled, recoloured), push-button
// frames and text metrics; and the library's own cursors with the cursor and colour identifiers that
// form resources may use.
//
// The unit's start-up (the module's ordered unit start-up, never DllMain) puts the library cursors
// into Screen's cursor table and registers the identifier maps; its shutdown takes them out again.
// The cursors are loaded from the module this code is linked into, whose resources carry them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"

// ---- Enumerations -------------------------------------------------------------------------------

enum TlxBackgroundPictureStyle { bsTile, bsStretch, bsZigzag, bsCenter, bsAlignLeft, bsAlignRight };
VD_ENUM_INFO(TlxBackgroundPictureStyle, "bsTile", "bsStretch", "bsZigzag", "bsCenter", "bsAlignLeft",
             "bsAlignRight")
enum TlxGradientDirection { gdVertical, gdHorizontal, gdCentral };
VD_ENUM_INFO(TlxGradientDirection, "gdVertical", "gdHorizontal", "gdCentral")
enum TlxBackgroundKind { bkPicture, bkGradient };
VD_ENUM_INFO(TlxBackgroundKind, "bkPicture", "bkGradient")
enum TlxScreenColorMode { sm4bit, sm8bit, sm16bit, sm24bit, sm32bit };
VD_ENUM_INFO(TlxScreenColorMode, "sm4bit", "sm8bit", "sm16bit", "sm24bit", "sm32bit")
enum TlxScreenResolution {
  sr640x480, sr800x600, sr1024x768, sr1152x864, sr1280x960, sr1280x1024, sr1600x1200, sr1920x1080,
  sr1920x1200, sr480x640, sr600x800, sr768x1024, sr864x1152, sr960x1280, sr1024x1280, sr1200x1600,
  sr1080x1920, sr1200x1920
};
VD_ENUM_INFO(TlxScreenResolution, "sr640x480", "sr800x600", "sr1024x768", "sr1152x864", "sr1280x960",
             "sr1280x1024", "sr1600x1200", "sr1920x1080", "sr1920x1200", "sr480x640", "sr600x800",
             "sr768x1024", "sr864x1152", "sr960x1280", "sr1024x1280", "sr1200x1600", "sr1080x1920",
             "sr1200x1920")

// ---- Library cursors ----------------------------------------------------------------------------

// Slots of Screen->Cursors. -151 and -152 are system cursors; the others are resources of the
// module, named by the identifier in upper case ("CR3DARROW").
inline constexpr TCursor crZoomOut = -193;
inline constexpr TCursor crZoomIn = -192;
inline constexpr TCursor crTool = -191;
inline constexpr TCursor crPen = -190;
inline constexpr TCursor crItBeam = -189;
inline constexpr TCursor crHand = -188;
inline constexpr TCursor crDragSelectionPlus = -187;
inline constexpr TCursor crDragSelection = -186;
inline constexpr TCursor crDragFiles = -185;
inline constexpr TCursor crDragFile = -184;
inline constexpr TCursor crArrowSW = -183;
inline constexpr TCursor crArrowResize = -182;
inline constexpr TCursor crArrowSize = -181;
inline constexpr TCursor crArrowSE = -180;
inline constexpr TCursor crArrowScrollVert = -179;
inline constexpr TCursor crArrowScrollHorz = -178;
inline constexpr TCursor crArrowNW = -177;
inline constexpr TCursor crArrowNE = -176;
inline constexpr TCursor cr3dUpArrow = -175;
inline constexpr TCursor cr3dTool = -174;
inline constexpr TCursor cr3dSizeWE = -173;
inline constexpr TCursor cr3dSizeNWSE = -172;
inline constexpr TCursor cr3dSizeNS = -171;
inline constexpr TCursor cr3dSizeNESW = -170;
inline constexpr TCursor cr3dSize = -169;
inline constexpr TCursor cr3dNo = -168;
inline constexpr TCursor cr3dIBeam = -167;
inline constexpr TCursor cr3dHourGlass = -166;
inline constexpr TCursor cr3dHelp = -165;
inline constexpr TCursor cr3dHandwriting = -164;
inline constexpr TCursor cr3dDragSelectionPlus = -163;
inline constexpr TCursor cr3dDragSelection = -162;
inline constexpr TCursor cr3dCross = -161;
inline constexpr TCursor cr3dArrowWarning = -160;
inline constexpr TCursor cr3dArrowResize = -159;
inline constexpr TCursor cr3dArrowSize = -158;
inline constexpr TCursor cr3dArrowScrollVert = -157;
inline constexpr TCursor cr3dArrowScrollHorz = -156;
inline constexpr TCursor cr3dArrowNE = -155;
inline constexpr TCursor cr3dArrow = -154;
inline constexpr TCursor cr3dAppStart = -153;
inline constexpr TCursor crHandwriting = -152;  // system cursor 32631 (pen)
inline constexpr TCursor crLinkSelect = -151;   // system cursor 32649 (hand)

// Puts the module's 41 resource cursors (-153 down to -193) into Screen's table; a cursor that
// cannot be loaded leaves its slot empty (the default cursor).
void LoadLibraryCursors();
// Takes them out of the table again. They are shared resource cursors of the module, so they
// are not destroyed.
void FreeLibraryCursors();

// ---- Library colours ----------------------------------------------------------------------------

inline constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
inline constexpr TColor clContextHelp = 0x00EEFFFF;
inline constexpr TColor clBrown = 0x00003090;
inline constexpr TColor clOliveGreen = 0x00003030;
inline constexpr TColor clDarkGreen = 0x00003000;
inline constexpr TColor clDarkTeal = 0x00603000;
inline constexpr TColor clIndigo = 0x00903030;
inline constexpr TColor clNight = 0x00303030;
inline constexpr TColor clOrange = 0x000068FF;
inline constexpr TColor clBlueGray = 0x00906060;
inline constexpr TColor clLightOrange = 0x000098FF;
inline constexpr TColor clSeaGreen = 0x00609830;
inline constexpr TColor clLightBlue = 0x00FF6830;
inline constexpr TColor clMetal = 0x00909090;
inline constexpr TColor clGold = 0x0000C8FF;
inline constexpr TColor clPlum = 0x00603090;
inline constexpr TColor clRose = 0x00D098FF;
inline constexpr TColor clTan = 0x00A0C8FF;
inline constexpr TColor clLightYellow = 0x0090FFFF;
inline constexpr TColor clLightGreen = 0x00D0FFD0;
inline constexpr TColor clLightTurquoise = 0x00FFFFC0;
inline constexpr TColor clPaleBlue = 0x00FFC890;
inline constexpr TColor clSoftBlue = 0x00E6AA8C;
inline constexpr TColor clLavender = 0x00FF98C0;
inline constexpr TColor clHotFlame = 0x00EAEAFF;

// ---- Identifiers --------------------------------------------------------------------------------

// The library's table first, then the class library's. Identifiers are compared without regard
// to case. The unit registers these for TCursor and TColor at start-up.
bool CursorToIdentEx(int Cursor, std::string& Ident);
bool IdentToCursorEx(const std::string& Ident, int& Cursor);
// A system colour matches in either form (0xFF0000nn or 0x800000nn).
bool ColorToIdentEx(int Color, std::string& Ident);
bool IdentToColorEx(const std::string& Ident, int& Color);

// ---- Picture ------------------------------------------------------------------------------------

// A picture that keeps an icon or a metafile in form resources as the binary property "SFP": the
// packed stream (lxSFPack) of one kind byte (0 icon, 1 metafile) followed by the graphic's saved
// form. Any other graphic is kept in the class library's "Data" property.
class TlxPicture : public TPicture {
  VD_CLASS(TlxPicture, TPicture);

public:
  TlxPicture() = default;
  void DefineProperties(TFiler* Filer) override;

  // A graphic that is not empty.
  bool HasGraphic() const;
  // Whether "SFP" is the property written against Ancestor (nil: none): the graphic is an icon or
  // a metafile and differs from the ancestor's (only the presence of a graphic counts).
  bool WritesSFP(TPersistent* Ancestor) const;

  // Unpacks Stream and takes the graphic it holds (none for an unknown kind or no data). A graphic
  // that fails to load is freed and the error propagates; the picture then keeps what it had.
  void ReadSFP(TStream& Stream);
  // Packs the kind byte and the graphic into Stream (an empty record for other graphics).
  void WriteSFP(TStream& Stream);
};

// ---- Drawing ------------------------------------------------------------------------------------

// Fills Rect with the colour (system colours resolved).
void FillSolidRect(HDC DC, const TRect& Rect, TColor Color);

// Draws the picture's graphic into Rect in Style; around a centred or aligned graphic the area is
// filled with BackColor. Never raises.
void DrawPicture(TCanvas* Canvas, const TRect& Rect, TPicture* Picture, TColor BackColor,
                 TlxBackgroundPictureStyle Style);

// Colour1 at the top (vertical), the left (horizontal) or the centre (central), Colour2 at the
// other end. Central gradients are ellipses on a BackColor ground. Never raises.
void FillGradient(HDC DC, const TRect& Rect, TColor Color1, TColor Color2, TColor BackColor,
                  TlxGradientDirection Direction);

// Draws Bitmap (when it is not empty) stretched into the Width x Height area at (X, Y), or else
// image ImageIndex of ImageList at its own size. Transparent: the pixels of TransparentColor
// (clNone: the bitmap's top-left pixel) are left out. ReplaceColor: OldColor pixels are drawn in
// NewColor. Disabled: the glyph is embossed in the button highlight and shadow colours.
void DrawGlyph(HDC DC, int X, int Y, int Width, int Height, TBitmap* Bitmap, TCustomImageList* ImageList,
               int ImageIndex, bool Transparent, bool Disabled, bool ReplaceColor, TColor TransparentColor,
               TColor OldColor, TColor NewColor);

// A push-button frame over Rect, pressed or not (Rect itself is not changed).
void DrawButtonFrame(HDC DC, const TRect& Rect, bool Pushed);

// The screen's colour depth.
TlxScreenColorMode GetColorDepth();

// Width of Text in the DC's current font; 0 for no DC or when measuring fails.
int GetDCTextWidth(HDC DC, const std::string& Text);
// The same on the window's DC; 0 for no window.
int GetWndTextWidth(HWND Wnd, const std::string& Text);
// Height of a line of text in the canvas's font.
int GetTextHeight(TCanvas* Canvas);

// The computations behind the routines, for tests.
namespace lxgraphics_detail {
// Defined beside the unit's start-up: whoever includes this header uses the unit, so the start-up
// is linked into the module (from a static library only what is referenced is linked).
extern const int UnitLink;
TlxScreenColorMode ColorModeFromBits(int BitsPerPixel) noexcept;
// The number of colour bands of a gradient over Rect.
int GradientBandCount(TlxGradientDirection Direction, const TRect& Rect) noexcept;
// The colour of band Index of Count from C1 (band 0) to C2 (band Count - 1).
COLORREF GradientBandColor(COLORREF C1, COLORREF C2, int Index, int Count) noexcept;
// Where DrawPicture puts a W x H graphic in Rect (tile, zig-zag, centre, align), in drawing
// order; nothing for stretching, other styles or an empty size.
std::vector<TPoint> PicturePositions(const TRect& Rect, int W, int H, TlxBackgroundPictureStyle Style);
}  // namespace lxgraphics_detail

namespace {
[[maybe_unused, gnu::used]] const int* const lxGraphicsUnitLink = &lxgraphics_detail::UnitLink;
}
