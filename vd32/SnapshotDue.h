// The snapshot-due test: is a new folder snapshot due, and the record of this run.
#pragma once

#include <functional>
#include <string>

#include "classlib/SysDateTime.h"

// What the test reads and writes; the product's files by default, a test's files otherwise.
struct SnapshotDueFiles {
  std::string ConfigFile;    // VDConfig.dat ([CLEANER] "vdSnapDate")
  std::string SnapshotFile;  // VDSysSnap.dat
};

// <InstallDir>Data\VDConfig.dat and <InstallDir>Data\VDSysSnap.dat.
SnapshotDueFiles SnapshotDueFilesOf(const std::string& InstallDir);

// Due when no snapshot was recorded yet ("vdSnapDate" missing, empty or "NA" in any case), when
// the snapshot file is missing or empty, when three days or more have passed since the recorded
// time, or when anything on the way fails (a text that is no date included). Then "vdSnapDate" is
// set to the current time, also when nothing is due and also after such a failure, so that a bad
// value is replaced; a failed write is ignored. Never raises.
bool IsSnapshotDue(const SnapshotDueFiles& Files, const std::function<TDateTime()>& Clock);
// The same for the installed product, on the local clock.
bool IsSnapshotDue(const std::string& InstallDir);

// Makes the next run due whatever its time: "vdSnapDate" := "NA". For a run that was due but could
// not take the snapshot after IsSnapshotDue recorded its time. A failed write is ignored.
void MarkSnapshotDue(const SnapshotDueFiles& Files);
