// Plug-in side helpers for the IDE's boundary (IdeApi.h): the reference count that the IDE's
// interfaces bring, and the guard that keeps exceptions on this side of a slot.
#pragma once

#include <windows.h>

#include <exception>

#include "classlib/SysUtils.h"
#include "ide/ExptIntf.h"

// Version number every interface of the stand-in IDE reports.
inline constexpr int32_t kIdeInterfaceVersion = 3;

// Runs Body and reports what it raises to the IDE (IdeHandleException); true when nothing was
// raised. EAbort stops silently. The one way a slot, an export or a window procedure of a plug-in
// ends an exception.
template <class F> bool CallGuarded(F&& Body) noexcept {
  try {
    Body();
    return true;
  } catch (const EAbort&) {
  } catch (const Exception& E) {
    IdeHandleException(E.ClassName(), E.Message().c_str());
  } catch (const std::exception& E) {
    IdeHandleException("Exception", E.what());
  } catch (...) {
    IdeHandleException("Exception", "Unknown exception");
  }
  return false;
}

// The IDE's reference count for an implementation of interface Intf (TInterface based). Made with
// one reference; the last Release runs LastReleased while the object is whole, then destroys it.
// Virtual members declared here and below follow the interface's slots in the table.
template <class Intf> class TIdeInterfaced : public Intf {
public:
  ULONG IDE_SLOT AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }
  ULONG IDE_SLOT Release() override {
    const LONG Count = InterlockedDecrement(&FRefCount);
    if (Count == 0) {
      CallGuarded([this] { LastReleased(); });
      delete this;
    }
    return static_cast<ULONG>(Count);
  }
  int32_t IDE_SLOT GetVersion() override { return kIdeInterfaceVersion; }

protected:
  TIdeInterfaced() = default;
  virtual ~TIdeInterfaced() = default;
  // Runs before any destructor, when the count reaches 0.
  virtual void LastReleased() {}

private:
  TIdeInterfaced(const TIdeInterfaced&) = delete;
  TIdeInterfaced& operator=(const TIdeInterfaced&) = delete;
  volatile LONG FRefCount = 1;
};
