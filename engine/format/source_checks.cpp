#include "engine/format/source_checks.h"
#include "engine/format/cross_references.h"

#include <cstring>


namespace marlix {
namespace {

// Finds the first reference of a line that names no topic.
class FirstUnresolved {
 public:
  explicit FirstUnresolved(const TopicCatalogue& catalogue) : catalogue_(catalogue) {}
  void Text(const char*, std::uint32_t) {}
  void Tilde() {}
  void Reference(const char* name, std::uint32_t n) {
    if (found_.IsEmpty() && catalogue_.FindEntry(name, n) < 0) found_.AssignN(name, n);
  }
  const TextString& Name() const { return found_; }

 private:
  const TopicCatalogue& catalogue_;
  TextString found_;
};

}  // namespace

void SourceChecks::BeginFile(const TextString& path, const TextString& sectionTitle) {
  if (diagnostics_ == nullptr) return;
  path_ = path;
  lastLongLine_ = 0;
  pending_ = 0;
  sequences_ = 0;
  firstSequenceLine_ = 0;
  notUtf8_ = false;
  ScanUtf8(sectionTitle.CStr(), sectionTitle.Length(), false, 1);
}

void SourceChecks::Check(const SourceLine& line) {
  if (diagnostics_ == nullptr) return;
  // A further piece with bytes in it: the line held more than 80. (An empty
  // further piece only takes the line end of a line of 79 or 80 bytes.)
  if (line.continuation && line.length > 0 && line.lineNumber != lastLongLine_) {
    lastLongLine_ = line.lineNumber;
    diagnostics_->LongLine(path_.CStr(), line.lineNumber);
  }
  // A line end takes a carriage return with it only before a line feed.
  if (std::memchr(line.bytes, '\r', line.length) != nullptr) {
    diagnostics_->LoneCarriageReturn(path_.CStr(), line.lineNumber);
  }
  if (line.cutAtZero) diagnostics_->ZeroByte(path_.CStr(), line.lineNumber);
  ScanUtf8(line.bytes, line.length, line.continuation, line.lineNumber);
}

void SourceChecks::Unresolved(const SourceLine& line, std::uint32_t count,
                              const TopicCatalogue& catalogue) {
  if (diagnostics_ == nullptr) return;
  FirstUnresolved first(catalogue);
  ParseCrossReferences(line.text, line.textLength, first);
  diagnostics_->UnresolvedReferences(path_.CStr(), line.lineNumber, count, first.Name().CStr(),
                                    first.Name().Length());
}

void SourceChecks::EndFile() {
  if (diagnostics_ == nullptr) return;
  if (!notUtf8_ && pending_ == 0 && sequences_ > 0) {
    diagnostics_->LooksLikeUtf8(path_.CStr(), firstSequenceLine_);
  }
}

void SourceChecks::ScanUtf8(const char* bytes, std::uint32_t length, bool continuation,
                            std::uint32_t lineNumber) {
  if (notUtf8_) return;  // one byte that is no UTF-8 settles it for the file
  // A sequence never spans a line end, but may span the pieces of one line.
  if (pending_ > 0 && !continuation) {
    notUtf8_ = true;
    return;
  }
  for (std::uint32_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (pending_ > 0) {
      if ((c & 0xC0) != 0x80) {
        notUtf8_ = true;
        return;
      }
      if (--pending_ == 0) {
        if (sequences_++ == 0) firstSequenceLine_ = sequenceLine_;
      }
      continue;
    }
    if (c < 0x80) continue;
    if (c >= 0xC2 && c <= 0xDF) {
      pending_ = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      pending_ = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      pending_ = 3;
    } else {
      notUtf8_ = true;
      return;
    }
    sequenceLine_ = lineNumber;
  }
}

}  // namespace marlix
