// The program behind bench/jpeg_bench.sh (a benchmark, not a test): the JPEG core's decoding of
// the largest picture its bounds let through, natively and as the Windows build under Wine.
//   jpeg_bench make <file>             writes a progressive 8192 x 8192 picture, unsampled, of 32 scans
//   jpeg_bench decode <file> [runs]    decodes it (24-bit, then 8-bit with two-pass colour mapping):
//                                      "<mode> <best ms> <its CPU ms> <peak MB>" per mode
// One source for both builds: plain C++ and the libjpeg API, the peak memory and the CPU time the
// only system calls (a loaded machine stretches the elapsed time, not the CPU time).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "classlib/JpegCodec.h"

extern "C" {
#include <jpeglib.h>
}

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
double CpuMs() {
  FILETIME Created, Exited, Kernel, User;
  GetProcessTimes(GetCurrentProcess(), &Created, &Exited, &Kernel, &User);
  auto Ms = [](FILETIME T) { return static_cast<double>(uint64_t{T.dwHighDateTime} << 32 | T.dwLowDateTime) / 1e4; };
  return Ms(Kernel) + Ms(User);
}
double PeakMb() {
  PROCESS_MEMORY_COUNTERS C{};
  GetProcessMemoryInfo(GetCurrentProcess(), &C, sizeof C);
  return static_cast<double>(C.PeakWorkingSetSize) / (1 << 20);
}
#else
#include <sys/resource.h>
double CpuMs() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return (U.ru_utime.tv_sec + U.ru_stime.tv_sec) * 1e3 + (U.ru_utime.tv_usec + U.ru_stime.tv_usec) / 1e3;
}
double PeakMb() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return static_cast<double>(U.ru_maxrss) / 1024;
}
#endif

namespace {

constexpr int kSide = 8192;  // 64 M pixels

FILE* Out;
JOCTET Chunk[1 << 16];

// Gradients under a texture of 64-pixel tiles: every band of every scan holds data.
int Make(const char* Path) {
  Out = std::fopen(Path, "wb");
  if (!Out) return 1;
  jpeg_compress_struct Info{};
  jpeg_error_mgr Err{};
  Info.err = jpeg_std_error(&Err);
  jpeg_create_compress(&Info);
  jpeg_destination_mgr Dest{};
  Dest.init_destination = [](j_compress_ptr I) {
    I->dest->next_output_byte = Chunk;
    I->dest->free_in_buffer = sizeof Chunk;
  };
  Dest.empty_output_buffer = [](j_compress_ptr I) -> boolean {
    std::fwrite(Chunk, 1, sizeof Chunk, Out);
    I->dest->init_destination(I);
    return TRUE;
  };
  Dest.term_destination = [](j_compress_ptr I) { std::fwrite(Chunk, 1, sizeof Chunk - I->dest->free_in_buffer, Out); };
  Info.dest = &Dest;
  Info.image_width = Info.image_height = kSide;
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, 90, TRUE);
  Info.comp_info[0].h_samp_factor = Info.comp_info[0].v_samp_factor = 1;
  // 32 scans: the DC of all three components in two steps, and ten bands of each component's AC.
  static jpeg_scan_info Scans[32];
  const int Bands[11] = {1, 3, 6, 10, 15, 21, 28, 36, 45, 54, 64};
  int N = 0;
  Scans[N++] = {3, {0, 1, 2, 0}, 0, 0, 0, 1};
  for (int C = 0; C < 3; ++C)
    for (int B = 0; B < 10; ++B) Scans[N++] = {1, {C, 0, 0, 0}, Bands[B], Bands[B + 1] - 1, 0, 0};
  Scans[N++] = {3, {0, 1, 2, 0}, 0, 0, 1, 0};
  Info.scan_info = Scans;
  Info.num_scans = N;
  jpeg_start_compress(&Info, TRUE);
  std::vector<JSAMPLE> Row(kSide * 3);
  while (Info.next_scanline < Info.image_height) {
    unsigned Y = Info.next_scanline;
    for (unsigned X = 0; X < kSide; ++X) {
      unsigned T = ((X ^ Y) & 63) + ((X * 7 + Y * 3) & 31);
      Row[X * 3] = static_cast<JSAMPLE>(X / 32 + T / 4);
      Row[X * 3 + 1] = static_cast<JSAMPLE>(Y / 32 + T / 3);
      Row[X * 3 + 2] = static_cast<JSAMPLE>((X + Y) / 64 + T / 2);
    }
    JSAMPROW Rows[1] = {Row.data()};
    jpeg_write_scanlines(&Info, Rows, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  return std::fclose(Out) == 0 ? 0 : 1;
}

int Decode(const char* Path, int Runs) {
  FILE* In = std::fopen(Path, "rb");
  if (!In) return 1;
  std::vector<uint8_t> File;
  uint8_t Buffer[1 << 16];
  for (size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, In)) > 0;) File.insert(File.end(), Buffer, Buffer + Got);
  std::fclose(In);
  for (bool Quantize : {false, true}) {
    jpegcodec::TDecodeOptions Options;
    Options.Quantize = Quantize;
    double Best = 1e300, BestCpu = 0;
    for (int Run = 0; Run < Runs; ++Run) {
      std::vector<uint8_t> Pixels;
      auto T0 = std::chrono::steady_clock::now();
      double Cpu0 = CpuMs();
      try {
        jpegcodec::DecodeJpeg(
            File.data(), File.size(), Options,
            [&](const jpegcodec::TFrame& Frame) {
              size_t Row = static_cast<size_t>(Frame.Width) * (Frame.Indexed ? 1 : 3);
              Pixels.assign(Row * Frame.Height, 0);
              return jpegcodec::TRowTarget{Pixels.data(), static_cast<ptrdiff_t>(Row)};
            },
            nullptr);
      } catch (const jpegcodec::EJpegCodec& E) {
        std::fprintf(stderr, "decoding failed: %s\n", E.what());
        return 1;
      }
      double Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - T0).count();
      if (Ms < Best) Best = Ms, BestCpu = CpuMs() - Cpu0;
    }
    std::printf("%s %.0f %.0f %.0f\n", Quantize ? "8bit" : "24bit", Best, BestCpu, PeakMb());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "make") == 0) return Make(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "decode") == 0) return Decode(argv[2], argc > 3 ? std::atoi(argv[3]) : 3);
  std::fprintf(stderr, "usage: jpeg_bench make <file> | decode <file> [runs]\n");
  return 2;
}
