#include "dictionary/word_index.h"

#include <algorithm>
#include <cstring>

namespace vexilo {

namespace {

constexpr std::size_t BlockBytes = 64 * 1024;
constexpr std::size_t LargeWordBytes = 4 * 1024;  // longer words would waste a block's rest

// The large form of a small kana as its second byte, or 0 when the unit is not one of the 26.
constexpr unsigned char largeKana(unsigned char lead, unsigned char trail) {
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

// The second bytes after lead 0x82 and 0x83, each folded or kept: a lookup instead of branches.
struct FoldTable {
  unsigned char trail[2][256];
  constexpr FoldTable() : trail{} {
    for (int lead = 0; lead < 2; ++lead) {
      for (int b = 0; b < 256; ++b) {
        const unsigned char large =
            largeKana(static_cast<unsigned char>(0x82 + lead), static_cast<unsigned char>(b));
        trail[lead][b] = large != 0 ? large : static_cast<unsigned char>(b);
      }
    }
  }
};
constexpr FoldTable Fold;

// Folds in place, in two-byte units at even offsets; a last single byte is never a kana.
void foldInPlace(char* text, std::size_t size) {
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const unsigned lead = static_cast<unsigned char>(text[i]) - 0x82u;
    if (lead < 2) {
      text[i + 1] = static_cast<char>(Fold.trail[lead][static_cast<unsigned char>(text[i + 1])]);
    }
  }
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
  foldInPlace(folded.data(), folded.size());
  return folded;
}

char* LengthIndex::store(std::string_view text) {
  if (text.empty()) return nullptr;
  char* at = nullptr;
  if (text.size() > LargeWordBytes) {
    large_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
    largeBytes_ += text.size();
    at = large_.back().get();
  } else {
    if (blocks_.empty() || blockUsed_ + text.size() > BlockBytes) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(BlockBytes));
      blockUsed_ = 0;
    }
    at = blocks_.back().get() + blockUsed_;
    blockUsed_ += text.size();
  }
  std::memcpy(at, text.data(), text.size());
  return at;
}

void LengthIndex::addWord(std::string_view word, std::uint32_t sequence) {
  if (!buckets_) buckets_ = std::make_unique<Buckets>();
  char* text = store(word);
  foldInPlace(text, word.size());
  const std::string_view folded(text, word.size());
  const auto number = static_cast<std::uint32_t>(words_.size());
  words_.push_back(folded);
  sequences_.push_back(sequence);
  Buckets& buckets = *buckets_;
  for (std::size_t i = 0; i < folded.size(); i += 2) {
    const auto b0 = static_cast<signed char>(folded[i]);
    const auto b1 = static_cast<signed char>(i + 1 < folded.size() ? folded[i + 1] : '\0');
    std::vector<std::uint32_t>& bucket = buckets[hashUnit(b0, b1, static_cast<int>(i / 2))];
    // An earlier position of the same word may already have put it here.
    if (bucket.empty() || bucket.back() != number) bucket.push_back(number);
  }
  buckets[AllWordsBucket].push_back(number);
}

void LengthIndex::clear() {
  buckets_.reset();
  std::vector<std::string_view>().swap(words_);
  std::vector<std::uint32_t>().swap(sequences_);
  blocks_.clear();
  blocks_.shrink_to_fit();
  large_.clear();
  large_.shrink_to_fit();
  blockUsed_ = 0;
  largeBytes_ = 0;
}

int LengthIndex::findWord(std::string_view text) const {
  for (std::size_t i = 0; i < words_.size(); ++i) {
    if (words_[i] == text) return static_cast<int>(i);
  }
  return -1;
}

BucketEntry LengthIndex::firstInBucket(std::string_view character, int position) const {
  if (!buckets_) return {};
  const int h =
      character.empty() || character[0] == '\0' ? AllWordsBucket : bucketOf(character, position);
  return (*buckets_)[h].empty() ? BucketEntry{} : BucketEntry{h, 0};
}

std::size_t LengthIndex::memoryUse() const {
  std::size_t bytes =
      words_.capacity() * sizeof(std::string_view) + sequences_.capacity() * sizeof(std::uint32_t);
  if (buckets_) {
    bytes += sizeof(Buckets);
    for (const auto& bucket : *buckets_) bytes += bucket.capacity() * sizeof(std::uint32_t);
  }
  bytes += blocks_.capacity() * sizeof(blocks_[0]) + blocks_.size() * BlockBytes;
  bytes += large_.capacity() * sizeof(large_[0]) + largeBytes_;
  return bytes;
}

void WordIndex::clear() {
  for (LengthIndex& lengths : classes_) lengths.clear();
  added_ = 0;
  ++changes_;
}

std::size_t WordIndex::wordCount() const {
  std::size_t words = 0;
  for (const LengthIndex& lengths : classes_) words += lengths.wordCount();
  return words;
}

std::size_t WordIndex::memoryUse() const {
  std::size_t bytes = sizeof(*this);
  for (const LengthIndex& lengths : classes_) bytes += lengths.memoryUse();
  return bytes;
}

}  // namespace vexilo
