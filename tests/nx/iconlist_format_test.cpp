// The "Icons" byte formats without Windows: the two-BMP strips written and read back, their exact
// header fields, and broken data of every kind (each truncation, seeded mutations, hand-made
// faults) refused with a reason; the image-list stream check likewise.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "classlib/GraphicsFormats.h"
#include "nx/NxIconListFormat.h"

using namespace nxicons;
using gfxfmt::Get16;
using gfxfmt::Get32;

namespace {

TIconStrips MakeStrips(int32_t Width, int32_t Height, unsigned Seed) {
  TIconStrips S;
  S.Width = Width;
  S.Height = Height;
  std::mt19937 Rng(Seed);
  for (int64_t I = 0; I < int64_t{Width} * Height; ++I) {
    S.Pixels.push_back(Rng());
    S.Mask.push_back(Rng() & 1);
  }
  return S;
}

bool Read(const std::vector<uint8_t>& Bytes, int32_t W, int32_t H, TIconStrips& Out, std::string& Why) {
  TMemoryByteSource Source(Bytes.data(), Bytes.size());
  return ReadIconStrips(Source, W, H, Out, Why);
}

void Put32At(std::vector<uint8_t>& B, size_t At, uint32_t V) {
  for (int I = 0; I < 4; ++I) B[At + I] = static_cast<uint8_t>(V >> (8 * I));
}
void Put16At(std::vector<uint8_t>& B, size_t At, uint16_t V) {
  B[At] = static_cast<uint8_t>(V);
  B[At + 1] = static_cast<uint8_t>(V >> 8);
}

// Offsets of a file's fields, from the start of that file.
enum : size_t { kFileSize = 2, kReserved = 6, kOffBits = 10, kInfoSize = 14, kWidth = 18, kHeight = 22,
                kPlanes = 26, kBitCount = 28, kCompression = 30, kSizeImage = 34, kClrUsed = 46, kClrImportant = 50 };

}  // namespace

TEST(IconStrips, ThreeIconsHaveTheExactLayout) {
  const TIconStrips S = MakeStrips(48, 16, 1);
  const std::vector<uint8_t> B = WriteIconStrips(S);
  // Image strip: 48 x 16, 32 bits, bottom-up, bits right behind the 54 header bytes.
  EXPECT_EQ(B[0], 'B');
  EXPECT_EQ(B[1], 'M');
  const uint32_t ImageFile = Get32(&B[kFileSize]);
  EXPECT_EQ(ImageFile, 54u + 48 * 4 * 16);
  EXPECT_EQ(Get32(&B[kOffBits]), 54u);
  EXPECT_EQ(Get32(&B[kInfoSize]), 40u);
  EXPECT_EQ(Get32(&B[kWidth]), 48u);
  EXPECT_EQ(Get32(&B[kHeight]), 16u);
  EXPECT_EQ(Get16(&B[kPlanes]), 1);
  EXPECT_EQ(Get16(&B[kBitCount]), 32);
  EXPECT_EQ(Get32(&B[kCompression]), 0u);
  EXPECT_EQ(Get32(&B[kSizeImage]), 48u * 4 * 16);
  // The bottom row comes first.
  EXPECT_EQ(Get32(&B[54]), S.Pixels[15 * 48]);
  // Mask strip right behind: 1 bit, palette black/white, rows of 8 bytes.
  const uint8_t* M = &B[ImageFile];
  EXPECT_EQ(M[0], 'B');
  EXPECT_EQ(Get32(M + kFileSize), 62u + 8 * 16);
  EXPECT_EQ(Get32(M + kOffBits), 62u);
  EXPECT_EQ(Get32(M + kWidth), 48u);
  EXPECT_EQ(Get32(M + kHeight), 16u);
  EXPECT_EQ(Get16(M + kBitCount), 1);
  EXPECT_EQ(Get32(M + kClrUsed), 2u);
  EXPECT_EQ(Get32(M + 54), 0x000000u);
  EXPECT_EQ(Get32(M + 58), 0xFFFFFFu);
  EXPECT_EQ(B.size(), ImageFile + 62u + 8 * 16);
  const int FirstBit = (M[62] >> 7) & 1;  // bottom row, x 0
  EXPECT_EQ(FirstBit, S.Mask[15 * 48]);
}

