#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "geodesy/datum.h"
#include "track/ellipsoidal_blocks.h"
#include "track/ellipsoidal_segment_measure.h"
#include "track/shortcut_oracle.h"
#include "track/shortcut_witnesses.h"
#include "track/weight_memo.h"

namespace oru {

// Shortcuts of a geographic track measured on the ellipsoid
// (EllipsoidalDeviation). Both the filter and the weights work in the
// tangent plane at the shortcut's start A: every point P is taken to
// P' = ((X_P - X_A) . east_A, (X_P - X_A) . north_A), its geocentric position
// seen from A, orthographically (plane metres, east and north).
//
// Why the plane may decide. On a sphere this projection keeps the distance
// of P from a great circle through A (h becomes R sin(h / R)) and the
// azimuth at A of every line through A; on the ellipsoid the geodesic and
// the normal section through A part by angles of order e^2 (s / R)^2. With
// s the largest distance from A involved, L the length of the shortcut and
// R = 6300 km (below every radius of curvature), the plane figures are
// taken to lie within
//     slop(s)  = 0.1 m + s (s / R)^2
// of the geodesic ones (distances from A and from B), and the plane direction
// of B' within
//     turn(L)  = 0.03 m / L + 0.001 (L / R)^2  radians
// of the geodesic's azimuth at A. The distance h' of P' from a line through
// A' is P's distance from the plane of the normal section through A along
// that line (the projection runs along A's normal, which lies in that
// plane): on the sphere R sin(h / R), the arc h shortened by h^3 / 6R^2 at
// most. The geodesic with that azimuth parts from the normal section by
// angles of order e^2 (s / R)^2, and the surface at P leans out of the
// section's plane by e^2 s / R: the distance from the geodesic line lies
// within
//     across(s, h) = 0.1 m + 0.01 s (s / R)^2 + h^3 / 3R^2
// of h' (h' serves for h). A steady point beside a line of 4 km is so bounded
// within 0.12 mm, against 1.7 mm by slop(s); on lines of 1 to 300 km the
// measure lies within about a 20th of e^2 s^3 / R^2 of h'. The 0.1 m holds
// what the measure adds of its own: the DMS round trip of A, B and P (1.5 cm
// each), perpend's foot with its DMS carry and last move (5 cm), and
// Vincenty's 3.2 mm nudges; the 0.03 m / L is the turn of the line A-B by
// the carries of its ends (steady points take less, below). The terms in
// (s / R)^2 exceed the geometry's by a factor two or more; tests
// hold them against the measure on points scattered about segments of 10 m
// to 1000 km. Distances s and L are taken as chords in space, which never
// exceed the geodesics and which, unlike the plane's, grow beyond the
// horizon. Points beyond 89 degrees of latitude, where azimuths are ill
// conditioned, and beyond 1000 km of A are never bounded.
//
// Steady points. A point whose DMS seconds of latitude and longitude lie
// clear of the carry (above 59.9995; Steady) comes back from its round trip
// within nanometres. Where A, B and P are steady and perpend's feet stay
// clear of the carries too, the measure adds only Vincenty's nudges (3.2 mm
// to one of its inverse problems: between ends at one latitude, or the
// line's azimuth at A by 3.2 mm / L), perpend's last move (the foot before
// it lies within 0.1 mm of the foot: each move leaves about (h / R)^2 / 3
// of the distance still to go) and the carries of azimuths (0.0005 seconds
// over a move, micrometres within the reach below): the 0.1 m, 0.03 m / L
// and the angle's 0.03 m become 5 mm each (where a foot may carry, its
// 5 cm stays in the distances: kSteadyEnds). perpend starts at A and moves its
// foot along the line: the first move ends within |AP|^3 / (5 R^2) of the
// foot F (it projects the distance as on a plane: tan e = tan d cos(theta)
// on a sphere, against e = d cos(theta)), and later moves close in on F. F
// lies at the plane foot of P' within terms of order s^3 / R^2; that place,
// taken to degrees through the radii of curvature at A, is off by at most
// (s^2 / 2R) |tan(latitude)| in each direction, plus terms of order
// e^2 s^2 / R. So no foot carries where that place lies farther than
//     reach = 1 m + (s^2 / R) (3 + 2 |tan(latitude at A)|)
// from every latitude and longitude whose seconds carry (FeetClearOfCarries);
// where the angle at P certainly takes the end distance, perpend is not run.
// Before a point is measured exactly, where that reach is too wide (45 m at
// 7 km and 54N), the place of its plane foot on the ellipsoid itself is
// asked, within 1 m + 4 s^3 / R^2 (FootPlaceClearOfCarries).
// The nudge turns the line only where it is the line's own: solved from A to
// B (A and B within 1e-12 radians of one latitude: 3.2 mm at most), or from
// perpend's foot to B, by 3.2 mm over the foot's distance from B. Where P
// lies more than 0.1 m from the line and A and B are 11 mm of latitude
// apart, the steady terms become 1 mm in the distances and across A-B
// (calm points: the last move, and the zero difference of longitude taken as
// 5e-11 radians, 0.3 mm). Near B on B's parallel the foot's line turns by
// radians when the foot lies millimetres from B (where the line runs along
// B's parallel), and the measure falls far
// below P's distance (3 cm for 0.5 m): a point whose foot may lie within
// 0.25 sqrt(h) + 2 cm + s^3 / R^2 of B (h its distance; beyond, the turn
// costs below 0.1 mm) gets no bounds, and a block that holds one none
// either.
//
// The filter (Candidates). The measure is never below the distance of P from
// the half of the geodesic line through A and B that leaves A towards B, less
// the slop. Where the angle at A between P and B is at most a right angle,
// that is P's distance from the whole line, which the perpendicular is and
// the end distances exceed. Beyond a right angle (P behind A) the angle at P
// is acute (the triangle's excess lies below the margin of the weights'
// bounds below), and the measure takes the end distance |PA| (PB, opposite
// the obtuse angle, is longer): P's distance from the half line. Within that
// margin of a right angle the two differ by |PA| (1 - cos(margin)), far below
// the slop. So a point P constrains the azimuth at A of every valid shortcut
// to an arc about P's direction (DirectionWedge, ray mode) of tolerance
// d + slop(|P'|) + 2^-40 |P'|; when no azimuth is left, no shortcut from A is
// valid, however far its end (the arcs speak of the geodesic's azimuth at A,
// whatever B is). A candidate end B is tested with its plane direction
// widened by turn(L), and always listed beyond 1000 km. Steady points take
// their terms here too: in turn(L) where A and B are steady (the line's
// carries gone), and in P's slop where A is steady and no latitude or
// longitude whose seconds carry lies within 1 m + 1.01 (d + 0.1 m) + s^2 / R
// of P (Clearances): a line from A farther from P than d and the slop of
// any points is ruled out by that slop; the feet of the nearer ones lie
// within that distance of P.
//
// Near B the promise may fail: where perpend's foot for P lies so near B
// that the nudge of the line from the foot to B turns it (NearB, below),
// the measure may fall far below P's distance. So the wedge names the
// points that set its boundaries, and an end is ruled out only by the arc
// of a point that certainly holds for it (ArcMayFail: the foot not near B,
// or the angle at P certainly taking the end distance): an end beyond a
// boundary is listed when that boundary's point may fail it, and an empty
// wedge, the work of two arcs that do not meet, rules out the ends beyond
// except those that either arc may fail. Such ends lie near that point and
// about as far from A (FailZoneOf), where a search of the blocks' boxes
// finds them.
//
// The weights (Weight). Each point left out gets bounds in the same plane:
//     lower = h' - slop_h,   h' the distance of P' from the line A'B',
//                            slop_h = across(s, h') + turn(L) |P'|;
//             where the angle at P' falls short of a right angle by more
//             than the margin below (the measure then takes the end
//             distance), max(h' - slop_h, min(|P'|, |P'B'|) - slop(s));
//     upper = h' + slop_h when the angle at P' exceeds a right angle by more
//             than 0.03 m / min(|P'|, |P'B'|) + (s / R)^2 radians (the measure
//             then takes the perpendicular), else
//             max(h' + slop_h, min(|P'|, |P'B'|) + slop(s)).
// Only points whose bounds straddle what the answer needs are measured.
//
// Blocks of ends (EndsLower). A point P that a shortcut of the open start
// found far off it lies between A and every end of a block after it; where
// P' lies on one side of every line from A' through the plane image of the
// block's box, its distance from the nearest such line, less the slop above
// (turn(L) from the nearest to the farthest end; the calm points' terms
// where P lies 0.1 m off every such line and the whole box 11 mm of
// latitude from A or more, as the plane's north of its corners shows:
// EndsApart), bounds the weight of every
// shortcut to the block from below: unless P's foot may lie near an end
// (NearB), which P nearer to A' than the box by the reach of NearB rules out.
// The wedge of the points before the block rules it out whole where the
// directions of the image's corners, widened by turn(L), miss it, and
// neither arc that set its boundaries may fail for an end of the block.
//
// Blocks (EllipsoidalBlocks). A block's points lie in a box in space, which
// the plane at A takes to a zonogon about its centre's image c' with the
// images g_k of the box's axes, times its half-extents e_k: so h' is at most
// |n . c'| + sum e_k |n . g_k| (n the unit normal of A'B'), |P'| and the
// chord at most |X_c - X_A| + |e|, |P'B'| at most |c' - B'| + sum e_k |g_k|,
// and the distance along A'B' within u = b . c' +- sum e_k |b . g_k| (b the
// unit direction of A'B'). Where 0 < u and u < |A'B'| the angle at every P'
// is at least pi - atan(h'/u) - atan(h'/(|A'B'| - u)), and each point's
// margin above at most 0.03 m / min(u, |A'B'| - u) + (s / R)^2: a block whose
// least angle exceeds a right angle by more than that takes the
// perpendicular's bound at every point. The block's bound is the largest of
// its points' upper bounds above, plus a micrometre for the rounding. The
// terms of steady points serve where the ends and all the block's points are
// steady and the feet from u_lo to u_hi stay clear of the carries; where the
// feet may carry, those of steady ends (kSteadyEnds: the foot's carry alone
// added).
class EllipsoidalShortcuts final : public ShortcutOracle {
 public:
  // What the measure adds of its own to the figures of the geometry
  // (metres): in every distance, across A-B (divided by L), and in the angle
  // at P (divided by the nearer end's distance).
  struct MeasureTerms {
    double slop, turn, angle;
  };
  // Any points: DMS carries of A, B, P and perpend's feet.
  static constexpr MeasureTerms kAnyPoints{0.1, 0.03, 0.03};
  // Steady points whose feet stay clear of the carries: Vincenty's nudges
  // and perpend's last move.
  static constexpr MeasureTerms kSteadyPoints{0.005, 0.005, 0.005};
  // Steady points whose feet may carry: those of steady points and the
  // foot's carry with the last move (5 cm) in the distances.
  static constexpr MeasureTerms kSteadyEnds{0.055, 0.005, 0.005};
  // Steady points where no nudge can move the line and P lies more than
  // 0.1 m from it: perpend's last move, the zero difference of longitude
  // taken as 5e-11 radians (0.3 mm), in the distances and across A-B.
  static constexpr MeasureTerms kCalmPoints{0.001, 0.001, 0.005};
  // Steady points where no nudge and no zero difference of longitude can
  // touch any of the measure's inverse problems (Quiet): what is left is
  // Vincenty's own convergence (micrometres) and perpend's settling, whose
  // feet lie on the line within micrometres of the foot and change P's
  // distance by their square over it.
  static constexpr MeasureTerms kQuietPoints{5e-5, 2e-5, 0.005};

