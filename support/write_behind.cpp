#include "support/write_behind.h"

#include <cerrno>

namespace marlix {

WriteBehind::~WriteBehind() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queued_.notify_one();
  thread_.Join();
  // A file left open by a batch that never came is closed (and unreported).
  file_.Close();
}

void WriteBehind::StartPart(Batch& batch, const TextString& path, bool begins) {
  Part& part = batch.parts[batch.partCount];
  part.path = path;
  part.bytesStart = batch.bytes.Length();
  part.outcome = Outcome();
  part.outcome.begins = begins;
}

void WriteBehind::ClosePart(Batch& batch, bool ends) {
  Part& part = batch.parts[batch.partCount++];
  part.bytesEnd = batch.bytes.Length();
  part.outcome.ends = ends;  // until written: whether the part is to end its file
}

bool WriteBehind::IsDone(Batch& batch) {
  std::lock_guard<std::mutex> lock(mutex_);
  return batch.state == State::Done;
}

void WriteBehind::WaitUntilDone(Batch& batch) {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&batch] { return batch.state != State::Queued; });
}

void WriteBehind::Release(Batch& batch) {
  std::lock_guard<std::mutex> lock(mutex_);
  batch.state = State::Free;
}

void WriteBehind::Queue(Batch& batch) {
  if (!thread_.Started() && !threadFailed_ && !inline_) {
    threadFailed_ = !thread_.Start(WriteQueued, this);
  }
  if (threadFailed_ || !thread_.Started()) {
    Write(batch);
    std::lock_guard<std::mutex> lock(mutex_);
    batch.state = State::Done;
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.state = State::Queued;
  }
  queued_.notify_one();
}

void WriteBehind::Write(Batch& batch) {
  for (std::uint32_t i = 0; i < batch.partCount; ++i) {
    Part& part = batch.parts[i];
    Outcome& outcome = part.outcome;
    const bool endsFile = outcome.ends;
    outcome.ends = false;
    if (outcome.begins) {
      file_.Close();  // only when the previous file never ended
      fileShort_ = false;
      outcome.created = file_.Create(part.path);
      if (!outcome.created) outcome.error = file_.Error();
    }
    // The bytes of a file that could not be created are lost with it.
    if (!file_.IsOpen()) continue;
    if (part.bytesEnd <= batch.bytes.Length()) {
      file_.WriteBytes(batch.bytes.CStr() + part.bytesStart, part.bytesEnd - part.bytesStart);
    } else {
      // The batch lost its bytes when memory ran out while it was filled.
      fileShort_ = true;
    }
    if (endsFile) {
      outcome.ends = true;
      outcome.complete = file_.Close() && !fileShort_;
      if (!outcome.complete) outcome.error = fileShort_ ? ENOMEM : file_.Error();
    }
  }
}

void WriteBehind::WriteQueued(void* context) {
  WriteBehind& writer = *static_cast<WriteBehind*>(context);
  for (;;) {
    Batch& batch = writer.batches_[writer.writeAt_];
    {
      std::unique_lock<std::mutex> lock(writer.mutex_);
      writer.queued_.wait(lock, [&] { return batch.state == State::Queued || writer.stopping_; });
      if (batch.state != State::Queued) return;  // stopping, and nothing left to write
    }
    // The batch is this thread's until it is marked done.
    writer.Write(batch);
    {
      std::lock_guard<std::mutex> lock(writer.mutex_);
      batch.state = State::Done;
    }
    writer.done_.notify_one();
    writer.writeAt_ = (writer.writeAt_ + 1) % kBatches;
  }
}

}  // namespace marlix
