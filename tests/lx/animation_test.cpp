// Animation effects: the geometry, what every effect draws step by step (through a descendant that
// records the outlines), and real runs on the desktop of the Xvfb screen, which must end as they began.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "classlib/ExtCtrls.h"
#include "lx/lxAnimationEffect.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace lxanimation_detail;
using namespace testsupport;

namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(TlxFloatPoint P, float X, float Y) {
  EXPECT_NEAR(P.X, X, 1e-3) << "x of (" << P.X << ", " << P.Y << ")";
  EXPECT_NEAR(P.Y, Y, 1e-3) << "y of (" << P.X << ", " << P.Y << ")";
}

using TOutline = std::vector<std::pair<float, float>>;

// Records every outline an effect draws; on request also draws it, or raises instead.
class TRecordingEffect : public TlxAnimationEffect {
  VD_CLASS(TRecordingEffect, TlxAnimationEffect);

public:
  using TlxAnimationEffect::TlxAnimationEffect;
  std::vector<TOutline> Outlines;
  bool AlsoDraw = false;
  int RaiseAt = -1;                   // the outline number that raises instead
  std::function<void(size_t)> After;  // called after each outline with the count so far

protected:
  void DrawOutline(const TlxFloatPoint* Points, int Count) override {
    if (static_cast<int>(Outlines.size()) == RaiseAt) throw EInvalidOperation("seam");
    TOutline O;
    for (int I = 0; I < Count; ++I) O.emplace_back(Points[I].X, Points[I].Y);
    Outlines.push_back(O);
    if (AlsoDraw) inherited::DrawOutline(Points, Count);
    if (After) After(Outlines.size());
  }
};
VD_DEFINE_CLASS(TRecordingEffect) {}

bool Degenerate(const TOutline& O) { return O.empty() || O.front() == O.back(); }

// Outlines per drawn step: one form, five rectangles, a 6 x 6 grid, 16 slices, the blasts.
int OutlinesPerStep(TlxAnimationEffectType Effect, int Blasts) {
  switch (Effect) {
    case etSpin: return 1;
    case etVortex: return 5;
    case etScatterGather: return 36;
    case etSpike: return 16;
    case etFireworks: return Blasts;
    default: return 0;
  }
}

class AnimationTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = TForm::Create(nullptr, CreateNewForm);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(440, 410, 120, 80);  // never shown: the outlines are drawn from its bounds
    Effect = TRecordingEffect::Create(Form);
    Effect->SetDelay(0);
    Effect->SetSteps(8);
    Effect->SetFrames(3);
  }
  void TearDown() override { Form->Free(); }

  std::vector<TOutline> Run(TlxAnimationEffectType Type, bool Showing) {
    Effect->Outlines.clear();
    Effect->SetEffectType(Type);
    Effect->PlayEffect(Showing);
    return Effect->Outlines;
  }

  TForm* Form = nullptr;
  TRecordingEffect* Effect = nullptr;
};

}  // namespace

TEST(AnimationGeometry, MatricesComposeInOrderTurnClockwiseOnScreenAndLerpTowardsTheFirst) {
  const TlxFloatPoint Origin{0, 0}, One{1, 0};
  // A applied first: translate then double, or double then translate.
  ExpectNear(TransformPoint(One, MatrixMultiply(TranslationMatrix(10, 0), ScalingMatrix(Origin, 2, 2))), 22, 0);
  ExpectNear(TransformPoint(One, MatrixMultiply(ScalingMatrix(Origin, 2, 2), TranslationMatrix(10, 0))), 12, 0);
  // A quarter turn takes +x to +y, which is down on the screen.
  ExpectNear(TransformPoint(One, RotationMatrix(Origin, kPi / 2)), 0, 1);
  ExpectNear(TransformPoint({11, 12}, ScalingMatrix({10, 10}, 2, 3)), 12, 16);
  // Lerps give the first argument at 1.
  ExpectNear(PointLerp({4, 8}, {0, 0}, 0.25f), 1, 2);
  ExpectNear(TransformPoint(Origin, MatrixLerp(TlxAffineMatrix{}, TranslationMatrix(10, 20), 0.25f)), 7.5f, 15);

  // A square form: the spike ring and the firework starts all lie on its centre; a wide one
  // puts them on circles of 4/5 and 5/3 of the difference of its half-sizes.
  for (int I = 0; I < 16; ++I) ExpectNear(SpikeRingPoint({100, 50}, {30, 30}, I), 100, 50);
  for (int I = 0; I < 7; ++I) ExpectNear(FireworkTarget({100, 50}, {30, 30}, I, 7), 100, 50);
  TlxFloatPoint Ring = SpikeRingPoint({100, 50}, {60, 30}, 3);
  EXPECT_NEAR(std::hypot(Ring.X - 100, Ring.Y - 50), 24, 1e-3);
  ExpectNear(FireworkTarget({100, 50}, {60, 30}, 0, 10), 100, 100);
}

