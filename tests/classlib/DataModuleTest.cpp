// TDataModule streamed from the RCDATA descriptions built into this program: base description
// first, Loaded once after all, OnCreate / the descendant's hook / OnDestroy in the order
// OldCreateOrder gives, failures in the description or in OnCreate, references into a module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/DataModule.h"

namespace {

std::vector<std::string> Log;
int LiveModules = 0;

class TTestPart : public TComponent {
  VD_CLASS(TTestPart, TComponent);

public:
  explicit TTestPart(TComponent* AOwner) : TComponent(AOwner) {}
  std::string FText;
  TComponent* FLink = nullptr;

protected:
  void Loaded() override {
    inherited::Loaded();
    Log.push_back("Loaded " + Name() + (FLink ? " -> " + FLink->Name() : ""));
  }
};
VD_DEFINE_CLASS(TTestPart) {
  C.Property("Text", &TTestPart::FText, &TTestPart::FText);
  C.Property("Link", &TTestPart::FLink, &TTestPart::FLink);
}

// Logs what a module goes through; its descendants carry the descriptions.
class TLoggingModule : public TDataModule {
  VD_CLASS(TLoggingModule, TDataModule);

public:
  explicit TLoggingModule(TComponent* AOwner) : TDataModule(AOwner) { ++LiveModules; }
  bool FThreadFree = false;
  TTestPart* Part1 = nullptr;
  TTestPart* Part2 = nullptr;

  void ModuleCreate(TObject* Sender) { Log.push_back("OnCreate"); }
  void ModuleDestroy(TObject* Sender) { Log.push_back("OnDestroy"); }
  void FailingCreate(TObject* Sender) { throw EInvalidOperation("create failed"); }

protected:
  ~TLoggingModule() override { --LiveModules; }
  void Loaded() override {
    inherited::Loaded();
    Log.push_back("Loaded " + Name());
  }
  void Constructed() override {
    Log.push_back(std::string("Constructed ThreadFree=") + (FThreadFree ? "1" : "0"));
  }
  void Destructing() override { Log.push_back("Destructing"); }
};
VD_DEFINE_CLASS(TLoggingModule) {
  C.Property("ThreadFree", &TLoggingModule::FThreadFree, &TLoggingModule::FThreadFree);
  C.Field("Part1", &TLoggingModule::Part1);
  C.Field("Part2", &TLoggingModule::Part2);
  C.Method<&TLoggingModule::ModuleCreate>("ModuleCreate");
  C.Method<&TLoggingModule::ModuleDestroy>("ModuleDestroy");
  C.Method<&TLoggingModule::FailingCreate>("FailingCreate");
}

#define VD_TEST_MODULE(Name, Parent)                                   \
  class Name : public Parent {                                          \
    VD_CLASS(Name, Parent);                                             \
                                                                        \
  public:                                                               \
    explicit Name(TComponent* AOwner) : Parent(AOwner) {}               \
  };                                                                    \
  VD_DEFINE_CLASS(Name) {}

VD_TEST_MODULE(TTestModuleBase, TLoggingModule)
VD_TEST_MODULE(TTestModule, TTestModuleBase)
VD_TEST_MODULE(TTestOldModule, TLoggingModule)
VD_TEST_MODULE(TFailingModule, TLoggingModule)
VD_TEST_MODULE(TBrokenModule, TLoggingModule)
VD_TEST_MODULE(TNoResourceModule, TDataModule)

class DataModule : public ::testing::Test {
protected:
  void SetUp() override {
    Log.clear();
    LiveModules = 0;
  }
  void TearDown() override {
    ApplicationHandleException = nullptr;
    EXPECT_EQ(LiveModules, 0);
  }
};

TEST_F(DataModule, StreamsBaseThenDerivedDescriptionAndRunsNewCreateOrder) {
  TTestModule* M = TTestModule::Create(nullptr);
  std::vector<std::string> Expected = {
      "Loaded TestModule", "Loaded Part1 -> Part2", "Loaded Part2 -> Part1",
      "Constructed ThreadFree=0",  // the hook sees the derived description's value
      "OnCreate",
  };
  EXPECT_EQ(Log, Expected);
  EXPECT_EQ(M->Name(), "TestModule");
  EXPECT_FALSE(M->OldCreateOrder());
  ASSERT_EQ(M->ComponentCount(), 2);
  ASSERT_NE(M->Part1, nullptr);
  ASSERT_NE(M->Part2, nullptr);
  EXPECT_EQ(M->Part1->FText, "derived");
  EXPECT_EQ(M->Part1->FLink, M->Part2);
  EXPECT_EQ(M->Part2->FText, "second\r\nline");
  EXPECT_EQ(M->DesignOffset().x, 10);
  EXPECT_EQ(M->DesignOffset().y, 20);
  EXPECT_EQ(M->DesignSize().x, 215);
  EXPECT_EQ(M->DesignSize().y, 150);

  Log.clear();
  M->Free();
  EXPECT_EQ(Log, (std::vector<std::string>{"OnDestroy", "Destructing"}));
}

TEST_F(DataModule, OldCreateOrderRunsOnCreateBeforeTheHook) {
  TTestOldModule* M = TTestOldModule::Create(nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"Loaded OldModule", "OnCreate", "Constructed ThreadFree=1"}));
  Log.clear();
  M->Free();
  EXPECT_EQ(Log, (std::vector<std::string>{"Destructing", "OnDestroy"}));
}

