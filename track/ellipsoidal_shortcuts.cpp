#include "track/ellipsoidal_shortcuts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "track/direction_wedge.h"
#include "track/ellipsoidal_measures.h"

namespace oru {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Terms of the bounds (derivation in the header).
constexpr double kRadius = 6.3e6;           // metres, below every radius of curvature
constexpr double kPerRadius = 1.0 / kRadius;
constexpr double kGeodesicTurn = 0.001;     // times (L / R)^2, radians
constexpr double kAcrossShare = 0.01;       // of s (s / R)^2 across the line
constexpr double kThird = 1.0 / 3.0;        // of h (h / R)^2 across the line
constexpr double kMaxReach = 1.0e6;         // metres from A
constexpr double kMinLength = 1e-3;         // metres: shorter shortcuts are measured
constexpr double kMaxLatitude = 89.0;       // degrees
constexpr double kFootPlaceReach = 1.0e5;   // metres from A: FootPlaceClearOfCarries
constexpr double kRoundingSlack = 0x1p-40;  // relative: the wedge's own rounding
constexpr double kBoxRounding = 1e-6;       // metres: the boxes' plane images, rounded
constexpr double kPi = 3.14159265358979323846;
// Blocks up to this level (16 points) are bounded point by point when opened.
constexpr int kScoredLevel = 1;
// More contenders than this are left to the measure set's own search.
constexpr std::size_t kManyContenders = 32;
// The contenders measured first, best first, before the others are sought.
constexpr std::size_t kFirstContenders = 4;

int TopLevel(std::int64_t n) { return BlockLevels(n) - 1; }

using MeasureTerms = EllipsoidalShortcuts::MeasureTerms;
constexpr const MeasureTerms& kAnyPoints = EllipsoidalShortcuts::kAnyPoints;

// Of points all steady or not, whose feet stay clear of the carries or not.
const MeasureTerms& TermsOf(bool steady, bool feet_clear) {
  if (!steady) return kAnyPoints;
  return feet_clear ? EllipsoidalShortcuts::kSteadyPoints : EllipsoidalShortcuts::kSteadyEnds;
}
// Latitudes this far apart (11 mm) are never nudged together by Vincenty's
// inverse (reduced latitudes within 1e-12 radians).
constexpr double kApart = 1e-7;  // degrees
// The band of minutes below each whole minute whose DMS seconds carry
// (above 59.9995, a 1.2e-5 share of a minute), widened for the rounding of
// the conversions.
constexpr double kCarryBand = 1e-5;  // minutes

double Slop(double s, const MeasureTerms& terms = kAnyPoints) {
  return terms.slop + s * (s / kRadius) * (s / kRadius);
}

// The slop of h', a distance across the line A'B' (`h`: h' or more), beside
// turn(L) |P'| (the header): the measure's terms, the geodesic's parting
// from the normal section of its azimuth at A (a share of s (s / R)^2), and
// the plane's shortening of h itself (R sin(h / R) against h, doubled).
double AcrossSlop(double s, double h, const MeasureTerms& terms) {
  const double s_r = s * kPerRadius, h_r = h * kPerRadius;
  return terms.slop + kAcrossShare * s * s_r * s_r + kThird * h * h_r * h_r;
}

// Whether bounds leave it open which side of `limit` the deviation lies.
bool Straddle(const EllipsoidalShortcuts::PointBounds& b, double limit) {
  return b.lower <= limit && b.upper > limit;
}

// The length of a plane vector. Plane figures here stay below the Earth's
// diameter, whose square neither overflows nor loses more than an ulp or two
// (far below the slop): no need of hypot's care, which costs several times
// as much.
double Norm(double east, double north) { return std::sqrt(east * east + north * north); }

double Turn(double length, const MeasureTerms& terms) {
  return terms.turn / length + kGeodesicTurn * (length / kRadius) * (length / kRadius);
}

// Whether every angle within `reach` of `degrees` keeps its DMS round trip
// exact, where a minute of the angle spans `minute` (reach in the same
// unit): the minutes of its magnitude stay clear of the band below the next
// whole minute (and, with reach, of the one below the minute it has, and of
// the fold of the sign at 0).
bool ClearOfCarries(double degrees, double reach, double minute) {
  const double minutes = std::fabs(degrees) * 60.0;
  const double part = minutes - std::floor(minutes);
  return part * minute >= reach && (1.0 - kCarryBand - part) * minute > reach;
}

// The distance (metres) from x to the nearest place of a block's box.
double BoxDistance(const EllipsoidalBlocks::Box& box, const EllipsoidalBlocks::Point& x) {
  const double dx = x.x - box.centre.x, dy = x.y - box.centre.y, dz = x.z - box.centre.z;
  double sum = 0.0;
  for (int k = 0; k < 3; ++k) {
    const EllipsoidalBlocks::Point& axis = box.axis[k];
    const double out = std::fabs(dx * axis.x + dy * axis.y + dz * axis.z) - box.half[k];
    if (out > 0.0) sum += out * out;
  }
  return std::sqrt(sum);
}

}  // namespace

namespace {

std::vector<EllipsoidalBlocks::Point> GeocentricPoints(const EllipsoidalSegmentMeasure& measure,
                                                       const DatumParams& datum) {
  const std::vector<double>& lat = measure.Latitudes();
  const std::vector<double>& lon = measure.Longitudes();
  const double e2 = datum.f * (2.0 - datum.f);
  std::vector<EllipsoidalBlocks::Point> points(lat.size());
  for (std::size_t k = 0; k < lat.size(); ++k) {
    const double phi = DegreesToRadians(lat[k]);
    const double lambda = DegreesToRadians(lon[k]);
    const double sin_phi = std::sin(phi);
    const double nu = datum.a / std::sqrt(1.0 - e2 * sin_phi * sin_phi);
    points[k] = {nu * std::cos(phi) * std::cos(lambda), nu * std::cos(phi) * std::sin(lambda),
                 nu * (1.0 - e2) * sin_phi};
  }
  return points;
}

// Per point, how far (metres) every latitude and longitude that keeps its
// DMS round trip exact reaches about it: the distance to the nearest band
// of carrying seconds, across parallels and across meridians (a minute of
// longitude taken at the cosine of the point's latitude less 2e-4, its
// least within 900 m; no band lies farther than half a minute).
std::vector<double> Clearances(const EllipsoidalSegmentMeasure& measure, double minute) {
  const std::vector<double>& lat = measure.Latitudes();
  const std::vector<double>& lon = measure.Longitudes();
  auto clear = [](double degrees) {  // minutes
    const double minutes = std::fabs(degrees) * 60.0;
    const double part = minutes - std::floor(minutes);
    return std::max(0.0, std::min(part, 1.0 - kCarryBand - part));
  };
  std::vector<double> clearance(lat.size());
  for (std::size_t k = 0; k < lat.size(); ++k) {
    const double across = std::cos(DegreesToRadians(lat[k])) - 2e-4;
    clearance[k] = std::min(clear(lat[k]) * minute, clear(lon[k]) * minute * std::max(0.0, across));
  }
  return clearance;
}

// Per point k, the points before it that are not steady (n + 1 counts).
std::vector<std::int64_t> UnsteadyBefore(const EllipsoidalSegmentMeasure& measure) {
  const std::vector<double>& lat = measure.Latitudes();
  const std::vector<double>& lon = measure.Longitudes();
  std::vector<std::int64_t> before(lat.size() + 1, 0);
  for (std::size_t k = 0; k < lat.size(); ++k) {
    const bool steady = ClearOfCarries(lat[k], 0.0, 1.0) && ClearOfCarries(lon[k], 0.0, 1.0);
    before[k + 1] = before[k] + (steady ? 0 : 1);
  }
  return before;
}

std::vector<char> UsablePoints(const EllipsoidalSegmentMeasure& measure) {
  const std::vector<double>& lat = measure.Latitudes();
  const std::vector<double>& lon = measure.Longitudes();
  std::vector<char> usable(lat.size());
  for (std::size_t k = 0; k < lat.size(); ++k) {
    usable[k] = std::fabs(lat[k]) <= kMaxLatitude && std::fabs(lon[k]) <= 180.0;  // not NaN
  }
  return usable;
}

}  // namespace

