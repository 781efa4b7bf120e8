// The product's shared helpers: registry reader, install directory, VDConfig.dat access, file size.
// HKLM is redirected to a private HKCU key per process, so these tests run in parallel.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "tests/support/TempTree.h"
#include "vd32/Functions.h"

namespace {

void DeleteKeyTree(HKEY parent, const std::string& path) {
  ScopedRegKey key;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteKeyTree(key.get(), name);
  }
  key.reset();
  RegDeleteKeyA(parent, path.c_str());
}

// A private registry key; while a RedirectedHklm lives, HKEY_LOCAL_MACHINE of this process points
// into it.
class PrivateKey {
public:
  PrivateKey() {
    path_ = "Software\\VdTests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter_++);
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.receive(), nullptr);
  }
  ~PrivateKey() {
    key_.reset();
    DeleteKeyTree(HKEY_CURRENT_USER, path_);
  }
  HKEY get() const { return key_.get(); }
  const std::string& Path() const { return path_; }
  void Set(const std::string& sub, const char* name, DWORD type, const void* data, DWORD size) const {
    ScopedRegKey k;
    RegCreateKeyExA(key_.get(), sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.receive(), nullptr);
    RegSetValueExA(k.get(), name, 0, type, static_cast<const BYTE*>(data), size);
  }
  void SetString(const std::string& sub, const char* name, const std::string& value) const {
    Set(sub, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
  }

private:
  static inline int counter_ = 0;
  std::string path_;
  ScopedRegKey key_;
};

class RedirectedHklm {
public:
  explicit RedirectedHklm(const PrivateKey& key) { ok_ = RegOverridePredefKey(HKEY_LOCAL_MACHINE, key.get()) == ERROR_SUCCESS; }
  ~RedirectedHklm() { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }
  bool ok() const { return ok_; }

private:
  bool ok_;
};

}  // namespace

TEST(RegReadString, StringValuesAndEverythingElse) {
  PrivateKey k;
  const std::string sub = "values";
  k.SetString(sub, "plain", "abc");
  k.SetString(sub, "", "default value");
  k.SetString(sub, "empty", "");
  k.Set(sub, "zero-bytes", REG_SZ, "", 0);
  k.Set(sub, "no-nul", REG_SZ, "abc", 3);
  k.Set(sub, "inner-nul", REG_SZ, "ab\0cd", 6);
  k.Set(sub, "expand", REG_EXPAND_SZ, "%SystemRoot%\\x", 15);
  DWORD number = 42;
  k.Set(sub, "dword", REG_DWORD, &number, sizeof number);
  k.Set(sub, "binary", REG_BINARY, "xyz", 3);
  k.Set(sub, "multi", REG_MULTI_SZ, "a\0b\0", 5);
  std::string big(3000, 'v');
  k.SetString(sub, "big", big);

  const std::string key = k.Path() + "\\" + sub;
  auto read = [&](const char* name) { return RegReadString(HKEY_CURRENT_USER, key, name, "DEF"); };
  EXPECT_EQ(read("plain"), "abc");
  EXPECT_EQ(read(""), "default value");
  EXPECT_EQ(read("empty"), "");
  EXPECT_EQ(read("zero-bytes"), "");
  EXPECT_EQ(read("no-nul"), "abc") << "data stored without its NUL keeps its last character";
  EXPECT_EQ(read("inner-nul"), "ab");
  EXPECT_EQ(read("expand"), "%SystemRoot%\\x") << "read as stored, not expanded";
  EXPECT_EQ(read("big"), big);
  for (const char* other : {"dword", "binary", "multi", "missing"}) EXPECT_EQ(read(other), "DEF") << other;
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, k.Path() + "\\missing", "plain", "DEF"), "DEF");
}

