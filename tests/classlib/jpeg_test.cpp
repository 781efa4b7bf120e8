// TJPEGImage over libjpeg: round trips (baseline and progressive), scaled, greyscale and 8-bit
// decoding, passes shown one by one, broken files and files beyond the decoder's bounds raising
// EJPEG, a large progressive photo within them decoding, progress handlers that meddle with the
// image, memory and GDI handles that run out while decoding, pictures by extension and the
// form-resource "Data" property. No files: every JPEG is made by the test (the large one with
// libjpeg itself, for its sampling).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "classlib/Jpeg.h"
#include "classlib/JpegCodec.h"

extern "C" {
#include <jpeglib.h>
}
#include "tests/classlib/graphics_test_support.h"

using namespace gfxtest;

namespace {
// When above 0: the allocation that brings it to 0 fails, once.
std::atomic<long> g_AllocationsUntilFailure{0};
}  // namespace

// The program's allocations, so that a test can make one fail. From malloc, as the library's own
// operator new takes them, so its operator delete frees them.
void* operator new(std::size_t Size) {
  if (g_AllocationsUntilFailure > 0 && --g_AllocationsUntilFailure == 0) throw std::bad_alloc();
  if (void* P = std::malloc(Size ? Size : 1)) return P;
  throw std::bad_alloc();
}

namespace {

// Four quadrants: red, green / blue, white (64 x 48 unless asked).
TBitmap* Quadrants(int W = 64, int H = 48) {
  TBitmap* B = NewBitmap(W, H);
  TCanvas* C = B->Canvas();
  const TColor Colors[4] = {clRed, clLime, clBlue, clWhite};
  for (int Q = 0; Q < 4; ++Q) {
    C->Brush()->SetColor(Colors[Q]);
    C->FillRect(Rect(Q % 2 * W / 2, Q / 2 * H / 2, (Q % 2 + 1) * W / 2, (Q / 2 + 1) * H / 2));
  }
  return B;
}

std::vector<uint8_t> JpegBytes(TBitmap* Source, int Quality, bool Progressive) {
  TObjectPtr<TJPEGImage> J(TJPEGImage::Create());
  J->SetCompressionQuality(static_cast<TJPEGQualityRange>(Quality));
  J->SetProgressiveEncoding(Progressive);
  J->Assign(Source);
  TMemoryStream S;
  J->SaveToStream(S);
  auto* P = static_cast<const uint8_t*>(S.Memory());
  return std::vector<uint8_t>(P, P + S.Size());
}

TJPEGImage* LoadJpeg(const std::vector<uint8_t>& Bytes) {
  TJPEGImage* J = TJPEGImage::Create();
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  S.SetPosition(0);
  J->LoadFromStream(S);
  return J;
}

// A progressive file whose scans have lost their data (the decoder fills them with zeros), declared
// Width x Height, its last scan repeated up to Scans scans: much decoding for a few bytes.
std::vector<uint8_t> HollowProgressive(int Width, int Height, int Scans) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> File = JpegBytes(Source.get(), 75, true);
  std::vector<uint8_t> Out(File.begin(), File.begin() + 2);
  std::vector<uint8_t> LastScan;
  int Count = 0;
  for (size_t I = 2; File[I + 1] != 0xD9;) {
    size_t Length = File[I + 2] << 8 | File[I + 3];
    std::vector<uint8_t> Segment(File.begin() + I, File.begin() + I + 2 + Length);
    I += 2 + Length;
    if (Segment[1] == 0xC2) {
      const uint8_t Size[4] = {uint8_t(Height >> 8), uint8_t(Height), uint8_t(Width >> 8), uint8_t(Width)};
      std::copy(Size, Size + 4, Segment.begin() + 5);
    }
    if (Segment[1] == 0xDA) {
      LastScan = Segment;
      ++Count;
      while (File[I] != 0xFF || File[I + 1] == 0 || (File[I + 1] >= 0xD0 && File[I + 1] <= 0xD7)) ++I;
    }
    Out.insert(Out.end(), Segment.begin(), Segment.end());
  }
  for (; Count < Scans; ++Count) Out.insert(Out.end(), LastScan.begin(), LastScan.end());
  Out.insert(Out.end(), {0xFF, 0xD9});
  return Out;
}

