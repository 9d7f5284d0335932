// The line reader alone, on a file in memory whose reads hand out fuzzed
// sizes and may fail part-way. Buffering must never show: the lines, pieces,
// bytes and end flags must be those of a reader whose reads always bring as
// much as asked, up to the point where a read failed; after a failure the
// reader ends (no loop runs on) and says that it failed.
//
// Input: one byte for the number of read sizes (0 to 7), one byte per size,
// two bytes for the read call that fails (0: none), one byte per operation
// (up to 16, ended by a zero byte); the rest is the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "support/line_reader.h"
#include "support/platform/memory_file_system.h"

namespace {

using marlix::LinePiece;
using marlix::LineReader;
using marlix::TextString;
using marlix::platform::MemoryFileSystem;
using marlix::platform::ScopedFileSystem;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

// What one operation gave: the bytes, whether it read anything, the end flag;
// and whether any read of the file had failed by the end of it.
struct Step {
  std::string bytes;
  bool read = false;
  bool atEnd = false;
  bool failedBy = false;
  bool SameAs(const Step& other) const {
    return bytes == other.bytes && read == other.read && atEnd == other.atEnd;
  }
};

Step Apply(LineReader& reader, std::uint8_t op) {
  Step step;
  switch (op % 5) {
    case 0: {
      TextString line;
      step.read = reader.ReadLine(line);
      step.bytes.assign(line.CStr(), line.Length());
      break;
    }
    case 1:
      step.read = reader.SkipLine();
      break;
    case 2: {
      LinePiece piece;
      step.read = reader.ReadPiece(piece);
      if (step.read) step.bytes.assign(piece.bytes, piece.length);
      step.bytes += piece.endsLine ? "|end" : "|cut";
      break;
    }
    case 3: {
      LinePiece piece;
      step.read = reader.PeekPiece(op / 5 % 100, piece);
      if (step.read) step.bytes.assign(piece.bytes, piece.length);
      break;
    }
    case 4: {
      TextString bytes = reader.ReadBytes(op / 5 % 4 + 1);
      step.bytes.assign(bytes.CStr(), bytes.Length());
      step.read = !bytes.IsEmpty();
      break;
    }
  }
  step.atEnd = reader.AtEnd();
  step.failedBy = reader.ReadFailed();
  return step;
}

// Runs ops and then reads lines to the end; at most limit steps.
std::vector<Step> Walk(MemoryFileSystem& files, const std::vector<std::uint8_t>& ops,
                       std::size_t limit, bool& failed) {
  ScopedFileSystem guard(files);
  std::vector<Step> steps;
  LineReader reader;
  Check(reader.Open("/f.txt"), "the file opens");
  for (std::uint8_t op : ops) steps.push_back(Apply(reader, op));
  while (!reader.AtEnd() && steps.size() < limit) steps.push_back(Apply(reader, 0));
  Check(reader.AtEnd(), "every reading loop ends");
  failed = reader.ReadFailed();
  for (const Step& step : steps) {
    Check(step.bytes.find('\0') == std::string::npos, "no zero byte handed out");
  }
  return steps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  marlix::fuzz::FuzzInput input(data, size);
  MemoryFileSystem chopped;
  for (unsigned n = input.Byte() % 8; n > 0; --n) chopped.faults.readSizes.push_back(input.Byte());
  chopped.faults.readFailsAt = input.Short() % 512;
  std::vector<std::uint8_t> ops;
  while (ops.size() < 16 && input.Left() > 0) {
    std::uint8_t op = input.Byte();
    if (op == 0) break;
    ops.push_back(op);
  }
  const std::string content = input.Rest();

  MemoryFileSystem whole;
  whole.AddFile("/f.txt", content);
  chopped.AddFile("/f.txt", content);

  // Each step consumes at least one byte until the end, so a loop that runs
  // longer than the file is long has not ended.
  const std::size_t limit = ops.size() + content.size() + 2;
  bool wholeFailed = false;
  bool choppedFailed = false;
  std::vector<Step> expected = Walk(whole, ops, limit, wholeFailed);
  std::vector<Step> got = Walk(chopped, ops, limit, choppedFailed);
  Check(!wholeFailed, "reads that never fail are no failure");
  Check(whole.OpenFiles() == 0 && chopped.OpenFiles() == 0, "the reader closes its file");

  Check(choppedFailed == (chopped.FaultsPlayed() > 0), "a failed read is reported, and only one");
  // Until a read fails, the read sizes do not show; after it, the walk ends.
  Check(got.size() <= expected.size() || choppedFailed, "no extra steps");
  for (std::size_t i = 0; i < got.size() && !got[i].failedBy; ++i) {
    Check(i < expected.size() && got[i].SameAs(expected[i]), "the read sizes do not show");
  }
  if (!choppedFailed) Check(got.size() == expected.size(), "the same number of steps");
  return 0;
}