TEST(IconStrips, RoundTripsForManySizes) {
  std::mt19937 Rng(7);
  for (int Case = 0; Case < 40; ++Case) {
    const int32_t W = 1 + static_cast<int32_t>(Rng() % 48);
    const int32_t H = 1 + static_cast<int32_t>(Rng() % 48);
    const int32_t N = 1 + static_cast<int32_t>(Rng() % 9);
    const TIconStrips S = MakeStrips(N * W, H, Rng());
    TIconStrips Back;
    std::string Why;
    ASSERT_TRUE(Read(WriteIconStrips(S), W, H, Back, Why)) << Why << " " << W << "x" << H << " n " << N;
    EXPECT_EQ(Back.Width, S.Width);
    EXPECT_EQ(Back.Height, S.Height);
    EXPECT_EQ(Back.Pixels, S.Pixels);
    EXPECT_EQ(Back.Mask, S.Mask);
  }
}

TEST(IconStrips, EmptyListHasZeroWidthAndNoPixelBytes) {
  TIconStrips Empty;
  Empty.Height = 32;
  const std::vector<uint8_t> B = WriteIconStrips(Empty);
  EXPECT_EQ(B.size(), 54u + 62u);
  EXPECT_EQ(Get32(&B[kWidth]), 0u);
  EXPECT_EQ(Get32(&B[kFileSize]), 54u);
  TIconStrips Back = MakeStrips(16, 16, 3);
  std::string Why;
  // Any icon size: there is nothing that could fail to fit.
  ASSERT_TRUE(Read(B, 16, 16, Back, Why)) << Why;
  EXPECT_EQ(Back.Width, 0);
  EXPECT_TRUE(Back.Pixels.empty());
  EXPECT_TRUE(Back.Mask.empty());
}

TEST(IconStrips, OtherWritersFormsAreRead) {
  // 24 bits, top-down rows, the mask palette white first, a gap before the bits and bytes after
  // them inside the file: all read as the same icons.
  const int W = 5, H = 3;
  std::vector<uint8_t> B;
  auto Header = [&B](uint32_t FileSize, uint32_t OffBits, int32_t Width, int32_t Height, uint16_t Bpp, uint32_t Clr) {
    const size_t At = B.size();
    B.resize(At + 54, 0);
    B[At] = 'B';
    B[At + 1] = 'M';
    Put32At(B, At + kFileSize, FileSize);
    Put32At(B, At + kOffBits, OffBits);
    Put32At(B, At + kInfoSize, 40);
    Put32At(B, At + kWidth, static_cast<uint32_t>(Width));
    Put32At(B, At + kHeight, static_cast<uint32_t>(Height));
    Put16At(B, At + kPlanes, 1);
    Put16At(B, At + kBitCount, Bpp);
    Put32At(B, At + kClrUsed, Clr);
  };
  const uint32_t ImageStride = 16;  // 5 * 3 bytes, aligned
  Header(54 + 4 + ImageStride * H + 6, 58, W, -H, 24, 0);
  B.insert(B.end(), 4, 0xEE);  // gap
  for (int Y = 0; Y < H; ++Y) {
    for (int X = 0; X < W; ++X) {
      B.push_back(static_cast<uint8_t>(X));
      B.push_back(static_cast<uint8_t>(Y));
      B.push_back(0x7F);
    }
    B.push_back(0);
  }
  B.insert(B.end(), 6, 0xDD);  // slack inside the file
  Header(62 + 4 * H, 62, W, H, 1, 0);
  B.insert(B.end(), {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0});  // bit 0 white: transparent
  for (int Row = 0; Row < H; ++Row) B.insert(B.end(), {0x80, 0, 0, 0});  // x 0 opaque
  TIconStrips Out;
  std::string Why;
  ASSERT_TRUE(Read(B, W, H, Out, Why)) << Why;
  ASSERT_EQ(Out.Width, W);
  EXPECT_EQ(Out.Pixels[1 * W + 2], 0x007F0102u);  // x 2, y 1, no alpha
  EXPECT_EQ(Out.Mask[0], 0);
  EXPECT_EQ(Out.Mask[1], 1);
}

