// The packed stream format byte for byte, round trips across block boundaries, and malformed
// records: every one must end in EReadError, never in a crash or a read outside the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "lx/lxSFPack.h"
#include "lx/lxSFPackCore.h"
#include "tests/support/TempTree.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Repeat(size_t N, uint8_t V) { return Bytes(N, V); }
Bytes AllValues() {
  Bytes B;
  for (int V = 0; V < 256; ++V) B.push_back(static_cast<uint8_t>(V));
  return B;
}
Bytes Cat(Bytes A, const Bytes& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}
Bytes Random(size_t N, unsigned Seed) {
  std::mt19937 G(Seed);
  Bytes B(N);
  for (auto& X : B) X = static_cast<uint8_t>(G());
  return B;
}
// Runs of random lengths (1 to 600) of few values: exercises short and long runs in both forms.
Bytes Runs(size_t N, unsigned Seed, int Values) {
  std::mt19937 G(Seed);
  Bytes B;
  while (B.size() < N) {
    size_t L = std::min<size_t>(1 + G() % 600, N - B.size());
    B.insert(B.end(), L, static_cast<uint8_t>(G() % Values));
  }
  return B;
}

void Fill(TMemoryStream& S, const Bytes& B) {
  S.Clear();
  if (!B.empty()) S.WriteBuffer(B.data(), static_cast<int32_t>(B.size()));
  S.SetPosition(0);
}
Bytes Content(TCustomMemoryStream& S) {
  auto* P = static_cast<const uint8_t*>(S.Memory());
  return Bytes(P, P + S.Size());
}

Bytes Pack(const Bytes& Data) {
  TMemoryStream Src, Dst;
  Fill(Src, Data);
  PackStream(Src, Dst);
  return Content(Dst);
}
Bytes Unpack(const Bytes& Record) {
  TMemoryStream Src;
  Fill(Src, Record);
  auto Out = UnpackStream(Src);
  EXPECT_EQ(Out->Position(), 0);
  EXPECT_EQ(Src.Position(), static_cast<int64_t>(Record.size()));
  return Content(*Out);
}
// Through a stream that is no memory stream (the copying path).
Bytes UnpackCopied(const Bytes& Record) {
  TStringStream Src(std::string(Record.begin(), Record.end()));
  auto Out = UnpackStream(Src);
  return Content(*Out);
}

Bytes Hex(const char* Text) {
  Bytes B;
  for (const char* P = Text; *P;) {
    if (*P == ' ') {
      ++P;
      continue;
    }
    B.push_back(static_cast<uint8_t>(std::stoi(std::string(P, 2), nullptr, 16)));
    P += 2;
  }
  return B;
}

// ---- Exact bytes ------------------------------------------------------------------------------

TEST(SFPackFormat, EscapeFormVectors) {
  EXPECT_EQ(Pack({}), Hex("04000000 00000000"));
  EXPECT_EQ(Pack(Repeat(10, 0x41)), Hex("0B000000 0A000000 0500 0000 00 41 09"));
  EXPECT_EQ(Pack({0x41, 0x41, 0x41, 0x42}), Hex("0C000000 04000000 0600 0000 41414142"));
  // Escape 2: 0 and 1 occur; a run of exactly four.
  EXPECT_EQ(Pack({0, 0, 0, 0, 1}), Hex("0C000000 05000000 0600 0200 02 00 03 01"));
  // Long run: 0 and two count bytes.
  EXPECT_EQ(Pack(Repeat(300, 0x41)), Hex("0D000000 2C010000 0700 0000 00 41 00 2B01"));
}

TEST(SFPackFormat, TableFormLongRun) {
  Bytes Block = Hex("0601");  // H = 262: 2 + 256 literals + 20 00 2B 01
  Block = Cat(Block, AllValues());
  Block = Cat(Block, Hex("20 00 2B01 0301"));  // the count byte at 0x103
  Bytes Expected = Cat(Hex("0E010000 2C020000 0801"), Block);
  ASSERT_EQ(Expected.size(), 274u);
  EXPECT_EQ(Pack(Cat(AllValues(), Repeat(300, 0x20))), Expected);
}

TEST(SFPackFormat, TableFormShortRunAndFourEqualBytes) {
  // Five equal bytes: a run with the one-byte count 4.
  Bytes Five = Pack(Cat(AllValues(), Repeat(5, 0x07)));
  EXPECT_EQ(Bytes(Five.end() - 4, Five.end()), Hex("07 04 0301"));
  EXPECT_EQ(Bytes(Five.begin() + 8, Five.begin() + 12), Hex("0601 0401"));  // P = 262, H = 260
  // Four equal bytes are four literals in the table form (but a run in the escape form).
  Bytes Four = Pack(Cat(AllValues(), Repeat(4, 0x07)));
  EXPECT_EQ(Bytes(Four.begin() + 8, Four.begin() + 12), Hex("0601 0601"));  // P = 262 = H: no table
  EXPECT_EQ(Bytes(Four.end() - 6, Four.end()), Hex("FEFF 07070707"));
}

