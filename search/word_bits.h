#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

namespace vexilo {

// Sets of word numbers (or letter ids) as 64-bit blocks; bit i of block b is number 64 b + i.
using Bits = std::uint64_t;

constexpr int bitBlocks(int count) { return (count + 63) / 64; }
inline bool testBit(const Bits* bits, int i) { return ((bits[i >> 6] >> (i & 63)) & 1U) != 0; }
inline void setBit(Bits* bits, int i) { bits[i >> 6] |= Bits{1} << (i & 63); }
inline void clearBit(Bits* bits, int i) { bits[i >> 6] &= ~(Bits{1} << (i & 63)); }

// The lowest number in blocks [from, to), or -1.
inline int firstBit(const Bits* bits, int from, int to) {
  for (int b = from; b < to; ++b) {
    if (bits[b] != 0) return b * 64 + std::countr_zero(bits[b]);
  }
  return -1;
}

// Calls visit(i) for every number in blocks [from, to); stops when visit returns false.
template <typename Visit>
void forEachBit(const Bits* bits, int from, int to, Visit visit) {
  for (int b = from; b < to; ++b) {
    for (Bits word = bits[b]; word != 0; word &= word - 1) {
      if (!visit(b * 64 + std::countr_zero(word))) return;
    }
  }
}

// The first block of [from, to) where a and b share a number, or `to`. Four blocks a step: a
// scan that finds nothing runs through thousands of blocks with a quarter of the branches.
inline int firstCommonBlock(const Bits* a, const Bits* b, int from, int to) {
  int i = from;
  for (; i + 4 <= to; i += 4) {
    if (((a[i] & b[i]) | (a[i + 1] & b[i + 1]) | (a[i + 2] & b[i + 2]) | (a[i + 3] & b[i + 3])) !=
        0) {
      break;
    }
  }
  for (; i < to; ++i) {
    if ((a[i] & b[i]) != 0) return i;
  }
  return to;
}

// The numbers in blocks [from, to). Uses the processor's population count where it has one,
// chosen when the program starts, so the package still runs on processors without it.
int countBits(const Bits* bits, int from, int to);
// The numbers in both sets, over blocks [from, to); the same way.
int countCommon(const Bits* a, const Bits* b, int from, int to);

// The words of one length that have a letter at a position: dense bits over all the words, or,
// when few words have it, their numbers in ascending order, so that thousands of rare letters
// (kanji) do not take a bit per word each.
struct WordSet {
  const Bits* bits = nullptr;  // dense; else [first, last)
  const int* first = nullptr;
  const int* last = nullptr;

  // The words of [first, last) in blocks [lo, hi).
  std::pair<const int*, const int*> within(int lo, int hi) const {
    const int* from = std::lower_bound(first, last, lo * 64);
    return {from, std::lower_bound(from, last, hi * 64)};
  }
};

// bits &= set, over blocks [lo, hi).
inline void keepOnly(Bits* bits, int lo, int hi, const WordSet& set) {
  if (set.bits) {
    for (int b = lo; b < hi; ++b) bits[b] &= set.bits[b];
    return;
  }
  auto [word, end] = set.within(lo, hi);
  for (int b = lo; b < hi; ++b) {
    Bits mask = 0;
    for (; word != end && *word < (b + 1) * 64; ++word) mask |= Bits{1} << (*word & 63);
    bits[b] &= mask;
  }
}

// bits &= ~set, over blocks [lo, hi).
inline void removeAll(Bits* bits, int lo, int hi, const WordSet& set) {
  if (set.bits) {
    for (int b = lo; b < hi; ++b) bits[b] &= ~set.bits[b];
    return;
  }
  for (auto [word, end] = set.within(lo, hi); word != end; ++word) clearBit(bits, *word);
}

// bits |= set, over blocks [lo, hi).
inline void addAll(Bits* bits, int lo, int hi, const WordSet& set) {
  if (set.bits) {
    for (int b = lo; b < hi; ++b) bits[b] |= set.bits[b];
    return;
  }
  for (auto [word, end] = set.within(lo, hi); word != end; ++word) setBit(bits, *word);
}

}  // namespace vexilo
