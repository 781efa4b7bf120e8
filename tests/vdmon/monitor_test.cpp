// The folder check end to end: the stand-in main program logs the window messages it receives.
// These tests start Veldrane.exe and write the App Paths entry, both global to the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/ScopedHandles.h"
#include "tests/support/TempTree.h"
#include "tests/vdmon/StandIn.h"
#include "vd32/Functions.h"
#include "vdmon/FolderCheck.h"
#include "vdmon/VDMon.h"

namespace {

const std::vector<unsigned> kStartEnd = {MonitorScanStarted, MonitorScanFinished};
const std::vector<unsigned> kStartHitEnd = {MonitorScanStarted, MonitorMatchFound, MonitorScanFinished};
const std::vector<unsigned> kNothing = {};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

class FolderCheckTest : public ::testing::Test {
protected:
  void SetUp() override {
    dirty_ = work_.Dir("dirty");
    work_.File("dirty\\sub\\deeper\\x.bak");
    clean_ = work_.Dir("clean");
    work_.File("clean\\sub\\notes.txt");
    install_.Dir("Data");
  }

  std::string InstallDir() const { return install_.Root(); }
  std::string ConfigFile() const { return ConfigFileOf(InstallDir()); }
  std::string DataDirOption() const { return "--datadir " + Quoted(install_.Path("Data")); }
  std::unique_ptr<StandIn> Start(const std::string& options) {
    auto s = std::make_unique<StandIn>(exe_, options, work_.Root());
    EXPECT_TRUE(s->Started());
    return s;
  }
  std::string ReadWnd() const { return ReadConfigString("GENERAL", "WND", ConfigFile()); }
  void WriteWnd(const std::string& value) const { WriteConfigString("GENERAL", "WND", value, ConfigFile()); }

  const std::string exe_ = WindowsPathOfUnix(VELDRANE_EXE);
  TempTree install_, work_;
  std::string dirty_, clean_;
};

}  // namespace

TEST_F(FolderCheckTest, HitAndMissSendTheirSequences) {
  auto standIn = Start(DataDirOption() + " --masks \"*.tmp;*.bak\"");
  EXPECT_FALSE(CheckFolderClean(dirty_.c_str(), InstallDir()));
  EXPECT_EQ(standIn->Messages(), kStartHitEnd);
  EXPECT_TRUE(CheckFolderClean(clean_.c_str(), InstallDir()));
  std::vector<unsigned> both = kStartHitEnd;
  both.insert(both.end(), kStartEnd.begin(), kStartEnd.end());
  EXPECT_EQ(standIn->Messages(), both);
}

TEST_F(FolderCheckTest, HexadecimalWindowHandleWorks) {
  auto standIn = Start(DataDirOption() + " --hex --masks \"*.bak\"");
  EXPECT_EQ(ReadWnd().substr(0, 2), "0x");
  EXPECT_FALSE(CheckFolderClean(dirty_.c_str(), InstallDir()));
  EXPECT_EQ(standIn->Messages(), kStartHitEnd);
}

