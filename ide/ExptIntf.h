// The IDE's expert interface and the expert services of its core package (stand-in, see IdeApi.h).
//
// An expert is an object of the plug-in that the IDE lists: a menu entry or a repository wizard.
// The plug-in creates it (reference count 1), hands it to the IDE through the core package's
// `TExpertServices.AddExpert`, and takes it back with `RemoveExpert` before it destroys it. The IDE
// never takes a reference of its own. The core package is found by name ("CoreIde70.bpl" for the
// version-7 IDE, "CoreIde60.bpl" for version 6) and its three entries by their exported names.
#pragma once

#include "ide/IdeApi.h"

// The IDE's reference-counted interface base: reference count and version come before the slots of
// every derived interface. No virtual destructor here: it would add slots where it is declared.
class TInterface {
public:
  virtual ULONG IDE_SLOT AddRef() = 0;
  virtual ULONG IDE_SLOT Release() = 0;
  virtual int32_t IDE_SLOT GetVersion() = 0;

protected:
  ~TInterface() = default;
};

// Expert styles (GetStyle) and state flags (GetState).
enum TExpertStyle : uint8_t { esMenu = 0, esRepository = 1 };
enum TExpertStateFlag : uint8_t { esEnabled = 0x01, esChecked = 0x02 };

// The expert interface; the ten slots in the IDE's order. Texts stay valid while the expert lives
// and its fields are unchanged.
class TIExpert : public TInterface {
public:
  virtual const char* IDE_SLOT GetName() = 0;
  virtual const char* IDE_SLOT GetAuthor() = 0;
  virtual const char* IDE_SLOT GetComment() = 0;
  virtual const char* IDE_SLOT GetPage() = 0;
  // A new icon handle, owned by the caller; 0 when the expert has none.
  virtual HICON IDE_SLOT GetGlyph() = 0;
  virtual uint8_t IDE_SLOT GetStyle() = 0;
  virtual uint8_t IDE_SLOT GetState() = 0;
  virtual const char* IDE_SLOT GetIDString() = 0;
  virtual const char* IDE_SLOT GetMenuText() = 0;
  virtual void IDE_SLOT Execute() = 0;

protected:
  ~TIExpert() = default;
};

// ---- The core package's expert services -------------------------------------------------------

// The services object. Plug-ins only pass it back to AddExpert / RemoveExpert; the stand-in core
// package (CoreIde.cpp) also lets its IDE walk the experts it holds, in the order they came.
class TExpertServices {
public:
  virtual int32_t IDE_SLOT ExpertCount() = 0;
  virtual TIExpert* IDE_SLOT Expert(int32_t Index) = 0;

protected:
  ~TExpertServices() = default;
};

// The exported names: the variable that holds the services object, and its two methods.
inline constexpr char kCoreIdeExpertServices[] = "@Exptmain@ExpertServices";
inline constexpr char kCoreIdeAddExpert[] = "@Exptmain@TExpertServices@AddExpert$qqrp17Exptintf@TIExpert";
inline constexpr char kCoreIdeRemoveExpert[] = "@Exptmain@TExpertServices@RemoveExpert$qqrp17Exptintf@TIExpert";

// The two methods take the services object as their object and the expert as their one argument, in
// the IDE's register convention (the first arguments in EAX, EDX, ECX on 32-bit x86).
#if defined(__i386__)
#define IDE_REGISTER __attribute__((regparm(3)))
#else
#define IDE_REGISTER
#endif
typedef void(IDE_REGISTER* TExpertServicesMethod)(TExpertServices* Self, TIExpert* Expert);
