// The packed picture property "SFP": its bytes, which graphics go into it, round trips through
// form text and through a form resource of this program, and damaged data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "classlib/FormStream.h"
#include "lx/lxGraphics.h"
#include "lx/lxSFPack.h"
#include "tests/classlib/graphics_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& B, uint16_t V) {
  B.push_back(static_cast<uint8_t>(V));
  B.push_back(static_cast<uint8_t>(V >> 8));
}
void Put32(Bytes& B, uint32_t V) {
  Put16(B, static_cast<uint16_t>(V));
  Put16(B, static_cast<uint16_t>(V >> 16));
}
uint32_t Get32(const uint8_t* P) { return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t{P[3]} << 24); }

// A 32 x 32 icon with 16 colours: 766 bytes (directory 6, entry 16, header 40, palette 64,
// colour bits 512, mask bits 128), like the about box's.
Bytes MakeIcon16() {
  Bytes B;
  Put16(B, 0);
  Put16(B, 1);
  Put16(B, 1);
  B.insert(B.end(), {32, 32, 16, 0});
  Put16(B, 1);
  Put16(B, 4);
  Put32(B, 40 + 64 + 512 + 128);
  Put32(B, 22);
  for (uint32_t V : {40u, 32u, 64u}) Put32(B, V);
  Put16(B, 1);
  Put16(B, 4);
  for (uint32_t V : {0u, 640u, 0u, 0u, 0u, 0u}) Put32(B, V);
  static const uint32_t kPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                        0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                        0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (uint32_t C : kPalette) Put32(B, C);
  for (int Y = 0; Y < 32; ++Y)
    for (int X = 0; X < 32; X += 2) {
      int A = (X / 4 + Y / 4) % 16, C = ((X + 1) / 4 + Y / 4) % 16;
      B.push_back(static_cast<uint8_t>(A << 4 | C));
    }
  for (int Y = 0; Y < 32; ++Y) {  // the corners transparent
    bool Edge = Y < 2 || Y >= 30;
    B.insert(B.end(), {static_cast<uint8_t>(Edge ? 0xC0 : 0), 0, 0, static_cast<uint8_t>(Edge ? 0x03 : 0)});
  }
  return B;
}

Bytes Saved(TGraphic* G) {
  TMemoryStream S;
  G->SaveToStream(S);
  auto* P = static_cast<const uint8_t*>(S.Memory());
  return Bytes(P, P + S.Size());
}

Bytes Content(TCustomMemoryStream& S) {
  auto* P = static_cast<const uint8_t*>(S.Memory());
  return Bytes(P, P + S.Size());
}

// A packed record of raw bytes, as the "SFP" property would hold it.
Bytes PackedRecord(const Bytes& Raw) {
  TMemoryStream Src, Dst;
  if (!Raw.empty()) Src.WriteBuffer(Raw.data(), static_cast<int32_t>(Raw.size()));
  PackStream(Src, Dst);
  return Content(Dst);
}

void ReadSFPBytes(TlxPicture* P, const Bytes& Record) {
  TMemoryStream S;
  if (!Record.empty()) S.WriteBuffer(Record.data(), static_cast<int32_t>(Record.size()));
  S.SetPosition(0);
  P->ReadSFP(S);
}

TlxPicture* IconPicture() {
  TlxPicture* P = TlxPicture::Create();
  gfxtest::LoadBytes(P->Icon(), MakeIcon16());
  return P;
}

void DrawSomething(TMetafile* M) {
  M->SetMMWidth(2000);
  M->SetMMHeight(1000);
  TObjectPtr<TMetafileCanvas> C(TMetafileCanvas::Create(M, nullptr));
  C->Brush()->SetColor(clRed);
  C->Rectangle(1, 1, 30, 20);
}

// Counts how often graphics of its class are destroyed.
class TCountedIcon : public TIcon {
  VD_CLASS(TCountedIcon, TIcon);

public:
  TCountedIcon() = default;
  ~TCountedIcon() override { ++Destroyed; }
  static inline int Destroyed = 0;
};
VD_DEFINE_CLASS(TCountedIcon) {}

// ---- Bytes and rules ----------------------------------------------------------------------------

