// The pieces of an e-book that are not pages: its identifier (a name-based
// UUID, from SHA-1), its language tag, its time as the package document
// writes it, and the container entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

// SHA-1 over a namespace and the bytes added after it: a name-based
// (version 5) UUID.
class NameHash {
 public:
  explicit NameHash(const unsigned char (&nameSpace)[16]);
  void Add(const char* bytes, std::size_t n);
  // The 20-byte digest of everything added; the hash is spent after it.
  void Finish(unsigned char (&digest)[20]);
  // "urn:uuid:" and the version 5 UUID of the bytes added; the hash is
  // spent after it.
  TextString Uuid();

 private:
  void Block(const unsigned char* block);

  std::uint32_t state_[5];
  std::uint64_t length_ = 0;  // bytes added
  unsigned char buffer_[64];
  std::size_t buffered_ = 0;
};

// A well-formed language tag as far as a reader needs it: subtags of 1 to 8
// letters or digits joined by "-", the first 2 to 8 letters ("en", "de-CH",
// "sr-Latn-RS", "x-..." private tags are not taken).
bool IsLanguageTag(const char* tag);

// The namespace of the e-book's identifiers.
extern const unsigned char kBookNamespace[16];

// The time of a book made from the source files: SOURCE_DATE_EPOCH when it
// is set to a number of seconds since 1970, else the newest modification
// time of the files (0 when none can be learnt). Archives clamp it to their
// range (ArchiveInstant).
std::int64_t BookTime(const StringList& sourceFiles);

// The instant as the package document writes it: CCYY-MM-DDThh:mm:ssZ.
TextString PackageTime(std::int64_t seconds);

// META-INF/container.xml, naming the package document.
TextString EpubContainer(const char* packagePath);

}  // namespace marlix
