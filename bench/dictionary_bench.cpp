#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "dictionary/dictionary_file.h"
#include "dictionary/word_index.h"
#include "files/text_file.h"
#include "ui/cp932_codec.h"

namespace vexilo {
namespace {

constexpr int DictionaryWords = 200000;

// 200,000 words of 2 to 8 random kana, Shift_JIS with CR LF, written once per run.
const std::string& dictionaryPath() {
  static const std::string path = [] {
    std::mt19937 random(20260101);
    std::uniform_int_distribution<int> length(2, 8);
    std::uniform_int_distribution<int> kana(0, 0x82F1 - 0x829F + 0x8396 - 0x8340);
    std::string bytes;
    for (int w = 0; w < DictionaryWords; ++w) {
      for (int n = length(random); n > 0; --n) {
        int code = 0x829F + kana(random);  // hiragana ぁ to ん, then katakana ァ to ヶ
        if (code > 0x82F1) code += 0x8340 - 0x82F2;
        if (code >= 0x837F) ++code;  // 0x7F is no second byte
        bytes += static_cast<char>(code >> 8);
        bytes += static_cast<char>(code & 0xFF);
      }
      bytes += "\r\n";
    }
    const std::string file =
        (std::filesystem::temp_directory_path() / "vexilo-bench-200k.dic").string();
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }();
  return path;
}

void LoadDictionary(benchmark::State& state) {
  const std::string& path = dictionaryPath();
  std::optional<WordIndex> index;
  std::size_t memory = 0;
  for (auto _ : state) {
    state.PauseTiming();
    index.emplace();
    state.ResumeTiming();
    if (!loadDictionaryFile(path, *index)) state.SkipWithError("dictionary not readable");
    benchmark::DoNotOptimize(*index);
    memory = index->memoryUse();
  }
  state.counters["words"] = static_cast<double>(index->wordCount());
  state.counters["index_MB"] = static_cast<double>(memory) / (1024.0 * 1024.0);
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}
BENCHMARK(LoadDictionary)->Unit(benchmark::kMillisecond);

// The Shift_JIS list read as the window reads it: with the codec, which weighs the encodings
// on the evidence of every line and checks each line against the code page.
void LoadDictionaryWithCodec(benchmark::State& state) {
  const Cp932WordListCodec codec;
  const std::string& path = dictionaryPath();
  std::optional<WordIndex> index;
  for (auto _ : state) {
    state.PauseTiming();
    index.emplace();
    state.ResumeTiming();
    if (!loadDictionaryFile(path, *index, &codec)) state.SkipWithError("dictionary not readable");
    benchmark::DoNotOptimize(*index);
  }
  state.counters["words"] = static_cast<double>(index->wordCount());
}
BENCHMARK(LoadDictionaryWithCodec)->Unit(benchmark::kMillisecond);

// The same words as a UTF-8 list, each converted to code page 932 as it is read.
void LoadUtf8Dictionary(benchmark::State& state) {
  const Cp932WordListCodec codec;
  static const std::string path = [&codec] {
    const std::string file =
        (std::filesystem::temp_directory_path() / "vexilo-bench-200k-utf8.dic").string();
    std::ofstream(file, std::ios::binary) << codec.toUtf8(*readTextFile(dictionaryPath())).value();
    return file;
  }();
  std::optional<WordIndex> index;
  for (auto _ : state) {
    state.PauseTiming();
    index.emplace();
    state.ResumeTiming();
    if (!loadDictionaryFile(path, *index, &codec)) state.SkipWithError("dictionary not readable");
    benchmark::DoNotOptimize(*index);
  }
  state.counters["words"] = static_cast<double>(index->wordCount());
}
BENCHMARK(LoadUtf8Dictionary)->Unit(benchmark::kMillisecond);

// Walks one bucket of the loaded dictionary: the first letter あ of five-letter words, or all.
void WalkBucket(benchmark::State& state) {
  static WordIndex index;
  if (index.wordCount() == 0) loadDictionaryFile(dictionaryPath(), index);
  const LengthIndex& lengths = index[5];
  const std::string character = state.range(0) == 0 ? std::string("\x82\xA0") : std::string();
  std::size_t entries = 0;
  for (auto _ : state) {
    for (BucketEntry e = lengths.firstInBucket(character, 0); !e.isNone();
         e = lengths.nextEntry(e)) {
      std::string_view word = lengths.wordOf(e);
      benchmark::DoNotOptimize(word);
      ++entries;
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(entries));
  state.counters["ns_per_entry"] = benchmark::Counter(
      static_cast<double>(entries), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["bucket_size"] = static_cast<double>(
      lengths.bucketSize(character.empty() ? AllWordsBucket : bucketOf(character, 0)));
}
BENCHMARK(WalkBucket)->Arg(0)->Arg(1);

}  // namespace
}  // namespace vexilo