TEST(IconStrips, EveryTruncationIsRefused) {
  const std::vector<uint8_t> B = WriteIconStrips(MakeStrips(48, 16, 5));
  for (size_t Cut = 0; Cut < B.size(); ++Cut) {
    std::vector<uint8_t> Part(B.begin(), B.begin() + static_cast<std::ptrdiff_t>(Cut));
    TIconStrips Out;
    std::string Why;
    EXPECT_FALSE(Read(Part, 16, 16, Out, Why)) << "cut at " << Cut;
    EXPECT_FALSE(Why.empty());
  }
}

TEST(IconStrips, SeededMutationsNeverGiveAnInconsistentResult) {
  const std::vector<uint8_t> Good = WriteIconStrips(MakeStrips(32, 8, 9));
  std::mt19937 Rng(11);
  int Refused = 0;
  for (int Round = 0; Round < 20000; ++Round) {
    std::vector<uint8_t> B = Good;
    const int Changes = 1 + static_cast<int>(Rng() % 4);
    for (int C = 0; C < Changes; ++C) {
      // Mostly the header bytes of either file, where the interesting faults are.
      size_t At = Rng() % 2 ? Rng() % 54 : Rng() % B.size();
      if (Rng() % 3 == 0) At = 54 + 32 * 4 * 8 + Rng() % 62;
      B[At % B.size()] = static_cast<uint8_t>(Rng() % 4 == 0 ? 0xFF : Rng());
    }
    TIconStrips Out;
    std::string Why;
    if (!Read(B, 8, 8, Out, Why)) {
      ++Refused;
      EXPECT_FALSE(Why.empty());
      continue;
    }
    ASSERT_GE(Out.Width, 0);
    if (Out.Width == 0) continue;
    EXPECT_EQ(Out.Height, 8);
    EXPECT_EQ(Out.Width % 8, 0);
    EXPECT_EQ(Out.Pixels.size(), static_cast<size_t>(Out.Width) * 8);
    EXPECT_EQ(Out.Mask.size(), Out.Pixels.size());
  }
  EXPECT_GT(Refused, 1000);
}

TEST(IconStrips, HandMadeFaultsAreRefused) {
  const std::vector<uint8_t> Good = WriteIconStrips(MakeStrips(48, 16, 2));
  const size_t Mask = Get32(&Good[kFileSize]);
  struct TCase {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Break;
  };
  const TCase Cases[] = {
      {"magic", [](auto& B) { B[1] = 'X'; }},
      {"reserved", [](auto& B) { Put16At(B, kReserved, 1); }},
      {"info header size", [](auto& B) { Put32At(B, kInfoSize, 108); }},
      {"planes", [](auto& B) { Put16At(B, kPlanes, 2); }},
      {"image depth", [](auto& B) { Put16At(B, kBitCount, 16); }},
      {"compression", [](auto& B) { Put32At(B, kCompression, 3); }},
      {"image palette", [](auto& B) { Put32At(B, kClrUsed, 5); }},
      {"image size field", [](auto& B) { Put32At(B, kSizeImage, 12); }},
      {"bits inside the headers", [](auto& B) { Put32At(B, kOffBits, 20); }},
      {"file smaller than its bits", [](auto& B) { Put32At(B, kFileSize, 100); }},
      {"file larger than the data", [](auto& B) { Put32At(B, kFileSize, 0xFFFFFFFFu); }},
      {"huge width", [](auto& B) { Put32At(B, kWidth, 0x7FFFFFFFu); }},
      {"negative width", [](auto& B) { Put32At(B, kWidth, 0xFFFFFFF0u); }},
      {"most negative height", [](auto& B) { Put32At(B, kHeight, 0x80000000u); }},
      {"height 0", [](auto& B) { Put32At(B, kHeight, 0); }},
      {"mask depth", [Mask](auto& B) { Put16At(B, Mask + kBitCount, 8); }},
      {"mask palette", [Mask](auto& B) { Put32At(B, Mask + kClrUsed, 3); }},
      {"mask width", [Mask](auto& B) { Put32At(B, Mask + kWidth, 32); }},
      {"mask height", [Mask](auto& B) { Put32At(B, Mask + kHeight, 8); }},
      {"mask missing", [Mask](auto& B) { B.resize(Mask); }},
      {"mask bits cut", [](auto& B) { B.pop_back(); }},
  };
  for (const TCase& C : Cases) {
    std::vector<uint8_t> B = Good;
    C.Break(B);
    TIconStrips Out;
    std::string Why;
    EXPECT_FALSE(Read(B, 16, 16, Out, Why)) << C.Name;
  }
}