// The mean colour of an area of the decoded picture, channel by channel.
struct TMean {
  int R, G, B;
};
TMean MeanOf(TBitmap* B, const TRect& R) {
  long long Sum[3] = {};
  long long N = 0;
  for (int Y = R.top; Y < R.bottom; ++Y)
    for (int X = R.left; X < R.right; ++X, ++N) {
      TColor C = Px(B, X, Y);
      Sum[0] += C & 0xFF;
      Sum[1] += (C >> 8) & 0xFF;
      Sum[2] += (C >> 16) & 0xFF;
    }
  return {int(Sum[0] / N), int(Sum[1] / N), int(Sum[2] / N)};
}

void ExpectNear(TMean M, int R, int G, int B) {
  EXPECT_NEAR(M.R, R, 12);
  EXPECT_NEAR(M.G, G, 12);
  EXPECT_NEAR(M.B, B, 12);
}

struct TProgressLog {
  std::vector<TProgressStage> Stages;
  int Redraws = 0;
  TJPEGImage* Image = nullptr;
  TBitmap* Canvas = nullptr;  // drawn into during the passes, as a progress handler would
  void Hit(TObject*, TProgressStage Stage, uint8_t, bool RedrawNow, const TRect&, const std::string&) {
    Stages.push_back(Stage);
    if (RedrawNow) {
      ++Redraws;
      if (Canvas) Canvas->Canvas()->Draw(0, 0, Image);
    }
  }
};

// Runs Action once, at the first pass shown.
struct TAtFirstPass {
  std::function<void()> Action;
  void Hit(TObject*, TProgressStage Stage, uint8_t, bool, const TRect&, const std::string&) {
    if (Stage == psRunning && Action) std::exchange(Action, nullptr)();
  }
};

// Every GDI handle the process may have but Spare, taken as device contexts while it lives.
class TGdiHandlesTaken {
public:
  explicit TGdiHandlesTaken(int Spare) {
    while (FTaken.size() < (1u << 20))
      if (HDC DC = CreateCompatibleDC(nullptr)) FTaken.push_back(DC);
      else break;
    for (; Spare > 0 && !FTaken.empty(); --Spare) {
      DeleteDC(FTaken.back());
      FTaken.pop_back();
    }
  }
  ~TGdiHandlesTaken() {
    for (HDC DC : FTaken) DeleteDC(DC);
  }
  TGdiHandlesTaken(const TGdiHandlesTaken&) = delete;
  TGdiHandlesTaken& operator=(const TGdiHandlesTaken&) = delete;

private:
  std::vector<HDC> FTaken;
};

// What a request for the picture ended in: the picture's width, or the exception's class and message.
std::string Outcome(const std::function<TBitmap*()>& Request) {
  try {
    return "width " + std::to_string(Request()->Width());
  } catch (const Exception& E) {
    return std::string(E.ClassName()) + " " + E.Message();
  } catch (const std::bad_alloc&) {
    return "std::bad_alloc";
  }
}

// Runs Action once, at the given progress stage or at the next change.
struct TOnce {
  std::function<void()> Action;
  TProgressStage At = psEnding;
  void Progress(TObject*, TProgressStage Stage, uint8_t, bool, const TRect&, const std::string&) {
    if (Stage == At && Action) std::exchange(Action, nullptr)();
  }
  void Change(TObject*) {
    if (Action) std::exchange(Action, nullptr)();
  }
};

}  // namespace

