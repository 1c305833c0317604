#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vexilo::cli {

// Exit statuses of the tool.
enum ExitStatus : int {
  ExitOk = 0,
  ExitFailed = 1,
  ExitUsage = 2,
  ExitNoFill = 3,      // the fast engine proved that no (further) fill exists
  ExitRuleBroken = 4,  // check: the grid breaks a block rule
  ExitInterrupted = 130,
};

// Runs the subcommand named by the first argument (the program name not included), printing
// the grid to out and messages and usage lines to err.
int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace vexilo::cli
