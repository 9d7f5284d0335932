#include "engine/output/page_sink.h"

#include <cerrno>
#include <cstring>

#include "support/allocation.h"
#include "support/file_names.h"

namespace marlix {

PageSink::PageSink(Diagnostics* diagnostics)
    : diagnostics_(diagnostics), failedAllocations_(FailedAllocations()) {}

PageSink::~PageSink() {
  if (archive_.IsOpen()) LeaveArchive();
  if (claimedFile_ != platform::kNoFile) {
    platform::Files().Close(claimedFile_);
    NoteLost(claimedName_, true, 0, true);
  }
  while (depth_ > 0) LeaveFolder();
  if (folder_ != platform::kNoFolder) platform::Files().ReleaseFolder(folder_);
}

bool PageSink::Hold(const TextString& path) {
  folder_ = platform::Files().HoldFolder(path.CStr());
  if (folder_ == platform::kNoFolder) return false;
  prefix_ = JoinPath(path, "");
  return true;
}

bool PageSink::EnterFolder(const char* name) {
  platform::FolderHandle made = platform::kNoFolder;
  int error = ENAMETOOLONG;  // deeper than the sink keeps track of
  if (depth_ < kMaxFolderDepth) {
    made = platform::Files().MakeFolderIn(folder_, name);
    error = platform::Files().LastError();
  }
  if (made == platform::kNoFolder) {
    if (diagnostics_ != nullptr) diagnostics_->FolderNotCreated(PathOf(name), error);
    return false;
  }
  outer_[depth_++] = Outer{folder_, prefix_.Length()};
  folder_ = made;
  prefix_.Append(name);
  prefix_.AppendChar(kPathSeparator);
  return true;
}

void PageSink::LeaveFolder() {
  if (depth_ == 0) return;
  platform::Files().ReleaseFolder(folder_);
  const Outer& outer = outer_[--depth_];
  folder_ = outer.folder;
  prefix_ = prefix_.Left(outer.prefixLength);
}

bool PageSink::Claim(const char* name) {
  claimedFile_ = platform::Files().CreateNewIn(folder_, name);
  if (claimedFile_ == platform::kNoFile) {
    NoteLost(name, false, platform::Files().LastError());
    return false;
  }
  claimedName_ = name;
  if (diagnostics_ != nullptr) claimedPath_ = PathOf(name);
  return true;
}

bool PageSink::EnterArchive(const char* name) {
  const platform::FileHandle file = platform::Files().CreateNewIn(folder_, name);
  if (file == platform::kNoFile) {
    NoteLost(name, false, platform::Files().LastError());
    return false;
  }
  archive_.Begin(file, 0);
  archiveName_ = name;
  archivePrefixLength_ = prefix_.Length();
  prefix_.Append(name);
  prefix_.AppendChar(kPathSeparator);
  archiveWhole_ = true;
  archiveError_ = 0;
  return true;
}

bool PageSink::LeaveArchive() {
  if (!archive_.IsOpen()) return false;
  prefix_ = prefix_.Left(archivePrefixLength_);
  const bool finished = archive_.Finish();
  if (finished && archiveWhole_) return true;
  // Why its first lost entry was lost, unless the archive broke later.
  NoteLost(archiveName_.CStr(), true, archive_.Broken() ? archive_.Error() : archiveError_);
  return false;
}

bool PageSink::WriteStored(const char* name, const char* bytes, std::size_t length) {
  if (archive_.IsOpen()) return WriteEntry(name, bytes, length, ArchiveWriter::kStored, true, 0);
  return Write(name, bytes, length);
}

bool PageSink::Whole(bool complete, bool whole, int whyShort, int& error) {
  const std::uint64_t failedAllocations = FailedAllocations();
  const bool memoryRanOut = failedAllocations != failedAllocations_;
  failedAllocations_ = failedAllocations;
  if (!complete) return false;
  if (memoryRanOut) {
    error = ENOMEM;
    return false;
  }
  if (!whole) error = whyShort;
  return whole;
}

bool PageSink::WriteEntry(const char* name, const char* bytes, std::size_t length,
                          ArchiveWriter::Method method, bool whole, int whyShort) {
  bool complete = archive_.Add(name, bytes, length, method);
  int error = archive_.Error();
  complete = Whole(complete, whole, whyShort, error);
  if (!complete) {
    if (archiveWhole_) archiveError_ = error;
    archiveWhole_ = false;
    NoteLost(name, true, error);
    return false;
  }
  ++written_;
  if (diagnostics_ != nullptr) diagnostics_->OutputWritten(PathOf(name));
  return true;
}

bool PageSink::Write(const char* name, const char* bytes, std::size_t length, bool whole,
                     int whyShort) {
  if (archive_.IsOpen()) {
    return WriteEntry(name, bytes, length, ArchiveWriter::kDeflated, whole, whyShort);
  }
  platform::FileHandle file;
  const bool claimed = claimedName_ != nullptr && std::strcmp(name, claimedName_) == 0;
  if (claimed) {
    file = claimedFile_;
    claimedFile_ = platform::kNoFile;
    claimedName_ = nullptr;
  } else {
    file = platform::Files().CreateNewIn(folder_, name);
    if (file == platform::kNoFile) {
      NoteLost(name, false, platform::Files().LastError());
      return false;
    }
  }
  int error = 0;
  bool complete = platform::Files().Write(file, bytes, length);
  if (!complete) error = platform::Files().LastError();
  if (!platform::Files().Close(file) && complete) {
    complete = false;
    error = platform::Files().LastError();
  }
  complete = Whole(complete, whole, whyShort, error);
  if (!complete) {
    NoteLost(name, true, error, claimed);
    return false;
  }
  ++written_;
  if (diagnostics_ != nullptr) diagnostics_->OutputWritten(ToldPath(name, claimed));
  return true;
}

bool PageSink::List(const char* pattern, StringList& names, int& whyShort) const {
  const bool listed = ListFiles(folder_, pattern, names);
  whyShort = listed ? 0 : platform::Files().LastError();
  return listed;
}

const char* PageSink::PathOf(const char* name) {
  // Built in one buffer, kept from file to file.
  path_ = prefix_;
  path_.Append(name);
  return path_.Length() == prefix_.Length() + std::strlen(name) ? path_.CStr() : name;
}

const char* PageSink::ToldPath(const char* name, bool claimed) {
  return claimed ? claimedPath_.CStr() : PathOf(name);
}

void PageSink::NoteLost(const char* name, bool created, int error, bool claimed) {
  ++lost_;
  if (diagnostics_ == nullptr) return;
  if (created) {
    diagnostics_->OutputNotWritten(ToldPath(name, claimed), error);
  } else {
    diagnostics_->OutputNotCreated(ToldPath(name, claimed), error);
  }
}

}  // namespace marlix
