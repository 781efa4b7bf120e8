// Turns an exception caught in a shell object's COM method into the HRESULT the method returns,
// and lets registered handlers look at (and change) a description of it on the way.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/ComObj.h"
#include "classlib/SysUtils.h"

// The description of one caught exception; lives for one HandleSafeCallException call.
class TNxCustomExceptionInfo : public TObject {
  VD_CLASS(TNxCustomExceptionInfo, TObject);

public:
  // Stores the three, ResultCode E_FAIL; AfterConstruction then fills MessageText and the details
  // through the virtual operations, so overrides run.
  TNxCustomExceptionInfo(TObject* Sender, const Exception* ExceptObject, void* ExceptAddr);
  ~TNxCustomExceptionInfo() override;
  void AfterConstruction() override;

  void* ExceptAddr() const { return FExceptAddr; }
  const Exception* ExceptObject() const { return FExceptObject; }  // not owned
  TObject* Sender() const { return FSender; }                     // not owned
  // Detail names and values, parallel lists in the order added.
  TStringList* Names() const { return FNames.get(); }
  TStringList* Values() const { return FValues.get(); }
  // Appends a detail; duplicates are allowed.
  void AddInfo(const std::string& Name, const std::string& Value);

  HRESULT ResultCode = E_FAIL;  // what the COM method returns; handlers may change it
  std::string MessageText;

protected:
  virtual void GetMessageText();
  virtual void CollectInfo();

private:
  void* FExceptAddr;
  const Exception* FExceptObject;
  TObject* FSender;
  TObjectPtr<TStringList> FNames;
  TObjectPtr<TStringList> FValues;
};

// For an EOleSysError or a descendant: adds its error code to the details.
class TNxOleSysExceptionInfo : public TNxCustomExceptionInfo {
  VD_CLASS(TNxOleSysExceptionInfo, TNxCustomExceptionInfo);

public:
  using TNxCustomExceptionInfo::TNxCustomExceptionInfo;
  const EOleSysError* GetOleError() const;

protected:
  void CollectInfo() override;
};

class TNxExceptionInfoFactory : public TObject {
  VD_CLASS(TNxExceptionInfoFactory, TObject);

public:
  TNxExceptionInfoFactory() = default;
  // A TNxOleSysExceptionInfo for an EOleSysError, else a TNxCustomExceptionInfo.
  virtual TObjectPtr<TNxCustomExceptionInfo> CreateInfo(TObject* Sender, const Exception* ExceptObject,
                                                        void* ExceptAddr);
};

class TNxExceptionCentral;

// A report handler: while it is called, Info is the report's description.
class TNxExceptionHandler : public TObject {
  VD_CLASS(TNxExceptionHandler, TObject);

public:
  TNxExceptionHandler() = default;
  // Leaves the central it was added to.
  ~TNxExceptionHandler() override;

  TNxCustomExceptionInfo* Info = nullptr;
  TNotifyEvent OnException;  // Sender: the handler itself

  // Sets Info and calls OnException when it is assigned; nothing otherwise.
  void Call(TNxCustomExceptionInfo* AInfo);

private:
  friend class TNxExceptionCentral;
  TNxExceptionCentral* FCentral = nullptr;
};

class TNxExceptionCentral : public TObject {
  VD_CLASS(TNxExceptionCentral, TObject);

public:
  TNxExceptionCentral();
  ~TNxExceptionCentral() override;

  // Calls every handler that hasn't failed before, in registration order, and returns the
  // ResultCode as the handlers leave it. An abort exception returns at once, telling no handler.
  // A handler that raises is marked failed and never called again; nothing escapes.
  HRESULT Report(TNxCustomExceptionInfo* Info);

  // Handlers are not owned; a handler removes itself when it is freed.
  void AddHandler(TNxExceptionHandler* Handler);
  void RemoveHandler(TNxExceptionHandler* Handler);  // also forgets that it failed
  int HandlerCount() const;

  void AddFailedHandler(TNxExceptionHandler* Handler);
  bool IsFailedHandler(TNxExceptionHandler* Handler) const;

private:
  TObjectPtr<TThreadList> FHandlers;
  TObjectPtr<TThreadList> FFailedHandlers;
};

// The process-wide factory and central, made on first use (exactly once, also when threads
// race) and kept until the module unloads.
TNxExceptionInfoFactory* ExceptionInfoFactory();
TNxExceptionCentral* ExceptionCentral();

// The HRESULT for an exception caught in a method of Sender: E_FAIL unless a handler sets another
// code. ExceptAddr is where it was raised; C++ doesn't record that, so by default the caller's
// code address (the catching method) stands for it. Never throws.
HRESULT HandleSafeCallException(TObject* Sender, const Exception& E, void* ExceptAddr = nullptr) noexcept;

// The body of a COM method: its result, or the mapped HRESULT of an Exception; any other C++
// exception gives E_FAIL without a report. Nothing leaves.
template <class F>
HRESULT NxSafeCall(TObject* Sender, F&& Body) noexcept {
  try {
    return Body();
  } catch (const Exception& E) {
    return HandleSafeCallException(Sender, E);
  } catch (...) {
    return E_FAIL;
  }
}

namespace nx_detail {
// "Exception <class> in module <module> at <address>.\r\n<message>[.]\r\n", cut to 259 characters.
std::string FormatExceptionMessage(const std::string& ClassName, const std::string& ModuleName,
                                   UINT_PTR RelativeAddress, const std::string& Message);
// The base file name of the module holding Address and Address relative to that module's base;
// false when no module holds it.
bool ModuleOfAddress(const void* Address, std::string& ModuleName, UINT_PTR& RelativeAddress);
}  // namespace nx_detail
