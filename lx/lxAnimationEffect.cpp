#include "lx/lxAnimationEffect.h"

#include <cmath>
#include <random>

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"
#include "lx/lxGdiHandles.h"
#include "lx/lxUtils.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr long double kPiExtended = 3.14159265358979323846264338327950288L;

// Screen coordinates for GDI: truncated towards zero; NaN and anything far off the screen never
// reach the integer conversion.
int ToCoordinate(float V) noexcept {
  constexpr float kFar = 1.0e8f;
  if (std::isnan(V)) return 0;
  if (V > kFar) return static_cast<int>(kFar);
  if (V < -kFar) return -static_cast<int>(kFar);
  return static_cast<int>(V);
}

TlxFloatPoint FloatPoint(float X, float Y) noexcept { return TlxFloatPoint{X, Y}; }
constexpr TlxFloatPoint kOrigin{0, 0};
TlxFloatPoint Scaled(TlxFloatPoint P, float F) noexcept { return FloatPoint(P.X * F, P.Y * F); }

// The corners of the rectangle of half-size Half around Centre; false when a half-size is 0.
bool CenteredRectCorners(TlxFloatPoint Centre, TlxFloatPoint Half, TlxFloatPoint (&Corners)[4]) noexcept {
  if (Half.X == 0 || Half.Y == 0) return false;
  Corners[0] = FloatPoint(Centre.X - Half.X, Centre.Y + Half.Y);
  Corners[1] = FloatPoint(Centre.X + Half.X, Centre.Y + Half.Y);
  Corners[2] = FloatPoint(Centre.X + Half.X, Centre.Y - Half.Y);
  Corners[3] = FloatPoint(Centre.X - Half.X, Centre.Y - Half.Y);
  return true;
}

// The point (C.X, C.Y + (HW - HH) * Factor) turned about C.
TlxFloatPoint OnFormCircle(TlxFloatPoint C, TlxFloatPoint H, float Factor, float Angle) noexcept {
  return TransformPoint(FloatPoint(C.X, C.Y + (H.X - H.Y) * Factor), RotationMatrix(C, Angle));
}

// Randomize; Random(5) + 1, from a generator of our own seeded anew from the performance counter.
TlxAnimationEffectType RandomEffect() {
  LARGE_INTEGER Now;
  QueryPerformanceCounter(&Now);
  std::minstd_rand Generator(static_cast<std::minstd_rand::result_type>(Now.QuadPart ^ (Now.QuadPart >> 32)));
  return static_cast<TlxAnimationEffectType>(std::uniform_int_distribution<int>(etSpin, etFireworks)(Generator));
}

// (Area - Size) / 2, never negative.
int CentredPosition(int Area, int Size) noexcept {
  int Position = (Area - Size) / 2;
  return Position < 0 ? 0 : Position;
}

}  // namespace

// ---- Geometry -----------------------------------------------------------------------------------

TlxFloatPoint PointAdd(TlxFloatPoint A, TlxFloatPoint B) noexcept { return FloatPoint(A.X + B.X, A.Y + B.Y); }
TlxFloatPoint PointSub(TlxFloatPoint A, TlxFloatPoint B) noexcept { return FloatPoint(A.X - B.X, A.Y - B.Y); }

TlxFloatPoint PointLerp(TlxFloatPoint A, TlxFloatPoint B, float T) noexcept {
  return PointAdd(Scaled(A, T), Scaled(B, 1 - T));
}

TlxFloatPoint TransformPoint(TlxFloatPoint P, const TlxAffineMatrix& M) noexcept {
  return FloatPoint(P.X * M.M11 + P.Y * M.M21 + M.M31, P.X * M.M12 + P.Y * M.M22 + M.M32);
}

TlxAffineMatrix MatrixMultiply(const TlxAffineMatrix& A, const TlxAffineMatrix& B) noexcept {
  const float a[3][3] = {{A.M11, A.M12, A.M13}, {A.M21, A.M22, A.M23}, {A.M31, A.M32, A.M33}};
  const float b[3][3] = {{B.M11, B.M12, B.M13}, {B.M21, B.M22, B.M23}, {B.M31, B.M32, B.M33}};
  float r[3][3];
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J) r[I][J] = a[I][0] * b[0][J] + a[I][1] * b[1][J] + a[I][2] * b[2][J];
  return TlxAffineMatrix{r[0][0], r[0][1], r[0][2], r[1][0], r[1][1], r[1][2], r[2][0], r[2][1], r[2][2]};
}

