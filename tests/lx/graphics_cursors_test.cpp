// The library cursors and colours: identifiers both ways, their registration for form resources,
// the cursor slots filled from the module that links lx (this program, or a library loaded into it)
// and emptied again, and the resources every module linking lx carries.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "classlib/FormStream.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "classlib/UnitInit.h"
#include "classlib/WndProcs.h"
#include "lx/lxGraphics.h"

namespace {

struct TUnits : ::testing::Environment {
  void SetUp() override { EnsureUnitsStarted(); }
};
const auto* const kUnits = ::testing::AddGlobalTestEnvironment(new TUnits);

std::string ModuleFileName(HMODULE Module) {
  char Path[MAX_PATH] = {};
  GetModuleFileNameA(Module, Path, MAX_PATH);
  return Path;
}

// Module and resource name a shared cursor was loaded from.
struct TCursorOrigin {
  std::string Module;
  std::string Resource;
};
// ICONINFOEXA and GetIconInfoExA (Vista and later, beyond the headers' target version).
struct TIconInfoExA {
  DWORD cbSize;
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
  WORD wResID;
  CHAR szModName[MAX_PATH];
  CHAR szResName[MAX_PATH];
};
using TGetIconInfoExA = BOOL(WINAPI*)(HICON Icon, TIconInfoExA* Info);

TCursorOrigin OriginOf(HCURSOR Cursor) {
  auto GetInfo = reinterpret_cast<TGetIconInfoExA>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetIconInfoExA"));
  TIconInfoExA Info{};
  Info.cbSize = sizeof Info;
  if (!GetInfo || !GetInfo(Cursor, &Info)) return {};
  if (Info.hbmMask) DeleteObject(Info.hbmMask);
  if (Info.hbmColor) DeleteObject(Info.hbmColor);
  return {Info.szModName, Info.szResName};
}

// ---- Identifiers --------------------------------------------------------------------------------

TEST(LibraryIdents, CursorsConvertBothWaysBeforeTheClassLibrarysOwn) {
  int V = 0;
  ASSERT_TRUE(IdentToCursorEx("cr3dArrow", V));
  EXPECT_EQ(V, -154);
  ASSERT_TRUE(IdentToCursorEx("CRZOOMOUT", V));  // case does not matter
  EXPECT_EQ(V, crZoomOut);
  std::string S;
  ASSERT_TRUE(CursorToIdentEx(-154, S));
  EXPECT_EQ(S, "cr3dArrow");
  ASSERT_TRUE(CursorToIdentEx(crHandwriting, S));
  EXPECT_EQ(S, "crHandwriting");
  // The class library's identifiers still convert.
  ASSERT_TRUE(IdentToCursorEx("crHourGlass", V));
  EXPECT_EQ(V, crHourGlass);
  ASSERT_TRUE(CursorToIdentEx(crHelp, S));
  EXPECT_EQ(S, "crHelp");
  EXPECT_FALSE(IdentToCursorEx("crNoSuchCursor", V));
  EXPECT_FALSE(CursorToIdentEx(-150, S));
  EXPECT_FALSE(CursorToIdentEx(-194, S));
}

TEST(LibraryIdents, ColoursConvertBothWaysAndSystemColoursInEitherSpelling) {
  int V = 0;
  ASSERT_TRUE(IdentToColorEx("clHotFlame", V));
  EXPECT_EQ(V, 0x00EAEAFF);
  ASSERT_TRUE(IdentToColorEx("clDefault", V));
  EXPECT_EQ(V, 0x20000000);
  ASSERT_TRUE(IdentToColorEx("clBtnFace", V));  // the class library's table
  EXPECT_EQ(V, clBtnFace);
  std::string S;
  ASSERT_TRUE(ColorToIdentEx(0x00EAEAFF, S));
  EXPECT_EQ(S, "clHotFlame");
  ASSERT_TRUE(ColorToIdentEx(static_cast<int>(0x8000001A), S));
  EXPECT_EQ(S, "clHotLight");
  ASSERT_TRUE(ColorToIdentEx(clHotLight, S));
  EXPECT_EQ(S, "clHotLight");
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x8000001A)), ColorToRGB(clHotLight));
  ASSERT_TRUE(ColorToIdentEx(clRed, S));
  EXPECT_EQ(S, "clRed");
  EXPECT_FALSE(ColorToIdentEx(0x00123456, S));
  EXPECT_FALSE(IdentToColorEx("clNoSuchColour", V));
}

// A component with a cursor and a colour, as an lx control would publish them.
class TIdentHolder : public TComponent {
  VD_CLASS(TIdentHolder, TComponent);

public:
  using TComponent::TComponent;
  int FCursor = crDefault;
  TColor FColor = clWindow;
};
VD_DEFINE_CLASS(TIdentHolder) {
  C.Property("Cursor", &TIdentHolder::FCursor, &TIdentHolder::FCursor).Type(CursorTypeInfo()).Default(crDefault);
  C.Property("Color", &TIdentHolder::FColor, &TIdentHolder::FColor).Type(ColorTypeInfo()).Default(clWindow);
}

