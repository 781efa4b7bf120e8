// Clicking a URL label, end to end: the label's click opens its link through the shell, which
// starts the program registered for the link in the test prefix's HKEY_CLASSES_ROOT - the link
// recorder, for the test scheme, for .html files (URLInNewWindow) and for mailto - never the
// machine's own browser or mail program.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "lx/lxLabels.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

std::string ExeDir() {
  char Path[MAX_PATH];
  DWORD N = GetModuleFileNameA(nullptr, Path, MAX_PATH);
  std::string S(Path, N);
  return S.substr(0, S.find_last_of("\\/") + 1);
}

// Points the open commands of the given classes-root keys at the recorder while it lives, and
// puts back what was there.
class TRecorderRegistration {
public:
  TRecorderRegistration() {
    std::string Command = "\"" + ExeDir() + "lx_link_recorder.exe\" \"%1\"";
    Ok = Set(".html", "", "htmlfile");
    for (const char* Class : {"htmlfile", "http", "lxtest", "mailto"}) {
      Ok = Set(std::string(Class) + "\\shell\\open\\command", "", Command) && Ok;
      if (std::string(Class) != "htmlfile") Ok = Set(Class, "URL Protocol", "") && Ok;
    }
  }
  ~TRecorderRegistration() {
    for (auto It = FSaved.rbegin(); It != FSaved.rend(); ++It) {
      HKEY K;
      if (RegCreateKeyExA(HKEY_CLASSES_ROOT, It->Key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &K, nullptr))
        continue;
      if (It->Existed)
        RegSetValueExA(K, It->Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(It->Value.c_str()),
                       static_cast<DWORD>(It->Value.size() + 1));
      else RegDeleteValueA(K, It->Name.c_str());
      RegCloseKey(K);
    }
  }
  bool Ok = false;

private:
  struct TSaved {
    std::string Key, Name, Value;
    bool Existed;
  };
  bool Set(const std::string& Key, const std::string& Name, const std::string& Value) {
    HKEY K;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &K,
                        nullptr))
      return false;
    char Old[1024] = {};
    DWORD Size = sizeof Old - 1, Type = 0;
    bool Existed = RegQueryValueExA(K, Name.c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(Old), &Size) == 0;
    FSaved.push_back({Key, Name, Old, Existed});
    bool Done = RegSetValueExA(K, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                               static_cast<DWORD>(Value.size() + 1)) == 0;
    RegCloseKey(K);
    return Done;
  }
  std::vector<TSaved> FSaved;
};

class UrlLabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Record = std::string(Temp) + "lx_link_record_" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(Record.c_str());
    SetEnvironmentVariableA("LX_LINK_RECORD", Record.c_str());
    Form = NewPlainForm(420, 60, 300, 80);
    Link = TlxURLLabel::Create(Form);
    Link->SetParent(Form);
    Link->SetBounds(10, 10, 10, 10);
    Link->SetCaption("www.example.com");
    Form->Show();
    PumpFor(50);
  }
  void TearDown() override {
    Form->Free();
    DeleteFileA(Record.c_str());
  }

  // Presses and releases the left button on the label, as the mouse would.
  void ClickLabel() {
    LPARAM At = MAKELPARAM(Link->Left() + 3, Link->Top() + 3);
    PostMessageA(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
    PostMessageA(Form->Handle(), WM_LBUTTONUP, 0, At);
    PumpFor(50);
  }
  // The lines the recorder wrote, once there are Count of them.
  std::vector<std::string> Recorded(size_t Count) {
    std::vector<std::string> Lines;
    PumpUntil(
        [&] {
          Lines.clear();
          std::ifstream In(Record);
          for (std::string L; std::getline(In, L);) Lines.push_back(L);
          return Lines.size() >= Count;
        },
        20000);
    return Lines;
  }

  TRecorderRegistration Registration;
  std::string Record;
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

  std::vector<std::string> Lines = Recorded(4);
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
  EXPECT_EQ(GetFileAttributesA(Record.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Link->Pressed());
}
