#include "vd32/Snapshot.h"

#include "classlib/SysParams.h"
#include "classlib/SysUtils.h"
#include "vd32/Functions.h"
#include "vd32/SnapshotDue.h"

namespace {
constexpr char kSnapshotTempName[] = "VDSysSnap.tmp";
constexpr size_t kWriteChunk = 64 * 1024;
}  // namespace

bool HasServiceSwitch(const std::string& CommandLine) {
  return SameText(Trim(ParamStr(CommandLine, 1)), "/SVC");
}

std::vector<std::string> SnapshotDriveRoots() {
  std::vector<std::string> roots;
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((drives & (1u << i)) == 0) continue;
    std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
    UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_FIXED || type == DRIVE_CDROM) roots.push_back(root);
  }
  return roots;
}

SnapshotFileWriter::SnapshotFileWriter(const std::string& DataFolder)
    : tempPath_(IncludeTrailingBackslash(DataFolder) + kSnapshotTempName),
      finalPath_(IncludeTrailingBackslash(DataFolder) + kSnapshotFileName),
      file_(CreateFileA(tempPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
  if (!file_) RaiseLastOSError();
  buffer_.reserve(kWriteChunk + MAX_PATH + 2);
}

SnapshotFileWriter::~SnapshotFileWriter() {
  if (committed_) return;
  file_.reset();
  DeleteFileA(tempPath_.c_str());
}

void SnapshotFileWriter::Add(const std::string& Line) {
  buffer_ += Line;
  buffer_ += "\r\n";
  if (buffer_.size() >= kWriteChunk) Flush();
}

void SnapshotFileWriter::Flush() {
  for (size_t done = 0; done < buffer_.size();) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), buffer_.data() + done, static_cast<DWORD>(buffer_.size() - done), &written,
                   nullptr) ||
        written == 0)
      RaiseLastOSError();
    done += written;
  }
  buffer_.clear();
}

void SnapshotFileWriter::Commit() {
  Flush();
  if (!FlushFileBuffers(file_.get()) || !CloseHandle(file_.release())) RaiseLastOSError();
  if (!MoveFileExA(tempPath_.c_str(), finalPath_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    RaiseLastOSError();
  committed_ = true;
}

void TakeSnapshotIfDue(const SnapshotRun& Run) {
  const SnapshotDueFiles files = SnapshotDueFilesOf(Run.InstallDir);
  if (!IsSnapshotDue(files, Run.Clock)) return;
  std::string dataFolder = IncludeTrailingBackslash(Run.InstallDir) + kDataFolder;
  if (!DirectoryExists(dataFolder)) return;  // nowhere to put it: no walk
  try {
    SnapshotFileWriter writer(dataFolder);
    for (const std::string& root : Run.DriveRoots()) CollectFolders(root, writer);
    writer.Commit();
  } catch (...) {
    // The old snapshot stays, but the time just recorded must not make it look fresh.
    MarkSnapshotDue(files);
    throw;
  }
}

int RunVD32(const std::string& CommandLine) {
  if (!HasServiceSwitch(CommandLine)) return 0;
  std::string installDir;
  if (!TryGetInstallDir(installDir)) return 0;
  TakeSnapshotIfDue({installDir, [] { return Now(); }, SnapshotDriveRoots});
  return 0;
}
