#include "classlib/Graphics.h"

#include <atomic>
#include <climits>
#include <cstring>

#include "classlib/FormStream.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

using namespace graphics_detail;

// ---- Counters and screen facts ------------------------------------------------------------------

namespace {
std::atomic<long> GLiveObjects{0};
}  // namespace

namespace graphics_detail {
void CountCreated() noexcept { GLiveObjects.fetch_add(1, std::memory_order_relaxed); }
void CountDeleted() noexcept { GLiveObjects.fetch_sub(1, std::memory_order_relaxed); }
long LiveGdiObjects() noexcept { return GLiveObjects.load(std::memory_order_relaxed); }

void CheckAvailable(TStream& Stream, uint64_t Count) {
  int64_t Left = Stream.Size() - Stream.Position();
  if (Left < 0 || Count > static_cast<uint64_t>(Left)) throw EReadError(SReadError);
}

int ScreenLogPixels() {
  static const int Value = [] {
    TScreenDC DC;
    int Pixels = DC.Get() ? GetDeviceCaps(DC.Get(), LOGPIXELSY) : 0;
    return Pixels > 0 ? Pixels : 96;
  }();
  return Value;
}
}  // namespace graphics_detail

// ---- Colours ------------------------------------------------------------------------------------

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

namespace {

// Standard colours first, so that a value with two names reads back as the first one.
constexpr TIdentMapEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuText, "clMenuText"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

constexpr TIdentMapEntry kCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

}  // namespace

bool IdentToColor(const std::string& Ident, int& Color) { return IdentToInt(Ident, Color, kColors); }
bool ColorToIdent(int Color, std::string& Ident) { return IntToIdent(Color, Ident, kColors); }

std::string ColorToString(TColor Color) {
  std::string Ident;
  if (ColorToIdent(Color, Ident)) return Ident;
  std::string Hex = "$";
  Hex += IntToHex(static_cast<uint32_t>(Color), 8);
  return Hex;
}

TColor StringToColor(const std::string& S) {
  int Value;
  if (IdentToColor(S, Value) || TryStrToInt(S, Value)) return Value;  // "$hex", "0xhex", decimal
  throw EConvertError("'" + S + "' is not a valid color value");
}

void GetColorValues(const std::function<void(const std::string&)>& Proc) {
  for (const TIdentMapEntry& E : kColors) Proc(E.Name);
}

const TTypeInfo* ColorTypeInfo() {
  static const TTypeInfo Info = MakeOrdTypeInfo(tkInteger, "TColor", INT_MIN, INT_MAX);
  return &Info;
}

bool IdentToCharset(const std::string& Ident, int& Charset) { return IdentToInt(Ident, Charset, kCharsets); }
bool CharsetToIdent(int Charset, std::string& Ident) { return IntToIdent(Charset, Ident, kCharsets); }

const TTypeInfo* CharsetTypeInfo() {
  static const TTypeInfo Info = MakeOrdTypeInfo(tkInteger, "TFontCharset", 0, 255);
  return &Info;
}

namespace {
// Form resources name colours and charsets. Registering only records the maps (no Win32 call),
// and this file is linked wherever a TColor property is published.
struct TGraphicsIdentRegistration {
  TGraphicsIdentRegistration() {
    RegisterIntegerConsts(ColorTypeInfo(), &IdentToColor, &ColorToIdent);
    RegisterIntegerConsts(CharsetTypeInfo(), &IdentToCharset, &CharsetToIdent);
  }
};
const TGraphicsIdentRegistration GGraphicsIdents;
}  // namespace

// ---- TGraphicsObject ----------------------------------------------------------------------------

VD_DEFINE_CLASS(TGraphicsObject) {}

namespace {
bool IsStockObject(HGDIOBJ H) {
  return H == GetStockObject(NULL_BRUSH) || H == GetStockObject(NULL_PEN);
}
}  // namespace

TGraphicsObject::~TGraphicsObject() { DeleteHandle(FHandle); }

void TGraphicsObject::DeleteHandle(HGDIOBJ H) {
  if (H && !IsStockObject(H)) DeleteTracked(H);
}

