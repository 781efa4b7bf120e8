// The product's shared helpers: registry reader, install directory, VDConfig.dat access, file size.
#pragma once

#include <windows.h>

#include <string>

// The main program's App Paths entry; its default value is the full path of Veldrane.exe.
inline constexpr char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Veldrane.exe";
inline constexpr char kDataFolder[] = "Data\\";
inline constexpr char kConfigFileName[] = "VDConfig.dat";
inline constexpr char kSnapshotFileName[] = "VDSysSnap.dat";

// Sections and keys of VDConfig.dat.
inline constexpr char kSectionCleaner[] = "CLEANER";
inline constexpr char kKeySnapDate[] = "vdSnapDate";
inline constexpr char kSectionGeneral[] = "GENERAL";
inline constexpr char kKeyMainWindow[] = "WND";
inline constexpr char kSectionExtensions[] = "Extensions";

// A registry value as text; Default when the key cannot be opened (read-only), the value cannot be
// read or is not a string. String data is cut at its first NUL. Never raises.
std::string RegReadString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                          const std::string& Default);

// The install-directory rule for a path of Veldrane.exe: its directory with one trailing backslash
// ("" gives "\").
std::string InstallDirOf(const std::string& ExePath);
// The install directory from the App Paths entry, or "\" when the value cannot be read.
std::string GetInstallDir();
// Like GetInstallDir, but false when the product is not installed: the value is missing or empty, or
// does not name a drive or UNC folder (it would resolve against the current drive's root).
bool TryGetInstallDir(std::string& InstallDir);

// <InstallDir>Data\VDConfig.dat
std::string ConfigFileOf(const std::string& InstallDir);
// The file the config accessors use: FileName itself unless it is empty once trimmed of blanks and
// control characters, then the default file below the install directory.
std::string ChooseConfigFile(const std::string& FileName);

// One key of the configuration file, opened anew for every call. Raises EIniFileException when the
// write fails.
void WriteConfigString(const std::string& Section, const std::string& Ident, const std::string& Value,
                       const std::string& FileName = std::string());
// '' when the file, section or key is missing; values longer than 2047 characters come back cut.
std::string ReadConfigString(const std::string& Section, const std::string& Ident,
                             const std::string& FileName = std::string());

// The low 32 bits of a file's size; 0 for missing files and folders.
DWORD FileSizeOf(const std::string& FileName);
