#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "track/direction_wedge.h"
#include "track/label_bracket.h"
#include "track/label_tree.h"
#include "track/near_scans.h"
#include "track/shortcut_oracle.h"

namespace oru {

// A route is a selection seen as a chain of shortcuts from the first point
// to the last; its weight is the largest weight of its shortcuts, which is
// the largest deviation of any point left out from its segment.
//
// Labels of every point p (store index) for one tolerance d >= 0, found from
// the last point back (a shortest-path search over the valid shortcuts of
// an acyclic graph: a point's label depends only on the labels after it):
//   hops(p):  the fewest shortcuts from p to the last point;
//   worst(p): the smallest weight of a route from p to the last point with
//             hops(p) shortcuts (only when asked for).
// worst(p) is kept as bounds, from bounds of the weights involved, and made
// exact only where a result needs it (ExactWorst): on a straight track the
// weight of every shortcut is rounding noise, which no bound tells apart
// and which only the route chosen in the end needs exactly.
//
// The ends tried from p are found through the blocks of the track: a walk
// along the track from p narrows the wedge of directions that a valid
// shortcut from p can take, by whole blocks at once (points that stand for
// them: ConstrainByBlock) where the wedge survives them, point by point
// where it empties; the walk ends where it empties. The ends up to there
// are searched best first, whole blocks at once, by the fewest hops among
// them (LabelTree) and lower bounds of their routes' weights (the labels'
// and the oracle's), so that blocks that cannot change p's label are never
// opened and the shortcuts that cannot are never measured.
class ShortcutLabeller {
 public:
  // `poll` is called every few thousand points (it may throw to stop).
  ShortcutLabeller(ShortcutOracle& oracle, std::function<void()> poll);

  // Labels every point for `tolerance` (metres, >= 0); with `with_worst`
  // also bounds the worst of each. With `give_up_below` above 0 the pass
  // may end early and return false: when the labels so far (of a 32nd to a
  // half of the track, from its end) put the fewest points of the whole
  // track below give_up_below, counted in proportion to the points
  // labelled (Projected()). Such wide tolerances are the dearest to label:
  // their valid shortcuts are long.
  // A pass counting hops at a tolerance between those of the passes kept
  // as a bracket (KeepBracketEnd) takes most labels from their bounds
  // (LabelBracket) and searches only where those leave them open; one
  // bounding the worst at the tolerance of the bracket's upper end searches
  // only among the ends of one hop fewer than its labels there.
  bool Label(double tolerance, bool with_worst, std::int64_t give_up_below = 0);

  // Keeps the labels of the last pass, when it counted the hops of every
  // point at `tolerance`, as the lower or the upper end of the bracket.
  void KeepBracketEnd(double tolerance, bool upper);

  // The fewest points that the labels of a pass given up projected.
  std::int64_t Projected() const { return projected_; }

  // The fewest shortcuts from point i to the last one.
  std::int64_t Hops(std::int64_t i) const { return hops_[static_cast<std::size_t>(i)]; }

  // worst(i), exactly (after Label with_worst).
  double ExactWorst(std::int64_t i);

  // The route with Hops(0) shortcuts and a weight of at most `weight` (at
  // least ExactWorst(0)) whose point numbers come first in lexicographic
  // order: from each point the lowest next point that can still finish such
  // a route. Store indexes, ascending, from 0 to n - 1.
  std::vector<std::int64_t> LowestRoute(double weight);

 private:
  // Something to search among the ends of the open start: one end, or a
  // block of them with the wedge of the points before it.
  struct Item {
    std::int64_t hops;      // fewest hops among its ends
    double lower;           // metres: lower bound of their routes' weights
    std::int64_t begin;     // first point
    Block block;            // level kEnd: a single end, block.index; kList: the
                            // near ends with list_hops_ hops (list_group_'s first
                            // when the worst is bounded)
    int wedge;              // index into wedges_, -1 when the start is not directed
    double base;            // metres: the part of `lower` from the labels
    std::int64_t findings;  // the oracle's Findings() when `lower` was found
    bool bounded;           // an end whose weight bounds are in lo, hi
    bool decide;            // an end whose validity its bounds left open
    // A half of a block that holds no end with the block's fewest hops: it
    // comes up only once all of those have failed, which they seldom do,
    // so its bound (EndsLower) is found only then; a second half's wedge
    // is narrowed by the first half only then too (`after_first`).
    bool deferred;
    bool after_first;
    double lo, hi;
  };
  static constexpr int kEnd = kWalkedEnd;
  static constexpr int kList = -2;
  static bool Later(const Item& a, const Item& b);

