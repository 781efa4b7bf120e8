// TStrings / TStringList: sorting and duplicates, names and values, text and comma text,
// change notifications, file round trip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Classes.h"

namespace {

std::vector<std::string> Items(const TStrings& L) {
  std::vector<std::string> V;
  for (int I = 0; I < L.Count(); ++I) V.push_back(L[I]);
  return V;
}

using Strs = std::vector<std::string>;

TEST(StringList, SortedAddKeepsOrderAndAppliesDuplicates) {
  TStringList L;
  L.SetSorted(true);
  EXPECT_EQ(L.Add("pear"), 0);
  EXPECT_EQ(L.Add("Apple"), 0);
  EXPECT_EQ(L.Add("banana"), 1);
  EXPECT_EQ(Items(L), (Strs{"Apple", "banana", "pear"}));

  EXPECT_EQ(L.Add("APPLE"), 0) << "dupIgnore returns the existing entry";
  EXPECT_EQ(L.Count(), 3);

  L.SetDuplicates(dupAccept);
  L.Add("apple");
  EXPECT_EQ(L.Count(), 4);
  int Index = -1;
  EXPECT_TRUE(L.Find("APPLE", Index));
  EXPECT_EQ(Index, 0) << "Find gives the first occurrence";
  EXPECT_FALSE(L.Find("cherry", Index));
  EXPECT_EQ(Index, 3) << "where cherry would go";

  L.SetDuplicates(dupError);
  EXPECT_THROW(L.Add("Pear"), EStringListError);
  try {
    L.Add("pear");
  } catch (const EStringListError& E) {
    EXPECT_STREQ(E.ClassName(), "EStringListError");
  }
  EXPECT_THROW(L.Insert(0, "x"), EStringListError) << "sorted lists refuse Insert";
  EXPECT_THROW(L.Put(0, "x"), EStringListError) << "and Put";
  EXPECT_EQ(L.IndexOf("BANANA"), 2);
}

TEST(StringList, SettingSortedSortsAndCaseSensitiveReorders) {
  TStringList L;
  L.SetText("b\r\nC\r\na\r\n");
  L.SetSorted(true);
  EXPECT_EQ(Items(L), (Strs{"a", "b", "C"}));
  L.SetSorted(false);
  L.Add("A");
  EXPECT_EQ(L.IndexOf("a"), 0) << "unsorted IndexOf is case-insensitive";
  L.SetCaseSensitive(true);
  EXPECT_EQ(L.IndexOf("A"), 3);
}

TEST(StringList, IndexErrorsCarryTheIndex) {
  TStringList L;
  L.Add("one");
  try {
    L.Delete(5);
    FAIL();
  } catch (const EStringListError& E) {
    EXPECT_EQ(E.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(L.Get(-1), EStringListError);
  EXPECT_THROW(L.Insert(2, "x"), EStringListError);
  L.Insert(1, "two");
  EXPECT_EQ(L[1], "two");
}

TEST(StringList, NamesAndValues) {
  TStringList L;
  L.SetText("Author=Ann\r\nplain line\r\nVersion=1.0=beta\r\nEmpty=\r\n");
  EXPECT_EQ(L.Names(0), "Author");
  EXPECT_EQ(L.Names(1), "") << "a line without '=' has no name";
  EXPECT_EQ(L.Values("author"), "Ann");
  EXPECT_EQ(L.Values("VERSION"), "1.0=beta") << "the value starts after the first '='";
  EXPECT_EQ(L.Values("missing"), "");
  EXPECT_EQ(L.IndexOfName("empty"), 3);
  EXPECT_EQ(L.IndexOfName("plain line"), -1);

  L.SetValue("author", "Bob");
  EXPECT_EQ(L[0], "author=Bob");
  L.SetValue("New", "x");
  EXPECT_EQ(L[L.Count() - 1], "New=x");
  L.SetValue("Version", "");
  EXPECT_EQ(L.IndexOfName("Version"), -1) << "an empty value deletes the line";
  EXPECT_EQ(L.ValueFromIndex(0), "Bob");
}

TEST(StringList, TextRoundTripAndLineBreaks) {
  TStringList L;
  L.SetText("a\nb\r\n\r\nc\rd");
  EXPECT_EQ(Items(L), (Strs{"a", "b", "", "c", "d"})) << "LF, CR LF and CR all break lines";
  EXPECT_EQ(L.Text(), "a\r\nb\r\n\r\nc\r\nd\r\n") << "CR LF after every line, the last one too";

  TStringList Copy;
  Copy.SetText(L.Text());
  EXPECT_TRUE(Copy.Equals(L));

  L.SetText("");
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.Text(), "");
  L.SetText("x\r\n");
  EXPECT_EQ(Items(L), (Strs{"x"})) << "a final line break adds no empty line";
}

TEST(StringList, CommaText) {
  TStringList L;
  L.Add("plain");
  L.Add("with space");
  L.Add("quote\"d");
  L.Add("");
  EXPECT_EQ(L.CommaText(), "plain,\"with space\",\"quote\"\"d\",\"\"");
  TStringList Back;
  Back.SetCommaText(L.CommaText());
  EXPECT_TRUE(Back.Equals(L));
  Back.SetCommaText("a b, c ,\"d,e\"");
  EXPECT_EQ(Items(Back), (Strs{"a", "b", "c", "d,e"}));
}

TEST(StringList, AssignCopiesStringsAndObjects) {
  TStringList A, B;
  TStringList Marker;
  A.AddObject("x", &Marker);
  A.Add("y");
  B.Add("old");
  B.Assign(&A);
  EXPECT_EQ(Items(B), (Strs{"x", "y"}));
  EXPECT_EQ(B.Objects(0), &Marker);
  EXPECT_EQ(B.IndexOfObject(&Marker), 0);
  B.AddStrings(A);
  EXPECT_EQ(B.Count(), 4);
}

struct ChangeCounter {
  int Changing = 0;
  int Changed = 0;
  void OnChanging(TObject*) { ++Changing; }
  void OnChange(TObject*) { ++Changed; }
};

TEST(StringList, ChangeEventsWaitForTheLastEndUpdate) {
  TStringList L;
  ChangeCounter C;
  L.OnChanging = MakeEvent<&ChangeCounter::OnChanging>(&C);
  L.OnChange = MakeEvent<&ChangeCounter::OnChange>(&C);
  L.Add("a");
  EXPECT_EQ(C.Changing, 1);
  EXPECT_EQ(C.Changed, 1);

  L.BeginUpdate();
  L.BeginUpdate();
  L.Add("b");
  L.Delete(0);
  L.EndUpdate();
  EXPECT_EQ(C.Changed, 1) << "nothing while an update is open";
  L.EndUpdate();
  EXPECT_EQ(C.Changing, 2);
  EXPECT_EQ(C.Changed, 2);

  L.SetText("1\r\n2\r\n3\r\n");
  EXPECT_EQ(C.Changed, 3) << "setting Text is one change";
}

TEST(StringList, FileRoundTrip) {
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  std::string Path = std::string(Dir) + "vd_stringlist_test.txt";
  TStringList L;
  L.Add("first");
  L.Add("second=2");
  L.SaveToFile(Path);

  TMemoryStream Raw;
  Raw.LoadFromFile(Path);
  EXPECT_EQ(std::string(static_cast<char*>(Raw.Memory()), static_cast<size_t>(Raw.Size())),
            "first\r\nsecond=2\r\n");

  TStringList Back;
  Back.LoadFromFile(Path);
  EXPECT_TRUE(Back.Equals(L));
  DeleteFileA(Path.c_str());
  EXPECT_THROW(Back.LoadFromFile(Path), EFOpenError);
}

}  // namespace
