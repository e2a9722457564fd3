#include "track/ellipsoidal_segment_measure.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <numbers>
#include <thread>
#include <utility>

#include "geodesy/angles.h"
#include "geodesy/geodesic.h"
#include "geodesy/records.h"
#include "track/ellipsoidal_measures.h"

namespace oru {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Terms of BoundDeviation, metres or relative (derivation in the header).
constexpr double kEndSlop = 0.01;         // reversed Vincenty lines, nudges
constexpr double kPerpendSlop = 0.05;     // DMS carry of the foot, nudged azimuths
constexpr double kFootBelowEnds = 0.06;   // perpendicular vs nearer end
constexpr double kShapeRelative = 2e-3;   // plane triangle vs geodesic one
constexpr double kMaxSide = 200000.0;     // metres: K L^2 <= 1e-3
constexpr double kMaxLatitude = 89.0;     // degrees
constexpr double kRightAngleBand = 1e-6;  // radians
// Terms of the sweep's bounds of the points after an anchor (the class
// comment): per step, Vincenty's nudges; in all, the perpendicular's slop at
// both points, and the end distances' slop.
constexpr double kStepSlop = 0.004;
constexpr double kRunPerpendSlop = 0.06;
constexpr double kRunEndSlop = 0.07;
constexpr double kRunRelative = 1e-3;

// Below these counts the hand-over to the second thread (some microseconds)
// costs more than it saves: a bound costs about 0.7 us, an exact measure 5.
constexpr std::int64_t kParallelBounds = 96;
constexpr std::int64_t kParallelExact = 2;

}  // namespace

DeviationBound BoundDeviation(double a1, double a2, double b1, double b2, double p1, double p2,
                              double ab, DatumParams& datum) {
  const DeviationBound unbounded{kInf, kInf, kInf, kInf, 0.0, kInf};
  if ((p1 == a1 && p2 == a2) || (p1 == b1 && p2 == b2)) return {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  if (a1 == b1 && a2 == b2) return unbounded;
  if (!(std::fabs(a1) <= kMaxLatitude && std::fabs(b1) <= kMaxLatitude &&
        std::fabs(p1) <= kMaxLatitude && ab <= kMaxSide)) {
    return unbounded;
  }
  // P as the measure holds it after perpend: its DMS round trip, in radians.
  Geo_Line L2{};
  L2.P2.lat_rad = DegreesToRadians(p1);
  L2.P2.lon_rad = DegreesToRadians(p2);
  P2_To_DMS(L2);
  P2_To_Rad(L2);
  Geo_Line L3{};
  Geo_Line L4{};
  L3.line_type = 'G';
  L4.line_type = 'G';
  L3.P1.lat_rad = L2.P2.lat_rad;
  L3.P1.lon_rad = L2.P2.lon_rad;
  L3.P2.lat_rad = DegreesToRadians(a1);
  L3.P2.lon_rad = DegreesToRadians(a2);
  L4.P1.lat_rad = L2.P2.lat_rad;
  L4.P1.lon_rad = L2.P2.lon_rad;
  L4.P2.lat_rad = DegreesToRadians(b1);
  L4.P2.lon_rad = DegreesToRadians(b2);
  P1_To_DMS(L3);
  P2_To_DMS(L3);
  P1_To_DMS(L4);
  P2_To_DMS(L4);
  Pos_Pos(datum, L3);
  Pos_Pos(datum, L4);

  const double dPA = L3.dist;
  const double dPB = L4.dist;
  if (!(dPA <= kMaxSide && dPB <= kMaxSide)) return unbounded;
  const double nearer = dPA < dPB ? dPA : dPB;
  const double delta = std::fabs(L3.az12.rad - L4.az12.rad);
  const double h = dPA * dPB * std::fabs(std::sin(delta)) / ab;

  const double end_upper = nearer + kEndSlop;
  double perp_upper = nearer + kFootBelowEnds;
  if (delta > kPi / 2.0 && delta <= 1.5 * kPi) {
    perp_upper = std::min(perp_upper, h * (1.0 + kShapeRelative) + kPerpendSlop);
  }
  DeviationBound bound{0.0, 0.0, dPA, dPB, 0.0, perp_upper};
  if (delta <= kPi / 2.0 - kRightAngleBand) {
    bound.estimate = nearer;
    bound.upper = end_upper;
  } else if (delta > kPi / 2.0 + kRightAngleBand) {
    bound.estimate = h;
    bound.upper = perp_upper;
  } else {
    bound.estimate = std::max(nearer, h);
    bound.upper = std::max(end_upper, perp_upper);
  }
  // The angle at P itself, whichever way round the plain difference is.
  const double gamma = delta <= kPi ? delta : 2.0 * kPi - delta;
  if (delta > kPi / 2.0 && delta <= 1.5 * kPi && gamma > kPi / 2.0 + kRightAngleBand) {
    bound.obtuse_by = gamma - kPi / 2.0 - kRightAngleBand;
  }
  if (!(bound.upper >= 0.0 && bound.upper < kInf && perp_upper < kInf)) return unbounded;
  return bound;
}

// One helper thread beside the caller's: Run hands it half of a job and does
// the other half itself.
class EllipsoidalSegmentMeasure::Pool {
 public:
  Pool() : helper_([this] { Serve(); }) {}
  ~Pool() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_one();
    helper_.join();
  }

  // Runs job(1) on the helper and job(0) here; returns when both are done.
  void Run(const std::function<void(int)>& job) {
    {
      std::lock_guard lock(mutex_);
      job_ = &job;
      ++posted_;
    }
    wake_.notify_one();
    job(0);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return finished_ == posted_; });
    job_ = nullptr;
  }

 private:
  void Serve() {
    std::uint64_t seen = 0;
    for (;;) {
      const std::function<void(int)>* job = nullptr;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return quit_ || posted_ != seen; });
        if (quit_) return;
        seen = posted_;
        job = job_;
      }
      (*job)(1);
      {
        std::lock_guard lock(mutex_);
        finished_ = seen;
      }
      done_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(int)>* job_ = nullptr;
  std::uint64_t posted_ = 0;
  std::uint64_t finished_ = 0;
  bool quit_ = false;
  std::thread helper_;  // last: started once the members it uses exist
};