EllipsoidalShortcuts::EllipsoidalShortcuts(EllipsoidalSegmentMeasure& measure,
                                           const DatumParams& datum)
    : measure_(measure),
      geocentric_(GeocentricPoints(measure, datum)),
      usable_(UsablePoints(measure)),
      unsteady_before_(UnsteadyBefore(measure)),
      blocks_(geocentric_, usable_),
      datum_(datum),
      e2_(datum.f * (2.0 - datum.f)),
      minute_(datum.a * (1.0 - e2_) * kPi / 10800.0),
      clearance_(Clearances(measure, minute_)) {}

bool EllipsoidalShortcuts::Usable(std::int64_t k) const {
  return usable_[static_cast<std::size_t>(k)] != 0;
}

bool EllipsoidalShortcuts::Steady(std::int64_t begin, std::int64_t end) const {
  return unsteady_before_[static_cast<std::size_t>(end)] ==
         unsteady_before_[static_cast<std::size_t>(begin)];
}

EllipsoidalShortcuts::Frame EllipsoidalShortcuts::FrameAt(std::int64_t i) const {
  const auto k = static_cast<std::size_t>(i);
  const double phi = DegreesToRadians(measure_.Latitudes()[k]);
  const double lambda = DegreesToRadians(measure_.Longitudes()[k]);
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double sl = std::sin(lambda), cl = std::cos(lambda);
  // Radii of curvature: N = a / w across the meridian, M = a (1 - e^2) / w^3
  // along it, w = sqrt(1 - e^2 sin^2(latitude)).
  const double w = std::sqrt(1.0 - e2_ * sp * sp);
  const double across = datum_.a / w, along = datum_.a * (1.0 - e2_) / (w * w * w);
  constexpr double kDegrees = 180.0 / kPi;
  return {-sl,
          cl,
          0.0,
          -sp * cl,
          -sp * sl,
          cp,
          measure_.Latitudes()[k],
          measure_.Longitudes()[k],
          kDegrees / along,
          kDegrees / (across * cp),
          (3.0 + 2.0 * std::fabs(sp / cp)) / kRadius,
          std::fabs(cp)};
}

EllipsoidalShortcuts::PlanePoint EllipsoidalShortcuts::Project(const Frame& f, std::int64_t i,
                                                               std::int64_t k) const {
  const Geocentric& a = geocentric_[static_cast<std::size_t>(i)];
  const Geocentric& p = geocentric_[static_cast<std::size_t>(k)];
  const double dx = p.x - a.x, dy = p.y - a.y, dz = p.z - a.z;
  return {dx * f.ex + dy * f.ey + dz * f.ez, dx * f.nx + dy * f.ny + dz * f.nz,
          std::sqrt(dx * dx + dy * dy + dz * dz)};
}

EllipsoidalShortcuts::PlanePoint EllipsoidalShortcuts::FromStart(const Geocentric& x) const {
  const Geocentric& a = geocentric_[static_cast<std::size_t>(start_)];
  const Frame& f = frame_;
  const double dx = x.x - a.x, dy = x.y - a.y, dz = x.z - a.z;
  return {dx * f.ex + dy * f.ey + dz * f.ez, dx * f.nx + dy * f.ny + dz * f.nz,
          std::sqrt(dx * dx + dy * dy + dz * dz)};
}

bool EllipsoidalShortcuts::FeetClearOfCarries(const Segment& seg, double u_lo, double u_hi,
                                             double s) const {
  // The plane feet from u_lo to u_hi along A'B', taken to degrees by the
  // radii of curvature at A: their middle and half their spread north and
  // east.
  const Frame& f = seg.f;
  const double scale = 0.5 * seg.per_length;
  const double mid = (u_lo + u_hi) * scale, half = (u_hi - u_lo) * scale;
  const double north = mid * seg.b.north, north_spread = half * std::fabs(seg.b.north);
  const double east = mid * seg.b.east, east_spread = half * std::fabs(seg.b.east);
  const double lat = f.lat + north * f.lat_per_metre;
  double lon = f.lon + east * f.lon_per_metre;
  if (lon > 180.0) lon -= 360.0;
  if (lon < -180.0) lon += 360.0;
  const double reach = 1.0 + s * s * f.reach_per_square;  // metres
  // The cosine of every latitude within reach of the feet, at least (the
  // cosine changes by no more than the angle, in units of R).
  const double cos_lat = f.cos_lat - (std::fabs(north) + north_spread + reach) * kPerRadius;
  return cos_lat > 0.01 && ClearOfCarries(lat, north_spread + reach, minute_) &&
         ClearOfCarries(lon, east_spread + reach, minute_ * cos_lat);
}

bool EllipsoidalShortcuts::FootPlaceClearOfCarries(const Segment& seg, double u, double s) const {
  // Where the reach of the radii of curvature at A is too wide (long
  // lines: 45 m at 7 km and 54N), the plane foot's place on the ellipsoid
  // itself: the point of the tangent plane at A, u along A'B', taken to
  // geodetic latitude and longitude (Bowring, Survey Review 23 (181), 1976:
  // within micrometres at the heights of a tangent plane within 100 km of
  // A, 800 m). That drops it along the normal at the foot rather than at A,
  // h u / R <= s^3 / 2R^2 apart (h = u^2 / 2R its height), and perpend's
  // feet lie within 2 s^3 / R^2 of the plane foot (the header): no foot
  // carries where that place lies farther than 1 m + 4 s^3 / R^2 from every
  // latitude and longitude whose seconds carry.
  if (!(s <= kFootPlaceReach)) return false;
  const Frame& f = seg.f;
  const double east = u * seg.b.east * seg.per_length, north = u * seg.b.north * seg.per_length;
  const Geocentric& a = geocentric_[static_cast<std::size_t>(seg.i)];
  const double x = a.x + east * f.ex + north * f.nx;
  const double y = a.y + east * f.ey + north * f.ny;
  const double z = a.z + east * f.ez + north * f.nz;
  const double b = datum_.a * std::sqrt(1.0 - e2_), second = e2_ / (1.0 - e2_);
  const double p = std::sqrt(x * x + y * y);
  const double theta = std::atan2(z * datum_.a, p * b);
  const double sin_t = std::sin(theta), cos_t = std::cos(theta);
  const double phi = std::atan2(z + second * b * sin_t * sin_t * sin_t,
                                p - e2_ * datum_.a * cos_t * cos_t * cos_t);
  constexpr double kDegrees = 180.0 / kPi;
  const double reach = 1.0 + 4.0 * s * (s * kPerRadius) * (s * kPerRadius);  // metres
  const double cos_lat = std::cos(phi) - reach * kPerRadius;
  return cos_lat > 0.01 && ClearOfCarries(phi * kDegrees, reach, minute_) &&
         ClearOfCarries(std::atan2(y, x) * kDegrees, reach, minute_ * cos_lat);
}