  explicit EllipsoidalShortcuts(EllipsoidalSegmentMeasure& measure, const DatumParams& datum);

  SegmentMeasure& Measure() override { return measure_; }
  std::int64_t Size() const override { return static_cast<std::int64_t>(geocentric_.size()); }
  WeightAnswer Weight(std::int64_t i, std::int64_t j, double low, double high) override;

  void Open(std::int64_t i, double tolerance, bool keep_findings) override;
  bool Directed() const override { return start_usable_; }
  void ConstrainByPoint(DirectionWedge& wedge, std::int64_t k) const override;
  void ConstrainByBlock(DirectionWedge& wedge, Block b) const override;
  std::int64_t WalkPoints(DirectionWedge& wedge, std::int64_t begin, std::int64_t end,
                          std::vector<std::int64_t>& ends) const override;
  bool EndMayBeValid(const DirectionWedge& before, std::int64_t k) const override;
  std::span<const std::int64_t> Unbounded() const override { return beyond_closed_; }
  double EndsLower(Block b, const DirectionWedge& before) override;
  double EndLower(std::int64_t j) override;
  std::int64_t Findings() const override { return witnesses_.Findings(); }
  ShortcutBounds Bounds(std::int64_t j, double width, bool decide) override;

  // Exact measures taken by Weight so far (for tests and benchmarks).
  std::int64_t ExactMeasures() const { return exact_measures_; }

