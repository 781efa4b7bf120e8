// The icon list under Wine: its image list and sizes, "Icons" saved and loaded in both forms with
// identical icons, broken data refused with EReadError (every truncation, seeded mutations,
// hand-made faults), "Icons" in a text form description, Equal/Assign, and the animation of a
// tray icon without leaking an icon per step.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "classlib/FormStream.h"
#include "classlib/GraphicsFormats.h"
#include "classlib/StreamAdapter.h"
#include "classlib/UnitInit.h"
#include "nx/NxDataModule.h"
#include "nx/NxIconList.h"
#include "nx/NxIconListFormat.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/nx/iconlist_test_support.h"
#include "tests/nx/tray_recorder.h"

using namespace iconsupport;

namespace {

// An icon list of Size x Size icons: masked ones and one with alpha.
TNxIconList* MakeList(int Size, int Count, TComponent* Owner = nullptr, unsigned Seed = 1) {
  TNxIconList* List = TNxIconList::Create(Owner);
  List->SetWidth(Size);
  List->SetHeight(Size);
  for (int I = 0; I < Count; ++I) {
    HICON Icon = MakeIcon(Size, Seed + static_cast<unsigned>(I), I % 3 == 2 ? ikAlpha : ikMasked);
    EXPECT_EQ(List->AddIcon(Icon), I);
    DestroyIcon(Icon);
  }
  return List;
}

void ExpectSameIcons(HIMAGELIST Expected, HIMAGELIST Actual) {
  ASSERT_EQ(ImageList_GetImageCount(Actual), ImageList_GetImageCount(Expected));
  for (int I = 0; I < ImageList_GetImageCount(Expected); ++I) {
    const std::vector<uint32_t> A = ListIconBits(Expected, I), B = ListIconBits(Actual, I);
    ASSERT_FALSE(A.empty());
    EXPECT_EQ(A, B) << "icon " << I;
  }
}

std::vector<uint8_t> Saved(TNxIconList* List) {
  TMemoryStream S;
  List->SaveToStream(S);
  const auto* P = static_cast<const uint8_t*>(S.Memory());
  return std::vector<uint8_t>(P, P + S.Size());
}

// What ImageList_Write makes of List (the other build's "Icons").
std::vector<uint8_t> WrittenByCommonControls(HIMAGELIST List) {
  TMemoryStream S;
  TStreamAdapterPtr Adapter(TStreamAdapter::New(S));
  EXPECT_TRUE(ImageList_Write(List, Adapter.get()));
  const auto* P = static_cast<const uint8_t*>(S.Memory());
  return std::vector<uint8_t>(P, P + S.Size());
}

// Loads Bytes; true when loaded, false on EReadError (anything else fails the test).
bool Load(TNxIconList* List, const std::vector<uint8_t>& Bytes) {
  TMemoryStream S;
  if (!Bytes.empty()) S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  S.SetPosition(0);
  try {
    List->LoadFromStream(S);
    return true;
  } catch (EReadError&) {
    return false;
  }
}

// The list source seam, restored at the end of a test.
struct TSourceGuard {
  nxiconlist_detail::TSystemListSource Saved = nxiconlist_detail::SystemListSource;
  ~TSourceGuard() { nxiconlist_detail::SystemListSource = Saved; }
};
std::vector<int> g_shellListsAsked;
int g_fileInfoAsked = 0;
HRESULT WINAPI RecordingShellList(int Which, REFIID Iid, void** Obj) {
  g_shellListsAsked.push_back(Which);
  return NxShell32().SHGetImageList()(Which, Iid, Obj);
}
HRESULT WINAPI FailingShellList(int, REFIID, void** Obj) {
  *Obj = nullptr;
  return E_FAIL;
}
DWORD_PTR WINAPI RecordingFileInfo(LPCSTR Path, DWORD Attr, SHFILEINFOA* Info, UINT Size, UINT Flags) {
  ++g_fileInfoAsked;
  return SHGetFileInfoA(Path, Attr, Info, Size, Flags);
}
DWORD_PTR WINAPI FailingFileInfo(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT) {
  ++g_fileInfoAsked;
  return 0;
}

struct TAnimateLog {
  TNxIconList* List = nullptr;
  std::vector<int> IndexAtAnimate;
  void Animate(TObject*) { IndexAtAnimate.push_back(List->IconIndex()); }
};

}  // namespace

