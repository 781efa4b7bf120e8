// Glyphs: bitmaps drawn stretched, transparent, recoloured or embossed, and image-list images.
#include "lx/lxGraphics.h"

#include "lx/lxGdiHandles.h"

using namespace lxgdi;

namespace {

constexpr DWORD kRopBrushWhereSourceWhite = 0x00E20746;  // brush where the source is white, else the destination
constexpr COLORREF kSpareKey = 0x654321;                   // stands in for a transparent colour that is also NewColor
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A monochrome bitmap in a memory DC; it starts white (every bit set).
class TMonoBitmap {
public:
  TMonoBitmap(int Width, int Height) noexcept
      : FBitmap(CreateBitmap(Width, Height, 1, 1, nullptr)), FDC(nullptr, FBitmap.Get()), FWidth(Width),
        FHeight(Height) {
    SetWhite();
  }
  bool Valid() const noexcept { return FBitmap && FDC; }
  HDC DC() const noexcept { return FDC.Get(); }
  void SetWhite() noexcept {
    if (FDC) PatBlt(FDC.Get(), 0, 0, FWidth, FHeight, WHITENESS);
  }

private:
  TGdiObject<HBITMAP> FBitmap;
  TMemoryDC FDC;
  int FWidth;
  int FHeight;
};

// Paints Color onto Target at (X, Y) through Mask: where its bits are set (WhereSet) or clear.
void PaintThroughMask(HDC Target, int X, int Y, int Width, int Height, HDC Mask, COLORREF Color, bool WhereSet) {
  TGdiObject<HBRUSH> Brush(CreateSolidBrush(Color));
  if (!Brush) return;
  TSelection Selected(Target, Brush.Get());
  TDCColors Colors(Target, WhereSet ? kBlack : kWhite, WhereSet ? kWhite : kBlack);
  BitBlt(Target, X, Y, Width, Height, Mask, 0, 0, kRopBrushWhereSourceWhite);
}

// Sets the mask's bits from the pixels of Image that have Color (Rop SRCCOPY), or inverts the bits
// of the pixels that have it (SRCINVERT: a white mask then has the other pixels set).
void BuildMask(const TMonoBitmap& Mask, HDC Image, int Width, int Height, COLORREF Color, DWORD Rop) {
  COLORREF Old = SetBkColor(Image, Color);
  BitBlt(Mask.DC(), 0, 0, Width, Height, Image, 0, 0, Rop);
  SetBkColor(Image, Old);
}

void ChangeColor(HDC Image, const TMonoBitmap& Mask, int Width, int Height, COLORREF From, COLORREF To) {
  BuildMask(Mask, Image, Width, Height, From, SRCCOPY);
  PaintThroughMask(Image, 0, 0, Width, Height, Mask.DC(), To, true);
}

void DrawEmbossed(HDC DC, int X, int Y, int Width, int Height, HDC Mask, bool WhereSet) {
  PaintThroughMask(DC, X + 1, Y + 1, Width, Height, Mask, ColorToRGB(clBtnHighlight), WhereSet);
  PaintThroughMask(DC, X, Y, Width, Height, Mask, ColorToRGB(clBtnShadow), WhereSet);
}

void DrawImageListGlyph(HDC DC, int X, int Y, TCustomImageList* ImageList, int ImageIndex, bool Transparent,
                        bool Disabled) {
  HIMAGELIST List = ImageList->Handle();
  if (!Disabled) {
    ImageList_DrawEx(List, ImageIndex, DC, X, Y, 0, 0, ImageListColor(ImageList->BkColor()),
                     ImageListColor(ImageList->BlendColor()), Transparent ? ILD_TRANSPARENT : ILD_NORMAL);
    return;
  }
  int W = ImageList->Width(), H = ImageList->Height();
  TMonoBitmap Shape(W, H);
  if (!Shape.Valid()) return;
  // White stays set; every other pixel of the image clears its bit.
  ImageList_DrawEx(List, ImageIndex, Shape.DC(), 0, 0, 0, 0, CLR_NONE, 0, ILD_NORMAL);
  DrawEmbossed(DC, X, Y, W, H, Shape.DC(), false);
}

void DrawBitmapGlyph(HDC DC, int X, int Y, int Width, int Height, TBitmap* Bitmap, bool Transparent, bool Disabled,
                     bool ReplaceColor, TColor TransparentColor, TColor OldColor, TColor NewColor) {
  if (!Transparent && !Disabled) {
    StretchBlt(DC, X, Y, Width, Height, Bitmap->Canvas()->Handle(), 0, 0, Bitmap->Width(), Bitmap->Height(), SRCCOPY);
    return;
  }
  TObjectPtr<TBitmap> Source(TBitmap::Create());
  Source->Assign(Bitmap);
  TObjectPtr<TBitmap> Image(TBitmap::Create());
  Image->SetPixelFormat(pf32bit);
  Image->SetSize(Width, Height);
  HDC ImageDC = Image->Canvas()->Handle();
  HDC SourceDC = Source->Canvas()->Handle();
  StretchBlt(ImageDC, 0, 0, Width, Height, SourceDC, 0, 0, Source->Width(), Source->Height(), SRCCOPY);
  TMonoBitmap Mask(Width, Height);
  if (!Mask.Valid()) return;

  COLORREF Key = TransparentColor == clNone ? GetPixel(SourceDC, 0, 0) : ColorToRGB(TransparentColor);
  if (ReplaceColor && !Disabled) {
    COLORREF To = ColorToRGB(NewColor);
    if (Transparent && Key == To) {
      // The new colour would become transparent: the transparent pixels move to a spare colour first.
      ChangeColor(ImageDC, Mask, Width, Height, Key, kSpareKey);
      Key = kSpareKey;
    }
    ChangeColor(ImageDC, Mask, Width, Height, ColorToRGB(OldColor), To);
  }

  if (Disabled) {
    Mask.SetWhite();
    BuildMask(Mask, ImageDC, Width, Height, Key, SRCINVERT);  // the glyph's own pixels set
    DrawEmbossed(DC, X, Y, Width, Height, Mask.DC(), true);
    return;
  }
  BuildMask(Mask, ImageDC, Width, Height, Key, SRCCOPY);  // the transparent pixels set
  TDCColors Colors(DC, kBlack, kWhite);
  BitBlt(DC, X, Y, Width, Height, ImageDC, 0, 0, SRCINVERT);
  BitBlt(DC, X, Y, Width, Height, Mask.DC(), 0, 0, SRCAND);
  BitBlt(DC, X, Y, Width, Height, ImageDC, 0, 0, SRCINVERT);
}

}  // namespace

void DrawGlyph(HDC DC, int X, int Y, int Width, int Height, TBitmap* Bitmap, TCustomImageList* ImageList,
               int ImageIndex, bool Transparent, bool Disabled, bool ReplaceColor, TColor TransparentColor,
               TColor OldColor, TColor NewColor) {
  if (!DC) return;
  if (Bitmap && !Bitmap->Empty()) {
    if (Width <= 0 || Height <= 0) return;
    DrawBitmapGlyph(DC, X, Y, Width, Height, Bitmap, Transparent, Disabled, ReplaceColor, TransparentColor,
                    OldColor, NewColor);
  } else if (ImageList && ImageIndex >= 0 && ImageList->HandleAllocated()) {
    DrawImageListGlyph(DC, X, Y, ImageList, ImageIndex, Transparent, Disabled);
  }
}