TEST(SFPackFormat, BlocksAreCutAt65533BytesAndRunsDoNotCrossThem) {
  Bytes R = Pack(Repeat(65534, 0x41));
  // First piece: one run of 65533 (C = 65532); second: the one remaining byte.
  EXPECT_EQ(R, Hex("12000000 FEFF0000 0700 0000 00 41 00 FCFF 0300 0000 41"));
  Bytes Two = Pack(Random(65533 + 1, 7));
  size_t P1 = Two[8] | (Two[9] << 8);
  size_t Second = 10 + P1;
  ASSERT_LT(Second + 2, Two.size());
  EXPECT_EQ(Two[Second] | (Two[Second + 1] << 8), 3);  // header + one literal
  EXPECT_EQ(Two.size(), Second + 2 + 3);
}

TEST(SFPackFormat, PackedSizeBoundHoldsForIncompressibleData) {
  EXPECT_EQ(PackedSizeBound(0), 263u);
  EXPECT_EQ(PackedSizeBound(255), 263u);
  for (size_t N : {0, 1, 255, 256, 65533, 65534, 65535, 131066, 131067, 196599, 196600}) {
    Bytes Data = Random(N, static_cast<unsigned>(N));
    // Exactly the bound, with a guard zone behind it that must stay untouched.
    Bytes Out(PackedSizeBound(N) + 64, 0xCC);
    size_t Packed = PackBuffer(Data.data(), Out.data(), N, PackedSizeBound(N));
    EXPECT_LE(Packed, PackedSizeBound(N)) << N;
    EXPECT_TRUE(std::all_of(Out.end() - 64, Out.end(), [](uint8_t B) { return B == 0xCC; })) << N;
  }
}

// ---- Round trips ------------------------------------------------------------------------------

TEST(SFPackRoundTrip, SizesAndShapes) {
  for (size_t N : {0, 1, 2, 3, 4, 5, 255, 256, 257, 65532, 65533, 65534, 65535, 131066, 131067, 200000}) {
    for (const Bytes& Data : {Random(N, 1), Runs(N, 2, 3), Runs(N, 3, 256), Repeat(N, 0x00)}) {
      Bytes Record = Pack(Data);
      ASSERT_EQ(Unpack(Record), Data) << N;
    }
  }
  // Every value present plus runs: the table form with runs around the count limits.
  for (size_t L : {4u, 5u, 6u, 256u, 257u, 258u, 65277u}) {
    Bytes Data = Cat(Cat(AllValues(), Repeat(L, 0x33)), AllValues());
    ASSERT_EQ(Unpack(Pack(Data)), Data) << L;
  }
}

TEST(SFPackRoundTrip, PackStreamReadsTheWholeSourceAndLeavesItAlone) {
  TMemoryStream Src, Dst;
  Fill(Src, Repeat(10, 0x41));
  Src.SetPosition(7);
  Dst.WriteBuffer("xy", 2);  // written at Dst's position
  PackStream(Src, Dst);
  EXPECT_EQ(Src.Position(), 7);
  EXPECT_EQ(Content(Src), Repeat(10, 0x41));
  EXPECT_EQ(Content(Dst), Cat(Hex("7879"), Hex("0B000000 0A000000 0500 0000 00 41 09")));
}

TEST(SFPackRoundTrip, MemoryAndFileSourcesAgreeAndStopAfterTheRecord) {
  Bytes Data = Runs(150000, 9, 4);
  Bytes Record = Pack(Data);
  Bytes Stored = Cat(Cat(Hex("AABB"), Record), Hex("CCDDEE"));  // other data around the record

  TMemoryStream Memory;
  Fill(Memory, Stored);
  Memory.SetPosition(2);
  auto FromMemory = UnpackStream(Memory);
  EXPECT_EQ(Memory.Position(), static_cast<int64_t>(2 + Record.size()));

  TempTree Tree;
  std::string Name = Tree.File("packed.bin", std::string(Stored.begin(), Stored.end()));
  TFileStream File(Name, fmOpenRead | fmShareDenyWrite);
  File.SetPosition(2);
  auto FromFile = UnpackStream(File);
  EXPECT_EQ(File.Position(), static_cast<int64_t>(2 + Record.size()));

  EXPECT_EQ(Content(*FromMemory), Data);
  EXPECT_EQ(Content(*FromFile), Data);
  EXPECT_EQ(FromFile->Position(), 0);
}