TlxAffineMatrix MatrixLerp(const TlxAffineMatrix& A, const TlxAffineMatrix& B, float T) noexcept {
  auto L = [T](float X, float Y) { return X * T + Y * (1 - T); };
  return TlxAffineMatrix{L(A.M11, B.M11), L(A.M12, B.M12), L(A.M13, B.M13),
                         L(A.M21, B.M21), L(A.M22, B.M22), L(A.M23, B.M23),
                         L(A.M31, B.M31), L(A.M32, B.M32), L(A.M33, B.M33)};
}

TlxAffineMatrix TranslationMatrix(float DX, float DY) noexcept {
  TlxAffineMatrix M;
  M.M31 = DX;
  M.M32 = DY;
  return M;
}

TlxAffineMatrix ScalingMatrix(TlxFloatPoint Centre, float SX, float SY) noexcept {
  TlxAffineMatrix Scale;
  Scale.M11 = SX;
  Scale.M22 = SY;
  return MatrixMultiply(MatrixMultiply(TranslationMatrix(-Centre.X, -Centre.Y), Scale),
                        TranslationMatrix(Centre.X, Centre.Y));
}

TlxAffineMatrix RotationMatrix(TlxFloatPoint Centre, float Angle) noexcept {
  TlxAffineMatrix Turn;
  Turn.M11 = std::cos(Angle);
  Turn.M12 = std::sin(Angle);
  Turn.M21 = -Turn.M12;
  Turn.M22 = Turn.M11;
  return MatrixMultiply(MatrixMultiply(TranslationMatrix(-Centre.X, -Centre.Y), Turn),
                        TranslationMatrix(Centre.X, Centre.Y));
}

namespace lxanimation_detail {
TlxFloatPoint SpikeRingPoint(TlxFloatPoint C, TlxFloatPoint H, int I) noexcept {
  return OnFormCircle(C, H, 4.0f / 5.0f, 0.5759586530534f - static_cast<float>(I) * 0.3839724354318f);
}

TlxFloatPoint FireworkTarget(TlxFloatPoint C, TlxFloatPoint H, int I, int Blasts) noexcept {
  return OnFormCircle(C, H, 5.0f / 3.0f, 2.0f * static_cast<float>(I) * kPi / static_cast<float>(Blasts));
}
}  // namespace lxanimation_detail

// ---- Drawing ------------------------------------------------------------------------------------

void DrawPolygonXor(HDC DC, const TlxFloatPoint* Points, int Count) {
  if (Count <= 0) return;
  const TlxFloatPoint& First = Points[0];
  const TlxFloatPoint& Last = Points[Count - 1];
  if (Last.X == First.X && Last.Y == First.Y) return;
  MoveToEx(DC, ToCoordinate(First.X), ToCoordinate(First.Y), nullptr);
  for (int I = 1; I < Count; ++I) LineTo(DC, ToCoordinate(Points[I].X), ToCoordinate(Points[I].Y));
  LineTo(DC, ToCoordinate(First.X), ToCoordinate(First.Y));
}

void DrawCenteredRect(HDC DC, TlxFloatPoint Centre, TlxFloatPoint Half) {
  TlxFloatPoint Corners[4];
  if (CenteredRectCorners(Centre, Half, Corners)) DrawPolygonXor(DC, Corners, 4);
}

void BusyDelay(unsigned N) {
  if (N == 0) return;
  const uint64_t Count = static_cast<uint64_t>(N) * GetCachedCPUSpeed();
  volatile float Sink = 0;  // the divisions are the wait: they must not be optimised away
  for (uint64_t I = 1; I <= Count; ++I) {
    Sink = static_cast<float>(kPiExtended / static_cast<long double>(I));
    if (Sink == 0) break;
  }
}

// ---- TlxAnimationEffect -------------------------------------------------------------------------

