#ifndef POSRELAY_FUZZ_FUZZ_CHECK_H
#define POSRELAY_FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

// A broken property is a finding: say which and stop, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

#endif
