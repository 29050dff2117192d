#pragma once
// The vector instructions of the scans: SSE2 where the compiler may assume
// it, AVX2 where the processor runs it. The wide scans are built for AVX2
// alone, between TANSA2_AVX2_BEGIN and TANSA2_AVX2_END, and run only where
// HasAvx2 says so; the others are the fallback.

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#if defined(__x86_64__) && defined(__clang__)
#define TANSA2_AVX2_BEGIN _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define TANSA2_AVX2_END _Pragma("clang attribute pop")
#elif defined(__x86_64__)
#define TANSA2_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define TANSA2_AVX2_END _Pragma("GCC pop_options")
#endif

namespace tansa2 {

bool HasAvx2();

}  // namespace tansa2
