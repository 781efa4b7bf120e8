#include "nx/NxExceptions.h"

#include "classlib/ModuleRuntime.h"
#include "classlib/SysDateTime.h"
#include "classlib/TypInfo.h"

#include <vector>

// ---- Message text -------------------------------------------------------------------------------

namespace {
constexpr size_t kMessageBufferChars = 260;  // terminator included
}  // namespace

std::string nx_detail::FormatExceptionMessage(const std::string& ClassName, const std::string& ModuleName,
                                              UINT_PTR RelativeAddress, const std::string& Message) {
  std::string text = "Exception " + ClassName + " in module " + ModuleName + " at " +
                     IntToHex(RelativeAddress, static_cast<int>(sizeof(void*) * 2)) + ".\r\n" + Message;
  if (!Message.empty() && Message.back() != '.') text += '.';
  text += "\r\n";
  if (text.size() > kMessageBufferChars - 1) text.resize(kMessageBufferChars - 1);
  return text;
}

bool nx_detail::ModuleOfAddress(const void* Address, std::string& ModuleName, UINT_PTR& RelativeAddress) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(Address), &module))
    return false;
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  ModuleName = ExtractFileName(std::string(path, n));
  RelativeAddress = reinterpret_cast<UINT_PTR>(Address) - reinterpret_cast<UINT_PTR>(module);
  return true;
}

// ---- TNxCustomExceptionInfo ---------------------------------------------------------------------

VD_DEFINE_CLASS(TNxCustomExceptionInfo) {}

TNxCustomExceptionInfo::TNxCustomExceptionInfo(TObject* Sender, const Exception* ExceptObject, void* ExceptAddr)
    : FExceptAddr(ExceptAddr), FExceptObject(ExceptObject), FSender(Sender) {
  FNames.reset(TStringList::Create());
  FValues.reset(TStringList::Create());
}

TNxCustomExceptionInfo::~TNxCustomExceptionInfo() = default;

void TNxCustomExceptionInfo::AfterConstruction() {
  inherited::AfterConstruction();
  GetMessageText();
  CollectInfo();
}

void TNxCustomExceptionInfo::AddInfo(const std::string& Name, const std::string& Value) {
  FNames->Add(Name);
  FValues->Add(Value);
}

void TNxCustomExceptionInfo::GetMessageText() {
  std::string module;
  UINT_PTR relative = 0;
  // An address outside every module is shown as it is, under this library's name.
  if (!nx_detail::ModuleOfAddress(FExceptAddr, module, relative)) {
    UINT_PTR ignored;
    nx_detail::ModuleOfAddress(reinterpret_cast<const void*>(&HandleSafeCallException), module, ignored);
    relative = reinterpret_cast<UINT_PTR>(FExceptAddr);
  }
  MessageText = nx_detail::FormatExceptionMessage(FExceptObject ? FExceptObject->ClassName() : "", module,
                                                  relative, FExceptObject ? FExceptObject->Message() : "");
}

void TNxCustomExceptionInfo::CollectInfo() {
  AddInfo("Date/time", DateTimeToStr(Now()));
  if (auto* component = dynamic_cast<TComponent*>(FSender)) {
    AddInfo("Class", component->ClassName());
    AddInfo("Name", component->Name());
    AddInfo("Owner name", component->Owner() ? component->Owner()->Name() : "nil");
  }
}

// ---- TNxOleSysExceptionInfo ---------------------------------------------------------------------

VD_DEFINE_CLASS(TNxOleSysExceptionInfo) {}

const EOleSysError* TNxOleSysExceptionInfo::GetOleError() const {
  return dynamic_cast<const EOleSysError*>(ExceptObject());
}

void TNxOleSysExceptionInfo::CollectInfo() {
  inherited::CollectInfo();
  if (const EOleSysError* error = GetOleError()) AddInfo("OleExceptionCode", IntToStr(error->ErrorCode));
}

// ---- TNxExceptionInfoFactory --------------------------------------------------------------------

VD_DEFINE_CLASS(TNxExceptionInfoFactory) {}

TObjectPtr<TNxCustomExceptionInfo> TNxExceptionInfoFactory::CreateInfo(TObject* Sender, const Exception* ExceptObject,
                                                                      void* ExceptAddr) {
  if (dynamic_cast<const EOleSysError*>(ExceptObject) != nullptr)
    return TObjectPtr<TNxCustomExceptionInfo>(TNxOleSysExceptionInfo::Create(Sender, ExceptObject, ExceptAddr));
  return TObjectPtr<TNxCustomExceptionInfo>(TNxCustomExceptionInfo::Create(Sender, ExceptObject, ExceptAddr));
}

