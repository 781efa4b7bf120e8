// HKEY_CLASSES_ROOT helpers, with HKEY_CLASSES_ROOT redirected to a scratch key under HKCU.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "classlib/ComObj.h"
#include "nx/NxShLwApi.h"
#include "nx/NxTools.h"

namespace {
const std::string kScratch = "Software\\VeldraneTests\\nx-registry-" + std::to_string(GetCurrentProcessId());

bool KeyExists(HKEY root, const std::string& path) {
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// The value's text, or "<missing>".
std::string ValueOf(HKEY root, const std::string& path, const char* name = "") {
  char buf[512];
  DWORD size = sizeof buf, type = 0;
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "<missing>";
  LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return "<missing>";
  return std::string(buf, size > 0 ? size - 1 : 0);
}

void SetValue(HKEY root, const std::string& path, const char* name, const char* value) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
  if (name != nullptr) RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
  RegCloseKey(k);
}

class ClassesRoot : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &scratch_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch_), ERROR_SUCCESS);
    // The redirection holds: a key made through HKCR appears under the scratch key.
    SetValue(HKEY_CLASSES_ROOT, "vd-probe", "", "x");
    ASSERT_TRUE(KeyExists(scratch_, "vd-probe"));
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "vd-probe");
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(scratch_);
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratch.c_str());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kScratch));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".vdtst")) << "the real classes root was written";
  }
  HKEY scratch_ = nullptr;
};
}  // namespace

TEST_F(ClassesRoot, RegisterExtensionClassWritesBothDefaultValues) {
  RegisterExtensionClass(".vdtst", "VdTest.File", "Veldrane test file");
  EXPECT_EQ(ValueOf(scratch_, ".vdtst"), "VdTest.File");
  EXPECT_EQ(ValueOf(scratch_, "VdTest.File"), "Veldrane test file");
}

TEST_F(ClassesRoot, RegisterExtensionClassSkipsTheEmptyHalf) {
  RegisterExtensionClass("", "VdTest.OnlyClass", "only the class");
  EXPECT_EQ(ValueOf(scratch_, "VdTest.OnlyClass"), "only the class");
  DWORD subKeys = 0;
  RegQueryInfoKeyA(scratch_, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr);
  EXPECT_EQ(subKeys, 1u);

  RegisterExtensionClass(".vdonly", "", "ignored");
  EXPECT_TRUE(KeyExists(scratch_, ".vdonly"));
  EXPECT_EQ(ValueOf(scratch_, ".vdonly"), "");
}

TEST_F(ClassesRoot, RegistryWriterFailureRaisesTheRegistrationError) {
  try {
    RegisterExtensionClass("\\bad-leading-backslash", "VdTest.Cls", "d");
    FAIL() << "no exception";
  } catch (const EOleRegistrationError& e) {
    EXPECT_EQ(e.Message(), "Error creating system registry entry");
    EXPECT_STREQ(e.ClassName(), "EOleRegistrationError");
  }
  EXPECT_FALSE(KeyExists(scratch_, "VdTest.Cls")) << "stops at the first failing key";
  EXPECT_THROW(CreateRegKey("\\x", "", "v", scratch_), EOleRegistrationError);
}

TEST_F(ClassesRoot, DeleteEmptyRegKeyRemovesOnlyTrulyEmptyKeys) {
  SetValue(scratch_, "vdsfile\\shellex\\PropertySheetHandlers", nullptr, nullptr);
  SetValue(scratch_, "withDefault", "", "keep me");
  SetValue(scratch_, "withNamed", "Other", "keep me");
  SetValue(scratch_, "empty", nullptr, nullptr);

  DeleteEmptyRegKey("vdsfile\\shellex");  // has a subkey
  EXPECT_TRUE(KeyExists(scratch_, "vdsfile\\shellex"));
  DeleteEmptyRegKey("withDefault");  // only a default value
  DeleteEmptyRegKey("withNamed");    // only a named value
  EXPECT_TRUE(KeyExists(scratch_, "withDefault"));
  EXPECT_TRUE(KeyExists(scratch_, "withNamed"));
  EXPECT_EQ(ValueOf(scratch_, "withDefault"), "keep me");

  DeleteEmptyRegKey("empty");
  EXPECT_FALSE(KeyExists(scratch_, "empty"));
  DeleteEmptyRegKey("not-there");  // silently nothing

  // Parent keys go in the order callers use: the deepest first.
  DeleteEmptyRegKey("vdsfile\\shellex\\PropertySheetHandlers");
  DeleteEmptyRegKey("vdsfile\\shellex");
  DeleteEmptyRegKey("vdsfile");
  EXPECT_FALSE(KeyExists(scratch_, "vdsfile"));
}

TEST_F(ClassesRoot, DeleteEmptyRegKeyNeverNamesTheRootAndNeedsShlwapi) {
  DeleteEmptyRegKey("");
  DeleteRegKeyIfNamed("");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kScratch)) << "an empty path must not delete the root";

  SetValue(scratch_, "empty", nullptr, nullptr);
  TNxShlwapiBinding unbound;
  unbound.Bind("vd-no-such-library.dll");
  nx_detail::DeleteEmptyRegKeyWith(unbound, "empty", HKEY_CLASSES_ROOT);
  EXPECT_TRUE(KeyExists(scratch_, "empty")) << "without Shlwapi nothing is deleted";

  DeleteRegKeyIfNamed("empty");
  EXPECT_FALSE(KeyExists(scratch_, "empty"));
}

TEST_F(ClassesRoot, HelpersTakeAnExplicitRoot) {
  HKEY other;
  ASSERT_EQ(RegCreateKeyExA(scratch_, "other-root", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
            ERROR_SUCCESS);
  RegisterExtensionClass(".x", "X.Class", "X", other);
  EXPECT_EQ(ValueOf(scratch_, "other-root\\.x"), "X.Class");
  EXPECT_FALSE(KeyExists(scratch_, ".x"));
  SetValue(other, "gone", nullptr, nullptr);
  DeleteEmptyRegKey("gone", other);
  EXPECT_FALSE(KeyExists(other, "gone"));
  RegCloseKey(other);
}
