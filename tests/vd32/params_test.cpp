// Command-line splitting as the class library does it (not the C runtime's rules).
#include "classlib/SysParams.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

using Tokens = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndControlCharactersAndGroupsQuotes) {
  EXPECT_EQ(SplitCommandLine("VD32.exe /SVC"), (Tokens{"VD32.exe", "/SVC"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\VD32.exe\"  \" /svc \"\tnext"),
            (Tokens{"C:\\Program Files\\VD32.exe", " /svc ", "next"}));
  EXPECT_EQ(SplitCommandLine("p a\"b c\"d e"), (Tokens{"p", "ab cd", "e"}));
  EXPECT_EQ(SplitCommandLine("p \\\"a b\\\" c"), (Tokens{"p", "\\a b\\", "c"})) << "no backslash escapes";
  EXPECT_EQ(SplitCommandLine("p\x01/SVC\x1f" "x"), (Tokens{"p", "/SVC", "x"}));
  EXPECT_EQ(SplitCommandLine("p \"\" x"), (Tokens{"p", "", "x"}));
  EXPECT_EQ(SplitCommandLine("p \"open end"), (Tokens{"p", "open end"}));
  EXPECT_EQ(SplitCommandLine("   "), Tokens{});
}

TEST(CommandLine, ParamCountAndParamStrSkipTheProgramName) {
  EXPECT_EQ(ParamCount("VD32.exe"), 0);
  EXPECT_EQ(ParamCount(""), 0);
  EXPECT_EQ(ParamCount("VD32.exe /x \"/SVC\""), 2);
  EXPECT_EQ(ParamStr("VD32.exe /x \"/SVC\"", 2), "/SVC");
  EXPECT_EQ(ParamStr("VD32.exe /x", 0), "VD32.exe");
  EXPECT_EQ(ParamStr("VD32.exe /x", 2), "");
  EXPECT_EQ(ParamStr("VD32.exe /x", -1), "");
}

TEST(CommandLine, ThisProcess) {
  EXPECT_EQ(UpperCase(ExtractFileName(ParamStr(0))), "DATETIME_TEST.EXE");
  EXPECT_GE(ParamCount(), 1);  // ctest passes --gtest_brief=1
}