EllipsoidalShortcuts::PointBounds EllipsoidalShortcuts::PlaneBounds(const Segment& seg,
                                                                    std::int64_t k,
                                                                    bool foot_place,
                                                                    PointBounds* clear) const {
  const PlanePoint p = Project(seg.f, seg.i, k);
  const double s = std::max(seg.b.chord, p.chord);
  if (!(seg.length >= kMinLength && s <= kMaxReach)) return {-kInf, kInf};
  const PlaneFigures figures = FiguresOf(seg, p, s);
  if (NearB(seg.length, figures.along, figures.along, figures.h, s)) return {-kInf, kInf};
  if (seg.steady && Steady(k, k + 1)) {
    // Where the measure takes the end distance, or perpend's feet stay
    // clear of the carries, it adds no more than Vincenty's nudges.
    const PlaneFigures::Bounded steady = figures.With(kSteadyPoints, seg.turn[1]);
    if (steady.end_distance || FeetClearOfCarries(seg, figures.along, figures.along, s) ||
        (foot_place && FootPlaceClearOfCarries(seg, figures.along, s))) {
      if (Quiet(seg, figures, steady.end_distance)) {
        return figures.With(kQuietPoints, seg.turn[3]).bounds;
      }
      return Calm(seg, figures) ? figures.With(kCalmPoints, seg.turn[2]).bounds : steady.bounds;
    }
    if (clear != nullptr) *clear = steady.bounds;
    return figures.With(kSteadyEnds, seg.turn[1]).bounds;  // the turn of steady points
  }
  return figures.With(kAnyPoints, seg.turn[0]).bounds;
}

bool EllipsoidalShortcuts::NearB(double length, double u_lo, double u_hi, double h, double s) {
  // perpend's feet lie within s^3 / R^2 of the plane's (its first move, the
  // plane's shortening of distances from A), plus 2 cm; then within
  // 0.25 sqrt(h) of B, compared squared.
  const double beyond =
      std::max(length - u_hi, u_lo - length) - 0.02 - s * (s * kPerRadius) * (s * kPerRadius);
  return beyond < 0.0 || beyond * beyond < 0.0625 * h;
}

bool EllipsoidalShortcuts::Calm(const Segment& seg, const PlaneFigures& figures) const {
  return figures.h > 0.1 && seg.apart;
}

bool EllipsoidalShortcuts::Quiet(const Segment& seg, const PlaneFigures& figures,
                                 bool end_distance) const {
  // A nudge of an inverse problem between P and an end moves a point
  // 3.2 mm square to their line (they lie on one parallel): their distance
  // by its square over twice the distance, 20 micrometres beyond 25 cm.
  // (The line's own nudge needs ends within 6.4 micrometres of one
  // latitude: the line then runs east-west within 6.4 micrometres over its
  // length, and the east reach below stays short of the turn of the plane
  // but for lines under 4 m, where the points that take the perpendicular
  // lie within half the line of it and reach 3.2 micrometres at most.)
  if (!(std::min(figures.d_a, figures.d_b) > 0.25)) return false;
  if (end_distance) return true;
  // The inverse problems from perpend's feet to P nudge or take a zero
  // difference of longitude only where a foot lies within 1e-12 radians
  // (6.4 micrometres) of P's latitude or longitude. The feet lie within
  // s^3 / R^2 of the plane foot (twice that with the plane's own error),
  // and the plane at A turns north and east by less than s (1 + |tan|) / R
  // against those at P: the perpendicular's reach east and north, less
  // that, must exceed 10 micrometres and both.
  const double s = figures.s;
  const double stray = 1e-5 + 2.0 * s * (s * kPerRadius) * (s * kPerRadius);
  const double turned = figures.h * s * seg.f.reach_per_square;
  const double east = figures.h * std::fabs(seg.b.north) * seg.per_length;
  const double north = figures.h * std::fabs(seg.b.east) * seg.per_length;
  return std::min(east, north) - turned > stray;
}

EllipsoidalShortcuts::PlaneFigures EllipsoidalShortcuts::FiguresOf(const Segment& seg,
                                                                   PlanePoint p,
                                                                   double s) const {
  const PlanePoint& b = seg.b;
  PlaneFigures figures;
  figures.s = s;
  figures.h = std::fabs(b.east * p.north - b.north * p.east) * seg.per_length;
  figures.along = (p.east * b.east + p.north * b.north) * seg.per_length;
  // Plane distances of at most kMaxReach: their squares neither overflow
  // nor lose more than an ulp or two, far below the slop.
  figures.d_a = std::sqrt(p.east * p.east + p.north * p.north);
  // The angle at P', between the directions to A' (the origin) and to B'.
  const double to_b_east = b.east - p.east, to_b_north = b.north - p.north;
  figures.d_b = std::sqrt(to_b_east * to_b_east + to_b_north * to_b_north);
  figures.cos_angle_scaled = -(p.east * to_b_east + p.north * to_b_north);
  figures.chord = p.chord;
  return figures;
}

EllipsoidalShortcuts::PlaneFigures::Bounded EllipsoidalShortcuts::PlaneFigures::With(
    const MeasureTerms& terms, double turn) const {
  const double curvature = (s * kPerRadius) * (s * kPerRadius);  // (s / R)^2
  const double slop = terms.slop + s * curvature;
  const double slop_h = AcrossSlop(s, h, terms) + turn * chord;
  const double nearer = std::min(d_a, d_b), farther = std::max(d_a, d_b);
  // The margin of the angle, terms.angle / nearer + (s / R)^2 + 1e-9
  // radians, times d_a d_b: no division.
  const double bend = curvature + 1e-9;
  const bool narrow = terms.angle < (1.0 - bend) * nearer;  // margin < 1
  const double margin_scaled = terms.angle * farther + bend * d_a * d_b;
  // The angle exceeds a right angle by more than the margin where its
  // cosine lies below -sin(margin); -margin, below that, is as certain.
  const bool obtuse = narrow && cos_angle_scaled < -margin_scaled;
  const double upper = obtuse ? h + slop_h : std::max(h + slop_h, nearer + slop);
  // Short of a right angle by more than the margin, as certain: the measure
  // takes the end distance, which the plane's is within the slop of.
  const bool acute = narrow && cos_angle_scaled > margin_scaled;
  const double lower = acute ? std::max(h - slop_h, nearer - slop) : h - slop_h;
  return {{lower, upper}, acute};
}

EllipsoidalShortcuts::PointBounds EllipsoidalShortcuts::DeviationBounds(std::int64_t i,
                                                                        std::int64_t j,
                                                                        std::int64_t k,
                                                                        bool foot_place) const {
  return PointBoundsOf(SegmentOf(i, j), k, foot_place);
}

double EllipsoidalShortcuts::DeviationUpper(std::int64_t i, std::int64_t j, Block b) const {
  return BlockUpper(SegmentOf(i, j), b);
}

void EllipsoidalShortcuts::Open(std::int64_t i, double tolerance, bool keep_findings) {
  start_ = i;
  tolerance_ = tolerance;
  start_usable_ = Usable(i);
  start_steady_ = Steady(i, i + 1);
  frame_ = FrameAt(i);
  // The far point found last, kept where the labels search for the worst:
  // the next start's shortcuts mostly pass it too.
  if (keep_findings) {
    witnesses_.KeepLast();
  } else {
    witnesses_.Clear();
  }
  beyond_closed_.clear();
  open_.clear();
  open_next_ = 0;
}

