#include "cli/run_report.h"

#include <cstdarg>

#include "cli/error_reason.h"
#include "engine/editions/editions.h"

namespace marlix {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  char buffer[256];
  std::va_list arguments;
  va_start(arguments, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, n);
  std::string text(static_cast<std::size_t>(n), '\0');
  va_start(arguments, format);
  std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  return text;
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
std::string DescribeByte(int byte) {
  if (byte > 0x20 && byte < 0x7F) return Format("\"%c\" (0x%02X)", byte, byte);
  if (byte == 0x20) return "a blank (0x20)";
  return Format("0x%02X", byte);
}

}  // namespace

RunReport::RunReport(const ConversionRequest& request, bool verbose, std::FILE* out)
    : request_(request), verbose_(verbose), out_(out) {}

void RunReport::FolderNotCreated(const char* path, int error) {
  folderError_ = Format("%s: error: cannot create this folder: %s", path,
                        ErrorReason(error, PathUse::NewFolder));
}

void RunReport::ListingFailed(const char* folder, int error) {
  listingError_ =
      Format("%s: error: cannot be listed: %s", folder, ErrorReason(error, PathUse::ListedFolder));
}

void RunReport::SourceLeftOut(const char* path, LeftOutReason reason, int error, int firstByte) {
  std::string prefix = JoinPath(request_.sourceFolderPath, "").CStr();
  std::string name = path;
  if (name.compare(0, prefix.size(), prefix) == 0) name.erase(0, prefix.size());
  leftOutNames_.push_back(name);

  std::string why;
  switch (reason) {
    case LeftOutReason::CannotOpen:
      why = Format("cannot be opened: %s", ErrorReason(error, PathUse::File));
      break;
    case LeftOutReason::CannotRead:
      why = Format("cannot be read: %s", ErrorReason(error, PathUse::File));
      break;
    case LeftOutReason::Empty:
      why = "the file is empty";
      break;
    case LeftOutReason::ByteOrderMark:
      why = "it starts with a UTF-8 byte-order mark, not \"@\" (save it as code page 437)";
      break;
    case LeftOutReason::NoFileMark:
      why = Format("its first byte is %s, not \"@\"", DescribeByte(firstByte).c_str());
      break;
  }
  warnings_.push_back(Format("%s: warning: left out: %s", path, why.c_str()));
}

void RunReport::NoteLost(std::string line) {
  if (lost_.size() < kLostFilesShown) lost_.push_back(std::move(line));
  ++lostCount_;
}

void RunReport::SourceNotReread(const char* path, int error) {
  NoteLost(Format("%s: error: cannot be read again: %s", path, ErrorReason(error, PathUse::File)));
}

void RunReport::OutputNotCreated(const char* path, int error) {
  NoteLost(Format("%s: error: cannot be created: %s", path, ErrorReason(error, PathUse::File)));
}

void RunReport::OutputNotWritten(const char* path, int error) {
  NoteLost(Format("%s: error: not written in full: %s", path, ErrorReason(error, PathUse::File)));
}