EllipsoidalSegmentMeasure::EllipsoidalSegmentMeasure(std::vector<double> latitudes,
                                                     std::vector<double> longitudes,
                                                     const DatumParams& datum, int threads,
                                                     bool prune)
    : lat_(std::move(latitudes)),
      lon_(std::move(longitudes)),
      datum_(static_cast<std::size_t>(threads >= 2 ? 2 : 1), datum),
      length_datum_(datum),
      prune_(prune) {
  if (datum_.size() == 2) pool_ = std::make_unique<Pool>();
  // The track length: every consecutive pair solved once, summed in point
  // order.
  const auto n = static_cast<std::int64_t>(std::min(lat_.size(), lon_.size()));
  if (n >= 2) {
    step_.resize(static_cast<std::size_t>(n - 1));
    Spread(n - 1, kParallelBounds, [&](std::int64_t begin, std::int64_t end, int thread) {
      for (std::int64_t i = begin; i < end; ++i) {
        const auto k = static_cast<std::size_t>(i);
        step_[k] = EllipsoidalSegmentLength(lat_[k], lon_[k], lat_[k + 1], lon_[k + 1],
                                            datum_[static_cast<std::size_t>(thread)]);
      }
    });
    for (double s : step_) track_length_ += s;
  }
}

EllipsoidalSegmentMeasure::~EllipsoidalSegmentMeasure() = default;

template <typename Work>
void EllipsoidalSegmentMeasure::Spread(std::int64_t count, std::int64_t min_parallel,
                                       Work work) {
  if (!pool_ || count < min_parallel) {
    work(std::int64_t{0}, count, 0);
    return;
  }
  const std::int64_t half = count / 2;
  const std::function<void(int)> job = [&](int thread) {
    if (thread == 0) {
      work(std::int64_t{0}, half, 0);
    } else {
      work(half, count, 1);
    }
  };
  pool_->Run(job);
}

