#pragma once

#include <cstdint>

namespace oru {

// The cheap score by which PlanarSegmentMeasure ranks the points of a segment
// before it measures any exactly (the bound that relates it to
// PlanarDeviation is derived in planar_segment_measure.cpp).

// A segment's end points and the differences every score needs.
struct SegmentFrame {
  double a1, a2, b1, b2;
  double ab1, ab2;  // B - A
  double ba1, ba2;  // A - B
  double l2;        // |B - A|^2
};

SegmentFrame MakeSegmentFrame(double a1, double a2, double b1, double b2);

// The score of P: where PlanarDeviation measures the distance from the line
// (both of its dot-product tests pass, evaluated here with its roundings) the
// squared cross product (B - A) x (P - A); elsewhere the squared distance to
// the nearer end point times |B - A|^2. Both are about (deviation |B - A|)^2.
inline double Score(const SegmentFrame& f, double p1, double p2) {
  const double v1 = p1 - f.a1, v2 = p2 - f.a2;  // P - A
  const double w1 = p1 - f.b1, w2 = p2 - f.b2;  // P - B
  const bool beside = v1 * f.ab1 + v2 * f.ab2 >= 0.0 && w1 * f.ba1 + w2 * f.ba2 >= 0.0;
  if (beside) {
    const double c = f.ab1 * v2 - f.ab2 * v1;
    return c * c;
  }
  const double qa = v1 * v1 + v2 * v2;
  const double qb = w1 * w1 + w2 * w2;
  return (qa < qb ? qa : qb) * f.l2;
}

// Scores of the m points (x[k], y[k]) into scores[k], each equal to Score's
// to the last bit; returns the largest, or -1 for m = 0. Not for NaN
// coordinates (the largest would depend on the lane order).
double ScoreBlock(const SegmentFrame& f, const double* x, const double* y, int m, double* scores);

// Writes the positions k < m with scores[k] >= threshold to `positions`, in
// ascending order, and returns their number.
int PositionsAtLeast(const double* scores, int m, double threshold, int* positions);

// The implementations ScoreBlock and PositionsAtLeast choose between once, by
// what the processor offers; exposed so that each can be tested on any
// machine that runs it.
struct ScoreKernels {
  const char* name;
  double (*score_block)(const SegmentFrame&, const double*, const double*, int, double*);
  int (*positions_at_least)(const double*, int, double, int*);
};
// Two lanes (SSE2 on x86-64, whatever the target offers elsewhere), always
// available; then four lanes (AVX2) where the processor has them.
int AvailableScoreKernels(const ScoreKernels** kernels);

}  // namespace oru
