#include "engine/editions/epub/epub_package.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/output/archive_writer.h"
#include "support/platform/file_system.h"

namespace marlix {
namespace {

std::uint32_t Rotate(std::uint32_t value, int bits) {
  return value << bits | value >> (32 - bits);
}

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// A random UUID, fixed once.
const unsigned char kBookNamespace[16] = {0x4f, 0x0b, 0x6e, 0x2d, 0x91, 0x3a, 0x4c, 0x57,
                                          0xa6, 0x1e, 0x28, 0xd4, 0x7c, 0x05, 0xb3, 0x9e};

NameHash::NameHash(const unsigned char (&nameSpace)[16])
    : state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0} {
  Add(reinterpret_cast<const char*>(nameSpace), sizeof nameSpace);
}

void NameHash::Block(const unsigned char* block) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i) {
    w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 |
           static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
  }
  for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
  for (int i = 0; i < 80; ++i) {
    std::uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    const std::uint32_t t = Rotate(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = Rotate(b, 30);
    b = a;
    a = t;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
}

void NameHash::Add(const char* bytes, std::size_t n) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  length_ += n;
  if (buffered_ > 0) {
    const std::size_t take = n < 64 - buffered_ ? n : 64 - buffered_;
    std::memcpy(buffer_ + buffered_, in, take);
    buffered_ += take;
    in += take;
    n -= take;
    if (buffered_ < 64) return;
    Block(buffer_);
    buffered_ = 0;
  }
  for (; n >= 64; n -= 64, in += 64) Block(in);
  std::memcpy(buffer_, in, n);
  buffered_ = n;
}

void NameHash::Finish(unsigned char (&digest)[20]) {
  const std::uint64_t bits = length_ * 8;
  const unsigned char one = 0x80;
  Add(reinterpret_cast<const char*>(&one), 1);
  const unsigned char zero = 0;
  while (buffered_ != 56) Add(reinterpret_cast<const char*>(&zero), 1);
  unsigned char size[8];
  for (int i = 0; i < 8; ++i) size[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Add(reinterpret_cast<const char*>(size), 8);
  for (int i = 0; i < 20; ++i) {
    digest[i] = static_cast<unsigned char>(state_[i / 4] >> (24 - 8 * (i % 4)));
  }
}

TextString NameHash::Uuid() {
  unsigned char digest[20];
  Finish(digest);
  digest[6] = static_cast<unsigned char>((digest[6] & 0x0F) | 0x50);  // version 5
  digest[8] = static_cast<unsigned char>((digest[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  TextString uuid("urn:uuid:");
  static constexpr char kHex[] = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) uuid.AppendChar('-');
    uuid.AppendChar(kHex[digest[i] >> 4]);
    uuid.AppendChar(kHex[digest[i] & 0x0F]);
  }
  return uuid;
}

bool IsLanguageTag(const char* tag) {
  std::size_t i = 0;
  while (IsAlpha(tag[i])) ++i;
  if (i < 2 || i > 8) return false;
  while (tag[i] == '-') {
    const std::size_t start = ++i;
    while (IsAlpha(tag[i]) || IsDigit(tag[i])) ++i;
    if (i == start || i - start > 8) return false;
  }
  return tag[i] == '\0';
}

std::int64_t BookTime(const StringList& sourceFiles) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch != nullptr && *epoch != '\0' && std::strlen(epoch) <= 18) {
    std::int64_t seconds = 0;
    const char* digit = epoch;
    while (IsDigit(*digit)) seconds = seconds * 10 + (*digit++ - '0');
    if (*digit == '\0') return seconds;
  }
  std::int64_t newest = 0;
  for (std::uint32_t i = 0; i < sourceFiles.Count(); ++i) {
    const platform::FileHandle file = platform::Files().OpenExisting(sourceFiles.Ref(i)->CStr());
    if (file == platform::kNoFile) continue;
    const std::int64_t modified = platform::Files().ModifiedTime(file);
    if (modified > newest) newest = modified;
    platform::Files().Close(file);
  }
  return newest;
}

TextString PackageTime(std::int64_t seconds) {
  const CivilTime t = ToCivilTime(seconds);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return TextString(text);
}

TextString EpubContainer(const char* packagePath) {
  TextString xml(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\r\n"
      "<rootfiles>\r\n<rootfile full-path=\"");
  xml.Append(packagePath);
  xml.Append("\" media-type=\"application/oebps-package+xml\"/>\r\n</rootfiles>\r\n</container>");
  return xml;
}

}  // namespace marlix
