// The snapshot program's rules: the switch, the due test with its record of the run, and the
// snapshot file, on a test install folder with a fixed clock and chosen drives.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "classlib/IniFiles.h"
#include "classlib/SysDateTime.h"
#include "vd32/Functions.h"
#include "vd32/Snapshot.h"
#include "vd32/SnapshotDue.h"
#include "walk_support.h"

TEST(ServiceSwitch, FirstParameterOnlyAnyCaseTrimmed) {
  EXPECT_TRUE(HasServiceSwitch("VD32.exe /SVC"));
  EXPECT_TRUE(HasServiceSwitch("\"C:\\Program Files\\VD32.exe\" /svc"));
  EXPECT_TRUE(HasServiceSwitch("VD32.exe \" /Svc \" more"));
  EXPECT_FALSE(HasServiceSwitch("VD32.exe /SVCX"));
  EXPECT_FALSE(HasServiceSwitch("VD32.exe /x /SVC"));
  EXPECT_FALSE(HasServiceSwitch("VD32.exe"));
  EXPECT_FALSE(HasServiceSwitch("VD32.exe -SVC"));
}

namespace {

const TDateTime kNow = EncodeDate(2024, 3, 10) + EncodeTime(12, 0, 0, 0);

class DueTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA((install.path() + "Data").c_str(), nullptr));
    files = SnapshotDueFilesOf(install.path());
  }
  void Record(const std::string& text) { WriteConfigString("CLEANER", "vdSnapDate", text, files.ConfigFile); }
  std::string Recorded() { return ReadConfigString("CLEANER", "vdSnapDate", files.ConfigFile); }
  void Snapshot(const std::string& content) { WriteWholeFile(files.SnapshotFile, content); }
  bool Due() { return IsSnapshotDue(files, [] { return kNow; }); }

  TempFolder install{"vd32-due"};
  SnapshotDueFiles files;
};

}  // namespace

TEST_F(DueTest, FilesLieInTheDataFolder) {
  EXPECT_EQ(files.ConfigFile, install.path() + "Data\\VDConfig.dat");
  EXPECT_EQ(files.SnapshotFile, install.path() + "Data\\VDSysSnap.dat");
}

TEST_F(DueTest, NoRecordMeansDueAndTheRunIsRecorded) {
  Snapshot("C:\\\r\n");
  for (const char* none : {"", "   ", "NA", "na", " nA "}) {
    Record(none);
    EXPECT_TRUE(Due()) << '"' << none << '"';
    EXPECT_EQ(Recorded(), DateTimeToStr(kNow));
  }
  TIniFile(files.ConfigFile).DeleteKey("CLEANER", "vdSnapDate");
  EXPECT_TRUE(Due());
  EXPECT_EQ(Recorded(), DateTimeToStr(kNow));
}

TEST_F(DueTest, TwoDaysWithASnapshotIsNotDueButIsRecorded) {
  Snapshot("C:\\\r\n");
  Record(DateTimeToStr(kNow - 2));
  EXPECT_FALSE(Due());
  EXPECT_EQ(Recorded(), DateTimeToStr(kNow));
}

TEST_F(DueTest, ThreeDaysAndAMinuteOrAMissingOrEmptySnapshotIsDue) {
  const TDateTime old = kNow - 3 - EncodeTime(0, 1, 0, 0);
  Snapshot("C:\\\r\n");
  Record(DateTimeToStr(old));
  EXPECT_TRUE(Due()) << "old enough";
  Snapshot("");
  Record(DateTimeToStr(kNow - 1));
  EXPECT_TRUE(Due()) << "empty snapshot";
  DeleteFileA(files.SnapshotFile.c_str());
  Record(DateTimeToStr(kNow - 1));
  EXPECT_TRUE(Due()) << "no snapshot";
}

TEST_F(DueTest, AFutureRecordIsNotDue) {
  Snapshot("C:\\\r\n");
  Record(DateTimeToStr(kNow + 1));
  EXPECT_FALSE(Due());
  EXPECT_EQ(Recorded(), DateTimeToStr(kNow));
}

TEST_F(DueTest, AnUnreadableRecordIsDueAndReplaced) {
  Snapshot("C:\\\r\n");
  Record("sometime last week");
  EXPECT_TRUE(Due());
  EXPECT_EQ(Recorded(), DateTimeToStr(kNow)) << "the bad value heals";
  EXPECT_FALSE(IsSnapshotDue(files, [] { return kNow + 1; })) << "and the next run reads it";
}

TEST_F(DueTest, AConfigurationThatCannotBeWrittenStillAnswers) {
  SnapshotDueFiles nowhere = SnapshotDueFilesOf(install.path() + "Missing\\");
  EXPECT_TRUE(IsSnapshotDue(nowhere, [] { return kNow; }));
}

namespace {

class SnapshotRunTest : public DueTest {
protected:
  SnapshotRun Run(std::vector<std::string> roots) {
    return {install.path(), [] { return kNow; }, [roots] { return roots; }};
  }
};

}  // namespace

