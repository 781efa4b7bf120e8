// Clicking a URL label, end to end: the label's click opens its link through the shell, which
// starts the program registered for the link in the test prefix's HKEY_CLASSES_ROOT - the link
// recorder, for the test scheme, for .html files (URLInNewWindow) and for mailto - never the
// machine's own browser or mail program.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "lx/lxLabels.h"
#include "tests/lx/lxLinkRecorder.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

class UrlLabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewPlainForm(420, 60, 300, 80);
    Link = TlxURLLabel::Create(Form);
    Link->SetParent(Form);
    Link->SetBounds(10, 10, 10, 10);
    Link->SetCaption("www.example.com");
    Form->Show();
    PumpFor(50);
  }
  void TearDown() override { Form->Free(); }

  // Presses and releases the left button on the label, as the mouse would.
  void ClickLabel() {
    LPARAM At = MAKELPARAM(Link->Left() + 3, Link->Top() + 3);
    PostMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
    PostMessageA(Form->Handle(), WM_LBUTTONUP, 0, At);
    PumpFor(50);
  }
  TRecorderRegistration Registration;
  TLinkRecord Record;
  TForm* Form = nullptr;
  TlxURLLabel* Link = nullptr;
};

struct TClickCounter {
  int Clicks = 0;
  void Hit(TObject*) { ++Clicks; }
};

}  // namespace

TEST_F(UrlLabelTest, ClicksOpenTheUrlTheCaptionOrANewMailMessage) {
  ASSERT_TRUE(Registration.Ok) << "the recorder must be registered before anything is clicked";
  TClickCounter Counter;
  Link->OnClick = MakeEvent<&TClickCounter::Hit>(&Counter);

  // No URL: the caption, through the program registered for .html files.
  ClickLabel();
  EXPECT_EQ(Counter.Clicks, 1);
  // A URL of the test's own scheme, through the shell.
  Link->SetURL("lxtest://about/page");
  Link->SetURLInNewWindow(false);
  ClickLabel();
  // Mail to the caption, then to the address, with every part.
  Link->SetKind(ukEmail);
  Link->SetCaption("support@example.com");
  ClickLabel();
  Link->Email()->Address = "sales@example.com";
  Link->Email()->Name = "Sales";
  Link->Email()->Subject = "Hello";
  Link->Email()->Message = "Body";
  Link->Email()->CarbonCopy = "cc@example.com";
  Link->Email()->BlindCarbonCopy = "bcc@example.com";
  ClickLabel();

  std::vector<std::string> Lines = Record.Lines(4);
  ASSERT_EQ(Lines.size(), 4u);
  EXPECT_NE(Lines[0].find("http://www.example.com"), std::string::npos) << Lines[0];
  EXPECT_NE(Lines[1].find("lxtest://about/page"), std::string::npos) << Lines[1];
  EXPECT_NE(Lines[2].find("mailto:support@example.com?Subject=&Body=&CC=&BCC="), std::string::npos) << Lines[2];
  EXPECT_NE(Lines[3].find("mailto:Sales <sales@example.com>?Subject=Hello&Body=Body&CC=cc@example.com&BCC=bcc@example.com"),
            std::string::npos)
      << Lines[3];
}

TEST_F(UrlLabelTest, ReleasingOutsideTheLabelOpensNothing) {
  ASSERT_TRUE(Registration.Ok);
  Link->SetURL("lxtest://not/opened");
  PostMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Link->Left() + 3, Link->Top() + 3));
  PostMessageA(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(250, 60));
  PumpFor(300);
  EXPECT_TRUE(Record.Empty());
  EXPECT_FALSE(Link->Pressed());
}
