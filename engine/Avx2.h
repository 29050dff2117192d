#pragma once
// Whether the processor runs AVX2 instructions. The wide scans are built for
// them alone and run only where it does; the others are the fallback.

namespace tansa2 {

bool HasAvx2();

}  // namespace tansa2