TEST(Jpeg, BitmapRoundTripKeepsTheQuadrantColours) {
  TObjectPtr<TBitmap> Source(Quadrants());
  for (bool Progressive : {false, true}) {
    SCOPED_TRACE(Progressive ? "progressive" : "baseline");
    std::vector<uint8_t> Bytes = JpegBytes(Source.get(), 90, Progressive);
    ASSERT_GT(Bytes.size(), 4u);
    EXPECT_EQ(Bytes[0], 0xFF);
    EXPECT_EQ(Bytes[1], 0xD8);
    EXPECT_EQ(jpegcodec::ReadJpegInfo(Bytes.data(), Bytes.size()).MultiScan, Progressive);
    TObjectPtr<TJPEGImage> J(LoadJpeg(Bytes));
    EXPECT_EQ(J->Width(), 64);
    EXPECT_EQ(J->Height(), 48);
    TBitmap* B = J->Bitmap();
    // Inner parts of the quadrants (the blocks along the edges blur).
    ExpectNear(MeanOf(B, Rect(4, 4, 28, 20)), 255, 0, 0);
    ExpectNear(MeanOf(B, Rect(36, 4, 60, 20)), 0, 255, 0);
    ExpectNear(MeanOf(B, Rect(4, 28, 28, 44)), 0, 0, 255);
    ExpectNear(MeanOf(B, Rect(36, 28, 60, 44)), 255, 255, 255);
  }
}

TEST(Jpeg, ScaledDecodingRoundsTheSizeUp) {
  TObjectPtr<TBitmap> Source(Quadrants(61, 45));
  TObjectPtr<TJPEGImage> J(LoadJpeg(JpegBytes(Source.get(), 90, false)));
  const struct {
    TJPEGScale Scale;
    int W, H;
  } Cases[] = {{jsFullSize, 61, 45}, {jsHalf, 31, 23}, {jsQuarter, 16, 12}, {jsEighth, 8, 6}};
  for (const auto& C : Cases) {
    J->SetScale(C.Scale);
    EXPECT_EQ(J->Width(), C.W) << "before decoding";
    EXPECT_EQ(J->Height(), C.H);
    EXPECT_EQ(J->Bitmap()->Width(), C.W) << "decoded";
    EXPECT_EQ(J->Bitmap()->Height(), C.H);
  }
  ExpectNear(MeanOf(J->Bitmap(), Rect(0, 0, 3, 2)), 255, 0, 0);
}

TEST(Jpeg, GrayscaleAndEightBitDecoding) {
  TObjectPtr<TBitmap> Source(Quadrants());
  TObjectPtr<TJPEGImage> J(LoadJpeg(JpegBytes(Source.get(), 90, false)));
  J->SetGrayscale(true);
  TBitmap* Grey = J->Bitmap();
  int Coloured = CountIn(Grey, Rect(0, 0, 64, 48), [](TColor C) {
    return (C & 0xFF) != ((C >> 8) & 0xFF) || (C & 0xFF) != ((C >> 16) & 0xFF);
  });
  EXPECT_EQ(Coloured, 0);
  EXPECT_EQ(J->Palette(), nullptr);

  J->SetGrayscale(false);
  J->SetPixelFormat(jf8Bit);
  EXPECT_EQ(J->Bitmap()->PixelFormat(), pf8bit);
  EXPECT_NE(J->Palette(), nullptr);
  EXPECT_TRUE(J->PaletteModified());
  ExpectNear(MeanOf(J->Bitmap(), Rect(4, 28, 28, 44)), 0, 0, 255);

  // Shown pass by pass, the colour map comes with the first pass.
  TObjectPtr<TJPEGImage> P(LoadJpeg(JpegBytes(Source.get(), 90, true)));
  P->SetPixelFormat(jf8Bit);
  P->SetProgressiveDisplay(true);
  ExpectNear(MeanOf(P->Bitmap(), Rect(36, 4, 60, 20)), 0, 255, 0);
  EXPECT_NE(P->Palette(), nullptr);
}

