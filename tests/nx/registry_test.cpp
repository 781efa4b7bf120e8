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

bool Exists(HKEY root, const std::string& path) {
  HKEY k;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

std::string Default(HKEY root, const std::string& path) {
  char buf[256];
  DWORD size = sizeof buf;
  if (RegGetValueA(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return "<missing>";
  return buf;
}

void Make(HKEY root, const std::string& path, const char* name = nullptr, const char* value = "") {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
  if (name) RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
  RegCloseKey(k);
}

class ClassesRoot : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(scratch);
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratch.c_str());
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, ".vdtst")) << "the real classes root was written";
  }
  HKEY scratch = nullptr;
};
}  // namespace

TEST_F(ClassesRoot, RegisterExtensionClassWritesWhatIsNamedAndRaisesOnFailure) {
  RegisterExtensionClass(".vdtst", "VdTest.File", "Veldrane test file");
  EXPECT_EQ(Default(scratch, ".vdtst"), "VdTest.File");
  EXPECT_EQ(Default(scratch, "VdTest.File"), "Veldrane test file");
  RegisterExtensionClass("", "VdTest.OnlyClass", "only the class");
  EXPECT_EQ(Default(scratch, "VdTest.OnlyClass"), "only the class");
  RegisterExtensionClass(".vdonly", "", "ignored");
  EXPECT_EQ(Default(scratch, ".vdonly"), "");
  DWORD keys = 0;
  RegQueryInfoKeyA(scratch, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(keys, 4u) << "no key for an empty name";

  try {
    RegisterExtensionClass("\\bad", "VdTest.Cls", "d");  // a leading backslash is a bad path
    FAIL() << "no exception";
  } catch (const EOleRegistrationError& e) {
    EXPECT_EQ(e.Message(), "Error creating system registry entry");
  }
  EXPECT_FALSE(Exists(scratch, "VdTest.Cls")) << "stops at the first failing key";

  HKEY other;
  ASSERT_EQ(RegCreateKeyExA(scratch, "other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr), ERROR_SUCCESS);
  RegisterExtensionClass(".x", "X.Class", "X", other);
  EXPECT_EQ(Default(scratch, "other\\.x"), "X.Class");
  RegCloseKey(other);
}

TEST_F(ClassesRoot, DeleteEmptyRegKeyRemovesOnlyKeysWithoutSubkeysAndValues) {
  Make(scratch, "vdsfile\\shellex\\PropertySheetHandlers");
  Make(scratch, "withDefault", "", "keep me");
  Make(scratch, "withNamed", "Other", "keep me");
  Make(scratch, "empty");
  DeleteEmptyRegKey("vdsfile\\shellex");
  DeleteEmptyRegKey("withDefault");  // Shlwapi's own routine would delete these two under Wine
  DeleteEmptyRegKey("withNamed");
  DeleteEmptyRegKey("not-there");
  EXPECT_TRUE(Exists(scratch, "vdsfile\\shellex"));
  EXPECT_EQ(Default(scratch, "withDefault"), "keep me");
  EXPECT_TRUE(Exists(scratch, "withNamed"));

  TNxShlwapiBinding unbound;
  unbound.Bind("vd-no-such-library.dll");
  nx_detail::DeleteEmptyRegKeyWith(unbound, "empty", HKEY_CLASSES_ROOT);
  EXPECT_TRUE(Exists(scratch, "empty")) << "without Shlwapi nothing is deleted";
  DeleteEmptyRegKey("empty");
  EXPECT_FALSE(Exists(scratch, "empty"));

  for (const char* k : {"vdsfile\\shellex\\PropertySheetHandlers", "vdsfile\\shellex", "vdsfile"}) DeleteRegKeyIfNamed(k);
  EXPECT_FALSE(Exists(scratch, "vdsfile"));
  DeleteEmptyRegKey("withNamed", scratch);  // explicit root: still not empty
  EXPECT_TRUE(Exists(scratch, "withNamed"));

  RegDeleteKeyA(scratch, "withDefault");
  RegDeleteKeyA(scratch, "withNamed");
  DeleteEmptyRegKey("");
  DeleteRegKeyIfNamed("");
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, kScratch)) << "an empty path must not name the root";
}
