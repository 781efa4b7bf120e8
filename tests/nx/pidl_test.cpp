// Item-id lists: against the shell's own lists and routines, hand-built edge cases, and the
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
struct ShellList {
  LPITEMIDLIST p = nullptr;
  ShellList() = default;
  explicit ShellList(LPITEMIDLIST q) : p(q) {}
  ShellList(const ShellList&) = delete;
  ~ShellList() { if (p) CoTaskMemFree(p); }
};

struct NxList {
  LPITEMIDLIST p;
  explicit NxList(LPITEMIDLIST q) : p(q) {}
  NxList(const NxList&) = delete;
  ~NxList() { FreePIDL(p); }
};

LPITEMIDLIST Parse(const wchar_t* path) {
  LPITEMIDLIST p = nullptr;
  return SUCCEEDED(SHParseDisplayName(path, nullptr, &p, 0, nullptr)) ? p : nullptr;
}

std::string PathOf(LPCITEMIDLIST p) {
  char buf[MAX_PATH] = {};
  return SHGetPathFromIDListA(p, buf) ? buf : "<no path>";
}

std::vector<BYTE> Bytes(LPCITEMIDLIST p, size_t n) {
  auto b = reinterpret_cast<const BYTE*>(p);
  return std::vector<BYTE>(b, b + n);
}

// Bytes placed so that the byte after the last one is on a no-access page: any over-read faults.
class GuardedBlock {
public:
  explicit GuardedBlock(const std::vector<BYTE>& data) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    page_ = si.dwPageSize;
    size_t pages = (data.size() + page_ - 1) / page_ + 1;
    base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, pages * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_ + (pages - 1) * page_, page_, PAGE_NOACCESS, &old);
    data_ = base_ + (pages - 1) * page_ - data.size();
    if (!data.empty()) std::memcpy(data_, data.data(), data.size());
  }
  GuardedBlock(const GuardedBlock&) = delete;
  ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
  BYTE* data() const { return data_; }

private:
  size_t page_ = 0;
  BYTE* base_ = nullptr;
  BYTE* data_ = nullptr;
};

// A list from item payloads (each item: 2-byte count + payload), terminated.
std::vector<BYTE> MakeList(const std::vector<std::string>& items) {
  std::vector<BYTE> out;
  for (const auto& s : items) {
    USHORT cb = static_cast<USHORT>(s.size() + 2);
    out.push_back(static_cast<BYTE>(cb & 0xFF));
    out.push_back(static_cast<BYTE>(cb >> 8));
    out.insert(out.end(), s.begin(), s.end());
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::vector<BYTE> MakeCida(const std::vector<std::vector<BYTE>>& lists /* folder first */) {
  UINT count = static_cast<UINT>(lists.size() - 1);
  std::vector<BYTE> out(sizeof(UINT) * (lists.size() + 1));
  std::memcpy(out.data(), &count, sizeof count);
  for (size_t i = 0; i < lists.size(); ++i) {
    UINT offset = static_cast<UINT>(out.size());
    std::memcpy(out.data() + sizeof(UINT) * (i + 1), &offset, sizeof offset);
    out.insert(out.end(), lists[i].begin(), lists[i].end());
  }
  return out;
}
}  // namespace

TEST(PidlShellOracle, SizeWalkCopyAndJoinAgreeWithTheShell) {
  ShellList windows(Parse(L"C:\\windows"));
  ShellList system32(Parse(L"C:\\windows\\system32"));
  ShellList desktop;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop.p)));
  ASSERT_TRUE(windows.p && system32.p);

  for (LPITEMIDLIST p : {windows.p, system32.p, desktop.p}) {
    EXPECT_EQ(GetPIDLSize(p), ILGetSize(p) - 2);
    // Walking with NextPIDL visits the same items as the shell's ILGetNext.
    LPCITEMIDLIST mine = p, theirs = p;
    for (int guard = 0; guard < 64 && theirs != nullptr && mine != nullptr; ++guard) {
      EXPECT_EQ(static_cast<const void*>(mine), static_cast<const void*>(theirs));
      mine = NextPIDL(mine);
      theirs = ILGetNext(theirs);
    }
    EXPECT_EQ(mine, nullptr);
    EXPECT_EQ(theirs, nullptr);

    NxList copy(CopyPIDL(p));
    ASSERT_NE(copy.p, nullptr);
    UINT size = GetPIDLSize(p);
    EXPECT_EQ(ShellMalloc()->GetSize(copy.p), size + 4);
    std::vector<BYTE> expected = Bytes(p, size);
    expected.insert(expected.end(), 4, 0);
    EXPECT_EQ(Bytes(copy.p, size + 4), expected);
  }

  // Folder + the last item of a deeper list is the deeper list, as ILCombine makes it.
  LPCITEMIDLIST child = ILFindLastID(system32.p);
  NxList joined(ConcatPIDLs(windows.p, child));
  ShellList combined(ILCombine(windows.p, child));
  ASSERT_NE(joined.p, nullptr);
  UINT n = ILGetSize(combined.p);
  EXPECT_EQ(GetPIDLSize(joined.p) + 2, n);
  EXPECT_EQ(Bytes(joined.p, n), Bytes(combined.p, n));
  EXPECT_EQ(ShellMalloc()->GetSize(joined.p), n + 2);
  EXPECT_EQ(reinterpret_cast<const BYTE*>(joined.p)[n], 0);
  EXPECT_EQ(reinterpret_cast<const BYTE*>(joined.p)[n + 1], 0);
  EXPECT_STRCASEEQ(PathOf(joined.p).c_str(), "C:\\windows\\system32");
}