double EllipsoidalShortcuts::ArcTolerance(const PlanePoint& p, std::int64_t k) const {
  // Lines from A whose distance from P exceeds the tolerance by the slop of
  // any points are ruled out by that; the feet of the others lie within that
  // distance of P (plus perpend's first move, below s^2 / R): where A and P
  // are steady, the terms of steady points hold, those whose feet may carry
  // unless no carry lies within reach of P.
  const double s = p.chord;
  const double reach = 1.0 + 1.01 * (tolerance_ + kAnyPoints.slop) + s * s * kPerRadius;
  const double clearance = clearance_[static_cast<std::size_t>(k)];
  return tolerance_ + Slop(s, TermsOf(start_steady_ && Steady(k, k + 1), clearance > reach)) +
         kRoundingSlack * s;
}

void EllipsoidalShortcuts::ConstrainByPoint(DirectionWedge& wedge, std::int64_t k) const {
  if (!Usable(k)) return;
  const PlanePoint p = Project(frame_, start_, k);
  if (p.chord <= kMaxReach) wedge.Constrain(p.east, p.north, ArcTolerance(p, k), k);
}

bool EllipsoidalShortcuts::ArcMayFail(std::int64_t c, const PlanePoint& end,
                                      std::int64_t j) const {
  if (c < 0) return true;
  const PlanePoint p = Project(frame_, start_, c);
  return ArcMayFailAt(p, ArcTolerance(p, c), end, j);
}

bool EllipsoidalShortcuts::ArcMayFailAt(const PlanePoint& p, double tolerance,
                                        const PlanePoint& end, std::int64_t j) const {
  const double length = Norm(end.east, end.north);
  if (!(length > 0.0)) return false;  // the measure takes the distance from A
  const double along = (p.east * end.east + p.north * end.north) / length;
  const double h = std::fabs(end.east * p.north - end.north * p.east) / length;
  // The arc holds the end's azimuth, whatever its turn: it rules nothing out.
  if (along > 0.0 && h + Turn(length, kAnyPoints) * p.chord < tolerance) return false;
  const double s = std::max(end.chord, p.chord);
  if (!NearB(length, along, along, h, s)) return false;
  // Where the measure certainly takes the nearer end's distance, perpend
  // does not run.
  const Segment seg = SegmentFromStart(j);
  return !FiguresOf(seg, p, s).With(kAnyPoints, seg.turn[0]).end_distance;
}

EllipsoidalShortcuts::FailZone EllipsoidalShortcuts::FailZoneOf(const PlanePoint& p) {
  // An end whose line the arc of P may fail has P's foot near it (NearB:
  // |L - u| <= x = 0.25 sqrt(h) + 0.02 + s^3 / R^2) and the angle at P' not
  // certainly acute: h^2 - u (L - u) <= 0.03 farther + bend d_a d_b, so
  //     h^2 <= r x + 0.03 (r + h + x) + bend r (h + x),
  // r = |AP| >= u, d_a; each pass from h = r keeps an upper bound of h (and
  // of x, taken at the h before), and five come within a few per cent of
  // the least. The end then lies within D = h + x of P' in the plane (or
  // within 3 cm, where the angle's margin leaves nothing certain), and in
  // space within that and the difference of the two heights over the
  // plane, (2r + D) D / 2R; and at a plane distance from A' within x of u,
  // u^2 = |P'|^2 - h^2.
  const double r = p.chord;
  double h = r, x = 0.0;
  for (int pass = 0; pass < 5; ++pass) {
    const double s = r + 2.0 * (h + x) + 1.0;
    const double curvature = (s * kPerRadius) * (s * kPerRadius);
    x = 0.25 * std::sqrt(h) + 0.02 + s * curvature;
    const double bend = curvature + 1e-9;
    h = std::min(h, std::sqrt(r * x + 0.03 * (r + h + x) + bend * r * (h + x)));
  }
  const double plane = std::max(h + x, 0.05);
  const double radius = Norm(p.east, p.north);
  return {plane * (1.0 + 1.1 * (2.0 * r + plane) * kPerRadius) + 1e-3,
          std::sqrt(std::max(0.0, radius * radius - h * h)) - x - 0.05, radius + x + 0.05};
}

template <typename Visit>
void EllipsoidalShortcuts::ForEachWithin(const Geocentric& x, double radius, std::int64_t begin,
                                         std::int64_t end, Visit visit) const {
  // Blocks whose boxes lie farther than radius from x are left whole.
  const double radius2 = radius * radius;
  auto point = [&](std::int64_t k) {
    const Geocentric& q = geocentric_[static_cast<std::size_t>(k)];
    const double dx = q.x - x.x, dy = q.y - x.y, dz = q.z - x.z;
    if (dx * dx + dy * dy + dz * dz <= radius2) visit(k);
  };
  auto block = [&](auto& self, Block b) -> void {
    if (b.level >= 1 && blocks_.HasBox(b) && BoxDistance(blocks_.BoxOf(b), x) > radius) return;
    if (b.level == 0) {
      for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, Size()); ++k) point(k);
      return;
    }
    for (int side = 0; side < 2; ++side) {
      const Block child = ChildBlock(b, side);
      if (BlockBegin(child) < Size()) self(self, child);
    }
  };
  ForEachPiece(begin, end, TopLevel(Size()), point, [&](Block b) { block(block, b); });
}

const std::vector<std::int64_t>& EllipsoidalShortcuts::LaterNear(std::int64_t c,
                                                                 double radius) const {
  NearLater& kept = near_later_[static_cast<std::size_t>(c) % near_later_.size()];
  if (kept.point == c && kept.radius >= radius) return kept.later;
  // Twice as far as asked: the starts that follow mostly ask of the same
  // point again, from a little farther or nearer.
  kept.point = -1;
  kept.radius = 2.0 * radius;
  kept.later.clear();
  ForEachWithin(geocentric_[static_cast<std::size_t>(c)], kept.radius, c + 1, Size(),
                [&](std::int64_t k) { kept.later.push_back(k); });
  if (kept.later.size() > kNearLaterKept) {
    // A cluster: served this once, not kept.
    overflow_.swap(kept.later);
    kept.later.clear();
    return overflow_;
  }
  kept.point = c;
  return kept.later;
}

