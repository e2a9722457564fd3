#include "plot/handoff.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "geodesy/angles.h"
#include "numbertext/c_number_format.h"
#include "numbertext/c_number_scan.h"
#include "geodesy/error_codes.h"
#include "geodesy/projections.h"
#include "geodesy/read_latlon.h"
#include "geodesy/transformation.h"
#include "trackio/file_io.h"
#include "trackio/text_lines.h"
#include "trackio/track_reader.h"
#include "track/track_store.h"

namespace oru {
namespace {

// Characters of an "oru/kvl" or "Kel" line that take part in its parse.
constexpr std::size_t kLetterWindow = 50;

// A whole number held in a double as a 32-bit field; outside the range it
// gives INT32_MIN, which Read_LatLon then rejects (degrees out of range).
std::int32_t Whole(double v) {
  if (v >= -2147483648.0 && v < 2147483648.0) return static_cast<std::int32_t>(v);
  return std::numeric_limits<std::int32_t>::min();
}

// D = floor(v), M = floor((v - D) 60), S = ((v - D) 60 - M) 60.
void SplitDecimal(double v, std::int32_t& d, std::int32_t& m, double& s) {
  const double whole = std::floor(v);
  const double minutes = (v - whole) * 60.0;
  const double whole_minutes = std::floor(minutes);
  d = Whole(whole);
  m = Whole(whole_minutes);
  s = (minutes - whole_minutes) * 60.0;
}

// Degrees, minutes and seconds each with their own sign (the DMS formats):
// the letter is the negative one when D + M/60 + S/3600 <= 0, and the three
// fields become magnitudes.
void SignedDms(std::int32_t d, std::int32_t m, double s, char positive, char negative,
               std::int32_t& out_d, std::int32_t& out_m, double& out_s, char& letter) {
  const double value = static_cast<double>(d) + static_cast<double>(m) / 60.0 + s / 3600.0;
  letter = value <= 0.0 ? negative : positive;
  out_d = Abs_Int(d);
  out_m = Abs_Int(m);
  out_s = std::fabs(s);
}

// One-slot reuse of the track readers' line grammars.
class LineReader {
 public:
  LineReader() : store_(1) {}

  // "oru/kvl": decimal degrees and letters as read; `magnitudes` splits |v|
  // (the output file) rather than v (the input file).
  bool Oru(std::string_view line, bool magnitudes, DmsPosition& p) {
    if (!ParseOruLine(line, store_, 0)) return false;
    double lat = store_.lat_as_read[0];
    double lon = store_.lon_as_read[0];
    if (magnitudes) {
      lat = std::fabs(lat);
      lon = std::fabs(lon);
    }
    SplitDecimal(lat, p.lat_deg, p.lat_min, p.lat_sec);
    SplitDecimal(lon, p.lon_deg, p.lon_min, p.lon_sec);
    p.lat_hemi = store_.lat_hemisphere[0];
    p.lon_hemi = store_.lon_hemisphere[0];
    return true;
  }

  // "ASCII Lat, Lon [DMS]" and the "ASCII" output: "%d %d %lf %d %d %lf".
  bool Dms(std::string_view line, DmsPosition& p) {
    if (!ParseDmsLine(line, store_, 0)) return false;
    SignedDms(store_.lat_degrees[0], store_.lat_minutes[0], store_.lat_seconds[0], 'N', 'S',
              p.lat_deg, p.lat_min, p.lat_sec, p.lat_hemi);
    SignedDms(store_.lon_degrees[0], store_.lon_minutes[0], store_.lon_seconds[0], 'E', 'W',
              p.lon_deg, p.lon_min, p.lon_sec, p.lon_hemi);
    return true;
  }

  bool Xy(std::string_view line, double& x, double& y) {
    if (!ParseXyLine(line, store_, 0)) return false;
    x = store_.first[0];
    y = store_.second[0];
    return true;
  }

