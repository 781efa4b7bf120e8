// TList notifications, TThreadList, and the streams' error and round-trip behaviour.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "classlib/Classes.h"

namespace {

std::vector<std::string> Events;

class TRecordingList : public TList {
  VD_CLASS(TRecordingList, TList);

protected:
  void Notify(void* Ptr, TListNotification Action) override {
    static const char* Names[] = {"added", "extracted", "deleted"};
    Events.push_back(std::string(Names[Action]) + " " + static_cast<const char*>(Ptr));
  }
};
VD_DEFINE_CLASS(TRecordingList) {}

char A[] = "a", B[] = "b", C[] = "c", D[] = "d";

TEST(List, NotifySequence) {
  Events.clear();
  auto* L = TRecordingList::Create();
  L->Add(A);
  L->Insert(0, B);
  L->Add(nullptr);  // nil entries are not announced
  L->Add(C);
  L->Put(1, D);  // replaces a
  L->Exchange(0, 1);
  L->Move(0, 2);
  EXPECT_EQ(L->Extract(B), B);
  EXPECT_EQ(L->Extract(B), nullptr);
  EXPECT_EQ(L->Remove(C), 2);
  L->Pack();
  EXPECT_EQ(L->Count(), 1);
  L->Add(A);
  L->Free();  // clears through Notify, last first
  std::vector<std::string> Expected = {"added a",   "added b",   "added c",     "deleted a",
                                       "added d",   "extracted b", "deleted c", "added a",
                                       "deleted a", "deleted d"};
  EXPECT_EQ(Events, Expected);
}

TEST(List, IndexErrors) {
  TList L;
  L.Add(A);
  try {
    L.Delete(5);
    FAIL();
  } catch (const EListError& E) {
    EXPECT_EQ(E.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(L.Get(-1), EListError);
  EXPECT_THROW(L.Insert(2, B), EListError);
  EXPECT_THROW(L.Move(0, 1), EListError);
  EXPECT_THROW(L.SetCapacity(0), EListError);
  L.SetCapacity(10);
  EXPECT_GE(L.Capacity(), 10);
  L.SetCount(3);
  EXPECT_EQ(L[2], nullptr);
  EXPECT_EQ(L.IndexOf(A), 0);
}

TEST(ThreadList, DuplicatesAndConcurrentAdds) {
  TThreadList T;
  T.Add(A);
  T.Add(A);
  EXPECT_EQ(T.LockList()->Count(), 1);
  // The lock is recursive: the owner of the list may call the list's own operations.
  T.Add(B);
  T.UnlockList();
  T.SetDuplicates(dupError);
  EXPECT_THROW(T.Add(A), EListError);
  T.Clear();

  T.SetDuplicates(dupAccept);
  std::vector<std::thread> Threads;
  for (int I = 0; I < 4; ++I)
    Threads.emplace_back([&] {
      for (int J = 0; J < 1000; ++J) T.Add(C);
    });
  for (auto& Th : Threads) Th.join();
  EXPECT_EQ(T.LockList()->Count(), 4000);
  T.UnlockList();
}

std::string TempFile(const char* Name) {
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  return std::string(Dir) + Name;
}

TEST(Stream, ShortReadRaisesReadError) {
  TMemoryStream M;
  M.WriteBuffer("abc", 3);
  M.SetPosition(0);
  char Buf[8] = {};
  EXPECT_EQ(M.Read(Buf, 8), 3) << "Read moves what there is";
  M.SetPosition(1);
  try {
    M.ReadBuffer(Buf, 3);
    FAIL();
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Stream read error");
    EXPECT_STREQ(E.ClassName(), "EReadError");
  }
  M.SetPosition(0);
  M.ReadBuffer(Buf, 0);  // nothing to read is no error
}

TEST(Stream, WriteToAReadOnlyFileRaisesWriteError) {
  std::string Path = TempFile("vd_stream_ro.bin");
  {
    TFileStream F(Path, fmCreate);
    F.WriteBuffer("data", 4);
  }
  TFileStream R(Path, fmOpenRead | fmShareDenyWrite);
  try {
    R.WriteBuffer("x", 1);
    FAIL();
  } catch (const EWriteError& E) {
    EXPECT_EQ(E.Message(), "Stream write error");
  }
  EXPECT_EQ(R.Size(), 4);
}

TEST(Stream, FileRoundTripAndOpenErrors) {
  std::string Path = TempFile("vd_stream_rt.bin");
  std::vector<uint8_t> Data(100000);
  for (size_t I = 0; I < Data.size(); ++I) Data[I] = static_cast<uint8_t>(I * 7);
  {
    TFileStream F(Path, fmCreate);
    F.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
    EXPECT_EQ(F.Position(), 100000);
    F.SetSize(60000);
    EXPECT_EQ(F.Size(), 60000);
    EXPECT_EQ(F.Position(), 60000);
  }
  {
    TFileStream F(Path, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(Path, fmOpenRead | fmShareDenyNone), EFOpenError) << "held exclusively";
    EXPECT_EQ(F.Seek(-10, soEnd), 59990);
    uint8_t Tail[10];
    F.ReadBuffer(Tail, 10);
    EXPECT_EQ(Tail[9], Data[59999]);
  }
  TMemoryStream M;
  M.LoadFromFile(Path);
  ASSERT_EQ(M.Size(), 60000);
  EXPECT_EQ(std::memcmp(M.Memory(), Data.data(), 60000), 0);
  DeleteFileA(Path.c_str());

  try {
    TFileStream Missing(Path, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& E) {
    EXPECT_EQ(E.Message().rfind("Cannot open file \"" + Path + "\". ", 0), 0u) << E.Message();
  }
  EXPECT_THROW(TFileStream(TempFile("no\\such\\dir\\x.bin"), fmCreate), EFCreateError);
}

TEST(Stream, MemoryStringAndCopy) {
  TMemoryStream M;
  M.SetSize(4);
  EXPECT_EQ(static_cast<uint8_t*>(M.Memory())[3], 0);
  M.SetPosition(2);
  M.WriteBuffer("xyz", 3);
  EXPECT_EQ(M.Size(), 5) << "writing past the end grows the stream";
  M.SetSize(1);
  EXPECT_EQ(M.Position(), 1);

  TStringStream S("hello world");
  S.SetPosition(6);
  EXPECT_EQ(S.ReadString(100), "world");
  TMemoryStream Copy;
  EXPECT_EQ(Copy.CopyFrom(S, 0), 11) << "0 copies the whole source";
  S.SetPosition(0);
  TStringStream Part;
  Part.CopyFrom(S, 5);
  EXPECT_EQ(Part.DataString(), "hello");
  EXPECT_THROW(Part.CopyFrom(S, 100), EReadError);
  Part.SetSize(2);
  EXPECT_EQ(Part.DataString(), "he");

  EXPECT_THROW(TResourceStream(GetModuleHandleA(nullptr), "NO_SUCH_FORM", MAKEINTRESOURCEA(10)),
               EResNotFound);
}

}  // namespace