  // The bounds of the deviation of point k from the segment i-j, from the
  // tangent plane at i.
  struct PointBounds {
    double lower, upper;  // metres; -inf and +inf when unbounded
  };
  PointBounds DeviationBounds(std::int64_t i, std::int64_t j, std::int64_t k,
                              bool foot_place = false) const;
  // The upper bound of the deviations of block b's points (level 1 and up)
  // from the segment i-j, from the same plane; infinity where it has none.
  double DeviationUpper(std::int64_t i, std::int64_t j, Block b) const;

 private:
  struct Frame {
    double ex, ey, ez;  // east at the point, unit
    double nx, ny, nz;  // north
    // The point's latitude and longitude, and the degrees of each per metre
    // north and east of it (the radii of curvature there), for places near
    // it (FeetClearOfCarries).
    double lat, lon;
    double lat_per_metre, lon_per_metre;
    // Of FeetClearOfCarries' reach: (3 + 2 |tan(latitude)|) / R, per square metre.
    double reach_per_square;
    double cos_lat;  // |cos(latitude)|
  };
  using Geocentric = EllipsoidalBlocks::Point;
  // Where a point lies in the tangent plane at a start (metres east and
  // north of it).
  struct PlanePoint {
    double east, north;
    double chord;  // metres: the straight distance from the start in space
  };
  bool Usable(std::int64_t k) const;
  // Whether points begin to end - 1 keep their DMS round trips exact (no
  // carry of seconds).
  bool Steady(std::int64_t begin, std::int64_t end) const;
  Frame FrameAt(std::int64_t i) const;
  PlanePoint Project(const Frame& f, std::int64_t i, std::int64_t k) const;
  // Where place x lies in the tangent plane at the open start.
  PlanePoint FromStart(const Geocentric& x) const;