TEST(Jpeg, ProgressiveDisplayShowsEachPassAndDrawsThePartialPicture) {
  TObjectPtr<TBitmap> Source(Quadrants());
  TObjectPtr<TJPEGImage> J(LoadJpeg(JpegBytes(Source.get(), 50, true)));
  TObjectPtr<TBitmap> Screen(NewBitmap(64, 48));
  TProgressLog Log;
  Log.Image = J.get();
  Log.Canvas = Screen.get();
  J->OnProgress = MakeEvent<&TProgressLog::Hit>(&Log);
  J->SetProgressiveDisplay(true);
  J->DIBNeeded();
  EXPECT_GT(Log.Redraws, 1);
  ASSERT_GE(Log.Stages.size(), 3u);
  EXPECT_EQ(Log.Stages.front(), psStarting);
  EXPECT_EQ(Log.Stages.back(), psEnding);
  EXPECT_FALSE(J->Decoding());
  ExpectNear(MeanOf(Screen.get(), Rect(4, 28, 28, 44)), 0, 0, 255);  // the last pass was drawn

  // Without ProgressiveDisplay the same file decodes in one go.
  TProgressLog Plain;
  J->OnProgress = MakeEvent<&TProgressLog::Hit>(&Plain);
  J->SetProgressiveDisplay(false);
  J->SetScale(jsHalf);
  J->DIBNeeded();
  EXPECT_EQ(Plain.Redraws, 0);
  EXPECT_EQ(Plain.Stages.size(), 2u);
}

TEST(Jpeg, BrokenFilesRaiseEJpegAndLeaveTheImageAsItWas) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> Good = JpegBytes(Source.get(), 90, false);
  TObjectPtr<TJPEGImage> J(LoadJpeg(Good));

  std::vector<uint8_t> Garbage(200, 'B');
  std::vector<uint8_t> HeaderOnly(Good.begin(), Good.begin() + 20);
  for (const auto* Bad : {&Garbage, &HeaderOnly}) {
    TMemoryStream S;
    S.WriteBuffer(Bad->data(), static_cast<int32_t>(Bad->size()));
    S.SetPosition(0);
    EXPECT_THROW(J->LoadFromStream(S), EJPEG);
    EXPECT_EQ(J->Width(), 64) << "the image keeps its picture";
  }
  try {
    TMemoryStream S;
    S.WriteBuffer(Garbage.data(), 200);
    S.SetPosition(0);
    J->LoadFromStream(S);
  } catch (const EJPEG& E) {
    EXPECT_NE(E.Message().find("Not a JPEG file"), std::string::npos) << E.Message();
  }

  // A cut scan passes the header check and fails when decoded; nothing half-decoded stays.
  for (bool Progressive : {false, true}) {
    std::vector<uint8_t> Bytes = JpegBytes(Source.get(), 90, Progressive);
    size_t Scan = 0;  // the first start-of-scan marker
    while (Scan + 1 < Bytes.size() && !(Bytes[Scan] == 0xFF && Bytes[Scan + 1] == 0xDA)) ++Scan;
    Bytes.resize(Scan + (Bytes.size() - Scan) / 2);
    TObjectPtr<TJPEGImage> Cut(LoadJpeg(Bytes));
    Cut->SetProgressiveDisplay(Progressive);
    EXPECT_THROW(Cut->DIBNeeded(), EJPEG);
    EXPECT_FALSE(Cut->Decoding());
    TObjectPtr<TBitmap> Target(NewBitmap(8, 8));
    EXPECT_THROW(Target->Canvas()->Draw(0, 0, Cut.get()), EJPEG);
  }
}