TEST(PidlEdgeCases, NullEmptyAndUnreadableLists) {
  EXPECT_EQ(GetPIDLSize(nullptr), 0u);
  EXPECT_EQ(NextPIDL(nullptr), nullptr);
  EXPECT_EQ(CopyPIDL(nullptr), nullptr);
  EXPECT_EQ(ConcatPIDLs(nullptr, nullptr), nullptr);
  FreePIDL(nullptr);

  std::vector<BYTE> empty = {0, 0, 0, 0};
  auto emptyList = reinterpret_cast<LPCITEMIDLIST>(empty.data());
  EXPECT_EQ(GetPIDLSize(emptyList), 0u);
  EXPECT_EQ(NextPIDL(emptyList), nullptr);
  NxList emptyCopy(CopyPIDL(emptyList));
  ASSERT_NE(emptyCopy.p, nullptr);
  EXPECT_EQ(ShellMalloc()->GetSize(emptyCopy.p), 4u);
  EXPECT_EQ(Bytes(emptyCopy.p, 4), std::vector<BYTE>(4, 0));

  // The first 4 bytes must be readable: an address in the null page, and an empty list whose
  // terminator is the last readable word.
  EXPECT_EQ(CopyPIDL(reinterpret_cast<LPCITEMIDLIST>(1)), nullptr);
  GuardedBlock tail(std::vector<BYTE>{0, 0});
  EXPECT_EQ(CopyPIDL(reinterpret_cast<LPCITEMIDLIST>(tail.data())), nullptr);
}

TEST(PidlEdgeCases, ConcatWithOneSideMissingOrEmptyCopiesTheOther) {
  std::vector<BYTE> a = MakeList({"abc", "de"});
  std::vector<BYTE> empty = MakeList({});
  auto la = reinterpret_cast<LPCITEMIDLIST>(a.data());
  auto le = reinterpret_cast<LPCITEMIDLIST>(empty.data());
  std::vector<BYTE> aPadded = a;
  aPadded.insert(aPadded.end(), 2, 0);

  for (auto [first, second] : {std::pair{la, LPCITEMIDLIST(nullptr)}, std::pair{LPCITEMIDLIST(nullptr), la},
                               std::pair{le, la}, std::pair{la, le}}) {
    NxList r(ConcatPIDLs(first, second));
    ASSERT_NE(r.p, nullptr);
    EXPECT_EQ(ShellMalloc()->GetSize(r.p), a.size() + 2);
    EXPECT_EQ(Bytes(r.p, aPadded.size()), aPadded);
  }
  std::vector<BYTE> b = MakeList({"xyz"});
  NxList ab(ConcatPIDLs(la, reinterpret_cast<LPCITEMIDLIST>(b.data())));
  std::vector<BYTE> expected = MakeList({"abc", "de", "xyz"});
  expected.insert(expected.end(), 2, 0);
  EXPECT_EQ(Bytes(ab.p, expected.size()), expected);
  EXPECT_EQ(GetPIDLSize(ab.p), 5u + 4u + 5u);
}

TEST(PidlBounded, SizeOnlyWhenTheTerminatorIsWithinTheLimit) {
  std::vector<BYTE> list = MakeList({"abc", "de"});  // 5 + 4 + 2 bytes
  auto p = reinterpret_cast<LPCITEMIDLIST>(list.data());
  UINT size = 99;
  EXPECT_TRUE(TryGetPIDLSize(p, list.size(), size));
  EXPECT_EQ(size, 9u);
  for (SIZE_T limit = 0; limit < list.size(); ++limit) EXPECT_FALSE(TryGetPIDLSize(p, limit, size)) << limit;
  std::vector<BYTE> bad = {1, 0, 0, 0};  // a count that can't hold itself
  EXPECT_FALSE(TryGetPIDLSize(reinterpret_cast<LPCITEMIDLIST>(bad.data()), bad.size(), size));
  EXPECT_FALSE(TryGetPIDLSize(nullptr, 100, size));
}

