#include "support/file_names.h"

#include <cstdlib>
#include <cstring>

#include "support/allocation.h"
#include "support/held_folder.h"
#include "support/platform/file_system.h"

namespace marlix {
namespace {

struct Listing {
  const char* pattern;
  StringList* names;
  bool lost = false;  // a matching name that could not be kept
};

void KeepMatching(const char* name, void* context) {
  Listing& listing = *static_cast<Listing*>(context);
  if (MatchesPattern(name, listing.pattern) && !listing.names->Add(name)) listing.lost = true;
}

[[maybe_unused]] int CompareNames(const void* a, const void* b) {
  return CompareListingOrder(*static_cast<const char* const*>(a),
                             *static_cast<const char* const*>(b));
}

}  // namespace

TextString JoinPath(const TextString& folder, const TextString& name) {
  TextString path(folder);
  if (folder.IsEmpty() || folder[folder.Length() - 1] != kPathSeparator) {
    path.AppendChar(kPathSeparator);
  }
  path += name;
  return path;
}

bool MatchesPattern(const char* name, const char* pattern) {
  const char* starPattern = nullptr;
  const char* starName = nullptr;
  while (*name != 0) {
    if (*pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern != 0 && (*pattern == '?' || UpperAscii(*pattern) == UpperAscii(*name))) {
      ++pattern;
      ++name;
    } else if (starPattern != nullptr) {
      // Let the last * take one byte more and try again from there.
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == 0;
}

int CompareListingOrder(const char* a, const char* b) {
  for (std::size_t i = 0;; ++i) {
    unsigned char x = static_cast<unsigned char>(UpperAscii(a[i]));
    unsigned char y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) break;
  }
  return std::strcmp(a, b);
}

bool ListFiles(const TextString& folder, const char* pattern, StringList& list) {
  StringList names;
  Listing listing{pattern, &names};
  // A held folder is read through its handle, whatever its path leads to now.
  platform::FolderHandle held = HeldFolder::Holding(folder.CStr());
  bool complete = held != platform::kNoFolder
                      ? platform::Files().ListHeldFolder(held, KeepMatching, &listing)
                      : platform::Files().ListFolder(folder.CStr(), KeepMatching, &listing);
  if (listing.lost) complete = false;

  std::uint32_t count = names.Count();
  if (count == 0) return complete;
#ifdef _WIN32
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!list.Add(*names.Ref(i))) complete = false;
  }
  return complete;
#else
  const char** sorted = static_cast<const char**>(AllocateBytes(count * sizeof(char*)));
  if (sorted == nullptr) return false;
  for (std::uint32_t i = 0; i < count; ++i) sorted[i] = names.Ref(i)->CStr();
  std::qsort(sorted, count, sizeof(char*), CompareNames);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!list.Add(sorted[i])) complete = false;
  }
  ReleaseBytes(sorted);
  return complete;
#endif
}

}  // namespace marlix