TEST(PackedPicture, AnIconIsTheKindByteAndTheIconFilePacked) {
  Bytes Icon = MakeIcon16();
  ASSERT_EQ(Icon.size(), 766u);
  TObjectPtr<TlxPicture> P(IconPicture());
  TMemoryStream Out;
  P->WriteSFP(Out);
  Bytes Record = Content(Out);
  ASSERT_GE(Record.size(), 8u);
  EXPECT_EQ(Get32(Record.data()), Record.size() - 4);  // the packed length
  EXPECT_EQ(Get32(Record.data() + 4), 767u);           // unpacked: kind byte and icon file
  Out.SetPosition(0);
  TObjectPtr<TMemoryStream> Data = UnpackStream(Out);
  Bytes Unpacked = Content(*Data);
  ASSERT_EQ(Unpacked.size(), 767u);
  EXPECT_EQ(Unpacked[0], 0);
  EXPECT_TRUE(std::equal(Icon.begin(), Icon.end(), Unpacked.begin() + 1));

  TObjectPtr<TlxPicture> Back(TlxPicture::Create());
  ReadSFPBytes(Back.get(), Record);
  ASSERT_NE(dynamic_cast<TIcon*>(Back->Graphic()), nullptr);
  EXPECT_EQ(Saved(Back->Graphic()), Icon);
  EXPECT_EQ(Back->Width(), 32);
  EXPECT_TRUE(Back->HasGraphic());
}

TEST(PackedPicture, AMetafileIsKindOneAndComesBackEqual) {
  TObjectPtr<TlxPicture> P(TlxPicture::Create());
  DrawSomething(P->Metafile());
  TMemoryStream Out;
  P->WriteSFP(Out);
  Out.SetPosition(0);
  TObjectPtr<TMemoryStream> Data = UnpackStream(Out);
  ASSERT_GT(Data->Size(), 1);
  EXPECT_EQ(static_cast<const uint8_t*>(Data->Memory())[0], 1);
  TObjectPtr<TlxPicture> Back(TlxPicture::Create());
  ReadSFPBytes(Back.get(), Content(Out));
  ASSERT_NE(dynamic_cast<TMetafile*>(Back->Graphic()), nullptr);
  EXPECT_TRUE(Back->Graphic()->Equals(P->Graphic()));
}

TEST(PackedPicture, OnlyIconsAndMetafilesThatDifferFromTheAncestorGoIntoSFP) {
  TObjectPtr<TlxPicture> P(TlxPicture::Create());
  EXPECT_FALSE(P->WritesSFP(nullptr));  // nothing to write
  P->Bitmap()->SetSize(2, 2);
  EXPECT_FALSE(P->WritesSFP(nullptr));  // bitmaps go into "Data"
  DrawSomething(P->Metafile());
  EXPECT_TRUE(P->WritesSFP(nullptr));
  TObjectPtr<TlxPicture> Icon(IconPicture());
  EXPECT_TRUE(Icon->WritesSFP(nullptr));
  TObjectPtr<TPicture> Other(TPicture::Create());
  EXPECT_TRUE(Icon->WritesSFP(Other.get()));   // the ancestor has none
  EXPECT_FALSE(Icon->WritesSFP(P.get()));      // both have one: counted as equal
  EXPECT_FALSE(Icon->WritesSFP(Icon.get()));
  TObjectPtr<TFont> NoPicture(TFont::Create());
  EXPECT_TRUE(Icon->WritesSFP(NoPicture.get()));  // an ancestor of another class
  EXPECT_FALSE(Other->Graphic());
}

TEST(PackedPicture, UnknownKindsAndEmptyRecordsLeaveAnEmptyPictureReleasingTheOldGraphicOnce) {
  TObjectPtr<TlxPicture> P(TlxPicture::Create());
  TObjectPtr<TCountedIcon> Counted(TCountedIcon::Create());
  gfxtest::LoadBytes(Counted.get(), MakeIcon16());
  P->SetGraphic(Counted.get());  // the picture holds a copy of the same class
  ASSERT_NE(dynamic_cast<TCountedIcon*>(P->Graphic()), nullptr);
  gfxtest::TChangeCounter Changes;
  P->OnChange = MakeEvent<&gfxtest::TChangeCounter::Hit>(&Changes);
  TCountedIcon::Destroyed = 0;
  ReadSFPBytes(P.get(), PackedRecord({2, 1, 2, 3}));
  EXPECT_EQ(TCountedIcon::Destroyed, 1);
  EXPECT_EQ(P->Graphic(), nullptr);
  EXPECT_FALSE(P->HasGraphic());
  EXPECT_EQ(Changes.Count, 1);
  gfxtest::LoadBytes(P->Icon(), MakeIcon16());
  ReadSFPBytes(P.get(), PackedRecord({}));
  EXPECT_EQ(P->Graphic(), nullptr);
}

