// The folder search: the per-mask reference walk and the one walk for all masks must give the same
// answer on every tree, and both follow the descent rule.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempTree.h"
#include "vdmon/FolderSearch.h"
#include "vdmon/MaskMatch.h"

namespace {

bool ReferenceSearch(const std::string& dir, const std::vector<std::string>& masks) {
  for (const std::string& m : masks)
    if (FindFileByMask(dir, m)) return true;
  return false;
}

// Both searches, which must agree; returns their answer.
bool Search(const std::string& dir, const std::vector<std::string>& masks) {
  bool reference = ReferenceSearch(dir, masks);
  bool oneWalk = FindFileByAnyMask(dir, masks);
  EXPECT_EQ(reference, oneWalk) << "on " << dir;
  return oneWalk;
}

const std::vector<std::string> kTmpBak = {"*.tmp", "*.bak"};

}  // namespace

TEST(FolderDescent, EntersEveryFolderExceptReparsePoints) {
  EXPECT_TRUE(IsEnterableFolder(0x10, "a"));
  EXPECT_TRUE(IsEnterableFolder(0x11, "read-only"));
  EXPECT_TRUE(IsEnterableFolder(0x12, "hidden"));
  EXPECT_TRUE(IsEnterableFolder(0x14, "system"));
  EXPECT_TRUE(IsEnterableFolder(0x30, "archive"));
  EXPECT_FALSE(IsEnterableFolder(0x410, "symlink"));
  EXPECT_FALSE(IsEnterableFolder(0x20, "file"));
  EXPECT_FALSE(IsEnterableFolder(0x10, "."));
  EXPECT_FALSE(IsEnterableFolder(0x10, ".."));
}

TEST(FileMask, WhatIsMatchedInMemory) {
  EXPECT_TRUE(FileMask("*.tmp").MatchesInMemory());
  EXPECT_TRUE(FileMask("~*.*").MatchesInMemory());
  for (const char* m : {"", "a?.txt", "sub\\*.tmp", "*.", " *.tmp", "*.tmp ", "C:*.tmp", "\xE4*.tmp"})
    EXPECT_FALSE(FileMask(m).MatchesInMemory()) << m;

  FileMask tmp("*.TMP");
  EXPECT_TRUE(tmp.Matches(L"a.b.tmp"));
  EXPECT_TRUE(tmp.Matches(L".tmp"));
  EXPECT_FALSE(tmp.Matches(L"a.tmp.x"));
  EXPECT_TRUE(FileMask("a.*").Matches(L"a")) << "'.' before '*' also matches the end of the name";
  EXPECT_TRUE(FileMask("*.*").Matches(L"noext"));
  EXPECT_FALSE(tmp.Matches(L"a.tmpx")) << "the long name alone; the search also tries the 8.3 alias";
  EXPECT_TRUE(FileMask("~*.*").Matches(L"~$doc.docx"));
}

TEST(FolderSearch, HitAtTheRootAndDeepDown) {
  TempTree root;
  root.File("x.bak");
  EXPECT_TRUE(Search(root.Root(), kTmpBak));

  TempTree deep;
  deep.File("a\\b\\c\\d\\e\\x.tmp");
  deep.File("a\\other\\readme.txt");
  EXPECT_TRUE(Search(deep.Root(), kTmpBak));
  EXPECT_TRUE(Search(deep.Path("a\\b"), kTmpBak)) << "a folder given without its trailing backslash";
  EXPECT_FALSE(Search(deep.Path("a\\other\\"), kTmpBak));
}

TEST(FolderSearch, FoldersNamedLikeAMaskAreNoHit) {
  TempTree t;
  t.Dir("d.bak");
  t.Dir("sub.tmp\\inner.tmp");
  t.File("sub.tmp\\inner.tmp\\notes.txt");
  EXPECT_FALSE(Search(t.Root(), kTmpBak));
}

TEST(FolderSearch, HiddenSystemAndDotFoldersAreEntered) {
  for (DWORD attributes : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY}) {
    TempTree t;
    t.File("special\\x.tmp");
    SetFileAttributesA(t.Path("special").c_str(), attributes);
    EXPECT_TRUE(Search(t.Root(), kTmpBak)) << "attributes " << attributes;
  }
  TempTree dot;
  dot.File(".cache\\x.bak");
  EXPECT_TRUE(Search(dot.Root(), kTmpBak));

  TempTree file;
  std::string hidden = file.File("x.tmp");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Search(file.Root(), kTmpBak)) << "files count whatever their attributes";
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FolderSearch, EmptyMasksMatchNothing) {
  TempTree t;
  t.File("a\\x.bak");
  EXPECT_FALSE(Search(t.Root(), {""}));
  EXPECT_FALSE(Search(t.Root(), {}));
  EXPECT_TRUE(Search(t.Root(), {"", "*.bak"}));
}

