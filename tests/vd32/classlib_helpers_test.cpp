// The class-library helpers the product code relies on: strict integers, path rules (DBCS too),
// INI files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/IniFiles.h"
#include "classlib/SysUtils.h"
#include "tests/support/TempTree.h"

TEST(StrictInteger, AcceptsOnlyWholeNumbers) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},          {"1234", true, 1234},         {"-5", true, -5},
      {"+7", true, 7},         {"0x1A2B", true, 6699},       {"0X1a2b", true, 6699},
      {"$1A2B", true, 6699},   {"-0x10", true, -16},         {"2147483647", true, 2147483647},
      {"-2147483648", true, INT_MIN}, {"0xFFFFFFFF", true, -1},
      {"2147483648", false, 0}, {"0x100000000", false, 0},   {"12abc", false, 0},
      {"", false, 0},          {"-", false, 0},              {"0x", false, 0},
      {"$", false, 0},         {" 1", false, 0},             {"1 ", false, 0},
      {"1.5", false, 0},       {"x10", false, 0},            {"--1", false, 0},
  };
  for (const Case& c : cases) {
    int v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << "'" << c.text << "'";
    if (c.ok) {
      EXPECT_EQ(v, c.value) << "'" << c.text << "'";
    }
    EXPECT_EQ(StrToIntDef(c.text, 99), c.ok ? c.value : 99) << "'" << c.text << "'";
  }
  EXPECT_THROW(StrToInt("12abc"), EConvertError);
}

TEST(Paths, DirectoryNameAndExtension) {
  EXPECT_EQ(ExtractFileDir("C:\\dir\\x.exe"), "C:\\dir");
  EXPECT_EQ(ExtractFileDir("C:\\x.exe"), "C:\\");
  EXPECT_EQ(ExtractFileDir("C:x.exe"), "C:");
  EXPECT_EQ(ExtractFileDir("x.exe"), "");
  EXPECT_EQ(ExtractFileDir("\\x.exe"), "\\");
  EXPECT_EQ(ExtractFileDir("\\\\server\\share\\x"), "\\\\server\\share");
  EXPECT_EQ(ExtractFilePath("C:\\dir\\x.exe"), "C:\\dir\\");
  EXPECT_EQ(ExtractFileName("C:\\dir\\x.exe"), "x.exe");
  EXPECT_EQ(ExtractFileName("C:x.exe"), "x.exe");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\x.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\x"), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\dir"), "C:\\dir\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\dir\\"), "C:\\dir");
  EXPECT_EQ(Trim(" \t x y\r\n"), "x y");
  EXPECT_TRUE(SameText("Veldrane.EXE", "veldrane.exe"));
}

TEST(Paths, TrailBytesOfDoubleByteCharactersAreNoBackslashes) {
  using namespace sysutils_detail;
  const UINT shiftJis = 932;
  ASSERT_TRUE(IsDBCSLeadByteEx(shiftJis, 0x95)) << "code page 932 must be available";
  const std::string kanji = "\x95\x5C";  // its trail byte is 0x5C, the backslash
  const std::string dir = "C:\\" + kanji;
  EXPECT_EQ(ExtractFileDirCP(dir + "\\x.exe", shiftJis), dir);
  EXPECT_EQ(ExtractFileDirCP(dir, shiftJis), "C:\\");
  EXPECT_EQ(ExtractFileNameCP(dir, shiftJis), kanji);
  EXPECT_EQ(IncludeTrailingBackslashCP(dir, shiftJis), dir + "\\");
  EXPECT_EQ(LastDelimiterCP("\\", dir, shiftJis), 3u);
  EXPECT_EQ(LastDelimiterCP("\\", dir, 1252), 5u) << "single-byte code pages see a backslash";
}

TEST(Paths, FileAndDirectoryExistence) {
  TempTree t;
  std::string file = t.File("f.txt"), dir = t.Dir("d");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(dir));
  EXPECT_FALSE(FileExists(t.Path("missing")));
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_FALSE(DirectoryExists(file));
}

TEST(IniFile, IntegersAreParsedStrictly) {
  TempTree t;
  TIniFile ini(t.Path("x.ini"));
  const char* values[][2] = {{"dec", "1234"}, {"hex", "0x1A2B"}, {"dollar", "$1a2b"}, {"junk", "12abc"},
                             {"empty", ""},   {"blanks", "  7  "}};
  for (auto& v : values) ini.WriteString("GENERAL", v[0], v[1]);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "dec", -1), 1234);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "hex", -1), 6699);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "dollar", -1), 6699);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "junk", -1), -1);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "empty", -1), -1);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "blanks", -1), 7) << "the profile functions strip the blanks";
  EXPECT_EQ(ini.ReadInteger("GENERAL", "missing", -1), -1);
}

TEST(IniFile, SectionValuesKeepEveryKeyInFileOrder) {
  TempTree t;
  TIniFile ini(t.Path("x.ini"));
  // More key names than the first 16 KB buffer holds.
  const int keys = 1500;
  std::string text = "[Extensions]\r\n";
  for (int i = 0; i < keys; ++i) text += "LongKeyNameNumber" + std::to_string(i) + "=*.e" + std::to_string(i) + "\r\n";
  text += "Empty=\r\nEq=a=b\r\n[Other]\r\nz=1\r\n";
  t.File("x.ini", text);
  ini.UpdateFile();

  TStringList lines;
  lines.Add("stale line");
  ini.ReadSectionValues("Extensions", lines);
  ASSERT_EQ(lines.Count(), keys + 2);
  EXPECT_EQ(lines[0], "LongKeyNameNumber0=*.e0");
  EXPECT_EQ(lines[keys - 1], "LongKeyNameNumber1499=*.e1499");
  EXPECT_EQ(lines[keys], "Empty=");
  EXPECT_EQ(lines[keys + 1], "Eq=a=b");

  TStringList names;
  ini.ReadSection("Other", names);
  ASSERT_EQ(names.Count(), 1);
  EXPECT_EQ(names[0], "z");
  ini.ReadSections(names);
  EXPECT_EQ(names.Count(), 2);

  ini.DeleteKey("Other", "z");
  EXPECT_FALSE(ini.ValueExists("Other", "z"));
  ini.EraseSection("Extensions");
  EXPECT_TRUE(ini.ReadSectionLines("Extensions").empty());
}
