// Times the snapshot walk on one folder tree: the one-enumeration walk against the literal
// two-pass walk. Prints one line per walk: name, lines, milliseconds (best of the runs), and a
// checksum of the lines so that equal output shows at a glance.
//   vd32_walk_bench.exe <folder> [runs]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "literal_walk.h"
#include "vd32/FolderWalk.h"

namespace {

// Counts and checksums the lines (FNV-1a over the bytes and the CR LF of each line).
class ChecksumSink : public LineSink {
public:
  void Add(const std::string& Line) override {
    for (unsigned char c : Line) Mix(c);
    Mix('\r');
    Mix('\n');
    ++lines;
  }
  uint64_t lines = 0;
  uint64_t hash = 1469598103934665603ull;

private:
  void Mix(unsigned char c) { hash = (hash ^ c) * 1099511628211ull; }
};

template <class Walk>
void Time(const char* name, const std::string& folder, int runs, Walk walk) {
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  double best = 1e300;
  ChecksumSink sink;
  for (int i = 0; i < runs; ++i) {
    sink = ChecksumSink();
    QueryPerformanceCounter(&t0);
    walk(folder, sink);
    QueryPerformanceCounter(&t1);
    double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
    if (ms < best) best = ms;
  }
  std::printf("%s %llu %.1f %016llx\n", name, static_cast<unsigned long long>(sink.lines), best,
              static_cast<unsigned long long>(sink.hash));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vd32_walk_bench <folder> [runs]\n");
    return 2;
  }
  std::string folder = argv[1];
  int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  try {
    // Alternate so that neither walk profits alone from a warm cache.
    for (int round = 0; round < 2; ++round) {
      Time("one-enumeration", folder, runs, [](const std::string& f, LineSink& s) { CollectFolders(f, s); });
      Time("two-pass", folder, runs, [](const std::string& f, LineSink& s) { CollectFoldersTwoPass(f, s); });
    }
  } catch (...) {
    std::fprintf(stderr, "walk failed\n");
    return 1;
  }
  return 0;
}
