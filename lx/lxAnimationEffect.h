// Animation effects: TlxAnimationEffect animates the showing and hiding of its owner form.
// Outlines of the form's rectangle fly in (showing) or out (hiding) across the screen, drawn
// straight onto the desktop with an inverting pen (R2_NOT), so that drawing a figure a second time
// removes it again:
//
//   object AnimEffect: TlxAnimationEffect
//     AnimateOnShow = True          (when the form receives WM_SHOWWINDOW for showing)
//     AnimateOnHide = True          (once its window has become invisible)
//     EffectType = etSpike          (etRandom: one of the five, picked anew for every run)
//   end
//
// A run goes through Steps steps; step s is drawn, stays for up to Frames further steps (the
// trail) and is drawn again, which removes it. So every step is drawn exactly twice and the desktop
// ends as it began; step 0 draws nothing in every effect. Each drawing is followed by a busy wait
// of Delay units (a unit is one division per MHz of the processor clock, measured on first use).
// A run takes the whole process to the real-time priority class; the class, the pen, the raster
// operation and the desktop DC are given back on every way out. A run with Steps 0, or for an
// owner that is not a form, does nothing.
//
// Geometry: points are 32-bit floats in screen pixels (Y downwards); a matrix maps row vectors,
// (x, y) to (x*M11 + y*M21 + M31, x*M12 + y*M22 + M32).
#pragma once

#include <windows.h>

#include <cstdint>

#include "lx/lxBase.h"

struct TlxFloatPoint {
  float X = 0, Y = 0;
};

struct TlxAffineMatrix {
  float M11 = 1, M12 = 0, M13 = 0;
  float M21 = 0, M22 = 1, M23 = 0;
  float M31 = 0, M32 = 0, M33 = 1;
};

TlxFloatPoint PointAdd(TlxFloatPoint A, TlxFloatPoint B) noexcept;
TlxFloatPoint PointSub(TlxFloatPoint A, TlxFloatPoint B) noexcept;
// A*T + B*(1 - T): A at T = 1, B at T = 0.
TlxFloatPoint PointLerp(TlxFloatPoint A, TlxFloatPoint B, float T) noexcept;
TlxFloatPoint TransformPoint(TlxFloatPoint P, const TlxAffineMatrix& M) noexcept;
// A then B (A applied first).
TlxAffineMatrix MatrixMultiply(const TlxAffineMatrix& A, const TlxAffineMatrix& B) noexcept;
// A*T + B*(1 - T), entry by entry.
TlxAffineMatrix MatrixLerp(const TlxAffineMatrix& A, const TlxAffineMatrix& B, float T) noexcept;
TlxAffineMatrix TranslationMatrix(float DX, float DY) noexcept;
// About Centre.
TlxAffineMatrix ScalingMatrix(TlxFloatPoint Centre, float SX, float SY) noexcept;
// About Centre, by Angle radians (M11 cos, M12 sin, M21 -sin, M22 cos).
TlxAffineMatrix RotationMatrix(TlxFloatPoint Centre, float Angle) noexcept;

// A closed outline through the points (coordinates truncated towards zero); nothing for Count 0
// or when the last point equals the first.
void DrawPolygonXor(HDC DC, const TlxFloatPoint* Points, int Count);
// The rectangle of half-size Half around Centre; nothing when a half-size is 0.
void DrawCenteredRect(HDC DC, TlxFloatPoint Centre, TlxFloatPoint Half);
// Busy-waits N units (see above); N 0 returns at once without measuring the clock.
void BusyDelay(unsigned N);

enum TlxAnimationEffectType { etRandom, etSpin, etVortex, etScatterGather, etSpike, etFireworks };
VD_ENUM_INFO(TlxAnimationEffectType, "etRandom", "etSpin", "etVortex", "etScatterGather", "etSpike", "etFireworks")

class TlxAnimationEffect : public TlxFormAnimationEffect {
  VD_CLASS(TlxAnimationEffect, TlxFormAnimationEffect);

public:
  // Delay 100, FireworkBlasts 10, Frames 6, Steps 50, etRandom.
  explicit TlxAnimationEffect(TComponent* AOwner);

  uint16_t Delay() const noexcept { return FDelay; }
  void SetDelay(uint16_t Value) noexcept { FDelay = Value; }
  uint8_t FireworkBlasts() const noexcept { return FFireworkBlasts; }
  void SetFireworkBlasts(uint8_t Value) noexcept { FFireworkBlasts = Value; }
  uint8_t Frames() const noexcept { return FFrames; }
  void SetFrames(uint8_t Value) noexcept { FFrames = Value; }
  TlxAnimationEffectType EffectType() const noexcept { return FEffectType; }
  void SetEffectType(TlxAnimationEffectType Value) noexcept { FEffectType = Value; }
  uint8_t Steps() const noexcept { return FSteps; }
  void SetSteps(uint8_t Value) noexcept { FSteps = Value; }

  // One whole animation, synchronously. A form with poScreenCenter is centred first (never left
  // or above the screen).
  void PlayEffect(bool Showing);
  // The effect of the last run (etSpin .. etFireworks; etRandom before the first run).
  TlxAnimationEffectType LastEffect() const noexcept { return FEffect; }

protected:
  // The inherited event, then the run.
  void DoShowEffect() override;
  void DoHideEffect() override;
  // The chosen effect: 0 prepares the run, 1 draws the current step, 2 draws it again.
  void DrawFrame(int Phase);
  // One closed outline of the current step: DrawPolygonXor on the desktop.
  virtual void DrawOutline(const TlxFloatPoint* Points, int Count);

private:
  void DrawRect(TlxFloatPoint Centre, TlxFloatPoint Half);
  void DrawStep(int Step, int Phase);
  float Progress() const noexcept;  // Step / Steps
  void Spin();
  void Vortex(int Phase);
  void ScatterGather();
  void Spike(int Phase);
  void Fireworks(int Phase);

  uint16_t FDelay = 100;
  uint8_t FFireworkBlasts = 10;
  uint8_t FFrames = 6;
  TlxAnimationEffectType FEffectType = etRandom;
  uint8_t FSteps = 50;

  // The run.
  HDC FDC = nullptr;
  TlxAnimationEffectType FEffect = etRandom;
  float FAngle = 0;
  int FRunSteps = 0;
  int FStep = 0;
  TlxFloatPoint FC, FH;  // centre and half-size of the form
  TlxAffineMatrix FRotation72;
  TlxFloatPoint FTargets[255];
  TlxFloatPoint FTriangles[16][3];
  TlxFloatPoint FCentroids[16];
  TlxAffineMatrix FTravel[16];
};

namespace lxanimation_detail {
// Where the spike triangles gather before they travel (I 0..15) and where the firework blasts start
// (I of Blasts), for a form with centre C and half-size H: both on circles that shrink to C as the
// form becomes square.
TlxFloatPoint SpikeRingPoint(TlxFloatPoint C, TlxFloatPoint H, int I) noexcept;
TlxFloatPoint FireworkTarget(TlxFloatPoint C, TlxFloatPoint H, int I, int Blasts) noexcept;
}  // namespace lxanimation_detail
