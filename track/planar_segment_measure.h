#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "track/segment_measure.h"

namespace oru {

// The planar measure set over one track of plane coordinates (metres).
//
// FarthestPoint answers exactly what a scan of PlanarDeviation over the
// segment's points answers, but computes PlanarDeviation (two arc tangents and
// a sine) only for the few points that can still win: every point is first
// ranked by a cheap score, a cross product or a squared end distance, whose
// relation to PlanarDeviation's rounded result is bounded (derivation in the
// .cpp). Segments with coordinates outside the range of that bound (NaN,
// infinities, magnitudes above 2^200, end points closer than 2^-200) are
// scanned with PlanarDeviation throughout.
class PlanarSegmentMeasure final : public SegmentMeasure {
 public:
  // first, second: X and Y (or easting and northing) of every point, metres.
  PlanarSegmentMeasure(std::vector<double> first, std::vector<double> second);

  SegmentWinner FarthestPoint(std::int64_t a, std::int64_t b) override;
  double SegmentLength(std::int64_t a, std::int64_t b) const override;
  double TrackLength() const override;
  std::vector<double> LineDeviations(std::span<const std::int64_t> selected) override;
  void Prefetch(std::int64_t a, std::int64_t p, std::int64_t b) const override;

  // The coordinates measured (metres).
  const std::vector<double>& First() const { return first_; }
  const std::vector<double>& Second() const { return second_; }

 private:
  // Points scored in one sweep before any is looked at alone: their scores
  // stay in the first-level cache.
  static constexpr int kBlock = 256;
  // Points measured between two calls of the poll function.
  static constexpr int kPollPoints = 4096;

  struct Contender {
    double score;
    std::int64_t index;
  };

  bool BoundHolds(std::int64_t a, std::int64_t b) const;
  SegmentWinner ScanExact(std::int64_t a, std::int64_t b);
  SegmentWinner ScanBounded(std::int64_t a, std::int64_t b);
  double Deviation(std::int64_t a, std::int64_t b, std::int64_t p) const;

  std::vector<double> first_;
  std::vector<double> second_;
  // wild_before_[i]: points among 0..i-1 outside the bound's range. Empty when
  // the whole track lies within it.
  std::vector<std::int64_t> wild_before_;
  std::vector<Contender> contenders_;    // scratch of ScanBounded
  std::array<double, kBlock> scores_{};  // scratch of ScanBounded
  std::array<int, kBlock> positions_{};  // scratch of ScanBounded
};

}  // namespace oru
