// ide-design.dll: the stand-in for the IDE's design-time package (see IdeApi.h). It holds the IDE's
// globals that the host sets up, the last exception a plug-in handed over, and the editor
// registrations with the library each one came from.
#define IDE_DESIGN_BUILDING
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ide/DesignIntf.h"
#include "ide/ToolIntf.h"

namespace {

struct TRegistration {
  TIdeRegistrationKind Kind;
  std::string PropertyType, ComponentClass, PropertyName, EditorClass;
  void* Factory;
  void* FactoryData;
  HMODULE Module;
};

// The lock of the state: a critical section made and deleted with the library's statics (a
// std::mutex would leave its lazily made lock behind at every unload).
class TStateLock {
public:
  TStateLock() noexcept { InitializeCriticalSection(&FSection); }
  ~TStateLock() { DeleteCriticalSection(&FSection); }
  TStateLock(const TStateLock&) = delete;
  TStateLock& operator=(const TStateLock&) = delete;
  void lock() noexcept { EnterCriticalSection(&FSection); }
  void unlock() noexcept { LeaveCriticalSection(&FSection); }

private:
  CRITICAL_SECTION FSection;
} g_StateLock;

// Made on first use, freed on a real unload (never at process exit, when the host's objects may be
// gone already; the process takes the memory back then).
struct TDesignState {
  TIToolServices* ToolServices = nullptr;
  IUnknown* IDEServices = nullptr;
  bool HasException = false;
  std::string LastException;
  std::vector<std::unique_ptr<TRegistration>> Registrations;  // rows never move: their texts are handed out
};

TDesignState* g_State = nullptr;

TDesignState& State() {
  std::lock_guard<TStateLock> Guard(g_StateLock);
  if (!g_State) g_State = new TDesignState;
  return *g_State;
}

std::string Text(const char* S) { return S ? S : ""; }

// The library that holds Code, without taking a reference on it.
HMODULE ModuleOf(const void* Code) {
  HMODULE Module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCSTR>(Code), &Module);
  return Module;
}

void AddRegistration(TRegistration Row) {
  TDesignState& S = State();
  std::lock_guard<TStateLock> Guard(g_StateLock);
  S.Registrations.push_back(std::make_unique<TRegistration>(std::move(Row)));
}

}  // namespace

// ---- Exception report -------------------------------------------------------------------------

IDE_API void IDE_SLOT IdeHandleException(const char* ClassName, const char* Message) {
  try {
    TDesignState& S = State();
    std::lock_guard<TStateLock> Guard(g_StateLock);
    S.HasException = true;
    S.LastException = Text(Message);
    OutputDebugStringA(("ide: " + Text(ClassName) + ": " + S.LastException + "\n").c_str());
  } catch (...) {
  }
}

IDE_API const char* IDE_SLOT IdeLastException() {
  TDesignState& S = State();
  std::lock_guard<TStateLock> Guard(g_StateLock);
  return S.HasException ? S.LastException.c_str() : nullptr;
}

IDE_API void IDE_SLOT IdeClearException() {
  TDesignState& S = State();
  std::lock_guard<TStateLock> Guard(g_StateLock);
  S.HasException = false;
  S.LastException.clear();
}

// ---- Globals ----------------------------------------------------------------------------------

IDE_API TIToolServices* IDE_SLOT IdeToolServices() { return State().ToolServices; }
IDE_API void IDE_SLOT IdeSetToolServices(TIToolServices* Services) { State().ToolServices = Services; }
IDE_API IUnknown* IDE_SLOT IdeBorlandIDEServices() { return State().IDEServices; }
IDE_API void IDE_SLOT IdeSetBorlandIDEServices(IUnknown* Services) { State().IDEServices = Services; }

// ---- Editor registrations ---------------------------------------------------------------------

IDE_API void IDE_SLOT IdeRegisterPropertyEditor(const char* PropertyType, const char* ComponentClass,
                                                const char* PropertyName, const char* EditorClass,
                                                TIdePropertyEditorFactory Factory, void* FactoryData) {
  try {
    AddRegistration({irkPropertyEditor, Text(PropertyType), Text(ComponentClass), Text(PropertyName),
                     Text(EditorClass), reinterpret_cast<void*>(Factory), FactoryData,
                     ModuleOf(reinterpret_cast<const void*>(Factory))});
  } catch (...) {
  }
}

IDE_API void IDE_SLOT IdeRegisterComponentEditor(const char* ComponentClass, const char* EditorClass,
                                                 TIdeComponentEditorFactory Factory, void* FactoryData) {
  try {
    AddRegistration({irkComponentEditor, "", Text(ComponentClass), "", Text(EditorClass),
                     reinterpret_cast<void*>(Factory), FactoryData, ModuleOf(reinterpret_cast<const void*>(Factory))});
  } catch (...) {
  }
}

IDE_API int32_t IDE_SLOT IdeEditorRegistrationCount() {
  TDesignState& S = State();
  std::lock_guard<TStateLock> Guard(g_StateLock);
  return static_cast<int32_t>(S.Registrations.size());
}

IDE_API BOOL IDE_SLOT IdeEditorRegistration(int32_t Index, TIdeEditorRegistration* Row) {
  TDesignState& S = State();
  std::lock_guard<TStateLock> Guard(g_StateLock);
  if (!Row || Index < 0 || static_cast<size_t>(Index) >= S.Registrations.size()) return FALSE;
  const TRegistration& R = *S.Registrations[static_cast<size_t>(Index)];
  *Row = {R.Kind, R.PropertyType.c_str(), R.ComponentClass.c_str(), R.PropertyName.c_str(),
          R.EditorClass.c_str(), R.Factory, R.FactoryData, R.Module};
  return TRUE;
}

IDE_API BOOL IDE_SLOT IdeUnloadLibrary(HMODULE Library) {
  if (!Library) return FALSE;
  {
    TDesignState& S = State();
    std::lock_guard<TStateLock> Guard(g_StateLock);
    std::erase_if(S.Registrations, [Library](const auto& R) { return R->Module == Library; });
  }
  return FreeLibrary(Library);
}

// ---- Library entry ----------------------------------------------------------------------------

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) {
  // Nothing at load but the lock; the state goes on a real unload only.
  if (Reason == DLL_PROCESS_DETACH && Reserved == nullptr) {
    delete g_State;
    g_State = nullptr;
  }
  return TRUE;
}
