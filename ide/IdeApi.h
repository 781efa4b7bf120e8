// The stand-in for the RAD IDE's design-time interface: ide-design.dll, the package that the IDE
// (ide-host.exe, or a test program) sets up and that the component wizard's plug-ins import. It is
// our own small replacement, not compatible with any real IDE, and offers exactly what the wizard
// calls: the IDE's tool services and global services, the exception report of the IDE, and the
// registration of property and component editors.
//
// The boundary is C-like: every export and every interface slot is __stdcall, texts are ANSI
// `const char*`, and no C++ exception, std::string or class-library object crosses it. A text that
// a slot returns stays valid until the next call on the same object (or its release). A slot that
// fails hands its exception to IdeHandleException and returns its failure value (nullptr, false).
//
//   ExptIntf.h    the expert interface and the expert services of the IDE's core package
//   ToolIntf.h    module creation, the tool services and the IDE's module and project services
//   DesignIntf.h  property and component editors as the IDE sees them, and their registration
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>

// Slots of the IDE's interfaces and the package's exports (arguments on the stack).
#define IDE_SLOT __stdcall

#ifdef IDE_DESIGN_BUILDING
#define IDE_API extern "C" __declspec(dllexport)
#else
#define IDE_API extern "C" __declspec(dllimport)
#endif

class TIToolServices;
class IIdePropertyEditor;
class IIdeComponentEditor;
class IIdeDesigner;

// ---- The IDE's exception report ---------------------------------------------------------------

// A plug-in hands over an exception it caught at the boundary; the IDE reports it (the stand-in
// keeps the last one for its host). EAbort is never handed over.
IDE_API void IDE_SLOT IdeHandleException(const char* ClassName, const char* Message);
// The message of the last exception handed over since IdeClearException, nullptr when none.
IDE_API const char* IDE_SLOT IdeLastException();
IDE_API void IDE_SLOT IdeClearException();

// ---- Globals of the IDE, set up by the host ---------------------------------------------------

// The tool services (project name, open-file test, module creation); nil until the host sets them.
IDE_API TIToolServices* IDE_SLOT IdeToolServices();
IDE_API void IDE_SLOT IdeSetToolServices(TIToolServices* Services);
// The IDE's global services object, queried for the module and IDE services (ToolIntf.h); nil
// until the host sets it. Not counted: the host keeps it alive while it is set.
IDE_API IUnknown* IDE_SLOT IdeBorlandIDEServices();
IDE_API void IDE_SLOT IdeSetBorlandIDEServices(IUnknown* Services);

// ---- Editor registrations ---------------------------------------------------------------------

enum TIdeRegistrationKind : int32_t { irkPropertyEditor = 0, irkComponentEditor = 1 };

// Creates an editor for components of the registering plug-in (opaque to the IDE: pointers that the
// plug-in handed out, TPersistent* on its side). FactoryData is what the plug-in registered with it.
typedef IIdePropertyEditor*(IDE_SLOT* TIdePropertyEditorFactory)(void* FactoryData, IIdeDesigner* Designer,
                                                                  void* const* Components, int32_t Count,
                                                                  const char* PropertyName);
typedef IIdeComponentEditor*(IDE_SLOT* TIdeComponentEditorFactory)(void* FactoryData, IIdeDesigner* Designer,
                                                                    void* Component);

// Registers a property editor for the properties of type PropertyType (type name, e.g. "TStrings"),
// of ComponentClass (class name; "" for any class) and named PropertyName ("" for any name).
IDE_API void IDE_SLOT IdeRegisterPropertyEditor(const char* PropertyType, const char* ComponentClass,
                                                const char* PropertyName, const char* EditorClass,
                                                TIdePropertyEditorFactory Factory, void* FactoryData);
IDE_API void IDE_SLOT IdeRegisterComponentEditor(const char* ComponentClass, const char* EditorClass,
                                                 TIdeComponentEditorFactory Factory, void* FactoryData);

// One registration, as recorded. Texts stay valid until the registrations change. Module is the
// library whose code the factory is (the registrations go with it, IdeUnloadLibrary).
struct TIdeEditorRegistration {
  TIdeRegistrationKind Kind;
  const char* PropertyType;    // "" for component editors
  const char* ComponentClass;
  const char* PropertyName;    // "" for component editors
  const char* EditorClass;
  void* Factory;               // TIdePropertyEditorFactory or TIdeComponentEditorFactory
  void* FactoryData;
  HMODULE Module;
};

IDE_API int32_t IDE_SLOT IdeEditorRegistrationCount();
// Row Index (0-based, in registration order); false when out of range.
IDE_API BOOL IDE_SLOT IdeEditorRegistration(int32_t Index, TIdeEditorRegistration* Row);
// Unloads a plug-in as the IDE does: its editor registrations are dropped, then the library is freed
// (its unit shutdown removes its experts from the core package).
IDE_API BOOL IDE_SLOT IdeUnloadLibrary(HMODULE Library);