HGDIOBJ TGraphicsObject::GetHandle() {
  if (!FHandle) {
    HGDIOBJ H = CreateHandle();
    if (!H) throw EOutOfResources("Out of system resources");
    if (!IsStockObject(H)) Track(H);
    FHandle = H;
  }
  return FHandle;
}

void TGraphicsObject::AdoptHandle(HGDIOBJ Value) {
  if (Value == FHandle) return;
  HGDIOBJ Old = FHandle;
  FHandle = Value;
  if (Value && !IsStockObject(Value)) Track(Value);
  // The owning canvas deselects the old handle in OnChange; delete it only afterwards.
  struct TDeleteOld {
    TGraphicsObject* Self;
    HGDIOBJ Old;
    ~TDeleteOld() { Self->DeleteHandle(Old); }
  } Guard{this, Old};
  OnChange(this);
}

void TGraphicsObject::Changed() {
  HGDIOBJ Old = FHandle;
  FHandle = nullptr;
  struct TDeleteOld {
    TGraphicsObject* Self;
    HGDIOBJ Old;
    ~TDeleteOld() { Self->DeleteHandle(Old); }
  } Guard{this, Old};
  OnChange(this);
}

// ---- TFont --------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TFont) {
  C.Property("Charset", &TFont::FCharset, &TFont::SetCharset).Type(CharsetTypeInfo()).NoDefault();
  C.Property("Color", &TFont::FColor, &TFont::SetColor).Type(ColorTypeInfo()).NoDefault();
  C.Property("Height", &TFont::FHeight, &TFont::SetHeight).NoDefault();
  C.Property("Name", &TFont::FName, &TFont::SetName);
  C.Property("Pitch", &TFont::FPitch, &TFont::SetPitch).Default(fpDefault);
  C.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  C.Property("Style", &TFont::FStyle, &TFont::SetStyle).Default(TFontStyles{});
}

TFont::TFont() : FName("MS Sans Serif"), FPixelsPerInch(ScreenLogPixels()) {
  FHeight = -MulDiv(8, FPixelsPerInch, 72);
}

void TFont::Assign(TPersistent* Source) {
  if (auto* F = dynamic_cast<TFont*>(Source)) {
    if (F == this) return;
    FName = F->FName;
    FHeight = F->FHeight;
    FStyle = F->FStyle;
    FColor = F->FColor;
    FCharset = F->FCharset;
    FPitch = F->FPitch;
    if (F->FPixelsPerInch != FPixelsPerInch)  // keep the point size on another resolution
      FHeight = MulDiv(F->FHeight, FPixelsPerInch, F->FPixelsPerInch);
    Changed();
    return;
  }
  inherited::Assign(Source);
}

HGDIOBJ TFont::CreateHandle() {
  LOGFONTA LF{};
  LF.lfHeight = FHeight;
  LF.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  LF.lfItalic = FStyle.Contains(fsItalic);
  LF.lfUnderline = FStyle.Contains(fsUnderline);
  LF.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  LF.lfCharSet = FCharset;
  LF.lfOutPrecision = OUT_DEFAULT_PRECIS;
  LF.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  LF.lfQuality = DEFAULT_QUALITY;
  LF.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
  lstrcpynA(LF.lfFaceName, FName.c_str(), LF_FACESIZE);
  return CreateFontIndirectA(&LF);
}

void TFont::SetHandle(HFONT Value) {
  LOGFONTA LF{};
  if (Value && GetObjectA(Value, sizeof LF, &LF) == sizeof LF) {
    FName = LF.lfFaceName;
    FHeight = LF.lfHeight;
    TFontStyles S;
    if (LF.lfWeight >= FW_BOLD) S.Include(fsBold);
    if (LF.lfItalic) S.Include(fsItalic);
    if (LF.lfUnderline) S.Include(fsUnderline);
    if (LF.lfStrikeOut) S.Include(fsStrikeOut);
    FStyle = S;
    FCharset = LF.lfCharSet;
    int Pitch = LF.lfPitchAndFamily & 3;
    FPitch = Pitch == VARIABLE_PITCH ? fpVariable : Pitch == FIXED_PITCH ? fpFixed : fpDefault;
  }
  AdoptHandle(Value);
}

void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

