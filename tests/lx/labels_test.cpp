// The labels with effects: defaults set by the constructors, the layers drawn (colour classes and
// centroids, never glyph pixels), the disabled look, hover and press through real mouse messages,
// blinking through timer messages and real timers, auto-size and the ellipsis options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lx/lxGraphics.h"
#include "lx/lxLabels.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

constexpr TColor kText = clRed, kShadow = clBlue, kHighlight = clLime;

class LabelsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewPlainForm(60, 60, 320, 120);
    Label = TlxLabel::Create(Form);
    Label->SetParent(Form);
    Label->SetBounds(20, 20, 10, 10);
    Label->SetColor(clWhite);
    Label->Font()->SetName("Arial");
    Label->Font()->SetHeight(-32);
    Label->Font()->SetStyle(TFontStyles{fsBold});
    Label->Font()->SetColor(kText);
    Label->Shadow()->SetColors(kShadow);
    Label->Shadow()->SetDepth(3);
    Label->Highlight()->SetColors(kHighlight);
    Label->Highlight()->SetDepth(3);
    Label->SetCaption("Hello");
    Form->HandleNeeded();
  }
  void TearDown() override { Form->Free(); }

  TRect LabelArea() const { return Label->BoundsRect(); }
  TClassStats Tint(TTint T) {
    TPixelDC Pixels(320, 120);
    PrintClient(Form->Handle(), Pixels);
    return TintStats(Pixels, LabelArea(), T);
  }

  TForm* Form = nullptr;
  TlxLabel* Label = nullptr;
};

struct TBlinkLog {
  std::vector<std::string> Events;
  std::vector<TObject*> Senders;
  void Show(TObject* Sender) {
    Events.push_back("show");
    Senders.push_back(Sender);
  }
  void Hide(TObject* Sender) {
    Events.push_back("hide");
    Senders.push_back(Sender);
  }
};

UINT_PTR WINAPI RefuseTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

}  // namespace

TEST_F(LabelsTest, ConstructorsSetTheEffectsLooksAndLinkDefaults) {
  TObjectPtr<TlxLabel> Plain(TlxLabel::Create(nullptr));
  EXPECT_EQ(Plain->Highlight()->Direction(), edUpLeft);
  EXPECT_EQ(Plain->Highlight()->Color(), clHighlightText);
  EXPECT_EQ(Plain->Highlight()->ColorHover(), clHighlightText);
  EXPECT_EQ(Plain->Highlight()->ColorClick(), clHighlightText);
  EXPECT_EQ(Plain->Shadow()->Direction(), edDownRight);
  EXPECT_EQ(Plain->Shadow()->ColorClick(), clGrayText);
  EXPECT_TRUE(Plain->Shadow()->Enabled());
  EXPECT_EQ(Plain->Shadow()->Depth(), 1);
  EXPECT_TRUE(Plain->AutoSize());
  EXPECT_FALSE(Plain->FontHover()->Used());
  EXPECT_EQ(Plain->Blinking()->DelayVisible(), 700u);
  EXPECT_EQ(Plain->Blinking()->DelayInvisible(), 400u);
  EXPECT_EQ(Plain->Blinking()->DelayBetweenBlinking(), 120000u);
  EXPECT_TRUE(Plain->Blinking()->Shown());
  EXPECT_EQ(Plain->Blinking()->Window(), nullptr) << "no window before blinking starts";

  TObjectPtr<TlxURLLabel> Link(TlxURLLabel::Create(nullptr));
  EXPECT_EQ(Link->Font()->Color(), clBlue);
  EXPECT_EQ(Link->Font()->Style(), TFontStyles{fsUnderline});
  EXPECT_EQ(Link->FontHover()->Color(), clRed);
  EXPECT_TRUE(Link->FontHover()->Used());
  EXPECT_EQ(Link->FontClick()->Color(), clRed);
  EXPECT_FALSE(Link->FontClick()->Used());
  EXPECT_FALSE(Link->Highlight()->Enabled());
  EXPECT_FALSE(Link->Shadow()->Enabled());
  EXPECT_EQ(Link->Cursor(), crLinkSelect);
  EXPECT_EQ(Link->CursorClick(), crLinkSelect);
  EXPECT_TRUE(Link->URLInNewWindow());
  EXPECT_EQ(Link->Kind(), ukWWW);
}

