// Owners of the GDI resources the lx drawing routines make for one call: each is given back on
// every way out, and whatever they select into a DC is selected out again first. Also the
// scope of a control's drawing-in-progress flag.
#pragma once

#include <windows.h>

#include <utility>

namespace lxgdi {

// A pen, brush, bitmap or font made for the moment; deleted at the end of the scope.
template <class H> class TGdiObject {
public:
  explicit TGdiObject(H Handle) noexcept : FHandle(Handle) {}
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject() {
    if (FHandle) DeleteObject(FHandle);
  }
  H Get() const noexcept { return FHandle; }
  explicit operator bool() const noexcept { return FHandle != nullptr; }

private:
  H FHandle;
};

// Selects an object into a DC and the previous one back at the end of the scope.
class TSelection {
public:
  TSelection(HDC DC, HGDIOBJ Object) noexcept : FDC(DC), FOld(Object ? SelectObject(DC, Object) : nullptr) {}
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  ~TSelection() {
    if (FOld && FOld != HGDI_ERROR) SelectObject(FDC, FOld);
  }

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// A memory DC with one bitmap selected; both the selection and the DC end with the scope (the
// bitmap is not owned).
class TMemoryDC {
public:
  TMemoryDC(HDC Compatible, HBITMAP Bitmap) noexcept
      : FDC(CreateCompatibleDC(Compatible)), FOld(FDC && Bitmap ? SelectObject(FDC, Bitmap) : nullptr) {}
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  ~TMemoryDC() {
    if (!FDC) return;
    if (FOld && FOld != HGDI_ERROR) SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  HDC Get() const noexcept { return FDC; }
  explicit operator bool() const noexcept { return FDC != nullptr; }

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// The DC of a window (the screen for nil), released at the end of the scope. WholeWindow: the
// window's DC with its non-client area (GetWindowDC).
class TWindowDC {
public:
  explicit TWindowDC(HWND Wnd, bool WholeWindow = false) noexcept
      : FWnd(Wnd), FDC(WholeWindow ? GetWindowDC(Wnd) : GetDC(Wnd)) {}
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC() {
    if (FDC) ReleaseDC(FWnd, FDC);
  }
  HDC Get() const noexcept { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
};

// Text and background colours of a DC for the scope of a blit.
class TDCColors {
public:
  TDCColors(HDC DC, COLORREF Text, COLORREF Back) noexcept
      : FDC(DC), FText(SetTextColor(DC, Text)), FBack(SetBkColor(DC, Back)) {}
  TDCColors(const TDCColors&) = delete;
  TDCColors& operator=(const TDCColors&) = delete;
  ~TDCColors() {
    SetTextColor(FDC, FText);
    SetBkColor(FDC, FBack);
  }

private:
  HDC FDC;
  COLORREF FText;
  COLORREF FBack;
};

// A raster operation (SetROP2) for the scope.
class TRasterOp {
public:
  TRasterOp(HDC DC, int Rop) noexcept : FDC(DC), FOld(SetROP2(DC, Rop)) {}
  TRasterOp(const TRasterOp&) = delete;
  TRasterOp& operator=(const TRasterOp&) = delete;
  ~TRasterOp() {
    if (FOld) SetROP2(FDC, FOld);
  }

private:
  HDC FDC;
  int FOld;
};

// Sets a "drawing in progress" flag for a scope and gives it back its previous value.
class TDrawingFlag {
public:
  explicit TDrawingFlag(bool& Flag) noexcept : FFlag(Flag), FOld(Flag) { FFlag = true; }
  TDrawingFlag(const TDrawingFlag&) = delete;
  TDrawingFlag& operator=(const TDrawingFlag&) = delete;
  ~TDrawingFlag() { FFlag = FOld; }

private:
  bool& FFlag;
  bool FOld;
};

}  // namespace lxgdi