TEST(Jpeg, RandomlyCorruptedFilesDecodeOrRaiseButNeverCrash) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> Good = JpegBytes(Source.get(), 75, true);
  std::srand(1234);
  for (int Round = 0; Round < 60; ++Round) {
    std::vector<uint8_t> Bytes = Good;
    for (int K = 0; K < 4; ++K) Bytes[std::rand() % Bytes.size()] = static_cast<uint8_t>(std::rand());
    try {
      TObjectPtr<TJPEGImage> J(LoadJpeg(Bytes));
      J->DIBNeeded();
    } catch (const EJPEG&) {
    }
  }
}

TEST(Jpeg, PicturesFindTheClassByExtensionAndKeepItInFormData) {
  EXPECT_EQ(TPicture::FileFormatClass("jpg").Class(), ClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FileFormatClass(".JPEG").Class(), ClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FindGraphicClass("TJPEGImage").Class(), ClassOf<TJPEGImage>());

  TObjectPtr<TBitmap> Source(Quadrants());
  TObjectPtr<TJPEGImage> J(LoadJpeg(JpegBytes(Source.get(), 90, false)));
  TMemoryStream Data;
  J->WriteData(Data);
  Data.SetPosition(0);
  TObjectPtr<TJPEGImage> Back(TJPEGImage::Create());
  Back->ReadData(Data);
  EXPECT_TRUE(Back->Equals(J.get()));

  // Into a bitmap: the decoded picture.
  TObjectPtr<TBitmap> Decoded(TBitmap::Create());
  Decoded->Assign(J.get());
  EXPECT_EQ(Decoded->Width(), 64);
  ExpectNear(MeanOf(Decoded.get(), Rect(4, 4, 28, 20)), 255, 0, 0);
}

TEST(Jpeg, FilesBeyondTheDecodersBoundsRaiseEJpegNamingTheBound) {
  const std::string Scans = "JPEG image has more than " + std::to_string(jpegcodec::kMaxScans) + " scans";
  const struct {
    int W, H, Scans;
    std::string Message;
  } Hostile[] = {{8193, 8193, 10, "JPEG image too large"}, {64, 48, jpegcodec::kMaxScans + 1, Scans}};
  for (const auto& F : Hostile) {
    try {
      TObjectPtr<TJPEGImage> J(LoadJpeg(HollowProgressive(F.W, F.H, F.Scans)));
      J->DIBNeeded();
      ADD_FAILURE() << "decoded beyond the bound: " << F.Message;
    } catch (const EJPEG& E) {
      EXPECT_EQ(E.Message(), F.Message);
    }
  }
  TObjectPtr<TJPEGImage> AtTheBound(LoadJpeg(HollowProgressive(64, 48, jpegcodec::kMaxScans)));
  EXPECT_NO_THROW(AtTheBound->DIBNeeded());

  // Shown pass by pass, a long file redraws within the budget, then once more when it is read.
  const int Side = 2048;
  TObjectPtr<TJPEGImage> Long(LoadJpeg(HollowProgressive(Side, Side, jpegcodec::kMaxScans)));
  Long->SetScale(jsEighth);  // the budget counts the file's pixels: cheap passes, the same count
  Long->SetProgressiveDisplay(true);
  TProgressLog Log;
  Long->OnProgress = MakeEvent<&TProgressLog::Hit>(&Log);
  Long->DIBNeeded();
  EXPECT_GT(Log.Redraws, 1);
  EXPECT_LE(Log.Redraws, int(jpegcodec::kRedrawPixels / (Side * Side)) + 1);
}