TEST(AnimationGeometry, DegenerateOutlinesDrawNothingAndEveryOutlineUndoesItself) {
  TPixelDC Pixels(40, 40);
  RECT All{0, 0, 40, 40};
  PatBlt(Pixels.DC(), 0, 0, 40, 40, WHITENESS);
  SetROP2(Pixels.DC(), R2_NOT);
  const TlxFloatPoint Closed[3] = {{5, 5}, {30, 8}, {5, 5}};  // last equals first
  DrawPolygonXor(Pixels.DC(), Closed, 3);
  DrawCenteredRect(Pixels.DC(), {20, 20}, {0, 10});
  DrawCenteredRect(Pixels.DC(), {20, 20}, {10, 0});
  EXPECT_EQ(Pixels.Count(All, RGB(255, 255, 255)), 1600);
  DrawCenteredRect(Pixels.DC(), {20, 20}, {10, 5});
  EXPECT_EQ(Pixels.Pixel(10, 25), RGB(0, 0, 0));  // a corner of the outline
  EXPECT_EQ(Pixels.Count(All, RGB(0, 0, 0)), 60);
  DrawCenteredRect(Pixels.DC(), {20, 20}, {10, 5});
  EXPECT_EQ(Pixels.Count(All, RGB(255, 255, 255)), 1600);
}

TEST_F(AnimationTest, EveryStepIsDrawnTwiceAndStepZeroNotAtAll) {
  const int Steps = Effect->Steps();
  for (int Type = etSpin; Type <= etFireworks; ++Type) {
    SCOPED_TRACE(Type);
    const int PerStep = OutlinesPerStep(static_cast<TlxAnimationEffectType>(Type), Effect->FireworkBlasts());
    for (bool Showing : {true, false}) {
      std::map<TOutline, int> Times;
      int Drawn = 0;
      for (const TOutline& O : Run(static_cast<TlxAnimationEffectType>(Type), Showing)) {
        if (Degenerate(O)) continue;
        ++Times[O];
        ++Drawn;
      }
      for (const auto& [O, N] : Times) EXPECT_EQ(N % 2, 0);
      // Showing ends with the form itself (step Steps); hiding starts one step short of it.
      EXPECT_EQ(Drawn, 2 * (Showing ? Steps : Steps - 1) * PerStep) << (Showing ? "showing" : "hiding");
    }
    EXPECT_EQ(Effect->LastEffect(), Type);
  }
  // The last outline of a show is the form's own rectangle.
  std::vector<TOutline> Spin = Run(etSpin, true);
  std::set<std::pair<int, int>> Corners;
  for (auto [X, Y] : Spin.back()) Corners.insert({static_cast<int>(std::lround(X)), static_cast<int>(std::lround(Y))});
  EXPECT_EQ(Corners, (std::set<std::pair<int, int>>{{440, 410}, {560, 410}, {440, 490}, {560, 490}}));
}