TlxAnimationEffect::TlxAnimationEffect(TComponent* AOwner) : TlxFormAnimationEffect(AOwner) {}

void TlxAnimationEffect::DoShowEffect() {
  inherited::DoShowEffect();
  PlayEffect(true);
}

void TlxAnimationEffect::DoHideEffect() {
  inherited::DoHideEffect();
  PlayEffect(false);
}

void TlxAnimationEffect::PlayEffect(bool Showing) {
  TForm* Form = GetOwnerForm();
  if (!Form || FSteps == 0) return;  // 0 steps would divide by zero; only forms are animated
  TlxPriorityClassScope Priority(REALTIME_PRIORITY_CLASS);
  if (Form->Position() == poScreenCenter) {
    int AreaWidth = Screen->Width(), AreaHeight = Screen->Height();
    TCustomForm* MainForm = Application->MainForm();
    if (Form->FormStyle() == fsMDIChild && MainForm) {
      AreaWidth = MainForm->ClientWidth();
      AreaHeight = MainForm->ClientHeight();
    }
    Form->SetBounds(CentredPosition(AreaWidth, Form->Width()), CentredPosition(AreaHeight, Form->Height()),
                    Form->Width(), Form->Height());
  }
  lxgdi::TWindowDC Desktop(GetDesktopWindow(), true);
  if (!Desktop.Get()) return;
  lxgdi::TGdiObject<HPEN> Pen(CreatePen(PS_SOLID, 1, 0));
  lxgdi::TSelection PenSelection(Desktop.Get(), Pen.Get());
  lxgdi::TRasterOp Inverting(Desktop.Get(), R2_NOT);
  FDC = Desktop.Get();
  struct TRunDC {  // the DC belongs to this run only
    HDC& DC;
    ~TRunDC() { DC = nullptr; }
  } Run{FDC};

  FH = FloatPoint(static_cast<float>(Form->Width()) / 2, static_cast<float>(Form->Height()) / 2);
  FC = FloatPoint(static_cast<float>(Form->Left()) + FH.X, static_cast<float>(Form->Top()) + FH.Y);
  FRunSteps = FSteps;
  const int Frames = FFrames;
  FEffect = FEffectType != etRandom ? FEffectType : RandomEffect();
  FAngle = FEffect == etSpin || FEffect == etFireworks ? 2 * kPi : FEffect == etScatterGather ? 6.0f : kPi;

  DrawFrame(0);
  FStep = 0;
  if (Showing) {
    for (int I = 0; I <= FRunSteps + Frames; ++I) {
      if (I < FRunSteps) DrawStep(I, 1);
      if (I >= Frames) DrawStep(I - Frames, 2);
    }
  } else {
    for (int I = FRunSteps + Frames - 1; I >= 0; --I) {
      if (I >= Frames) DrawStep(I - Frames, 1);
      if (I < FRunSteps) DrawStep(I, 2);
    }
  }
  // After showing the full outline of the form (step Steps) is still there: this removes it.
  // After hiding the step is 0, which draws nothing.
  DrawFrame(2);
}

void TlxAnimationEffect::DrawStep(int Step, int Phase) {
  FStep = Step;
  DrawFrame(Phase);
  BusyDelay(FDelay);
}

void TlxAnimationEffect::DrawFrame(int Phase) {
  switch (FEffect) {
    case etSpin:
      if (Phase != 0) Spin();
      break;
    case etVortex: Vortex(Phase); break;
    case etScatterGather:
      if (Phase != 0) ScatterGather();
      break;
    case etSpike: Spike(Phase); break;
    case etFireworks: Fireworks(Phase); break;
    case etRandom: break;
  }
}

void TlxAnimationEffect::DrawOutline(const TlxFloatPoint* Points, int Count) { DrawPolygonXor(FDC, Points, Count); }

void TlxAnimationEffect::DrawRect(TlxFloatPoint Centre, TlxFloatPoint Half) {
  TlxFloatPoint Corners[4];
  if (CenteredRectCorners(Centre, Half, Corners)) DrawOutline(Corners, 4);
}

