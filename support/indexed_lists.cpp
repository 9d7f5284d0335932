#include "support/indexed_lists.h"

#include <utility>

namespace marlix {

bool ListCursor::SeekWithin(std::uint32_t i, std::uint32_t count) {
  if (i >= count) return false;
  index_ = i;
  return true;
}

void ListCursor::NextWithin(std::uint32_t count) {
  if (index_ + 1 < count) ++index_;
}

bool StringList::Add(const TextString& text) {
  TextString copy(text);
  // A copy that came out shorter than its source means memory ran out.
  if (copy.Length() != text.Length()) return false;
  return Add(std::move(copy));
}

bool StringList::Add(TextString&& text) {
  if (!items_.Append(std::move(text))) return false;
  Reset();
  return true;
}

TextString StringList::At(std::uint32_t i) const {
  const TextString* item = Ref(i);
  return item ? *item : TextString();
}

const TextString* StringList::Ref(std::uint32_t i) const {
  return i < items_.Count() ? &items_[i] : nullptr;
}

void StringList::Clear() {
  items_.Clear();
  Reset();
}

bool PairList::Add(const TextString& key, const TextString& value) {
  TextString keyCopy(key);
  TextString valueCopy(value);
  if (keyCopy.Length() != key.Length() || valueCopy.Length() != value.Length()) return false;
  return Add(std::move(keyCopy), std::move(valueCopy));
}

bool PairList::Add(TextString&& key, TextString&& value) {
  if (!items_.Append(Pair{std::move(key), std::move(value)})) return false;
  Reset();
  return true;
}

TextString PairList::KeyAt(std::uint32_t i) const {
  const TextString* key = KeyRef(i);
  return key ? *key : TextString();
}

TextString PairList::ValueAt(std::uint32_t i) const {
  const TextString* value = ValueRef(i);
  return value ? *value : TextString();
}

const TextString* PairList::KeyRef(std::uint32_t i) const {
  return i < items_.Count() ? &items_[i].key : nullptr;
}

const TextString* PairList::ValueRef(std::uint32_t i) const {
  return i < items_.Count() ? &items_[i].value : nullptr;
}

bool PairList::RemoveAt(std::uint32_t i) {
  if (i >= items_.Count()) return false;
  items_.RemoveAt(i);
  Reset();
  return true;
}

void PairList::Clear() {
  items_.Clear();
  Reset();
}

}  // namespace marlix