TEST(Jpeg, AProgressivePhotoSampledFourFourFourWithinThePixelBoundDecodes) {
  // 6000 x 4000, unsampled, progressive (as editors write photos at their best quality): the
  // coefficients kept for the whole picture alone take 144 MB. Quadrants, so that it compresses.
  const int W = 6000, H = 4000;
  std::vector<uint8_t> File;
  {
    jpeg_compress_struct Info{};
    jpeg_error_mgr Err{};
    Info.err = jpeg_std_error(&Err);
    jpeg_create_compress(&Info);
    // Into File, a few kilobytes at a time.
    static std::vector<uint8_t>* Out;
    static JOCTET Chunk[4096];
    Out = &File;
    jpeg_destination_mgr Dest{};
    Dest.init_destination = [](j_compress_ptr I) {
      I->dest->next_output_byte = Chunk;
      I->dest->free_in_buffer = sizeof Chunk;
    };
    Dest.empty_output_buffer = [](j_compress_ptr I) -> boolean {
      Out->insert(Out->end(), Chunk, Chunk + sizeof Chunk);
      I->dest->init_destination(I);
      return TRUE;
    };
    Dest.term_destination = [](j_compress_ptr I) {
      Out->insert(Out->end(), Chunk, Chunk + (sizeof Chunk - I->dest->free_in_buffer));
    };
    Info.dest = &Dest;
    Info.image_width = W;
    Info.image_height = H;
    Info.input_components = 3;
    Info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&Info);
    Info.comp_info[0].h_samp_factor = Info.comp_info[0].v_samp_factor = 1;
    jpeg_simple_progression(&Info);
    jpeg_start_compress(&Info, TRUE);
    std::vector<JSAMPLE> Row(W * 3);
    while (Info.next_scanline < Info.image_height) {
      bool Top = Info.next_scanline < H / 2;
      for (int X = 0; X < W; ++X) {
        const JSAMPLE Colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        const JSAMPLE* C = Colours[(Top ? 0 : 2) + (X >= W / 2)];
        std::copy(C, C + 3, &Row[X * 3]);
      }
      JSAMPROW Rows[1] = {Row.data()};
      jpeg_write_scanlines(&Info, Rows, 1);
    }
    jpeg_finish_compress(&Info);
    jpeg_destroy_compress(&Info);
  }
  TObjectPtr<TJPEGImage> J(LoadJpeg(File));
  TBitmap* B = J->Bitmap();
  ASSERT_EQ(B->Width(), W);
  ASSERT_EQ(B->Height(), H);
  ExpectNear(MeanOf(B, Rect(100, 100, 120, 120)), 255, 0, 0);
  ExpectNear(MeanOf(B, Rect(W - 120, 100, W - 100, 120)), 0, 255, 0);
  ExpectNear(MeanOf(B, Rect(100, H - 120, 120, H - 100)), 0, 0, 255);
  ExpectNear(MeanOf(B, Rect(W - 120, H - 120, W - 100, H - 100)), 255, 255, 255);
}

TEST(Jpeg, SavingReadsThePixelsWhateverPixelFormatTheBitmapWasGiven) {
  TObjectPtr<TBitmap> Source(Quadrants());
  TObjectPtr<TJPEGImage> J(TJPEGImage::Create());
  J->Assign(Source.get());
  J->Bitmap()->SetPixelFormat(pf8bit);  // a third of the bytes a row the encoder reads
  TMemoryStream S;
  J->SaveToStream(S);
  auto* P = static_cast<const uint8_t*>(S.Memory());
  TObjectPtr<TJPEGImage> Back(LoadJpeg(std::vector<uint8_t>(P, P + S.Size())));
  ExpectNear(MeanOf(Back->Bitmap(), Rect(4, 4, 28, 20)), 255, 0, 0);
  ExpectNear(MeanOf(Back->Bitmap(), Rect(4, 28, 28, 44)), 0, 0, 255);
}

