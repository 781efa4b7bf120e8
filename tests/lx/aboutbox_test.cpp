// The quick about box end to end: Execute shows the real dialog modally; a thread timer checks it
// while it is up (caption, widths, the lines placed under the real heights of those above, the
// e-mail message) and closes it with its OK button. The dialog's form resource itself (library
// cursor and colour identifiers, dotted sub-properties, sets, the packed icon) is read on its own.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Streams.h"
#include "lx/lxQuickAboutBox.h"
#include "lx/lxQuickAboutBoxForm.h"
#include "lx/lxUtils.h"
#include "tests/lx/lxAboutBoxTestSupport.h"
#include "tests/lx/lxLinkRecorder.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;

namespace {

int DialogCount() {
  int N = 0;
  for (int I = 0; I < Screen->FormCount(); ++I) N += dynamic_cast<TlxQuickAboutBoxForm*>(Screen->Forms(I)) != nullptr;
  return N;
}

std::function<void(TlxQuickAboutBoxForm*)> g_Check;
bool g_Checked = false;

VOID CALLBACK CheckWhenShown(HWND, UINT, UINT_PTR Id, DWORD) {
  TlxQuickAboutBoxForm* Dialog = lxtest::ShownAboutDialog();
  if (!Dialog) return;
  KillTimer(nullptr, Id);
  g_Check(Dialog);
  g_Checked = true;
  PostMessageA(Dialog->OKBtn->Handle(), BM_CLICK, 0, 0);  // after what the check posted
}

// Execute, with Check run on the dialog once it is up; a watchdog closes a dialog left open.
void ExecuteChecked(TlxQuickAboutBox* Box, std::function<void(TlxQuickAboutBoxForm*)> Check) {
  g_Check = std::move(Check);
  g_Checked = false;
  UINT_PTR Timer = SetTimer(nullptr, 0, 50, &CheckWhenShown);
  TWatchdog Watchdog(60000, &lxtest::CloseAboutDialog);
  Box->Execute();
  KillTimer(nullptr, Timer);
  EXPECT_TRUE(g_Checked) << "the dialog never showed";
  EXPECT_FALSE(Watchdog.Fired());
}

uint32_t Clock2000() { return 2000; }
uint32_t BrokenClock() { throw EInvalidOperation("no clock"); }

class AboutBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    OldClock = lxsysteminfo_detail::SetCPUSpeedFunc(&Clock2000);
    Box = TlxQuickAboutBox::Create(nullptr);
    Box->SetAnimationOnShow(false);
    Box->SetAnimationOnHide(false);
  }
  void TearDown() override {
    Box->Free();
    lxsysteminfo_detail::SetCPUSpeedFunc(OldClock);
    EXPECT_EQ(DialogCount(), 0) << "every dialog is freed";
  }
  lxsysteminfo_detail::TCPUSpeedFunc OldClock = nullptr;
  TlxQuickAboutBox* Box = nullptr;
};

}  // namespace

TEST_F(AboutBoxTest, TheDialogIsLaidOutFromTheRealLabelHeights) {
  Box->Localization()->stOK = "Close";
  Box->SetDescription("A [B]small[DEF] tool, described in a line long enough to wrap onto a second one.");
  ExecuteChecked(Box, [](TlxQuickAboutBoxForm* D) {
    char Caption[256] = {};
    GetWindowTextA(D->Handle(), Caption, sizeof Caption);
    EXPECT_STREQ(Caption, "About Program Name. . .");
    EXPECT_EQ(D->TitleLabel->Caption(), "Program Name");
    EXPECT_EQ(D->OKBtn->Caption(), "Close");
    EXPECT_EQ(D->Width(), 260);
    EXPECT_EQ(D->TitleLabel->Width(), 256);
    EXPECT_EQ(D->Bevel1->Width(), 209);
    EXPECT_EQ(D->Bevel2->Width(), 209);

    int Y = D->CopyrightLabel->Top() + D->CopyrightLabel->Height();
    EXPECT_GE(D->CopyrightLabel->Height(), 2 * 13) << "the copyright's two lines";
    EXPECT_EQ(D->Bevel1->Top(), Y + 2);
    Y += 7;
    EXPECT_EQ(D->DescriptionLabel->Top(), Y);
    EXPECT_EQ(D->DescriptionLabel->Width(), 209);
    EXPECT_GE(D->DescriptionLabel->Height(), 2 * 13) << "the description wraps";
    Y += D->DescriptionLabel->Height() + 2;
    EXPECT_EQ(D->Bevel2->Top(), Y);
    Y += 5;
    EXPECT_EQ(D->EmailLabel->Top(), Y);
    EXPECT_EQ(D->EmailLab->Top(), Y);
    Y += D->EmailLab->Height();
    EXPECT_EQ(D->WWWLabel->Top(), Y);
    EXPECT_EQ(D->WWWLab->Top(), Y);
    Y += D->WWWLab->Height();
    EXPECT_EQ(D->OKBtn->Top(), Y + 6);
    EXPECT_EQ(D->ClientHeight(), Y + 6 + 24 + 6);
    EXPECT_EQ(D->OKBtn->Left(), 260 / 2 - 91 / 2);  // centred on the outer width
    EXPECT_TRUE(D->Bevel1->Visible());
    EXPECT_TRUE(D->Bevel2->Visible());

    EXPECT_EQ(D->EmailLab->Caption(), "author@example.com");
    EXPECT_EQ(D->WWWLab->Caption(), "www.example.com");
    EXPECT_EQ(D->EmailLab->Email()->Subject, "Program Name");
    EXPECT_EQ(D->EmailLab->Email()->Message, "P.S: I'm using " + D->lxSystemInfo->WinVersion() + " (" +
                                                 D->lxSystemInfo->WinVersionNumber() + "); CPU: 2000MHz.");
    EXPECT_EQ(D->EmailLab->Cursor(), crLinkSelect);
    EXPECT_EQ(D->Cursor(), crDefault);  // the Cursors object's Client
  });
}

