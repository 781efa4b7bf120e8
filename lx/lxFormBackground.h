// The form background: a form-hook component that paints its owner form's client background with
// a gradient or a picture instead of the form's plain colour. It takes over the form's
// WM_ERASEBKGND (the form's own erasing is skipped while it paints) and has the form repaint when
// it is resized, scrolled, re-created or the settings change.
//
//   object lxFormBackground1: TlxFormBackground
//     Kind = bkGradient
//     GradientColor1 = clNavy
//     GradientDirection = gdHorizontal
//   end
//
// Uncovered parts (around a centred picture, outside a central gradient) take the owner form's
// Color; an owner that is a windowed control but no form gives its own Color.
#pragma once

#include "lx/lxBase.h"
#include "lx/lxGraphics.h"

class TlxFormBackground : public TlxFormHookComponent {
  VD_CLASS(TlxFormBackground, TlxFormHookComponent);

public:
  explicit TlxFormBackground(TComponent* AOwner);

  bool Active() const noexcept { return FActive; }
  // Switching off still repaints the form once (then with its plain colour).
  void SetActive(bool Value);
  TColor GradientColor1() const noexcept { return FGradientColor1; }
  void SetGradientColor1(TColor Value);
  TColor GradientColor2() const noexcept { return FGradientColor2; }
  void SetGradientColor2(TColor Value);
  TlxGradientDirection GradientDirection() const noexcept { return FGradientDirection; }
  void SetGradientDirection(TlxGradientDirection Value);
  TlxBackgroundKind Kind() const noexcept { return FKind; }
  // Stores and repaints, also when unchanged.
  void SetKind(TlxBackgroundKind Value);
  TlxPicture* Picture() const noexcept { return FPicture; }
  void SetPicture(TlxPicture* Value);
  TlxBackgroundPictureStyle PictureStyle() const noexcept { return FPictureStyle; }
  void SetPictureStyle(TlxBackgroundPictureStyle Value);

  // Has the owner repaint (nothing while inactive, painting or designed).
  void Refresh();

protected:
  ~TlxFormBackground() override;
  void BeforeWndProc(TMessage& Message, bool& Handled) override;
  void AfterWndProc(TMessage& Message) override;
  void Rehooked() override;

private:
  // The colour of what the background leaves uncovered.
  TColor BackColor() const;
  void PictureChanged(TObject* Sender) { Refresh(); }

  TlxPicture* FPicture;
  bool FActive = true;
  bool FPainting = false;
  TColor FGradientColor1 = clBlue;
  TColor FGradientColor2 = clBlack;
  TlxGradientDirection FGradientDirection = gdVertical;
  TlxBackgroundKind FKind = bkPicture;
  TlxBackgroundPictureStyle FPictureStyle = bsTile;
};