TEST_F(LabelsTest, ShadowAndHighlightAreCopiesOffsetByDirectionTimesDepth) {
  TClassStats Text = Tint(TTint::Red), Shadow = Tint(TTint::Blue), Highlight = Tint(TTint::Green);
  ASSERT_GT(Text.Count, 50);
  ASSERT_GT(Shadow.Count, 10);
  ASSERT_GT(Highlight.Count, 10);
  // What shows of a copy is the rim the text does not cover: beyond the offset side.
  EXPECT_GT(Shadow.X, Text.X + 1);
  EXPECT_GT(Shadow.Y, Text.Y + 1);
  EXPECT_LT(Highlight.X, Text.X - 1);
  EXPECT_LT(Highlight.Y, Text.Y - 1);

  Label->Highlight()->SetEnabled(false);
  Label->Shadow()->SetDirection(edUp);
  TClassStats Up = Tint(TTint::Blue);
  EXPECT_EQ(Tint(TTint::Green).Count, 0);
  EXPECT_NEAR(Up.X, Text.X, 2.0);
  EXPECT_LT(Up.Y, Text.Y - 1);

  // Depth 0: the copy lies exactly under the text.
  Label->Shadow()->SetDepth(0);
  EXPECT_EQ(Tint(TTint::Blue).Count, 0);
  Label->Shadow()->SetEnabled(false);
  EXPECT_EQ(Tint(TTint::Blue).Count + Tint(TTint::Green).Count, 0) << "only the text layer";
  EXPECT_NEAR(Tint(TTint::Red).Count, Text.Count, Text.Count / 20);
}

TEST_F(LabelsTest, DisabledLabelDrawsTheClassLibraryDisabledLook) {
  Label->SetEnabled(false);
  TPixelDC Pixels(320, 120);
  PrintClient(Form->Handle(), Pixels);
  TRect R = LabelArea();
  for (TTint T : {TTint::Red, TTint::Green, TTint::Blue}) EXPECT_EQ(TintStats(Pixels, R, T).Count, 0);
  // Only greys: the button shadow colour and its blends with white.
  COLORREF Shadow = ColorToRGB(clBtnShadow);
  EXPECT_GT(Pixels.Count(R, Shadow), 10);
  TClassStats NonGrey = StatsOf(Pixels, R, [](COLORREF C) {
    return GetRValue(C) != GetGValue(C) || GetGValue(C) != GetBValue(C);
  });
  EXPECT_EQ(NonGrey.Count, 0);
}

TEST_F(LabelsTest, HoverAndPressFollowRealMouseMessages) {
  TObjectPtr<TlxURLLabel> Link(TlxURLLabel::Create(Form));
  Link->SetParent(Form);
  Link->SetBounds(20, 70, 10, 10);
  Link->SetColor(clWhite);
  Link->Font()->SetHeight(-24);
  Link->SetCaption("link");
  Label->SetCursorClick(crCross);
  Label->FontClick()->SetColor(clLime);
  Label->FontClick()->SetUsed(true);
  Label->Shadow()->SetEnabled(false);
  Label->Highlight()->SetEnabled(false);
  Form->Show();
  PumpFor(50);
  HWND Wnd = Form->Handle();
  auto LinkTint = [&](TTint T) {
    TPixelDC Pixels(320, 120);
    PrintClient(Wnd, Pixels);
    return TintStats(Pixels, Link->BoundsRect(), T).Count;
  };
  EXPECT_GT(LinkTint(TTint::Blue), 0);
  EXPECT_EQ(LinkTint(TTint::Red), 0);

  // The mouse over the link: the hover look (red).
  TPoint Over = Point(Link->Left() + 4, Link->Top() + Link->Height() / 2);
  TPoint Screen = Form->ClientToScreen(Over);
  SetCursorPos(Screen.x, Screen.y);
  PostMessageA(Wnd, WM_MOUSEMOVE, 0, MAKELPARAM(Over.x, Over.y));
  ASSERT_TRUE(PumpUntil([&] { return Link->MouseInside(); }, 10000));
  PumpFor(50);
  EXPECT_GT(LinkTint(TTint::Red), 0);
  EXPECT_EQ(LinkTint(TTint::Blue), 0);

  // Over the label instead: the link leaves its hover look.
  TPoint OnLabel = Point(Label->Left() + 6, Label->Top() + Label->Height() / 2);
  Screen = Form->ClientToScreen(OnLabel);
  SetCursorPos(Screen.x, Screen.y);
  PostMessageA(Wnd, WM_MOUSEMOVE, 0, MAKELPARAM(OnLabel.x, OnLabel.y));
  ASSERT_TRUE(PumpUntil([&] { return Label->MouseInside() && !Link->MouseInside(); }, 10000));
  EXPECT_EQ(LinkTint(TTint::Red), 0);

  // A press: the click look and, at once, the click cursor; the release ends both.
  SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(OnLabel.x, OnLabel.y));
  EXPECT_TRUE(Label->Pressed());
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
  TPixelDC Pressed(320, 120);
  PrintClient(Wnd, Pressed);
  EXPECT_GT(TintStats(Pressed, LabelArea(), TTint::Green).Count, 0);
  EXPECT_EQ(TintStats(Pressed, LabelArea(), TTint::Red).Count, 0);
  SendMessageA(Wnd, WM_LBUTTONUP, 0, MAKELPARAM(OnLabel.x, OnLabel.y));
  EXPECT_FALSE(Label->Pressed());
  EXPECT_EQ(Tint(TTint::Green).Count, 0);
}