bool EllipsoidalShortcuts::FindEndsArcsMayFail(const DirectionWedge& wedge, std::int64_t begin,
                                               std::int64_t end,
                                               std::vector<std::int64_t>* found) const {
  const std::int64_t named[2] = {wedge.LoBy(), wedge.HiBy()};
  if (named[0] < 0 || named[1] < 0) {
    // A point not named: every end may be valid.
    if (found != nullptr) {
      for (std::int64_t k = begin; k < end; ++k) found->push_back(k);
    }
    return begin < end;
  }
  const std::size_t first = found != nullptr ? found->size() : 0;
  const Geocentric& a = geocentric_[static_cast<std::size_t>(start_)];
  bool any = false;
  for (int i = 0; i < (named[0] == named[1] ? 1 : 2) && (found != nullptr || !any); ++i) {
    const std::int64_t c = named[i];
    const PlanePoint p = Project(frame_, start_, c);
    const double tolerance = ArcTolerance(p, c);
    const FailZone zone = FailZoneOf(p);
    const double near = std::max(0.0, zone.near_a);
    // A surface point d from A lies no farther than d^2 / 2R below the plane
    // at A (the surface holds a ball of radius R touching it there), so its
    // plane distance lies between d sqrt(1 - (d / 2R)^2) and d: most of the
    // points about P lie outside the zone by their chords alone (with a
    // margin for the rounding of both).
    const double near_chord2 = near * near * (1.0 - 1e-9);
    const double far_plane2 = zone.far_a * zone.far_a * (1.0 + 1e-9);
    auto test = [&](std::int64_t k) {
      if (any && found == nullptr) return;
      const Geocentric& q = geocentric_[static_cast<std::size_t>(k)];
      const double dx = q.x - a.x, dy = q.y - a.y, dz = q.z - a.z;
      const double d2 = dx * dx + dy * dy + dz * dz;
      if (d2 < near_chord2 || d2 * (1.0 - 0.25 * d2 * kPerRadius * kPerRadius) > far_plane2) {
        return;
      }
      const PlanePoint e = Project(frame_, start_, k);
      const double plane = e.east * e.east + e.north * e.north;
      if (!(plane >= near * near && plane <= zone.far_a * zone.far_a &&
            ArcMayFailAt(p, tolerance, e, k))) {
        return;
      }
      any = true;
      if (found != nullptr) found->push_back(k);
    };
    const std::vector<std::int64_t>& later = LaterNear(c, zone.reach);
    for (auto k = std::lower_bound(later.begin(), later.end(), begin);
         k != later.end() && *k < end; ++k) {
      test(*k);
    }
  }
  if (found != nullptr) {
    // The two points' ends, each ascending, merged.
    const auto from = found->begin() + static_cast<std::ptrdiff_t>(first);
    std::inplace_merge(from, std::is_sorted_until(from, found->end()), found->end());
    found->erase(std::unique(from, found->end()), found->end());
  }
  return any;
}

void EllipsoidalShortcuts::ConstrainByBlock(DirectionWedge& wedge, Block b) const {
  if (b.level == 0) {
    for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, Size()); ++k) ConstrainByPoint(wedge, k);
    return;
  }
  for (const std::int64_t r : blocks_.Representatives(b)) ConstrainByPoint(wedge, r);
}

std::int64_t EllipsoidalShortcuts::WalkPoints(DirectionWedge& wedge, std::int64_t begin,
                                              std::int64_t end,
                                              std::vector<std::int64_t>& ends) const {
  for (std::int64_t k = begin; k < end; ++k) {
    if (k == start_ + 1 || EndMayBeValid(wedge, k)) ends.push_back(k);
    ConstrainByPoint(wedge, k);
    if (wedge.Empty()) {
      // The ends beyond that the two arcs that closed it may fail.
      FindEndsArcsMayFail(wedge, k + 1, Size(), &beyond_closed_);
      return k + 1;
    }
  }
  return end;
}

bool EllipsoidalShortcuts::EndMayBeValid(const DirectionWedge& before, std::int64_t k) const {
  const PlanePoint p = Project(frame_, start_, k);
  // B' lies within turn(L) of the direction of the geodesic's azimuth at A
  // (the sine of an angle is below the angle).
  const double slack =
      Turn(Norm(p.east, p.north), TermsOf(start_steady_ && Steady(k, k + 1), true));
  if (!(p.chord <= kMaxReach && slack < 0.5)) return true;
  // An empty wedge rules the end out by one of the two arcs that do not
  // meet; one that is not rules it out by the arc whose boundary it
  // passes. Either holds unless that arc may fail for this end.
  if (before.Empty()) return ArcMayFail(before.LoBy(), p, k) || ArcMayFail(before.HiBy(), p, k);
  const DirectionWedge::Outside outside = before.OutsideWithin(p.east, p.north, slack);
  const bool ruled_out = (outside.lo && !ArcMayFail(before.LoBy(), p, k)) ||
                         (outside.hi && !ArcMayFail(before.HiBy(), p, k));
  return !ruled_out;
}

double EllipsoidalShortcuts::EndsLower(Block b, const DirectionWedge& before) {
  const std::int64_t begin = BlockBegin(b), end = BlockEnd(b, Size());
  if (before.Empty() && !FindEndsArcsMayFail(before, begin, end, nullptr)) return kInf;
  if (!start_usable_ || b.level == 0 || !blocks_.HasBox(b)) return 0.0;
  std::optional<BoxImage> image;
  // The direction of the box's centre lies in the cone of its image: where
  // the wedge may hold it, the cone meets the wedge.
  const PlanePoint centre = FromStart(blocks_.BoxOf(b).centre);
  if (!before.Empty() && !before.MayContain(centre.east, centre.north)) {
    image = ImageOf(b);
    if (DirectionsMiss(*image, b, before)) return kInf;
  }
  // Each witness between the start and the block lies between the ends of
  // every shortcut to it.
  double lower = 0.0;
  for (const std::int64_t w : witnesses_.Points()) {
    if (!(w > start_ && w < begin && Usable(w))) continue;
    if (!image) image = ImageOf(b);
    lower = std::max(lower, WitnessLower(*image, b, w));
  }
  return lower;
}

bool EllipsoidalShortcuts::DirectionsMiss(const BoxImage& box, Block b,
                                          const DirectionWedge& before) const {
  const std::int64_t begin = BlockBegin(b), end = BlockEnd(b, Size());
  if (begin <= start_ + 1 || !(box.chord <= kMaxReach && box.near >= kMinLength)) return false;
  const MeasureTerms& terms = TermsOf(start_steady_ && Steady(begin, end), true);
  const double far = box.far * kPerRadius;
  // Every end's direction within turn(L) of its azimuth, L from near to
  // far; the corners' images within the box's rounding of their places.
  const double turn = terms.turn / box.near + kGeodesicTurn * far * far + kBoxRounding / box.near;
  if (!(turn < 0.5)) return false;
  // The most clockwise and counter-clockwise corners, by the tangents of
  // their angles from the corners' sum (every corner lies ahead of it: the
  // box's image keeps away from A').
  double r_east = 0.0, r_north = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    r_east += box.east[corner];
    r_north += box.north[corner];
  }
  int lo = 0, hi = 0;
  double t_lo = kInf, t_hi = -kInf;
  for (int corner = 0; corner < 8; ++corner) {
    const double dot = r_east * box.east[corner] + r_north * box.north[corner];
    if (!(dot > 0.0)) return false;
    const double t = (r_east * box.north[corner] - r_north * box.east[corner]) / dot;
    if (t < t_lo) {
      t_lo = t;
      lo = corner;
    }
    if (t > t_hi) {
      t_hi = t;
      hi = corner;
    }
  }
  // Turned out by `turn` radians each way, within a quarter circle.
  const double c = std::cos(turn), s = std::sin(turn);
  const double lo_east = box.east[lo] * c + box.north[lo] * s;
  const double lo_north = box.north[lo] * c - box.east[lo] * s;
  const double hi_east = box.east[hi] * c - box.north[hi] * s;
  const double hi_north = box.north[hi] * c + box.east[hi] * s;
  const bool ahead = lo_east * hi_east + lo_north * hi_north > 0.0;
  const bool turning = lo_east * hi_north - lo_north * hi_east > 0.0;
  if (!(ahead && turning) || before.MayMeetArc(lo_east, lo_north, hi_east, hi_north)) return false;
  return !FindEndsArcsMayFail(before, begin, end, nullptr);
}

