// Exception reporting: the HRESULT mapping, the description handed to handlers, the handler list.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysDateTime.h"
#include "classlib/TypInfo.h"
#include "nx/NxExceptions.h"

namespace {
class TTestShellObject : public TComponent {
  VD_CLASS(TTestShellObject, TComponent);

public:
  using TComponent::TComponent;
};
VD_DEFINE_CLASS(TTestShellObject) {}
VD_DECLARE_EXCEPTION(EMyAbort, EAbort);

// A registered handler running a lambda; freeing it unregisters it.
struct Hook {
  std::function<void(TNxExceptionHandler&)> Body;
  TObjectPtr<TNxExceptionHandler> Handler{TNxExceptionHandler::Create()};
  int Calls = 0;
  explicit Hook(std::function<void(TNxExceptionHandler&)> body = nullptr) : Body(std::move(body)) {
    Handler->OnException = MakeEvent<&Hook::Fired>(this);
    ExceptionCentral()->AddHandler(Handler.get());
  }
  void Fired(TObject* Sender) {
    ++Calls;
    EXPECT_EQ(Sender, Handler.get());
    if (Body) Body(*Handler);
  }
};

// What a handler sees of one report.
struct Seen {
  HRESULT Result;
  std::vector<std::string> Names, Values;
  std::string MessageText, InfoClass;
};
Seen Report(TObject* Sender, const Exception& E, void* Addr = nullptr) {
  Seen seen;
  Hook hook([&](TNxExceptionHandler& h) {
    for (int i = 0; i < h.Info->Names()->Count(); ++i) {
      seen.Names.push_back(h.Info->Names()->Strings(i));
      seen.Values.push_back(h.Info->Values()->Strings(i));
    }
    seen.MessageText = h.Info->MessageText;
    seen.InfoClass = h.Info->ClassName();
    EXPECT_EQ(h.Info->Sender(), Sender);
  });
  seen.Result = HandleSafeCallException(Sender, E, Addr);
  EXPECT_EQ(hook.Calls, 1);
  return seen;
}

using Strings = std::vector<std::string>;
void SomeFunctionInTheExe() {}
}  // namespace

TEST(ExceptionDetails, PerKindOfSender) {
  TObjectPtr<TComponent> owner(TComponent::Create(nullptr));
  owner->SetName("DataModule1");
  auto* ext = TTestShellObject::Create(owner.get());
  ext->SetName("ScriptInfoExt");
  std::string before = DateTimeToStr(Now());
  Seen seen = Report(ext, Exception("boom"));
  std::string after = DateTimeToStr(Now());
  EXPECT_EQ(seen.Result, E_FAIL);
  EXPECT_EQ(seen.InfoClass, "TNxCustomExceptionInfo");
  ASSERT_EQ(seen.Names, (Strings{"Date/time", "Class", "Name", "Owner name"}));
  EXPECT_TRUE(seen.Values[0] == before || seen.Values[0] == after) << seen.Values[0];
  EXPECT_EQ(Strings(seen.Values.begin() + 1, seen.Values.end()), (Strings{"TTestShellObject", "ScriptInfoExt", "DataModule1"}));

  EXPECT_EQ(Report(owner.get(), Exception("x")).Values.back(), "nil");
  TObjectPtr<TStringList> notComponent(TStringList::Create());
  EXPECT_EQ(Report(notComponent.get(), Exception("x")).Names, Strings{"Date/time"});
  EXPECT_EQ(Report(nullptr, Exception("x")).Names, Strings{"Date/time"});
}

TEST(ExceptionDetails, OleErrorsAddTheirSignedCodeAndStillMapToFail) {
  Seen seen = Report(nullptr, EOleSysError("no such interface", E_NOINTERFACE));
  EXPECT_EQ(seen.Result, E_FAIL);
  EXPECT_EQ(seen.InfoClass, "TNxOleSysExceptionInfo");
  EXPECT_EQ(seen.Names.back() + "=" + seen.Values.back(), "OleExceptionCode=-2147467262");
  seen = Report(nullptr, EOleException("server said no", E_FAIL, "Src", "", 0));
  EXPECT_EQ(seen.InfoClass, "TNxOleSysExceptionInfo");
  EXPECT_EQ(seen.Values.back(), "-2147467259");
}

