// The test server library's property sheet as the shell meets it, through propsheet-host in a
// process of its own: directly through the library's exports, registered by regsvr32 (exactly the
// documented keys, removed again) and created by the COM runtime, and end to end through Wine's
// own shell (the file's context menu, verb "properties"). Each run has the host's watchdog and a
// deadline here; the library must be ready to unload once the sheet is gone.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/nx/test_data_object.h"
#include "tests/support/RunProgram.h"

using namespace nxtest;

namespace {

constexpr const char* kClsid = "{152E4CEA-B315-45BA-A928-B3829BD4BBBA}";
constexpr const char* kApproved = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr DWORD kDeadlineMs = 90000;

std::string HereFile(const char* Name) {
  char Path[MAX_PATH];
  GetModuleFileNameA(nullptr, Path, MAX_PATH);
  PathRemoveFileSpecA(Path);
  return std::string(Path) + "\\" + Name;
}

// A run of a program, with the lines the tests look for.
struct TRun : TProgramRun {
  bool Has(const std::string& Line) const { return std::find(Lines.begin(), Lines.end(), Line) != Lines.end(); }
  // The first line that starts with Prefix ("" when none).
  std::string Starting(const std::string& Prefix) const {
    for (const std::string& L : Lines)
      if (L.rfind(Prefix, 0) == 0) return L;
    return "";
  }
  std::vector<std::string> Tabs() const {
    std::vector<std::string> Result;
    for (const std::string& L : Lines)
      if (L.rfind("tab ", 0) == 0) Result.push_back(L);
    return Result;
  }
};

// Runs a program with its output collected; ends it when it outlives the deadline.
TRun RunWithDeadline(std::string CommandLine) {
  TRun Run;
  static_cast<TProgramRun&>(Run) = RunProgram(std::move(CommandLine), std::string(), kDeadlineMs);
  return Run;
}

TRun Host(const std::string& File, const std::string& Options) {
  return RunWithDeadline("\"" + HereFile("propsheet-host.exe") + "\" \"" + HereFile("nx_test_server.dll") + "\" \"" + File +
                    "\" " + Options);
}

DWORD Regsvr32(const std::string& Switches) {
  return RunWithDeadline("regsvr32.exe " + Switches + " \"" + HereFile("nx_test_server.dll") + "\"").ExitCode;
}

bool KeyExists(HKEY Root, const std::string& Key) {
  HKEY K;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS) return false;
  RegCloseKey(K);
  return true;
}

// Subkeys (relative paths, depth first) and the names of the values of Root\Key.
void Walk(HKEY Root, const std::string& Key, const std::string& Relative, std::vector<std::string>& Out) {
  HKEY K;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS) return;
  char Name[256];
  for (DWORD I = 0;; ++I) {
    DWORD Size = sizeof Name;
    if (RegEnumValueA(K, I, Name, &Size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Out.push_back(Relative + "|" + Name);
  }
  std::vector<std::string> Subkeys;
  for (DWORD I = 0;; ++I) {
    DWORD Size = sizeof Name;
    if (RegEnumKeyExA(K, I, Name, &Size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Subkeys.push_back(Name);
  }
  RegCloseKey(K);
  for (const std::string& Sub : Subkeys)
    Walk(Root, Key + "\\" + Sub, Relative.empty() ? Sub : Relative + "\\" + Sub, Out);
}

std::vector<std::string> Walk(HKEY Root, const std::string& Key) {
  std::vector<std::string> Out;
  Walk(Root, Key, "", Out);
  std::sort(Out.begin(), Out.end());
  return Out;
}

// The default value (or Name) of Root\Key with its type and stored size.
struct TValue {
  DWORD Type = REG_NONE;
  std::string Bytes;
};
TValue ValueOf(HKEY Root, const std::string& Key, const char* Name = nullptr) {
  TValue V;
  HKEY K;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS) return V;
  char Buf[1024];
  DWORD Size = sizeof Buf;
  if (RegQueryValueExA(K, Name, nullptr, &V.Type, reinterpret_cast<BYTE*>(Buf), &Size) == ERROR_SUCCESS)
    V.Bytes.assign(Buf, Size);
  RegCloseKey(K);
  return V;
}

std::string Sz(const std::string& Text) { return Text + std::string(1, '\0'); }

bool SamePath(const std::string& A, const std::string& B) { return lstrcmpiA(A.c_str(), B.c_str()) == 0; }

// The library registered (and the ".vdtps" files typed) for a test; undone on every way out.
class TRegistered {
public:
  TRegistered() {
    RegisteredOk = Regsvr32("/s") == 0;
    RegSetValueA(HKEY_CLASSES_ROOT, ".vdtps", REG_SZ, "vdtestpsfile", 12);
  }
  ~TRegistered() {
    Regsvr32("/u /s");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".vdtps");
  }
  TRegistered(const TRegistered&) = delete;
  TRegistered& operator=(const TRegistered&) = delete;
  bool RegisteredOk = false;
};

class NxPropSheetHost : public ::testing::Test {
protected:
  void SetUp() override {
    Folder = std::make_unique<TTempFolder>("nx-propsheet-host", std::vector<std::string>{"sample.vdtps"});
    File = Folder->File(0);
  }
  std::unique_ptr<TTempFolder> Folder;
  std::string File;
};

}  // namespace