double EllipsoidalSegmentMeasure::SegmentLength(std::int64_t a, std::int64_t b) const {
  const auto i = static_cast<std::size_t>(a);
  const auto j = static_cast<std::size_t>(b);
  return EllipsoidalSegmentLength(lat_[i], lon_[i], lat_[j], lon_[j], length_datum_);
}

double EllipsoidalSegmentMeasure::Deviation(std::int64_t a, std::int64_t b, std::int64_t p,
                                            int thread) {
  const auto i = static_cast<std::size_t>(a);
  const auto j = static_cast<std::size_t>(b);
  const auto k = static_cast<std::size_t>(p);
  return EllipsoidalDeviation(lat_[i], lon_[i], lat_[j], lon_[j], lat_[k], lon_[k],
                              datum_[static_cast<std::size_t>(thread)]);
}

std::vector<double> EllipsoidalSegmentMeasure::LineDeviations(
    std::span<const std::int64_t> selected) {
  const auto n = static_cast<std::int64_t>(lat_.size());
  std::vector<double> deviations(lat_.size(), 0.0);
  Spread(n, kParallelBounds, [&](std::int64_t begin, std::int64_t end, int thread) {
    ForEachPointOfLine(selected, begin, end, [&](std::int64_t a, std::int64_t b, std::int64_t p) {
      deviations[static_cast<std::size_t>(p)] = Deviation(a, b, p, thread);
    });
  });
  return deviations;
}

SegmentWinner EllipsoidalSegmentMeasure::FarthestPoint(std::int64_t a, std::int64_t b) {
  return prune_ ? ScanPruned(a, b) : ScanExact(a, b);
}

SegmentWinner EllipsoidalSegmentMeasure::ScanExact(std::int64_t a, std::int64_t b) {
  const std::int64_t count = b - a - 1;
  exact_.resize(static_cast<std::size_t>(count));
  Spread(count, kParallelExact, [&](std::int64_t begin, std::int64_t end, int thread) {
    for (std::int64_t k = begin; k < end; ++k) {
      exact_[static_cast<std::size_t>(k)] = Deviation(a, b, a + 1 + k, thread);
    }
  });
  exact_measures_ += count;
  SegmentWinner best{0.0, a + 1};
  for (std::int64_t k = 0; k < count; ++k) {
    const double d = exact_[static_cast<std::size_t>(k)];
    if (d > best.deviation) best = {d, a + 1 + k};
  }
  return best;
}

