#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo {

inline constexpr int LengthClasses = 32;
inline constexpr int HashBuckets = 2048;     // an 11-bit hash
inline constexpr int AllWordsBucket = 2048;  // the further bucket that holds every word

// min(byte length / 2, 31): the number of two-byte characters, capped.
int lengthClass(std::string_view text);

// The bucket of a character (up to two bytes, read as signed) at a character position.
int bucketOf(std::string_view character, int position);

// Small kana and ゐゑヰヱ become their large forms; the byte length never changes.
std::string foldSmallKana(std::string_view text);

// A handle on one reference in one bucket. Stays valid while words are appended; becomes
// invalid when its LengthIndex is cleared.
struct BucketEntry {
  std::int32_t bucket = -1;  // -1: none
  std::uint32_t position = 0;

  bool isNone() const { return bucket < 0; }
  friend bool operator==(const BucketEntry&, const BucketEntry&) = default;
};

// One length class: the words in order of addition and 2049 buckets of word numbers.
class LengthIndex {
 public:
  void addWord(std::string_view word) { addWord(word, static_cast<std::uint32_t>(words_.size())); }
  // sequence: the word's place in the order of addition over every class of a WordIndex.
  void addWord(std::string_view word, std::uint32_t sequence);
  void clear();

  // The number of the first word equal to text byte for byte (compared unfolded), or -1.
  int findWord(std::string_view text) const;

  BucketEntry firstInBucket(std::string_view character, int position) const;
  // Reads the bucket's size anew, so a walk reaches words appended since it began.
  BucketEntry nextEntry(BucketEntry entry) const {
    return !entry.isNone() && entry.position + 1 < (*buckets_)[entry.bucket].size()
               ? BucketEntry{entry.bucket, entry.position + 1}
               : BucketEntry{};
  }
  // The view stays valid until clear(); appending words never moves stored text.
  std::string_view wordOf(BucketEntry entry) const {
    return words_[(*buckets_)[entry.bucket][entry.position]];
  }

  std::size_t wordCount() const { return words_.size(); }
  std::string_view word(std::size_t number) const { return words_[number]; }
  std::uint32_t sequence(std::size_t number) const { return sequences_[number]; }
  std::size_t bucketSize(int bucket) const { return buckets_ ? (*buckets_)[bucket].size() : 0; }
  std::size_t memoryUse() const;

 private:
  using Buckets = std::array<std::vector<std::uint32_t>, HashBuckets + 1>;

  char* store(std::string_view text);

  std::vector<std::string_view> words_;
  std::vector<std::uint32_t> sequences_;
  std::unique_ptr<Buckets> buckets_;  // made by the first word, so empty classes cost nothing
  std::vector<std::unique_ptr<char[]>> blocks_;  // text arena in fixed blocks, never moved
  std::vector<std::unique_ptr<char[]>> large_;   // long words, one allocation each
  std::size_t blockUsed_ = 0;                    // bytes taken in blocks_.back()
  std::size_t largeBytes_ = 0;
};

class WordIndex {
 public:
  LengthIndex& operator[](int lengthClass) { return classes_[lengthClass]; }
  const LengthIndex& operator[](int lengthClass) const { return classes_[lengthClass]; }

  // Adds the word to the class of its length.
  void addWord(std::string_view word) {
    classes_[lengthClass(word)].addWord(word, added_++);
    ++changes_;
  }
  void clear();
  std::size_t wordCount() const;
  // Counts every addition and clearing, so that tables built from the index know they are due.
  std::uint64_t changes() const { return changes_; }
  std::size_t memoryUse() const;

 private:
  std::array<LengthIndex, LengthClasses> classes_;
  std::uint32_t added_ = 0;
  std::uint64_t changes_ = 0;
};

}  // namespace vexilo
