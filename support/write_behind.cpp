#include "support/write_behind.h"

#include <cerrno>
#include <cstring>

#include "support/allocation.h"

namespace marlix {

WriteBehind::~WriteBehind() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queuedChanged_.notify_one();
  thread_.Join();
  // A file left open by a batch that never came is closed (and unreported).
  threadWriting_.file.Close();
}

WriteBehind::PathBlock::~PathBlock() { ReleaseBytes(bytes_); }

std::uint32_t WriteBehind::PathBlock::Add(const TextString& path) {
  const std::uint64_t needed = static_cast<std::uint64_t>(length_) + path.Length() + 1;
  if (needed >= kNoPath) {
    NoteLostAllocation();
    return kNoPath;
  }
  if (needed > room_) {
    std::uint64_t room = room_ < 512 ? 1024 : 2 * static_cast<std::uint64_t>(room_);
    if (room < needed) room = needed;
    if (room >= kNoPath) room = needed;
    char* grown = static_cast<char*>(ReallocateBytes(bytes_, static_cast<std::size_t>(room)));
    if (grown == nullptr) return kNoPath;
    bytes_ = grown;
    room_ = static_cast<std::uint32_t>(room);
  }
  const std::uint32_t start = length_;
  std::memcpy(bytes_ + start, path.CStr(), path.Length() + 1u);
  length_ = static_cast<std::uint32_t>(needed);
  return start;
}

void WriteBehind::StartPart(Batch& batch, const TextString& path, bool begins) {
  // Once a run has filled a batch, the room for a full one is made at once,
  // so that later batches do not grow (and copy) step by step; a batch ends
  // after the file that fills it. A run that fits one batch keeps it small,
  // but starts with room for a few pages rather than growing from nothing.
  if (batch.partCount == 0) {
    batch.bytes.AppendSpace(handedOver_ ? kBatchBytes + kBatchBytes / 2 : kFirstBatchBytes);
  }
  Part& part = batch.parts[batch.partCount];
  part.pathStart = batch.paths.Add(path);
  part.bytesStart = batch.bytes.Length();
  splitAt_ = part.bytesStart + kBatchBytes;
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

WriteBehind::Batch* WriteBehind::Claim(bool wholeFilesOnly, std::uint64_t leaving) {
  if (queued_ - claimed_ <= leaving) return nullptr;
  Batch& batch = batches_[claimed_ % kBatches];
  if (wholeFilesOnly && !batch.wholeFiles) return nullptr;
  batch.state = State::Writing;
  ++claimed_;
  return &batch;
}

void WriteBehind::HelpUntilDone(Batch& batch, bool leaveOneForWriter) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (batch.state != State::Done) {
    // Only batches of whole files: a file that runs across batches stays
    // with the writing thread, which writes its parts in order.
    Batch* waiting = Claim(true, leaveOneForWriter ? 1 : 0);
    if (waiting == nullptr) {
      done_.wait(lock);
      continue;
    }
    lock.unlock();
    Write(*waiting, callerWriting_);
    lock.lock();
    waiting->state = State::Done;
  }
}

void WriteBehind::Release(Batch& batch) {
  std::lock_guard<std::mutex> lock(mutex_);
  batch.state = State::Free;
}

void WriteBehind::Queue(Batch& batch) {
  batch.wholeFiles = batch.partCount > 0 && batch.parts[0].outcome.begins &&
                     batch.parts[batch.partCount - 1].outcome.ends;
  const bool starting = !thread_.Started() && !threadFailed_ && !inline_;
  if (thread_.Started() || starting) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      batch.state = State::Queued;
      ++queued_;
    }
    if (!starting) {
      queuedChanged_.notify_one();
      return;
    }
    // Queued before the thread starts, so that it finds the batch at once;
    // its buffer is made here, so that it allocates nothing of its own.
    if (threadWriting_.file.MakeBuffer() && thread_.Start(WriteQueued, this)) return;
    threadFailed_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    --queued_;
  }
  // No writing thread: the batch is written at once.
  Write(batch, threadWriting_);
  std::lock_guard<std::mutex> lock(mutex_);
  batch.state = State::Done;
}

void WriteBehind::Write(Batch& batch, WriterFile& writing) {
  OutputFile& file = writing.file;
  for (std::uint32_t i = 0; i < batch.partCount; ++i) {
    Part& part = batch.parts[i];
    Outcome& outcome = part.outcome;
    const bool endsFile = outcome.ends;
    outcome.ends = false;
    if (outcome.begins) {
      file.Close();  // only when the previous file never ended
      writing.fileShort = false;
      outcome.created = file.Create(batch.paths.At(part.pathStart));
      if (!outcome.created) outcome.error = file.Error();
    }
    // The bytes of a file that could not be created are lost with it.
    if (!file.IsOpen()) continue;
    if (part.bytesEnd <= batch.bytes.Length()) {
      file.WriteBytes(batch.bytes.CStr() + part.bytesStart, part.bytesEnd - part.bytesStart);
    } else {
      // The batch lost its bytes when memory ran out while it was filled.
      writing.fileShort = true;
    }
    if (endsFile) {
      outcome.ends = true;
      outcome.complete = file.Close() && !writing.fileShort;
      if (!outcome.complete) outcome.error = writing.fileShort ? ENOMEM : file.Error();
    }
  }
}

void WriteBehind::WriteQueued(void* context) {
  WriteBehind& writer = *static_cast<WriteBehind*>(context);
  for (;;) {
    Batch* batch = nullptr;
    {
      std::unique_lock<std::mutex> lock(writer.mutex_);
      writer.queuedChanged_.wait(lock, [&] {
        batch = writer.Claim(false, 0);
        return batch != nullptr || writer.stopping_;
      });
      if (batch == nullptr) return;  // stopping, and nothing left to write
    }
    // The batch is this thread's until it is marked done.
    writer.Write(*batch, writer.threadWriting_);
    {
      std::lock_guard<std::mutex> lock(writer.mutex_);
      batch->state = State::Done;
    }
    writer.done_.notify_all();
  }
}

}  // namespace marlix
