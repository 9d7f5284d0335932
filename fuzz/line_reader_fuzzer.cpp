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
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "support/line_reader.h"
#include "support/memory_file_system.h"

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

// Steps kept from run to run: a step's bytes reuse their room, so that a run
// allocates little besides what the reader does.
class Steps {
 public:
  std::size_t Count() const { return count_; }
  const Step& operator[](std::size_t i) const { return steps_[i]; }
  void Clear() { count_ = 0; }
  Step& Next() {
    if (count_ == steps_.size()) steps_.emplace_back();
    Step& step = steps_[count_++];
    step.bytes.clear();
    step.read = step.atEnd = step.failedBy = false;
    return step;
  }

 private:
  std::vector<Step> steps_;
  std::size_t count_ = 0;
};

void Apply(LineReader& reader, std::uint8_t op, Step& step) {
  switch (op % 5) {
    case 0: {
      // Whether a line was read shows only in what follows (step.read stays false).
      const TextString line = reader.ReadLine();
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
}

// Runs ops and then reads lines to the end; at most limit steps.
void Walk(MemoryFileSystem& files, const std::vector<std::uint8_t>& ops, std::size_t limit,
          Steps& steps, bool& failed) {
  ScopedFileSystem guard(files);
  steps.Clear();
  // One reader for every walk, closed after each: it keeps its buffer, as a
  // reader reused from file to file does, so that a run does not pay for
  // a fresh 16 KB block under the sanitizers.
  static LineReader reader;
  Check(reader.Open("/f.txt"), "the file opens");
  for (std::uint8_t op : ops) Apply(reader, op, steps.Next());
  // The rest piece by piece, as the scanner reads.
  while (!reader.AtEnd() && steps.Count() < limit) Apply(reader, 2, steps.Next());
  Check(reader.AtEnd(), "every reading loop ends");
  failed = reader.ReadFailed();
  for (std::size_t i = 0; i < steps.Count(); ++i) {
    Check(steps[i].bytes.find('\0') == std::string::npos, "no zero byte handed out");
  }
  reader.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  marlix::fuzz::FuzzInput input(data, size);
  // Both file systems kept from run to run and reset, so that their room is
  // made once.
  static MemoryFileSystem whole, chopped;
  whole.Reset();
  chopped.Reset();
  for (unsigned n = input.Byte() % 8; n > 0; --n) chopped.faults.readSizes.push_back(input.Byte());
  chopped.faults.readFailsAt = input.Short() % 512;
  static std::vector<std::uint8_t> ops;
  ops.clear();
  while (ops.size() < 16 && input.Left() > 0) {
    std::uint8_t op = input.Byte();
    if (op == 0) break;
    ops.push_back(op);
  }
  const std::string_view content = input.Rest();

  whole.AddFile("/f.txt", content);
  chopped.AddFile("/f.txt", content);

  // Each step consumes at least one byte until the end, so a loop that runs
  // longer than the file is long has not ended.
  const std::size_t limit = ops.size() + content.size() + 2;
  bool wholeFailed = false;
  bool choppedFailed = false;
  static Steps expected, got;
  Walk(whole, ops, limit, expected, wholeFailed);
  Walk(chopped, ops, limit, got, choppedFailed);
  Check(!wholeFailed, "reads that never fail are no failure");
  Check(whole.OpenFiles() == 0 && chopped.OpenFiles() == 0, "the reader closes its file");

  Check(choppedFailed == (chopped.FaultsPlayed() > 0), "a failed read is reported, and only one");
  // Until a read fails, the read sizes do not show; after it, the walk ends.
  Check(got.Count() <= expected.Count() || choppedFailed, "no extra steps");
  for (std::size_t i = 0; i < got.Count() && !got[i].failedBy; ++i) {
    Check(i < expected.Count() && got[i].SameAs(expected[i]), "the read sizes do not show");
  }
  if (!choppedFailed) Check(got.Count() == expected.Count(), "the same number of steps");
  return 0;
}