TEST_F(AboutBoxTest, ClickingTheEmailLineStartsTheMailWithTheVersionAndClock) {
  lxtest::TRecorderRegistration Registration;
  ASSERT_TRUE(Registration.Ok);
  lxtest::TLinkRecord Record;
  std::string Version, Number;
  ExecuteChecked(Box, [&](TlxQuickAboutBoxForm* D) {
    Version = D->lxSystemInfo->WinVersion();
    Number = D->lxSystemInfo->WinVersionNumber();
    LPARAM At = MAKELPARAM(D->EmailLab->Left() + 3, D->EmailLab->Top() + 3);
    PostMessageA(D->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
    PostMessageA(D->Handle(), WM_LBUTTONUP, 0, At);
  });
  std::vector<std::string> Lines = Record.Lines(1);
  ASSERT_EQ(Lines.size(), 1u);
  EXPECT_NE(Lines[0].find("mailto:author@example.com?Subject=Program%20Name&Body=P.S:%20I'm%20using%20" +
                          MailToPart(Version) + "%20(" + MailToPart(Number) + ")%3B%20CPU:%202000MHz.&CC=&BCC="),
            std::string::npos)
      << Lines[0];
}

TEST_F(AboutBoxTest, ATopmostCallerWithoutDescriptionOrBevelsAndAWebLinkForMail) {
  TForm* Caller = lxtest::NewPlainForm(60, 60, 200, 100);
  Caller->Show();
  SetWindowPos(Caller->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TlxQuickAboutBox* Owned = TlxQuickAboutBox::Create(Caller);
  Owned->SetAnimationDelay(0);  // the outlines fly (without pauses) while the dialog shows and hides
  Owned->SetShowBevels(false);
  Owned->SetEmailIsWWW(true);
  Owned->SetEmailText("Our pages");
  Owned->SetEmail("www.example.org/contact");
  TObjectPtr<TBitmap> Picture(TBitmap::Create());
  Picture->SetSize(16, 16);
  Owned->Icon()->SetGraphic(Picture.get());
  ExecuteChecked(Owned, [](TlxQuickAboutBoxForm* D) {
    EXPECT_TRUE(GetWindowLongPtrA(D->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(D->Bevel1->Visible());
    EXPECT_FALSE(D->Bevel2->Visible());
    EXPECT_EQ(D->EmailLab->Top(), D->CopyrightLabel->Top() + D->CopyrightLabel->Height() + 7);
    EXPECT_EQ(D->EmailLab->Caption(), "Our pages");
    EXPECT_EQ(D->EmailLab->Kind(), ukWWW);
    EXPECT_EQ(D->EmailLab->URL(), "www.example.org/contact");
    EXPECT_EQ(D->Icon->Width(), 16);  // the about box's picture replaced the dialog's
  });
  EXPECT_TRUE(GetWindowLongPtrA(Caller->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  Caller->Free();
}

TEST_F(AboutBoxTest, AFailureOnTheWayStillFreesTheDialog) {
  lxsysteminfo_detail::SetCPUSpeedFunc(&BrokenClock);  // FormShow reads the clock
  EXPECT_THROW(Box->Execute(), EInvalidOperation);
  EXPECT_EQ(DialogCount(), 0);
  EXPECT_EQ(FindWindowA("TlxQuickAboutBoxForm", nullptr), nullptr);
}

TEST(AboutBoxForm, TheFormResourceNamesLibraryCursorsColoursSetsAndThePackedIcon) {
  TObjectPtr<TlxQuickAboutBoxForm> D(TlxQuickAboutBoxForm::Create(nullptr));
  EXPECT_EQ(D->Cursor(), cr3dArrow);
  EXPECT_EQ(D->Position(), poScreenCenter);
  EXPECT_EQ(D->lxAppCursors->Cursor(aoMainMenu), cr3dArrow);
  EXPECT_EQ(D->lxAppCursors->Cursor(aoMenuItem), cr3dArrowNE);
  EXPECT_EQ(D->lxAppCursors->Cursor(aoCaption), cr3dArrowSize);
  EXPECT_EQ(D->TitleLabel->Highlight()->Depth(), 2);
  EXPECT_EQ(D->TitleLabel->Highlight()->ColorHover(), clHighlightText);
  EXPECT_EQ(D->TitleLabel->Shadow()->Color(), cl3DLight);
  EXPECT_EQ(D->TitleLabel->Font()->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(D->EmailLab->Kind(), ukEmail);
  EXPECT_TRUE(D->EmailLab->FontClick()->Used());
  EXPECT_EQ(D->Bevel1->Shape(), bsTopLine);
  EXPECT_EQ(D->lxFormBackground->Kind(), bkGradient);
  EXPECT_EQ(D->lxFormBackground->GradientDirection(), gdHorizontal);

  // The packed icon is the generator's 32 x 32, 16-colour icon, byte for byte.
  ASSERT_NE(dynamic_cast<TIcon*>(D->Icon->Picture()->Graphic()), nullptr);
  EXPECT_EQ(D->Icon->Width(), 32);
  TMemoryStream Saved;
  D->Icon->Picture()->Graphic()->SaveToStream(Saved);
  TResourceStream Generated(ModuleInstance(), "ABOUTBOX_ICO", RT_RCDATA);
  ASSERT_EQ(Saved.Size(), 766);
  ASSERT_EQ(Generated.Size(), 766);
  EXPECT_EQ(std::memcmp(Saved.Memory(), Generated.Memory(), 766), 0);
}