  // A shortcut being weighed: its end in the plane at its start.
  struct Segment {
    std::int64_t i, j;
    Frame f;
    PlanePoint b;
    double length;  // metres: |B'|
    double per_length;  // 1 / length
    bool bounded;   // both ends within the bounds' range
    bool steady;    // both ends Steady
    double turn[4];  // Turn(length) with the terms of any points, steady, calm and quiet ones
    bool apart;      // A and B lie 11 mm of latitude apart or more (Calm)
  };
  // Point k's bounds: the steady ones where they hold, else those of any
  // points.
  // With `foot_place`, where the feet may carry by the reach of the radii
  // of curvature at A, it asks the place of the foot itself (dearer).
  // `clear`, where given, takes the bounds that a steady point whose feet
  // may carry would have with its feet clear (else it stays as it was).
  PointBounds PlaneBounds(const Segment& s, std::int64_t k, bool foot_place = false,
                          PointBounds* clear = nullptr) const;
  // P' against the segment (metres), what its bounds are made of; s is the
  // longer of the chords AB and AP.
  struct PlaneFigures {
    double h, s;
    double d_a, d_b;           // |P'A'|, |P'B'|
    double cos_angle_scaled;   // d_a d_b cos(angle at P')
    double along;              // of P's plane foot along A'B'
    double chord;              // from A to P in space
    struct Bounded {
      PointBounds bounds;
      bool end_distance;  // the measure certainly takes the nearer end's distance
    };
    // With the terms given and Turn(L) of them.
    Bounded With(const MeasureTerms& terms, double turn) const;
  };
  PlaneFigures FiguresOf(const Segment& s, PlanePoint p, double s_max) const;
  // Whether, P and the ends steady and perpend's feet clear of the carries,
  // the terms of calm points hold (no nudge moves the line).
  bool Calm(const Segment& s, const PlaneFigures& figures) const;
  // Whether, P and the ends steady and perpend's feet clear of the carries,
  // the terms of quiet points hold: P more than 25 cm from both ends (the
  // inverse problems between them nudged by micrometres at most) and, where
  // perpend may run, the perpendicular from P reaching farther east-west
  // and north-south than its feet may stray (no foot at P's latitude or
  // longitude, nor the line's ends at one latitude).
  bool Quiet(const Segment& s, const PlaneFigures& figures, bool end_distance) const;
  // Whether a point h metres off the line, its plane foot from u_lo to u_hi
  // along it, may have perpend's foot so near B that the nudge of the line
  // from that foot to B turns it by more than a few milliradians: the
  // measure is then not bounded.
  static bool NearB(double length, double u_lo, double u_hi, double h, double s_max);
  // The tolerance of the arc of point k, at p (metres).
  double ArcTolerance(const PlanePoint& p, std::int64_t k) const;
  // Whether the arc of point c (-1: of a point not named) may rule out the
  // valid shortcut of the open start to end j (at `end`): where perpend
  // may find c's foot so near B that a nudge turns the line (NearB).
  bool ArcMayFail(std::int64_t c, const PlanePoint& end, std::int64_t j) const;
  // The same for the point at p whose arc has `tolerance`.
  bool ArcMayFailAt(const PlanePoint& p, double tolerance, const PlanePoint& end,
                    std::int64_t j) const;
  // Where the ends whose lines the arc of the point at p may fail lie:
  // within `reach` of it in space, from `near_a` to `far_a` from A' in the
  // plane (metres).
  struct FailZone {
    double reach, near_a, far_a;
  };
  static FailZone FailZoneOf(const PlanePoint& p);
  // The image of a block's box in the plane at the open start: its
  // corners, bounds of their plane distances from A' and the farthest chord
  // from A to the box in space (metres).
  struct BoxImage {
    double east[8], north[8], length[8];
    double near, far, chord;
  };
  BoxImage ImageOf(Block b) const;
  // Whether the wedge `before` rules out every end of block b, whose box
  // has `box` for image: the directions of the box's corners, widened by
  // turn(L), miss it, and neither arc that set its boundaries may fail for
  // any of them (as EndMayBeValid for each).
  bool DirectionsMiss(const BoxImage& box, Block b, const DirectionWedge& before) const;
  // A lower bound of the weight of every shortcut from the open start to an
  // end in `box` (the image of block b) by point k before the block.
  double WitnessLower(const BoxImage& box, Block b, std::int64_t k) const;
  // Whether every point of the box whose image is `box` lies 11 mm of
  // latitude from the open start or more (Calm); s: the box's reach from it.
  bool EndsApart(const BoxImage& box, double s) const;
  // Calls visit(k) for the points k from begin to end - 1 within `radius`
  // of x (metres), in order.
  template <typename Visit>
  void ForEachWithin(const Geocentric& x, double radius, std::int64_t begin, std::int64_t end,
                     Visit visit) const;
  // The points after c within `radius` of it, ascending, kept for the
  // searches that follow (unless more than kNearLaterKept).
  const std::vector<std::int64_t>& LaterNear(std::int64_t c, double radius) const;
  // Whether the arc of either point that set the boundaries of `wedge` may
  // fail for any of the ends begin to end - 1; each such end is added to
  // `found` (ascending) when given.
  bool FindEndsArcsMayFail(const DirectionWedge& wedge, std::int64_t begin, std::int64_t end,
                           std::vector<std::int64_t>* found) const;
  // Whether perpend's feet certainly stay clear of the DMS carries for
  // points whose plane feet lie from u_lo to u_hi metres along A'B' (s_max:
  // the longest chord from A to B or to any of them; the derivation in the
  // header).
  bool FeetClearOfCarries(const Segment& s, double u_lo, double u_hi, double s_max) const;
  // The same for the feet of one point, from the place of its plane foot u
  // metres along A'B' on the ellipsoid (where the radii of curvature at A
  // reach too far).
  bool FootPlaceClearOfCarries(const Segment& s, double u, double s_max) const;
  // A point and the upper bound of its deviation (metres).
  struct Contender {
    double upper;
    std::int64_t index;
  };
  // The state of one search of a segment's points.
  struct Search {
    double lower = 0.0;         // largest lower bound of a point's deviation
    double point_upper = 0.0;   // largest upper bound of the points bounded one by one
    std::int64_t witness = -1;  // the point of the largest lower bound
    std::int64_t likeliest = -1;  // the point of the largest upper bound
    void TakeLower(double bound, std::int64_t k) {
      if (bound > lower) {
        lower = bound;
        witness = k;
      }
    }
    void TakeUpper(double bound, std::int64_t k) {
      if (bound > point_upper) {
        point_upper = bound;
        likeliest = k;
      }
    }
    // Points whose bounds straddle it for the carries of their feet alone,
    // also from their feet's own places, the first kCarried of them: set
    // aside with their upper bounds, out of point_upper until Settle.
    double settle = std::numeric_limits<double>::infinity();
    static constexpr int kCarried = 8;
    std::array<Contender, kCarried> carried;
    int carried_count = 0;
  };
  struct Pending {
    double upper;  // metres
    Block block;
  };
  Segment SegmentOf(std::int64_t i, std::int64_t j) const;
  // The same from the open start, whose frame is known.
  Segment SegmentFromStart(std::int64_t j) const;
  // The segment i-j in the tangent plane at i, whose frame is f.
  Segment SegmentIn(const Frame& f, std::int64_t i, std::int64_t j) const;
  PointBounds PointBoundsOf(const Segment& s, std::int64_t k, bool foot_place = false,
                            PointBounds* clear = nullptr) const;
  // Takes the points set aside into the search's bounds; measured where
  // they alone leave it open whether the weight exceeds search.settle (the
  // other points and the blocks bounded by `rest_upper`, metres).
  void Settle(const Segment& s, double rest_upper, Search& search);
  double BlockUpper(const Segment& s, Block b) const;
  // Bounds the points [begin, end) one by one; those above `floor` become
  // contenders when `collect`.
  void Score(const Segment& s, std::int64_t begin, std::int64_t end, double floor, bool collect,
             Search& search);
  // Bounds block b for a search (as PlanarShortcuts::Enter).
  void Enter(const Segment& s, Block b, double floor, bool keep, bool collect, Search& search);
  // Orders pending_ as a heap, the highest bound first.
  static bool Lower(const Pending& p, const Pending& q);
  // Enters the two halves of the pending block of the highest bound.
  void ExpandTop(const Segment& s, double floor, bool keep, bool collect, Search& search);
  // The deviation of point k from the segment, by the measure itself; in a
  // decision against one tolerance (low == high), where only the side of it
  // matters, a figure on the same side (EllipsoidalDeviationAgainst).
  double Exactly(const Segment& s, std::int64_t k, double low, double high);
  // Measures the contenders of the highest bounds, at most
  // kFirstContenders of them, opening blocks as far as that needs; true when
  // the weight is certainly above `high`. The points measured leave the
  // contenders, their largest deviation goes into `largest`.
  bool FirstAbove(const Segment& s, double low, double high, Search& search, double& largest);
  WeightAnswer Classify(const Segment& s, double low, double high);
  // What Bounds found of a shortcut of the open start that its bounds left
  // open: the labeller asks for its decision later, and the same figures
  // are not sought again.
  struct OpenBounds {
    std::int64_t j;
    double width;             // metres, as asked
    double lower, upper;      // metres
    std::int64_t witness;     // as Search's
    std::int64_t likeliest;
  };
  // A start of a switchback hike leaves about ten open per pass; the
  // labeller mostly decides them before it asks of many more ends.
  static constexpr std::size_t kOpenKept = 64;
  void KeepOpen(const OpenBounds& open);
  const OpenBounds* FindOpen(std::int64_t j, double width) const;
  // Decides the shortcut s whose bounds were left open against the tolerance.
  ShortcutBounds DecideOpen(const Segment& s, const OpenBounds& open);
  // Classify through the memo of weights. Against one tolerance (low equal
  // to high) point `likeliest` (-1: none) is measured first: where it lies
  // above, so does the weight, and no other point need be bounded again.
  WeightAnswer Decide(const Segment& s, double low, double high, std::int64_t likeliest = -1);