TEST(FolderSearch, MaskWithAFolderPart) {
  TempTree t;
  t.File("a\\sub\\x.tmp");
  t.File("b\\sub2\\y.tmp");
  EXPECT_TRUE(Search(t.Root(), {"sub\\*.tmp"}));
  EXPECT_FALSE(Search(t.Path("b"), {"sub\\*.tmp"}));
}

TEST(FolderSearch, NothingIsFoundBeyondMaxPath) {
  // A chain of folders that crosses MAX_PATH, with a hit at each depth in turn: the one walk must
  // give up exactly where the ANSI file functions give up.
  TempTree t;
  std::string chain;
  for (int level = 0; t.Root().size() + chain.size() < MAX_PATH + 40; ++level) {
    chain += "level" + std::to_string(level % 10) + "abcd\\";
    t.Dir(chain);
  }
  int found = 0, missed = 0;
  for (size_t at = 0; at < chain.size(); at = chain.find('\\', at) + 1) {
    std::string file = chain.substr(0, at) + "x.tmp";
    t.File(file);
    if (Search(t.Root(), {"*.tmp"}))
      ++found;
    else
      ++missed;
    DeleteFileW(TempTree::LongPath(t.Path(file)).c_str());
  }
  EXPECT_GT(found, 0);
  EXPECT_GT(missed, 0) << "the deepest folders cannot be searched and count as clean";
}

TEST(FolderSearch, TheOneWalkMatchesThePerMaskSearchOnMaskCornerCases) {
  // One folder per file name, then every mask against every folder.
  const std::vector<std::string> names = {
      "a.tmp", "a.tmpx", "a.bakup", "b.html", "abc", "a.b.tmp", "x.tx.y", "ab.txt", "a.txt", "a",
      ".hidden", "READ.ME", "a b.tmp", "longname.extension", "a.t", "x.TMP", "a.tmp.x", "a..tmp",
      "~a.tmp", "x.$$$", "abcdefghij.tmp", ".tmp"};
  const std::vector<std::string> masks = {
      "*.tmp", "*.*", "*", "?", "??", "a?", "a?.txt", "*.", "a.*", "*.t*", "*.t?", "?.tmp", "a*",
      "*a", "*.bak", "*.htm", "*.TMP", "a*.t*p", "*.?", "abc.", "abc.*", "???", "*.tmp ", " *.tmp",
      "*.$$$", "~*.*", "*.~*", ".*", "*.tmp*", "*.*.*", "a.??", "x\\*.*", "..\\*.tmp", "A.TMP"};
  auto folder = [](size_t i) { return std::string("f").append(std::to_string(i)); };
  TempTree t;
  for (size_t i = 0; i < names.size(); ++i) t.File(folder(i).append("\\").append(names[i]));
  for (size_t i = 0; i < names.size(); ++i) {
    std::string dir = t.Path(folder(i));
    for (const std::string& m : masks)
      EXPECT_EQ(FindFileByMask(dir, m), FindFileByAnyMask(dir, {m})) << "name '" << names[i] << "' mask '" << m << "'";
  }
  EXPECT_TRUE(Search(t.Path("f2"), {"*.bak"})) << "a.bakup through its 8.3 alias";
  EXPECT_TRUE(Search(t.Root(), masks));
}

#ifdef VD_LINK_FIXTURE
// Made from the Linux side (tests/vdmon/make_link_fixture.sh): Wine shows symbolic links to folders
// as reparse points, which are never entered.
TEST(FolderSearch, SymbolicLinksToFoldersAreNotEntered) {
  std::string fixture = WindowsPathOfUnix(VD_LINK_FIXTURE);
  if (GetFileAttributesA((fixture + "\\tree").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "fixture missing: run through ctest";
  EXPECT_EQ(GetFileAttributesA((fixture + "\\tree\\linked").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_TRUE(Search(fixture + "\\outside", kTmpBak));
  EXPECT_FALSE(Search(fixture + "\\tree", kTmpBak)) << "the hit lies behind a link only; the loop is not followed";
}
#endif
