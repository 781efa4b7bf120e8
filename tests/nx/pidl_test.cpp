// Item-id lists against the shell's own lists and routines, hand-built edge cases, and the
// bounded walkers with their input placed right before an inaccessible page.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "nx/NxPIDLTools.h"

namespace {
using Bytes = std::vector<BYTE>;

struct ShellList {  // made by the shell (CoTaskMem)
  LPITEMIDLIST p = nullptr;
  explicit ShellList(const wchar_t* path) { SHParseDisplayName(path, nullptr, &p, 0, nullptr); }
  ~ShellList() { CoTaskMemFree(p); }
};
struct NxList {  // made here
  LPITEMIDLIST p;
  explicit NxList(LPITEMIDLIST q) : p(q) {}
  ~NxList() { FreePIDL(p); }
};

Bytes Of(LPCITEMIDLIST p, size_t n) { return Bytes(reinterpret_cast<const BYTE*>(p), reinterpret_cast<const BYTE*>(p) + n); }
LPCITEMIDLIST L(const Bytes& b) { return reinterpret_cast<LPCITEMIDLIST>(b.data()); }
SIZE_T BlockSize(const void* p) { return ShellMalloc()->GetSize(const_cast<void*>(p)); }
std::string PathOf(LPCITEMIDLIST p) {
  char buf[MAX_PATH] = {};
  return SHGetPathFromIDListA(p, buf) ? buf : "<no path>";
}

// Items with the given payloads, terminated.
Bytes MakeList(std::initializer_list<std::string> items) {
  Bytes out;
  for (const auto& s : items) {
    out.push_back(BYTE(s.size() + 2));
    out.push_back(0);
    out.insert(out.end(), s.begin(), s.end());
  }
  out.insert(out.end(), {0, 0});
  return out;
}

// count, offsets (folder first), then the lists.
Bytes MakeCida(const std::vector<Bytes>& lists) {
  Bytes out(sizeof(UINT) * (lists.size() + 1));
  UINT count = UINT(lists.size() - 1);
  std::memcpy(out.data(), &count, sizeof count);
  for (size_t i = 0; i < lists.size(); ++i) {
    UINT offset = UINT(out.size());
    std::memcpy(out.data() + sizeof(UINT) * (i + 1), &offset, sizeof offset);
    out.insert(out.end(), lists[i].begin(), lists[i].end());
  }
  return out;
}

// The bytes end right where a no-access page begins: any over-read faults.
class Guarded {
public:
  explicit Guarded(const Bytes& data) {
    const size_t page = 4096, pages = data.size() / page + 2;
    base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, pages * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &old);
    at_ = base_ + (pages - 1) * page - data.size();
    if (!data.empty()) std::memcpy(at_, data.data(), data.size());
  }
  ~Guarded() { VirtualFree(base_, 0, MEM_RELEASE); }
  BYTE* at() const { return at_; }

private:
  BYTE *base_, *at_;
};
}  // namespace

TEST(Pidl, SizeWalkCopyAndJoinAgreeWithTheShell) {
  ShellList windows(L"C:\\windows"), system32(L"C:\\windows\\system32");
  ASSERT_TRUE(windows.p && system32.p);
  for (LPCITEMIDLIST p : {windows.p, system32.p}) {
    EXPECT_EQ(GetPIDLSize(p), ILGetSize(p) - 2);
    LPCITEMIDLIST mine = p, theirs = p;
    while (theirs && mine) {
      ASSERT_EQ(mine, theirs);
      mine = NextPIDL(mine);
      theirs = ILGetNext(theirs);
    }
    EXPECT_EQ(mine, theirs) << "both walks end together";
    NxList copy(CopyPIDL(p));
    Bytes expected = Of(p, GetPIDLSize(p));
    expected.insert(expected.end(), 4, 0);
    EXPECT_EQ(BlockSize(copy.p), expected.size());
    EXPECT_EQ(Of(copy.p, expected.size()), expected);
  }
  LPCITEMIDLIST child = ILFindLastID(system32.p);
  NxList joined(ConcatPIDLs(windows.p, child));
  LPITEMIDLIST combined = ILCombine(windows.p, child);
  const UINT n = ILGetSize(combined);
  Bytes expected = Of(combined, n);
  expected.insert(expected.end(), 2, 0);
  EXPECT_EQ(BlockSize(joined.p), n + 2);
  EXPECT_EQ(Of(joined.p, n + 2), expected);
  EXPECT_STRCASEEQ(PathOf(joined.p).c_str(), "C:\\windows\\system32");
  ILFree(combined);
}

TEST(Pidl, NullEmptyUnreadableAndOneSidedLists) {
  EXPECT_EQ(GetPIDLSize(nullptr), 0u);
  EXPECT_EQ(NextPIDL(nullptr), nullptr);
  EXPECT_EQ(ConcatPIDLs(nullptr, nullptr), nullptr);
  FreePIDL(nullptr);
  Bytes empty = {0, 0, 0, 0};
  EXPECT_EQ(GetPIDLSize(L(empty)), 0u);
  EXPECT_EQ(NextPIDL(L(empty)), nullptr);
  NxList emptyCopy(CopyPIDL(L(empty)));
  EXPECT_EQ(BlockSize(emptyCopy.p), 4u);
  EXPECT_EQ(Of(emptyCopy.p, 4), Bytes(4, 0));
  // The first 4 bytes must be readable.
  EXPECT_EQ(CopyPIDL(reinterpret_cast<LPCITEMIDLIST>(1)), nullptr);
  Guarded lastWord(Bytes{0, 0});
  EXPECT_EQ(CopyPIDL(reinterpret_cast<LPCITEMIDLIST>(lastWord.at())), nullptr);

  Bytes a = MakeList({"abc", "de"}), padded = a;
  padded.insert(padded.end(), 2, 0);
  for (auto [x, y] : {std::pair{L(a), LPCITEMIDLIST()}, {LPCITEMIDLIST(), L(a)}, {L(empty), L(a)}, {L(a), L(empty)}}) {
    NxList r(ConcatPIDLs(x, y));
    EXPECT_EQ(BlockSize(r.p), padded.size());
    EXPECT_EQ(Of(r.p, padded.size()), padded);
  }
}

