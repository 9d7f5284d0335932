// Whole conversions in memory: several source files with fuzzed names and
// contents, and at times one failure of the file system played part-way.
//
// Input: one byte for the file count (1 to 4), whether a failure is played,
// whether reads are short and which edition is written (classic, web,
// docset or e-book); then (when a failure is played) one byte for
// its kind and two for the call it hits; then (when reads are short) two
// bytes, each one less than a read size, the sizes taken in turn; then for
// every file but the last a name length byte, a two-byte content length and
// the name; the rest is the last file's name length, name and content.
//
// After each run: the outcome agrees with the input (no failure and a listed
// source starting with "@" is Completed; no such source is
// NoValidSourceFiles; a failure that loses output is never Completed), every
// file was created inside the new folder, every handle was closed, and no
// file that existed before was changed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_driver.h"
#include "fuzz_input.h"
#include "support/file_names.h"
#include "support/memory_file_system.h"

namespace {

using marlix::ConversionOutcome;
using marlix::platform::MemoryFileSystem;

enum class Failure { None, Create, Write, Read, Listing, Close, Size, Open, MakeFolder, Hold };
constexpr unsigned kFailureKinds = 9;

ConversionOutcome outcome = ConversionOutcome::Completed;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s (outcome %d)\n", what, static_cast<int>(outcome));
  std::abort();
}

// "/src/" and name with every "/" and zero byte made "_", into path.
void SourcePath(std::string_view name, std::string& path) {
  path.assign("/src/");
  for (char c : name) path += c == '/' || c == 0 ? '_' : c;
}

// A file that exists before the run: its path, and its bytes (a piece of the
// input, which outlives the run).
struct Existing {
  std::string path;
  std::string_view bytes;
};

