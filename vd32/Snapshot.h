// The snapshot program: the "/SVC" switch, the due test, the walk of the fixed and CD-ROM drives
// and the snapshot file Data\VDSysSnap.dat.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "classlib/ScopedHandles.h"
#include "classlib/SysDateTime.h"
#include "vd32/FolderWalk.h"

// True when the first parameter, trimmed of blanks and control characters, is "/SVC" in any case.
bool HasServiceSwitch(const std::string& CommandLine);

// "A:\" ... "Z:\" for every present drive that is fixed or a CD-ROM drive, in letter order.
std::vector<std::string> SnapshotDriveRoots();

// Writes the snapshot beside the old one (VDSysSnap.tmp in the Data folder), one line at a time,
// each ended by CR LF, and puts it in place of VDSysSnap.dat only when it is complete. Without
// Commit the temporary file is removed and the old snapshot stays. Failures raise EOSError.
class SnapshotFileWriter : public LineSink {
public:
  explicit SnapshotFileWriter(const std::string& DataFolder);
  ~SnapshotFileWriter() override;
  SnapshotFileWriter(const SnapshotFileWriter&) = delete;
  SnapshotFileWriter& operator=(const SnapshotFileWriter&) = delete;

  void Add(const std::string& Line) override;
  void Commit();

private:
  void Flush();

  std::string tempPath_, finalPath_;
  ScopedFileHandle file_;
  bool committed_ = false;
  std::string buffer_;
};

// What one run works with; the product's install directory, clock and drives by default.
struct SnapshotRun {
  std::string InstallDir;  // ends in a backslash
  std::function<TDateTime()> Clock;
  std::function<std::vector<std::string>()> DriveRoots;
};

// Due test, then (when due and the Data folder exists) the walk of every drive into the snapshot
// file. Raises when the snapshot cannot be taken; the old snapshot then stays and the next run is
// due ("vdSnapDate" is "NA").
void TakeSnapshotIfDue(const SnapshotRun& Run);

// The whole program: returns the exit code. Without the switch, or when the product is not
// installed (no App Paths value), it reads and writes nothing.
int RunVD32(const std::string& CommandLine);
