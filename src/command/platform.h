// What the compiler and standard library offer, decided once. Every fast path
// chosen here has a portable fallback that gives the same text; defining
// ZORVANE_PORTABLE selects every fallback, so that an ordinary build machine
// can run them through the vectors.
#pragma once

#include <cfloat>
#include <charconv>

// Each operation of the formulas must round to double, as on x86-64. Where
// the compiler evaluates double expressions in a wider type (x87 on 32-bit
// x86), results would differ in the last digits: refuse to build instead.
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "FLT_EVAL_METHOD must be 0 (on 32-bit x86: -msse2 -mfpmath=sse)"
#endif

#if defined(__SIZEOF_INT128__) && !defined(ZORVANE_PORTABLE)
#define ZORVANE_HAVE_INT128 1  // the six-decimal product in one integer
#else
#define ZORVANE_HAVE_INT128 0  // the product in two 64-bit halves
#endif

// Floating-point std::to_chars and std::from_chars; without them the exact
// conversions of exact_decimal.h take over.
#if defined(__cpp_lib_to_chars) && !defined(ZORVANE_PORTABLE)
#define ZORVANE_HAVE_FLOAT_CHARCONV 1
#else
#define ZORVANE_HAVE_FLOAT_CHARCONV 0
#endif

// The one-pass reading of the numbers commands mostly hold. It needs nothing
// of the platform; the portable build leaves it out all the same, so that
// the general reading behind it sees every number.
#if !defined(ZORVANE_PORTABLE)
#define ZORVANE_ONE_PASS_NUMBERS 1
#else
#define ZORVANE_ONE_PASS_NUMBERS 0
#endif

#if defined(__SSE2__) && !defined(ZORVANE_PORTABLE)
#define ZORVANE_HAVE_SSE2 1  // text conversions eight or sixteen units at a time
#else
#define ZORVANE_HAVE_SSE2 0
#endif

// A read that is safe by construction yet reaches past the object it reads:
// a whole aligned block that holds a terminator. Such a block never crosses a
// page boundary, so it is mapped memory whatever lies beyond the terminator;
// the bytes past it are never used. The sanitizers that watch every read
// (addresses, threads) are told to leave the function that does it alone.
#if defined(__GNUC__)
#define ZORVANE_READS_WHOLE_BLOCKS __attribute__((no_sanitize("address", "thread")))
#else
#define ZORVANE_READS_WHOLE_BLOCKS
#endif
