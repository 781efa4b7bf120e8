// Registration of VDSInfSht.dll: the keys DllRegisterServer writes and DllUnregisterServer
// removes, called directly and through regsvr32. HKEY_CLASSES_ROOT is global to the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vdsinfsht/PageHarness.h"
#include "tests/vdsinfsht/VdsTestSupport.h"
#include "tests/vdsinfsht/Watchdog.h"

namespace {

const std::string kClsidKey = std::string("CLSID\\") + kScriptInfoClsidText;
const std::string kHandlerKey = "vdsfile\\shellex\\PropertySheetHandlers\\VeldranePropertySheet";
const char kApprovedKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::string kMissing = "<missing>";

std::string ValueOf(HKEY Root, const std::string& Key, const char* Name = "") {
  return RegReadString(Root, Key, Name, kMissing);
}

bool KeyExists(HKEY Root, const std::string& Key) {
  ScopedRegKey key;
  return RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

class Registration : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Loaded());
    // The shell's list of approved extensions; registration fills it only when it exists.
    ScopedRegKey approved;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kApprovedKey, 0, nullptr, 0, KEY_READ, nullptr, approved.receive(), nullptr);
    // A run that was killed half-way may have left our keys behind.
    server_.UnregisterServer();
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "vdsfile")) << "something else uses the file type";
  }
  void TearDown() override {
    // Nothing may be left for the other test programs, whatever happened above.
    server_.UnregisterServer();
    EXPECT_EQ(server_.CanUnloadNow(), S_OK);
  }

  void ExpectRegistered() {
    EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, kClsidKey), "Veldrane Scripts Property Sheets");
    std::string server = ValueOf(HKEY_CLASSES_ROOT, kClsidKey + "\\InprocServer32");
    EXPECT_EQ(lstrcmpiA(server.c_str(), server_.FileName().c_str()), 0) << server;
    EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, kClsidKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, kHandlerKey), kScriptInfoClsidText);
    EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, kApprovedKey, kScriptInfoClsidText), "VeldranePropertySheet");
  }
  void ExpectUnregistered() {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "vdsfile")) << "the emptied file-type keys stay behind";
    EXPECT_EQ(ValueOf(HKEY_LOCAL_MACHINE, kApprovedKey, kScriptInfoClsidText), kMissing);
  }

  // regsvr32 of the prefix, silent; its exit code.
  DWORD RunRegsvr32(const std::string& Switches) {
    std::string command = "regsvr32.exe " + Switches + " \"" + server_.FileName() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return GetLastError() | 0x80000000u;
    ScopedKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
      return WAIT_TIMEOUT;
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }

  Watchdog watchdog_{90000, "registration test"};
  ScriptInfoServer server_{WindowsPathOfUnix(VDSINFSHT_DLL)};
};

TEST_F(Registration, TheExportsWriteAndRemoveTheClassHandlerAndApprovedKeys) {
  ASSERT_EQ(server_.RegisterServer(), S_OK);
  ExpectRegistered();
  ASSERT_EQ(server_.UnregisterServer(), S_OK);
  ExpectUnregistered();
}

TEST_F(Registration, UnregisteringKeepsAFileTypeThatHoldsMore) {
  // The installer's own entries of the file type stay; only the handler goes.
  ScopedRegKey type;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "vdsfile\\shell\\open", 0, nullptr, 0, KEY_WRITE, nullptr,
                            type.receive(), nullptr),
            ERROR_SUCCESS);
  type.reset();
  ASSERT_EQ(server_.RegisterServer(), S_OK);
  ASSERT_EQ(server_.UnregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "vdsfile\\shellex"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "vdsfile\\shell\\open"));
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "vdsfile\\shell\\open");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "vdsfile\\shell");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "vdsfile");
}

TEST_F(Registration, Regsvr32RegistersAndUnregisters) {
  ASSERT_EQ(RunRegsvr32("/s"), 0u);
  ExpectRegistered();
  ASSERT_EQ(RunRegsvr32("/u /s"), 0u);
  ExpectUnregistered();
}

// The library's resources: its version, the common-controls manifest its pages activate, and the
// dialog every page is made from.
TEST(LibraryResources, VersionManifestAndPageDialog) {
  std::string path = WindowsPathOfUnix(VDSINFSHT_DLL);
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\FileDescription", reinterpret_cast<void**>(&text), &size));
  EXPECT_STREQ(text, "Scripts Shell Property Sheet");

  HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  std::string xml(static_cast<const char*>(LockResource(LoadResource(image, manifest))), SizeofResource(image, manifest));
  EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(xml.find("6595b64144ccf1df"), std::string::npos);
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(106), MAKEINTRESOURCEA(5) /*RT_DIALOG*/), nullptr);
  FreeLibrary(image);
}

}  // namespace