// ---- Malformed records ------------------------------------------------------------------------

std::vector<Bytes> GoldenRecords() {
  return {Pack({}),
          Pack(Repeat(10, 0x41)),
          Pack({0x41, 0x41, 0x41, 0x42}),
          Pack({0, 0, 0, 0, 1}),
          Pack(Repeat(300, 0x41)),
          Pack(Cat(AllValues(), Repeat(300, 0x20))),
          Pack(Cat(AllValues(), Repeat(5, 0x07))),
          Pack(Repeat(65534, 0x41))};
}

void ExpectReadError(const Bytes& Record, const std::string& What) {
  EXPECT_THROW(Unpack(Record), EReadError) << What;
  EXPECT_THROW(UnpackCopied(Record), EReadError) << What;
}

TEST(SFPackMalformed, EveryTruncationRaisesReadError) {
  for (const Bytes& Record : GoldenRecords())
    for (size_t N = 0; N < Record.size(); ++N)
      ExpectReadError(Bytes(Record.begin(), Record.begin() + N), "cut at " + std::to_string(N));
}

// Puts a 16- or 32-bit value into a copy of Record.
Bytes With16(Bytes R, size_t At, unsigned V) {
  R[At] = static_cast<uint8_t>(V);
  R[At + 1] = static_cast<uint8_t>(V >> 8);
  return R;
}
Bytes With32(Bytes R, size_t At, uint32_t V) { return With16(With16(R, At, V & 0xFFFF), At + 2, V >> 16); }
// A record around hand-made blocks, with consistent PackedSize.
Bytes Record(uint32_t UnpackedSize, const Bytes& Blocks) {
  return Cat(With32(With32(Bytes(8), 0, static_cast<uint32_t>(4 + Blocks.size())), 4, UnpackedSize), Blocks);
}