TEST(Jpeg, AProgressHandlerCannotFreeWhatTheDecodingUses) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> Bytes = JpegBytes(Source.get(), 90, true);
  auto Decode = [&](TJPEGImage* J, std::function<void()> Action) {
    TAtFirstPass Handler{std::move(Action)};
    J->SetProgressiveDisplay(true);
    J->OnProgress = MakeEvent<&TAtFirstPass::Hit>(&Handler);
    J->DIBNeeded();
  };

  // What would replace the bytes or the bitmap being filled is refused; the decoding goes on.
  TObjectPtr<TJPEGImage> J(LoadJpeg(Bytes));
  TObjectPtr<TJPEGImage> Other(LoadJpeg(JpegBytes(Source.get(), 50, false)));
  const std::function<void()> Changes[] = {
      [&] {
        TMemoryStream S;
        Other->SaveToStream(S);
        S.SetPosition(0);
        J->LoadFromStream(S);
      },
      [&] { J->Assign(Other.get()); }, [&] { J->Assign(nullptr); }, [&] { J->FreeBitmap(); },
      [&] { J->SetScale(jsHalf); }, [&] { J->SetGrayscale(true); }, [&] { J->SetPixelFormat(jf8Bit); },
      [&] { J->SetPerformance(jpBestSpeed); }, [&] { J->SetSmoothing(false); }};
  int Refused = 0;
  Decode(J.get(), [&] {
    for (const auto& Change : Changes) {
      try {
        Change();
      } catch (const EJPEG&) {
        ++Refused;
      }
    }
  });
  EXPECT_EQ(Refused, int(std::size(Changes)));
  EXPECT_EQ(J->Width(), 64);
  ExpectNear(MeanOf(J->Bitmap(), Rect(4, 28, 28, 44)), 0, 0, 255);

  // Remaking the bitmap ends the decoding; freeing the image ends it silently.
  TObjectPtr<TJPEGImage> Remade(LoadJpeg(Bytes));
  EXPECT_THROW(Decode(Remade.get(), [&] { Remade->Bitmap()->SetPixelFormat(pf8bit); }), EJPEG);
  EXPECT_FALSE(Remade->Decoding());
  TJPEGImage* Freed = LoadJpeg(Bytes);
  EXPECT_THROW(Decode(Freed, [&] { Freed->Free(); }), EAbort);
}

TEST(Jpeg, OnceThePictureIsCompleteItsHandlersMayChangeTheOptions) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> Bytes = JpegBytes(Source.get(), 90, true);
  // At psEnding, and from OnChange (an 8-bit picture reports its new palette): Bitmap() in the
  // handler gives the picture just made, and the picture is made again for the new value.
  TObjectPtr<TJPEGImage> Ending(LoadJpeg(Bytes));
  int InHandler = 0;
  TOnce AtEnd{[&] {
    Ending->SetScale(jsHalf);
    InHandler = Ending->Bitmap()->Width();
  }};
  Ending->OnProgress = MakeEvent<&TOnce::Progress>(&AtEnd);
  EXPECT_NO_THROW(Ending->DIBNeeded());
  EXPECT_EQ(InHandler, 64);
  EXPECT_EQ(Ending->Scale(), jsHalf);
  EXPECT_EQ(Ending->Width(), 32);
  EXPECT_EQ(Ending->Height(), 24);
  EXPECT_EQ(Ending->Bitmap()->Width(), 32);

  TObjectPtr<TJPEGImage> Changed(LoadJpeg(Bytes));
  Changed->SetPixelFormat(jf8Bit);
  TOnce OnChange{[&] {
    Changed->SetGrayscale(true);
    InHandler = Changed->Bitmap()->Width();
  }};
  Changed->OnChange = MakeEvent<&TOnce::Change>(&OnChange);
  TBitmap* B = nullptr;
  EXPECT_NO_THROW(B = Changed->Bitmap());
  EXPECT_EQ(InHandler, 64);
  EXPECT_TRUE(Changed->Grayscale());
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->Width(), 64);
  EXPECT_EQ(Changed->Width(), 64);
  TMean M = MeanOf(B, Rect(4, 4, 28, 20));
  EXPECT_EQ(M.R, M.G) << "decoded grey";
  EXPECT_EQ(M.G, M.B);
}

