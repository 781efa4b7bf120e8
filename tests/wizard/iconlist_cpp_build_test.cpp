// The icon list of the C++ build under Wine: made on first need at 16 by 16, its size fixed once the
// list exists, icons added from handles and files, removed and handed out, the checks as assertion
// failures, an adopted list emptied but never destroyed, "Icons" as the image-list stream read by the
// Nx icon list (and the Nx list's two bitmaps refused), Assign and the animation.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "nx/NxIconList.h"
#include "tests/nx/iconlist_test_support.h"
#include "tests/support/TempTree.h"
#include "wizard/NxIconList.h"

using namespace iconsupport;
using TIconList21 = nx21::TNxIconList;

namespace {


struct TChangeCounter {
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};

TObjectPtr<TIconList21> NewList() { return TObjectPtr<TIconList21>(TIconList21::Create(nullptr)); }

void AddIcons(TIconList21& List, int Count, unsigned Seed = 1) {
  for (int I = 0; I < Count; ++I) {
    HICON Icon = MakeIcon(List.Width(), Seed + static_cast<unsigned>(I), ikMasked);
    List.AddIcon(Icon);
    DestroyIcon(Icon);
  }
}

// The message of the assertion Action fails with ("" when it passes), without the line number.
std::string FailedCheck(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EAssertionFailed& E) {
    const std::string& Text = E.Message();
    const size_t At = Text.rfind(" (NxIconList, line ");
    EXPECT_NE(At, std::string::npos) << Text;
    EXPECT_EQ(Text.back(), ')') << Text;
    return At == std::string::npos ? Text : Text.substr(0, At);
  }
  return "";
}

void ExpectSameIcons(HIMAGELIST Expected, HIMAGELIST Actual) {
  ASSERT_EQ(ImageList_GetImageCount(Actual), ImageList_GetImageCount(Expected));
  for (int I = 0; I < ImageList_GetImageCount(Expected); ++I)
    EXPECT_EQ(ListIconBits(Actual, I), ListIconBits(Expected, I)) << "icon " << I;
}

TEST(IconListCppBuild, ANewListIs16By16AndMakesItsEmptyListOnFirstUse) {
  auto List = NewList();
  EXPECT_EQ(List->Width(), 16);
  EXPECT_EQ(List->Height(), 16);
  EXPECT_FALSE(List->Adopted());
  EXPECT_EQ(List->GetIconCount(), 0);
  int W = 0, H = 0;
  ASSERT_TRUE(ImageList_GetIconSize(List->GetImageList(), &W, &H));
  EXPECT_EQ(W, 16);
  EXPECT_EQ(H, 16);
  EXPECT_EQ(List->BkColor(), clNone);
  EXPECT_EQ(ImageList_GetBkColor(List->GetImageList()), CLR_NONE) << "clNone reaches the list as no colour";
}

TEST(IconListCppBuild, OnceTheListExistsOnlySetSizeChangesTheIconSize) {
  auto List = NewList();
  List->SetWidth(32);  // no list yet: stored
  List->SetHeight(32);
  AddIcons(*List, 2);
  EXPECT_EQ(FailedCheck([&] { List->SetWidth(16); }),
            "Unable to assign Width while ImageList exists. Use SetSize method");
  EXPECT_EQ(FailedCheck([&] { List->SetHeight(16); }),
            "Unable to assign Height while ImageList exists. Use SetSize method");
  EXPECT_EQ(List->Width(), 32);
  EXPECT_EQ(List->GetIconCount(), 2);
  List->SetSize(24, 24);
  EXPECT_EQ(List->Width(), 24);
  EXPECT_EQ(List->Height(), 24);
  EXPECT_EQ(List->GetIconCount(), 0) << "a new size empties the list";
}

TEST(IconListCppBuild, IconsAreAddedRemovedAndHandedOutWithinTheCount) {
  auto List = NewList();
  TChangeCounter Changes;
  List->OnChange = TNotifyEvent::Bind<&TChangeCounter::Changed>(&Changes);
  EXPECT_EQ(FailedCheck([&] { List->AddIcon(nullptr); }), "Icon parameter is invalid");
  HICON Icon = MakeIcon(16, 7, ikMasked);
  EXPECT_EQ(List->AddIcon(Icon), 0);
  EXPECT_EQ(List->AddIcon(Icon), 1);
  EXPECT_TRUE(IsIconHandle(Icon)) << "the caller keeps its icon";
  DestroyIcon(Icon);
  EXPECT_EQ(Changes.Count, 2);

  for (int Index : {-1, 2})
    EXPECT_EQ(FailedCheck([&] { DestroyIcon(List->GetHIcon(Index)); }),
              "Icon index is more than icons count in ImageList")
        << Index;
  EXPECT_EQ(FailedCheck([&] { TObjectPtr<TIcon>(List->GetIcon(2)); }), "Icon index is more than icons count in ImageList");
  TObjectPtr<TIcon> Copy(List->GetIcon(1));
  EXPECT_TRUE(IsIconHandle(Copy->Handle()));

  List->SetIconIndex(2);  // the count itself passes
  EXPECT_EQ(FailedCheck([&] { List->SetIconIndex(3); }), "Icon index is more than icons count in ImageList");

  List->Remove(0);
  EXPECT_EQ(List->GetIconCount(), 1);
  EXPECT_EQ(Changes.Count, 2) << "Remove fires no OnChange";
}