  void Walk(std::int64_t i, double tolerance);
  // The points of a near scan in this pass.
  std::int64_t NearSteps() const;
  void AddWedge(const DirectionWedge& wedge);
  const NearScan* Near(std::int64_t i, double tolerance);
  void PushEnd(std::int64_t j);
  void FindNearLevels();
  void PushListGroup(std::int64_t least);
  void PushListTop();
  // Orders list_group_ as a heap, the least lower worst first.
  struct LaterEnd {
    const ShortcutLabeller* labeller;
    bool operator()(std::int64_t a, std::int64_t b) const;
  };
  void PushBlock(Block b, int wedge);
  void PushBlock(Block b, int wedge, const LabelTree::Least& least);
  // The oracle's EndsLower of block b after wedges_[wedge] (-1: every
  // direction).
  double BlockLower(Block b, int wedge);
  // Queues half `side` of block item.block (Expand).
  void PushHalf(const Item& item, int side);
  // The wedge before b, the second half of a block: wedges_[wedge], that
  // of the points before the block, narrowed by its first half (-1 stays
  // -1).
  int AfterFirstHalf(Block b, int wedge);
  void Push(Item item);
  Item Pop();
  // Finds the fewest hops of each piece of the walk; Ready brings into the
  // queue those that may come before the queue's first item and says
  // whether an item is left.
  void RankPieces();
  bool Ready();
  bool Refresh(Item& item);
  // Takes the bounds of an end's weight into it; true when they raised its
  // lower bound and it went back into the queue.
  bool Requeued(Item& item, const ShortcutBounds& b);
  // Measures the shortcut from start i to item's end exactly, into its
  // bounds; true when that raised its lower bound and it went back into the
  // queue.
  bool Settled(std::int64_t i, Item& item);
  // Raises item's lower bound to max(base, bound) and puts it back into the
  // queue; false, leaving it, when that raises nothing.
  bool Raised(Item& item, double bound);
  void Expand(const Item& item);
  void LabelStart(std::int64_t i);
  // Labels start i with the hops the bracket tells.
  void LabelKnown(std::int64_t i, std::int64_t hops);
  template <typename Visit>
  double SearchGroup(std::int64_t i, double limit, Visit visit);
  bool Exact(std::int64_t j) const;
  // worst(root) exactly when it lies below `cap` (metres), else a lower
  // bound of it of at least `cap`.
  double WorstBelow(std::int64_t root, double cap);
  void SetWorst(std::int64_t j, double lower, double upper);
  // WorstBelow's search for worst(i) below `cap` (metres): the ends listed
  // for it, ends[first, ...), weighed up to `next`, and the weight of the
  // lightest route found so far (at first an upper bound of one).
  struct WorstFrame {
    std::int64_t i;
    double cap;
    std::size_t first, next;
    double current;
  };
  // An end of a frame and the lower bound of its shortcut's weight.
  struct GroupEnd {
    std::int64_t j;
    double lo;
  };
  void OpenFrame(std::int64_t i, double cap, std::vector<WorstFrame>& frames,
                 std::vector<GroupEnd>& ends);
  // Weighs the frame's ends on from f.next; the first end whose worst must
  // be sought first (f.next left on it), or -1 once every end is weighed.
  std::int64_t NextToWeigh(WorstFrame& f, const std::vector<GroupEnd>& ends);
  double Route(std::int64_t i, const GroupEnd& e, double current);