float TlxAnimationEffect::Progress() const noexcept {
  return static_cast<float>(FStep) / static_cast<float>(FRunSteps);
}

// The form's rectangle grows from its centre while turning one full turn backwards into place.
void TlxAnimationEffect::Spin() {
  const float T = Progress(), S = static_cast<float>(FRunSteps);
  const TlxAffineMatrix M = MatrixMultiply(ScalingMatrix(kOrigin, T, T),
                                           RotationMatrix(kOrigin, static_cast<float>(FStep - FRunSteps) * FAngle / S));
  const TlxFloatPoint P = TransformPoint(FloatPoint(FH.X, -FH.Y), M), Q = TransformPoint(FH, M);
  const TlxFloatPoint Corners[4] = {PointSub(FC, Q), PointSub(FC, P), PointAdd(FC, Q), PointAdd(FC, P)};
  DrawOutline(Corners, 4);
}

// Five small rectangles on a circle around the centre, turning and closing in until they are the form.
void TlxAnimationEffect::Vortex(int Phase) {
  if (Phase == 0) {
    FRotation72 = RotationMatrix(FC, 1.2566371f);  // a fifth of a turn
    return;
  }
  const float Step = static_cast<float>(FStep), S = static_cast<float>(FRunSteps);
  const TlxFloatPoint Half = FloatPoint(Step * FH.X / S, Step * FH.Y / S);
  const float K = 4 * (S - Step) / (3 * S);
  const TlxAffineMatrix M = MatrixMultiply(MatrixMultiply(TranslationMatrix(FH.X, FH.Y), ScalingMatrix(FC, K, K)),
                                           RotationMatrix(FC, Step * FAngle / S));
  TlxFloatPoint Centre = TransformPoint(FC, M);
  for (int I = 0; I < 5; ++I) {
    DrawRect(Centre, Half);
    Centre = TransformPoint(Centre, FRotation72);
  }
}

// A grid of tiles spread to three times the form's size that gathers into the form.
void TlxAnimationEffect::ScatterGather() {
  const int N = static_cast<int>(FAngle);
  const float Step = static_cast<float>(FStep), S = static_cast<float>(FRunSteps), Cells = static_cast<float>(N);
  const TlxFloatPoint Half = FloatPoint(Step * FH.X / (S * FAngle), Step * FH.Y / (S * FAngle));
  const float F = (3 * S - 2 * Step) / S;
  const TlxAffineMatrix M = MatrixMultiply(ScalingMatrix(kOrigin, F, F), TranslationMatrix(FC.X, FC.Y));
  for (int Col = 0; Col < N; ++Col)
    for (int Row = 0; Row < N; ++Row) {
      const TlxFloatPoint Cell = FloatPoint(static_cast<float>(2 * Col - N + 1) * FH.X / Cells,
                                       static_cast<float>(2 * Row - N + 1) * FH.Y / Cells);
      DrawRect(TransformPoint(Cell, M), Half);
    }
}