TEST(SFPackMalformed, SizesThatDoNotFit) {
  Bytes Ten = Pack(Repeat(10, 0x41));  // 0B 00 00 00 | 0A 00 00 00 | 05 00 | 00 00 00 41 09
  for (uint32_t Packed : {0u, 1u, 2u, 3u, 12u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    ExpectReadError(With32(Ten, 0, Packed), "PackedSize " + std::to_string(Packed));
  for (uint32_t Unpacked : {0u, 9u, 11u, 65533u, 65534u, 0xFFFFFFFFu})
    ExpectReadError(With32(Ten, 4, Unpacked), "UnpackedSize " + std::to_string(Unpacked));
  for (unsigned P : {0u, 1u, 4u, 6u, 0xFFFFu}) ExpectReadError(With16(Ten, 8, P), "P " + std::to_string(P));
  // A block with nothing in it, and blocks behind a short one.
  ExpectReadError(Record(0, Hex("0200 0000")), "empty block");
  ExpectReadError(Record(2, Hex("0300 0000 41 0300 0000 42")), "two short blocks");
}

TEST(SFPackMalformed, EscapeTokensCutOrTooLong) {
  ExpectReadError(Record(1, Hex("0300 0000 00")), "escape at the end");
  ExpectReadError(Record(1, Hex("0400 0000 00 41")), "escape and value at the end");
  ExpectReadError(Record(1, Hex("0600 0000 00 41 00 05")), "long count cut");
  ExpectReadError(Record(10, Hex("0500 0000 00 41 0A")), "run longer than the data");
  ExpectReadError(Record(65533, Hex("0700 0000 00 41 00 FFFF")), "block longer than a piece");
  // Valid framing, but the blocks decode to less than UnpackedSize says.
  ExpectReadError(Record(11, Hex("0500 0000 00 41 09")), "short data");
}

TEST(SFPackMalformed, TableFormOutOfBounds) {
  Bytes Good = Pack(Cat(AllValues(), Repeat(300, 0x20)));
  const size_t H = 10;  // the block data, and so its header, starts here
  const size_t Entry = Good.size() - 2;
  ExpectReadError(With16(Good, H, 0x0109), "H past the block");
  ExpectReadError(With16(Good, H, 0x0107), "odd run table");
  ExpectReadError(With16(Good, Entry, 0x0106), "count at H");
  ExpectReadError(With16(Good, Entry, 0xFFFF), "count far outside");
  ExpectReadError(With16(Good, Entry, 0x0002), "count before the first token");
  ExpectReadError(With16(Good, Entry, 0x0000), "count at the header");
  // H moved onto the two count bytes of the run: the long count is cut by the token section.
  ExpectReadError(With16(Good, H, 0x0104), "long count cut by H");
  // Two runs listed first-run-first (the wrong order).
  Bytes Two = Pack(Cat(Cat(AllValues(), Repeat(6, 0x01)), Repeat(6, 0x02)));
  size_t Last = Two.size() - 2;
  Bytes Swapped = With16(With16(Two, Last, Two[Last - 2] | (Two[Last - 1] << 8)), Last - 2,
                         Two[Last] | (Two[Last + 1] << 8));
  ASSERT_EQ(Unpack(Two).size(), 268u);
  ExpectReadError(Swapped, "runs out of order");
}

TEST(SFPackMalformed, RandomDamageNeverEscapesAsAnythingElse) {
  std::mt19937 G(42);
  auto Records = GoldenRecords();
  Records.push_back(Pack(Runs(3000, 5, 256)));
  Records.push_back(Pack(Runs(3000, 6, 2)));
  int Refused = 0;
  for (int I = 0; I < 4000; ++I) {
    Bytes R = Records[G() % Records.size()];
    for (int Flips = 1 + G() % 3; Flips > 0; --Flips) R[G() % R.size()] ^= static_cast<uint8_t>(1 << (G() % 8));
    try {
      TMemoryStream Src;
      Fill(Src, R);
      Bytes Out = Content(*UnpackStream(Src));
      uint32_t Declared = R[4] | (R[5] << 8) | (R[6] << 16) | (uint32_t{R[7]} << 24);
      EXPECT_EQ(Out.size(), Declared);
    } catch (const EReadError&) {
      ++Refused;
    }
  }
  EXPECT_GT(Refused, 0);
}

TEST(SFPackMalformed, HostileUnpackedSizeAllocatesNothingLarge) {
  // UnpackedSize near 4 GB behind a tiny record: refused before any buffer is sized.
  ExpectReadError(Record(0xFFFFFFF0u, Hex("0500 0000 00 41 09")), "huge size");

  // As many blocks as 1 GB has pieces, each only a header that decodes to nothing (65,544 bytes):
  // refused by the header check, before the output would be sized.
  Bytes Empty;
  for (int I = 0; I < 16384; ++I) Empty.insert(Empty.end(), {0x02, 0x00, 0x00, 0x00});
  const Bytes Gigabyte = Record(16384u * 65533u, Empty);
  lxsfpack::TRecordHeader Header;
  EXPECT_EQ(lxsfpack::ReadRecordHeader(Gigabyte.data(), Gigabyte.size(), Header), lxsfpack::TPackError::SizeMismatch);
  ExpectReadError(Gigabyte, "a gigabyte of empty blocks");

  // Whereas one long run fills a whole piece: 7 bytes of block data stand for 65,533 bytes.
  const Bytes Full = Record(2 * 65533 + 1, Hex("0700 0000 00 41 00 FCFF 0700 0000 00 42 00 FCFF 0300 0000 43"));
  ASSERT_TRUE(lxsfpack::ReadRecordHeader(Full.data(), Full.size(), Header) == lxsfpack::TPackError::None);
  Bytes Data = Unpack(Full);
  ASSERT_EQ(Data.size(), 2 * 65533 + 1u);
  EXPECT_EQ(Data[65532], 0x41);
  EXPECT_EQ(Data[65533], 0x42);
  EXPECT_EQ(Data.back(), 0x43);
}

TEST(SFPackBlocks, BufferAndBlockCallsCheckTheirRoom) {
  Bytes Data = Repeat(10, 0x41);
  uint8_t Block[12];
  EXPECT_EQ(PackBlock(Data.data(), Block, 10, sizeof Block), 5u);
  EXPECT_THROW(PackBlock(Data.data(), Block, 10, 11), EWriteError);  // below Count + 2
  EXPECT_THROW(PackBlock(Data.data(), Block, 0, sizeof Block), EWriteError);
  uint8_t Out[10];
  EXPECT_EQ(UnpackBlock(Block, Out, 5, sizeof Out), 10u);
  EXPECT_THROW(UnpackBlock(Block, Out, 5, 9), EReadError);
  EXPECT_THROW(UnpackBlock(Block, Out, 1, sizeof Out), EReadError);
  Bytes Packed(PackedSizeBound(10));
  size_t N = PackBuffer(Data.data(), Packed.data(), 10, Packed.size());
  EXPECT_EQ(N, 4u + 2 + 5);
  EXPECT_EQ(UnpackBuffer(Packed.data() + 4, Out, N - 4, sizeof Out), 10u);
  EXPECT_THROW(PackBuffer(Data.data(), Packed.data(), 10, 8), EWriteError);
}

}  // namespace