TEST_F(NxPropSheetHost, ThroughTheLibraryExportsTheSheetShowsEveryPageAndEndsUnloadable) {
  const std::string Bitmap = Folder->Path + "\\sheet.bmp";
  TRun Run = Host(File, std::string("--via direct --clsid ") + kClsid + " --dump --page 1 --apply --bmp \"" + Bitmap +
                            "\" --timeout 60");
  SCOPED_TRACE(Run.Text());
  EXPECT_EQ(Run.ExitCode, 0u);
  EXPECT_TRUE(Run.Has("data \"Shell IDList Array\" CF_HDROP"));
  EXPECT_TRUE(Run.Has(std::string("handler ") + kClsid + " via direct S_OK"));
  EXPECT_TRUE(Run.Has("initialize S_OK"));
  EXPECT_TRUE(Run.Has("addpages S_OK pages=3"));
  EXPECT_TRUE(Run.Has("sheet \"Properties for sample.vdtps\""));
  EXPECT_EQ(Run.Tabs(), (std::vector<std::string>{"tab 0 \"Info\"", "tab 1 \"Options\"", "tab 2 \"Extra\""}));
  // The info page fills the page and shows the selection the shell's data object carried.
  int Width = 0, Height = 0;
  ASSERT_EQ(sscanf(Run.Starting("page 0 shown ").c_str(), "page 0 shown %dx%d", &Width, &Height), 2);
  EXPECT_TRUE(Run.Has("  window TTestInfoPage \"TestInfoPage\" 0,0 " + std::to_string(Width) + "x" +
                      std::to_string(Height)));
  EXPECT_TRUE(Run.Has("    window TGroupBox \"sample.vdtps\" 5,8 " + std::to_string(Width - 10) + "x" +
                      std::to_string(Height - 13)))
      << "laid out by the form's OnResize";
  EXPECT_NE(Run.Text().find("window Edit \"" + Folder->Path + "\""), std::string::npos);
  // Apply ran through the page's notifications; the options page lists what its form received.
  const std::string After = Run.Text().substr(Run.Text().find("page 1 after-apply"));
  EXPECT_NE(After.find("setactive killactive apply setactive\""), std::string::npos);
  EXPECT_TRUE(Run.Has("DllCanUnloadNow S_OK"));
  EXPECT_TRUE(Run.Has("server objects=0 locks=0 pages=0"));

  // The capture shows the sheet, not an empty frame.
  const std::string Bmp = Run.Starting("bmp ");
  ASSERT_FALSE(Bmp.empty());
  EXPECT_EQ(Bmp.find("failed"), std::string::npos);
  const int Colours = std::stoi(Bmp.substr(Bmp.find("colours=") + 8));
  EXPECT_GE(Colours, 8);
  HANDLE F = CreateFileA(Bitmap.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(F, INVALID_HANDLE_VALUE);
  std::string Bytes(GetFileSize(F, nullptr), '\0');
  DWORD Got = 0;
  ReadFile(F, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Got, nullptr);
  CloseHandle(F);
  DeleteFileA(Bitmap.c_str());
  ASSERT_GT(Got, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
  BITMAPFILEHEADER Header{};
  BITMAPINFOHEADER Info{};
  memcpy(&Header, Bytes.data(), sizeof Header);
  memcpy(&Info, Bytes.data() + sizeof Header, sizeof Info);
  EXPECT_EQ(Header.bfType, 0x4D42);
  ASSERT_EQ(Header.bfSize, Got);
  ASSERT_EQ(Info.biBitCount, 32);
  // The frame is drawn: the caption strip (rows 4 to 15 from the top, of 32-bit rows stored bottom
  // up) is not the black of a frame nobody drew.
  const LONG W = Info.biWidth, H = Info.biHeight;
  ASSERT_EQ(Header.bfOffBits + static_cast<DWORD>(W * H * 4), Got);
  int Black = 0, Counted = 0;
  for (LONG Y = 4; Y < 16; ++Y)
    for (LONG X = 0; X < W; ++X, ++Counted) {
      const char* Pixel = Bytes.data() + Header.bfOffBits + ((H - 1 - Y) * W + X) * 4;
      if (Pixel[0] == 0 && Pixel[1] == 0 && Pixel[2] == 0) ++Black;
    }
  EXPECT_LT(Black, Counted / 4) << Black << " of " << Counted << " pixels of the caption strip are black";
}

TEST_F(NxPropSheetHost, NothingToShowEndsAtOnce) {
  TRun Usage = RunWithDeadline("\"" + HereFile("propsheet-host.exe") + "\" only-one-argument");
  EXPECT_EQ(Usage.ExitCode, 1u);
  TRun Unknown = Host(File, "--via direct --clsid {49B74812-DD93-4C7D-A365-EF6AF0F18528} --timeout 30");
  SCOPED_TRACE(Unknown.Text());
  EXPECT_EQ(Unknown.ExitCode, 2u) << "no class: no pages, no sheet";
  EXPECT_TRUE(Unknown.Has("handler {49B74812-DD93-4C7D-A365-EF6AF0F18528} via direct CLASS_E_CLASSNOTAVAILABLE"));
  EXPECT_TRUE(Unknown.Has("DllCanUnloadNow S_OK"));
}

// regsvr32 writes exactly the documented keys; the COM runtime and then Wine's shell find the
// handler through them; unregistering removes them again.
TEST_F(NxPropSheetHost, RegisteredTheShellShowsOurPagesInItsPropertiesDialog) {
  const std::string ClassKey = std::string("CLSID\\") + kClsid;
  {
    TRegistered Registered;
    ASSERT_TRUE(Registered.RegisteredOk);
    EXPECT_EQ(Walk(HKEY_CLASSES_ROOT, ClassKey),
              (std::vector<std::string>{"InprocServer32|", "InprocServer32|ThreadingModel", "|"}));
    EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, ClassKey).Bytes, Sz("Veldrane test property sheet"));
    EXPECT_TRUE(SamePath(ValueOf(HKEY_CLASSES_ROOT, ClassKey + "\\InprocServer32").Bytes, HereFile("nx_test_server.dll")));
    EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, ClassKey + "\\InprocServer32", "ThreadingModel").Bytes, Sz("Apartment"));
    EXPECT_EQ(Walk(HKEY_CLASSES_ROOT, "vdtestpsfile"),
              (std::vector<std::string>{"shellex\\PropertySheetHandlers\\VdTestPropSheet|"}));
    TValue Handler = ValueOf(HKEY_CLASSES_ROOT, "vdtestpsfile\\shellex\\PropertySheetHandlers\\VdTestPropSheet");
    EXPECT_EQ(Handler.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Handler.Bytes, Sz(kClsid));
    TValue Approved = ValueOf(HKEY_LOCAL_MACHINE, kApproved, kClsid);
    EXPECT_EQ(Approved.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Approved.Bytes, Sz("VdTestPropSheet")) << "a proper REG_SZ, terminating zero included";

    TRun Run = Host(File, "--timeout 60");
    {
      SCOPED_TRACE(Run.Text());
      EXPECT_EQ(Run.ExitCode, 0u);
      EXPECT_TRUE(Run.Has(std::string("handler ") + kClsid + " via registry S_OK")) << "found through the file type";
      EXPECT_EQ(Run.Tabs(), (std::vector<std::string>{"tab 0 \"Info\"", "tab 1 \"Options\"", "tab 2 \"Extra\""}));
      EXPECT_TRUE(Run.Has("DllCanUnloadNow S_OK"));
    }

    TRun Shell = Host(File, "--via shell --dump --timeout 60");
    SCOPED_TRACE(Shell.Text());
    EXPECT_EQ(Shell.ExitCode, 0u);
    EXPECT_TRUE(Shell.Has("invoke properties S_OK"));
    EXPECT_TRUE(Shell.Has("sheet \"Properties for sample.vdtps\""));
    const std::vector<std::string> Tabs = Shell.Tabs();
    ASSERT_EQ(Tabs.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(Tabs.begin() + 1, Tabs.end()),
              (std::vector<std::string>{"tab 1 \"Info\"", "tab 2 \"Options\"", "tab 3 \"Extra\""}))
        << "after the shell's own page";
    EXPECT_NE(Shell.Text().find("window TGroupBox \"sample.vdtps\""), std::string::npos);
    EXPECT_NE(Shell.Text().find("window Edit \"" + Folder->Path + "\""), std::string::npos);
    // Every page was given back. Wine's shell keeps one reference of the IShellExtInit it asked
    // for, so one object may stay; nothing else may.
    EXPECT_TRUE(Shell.Has("server objects=0 locks=0 pages=0") || Shell.Has("server objects=1 locks=0 pages=0"));
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "vdtestpsfile"));
  EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, kApproved, kClsid).Type, static_cast<DWORD>(REG_NONE));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kApproved)) << "the shell's key itself stays";
}
