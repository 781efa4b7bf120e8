// VD32.exe end to end in the test prefix: C: fixed, D: a CD-ROM drive over fixtures/cdrom-d,
// E: a CD-ROM drive with no disc, M: a floppy drive, Z: a network drive. The product is
// "installed" by pointing the App Paths entry at a folder on C:, which is prefix-wide state:
// the previous value is put back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "classlib/ScopedHandles.h"
#include "classlib/SysDateTime.h"
#include "vd32/Functions.h"
#include "walk_support.h"

namespace {

const std::string kInstall = "C:\\VD32Test\\";
const std::string kConfig = kInstall + "Data\\VDConfig.dat";
const std::string kSnapshot = kInstall + "Data\\VDSysSnap.dat";

// Sets the App Paths default value for the test and restores what was there.
class AppPathsEntry {
public:
  AppPathsEntry() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
      existed_ = true;
      DWORD size = 0;
      if (RegQueryValueExA(key, "", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        hadValue_ = true;
        old_.resize(size);
        RegQueryValueExA(key, "", nullptr, &type_, reinterpret_cast<BYTE*>(old_.data()), &size);
      }
      RegCloseKey(key);
    }
  }
  ~AppPathsEntry() {
    if (!existed_) {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
      return;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (hadValue_)
      RegSetValueExA(key, "", 0, type_, reinterpret_cast<const BYTE*>(old_.data()), static_cast<DWORD>(old_.size()));
    else
      RegDeleteValueA(key, "");
    RegCloseKey(key);
  }
  void Set(const std::string& exePath) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(exePath.c_str()),
                   static_cast<DWORD>(exePath.size() + 1));
    RegCloseKey(key);
  }
  void Remove() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "");
    RegCloseKey(key);
  }

private:
  bool existed_ = false, hadValue_ = false;
  DWORD type_ = REG_SZ;
  std::string old_;
};

// Runs VD32.exe with the given parameters and returns its exit code; a run that does not end
// within a minute (a window waiting for a click, say) is stopped and fails the test.
DWORD RunVD32(const std::string& parameters) {
  std::string exe = DosPathOf(VD32_EXE);
  std::string commandLine = "\"" + exe + "\" " + parameters;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &si, &pi)) {
    ADD_FAILURE() << "cannot start " << exe << ": " << GetLastError();
    return 0xFFFFFFFF;
  }
  ScopedKernelHandle process(pi.hProcess), thread(pi.hThread);
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 10000);
    ADD_FAILURE() << "VD32 did not end: " << parameters;
    return code;
  }
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "the last line ends in CR LF too";
  return lines;
}

std::vector<std::string> LinesOnDrive(const std::vector<std::string>& lines, char drive) {
  std::vector<std::string> on;
  for (const std::string& line : lines)
    if (!line.empty() && line[0] == drive) on.push_back(line);
  return on;
}

TDateTime Recorded() { return StrToDateTime(ReadConfigString("CLEANER", "vdSnapDate", kConfig)); }

class VD32Program : public ::testing::Test {
protected:
  void SetUp() override {
    RemoveTree(kInstall);
    ASSERT_TRUE(CreateDirectoryA(kInstall.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((kInstall + "Data").c_str(), nullptr));
    appPaths.Set(kInstall + "Veldrane.exe");
  }
  void TearDown() override { RemoveTree(kInstall); }
  AppPathsEntry appPaths;
};

}  // namespace

