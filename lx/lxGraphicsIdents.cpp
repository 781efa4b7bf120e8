// The library cursors and colours: their identifiers, the cursor slots, the unit's start-up.
#include <atomic>
#include <iterator>

#include "classlib/FormStream.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "classlib/UnitInit.h"
#include "classlib/WndProcs.h"
#include "lx/lxGraphics.h"

namespace {

// From -193 up to -151.
const TIdentMapEntry kCursors[] = {
    {crZoomOut, "crZoomOut"},
    {crZoomIn, "crZoomIn"},
    {crTool, "crTool"},
    {crPen, "crPen"},
    {crItBeam, "crItBeam"},
    {crHand, "crHand"},
    {crDragSelectionPlus, "crDragSelectionPlus"},
    {crDragSelection, "crDragSelection"},
    {crDragFiles, "crDragFiles"},
    {crDragFile, "crDragFile"},
    {crArrowSW, "crArrowSW"},
    {crArrowResize, "crArrowResize"},
    {crArrowSize, "crArrowSize"},
    {crArrowSE, "crArrowSE"},
    {crArrowScrollVert, "crArrowScrollVert"},
    {crArrowScrollHorz, "crArrowScrollHorz"},
    {crArrowNW, "crArrowNW"},
    {crArrowNE, "crArrowNE"},
    {cr3dUpArrow, "cr3dUpArrow"},
    {cr3dTool, "cr3dTool"},
    {cr3dSizeWE, "cr3dSizeWE"},
    {cr3dSizeNWSE, "cr3dSizeNWSE"},
    {cr3dSizeNS, "cr3dSizeNS"},
    {cr3dSizeNESW, "cr3dSizeNESW"},
    {cr3dSize, "cr3dSize"},
    {cr3dNo, "cr3dNo"},
    {cr3dIBeam, "cr3dIBeam"},
    {cr3dHourGlass, "cr3dHourGlass"},
    {cr3dHelp, "cr3dHelp"},
    {cr3dHandwriting, "cr3dHandwriting"},
    {cr3dDragSelectionPlus, "cr3dDragSelectionPlus"},
    {cr3dDragSelection, "cr3dDragSelection"},
    {cr3dCross, "cr3dCross"},
    {cr3dArrowWarning, "cr3dArrowWarning"},
    {cr3dArrowResize, "cr3dArrowResize"},
    {cr3dArrowSize, "cr3dArrowSize"},
    {cr3dArrowScrollVert, "cr3dArrowScrollVert"},
    {cr3dArrowScrollHorz, "cr3dArrowScrollHorz"},
    {cr3dArrowNE, "cr3dArrowNE"},
    {cr3dArrow, "cr3dArrow"},
    {cr3dAppStart, "cr3dAppStart"},
    {crHandwriting, "crHandwriting"},
    {crLinkSelect, "crLinkSelect"},
};
static_assert(std::size(kCursors) == 43);

const TIdentMapEntry kColors[] = {
    {clHotLight, "clHotLight"},
    {clContextHelp, "clContextHelp"},
    {clBrown, "clBrown"},
    {clOliveGreen, "clOliveGreen"},
    {clDarkGreen, "clDarkGreen"},
    {clDarkTeal, "clDarkTeal"},
    {clIndigo, "clIndigo"},
    {clNight, "clNight"},
    {clOrange, "clOrange"},
    {clBlueGray, "clBlueGray"},
    {clLightOrange, "clLightOrange"},
    {clSeaGreen, "clSeaGreen"},
    {clLightBlue, "clLightBlue"},
    {clMetal, "clMetal"},
    {clGold, "clGold"},
    {clPlum, "clPlum"},
    {clRose, "clRose"},
    {clTan, "clTan"},
    {clLightYellow, "clLightYellow"},
    {clLightGreen, "clLightGreen"},
    {clLightTurquoise, "clLightTurquoise"},
    {clPaleBlue, "clPaleBlue"},
    {clSoftBlue, "clSoftBlue"},
    {clLavender, "clLavender"},
    {clHotFlame, "clHotFlame"},
    {clDefault, "clDefault"},
};
static_assert(std::size(kColors) == 26);

constexpr int kFirstResourceCursor = cr3dAppStart;  // -153
constexpr int kLastResourceCursor = crZoomOut;      // -193
constexpr WORD kSystemHandCursor = 32649;
constexpr WORD kSystemPenCursor = 32631;

// Whether this module's cursors are in Screen's table (the slots are process-wide per module).
std::atomic<bool> g_CursorsLoaded{false};

void lxGraphicsInitialize() {
  Screen->SetCursors(crLinkSelect, LoadCursorA(nullptr, MAKEINTRESOURCEA(kSystemHandCursor)));
  Screen->SetCursors(crHandwriting, LoadCursorA(nullptr, MAKEINTRESOURCEA(kSystemPenCursor)));
  LoadLibraryCursors();
  RegisterIntegerConsts(CursorTypeInfo(), &IdentToCursorEx, &CursorToIdentEx);
  RegisterIntegerConsts(ColorTypeInfo(), &IdentToColorEx, &ColorToIdentEx);
}

void lxGraphicsFinalize() {
  // The class library's own maps again, then the slots emptied.
  RegisterIntegerConsts(ColorTypeInfo(), &IdentToColor, &ColorToIdent);
  RegisterIntegerConsts(CursorTypeInfo(), &IdentToCursor, &CursorToIdent);
  FreeLibraryCursors();
  Screen->SetCursors(crHandwriting, nullptr);
  Screen->SetCursors(crLinkSelect, nullptr);
}

// Before the caption buttons (+40) and the theme binding (+50).
const TUnitRegistration kUnit(urLxLibrary + 30, {"lxGraphics", &lxGraphicsInitialize, &lxGraphicsFinalize});

}  // namespace

const int lxgraphics_detail::UnitLink = 0;

// ---- Identifiers --------------------------------------------------------------------------------

bool CursorToIdentEx(int Cursor, std::string& Ident) {
  return IntToIdent(Cursor, Ident, kCursors) || CursorToIdent(Cursor, Ident);
}

bool IdentToCursorEx(const std::string& Ident, int& Cursor) {
  return IdentToInt(Ident, Cursor, kCursors) || IdentToCursor(Ident, Cursor);
}

bool ColorToIdentEx(int Color, std::string& Ident) {
  // System colours have two spellings: the sign bit alone, or the whole high byte.
  int Normal = Color < 0 ? SysColor(Color & 0xFF) : Color;
  return IntToIdent(Normal, Ident, kColors) || ColorToIdent(Color, Ident);
}

bool IdentToColorEx(const std::string& Ident, int& Color) {
  return IdentToInt(Ident, Color, kColors) || IdentToColor(Ident, Color);
}

// ---- Cursor slots -------------------------------------------------------------------------------

void LoadLibraryCursors() {
  HINSTANCE Module = ModuleInstance();  // the module linking lx, never the host process
  for (int Value = kFirstResourceCursor; Value >= kLastResourceCursor; --Value) {
    std::string Ident;
    IntToIdent(Value, Ident, kCursors);
    Screen->SetCursors(Value, LoadCursorA(Module, UpperCase(Ident).c_str()));
  }
  g_CursorsLoaded = true;
}

void FreeLibraryCursors() {
  if (!g_CursorsLoaded.exchange(false)) return;
  // Resource cursors loaded this way are shared by the system; only the slots are given up.
  for (int Value = kFirstResourceCursor; Value >= kLastResourceCursor; --Value) Screen->SetCursors(Value, nullptr);
}