TEST(IconListCppBuild, IconFilesAreLoadedAtTheListsSize) {
  TempTree Dir;
  auto List = NewList();
  List->AddIconFromFile(Dir.File("a.ico", IcoFile(32, 0x2040C0)));
  ASSERT_EQ(List->GetIconCount(), 1);
  const std::vector<uint32_t> Bits = ListIconBits(List->GetImageList(), 0);
  ASSERT_EQ(Bits.size(), 2u * 16 * 16) << "16 by 16 colour and mask";
  EXPECT_EQ(Bits[15] & 0xFFFFFF, 0x2040C0u) << "an opaque pixel of the right edge";
  EXPECT_EQ(FailedCheck([&] { List->AddIconFromFile(Dir.Path("missing.ico")); }), "File does not exists");
  EXPECT_EQ(FailedCheck([&] { List->AddIconFromFile(Dir.File("text.ico", "no icon here")); }), "Icon cannot be loaded");
  EXPECT_EQ(List->GetIconCount(), 1);
}

TEST(IconListCppBuild, AnAdoptedListIsEmptiedButNeverDestroyed) {
  HIMAGELIST Outside = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
  {
    auto List = NewList();
    List->SetImageList(Outside);
    EXPECT_TRUE(List->Adopted());
    EXPECT_EQ(FailedCheck([&] { List->SetImageList(Outside); }), "ImageList already specified");
    AddIcons(*List, 3);
    List->Clear();
    EXPECT_EQ(List->GetImageList(), Outside);
    EXPECT_EQ(ImageList_GetImageCount(Outside), 0);
    AddIcons(*List, 2);
  }
  EXPECT_EQ(ImageList_GetImageCount(Outside), 2) << "freeing the icon list leaves the outside list";

  // A list the icon list reads or copies in is its own again.
  auto Source = NewList();
  AddIcons(*Source, 1);
  TMemoryStream Data;
  Source->SaveToStream(Data);
  for (const auto& Install : std::vector<std::function<void(TIconList21&)>>{
           [&](TIconList21& L) {
             Data.SetPosition(0);
             L.LoadFromStream(Data);
           },
           [&](TIconList21& L) { L.Assign(Source.get()); }}) {
    auto List = NewList();
    List->SetImageList(Outside);
    Install(*List);
    EXPECT_FALSE(List->Adopted());
    EXPECT_NE(List->GetImageList(), Outside);
    EXPECT_EQ(List->GetIconCount(), 1);
  }
  EXPECT_EQ(ImageList_GetImageCount(Outside), 0) << "Assign empties the adopted list before letting it go";
  ImageList_Destroy(Outside);
}

TEST(IconListCppBuild, IconsWrittenHereLoadInTheNxIconListButNotTheOtherWayRound) {
  auto List = NewList();
  AddIcons(*List, 3, 11);
  TMemoryStream Written;
  List->SaveToStream(Written);
  const uint8_t* Bytes = static_cast<const uint8_t*>(Written.Memory());
  ASSERT_GE(Written.Size(), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Bytes), 2), "IL") << "the image-list stream";

  TNxIconList* Nx = TNxIconList::Create(nullptr);
  Written.SetPosition(0);
  Nx->LoadFromStream(Written);
  EXPECT_EQ(Nx->Width(), 16);
  ExpectSameIcons(List->GetImageList(), Nx->GetImageList());

  TMemoryStream Bitmaps;
  Nx->SaveToStream(Bitmaps);  // the Nx list's own form: two BMP files
  Nx->Free();
  Bitmaps.SetPosition(0);
  auto Reader = NewList();
  EXPECT_EQ(FailedCheck([&] { Reader->LoadFromStream(Bitmaps); }), "Stream read error");

  TempTree Dir;
  const std::string File = Dir.Path("icons.il");
  List->SaveToFile(File);
  Reader->LoadFromFile(File);
  ExpectSameIcons(List->GetImageList(), Reader->GetImageList());
  EXPECT_EQ(FailedCheck([&] { Reader->LoadFromFile(Dir.Path("missing.il")); }), "File does not exists");
}

TEST(IconListCppBuild, AssignCopiesTheListAndItsSettingsAssignIconsOnlyTheIcons) {
  TNxTrayIcon* Tray = TNxTrayIcon::Create(nullptr);
  auto Source = NewList();
  Source->SetWidth(32);
  Source->SetHeight(32);
  Source->SetBkColor(clRed);
  AddIcons(*Source, 2, 5);
  Source->SetInterval(250);

  auto Target = NewList();
  Target->Assign(Source.get());
  EXPECT_EQ(Target->Width(), 32);
  EXPECT_EQ(Target->BkColor(), clRed);
  EXPECT_EQ(Target->Interval(), 250);
  ExpectSameIcons(Source->GetImageList(), Target->GetImageList());

  auto Copy = NewList();
  Copy->SetTrayIcon(Tray);
  Copy->SetInterval(7);
  Copy->AssignIcons(Source.get());
  EXPECT_EQ(Copy->TrayIcon(), Tray);
  EXPECT_EQ(Copy->Interval(), 7);
  ExpectSameIcons(Source->GetImageList(), Copy->GetImageList());

  TStringList NotAList;
  EXPECT_EQ(FailedCheck([&] { Target->Assign(&NotAList); }), "The source object is not a TNxIconList");
  Tray->Free();
  EXPECT_EQ(Copy->TrayIcon(), nullptr) << "a freed tray icon is let go";
}

TEST(IconListCppBuild, AnimationStepsAndStoppingKeepsTheCurrentIcon) {
  auto List = NewList();
  AddIcons(*List, 3);
  std::vector<int> Seen;
  for (int I = 0; I < 4; ++I) {
    List->DoAnimate();
    Seen.push_back(List->IconIndex());
  }
  EXPECT_EQ(Seen, (std::vector<int>{1, 2, 0, 1}));
  List->SetAnimated(true);
  EXPECT_TRUE(List->Animated());
  List->SetAnimated(false);
  EXPECT_FALSE(List->Animated());
  EXPECT_EQ(List->IconIndex(), 1) << "stopping only stops the timer";
}

}  // namespace