TEST(PidlBounded, SizeWithinALimitAndWellFormedCidaOfRealLists) {
  Bytes list = MakeList({"abc", "de"});
  UINT size = 0;
  EXPECT_TRUE(TryGetPIDLSize(L(list), list.size(), size));
  EXPECT_EQ(size, 9u);
  for (SIZE_T limit = 0; limit < list.size(); ++limit) EXPECT_FALSE(TryGetPIDLSize(L(list), limit, size));
  EXPECT_FALSE(TryGetPIDLSize(L(Bytes{1, 0, 0, 0}), 4, size)) << "a count that can't hold itself";

  ShellList windows(L"C:\\windows"), system32(L"C:\\windows\\system32"), winIni(L"C:\\windows\\win.ini");
  auto whole = [](LPCITEMIDLIST p) { return Of(p, ILGetSize(p)); };
  Bytes cida = MakeCida({whole(windows.p), whole(ILFindLastID(system32.p)), whole(ILFindLastID(winIni.p))});
  Guarded block(cida);
  TNxCidaView view;
  ASSERT_TRUE(view.Parse(block.at(), cida.size()));
  ASSERT_EQ(view.Count(), 2u);
  EXPECT_EQ(view.Item(2), nullptr);
  NxList first(ConcatPIDLs(view.Folder(), view.Item(0))), second(ConcatPIDLs(view.Folder(), view.Item(1)));
  EXPECT_STRCASEEQ(PathOf(first.p).c_str(), "C:\\windows\\system32");
  EXPECT_STRCASEEQ(PathOf(second.p).c_str(), "C:\\windows\\win.ini");
  for (size_t n = 0; n < cida.size(); ++n) {
    Guarded cut(Bytes(cida.begin(), cida.begin() + n));
    EXPECT_FALSE(view.Parse(cut.at(), n)) << "truncated to " << n;
    EXPECT_EQ(view.Folder(), nullptr);
  }
}

// The walk of a block is paid for by its bytes: slots sharing one long list, or items that would
// each carry a long folder list along, are refused instead of read once per slot.
TEST(PidlBounded, BlocksWhoseListsOutgrowThemAreRefused) {
  Bytes item(32000 + 2);
  item[0] = 32000 & 0xFF;
  item[1] = 32000 >> 8;
  const UINT count = 8189, table = UINT(sizeof(UINT) * (count + 2));
  Bytes shared(table);  // then one list for every slot
  std::memcpy(shared.data(), &count, sizeof count);
  for (UINT slot = 0; slot <= count; ++slot) std::memcpy(shared.data() + sizeof(UINT) * (slot + 1), &table, sizeof table);
  shared.insert(shared.end(), item.begin(), item.end());
  std::vector<Bytes> lists(count + 1, Bytes{0, 0});
  lists[0] = item;
  Bytes longFolder = MakeCida(lists);
  lists[0] = MakeList({"folder"});
  Bytes many = MakeCida(lists);  // the same count with a short folder is fine
  for (const Bytes* b : {&shared, &longFolder, &many}) {
    Guarded block(*b);
    TNxCidaView v;
    EXPECT_EQ(v.Parse(block.at(), b->size()), b == &many) << b->size();
  }
}

TEST(PidlBounded, MalformedAndRandomCidaBlocksNeverReadOutside) {
  Bytes good = MakeCida({MakeList({"f"}), MakeList({"i"})});
  auto with = [&](size_t at, UINT v) {
    Bytes b = good;
    std::memcpy(b.data() + at, &v, sizeof v);
    return b;
  };
  // A huge count, a table past the end, a folder offset inside the table, item offsets at and past the end.
  for (const Bytes& b : {with(0, 0xFFFFFFFFu), with(0, 5), with(4, 2), with(8, UINT(good.size())), with(8, 0x7FFFFFF0u)}) {
    Guarded block(b);
    TNxCidaView v;
    EXPECT_FALSE(v.Parse(block.at(), b.size()));
  }

  std::mt19937 rng(4711);
  Bytes base = MakeCida({MakeList({"folder"}), MakeList({"a", "bb"}), MakeList({"ccc"})});
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes b = base;
    for (int f = 1 + rng() % 4; f > 0; --f) b[rng() % b.size()] = BYTE(rng() % 8 ? rng() % 16 : rng());
    b.resize(rng() % (b.size() + 1));
    Guarded block(b);
    TNxCidaView v;
    if (!v.Parse(block.at(), b.size())) continue;
    ++accepted;
    for (UINT i = 0; i <= v.Count(); ++i) {
      LPCITEMIDLIST p = i == 0 ? v.Folder() : v.Item(i - 1);
      UINT size;
      ASSERT_TRUE(TryGetPIDLSize(p, b.size() - (reinterpret_cast<const BYTE*>(p) - block.at()), size));
      EXPECT_EQ(size, GetPIDLSize(p));
    }
  }
  EXPECT_GT(accepted, 0);
}