// ---- TNxExceptionHandler ------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxExceptionHandler) {}

TNxExceptionHandler::~TNxExceptionHandler() {
  if (FCentral != nullptr) FCentral->RemoveHandler(this);
}

void TNxExceptionHandler::Call(TNxCustomExceptionInfo* AInfo) {
  if (!OnException) return;
  // Info is only valid during the call: the description goes when the report ends.
  struct TResetInfo {
    TNxCustomExceptionInfo*& Info;
    ~TResetInfo() { Info = nullptr; }
  } reset{Info};
  Info = AInfo;
  OnException(this);
}

// ---- TNxExceptionCentral ------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxExceptionCentral) {}

TNxExceptionCentral::TNxExceptionCentral()
    : FHandlers(TThreadList::Create()), FFailedHandlers(TThreadList::Create()) {}

TNxExceptionCentral::~TNxExceptionCentral() {
  TLockedList handlers(*FHandlers);
  for (int i = 0; i < handlers->Count(); ++i) static_cast<TNxExceptionHandler*>(handlers->Get(i))->FCentral = nullptr;
}

HRESULT TNxExceptionCentral::Report(TNxCustomExceptionInfo* Info) {
  if (Info == nullptr) return E_FAIL;
  if (dynamic_cast<const EAbort*>(Info->ExceptObject()) != nullptr) return Info->ResultCode;
  TLockedList handlers(*FHandlers);
  // The handlers present when the report starts, each called only while it is still registered:
  // a handler may add or remove handlers on this thread (the lock is recursive).
  const std::vector<void*> snapshot(handlers->List(), handlers->List() + handlers->Count());
  for (void* item : snapshot) {
    auto* handler = static_cast<TNxExceptionHandler*>(item);
    if (handlers->IndexOf(item) < 0 || IsFailedHandler(handler)) continue;
    try {
      handler->Call(Info);
    } catch (...) {
      AddFailedHandler(handler);
    }
  }
  return Info->ResultCode;
}

void TNxExceptionCentral::AddHandler(TNxExceptionHandler* Handler) {
  if (Handler == nullptr) return;
  if (Handler->FCentral != nullptr && Handler->FCentral != this) Handler->FCentral->RemoveHandler(Handler);
  TLockedList handlers(*FHandlers);
  if (handlers->IndexOf(Handler) < 0) handlers->Add(Handler);
  Handler->FCentral = this;
}

void TNxExceptionCentral::RemoveHandler(TNxExceptionHandler* Handler) {
  if (Handler == nullptr) return;
  TLockedList handlers(*FHandlers);
  handlers->Remove(Handler);
  FFailedHandlers->Remove(Handler);
  if (Handler->FCentral == this) Handler->FCentral = nullptr;
}

int TNxExceptionCentral::HandlerCount() const {
  TLockedList handlers(*FHandlers);
  return handlers->Count();
}

void TNxExceptionCentral::AddFailedHandler(TNxExceptionHandler* Handler) {
  TLockedList failed(*FFailedHandlers);
  if (failed->IndexOf(Handler) < 0) failed->Add(Handler);
}

bool TNxExceptionCentral::IsFailedHandler(TNxExceptionHandler* Handler) const {
  TLockedList failed(*FFailedHandlers);
  return failed->IndexOf(Handler) >= 0;
}

// ---- Singletons and the mapping ---------------------------------------------------------------------

// Made once (function-local statics are thread-safe) and kept until the module goes.
TNxExceptionInfoFactory* ExceptionInfoFactory() {
  static TNxExceptionInfoFactory* const factory = [] {
    AtModuleRelease([] { ExceptionInfoFactory()->Free(); });
    return TNxExceptionInfoFactory::Create();
  }();
  return factory;
}

TNxExceptionCentral* ExceptionCentral() {
  static TNxExceptionCentral* const central = [] {
    AtModuleRelease([] { ExceptionCentral()->Free(); });
    return TNxExceptionCentral::Create();
  }();
  return central;
}

// Out of line, so that the return address lies in the method that caught the exception.
HRESULT HandleSafeCallException(TObject* Sender, const Exception& E, void* ExceptAddr) noexcept {
  if (ExceptAddr == nullptr) ExceptAddr = __builtin_return_address(0);
  try {
    TObjectPtr<TNxCustomExceptionInfo> info = ExceptionInfoFactory()->CreateInfo(Sender, &E, ExceptAddr);
    return info ? ExceptionCentral()->Report(info.get()) : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}