EllipsoidalShortcuts::BoxImage EllipsoidalShortcuts::ImageOf(Block b) const {
  // The box's centre c' and axes g_k in the plane at A: its corners are
  // c' +- e_1 g_1 +- e_2 g_2 +- e_3 g_3, and every point of the box lies
  // in their convex hull (as BlockUpper).
  const EllipsoidalBlocks::Box& box = blocks_.BoxOf(b);
  const Frame& f = frame_;
  const PlanePoint c = FromStart(box.centre);
  const double c_east = c.east, c_north = c.north;
  double g_east[3], g_north[3], spread = 0.0, reach = 0.0;
  for (int k = 0; k < 3; ++k) {
    const EllipsoidalBlocks::Point& axis = box.axis[k];
    g_east[k] = box.half[k] * (axis.x * f.ex + axis.y * f.ey + axis.z * f.ez);
    g_north[k] = box.half[k] * (axis.x * f.nx + axis.y * f.ny + axis.z * f.nz);
    spread += Norm(g_east[k], g_north[k]);
    reach += box.half[k] * box.half[k];
  }
  BoxImage image{};
  for (int corner = 0; corner < 8; ++corner) {
    double east = c_east, north = c_north;
    for (int k = 0; k < 3; ++k) {
      const double sign = (corner >> k) & 1 ? 1.0 : -1.0;
      east += sign * g_east[k];
      north += sign * g_north[k];
    }
    image.east[corner] = east;
    image.north[corner] = north;
    image.length[corner] = Norm(east, north);
  }
  const double centre = Norm(c_east, c_north);
  image.near = centre - spread - kBoxRounding;
  image.far = centre + spread + kBoxRounding;
  image.chord = c.chord + std::sqrt(reach);
  return image;
}

double EllipsoidalShortcuts::WitnessLower(const BoxImage& box, Block b, std::int64_t k) const {
  // P' lies on one side of every line from A' through a corner: then on
  // that side of every line through the box, whose directions are the
  // corners' combined with weights of one sign, and at least the least of
  // the corners' distances from it (the cross product is linear, the length
  // of the combination at most the combined lengths). That is h' for every
  // end in the box, and the measure lies above h' less the slop of the
  // weights' bounds (the header), with s the farther chord and turn(L)
  // taken at L from near to far: unless P's foot lies near B (NearB), which
  // needs |L - u| within 0.02 + s^3 / R^2 + 0.25 sqrt(h): L - u is at least
  // near - |P'| and h at most |P'|.
  const PlanePoint p = Project(frame_, start_, k);
  const double s = std::max(box.chord, p.chord);
  const double radius = Norm(p.east, p.north);
  if (!(s <= kMaxReach && box.near >= kMinLength)) return 0.0;
  const double beyond = box.near - radius - 0.02 - s * (s * kPerRadius) * (s * kPerRadius);
  if (!(beyond > 0.0 && beyond * beyond >= 0.0625 * radius)) return 0.0;
  double h = kInf, h_far = 0.0;
  bool left = false, right = false;
  for (int corner = 0; corner < 8; ++corner) {
    const double cross = box.east[corner] * p.north - box.north[corner] * p.east;
    left = left || !(cross < 0.0);
    right = right || !(cross > 0.0);
    const double distance = std::fabs(cross) / box.length[corner];
    h = std::min(h, distance);
    h_far = std::max(h_far, distance);
  }
  if (left && right) return 0.0;
  // perpend's feet for P lie within its distance from the line (at most
  // h_far, as for the arcs: ArcTolerance) of P.
  const bool steady =
      start_steady_ && Steady(k, k + 1) && Steady(BlockBegin(b), BlockEnd(b, Size()));
  const double reach = 1.0 + 1.01 * (h_far + kAnyPoints.slop) + s * s * kPerRadius;
  const bool clear = clearance_[static_cast<std::size_t>(k)] > reach;
  // Calm where P lies more than 0.1 m off every line and every end of the
  // box lies 11 mm of latitude from A or more (EndsApart).
  const MeasureTerms& terms =
      steady && clear && h > 0.1 && EndsApart(box, s) ? kCalmPoints : TermsOf(steady, clear);
  const double far = box.far * kPerRadius;
  const double turn = terms.turn / box.near + kGeodesicTurn * far * far;
  return h - AcrossSlop(s, h_far, terms) - turn * p.chord - kBoxRounding;
}

bool EllipsoidalShortcuts::EndsApart(const BoxImage& box, double s) const {
  // A point at A's latitude lies off the plane's east axis by at most
  // x^2 |tan(latitude)| / 2R, x its distance east (less than s^2 (3 + 2
  // |tan|) / R, FeetClearOfCarries' reach), and 1e-7 degrees of latitude
  // span at most 12 mm: the corners' north, all beyond both on one side,
  // puts every point of the box (their hull) kApart from A's latitude.
  double lo = kInf, hi = -kInf;
  for (int corner = 0; corner < 8; ++corner) {
    lo = std::min(lo, box.north[corner]);
    hi = std::max(hi, box.north[corner]);
  }
  const double rise = s * s * frame_.reach_per_square + 0.012 + kBoxRounding;
  return lo > rise || hi < -rise;
}

EllipsoidalShortcuts::Segment EllipsoidalShortcuts::SegmentOf(std::int64_t i,
                                                              std::int64_t j) const {
  return SegmentIn(FrameAt(i), i, j);
}

EllipsoidalShortcuts::Segment EllipsoidalShortcuts::SegmentFromStart(std::int64_t j) const {
  return SegmentIn(frame_, start_, j);
}

EllipsoidalShortcuts::Segment EllipsoidalShortcuts::SegmentIn(const Frame& f, std::int64_t i,
                                                              std::int64_t j) const {
  Segment s{i, j, f, {}, 0.0, 0.0, Usable(i) && Usable(j), Steady(i, i + 1) && Steady(j, j + 1),
            {}, false};
  s.b = Project(s.f, i, j);
  s.length = Norm(s.b.east, s.b.north);
  s.per_length = 1.0 / s.length;
  s.turn[0] = Turn(s.length, kAnyPoints);
  s.turn[1] = Turn(s.length, kSteadyPoints);
  s.turn[2] = Turn(s.length, kCalmPoints);
  s.turn[3] = Turn(s.length, kQuietPoints);
  s.apart = std::fabs(f.lat - measure_.Latitudes()[static_cast<std::size_t>(j)]) > kApart;
  return s;
}

double EllipsoidalShortcuts::EndLower(std::int64_t j) {
  // Each witness between the ends lies at least its lower bound off the
  // segment, and the weight is the largest deviation of those points.
  double lower = 0.0;
  std::optional<Segment> s;
  for (const std::int64_t w : witnesses_.Points()) {
    if (w <= start_ || w >= j) continue;
    if (!s) s = SegmentFromStart(j);
    if (!(s->bounded && Usable(w))) continue;
    lower = std::max(lower, PlaneBounds(*s, w).lower);
  }
  return lower;
}

EllipsoidalShortcuts::PointBounds EllipsoidalShortcuts::PointBoundsOf(const Segment& s,
                                                                      std::int64_t k,
                                                                      bool foot_place,
                                                                      PointBounds* clear) const {
  if (!(s.bounded && Usable(k))) return {-kInf, kInf};
  return PlaneBounds(s, k, foot_place, clear);
}