TEST(IconStrips, StripsOfAnotherIconSizeAreRefused) {
  const std::vector<uint8_t> B = WriteIconStrips(MakeStrips(48, 16, 4));  // three 16 x 16 icons
  TIconStrips Out;
  std::string Why;
  EXPECT_TRUE(Read(B, 16, 16, Out, Why)) << Why;
  EXPECT_TRUE(Read(B, 24, 16, Out, Why)) << "two 24 x 16 icons fit as well";
  EXPECT_FALSE(Read(B, 32, 32, Out, Why));
  EXPECT_NE(Why.find("icon size"), std::string::npos) << Why;
  EXPECT_FALSE(Read(B, 16, 32, Out, Why));
  EXPECT_FALSE(Read(B, 20, 16, Out, Why));
  EXPECT_FALSE(Read(B, 0, 16, Out, Why));
}

// ---- Image-list stream ----------------------------------------------------------------------------

namespace {
// An image-list stream as the common controls write it: four icons per row, bottom-up bitmaps.
std::vector<uint8_t> MakeListStream(uint16_t Cx, uint16_t Cy, uint16_t Count, uint16_t Capacity, uint16_t Flags,
                                    uint16_t Bpp = 32) {
  std::vector<uint8_t> B;
  auto P16 = [&B](uint16_t V) { gfxfmt::Put16(B, V); };
  auto P32 = [&B](uint32_t V) { gfxfmt::Put32(B, V); };
  P16(0x4C49);
  P16(0x0101);
  P16(Count);
  P16(Capacity);
  P16(32);
  P16(Cx);
  P16(Cy);
  P32(0xFFFFFFFF);
  P16(Flags);
  for (int I = 0; I < 4; ++I) P16(0xFFFF);
  const uint32_t Rows = (Capacity + 3) / 4;
  auto Bitmap = [&](uint16_t Depth) {
    const uint32_t W = Cx * 4u, H = Cy * Rows;
    const uint32_t Stride = (W * Depth + 31) / 32 * 4;
    const uint32_t Palette = Depth <= 8 ? (1u << Depth) * 4 : 0;
    P16(0x4D42);
    P32(54);  // writers leave the size short
    P32(0);
    P32(54 + Palette);
    P32(40);
    P32(W);
    P32(H);
    P16(1);
    P16(Depth);
    P32(0);
    P32(Stride * H);
    P32(0);
    P32(0);
    P32(0);
    P32(0);
    for (uint32_t I = 0; I < Palette + Stride * H; ++I) B.push_back(static_cast<uint8_t>(I * 7));
  };
  Bitmap(Bpp);
  if (Flags & 1) Bitmap(1);
  return B;
}

bool ReadList(const std::vector<uint8_t>& B, std::vector<uint8_t>& Bytes, TImageListHeader& H, std::string& Why) {
  TMemoryByteSource Source(B.data(), B.size());
  return ReadImageListStream(Source, Bytes, H, Why);
}
}  // namespace

TEST(ImageListStream, WellFormedStreamsPassUnchanged) {
  for (uint16_t Bpp : {4, 8, 24, 32}) {
    const std::vector<uint8_t> B = MakeListStream(16, 16, 3, 4, 0x21, Bpp);
    std::vector<uint8_t> Bytes;
    TImageListHeader H;
    std::string Why;
    ASSERT_TRUE(ReadList(B, Bytes, H, Why)) << Why << " bpp " << Bpp;
    EXPECT_EQ(Bytes, B);
    EXPECT_EQ(H.Count, 3);
    EXPECT_EQ(H.IconWidth, 16);
    EXPECT_EQ(H.IconHeight, 16);
  }
  // Trailing bytes stay in the source.
  std::vector<uint8_t> B = MakeListStream(32, 32, 5, 8, 0x21);
  const size_t Size = B.size();
  B.insert(B.end(), 10, 0xAB);
  TMemoryByteSource Source(B.data(), B.size());
  std::vector<uint8_t> Bytes;
  TImageListHeader H;
  std::string Why;
  ASSERT_TRUE(ReadImageListStream(Source, Bytes, H, Why)) << Why;
  EXPECT_EQ(Bytes.size(), Size);
  EXPECT_EQ(Source.Remaining(), 10u);
}

