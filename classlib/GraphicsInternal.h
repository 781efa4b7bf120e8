// Shared by the class library's sources only (graphics, image lists, controls that draw or
// measure): counted creation and deletion of GDI objects, and owners for the temporary objects and
// DCs that drawing code needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

#include "classlib/Streams.h"

namespace graphics_detail {

void CountCreated() noexcept;
void CountDeleted() noexcept;

// Counts H (when not nil) as made by us and returns it.
template <class H> H Track(H Handle) noexcept {
  if (Handle) CountCreated();
  return Handle;
}
// Deletes a pen, brush, font, bitmap or region made by us.
inline void DeleteTracked(HGDIOBJ Handle) noexcept {
  if (Handle && DeleteObject(Handle)) CountDeleted();
}
inline void DestroyTrackedIcon(HICON Handle) noexcept {
  if (Handle && DestroyIcon(Handle)) CountDeleted();
}
inline void DeleteTrackedMetafile(HENHMETAFILE Handle) noexcept {
  if (Handle && DeleteEnhMetaFile(Handle)) CountDeleted();
}
inline void DeleteTrackedDC(HDC Handle) noexcept {
  if (Handle && DeleteDC(Handle)) CountDeleted();
}

// An owned pen, brush, font or bitmap.
template <class H> class TGdiObject {
public:
  TGdiObject() noexcept = default;
  explicit TGdiObject(H Handle) noexcept : FHandle(Track(Handle)) {}
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject() { DeleteTracked(FHandle); }
  H Get() const noexcept { return FHandle; }
  explicit operator bool() const noexcept { return FHandle != nullptr; }
  H Release() noexcept { return std::exchange(FHandle, nullptr); }

private:
  H FHandle = nullptr;
};

// A memory DC that puts back what it selected before it is deleted.
class TMemoryDC {
public:
  explicit TMemoryDC(HDC Compatible = nullptr) noexcept : FDC(Track(CreateCompatibleDC(Compatible))) {}
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  ~TMemoryDC() {
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    DeleteTrackedDC(FDC);
  }
  HDC Get() const noexcept { return FDC; }
  explicit operator bool() const noexcept { return FDC != nullptr; }
  // Selects a bitmap; the DC's original one goes back at the end.
  void SelectBitmap(HBITMAP Bitmap) noexcept {
    HGDIOBJ Old = SelectObject(FDC, Bitmap);
    if (!FOldBitmap) FOldBitmap = Old;
  }

private:
  HDC FDC;
  HGDIOBJ FOldBitmap = nullptr;
};

// The screen's DC for the length of a scope.
class TScreenDC {
public:
  TScreenDC() noexcept : FDC(GetDC(nullptr)) {}
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  ~TScreenDC() {
    if (FDC) ReleaseDC(nullptr, FDC);
  }
  HDC Get() const noexcept { return FDC; }

private:
  HDC FDC;
};

// Selects an object into a DC for the length of a scope.
class TSelectObject {
public:
  TSelectObject(HDC DC, HGDIOBJ Object) noexcept : FDC(DC), FOld(SelectObject(DC, Object)) {}
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;
  ~TSelectObject() {
    if (FOld) SelectObject(FDC, FOld);
  }

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// Raises EReadError when Stream holds fewer than Count bytes after its position, so that a
// corrupt size field never leads to a large allocation.
void CheckAvailable(TStream& Stream, uint64_t Count);

// Creates a DIB section of the given layout (BitCount 1..32; pf15/16 through Masks) that starts
// white. Returns nil when GDI refuses.
HBITMAP CreateWhiteDib(int Width, int Height, int BitCount, const DWORD* Masks);

}  // namespace graphics_detail