TEST(InstallDir, TheDirectoryRule) {
  EXPECT_EQ(InstallDirOf("C:\\Program Files\\App\\Veldrane.exe"), "C:\\Program Files\\App\\");
  EXPECT_EQ(InstallDirOf("C:\\Veldrane.exe"), "C:\\");
  EXPECT_EQ(InstallDirOf("C:Veldrane.exe"), "C:\\");
  EXPECT_EQ(InstallDirOf("Veldrane.exe"), "\\");
  EXPECT_EQ(InstallDirOf(""), "\\");
  EXPECT_EQ(InstallDirOf("\\\\server\\share\\Veldrane.exe"), "\\\\server\\share\\");
  EXPECT_EQ(InstallDirOf("\\\\server\\share\\App\\Veldrane.exe"), "\\\\server\\share\\App\\");
  EXPECT_EQ(ConfigFileOf("C:\\Program Files\\App\\"), "C:\\Program Files\\App\\Data\\VDConfig.dat");
}

TEST(InstallDir, FromTheAppPathsEntry) {
  PrivateKey hklm;
  RedirectedHklm redirect(hklm);
  ASSERT_TRUE(redirect.ok());
  std::string dir;

  EXPECT_EQ(GetInstallDir(), "\\") << "missing key";
  EXPECT_FALSE(TryGetInstallDir(dir));
  EXPECT_EQ(ChooseConfigFile(""), "\\Data\\VDConfig.dat");

  struct Case {
    const char* value;
    const char* installDir;
    bool installed;
  } cases[] = {
      {"C:\\Program Files\\App\\Veldrane.exe", "C:\\Program Files\\App\\", true},
      {"C:\\Veldrane.exe", "C:\\", true},
      {"\\\\server\\share\\Veldrane.exe", "\\\\server\\share\\", true},
      {"Veldrane.exe", "\\", false},
      {"\\Veldrane.exe", "\\", false},
      {"", "\\", false},
  };
  for (const Case& c : cases) {
    hklm.SetString(kAppPathsKey, "", c.value);
    EXPECT_EQ(GetInstallDir(), c.installDir) << c.value;
    EXPECT_EQ(TryGetInstallDir(dir), c.installed) << c.value;
    if (c.installed) {
      EXPECT_EQ(dir, c.installDir);
    }
  }
}

TEST(ConfigFile, BlankNamesChooseTheDefaultFile) {
  TempTree install;
  install.Dir("Data");
  PrivateKey hklm;
  hklm.SetString(kAppPathsKey, "", install.Path("Veldrane.exe"));
  RedirectedHklm redirect(hklm);
  ASSERT_TRUE(redirect.ok());

  const std::string defaultFile = install.Path("Data\\VDConfig.dat");
  EXPECT_EQ(ChooseConfigFile(""), defaultFile);
  EXPECT_EQ(ChooseConfigFile(" \t "), defaultFile);
  WriteConfigString("CLEANER", "vdSnapDate", "NA", "  ");
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", "  "), "NA");
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", defaultFile), "NA");

  // A name that only begins with a blank is used as it stands, blank included.
  EXPECT_EQ(ChooseConfigFile(" lead.ini"), " lead.ini");
  EXPECT_EQ(ChooseConfigFile("\tC:\\x.ini"), "\tC:\\x.ini");
}

TEST(ConfigFile, ReadAndWriteOneKey) {
  TempTree t;
  const std::string file = t.Path("VDConfig.dat");
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", file), "") << "missing file";
  WriteConfigString("GENERAL", "WND", "1234", file);
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", file), "") << "missing section";
  EXPECT_EQ(ReadConfigString("general", "wnd", file), "1234") << "names without regard to case";

  WriteConfigString("CLEANER", "vdSnapDate", std::string(3000, 'd'), file);
  EXPECT_EQ(ReadConfigString("CLEANER", "vdSnapDate", file), std::string(2047, 'd'));

  EXPECT_THROW(WriteConfigString("CLEANER", "vdSnapDate", "x", t.Path("no such folder\\VDConfig.dat")),
               EIniFileException);
}

TEST(FileSizeOf, SizesAndAbsentFiles) {
  TempTree t;
  EXPECT_EQ(FileSizeOf(t.File("empty.dat")), 0u);
  EXPECT_EQ(FileSizeOf(t.File("five.dat", "12345")), 5u);
  EXPECT_EQ(FileSizeOf(t.Path("missing.dat")), 0u);
  EXPECT_EQ(FileSizeOf(t.Dir("folder")), 0u);
  EXPECT_EQ(FileSizeOf(""), 0u);
}