 private:
  TrackStore store_;
};

// "Kel": the first 50 characters with every ',' made a '.' and a blank
// before every E/e/W/w, read with "%d-%lf%c %d-%lf %c": degrees and decimal
// minutes of latitude and longitude with their letters.
bool KelLine(std::string_view line, DmsPosition& p) {
  char work[2 * kLetterWindow];
  std::size_t length = 0;
  const std::size_t window = line.size() < kLetterWindow ? line.size() : kLetterWindow;
  for (std::size_t k = 0; k < window; ++k) {
    char ch = line[k];
    if (ch == '\0') break;
    if (ch == ',') ch = '.';
    if (ch == 'E' || ch == 'e' || ch == 'W' || ch == 'w') work[length++] = ' ';
    work[length++] = ch;
  }
  cscan::Cursor c{work, work + length};
  std::int32_t lat_d = 0;
  std::int32_t lon_d = 0;
  double lat_m = 0.0;
  double lon_m = 0.0;
  char lat_h = 0;
  char lon_h = 0;
  if (!cscan::Int(c, lat_d) || !cscan::Literal(c, '-') || !cscan::Double(c, lat_m) ||
      !cscan::Char(c, lat_h)) {
    return false;
  }
  cscan::SkipSpace(c);
  if (!cscan::Int(c, lon_d) || !cscan::Literal(c, '-') || !cscan::Double(c, lon_m)) return false;
  cscan::SkipSpace(c);
  if (!cscan::Char(c, lon_h)) return false;
  const double lat_whole = std::floor(lat_m);
  const double lon_whole = std::floor(lon_m);
  p.lat_deg = lat_d;
  p.lat_min = Whole(lat_whole);
  p.lat_sec = (lat_m - lat_whole) * 60.0;
  p.lat_hemi = lat_h;
  p.lon_deg = lon_d;
  p.lon_min = Whole(lon_whole);
  p.lon_sec = (lon_m - lon_whole) * 60.0;
  p.lon_hemi = lon_h;
  return true;
}

// Seconds as "%lf" prints them, carried so that they print below 60, and
// minutes carried below 60.
void CarryForText(std::int32_t& deg, std::int32_t& min, double& sec) {
  char buffer[cfmt::kFixedTextSize];
  const std::size_t n = cfmt::FixedText(buffer, sec, 6);
  double printed = 0.0;
  cscan::Cursor c{buffer, buffer + n};
  if (cscan::Double(c, printed) && printed >= 60.0) {
    sec = printed - 60.0;  // what "%lf" would have shown, less one minute
    if (min < std::numeric_limits<std::int32_t>::max()) ++min;
  }
  if (min >= 60) {
    min -= 60;
    if (deg < std::numeric_limits<std::int32_t>::max()) ++deg;
  }
}

// A hand-off that could not be made: "File fout: ", the file, what failed
// and the system's reason.
HandoffOutcome Failed(const std::filesystem::path& file, const char* what, int error) {
  HandoffOutcome outcome;
  outcome.message =
      WithSystemReason(std::string(kHandoffOpenError) + ": " + file.string() + what, error);
  return outcome;
}

}  // namespace

void AppendPlotLine(std::string& out, double x, double y, std::int32_t colour, std::int32_t mode) {
  cfmt::Fixed(out, x, 0, 6);
  out += ' ';
  cfmt::Fixed(out, y, 0, 6);
  out += ' ';
  cfmt::Int(out, colour);
  out += ' ';
  cfmt::Int(out, mode);
  out += '\n';
}

std::string HandoffCoordinateText(const DmsPosition& p) {
  std::int32_t lat_d = p.lat_deg;
  std::int32_t lat_m = p.lat_min;
  double lat_s = p.lat_sec;
  std::int32_t lon_d = p.lon_deg;
  std::int32_t lon_m = p.lon_min;
  double lon_s = p.lon_sec;
  CarryForText(lat_d, lat_m, lat_s);
  CarryForText(lon_d, lon_m, lon_s);
  std::string text;
  cfmt::Int(text, lat_d);
  text += ' ';
  cfmt::Int(text, lat_m);
  text += ' ';
  cfmt::Fixed(text, lat_s, 0, 6);
  text += ' ';
  text += p.lat_hemi;
  text += ' ';
  cfmt::Int(text, lon_d);
  text += ' ';
  cfmt::Int(text, lon_m);
  text += ' ';
  cfmt::Fixed(text, lon_s, 0, 6);
  text += ' ';
  text += p.lon_hemi;
  return text;
}

PlotProjector::PlotProjector(DatumChoice datum) : ed50_(datum == DatumChoice::Ed50) {
  wgs84_.text = kWgs84DatumString;
  ed50_params_.text = kEd50DatumString;
  Read_Datum(wgs84_);
  Read_Datum(ed50_params_);
}

int PlotProjector::ToPlot(const DmsPosition& p, double& x, double& y) {
  LatLon position{};
  position.text = HandoffCoordinateText(p);
  if (const int code = Read_LatLon(position); code != 0) return code;
  return ToPlot(position, x, y);
}

int PlotProjector::ToPlot(double lat_deg, double lon_deg, double& x, double& y) {
  if (!(std::fabs(lat_deg) <= 90.0 && std::fabs(lon_deg) <= 180.0)) return kGeodToRadians;
  LatLon position{};
  position.lat_rad = lat_deg / 180.0 * std::numbers::pi;
  position.lon_rad = lon_deg / 180.0 * std::numbers::pi;
  // The datum shift and the projection read the DMS fields.
  if (const int code = LatLon_To_DMS(position); code != 0) return code;
  return ToPlot(position, x, y);
}

int PlotProjector::ToPlot(LatLon& position, double& x, double& y) {
  if (ed50_) {
    if (const int code = Datum_Trans(ed50_params_, position, wgs84_, position); code != 0) {
      return code;
    }
  }
  MercParams merc{};
  merc.map_scale = 1000.0;  // x, y in ground metres
  if (const int code = Geo_To_Merc(wgs84_, position, merc); code != 0) return code;
  x = merc.x;
  y = merc.y;
  return 0;
}

HandoffText AllPointsText(std::string_view input_text, const HandoffChoices& choices) {
  HandoffText result;
  LineReader reader;
  PlotProjector projector(choices.datum);
  const InputFormat format = choices.input_format;
  const bool n_ends = format != InputFormat::OruKvl;
  ForEachLine(input_text, [&](std::string_view line) {
    if (line.empty()) return false;
    if (n_ends && line.front() == 'N') return false;
    double x = 0.0;
    double y = 0.0;
    bool ok = false;
    if (format == InputFormat::AsciiXY) {
      ok = reader.Xy(line, x, y);
    } else {
      DmsPosition p;
      ok = format == InputFormat::OruKvl ? reader.Oru(line, false, p) : reader.Dms(line, p);
      ok = ok && projector.ToPlot(p, x, y) == 0;
    }
    if (ok) {
      AppendPlotLine(result.text, x, y, kAllPointsColour);
      ++result.written;
    } else {
      ++result.skipped;
    }
    return true;
  });
  return result;
}

HandoffText SelectedPointsText(std::string_view output_text, const HandoffChoices& choices) {
  HandoffText result;
  LineReader reader;
  PlotProjector projector(choices.datum);
  ForEachLine(output_text, [&](std::string_view line) {
    double x = 0.0;
    double y = 0.0;
    bool ok = false;
    if (choices.input_format == InputFormat::AsciiXY) {
      ok = reader.Xy(line, x, y);
    } else {
      DmsPosition p;
      switch (choices.output_format) {
        case OutputFormat::OruKvl:
          ok = reader.Oru(line, true, p);
          break;
        case OutputFormat::Ascii:
          ok = reader.Dms(line, p);
          break;
        case OutputFormat::Kel:
          ok = KelLine(line, p);
          break;
      }
      ok = ok && projector.ToPlot(p, x, y) == 0;
    }
    if (ok) {
      AppendPlotLine(result.text, x, y, kSelectedPointsColour);
      ++result.written;
    } else {
      ++result.skipped;
    }
    return true;
  });
  return result;
}

HandoffOutcome WritePlotHandoff(const std::filesystem::path& input,
                                const std::filesystem::path& output,
                                const std::filesystem::path& directory,
                                const HandoffChoices& choices) {
  const std::filesystem::path all_path = directory / kAllPointsFile;
  const std::filesystem::path selected_path = directory / kSelectedPointsFile;
  // A track kept under a hand-off file's name is never written over.
  for (const auto& track : {input, output}) {
    for (const auto& handoff : {all_path, selected_path}) {
      if (SameFile(handoff, track)) return Failed(handoff, " is a track of the run.", 0);
    }
  }
  std::string input_text;
  std::string output_text;
  if (const FileStatus read = LoadFile(input, input_text); !read) {
    return Failed(input, " could not be read.", read.error);
  }
  if (const FileStatus read = LoadFile(output, output_text); !read) {
    return Failed(output, " could not be read.", read.error);
  }
  return WriteHandoffFiles(directory, AllPointsText(input_text, choices),
                           SelectedPointsText(output_text, choices));
}

HandoffOutcome WriteHandoffFiles(const std::filesystem::path& directory, const HandoffText& all,
                                 const HandoffText& selected) {
  HandoffOutcome outcome;
  const std::filesystem::path all_path = directory / kAllPointsFile;
  const std::filesystem::path selected_path = directory / kSelectedPointsFile;
  // Both files are made before either is replaced.
  StagedFile all_file;
  StagedFile selected_file;
  if (const FileStatus staged = all_file.Stage(all_path, all.text); !staged) {
    return Failed(all_path, " could not be written.", staged.error);
  }
  if (const FileStatus staged = selected_file.Stage(selected_path, selected.text); !staged) {
    return Failed(selected_path, " could not be written.", staged.error);
  }
  if (const FileStatus done = all_file.Commit(); !done) {
    return Failed(all_path, " could not be written.", done.error);
  }
  if (const FileStatus done = selected_file.Commit(); !done) {
    return Failed(selected_path, " could not be written.", done.error);
  }
  outcome.written = true;
  outcome.all_points = all.written;
  outcome.selected_points = selected.written;
  outcome.skipped = all.skipped + selected.skipped;
  return outcome;
}

}  // namespace oru