TEST(Jpeg, AHandlerChangingAnOptionAtEveryDecodingHoldsNoRequest) {
  TObjectPtr<TBitmap> Source(Quadrants());
  TObjectPtr<TJPEGImage> J(LoadJpeg(JpegBytes(Source.get(), 90, false)));
  struct TToggle {
    TJPEGImage* Image;
    int Decodings = 0;
    void Hit(TObject*, TProgressStage Stage, uint8_t, bool, const TRect&, const std::string&) {
      if (Stage == psEnding && ++Decodings <= 20) Image->SetSmoothing(!Image->Smoothing());  // gives up in the end
    }
  } Toggle{J.get()};
  J->OnProgress = MakeEvent<&TToggle::Hit>(&Toggle);
  // The request ends with the last complete picture; the next one decodes again.
  EXPECT_EQ(J->Bitmap()->Width(), 64);
  EXPECT_EQ(Toggle.Decodings, 2);
  ExpectNear(MeanOf(J->Bitmap(), Rect(4, 28, 28, 44)), 0, 0, 255);
  EXPECT_EQ(Toggle.Decodings, 4);
}

TEST(Jpeg, DrawingAfterAHandlerDroppedOrRescaledThePictureDrawsIt) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> Bytes = JpegBytes(Source.get(), 90, false);
  for (bool Drop : {true, false}) {
    SCOPED_TRACE(Drop ? "FreeBitmap" : "SetScale");
    TObjectPtr<TJPEGImage> J(LoadJpeg(Bytes));
    TOnce AtEnd{[&] { Drop ? J->FreeBitmap() : J->SetScale(jsHalf); }};
    J->OnProgress = MakeEvent<&TOnce::Progress>(&AtEnd);
    TObjectPtr<TBitmap> Screen(NewBitmap(64, 48));
    Screen->Canvas()->StretchDraw(Rect(0, 0, 64, 48), J.get());
    ExpectNear(MeanOf(Screen.get(), Rect(4, 28, 28, 44)), 0, 0, 255);
    EXPECT_EQ(J->Width(), Drop ? 64 : 32);
  }
}

TEST(Jpeg, EveryAllocationThatFailsWhileDecodingSaysNotEnoughMemory) {
  TObjectPtr<TBitmap> Source(Quadrants());
  std::vector<uint8_t> Bytes = JpegBytes(Source.get(), 90, false);
  // The first, second, ... allocation of an 8-bit decoding fails, until one decodes untouched.
  for (long Failing = 1;; ++Failing) {
    TObjectPtr<TJPEGImage> J(LoadJpeg(Bytes));
    J->SetPixelFormat(jf8Bit);
    g_AllocationsUntilFailure = Failing;
    std::string Result = Outcome([&] { return J->Bitmap(); });
    bool Failed = g_AllocationsUntilFailure == 0;
    g_AllocationsUntilFailure = 0;
    if (!Failed) {
      EXPECT_EQ(Result, "width 64");
      break;
    }
    if (Result != "width 64") {
      EXPECT_EQ(Result, "EJPEG Not enough memory to decode JPEG image") << "allocation " << Failing;
    }
    EXPECT_EQ(Outcome([&] { return J->Bitmap(); }), "width 64") << "nothing half-decoded stayed";
  }
}

TEST(Jpeg, AnEightBitPictureWithoutGdiHandlesSaysNotEnoughMemory) {
  TObjectPtr<TBitmap> Source(Quadrants());
  TObjectPtr<TJPEGImage> J(LoadJpeg(JpegBytes(Source.get(), 90, false)));
  J->SetPixelFormat(jf8Bit);
  // None left: the bitmap fails; one left: the bitmap takes it and its canvas gets no device context.
  for (int Spare : {0, 1}) {
    SCOPED_TRACE(Spare);
    std::string Result;
    {
      TGdiHandlesTaken Taken(Spare);
      Result = Outcome([&] { return J->Bitmap(); });
    }
    EXPECT_EQ(Result, "EJPEG Not enough memory to decode JPEG image");
    EXPECT_EQ(Outcome([&] { return J->Bitmap(); }), "width 64");
    J->FreeBitmap();
  }
}
