// Library-wide tools of the Nx units: the global lock, the shell clipboard formats, the Shell32
// version and entries bound by ordinal, extension normalising and HKEY_CLASSES_ROOT key helpers.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>

// ---- Global lock (recursive for the thread holding it) -----------------------------------------

// Enter / leave the library-wide lock; nothing before the unit started or after its shutdown.
void EnterGlobalLock();
void LeaveGlobalLock();

// Holds the global lock for a scope.
class TNxGlobalLockGuard {
public:
  TNxGlobalLockGuard() { EnterGlobalLock(); }
  ~TNxGlobalLockGuard() { LeaveGlobalLock(); }
  TNxGlobalLockGuard(const TNxGlobalLockGuard&) = delete;
  TNxGlobalLockGuard& operator=(const TNxGlobalLockGuard&) = delete;
};

// ---- Clipboard formats, registered at start-up --------------------------------------------------

enum TNxClipboardFormat : int {
  ncfPrivateFormat,       // "NxCF_PrivateFormat"
  ncfShellIDListArray,    // "Shell IDList Array"
  ncfInShellDragLoop,     // "InShellDragLoop"
  ncfFileContents,        // "FileContents"
  ncfFileGroupDescriptor, // "FileGroupDescriptor"
  ncfPreferredDropEffect, // "Preferred DropEffect"
  ncfPerformedDropEffect, // "Performed DropEffect"
  ncfPasteSucceeded,      // "Paste Succeeded"
  ncfCount
};

const char* NxClipboardFormatName(TNxClipboardFormat Format);
// The registered identifier (0 before start-up could run); identifiers stay valid for the process.
UINT NxClipboardFormat(TNxClipboardFormat Format);

// ---- DLL versions --------------------------------------------------------------------------------

// Major version in the high 16 bits, minor in the low 16 bits (each taken as 16 bits).
constexpr DWORD MakeDllVersion(DWORD Major, DWORD Minor) { return ((Major & 0xFFFFu) << 16) | (Minor & 0xFFFFu); }

// Loads the library, calls its DllGetVersion with a zero-filled record whose size field is set,
// frees the library. False when the library or the export is missing or the call fails.
bool GetDllVersion(const char* FileName, DLLVERSIONINFO& Version);
// MakeDllVersion of the library's version; 0 when it can't be read.
DWORD DllVersionOf(const char* FileName);
// Shell32.dll's version, read once per process and cached; 0 when it can't be read.
DWORD GetShell32Version();

// ---- Shell32 entries bound by ordinal --------------------------------------------------------------

using TSHGetImageList = HRESULT(WINAPI*)(int ImageList, REFIID Iid, void** Object);

// SHGetImageList (ordinal 727) exists from Shell32 6.0 on.
constexpr bool ShouldBindImageList(DWORD Shell32Version) { return Shell32Version >= 0x00060000u; }

class TNxShell32Binding {
public:
  TNxShell32Binding() = default;
  TNxShell32Binding(const TNxShell32Binding&) = delete;
  TNxShell32Binding& operator=(const TNxShell32Binding&) = delete;
  ~TNxShell32Binding() { Unbind(); }

  // Loads the library and looks up ordinal 660, "PathCleanupSpec", ordinal 716 and, when
  // ShouldBindImageList(Version), ordinal 727. Nothing is bound when the library can't be loaded.
  void Bind(const char* LibraryName, DWORD Version) noexcept;
  // Forgets the entries and frees the library when it was loaded.
  void Unbind() noexcept;

  bool Loaded() const { return module_ != nullptr; }
  FARPROC Ordinal660() const { return ordinal660_; }
  FARPROC PathCleanupSpec() const { return pathCleanupSpec_; }
  FARPROC Ordinal716() const { return ordinal716_; }
  TSHGetImageList SHGetImageList() const { return shGetImageList_; }

private:
  HMODULE module_ = nullptr;
  FARPROC ordinal660_ = nullptr;
  FARPROC pathCleanupSpec_ = nullptr;
  FARPROC ordinal716_ = nullptr;
  TSHGetImageList shGetImageList_ = nullptr;
};

// The unit's Shell32 binding. Its SHGetImageList is null on Shell32 below 6.0 (callers then take
// their fallback), before start-up could run and after shutdown.
const TNxShell32Binding& NxShell32();

// ---- Extensions and HKEY_CLASSES_ROOT keys -----------------------------------------------------------

// The text behind the last "." that is not the final character; the text itself when there is
// none: "txt", ".txt", "*.txt", "a.b.txt" -> "txt"; "abc." stays "abc."; "a.b." -> "b.".
std::string GetLastExtension(const std::string& S);

// Root\ExtensionKey = ClassName (when ExtensionKey isn't empty), then Root\ClassName = Description
// (when ClassName isn't empty). Raises EOleRegistrationError when a key can't be written.
void RegisterExtensionClass(const std::string& ExtensionKey, const std::string& ClassName,
                            const std::string& Description, HKEY Root = HKEY_CLASSES_ROOT);

// Deletes Root\Key when it holds neither subkeys nor values (a default value counts). Does
// nothing when Shlwapi isn't bound, for an empty path, or when the key isn't there, isn't empty
// or can't be deleted. Used for parent keys that other handlers may still hold.
void DeleteEmptyRegKey(const std::string& Key, HKEY Root = HKEY_CLASSES_ROOT);
// DeleteEmptyRegKey for a non-empty path; an empty one does nothing.
void DeleteRegKeyIfNamed(const std::string& Key, HKEY Root = HKEY_CLASSES_ROOT);

class TNxShlwapiBinding;
namespace nx_detail {
// DeleteEmptyRegKey against a given Shlwapi binding.
void DeleteEmptyRegKeyWith(const TNxShlwapiBinding& Shlwapi, const std::string& Key, HKEY Root);
}  // namespace nx_detail

// ---- Unit start-up and shutdown ------------------------------------------------------------------

// Start-up: the global lock, the clipboard formats, Shell32. Shutdown: the lock, Shell32.
void NxToolsInitialize();
void NxToolsFinalize();
