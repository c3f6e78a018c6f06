#pragma once
// Whether this build can carry a second copy of the hot loops made for
// 256-bit vector instructions, chosen at run time where the processor has
// them. Included only by the engine's own sources.

#if defined(__x86_64__) && defined(__GNUC__)
#define INTONARA_WIDE_CODE 1
#define INTONARA_WIDE_TARGET __attribute__((target("avx2")))
#else
#define INTONARA_WIDE_CODE 0
#define INTONARA_WIDE_TARGET
#endif
