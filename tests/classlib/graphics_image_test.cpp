// Icons, metafiles, pictures, image lists and the IStream adapter: stream round trips in every
// direction, hand-made and broken files, and handles let go on every path.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "classlib/FormStream.h"
#include "classlib/Graphics.h"
#include "classlib/GraphicsFormats.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/ImgList.h"
#include "classlib/StreamAdapter.h"
#include "tests/classlib/graphics_test_support.h"

using namespace gfxtest;

namespace {

// A 32 x 32, 4-bit icon file of 766 bytes: colour index 12 (blue) inside, transparent 8-pixel band.
std::vector<uint8_t> MakeIconFile4Bit() {
  std::vector<uint8_t> F;
  auto P16 = [&](uint16_t V) { gfxfmt::Put16(F, V); };
  auto P32 = [&](uint32_t V) { gfxfmt::Put32(F, V); };
  P16(0), P16(1), P16(1);
  F.insert(F.end(), {32, 32, 16, 0});
  P16(1), P16(4), P32(40 + 64 + 512 + 128), P32(22);
  P32(40), P32(32), P32(64), P16(1), P16(4), P32(0), P32(512 + 128), P32(0), P32(0), P32(0), P32(0);
  static const uint8_t Vga[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                     {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                     {192, 192, 192}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                     {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (auto& C : Vga) F.insert(F.end(), {C[2], C[1], C[0], 0});
  for (int Y = 0; Y < 32; ++Y)
    for (int X = 0; X < 32; X += 2) {
      bool In = Y >= 8 && Y < 24 && X >= 8 && X < 24;
      F.push_back(In ? 0xCC : 0x00);
    }
  for (int Y = 0; Y < 32; ++Y)
    for (int B = 0; B < 4; ++B) {
      bool Row = Y >= 8 && Y < 24;
      F.push_back(Row && (B == 1 || B == 2) ? 0x00 : 0xFF);
    }
  return F;
}

std::vector<uint8_t> Bytes(TCustomMemoryStream& S) {
  const auto* P = static_cast<const uint8_t*>(S.Memory());
  return std::vector<uint8_t>(P, P + S.Size());
}

// ---- Icons --------------------------------------------------------------------------------------

TEST(Icon, HandleSavesAsA32BitIconFileThatDrawsTheSame) {
  TObjectPtr<TIcon> I(TIcon::Create());
  EXPECT_TRUE(I->Empty());
  EXPECT_TRUE(I->Transparent());
  I->SetHandle(MakeIcon(16, 4));
  EXPECT_EQ(I->Width(), 16);
  EXPECT_EQ(I->Height(), 16);
  TMemoryStream S;
  I->SaveToStream(S);
  std::vector<gfxfmt::TIconDirEntry> Entries;
  std::string Why;
  std::vector<uint8_t> File = Bytes(S);
  ASSERT_TRUE(gfxfmt::ParseIconDir(File.data(), File.size(), Entries, Why)) << Why;
  ASSERT_EQ(Entries.size(), 1u);
  EXPECT_EQ(Entries[0].Width, 16u);
  EXPECT_EQ(Entries[0].BitCount, 32);
  EXPECT_EQ(Entries[0].ImageOffset, 22u);
  EXPECT_EQ(File.size(), 22u + 40 + 16 * 16 * 4 + 16 * 4);

  TObjectPtr<TIcon> J(TIcon::Create());
  S.SetPosition(0);
  J->LoadFromStream(S);
  TObjectPtr<TBitmap> A(NewBitmap(16, 16)), B(NewBitmap(16, 16));
  A->Canvas()->Brush()->SetColor(clLime);
  A->Canvas()->FillRect(Rect(0, 0, 16, 16));
  B->Canvas()->Brush()->SetColor(clLime);
  B->Canvas()->FillRect(Rect(0, 0, 16, 16));
  A->Canvas()->Draw(0, 0, I.get());
  B->Canvas()->Draw(0, 0, J.get());
  EXPECT_EQ(Px(A.get(), 1, 1), clLime);  // the border is transparent
  EXPECT_EQ(Px(A.get(), 8, 8), clRed);
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X) ASSERT_EQ(Px(A.get(), X, Y), Px(B.get(), X, Y)) << X << "," << Y;
}

TEST(Icon, LoadedFileIsKeptByteForByte) {
  std::vector<uint8_t> File = MakeIconFile4Bit();
  ASSERT_EQ(File.size(), 766u);
  TObjectPtr<TIcon> I(TIcon::Create());
  TMemoryStream S;
  S.WriteBuffer(File.data(), 766);
  S.WriteBuffer("tail", 4);
  S.SetPosition(0);
  I->LoadFromStream(S);
  EXPECT_EQ(S.Position(), 766);  // only the icon's bytes are read
  EXPECT_EQ(I->Width(), 32);
  EXPECT_EQ(I->Height(), 32);
  TMemoryStream Out;
  I->SaveToStream(Out);
  EXPECT_EQ(Bytes(Out), File);
  TObjectPtr<TBitmap> B(NewBitmap(32, 32));
  B->Canvas()->Draw(0, 0, I.get());
  EXPECT_EQ(Px(B.get(), 16, 16), clBlue);
  EXPECT_EQ(Px(B.get(), 2, 2), clWhite);

  TObjectPtr<TIcon> Copy(TIcon::Create());
  Copy->Assign(I.get());
  EXPECT_NE(Copy->Handle(), I->Handle());
  EXPECT_TRUE(Copy->Equals(I.get()));
  EXPECT_THROW(I->SetWidth(16), EInvalidGraphicOperation);
}

TEST(Icon, BrokenFilesRaiseAndLeaveTheIconAlone) {
  TObjectPtr<TIcon> I(TIcon::Create());
  I->SetHandle(MakeIcon(16, 2));
  HICON Before = I->Handle();
  std::vector<uint8_t> Good = MakeIconFile4Bit();
  auto Broken = [&](std::vector<uint8_t> F) {
    try {
      LoadBytes(I.get(), F);
      return false;
    } catch (const EInvalidGraphic&) {
      return true;
    } catch (const EReadError&) {
      return true;
    }
  };
  auto Patched = [&](size_t At, uint8_t V) {
    std::vector<uint8_t> F = Good;
    F[At] = V;
    return F;
  };
  EXPECT_TRUE(Broken(Patched(2, 2)));     // a cursor file
  EXPECT_TRUE(Broken(Patched(4, 0)));     // no images
  EXPECT_TRUE(Broken(Patched(18, 6)));    // image inside the directory
  EXPECT_TRUE(Broken(Patched(17, 0x40))); // image far beyond the file
  EXPECT_TRUE(Broken(Patched(22, 99)));   // the image's header is garbage
  for (size_t Cut : {3u, 10u, 30u, 500u, 765u})
    EXPECT_TRUE(Broken(std::vector<uint8_t>(Good.begin(), Good.begin() + Cut))) << Cut;
  EXPECT_EQ(I->Handle(), Before);
}

TEST(Icon, RandomlyCorruptedFilesLoadOrRaiseButNeverCrash) {
  TObjectPtr<TIcon> Made(TIcon::Create());
  Made->SetHandle(MakeIcon(16, 3));
  TMemoryStream Saved;
  Made->SaveToStream(Saved);
  std::mt19937 Rng(977);
  TObjectPtr<TIcon> I(TIcon::Create());
  for (const std::vector<uint8_t>& Good : {MakeIconFile4Bit(), Bytes(Saved)}) {
    for (int N = 0; N < 300; ++N) {
      std::vector<uint8_t> Bad = Good;
      size_t Span = N % 2 ? Bad.size() : 70;  // directory and image header more often
      for (int K = 1 + N % 3; K > 0; --K) Bad[Rng() % Span] = static_cast<uint8_t>(Rng());
      if (N % 7 == 0) Bad.resize(Rng() % Bad.size());
      try {
        LoadBytes(I.get(), Bad);
      } catch (const EInvalidGraphic&) {
      } catch (const EReadError&) {
      }
    }
  }
}

TEST(Icon, ReleaseHandleHandsOverOwnershipAndMonochromeIconsRoundTrip) {
  long Live = graphics_detail::LiveGdiObjects();
  TObjectPtr<TIcon> I(TIcon::Create());
  I->SetHandle(MakeIcon(16, 2));
  I->SetHandle(I->Handle());  // adopting its own handle changes nothing
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Live + 1);
  HICON H = I->ReleaseHandle();
  EXPECT_TRUE(I->Empty());
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Live);
  ICONINFO Info{};
  ASSERT_TRUE(GetIconInfo(H, &Info));
  DeleteObject(Info.hbmColor);
  DeleteObject(Info.hbmMask);
  DestroyIcon(H);

  BYTE And[32 * 4], Xor[32 * 4];
  std::memset(And, 0xFF, sizeof And);
  std::memset(Xor, 0x00, sizeof Xor);
  for (int Y = 8; Y < 24; ++Y) And[Y * 4 + 1] = And[Y * 4 + 2] = 0;  // black square in the middle
  I->SetHandle(CreateIcon(nullptr, 32, 32, 1, 1, And, Xor));
  TMemoryStream S;
  I->SaveToStream(S);
  TObjectPtr<TIcon> J(TIcon::Create());
  S.SetPosition(0);
  J->LoadFromStream(S);
  TObjectPtr<TBitmap> B(NewBitmap(32, 32));
  B->Canvas()->Draw(0, 0, J.get());
  EXPECT_EQ(Px(B.get(), 16, 16), clBlack);
  EXPECT_EQ(Px(B.get(), 1, 1), clWhite);
}

// ---- Metafiles ----------------------------------------------------------------------------------

TMetafile* RecordRedBox() {
  TMetafile* M = TMetafile::Create();
  M->SetWidth(100);
  M->SetHeight(50);
  {
    TObjectPtr<TMetafileCanvas> C(TMetafileCanvas::Create(M, nullptr));
    C->Brush()->SetColor(clRed);
    C->Pen()->SetStyle(psClear);
    C->Rectangle(0, 0, 101, 51);
  }
  return M;
}

TEST(Metafile, RecordedDrawingPlaysBackAndBothFormatsRoundTrip) {
  TObjectPtr<TMetafile> M(RecordRedBox());
  ASSERT_FALSE(M->Empty());
  EXPECT_TRUE(M->Enhanced());
  EXPECT_NEAR(M->Width(), 100, 1);
  EXPECT_NEAR(M->Height(), 50, 1);
  TObjectPtr<TBitmap> B(NewBitmap(120, 60));
  B->Canvas()->Draw(0, 0, M.get());
  EXPECT_EQ(Px(B.get(), 50, 25), clRed);
  EXPECT_EQ(Px(B.get(), 115, 55), clWhite);

  TMemoryStream Emf;
  M->SaveToStream(Emf);
  const auto* P = static_cast<const uint8_t*>(Emf.Memory());
  EXPECT_EQ(gfxfmt::Get32(P), 1u);  // EMR_HEADER
  EXPECT_EQ(gfxfmt::Get32(P + 40), 0x464D4520u);
  TObjectPtr<TMetafile> N(TMetafile::Create());
  Emf.SetPosition(0);
  N->LoadFromStream(Emf);
  EXPECT_TRUE(N->Equals(M.get()));
  EXPECT_EQ(N->MMWidth(), M->MMWidth());

  M->SetEnhanced(false);
  TMemoryStream Wmf;
  M->SaveToStream(Wmf);
  EXPECT_EQ(gfxfmt::Get32(static_cast<const uint8_t*>(Wmf.Memory())), 0x9AC6CDD7u);
  TObjectPtr<TMetafile> W(TMetafile::Create());
  Wmf.SetPosition(0);
  W->LoadFromStream(Wmf);
  EXPECT_FALSE(W->Enhanced());
  EXPECT_NEAR(W->Width(), 100, 2);
  TObjectPtr<TBitmap> C(NewBitmap(120, 60));
  C->Canvas()->Draw(0, 0, W.get());
  EXPECT_EQ(Px(C.get(), 50, 25), clRed);

  TMemoryStream Data;
  N->WriteData(Data);
  TObjectPtr<TMetafile> R(TMetafile::Create());
  Data.SetPosition(0);
  R->ReadData(Data);
  EXPECT_TRUE(R->Equals(N.get()));

  std::vector<uint8_t> Garbage(100, 0x42);
  EXPECT_THROW(LoadBytes(R.get(), Garbage), EInvalidGraphic);
  std::vector<uint8_t> Short = Bytes(Emf);
  Short.resize(Short.size() - 10);
  EXPECT_THROW(LoadBytes(R.get(), Short), EReadError);
  EXPECT_TRUE(R->Equals(N.get()));
}

// ---- Pictures -----------------------------------------------------------------------------------

class TTestGraphic : public TBitmap {
  VD_CLASS(TTestGraphic, TBitmap);

public:
  TTestGraphic() = default;
};
VD_DEFINE_CLASS(TTestGraphic) {}

// Captures what DefineProperties offers, as a form writer would.
class TCaptureFiler : public TFiler {
  VD_CLASS(TCaptureFiler, TFiler);

public:
  explicit TCaptureFiler(TStream& S) : TFiler(S) {}
  void DefineProperty(const std::string&, TReaderProc, TWriterProc, bool) override {}
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override {
    this->Name = Name;
    Read = std::move(ReadData);
    Write = std::move(WriteData);
    this->HasData = HasData;
  }
  std::string Name;
  TStreamProc Read, Write;
  bool HasData = false;
};
VD_DEFINE_CLASS(TCaptureFiler) {}

std::string TempFile(const std::string& Name) {
  char Dir[MAX_PATH];
  GetTempPathA(MAX_PATH, Dir);
  return std::string(Dir) + "vdgfx_" + std::to_string(GetCurrentProcessId()) + "_" + Name;
}

TEST(Picture, FilesLoadByExtensionAndFormatsCanBeRegistered) {
  std::string BmpFile = TempFile("a.BMP"), IcoFile = TempFile("b.ico"), TstFile = TempFile("c.tst");
  TObjectPtr<TBitmap> B(NewBitmap(3, 3));
  B->SaveToFile(BmpFile);
  B->SaveToFile(TstFile);
  TObjectPtr<TIcon> I(TIcon::Create());
  I->SetHandle(MakeIcon(16, 2));
  I->SaveToFile(IcoFile);

  TObjectPtr<TPicture> P(TPicture::Create());
  TChangeCounter Changes;
  P->OnChange = MakeEvent<&TChangeCounter::Hit>(&Changes);
  P->LoadFromFile(BmpFile);
  EXPECT_TRUE(P->Graphic()->Is<TBitmap>());
  EXPECT_EQ(P->Width(), 3);
  P->LoadFromFile(IcoFile);
  EXPECT_TRUE(P->Graphic()->Is<TIcon>());
  EXPECT_EQ(Changes.Count, 2);
  try {
    P->LoadFromFile(TstFile);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& E) {
    EXPECT_EQ(E.Message(), "Unknown picture file extension (.tst)");
  }
  TPicture::RegisterFileFormat("TST", "Test images", TGraphicClass::Of<TTestGraphic>());
  EXPECT_EQ(TPicture::FileFormatClass(".tst").Class(), ClassOf<TTestGraphic>());
  P->LoadFromFile(TstFile);
  EXPECT_TRUE(P->Graphic()->Is<TTestGraphic>());
  EXPECT_NE(TPicture::GraphicFilter(TGraphicClass::Of<TBitmap>()).find("Test images (*.tst)|*.tst"),
            std::string::npos);
  EXPECT_EQ(TPicture::FindGraphicClass("ttestgraphic").Class(), ClassOf<TTestGraphic>());
  TPicture::UnregisterGraphicClass(TGraphicClass::Of<TTestGraphic>());
  EXPECT_FALSE(TPicture::FileFormatClass("tst"));
  EXPECT_EQ(TPicture::FileFormatClass("bmp").Class(), ClassOf<TBitmap>());
  DeleteFileA(BmpFile.c_str());
  DeleteFileA(IcoFile.c_str());
  DeleteFileA(TstFile.c_str());
}

TEST(Picture, AccessorsReplaceTheGraphicAndChangesArrivAtThePicture) {
  TObjectPtr<TPicture> P(TPicture::Create());
  TChangeCounter Changes;
  P->OnChange = MakeEvent<&TChangeCounter::Hit>(&Changes);
  TIcon* Icon = P->Icon();
  EXPECT_EQ(P->Graphic(), Icon);
  EXPECT_EQ(P->Icon(), Icon);
  TBitmap* B = P->Bitmap();  // replaces the icon
  EXPECT_EQ(P->Graphic(), B);
  int Before = Changes.Count;
  B->SetSize(4, 4);
  B->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_GT(Changes.Count, Before);

  TObjectPtr<TPicture> Q(TPicture::Create());
  Q->Assign(P.get());
  ASSERT_NE(Q->Graphic(), P->Graphic());
  EXPECT_TRUE(Q->Graphic()->Equals(P->Graphic()));
  Q->Assign(nullptr);
  EXPECT_EQ(Q->Graphic(), nullptr);
  EXPECT_EQ(Q->Width(), 0);
}

TEST(Picture, DataPropertyCarriesClassNameAndGraphicAndIsLeftOutWhenEqual) {
  TObjectPtr<TPicture> P(TPicture::Create());
  TMemoryStream Unused;
  TCaptureFiler Filer(Unused);
  P->DefineProperties(&Filer);
  EXPECT_EQ(Filer.Name, "Data");
  EXPECT_FALSE(Filer.HasData);  // no graphic

  P->Bitmap()->SetSize(2, 2);
  P->Bitmap()->Canvas()->SetPixels(1, 1, clBlue);
  P->DefineProperties(&Filer);
  EXPECT_TRUE(Filer.HasData);
  TMemoryStream Data;
  Filer.Write(Data);
  const auto* D = static_cast<const uint8_t*>(Data.Memory());
  ASSERT_EQ(D[0], 7);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(D + 1), 7), "TBitmap");
  EXPECT_EQ(gfxfmt::Get32(D + 8) + 12, Data.Size());

  TObjectPtr<TPicture> Q(TPicture::Create());
  TCaptureFiler Reader(Unused);
  Q->DefineProperties(&Reader);
  Data.SetPosition(0);
  Reader.Read(Data);
  ASSERT_NE(Q->Graphic(), nullptr);
  EXPECT_EQ(Px(Q->Bitmap(), 1, 1), clBlue);

  Filer.SetAncestor(Q.get());
  P->DefineProperties(&Filer);
  EXPECT_FALSE(Filer.HasData);  // equal to the ancestor's
  Q->Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  P->DefineProperties(&Filer);
  EXPECT_TRUE(Filer.HasData);

  TMemoryStream Bad;
  Bad.WriteBuffer("\x05TFoo!", 6);
  Bad.SetPosition(0);
  EXPECT_THROW(Reader.Read(Bad), EInvalidGraphic);
  EXPECT_NE(Q->Graphic(), nullptr);
}