TEST_F(VD32Program, SnapshotOfTheFixedAndCdromDrives) {
  ASSERT_EQ(RunVD32("/SVC"), 0u);
  std::string text = ReadWholeFile(kSnapshot);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "CR LF line ends";
  size_t bareLf = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++bareLf;
  EXPECT_EQ(bareLf, 0u);
  std::vector<std::string> lines = LinesOf(text);

  EXPECT_EQ(LinesOnDrive(lines, 'D'),
            (std::vector<std::string>{"D:\\", "D:\\A\\", "D:\\B\\", "D:\\A\\", "D:\\A\\A1\\", "D:\\A\\A1\\", "D:\\B\\"}));
  EXPECT_EQ(LinesOnDrive(lines, 'E'), (std::vector<std::string>{"E:\\"})) << "no disc: the root line only";
  EXPECT_TRUE(LinesOnDrive(lines, 'Z').empty()) << "network drive";
  EXPECT_TRUE(LinesOnDrive(lines, 'M').empty()) << "floppy drive";
  // C: is Wine's own tree: its shape only.
  std::vector<std::string> c = LinesOnDrive(lines, 'C');
  ASSERT_FALSE(c.empty());
  EXPECT_EQ(lines.front(), "C:\\");
  EXPECT_EQ(std::count(c.begin(), c.end(), kInstall + "Data\\"), 2);
  for (const std::string& line : lines) EXPECT_EQ(line.back(), '\\') << line;
  EXPECT_EQ(GetFileAttributesA((kInstall + "Data\\VDSysSnap.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NEAR(Recorded(), Now(), 120.0 / SecsPerDay);
}

TEST_F(VD32Program, NotDueKeepsTheSnapshotButRecordsTheRunAndFourDaysLaterItIsDueAgain) {
  WriteWholeFile(kSnapshot, "OLD\r\n");
  WriteConfigString("CLEANER", "vdSnapDate", DateTimeToStr(Now() - 2), kConfig);
  ASSERT_EQ(RunVD32("/svc"), 0u);
  EXPECT_EQ(ReadWholeFile(kSnapshot), "OLD\r\n");
  EXPECT_NEAR(Recorded(), Now(), 120.0 / SecsPerDay) << "rewritten on every run";

  WriteConfigString("CLEANER", "vdSnapDate", DateTimeToStr(Now() - 4), kConfig);
  ASSERT_EQ(RunVD32("\" /SVC \""), 0u);
  EXPECT_EQ(ReadWholeFile(kSnapshot).substr(0, 5), "C:\\\r\n");
  EXPECT_NEAR(Recorded(), Now(), 120.0 / SecsPerDay);
}

TEST_F(VD32Program, WithoutTheSwitchNothingHappens) {
  for (const char* parameters : {"", "/SVCX", "/x /SVC"}) {
    EXPECT_EQ(RunVD32(parameters), 0u) << parameters;
    EXPECT_EQ(GetFileAttributesA(kConfig.c_str()), INVALID_FILE_ATTRIBUTES) << parameters;
    EXPECT_EQ(GetFileAttributesA(kSnapshot.c_str()), INVALID_FILE_ATTRIBUTES) << parameters;
  }
}

TEST_F(VD32Program, NotInstalledReadsAndWritesNothing) {
  WriteConfigString("CLEANER", "vdSnapDate", "NA", kConfig);
  appPaths.Remove();
  EXPECT_EQ(RunVD32("/SVC"), 0u);
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", kConfig), "NA");
  EXPECT_EQ(GetFileAttributesA(kSnapshot.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(VD32Program, AFailedWriteEndsWithExitCodeOneSilentlyKeepsTheOldSnapshotAndTheNextRunTakesIt) {
  WriteWholeFile(kSnapshot, "OLD\r\n");
  const std::string blocker = kInstall + "Data\\VDSysSnap.tmp";
  ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
  EXPECT_EQ(RunVD32("/SVC"), 1u);
  EXPECT_EQ(ReadWholeFile(kSnapshot), "OLD\r\n");
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", kConfig), "NA");

  ASSERT_TRUE(RemoveDirectoryA(blocker.c_str()));
  EXPECT_EQ(RunVD32("/SVC"), 0u);
  EXPECT_EQ(ReadWholeFile(kSnapshot).substr(0, 5), "C:\\\r\n");
  EXPECT_NEAR(Recorded(), Now(), 120.0 / SecsPerDay);
}

TEST_F(VD32Program, AFolderNamedInLatin1LettersIsListedInTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 1252u);
  const std::string Folder = kInstall + "Projekt \xDCn\xEF" "c\xF6" "d\xE9";
  ASSERT_TRUE(CreateDirectoryA(Folder.c_str(), nullptr));
  ASSERT_EQ(RunVD32("/SVC"), 0u);
  std::vector<std::string> lines = LinesOf(ReadWholeFile(kSnapshot));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), Folder + "\\"), 2) << "from its parent's list and its own walk";
}
