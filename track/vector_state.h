#pragma once

namespace oru {

// Marks the upper halves of the processor's AVX registers as clean
// (VZEROUPPER), where the processor has them; nothing elsewhere.
//
// The geodesy and the measures are compiled for the x86-64 baseline, SSE2.
// While some AVX code has left the upper halves in use, every SSE
// instruction on this processor family waits on them: a selection ran four
// to six times slower after the window toolkit had started (1.5 s against
// 7.9 s for a million points to 5 m), and a thread inherits that state
// from the thread that creates it. Threads that do long geodesic work call
// this when they start, and again after they have called into code that
// may use AVX.
inline void ClearUpperVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace oru