TEST(PidlBounded, WellFormedCidaGivesFolderAndItemsThatJoinToPaths) {
  ShellList windows(Parse(L"C:\\windows"));
  ShellList system32(Parse(L"C:\\windows\\system32"));
  ShellList win_ini(Parse(L"C:\\windows\\win.ini"));
  ASSERT_TRUE(windows.p && system32.p && win_ini.p);
  auto listBytes = [](LPCITEMIDLIST p) { return Bytes(p, ILGetSize(p)); };
  std::vector<BYTE> cida = MakeCida(
      {listBytes(windows.p), listBytes(ILFindLastID(system32.p)), listBytes(ILFindLastID(win_ini.p))});
  GuardedBlock block(cida);

  TNxCidaView view;
  ASSERT_TRUE(view.Parse(block.data(), cida.size()));
  ASSERT_EQ(view.Count(), 2u);
  EXPECT_EQ(view.Item(2), nullptr);
  NxList first(ConcatPIDLs(view.Folder(), view.Item(0)));
  NxList second(ConcatPIDLs(view.Folder(), view.Item(1)));
  EXPECT_STRCASEEQ(PathOf(first.p).c_str(), "C:\\windows\\system32");
  EXPECT_STRCASEEQ(PathOf(second.p).c_str(), "C:\\windows\\win.ini");

  // Every truncation is rejected without reading past the end.
  for (size_t n = 0; n < cida.size(); ++n) {
    GuardedBlock cut(std::vector<BYTE>(cida.begin(), cida.begin() + n));
    TNxCidaView v;
    EXPECT_FALSE(v.Parse(cut.data(), n)) << n;
    EXPECT_EQ(v.Count(), 0u);
    EXPECT_EQ(v.Folder(), nullptr);
  }
}

TEST(PidlBounded, MalformedCidaHeadersAreRejected) {
  std::vector<BYTE> folder = MakeList({"f"});
  std::vector<BYTE> item = MakeList({"i"});
  std::vector<BYTE> good = MakeCida({folder, item});
  TNxCidaView v;
  ASSERT_TRUE(v.Parse(good.data(), good.size()));

  auto withUint = [&](size_t at, UINT value) {
    std::vector<BYTE> b = good;
    std::memcpy(b.data() + at, &value, sizeof value);
    return b;
  };
  const std::vector<std::vector<BYTE>> bad = {
      withUint(0, 0xFFFFFFFFu),        // count far beyond the block
      withUint(0, 5),                  // offset table runs past the block
      withUint(4, 2),                  // folder offset inside the table
      withUint(8, static_cast<UINT>(good.size())),  // item offset at the end
      withUint(8, 0x7FFFFFF0u),        // item offset far outside
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    GuardedBlock block(bad[i]);
    EXPECT_FALSE(v.Parse(block.data(), bad[i].size())) << i;
  }
  EXPECT_FALSE(v.Parse(nullptr, 100));
  EXPECT_FALSE(v.Parse(good.data(), 3));
}

TEST(PidlBounded, RandomBlocksNeverReadOutsideAndAcceptedOnesAreConsistent) {
  std::mt19937 rng(4711);
  std::vector<BYTE> base = MakeCida({MakeList({"folder"}), MakeList({"a", "bb"}), MakeList({"ccc"})});
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<BYTE> b = base;
    int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) b[rng() % b.size()] = static_cast<BYTE>(rng() % 8 == 0 ? rng() : rng() % 16);
    b.resize(rng() % (b.size() + 1));
    GuardedBlock block(b);
    TNxCidaView v;
    if (!v.Parse(block.data(), b.size())) continue;
    ++accepted;
    for (UINT i = 0; i <= v.Count(); ++i) {
      LPCITEMIDLIST p = i == 0 ? v.Folder() : v.Item(i - 1);
      SIZE_T left = b.size() - static_cast<SIZE_T>(reinterpret_cast<const BYTE*>(p) - block.data());
      UINT size;
      ASSERT_TRUE(TryGetPIDLSize(p, left, size));
      EXPECT_EQ(size, GetPIDLSize(p));
    }
  }
  EXPECT_GT(accepted, 0);
}
