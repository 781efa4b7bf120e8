// TStrings and TStringList.
#include <algorithm>

#include "classlib/Classes.h"
#include "classlib/TypInfo.h"

VD_DEFINE_CLASS(TStrings) {}
VD_DEFINE_CLASS(TStringList) {}

namespace {
constexpr const char* SListIndexError = "List index out of bounds (%d)";
constexpr const char* SSortedListError = "Operation not allowed on sorted list";
constexpr const char* SDuplicateString = "String list does not allow duplicates";

std::string FormatInt(const char* Msg, int Data) {
  std::string S = Msg;
  size_t At = S.find("%d");
  if (At != std::string::npos) S.replace(At, 2, std::to_string(Data));
  return S;
}

bool NeedsQuotes(const std::string& S) {
  if (S.empty()) return true;
  for (char Ch : S)
    if (static_cast<unsigned char>(Ch) <= ' ' || Ch == ',' || Ch == '"') return true;
  return false;
}
}  // namespace

// ---- TStrings -----------------------------------------------------------------------------------

void TStrings::Error(const char* Msg, int Data) const { throw EStringListError(FormatInt(Msg, Data)); }

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return AnsiCompareText(S1, S2);
}

void TStrings::Put(int Index, const std::string& S) {
  TObject* Obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, Obj);
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

int TStrings::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int Index = GetCount();
  InsertObject(Index, S, AObject);
  return Index;
}

