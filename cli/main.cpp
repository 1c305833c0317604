#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  try {
    const int status =
        vexilo::cli::run(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fputs("vexilo-cli: cannot write the standard output\n", stderr);
      return vexilo::cli::ExitFailed;
    }
    return status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vexilo-cli: %s\n", error.what());
    return vexilo::cli::ExitFailed;
  }
}
