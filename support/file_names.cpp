#include "support/file_names.h"

#include <algorithm>
#include <cstring>

#include "support/allocation.h"
#include "support/held_folder.h"
#include "support/platform/file_system.h"

namespace marlix {
namespace {

struct Listing {
  const char* pattern;
  Slots<TextString>* names;
  bool lost = false;  // a matching name that could not be kept
};

void KeepMatching(const char* name, void* context) {
  Listing& listing = *static_cast<Listing*>(context);
  if (!MatchesPattern(name, listing.pattern)) return;
  TextString kept(name);
  // A copy that came out empty means memory ran out (a listed name is never empty).
  if (kept.IsEmpty() || !listing.names->Append(std::move(kept))) listing.lost = true;
}

// The pattern "*" + suffix, the suffix without wildcards: the usual "*.htm".
bool MatchesStarSuffix(const char* name, const char* suffix, std::size_t suffixLength) {
  std::size_t nameLength = std::strlen(name);
  if (nameLength < suffixLength) return false;
  const char* tail = name + nameLength - suffixLength;
  for (std::size_t i = 0; i < suffixLength; ++i) {
    if (UpperAscii(tail[i]) != UpperAscii(suffix[i])) return false;
  }
  return true;
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

bool MatchesPattern(const char* name, const char* pattern) {
  if (pattern[0] == '*' && std::strpbrk(pattern + 1, "*?") == nullptr) {
    return MatchesStarSuffix(name, pattern + 1, std::strlen(pattern + 1));
  }
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
    unsigned char x = static_cast<unsigned char>(UpperAscii(a[i]));
    unsigned char y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return tie;
  }
}

bool ListFiles(const TextString& folder, const char* pattern, StringList& list) {
  Slots<TextString> names;
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
  if (!list.AddAll(std::move(names))) complete = false;
  return complete;
#else
  // Sorted by a key of each name's first 8 bytes upper-cased (zero bytes
  // after a shorter name), read as one number: keys that differ already give
  // the listing order, equal keys go to the full comparison.
  struct SortEntry {
    std::uint64_t key;
    TextString* name;
  };
  auto* sorted = static_cast<SortEntry*>(AllocateBytes(count * sizeof(SortEntry)));
  if (sorted == nullptr) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const char* text = names[i].CStr();
    std::uint64_t key = 0;
    for (std::uint32_t k = 0; k < 8; ++k) {
      const auto byte = static_cast<unsigned char>(UpperAscii(text[k]));
      key = (key << 8) | byte;
      if (byte == 0) {
        key <<= 8 * (7 - k);
        break;
      }
    }
    sorted[i] = {key, &names[i]};
  }
  std::sort(sorted, sorted + count, [](const SortEntry& a, const SortEntry& b) {
    if (a.key != b.key) return a.key < b.key;
    return CompareListingOrder(a.name->CStr(), b.name->CStr()) < 0;
  });
  // The names put in that order where they are, one cycle of the order at a
  // time (a done place has its entry's name cleared), so that the listing
  // needs no second array of names.
  TextString* const first = &names[0];
  for (std::uint32_t start = 0; start < count; ++start) {
    if (sorted[start].name == nullptr) continue;
    TextString held(std::move(first[start]));
    std::uint32_t at = start;
    while (true) {
      const auto from = static_cast<std::uint32_t>(sorted[at].name - first);
      sorted[at].name = nullptr;
      if (from == start) break;
      first[at] = std::move(first[from]);
      at = from;
    }
    first[at] = std::move(held);
  }
  ReleaseBytes(sorted);
  if (!list.AddAll(std::move(names))) complete = false;
  return complete;
#endif
}

}  // namespace marlix
