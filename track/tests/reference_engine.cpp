#include "track/tests/reference_engine.h"

#include <cstdlib>

#include "track/ellipsoidal_measures.h"
#include "track/planar_measures.h"
#include "track/planar_projection.h"

namespace oru::testing {
namespace {

int ComparePointNumbers(const void* x, const void* y) {
  const std::int64_t d =
      *static_cast<const std::int64_t*>(x) - *static_cast<const std::int64_t*>(y);
  return d > 0 ? 1 : (d < 0 ? -1 : 0);
}

}  // namespace

ReferenceRun ReferenceSelectPoints(std::vector<double> first, std::vector<double> second,
                                   const SelectionSettings& settings) {
  const auto n = static_cast<std::int64_t>(first.size());
  // The measure set of the calculation type; geographic tracks measured in
  // the plane are projected first.
  const bool ellipsoidal = settings.calculation == CalculationType::Ellipsoidic;
  DatumParams datum = settings.datum;
  if (!ellipsoidal && IsGeographic(settings.input_format)) {
    ProjectTrackToPlane(first, second, n, datum);
  }
  auto deviation = [&](double a1, double a2, double b1, double b2, double p1, double p2) {
    return ellipsoidal ? EllipsoidalDeviation(a1, a2, b1, b2, p1, p2, datum)
                       : PlanarDeviation(a1, a2, b1, b2, p1, p2);
  };
  auto line_length = [&](const std::vector<double>& f, const std::vector<double>& s,
                         std::int64_t m) {
    return ellipsoidal ? EllipsoidalLineLength(f, s, datum, m) : PlanarLineLength(f, s, m);
  };
  ReferenceRun run;
  if (n <= 2) {
    for (std::int64_t k = 1; k <= n; ++k) run.selected.push_back(k);
    const double length = line_length(first, second, n);
    run.statistics = {0.0, n, n, length, length, 0};
    return run;
  }

  std::vector<std::int32_t> candidates;
  for (std::int64_t p = 2; p <= n - 1; ++p) candidates.push_back(static_cast<std::int32_t>(p));
  std::vector<std::int32_t> scratch(candidates.size(), 0);
  std::int64_t candidate_count = n - 2;
  std::vector<std::int64_t> selection(static_cast<std::size_t>(n), 0);
  selection[0] = 1;
  selection[1] = n;
  std::int64_t count = 2;
  std::vector<double> selected_first(static_cast<std::size_t>(n), 999.9);
  std::vector<double> selected_second(static_cast<std::size_t>(n), 999.9);
  std::int64_t farthest = 0;
  double largest = 0.0;

  auto at = [](const std::vector<double>& v, std::int64_t point) {
    return v[static_cast<std::size_t>(point - 1)];
  };
  // The deviation of candidate p from its segment, found by a linear scan of
  // the selection list.
  auto candidate_deviation = [&](std::int64_t p) {
    std::int64_t j = 0;
    while (!(selection[static_cast<std::size_t>(j)] < p &&
             p < selection[static_cast<std::size_t>(j + 1)])) {
      ++j;
    }
    const std::int64_t a = selection[static_cast<std::size_t>(j)];
    const std::int64_t b = selection[static_cast<std::size_t>(j + 1)];
    return deviation(at(first, a), at(second, a), at(first, b), at(second, b), at(first, p),
                     at(second, p));
  };
  for (;;) {
    largest = 0.0;
    bool found = false;
    for (std::int64_t k = 0; k < candidate_count; ++k) {
      const std::int64_t p = candidates[static_cast<std::size_t>(k)];
      const double d = candidate_deviation(p);
      if (d > largest && count != n - 1) {
        largest = d;
        farthest = p;
        found = true;
      }
      if (count == n - 1) {
        farthest = p;
        found = true;
      }
    }
    if (!found) {  // every remaining candidate lies on the line
      farthest = candidates[0];
      largest = 0.0;
    }

    ++count;
    std::int64_t kept = 0;
    for (std::int64_t k = 0; k < candidate_count; ++k) {
      const std::int32_t p = candidates[static_cast<std::size_t>(k)];
      if (p == farthest) {
        selection[static_cast<std::size_t>(count - 1)] = p;
      } else {
        scratch[static_cast<std::size_t>(kept++)] = p;
      }
    }
    for (std::int64_t k = 0; k < kept; ++k) {
      candidates[static_cast<std::size_t>(k)] = scratch[static_cast<std::size_t>(k)];
    }
    std::qsort(selection.data(), static_cast<std::size_t>(count), sizeof(std::int64_t),
               ComparePointNumbers);
    --candidate_count;

    for (std::int64_t i = 0; i < count; ++i) {
      const std::int64_t point = selection[static_cast<std::size_t>(i)];
      selected_first[static_cast<std::size_t>(i)] = at(first, point);
      selected_second[static_cast<std::size_t>(i)] = at(second, point);
    }
    const double full_length = line_length(first, second, n);
    const double new_length = line_length(selected_first, selected_second, count);
    // The distance of the original line to the new one: every remaining
    // candidate measured again from its segment of the new line.
    double remaining = 0.0;
    for (std::int64_t k = 0; k < candidate_count; ++k) {
      const std::int64_t p = candidates[static_cast<std::size_t>(k)];
      const double d = candidate_deviation(p);
      if (d > remaining) remaining = d;
    }
    run.iterations.push_back({remaining, n, count, full_length, new_length, farthest, largest});

    if (!(largest > settings.threshold) && !(remaining > settings.threshold)) break;
    if (count >= settings.wanted_count) break;
    if (count >= n) break;
  }

  run.selected.assign(selection.begin(), selection.begin() + count);
  run.max_deviation = run.iterations.back().largest_deviation;
  run.statistics = run.iterations.back();
  return run;
}

std::vector<double> PlainLineDeviations(const std::vector<double>& first,
                                        const std::vector<double>& second,
                                        const std::vector<std::int64_t>& selected,
                                        const std::function<double(double, double, double, double,
                                                                   double, double)>& deviation) {
  std::vector<double> deviations(first.size(), 0.0);
  for (std::size_t k = 0; k + 1 < selected.size(); ++k) {
    const auto a = static_cast<std::size_t>(selected[k] - 1);
    const auto b = static_cast<std::size_t>(selected[k + 1] - 1);
    for (std::size_t p = a + 1; p < b; ++p) {
      deviations[p] = deviation(first[a], second[a], first[b], second[b], first[p], second[p]);
    }
  }
  return deviations;
}

}  // namespace oru::testing