TEST_F(SnapshotRunTest, WritesEveryDriveInOrderWithCrLfAndRecordsTheRun) {
  const std::string example = FixtureFolder("walk/example"), cdrom = FixtureFolder("cdrom-d");
  TakeSnapshotIfDue(Run({example, cdrom}));
  std::string expected;
  for (const std::string& line : {example, example + "A\\", example + "B\\", example + "A\\", example + "A\\A1\\",
                                  example + "A\\A1\\", example + "B\\", cdrom, cdrom + "A\\", cdrom + "B\\",
                                  cdrom + "A\\", cdrom + "A\\A1\\", cdrom + "A\\A1\\", cdrom + "B\\"})
    expected += line + "\r\n";
  EXPECT_EQ(ReadWholeFile(files.SnapshotFile), expected);
  EXPECT_EQ(GetFileAttributesA((install.path() + "Data\\VDSysSnap.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Recorded(), DateTimeToStr(kNow));

  // The next run is not due and leaves the snapshot alone.
  bool walked = false;
  TakeSnapshotIfDue({install.path(), [] { return kNow + 1; }, [&walked] {
                       walked = true;
                       return std::vector<std::string>{};
                     }});
  EXPECT_FALSE(walked);
  EXPECT_EQ(ReadWholeFile(files.SnapshotFile), expected);
}

TEST_F(SnapshotRunTest, WithoutADataFolderNothingIsWalkedOrWritten) {
  RemoveTree(install.path() + "Data");
  bool walked = false;
  TakeSnapshotIfDue({install.path(), [] { return kNow; }, [&walked] {
                       walked = true;
                       return std::vector<std::string>{};
                     }});
  EXPECT_FALSE(walked);
  EXPECT_EQ(GetFileAttributesA((install.path() + "Data").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SnapshotRunTest, AFailedSnapshotKeepsThePreviousOneAndTheNextRunIsDue) {
  Snapshot("OLD\r\n");
  Record(DateTimeToStr(kNow - 4));
  // A folder where the temporary file belongs makes its creation fail.
  const std::string blocker = install.path() + "Data\\VDSysSnap.tmp";
  ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
  EXPECT_ANY_THROW(TakeSnapshotIfDue(Run({FixtureFolder("walk/example")})));
  EXPECT_EQ(ReadWholeFile(files.SnapshotFile), "OLD\r\n");
  EXPECT_EQ(Recorded(), "NA");

  // A walk that fails does the same.
  Record(DateTimeToStr(kNow - 4));
  EXPECT_ANY_THROW(TakeSnapshotIfDue({install.path(), [] { return kNow; }, []() -> std::vector<std::string> {
                                        throw std::runtime_error("no drives");
                                      }}));
  EXPECT_EQ(Recorded(), "NA");

  // An hour later the folder takes files again, and the run takes the snapshot.
  ASSERT_TRUE(RemoveDirectoryA(blocker.c_str()));
  const std::string example = FixtureFolder("walk/example");
  TakeSnapshotIfDue({install.path(), [] { return kNow + 1.0 / 24; }, [example] { return std::vector<std::string>{example}; }});
  EXPECT_EQ(ReadWholeFile(files.SnapshotFile).substr(0, example.size()), example);
  EXPECT_EQ(Recorded(), DateTimeToStr(kNow + 1.0 / 24));
}

TEST(SnapshotFileWriter, ReplacesTheOldFileOnlyOnCommit) {
  TempFolder data("vd32-writer");
  WriteWholeFile(data.path() + "VDSysSnap.dat", "OLD\r\n");
  {
    SnapshotFileWriter writer(data.path());
    writer.Add("C:\\");
  }  // abandoned
  EXPECT_EQ(ReadWholeFile(data.path() + "VDSysSnap.dat"), "OLD\r\n");
  EXPECT_EQ(GetFileAttributesA((data.path() + "VDSysSnap.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  {
    SnapshotFileWriter writer(data.path());
    std::string big(200, 'x');
    for (int i = 0; i < 2000; ++i) writer.Add(big);  // several buffer flushes
    writer.Add("C:\\");
    writer.Commit();
  }
  std::string text = ReadWholeFile(data.path() + "VDSysSnap.dat");
  EXPECT_EQ(text.size(), 2000 * 202 + 5u);
  EXPECT_EQ(text.substr(text.size() - 5), "C:\\\r\n");
}

TEST(SnapshotDrives, OnlyFixedAndCdromDrivesInLetterOrder) {
  std::vector<std::string> roots = SnapshotDriveRoots();
  ASSERT_FALSE(roots.empty());
  EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
  for (const std::string& root : roots) {
    UINT type = GetDriveTypeA(root.c_str());
    EXPECT_TRUE(type == DRIVE_FIXED || type == DRIVE_CDROM) << root;
  }
  EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
  EXPECT_NE(std::find(roots.begin(), roots.end(), "D:\\"), roots.end());
  EXPECT_EQ(std::find(roots.begin(), roots.end(), "Z:\\"), roots.end()) << "network";
  EXPECT_EQ(std::find(roots.begin(), roots.end(), "M:\\"), roots.end()) << "floppy";
}
