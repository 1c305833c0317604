#include "dictionary/word_index.h"

#include <algorithm>
#include <cstring>

namespace vexilo {

namespace {

constexpr std::size_t ChunkBytes = 64 * 1024;

// The large form of a small kana as its second byte, or 0 when the unit is not one of the 26.
unsigned char largeKana(unsigned char lead, unsigned char trail) {
  if (lead == 0x82) {
    switch (trail) {
      case 0x9F: return 0xA0;  // ぁ あ
      case 0xA1: return 0xA2;  // ぃ い
      case 0xA3: return 0xA4;  // ぅ う
      case 0xA5: return 0xA6;  // ぇ え
      case 0xA7: return 0xA8;  // ぉ お
      case 0xC1: return 0xC2;  // っ つ
      case 0xE1: return 0xE2;  // ゃ や
      case 0xE3: return 0xE4;  // ゅ ゆ
      case 0xE5: return 0xE6;  // ょ よ
      case 0xEC: return 0xED;  // ゎ わ
      case 0xEE: return 0xA2;  // ゐ い
      case 0xEF: return 0xA6;  // ゑ え
      default: return 0;
    }
  }
  if (lead == 0x83) {
    switch (trail) {
      case 0x40: return 0x41;  // ァ ア
      case 0x42: return 0x43;  // ィ イ
      case 0x44: return 0x45;  // ゥ ウ
      case 0x46: return 0x47;  // ェ エ
      case 0x48: return 0x49;  // ォ オ
      case 0x62: return 0x63;  // ッ ツ
      case 0x83: return 0x84;  // ャ ヤ
      case 0x85: return 0x86;  // ュ ユ
      case 0x87: return 0x88;  // ョ ヨ
      case 0x8E: return 0x8F;  // ヮ ワ
      case 0x90: return 0x43;  // ヰ イ
      case 0x91: return 0x47;  // ヱ エ
      case 0x95: return 0x4A;  // ヵ カ
      case 0x96: return 0x50;  // ヶ ケ
      default: return 0;
    }
  }
  return 0;
}

int hashUnit(signed char b0, signed char b1, int position) {
  return (b1 * 31 + position + b0) & (HashBuckets - 1);
}

}  // namespace

int lengthClass(std::string_view text) {
  return static_cast<int>(std::min<std::size_t>(text.size() / 2, LengthClasses - 1));
}

int bucketOf(std::string_view character, int position) {
  const auto b0 = character.empty() ? 0 : static_cast<signed char>(character[0]);
  const auto b1 = character.size() < 2 ? 0 : static_cast<signed char>(character[1]);
  return hashUnit(static_cast<signed char>(b0), static_cast<signed char>(b1), position);
}

std::string foldSmallKana(std::string_view text) {
  std::string folded(text);
  for (std::size_t i = 0; i + 1 < folded.size(); i += 2) {
    const unsigned char large = largeKana(static_cast<unsigned char>(folded[i]),
                                          static_cast<unsigned char>(folded[i + 1]));
    if (large != 0) folded[i + 1] = static_cast<char>(large);
  }
  return folded;
}

std::string_view LengthIndex::store(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > ChunkBytes) {  // a block of its own; the current block stays current
    chunks_.push_back(std::make_unique<char[]>(text.size()));
    std::memcpy(chunks_.back().get(), text.data(), text.size());
    return {chunks_.back().get(), text.size()};
  }
  if (current_ == nullptr || chunkUsed_ + text.size() > ChunkBytes) {
    chunks_.push_back(std::make_unique<char[]>(ChunkBytes));
    current_ = chunks_.back().get();
    chunkUsed_ = 0;
  }
  char* at = current_ + chunkUsed_;
  std::memcpy(at, text.data(), text.size());
  chunkUsed_ += text.size();
  return {at, text.size()};
}

void LengthIndex::addWord(std::string_view word) {
  const std::string folded = foldSmallKana(word);
  const auto number = static_cast<std::uint32_t>(words_.size());
  words_.push_back(store(folded));
  for (std::size_t i = 0; i < folded.size(); i += 2) {
    const auto b0 = static_cast<signed char>(folded[i]);
    const auto b1 = i + 1 < folded.size() ? static_cast<signed char>(folded[i + 1]) : 0;
    std::vector<std::uint32_t>& bucket =
        buckets_[hashUnit(b0, static_cast<signed char>(b1), static_cast<int>(i / 2))];
    // An earlier position of the same word may already have put it here.
    if (bucket.empty() || bucket.back() != number) bucket.push_back(number);
  }
  buckets_[AllWordsBucket].push_back(number);
}

void LengthIndex::clear() {
  for (auto& bucket : buckets_) std::vector<std::uint32_t>().swap(bucket);
  std::vector<std::string_view>().swap(words_);
  chunks_.clear();
  current_ = nullptr;
  chunkUsed_ = 0;
}

int LengthIndex::findWord(std::string_view text) const {
  for (std::size_t i = 0; i < words_.size(); ++i) {
    if (words_[i] == text) return static_cast<int>(i);
  }
  return -1;
}

BucketEntry LengthIndex::firstInBucket(std::string_view character, int position) const {
  const int h = character.empty() || character[0] == '\0' ? AllWordsBucket
                                                          : bucketOf(character, position);
  return buckets_[h].empty() ? BucketEntry{} : BucketEntry{h, 0};
}

std::size_t LengthIndex::memoryUse() const {
  std::size_t bytes = words_.capacity() * sizeof(std::string_view);
  for (const auto& bucket : buckets_) bytes += bucket.capacity() * sizeof(std::uint32_t);
  bytes += chunks_.size() * ChunkBytes;
  return bytes;
}

void WordIndex::clear() {
  for (LengthIndex& lengths : classes_) lengths.clear();
}

std::size_t WordIndex::memoryUse() const {
  std::size_t bytes = sizeof(*this);
  for (const LengthIndex& lengths : classes_) bytes += lengths.memoryUse();
  return bytes;
}

}  // namespace vexilo