class IconList : public ::testing::Test {
protected:
  void SetUp() override { EnsureUnitsStarted(); }
};

TEST_F(IconList, NewListIs32By32AndEmpty) {
  TObjectPtr<TNxIconList> List(TNxIconList::Create(nullptr));
  EXPECT_EQ(List->Width(), 32);
  EXPECT_EQ(List->Height(), 32);
  EXPECT_EQ(List->GetIconCount(), 0);
  EXPECT_EQ(List->BkColor(), static_cast<TColor>(0x1FFFFFFF));
  EXPECT_EQ(ImageList_GetBkColor(List->GetImageList()), CLR_NONE);
  EXPECT_FALSE(List->Animated());
  EXPECT_EQ(List->IconIndex(), 0);
  EXPECT_EQ(List->DrawStyle(), ildNormal);
  EXPECT_EQ(List->Interval(), 0);
  EXPECT_EQ(List->TrayIcon(), nullptr);
  int W = 0, H = 0;
  ASSERT_TRUE(ImageList_GetIconSize(List->GetImageList(), &W, &H));
  EXPECT_EQ(W, 32);
  EXPECT_EQ(H, 32);
}

TEST_F(IconList, SharedListsAreIconListsOfBothSizesMadeOnce) {
  TNxIconList* Large = NxSharedIconList(nisLarge);
  TNxIconList* Small = NxSharedIconList(nisSmall);
  ASSERT_NE(Large, nullptr);
  ASSERT_NE(Small, nullptr);
  EXPECT_EQ(Large->Width(), 32);
  EXPECT_EQ(Small->Width(), 16);
  EXPECT_EQ(Small->Height(), 16);
  EXPECT_EQ(NxSharedIconList(nisLarge), Large);
  EXPECT_EQ(NxSharedIconList(nisSmall), Small);
}

TEST_F(IconList, NewSizesEmptyTheList) {
  TObjectPtr<TNxIconList> List(MakeList(32, 2));
  ASSERT_EQ(List->GetIconCount(), 2);
  List->SetWidth(16);
  EXPECT_EQ(List->GetIconCount(), 0);
  EXPECT_EQ(List->Width(), 16);
  EXPECT_EQ(List->Height(), 32);
  List->SetHeight(16);
  EXPECT_EQ(List->Width(), 16);
  EXPECT_EQ(List->Height(), 16);
  List->SetBkColor(clRed);
  EXPECT_EQ(List->BkColor(), clRed);
  List->FreeImageList();  // what the list knew stays for the next one
  EXPECT_EQ(List->Width(), 16);
  EXPECT_EQ(List->BkColor(), clRed);
  EXPECT_EQ(List->GetIconCount(), 0);
  EXPECT_EQ(ImageList_GetBkColor(List->GetImageList()), static_cast<COLORREF>(clRed));
}

TEST_F(IconList, CopiedFromTheShellListThatFitsTheSize) {
  TSourceGuard Guard;
  ASSERT_NE(NxShell32().SHGetImageList(), nullptr) << "Shell32 6.0 binds SHGetImageList";
  nxiconlist_detail::SystemListSource.ShellImageList = [] { return static_cast<TSHGetImageList>(&RecordingShellList); };
  nxiconlist_detail::SystemListSource.GetFileInfo = &RecordingFileInfo;
  g_shellListsAsked.clear();
  g_fileInfoAsked = 0;
  {
    TObjectPtr<TNxIconList> List(TNxIconList::Create(nullptr));
    List->FreeImageList();
    List->SetWidth(48);  // made again, 48 wide: the extra-large list
    EXPECT_EQ(List->Width(), 48);
  }
  EXPECT_EQ(g_shellListsAsked, (std::vector<int>{0, 2}));
  EXPECT_EQ(g_fileInfoAsked, 0);

  // Without SHGetImageList (Shell32 below 6.0), and when it fails: the SHGetFileInfoA list.
  for (auto Source : {+[]() -> TSHGetImageList { return nullptr; },
                      +[]() -> TSHGetImageList { return &FailingShellList; }}) {
    nxiconlist_detail::SystemListSource.ShellImageList = Source;
    g_fileInfoAsked = 0;
    TObjectPtr<TNxIconList> List(MakeList(16, 2));
    EXPECT_EQ(g_fileInfoAsked, 1);
    EXPECT_EQ(List->GetIconCount(), 2);
  }
  // Without any system list the icon list still has a working list of its own.
  nxiconlist_detail::SystemListSource.GetFileInfo = &FailingFileInfo;
  TObjectPtr<TNxIconList> Own(MakeList(16, 3));
  EXPECT_EQ(Own->GetIconCount(), 3);
  EXPECT_EQ(Own->Width(), 16);
}