double EllipsoidalShortcuts::BlockUpper(const Segment& s, Block b) const {
  if (!s.bounded || b.level == 0 || !blocks_.HasBox(b)) return kInf;
  const EllipsoidalBlocks::Box& box = blocks_.BoxOf(b);
  const double length = s.length;
  if (!(length >= kMinLength)) return kInf;
  // The derivation in the header.
  const Geocentric& a = geocentric_[static_cast<std::size_t>(s.i)];
  const double dx = box.centre.x - a.x, dy = box.centre.y - a.y, dz = box.centre.z - a.z;
  const Frame& f = s.f;
  const double c_east = dx * f.ex + dy * f.ey + dz * f.ez;
  const double c_north = dx * f.nx + dy * f.ny + dz * f.nz;
  const double n_east = -s.b.north / length, n_north = s.b.east / length;  // unit normal
  const double u_east = s.b.east / length, u_north = s.b.north / length;   // unit direction
  double across = std::fabs(n_east * c_east + n_north * c_north);
  double along_spread = 0.0, spread = 0.0, reach = 0.0;
  for (int k = 0; k < 3; ++k) {
    const EllipsoidalBlocks::Point& axis = box.axis[k];
    const double g_east = axis.x * f.ex + axis.y * f.ey + axis.z * f.ez;
    const double g_north = axis.x * f.nx + axis.y * f.ny + axis.z * f.nz;
    across += box.half[k] * std::fabs(n_east * g_east + n_north * g_north);
    along_spread += box.half[k] * std::fabs(u_east * g_east + u_north * g_north);
    spread += box.half[k] * Norm(g_east, g_north);
    reach += box.half[k] * box.half[k];
  }
  const double chord = std::sqrt(dx * dx + dy * dy + dz * dz) + std::sqrt(reach);
  const double s_max = std::max(s.b.chord, chord);
  if (!(s_max <= kMaxReach)) return kInf;
  const double along = u_east * c_east + u_north * c_north;
  const double u_lo = along - along_spread, u_hi = along + along_spread;
  if (NearB(s.length, u_lo, u_hi, across, s_max)) return kInf;
  // The feet of all the block's points lie between u_lo and u_hi.
  const bool steady = s.steady && Steady(BlockBegin(b), BlockEnd(b, Size()));
  const MeasureTerms& terms = TermsOf(steady, steady && FeetClearOfCarries(s, u_lo, u_hi, s_max));
  const double slop = Slop(s_max, terms);
  const double slop_h = AcrossSlop(s_max, across, terms) + Turn(length, terms) * chord;
  bool obtuse = false;
  if (u_lo > 0.0 && u_hi < length) {
    const double nearest = std::min(u_lo, length - u_hi);
    const double margin = terms.angle / nearest + (s_max / kRadius) * (s_max / kRadius) + 1e-9;
    obtuse = margin < 1.0 && std::atan(across / u_lo) + std::atan(across / (length - u_hi)) +
                                     margin * (1.0 + 1e-6) + 1e-9 <
                                 0.5 * kPi;
  }
  double upper = across + slop_h;
  if (!obtuse) {
    const double to_b = Norm(c_east - s.b.east, c_north - s.b.north) + spread;
    upper = std::max(upper, std::min(chord, to_b) + slop);
  }
  return upper + kBoxRounding;
}

void EllipsoidalShortcuts::Score(const Segment& s, std::int64_t begin, std::int64_t end,
                                 double floor, bool collect, Search& search) {
  for (std::int64_t k = begin; k < end; ++k) {
    PointBounds clear{-kInf, kInf};
    PointBounds bounds = PointBoundsOf(s, k, false, &clear);
    const bool carried = Straddle(bounds, search.settle) && !Straddle(clear, search.settle);
    if (carried) bounds = PointBoundsOf(s, k, true);  // from the foot's own place
    search.TakeLower(bounds.lower, k);
    if (carried && Straddle(bounds, search.settle) && search.carried_count < Search::kCarried) {
      search.carried[search.carried_count++] = {bounds.upper, k};
      continue;
    }
    search.TakeUpper(bounds.upper, k);
    if (collect && bounds.upper > floor) contenders_.push_back({bounds.upper, k});
  }
}

void EllipsoidalShortcuts::Settle(const Segment& s, double rest_upper, Search& search) {
  const double t = search.settle;
  // Measured only where they alone leave the shortcut open.
  bool measure = rest_upper <= t && search.lower <= t;
  for (int c = 0; c < search.carried_count; ++c) {
    const std::int64_t k = search.carried[c].index;
    PointBounds bounds{-kInf, search.carried[c].upper};
    if (measure) {
      const double d = Exactly(s, k, -kInf, kInf);
      if (!std::isnan(d)) bounds = {d, d};
      measure = bounds.lower <= t;  // once one lies above, the rest cannot matter
    }
    search.TakeLower(bounds.lower, k);
    search.TakeUpper(bounds.upper, k);
  }
  search.carried_count = 0;
}

void EllipsoidalShortcuts::Enter(const Segment& s, Block b, double floor, bool keep, bool collect,
                                 Search& search) {
  if (b.level <= kScoredLevel) {
    Score(s, BlockBegin(b), BlockEnd(b, Size()), floor, collect, search);
    return;
  }
  const double upper = BlockUpper(s, b);
  // Representatives whose bounds lie below the largest lower bound cannot
  // raise it.
  if (upper > std::max(floor, search.lower)) {
    for (const std::int64_t r : blocks_.Representatives(b)) {
      search.TakeLower(PointBoundsOf(s, r).lower, r);
    }
  } else if (!keep) {
    return;
  }
  pending_.push_back({upper, b});
  std::push_heap(pending_.begin(), pending_.end(), Lower);
}

bool EllipsoidalShortcuts::Lower(const Pending& p, const Pending& q) { return p.upper < q.upper; }

void EllipsoidalShortcuts::ExpandTop(const Segment& s, double floor, bool keep, bool collect,
                                     Search& search) {
  const Block b = pending_.front().block;
  std::pop_heap(pending_.begin(), pending_.end(), Lower);
  pending_.pop_back();
  for (int side = 0; side < 2; ++side) {
    const Block child = ChildBlock(b, side);
    if (BlockBegin(child) < Size()) Enter(s, child, floor, keep, collect, search);
  }
}

double EllipsoidalShortcuts::Exactly(const Segment& s, std::int64_t k, double low, double high) {
  const std::vector<double>& lat = measure_.Latitudes();
  const std::vector<double>& lon = measure_.Longitudes();
  const auto a = static_cast<std::size_t>(s.i), e = static_cast<std::size_t>(s.j);
  const auto p = static_cast<std::size_t>(k);
  ++exact_measures_;
  return EllipsoidalDeviationAgainst(lat[a], lon[a], lat[e], lon[e], lat[p], lon[p],
                                     low == high ? high : kNaN, datum_);
}