TEST(LibraryIdents, FormResourcesNameLibraryCursorsAndColours) {
  TObjectPtr<TIdentHolder> H(TIdentHolder::Create(nullptr));
  ReadComponentFromText("object Holder: TIdentHolder\n  Cursor = cr3dArrow\n  Color = clHotFlame\nend\n", H.get());
  EXPECT_EQ(H->FCursor, cr3dArrow);
  EXPECT_EQ(H->FColor, clHotFlame);
  std::string Text = WriteComponentToText(H.get());
  EXPECT_NE(Text.find("Cursor = cr3dArrow"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Color = clHotFlame"), std::string::npos) << Text;
  H->FCursor = crHelp;  // and the class library's names still
  H->FColor = clBtnFace;
  Text = WriteComponentToText(H.get());
  EXPECT_NE(Text.find("Cursor = crHelp"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Color = clBtnFace"), std::string::npos) << Text;
}

// ---- Cursor slots -------------------------------------------------------------------------------

TEST(LibraryCursors, EveryResourceSlotHoldsItsOwnCursorFromThisModule) {
  HCURSOR Default = Screen->Cursors(crDefault);
  std::string Self = ModuleFileName(ModuleInstance());
  std::set<HCURSOR> Seen;
  for (int Value = -153; Value >= -193; --Value) {
    HCURSOR C = Screen->Cursors(Value);
    SCOPED_TRACE(Value);
    ASSERT_NE(C, nullptr);
    EXPECT_NE(C, Default);
    EXPECT_TRUE(Seen.insert(C).second) << "shared by two slots";
    std::string Ident;
    ASSERT_TRUE(CursorToIdentEx(Value, Ident));
    TCursorOrigin O = OriginOf(C);
    EXPECT_TRUE(SameText(O.Module, Self)) << O.Module;
    EXPECT_EQ(O.Resource, UpperCase(Ident));
  }
  ICONINFO Info{};
  ASSERT_TRUE(GetIconInfo(Screen->Cursors(cr3dArrow), &Info));
  EXPECT_FALSE(Info.fIcon);
  EXPECT_EQ(Info.xHotspot, 1u);  // the arrow's tip
  EXPECT_EQ(Info.yHotspot, 1u);
  DeleteObject(Info.hbmMask);
  if (Info.hbmColor) DeleteObject(Info.hbmColor);
  // The system hand; the system pen cursor may be missing on some systems, so -152 is not checked.
  EXPECT_EQ(Screen->Cursors(crLinkSelect), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
}

TEST(LibraryCursors, FreeingEmptiesTheSlotsAndLoadingFillsThemAgain) {
  HCURSOR Default = Screen->Cursors(crDefault);
  HCURSOR Arrow = Screen->Cursors(cr3dArrow);
  FreeLibraryCursors();
  for (int Value = -153; Value >= -193; --Value) EXPECT_EQ(Screen->Cursors(Value), Default) << Value;
  EXPECT_NE(Screen->Cursors(crLinkSelect), Default);  // the system cursors stay
  FreeLibraryCursors();                                  // twice is harmless
  LoadLibraryCursors();
  EXPECT_EQ(Screen->Cursors(cr3dArrow), Arrow);  // the same shared cursor
  EXPECT_NE(Screen->Cursors(crZoomOut), Default);
}

// A library that links lx fills its own table from its own resources, not from this program's.
TEST(LibraryCursors, ALibraryLinkingLxLoadsTheCursorsFromItself) {
  using TProbe = HCURSOR(WINAPI*)(int Index);
  HMODULE Probe = LoadLibraryA("lx_cursor_probe.dll");
  ASSERT_NE(Probe, nullptr);
  auto ProbeCursor = reinterpret_cast<TProbe>(GetProcAddress(Probe, "lxProbeLibraryCursor"));
  ASSERT_NE(ProbeCursor, nullptr);
  HCURSOR Theirs = ProbeCursor(cr3dArrow);
  ASSERT_NE(Theirs, nullptr);
  TCursorOrigin O = OriginOf(Theirs);
  EXPECT_TRUE(SameText(O.Module, ModuleFileName(Probe))) << O.Module;
  EXPECT_EQ(O.Resource, "CR3DARROW");
  EXPECT_NE(Theirs, Screen->Cursors(cr3dArrow));
  EXPECT_TRUE(FreeLibrary(Probe));
}

// ---- Resources ----------------------------------------------------------------------------------

TEST(LibraryResources, EveryModuleLinkingLxCarriesTheCursorsAndBitmaps) {
  HMODULE Self = ModuleInstance();
  for (int Value = -153; Value >= -193; --Value) {
    std::string Ident;
    ASSERT_TRUE(CursorToIdentEx(Value, Ident));
    EXPECT_NE(FindResourceA(Self, UpperCase(Ident).c_str(), RT_GROUP_CURSOR), nullptr) << Ident;
  }
  for (const char* Name : {"LXCB_XP_BLUE", "LXCB_XP_GREEN", "LXCB_XP_RED", "LXCB_XP_YELLOW", "LXCB_XP_BROWN",
                           "LXCB_AUTORUN_DISABLED", "LXCB_AUTORUN_ENABLED", "LXCB_MINIMIZETOTRAY", "LXCB_ROLLER_DOWN",
                           "LXCB_ROLLER_UP", "LXCB_TOPMOST_DOWN", "LXCB_TOPMOST_UP"}) {
    TObjectPtr<TBitmap> B(TBitmap::Create());
    ASSERT_NO_THROW(B->LoadFromResourceName(Self, Name)) << Name;
    EXPECT_EQ(B->Canvas()->Pixels(0, 0), static_cast<TColor>(0xFF00FF)) << Name;  // the transparent colour
  }
  TObjectPtr<TBitmap> Blue(TBitmap::Create());
  Blue->LoadFromResourceName(Self, "LXCB_XP_BLUE");
  EXPECT_EQ(Blue->Width(), 21);
  EXPECT_EQ(Blue->Height(), 21);
  TColor Face = Blue->Canvas()->Pixels(10, 10);
  EXPECT_GT((Face >> 16) & 0xFF, Face & 0xFF);  // blue dominates
}

}  // namespace
