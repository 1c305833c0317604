#include "search/word_tables.h"

#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "search/fill_search.h"

namespace vexilo {

namespace {

// More letters than this at one position: their rare ones get word lists instead of bits.
constexpr int ManyLetters = 256;

int codeOf(std::string_view letter) {
  return static_cast<unsigned char>(letter[0]) << 8 | static_cast<unsigned char>(letter[1]);
}

}  // namespace

int LengthWords::countBelow(std::uint32_t rank) const {
  return static_cast<int>(std::lower_bound(ranks.begin(), ranks.end(), rank) - ranks.begin());
}

int LengthWords::find(std::string_view word) const {
  for (int w = 0; w < count; ++w) {
    if (words[static_cast<std::size_t>(w)] == word) return w;
  }
  return -1;
}

std::size_t LengthWords::bytes() const {
  std::size_t total = 0;
  for (const std::vector<Bits>& bits : dense) total += bits.size() * sizeof(Bits);
  for (const std::vector<int>& numbers : sparse) total += numbers.size() * sizeof(int);
  total += setIndex.size() * sizeof(int) + sets.size() * sizeof(WordSet);
  return total;
}

WordTables::WordTables(const WordIndex& index)
    : index_(index),
      changes_(index.changes()),
      indexWords_(index.wordCount()),
      letterIds_(65536, -1) {
  // Ranks: the words of every class merged in order of addition, a repeated word skipped.
  std::vector<std::tuple<std::uint32_t, int, std::uint32_t>> order;  // sequence, class, number
  order.reserve(indexWords_);
  for (int c = 0; c < LengthClasses; ++c) {
    const LengthIndex& words = index[c];
    ranks_[static_cast<std::size_t>(c)].assign(words.wordCount(), 0);
    for (std::size_t k = 0; k < words.wordCount(); ++k) {
      order.emplace_back(words.sequence(k), c, static_cast<std::uint32_t>(k));
    }
  }
  std::sort(order.begin(), order.end());
  std::array<std::unordered_set<std::string_view>, LengthClasses> seen;
  for (const auto& [sequence, c, k] : order) {
    if (!seen[static_cast<std::size_t>(c)].insert(index[c].word(k)).second) continue;
    ranks_[static_cast<std::size_t>(c)][k] = ++distinct_;
  }
  for (int c = 1; c < LengthClasses; ++c) {
    const LengthIndex& words = index[c];
    for (std::size_t k = 0; k < words.wordCount(); ++k) {
      const std::string_view word = words.word(k);
      if (word.size() % 2 != 0) continue;
      for (std::size_t at = 0; at < word.size(); at += 2) {
        int& id = letterIds_[static_cast<std::size_t>(codeOf(word.substr(at, 2)))];
        if (id >= 0) continue;
        id = letterCount();
        letterTexts_.emplace_back(word.substr(at, 2));
      }
    }
  }
}

bool WordTables::describes(const WordIndex& index) const {
  return &index == &index_ && index.changes() == changes_ && index.wordCount() == indexWords_;
}

int WordTables::letterId(std::string_view text) const {
  return text.size() == 2 ? letterIds_[static_cast<std::size_t>(codeOf(text))] : -1;
}

std::size_t WordTables::bytes() const {
  std::size_t total = 0;
  for (const auto& words : lengths_) total += words ? words->bytes() : 0;
  return total;
}

void WordTables::prepare(int length) {
  std::unique_ptr<LengthWords>& slot = lengths_[static_cast<std::size_t>(length)];
  if (slot) return;
  auto built = std::make_unique<LengthWords>();
  LengthWords& words = *built;
  words.length = length;
  const int c = std::min(length, LengthClasses - 1);
  const LengthIndex& source = index_[c];
  for (std::size_t k = 0; k < source.wordCount(); ++k) {
    const std::string_view word = source.word(k);
    const std::uint32_t rank = ranks_[static_cast<std::size_t>(c)][k];
    if (rank == 0 || !isSlotWord(word, length)) continue;
    words.words.push_back(word);
    words.ranks.push_back(rank);
    for (int p = 0; p < length; ++p) {
      words.letters.push_back(letterId(word.substr(static_cast<std::size_t>(p) * 2, 2)));
    }
  }
  words.count = static_cast<int>(words.words.size());
  words.blocks = bitBlocks(words.count);

  const auto n = static_cast<std::size_t>(length);
  words.letterCount = letterCount();
  words.setIndex.assign(n * static_cast<std::size_t>(words.letterCount), -1);
  words.dense.resize(n);
  words.sparse.resize(n);
  struct Place {
    std::size_t position;
    int row;  // in `dense`, or -1: sparse
    int start, size;
  };
  std::vector<Place> places;  // per set
  for (std::size_t p = 0; p < n; ++p) {
    const int position = static_cast<int>(p);
    int* index = words.setIndex.data() + p * static_cast<std::size_t>(words.letterCount);
    const int first = static_cast<int>(places.size());
    for (int w = 0; w < words.count; ++w) {
      int& set = index[words.letterAt(w, position)];
      if (set < 0) {
        set = static_cast<int>(places.size());
        places.push_back({p, -1, 0, 0});
      }
      ++places[static_cast<std::size_t>(set)].size;
    }
    const int sets = static_cast<int>(places.size()) - first;
    // Where a position has hundreds of letters (kanji), a rare one keeps its words as a list:
    // four bytes a word against a bit for every word of the length. With kana every set stays
    // bits, which are quicker to search within a slot's few remaining blocks.
    const int sparseBelow = sets > ManyLetters ? words.count / 64 : 0;
    int denseSets = 0;
    int sparseWords = 0;
    std::vector<int> next;  // per set of this position: where its next sparse word goes
    for (auto k = static_cast<std::size_t>(first); k < places.size(); ++k) {
      Place& place = places[k];
      place.start = sparseWords;
      if (place.size >= sparseBelow) {
        place.row = denseSets++;
      } else {
        sparseWords += place.size;
      }
      next.push_back(place.start);
    }
    words.dense[p].assign(
        static_cast<std::size_t>(denseSets) * static_cast<std::size_t>(words.blocks), 0);
    words.sparse[p].resize(static_cast<std::size_t>(sparseWords));
    for (int w = 0; w < words.count; ++w) {
      const int set = index[words.letterAt(w, position)];
      const Place& place = places[static_cast<std::size_t>(set)];
      if (place.row >= 0) {
        setBit(words.dense[p].data() +
                   static_cast<std::size_t>(place.row) * static_cast<std::size_t>(words.blocks),
               w);
      } else {
        words.sparse[p][static_cast<std::size_t>(next[static_cast<std::size_t>(set - first)]++)] =
            w;
      }
    }
  }
  // The storage is complete: the sets may point into it.
  for (const Place& place : places) {
    if (place.row >= 0) {
      words.sets.push_back(
          {words.dense[place.position].data() +
           static_cast<std::size_t>(place.row) * static_cast<std::size_t>(words.blocks)});
    } else {
      const int* numbers = words.sparse[place.position].data() + place.start;
      words.sets.push_back({nullptr, numbers, numbers + place.size});
    }
  }
  slot = std::move(built);
}

}  // namespace vexilo