TEST(ImageListStream, EveryTruncationIsRefused) {
  const std::vector<uint8_t> B = MakeListStream(16, 16, 3, 4, 0x21);
  for (size_t Cut = 0; Cut < B.size(); ++Cut) {
    std::vector<uint8_t> Part(B.begin(), B.begin() + static_cast<std::ptrdiff_t>(Cut)), Bytes;
    TImageListHeader H;
    std::string Why;
    EXPECT_FALSE(ReadList(Part, Bytes, H, Why)) << "cut at " << Cut;
  }
}

TEST(ImageListStream, HandMadeFaultsAreRefused) {
  const std::vector<uint8_t> Good = MakeListStream(16, 16, 3, 4, 0x21);
  const size_t Image = 28, Mask = 28 + 54 + 64 * 4 * 16;
  struct TCase {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Break;
  };
  const TCase Cases[] = {
      {"version", [](auto& B) { Put16At(B, 2, 0x0102); }},
      {"icon width 0", [](auto& B) { Put16At(B, 10, 0); }},
      {"icon height 300", [](auto& B) { Put16At(B, 12, 300); }},
      {"count above capacity", [](auto& B) { Put16At(B, 4, 5); }},
      {"capacity beyond the bitmap", [](auto& B) { Put16At(B, 6, 5); }},
      {"unknown flags", [](auto& B) { Put16At(B, 18, 0x0121); }},
      {"unknown colour depth", [](auto& B) { Put16At(B, 18, 0x0031); }},
      {"overlay out of range", [](auto& B) { Put16At(B, 20, 7); }},
      {"huge growth", [](auto& B) { Put16At(B, 8, 0xFFFF); Put16At(B, 10, 256); Put16At(B, 12, 256); }},
      {"image magic", [Image](auto& B) { B[Image] = 'X'; }},
      {"bitmap width", [Image](auto& B) { Put32At(B, Image + kWidth, 48); }},
      {"bitmap height", [Image](auto& B) { Put32At(B, Image + kHeight, 17); }},
      {"top-down bitmap", [Image](auto& B) { Put32At(B, Image + kHeight, static_cast<uint32_t>(-16)); }},
      {"bitmap depth", [Image](auto& B) { Put16At(B, Image + kBitCount, 2); }},
      {"bits misplaced", [Image](auto& B) { Put32At(B, Image + kOffBits, 60); }},
      {"palette on 32 bits", [Image](auto& B) { Put32At(B, Image + kClrUsed, 2); }},
      {"compression", [Image](auto& B) { Put32At(B, Image + kCompression, 1); }},
      {"mask depth", [Mask](auto& B) { Put16At(B, Mask + kBitCount, 4); }},
      {"mask size", [Mask](auto& B) { Put32At(B, Mask + kHeight, 32); }},
      {"mask missing", [Mask](auto& B) { B.resize(Mask); }},
  };
  for (const TCase& C : Cases) {
    std::vector<uint8_t> B = Good, Bytes;
    C.Break(B);
    TImageListHeader H;
    std::string Why;
    EXPECT_FALSE(ReadList(B, Bytes, H, Why)) << C.Name;
  }
}

TEST(IconsFormat, SniffedByTheFirstTwoBytes) {
  const uint8_t IL[] = {'I', 'L', 1, 1}, BM[] = {'B', 'M'}, Other[] = {'M', 'Z'};
  EXPECT_EQ(SniffIconsFormat(IL, sizeof IL), TIconsFormat::ImageList);
  EXPECT_EQ(SniffIconsFormat(BM, sizeof BM), TIconsFormat::Bitmaps);
  EXPECT_EQ(SniffIconsFormat(Other, sizeof Other), TIconsFormat::Unknown);
  EXPECT_EQ(SniffIconsFormat(BM, 1), TIconsFormat::Unknown);
}