TEST_F(IconList, BitmapFormRoundTripGivesIdenticalIcons) {
  TObjectPtr<TNxIconList> List(MakeList(16, 3));
  const std::vector<uint8_t> Bytes = Saved(List.get());
  // A 48 x 16 32-bit strip followed by a 48 x 16 1-bit strip.
  nxicons::TMemoryByteSource Source(Bytes.data(), Bytes.size());
  nxicons::TIconStrips Strips;
  std::string Why;
  ASSERT_TRUE(nxicons::ReadIconStrips(Source, 16, 16, Strips, Why)) << Why;
  EXPECT_EQ(Strips.Width, 48);
  EXPECT_EQ(Strips.Height, 16);
  EXPECT_EQ(Source.Remaining(), 0u);
  EXPECT_EQ(gfxfmt::Get16(&Bytes[28]), 32);

  TObjectPtr<TNxIconList> Back(TNxIconList::Create(nullptr));
  Back->SetWidth(16);
  Back->SetHeight(16);
  ASSERT_TRUE(Load(Back.get(), Bytes));
  EXPECT_EQ(Back->GetIconCount(), 3);
  ExpectSameIcons(List->GetImageList(), Back->GetImageList());
  EXPECT_EQ(Saved(Back.get()), Bytes) << "saved again: the same bytes";

  // With a background colour of its own the icons stay the same as well.
  TObjectPtr<TNxIconList> Coloured(MakeList(16, 3));
  Coloured->SetBkColor(clLime);
  Back->SetBkColor(clLime);
  ASSERT_TRUE(Load(Back.get(), Saved(Coloured.get())));
  ExpectSameIcons(Coloured->GetImageList(), Back->GetImageList());
  EXPECT_EQ(Back->BkColor(), clLime);
}

TEST_F(IconList, WhatIsSavedLoadsAtTheSizeLimitsAndOneMoreIsNotSaved) {
  auto ListOf = [](int W, int H, int Count) {
    TNxIconList* List = TNxIconList::Create(nullptr);
    List->SetWidth(W);
    List->SetHeight(H);
    for (int I = 0; I < Count; ++I) {
      HICON Icon = MakeIcon(32, 40 + static_cast<unsigned>(I), ikMasked);
      List->AddIcon(Icon);
      DestroyIcon(Icon);
    }
    EXPECT_EQ(List->GetIconCount(), Count);
    return List;
  };
  // Icons of 256 pixels a side either way, and a strip of 65,535 pixels: written and read back.
  for (auto [W, H, Count] : {std::tuple{256, 32, 2}, std::tuple{32, 256, 2}, std::tuple{255, 1, 257}}) {
    TObjectPtr<TNxIconList> List(ListOf(W, H, Count));
    TObjectPtr<TNxIconList> Back(ListOf(W, H, 0));
    ASSERT_TRUE(Load(Back.get(), Saved(List.get()))) << W << " x " << H;
    ExpectSameIcons(List->GetImageList(), Back->GetImageList());
  }
  // One more pixel or icon: refused when saving, before anything is written.
  for (auto [W, H, Count] : {std::tuple{257, 32, 1}, std::tuple{32, 257, 1}, std::tuple{255, 1, 258}}) {
    TObjectPtr<TNxIconList> List(ListOf(W, H, Count));
    TMemoryStream S;
    EXPECT_THROW(List->SaveToStream(S), EWriteError) << W << " x " << H << ", " << Count;
    EXPECT_EQ(S.Size(), 0);
  }
}

TEST_F(IconList, FilesHoldTheSameData) {
  char Dir[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, Dir), 0u);
  const std::string Path = std::string(Dir) + "nx_iconlist_test.icons";
  TObjectPtr<TNxIconList> List(MakeList(32, 4));
  List->SaveToFile(Path);
  TObjectPtr<TNxIconList> Back(TNxIconList::Create(nullptr));
  Back->LoadFromFile(Path);
  ExpectSameIcons(List->GetImageList(), Back->GetImageList());
  DeleteFileA(Path.c_str());
  EXPECT_THROW(Back->LoadFromFile(Path), EFOpenError);
}