// ---- Image lists --------------------------------------------------------------------------------

TBitmap* Solid(int W, int H, TColor C) {
  TBitmap* B = NewBitmap(W, H);
  B->Canvas()->Brush()->SetColor(C);
  B->Canvas()->FillRect(Rect(0, 0, W, H));
  return B;
}

TEST(ImageList, AddGetReplaceDeleteAndIndexChecks) {
  TObjectPtr<TImageList> L(TImageList::Create(nullptr));
  EXPECT_EQ(L->Width(), 16);
  EXPECT_EQ(L->Count(), 0);
  EXPECT_FALSE(L->HandleAllocated());
  TChangeCounter Changes;
  L->OnChange = MakeEvent<&TChangeCounter::Hit>(&Changes);
  TObjectPtr<TBitmap> Strip(NewBitmap(48, 16));  // three images side by side
  Strip->Canvas()->Brush()->SetColor(clRed);
  Strip->Canvas()->FillRect(Rect(0, 0, 16, 16));
  Strip->Canvas()->Brush()->SetColor(clLime);
  Strip->Canvas()->FillRect(Rect(16, 0, 32, 16));
  Strip->Canvas()->Brush()->SetColor(clBlue);
  Strip->Canvas()->FillRect(Rect(32, 0, 48, 16));
  EXPECT_EQ(L->Add(Strip.get(), nullptr), 0);
  EXPECT_EQ(L->Count(), 3);
  EXPECT_EQ(Changes.Count, 1);

  TObjectPtr<TBitmap> Out(TBitmap::Create());
  ASSERT_TRUE(L->GetBitmap(1, Out.get()));
  EXPECT_EQ(Out->Width(), 16);
  EXPECT_TRUE(AreaIs(Out.get(), Rect(0, 0, 16, 16), clLime));
  EXPECT_FALSE(L->GetBitmap(3, Out.get()));

  TObjectPtr<TIcon> Icon(TIcon::Create());
  L->GetIcon(2, Icon.get());
  TObjectPtr<TBitmap> Drawn(NewBitmap(16, 16));
  Drawn->Canvas()->Draw(0, 0, Icon.get());
  EXPECT_EQ(Px(Drawn.get(), 8, 8), clBlue);

  TObjectPtr<TIcon> Square(TIcon::Create());
  Square->SetHandle(MakeIcon(16, 4, RGB(0, 0, 128)));
  EXPECT_EQ(L->AddIcon(Square.get()), 3);
  L->ReplaceIcon(0, Square.get());
  ASSERT_TRUE(L->GetBitmap(0, Out.get()));
  EXPECT_EQ(Px(Out.get(), 8, 8), clNavy);
  EXPECT_EQ(Px(Out.get(), 1, 1), clWhite);  // masked
  L->Delete(1);
  EXPECT_EQ(L->Count(), 3);
  try {
    L->Delete(3);
    ADD_FAILURE();
  } catch (const EInvalidOperation& E) {
    EXPECT_EQ(E.Message(), "Invalid ImageList Index");
  }
  EXPECT_THROW(L->ReplaceIcon(7, Square.get()), EInvalidOperation);
  EXPECT_THROW(L->AddIcon(nullptr), EInvalidOperation);

  L->BeginUpdate();
  L->Clear();
  L->SetWidth(32);  // a new size empties the list too
  int Before = Changes.Count;
  L->EndUpdate();
  EXPECT_EQ(Changes.Count, Before + 1);
  EXPECT_EQ(L->Count(), 0);
  int W = 0, H = 0;
  ImageList_GetIconSize(L->Handle(), &W, &H);
  EXPECT_EQ(W, 32);
  EXPECT_EQ(H, 16);
}