TEST_F(AnimationTest, TrailsBlastsAndChoices) {
  Effect->SetFrames(0);  // each step goes again right after it came
  std::vector<TOutline> Outlines = Run(etSpike, true);
  for (size_t I = 0; I + 1 < Outlines.size(); I += 32)
    for (size_t K = 0; K < 16; ++K) EXPECT_EQ(Outlines[I + K], Outlines[I + 16 + K]);
  Effect->SetFireworkBlasts(0);
  EXPECT_TRUE(Run(etFireworks, true).empty());

  std::set<int> Picked;
  Effect->SetSteps(1);
  for (int I = 0; I < 50; ++I) {
    Run(etRandom, I % 2 == 0);
    EXPECT_GE(Effect->LastEffect(), etSpin);
    EXPECT_LE(Effect->LastEffect(), etFireworks);
    Picked.insert(Effect->LastEffect());
  }
  EXPECT_GE(Picked.size(), 2u);

  // Nothing to animate: no steps, or an owner that is no form.
  Effect->SetSteps(0);
  EXPECT_TRUE(Run(etSpin, true).empty());
  TPanel* Panel = TPanel::Create(Form);
  Panel->SetParent(Form);
  auto* OnPanel = TRecordingEffect::Create(Panel);
  OnPanel->PlayEffect(true);
  EXPECT_TRUE(OnPanel->Outlines.empty());
}

TEST_F(AnimationTest, ScreenCentringAndPriorityOnEveryWayOut) {
  Form->SetPosition(poScreenCenter);
  Form->SetBounds(10, 10, GetSystemMetrics(SM_CXSCREEN) + 200, 100);
  Run(etSpin, true);
  EXPECT_EQ(Form->Left(), 0);  // wider than the screen: never off its left edge
  EXPECT_EQ(Form->Top(), (GetSystemMetrics(SM_CYSCREEN) - 100) / 2);

  const DWORD Class = GetPriorityClass(GetCurrentProcess());
  DWORD During = 0;
  Effect->After = [&](size_t) { During = GetPriorityClass(GetCurrentProcess()); };
  Effect->RaiseAt = 3;
  EXPECT_THROW(Run(etSpin, true), EInvalidOperation);
  EXPECT_EQ(During, static_cast<DWORD>(REALTIME_PRIORITY_CLASS));
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), Class);
}

TEST(AnimationOnTheDesktop, TheScreenEndsAsItBegan) {
  // A white topmost cover keeps other windows out of the area the outlines cross.
  TForm* Cover = lxtest::NewPlainForm(200, 150, 600, 500);
  Cover->SetFormStyle(fsStayOnTop);
  Cover->Show();
  PumpFor(300);
  TForm* Owner = TForm::Create(nullptr, CreateNewForm);
  Owner->SetBounds(440, 360, 120, 80);
  auto* Effect = TRecordingEffect::Create(Owner);
  Effect->SetDelay(0);
  Effect->SetSteps(6);
  Effect->SetFrames(2);
  Effect->AlsoDraw = true;

  auto Capture = [](TPixelDC& Into) {
    HDC Screen = GetDC(nullptr);
    BitBlt(Into.DC(), 0, 0, 600, 500, Screen, 200, 150, SRCCOPY);
    ReleaseDC(nullptr, Screen);
  };
  auto Differs = [](const TPixelDC& A, const TPixelDC& B) {
    for (int Y = 0; Y < 500; ++Y)
      for (int X = 0; X < 600; ++X)
        if (A.Pixel(X, Y) != B.Pixel(X, Y)) return true;
    return false;
  };
  TPixelDC Before(600, 500), During(600, 500), After(600, 500);
  Capture(Before);
  for (int Type = etSpin; Type <= etFireworks; ++Type) {
    SCOPED_TRACE(Type);
    Effect->SetEffectType(static_cast<TlxAnimationEffectType>(Type));
    Effect->Outlines.clear();
    int Shown = 0;  // outlines on the screen so far; the fourth is captured
    Effect->After = [&](size_t) {
      if (!Degenerate(Effect->Outlines.back()) && ++Shown == 4) Capture(During);
    };
    Effect->PlayEffect(true);
    Effect->After = nullptr;
    ASSERT_GE(Shown, 4);
    Effect->PlayEffect(false);
    Capture(After);
    EXPECT_TRUE(Differs(Before, During)) << "the outlines were on the screen";
    EXPECT_FALSE(Differs(Before, After)) << "no remnants";
  }
  Owner->Free();
  Cover->Free();
}