SegmentWinner EllipsoidalSegmentMeasure::ScanPruned(std::int64_t a, std::int64_t b) {
  const std::int64_t count = b - a - 1;
  const auto ia = static_cast<std::size_t>(a);
  const auto ib = static_cast<std::size_t>(b);

  // Best so far under the engine's rule: larger, or equal at a lower index;
  // only deviations above 0.0 count.
  SegmentWinner best{0.0, a + 1};
  bool found = false;
  auto consider = [&](double d, std::int64_t p) {
    if (d > best.deviation || (found && d == best.deviation && p < best.index)) {
      best = {d, p};
      found = true;
    }
  };
  // Whether a point bounded by `upper` can still win.
  auto can_win = [&](double upper, std::int64_t p) {
    return upper > best.deviation || (upper == best.deviation && (!found || p < best.index));
  };

  // 1. Seed: the largest plane estimate, on an equirectangular picture about
  // A (degrees of latitude; longitudes scaled to the mean latitude).
  std::int64_t seed = a + 1;
  {
    const double c = std::cos(DegreesToRadians(0.5 * (lat_[ia] + lat_[ib])));
    const double xb = std::remainder(lon_[ib] - lon_[ia], 360.0) * c;
    const double yb = lat_[ib] - lat_[ia];
    const double bb = xb * xb + yb * yb;
    double largest = -1.0;
    for (std::int64_t p = a + 1; p < b; ++p) {
      const auto ip = static_cast<std::size_t>(p);
      const double x = std::remainder(lon_[ip] - lon_[ia], 360.0) * c;
      const double y = lat_[ip] - lat_[ia];
      double t = bb > 0.0 ? (x * xb + y * yb) / bb : 0.0;
      t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
      const double dx = x - t * xb;
      const double dy = y - t * yb;
      const double d2 = dx * dx + dy * dy;
      if (d2 > largest) {
        largest = d2;
        seed = p;
      }
    }
  }
  consider(Deviation(a, b, seed, 0), seed);
  ++exact_measures_;

  // 2. The sweep: anchors bounded by BoundDeviation, the points after an
  // anchor bounded by the path walked from it.
  const double ab = SegmentLength(a, b);
  const SegmentWinner seeded = best;
  const bool seeded_found = found;
  auto may_win = [&](double upper, std::int64_t p) {
    return upper > seeded.deviation ||
           (upper == seeded.deviation && (!seeded_found || p < seeded.index));
  };
  contenders_[0].clear();
  contenders_[1].clear();
  Spread(count, kParallelBounds, [&](std::int64_t begin, std::int64_t end, int thread) {
    DatumParams& datum = datum_[static_cast<std::size_t>(thread)];
    std::vector<Contender>& contenders = contenders_[static_cast<std::size_t>(thread)];
    bool anchored = false;
    DeviationBound anchor{};
    double s = 0.0;
    std::int64_t steps = 0;
    for (std::int64_t k = begin; k < end; ++k) {
      const std::int64_t p = a + 1 + k;
      if (p == seed) {
        anchored = false;
        continue;
      }
      if (anchored) {
        s += step_[static_cast<std::size_t>(p - 1)];
        ++steps;
        const double slack = s * (1.0 + kRunRelative) + kStepSlop * static_cast<double>(steps);
        double upper = std::min(anchor.dPA, anchor.dPB) + slack + kRunEndSlop;
        const double dA = anchor.dPA - s;
        const double dB = anchor.dPB - s;
        if (anchor.obtuse_by > 0.0 && dA > 0.0 && dB > 0.0 &&
            s * (1.0 / dA + 1.0 / dB) * (1.0 + kRunRelative) < anchor.obtuse_by) {
          upper = std::min(upper, anchor.perp_upper + slack + kRunPerpendSlop);
        }
        if (!may_win(upper, p)) continue;
      }
      const auto ip = static_cast<std::size_t>(p);
      anchor = BoundDeviation(lat_[ia], lon_[ia], lat_[ib], lon_[ib], lat_[ip], lon_[ip], ab, datum);
      anchored = anchor.upper < kInf;
      s = 0.0;
      steps = 0;
      if (may_win(anchor.upper, p)) contenders.push_back({anchor.upper, p});
    }
  });
  std::vector<Contender>& all = contenders_[0];
  all.insert(all.end(), contenders_[1].begin(), contenders_[1].end());
  std::sort(all.begin(), all.end(), [](const Contender& x, const Contender& y) {
    return x.upper != y.upper ? x.upper > y.upper : x.index < y.index;
  });

  // 3. In order of falling bound, two at a time (one per thread).
  std::size_t next = 0;
  while (next < all.size()) {
    std::int64_t batch[2];
    int size = 0;
    while (size < 2 && next < all.size()) {
      const Contender& c = all[next];
      if (c.upper < best.deviation) {
        next = all.size();  // every later bound is lower still
        break;
      }
      ++next;
      if (can_win(c.upper, c.index)) batch[size++] = c.index;
    }
    if (size == 0) break;
    double d[2] = {0.0, 0.0};
    Spread(size, kParallelExact, [&](std::int64_t begin, std::int64_t end, int thread) {
      for (std::int64_t i = begin; i < end; ++i) d[i] = Deviation(a, b, batch[i], thread);
    });
    exact_measures_ += size;
    for (int i = 0; i < size; ++i) consider(d[i], batch[i]);
  }
  if (!found) return {0.0, a + 1};
  return best;
}

}  // namespace oru