TEST_F(FolderCheckTest, EmptyOrMissingSectionSendsNothing) {
  auto standIn = Start(DataDirOption());
  EXPECT_TRUE(CheckFolderClean(dirty_.c_str(), InstallDir())) << "no [Extensions] at all";
  std::string wnd = ReadWnd();
  {
    ScopedFileHandle f(CreateFileA(ConfigFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::string text = "[GENERAL]\r\nWND=" + wnd + "\r\n[Extensions]\r\n";
    DWORD written;
    WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ConfigFile().c_str());
  EXPECT_TRUE(CheckFolderClean(dirty_.c_str(), InstallDir())) << "an empty [Extensions]";
  EXPECT_EQ(standIn->Messages(), kNothing);
}

TEST_F(FolderCheckTest, EmptyFolderIsCleanWithoutScanningTheCurrentDrive) {
  auto standIn = Start(DataDirOption() + " --masks \"*.bak\"");
  // A hit at the root of the current drive must not be seen: "" is not "\".
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  std::string bait = "C:\\vdt-" + std::to_string(GetCurrentProcessId()) + ".bak";
  CloseHandle(CreateFileA(bait.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  SetCurrentDirectoryA("C:\\");
  EXPECT_TRUE(CheckFolderClean("", InstallDir()));
  EXPECT_TRUE(CheckFolderClean(nullptr, InstallDir()));
  SetCurrentDirectoryA(cwd);
  DeleteFileA(bait.c_str());
  std::vector<unsigned> twice = kStartEnd;
  twice.insert(twice.end(), kStartEnd.begin(), kStartEnd.end());
  EXPECT_EQ(standIn->Messages(), twice);
}

TEST_F(FolderCheckTest, NoMessageWithoutARunningMainProgramWindow) {
  auto standIn = Start(DataDirOption() + " --masks \"*.bak\"");
  std::string wnd = ReadWnd();

  WriteWnd("0");
  EXPECT_FALSE(CheckFolderClean(dirty_.c_str(), InstallDir())) << "the scan result does not depend on the window";
  WriteWnd("12abc");
  EXPECT_FALSE(CheckFolderClean(dirty_.c_str(), InstallDir()));

  // A window of another program (this test's own) never receives the messages.
  static int received = 0;
  struct Counter {
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
      if (m >= WM_USER) ++received;
      return DefWindowProcA(h, m, w, l);
    }
  };
  WNDCLASSA wc{};
  wc.lpfnWndProc = Counter::Proc;
  wc.lpszClassName = "VdTestCounter";
  RegisterClassA(&wc);
  HWND own = CreateWindowExA(0, "VdTestCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(own, nullptr);
  WriteWnd(std::to_string(reinterpret_cast<ULONG_PTR>(own) & 0xFFFFFFFFu));
  EXPECT_FALSE(CheckFolderClean(dirty_.c_str(), InstallDir()));
  EXPECT_EQ(received, 0);
  DestroyWindow(own);

  // The stand-in's handle after it has quit: stale, nothing is sent.
  standIn->Stop();
  EXPECT_EQ(ReadWnd(), "0") << "the stand-in clears WND on exit";
  WriteWnd(wnd);
  EXPECT_FALSE(CheckFolderClean(dirty_.c_str(), InstallDir()));
  EXPECT_EQ(standIn->Messages(), kNothing);
}

TEST_F(FolderCheckTest, TheExportThroughTheAppPathsEntry) {
  // The product as installed: Veldrane.exe in the install folder registers itself.
  std::string installedExe = install_.Path("Veldrane.exe");
  ASSERT_TRUE(CopyFileA(exe_.c_str(), installedExe.c_str(), FALSE));
  ScopedLibrary vdmon(LoadLibraryA(WindowsPathOfUnix(VDMON_DLL).c_str()));
  ASSERT_TRUE(vdmon);
  auto isClean = reinterpret_cast<IsFolderCleanProc>(GetProcAddress(vdmon.get(), "isFolderClean"));
  ASSERT_NE(isClean, nullptr);
  {
    StandIn standIn(installedExe, "--install --masks \"*.tmp;*.bak\"", work_.Root());
    ASSERT_TRUE(standIn.Started());
    EXPECT_EQ(GetInstallDir(), InstallDir());
    EXPECT_EQ(isClean(dirty_.c_str()), 0);
    EXPECT_EQ(isClean(clean_.c_str()), 1);
    EXPECT_EQ(isClean(nullptr), 1);
    std::vector<unsigned> all = kStartHitEnd;
    for (int i = 0; i < 2; ++i) all.insert(all.end(), kStartEnd.begin(), kStartEnd.end());
    EXPECT_EQ(standIn.Messages(), all);
  }

  // Not installed: clean, and nothing is read or sent, even with the main program running.
  auto standIn = Start(DataDirOption() + " --masks \"*.bak\"");
  for (const char* appPath : {"", "Veldrane.exe", "\\Veldrane.exe"}) {
    ScopedRegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.receive(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(appPath), static_cast<DWORD>(strlen(appPath) + 1));
    EXPECT_EQ(isClean(dirty_.c_str()), 1) << "App Paths value '" << appPath << "'";
  }
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
  EXPECT_EQ(isClean(dirty_.c_str()), 1) << "no App Paths entry";
  EXPECT_EQ(standIn->Messages(), kNothing);
}