void RunReport::OutputWritten(const char* path) {
  if (verbose_) std::fprintf(out_, "%s\n", path);
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

void RunReport::LineSet::Add(std::uint32_t lineNumber, std::size_t times) {
  // Lines come in reading order, so a repeated line is the last one added.
  if (lines == 0 || last != lineNumber) {
    ++lines;
    last = lineNumber;
    if (first.size() < kLineNumbersShown) first.push_back(lineNumber);
  }
  count += times;
}

std::string RunReport::LineSet::Describe() const {
  if (first.size() < 2) return "";
  std::string text = " (lines ";
  for (std::size_t i = 0; i < first.size(); ++i) {
    text += (i ? ", " : "") + std::to_string(first[i]);
  }
  return text + (lines > first.size() ? ", ...)" : ")");
}

RunReport::SourceWarnings& RunReport::WarningsFor(const char* path) {
  // Each file is looked at in one go, so only the last one can match.
  if (sourceWarnings_.empty() || sourceWarnings_.back().path != path) {
    sourceWarnings_.emplace_back();
    sourceWarnings_.back().path = path;
  }
  return sourceWarnings_.back();
}

void RunReport::LongLine(const char* path, std::uint32_t lineNumber) {
  WarningsFor(path).longLines.Add(lineNumber);
}

void RunReport::LooksLikeUtf8(const char* path, std::uint32_t firstLine) {
  WarningsFor(path).utf8Line = firstLine;
}

void RunReport::UnresolvedReferences(const char* path, std::uint32_t lineNumber,
                                     std::uint32_t count, const char* name,
                                     std::size_t nameLength) {
  SourceWarnings& warnings = WarningsFor(path);
  if (warnings.unresolved.count == 0) warnings.firstUnresolved.assign(name, nameLength);
  warnings.unresolved.Add(lineNumber, count);
}

void RunReport::PrintFailureDetails(ConversionOutcome outcome, std::FILE* err) const {
  switch (outcome) {
    case ConversionOutcome::Completed:
    case ConversionOutcome::InfoMissing:
      return;
    case ConversionOutcome::DestinationNotCreated:
      if (!folderError_.empty()) std::fprintf(err, "%s\n", folderError_.c_str());
      // The one file of an edition written as one, which could not be made.
      for (const std::string& line : lost_) std::fprintf(err, "%s\n", line.c_str());
      return;
    case ConversionOutcome::NoValidSourceFiles: {
      const char* folder = request_.sourceFolderPath.CStr();
      if (!listingError_.empty()) {
        std::fprintf(err, "%s\n", listingError_.c_str());
      } else if (leftOutNames_.empty()) {
        std::fprintf(err, "%s: error: holds no *.txt file\n", folder);
      } else {
        std::size_t count = leftOutNames_.size();
        std::fprintf(err, "%s: error: holds %zu *.txt file%s, but %s: ", folder, count,
                     Plural(count),
                     count == 1 ? "it is not a valid text file (one starting with \"@\")"
                                : "none is a valid text file (one starting with \"@\")");
        for (std::size_t i = 0; i < count && i < kLeftOutNamesShown; ++i) {
          std::fprintf(err, "%s%s", i ? ", " : "", leftOutNames_[i].c_str());
        }
        if (count > kLeftOutNamesShown) std::fprintf(err, ", ...");
        std::fputc('\n', err);
      }
      return;
    }
    case ConversionOutcome::UnexpectedError:
    case ConversionOutcome::IncompleteOutput:
      // A folder of the edition's own inside the new one.
      if (!folderError_.empty()) std::fprintf(err, "%s\n", folderError_.c_str());
      if (!listingError_.empty()) std::fprintf(err, "%s\n", listingError_.c_str());
      for (const std::string& line : lost_) std::fprintf(err, "%s\n", line.c_str());
      if (lostCount_ > lost_.size()) {
        std::size_t more = lostCount_ - lost_.size();
        std::fprintf(err, "... and %zu more file%s\n", more, Plural(more));
      }
      return;
  }
}

void RunReport::PrintWarnings(std::FILE* err) const {
  for (const std::string& line : warnings_) std::fprintf(err, "%s\n", line.c_str());
  for (const SourceWarnings& file : sourceWarnings_) {
    const char* path = file.path.c_str();
    if (file.utf8Line != 0) {
      std::fprintf(err,
                   "%s:%u: warning: this looks like UTF-8, not code page 437: its accented "
                   "letters and symbols will show wrongly\n",
                   path, file.utf8Line);
    }
    if (file.longLines.count > 0) {
      std::size_t n = file.longLines.count;
      std::fprintf(err,
                   "%s:%u: warning: %zu line%s longer than 80 bytes%s: %s split into 80-byte "
                   "pieces, and the first byte of each further piece is read as its format "
                   "column\n",
                   path, file.longLines.first[0], n, n == 1 ? "" : "s",
                   file.longLines.Describe().c_str(), n == 1 ? "it is" : "each is");
    }
    if (file.unresolved.count > 0) {
      std::size_t n = file.unresolved.count;
      std::fprintf(err,
                   "%s:%u: warning: %zu \"~\" reference%s name%s no topic and become%s bold "
                   "text%s, the first \"~%s~\"\n",
                   path, file.unresolved.first[0], n, n == 1 ? "" : "s", n == 1 ? "s" : "",
                   n == 1 ? "s" : "", file.unresolved.Describe().c_str(),
                   file.firstUnresolved.c_str());
    }
  }
}

}  // namespace marlix