TEST_F(IconList, ImageListStreamLoadsWithItsOwnIconSize) {
  // The other build's data: the common controls' stream of a 16 x 16 list, loaded into 32 x 32.
  TObjectPtr<TNxIconList> Source(MakeList(16, 5));
  const std::vector<uint8_t> Bytes = WrittenByCommonControls(Source->GetImageList());
  ASSERT_EQ(Bytes[0], 'I');
  TObjectPtr<TNxIconList> Back(TNxIconList::Create(nullptr));
  ASSERT_TRUE(Load(Back.get(), Bytes));
  EXPECT_EQ(Back->Width(), 16);
  EXPECT_EQ(Back->Height(), 16);
  ExpectSameIcons(Source->GetImageList(), Back->GetImageList());

  // A plain masked list of another colour depth.
  HIMAGELIST Plain = ImageList_Create(24, 24, ILC_COLOR24 | ILC_MASK, 2, 2);
  for (unsigned I = 0; I < 2; ++I) {
    HICON Icon = MakeIcon(24, 20 + I, ikMasked);
    ImageList_ReplaceIcon(Plain, -1, Icon);
    DestroyIcon(Icon);
  }
  ASSERT_TRUE(Load(Back.get(), WrittenByCommonControls(Plain)));
  EXPECT_EQ(Back->Width(), 24);
  EXPECT_EQ(Back->GetIconCount(), 2);
  ImageList_Destroy(Plain);
}

TEST_F(IconList, EmptyListReadsBackEmpty) {
  TObjectPtr<TNxIconList> Empty(TNxIconList::Create(nullptr));
  const std::vector<uint8_t> Bytes = Saved(Empty.get());
  EXPECT_EQ(Bytes.size(), 54u + 62u);
  TObjectPtr<TNxIconList> Back(MakeList(32, 2));
  ASSERT_TRUE(Load(Back.get(), Bytes));
  EXPECT_EQ(Back->GetIconCount(), 0);
  EXPECT_EQ(Back->Width(), 32);
  // The other build's form of an empty list as well.
  TObjectPtr<TNxIconList> Small(TNxIconList::Create(nullptr));
  Small->SetWidth(16);
  ASSERT_TRUE(Load(Back.get(), WrittenByCommonControls(Small->GetImageList())));
  EXPECT_EQ(Back->GetIconCount(), 0);
  EXPECT_EQ(Back->Width(), 16);
}

TEST_F(IconList, StripsOfAnotherSizeAreAReadError) {
  TObjectPtr<TNxIconList> Small(MakeList(16, 3));
  TObjectPtr<TNxIconList> Big(MakeList(32, 1));
  EXPECT_FALSE(Load(Big.get(), Saved(Small.get())));
  EXPECT_EQ(Big->GetIconCount(), 0) << "left without icons";
  EXPECT_EQ(Big->Width(), 32);
  EXPECT_FALSE(Load(Big.get(), {'M', 'Z', 0, 0, 0}));
  EXPECT_FALSE(Load(Big.get(), {}));
}

TEST_F(IconList, EveryTruncationIsAReadError) {
  TObjectPtr<TNxIconList> Source(MakeList(16, 3));
  TObjectPtr<TNxIconList> Target(TNxIconList::Create(nullptr));
  Target->SetWidth(16);
  Target->SetHeight(16);
  for (const std::vector<uint8_t>& Bytes : {Saved(Source.get()), WrittenByCommonControls(Source->GetImageList())}) {
    for (size_t Cut = 0; Cut < Bytes.size(); ++Cut) {
      const std::vector<uint8_t> Part(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(Cut));
      ASSERT_FALSE(Load(Target.get(), Part)) << "cut at " << Cut << " of " << Bytes.size();
    }
    EXPECT_EQ(Target->GetIconCount(), 0);
    EXPECT_TRUE(Load(Target.get(), Bytes));
    EXPECT_EQ(Target->GetIconCount(), 3);
  }
}

