#pragma once
// Whether the processor runs AVX2 instructions. The wide scans are built for
// them alone, between TANSA2_AVX2_BEGIN and TANSA2_AVX2_END, and run only
// where it does; the others are the fallback.

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
