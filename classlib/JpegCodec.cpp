#include "classlib/JpegCodec.h"

#include <algorithm>
#include <cstdarg>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace jpegcodec {
static_assert(kMaxSide == JPEG_MAX_DIMENSION);

namespace {

// ---- Errors -------------------------------------------------------------------------------------

struct TErrorManager {
  jpeg_error_mgr Pub;  // first: libjpeg sees only this part
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

// Leaves libjpeg the way its errors do, with a message of ours.
[[noreturn, gnu::format(printf, 2, 3)]] void GiveUp(j_common_ptr Info, const char* Format, ...) {
  auto* Err = reinterpret_cast<TErrorManager*>(Info->err);
  std::va_list Args;
  va_start(Args, Format);
  std::vsnprintf(Err->Message, sizeof Err->Message, Format, Args);
  va_end(Args);
  std::longjmp(Err->Jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  // Buffers beyond the memory bound would need a temporary file, which libjpeg asks for here.
  if (Info->err->msg_code == JERR_NO_BACKING_STORE)
    GiveUp(Info, "JPEG image needs more than %ld MB of memory to decode", Info->mem->max_memory_to_use >> 20);
  if (Info->err->msg_code == JERR_OUT_OF_MEMORY)
    GiveUp(Info, "Not enough memory to %s JPEG image", Info->is_decompressor ? "decode" : "encode");
  auto* Err = reinterpret_cast<TErrorManager*>(Info->err);
  (*Info->err->format_message)(Info, Err->Message);
  std::longjmp(Err->Jump, 1);
}

// Warnings are counted by libjpeg's own emit_message; nothing is ever printed.
void OutputNothing(j_common_ptr) {}

void InitErrors(TErrorManager& Err) {
  jpeg_std_error(&Err.Pub);
  Err.Pub.error_exit = ErrorExit;
  Err.Pub.output_message = OutputNothing;
  Err.Message[0] = '\0';
}

// Runs Step(Arg) with the jump target set; true when libjpeg gave up inside it. No C++ object
// is made between the setjmp and the end of Step.
[[gnu::noinline]] bool FailedInside(TErrorManager& Err, void (*Step)(void*), void* Arg) {
  if (setjmp(Err.Jump)) return true;
  Step(Arg);
  return false;
}

// Runs Step (a callable that only calls libjpeg and writes plain memory) under the guard and
// turns a failure into EJpegCodec.
template <class F> void Guarded(TErrorManager& Err, F&& Step) {
  auto Trampoline = [](void* P) { (*static_cast<std::remove_reference_t<F>*>(P))(); };
  if (FailedInside(Err, Trampoline, &Step)) throw EJpegCodec(Err.Message);
}

// ---- Memory source ------------------------------------------------------------------------------

const JOCTET kFakeEnd[2] = {0xFF, JPEG_EOI};

struct TMemorySource {
  jpeg_source_mgr Pub;  // first
  const JOCTET* Data;
  size_t Size;
  bool RanOut;
};

void InitSource(j_decompress_ptr) {}

// Everything was handed over at the start: running out means the file ends early. libjpeg's own
// recovery is an end marker and a warning; the decoder reports it once decoding is over.
boolean FillInputBuffer(j_decompress_ptr Info) {
  auto* Src = reinterpret_cast<TMemorySource*>(Info->src);
  WARNMS(Info, JWRN_JPEG_EOF);
  Src->RanOut = true;
  Src->Pub.next_input_byte = kFakeEnd;
  Src->Pub.bytes_in_buffer = sizeof kFakeEnd;
  return TRUE;
}

void SkipInputData(j_decompress_ptr Info, long Count) {
  if (Count <= 0) return;
  auto* Src = reinterpret_cast<TMemorySource*>(Info->src);
  while (static_cast<unsigned long>(Count) > Src->Pub.bytes_in_buffer) {
    Count -= static_cast<long>(Src->Pub.bytes_in_buffer);
    FillInputBuffer(Info);  // only ever hands over the fake end
  }
  Src->Pub.next_input_byte += Count;
  Src->Pub.bytes_in_buffer -= static_cast<size_t>(Count);
}

void TermSource(j_decompress_ptr) {}

int PercentRead(const TMemorySource& Src) {
  if (Src.RanOut || Src.Size == 0) return 100;
  uint64_t Read = Src.Size - Src.Pub.bytes_in_buffer;
  return static_cast<int>(Read * 100 / Src.Size);
}

// ---- Bounds of a decoding ------------------------------------------------------------------------

void CheckScanCount(j_decompress_ptr Info) {
  if (Info->input_scan_number > kMaxScans)
    GiveUp(reinterpret_cast<j_common_ptr>(Info), "JPEG image has more than %d scans", kMaxScans);
}

// libjpeg calls it while it reads: for each row of blocks as it takes in a multi-scan file, for
// each row it puts out.
void MonitorProgress(j_common_ptr Info) { CheckScanCount(reinterpret_cast<j_decompress_ptr>(Info)); }

// Takes in the rest of a file decoded pass by pass without putting anything out (libjpeg calls no
// progress monitor meanwhile).
void ReadToEnd(j_decompress_ptr Info) {
  for (;;) {
    int Result = jpeg_consume_input(Info);
    if (Result == JPEG_REACHED_EOI || Result == JPEG_SUSPENDED) return;
    CheckScanCount(Info);
  }
}

// ---- Memory destination -------------------------------------------------------------------------

struct TMemoryDestination {
  jpeg_destination_mgr Pub;  // first
  JOCTET* Buffer;            // malloc'ed; freed by the owner in the calling frame
  size_t Capacity;
  size_t Length;             // set when the compression ends
};

void InitDestination(j_compress_ptr Info) {
  auto* Dst = reinterpret_cast<TMemoryDestination*>(Info->dest);
  Dst->Pub.next_output_byte = Dst->Buffer;
  Dst->Pub.free_in_buffer = Dst->Capacity;
}

// The buffer is full: twice the room (a failed allocation is libjpeg's out-of-memory error).
boolean EmptyOutputBuffer(j_compress_ptr Info) {
  auto* Dst = reinterpret_cast<TMemoryDestination*>(Info->dest);
  size_t NewCapacity = Dst->Capacity * 2;
  auto* Grown = static_cast<JOCTET*>(std::realloc(Dst->Buffer, NewCapacity));
  if (!Grown) ERREXIT1(Info, JERR_OUT_OF_MEMORY, 10);
  Dst->Buffer = Grown;
  Dst->Pub.next_output_byte = Grown + Dst->Capacity;
  Dst->Pub.free_in_buffer = NewCapacity - Dst->Capacity;
  Dst->Capacity = NewCapacity;
  return TRUE;
}

void TermDestination(j_compress_ptr Info) {
  auto* Dst = reinterpret_cast<TMemoryDestination*>(Info->dest);
  Dst->Length = Dst->Capacity - Dst->Pub.free_in_buffer;
}

// ---- Owners of the libjpeg objects --------------------------------------------------------------

class TDecompressor {
public:
  TDecompressor(const uint8_t* Data, size_t Size) {
    InitErrors(FErr);
    FInfo.err = &FErr.Pub;
    Guarded(FErr, [this] { jpeg_create_decompress(&FInfo); });
    FCreated = true;
    FProgress.progress_monitor = MonitorProgress;
    FInfo.progress = &FProgress;
    FSrc.Pub.init_source = InitSource;
    FSrc.Pub.fill_input_buffer = FillInputBuffer;
    FSrc.Pub.skip_input_data = SkipInputData;
    FSrc.Pub.resync_to_restart = jpeg_resync_to_restart;
    FSrc.Pub.term_source = TermSource;
    FSrc.Pub.next_input_byte = Data;
    FSrc.Pub.bytes_in_buffer = Size;
    FSrc.Data = Data;
    FSrc.Size = Size;
    FSrc.RanOut = false;
    FInfo.src = &FSrc.Pub;
  }
  ~TDecompressor() {
    if (FCreated) jpeg_destroy_decompress(&FInfo);
  }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;

  jpeg_decompress_struct& Info() { return FInfo; }
  TErrorManager& Err() { return FErr; }
  const TMemorySource& Source() const { return FSrc; }

  // The header, with the picture's size checked against the pixel bound (at most the product's),
  // which sets the memory bound.
  void ReadHeader(uint64_t MaxPixels = kMaxPixels) {
    MaxPixels = std::min(MaxPixels, kMaxPixels);
    FInfo.mem->max_memory_to_use = DecodeMemoryBound(MaxPixels);
    Guarded(FErr, [this] { jpeg_read_header(&FInfo, TRUE); });
    uint64_t Pixels = uint64_t{FInfo.image_width} * FInfo.image_height;
    if (FInfo.image_width == 0 || FInfo.image_height == 0) throw EJpegCodec("Empty JPEG image (DNL not supported)");
    if (Pixels > MaxPixels) throw EJpegCodec("JPEG image too large");
  }

  // Raises when the data ended early.
  void CheckComplete() const {
    if (FSrc.RanOut) throw EJpegCodec("Premature end of JPEG file");
  }

private:
  jpeg_decompress_struct FInfo{};
  TErrorManager FErr{};
  TMemorySource FSrc{};
  jpeg_progress_mgr FProgress{};
  bool FCreated = false;
};

// Reads the output rows of the current pass into Target (colour: B, G, R; grey: three equal
// bytes; indexed: the indices). Called inside the guard: plain memory only.
void ReadRows(jpeg_decompress_struct& Info, const TRowTarget& Target, bool Indexed) {
  JSAMPARRAY Row = (*Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Info), JPOOL_IMAGE,
                                             Info.output_width * Info.out_color_components, 1);
  while (Info.output_scanline < Info.output_height) {
    JDIMENSION Y = Info.output_scanline;
    if (jpeg_read_scanlines(&Info, Row, 1) != 1) break;
    uint8_t* Out = Target.First + static_cast<ptrdiff_t>(Y) * Target.Stride;
    const JSAMPLE* In = Row[0];
    if (Indexed) {
      std::memcpy(Out, In, Info.output_width);
    } else if (Info.out_color_components == 1) {
      for (JDIMENSION X = 0; X < Info.output_width; ++X, Out += 3) Out[0] = Out[1] = Out[2] = In[X];
    } else {
      for (JDIMENSION X = 0; X < Info.output_width; ++X, Out += 3, In += 3) {
        Out[0] = In[2];
        Out[1] = In[1];
        Out[2] = In[0];
      }
    }
  }
}

TFrame FrameOf(const jpeg_decompress_struct& Info) {
  TFrame Frame;
  Frame.Width = static_cast<int>(Info.output_width);
  Frame.Height = static_cast<int>(Info.output_height);
  Frame.Indexed = Info.quantize_colors != 0;
  if (Frame.Indexed) {
    for (int I = 0; I < Info.actual_number_of_colors; ++I) {
      for (int C = 0; C < 3; ++C) {
        int Component = Info.out_color_components == 1 ? 0 : C;
        Frame.Palette.push_back(Info.colormap[Component][I]);
      }
    }
  }
  return Frame;
}

}  // namespace

TJpegInfo ReadJpegInfo(const uint8_t* Data, size_t Size) {
  TDecompressor D(Data, Size);
  D.ReadHeader();
  jpeg_decompress_struct& Info = D.Info();
  TJpegInfo Result;
  Result.Width = static_cast<int>(Info.image_width);
  Result.Height = static_cast<int>(Info.image_height);
  Result.Components = Info.num_components;
  Result.MultiScan = jpeg_has_multiple_scans(&Info) != 0;
  return Result;
}

void DecodeJpeg(const uint8_t* Data, size_t Size, const TDecodeOptions& Options, const TPrepareFunc& Prepare,
                const TPassFunc& OnPass) {
  TDecompressor D(Data, Size);
  D.ReadHeader(Options.MaxPixels);
  jpeg_decompress_struct& Info = D.Info();
  Info.scale_num = 1;
  Info.scale_denom = static_cast<unsigned>(Options.ScaleDenom == 2 || Options.ScaleDenom == 4 || Options.ScaleDenom == 8
                                               ? Options.ScaleDenom
                                               : 1);
  if (Options.Grayscale) Info.out_color_space = JCS_GRAYSCALE;
  else if (Info.out_color_space != JCS_GRAYSCALE) Info.out_color_space = JCS_RGB;
  if (Options.FastDct) {
    Info.dct_method = JDCT_IFAST;
    Info.do_fancy_upsampling = FALSE;
  }
  Info.do_block_smoothing = Options.Smoothing ? TRUE : FALSE;
  bool Buffered = Options.ShowPasses && jpeg_has_multiple_scans(&Info);
  Info.buffered_image = Buffered ? TRUE : FALSE;
  if (Options.Quantize) {
    Info.quantize_colors = TRUE;
    Info.desired_number_of_colors = 256;
    // The colour map of two-pass quantizing comes from the whole picture, which the passes of a
    // buffered decode do not have yet.
    Info.two_pass_quantize = Buffered ? FALSE : TRUE;
  }

  Guarded(D.Err(), [&Info] { jpeg_start_decompress(&Info); });
  bool Indexed = Info.quantize_colors != 0;
  if (!Buffered) {
    TRowTarget Target = Prepare(FrameOf(Info));
    Guarded(D.Err(), [&] {
      ReadRows(Info, Target, Indexed);
      jpeg_finish_decompress(&Info);
    });
    D.CheckComplete();
    return;
  }
  // One output pass per scan that arrives, each shown as it stands, while the redraw budget lasts;
  // then the rest is read and shown once. The colour map of a buffered decode is made when the
  // first output pass starts.
  const uint64_t PassCost = uint64_t{Info.image_width} * Info.image_height;
  uint64_t Budget = kRedrawPixels;
  TRowTarget Target;
  bool Shown = false;
  for (;;) {
    bool Complete = jpeg_input_complete(&Info) != 0;
    if (Complete && Shown && Info.output_scan_number >= Info.input_scan_number) break;
    if (!Complete) {
      if (Budget < PassCost) {
        Guarded(D.Err(), [&Info] { ReadToEnd(&Info); });
        continue;
      }
      Budget -= PassCost;
    }
    Guarded(D.Err(), [&Info] { jpeg_start_output(&Info, Info.input_scan_number); });
    if (!Shown) Target = Prepare(FrameOf(Info));
    Guarded(D.Err(), [&] {
      ReadRows(Info, Target, Indexed);
      jpeg_finish_output(&Info);
    });
    Shown = true;
    D.CheckComplete();
    if (OnPass) OnPass(PercentRead(D.Source()));
  }
  Guarded(D.Err(), [&Info] { jpeg_finish_decompress(&Info); });
  D.CheckComplete();
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* First, ptrdiff_t Stride, int Width, int Height,
                                const TEncodeOptions& Options) {
  if (Width <= 0 || Height <= 0) throw EJpegCodec("Empty JPEG image");
  if (uint64_t(Width) * uint64_t(Height) > kMaxPixels) throw EJpegCodec("JPEG image too large");

  struct TCompressor {
    jpeg_compress_struct Info{};
    TErrorManager Err{};
    TMemoryDestination Dst{};
    bool Created = false;
    ~TCompressor() {
      if (Created) jpeg_destroy_compress(&Info);
      std::free(Dst.Buffer);
    }
  } C;
  InitErrors(C.Err);
  C.Info.err = &C.Err.Pub;
  Guarded(C.Err, [&C] { jpeg_create_compress(&C.Info); });
  C.Created = true;
  C.Dst.Capacity = 16384;
  C.Dst.Buffer = static_cast<JOCTET*>(std::malloc(C.Dst.Capacity));
  if (!C.Dst.Buffer) throw EJpegCodec("Not enough memory to encode JPEG image");
  C.Dst.Pub.init_destination = InitDestination;
  C.Dst.Pub.empty_output_buffer = EmptyOutputBuffer;
  C.Dst.Pub.term_destination = TermDestination;
  C.Info.dest = &C.Dst.Pub;

  jpeg_compress_struct& Info = C.Info;
  int Quality = Options.Quality < 1 ? 1 : Options.Quality > 100 ? 100 : Options.Quality;
  Guarded(C.Err, [&] {
    Info.image_width = static_cast<JDIMENSION>(Width);
    Info.image_height = static_cast<JDIMENSION>(Height);
    Info.input_components = 3;
    Info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&Info);
    jpeg_set_quality(&Info, Quality, TRUE);
    if (Options.Progressive) jpeg_simple_progression(&Info);
    jpeg_start_compress(&Info, TRUE);
    JSAMPARRAY Row = (*Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Info), JPOOL_IMAGE,
                                               Info.image_width * 3, 1);
    while (Info.next_scanline < Info.image_height) {
      const uint8_t* In = First + static_cast<ptrdiff_t>(Info.next_scanline) * Stride;
      JSAMPLE* Out = Row[0];
      for (JDIMENSION X = 0; X < Info.image_width; ++X, In += 3, Out += 3) {
        Out[0] = In[2];
        Out[1] = In[1];
        Out[2] = In[0];
      }
      jpeg_write_scanlines(&Info, Row, 1);
    }
    jpeg_finish_compress(&Info);
  });
  return std::vector<uint8_t>(C.Dst.Buffer, C.Dst.Buffer + C.Dst.Length);
}

}  // namespace jpegcodec