TEST_F(IconList, SeededMutationsLoadOrFailCleanly) {
  TObjectPtr<TNxIconList> Source(MakeList(16, 3));
  TObjectPtr<TNxIconList> Target(TNxIconList::Create(nullptr));
  std::mt19937 Rng(1234);
  for (const std::vector<uint8_t>& Good : {Saved(Source.get()), WrittenByCommonControls(Source->GetImageList())}) {
    int Loaded = 0, Refused = 0;
    for (int Round = 0; Round < 1500; ++Round) {
      std::vector<uint8_t> Bytes = Good;
      for (int C = 1 + static_cast<int>(Rng() % 3); C > 0; --C) {
        const size_t At = Rng() % 2 ? Rng() % 120 : Rng() % Bytes.size();  // headers first
        Bytes[At % Bytes.size()] = static_cast<uint8_t>(Rng());
      }
      Target->SetWidth(16);
      Target->SetHeight(16);
      if (Load(Target.get(), Bytes)) {
        ++Loaded;
        EXPECT_GE(Target->GetIconCount(), 0);
        EXPECT_GT(Target->Width(), 0);
      } else {
        ++Refused;
        EXPECT_EQ(Target->GetIconCount(), 0);
      }
    }
    EXPECT_GT(Loaded, 0);
    EXPECT_GT(Refused, 0);
  }
}

// ---- Form descriptions ----------------------------------------------------------------------------

namespace {
class TIconHost : public TComponent {
  VD_CLASS(TIconHost, TComponent);

public:
  using TComponent::TComponent;
  TNxIconList* Icons1 = nullptr;
  TNxTrayIcon* Tray1 = nullptr;
};
}  // namespace
VD_DEFINE_CLASS(TIconHost) {
  C.Field("Icons1", &TIconHost::Icons1);
  C.Field("Tray1", &TIconHost::Tray1);
}

namespace {
// Two 2 x 2 icons as two BMP files: the first opaque (red, green / blue, white), the second with
// its top-left pixel transparent.
const char* const kTwoIcons = R"(object Host: TIconHost
  object Tray1: TNxTrayIcon
  end
  object Icons1: TNxIconList
    Height = 2
    IconIndex = 1
    TrayIcon = Tray1
    Width = 2
    Icons = {
      424D560000000000000036000000280000000400000002000000010020000000
      00002000000000000000000000000000000000000000FF000000FFFFFF00EFCD
      AB00214365000000FF0000FF00000000000056341200424D4600000000000000
      3E00000028000000040000000200000001000100000000000800000000000000
      00000000020000000000000000000000FFFFFF000000000020000000}
  end
end
)";
}  // namespace

