// Micro-benchmarks of the engine's hot paths: name lookup, line rendering
// and line reading.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/editions/classic/classic_lines.h"
#include "engine/format/page_names.h"
#include "engine/format/topic_catalogue.h"
#include "support/line_reader.h"

namespace marlix {
namespace {

// A catalogue of n names "Topic <i>" with pages in order.
void FillCatalogue(TopicCatalogue& catalogue, int n) {
  for (int i = 0; i < n; ++i) {
    catalogue.Add(("Topic " + std::to_string(i)).c_str(),
                  PageName(0, static_cast<std::uint32_t>(i)));
  }
}

void BM_FindPageIndexed(benchmark::State& state) {
  TopicCatalogue catalogue;
  FillCatalogue(catalogue, static_cast<int>(state.range(0)));
  TextString name(("topic " + std::to_string(state.range(0) - 1)).c_str());
  for (auto _ : state) benchmark::DoNotOptimize(FindPage(name, catalogue));
}
BENCHMARK(BM_FindPageIndexed)->Arg(1000)->Arg(10000)->Arg(100000);

void BM_FindPageScan(benchmark::State& state) {
  TopicCatalogue catalogue;
  FillCatalogue(catalogue, static_cast<int>(state.range(0)));
  TextString name(("topic " + std::to_string(state.range(0) - 1)).c_str());
  for (auto _ : state) benchmark::DoNotOptimize(FindPageByScan(name, catalogue));
}
BENCHMARK(BM_FindPageScan)->Arg(1000)->Arg(10000);

// A scratch file path that is removed when the benchmark ends.
struct ScratchFile {
  std::string path;
  ScratchFile() {
    char pattern[] = "/tmp/marlix-bench-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    path = pattern;
    std::remove(path.c_str());
  }
  ~ScratchFile() { std::remove(path.c_str()); }
};

void BM_RenderLine(benchmark::State& state) {
  TopicCatalogue catalogue;
  FillCatalogue(catalogue, 10000);
  TextString line(" Use ~Topic 42~ with <care> & \xB3 \xC4\xC4 \xE0 when ~topic 9999~ fails.");
  TextString html;
  for (auto _ : state) {
    html.Empty();
    RenderLine(html, catalogue, line);
    benchmark::DoNotOptimize(html.CStr());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * line.Length());
}
BENCHMARK(BM_RenderLine);

void BM_ReadLines(benchmark::State& state) {
  ScratchFile scratch;
  {
    std::FILE* file = std::fopen(scratch.path.c_str(), "wb");
    for (int i = 0; i < 20000 && file != nullptr; ++i) {
      std::fputs(" A line of reference text with a ~link~ and some blanks   \r\n", file);
    }
    if (file != nullptr) std::fclose(file);
  }
  LineReader reader;
  LinePiece piece;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    reader.Open(scratch.path.c_str());
    while (reader.ReadPiece(piece)) bytes += piece.length;
    reader.Close();
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadLines);

}  // namespace
}  // namespace marlix

BENCHMARK_MAIN();