TEST_F(DataModule, CreatedThroughItsClassReference) {
  TDataModuleClass Class(ClassOf<TTestModule>());
  TDataModule* M = Class.Create(nullptr);
  EXPECT_EQ(M->ClassType(), ClassOf<TTestModule>());
  EXPECT_EQ(static_cast<TTestModule*>(M)->Part2->FText, "second\r\nline");
  M->Free();
}

TEST_F(DataModule, DescriptionFaultsFailTheConstruction) {
  try {
    TBrokenModule::Create(nullptr);
    ADD_FAILURE() << "created";
  } catch (const EReadError& E) {
    EXPECT_NE(E.Message().find("BrokenModule.Part2.Txet on line 7"), std::string::npos) << E.Message();
  }
  EXPECT_EQ(Log, std::vector<std::string>{}) << "neither Loaded nor OnCreate";
  EXPECT_THROW(TNoResourceModule::Create(nullptr), EResNotFound);
}

TObject* HandledSender = nullptr;
std::string HandledMessage;
void RecordException(TObject* Sender) {
  HandledSender = Sender;
  try {
    throw;
  } catch (const Exception& E) {
    HandledMessage = E.Message();
  }
}

TEST_F(DataModule, OnCreateExceptionsGoToTheApplication) {
  EXPECT_THROW(TFailingModule::Create(nullptr), EInvalidOperation);
  EXPECT_EQ(LiveModules, 0);

  ApplicationHandleException = &RecordException;
  TFailingModule* M = TFailingModule::Create(nullptr);
  EXPECT_EQ(HandledSender, M);
  EXPECT_EQ(HandledMessage, "create failed");
  M->Free();
}

TEST_F(DataModule, ModulesAreFoundByNameForReferences) {
  TTestModule* M = TTestModule::Create(nullptr);
  EXPECT_EQ(FindDataModule("testmodule"), M);
  TTestPart* Holder = TTestPart::Create(nullptr);
  ReadComponentFromText("object Holder: TTestPart\n  Link = TestModule.Part2\nend", Holder);
  EXPECT_EQ(Holder->FLink, M->Part2);
  Holder->Free();
  M->Free();
  EXPECT_EQ(FindDataModule("TestModule"), nullptr);
}

TEST_F(DataModule, ResourcesReadDirectlyAndWrittenBack) {
  TTestModuleBase* M = TTestModuleBase::Create(nullptr);
  EXPECT_THROW(ReadComponentRes("TNOSUCHRESOURCE", M), EResNotFound);
  std::string Text = WriteComponentToText(M);
  for (const char* Line : {"object TestModule: TTestModuleBase\r\n", "  OldCreateOrder = False\r\n",
                           "  ThreadFree = True\r\n", "  OnCreate = ModuleCreate\r\n", "  Left = 10\r\n",
                           "  Width = 215\r\n", "  object Part1: TTestPart\r\n", "    Text = 'base'\r\n"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line << "\n" << Text;
  // A description of a descendant class does not fit; nothing changes.
  TTestPart* Part1 = M->Part1;
  EXPECT_THROW(ReadComponentRes("TTESTMODULE", M), EReadError);
  EXPECT_EQ(M->Part1, Part1);
  EXPECT_EQ(M->ComponentCount(), 1);
  M->Free();
}

}  // namespace