// Kept from run to run, so that their room is made once: the file system,
// reset before every run, and the list of the files that existed.
MemoryFileSystem& Files() {
  static MemoryFileSystem files;
  return files;
}
std::vector<Existing> before;
std::size_t beforeCount = 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  marlix::fuzz::FuzzInput input(data, size);
  const std::uint8_t head = input.Byte();
  const unsigned fileCount = (head & 3u) + 1;
  Failure failure = Failure::None;
  std::uint32_t failAt = 0;
  if ((head & 4u) != 0) {
    failure = static_cast<Failure>(input.Byte() % kFailureKinds + 1);
    failAt = input.Short() % 64 + 1;
  }

  MemoryFileSystem& files = Files();
  files.Reset();
  if ((head & 8u) != 0) {
    // Reads that bring less than asked are no failure: the outcome stays
    // the one of whole reads.
    files.faults.readSizes = {input.Byte() + 1u, input.Byte() + 1u};
  }
  files.AddFolder("/src");
  files.AddFolder("/dst");
  // Every file that exists before the run, with its bytes: the sources are
  // the only files there are.
  beforeCount = 0;
  bool validSource = false;
  for (unsigned i = 0; i < fileCount && input.Left() > 0; ++i) {
    const bool last = i + 1 == fileCount;
    std::size_t nameLength = input.Byte() % 16;
    std::size_t contentLength = last ? 0 : input.Short();
    if (beforeCount == before.size()) before.emplace_back();
    Existing& file = before[beforeCount];
    SourcePath(input.Bytes(nameLength), file.path);
    // Most names get the extension the listing looks for.
    if ((nameLength & 1u) == 0) file.path += ".txt";
    file.bytes = last ? input.Rest() : input.Bytes(contentLength);
    const char* name = file.path.c_str() + 5;
    if (file.path == "/src/." || file.path == "/src/.." || !files.AddFile(file.path, file.bytes)) {
      continue;
    }
    if (marlix::MatchesPattern(name, "*.txt") && !file.bytes.empty() && file.bytes[0] == '@') {
      validSource = true;
    }
    ++beforeCount;
  }

  MemoryFileSystem::Faults& faults = files.faults;
  switch (failure) {
    case Failure::None:
      break;
    case Failure::Create:
      faults.createFailsAt = failAt;
      break;
    case Failure::Write:
      faults.writeFailsAt = failAt;
      break;
    case Failure::Read:
      faults.readFailsAt = failAt;
      break;
    case Failure::Listing:
      faults.listingFailsAt = failAt % 2 + 1;  // the source folder's or the new folder's
      faults.namesBeforeFailure = failAt / 2 % 4;
      break;
    case Failure::Close:
      faults.closeFailsAt = failAt;
      break;
    case Failure::Size:
      faults.sizeFailsAt = failAt;
      break;
    case Failure::Open:
      faults.openFailsAt = failAt;
      break;
    case Failure::MakeFolder:
      faults.makeFolderFailsAt = 1;
      break;
    case Failure::Hold:
      faults.holdFailsAt = 1;
      break;
  }

  // Bits 16 and 32: the web edition, a docset, both an e-book.
  marlix::OutputEdition edition = marlix::OutputEdition::Classic;
  switch ((head >> 4) & 3u) {
    case 1:
      edition = marlix::OutputEdition::Web;
      break;
    case 2:
      edition = marlix::OutputEdition::Docset;
      break;
    case 3:
      edition = marlix::OutputEdition::Epub;
      break;
  }
  if (!marlix::CanWrite(edition)) edition = marlix::OutputEdition::Classic;
  {
    marlix::platform::ScopedFileSystem guard(files);
    marlix::ConversionRequest request{"/src", "/dst", "out"};
    request.edition = edition;
    outcome = marlix::RunConversion(request);
  }

  Check(files.OpenFiles() == 0, "every file closed");
  Check(files.HeldFolders() == 0, "every folder released");
  if (edition == marlix::OutputEdition::Docset) {
    // A docset's files lie in the new folder and the folders made inside it.
    for (const std::string& folder : files.CreatedInFolders()) {
      Check(folder == "/dst/out.docset" || folder.rfind("/dst/out.docset/", 0) == 0,
            "every file created inside the new folder");
    }
  } else if (edition == marlix::OutputEdition::Epub) {
    // An e-book is the one file out.epub, and nothing else is made (files
    // are created exclusively, so one name is one file).
    Check(files.CreatedOutside("/dst") == 0, "every file created in the destination");
    const std::vector<std::string> made = files.Names("/dst");
    Check(made.empty() || (made.size() == 1 && made[0] == "out.epub"), "the e-book's one file");
  } else {
    Check(files.CreatedOutside("/dst/out") == 0, "every file created inside the new folder");
  }
  // Files are only ever added, never removed or renamed by the program: each
  // file of before still has its path, and its bytes are unchanged.
  static std::string now;
  for (std::size_t i = 0; i < beforeCount; ++i) {
    Check(files.FileBytes(before[i].path, now) && now == before[i].bytes,
          "nothing that existed was changed");
  }

  const bool played = files.FaultsPlayed() > 0;
  if (!played) {
    Check(outcome ==
              (validSource ? ConversionOutcome::Completed : ConversionOutcome::NoValidSourceFiles),
          "the outcome of a run without failures");
  } else {
    switch (failure) {
      case Failure::Create:
      case Failure::Write:
      case Failure::Read:
      case Failure::Listing:
      case Failure::Open:  // a source, or a file that may be one, is lost
        Check(outcome != ConversionOutcome::Completed, "a lost output is never Completed");
        break;
      case Failure::MakeFolder:
        Check(outcome == ConversionOutcome::DestinationNotCreated, "the folder not made");
        break;
      case Failure::Hold:
        // An e-book is made inside the destination held first: nothing is made.
        Check(outcome == (edition == marlix::OutputEdition::Epub
                              ? ConversionOutcome::DestinationNotCreated
                              : ConversionOutcome::UnexpectedError),
              "the folder not held");
        break;
      default:  // a failed close or size can be no loss at all
        break;
    }
  }
  return 0;
}