bool EllipsoidalShortcuts::FirstAbove(const Segment& s, double low, double high, Search& search,
                                      double& largest) {
  // Best first over the blocks and the contenders found so far: the point
  // of the highest bound is measured once no block's bound lies above it.
  // The contender of the highest bound is kept up to date with the ones
  // each opened block adds (`seen` of them looked at so far).
  std::size_t top = 0, seen = 0;
  for (std::size_t measured = 0; measured < kFirstContenders && search.lower <= high;) {
    for (; seen < contenders_.size(); ++seen) {
      if (contenders_[seen].upper > contenders_[top].upper) top = seen;
    }
    const double point_upper = contenders_.empty() ? -kInf : contenders_[top].upper;
    const double block_upper = pending_.empty() ? -kInf : pending_.front().upper;
    const double floor = std::max(low, search.lower);
    if (std::max(point_upper, block_upper) <= std::max(floor, largest)) return false;
    if (block_upper > point_upper) {
      ExpandTop(s, floor, false, true, search);
      continue;
    }
    const double d = Exactly(s, contenders_[top].index, low, high);
    ++measured;
    contenders_[top] = contenders_.back();
    contenders_.pop_back();
    top = seen = 0;
    if (d > largest) largest = d;  // NaN never counts
    if (largest > high) return true;
  }
  return search.lower > high;
}

WeightAnswer EllipsoidalShortcuts::Classify(const Segment& s, double low, double high) {
  if (s.j - s.i < 2) return oru::Classify(0.0, low, high);
  // As PlanarShortcuts::Classify: every point whose upper bound exceeds
  // max(low, the largest lower bound) is a contender; the blocks left whole
  // hold none. The likeliest few are measured first (FirstAbove): against
  // a limit that the weight exceeds, the first of them mostly tells. Where
  // an exact weight is wanted (low below high) and many contenders remain,
  // the measure set's own search takes over (its tighter bounds, both
  // threads); a decision against one tolerance measures them one by one,
  // for the first above it ends the search.
  Search search;
  pending_.clear();
  contenders_.clear();
  ForEachPiece(
      s.i + 1, s.j, TopLevel(Size()),
      [&](std::int64_t k) { Score(s, k, k + 1, std::max(low, search.lower), true, search); },
      [&](Block b) { Enter(s, b, std::max(low, search.lower), false, true, search); });
  double largest = 0.0;  // of the deviations measured; NaN never counts
  if (FirstAbove(s, low, high, search, largest)) return {WeightAnswer::Kind::kAbove, 0.0};
  while (!pending_.empty() && search.lower <= high) {
    if (pending_.front().upper <= std::max(low, search.lower)) break;
    ExpandTop(s, std::max(low, search.lower), false, true, search);
  }
  if (search.lower > high) return {WeightAnswer::Kind::kAbove, 0.0};
  std::sort(contenders_.begin(), contenders_.end(), [](const Contender& x, const Contender& y) {
    return x.upper != y.upper ? x.upper > y.upper : x.index < y.index;
  });
  std::size_t live = 0;
  while (live < contenders_.size() &&
         contenders_[live].upper > std::max({low, search.lower, largest})) {
    ++live;
  }
  if (live > kManyContenders && low < high) {
    return oru::Classify(measure_.FarthestPoint(s.i, s.j).deviation, low, high);
  }
  for (std::size_t c = 0; c < live; ++c) {
    const double floor = std::max(largest, low);
    if (contenders_[c].upper <= floor) break;  // no point left can matter
    // Bounded again from its foot's own place before it is measured.
    if (PointBoundsOf(s, contenders_[c].index, true).upper <= floor) continue;
    const double d = Exactly(s, contenders_[c].index, low, high);
    if (d > largest) largest = d;
    if (largest > high) return {WeightAnswer::Kind::kAbove, 0.0};
  }
  return oru::Classify(largest, low, high);
}

WeightAnswer EllipsoidalShortcuts::Weight(std::int64_t i, std::int64_t j, double low, double high) {
  return Decide(SegmentOf(i, j), low, high);
}

WeightAnswer EllipsoidalShortcuts::Decide(const Segment& s, double low, double high,
                                          std::int64_t likeliest) {
  return memo_.Answer(s.i, s.j, low, high, [&] {
    if (likeliest >= 0 && low == high && Exactly(s, likeliest, low, high) > high) {
      return WeightAnswer{WeightAnswer::Kind::kAbove, 0.0};
    }
    return Classify(s, low, high);
  });
}

ShortcutBounds EllipsoidalShortcuts::Bounds(std::int64_t j, double width, bool decide) {
  using Validity = ShortcutBounds::Validity;
  const double t = tolerance_;
  if (j - start_ < 2) return {Validity::kValid, 0.0, 0.0};
  const Segment s = SegmentFromStart(j);
  if (const OpenBounds* open = decide ? FindOpen(j, width) : nullptr) {
    if (open->lower > 0.0) witnesses_.Add(open->witness);
    return DecideOpen(s, *open);
  }
  Search search;
  // Weights are sought: points whose bounds straddle the tolerance only for
  // the carries of their feet (5.5 cm wide, where clear feet would leave
  // them 1 cm wide on one side of it) are set aside, and measured where
  // they alone leave the shortcut open (Settle). Left open, it would leave
  // open the worst of every start before whose route may take it: their
  // searches then bounded every end of a run of ties (a line straight in
  // degrees, 100 per start).
  if (width < kInf) search.settle = t;
  pending_.clear();
  const double asked = width;
  const double floor = width < kInf ? -kInf : t;
  // Bounds are never closer than twice the slop: no finer width is sought.
  width = std::max(width, 2.0 * kAnyPoints.slop);
  ForEachPiece(
      start_ + 1, j, TopLevel(Size()),
      [&](std::int64_t k) { Score(s, k, k + 1, floor, false, search); },
      [&](Block b) { Enter(s, b, floor, true, false, search); });
  // As PlanarShortcuts::Bounds.
  for (;;) {
    const double top = pending_.empty() ? 0.0 : pending_.front().upper;
    const double upper = std::max(search.point_upper, top);
    const bool decided = upper <= t || search.lower > t;
    if (pending_.empty()) break;
    if (decided) {
      if (top <= std::max(search.point_upper, search.lower + width)) break;
    } else if (search.point_upper > t) {
      break;
    }
    ExpandTop(s, floor, true, false, search);
  }
  const double top = pending_.empty() ? 0.0 : pending_.front().upper;
  Settle(s, std::max(search.point_upper, top), search);
  const double upper = std::max(search.point_upper, top);
  const double lower = std::max(0.0, search.lower);
  if (lower > 0.0) witnesses_.Add(search.witness);
  if (lower > t) return {Validity::kInvalid, lower, upper};
  if (upper <= t) return {Validity::kValid, lower, upper};
  const OpenBounds open{j, asked, lower, upper, search.witness, search.likeliest};
  if (decide) return DecideOpen(s, open);
  KeepOpen(open);
  return {Validity::kOpen, lower, upper};
}

ShortcutBounds EllipsoidalShortcuts::DecideOpen(const Segment& s, const OpenBounds& open) {
  using Validity = ShortcutBounds::Validity;
  const double t = tolerance_;
  if (Decide(s, t, t, open.likeliest).kind == WeightAnswer::Kind::kAbove) {
    return {Validity::kInvalid, open.lower, open.upper};
  }
  return {Validity::kValid, open.lower, t};
}

void EllipsoidalShortcuts::KeepOpen(const OpenBounds& open) {
  if (open_.size() < kOpenKept) {
    open_.push_back(open);
    return;
  }
  open_[open_next_] = open;
  open_next_ = (open_next_ + 1) % kOpenKept;
}

const EllipsoidalShortcuts::OpenBounds* EllipsoidalShortcuts::FindOpen(std::int64_t j,
                                                                        double width) const {
  for (const OpenBounds& open : open_) {
    if (open.j == j && open.width == width) return &open;
  }
  return nullptr;
}

}  // namespace oru