  // Ends leave the tree once the starts have passed below their earliest
  // start (ShortcutOracle::EarliestStart): the least labels of their blocks
  // then speak only for ends that the start may still reach. Without that,
  // the search opened block after block for ends whose own neighbours rule
  // out every shortcut from afar (a zig-zag whose amplitude grows towards
  // the tolerance: the walks from the start reach far, but the ends with
  // the fewest hops lie where the teeth are too wide for a shortcut to end).
  // The walks back cost about as much as the walks forward: a pass starts
  // them only once its searches have proved dear (StartRetiring, before
  // start i is labelled; false when the oracle tells no earliest starts),
  // then for each end once labelled (Await); Retire(i) takes out the ends
  // that start i has passed.
  bool StartRetiring(std::int64_t i);
  void Await(std::int64_t j);
  void Retire(std::int64_t i);

  ShortcutOracle& oracle_;
  std::int64_t n_;
  int top_level_;
  std::function<void()> poll_;
  // True when the points labelled so far, from the last back to i + 1,
  // project fewer points than `below` for the whole track.
  bool Unlikely(std::int64_t i, std::int64_t below);

  double tolerance_ = 0.0;
  bool with_worst_ = false;
  bool whole_count_ = false;  // the last pass counted the hops of every point
  std::int64_t projected_ = 0;
  std::vector<std::int64_t> hops_;
  // Per start, of a pass counting hops: the valid end of one hop fewer that
  // it took, and the last point its walk reached (walk_reach_).
  std::vector<std::int64_t> ends_, reaches_;
  LabelBracket bracket_;
  // The hops of this pass, known before it (LabelBracket::HopsAt), or null.
  const std::vector<std::int64_t>* known_hops_ = nullptr;
  // The fewest and the most hops of the ends that can make the open
  // start's label, as the bracket bounds it.
  std::int64_t least_level_ = 0;
  std::int64_t most_level_ = LabelBracket::kNone;
  std::vector<double> worst_lower_, worst_upper_;  // metres
  LabelTree tree_;
  std::int64_t popped_ = 0;  // items the open start's search took
  std::int64_t dear_ = 0;    // starts whose search took more than kRetireAbove, since the last look
  std::vector<std::int64_t> awaiting_;       // per earliest start: its first end, or -1
  std::vector<std::int64_t> next_awaiting_;  // per end: the next of its earliest start
  std::vector<std::int64_t> retired_;        // the ends out of the tree

  // The search of the open start.
  std::int64_t start_ = 0;
  std::int64_t target_ = -1;  // the hops sought, or -1 for the fewest
  std::int64_t walk_reach_ = 0;  // no valid end lies beyond, but for unbounded ones
  // The walk's ends and blocks in track order, the near ends as one piece
  // of level kList.
  std::vector<WalkPiece> pieces_;
  std::vector<std::int64_t> piece_hops_;  // per piece: its fewest hops, until queued
  std::int64_t waiting_ = 0;              // the fewest hops of the pieces not yet queued
  std::vector<DirectionWedge> wedges_;
  // The open start's ends of its near scan: a view of the scan, valid
  // until the next Walk.
  std::span<const std::int64_t> near_ends_;
  // The hop counts among the near ends, ascending, each with the place in
  // near_ends_ of its first end (found once per start by RankPieces: the
  // searches ask for them level by level).
  struct NearLevel {
    std::int64_t hops;
    std::size_t first;
  };
  std::vector<NearLevel> near_levels_;
  std::int64_t list_hops_ = 0;            // the hops of the near ends queued
  std::size_t list_first_ = 0;            // the place of the first of them
  std::vector<std::int64_t> list_group_;  // those of them not queued yet, a heap
  NearScans* scans_ = nullptr;            // those of a label pass, scanned ahead
  // Else the near scans of kNearStarts starts from near_first_.
  NearScan near_[ShortcutOracle::kNearStarts];
  std::int64_t near_first_ = -1;
  double near_tolerance_ = 0.0;
  std::int64_t near_steps_ = 0;
  std::vector<std::int64_t> listed_;  // scratch of the walk
  // Bounding the worst: the ends whose bounds the start after this one
  // left open (ascending hops then as met), and those of this start,
  // open_start_. Such an end mostly stays open for the next start, whose
  // shortcut to it is longer: it waits for a decision without its bounds
  // sought again.
  std::vector<std::int64_t> open_before_, open_now_;
  std::int64_t open_start_ = -1;
  bool OpenBefore(std::int64_t j) const;
  std::vector<Item> queue_;           // a heap, least first
};

}  // namespace oru
