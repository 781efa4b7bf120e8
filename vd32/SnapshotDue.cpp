#include "vd32/SnapshotDue.h"

#include "classlib/SysUtils.h"
#include "vd32/Functions.h"
#include "vd32/lxDateTimeCalc.h"

SnapshotDueFiles SnapshotDueFilesOf(const std::string& InstallDir) {
  std::string data = IncludeTrailingBackslash(InstallDir) + kDataFolder;
  return {data + kConfigFileName, data + kSnapshotFileName};
}

namespace {

bool SnapshotTakenLongAgo(const std::string& Recorded, TDateTime Now, const std::string& SnapshotFile) {
  TObjectPtr<TlxDateTimeCalc> calc(TlxDateTimeCalc::Create(nullptr));
  calc->SetBeginTime(StrToDateTime(Recorded));
  calc->SetEndTime(Now);
  return FileSizeOf(SnapshotFile) == 0 || calc->Days() >= 3;
}

}  // namespace

bool IsSnapshotDue(const SnapshotDueFiles& Files, const std::function<TDateTime()>& Clock) {
  bool due = true;
  TDateTime now = 0;
  bool haveNow = false;
  try {
    now = Clock();
    haveNow = true;
    std::string recorded = Trim(ReadConfigString(kSectionCleaner, kKeySnapDate, Files.ConfigFile));
    if (!recorded.empty() && !SameText(recorded, "NA"))
      due = SnapshotTakenLongAgo(recorded, now, Files.SnapshotFile);
  } catch (...) {
    due = true;  // an unreadable record counts as no record
  }
  if (haveNow) {
    try {
      WriteConfigString(kSectionCleaner, kKeySnapDate, DateTimeToStr(now), Files.ConfigFile);
    } catch (...) {
      // The run goes on; the next one tries again.
    }
  }
  return due;
}

bool IsSnapshotDue(const std::string& InstallDir) {
  return IsSnapshotDue(SnapshotDueFilesOf(InstallDir), [] { return Now(); });
}

void MarkSnapshotDue(const SnapshotDueFiles& Files) {
  try {
    WriteConfigString(kSectionCleaner, kKeySnapDate, "NA", Files.ConfigFile);
  } catch (...) {
    // Nothing more to do: the run that failed reports its own failure.
  }
}
