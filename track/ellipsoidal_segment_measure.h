#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "geodesy/datum.h"
#include "track/segment_measure.h"

namespace oru {

// A cheap estimate of EllipsoidalDeviation(A, B, P) and an upper bound of it,
// with what a bound of P's neighbours along the track can be derived from.
struct DeviationBound {
  double estimate;  // metres; may be NaN
  double upper;     // metres; EllipsoidalDeviation(A, B, P) <= upper; +inf when unbounded
  double dPA = 0.0, dPB = 0.0;  // metres: geodesics P-A, P-B (0 when not solved)
  // Radians by which the angle at P exceeds a right angle beyond doubt (0
  // when it does not): P then gets the perpendicular, at most perp_upper.
  double obtuse_by = 0.0;
  double perp_upper = 0.0;
  // How much faster than s / d the azimuths at P turn when P moves by s at
  // distance d from A or B: 1 + 1e-3 within 200 km, more on wider triangles.
  double turn_factor = 1.0;
};

// Bounds the deviation of P from the segment A-B from the two geodesics that
// EllipsoidalDeviation solves from P to A and to B (the very lines, so the
// choice between end distance and perpendicular is the measure's own), and
// the length ab of A-B (EllipsoidalSegmentLength). Costs two Pos_Pos instead
// of the measure's four, or two and a perpend.
//
// With dPA, dPB the distances and gamma the angle at P between the two
// azimuths (AngleAtPoint, the measure's own choice):
//  - gamma <= pi/2 (end distance): the measure solves A-P and B-P; Vincenty's
//    inverse is within 0.1 mm of the geodesic either way round, and the 3.2 mm
//    nudges that it gives lines between equal latitudes change a distance by
//    at most their size, so min(dPA, dPB) is within 7 mm of it:
//      upper = min(dPA, dPB) + 1 cm.
//  - gamma > pi/2 (an obtuse angle at P, the foot within the segment), every
//    side within 200 km: the height of the triangle,
//    h = dPA dPB sin(gamma) / ab, whose relative difference from the
//    geodesic perpendicular is of the order K L^2 (Gaussian curvature
//    K <= 1/(6335 km)^2, triangle size L below 200 km: 1e-3), and whose
//    absolute error from the azimuths (2e-12 rad, or 3.2 mm over the line's
//    length where nudged) is at most 2 x 3.2 mm, since dPA, dPB < ab in an
//    obtuse triangle. perpend's foot carries the DMS carry of up to 1.5 cm in
//    latitude and in longitude (2.2 cm off the line at most) and a last move
//    below 0.1 mm:
//      upper = h (1 + 2e-3) + 5 cm.
//  - the same on a wider triangle (a side from 200 km to 3000 km): no plane
//    shape holds there, so the foot is searched as the measure searches it
//    (perpend), but from a spherical first guess near the foot instead of
//    from A, which takes a few passes instead of many. Both searches end on
//    the same geodesic within a last move of 0.1 mm of the one foot (the
//    distance from P along a geodesic has a single minimum within a quarter
//    of the globe), each with its own DMS carry:
//      upper = h_searched + 5 cm + 1 mm.
//  - any perpendicular: a foot minimises the distance to the line, which
//    passes through A and B, so the perpendicular is never above
//    min(dPA, dPB) + 6 cm.
//  - within 1e-6 rad of pi/2 both branches are allowed for.
// No bound (upper = +inf) for A equal to B, a point beyond 89 degrees of
// latitude (azimuths from near the pole are ill-conditioned), a triangle side
// above 3000 km, and whatever is not finite. P equal to A or B gives 0
// exactly. The bound is held to the measure by tests on many configurations.
DeviationBound BoundDeviation(double a1, double a2, double b1, double b2, double p1, double p2,
                              double ab, DatumParams& datum);

// A point on the unit sphere: x towards 0 N 0 E, z towards the north pole.
struct Vector3 {
  double x, y, z;
};

// The segment's azimuth at A, for the directed bound of the perpendicular,
// and how far the azimuths compared with it may turn.
struct SegmentDirection {
  bool usable = false;
  double azimuth = 0.0;         // radians, at A towards B
  double turn_per_metre = 0.0;  // radians per metre: tan(latitude) / radius
  double azimuth_error = 0.0;   // radians
};

// The bound of the points that follow an anchor along the track, from the
// anchor's bound and the steps walked since (the class comment below).
class AnchorRun {
 public:
  AnchorRun(const SegmentDirection& line, double ab);
  bool Active() const { return active_; }
  void Start(const DeviationBound& anchor);
  void Stop() { active_ = false; }
  // Walks one step (its geodesic length, metres, and azimuth at its start,
  // radians) to the next point and returns that point's bound.
  double Step(double length, double azimuth);

