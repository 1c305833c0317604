#include "search/word_bits.h"

namespace vexilo {

// On x86 the baseline of the package has no population count instruction, and the library's
// software count took a fifth of a search's time; the loader picks the clone for the processor.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target_clones("popcnt", "default")))
#endif
int countBits(const Bits* bits, int from, int to) {
  int count = 0;
  for (int b = from; b < to; ++b) count += std::popcount(bits[b]);
  return count;
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target_clones("popcnt", "default")))
#endif
int countCommon(const Bits* a, const Bits* b, int from, int to) {
  int count = 0;
  for (int i = from; i < to; ++i) count += std::popcount(a[i] & b[i]);
  return count;
}

}  // namespace vexilo