TEST(ExceptionMessage, ModuleRelativeAddressFullStopAndCut) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string exe = ExtractFileName(path);
  void* addr = reinterpret_cast<void*>(&SomeFunctionInTheExe);
  const std::string head = "Exception EConvertError in module " + exe + " at " +
                           IntToHex(UINT_PTR(addr) - UINT_PTR(GetModuleHandleA(nullptr)), 2 * sizeof(void*)) + ".\r\n";
  EXPECT_EQ(Report(nullptr, EConvertError("bad value"), addr).MessageText, head + "bad value.\r\n");
  EXPECT_EQ(Report(nullptr, EConvertError("has one."), addr).MessageText, head + "has one.\r\n");
  EXPECT_EQ(Report(nullptr, EConvertError(""), addr).MessageText, head + "\r\n");

  // By default the catching code stands for the raise address: this program.
  std::string text = Report(nullptr, Exception(std::string(1000, 'm'))).MessageText;
  EXPECT_EQ(text.size(), 259u);
  EXPECT_EQ(text.rfind("Exception Exception in module " + exe + " at ", 0), 0u);
  std::string module;
  UINT_PTR rel;
  std::vector<char> heap(16);
  EXPECT_FALSE(nx_detail::ModuleOfAddress(heap.data(), module, rel));
}

TEST(ExceptionReport, AbortIsSilentAndEverythingMapsToFailWithoutHandlers) {
  EXPECT_EQ(ExceptionCentral()->HandlerCount(), 0);
  EXPECT_EQ(HandleSafeCallException(nullptr, Exception("x")), E_FAIL);
  Hook hook([](TNxExceptionHandler& h) { h.Info->ResultCode = E_NOTIMPL; });
  EXPECT_EQ(HandleSafeCallException(nullptr, EAbort("")), E_FAIL);
  EXPECT_EQ(HandleSafeCallException(nullptr, EMyAbort("")), E_FAIL);
  EXPECT_EQ(hook.Calls, 0);
}

TEST(ExceptionReport, HandlersInOrderMayChangeTheCodeAndFailingOnesAreSkippedLater) {
  std::vector<int> order;
  Hook first([&](TNxExceptionHandler& h) {
    order.push_back(1);
    h.Info->ResultCode = E_NOTIMPL;
  });
  Hook bad([](TNxExceptionHandler&) { throw std::runtime_error("handler bug"); });
  Hook odd([](TNxExceptionHandler&) { throw 42; });
  Hook last([&](TNxExceptionHandler& h) {
    order.push_back(4);
    EXPECT_EQ(h.Info->ResultCode, E_NOTIMPL);
  });
  EXPECT_EQ(HandleSafeCallException(nullptr, Exception("x")), E_NOTIMPL);
  EXPECT_EQ(HandleSafeCallException(nullptr, Exception("y")), E_NOTIMPL);
  EXPECT_EQ(order, (std::vector<int>{1, 4, 1, 4}));
  EXPECT_EQ(bad.Calls + odd.Calls, 2) << "each failing handler was called once";
  EXPECT_TRUE(ExceptionCentral()->IsFailedHandler(bad.Handler.get()));
  EXPECT_FALSE(ExceptionCentral()->IsFailedHandler(first.Handler.get()));
  EXPECT_EQ(first.Handler->Info, nullptr) << "Info is set only during the call";
}

TEST(ExceptionReport, HandlersFreedDuringAReportAreNeitherSkippedOverNorCalled) {
  auto ran = std::make_unique<Hook>();
  std::unique_ptr<Hook> pending;
  Hook remover([&](TNxExceptionHandler&) {
    ran.reset();      // already called
    pending.reset();  // still to come
  });
  pending = std::make_unique<Hook>();
  Hook tail;
  const int count = ExceptionCentral()->HandlerCount();
  HandleSafeCallException(nullptr, Exception("x"));
  EXPECT_EQ(tail.Calls, 1);
  EXPECT_EQ(ExceptionCentral()->HandlerCount(), count - 2);
}

TEST(ExceptionReport, SafeCallAndConcurrentReports) {
  TObjectPtr<TComponent> sender(TComponent::Create(nullptr));
  std::atomic<int> reports{0};
  Hook counter([&](TNxExceptionHandler& h) {
    ++reports;
    EXPECT_EQ(h.Info->Sender(), sender.get());
  });
  Hook flaky([](TNxExceptionHandler&) { throw std::runtime_error("once"); });
  EXPECT_EQ(NxSafeCall(sender.get(), [] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(NxSafeCall(sender.get(), []() -> HRESULT { throw std::runtime_error("stl"); }), E_FAIL);
  EXPECT_EQ(NxSafeCall(sender.get(), []() -> HRESULT { throw 7; }), E_FAIL);
  EXPECT_EQ(reports, 0) << "only Exception descendants are reported";
  std::atomic<int> fails{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i)
        fails += NxSafeCall(sender.get(), []() -> HRESULT { throw EConvertError("t"); }) == E_FAIL;
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(fails, 1600);
  EXPECT_EQ(reports, 1600);
  EXPECT_EQ(flaky.Calls, 1);
}