TEST_F(IconList, IconsReadFromATextDescription) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TIconHost> Host(TIconHost::Create(nullptr));
  ReadComponentFromText(kTwoIcons, Host.get());
  ASSERT_NE(Host->Icons1, nullptr);
  TNxIconList& List = *Host->Icons1;
  EXPECT_EQ(List.Width(), 2);
  ASSERT_EQ(List.GetIconCount(), 2);
  const std::vector<uint32_t> First = ListIconBits(List.GetImageList(), 0);
  ASSERT_EQ(First.size(), 8u);
  EXPECT_EQ(First[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(First[3] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(std::vector<uint32_t>(First.begin() + 4, First.end()), (std::vector<uint32_t>{0, 0, 0, 0}));
  const std::vector<uint32_t> Second = ListIconBits(List.GetImageList(), 1);
  EXPECT_EQ(std::vector<uint32_t>(Second.begin() + 4, Second.end()), (std::vector<uint32_t>{1, 0, 0, 0}));
  EXPECT_EQ(Second[1] & 0xFFFFFF, 0x123456u);
  // The reference resolved after loading put icon 1 into the tray icon.
  EXPECT_EQ(List.TrayIcon(), Host->Tray1);
  EXPECT_EQ(IconBits(Host->Tray1->Icon()->Handle()), Second);

  // Written back and read again: the same icons.
  const std::string Text = WriteComponentToText(Host.get());
  EXPECT_NE(Text.find("Icons = {"), std::string::npos) << Text;
  TObjectPtr<TIconHost> Again(TIconHost::Create(nullptr));
  ReadComponentFromText(Text, Again.get());
  ExpectSameIcons(List.GetImageList(), Again->Icons1->GetImageList());
}

TEST_F(IconList, DescriptionWhoseStripsDoNotFitIsAReadError) {
  std::string Text = kTwoIcons;
  Text.replace(Text.find("Height = 2"), 10, "Height = 4");
  TObjectPtr<TIconHost> Host(TIconHost::Create(nullptr));
  try {
    ReadComponentFromText(Text, Host.get());
    ADD_FAILURE() << "read";
  } catch (EReadError& E) {
    EXPECT_NE(E.Message().find("icon size"), std::string::npos) << E.Message();
  }
}

TEST_F(IconList, IconsWrittenOnlyWhenThereIsSomethingToWrite) {
  TObjectPtr<TIconHost> Host(TIconHost::Create(nullptr));
  Host->Icons1 = TNxIconList::Create(Host.get());
  Host->Icons1->SetName("Icons1");
  EXPECT_EQ(WriteComponentToText(Host.get()).find("Icons ="), std::string::npos) << "empty, no ancestor";
  EXPECT_FALSE(Host->Icons1->ShouldWriteIcons(nullptr));

  TObjectPtr<TNxIconList> Two(MakeList(32, 2));
  TObjectPtr<TNxIconList> SameTwo(MakeList(32, 2));
  TObjectPtr<TNxIconList> OtherTwo(MakeList(32, 2, nullptr, 50));
  TObjectPtr<TNxIconList> Empty(TNxIconList::Create(nullptr));
  TObjectPtr<TNxIconList> AlsoEmpty(TNxIconList::Create(nullptr));
  TObjectPtr<TComponent> NotAList(TComponent::Create(nullptr));
  EXPECT_TRUE(Two->ShouldWriteIcons(nullptr));
  EXPECT_FALSE(Two->ShouldWriteIcons(SameTwo.get()));
  EXPECT_TRUE(Two->ShouldWriteIcons(OtherTwo.get()));
  EXPECT_TRUE(Two->ShouldWriteIcons(NotAList.get()));
  EXPECT_TRUE(Empty->ShouldWriteIcons(Two.get())) << "an empty list against a full ancestor";
  EXPECT_FALSE(Empty->ShouldWriteIcons(AlsoEmpty.get()));
  EXPECT_TRUE(Two->Equal(SameTwo.get()));
  EXPECT_FALSE(Two->Equal(OtherTwo.get()));
  EXPECT_FALSE(Two->Equal(Empty.get()));
  EXPECT_FALSE(Two->Equal(nullptr));
}

TEST_F(IconList, AssignCopiesTheImagesOnly) {
  TObjectPtr<TNxIconList> Source(MakeList(16, 3));
  Source->SetBkColor(clBlue);
  TObjectPtr<TNxIconList> Target(MakeList(32, 1));
  Target->SetIconIndex(5);
  Target->SetDrawStyle(ildMask);
  Target->SetInterval(77);
  Target->Assign(Source.get());
  EXPECT_EQ(Target->Width(), 16);
  EXPECT_EQ(Target->BkColor(), clBlue);
  ExpectSameIcons(Source->GetImageList(), Target->GetImageList());
  EXPECT_NE(Target->GetImageList(), Source->GetImageList());
  EXPECT_EQ(Target->IconIndex(), 5);
  EXPECT_EQ(Target->DrawStyle(), ildMask);
  EXPECT_EQ(Target->Interval(), 77);

  TStringList NotAList;
  for (TPersistent* Bad : {static_cast<TPersistent*>(nullptr), static_cast<TPersistent*>(&NotAList)}) {
    try {
      Target->Assign(Bad);
      ADD_FAILURE() << "assigned";
    } catch (Exception& E) {
      EXPECT_EQ(E.Message(), "The source object is not a TNxIconList");
    }
  }
  EXPECT_EQ(Target->GetIconCount(), 3) << "unchanged";
}

// ---- Animation and the tray icon ----------------------------------------------------------------------

TEST_F(IconList, AnimationStepsThroughTheIconsAfterOnAnimate) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetActive(true);
  TObjectPtr<TNxIconList> List(MakeList(16, 3));
  List->SetTrayIcon(Tray.get());
  TAnimateLog Log;
  Log.List = List.get();
  List->OnAnimate = TNotifyEvent::Bind<&TAnimateLog::Animate>(&Log);
  List->SetInterval(10);
  List->SetAnimated(true);
  ASSERT_NE(List->AnimationTimer(), nullptr);
  EXPECT_TRUE(List->Animated());
  EXPECT_EQ(List->AnimationTimer()->Interval(), 1000u) << "Interval is stored only";

  std::vector<int> Indexes;
  Shell.Calls.clear();
  for (int Tick = 0; Tick < 4; ++Tick) {
    List->AnimationTimer()->OnTimer()(List->AnimationTimer());
    Indexes.push_back(List->IconIndex());
  }
  EXPECT_EQ(Log.IndexAtAnimate, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(Indexes, (std::vector<int>{1, 2, 0, 1}));
  ASSERT_EQ(Shell.Calls.size(), 4u) << "one modify per step";
  for (const traytest::TShellCall& C : Shell.Calls) {
    EXPECT_EQ(C.Message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_NE(C.Icon, nullptr);
  }
  EXPECT_EQ(ListIconBits(List->GetImageList(), 1), IconBits(Tray->Icon()->Handle()));

  List->SetAnimated(false);
  EXPECT_FALSE(List->Animated());
  EXPECT_EQ(List->IconIndex(), 0);
  EXPECT_EQ(Shell.Count(NIM_MODIFY), 5);
  EXPECT_EQ(ListIconBits(List->GetImageList(), 0), IconBits(Tray->Icon()->Handle()));
}

TEST_F(IconList, StoppingAnAnimationThatNeverRanResetsTheIndex) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetActive(true);
  TObjectPtr<TNxIconList> List(MakeList(16, 2));
  List->SetTrayIcon(Tray.get());
  List->SetIconIndex(1);
  Shell.Calls.clear();
  List->SetAnimated(false);
  EXPECT_EQ(List->IconIndex(), 0);
  EXPECT_EQ(List->AnimationTimer(), nullptr);
  EXPECT_EQ(Shell.Count(NIM_MODIFY), 1);
}

TEST_F(IconList, DesignTimeAnimationIsOnlyStored) {
  TObjectPtr<TNxIconList> List(MakeList(16, 2));
  List->SetDesigning(true);
  List->SetAnimated(true);
  EXPECT_TRUE(List->Animated());
  EXPECT_EQ(List->AnimationTimer(), nullptr);
}

TEST_F(IconList, TheRealTimerSteps) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TNxIconList> List(MakeList(16, 3));
  TAnimateLog Log;
  Log.List = List.get();
  List->OnAnimate = TNotifyEvent::Bind<&TAnimateLog::Animate>(&Log);
  List->SetAnimated(true);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Log.IndexAtAnimate.empty(); }, 5000));
  List->SetAnimated(false);
  EXPECT_EQ(List->IconIndex(), 0);
}

