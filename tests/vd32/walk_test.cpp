// The snapshot's folder walk: which entries count as folders, the order of the lines, and the
// one-enumeration walk against the literal two-pass walk on real trees.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "literal_walk.h"
#include "vd32/FolderWalk.h"
#include "walk_support.h"

namespace {

using Lines = std::vector<std::string>;

size_t CountOf(const Lines& lines, const std::string& line) {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

bool AnyContains(const Lines& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
}

// Entries by folder, with attribute words Wine cannot produce.
class TableSource : public FolderSource {
public:
  std::map<std::string, std::vector<std::pair<std::string, DWORD>>> folders;
  std::vector<std::string> searched;
  void Enumerate(const std::string& Folder, const EntryVisitor& Visit) override {
    searched.push_back(Folder);
    auto it = folders.find(Folder);
    if (it == folders.end()) return;
    for (const auto& [name, attributes] : it->second) Visit(name.c_str(), attributes);
  }
};

}  // namespace

TEST(SnapshotFolder, OnlyDirectoriesThatAreNoReparsePointsWhateverTheirOtherBits) {
  for (DWORD listed : {0x10u, 0x11u, 0x12u, 0x14u, 0x16u, 0x30u, 0x31u, 0x17u, 0x810u, 0x2010u, 0x10010u})
    EXPECT_TRUE(IsSnapshotFolder("x", listed)) << std::hex << listed;
  for (DWORD skipped : {0x410u, 0x412u, 0x430u, 0x20u, 0x02u, 0x04u, 0x06u, 0x00u, 0x80u, 0x01u, 0x420u})
    EXPECT_FALSE(IsSnapshotFolder("x", skipped)) << std::hex << skipped;
  EXPECT_FALSE(IsSnapshotFolder(".", 0x10));
  EXPECT_FALSE(IsSnapshotFolder("..", 0x10));
  EXPECT_TRUE(IsSnapshotFolder(".cache", 0x12));
  EXPECT_TRUE(IsSnapshotFolder("..x", 0x10));
}

TEST(CollectFolders, ListsChildrenThenWalksThemAndSkipsWhatIsNoFolder) {
  TableSource source;
  source.folders["C:\\"] = {{".", 0x10}, {"..", 0x10}, {"Arch", 0x30}, {"pagefile.sys", 0x06},
                            {"Junction", 0x410}, {"ReadOnly", 0x11}, {"boot.ini", 0x27}};
  source.folders["C:\\Arch\\"] = {{".", 0x10}, {"..", 0x10}, {"In", 0x16}};
  source.folders["C:\\Junction\\"] = {{"Loop", 0x10}};
  LineList out;
  CollectFolders("C:", out, source);
  EXPECT_EQ(out.lines, (Lines{"C:\\", "C:\\Arch\\", "C:\\ReadOnly\\", "C:\\Arch\\", "C:\\Arch\\In\\",
                              "C:\\Arch\\In\\", "C:\\ReadOnly\\"}));
  EXPECT_EQ(std::count(source.searched.begin(), source.searched.end(), "C:\\Junction\\"), 0)
      << "a reparse point is never searched";
  EXPECT_EQ(source.searched.size(), 4u) << "one search per folder";
}

TEST(CollectFolders, TheExampleTreeGivesTheDocumentedLines) {
  const std::string root = FixtureFolder("walk/example");
  LineList out;
  CollectFolders(root, out);
  EXPECT_EQ(out.lines, (Lines{root, root + "A\\", root + "B\\", root + "A\\", root + "A\\A1\\", root + "A\\A1\\",
                              root + "B\\"}));
}

class MixedTree : public ::testing::Test {
protected:
  void SetUp() override {
    // Wine keeps the system bit of a folder (not its read-only or archive bits).
    ASSERT_TRUE(SetFileAttributesA((root + "Sys").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_EQ(GetFileAttributesA((root + "Sys").c_str()), 0x14u);
    ASSERT_EQ(GetFileAttributesA((root + ".cache").c_str()), 0x12u) << "dot names read as hidden";
    ASSERT_EQ(GetFileAttributesA((root + "Linked").c_str()), 0x410u) << "a link to a folder is a reparse point";
    CollectFolders(root, walked);
  }
  const std::string root = FixtureFolder("walk/mixed");
  LineList walked;
};

TEST_F(MixedTree, HiddenAndSystemFoldersAreListedAndWalked) {
  EXPECT_EQ(CountOf(walked.lines, root + ".cache\\"), 2u);
  EXPECT_EQ(CountOf(walked.lines, root + ".cache\\inner\\"), 2u);
  EXPECT_EQ(CountOf(walked.lines, root + "Sys\\"), 2u);
  EXPECT_EQ(CountOf(walked.lines, root + "Sys\\Below\\"), 2u);
}

TEST_F(MixedTree, LinkedFoldersAndFilesAreAbsent) {
  EXPECT_FALSE(AnyContains(walked.lines, "Linked"));
  EXPECT_FALSE(AnyContains(walked.lines, "UpLink"));
  EXPECT_EQ(CountOf(walked.lines, root + "Target\\Under\\"), 2u) << "the link's target is walked in its own place";
  EXPECT_FALSE(AnyContains(walked.lines, ".txt"));
  for (const std::string& line : walked.lines) EXPECT_EQ(line.back(), '\\') << line;
}

TEST_F(MixedTree, AFolderBeyondMaxPathContributesOnlyItsOwnLine) {
  std::string deep = root + "deep\\";
  WIN32_FIND_DATAA data;
  std::string longName;
  HANDLE find = FindFirstFileA((deep + "L*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  longName = data.cFileName;
  FindClose(find);
  std::string leaf = deep + longName + "\\" + std::string(40, 'F') + "\\";
  ASSERT_GT(leaf.size(), static_cast<size_t>(MAX_PATH));
  EXPECT_EQ(CountOf(walked.lines, leaf), 2u);
  EXPECT_FALSE(AnyContains(walked.lines, "Gone"));
}

TEST_F(MixedTree, OneEnumerationPerFolderGivesTheLinesOfTheTwoPassWalk) {
  for (const char* tree : {"walk/mixed", "walk/example", "cdrom-d"}) {
    LineList once, twice;
    CollectFolders(FixtureFolder(tree), once);
    CollectFoldersTwoPass(FixtureFolder(tree), twice);
    EXPECT_EQ(once.lines, twice.lines) << tree;
  }
  EXPECT_GT(walked.lines.size(), 20u);
}