 private:
  SegmentDirection line_;
  double ab_;
  DeviationBound anchor_{};
  bool active_ = false;
  double s_ = 0.0;       // metres walked since the anchor
  double across_ = 0.0;  // bound of the perpendicular's growth since the anchor
  std::int64_t steps_ = 0;
};

// The ellipsoidal measure set over one geographic track (latitudes and
// longitudes in signed degrees).
//
// FarthestPoint answers exactly what a scan of EllipsoidalDeviation over the
// segment's points answers (largest deviation above 0.0, the lowest index
// among equal ones, NaN never wins). With pruning on it
//  1. ranks the points by their distance from the great-circle arc through
//     A and B on the unit sphere and measures the first exactly: the best
//     deviation so far;
//  2. sweeps the points in track order. A point bounded by BoundDeviation
//     (an anchor) also bounds the points after it: the perpendicular and the
//     end distances are distances to fixed curves and points, so they grow
//     by at most the path length s walked from the anchor (the cached
//     geodesics between consecutive points, plus 4 mm each for Vincenty's
//     nudges), and the angle at P, whose azimuths turn by at most s / dPA
//     and s / dPB (times the anchor's turn_factor for the curvature), stays
//     obtuse while s (1/(dPA - s) + 1/(dPB - s)) turn_factor is below the
//     anchor's obtuse_by.
//     The perpendicular grows more slowly than that when the track runs
//     along the segment: the signed distance from the geodesic G through A
//     and B changes, along a step of length l, by at most
//     l (|sin(step azimuth - azimuth of G at A)| + turn), since its gradient
//     is the unit normal of G carried to the point. The azimuths compared
//     here are taken at different places (the step's start, the foot F, A),
//     and a geodesic's azimuth, like a parallel direction, turns by at most
//     tan(latitude) / N per metre of way between them (the rotation of the
//     meridians, sin(phi) dlambda): turn = (|AF| + h + s) tan(phi_max) / R,
//     with |AF| <= ab, R = 6300 km below every N, and phi_max the largest
//     latitude of the segment's points plus the geodesic's poleward bulge.
//     Vincenty's nudge may turn a step's azimuth by 3.2 mm over its length,
//     so each step adds 3.2 mm more.
//     A point whose bound so derived is below the best deviation is passed
//     over; any other becomes an anchor, and a contender when its own bound
//     reaches the best;
//  3. measures the contenders exactly in order of falling bound, in batches
//     that double in size, stopping at the first bound below the best
//     deviation found (reaching it counts: an equal deviation at a lower index
//     would win).
// The sweep of a large segment is split between `threads` threads (one or
// two), and so is each batch of contenders; each thread has its own datum
// record. Which points are pruned may depend on the thread count;
// the answer does not.
class EllipsoidalSegmentMeasure final : public SegmentMeasure {
 public:
  // `poll` is called while the track's steps are solved, as SetPoll's
  // function is later; it may stop the building by throwing.
  EllipsoidalSegmentMeasure(std::vector<double> latitudes, std::vector<double> longitudes,
                            const DatumParams& datum, int threads = 2, bool prune = true,
                            std::function<void()> poll = {});
  ~EllipsoidalSegmentMeasure() override;

  SegmentWinner FarthestPoint(std::int64_t a, std::int64_t b) override;
  double SegmentLength(std::int64_t a, std::int64_t b) const override;
  double TrackLength() const override { return track_length_; }
  // Measured exactly, point by point, on both threads.
  std::vector<double> LineDeviations(std::span<const std::int64_t> selected) override;
  void Prefetch(std::int64_t, std::int64_t, std::int64_t) const override {}

  // Exact measures taken by FarthestPoint so far (for tests and benchmarks).
  std::int64_t ExactMeasures() const { return exact_measures_; }
  // The coordinates measured (signed degrees).
  const std::vector<double>& Latitudes() const { return lat_; }
  const std::vector<double>& Longitudes() const { return lon_; }
  // For tests: the bound that the sweep gives every point strictly between a
  // and b with an anchor at every `every`-th point and the runs from them
  // between (as far as a run goes): each must hold against the measure.
  std::vector<double> SweptBounds(std::int64_t a, std::int64_t b, std::int64_t every);

 private:
  class Pool;

  double Deviation(std::int64_t a, std::int64_t b, std::int64_t p, int thread);
  // Runs work(begin, end, thread) over [0, count), split between the threads
  // when there are enough items to pay for the hand-over.
  template <typename Work>
  void Spread(std::int64_t count, std::int64_t min_parallel, Work work);
  SegmentDirection Direction(std::int64_t a, std::int64_t b, double ab);
  SegmentWinner ScanExact(std::int64_t a, std::int64_t b);
  SegmentWinner ScanPruned(std::int64_t a, std::int64_t b);

  std::vector<double> lat_;
  std::vector<double> lon_;
  std::vector<DatumParams> datum_;        // one per thread
  mutable DatumParams length_datum_;      // SegmentLength's own
  std::unique_ptr<Pool> pool_;            // null with one thread
  bool prune_;
  double track_length_ = 0.0;
  std::int64_t exact_measures_ = 0;
  std::vector<double> step_;              // geodesic from point i to i + 1, metres
  std::vector<double> step_azimuth_;      // its azimuth at point i, radians
  std::vector<Vector3> unit_;             // each point on the unit sphere, for ranking
  std::vector<double> exact_;             // scratch of ScanExact
  struct Contender {
    double upper;
    std::int64_t index;
  };
  std::vector<Contender> contenders_[2];  // scratch of ScanPruned, per thread
  struct Measured {
    std::int64_t index;
    double deviation;
  };
  std::vector<Measured> batch_;           // scratch of ScanPruned
};

}  // namespace oru
