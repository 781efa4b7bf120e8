// Owners for the Win32 handles the modules open and must close on every way out.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, typename Traits>
class ScopedHandle {
public:
  ScopedHandle() noexcept = default;
  explicit ScopedHandle(Handle h) noexcept : h_(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  ScopedHandle& operator=(ScopedHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::Invalid()));
    return *this;
  }
  ~ScopedHandle() { reset(); }

  Handle get() const noexcept { return h_; }
  bool valid() const noexcept { return h_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }
  // For out-parameters of the Win32 calls that open the handle.
  Handle* receive() noexcept {
    reset();
    return &h_;
  }
  Handle release() noexcept { return std::exchange(h_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) noexcept {
    if (valid()) Traits::Close(h_);
    h_ = h;
  }

private:
  Handle h_ = Traits::Invalid();
};

struct FindHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { FindClose(h); }
};
struct FileHandleTraits {  // CreateFile, CreateToolhelp32Snapshot
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
struct KernelHandleTraits {  // events, processes, threads: NULL when absent
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY h) noexcept { RegCloseKey(h); }
};
struct LibraryTraits {
  static HMODULE Invalid() noexcept { return nullptr; }
  static void Close(HMODULE h) noexcept { FreeLibrary(h); }
};
struct IconTraits {  // icons and cursors a program made (CreateIcon*, CopyIcon, LoadImage from files)
  static HICON Invalid() noexcept { return nullptr; }
  static void Close(HICON h) noexcept { DestroyIcon(h); }
};

using ScopedFindHandle = ScopedHandle<HANDLE, FindHandleTraits>;
using ScopedFileHandle = ScopedHandle<HANDLE, FileHandleTraits>;
using ScopedKernelHandle = ScopedHandle<HANDLE, KernelHandleTraits>;
using ScopedRegKey = ScopedHandle<HKEY, RegKeyTraits>;
using ScopedLibrary = ScopedHandle<HMODULE, LibraryTraits>;
using ScopedIcon = ScopedHandle<HICON, IconTraits>;
