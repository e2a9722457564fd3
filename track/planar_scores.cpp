#include "track/planar_scores.h"

#include <cstring>

namespace oru {
namespace {

// Several points at a time: the same operations as Score, lane by lane, so
// each lane's result is Score's to the last bit (no IEEE operation rounds
// differently in a vector register, and contraction into fused multiply-adds
// is off). GCC and Clang lower the vector type to the target's registers.
template <int W>
struct LanesOf {
  typedef double type __attribute__((vector_size(8 * W)));
};

template <int W>
[[gnu::always_inline]] inline double ScoreBlockLanes(const SegmentFrame& f, const double* x,
                                                     const double* y, int m, double* scores) {
  using Lanes = typename LanesOf<W>::type;
  // Locals, so that the stores to `scores` cannot be taken to change them.
  const double a1 = f.a1, a2 = f.a2, b1 = f.b1, b2 = f.b2;
  const double ab1 = f.ab1, ab2 = f.ab2, ba1 = f.ba1, ba2 = f.ba2, l2 = f.l2;
  Lanes best;
  for (int lane = 0; lane < W; ++lane) best[lane] = -1.0;
  int k = 0;
  for (; k + W <= m; k += W) {
    Lanes p1, p2;
    std::memcpy(&p1, x + k, sizeof p1);
    std::memcpy(&p2, y + k, sizeof p2);
    const Lanes v1 = p1 - a1, v2 = p2 - a2;
    const Lanes w1 = p1 - b1, w2 = p2 - b2;
    const auto beside = (v1 * ab1 + v2 * ab2 >= 0.0) & (w1 * ba1 + w2 * ba2 >= 0.0);
    const Lanes c = ab1 * v2 - ab2 * v1;
    const Lanes qa = v1 * v1 + v2 * v2;
    const Lanes qb = w1 * w1 + w2 * w2;
    const Lanes end = (qa < qb ? qa : qb) * l2;
    const Lanes score = beside ? c * c : end;
    std::memcpy(scores + k, &score, sizeof score);
    best = score > best ? score : best;
  }
  double result = -1.0;
  for (int lane = 0; lane < W; ++lane) result = best[lane] > result ? best[lane] : result;
  for (; k < m; ++k) {
    scores[k] = Score(f, x[k], y[k]);
    result = scores[k] > result ? scores[k] : result;
  }
  return result;
}

// Four vectors are tested at once: mostly no score reaches the threshold.
template <int W>
[[gnu::always_inline]] inline int PositionsAtLeastLanes(const double* scores, int m,
                                                        double threshold, int* positions) {
  using Lanes = typename LanesOf<W>::type;
  constexpr int kGroup = 4 * W;
  int found = 0;
  int k = 0;
  for (; k + kGroup <= m; k += kGroup) {
    Lanes s0, s1, s2, s3;
    std::memcpy(&s0, scores + k, sizeof s0);
    std::memcpy(&s1, scores + k + W, sizeof s1);
    std::memcpy(&s2, scores + k + 2 * W, sizeof s2);
    std::memcpy(&s3, scores + k + 3 * W, sizeof s3);
    const auto reached =
        (s0 >= threshold) | (s1 >= threshold) | (s2 >= threshold) | (s3 >= threshold);
    bool any = false;
    for (int lane = 0; lane < W; ++lane) any |= reached[lane] != 0;
    if (!any) continue;
    for (int j = k; j < k + kGroup; ++j) {
      if (scores[j] >= threshold) positions[found++] = j;
    }
  }
  for (; k < m; ++k) {
    if (scores[k] >= threshold) positions[found++] = k;
  }
  return found;
}

double ScoreBlock2(const SegmentFrame& f, const double* x, const double* y, int m, double* scores) {
  return ScoreBlockLanes<2>(f, x, y, m, scores);
}
int PositionsAtLeast2(const double* scores, int m, double threshold, int* positions) {
  return PositionsAtLeastLanes<2>(scores, m, threshold, positions);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORU_HAVE_AVX2_KERNELS 1
[[gnu::target("avx2")]] double ScoreBlock4(const SegmentFrame& f, const double* x, const double* y,
                                           int m, double* scores) {
  return ScoreBlockLanes<4>(f, x, y, m, scores);
}
[[gnu::target("avx2")]] int PositionsAtLeast4(const double* scores, int m, double threshold,
                                              int* positions) {
  return PositionsAtLeastLanes<4>(scores, m, threshold, positions);
}
#endif

struct KernelTable {
  ScoreKernels kernels[2];
  int count = 0;
  KernelTable() {
    kernels[count++] = {"2 lanes", ScoreBlock2, PositionsAtLeast2};
#ifdef ORU_HAVE_AVX2_KERNELS
    if (__builtin_cpu_supports("avx2")) {
      kernels[count++] = {"4 lanes (AVX2)", ScoreBlock4, PositionsAtLeast4};
    }
#endif
  }
};

const KernelTable& Kernels() {
  static const KernelTable table;
  return table;
}

// The widest available.
const ScoreKernels& Chosen() {
  static const ScoreKernels& chosen = Kernels().kernels[Kernels().count - 1];
  return chosen;
}

}  // namespace

SegmentFrame MakeSegmentFrame(double a1, double a2, double b1, double b2) {
  SegmentFrame f;
  f.a1 = a1;
  f.a2 = a2;
  f.b1 = b1;
  f.b2 = b2;
  f.ab1 = b1 - a1;
  f.ab2 = b2 - a2;
  f.ba1 = a1 - b1;
  f.ba2 = a2 - b2;
  f.l2 = f.ab1 * f.ab1 + f.ab2 * f.ab2;
  return f;
}

double ScoreBlock(const SegmentFrame& f, const double* x, const double* y, int m, double* scores) {
  return Chosen().score_block(f, x, y, m, scores);
}

int PositionsAtLeast(const double* scores, int m, double threshold, int* positions) {
  return Chosen().positions_at_least(scores, m, threshold, positions);
}

int AvailableScoreKernels(const ScoreKernels** kernels) {
  *kernels = Kernels().kernels;
  return Kernels().count;
}

}  // namespace oru
