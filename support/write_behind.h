// Writes output files on a thread of its own while the caller makes the next
// ones, so that the kernel's work of creating and writing files overlaps the
// work of building their bytes. A caller that has to wait for room writes a
// waiting batch itself meanwhile, so that both threads create files when
// building is ahead.
//
// The caller builds files straight into a batch (Bytes), marking where each
// begins (with its path) and ends. A batch is handed over once it holds
// enough bytes or files; only a file too long for one batch runs on into the
// next, and such batches are written by the writing thread alone, in order.
// What became of each file comes back, in the order the files were made, to
// the caller's own thread through its report function (when a batch is done,
// and in Drain), so whoever counts and reports the output never runs on the
// writing thread. When no thread can be made, a batch is written at once when
// handed over; so is the only batch of a run that fits in one, which starts
// no thread.
//
// Use:
//   WriteBehind writer;
//   writer.Begin(path, report);   // report(const WriteBehind::Outcome&)
//   writer.Bytes().Append(...);   // the file's bytes
//   writer.End(report);
//   ...
//   writer.Drain(report);         // every file written and reported
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "support/output_file.h"
#include "support/platform/thread.h"
#include "support/text_string.h"

namespace marlix {

class WriteBehind {
 public:
  // What became of one file, or of the part of a long file that one batch
  // held: a part that begins its file tells whether the file was created; a
  // part that ends a created file tells whether all of it was written and
  // the file closed.
  struct Outcome {
    const char* path = "";  // valid while the report runs
    bool begins = false;
    bool created = false;
    bool ends = false;      // the part ends a file that was created
    bool complete = false;  // ends: every byte reached the file and it was closed
    int error = 0;          // why the create, a write or the close failed
  };

  WriteBehind() = default;
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Where the bytes of the current file go; append only.
  TextString& Bytes() { return *bytes_; }

  // Starts the file at path (ending the current one, if any).
  template <typename Report>
  void Begin(const TextString& path, Report&& report) {
    if (open_) End(report);
    Batch& batch = batches_[fillAt_];
    StartPart(batch, path, true);
    open_ = true;
  }
  // Ends the current file; hands the batch over when it is full.
  template <typename Report>
  void End(Report&& report) {
    if (!open_) return;
    Batch& batch = batches_[fillAt_];
    ClosePart(batch, true);
    open_ = false;
    if (batch.bytes.Length() >= kBatchBytes || batch.partCount == kPartsPerBatch) {
      HandOver(report);
    }
  }
  // Hands the batch over if the current file alone has made it large: the
  // rest of the file goes into the next batch. (Other files end first, so
  // that most batches hold whole files and either thread may write them.)
  template <typename Report>
  void HandOverIfLarge(Report&& report) {
    if (!open_ || bytes_->Length() < splitAt_) return;
    Batch& batch = batches_[fillAt_];
    ClosePart(batch, false);
    const TextString path(batch.paths.At(batch.parts[batch.partCount - 1].pathStart));
    HandOver(report);
    StartPart(batches_[fillAt_], path, false);
  }
  // Ends the current file, writes everything handed over and reports it.
  template <typename Report>
  void Drain(Report&& report) {
    End(report);
    if (batches_[fillAt_].partCount > 0) {
      // A last batch with no thread yet (everything fitted one batch) is
      // written here: a small run starts no thread at all.
      if (!thread_.Started()) inline_ = true;
      HandOver(report);
    }
    for (std::uint32_t i = 0; i < kBatches; ++i) {
      Batch& batch = batches_[collectAt_];
      if (batch.state == State::Free) break;
      HelpUntilDone(batch, false);
      Take(batch, report);
    }
  }

 private:
  // A batch is handed over once it holds this many bytes or files; a few
  // batches in flight keep the writer busy and memory small.
  static constexpr std::uint32_t kBatchBytes = 64 * 1024;
  // The first batch's first room: a small run's pages fit it without regrowth.
  static constexpr std::uint32_t kFirstBatchBytes = 16 * 1024;
  static constexpr std::uint32_t kPartsPerBatch = 64;
  static constexpr std::uint32_t kBatches = 4;
  enum class State { Free, Queued, Writing, Done };

  // The paths of one batch's parts, one after another, each ended by a zero
  // byte: one block a batch, kept from batch to batch, rather than a string
  // a part.
  class PathBlock {
   public:
    static constexpr std::uint32_t kNoPath = 0xFFFFFFFFu;

    PathBlock() = default;
    ~PathBlock();
    PathBlock(const PathBlock&) = delete;
    PathBlock& operator=(const PathBlock&) = delete;