TEST_F(IconList, StepsDestroyTheIconsTheyReplace) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  Tray->SetActive(true);
  TObjectPtr<TNxIconList> List(MakeList(16, 3));
  List->SetTrayIcon(Tray.get());
  const DWORD UserBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const long GdiBefore = graphics_detail::LiveGdiObjects();
  Shell.Calls.clear();
  std::vector<HICON> Shown;
  for (int Step = 0; Step < 200; ++Step) {
    List->DoAnimate();
    Shown.push_back(Tray->Icon()->Handle());
  }
  // Every icon shown before the current one is gone; the current one is alive.
  for (size_t I = 0; I + 1 < Shown.size(); ++I) ASSERT_FALSE(IsIconHandle(Shown[I])) << "step " << I;
  EXPECT_TRUE(IsIconHandle(Shown.back()));
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), GdiBefore);
  // Wine answers 0 here; Windows counts the USER objects.
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), UserBefore + 2);
  EXPECT_EQ(Shell.Count(NIM_MODIFY), 200);
}

TEST_F(IconList, InactiveTrayIconGetsNoModify) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  TObjectPtr<TNxIconList> List(MakeList(16, 2));
  List->SetTrayIcon(Tray.get());
  List->DoAnimate();
  EXPECT_TRUE(Shell.Calls.empty());
  EXPECT_NE(Tray->Icon()->Handle(), nullptr) << "the icon is still kept for when it is shown";
}

TEST_F(IconList, FreeingTheTrayIconClearsTheReference) {
  traytest::TShellRecorder Shell;
  TObjectPtr<TComponent> OtherOwner(TComponent::Create(nullptr));
  TNxTrayIcon* Tray = TNxTrayIcon::Create(OtherOwner.get());
  TObjectPtr<TNxIconList> List(MakeList(16, 2));
  List->SetTrayIcon(Tray);
  List->SetAnimated(true);
  OtherOwner.reset();
  EXPECT_EQ(List->TrayIcon(), nullptr);
  List->AnimationTimer()->OnTimer()(List->AnimationTimer());  // the next tick finds no tray icon
  EXPECT_EQ(List->IconIndex(), 1);
  List->SetAnimated(false);
}
