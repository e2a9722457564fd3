#include "track/ellipsoidal_shortcuts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "track/direction_wedge.h"
#include "track/ellipsoidal_measures.h"

namespace oru {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// Terms of the bounds (derivation in the header).
constexpr double kMeasureSlop = 0.1;        // metres
constexpr double kRadius = 6.3e6;           // metres, below every radius of curvature
constexpr double kCarryTurn = 0.03;         // metres: the ends' DMS carries, across A-B
constexpr double kGeodesicTurn = 0.001;     // times (L / R)^2, radians
constexpr double kCarryAngle = 0.03;        // metres: P's and the ends' carries, seen from P
constexpr double kMaxReach = 1.0e6;         // metres from A
constexpr double kMinLength = 1e-3;         // metres: shorter shortcuts are measured
constexpr double kMaxLatitude = 89.0;       // degrees
constexpr double kRoundingSlack = 0x1p-40;  // relative: the wedge's own rounding

double Slop(double s) { return kMeasureSlop + s * (s / kRadius) * (s / kRadius); }

double Turn(double length) {
  return kCarryTurn / length + kGeodesicTurn * (length / kRadius) * (length / kRadius);
}

}  // namespace

EllipsoidalShortcuts::EllipsoidalShortcuts(EllipsoidalSegmentMeasure& measure,
                                           const DatumParams& datum)
    : measure_(measure), datum_(datum) {
  const std::vector<double>& lat = measure_.Latitudes();
  const std::vector<double>& lon = measure_.Longitudes();
  const double e2 = datum_.f * (2.0 - datum_.f);
  geocentric_.resize(lat.size());
  for (std::size_t k = 0; k < lat.size(); ++k) {
    const double phi = DegreesToRadians(lat[k]);
    const double lambda = DegreesToRadians(lon[k]);
    const double sin_phi = std::sin(phi);
    const double nu = datum_.a / std::sqrt(1.0 - e2 * sin_phi * sin_phi);
    geocentric_[k] = {nu * std::cos(phi) * std::cos(lambda), nu * std::cos(phi) * std::sin(lambda),
                      nu * (1.0 - e2) * sin_phi};
  }
}

bool EllipsoidalShortcuts::Usable(std::int64_t k) const {
  const auto i = static_cast<std::size_t>(k);
  return std::fabs(measure_.Latitudes()[i]) <= kMaxLatitude &&
         std::fabs(measure_.Longitudes()[i]) <= 180.0;  // false for NaN
}

EllipsoidalShortcuts::Frame EllipsoidalShortcuts::FrameAt(std::int64_t i) const {
  const auto k = static_cast<std::size_t>(i);
  const double phi = DegreesToRadians(measure_.Latitudes()[k]);
  const double lambda = DegreesToRadians(measure_.Longitudes()[k]);
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double sl = std::sin(lambda), cl = std::cos(lambda);
  return {-sl, cl, 0.0, -sp * cl, -sp * sl, cp};
}

EllipsoidalShortcuts::PlanePoint EllipsoidalShortcuts::Project(const Frame& f, std::int64_t i,
                                                               std::int64_t k) const {
  const Geocentric& a = geocentric_[static_cast<std::size_t>(i)];
  const Geocentric& p = geocentric_[static_cast<std::size_t>(k)];
  const double dx = p.x - a.x, dy = p.y - a.y, dz = p.z - a.z;
  return {dx * f.ex + dy * f.ey + dz * f.ez, dx * f.nx + dy * f.ny + dz * f.nz,
          std::sqrt(dx * dx + dy * dy + dz * dz)};
}

EllipsoidalShortcuts::PointBounds EllipsoidalShortcuts::PlaneBounds(PlanePoint b,
                                                                    PlanePoint p) const {
  const PointBounds unbounded{-kInf, kInf};
  const double length = std::hypot(b.east, b.north);
  const double d_a = std::hypot(p.east, p.north);
  const double s = std::max(b.chord, p.chord);
  if (!(length >= kMinLength && s <= kMaxReach)) return unbounded;
  const double h = std::fabs(b.east * p.north - b.north * p.east) / length;
  const double slop = Slop(s);
  const double slop_h = slop + Turn(length) * p.chord;
  // The angle at P', between the directions to A' (the origin) and to B'.
  const double to_b_east = b.east - p.east, to_b_north = b.north - p.north;
  const double d_b = std::hypot(to_b_east, to_b_north);
  const double nearer = std::min(d_a, d_b);
  const double cos_angle_scaled = -(p.east * to_b_east + p.north * to_b_north);  // d_a d_b cos
  const double margin = kCarryAngle / nearer + (s / kRadius) * (s / kRadius) + 1e-9;
  const bool obtuse = margin < 1.0 && cos_angle_scaled < -std::sin(margin) * d_a * d_b;
  const double upper = obtuse ? h + slop_h : std::max(h + slop_h, nearer + slop);
  return {h - slop_h, upper};
}

EllipsoidalShortcuts::PointBounds EllipsoidalShortcuts::DeviationBounds(std::int64_t i,
                                                                        std::int64_t j,
                                                                        std::int64_t k) const {
  if (!(Usable(i) && Usable(j) && Usable(k))) return {-kInf, kInf};
  const Frame f = FrameAt(i);
  return PlaneBounds(Project(f, i, j), Project(f, i, k));
}