    // Adds path and tells where it starts; kNoPath when memory ran out (the
    // loss counted), which leaves the paths added before as they were.
    std::uint32_t Add(const TextString& path);
    // The path added at start; "" for kNoPath.
    const char* At(std::uint32_t start) const { return start == kNoPath ? "" : bytes_ + start; }
    void Empty() { length_ = 0; }

   private:
    char* bytes_ = nullptr;
    std::uint32_t length_ = 0;
    std::uint32_t room_ = 0;
  };

  struct Part {
    std::uint32_t pathStart = PathBlock::kNoPath;  // in the batch's paths
    std::uint32_t bytesStart = 0;
    std::uint32_t bytesEnd = 0;
    Outcome outcome;
  };
  struct Batch {
    std::atomic<State> state{State::Free};  // changed under mutex_, for the waits
    TextString bytes;
    PathBlock paths;
    Part parts[kPartsPerBatch];
    std::uint32_t partCount = 0;
    bool wholeFiles = false;  // no file runs in from the one before or on into the next
  };

  void StartPart(Batch& batch, const TextString& path, bool begins);
  void ClosePart(Batch& batch, bool ends);

  template <typename Report>
  void HandOver(Report& report) {
    handedOver_ = true;
    Queue(batches_[fillAt_]);
    fillAt_ = (fillAt_ + 1) % kBatches;
    Batch& next = batches_[fillAt_];
    bytes_ = &next.bytes;
    // Report whatever is done; then the batch to fill next must be free.
    while (batches_[collectAt_].state != State::Free && IsDone(batches_[collectAt_])) {
      Take(batches_[collectAt_], report);
    }
    if (next.state != State::Free) {
      HelpUntilDone(next, true);
      Take(next, report);
    }
  }
  template <typename Report>
  void Take(Batch& batch, Report& report) {
    for (std::uint32_t i = 0; i < batch.partCount; ++i) {
      Part& part = batch.parts[i];
      part.outcome.path = batch.paths.At(part.pathStart);
      report(static_cast<const Outcome&>(part.outcome));
    }
    batch.bytes.Empty();
    batch.paths.Empty();
    batch.partCount = 0;
    Release(batch);
    collectAt_ = (collectAt_ + 1) % kBatches;
  }

  // One thread's file being written, and whether some of its bytes were
  // lost before they could be written.
  struct WriterFile {
    OutputFile file;
    bool fileShort = false;
  };

  bool IsDone(Batch& batch);
  // Waits until the batch is written, writing waiting batches of whole files
  // meanwhile; while more are to be built, one waiting batch is always left
  // for the writing thread, so that it never waits for the caller.
  void HelpUntilDone(Batch& batch, bool leaveOneForWriter);
  void Release(Batch& batch);
  // Queues the batch for the writing thread, starting it on first use, or
  // writes it at once when there is no such thread.
  void Queue(Batch& batch);
  // Takes the oldest queued batch for the calling thread to write; nullptr
  // when no more than leaving are queued, or when it does not hold whole
  // files and only such may be taken. Under mutex_.
  Batch* Claim(bool wholeFilesOnly, std::uint64_t leaving);
  void Write(Batch& batch, WriterFile& writing);
  static void WriteQueued(void* writer);

  Batch batches_[kBatches];
  TextString* bytes_ = &batches_[0].bytes;  // of the batch being filled
  std::uint32_t fillAt_ = 0;                // the batch being filled
  std::uint32_t collectAt_ = 0;             // the next batch to report
  // Batches are queued and claimed in the order they were filled; claimed
  // counts those either thread has taken.
  std::uint64_t queued_ = 0;
  std::uint64_t claimed_ = 0;
  bool open_ = false;  // a file has begun and not ended
  std::uint32_t splitAt_ = 0;  // the batch length at which the open file is split
  bool handedOver_ = false;    // a batch has been handed over: the run is a large one
  WriterFile threadWriting_;  // the writing thread's; also inside Queue without a thread
  WriterFile callerWriting_;  // the caller's, for the batches it writes while waiting
  std::mutex mutex_;
  std::condition_variable queuedChanged_;  // a batch was queued, or stopping_ was set
  std::condition_variable done_;           // a batch became Done
  bool stopping_ = false;
  bool threadFailed_ = false;  // no thread could be made: batches are written inside Queue
  bool inline_ = false;        // the last batch goes out without a thread
  platform::Thread thread_;
};

}  // namespace marlix