TEST_F(LabelsTest, TimerMessagesSwitchThePhasesWithTheBlinkingObjectAsSender) {
  TBlinkLog Log;
  Label->OnShowBlink = MakeEvent<&TBlinkLog::Show>(&Log);
  Label->OnHideBlink = MakeEvent<&TBlinkLog::Hide>(&Log);
  TlxLabelBlinking* Blink = Label->Blinking();
  Blink->SetDelayVisible(100000);
  Blink->SetDelayInvisible(100000);
  Blink->SetActive(true);
  ASSERT_NE(Blink->Window(), nullptr);

  SendMessageA(Blink->Window(), WM_TIMER, 1, 0);
  EXPECT_FALSE(Blink->Shown());
  EXPECT_EQ(Tint(TTint::Red).Count, 0) << "no text while hidden";
  EXPECT_EQ(Tint(TTint::Blue).Count, 0) << "nor its shadow";
  SendMessageA(Blink->Window(), WM_TIMER, 7, 0);  // not the blink timer
  EXPECT_FALSE(Blink->Shown());
  SendMessageA(Blink->Window(), WM_TIMER, 1, 0);
  EXPECT_TRUE(Blink->Shown());
  EXPECT_GT(Tint(TTint::Red).Count, 0);
  EXPECT_EQ(Log.Events, (std::vector<std::string>{"hide", "show"}));
  EXPECT_EQ(Log.Senders, (std::vector<TObject*>{Blink, Blink}));
  EXPECT_EQ(Blink->ShowCount(), 1u);
  EXPECT_EQ(SendMessageA(Blink->Window(), WM_QUERYENDSESSION, 0, 0), 1);

  // A delay of 0 stops blinking and shows the text.
  SendMessageA(Blink->Window(), WM_TIMER, 1, 0);
  Blink->SetDelayVisible(0);
  EXPECT_TRUE(Blink->Shown());
  EXPECT_FALSE(KillTimer(Blink->Window(), 1)) << "the timer is stopped";
}

TEST_F(LabelsTest, RealTimersBlinkAndARefusedTimerRaisesWithTheTextShown) {
  TBlinkLog Log;
  Label->OnShowBlink = MakeEvent<&TBlinkLog::Show>(&Log);
  Label->OnHideBlink = MakeEvent<&TBlinkLog::Hide>(&Log);
  Label->Blinking()->SetDelayVisible(20);
  Label->Blinking()->SetDelayInvisible(30);
  Label->Blinking()->SetActive(true);
  EXPECT_TRUE(PumpUntil([&] { return Label->Blinking()->ShowCount() >= 2; }, 10000));
  Label->Blinking()->SetActive(false);
  EXPECT_TRUE(Label->Blinking()->Shown());
  ASSERT_GE(Log.Events.size(), 4u);
  for (size_t I = 0; I < Log.Events.size(); ++I) EXPECT_EQ(Log.Events[I], I % 2 ? "show" : "hide");

  auto Saved = lxlabels_detail::SetSetTimerFunc(&RefuseTimer);
  try {
    Label->Blinking()->SetActive(true);
    ADD_FAILURE() << "no exception";
  } catch (const EOutOfResources& E) {
    EXPECT_EQ(E.Message(), "Not enough timers available");
  }
  lxlabels_detail::SetSetTimerFunc(Saved);
  EXPECT_TRUE(Label->Blinking()->Shown());
}

TEST_F(LabelsTest, AutoSizeKeepsOneLineForAnEmptyCaptionAndItsSizeWhileHidden) {
  int OneLine = Label->Height();
  EXPECT_GT(OneLine, 20);
  Label->SetCaption("");
  EXPECT_EQ(Label->Height(), OneLine);
  EXPECT_GT(Label->Width(), 0);
  Label->SetCaption("Hello");
  int Width = Label->Width();

  Label->Blinking()->SetDelayVisible(100000);
  Label->Blinking()->SetActive(true);
  SendMessageA(Label->Blinking()->Window(), WM_TIMER, 1, 0);
  ASSERT_FALSE(Label->Blinking()->Shown());
  Label->SetCaption("Hello, a much longer caption");
  EXPECT_EQ(Label->Width(), Width) << "measured while hidden: the size stays";
  EXPECT_EQ(Label->Height(), OneLine);
}

TEST_F(LabelsTest, EllipsisOptionsDrawAShortenedCopyAndKeepTheCaption) {
  const std::string Long = "C:\\Program Files\\Veldrane\\Data\\Lib\\VDSCmplr.dll";
  Label->SetAutoSize(false);
  Label->SetBounds(20, 20, 120, 40);
  Label->SetCaption(Long);
  for (TlxLabelOptions Options : {TlxLabelOptions{loPathEllipsis}, TlxLabelOptions{loEndEllipsis}}) {
    Label->SetOptions(Options);
    EXPECT_GT(Tint(TTint::Red).Count, 0);
    EXPECT_EQ(Label->Caption(), Long);
  }
}
