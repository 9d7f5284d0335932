#include "support/file_names.h"

#include <algorithm>
#include <cstring>

namespace marlix {
namespace {

struct Listing {
  explicit Listing(const char* matching) : pattern(matching) {}
  const char* pattern;
  StringList names;
  bool lost = false;  // a matching name that could not be kept
};

void KeepMatching(const char* name, void* context) {
  Listing& listing = *static_cast<Listing*>(context);
  if (!MatchesPattern(name, listing.pattern)) return;
  TextString kept(name);
  // A copy that came out empty means memory ran out (a listed name is never empty).
  if (kept.IsEmpty() || !listing.names.Add(std::move(kept))) listing.lost = true;
}

// The listing's names, in listing order, appended to list.
bool Hand(Listing& listing, bool complete, StringList& list) {
  if (listing.lost) complete = false;
  const std::uint32_t count = listing.names.Count();
  // The names are put in order by their places (cheaper to move than the
  // names themselves); Windows keeps the search's own order.
  Slots<std::uint32_t> order;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!order.Append(std::uint32_t{i})) return false;
  }
#ifndef _WIN32
  TextString* names = listing.names.begin();
  std::sort(order.begin(), order.end(), [names](std::uint32_t a, std::uint32_t b) {
    return CompareListingOrder(names[a].CStr(), names[b].CStr()) < 0;
  });
#endif
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!list.Add(std::move(listing.names.begin()[order[i]]))) complete = false;
  }
  return complete;
}

}  // namespace

TextString JoinPath(const TextString& folder, const TextString& name) {
  TextString path(folder);
  const bool separate = folder.IsEmpty() || folder[folder.Length() - 1] != kPathSeparator;
  if (separate) path.AppendChar(kPathSeparator);
  path += name;
  // A part that could not be copied (memory ran out) must not leave a
  // shorter path that names another place: no path at all then.
  if (path.Length() != folder.Length() + (separate ? 1u : 0u) + name.Length()) return TextString();
  return path;
}

bool EndsInSuffix(const TextString& name, const char* suffix) {
  const std::size_t length = std::strlen(suffix);
  return name.Length() > length &&
         std::memcmp(name.CStr() + name.Length() - length, suffix, length) == 0;
}

TextString WithSuffix(const TextString& name, const char* suffix) {
  if (EndsInSuffix(name, suffix)) return name;
  TextString named(name);
  named.Append(suffix);
  // A name that could not be copied in full names no file or folder.
  if (named.Length() != name.Length() + std::strlen(suffix)) return TextString();
  return named;
}

bool IsOneName(const TextString& name) {
  if (name.IsEmpty() || name == "." || name == "..") return false;
  for (std::uint32_t i = 0; i < name.Length(); ++i) {
#ifdef _WIN32
    if (name[i] == '/') return false;
#endif
    if (name[i] == kPathSeparator) return false;
  }
  return true;
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
  // Bytes that are equal are equal upper-cased too; the first that differ
  // also break the tie, should the rest be equal upper-cased.
  std::size_t i = 0;
  while (a[i] == b[i]) {
    if (a[i] == 0) return 0;
    ++i;
  }
  const int tie = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
  for (;; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return tie;
  }
}

bool ListFiles(const TextString& folder, const char* pattern, StringList& list) {
  Listing listing(pattern);
  bool complete = platform::Files().ListFolder(folder.CStr(), KeepMatching, &listing);
  return Hand(listing, complete, list);
}

bool ListFiles(platform::FolderHandle folder, const char* pattern, StringList& list) {
  Listing listing(pattern);
  bool complete = platform::Files().ListHeldFolder(folder, KeepMatching, &listing);
  return Hand(listing, complete, list);
}

}  // namespace marlix
