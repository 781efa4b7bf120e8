// The theme binding: nothing is loaded before Windows XP, a failed load is tried again, the library
// is loaded once and freed once, and the module's answer equals a direct call into uxtheme.
#include <gtest/gtest.h>

#include "lx/lxUtils.h"
#include "lx/lxXPThemes.h"

namespace {

int g_Loads = 0;
int g_Frees = 0;
bool g_LoadFails = false;

HMODULE WINAPI CountingLoad(LPCSTR Name) {
  ++g_Loads;
  return g_LoadFails ? nullptr : LoadLibraryA(Name);
}
BOOL WINAPI CountingFree(HMODULE Module) {
  ++g_Frees;
  return FreeLibrary(Module);
}

class LxThemeBinding : public ::testing::Test {
protected:
  void SetUp() override { g_Loads = g_Frees = 0, g_LoadFails = false; }
};

TEST_F(LxThemeBinding, NothingIsLoadedBeforeXP) {
  TlxThemeBinding Binding(false, &CountingLoad, &CountingFree);
  EXPECT_FALSE(Binding.Bind());
  EXPECT_FALSE(Binding.Active());
  EXPECT_FALSE(Binding.Loaded());
  EXPECT_EQ(g_Loads, 0);
}

TEST_F(LxThemeBinding, LoadsOnceAndFreesOnce) {
  {
    TlxThemeBinding Binding(true, &CountingLoad, &CountingFree);
    EXPECT_EQ(g_Loads, 0);  // nothing before the first question
    g_LoadFails = true;
    EXPECT_FALSE(Binding.Bind());
    EXPECT_FALSE(Binding.Active());
    EXPECT_EQ(g_Loads, 2);  // a failed load is tried again
    g_LoadFails = false;
    EXPECT_TRUE(Binding.Bind());
    EXPECT_TRUE(Binding.Bind());
    Binding.Active();
    EXPECT_EQ(g_Loads, 3);
    EXPECT_TRUE(Binding.Loaded());
    EXPECT_EQ(g_Frees, 0);
  }
  EXPECT_EQ(g_Frees, 1);
}

TEST(LxThemes, ModuleAnswerEqualsUxTheme) {
  ASSERT_TRUE(IsWinXPOrLater());
  HMODULE UxTheme = LoadLibraryA("uxtheme.dll");
  ASSERT_NE(UxTheme, nullptr);
  auto IsThemeActive = reinterpret_cast<TlxThemeBinding::TIsThemeActive>(GetProcAddress(UxTheme, "IsThemeActive"));
  ASSERT_NE(IsThemeActive, nullptr);
  EXPECT_TRUE(BindUxTheme());
  EXPECT_EQ(ThemesActive(), IsThemeActive() != FALSE);
  FreeLibrary(UxTheme);
}

}  // namespace