TEST(PackedPicture, DamagedDataRaisesAndLeavesThePictureAsItWas) {
  TObjectPtr<TlxPicture> P(IconPicture());
  TGraphic* Before = P->Graphic();
  long Gdi = graphics_detail::LiveGdiObjects();
  Bytes BadIcon = {0, 0, 0, 1, 0, 1, 0};  // kind 0, a directory with one entry and nothing more
  EXPECT_THROW(ReadSFPBytes(P.get(), PackedRecord(BadIcon)), Exception);
  Bytes Icon = MakeIcon16();
  Icon.insert(Icon.begin(), 0);
  Icon[1 + 6 + 16 + 4] = 99;  // the image header's height no longer fits
  EXPECT_THROW(ReadSFPBytes(P.get(), PackedRecord(Icon)), Exception);
  Bytes Metafile = {1, 'n', 'o', 'p', 'e', 0, 0, 0};
  EXPECT_THROW(ReadSFPBytes(P.get(), PackedRecord(Metafile)), EInvalidGraphic);
  Bytes Record = PackedRecord(Icon);
  for (size_t Cut : {size_t{3}, size_t{8}, Record.size() / 2, Record.size() - 1}) {
    Bytes Short(Record.begin(), Record.begin() + static_cast<ptrdiff_t>(Cut));
    EXPECT_THROW(ReadSFPBytes(P.get(), Short), EReadError) << Cut;
  }
  EXPECT_EQ(P->Graphic(), Before);
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Gdi);
}

// ---- Form resources -----------------------------------------------------------------------------

// A component with two pictures, as an lx control publishes them.
class TLxPictureHolder : public TComponent {
  VD_CLASS(TLxPictureHolder, TComponent);

public:
  using TComponent::TComponent;
  TObjectPtr<TlxPicture> FPicture{TlxPicture::Create()};
  TObjectPtr<TlxPicture> FSpare{TlxPicture::Create()};
  TlxPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TlxPicture* Value) { FPicture->Assign(Value); }
  TlxPicture* Spare() const { return FSpare.get(); }
  void SetSpare(TlxPicture* Value) { FSpare->Assign(Value); }
};
VD_DEFINE_CLASS(TLxPictureHolder) {
  C.Property("Picture", &TLxPictureHolder::Picture, &TLxPictureHolder::SetPicture);
  C.Property("Spare", &TLxPictureHolder::Spare, &TLxPictureHolder::SetSpare);
}

TEST(PackedPictureForms, IconsAndMetafilesTravelAsSFPAndBitmapsAsData) {
  TObjectPtr<TLxPictureHolder> H(TLxPictureHolder::Create(nullptr));
  H->SetName("Holder");
  gfxtest::LoadBytes(H->Picture()->Icon(), MakeIcon16());
  DrawSomething(H->Spare()->Metafile());
  std::string Text = WriteComponentToText(H.get());
  EXPECT_NE(Text.find("Picture.SFP = {"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Spare.SFP = {"), std::string::npos) << Text;
  EXPECT_EQ(Text.find(".Data"), std::string::npos) << Text;

  TObjectPtr<TLxPictureHolder> Copy(TLxPictureHolder::Create(nullptr));
  ReadComponentFromText(Text, Copy.get());
  ASSERT_NE(dynamic_cast<TIcon*>(Copy->Picture()->Graphic()), nullptr);
  EXPECT_EQ(Saved(Copy->Picture()->Graphic()), MakeIcon16());
  ASSERT_NE(dynamic_cast<TMetafile*>(Copy->Spare()->Graphic()), nullptr);
  EXPECT_TRUE(Copy->Spare()->Graphic()->Equals(H->Spare()->Graphic()));
  EXPECT_EQ(WriteComponentToText(Copy.get()), Text);

  H->Picture()->Bitmap()->SetSize(3, 2);
  H->Spare()->SetGraphic(nullptr);
  Text = WriteComponentToText(H.get());
  EXPECT_NE(Text.find("Picture.Data = {"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("SFP"), std::string::npos) << Text;
  TObjectPtr<TLxPictureHolder> Again(TLxPictureHolder::Create(nullptr));
  gfxtest::LoadBytes(Again->Picture()->Icon(), MakeIcon16());  // "Data" is read over an icon, too
  ReadComponentFromText(Text, Again.get());
  ASSERT_NE(dynamic_cast<TBitmap*>(Again->Picture()->Graphic()), nullptr);
  EXPECT_EQ(Again->Picture()->Width(), 3);
}

TEST(PackedPictureForms, TheFormResourceOfThisProgramCarriesAnIconAndAnUnknownKind) {
  TObjectPtr<TLxPictureHolder> H(TLxPictureHolder::Create(nullptr));
  gfxtest::LoadBytes(H->Spare()->Icon(), MakeIcon16());
  ReadComponentRes("TLXPICTUREHOLDER", H.get());
  EXPECT_EQ(H->Name(), "LxPictureHolder");
  ASSERT_NE(dynamic_cast<TIcon*>(H->Picture()->Graphic()), nullptr);
  EXPECT_EQ(Saved(H->Picture()->Graphic()), MakeIcon16());
  EXPECT_EQ(H->Spare()->Graphic(), nullptr);  // kind 2
}

}  // namespace
