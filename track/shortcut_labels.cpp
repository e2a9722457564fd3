#include "track/shortcut_labels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

namespace oru {
namespace {

constexpr std::int64_t kPollPoints = 1024;
constexpr double kInf = std::numeric_limits<double>::infinity();
// The labels' weight bounds are sought to a part in 2^20 of the tolerance:
// routes closer than that are told apart by ExactWorst, where needed.
constexpr double kWidth = 0x1p-20;
// A pass that may give up looks at its labels once this share of the track
// (its 32nd) is labelled.
constexpr std::int64_t kProbeShare = 32;
// The first stretch of every walk, scanned for several starts at once: its
// points, where a pass bounds the worst, and where it counts hops only. A
// count takes the first valid end of the fewest hops, a lookup per listed
// end, and pays for the walk by blocks beyond the stretch with bounds of
// whole blocks: over 100,000 points, by-count passes on a random walk, drift
// at anchor, a spiral and a smooth course ran 15 to 35 % faster with 256
// points than with 128 (512 no faster than 256). Bounding the worst, each
// level of listed ends is ordered in a heap, and long open wedges (a smooth
// course at 1 m) ran a fifth slower with 256.
constexpr std::int64_t kNearSteps = 128;
constexpr std::int64_t kCountNearSteps = 256;
// Bounding the worst at a tolerance whose walks a count has taken already,
// the starts whose walks end within this many points are scanned to their
// ends: the Lightest pass of a spiral by 1,000 points of 100,000 took 185 ms
// so against 215 ms with 128 points and walks by blocks beyond (192 ms with
// 256), a smooth course and a ship turning back over its track 5 % less.
constexpr std::int64_t kKnownReachSteps = 384;
// Ends retire (ShortcutLabeller::StartRetiring) once most searches of a
// stretch of kRetireLook starts have taken more than kRetireAbove items
// each, after the first kRetireAfter starts of a pass (beside the last
// point, whose ends all lie a hop or two from it, the searches tell little
// of the track's). Most tracks take 1 to 3 items per start; stretches of a
// random walk take 14, where the walks back would double the pass's time
// and save nothing. A ship that turns back beside its track takes up to 29
// over a stretch, a zig-zag whose amplitude nears the tolerance hundreds.
constexpr std::int64_t kRetireAbove = 24;
constexpr std::int64_t kRetireAfter = 1024;
constexpr std::int64_t kRetireLook = 64;
// A bracketed pass scans ahead once a stretch of kSparseLook starts has
// searched from more than a kSparseShare-th of them: scanned a few at a
// time each search costs about 2.5 us (a random walk of 100,000 points by
// 1,000), against 0.9 us with the scans ahead.
constexpr std::int64_t kSparseLook = 4096;
constexpr std::int64_t kSparseShare = 4;
// Bounding the worst, a shortcut whose lower bound alone sets its route's
// lower bound is measured exactly when that bound lies within this share of
// the tolerance below it and the shortcut spans no more points than this
// (LabelStart).
constexpr double kSettleShare = 0.01;
constexpr std::int64_t kSettleLength = 1024;

}  // namespace

ShortcutLabeller::ShortcutLabeller(ShortcutOracle& oracle, std::function<void()> poll)
    : oracle_(oracle),
      n_(oracle.Size()),
      top_level_(BlockLevels(oracle.Size()) - 1),
      poll_(std::move(poll)),
      tree_(0) {}  // sized by each pass

bool ShortcutLabeller::Later(const Item& a, const Item& b) {
  if (a.hops != b.hops) return a.hops > b.hops;
  if (a.lower != b.lower) return a.lower > b.lower;
  return a.begin > b.begin;
}

void ShortcutLabeller::Push(Item item) {
  queue_.push_back(item);
  std::push_heap(queue_.begin(), queue_.end(), Later);
}

ShortcutLabeller::Item ShortcutLabeller::Pop() {
  std::pop_heap(queue_.begin(), queue_.end(), Later);
  const Item item = queue_.back();
  queue_.pop_back();
  return item;
}

void ShortcutLabeller::AddWedge(const DirectionWedge& wedge) { wedges_.push_back(wedge); }

// ---- The walk -------------------------------------------------------------

std::int64_t ShortcutLabeller::NearSteps() const {
  return with_worst_ ? kNearSteps : kCountNearSteps;
}

const NearScan* ShortcutLabeller::Near(std::int64_t i, double tolerance) {
  if (scans_ != nullptr) return scans_->Of(i);
  const std::int64_t first = i & ~std::int64_t{ShortcutOracle::kNearStarts - 1};
  const std::int64_t steps = NearSteps();
  if (near_first_ != first || near_tolerance_ != tolerance || near_steps_ != steps) {
    const auto count =
        static_cast<int>(std::min<std::int64_t>(ShortcutOracle::kNearStarts, n_ - 1 - first));
    if (!oracle_.ScanNear(first, count, steps, tolerance, near_)) return nullptr;
    near_first_ = first;
    near_tolerance_ = tolerance;
    near_steps_ = steps;
  }
  return &near_[i - first];
}

void ShortcutLabeller::Walk(std::int64_t i, double tolerance) {
  oracle_.Open(i, tolerance, with_worst_);
  start_ = i;
  pieces_.clear();
  wedges_.clear();
  near_ends_ = {};
  auto take = [&](const WalkPiece& piece) { pieces_.push_back(piece); };
  auto end_piece = [&](std::int64_t k) { take({k, {kEnd, k}, -1}); };
  if (!oracle_.Directed()) {
    ForEachPiece(i + 1, n_, top_level_, end_piece,
                 [&](Block b) { take({BlockBegin(b), b, -1}); });
    walk_reach_ = n_ - 1;
    return;
  }
  // Ends one by one, each listed unless the wedge of the points before it
  // rules it out; then blocks as a whole (WalkBlocks), up to the point that
  // closes the wedge.
  DirectionWedge wedge = DirectionWedge();
  std::int64_t p = i + 1;
  bool open = true;
  const NearScan* near = Near(i, tolerance);
  if (near != nullptr) {
    // The first stretch, scanned with the neighbouring starts: one piece.
    near_ends_ = near->ends;
    if (!near_ends_.empty()) take({near_ends_.front(), {kList, 0}, -1});
    open = near->open;
    p = near->next;
    wedge = near->wedge;
  }
  std::int64_t reach = 0;
  if (near != nullptr && near->walked) {
    // The rest, walked ahead with the scan.
    pieces_.insert(pieces_.end(), near->beyond.pieces.begin(), near->beyond.pieces.end());
    wedges_ = near->beyond.wedges;
    reach = near->beyond.reach;
  } else {
    reach = WalkBlocks(
        p, n_, top_level_, open, wedge,
        [&](DirectionWedge& w, std::int64_t begin, std::int64_t end) {
          listed_.clear();
          const std::int64_t next = oracle_.WalkPoints(w, begin, end, listed_);
          for (const std::int64_t k : listed_) end_piece(k);
          return next;
        },
        [&](DirectionWedge& w, Block b) { oracle_.ConstrainByBlock(w, b); },
        [&](Block b, const DirectionWedge& before) {
          AddWedge(before);
          take({BlockBegin(b), b, static_cast<int>(wedges_.size()) - 1});
        });
  }
  // Beyond the point that closed the wedge only unbounded ends may be valid.
  const std::span<const std::int64_t> unbounded = oracle_.Unbounded();
  for (const std::int64_t k : unbounded) {
    if (k > reach) end_piece(k);
  }
  walk_reach_ = std::min(n_ - 1, unbounded.empty() ? reach : std::max(reach, unbounded.back()));
}

// ---- The search among the ends -------------------------------------------

void ShortcutLabeller::PushEnd(std::int64_t j) {
  const auto k = static_cast<std::size_t>(j);
  if ((target_ >= 0 && hops_[k] != target_) || hops_[k] < least_level_) return;
  Item item{};
  item.hops = hops_[k];
  item.base = with_worst_ ? worst_lower_[k] : 0.0;
  item.lower = item.base;
  item.begin = j;
  item.block = {kEnd, j};
  item.wedge = -1;
  item.findings = -1;  // its lower bound is asked for when it comes up
  Push(item);
}

void ShortcutLabeller::FindNearLevels() {
  // The hops change a few times along the near ends: each change noted,
  // then sorted, the first place of each count kept.
  near_levels_.clear();
  std::int64_t last = LabelTree::kUnlabelled;
  for (std::size_t p = 0; p < near_ends_.size(); ++p) {
    const std::int64_t h = hops_[static_cast<std::size_t>(near_ends_[p])];
    if (h != last && h != LabelTree::kUnlabelled) near_levels_.push_back({h, p});
    last = h;
  }
  std::sort(near_levels_.begin(), near_levels_.end(), [](const NearLevel& a, const NearLevel& b) {
    return a.hops != b.hops ? a.hops < b.hops : a.first < b.first;
  });
  near_levels_.erase(std::unique(near_levels_.begin(), near_levels_.end(),
                                 [](const NearLevel& a, const NearLevel& b) {
                                   return a.hops == b.hops;
                                 }),
                     near_levels_.end());
}

void ShortcutLabeller::PushListGroup(std::int64_t least) {
  // The near ends with the fewest hops from `least` on (in the group search,
  // the hops sought): counting hops only, as one item; else one end at a
  // time, least lower worst first, from a heap of them.
  const auto level =
      std::find_if(near_levels_.begin(), near_levels_.end(),
                   [&](const NearLevel& l) { return l.hops >= least; });
  if (level == near_levels_.end() || (target_ >= 0 && level->hops != target_)) return;
  const std::int64_t hops = level->hops;
  list_hops_ = hops;
  list_first_ = level->first;
  if (!with_worst_) {
    Item item{};
    item.hops = hops;
    item.begin = near_ends_.front();
    item.block = {kList, 0};
    item.wedge = -1;
    item.bounded = true;  // nothing to refresh
    Push(item);
    return;
  }
  list_group_.clear();
  for (const std::int64_t j : near_ends_.subspan(list_first_)) {
    if (hops_[static_cast<std::size_t>(j)] == hops) list_group_.push_back(j);
  }
  std::make_heap(list_group_.begin(), list_group_.end(), LaterEnd{this});
  PushListTop();
}

bool ShortcutLabeller::LaterEnd::operator()(std::int64_t a, std::int64_t b) const {
  const double x = labeller->worst_lower_[static_cast<std::size_t>(a)];
  const double y = labeller->worst_lower_[static_cast<std::size_t>(b)];
  return x != y ? x > y : a > b;
}

void ShortcutLabeller::PushListTop() {
  if (list_group_.empty()) return;
  const std::int64_t j = list_group_.front();
  Item item{};
  item.hops = list_hops_;
  item.base = worst_lower_[static_cast<std::size_t>(j)];
  item.lower = item.base;
  item.begin = j;
  item.block = {kList, 0};
  item.wedge = -1;
  item.bounded = true;
  Push(item);
}

void ShortcutLabeller::PushBlock(Block b, int wedge) { PushBlock(b, wedge, tree_.Of(b)); }

void ShortcutLabeller::PushBlock(Block b, int wedge, const LabelTree::Least& least) {
  if (least.hops == LabelTree::kUnlabelled) return;
  if (target_ >= 0 && least.hops > target_) return;
  Item item{};
  item.hops = target_ >= 0 ? target_ : std::max(least.hops, least_level_);
  item.base = with_worst_ && least.hops == item.hops ? least.worst : 0.0;
  item.begin = BlockBegin(b);
  item.block = b;
  item.wedge = wedge;
  const double bound = BlockLower(b, wedge);
  if (bound > tolerance_) return;  // no valid end
  item.lower = std::max(item.base, bound);
  item.findings = oracle_.Findings();
  Push(item);
}

double ShortcutLabeller::BlockLower(Block b, int wedge) {
  return oracle_.EndsLower(
      b, wedge >= 0 ? wedges_[static_cast<std::size_t>(wedge)] : DirectionWedge());
}

void ShortcutLabeller::RankPieces() {
  waiting_ = LabelTree::kUnlabelled;
  piece_hops_.resize(pieces_.size());
  for (std::size_t k = 0; k < pieces_.size(); ++k) {
    const WalkPiece& piece = pieces_[k];
    std::int64_t hops = LabelTree::kUnlabelled;
    if (piece.block.level == kList) {
      FindNearLevels();
      if (!near_levels_.empty()) hops = near_levels_.front().hops;
    } else {
      hops = piece.block.level < 0 ? hops_[static_cast<std::size_t>(piece.begin)]
                                   : tree_.Of(piece.block).hops;
    }
    piece_hops_[k] = hops;
    waiting_ = std::min(waiting_, hops);
  }
}

bool ShortcutLabeller::Ready() {
  // Pieces join the queue a hop count at a time, in track order, once the
  // queue holds nothing with fewer hops.
  while (waiting_ != LabelTree::kUnlabelled &&
         (queue_.empty() || waiting_ <= queue_.front().hops)) {
    const std::int64_t hops = waiting_;
    waiting_ = LabelTree::kUnlabelled;
    for (std::size_t k = 0; k < pieces_.size(); ++k) {
      const WalkPiece& piece = pieces_[k];
      if (piece_hops_[k] == hops) {
        if (piece.block.level == kList) {
          PushListGroup(target_ >= 0 ? target_ : std::max(hops, least_level_));
        } else if (piece.block.level < 0) {
          PushEnd(piece.begin);
        } else {
          PushBlock(piece.block, piece.wedge);
        }
        piece_hops_[k] = LabelTree::kUnlabelled;
      } else {
        waiting_ = std::min(waiting_, piece_hops_[k]);
      }
    }
  }
  return !queue_.empty();
}

bool ShortcutLabeller::Refresh(Item& item) {
  if (item.deferred) {
    // Bounded now, as PushBlock would have; back into the queue where that
    // raises its lower bound.
    item.deferred = false;
    if (item.after_first) {
      item.wedge = AfterFirstHalf(item.block, item.wedge);
      item.after_first = false;
    }
    const double bound = BlockLower(item.block, item.wedge);
    item.findings = oracle_.Findings();
    if (bound > tolerance_) return false;  // no valid end
    return !Raised(item, bound);
  }
  if (item.bounded || item.findings == oracle_.Findings()) return true;  // lists are bounded
  const double bound = item.block.level < 0 ? oracle_.EndLower(item.begin)
                                             : BlockLower(item.block, item.wedge);
  item.findings = oracle_.Findings();
  if (bound == kInf) return false;
  // Counting hops, the order among items of as many hops does not matter:
  // the bound only rules out items, once.
  if (!with_worst_) return !(bound > tolerance_);
  return !Raised(item, bound);
}

bool ShortcutLabeller::Raised(Item& item, double bound) {
  const double lower = std::max(item.base, bound);
  if (!(lower > item.lower)) return false;
  item.lower = lower;
  Push(item);
  return true;
}

bool ShortcutLabeller::Requeued(Item& item, const ShortcutBounds& b) {
  item.bounded = true;
  item.lo = b.lower;
  item.hi = b.upper;
  return Raised(item, b.lower);
}

void ShortcutLabeller::Expand(const Item& item) {
  const Block b = item.block;
  if (b.level == kList) {  // bounding the worst: the group's next end
    std::pop_heap(list_group_.begin(), list_group_.end(), LaterEnd{this});
    PushEnd(list_group_.back());
    list_group_.pop_back();
    if (!list_group_.empty()) {
      PushListTop();
    } else if (target_ < 0) {
      PushListGroup(list_hops_ + 1);
    }
    return;
  }
  if (b.level > 0) {
    PushHalf(item, 0);
    if (BlockBegin(ChildBlock(b, 1)) < n_) PushHalf(item, 1);
    return;
  }
  // A leaf: its ends, each unless the wedge before the leaf rules it out
  // (the leaf's own points would narrow it a little more, at a cost).
  const std::int64_t end = BlockEnd(b, n_);
  for (std::int64_t k = BlockBegin(b); k < end; ++k) {
    if (item.wedge < 0 || k == start_ + 1 ||
        oracle_.EndMayBeValid(wedges_[static_cast<std::size_t>(item.wedge)], k)) {
      PushEnd(k);
    }
  }
}

void ShortcutLabeller::PushHalf(const Item& item, int side) {
  const Block half = ChildBlock(item.block, side);
  const LabelTree::Least least = tree_.Of(half);
  if (least.hops == LabelTree::kUnlabelled) return;
  if (least.hops > item.hops && target_ < 0) {
    // Its lower bound for now: the labels' alone.
    Item deferred{};
    deferred.hops = least.hops;
    deferred.base = with_worst_ ? least.worst : 0.0;
    deferred.lower = deferred.base;
    deferred.begin = BlockBegin(half);
    deferred.block = half;
    deferred.wedge = item.wedge;
    deferred.deferred = true;
    deferred.after_first = side == 1;
    Push(deferred);
    return;
  }
  PushBlock(half, side == 1 ? AfterFirstHalf(half, item.wedge) : item.wedge, least);
}

int ShortcutLabeller::AfterFirstHalf(Block b, int wedge) {
  if (wedge < 0) return wedge;
  DirectionWedge narrowed = wedges_[static_cast<std::size_t>(wedge)];
  oracle_.ConstrainByBlock(narrowed, {b.level, b.index - 1});
  AddWedge(narrowed);
  return static_cast<int>(wedges_.size()) - 1;
}

bool ShortcutLabeller::OpenBefore(std::int64_t j) const {
  return std::find(open_before_.begin(), open_before_.end(), j) != open_before_.end();
}

void ShortcutLabeller::LabelStart(std::int64_t i) {
  using Validity = ShortcutBounds::Validity;
  open_before_.swap(open_now_);
  if (open_start_ != i + 1) open_before_.clear();  // not the start after this one
  open_now_.clear();
  open_start_ = i;
  Walk(i, tolerance_);
  // Ends with fewer hops than those of i's known label less one are
  // certainly invalid: a search that knows it takes none of them up.
  target_ = known_hops_ != nullptr ? (*known_hops_)[static_cast<std::size_t>(i)] - 1 : -1;
  queue_.clear();
  RankPieces();
  // Best first: the fewest hops, then (with the worst) the least lower
  // bound of a route through the end. Among the ends with the fewest hops
  // of any valid one, a route's weight lies within [max(worst lower, w
  // lower), max(worst upper, w upper)]. The first valid end taken bounds
  // i's worst: no end after it has a lower bound below its own, so the
  // lower bound is final, and the upper one is no wider than the end's own
  // bounds (so widths never grow along a route). Searching on for a lower
  // upper bound would bound every end of a run of ties, whose routes share
  // one weight up to the width of their bounds (on the ellipsoid tens of
  // centimetres): that search grew with the square of the shortcuts'
  // length. ExactWorst resolves exactly where a result needs it.
  //
  // An end whose validity its bounds leave open is measured exactly only if
  // no end of its hops turns out certainly valid: it waits behind them
  // (lower +infinity). Else it may still be valid, and its lower bound
  // counts in i's lower one (kept in `open_lower` per hop count).
  std::int64_t best = LabelTree::kUnlabelled;
  std::int64_t taken = -1;  // the valid end of `best` hops
  double lower = kInf, upper = kInf;
  std::int64_t open_hops = -1;
  double open_lower = kInf;
  auto defer = [&](const Item& item, double route_lower) {
    Item waiting = item;
    waiting.bounded = false;
    waiting.decide = true;
    waiting.lower = kInf;
    Push(waiting);
    if (item.hops != open_hops) {
      open_hops = item.hops;
      open_lower = kInf;
    }
    open_lower = std::min(open_lower, route_lower);
  };
  while (Ready()) {
    Item item = Pop();
    ++popped_;
    if (item.hops >= most_level_) {
      best = most_level_;
      taken = bracket_.LowerEnd(i);
      break;
    }
    if (!Refresh(item)) continue;
    if (item.block.level == kList && !with_worst_) {
      // Any valid end with these hops will do: the nearest first.
      for (const std::int64_t j : near_ends_.subspan(list_first_)) {
        if (hops_[static_cast<std::size_t>(j)] != item.hops) continue;
        const Validity v = oracle_.Bounds(j, kInf, false).validity;
        if (v == Validity::kValid) {
          best = item.hops;
          taken = j;
          break;
        }
        if (v == Validity::kOpen) {
          Item end{};
          end.hops = item.hops;
          end.begin = j;
          end.block = {kEnd, j};
          end.wedge = -1;
          defer(end, 0.0);
        }
      }
      if (best != LabelTree::kUnlabelled) break;
      PushListGroup(item.hops + 1);
      continue;
    }
    if (item.block.level != kEnd) {
      Expand(item);
      continue;
    }
    const std::int64_t j = item.begin;
    const auto k = static_cast<std::size_t>(j);
    if (!item.bounded) {
      if (with_worst_ && !item.decide && OpenBefore(j)) {
        defer(item, item.lower);
        continue;
      }
      const ShortcutBounds b =
          oracle_.Bounds(j, with_worst_ ? kWidth * tolerance_ : kInf, item.decide);
      if (b.validity == Validity::kInvalid) continue;
      if (b.validity == Validity::kOpen) {
        if (with_worst_) open_now_.push_back(j);
        defer(item, std::max(worst_lower_[k], b.lower));
        continue;
      }
      if (!with_worst_) {
        best = item.hops;
        taken = j;
        break;
      }
      if (Requeued(item, b)) continue;
    }
    // The route's lower bound set by the shortcut alone, close below the
    // tolerance: measured exactly (Settled). Every start before i inherits
    // the bound, and with the bounds' slop in it ExactWorst searched again
    // from each to raise it to the route's weight: on a slow ship by 1,000
    // points of 100,000 it searched from 32,000 starts, each bounded 0.07 mm
    // below the weight of one shortcut, 0.03 % below the tolerance. A
    // lightest route's heaviest shortcuts mostly lie that close. Lighter
    // ones are left, and longer ones: on a line straight in degrees, whose
    // shortcuts of 4,000 points set their routes' bounds at every other
    // start, each exact measure takes 3 ms, and the searches it would save
    // cost less (5.2 s against 7.5 s at 100,000 fixes by 1 m).
    if (with_worst_ && item.lo > worst_lower_[k] && item.lo < item.hi &&
        item.lo >= (1.0 - kSettleShare) * tolerance_ && j - i <= kSettleLength &&
        Settled(i, item)) {
      continue;
    }
    best = item.hops;
    taken = j;
    lower = std::max(worst_lower_[k], item.lo);
    upper = std::max(worst_upper_[k], item.hi);
    break;
  }
  if (best == LabelTree::kUnlabelled) {
    throw std::logic_error("ShortcutLabeller: no valid shortcut");  // i + 1 always is
  }
  if (open_hops == best) lower = std::min(lower, open_lower);
  const auto at = static_cast<std::size_t>(i);
  hops_[at] = best + 1;
  ends_[at] = taken;
  reaches_[at] = walk_reach_;
  if (with_worst_) {
    worst_lower_[at] = lower;
    worst_upper_[at] = upper;
  }
  tree_.Set(i, best + 1, with_worst_ ? lower : 0.0);
}

bool ShortcutLabeller::Settled(std::int64_t i, Item& item) {
  const WeightAnswer a = oracle_.Weight(i, item.begin, item.lo, item.hi);
  if (a.kind == WeightAnswer::Kind::kAbove) return false;
  const double w = a.kind == WeightAnswer::Kind::kExactly ? a.value : item.lo;
  return Requeued(item, {ShortcutBounds::Validity::kValid, w, w});
}

bool ShortcutLabeller::Unlikely(std::int64_t i, std::int64_t below) {
  // Past the track's middle, finishing costs no more than the pass so far.
  const std::int64_t labelled = n_ - 1 - i;
  if (labelled * kProbeShare < n_ || 2 * labelled > n_) return false;
  // A route of hops(i + 1) shortcuts covers the labelled stretch; the whole
  // track, at that rate, takes n / labelled times as many.
  const double rate = static_cast<double>(hops_[static_cast<std::size_t>(i + 1)]) /
                      static_cast<double>(labelled);
  projected_ = static_cast<std::int64_t>(rate * static_cast<double>(n_ - 1)) + 1;
  return projected_ < below;
}

bool ShortcutLabeller::Label(double tolerance, bool with_worst, std::int64_t give_up_below) {
  tolerance_ = tolerance;
  with_worst_ = with_worst;
  whole_count_ = false;
  least_level_ = 0;
  most_level_ = LabelBracket::kNone;
  const auto n = static_cast<std::size_t>(n_);
  hops_.assign(n, 0);
  ends_.assign(n, n_ - 1);
  reaches_.assign(n, n_ - 1);
  worst_lower_.assign(n, 0.0);
  worst_upper_.assign(n, 0.0);
  tree_ = LabelTree(n_);
  if (n_ == 0) return true;
  tree_.Set(n_ - 1, 0, 0.0);
  // A bracketed pass searches from a few starts here and there: their near
  // scans are taken a few neighbours at a time (Near) rather than all of
  // them ahead, until a stretch shows that it searches from many
  // (kSparseLook).
  const bool bounded = !with_worst && bracket_.Begin(n_, tolerance);
  const bool bracketed = bounded && bracket_.Brackets(tolerance);
  known_hops_ = with_worst ? bracket_.HopsAt(tolerance) : nullptr;
  const std::int64_t steps = NearSteps();
  std::optional<NearScans> scans;
  if (!bracketed) {
    scans.emplace(oracle_, n_ - 1, steps, tolerance,
                  with_worst ? bracket_.ReachesAt(tolerance) : nullptr, kKnownReachSteps);
  }
  scans_ = scans ? &*scans : nullptr;
  std::int64_t searched = 0;  // starts of the stretch searched from
  dear_ = 0;
  bool retiring = false;
  retired_.clear();
  try {
    for (std::int64_t i = n_ - 2; i >= 0; --i) {
      if (i % kPollPoints == 0) {
        if (poll_) poll_();
        if (give_up_below > 0 && Unlikely(i, give_up_below)) {
          scans_ = nullptr;
          return false;
        }
      }
      if (!retiring && i % kRetireLook == 0) {
        retiring = n_ - 1 - i >= kRetireAfter && 2 * dear_ > kRetireLook && StartRetiring(i);
        dear_ = 0;
      }
      if (retiring) Retire(i);
      if (bracketed && !scans && i % kSparseLook == 0) {
        if (searched * kSparseShare > kSparseLook) {
          scans.emplace(oracle_, i + 1, steps, tolerance);
          scans_ = &*scans;
        }
        searched = 0;
      }
      popped_ = 0;
      const LabelBracket::Range bounds =
          bounded ? bracket_.Bounds(i, hops_) : LabelBracket::Range{1, LabelBracket::kNone};
      if (bounds.least == bounds.most) {
        if (scans_ != nullptr) scans_->Of(i);  // asked for in order
        LabelKnown(i, bounds.least);
      } else {
        ++searched;
        // Ends of fewer hops than least - 1 are certainly invalid; once
        // those of fewer than most - 1 have failed, the end of lo's pass
        // will do.
        least_level_ = bounds.least - 1;
        most_level_ = bounds.most == LabelBracket::kNone ? bounds.most : bounds.most - 1;
        LabelStart(i);
        least_level_ = 0;
        most_level_ = LabelBracket::kNone;
      }
      if (bounded) bracket_.Labelled(i, hops_[static_cast<std::size_t>(i)]);
      if (popped_ > kRetireAbove) ++dear_;
      if (retiring) Await(i);
    }
  } catch (...) {
    scans_ = nullptr;
    throw;
  }
  scans_ = nullptr;
  // Back in the tree, for ExactWorst and LowestRoute.
  for (const std::int64_t j : retired_) {
    const auto k = static_cast<std::size_t>(j);
    tree_.Set(j, hops_[k], with_worst_ ? worst_lower_[k] : 0.0);
  }
  whole_count_ = !with_worst;
  return true;
}

void ShortcutLabeller::LabelKnown(std::int64_t i, std::int64_t hops) {
  const auto at = static_cast<std::size_t>(i);
  hops_[at] = hops;
  ends_[at] = bracket_.LowerEnd(i);
  reaches_[at] = bracket_.Reach(i);
  tree_.Set(i, hops, 0.0);
}

void ShortcutLabeller::KeepBracketEnd(double tolerance, bool upper) {
  if (!whole_count_ || tolerance != tolerance_) return;
  const LabelBracket::Pass pass{tolerance, hops_, ends_, reaches_};
  if (upper) {
    bracket_.KeepUpper(pass);
  } else {
    bracket_.KeepLower(pass);
  }
}

bool ShortcutLabeller::StartRetiring(std::int64_t i) {
  if (oracle_.EarliestStart(n_ - 1, tolerance_) < 0) return false;
  if (scans_ != nullptr) scans_->FindEarliest();
  awaiting_.assign(static_cast<std::size_t>(n_), -1);
  next_awaiting_.assign(static_cast<std::size_t>(n_), -1);
  // As if the pass had retired ends from its first start.
  for (std::int64_t j = n_ - 1; j > i; --j) {
    Await(j);
    if (j > i + 1) Retire(j - 1);
  }
  return true;
}

void ShortcutLabeller::Await(std::int64_t j) {
  const std::int64_t e =
      scans_ != nullptr ? scans_->EarliestStart(j) : oracle_.EarliestStart(j, tolerance_);
  if (e <= 0) return;
  const auto k = static_cast<std::size_t>(j);
  next_awaiting_[k] = awaiting_[static_cast<std::size_t>(e)];
  awaiting_[static_cast<std::size_t>(e)] = j;
}

void ShortcutLabeller::Retire(std::int64_t i) {
  // The ends whose earliest start is i + 1, labelled already (an end's
  // earliest start lies before it).
  for (std::int64_t j = awaiting_[static_cast<std::size_t>(i + 1)]; j >= 0;
       j = next_awaiting_[static_cast<std::size_t>(j)]) {
    tree_.Set(j, LabelTree::kUnlabelled, kInf);
    retired_.push_back(j);
  }
}

// ---- Exact worst labels ----------------------------------------------------

template <typename Visit>
double ShortcutLabeller::SearchGroup(std::int64_t i, double limit, Visit visit) {
  // The valid ends j of i with hops(i) - 1 hops, least lower bound first,
  // while that bound lies below `limit`, which visit(j, lo, hi, limit) may
  // lower (it returns the new limit); lo and hi bound w(i, j). Returns the
  // final limit.
  Walk(i, tolerance_);
  target_ = hops_[static_cast<std::size_t>(i)] - 1;
  queue_.clear();
  RankPieces();
  while (Ready()) {
    Item item = Pop();
    if (!(item.lower < limit)) break;
    if (!Refresh(item)) continue;
    if (item.block.level != kEnd) {
      Expand(item);
      continue;
    }
    if (!item.bounded) {
      const ShortcutBounds b = oracle_.Bounds(item.begin, kWidth * tolerance_, false);
      if (b.validity == ShortcutBounds::Validity::kInvalid) continue;  // open: may be valid
      if (Requeued(item, b)) continue;
    }
    limit = visit(item.begin, item.lo, item.hi, limit);
  }
  target_ = -1;
  return limit;
}

bool ShortcutLabeller::Exact(std::int64_t j) const {
  const auto k = static_cast<std::size_t>(j);
  return worst_lower_[k] == worst_upper_[k];
}

void ShortcutLabeller::SetWorst(std::int64_t j, double lower, double upper) {
  const auto k = static_cast<std::size_t>(j);
  worst_lower_[k] = lower;
  worst_upper_[k] = upper;
  tree_.Set(j, hops_[k], lower);
}

double ShortcutLabeller::ExactWorst(std::int64_t root) { return WorstBelow(root, kInf); }

double ShortcutLabeller::WorstBelow(std::int64_t root, double cap) {
  // worst(i) = min over the valid ends j with hops(i) - 1 hops of
  // max(worst(j), w(i, j)), sought below a cap, a frame per point. A frame
  // first lists the ends whose routes' lower bounds lie below its limit
  // (SearchGroup), which falls to the least upper bound of a route through
  // an end certainly valid. Then it weighs them in that order against the
  // lightest route found so far, `current`:
  //   - an end whose route's lower bound reaches `current` is passed by;
  //   - so is one whose shortcut alone weighs more than `current`;
  //   - worst(j) is sought, in a frame of its own, only below `current`
  //     and only where it can set the route's weight (the lower bound of
  //     w(i, j) lies below worst_upper(j)).
  // Routes that cannot come below the lightest so far mostly show it at a
  // point or two of one shortcut; their exact worst would have measured
  // every shortcut of theirs. On a long track that curves gently on the
  // ellipsoid, hundreds of ends per start lie within the bounds' slop of
  // the lightest. A frame that finds no route below its cap leaves worst(i)
  // bounded below by the cap. Frames wait on a stack (no recursion: a route
  // may have a hundred thousand shortcuts); the ends of every frame lie in
  // one array, each frame's after its caller's.
  const double& lower = worst_lower_[static_cast<std::size_t>(root)];
  if (Exact(root) || !(lower < cap)) return lower;
  std::vector<WorstFrame> frames;
  std::vector<GroupEnd> ends;
  OpenFrame(root, cap, frames, ends);
  std::int64_t rounds = 0;
  while (!frames.empty()) {
    if (poll_ && ++rounds % 64 == 0) poll_();
    WorstFrame& f = frames.back();
    const std::int64_t j = NextToWeigh(f, ends);
    if (j >= 0) {
      OpenFrame(j, f.current, frames, ends);  // f is gone with the push
      continue;
    }
    const auto k = static_cast<std::size_t>(f.i);
    if (f.current < f.cap) {
      SetWorst(f.i, f.current, f.current);
    } else {
      SetWorst(f.i, std::max(worst_lower_[k], f.cap), worst_upper_[k]);
    }
    ends.resize(f.first);
    frames.pop_back();
  }
  return lower;
}

void ShortcutLabeller::OpenFrame(std::int64_t i, double cap, std::vector<WorstFrame>& frames,
                                 std::vector<GroupEnd>& ends) {
  // i is not exact, and its lower bound lies below the cap.
  WorstFrame f{i, cap, ends.size(), ends.size(), 0.0};
  f.current = SearchGroup(i, std::min(worst_upper_[static_cast<std::size_t>(i)], cap),
                          [&](std::int64_t j, double lo, double hi, double current) {
                            ends.push_back({j, lo});
                            const double upper = worst_upper_[static_cast<std::size_t>(j)];
                            return hi <= tolerance_ ? std::min(current, std::max(upper, hi))
                                                    : current;
                          });
  frames.push_back(f);
}

std::int64_t ShortcutLabeller::NextToWeigh(WorstFrame& f, const std::vector<GroupEnd>& ends) {
  for (; f.next < ends.size(); ++f.next) {
    const GroupEnd e = ends[f.next];
    const auto k = static_cast<std::size_t>(e.j);
    if (!(std::max(worst_lower_[k], e.lo) < f.current)) continue;  // no lighter route
    if (!Exact(e.j) && e.lo < worst_upper_[k]) {
      const double high = std::min(f.current, tolerance_);
      if (oracle_.Weight(f.i, e.j, high, high).kind == WeightAnswer::Kind::kAbove) continue;
      return e.j;  // worst(j) below `current` first
    }
    f.current = std::min(f.current, Route(f.i, e, f.current));
  }
  return -1;
}

double ShortcutLabeller::Route(std::int64_t i, const GroupEnd& e, double current) {
  // The weight of the lightest route through end e.j when it lies below
  // `current` (worst(j) exact, or below the lower bound of w(i, j)), else
  // `current`.
  const auto k = static_cast<std::size_t>(e.j);
  const double high = std::min(current, tolerance_);
  if (Exact(e.j)) {
    const double worst = worst_lower_[k];
    const WeightAnswer a = oracle_.Weight(i, e.j, worst, high);
    if (a.kind == WeightAnswer::Kind::kAbove) return current;
    return a.kind == WeightAnswer::Kind::kAtMost ? worst : a.value;
  }
  const WeightAnswer a = oracle_.Weight(i, e.j, -kInf, high);
  return a.kind == WeightAnswer::Kind::kAbove ? current : a.value;
}

// ---- The route ------------------------------------------------------------

std::vector<std::int64_t> ShortcutLabeller::LowestRoute(double weight) {
  std::vector<std::int64_t> route;
  if (n_ == 0) return route;
  route.push_back(0);
  struct Place {
    Block block;
    int wedge;
  };
  std::vector<WalkPiece> pieces;
  std::vector<DirectionWedge> wedges;
  std::vector<std::int64_t> near;
  std::vector<Place> places;
  std::int64_t i = 0;
  while (i < n_ - 1) {
    const std::int64_t target = hops_[static_cast<std::size_t>(i)] - 1;
    Walk(i, weight);
    pieces = pieces_;  // WorstBelow below walks from other starts
    wedges = wedges_;
    near.assign(near_ends_.begin(), near_ends_.end());
    auto fits = [&](std::int64_t j) {
      const auto k = static_cast<std::size_t>(j);
      if (hops_[k] != target || worst_lower_[k] > weight) return false;
      if (!(worst_upper_[k] <= weight)) {
        const bool within = WorstBelow(j, std::nextafter(weight, kInf)) <= weight;
        oracle_.Open(i, weight, with_worst_);
        if (!within) return false;
      }
      return oracle_.Weight(i, j, weight, weight).kind == WeightAnswer::Kind::kAtMost;
    };
    std::int64_t next = -1;
    for (const WalkPiece& piece : pieces) {
      if (piece.block.level == kList) {
        for (std::size_t c = 0; c < near.size() && next < 0; ++c) {
          if (fits(near[c])) next = near[c];
        }
      } else if (piece.block.level == kEnd) {
        if (fits(piece.begin)) next = piece.begin;
      } else {
        // The piece's ends in track order, blocks that hold no end that can
        // continue such a route left whole.
        places.assign(1, {piece.block, piece.wedge});
        while (!places.empty() && next < 0) {
          const Place place = places.back();
          places.pop_back();
          const LabelTree::Least least = tree_.Of(place.block);
          if (least.hops > target || (least.hops == target && least.worst > weight)) continue;
          const DirectionWedge before = place.wedge >= 0
                                            ? wedges[static_cast<std::size_t>(place.wedge)]
                                            : DirectionWedge();
          if (oracle_.EndsLower(place.block, before) > weight) continue;
          if (place.block.level > 0) {
            const Block first = ChildBlock(place.block, 0), second = ChildBlock(place.block, 1);
            if (BlockBegin(second) < n_) {
              int wedge = place.wedge;
              if (wedge >= 0) {
                DirectionWedge narrowed = before;
                oracle_.ConstrainByBlock(narrowed, first);
                wedges.push_back(narrowed);
                wedge = static_cast<int>(wedges.size()) - 1;
              }
              places.push_back({second, wedge});
            }
            places.push_back({first, place.wedge});
            continue;
          }
          DirectionWedge wedge = before;
          const std::int64_t end = BlockEnd(place.block, n_);
          for (std::int64_t k = BlockBegin(place.block); k < end && next < 0; ++k) {
            if ((place.wedge < 0 || k == i + 1 || oracle_.EndMayBeValid(wedge, k)) && fits(k)) {
              next = k;
            }
            if (place.wedge >= 0) oracle_.ConstrainByPoint(wedge, k);
          }
        }
      }
      if (next >= 0) break;
    }
    if (next < 0) throw std::logic_error("LowestRoute: the labels promise a route");
    route.push_back(next);
    i = next;
  }
  return route;
}

}  // namespace oru