void EllipsoidalShortcuts::Open(std::int64_t i, double tolerance) {
  start_ = i;
  tolerance_ = tolerance;
  start_usable_ = Usable(i);
  frame_ = FrameAt(i);
}

void EllipsoidalShortcuts::ConstrainByPoint(DirectionWedge& wedge, std::int64_t k) const {
  if (!Usable(k)) return;
  const PlanePoint p = Project(frame_, start_, k);
  if (p.chord <= kMaxReach) {
    wedge.Constrain(p.east, p.north, tolerance_ + Slop(p.chord) + kRoundingSlack * p.chord);
  }
}

void EllipsoidalShortcuts::ConstrainByBlock(DirectionWedge& wedge, Block b) const {
  const std::int64_t begin = BlockBegin(b), end = BlockEnd(b, Size());
  if (b.level == 0) {
    for (std::int64_t k = begin; k < end; ++k) ConstrainByPoint(wedge, k);
    return;
  }
  for (const std::int64_t k : {begin, begin + (end - begin) / 2, end - 1})
    ConstrainByPoint(wedge, k);
}

std::int64_t EllipsoidalShortcuts::WalkPoints(DirectionWedge& wedge, std::int64_t begin,
                                              std::int64_t end,
                                              std::vector<std::int64_t>& ends) const {
  for (std::int64_t k = begin; k < end; ++k) {
    if (k == start_ + 1 || EndMayBeValid(wedge, k)) ends.push_back(k);
    ConstrainByPoint(wedge, k);
    if (wedge.Empty()) return k + 1;
  }
  return end;
}

bool EllipsoidalShortcuts::EndMayBeValid(const DirectionWedge& before, std::int64_t k) const {
  const PlanePoint p = Project(frame_, start_, k);
  // On the doubled circle the direction's slack doubles too.
  const double slack = 2.0 * Turn(std::hypot(p.east, p.north));
  return !(p.chord <= kMaxReach && slack < 0.5) || before.MayContainWithin(p.east, p.north, slack);
}

double EllipsoidalShortcuts::EndsLower(Block, const DirectionWedge& before) {
  return before.Empty() ? std::numeric_limits<double>::infinity() : 0.0;
}

ShortcutBounds EllipsoidalShortcuts::Bounds(std::int64_t j, double, bool decide) {
  using Validity = ShortcutBounds::Validity;
  const double t = tolerance_;
  const std::int64_t i = start_;
  if (j - i < 2) return {Validity::kValid, 0.0, 0.0};
  const bool bounded = Usable(i) && Usable(j);
  const PlanePoint b = Project(frame_, i, j);
  double lower = 0.0, upper = 0.0;
  for (std::int64_t k = i + 1; k < j; ++k) {
    const PointBounds bounds =
        bounded && Usable(k) ? PlaneBounds(b, Project(frame_, i, k)) : PointBounds{-kInf, kInf};
    lower = std::max(lower, bounds.lower);
    upper = std::max(upper, bounds.upper);
  }
  if (lower > t) return {Validity::kInvalid, lower, upper};
  if (!(upper <= t)) {
    if (!decide) return {Validity::kOpen, lower, upper};
    if (Weight(i, j, t, t).kind == WeightAnswer::Kind::kAbove) {
      return {Validity::kInvalid, lower, upper};
    }
    upper = t;
  }
  return {Validity::kValid, lower, upper};
}

WeightAnswer EllipsoidalShortcuts::Weight(std::int64_t i, std::int64_t j, double low, double high) {
  if (j - i < 2) return Classify(0.0, low, high);
  const bool bounded = Usable(i) && Usable(j);
  const Frame f = FrameAt(i);
  const PlanePoint b = Project(f, i, j);
  contenders_.clear();
  double largest_lower = -kInf;
  for (std::int64_t k = i + 1; k < j; ++k) {
    const PointBounds bounds =
        bounded && Usable(k) ? PlaneBounds(b, Project(f, i, k)) : PointBounds{-kInf, kInf};
    largest_lower = std::max(largest_lower, bounds.lower);
    if (!(bounds.upper <= low)) contenders_.push_back({bounds.upper, k});
  }
  // Some point lies beyond `high` beyond doubt.
  if (largest_lower > high) return {WeightAnswer::Kind::kAbove, 0.0};
  std::sort(contenders_.begin(), contenders_.end(), [](const Contender& x, const Contender& y) {
    return x.upper != y.upper ? x.upper > y.upper : x.index < y.index;
  });
  const std::vector<double>& lat = measure_.Latitudes();
  const std::vector<double>& lon = measure_.Longitudes();
  const auto a = static_cast<std::size_t>(i), e = static_cast<std::size_t>(j);
  double largest = 0.0;  // of the deviations measured; NaN never counts
  for (const Contender& c : contenders_) {
    if (c.upper <= std::max(largest, low)) break;  // no point left can matter
    const auto p = static_cast<std::size_t>(c.index);
    const double d = EllipsoidalDeviation(lat[a], lon[a], lat[e], lon[e], lat[p], lon[p], datum_);
    ++exact_measures_;
    if (d > largest) largest = d;
    if (largest > high) return {WeightAnswer::Kind::kAbove, 0.0};
  }
  return Classify(largest, low, high);
}

}  // namespace oru
