#include "engine/output_tally.h"

#include <cstring>

#include "support/allocation.h"
#include "support/platform/file_system.h"

namespace marlix {

OutputTally::OutputTally(Diagnostics* diagnostics)
    : diagnostics_(diagnostics), failedAllocationsAtStart_(FailedAllocations()) {}

OutputTally::~OutputTally() { ReleaseBytes(unreadable_); }

bool OutputTally::Create(OutputFile& file, const TextString& path) {
  const bool created = file.Create(path);
  NoteCreated(path.CStr(), created, created ? 0 : file.Error());
  if (created && diagnostics_ != nullptr) outputPath_ = path;
  return created;
}

void OutputTally::Finish(OutputFile& file, bool complete) {
  if (!file.IsOpen()) return;
  const bool closed = file.Close();
  NoteFinished(outputPath_.CStr(), closed && complete, file.Error());
}

void OutputTally::NoteCreated(const char* path, bool created, int error) {
  if (created) return;
  ++filesFailed_;
  if (diagnostics_ != nullptr) diagnostics_->OutputNotCreated(path, error);
}

void OutputTally::NoteFinished(const char* path, bool complete, int error) {
  if (complete) {
    ++filesWritten_;
    if (diagnostics_ != nullptr) diagnostics_->OutputWritten(path);
  } else {
    ++filesFailed_;
    if (diagnostics_ != nullptr) diagnostics_->OutputNotWritten(path, error);
  }
}

bool OutputTally::OpenSource(SourceScanner& scanner, const SourceFileList& sourceFiles,
                             std::uint32_t fileIndex, std::uint32_t firstTopic) {
  sourceFiles_ = &sourceFiles;
  const TextString* path = sourceFiles.Ref(fileIndex);
  if (path != nullptr && scanner.Open(*path, firstTopic)) return true;
  NoteUnreadable(fileIndex, platform::Files().LastError());
  return false;
}

void OutputTally::EndSource(SourceScanner& scanner, std::uint32_t fileIndex) {
  if (scanner.ReadFailed()) NoteUnreadable(fileIndex, scanner.ReadError());
  scanner.Close();
}

void OutputTally::NoteUnreadable(std::uint32_t fileIndex, int error) {
  if (fileIndex >= flagCount_) {
    std::uint64_t count = static_cast<std::uint64_t>(fileIndex) + 1;
    if (count < 2 * static_cast<std::uint64_t>(flagCount_)) count = 2 * flagCount_;
    auto* grown =
        static_cast<unsigned char*>(ReallocateBytes(unreadable_, static_cast<std::size_t>(count)));
    if (grown == nullptr) {
      // Counted as a lost allocation, which makes the run incomplete anyway.
      ++sourcesUnreadable_;
      return;
    }
    std::memset(grown + flagCount_, 0, static_cast<std::size_t>(count - flagCount_));
    unreadable_ = grown;
    flagCount_ = static_cast<std::uint32_t>(count);
  }
  if (unreadable_[fileIndex] != 0) return;
  unreadable_[fileIndex] = 1;
  ++sourcesUnreadable_;
  if (diagnostics_ != nullptr) {
    const TextString* path = sourceFiles_ ? sourceFiles_->Ref(fileIndex) : nullptr;
    diagnostics_->SourceNotReread(path ? path->CStr() : "", error);
  }
}

std::uint64_t OutputTally::LostAllocations() const {
  return FailedAllocations() - failedAllocationsAtStart_;
}

bool OutputTally::Complete() const {
  return filesFailed_ == 0 && sourcesUnreadable_ == 0 && LostAllocations() == 0 &&
         !sourceListingFailed_;
}

}  // namespace marlix
