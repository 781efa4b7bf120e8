// TCollection / TCollectionItem: items of the item class, notifications, updates, Assign, name
// paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Classes.h"

namespace {

std::vector<std::string> Events;
int LiveItems = 0;

class TPageItem : public TCollectionItem {
  VD_CLASS(TPageItem, TCollectionItem);

public:
  explicit TPageItem(TCollection* Collection) : TCollectionItem(Collection), FTitle("untitled") {
    ++LiveItems;
  }
  std::string FTitle;
  std::string GetDisplayName() const override { return FTitle; }
  void Assign(TPersistent* Source) override {
    if (auto* P = dynamic_cast<TPageItem*>(Source)) FTitle = P->FTitle;
    else inherited::Assign(Source);
  }

protected:
  ~TPageItem() override { --LiveItems; }
};
VD_DEFINE_CLASS(TPageItem) { C.Property("Title", &TPageItem::FTitle, &TPageItem::FTitle); }

class TPages : public TOwnedCollection {
  VD_CLASS(TPages, TOwnedCollection);

public:
  explicit TPages(TPersistent* AOwner) : TOwnedCollection(AOwner, TCollectionItemClass::Of<TPageItem>()) {}
  int Updates = 0;

protected:
  void Update(TCollectionItem*) override { ++Updates; }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    static const char* Names[] = {"added", "extracting", "deleting"};
    Events.push_back(std::string(Names[Action]) + " " + static_cast<TPageItem*>(Item)->FTitle);
  }
};
VD_DEFINE_CLASS(TPages) {}

class TExtension : public TComponent {
  VD_CLASS(TExtension, TComponent);

public:
  explicit TExtension(TComponent* AOwner) : TComponent(AOwner), FPages(TPages::Create(this)) {}
  TPages* FPages;
  void SetPages(TPages* Value) { FPages->Assign(Value); }

protected:
  ~TExtension() override { FPages->Free(); }
};
VD_DEFINE_CLASS(TExtension) { C.Property("ExtraPages", &TExtension::FPages, &TExtension::SetPages); }

TEST(Collection, ItemsNotificationsAndUpdates) {
  Events.clear();
  TObjectPtr<TExtension> Ext(TExtension::Create(nullptr));
  Ext->SetName("Ext");
  TPages& Pages = *Ext->FPages;

  auto* First = Pages.Add();
  EXPECT_EQ(First->ClassName(), "TPageItem");
  EXPECT_EQ(Events, (std::vector<std::string>{"added untitled"})) << "announced once whole";
  static_cast<TPageItem*>(First)->FTitle = "one";
  auto* Second = static_cast<TPageItem*>(Pages.Insert(0));
  Second->FTitle = "two";
  EXPECT_EQ(Pages.Items(0), Second);
  EXPECT_EQ(First->Index(), 1);
  EXPECT_NE(First->ID(), Second->ID());
  EXPECT_EQ(Pages.FindItemID(First->ID()), First);
  EXPECT_EQ(Second->DisplayName(), "two");
  EXPECT_EQ(First->GetNamePath(), "Ext.ExtraPages[1]");
  EXPECT_EQ(First->GetOwner(), &Pages);
  EXPECT_THROW(Pages.Items(2), EListError);

  Pages.Updates = 0;
  Pages.BeginUpdate();
  Pages.Add();
  Pages.Delete(0);
  EXPECT_EQ(Pages.Updates, 0) << "held back during the update";
  Pages.EndUpdate();
  EXPECT_EQ(Pages.Updates, 1);
  EXPECT_EQ(Events.back(), "deleting two");

  TPages Other(nullptr);
  First->SetCollection(&Other);
  EXPECT_EQ(Pages.Count(), 1);
  EXPECT_EQ(Other.Items(0), First);
  EXPECT_EQ(Events[Events.size() - 2], "extracting one");
  EXPECT_EQ(Events.back(), "added one");
  EXPECT_EQ(Other.GetNamePath(), "TPages") << "no owner";
}

TEST(Collection, AssignAndFreeingTheOwner) {
  LiveItems = 0;
  {
    TObjectPtr<TExtension> A(TExtension::Create(nullptr));
    TObjectPtr<TExtension> B(TExtension::Create(nullptr));
    static_cast<TPageItem*>(A->FPages->Add())->FTitle = "x";
    static_cast<TPageItem*>(A->FPages->Add())->FTitle = "y";
    B->FPages->Add();
    SetObjectProp(B.get(), "ExtraPages", A->FPages);  // what a form reader does for a collection
    ASSERT_EQ(B->FPages->Count(), 2);
    EXPECT_EQ(static_cast<TPageItem*>(B->FPages->Items(1))->FTitle, "y");
    EXPECT_EQ(LiveItems, 4);
    TStringList NotPages;
    EXPECT_THROW(B->FPages->Assign(&NotPages), EConvertError);
  }
  EXPECT_EQ(LiveItems, 0) << "every item freed with its collection";
}

}  // namespace
