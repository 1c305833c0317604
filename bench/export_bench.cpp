// Exports of a filled 32x32 puzzle with 400 clues through vexilo-cli, one program run each:
// to .ipuz, .html, .php and .pdf. Wall time per export (the tool's start included).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/ipuz_file.h"
#include "puzzle/clues.h"
#include "ui/cp932_codec.h"

namespace vexilo {
namespace {

// Blocks where (row + 2 column) % 5 == 0: 422 words; every open cell holds ア..ン in turn.
std::string writePuzzle(const std::filesystem::path& folder) {
  PuzzleGrid grid;
  int letter = 0;
  for (int row = 0; row < GridSize; ++row) {
    for (int column = 0; column < GridSize; ++column) {
      if ((row + 2 * column) % 5 == 0) continue;
      NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(row, column));
      cell.flag = Open;
      cell.str = kanaLabel(letter++ % 46);
    }
  }
  PuzzleClues clues;
  clues.properties.title = "\x83\x78\x83\x93\x83\x60";  // ベンチ
  const WordNumbers words = numberWords(grid, Numbering::Magazine);
  int n = 0;
  for (const auto* list : {&words.down, &words.across}) {
    for (const NumberedWord& word : *list) {
      if (clues.texts.size() == 400) break;
      ++n;
      // カギの文、二十文字ほどの長さで書いたもの
      clues.setText(word.key,
                    "\x83\x4A\x83\x4D\x82\xCC\x95\xB6\x81\x41\x93\xF1\x8F\x5C\x95\xB6"
                    "\x8E\x9A\x82\xD9\x82\xC7\x82\xCC\x92\xB7\x82\xB3\x82\xC5\x8F\x91"
                    "\x82\xA2\x82\xBD\x82\xE0\x82\xCC " +
                        std::to_string(n));
    }
  }
  const Cp932WordListCodec codec;
  const std::string path = (folder / "puzzle.ipuz").string();
  const std::string text = formatIpuz(grid, clues, codec);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  return path;
}

void Export(benchmark::State& state, const char* extension) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "vexilo-export-bench";
  std::filesystem::create_directories(folder);
  const std::string puzzle = writePuzzle(folder);
  const std::string command = std::string(VEXILO_CLI) + " export '" + puzzle + "' '" +
                              (folder / "out.").string() + extension + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("vexilo-cli export failed");
  }
  state.counters["bytes"] =
      static_cast<double>(std::filesystem::file_size(folder / (std::string("out.") + extension)));
  std::filesystem::remove_all(folder);
}

BENCHMARK_CAPTURE(Export, ipuz, "ipuz")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Export, html, "html")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Export, php, "php")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Export, pdf, "pdf")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vexilo

BENCHMARK_MAIN();
