#include "track/ellipsoidal_segment_measure.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <numbers>
#include <thread>
#include <utility>

#include "geodesy/angles.h"
#include "geodesy/geodesic.h"
#include "geodesy/perpend.h"
#include "geodesy/records.h"
#include "track/ellipsoidal_measures.h"
#include "track/huge_pages.h"

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
constexpr double kMaxWideSide = 3.0e6;    // metres: a foot search from near the foot
constexpr double kWideSettleSlop = 0.001; // metres: the two foot searches' last moves
// Radius below that of every ellipsoid's Gaussian curvature: 1/sqrt(K) is at
// least sqrt(M N) at the equator, 6356.6 km on WGS84 and 6356.9 km on the
// International ellipsoid.
constexpr double kMinCurvatureRadius = 6.3e6;  // metres
constexpr double kMeanRadius = 6371000.0;      // metres, for the foot's first guess
constexpr double kMaxLatitude = 89.0;     // degrees
constexpr double kRightAngleBand = 1e-6;  // radians
// Terms of the sweep's bounds of the points after an anchor (the class
// comment): per step, Vincenty's nudges; in all, the perpendicular's slop at
// both points, and the end distances' slop.
constexpr double kStepSlop = 0.004;
constexpr double kRunPerpendSlop = 0.06;
constexpr double kRunEndSlop = 0.07;
constexpr double kRunRelative = 1e-3;
// Terms of the directed bound of the perpendicular (the class comment):
// Vincenty's azimuths within 2e-12 rad, and the 3.2 mm nudge, which turns an
// azimuth by up to 3.2 mm over the line's length.
constexpr double kAzimuthError = 1e-11;  // radians
constexpr double kNudge = 0.0032;        // metres
constexpr double kMinDirectedSide = 1.0; // metres

// Below these counts the hand-over to the second thread (some microseconds)
// costs more than it saves: a bound costs about 0.7 us, an exact measure 5.
constexpr std::int64_t kParallelBounds = 96;
constexpr std::int64_t kParallelExact = 2;

// Work between two calls of the poll function (on the calling thread): a
// thousand bounds or a hundred exact measures, well under a millisecond.
constexpr std::int64_t kPollBounds = 1024;
constexpr std::int64_t kPollExact = 128;

}  // namespace

namespace {

Vector3 operator-(const Vector3& x, const Vector3& y) { return {x.x - y.x, x.y - y.y, x.z - y.z}; }
double Dot(const Vector3& x, const Vector3& y) { return x.x * y.x + x.y * y.y + x.z * y.z; }
Vector3 Cross(const Vector3& x, const Vector3& y) {
  return {x.y * y.z - x.z * y.y, x.z * y.x - x.x * y.z, x.x * y.y - x.y * y.x};
}

// The distance from P (radians, as its DMS round trip) to the geodesic
// through A and B, found as EllipsoidalDeviation finds it (perpend) but
// starting from a first guess of the foot instead of from A: on long lines
// that saves most of the search. The guess is the foot on a sphere of mean
// radius, tan(t / R) = tan(dPA / R) cos(alpha), t along the line from A and
// alpha the angle at A between B and P; it only has to lie near the foot.
double DistanceToLine(const Geo_Line& ab_line, const Geo_Line& from_p_to_a, double p_lat,
                      double p_lon, DatumParams& datum) {
  const double alpha = from_p_to_a.az21.rad - ab_line.az12.rad;
  const double dPA = from_p_to_a.dist;
  const double t = kMeanRadius * std::atan(std::tan(dPA / kMeanRadius) * std::cos(alpha));
  Geo_Line guess = ab_line;
  guess.dist = std::fabs(t);
  if (t < 0.0) {
    guess.az12.rad = std::fmod(ab_line.az12.rad + kPi, 2.0 * kPi);
    Az12_To_DMS(guess);
  }
  Pos_Az_Dist(datum, guess);
  Geo_Line point = GeodesicLine(guess.P2.lat_rad, guess.P2.lon_rad, p_lat, p_lon);
  perpend(datum, ab_line, point);
  return point.dist;
}

}  // namespace

