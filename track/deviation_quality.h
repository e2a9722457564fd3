#pragma once

#include <string>
#include <vector>

namespace oru {

// How far all the original points lie from the thinned line, beyond the
// largest distance that the statistics rows show.
struct DeviationQuality {
  double mean = 0.0;  // metres
  double rms = 0.0;   // metres: root mean square
  double p95 = 0.0;   // metres: 95th percentile
};

// The figures of one deviation per original point (the selected points count
// as 0.0), in metres:
//   mean = sum / n and rms = sqrt(sum of squares / n), each sum taken in
//   point order from 0.0;
//   p95 = the nearest-rank 95th percentile, the k-th smallest deviation with
//   k = ceil(95 n / 100): at least 95 % of the points lie within it.
// A NaN deviation makes the mean and the rms NaN and ranks above every
// number. All three are 0.0 for no points.
DeviationQuality SummariseDeviations(std::vector<double> deviations);

// The three figures as texts, written like the statistics rows' metres.
struct QualityTexts {
  std::string mean;
  std::string rms;
  std::string p95;
};
QualityTexts FormatQuality(const DeviationQuality& quality);

}  // namespace oru