// ---- TPen ---------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TPen) {
  C.Property("Color", &TPen::FColor, &TPen::SetColor).Type(ColorTypeInfo()).Default(clBlack);
  C.Property("Mode", &TPen::FMode, &TPen::SetMode).Default(pmCopy);
  C.Property("Style", &TPen::FStyle, &TPen::SetStyle).Default(psSolid);
  C.Property("Width", &TPen::FWidth, &TPen::SetWidth).Default(1);
}

void TPen::Assign(TPersistent* Source) {
  if (auto* P = dynamic_cast<TPen*>(Source)) {
    if (P == this) return;
    FColor = P->FColor;
    FMode = P->FMode;
    FStyle = P->FStyle;
    FWidth = P->FWidth;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

HGDIOBJ TPen::CreateHandle() {
  static constexpr int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  if (FStyle == psClear) return GetStockObject(NULL_PEN);
  return CreatePen(kStyles[FStyle], FWidth, ColorToRGB(FColor));
}

void TPen::SetHandle(HPEN Value) {
  LOGPEN LP{};
  if (Value && GetObjectA(Value, sizeof LP, &LP) == sizeof LP) {
    FColor = static_cast<TColor>(LP.lopnColor);
    FWidth = LP.lopnWidth.x;
    switch (LP.lopnStyle) {
      case PS_DASH: FStyle = psDash; break;
      case PS_DOT: FStyle = psDot; break;
      case PS_DASHDOT: FStyle = psDashDot; break;
      case PS_DASHDOTDOT: FStyle = psDashDotDot; break;
      case PS_NULL: FStyle = psClear; break;
      case PS_INSIDEFRAME: FStyle = psInsideFrame; break;
      default: FStyle = psSolid; break;
    }
  }
  AdoptHandle(Value);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

// The mix mode is not part of the GDI pen; the canvas applies it. Still a change for the canvas.
void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Changed();
}

// ---- TBrush -------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TBrush) {
  C.Property("Color", &TBrush::FColor, &TBrush::SetColor).Type(ColorTypeInfo()).Default(clWhite);
  C.Property("Style", &TBrush::FStyle, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* B = dynamic_cast<TBrush*>(Source)) {
    if (B == this) return;
    FColor = B->FColor;
    FStyle = B->FStyle;
    FBitmap = B->FBitmap;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

HGDIOBJ TBrush::CreateHandle() {
  static constexpr int kHatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
  if (FBitmap && !FBitmap->Empty()) return CreatePatternBrush(FBitmap->Handle());
  if (FStyle == bsClear) return GetStockObject(NULL_BRUSH);
  if (FStyle == bsSolid) return CreateSolidBrush(ColorToRGB(FColor));
  return CreateHatchBrush(kHatches[FStyle], ColorToRGB(FColor));
}

void TBrush::SetHandle(HBRUSH Value) {
  LOGBRUSH LB{};
  if (Value && GetObjectA(Value, sizeof LB, &LB) == sizeof LB) {
    FColor = static_cast<TColor>(LB.lbColor);
    FBitmap = nullptr;
    if (LB.lbStyle == BS_NULL) FStyle = bsClear;
    else if (LB.lbStyle == BS_HATCHED && LB.lbHatch <= HS_DIAGCROSS)
      FStyle = static_cast<TBrushStyle>(bsHorizontal + LB.lbHatch);
    else FStyle = bsSolid;
  }
  AdoptHandle(Value);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  if (Value == FBitmap) return;
  FBitmap = Value;
  Changed();
}

// ---- TCanvas ------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TCanvas) {}

TCanvas::TCanvas() {
  InitializeCriticalSection(&FLock);
  FFont = TFont::Create();
  FFont->OnChange = MakeEvent<&TCanvas::FontChanged>(this);
  FPen = TPen::Create();
  FPen->OnChange = MakeEvent<&TCanvas::PenChanged>(this);
  FBrush = TBrush::Create();
  FBrush->OnChange = MakeEvent<&TCanvas::BrushChanged>(this);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  FFont->Free();
  FPen->Free();
  FBrush->Free();
  DeleteCriticalSection(&FLock);
}

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC Value, bool OwnsDC) {
  if (Value == FHandle) {
    FOwnsDC = OwnsDC;
    return;
  }
  if (FHandle) {
    DeselectHandles();
    if (FOwnsDC) DeleteTrackedDC(FHandle);
  }
  FHandle = Value;
  FOwnsDC = Value && OwnsDC;
  FState = Value ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csFontValid) && FOldFont) SelectObject(FHandle, FOldFont);
  if (FState.Contains(csPenValid) && FOldPen) SelectObject(FHandle, FOldPen);
  if (FState.Contains(csBrushValid) && FOldBrush) SelectObject(FHandle, FOldBrush);
  FOldFont = FOldPen = FOldBrush = nullptr;
  FState = FState * TCanvasState{csHandleValid};
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  TCanvasState Need = ReqState - FState;
  if (Need.Empty()) return;
  if (Need.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  }
  if (Need.Contains(csFontValid)) {
    HGDIOBJ Old = SelectObject(FHandle, FFont->Handle());
    if (!FOldFont) FOldFont = Old;
    SetTextColor(FHandle, ColorToRGB(FFont->Color()));
    FState.Include(csFontValid);
  }
  if (Need.Contains(csPenValid)) {
    static constexpr int kModes[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                                     R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                                     R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN,
                                     R2_XORPEN, R2_NOTXORPEN};
    HGDIOBJ Old = SelectObject(FHandle, FPen->Handle());
    if (!FOldPen) FOldPen = Old;
    SetROP2(FHandle, kModes[FPen->Mode()]);
    FState.Include(csPenValid);
  }
  if (Need.Contains(csBrushValid)) {
    HBRUSH B = FBrush->Handle();
    UnrealizeObject(B);
    HGDIOBJ Old = SelectObject(FHandle, B);
    if (!FOldBrush) FOldBrush = Old;
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
    FState.Include(csBrushValid);
  }
}

