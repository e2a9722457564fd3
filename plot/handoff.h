#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "geodesy/datum.h"
#include "track/run_settings.h"

namespace oru {

// The plot hand-off: the input track and the reduced track of the last run,
// read again from their files and written as two files of plot metres that
// the plot window reads at each repaint.
//
// Plot metres: normal Mercator on WGS84, origin at the equator and the
// Greenwich meridian, true to scale on the equator (easting = a lambda,
// northing = a psi(phi), a = 6378137 m). X, Y tracks pass through unchanged.
//
// Hand-off line: "%lf %lf %d %d\n": X, Y, colour (RGB with red in the low
// byte: 0 black for every point, 255 red for the kept ones) and mode 2
// (joined to the previous point and marked).

inline constexpr const char* kAllPointsFile = "AllePunten.dat";
inline constexpr const char* kSelectedPointsFile = "Selectie.dat";
inline constexpr const char* kHandoffOpenError = "File fout";

inline constexpr std::int32_t kAllPointsColour = 0;         // black
inline constexpr std::int32_t kSelectedPointsColour = 255;  // red

// The three choices of the last run that decide how its files are read.
struct HandoffChoices {
  DatumChoice datum = DatumChoice::Wgs84;
  InputFormat input_format = InputFormat::OruKvl;
  OutputFormat output_format = OutputFormat::OruKvl;
};

// A geographic position as degrees, minutes, seconds and letters, the way
// the track files give it; unsigned fields, the sign in the letters.
struct DmsPosition {
  std::int32_t lat_deg = 0;
  std::int32_t lat_min = 0;
  double lat_sec = 0.0;
  char lat_hemi = 'N';
  std::int32_t lon_deg = 0;
  std::int32_t lon_min = 0;
  double lon_sec = 0.0;
  char lon_hemi = 'E';
};

// The coordinate text "%d %d %lf %c %d %d %lf %c" handed to Read_LatLon.
// Seconds that would print as 60.000000 or more (52.15 degrees splits into 8
// minutes and 59.999999999995 seconds) are carried into the minutes first,
// and 60 minutes into the degrees, so that the text is one Read_LatLon
// accepts and the position it names is the one meant.
std::string HandoffCoordinateText(const DmsPosition& p);

// Converts geographic positions to plot metres: Read_LatLon on the text
// above, Datum_Trans from ED50 to WGS84 when the track is on ED50, then
// Geo_To_Merc on WGS84 with map scale 1000 (x, y in metres).
class PlotProjector {
 public:
  explicit PlotProjector(DatumChoice datum);
  // 0 and x, y in plot metres, or the geodesy error code of the step that
  // failed (x, y untouched).
  int ToPlot(const DmsPosition& p, double& x, double& y);

 private:
  bool ed50_;
  DatumParams wgs84_;
  DatumParams ed50_params_;
};

struct HandoffText {
  std::string text;          // the hand-off file's content
  std::int64_t written = 0;  // lines written
  std::int64_t skipped = 0;  // lines not matching their format, or whose conversion failed
};

// "AllePunten.dat" from the input file's text. Reading stops at the end, at
// an empty line and, for the DMS and X, Y formats, at a line beginning with
// 'N'. Lines are taken whole and end at LF, CR LF or a lone CR
// (trackio/text_lines.h). A line that does not match its format, or whose
// conversion fails, is skipped: a wrong point is never written.
HandoffText AllPointsText(std::string_view input_text, const HandoffChoices& choices);

// "Selectie.dat" from the output file's text: one line per line of the file
// (X, Y passed through for X, Y tracks, whatever the output format),
// skipping lines that do not read or convert.
HandoffText SelectedPointsText(std::string_view output_text, const HandoffChoices& choices);

struct HandoffOutcome {
  bool written = false;
  // When a file could not be read or written: "File fout: ", the file, what
  // failed and the system's reason.
  std::string message;
  std::int64_t all_points = 0;
  std::int64_t selected_points = 0;
  std::int64_t skipped = 0;
};

// Reads `input` and `output` and writes the two hand-off files into
// `directory`. Nothing is written when one of the four files cannot be
// opened, or when a hand-off file is the input or the output file; the
// message then names the file.
HandoffOutcome WritePlotHandoff(const std::filesystem::path& input,
                                const std::filesystem::path& output,
                                const std::filesystem::path& directory,
                                const HandoffChoices& choices);

}  // namespace oru