DeviationBound BoundDeviation(double a1, double a2, double b1, double b2, double p1, double p2,
                              double ab, DatumParams& datum) {
  const DeviationBound unbounded{kInf, kInf, kInf, kInf, 0.0, kInf, 1.0};
  if ((p1 == a1 && p2 == a2) || (p1 == b1 && p2 == b2)) return {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0};
  if (a1 == b1 && a2 == b2) return unbounded;
  if (!(std::fabs(a1) <= kMaxLatitude && std::fabs(b1) <= kMaxLatitude &&
        std::fabs(p1) <= kMaxLatitude && ab <= kMaxWideSide)) {
    return unbounded;
  }
  // P as the measure holds it after perpend: its DMS round trip, in radians.
  Geo_Line L2{};
  L2.P2.lat_rad = DegreesToRadians(p1);
  L2.P2.lon_rad = DegreesToRadians(p2);
  P2_To_DMS(L2);
  P2_To_Rad(L2);
  const double a_lat = DegreesToRadians(a1), a_lon = DegreesToRadians(a2);
  const double b_lat = DegreesToRadians(b1), b_lon = DegreesToRadians(b2);
  Geo_Line L3 = GeodesicLine(L2.P2.lat_rad, L2.P2.lon_rad, a_lat, a_lon);
  Geo_Line L4 = GeodesicLine(L2.P2.lat_rad, L2.P2.lon_rad, b_lat, b_lon);
  Pos_Pos(datum, L3);
  Pos_Pos(datum, L4);

  const double dPA = L3.dist;
  const double dPB = L4.dist;
  if (!(dPA <= kMaxWideSide && dPB <= kMaxWideSide)) return unbounded;
  const bool wide = ab > kMaxSide || dPA > kMaxSide || dPB > kMaxSide;
  const double nearer = dPA < dPB ? dPA : dPB;
  const double gamma = AngleAtPoint(L3.az12.rad, L4.az12.rad);

  const double end_upper = nearer + kEndSlop;
  double perp_upper = nearer + kFootBelowEnds;
  double h = kInf;
  if (gamma > kPi / 2.0 - kRightAngleBand) {
    if (wide) {
      Geo_Line ab_line = GeodesicLine(a_lat, a_lon, b_lat, b_lon);
      Pos_Pos(datum, ab_line);
      h = DistanceToLine(ab_line, L3, L2.P2.lat_rad, L2.P2.lon_rad, datum);
      perp_upper = std::min(perp_upper, h + kPerpendSlop + kWideSettleSlop);
    } else {
      h = dPA * dPB * std::sin(gamma) / ab;
      perp_upper = std::min(perp_upper, h * (1.0 + kShapeRelative) + kPerpendSlop);
    }
  }
  DeviationBound bound{0.0, 0.0, dPA, dPB, 0.0, perp_upper, 1.0};
  if (gamma <= kPi / 2.0 - kRightAngleBand) {
    bound.estimate = nearer;
    bound.upper = end_upper;
  } else if (gamma > kPi / 2.0 + kRightAngleBand) {
    bound.estimate = std::min(h, nearer);
    bound.upper = perp_upper;
    bound.obtuse_by = gamma - kPi / 2.0 - kRightAngleBand;
  } else {
    bound.estimate = std::max(nearer, h < kInf ? h : 0.0);
    bound.upper = std::max(end_upper, perp_upper);
  }
  // The azimuths at P turn faster than s / d on a curved surface: by at most
  // s sqrt(K) / sin(sqrt(K) d) where the curvature is at most K (Rauch's
  // comparison), that is s / d times x / sin(x), x = sqrt(K) d, largest at
  // the larger side; within 200 km x / sin(x) < 1 + 1.7e-4.
  const double x = std::max(dPA, dPB) / kMinCurvatureRadius;
  bound.turn_factor = (wide ? x / std::sin(x) : 1.0) * (1.0 + kRunRelative);
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
    // The caller's half may throw (a poll that stops the work): the helper's
    // half is still waited for, since it uses the job.
    std::exception_ptr error;
    try {
      job(0);
    } catch (...) {
      error = std::current_exception();
    }
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return finished_ == posted_; });
    job_ = nullptr;
    if (error) std::rethrow_exception(error);
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
                                                     bool prune, std::function<void()> poll)
    : lat_(std::move(latitudes)),
      lon_(std::move(longitudes)),
      datum_(static_cast<std::size_t>(threads >= 2 ? 2 : 1), datum),
      length_datum_(datum),
      prune_(prune) {
  if (datum_.size() == 2) pool_ = std::make_unique<Pool>();
  SetPoll(std::move(poll));
  // Every point on the unit sphere, and the track length: every consecutive
  // pair solved once, summed in point order.
  const auto n = static_cast<std::int64_t>(std::min(lat_.size(), lon_.size()));
  const auto steps = static_cast<std::size_t>(n >= 2 ? n - 1 : 0);
  ReserveInHugePages(unit_, static_cast<std::size_t>(n));
  ReserveInHugePages(step_, steps);
  ReserveInHugePages(step_azimuth_, steps);
  // Filling the room costs tens of milliseconds for a million points: a
  // stop asked for meanwhile is taken between the arrays.
  unit_.resize(static_cast<std::size_t>(n));
  Tick(1);
  step_.resize(steps);
  step_azimuth_.resize(steps);
  Tick(1);
  Spread(n, kParallelBounds, [&](std::int64_t begin, std::int64_t end, int thread) {
    DatumParams& datum = datum_[static_cast<std::size_t>(thread)];
    Geodesic_Point here;
    for (std::int64_t i = begin; i < end; ++i) {
      if (thread == 0) {
        Tick(kPollBounds);
      } else if (Abandoned()) {
        return;
      }
      const auto k = static_cast<std::size_t>(i);
      const double phi = DegreesToRadians(lat_[k]);
      const double lambda = DegreesToRadians(lon_[k]);
      unit_[k] = {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda),
                  std::sin(phi)};
      if (i == begin) here = Prepare_Geodesic_Point(datum, phi, lambda);
      if (i + 1 < n) {
        // Pos_Pos, as EllipsoidalSegmentLength solves the step, keeping the
        // azimuth too; each point is prepared once for its two steps. A
        // step that Pos_Pos refuses stays 0 m, as Pos_Pos leaves it.
        const Geodesic_Point next = Prepare_Geodesic_Point(datum, DegreesToRadians(lat_[k + 1]),
                                                           DegreesToRadians(lon_[k + 1]));
        Pos_Pos_Prepared(datum, here, next, step_[k], step_azimuth_[k]);
        here = next;
      }
    }
  });
  SetPoll({});
  if (n >= 2) {
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
      if (thread == 0) {
        Tick(kPollExact);
      } else if (Abandoned()) {
        return;
      }
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
      if (thread == 0) {
        Tick(kPollExact);
      } else if (Abandoned()) {
        return;
      }
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

AnchorRun::AnchorRun(const SegmentDirection& line, double ab) : line_(line), ab_(ab) {}

void AnchorRun::Start(const DeviationBound& anchor) {
  anchor_ = anchor;
  active_ = anchor.upper < kInf;
  s_ = 0.0;
  across_ = 0.0;
  steps_ = 0;
}

double AnchorRun::Step(double length, double azimuth) {
  s_ += length;
  ++steps_;
  if (line_.usable) {
    const double off_course = std::fabs(std::sin(azimuth - line_.azimuth));
    const double turned = (ab_ + s_ + anchor_.perp_upper + across_) * line_.turn_per_metre;
    across_ += (length + kStepSlop) * (off_course + turned + line_.azimuth_error) + kNudge;
  } else {
    across_ = kInf;
  }
  const double slack = s_ * (1.0 + kRunRelative) + kStepSlop * static_cast<double>(steps_);
  double upper = std::min(anchor_.dPA, anchor_.dPB) + slack + kRunEndSlop;
  const double dA = anchor_.dPA - s_;
  const double dB = anchor_.dPB - s_;
  if (anchor_.obtuse_by > 0.0 && dA > 0.0 && dB > 0.0 &&
      s_ * (1.0 / dA + 1.0 / dB) * anchor_.turn_factor < anchor_.obtuse_by) {
    upper = std::min(upper, anchor_.perp_upper + std::min(slack, across_) + kRunPerpendSlop);
  }
  return upper;
}

std::vector<double> EllipsoidalSegmentMeasure::SweptBounds(std::int64_t a, std::int64_t b,
                                                           std::int64_t every) {
  const double ab = SegmentLength(a, b);
  AnchorRun run(Direction(a, b, ab), ab);
  const auto ia = static_cast<std::size_t>(a);
  const auto ib = static_cast<std::size_t>(b);
  std::vector<double> bounds;
  for (std::int64_t p = a + 1; p < b; ++p) {
    const auto ip = static_cast<std::size_t>(p);
    if (run.Active() && (p - a - 1) % every != 0) {
      bounds.push_back(run.Step(step_[ip - 1], step_azimuth_[ip - 1]));
      continue;
    }
    const DeviationBound anchor =
        BoundDeviation(lat_[ia], lon_[ia], lat_[ib], lon_[ib], lat_[ip], lon_[ip], ab, datum_[0]);
    run.Start(anchor);
    bounds.push_back(anchor.upper);
  }
  return bounds;
}

SegmentDirection EllipsoidalSegmentMeasure::Direction(std::int64_t a, std::int64_t b,
                                                      double ab) {
  SegmentDirection d;
  if (!(ab >= kMinDirectedSide && ab <= kMaxWideSide)) return d;
  const auto ia = static_cast<std::size_t>(a);
  const auto ib = static_cast<std::size_t>(b);
  double max_z = 0.0;  // sine of the largest latitude of the segment's points
  for (std::size_t p = ia; p <= ib; ++p) max_z = std::max(max_z, std::fabs(unit_[p].z));
  Geo_Line line = GeodesicLine(DegreesToRadians(lat_[ia]), DegreesToRadians(lon_[ia]),
                           DegreesToRadians(lat_[ib]), DegreesToRadians(lon_[ib]));
  Pos_Pos(datum_[0], line);
  // The geodesic bulges poleward of its ends by about ab^2 tan(phi) / (8 R^2)
  // radians of latitude; twice that, and 1e-4 rad besides, covers it and the
  // short way from the points to the feet.
  const double phi_points = std::asin(std::min(1.0, max_z));
  const double bulge = ab * ab * std::tan(phi_points) / (4.0 * kMinCurvatureRadius *
                                                         kMinCurvatureRadius);
  const double phi = phi_points + bulge + 1e-4;
  if (!(phi <= DegreesToRadians(kMaxLatitude))) return d;
  d.usable = true;
  d.azimuth = line.az12.rad;
  d.turn_per_metre = std::tan(phi) / kMinCurvatureRadius;
  d.azimuth_error = kNudge / ab + 2.0 * kAzimuthError;
  return d;
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

  // 1. Seed: the point farthest from the segment on the unit sphere, where
  // the segment is an arc of the great circle with normal n = A x B (long
  // segments bow away from any plane picture of longitudes and latitudes).
  // Ranked by the sine of the angular distance, squared: (P.n)^2 / |n|^2
  // while P lies between the planes through n and A and through n and B,
  // else c^2 (1 - c^2 / 4) for the chord c to the nearer end.
  std::int64_t seed = a + 1;
  {
    const Vector3 va = unit_[ia];
    const Vector3 vb = unit_[ib];
    const Vector3 n = Cross(va, vb);
    const Vector3 u = Cross(n, va);
    const Vector3 v = Cross(vb, n);
    const double nn = Dot(n, n);
    double largest = -1.0;
    for (std::int64_t p = a + 1; p < b; ++p) {
      const Vector3 vp = unit_[static_cast<std::size_t>(p)];
      double key;
      if (nn > 0.0 && Dot(vp, u) >= 0.0 && Dot(vp, v) >= 0.0) {
        const double pn = Dot(vp, n);
        key = pn * pn / nn;
      } else {
        const double c2 = std::min(Dot(vp - va, vp - va), Dot(vp - vb, vp - vb));
        key = c2 * (1.0 - 0.25 * c2);
      }
      if (key > largest) {
        largest = key;
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
  const SegmentDirection line = Direction(a, b, ab);
  contenders_[0].clear();
  contenders_[1].clear();
  Spread(count, kParallelBounds, [&](std::int64_t begin, std::int64_t end, int thread) {
    DatumParams& datum = datum_[static_cast<std::size_t>(thread)];
    std::vector<Contender>& contenders = contenders_[static_cast<std::size_t>(thread)];
    AnchorRun run(line, ab);
    for (std::int64_t k = begin; k < end; ++k) {
      if (thread == 0) {
        Tick(kPollBounds);
      } else if (Abandoned()) {
        return;
      }
      const std::int64_t p = a + 1 + k;
      if (p == seed) {
        run.Stop();
        continue;
      }
      if (run.Active()) {
        const auto step = static_cast<std::size_t>(p - 1);
        if (!may_win(run.Step(step_[step], step_azimuth_[step]), p)) continue;
      }
      const auto ip = static_cast<std::size_t>(p);
      const DeviationBound anchor =
          BoundDeviation(lat_[ia], lon_[ia], lat_[ib], lon_[ib], lat_[ip], lon_[ip], ab, datum);
      run.Start(anchor);
      if (may_win(anchor.upper, p)) contenders.push_back({anchor.upper, p});
    }
  });
  std::vector<Contender>& all = contenders_[0];
  all.insert(all.end(), contenders_[1].begin(), contenders_[1].end());
  std::sort(all.begin(), all.end(), [](const Contender& x, const Contender& y) {
    return x.upper != y.upper ? x.upper > y.upper : x.index < y.index;
  });

  // 3. In order of falling bound, in batches spread over the threads. A
  // batch may measure a few contenders that the one before would have ruled
  // out; their bounds lie below the best by then, so they cannot win, and
  // batches that double in size from two keep the hand-overs between the
  // threads few (each costs about as much as a measure).
  std::size_t next = 0;
  std::size_t batch_size = 2;
  while (next < all.size()) {
    batch_.clear();
    while (batch_.size() < batch_size && next < all.size()) {
      const Contender& c = all[next];
      if (c.upper < best.deviation) {
        next = all.size();  // every later bound is lower still
        break;
      }
      ++next;
      if (can_win(c.upper, c.index)) batch_.push_back({c.index, 0.0});
    }
    if (batch_.empty()) break;
    const auto size = static_cast<std::int64_t>(batch_.size());
    Spread(size, kParallelExact, [&](std::int64_t begin, std::int64_t end, int thread) {
      for (std::int64_t i = begin; i < end; ++i) {
        if (thread == 0) {
          Tick(kPollExact);
        } else if (Abandoned()) {
          return;
        }
        Measured& m = batch_[static_cast<std::size_t>(i)];
        m.deviation = Deviation(a, b, m.index, thread);
      }
    });
    exact_measures_ += size;
    for (const Measured& m : batch_) consider(m.deviation, m.index);
    batch_size *= 2;
  }
  if (!found) return {0.0, a + 1};
  return best;
}

}  // namespace oru