// A change of our font, pen or brush: put the DC's own object back, so the old handle can go.
void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(csFontValid)) {
    FState.Exclude(csFontValid);
    if (FOldFont) SelectObject(FHandle, FOldFont);
    FOldFont = nullptr;
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(csPenValid)) {
    FState.Exclude(csPenValid);
    if (FOldPen) SelectObject(FHandle, FOldPen);
    FOldPen = nullptr;
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(csBrushValid)) {
    FState.Exclude(csBrushValid);
    if (FOldBrush) SelectObject(FHandle, FOldBrush);
    FOldBrush = nullptr;
  }
}

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  TPoint P{};
  GetCurrentPositionEx(FHandle, &P);
  return P;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect R{};
  GetClipBox(FHandle, &R);
  return R;
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, &R, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, &R, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, &R);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutA(FHandle, X, Y, 0, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  SIZE S{};
  GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &S);
  MoveToEx(FHandle, X + S.cx, Y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT Options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear) Options |= ETO_OPAQUE;
  ExtTextOutA(FHandle, X, Y, Options, &R, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequiredState({csHandleValid, csFontValid});
  TSize S{};
  GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &S);
  return S;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top,
             Canvas->FHandle, Source.left, Source.top, Source.right - Source.left,
             Source.bottom - Source.top, FCopyMode);
  Changed();
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(FHandle, X, Y, ColorToRGB(Color));
  Changed();
}

void TCanvas::Lock() {
  EnterCriticalSection(&FLock);
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  LeaveCriticalSection(&FLock);
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&FLock)) return false;
  ++FLockCount;
  return true;
}

// ---- TGraphic -----------------------------------------------------------------------------------

VD_DEFINE_CLASS(TGraphic) {}

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed(this);
  else FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                        const TRect& R, const std::string& Msg) {
  OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(Stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(Stream);
}

bool TGraphic::Equals(TGraphic* Graphic) {
  if (!Graphic || Graphic->ClassType() != ClassType()) return false;
  if (Graphic == this) return true;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  TMemoryStream Mine, Theirs;
  SaveToStream(Mine);
  Graphic->SaveToStream(Theirs);
  return Mine.Size() == Theirs.Size() &&
         std::memcmp(Mine.Memory(), Theirs.Memory(), static_cast<size_t>(Mine.Size())) == 0;
}