  EllipsoidalSegmentMeasure& measure_;
  std::vector<Geocentric> geocentric_;  // metres
  std::vector<char> usable_;
  std::vector<std::int64_t> unsteady_before_;  // per point: the points before it not Steady
  EllipsoidalBlocks blocks_;
  // The open start.
  std::int64_t start_ = 0;
  double tolerance_ = 0.0;
  bool start_usable_ = false;
  bool start_steady_ = false;
  Frame frame_{};
  ShortcutWitnesses witnesses_;
  // The ends beyond the point that closed the open start's walk that the
  // arcs which closed it may fail (ascending): found by WalkPoints, as
  // Unbounded.
  mutable std::vector<std::int64_t> beyond_closed_;
  // The points after a point within a radius of it, for the arcs' searches
  // (LaterNear): a start's neighbours mostly close their walks by the same
  // points. Kept by point number, one per slot: a start's wedges name five
  // or six points, and on a line straight in degrees 64 slots lost the lists
  // before the next starts asked again (7 % of its time).
  struct NearLater {
    std::int64_t point = -1;
    double radius = 0.0;
    std::vector<std::int64_t> later;
  };
  static constexpr std::size_t kNearLaterKept = 1024;
  mutable std::array<NearLater, 1024> near_later_;
  mutable std::vector<std::int64_t> overflow_;  // LaterNear's list of a cluster
  std::vector<OpenBounds> open_;  // the last kOpenKept, for the open start
  std::size_t open_next_ = 0;     // where the next one goes once kOpenKept are kept
  WeightMemo memo_;
  DatumParams datum_;  // for the exact measures and azimuths
  double e2_;          // the ellipsoid's squared eccentricity
  double minute_;      // metres: a minute of latitude at its shortest, a (1 - e^2) pi / 10800
  // Per point, metres: how far the places whose DMS round trips are exact
  // reach about it.
  std::vector<double> clearance_;
  std::int64_t exact_measures_ = 0;
  std::vector<Contender> contenders_;  // scratch of the searches
  std::vector<Pending> pending_;
};

}  // namespace oru