// Sixteen slices of the form appear small and spinning on a ring, then travel back into place.
void TlxAnimationEffect::Spike(int Phase) {
  if (Phase == 0) {
    const float L = FC.X - FH.X, R = FC.X + FH.X, B = FC.Y + FH.Y, T = FC.Y - FH.Y;
    for (int I = 0; I < 16; ++I) {
      const float F = static_cast<float>(I);
      TlxFloatPoint P1, P2;
      if (I < 4) {  // the bottom side, left to right
        P1 = FloatPoint(((4 - F) * L + F * R) / 4, B);
        P2 = FloatPoint(((3 - F) * L + (F + 1) * R) / 4, B);
      } else if (I < 8) {  // the right side, bottom to top
        P1 = FloatPoint(R, ((8 - F) * B + (F - 4) * T) / 4);
        P2 = FloatPoint(R, ((7 - F) * B + (F - 3) * T) / 4);
      } else if (I < 12) {  // the top side, right to left
        P1 = FloatPoint(((12 - F) * R + (F - 8) * L) / 4, T);
        P2 = FloatPoint(((11 - F) * R + (F - 7) * L) / 4, T);
      } else {  // the left side, top to bottom
        P1 = FloatPoint(L, ((16 - F) * T + (F - 12) * B) / 4);
        P2 = FloatPoint(L, ((15 - F) * T + (F - 11) * B) / 4);
      }
      FTriangles[I][0] = FC;
      FTriangles[I][1] = P1;
      FTriangles[I][2] = P2;
      FCentroids[I] = Scaled(PointAdd(PointAdd(FC, P1), P2), 1.0f / 3);
      const TlxFloatPoint Travel = PointSub(lxanimation_detail::SpikeRingPoint(FC, FH, I), FCentroids[I]);
      FTravel[I] = TranslationMatrix(Travel.X, Travel.Y);
    }
    return;
  }
  const float T = Progress(), Step = static_cast<float>(FStep), S = static_cast<float>(FRunSteps);
  for (int I = 0; I < 16; ++I) {
    const TlxFloatPoint G = FCentroids[I];
    TlxAffineMatrix M;
    if (FStep < FRunSteps / 2)
      M = MatrixMultiply(MatrixMultiply(ScalingMatrix(G, T, T), RotationMatrix(G, (1 - 2 * Step / S) * FAngle)),
                         FTravel[I]);
    else
      M = MatrixMultiply(ScalingMatrix(G, T, T), MatrixLerp(TlxAffineMatrix{}, FTravel[I], (2 * Step - S) / S));
    const TlxFloatPoint Points[3] = {TransformPoint(FTriangles[I][0], M), TransformPoint(FTriangles[I][1], M),
                                     TransformPoint(FTriangles[I][2], M)};
    DrawOutline(Points, 3);
  }
}

// Copies of the form fly in from points on a circle, turning once and growing, and meet in the form.
void TlxAnimationEffect::Fireworks(int Phase) {
  const int Blasts = FFireworkBlasts;
  if (Phase == 0) {
    for (int I = 0; I < Blasts; ++I) FTargets[I] = lxanimation_detail::FireworkTarget(FC, FH, I, Blasts);
    return;
  }
  const float T = Progress();
  const TlxFloatPoint Corners[4] = {FloatPoint(-FH.X, -FH.Y), FloatPoint(FH.X, -FH.Y), FH, FloatPoint(-FH.X, FH.Y)};
  for (int I = 0; I < Blasts; ++I) {
    const TlxFloatPoint At = PointLerp(FC, FTargets[I], T);
    const TlxAffineMatrix M = MatrixMultiply(
        MatrixMultiply(RotationMatrix(kOrigin, (1 - T) * FAngle), ScalingMatrix(kOrigin, T, T)),
        TranslationMatrix(At.X, At.Y));
    TlxFloatPoint Points[4];
    for (int K = 0; K < 4; ++K) Points[K] = TransformPoint(Corners[K], M);
    DrawOutline(Points, 4);
  }
}

// ---- Published members --------------------------------------------------------------------------

namespace {
// Form resources create it by class name.
struct TAnimationRegistration {
  TAnimationRegistration() { RegisterClass(ClassOf<TlxAnimationEffect>()); }
} const g_AnimationRegistration;
}  // namespace

VD_DEFINE_CLASS(TlxAnimationEffect) {
  C.Property("AnimateOnShow", &TlxAnimationEffect::AnimateOnShow, &TlxAnimationEffect::SetAnimateOnShow).Default(false);
  C.Property("AnimateOnHide", &TlxAnimationEffect::AnimateOnHide, &TlxAnimationEffect::SetAnimateOnHide).Default(false);
  C.Property("Delay", &TlxAnimationEffect::FDelay, &TlxAnimationEffect::SetDelay).Default(100);
  C.Property("FireworkBlasts", &TlxAnimationEffect::FFireworkBlasts, &TlxAnimationEffect::SetFireworkBlasts).Default(10);
  C.Property("Frames", &TlxAnimationEffect::FFrames, &TlxAnimationEffect::SetFrames).Default(6);
  C.Property("EffectType", &TlxAnimationEffect::FEffectType, &TlxAnimationEffect::SetEffectType).Default(etRandom);
  C.Property("Steps", &TlxAnimationEffect::FSteps, &TlxAnimationEffect::SetSteps).Default(50);
}