TEST(ImageList, MaskedAddsLeaveTheSourceAloneAndDrawStylesWork) {
  TObjectPtr<TImageList> L(TImageList::Create(nullptr));
  TObjectPtr<TBitmap> Img(Solid(16, 16, clFuchsia));
  Img->Canvas()->Brush()->SetColor(clRed);
  Img->Canvas()->FillRect(Rect(4, 4, 12, 12));
  EXPECT_EQ(L->AddMasked(Img.get(), clFuchsia), 0);
  EXPECT_EQ(Px(Img.get(), 0, 0), clFuchsia);  // the list blackens its own copy only

  TObjectPtr<TBitmap> Back(Solid(20, 20, clLime));
  L->Draw(Back->Canvas(), 2, 2, 0);
  EXPECT_EQ(Px(Back.get(), 3, 3), clLime);
  EXPECT_EQ(Px(Back.get(), 10, 10), clRed);

  // Disabled: embossed in the button colours, the image's own colour gone.
  TObjectPtr<TBitmap> Dis(Solid(20, 20, clLime));
  L->Draw(Dis->Canvas(), 0, 0, 0, false);
  EXPECT_EQ(CountColor(Dis.get(), clRed), 0);
  EXPECT_EQ(Px(Dis.get(), 8, 8), static_cast<TColor>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(Px(Dis.get(), 1, 1), clLime);

  EXPECT_EQ(L->BkColor(), clNone);
  L->SetBkColor(clYellow);
  EXPECT_EQ(L->BkColor(), clYellow);
  EXPECT_EQ(ImageList_GetBkColor(L->Handle()), static_cast<COLORREF>(clYellow));
  L->SetBkColor(clBtnFace);
  EXPECT_EQ(ImageList_GetBkColor(L->Handle()), ColorToRGB(clBtnFace));
  L->SetBkColor(clNone);
  EXPECT_EQ(ImageList_GetBkColor(L->Handle()), CLR_NONE);
  EXPECT_EQ(GetPropInfo(L.get(), "BkColor")->PropType, ColorTypeInfo());
  EXPECT_TRUE(IsDefaultPropValue(L.get(), GetPropInfo(L.get(), "Width")));
}

TEST(ImageList, StreamRoundTripAndBrokenStreams) {
  TObjectPtr<TImageList> L(TImageList::Create(nullptr, 8, 8));
  TObjectPtr<TBitmap> A(Solid(8, 8, clRed)), B(Solid(8, 8, clTeal));
  L->Add(A.get(), nullptr);
  L->Add(B.get(), nullptr);
  TMemoryStream S;
  L->WriteData(S);
  ASSERT_GT(S.Size(), 28);
  EXPECT_EQ(std::string(static_cast<const char*>(S.Memory()), 2), "IL");

  TObjectPtr<TImageList> M(TImageList::Create(nullptr));
  S.SetPosition(0);
  M->ReadData(S);
  EXPECT_EQ(M->Count(), 2);
  EXPECT_EQ(M->Width(), 8);
  EXPECT_EQ(M->Height(), 8);
  TObjectPtr<TBitmap> Out(TBitmap::Create());
  M->GetBitmap(1, Out.get());
  EXPECT_TRUE(AreaIs(Out.get(), Rect(0, 0, 8, 8), clTeal));
  EXPECT_TRUE(M->Equal(L.get()));

  TMemoryStream Unused;
  TCaptureFiler Filer(Unused);
  M->DefineProperties(&Filer);
  EXPECT_EQ(Filer.Name, "Bitmap");
  EXPECT_TRUE(Filer.HasData);
  Filer.SetAncestor(L.get());
  M->DefineProperties(&Filer);
  EXPECT_FALSE(Filer.HasData);
  TObjectPtr<TImageList> Empty(TImageList::Create(nullptr));
  Filer.SetAncestor(nullptr);
  Empty->DefineProperties(&Filer);
  EXPECT_FALSE(Filer.HasData);

  // A BMP is no image-list stream; a cut stream fails; the list keeps what it had.
  TMemoryStream Bmp;
  A->SaveToStream(Bmp);
  Bmp.SetPosition(0);
  EXPECT_THROW(M->ReadData(Bmp), EReadError);
  EXPECT_EQ(Bmp.Position(), 0);
  std::vector<uint8_t> Cut = Bytes(S);
  Cut.resize(40);
  TMemoryStream Short;
  Short.WriteBuffer(Cut.data(), 40);
  Short.SetPosition(0);
  EXPECT_THROW(M->ReadData(Short), EReadError);
  EXPECT_EQ(M->Count(), 2);
}

TEST(ImageList, AssignDuplicatesAndSharedListsSurviveTheComponent) {
  TObjectPtr<TImageList> L(TImageList::Create(nullptr, 8, 8));
  TObjectPtr<TBitmap> A(Solid(8, 8, clRed));
  L->Add(A.get(), nullptr);
  L->SetBkColor(clWhite);
  TObjectPtr<TImageList> M(TImageList::Create(nullptr));
  M->Assign(L.get());
  EXPECT_NE(M->Handle(), L->Handle());
  EXPECT_EQ(M->Count(), 1);
  EXPECT_EQ(M->Width(), 8);
  EXPECT_EQ(M->BkColor(), clWhite);
  L->Clear();
  EXPECT_EQ(M->Count(), 1);
  TObjectPtr<TBitmap> Bmp(TBitmap::Create());
  EXPECT_THROW(M->Assign(Bmp.get()), EConvertError);

  HIMAGELIST Shared = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  {
    TObjectPtr<TImageList> S(TImageList::Create(nullptr));
    S->SetShareImages(true);
    S->SetHandle(Shared);
    EXPECT_EQ(S->Count(), 0);
  }
  EXPECT_EQ(ImageList_GetImageCount(Shared), 0);  // still a live list
  EXPECT_TRUE(ImageList_Destroy(Shared));
}

// ---- Form resources -----------------------------------------------------------------------------

// A root as a form would be: a colour, a font and a picture as published properties, an image list
// as a published component field.
class TGfxRoot : public TComponent {
  VD_CLASS(TGfxRoot, TComponent);

public:
  explicit TGfxRoot(TComponent* AOwner) : TComponent(AOwner) {}
  TColor FColor = clWindow;
  TObjectPtr<TFont> FFont{TFont::Create()};
  TObjectPtr<TPicture> FPicture{TPicture::Create()};
  TImageList* Images = nullptr;
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
};
VD_DEFINE_CLASS(TGfxRoot) {
  C.Property("Color", &TGfxRoot::FColor, &TGfxRoot::FColor).Type(ColorTypeInfo()).Default(clWindow);
  C.Property("Font", &TGfxRoot::Font, &TGfxRoot::SetFont);
  C.Property("Picture", &TGfxRoot::Picture, &TGfxRoot::SetPicture);
  C.Field("Images", &TGfxRoot::Images);
}

TEST(FormResources, ColoursFontsPicturesAndImageListsRoundTripThroughText) {
  TObjectPtr<TGfxRoot> Root(TGfxRoot::Create(nullptr));
  Root->SetName("Root");
  Root->FColor = clBtnFace;
  Root->Font()->SetName("Arial");
  Root->Font()->SetColor(clRed);
  Root->Font()->SetStyle({fsBold});
  Root->Picture()->Bitmap()->SetSize(3, 2);
  Root->Picture()->Bitmap()->Canvas()->SetPixels(2, 1, clBlue);
  auto* Images = TImageList::Create(Root.get());
  Images->SetName("Images");
  Images->SetWidth(8);
  Images->SetHeight(8);
  TObjectPtr<TBitmap> Red(Solid(8, 8, clRed));
  Images->Add(Red.get(), nullptr);

  std::string Text = WriteComponentToText(Root.get());
  EXPECT_NE(Text.find("Color = clBtnFace"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Font.Charset = DEFAULT_CHARSET"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Font.Color = clRed"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Picture.Data = {"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Bitmap = {"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("Font.Size"), std::string::npos) << Text;

  TObjectPtr<TGfxRoot> Copy(TGfxRoot::Create(nullptr));
  ReadComponentFromText(Text, Copy.get());
  EXPECT_EQ(Copy->FColor, clBtnFace);
  EXPECT_EQ(Copy->Font()->Name(), "Arial");
  EXPECT_EQ(Copy->Font()->Color(), clRed);
  EXPECT_EQ(Copy->Font()->Style(), TFontStyles{fsBold});
  ASSERT_NE(Copy->Picture()->Graphic(), nullptr);
  EXPECT_EQ(Px(Copy->Picture()->Bitmap(), 2, 1), clBlue);
  ASSERT_NE(Copy->Images, nullptr);
  EXPECT_EQ(Copy->Images->Count(), 1);
  EXPECT_EQ(Copy->Images->Width(), 8);
  EXPECT_TRUE(Copy->Images->Equal(Images));
  EXPECT_EQ(WriteComponentToText(Copy.get()), Text);
}

// ---- Stream adapter -----------------------------------------------------------------------------

class TFailingStream : public TMemoryStream {
  VD_CLASS(TFailingStream, TMemoryStream);

public:
  TFailingStream() = default;
  int32_t Read(void*, int32_t) override { throw EReadError(SReadError); }
};
VD_DEFINE_CLASS(TFailingStream) {}

TEST(StreamAdapter, ReadsWritesSeeksAndCountsReferences) {
  TMemoryStream M;
  TStreamAdapterPtr S(TStreamAdapter::New(M));
  ULONG Done = 0;
  EXPECT_EQ(S->Write("abcdef", 6, &Done), S_OK);
  EXPECT_EQ(Done, 6u);
  LARGE_INTEGER Move;
  Move.QuadPart = 2;
  ULARGE_INTEGER Pos;
  EXPECT_EQ(S->Seek(Move, STREAM_SEEK_SET, &Pos), S_OK);
  EXPECT_EQ(Pos.QuadPart, 2u);
  char Buf[8] = {};
  EXPECT_EQ(S->Read(Buf, 8, &Done), S_FALSE);  // short read at the end
  EXPECT_EQ(Done, 4u);
  EXPECT_STREQ(Buf, "cdef");
  STATSTG Stat{};
  EXPECT_EQ(S->Stat(&Stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(Stat.cbSize.QuadPart, 6u);
  EXPECT_EQ(Stat.type, static_cast<DWORD>(STGTY_STREAM));

  IStream* Again = nullptr;
  ASSERT_EQ(S->QueryInterface(IID_IStream, reinterpret_cast<void**>(&Again)), S_OK);
  EXPECT_EQ(Again->Release(), 1u);
  IUnknown* None = nullptr;
  EXPECT_EQ(S->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&None)), E_NOINTERFACE);

  IStream* Global = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &Global), S_OK);
  Move.QuadPart = 0;
  S->Seek(Move, STREAM_SEEK_SET, nullptr);
  ULARGE_INTEGER All, Read, Written;
  All.QuadPart = 100;
  EXPECT_EQ(S->CopyTo(Global, All, &Read, &Written), S_OK);
  EXPECT_EQ(Read.QuadPart, 6u);
  EXPECT_EQ(Written.QuadPart, 6u);
  Global->Release();

  // Exceptions of the stream become error codes; an owned stream goes with the adapter.
  auto* Failing = TFailingStream::Create();
  IStream* F = TStreamAdapter::New(*Failing, soOwned);
  EXPECT_EQ(F->Read(Buf, 4, &Done), S_FALSE);
  EXPECT_EQ(Done, 0u);
  EXPECT_EQ(F->Release(), 0u);
}

// ---- Format checks ------------------------------------------------------------------------------

TEST(GraphicsFormats, DibAndIconDirectoryChecks) {
  std::vector<uint8_t> Bmp = MakeBmp(3, 2, 24, {});
  gfxfmt::TDibLayout L;
  std::string Why;
  ASSERT_TRUE(gfxfmt::ParseDib(Bmp.data() + 14, Bmp.size() - 14, 40, L, Why)) << Why;
  EXPECT_EQ(L.Stride, 12u);
  EXPECT_EQ(L.ImageSize, 24u);
  EXPECT_FALSE(gfxfmt::ParseDib(Bmp.data() + 14, Bmp.size() - 15, 40, L, Why));  // one byte short
  EXPECT_FALSE(gfxfmt::ParseDib(Bmp.data() + 14, Bmp.size() - 14, 20, L, Why));  // bits in header
  std::vector<uint8_t> Huge = MakeBmp(1, 1, 32, {});
  std::memcpy(Huge.data() + 18, "\xFF\x7F\x00\x00", 4);
  std::memcpy(Huge.data() + 22, "\xFF\x7F\x00\x00", 4);
  EXPECT_FALSE(gfxfmt::ParseDib(Huge.data() + 14, Huge.size() - 14, 40, L, Why));
  EXPECT_EQ(Why, "image too large");

  std::vector<gfxfmt::TIconDirEntry> E = {
      {16, 16, 0, 1, 32, 100, 22}, {32, 32, 16, 1, 4, 100, 122}, {32, 32, 0, 1, 32, 100, 222},
      {48, 48, 0, 1, 8, 100, 322}};
  EXPECT_EQ(gfxfmt::ChooseIconEntry(E, 32, 32), 2);
  EXPECT_EQ(gfxfmt::ChooseIconEntry(E, 24, 24), 3);  // no fit: the largest
  EXPECT_EQ(gfxfmt::ChooseIconEntry({}, 32, 32), -1);
  uint64_t Extent = 0;
  E.resize(1);
  E[0].ImageOffset = 6 + 16;
  ASSERT_TRUE(gfxfmt::IconFileExtent(E, Extent, Why));
  EXPECT_EQ(Extent, 122u);
  E[0].ImageOffset = 10;
  EXPECT_FALSE(gfxfmt::IconFileExtent(E, Extent, Why));

  std::vector<uint8_t> Icon = MakeIconFile4Bit();
  const uint8_t* Image = Icon.data() + 22;
  EXPECT_TRUE(gfxfmt::CheckIconImage(Image, 744, Why)) << Why;
  EXPECT_FALSE(gfxfmt::CheckIconImage(Image, 743, Why));  // the mask's last byte missing
  std::vector<uint8_t> Odd(Image, Image + 744);
  Odd[8] = 63;  // an odd height has no mask half
  EXPECT_FALSE(gfxfmt::CheckIconImage(Odd.data(), Odd.size(), Why));
  const uint8_t Png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
  EXPECT_TRUE(gfxfmt::CheckIconImage(Png, sizeof Png, Why));
}

TEST(GdiObjects, IconMetafilePictureAndImageListCyclesLeaveNothingBehind) {
  long Before = graphics_detail::LiveGdiObjects();
  std::vector<uint8_t> File = MakeIconFile4Bit();
  for (int I = 0; I < 100; ++I) {
    TObjectPtr<TIcon> Icon(TIcon::Create());
    LoadBytes(Icon.get(), File);
    TObjectPtr<TMetafile> M(RecordRedBox());
    TObjectPtr<TPicture> P(TPicture::Create());
    P->SetGraphic(Icon.get());
    P->SetGraphic(M.get());
    P->Bitmap()->Assign(M.get());
    TObjectPtr<TImageList> L(TImageList::Create(nullptr));
    L->AddIcon(Icon.get());
    TObjectPtr<TIcon> Out(TIcon::Create());
    L->GetIcon(0, Out.get());
    TObjectPtr<TBitmap> B(NewBitmap(16, 16));
    L->Draw(B->Canvas(), 0, 0, 0, false);
    L->GetBitmap(0, B.get());
  }
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Before);
}

}  // namespace