void TStrings::AddStrings(const TStrings& Strings) {
  BeginUpdate();
  try {
    for (int I = 0; I < Strings.GetCount(); ++I) AddObject(Strings.Get(I), Strings.GetObject(I));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TStrings*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(*Src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    std::string S1 = Get(Index1);
    TObject* O1 = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, S1);
    PutObject(Index2, O1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    std::string S = Get(CurIndex);
    TObject* Obj = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, S, Obj);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::Equals(const TStrings& Strings) const {
  if (GetCount() != Strings.GetCount()) return false;
  for (int I = 0; I < GetCount(); ++I)
    if (Get(I) != Strings.Get(I)) return false;
  return true;
}

int TStrings::IndexOf(const std::string& S) const {
  for (int I = 0; I < GetCount(); ++I)
    if (CompareStrings(Get(I), S) == 0) return I;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int I = 0; I < GetCount(); ++I) {
    std::string S = Get(I);
    size_t Eq = S.find('=');
    if (Eq != std::string::npos && CompareStrings(S.substr(0, Eq), Name) == 0) return I;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int I = 0; I < GetCount(); ++I)
    if (GetObject(I) == AObject) return I;
  return -1;
}

std::string TStrings::Names(int Index) const {
  std::string S = Get(Index);
  size_t Eq = S.find('=');
  return Eq == std::string::npos ? std::string() : S.substr(0, Eq);
}

std::string TStrings::ValueFromIndex(int Index) const {
  std::string S = Get(Index);
  size_t Eq = S.find('=');
  return Eq == std::string::npos ? std::string() : S.substr(Eq + 1);
}

std::string TStrings::Values(const std::string& Name) const {
  int Index = IndexOfName(Name);
  return Index < 0 ? std::string() : ValueFromIndex(Index);
}

void TStrings::SetValue(const std::string& Name, const std::string& Value) {
  int Index = IndexOfName(Name);
  if (!Value.empty()) {
    if (Index < 0) Add(Name + "=" + Value);
    else Put(Index, Name + "=" + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

std::string TStrings::Text() const {
  std::string S;
  for (int I = 0; I < GetCount(); ++I) {
    S += Get(I);
    S += "\r\n";
  }
  return S;
}

void TStrings::SetText(const std::string& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t Pos = 0;
    while (Pos < Value.size()) {
      size_t End = Value.find_first_of("\r\n", Pos);
      if (End == std::string::npos) End = Value.size();
      Add(Value.substr(Pos, End - Pos));
      Pos = End;
      if (Pos < Value.size() && Value[Pos] == '\r') ++Pos;
      if (Pos < Value.size() && Value[Pos] == '\n') ++Pos;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::CommaText() const {
  std::string Result;
  for (int I = 0; I < GetCount(); ++I) {
    std::string S = Get(I);
    if (I > 0) Result += ',';
    if (NeedsQuotes(S)) {
      Result += '"';
      for (char Ch : S) {
        if (Ch == '"') Result += '"';
        Result += Ch;
      }
      Result += '"';
    } else {
      Result += S;
    }
  }
  return Result;
}

void TStrings::SetCommaText(const std::string& Value) {
  auto IsBlank = [](char Ch) { return static_cast<unsigned char>(Ch) <= ' '; };
  BeginUpdate();
  try {
    Clear();
    size_t P = 0, N = Value.size();
    while (P < N && IsBlank(Value[P])) ++P;
    while (P < N) {
      std::string Item;
      if (Value[P] == '"') {
        ++P;
        while (P < N) {
          if (Value[P] == '"') {
            if (P + 1 < N && Value[P + 1] == '"') {
              Item += '"';
              P += 2;
              continue;
            }
            ++P;
            break;
          }
          Item += Value[P++];
        }
      } else {
        while (P < N && Value[P] != ',' && !IsBlank(Value[P])) Item += Value[P++];
      }
      Add(Item);
      while (P < N && IsBlank(Value[P])) ++P;
      if (P < N && Value[P] == ',') {
        ++P;
        while (P < N && IsBlank(Value[P])) ++P;
        if (P == N) Add("");  // a trailing comma ends with an empty item
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& Stream) {
  int64_t Count = Stream.Size() - Stream.Position();
  std::string S(static_cast<size_t>(std::max<int64_t>(Count, 0)), '\0');
  if (!S.empty()) Stream.ReadBuffer(S.data(), static_cast<int32_t>(S.size()));
  SetText(S);
}

void TStrings::SaveToStream(TStream& Stream) const {
  std::string S = Text();
  Stream.WriteBuffer(S.data(), static_cast<int32_t>(S.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(Stream);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(Stream);
}

// ---- TStringList --------------------------------------------------------------------------------

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  if (FCaseSensitive) {
    int R = CompareStringA(LOCALE_USER_DEFAULT, 0, S1.data(), static_cast<int>(S1.size()), S2.data(),
                           static_cast<int>(S2.size()));
    return R - CSTR_EQUAL;
  }
  return AnsiCompareText(S1, S2);
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) throw EStringListError(SSortedListError);
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = AObject;
  Changed();
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) throw EStringListError(SSortedListError);
  if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int Index = GetCount();
  if (FSorted && Find(S, Index)) {
    if (FDuplicates == dupIgnore) return Index;
    if (FDuplicates == dupError) throw EStringListError(SDuplicateString);
  }
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
  return Index;
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

bool TStringList::Find(const std::string& S, int& Index) const {
  int Lo = 0, Hi = GetCount();
  while (Lo < Hi) {
    int Mid = Lo + (Hi - Lo) / 2;
    if (CompareStrings(FList[static_cast<size_t>(Mid)].FString, S) < 0) Lo = Mid + 1;
    else Hi = Mid;
  }
  Index = Lo;
  return Lo < GetCount() && CompareStrings(FList[static_cast<size_t>(Lo)].FString, S) == 0;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return inherited::IndexOf(S);
  int Index;
  return Find(S, Index) ? Index : -1;
}

void TStringList::Sort() {
  if (FList.size() < 2) return;
  Changing();
  std::stable_sort(FList.begin(), FList.end(), [this](const TStringItem& A, const TStringItem& B) {
    return CompareStrings(A.FString, B.FString) < 0;
  });
  Changed();
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (FSorted || FList.size() < 2) return;
  // The comparison reads the list by index, so sort a permutation and apply it afterwards.
  std::vector<int> Order(FList.size());
  for (size_t I = 0; I < Order.size(); ++I) Order[I] = static_cast<int>(I);
  std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) { return Compare(*this, A, B) < 0; });
  Changing();
  std::vector<TStringItem> Sorted;
  Sorted.reserve(FList.size());
  for (int I : Order) Sorted.push_back(std::move(FList[static_cast<size_t>(I)]));
  FList = std::move(Sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}
