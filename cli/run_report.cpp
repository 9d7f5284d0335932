#include "cli/run_report.h"

#include <cstring>

#include "cli/error_reason.h"
#include "engine/editions/editions.h"

namespace marlix {

bool ShowBytes(TextString& text, const char* bytes, std::size_t length) {
  const std::uint32_t before = text.Length();
  std::size_t added = 0;
  std::size_t i = 0;
  while (i < length) {
    // A run of printable bytes in one append, then one escaped byte.
    std::size_t run = i;
    while (run < length && bytes[run] >= 0x20 && bytes[run] < 0x7F) ++run;
    text.AppendBytes(bytes + i, run - i);
    added += run - i;
    if (run == length) break;
    const auto c = static_cast<unsigned char>(bytes[run]);
    char escape[4] = {'\\', 'x', "0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    std::size_t escapeLength = 4;
    if (c == '\n' || c == '\r' || c == '\t') {
      escape[1] = c == '\n' ? 'n' : c == '\r' ? 'r' : 't';
      escapeLength = 2;
    }
    text.AppendBytes(escape, escapeLength);
    added += escapeLength;
    i = run + 1;
  }
  // A failed append leaves the text empty; a shorter text is no line at all.
  if (text.Length() == before + added) return true;
  text.Clear();
  return false;
}

namespace {

// One line of the report, built from literal text, numbers and bytes shown
// safely. A line that memory could not hold whole comes out empty, never cut.
class Line {
 public:
  Line& operator<<(const char* text) { return Bytes(text, std::strlen(text)); }
  Line& operator<<(const TextString& text) { return Bytes(text.CStr(), text.Length()); }
  Line& operator<<(std::uint32_t n) {
    TextString digits;
    return *this << digits.AssignNumber(n);
  }
  // Bytes from outside (paths, names): escaped.
  Line& Shown(const char* bytes, std::size_t length) {
    ok_ = ok_ && ShowBytes(text_, bytes, length);
    return *this;
  }
  Line& Shown(const char* text) { return Shown(text, std::strlen(text)); }
  Line& Shown(const TextString& text) { return Shown(text.CStr(), text.Length()); }
  TextString Take() { return ok_ ? std::move(text_) : TextString(); }

 private:
  Line& Bytes(const char* bytes, std::size_t length) {
    const std::uint32_t before = text_.Length();
    if (ok_) text_.AppendBytes(bytes, length);
    ok_ = ok_ && text_.Length() == before + length;
    return *this;
  }
  TextString text_;
  bool ok_ = true;
};

void PrintLine(std::FILE* file, const TextString& line) {
  if (line.IsEmpty()) return;
  std::fwrite(line.CStr(), 1, line.Length(), file);
  std::fputc('\n', file);
}

const char* Plural(std::size_t n) { return n == 1 ? "" : "s"; }

const char* StepName(ConversionStep step, OutputEdition edition) {
  switch (step) {
    case ConversionStep::IndexPage:
      return "Index page";
    case ConversionStep::SectionPages:
      return "Section pages";
    case ConversionStep::TopicPages:
      return "Topic pages";
    case ConversionStep::ClosingFiles:
      return EditionOf(edition).closingStep;
  }
  return "Step";
}

// A byte as the user would look for it: printable ASCII quoted, anything
// else in hexadecimal.
void DescribeByte(Line& line, int byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  const char hex[5] = {'0', 'x', kDigits[(byte >> 4) & 15], kDigits[byte & 15], 0};
  if (byte > 0x20 && byte < 0x7F) {
    const char quoted[4] = {'"', static_cast<char>(byte), '"', 0};
    line << quoted << " (" << hex << ")";
  } else if (byte == 0x20) {
    line << "a blank (0x20)";
  } else {
    line << hex;
  }
}

}  // namespace

RunReport::RunReport(const ConversionRequest& request, bool verbose, std::FILE* out)
    : request_(request),
      verbose_(verbose),
      out_(out),
      shownSourceFolder_(Line().Shown(request.sourceFolderPath).Take()) {}

void RunReport::FolderNotCreated(const char* path, int error) {
  folderError_ = (Line().Shown(path) << ": error: cannot create this folder: "
                                     << ErrorReason(error, PathUse::NewFolder))
                     .Take();
}

void RunReport::FolderNameRefused(const char* name) {
#ifdef _WIN32
  constexpr char kSeparators[] = "\"\\\" or \"/\"";
#else
  constexpr char kSeparators[] = "\"/\"";
#endif
  folderError_ = (Line().Shown(name) << ": error: cannot create this folder: NAME must be one "
                                        "folder name (no "
                                     << kSeparators << ", not \".\" or \"..\")")
                     .Take();
}

void RunReport::FolderNotHeld(const char* path, int error) {
  folderError_ = (Line().Shown(path) << ": error: cannot open this new folder to write into it: "
                                     << ErrorReason(error, PathUse::File))
                     .Take();
}

void RunReport::ListingFailed(const char* folder, int error) {
  listingError_ = (Line().Shown(folder) << ": error: cannot be listed: "
                                        << ErrorReason(error, PathUse::ListedFolder))
                      .Take();
}

void RunReport::NoteLeftOutName(const char* path) {
  ++leftOutCount_;
  if (leftOutNames_.Count() >= kLeftOutNamesShown) return;
  const TextString prefix = JoinPath(request_.sourceFolderPath, "");
  const std::size_t length = std::strlen(path);
  std::size_t skip = 0;
  if (!prefix.IsEmpty() && length >= prefix.Length() &&
      std::memcmp(path, prefix.CStr(), prefix.Length()) == 0) {
    skip = prefix.Length();
  }
  leftOutNames_.Add(Line().Shown(path + skip, length - skip).Take());
}

void RunReport::SourceLeftOut(const char* path, LeftOutReason reason, int error, int firstByte) {
  NoteLeftOutName(path);
  Line line;
  line.Shown(path) << ": warning: left out: ";
  switch (reason) {
    case LeftOutReason::CannotOpen:
      line << "cannot be opened: " << ErrorReason(error, PathUse::File);
      break;
    case LeftOutReason::Empty:
      line << "the file is empty";
      break;
    case LeftOutReason::ByteOrderMark:
      line << "it starts with a UTF-8 byte-order mark, not \"@\" (save it as code page 437)";
      break;
    case LeftOutReason::NoFileMark:
      line << "its first byte is ";
      DescribeByte(line, firstByte);
      line << ", not \"@\"";
      break;
  }
  warnings_.Add(line.Take());
}

void RunReport::NoteLost(TextString&& line) {
  if (lost_.Count() < kLostFilesShown) lost_.Add(std::move(line));
  ++lostCount_;
}

void RunReport::SourceUnreadable(const char* path, int error) {
  NoteLeftOutName(path);
  NoteLost((Line().Shown(path) << ": error: cannot be read: " << ErrorReason(error, PathUse::File))
               .Take());
}

void RunReport::SourceNotReread(const char* path, int error) {
  NoteLost((Line().Shown(path) << ": error: cannot be read again: "
                               << ErrorReason(error, PathUse::File))
               .Take());
}

void RunReport::SourceChanged(const char* path) {
  NoteLost((Line().Shown(path) << ": error: changed while it was converted").Take());
}

void RunReport::OutputNotCreated(const char* path, int error) {
  NoteLost((Line().Shown(path) << ": error: cannot be created: "
                               << ErrorReason(error, PathUse::File))
               .Take());
}

void RunReport::OutputNotWritten(const char* path, int error) {
  NoteLost((Line().Shown(path) << ": error: not written in full: "
                               << ErrorReason(error, PathUse::File))
               .Take());
}

void RunReport::OutputWritten(const char* path) {
  if (verbose_) PrintLine(out_, Line().Shown(path).Take());
}

void RunReport::CatalogueBuilt(std::uint32_t topics, std::uint32_t names) {
  if (verbose_) {
    std::fprintf(out_, "Topic catalogue: %u topic%s, %u name%s\n", topics, Plural(topics), names,
                 Plural(names));
  }
}

void RunReport::StepFinished(ConversionStep step, unsigned written, unsigned lost) {
  if (!verbose_) return;
  std::fprintf(out_, "%s: %u file%s written", StepName(step, request_.edition), written,
               Plural(written));
  if (lost > 0) std::fprintf(out_, ", %u lost", lost);
  std::fputc('\n', out_);
}

void RunReport::LineSet::Add(std::uint32_t lineNumber, std::uint32_t times) {
  // Lines come in reading order, so a repeated line is the last one added.
  if (lines == 0 || last != lineNumber) {
    if (lines < kLineNumbersShown) first[lines] = lineNumber;
    ++lines;
    last = lineNumber;
  }
  count += times;
}

RunReport::SourceWarnings* RunReport::WarningsFor(const char* path) {
  // Each file is looked at in one go, so only the last one can match.
  const std::uint32_t count = sourceWarnings_.Count();
  if (count > 0 && sourceWarnings_[count - 1].path == path) return &sourceWarnings_[count - 1];
  SourceWarnings warnings;
  warnings.path = path;
  warnings.shownPath = Line().Shown(path).Take();
  if (warnings.path != path || !sourceWarnings_.Append(std::move(warnings))) return nullptr;
  return &sourceWarnings_[count];
}

void RunReport::LongLine(const char* path, std::uint32_t lineNumber) {
  if (SourceWarnings* warnings = WarningsFor(path)) warnings->longLines.Add(lineNumber);
}

void RunReport::LoneCarriageReturn(const char* path, std::uint32_t lineNumber) {
  if (SourceWarnings* warnings = WarningsFor(path)) warnings->loneReturns.Add(lineNumber);
}

void RunReport::ZeroByte(const char* path, std::uint32_t lineNumber) {
  if (SourceWarnings* warnings = WarningsFor(path)) warnings->zeroBytes.Add(lineNumber);
}

void RunReport::LooksLikeUtf8(const char* path, std::uint32_t firstLine) {
  if (SourceWarnings* warnings = WarningsFor(path)) warnings->utf8Line = firstLine;
}

void RunReport::UnresolvedReferences(const char* path, std::uint32_t lineNumber,
                                     std::uint32_t count, const char* name,
                                     std::size_t nameLength) {
  SourceWarnings* warnings = WarningsFor(path);
  if (warnings == nullptr) return;
  if (warnings->unresolved.count == 0) {
    warnings->firstUnresolved = Line().Shown(name, nameLength).Take();
  }
  warnings->unresolved.Add(lineNumber, count);
}

void RunReport::PrintFailureDetails(ConversionOutcome outcome, std::FILE* err) const {
  switch (outcome) {
    case ConversionOutcome::Completed:
    case ConversionOutcome::InfoMissing:
      return;
    case ConversionOutcome::DestinationNotCreated:
      PrintLine(err, folderError_);
      // The one file of an edition written as one, which could not be made.
      for (std::uint32_t i = 0; i < lost_.Count(); ++i) PrintLine(err, *lost_.Ref(i));
      return;
    case ConversionOutcome::NoValidSourceFiles: {
      const char* folder = shownSourceFolder_.CStr();
      if (!listingError_.IsEmpty()) {
        PrintLine(err, listingError_);
      } else if (leftOutCount_ == 0) {
        std::fprintf(err, "%s: error: holds no *.txt file\n", folder);
      } else {
        const std::uint32_t count = leftOutCount_;
        std::fprintf(err, "%s: error: holds %u *.txt file%s, but %s: ", folder, count,
                     Plural(count),
                     count == 1 ? "it is not a valid text file (one starting with \"@\")"
                                : "none is a valid text file (one starting with \"@\")");
        for (std::uint32_t i = 0; i < leftOutNames_.Count(); ++i) {
          std::fprintf(err, "%s%s", i ? ", " : "", leftOutNames_.Ref(i)->CStr());
        }
        if (count > leftOutNames_.Count()) std::fprintf(err, ", ...");
        std::fputc('\n', err);
        PrintLost(err);
      }
      return;
    }
    case ConversionOutcome::UnexpectedError:
    case ConversionOutcome::IncompleteOutput:
      // The new folder that could not be held, or a folder of the edition's own inside it.
      PrintLine(err, folderError_);
      PrintLine(err, listingError_);
      PrintLost(err);
      return;
  }
}

void RunReport::PrintLost(std::FILE* err) const {
  for (std::uint32_t i = 0; i < lost_.Count(); ++i) PrintLine(err, *lost_.Ref(i));
  // Lines that memory could not keep are counted with the rest.
  std::uint32_t printed = 0;
  for (std::uint32_t i = 0; i < lost_.Count(); ++i) printed += lost_.Ref(i)->IsEmpty() ? 0 : 1;
  if (lostCount_ > printed) {
    const std::uint32_t more = lostCount_ - printed;
    std::fprintf(err, "... and %u more file%s\n", more, Plural(more));
  }
}

void RunReport::LineSet::Print(std::FILE* file) const {
  if (lines < 2) return;
  std::fputs(" (lines ", file);
  const std::uint32_t shown = lines < kLineNumbersShown ? lines : kLineNumbersShown;
  for (std::uint32_t i = 0; i < shown; ++i) std::fprintf(file, "%s%u", i ? ", " : "", first[i]);
  std::fputs(lines > shown ? ", ...)" : ")", file);
}

void RunReport::PrintWarnings(std::FILE* err) const {
  for (std::uint32_t i = 0; i < warnings_.Count(); ++i) PrintLine(err, *warnings_.Ref(i));
  for (std::uint32_t i = 0; i < sourceWarnings_.Count(); ++i) {
    const SourceWarnings& file = sourceWarnings_[i];
    if (file.shownPath.IsEmpty()) continue;
    const char* path = file.shownPath.CStr();
    if (file.utf8Line != 0) {
      std::fprintf(err,
                   "%s:%u: warning: this looks like UTF-8, not code page 437: its accented "
                   "letters and symbols will show wrongly\n",
                   path, file.utf8Line);
    }
    if (file.longLines.count > 0) {
      const std::uint32_t n = file.longLines.count;
      std::fprintf(err, "%s:%u: warning: %u line%s longer than 80 bytes", path,
                   file.longLines.first[0], n, Plural(n));
      file.longLines.Print(err);
      std::fprintf(err,
                   ": %s split into 80-byte pieces, and the first byte of each further piece is "
                   "read as its format column\n",
                   n == 1 ? "it is" : "each is");
    }
    if (file.loneReturns.count > 0) {
      const std::uint32_t n = file.loneReturns.lines;
      std::fprintf(err, "%s:%u: warning: %u line%s with a carriage return not followed by a line feed",
                   path, file.loneReturns.first[0], n, Plural(n));
      file.loneReturns.Print(err);
      std::fputs(": it ends no line, so the lines it separates are read as one\n", err);
    }
    if (file.zeroBytes.count > 0) {
      const std::uint32_t n = file.zeroBytes.lines;
      std::fprintf(err, "%s:%u: warning: %u line%s with a zero byte", path,
                   file.zeroBytes.first[0], n, Plural(n));
      file.zeroBytes.Print(err);
      std::fputs(": the text after it is left out\n", err);
    }
    if (file.unresolved.count > 0) {
      const std::uint32_t n = file.unresolved.count;
      std::fprintf(err,
                   "%s:%u: warning: %u \"~\" reference%s name%s no topic and become%s bold text",
                   path, file.unresolved.first[0], n, Plural(n), n == 1 ? "s" : "",
                   n == 1 ? "s" : "");
      file.unresolved.Print(err);
      std::fprintf(err, ", the first \"~%s~\"\n", file.firstUnresolved.CStr());
    }
  }
}

}  // namespace marlix
