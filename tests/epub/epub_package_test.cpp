// The e-book's identifier, language tag and time, and its container entry.
#include "engine/editions/epub/epub_package.h"

#include <gtest/gtest.h>

#include <string>

namespace marlix {
namespace {

TEST(NameHash, IsSha1AndMakesVersionFiveUuids) {
  // A known UUID: the DNS namespace and "python.org".
  const unsigned char dns[16] = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                                 0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
  NameHash hash(dns);
  hash.Add("python", 6);
  hash.Add(".org", 4);
  EXPECT_EQ(hash.Uuid(), "urn:uuid:886313e1-3b8a-5372-9b90-0c9aee199e5d");

  // Input added in pieces that cross the 64-byte blocks hashes as a whole.
  const std::string text(1000, 'z');
  NameHash whole(kBookNamespace);
  whole.Add(text.data(), text.size());
  NameHash pieces(kBookNamespace);
  for (std::size_t at = 0; at < text.size(); at += 7) {
    pieces.Add(text.data() + at, text.size() - at < 7 ? text.size() - at : 7);
  }
  const TextString uuid = whole.Uuid();
  EXPECT_EQ(uuid, pieces.Uuid());
  NameHash other(kBookNamespace);
  other.Add(text.data(), text.size() - 1);
  EXPECT_NE(uuid, other.Uuid());
}

TEST(IsLanguageTag, TakesWellFormedTagsOnly) {
  for (const char* tag : {"en", "de-CH", "sr-Latn-RS", "zh-Hant", "es-419", "fil"}) {
    EXPECT_TRUE(IsLanguageTag(tag)) << tag;
  }
  for (const char* tag : {"", "e", "en-", "-en", "en--us", "en_US", "en us", "x-private1",
                          "en-toolongsubtag", "\"en", "en\"><x"}) {
    EXPECT_FALSE(IsLanguageTag(tag)) << tag;
  }
}

TEST(PackageTime, WritesTheInstantInUtc) {
  EXPECT_EQ(PackageTime(1709214358), "2024-02-29T13:45:58Z");
  EXPECT_EQ(PackageTime(315532800), "1980-01-01T00:00:00Z");
}

TEST(EpubContainer, NamesThePackageDocument) {
  const std::string xml = EpubContainer("EPUB/package.opf").CStr();
  EXPECT_NE(xml.find("<rootfile full-path=\"EPUB/package.opf\" "
                     "media-type=\"application/oebps-package+xml\"/>"),
            std::string::npos);
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
}

}  // namespace
}  // namespace marlix
