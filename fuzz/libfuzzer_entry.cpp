// libFuzzer's entry for one target, named by VEXILO_FUZZ_TARGET at compile time.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    vexilo::fuzz::VEXILO_FUZZ_TARGET({reinterpret_cast<const char*>(data), size});
  } catch (const vexilo::fuzz::PropertyViolation& violation) {
    std::fprintf(stderr, "fuzz: property violated: %s\n", violation.what());
    std::abort();  // libFuzzer keeps the input as a crash
  }
  return 0;
}
