#include "cli/cli_options.h"

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "run/selection_value.h"
#include "plot/handoff.h"
#include "trackio/file_io.h"


namespace oru {
namespace {

// "WIDTHxHEIGHT" with whole numbers of 1 to 20000.
bool ParsePlotSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  auto number = [](std::string_view digits, int& out) {
    if (digits.empty() || digits.size() > 5) return false;
    int v = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    if (!(v >= 1 && v <= 20000)) return false;
    out = v;
    return true;
  };
  int w = 0;
  int h = 0;
  if (!number(std::string_view(text).substr(0, x), w) ||
      !number(std::string_view(text).substr(x + 1), h)) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

}  // namespace

std::string CliUsage() {
  return "usage: oru-cli [--input-format FORMAT] [--output-format FORMAT]\n"
         "               [--datum wgs84|ed50] [--calculation ellipsoidic|planar]\n"
         "               [--method douglas-peucker|optimal]\n"
         "               [--max-deviation METRES | --points N] [--json]\n"
         "               [--plot-dir DIR]\n"
         "               [--plot-image FILE.png [--plot-size WxH] [--plot-extent track|coast]]\n"
         "               [--curve FILE.csv] [--curve-image FILE.png]\n"
         "               INPUT OUTPUT\n"
         "       oru-cli [OPTIONS] [--recursive] [--jobs N] INPUT... --output-dir DIR\n"
         "\n"
         "Thins the tracks in INPUT and writes the kept points to OUTPUT.\n"
         "  --input-format   oru (decimal degrees with hemisphere letters, default),\n"
         "                   dms (degrees, minutes, seconds) or xy (plane metres);\n"
         "                   gpx, gpkg, shp, geojson, kml, fgb, csv, dxf, nmea, p190\n"
         "  --output-format  oru, ascii or kel; gpx, gpkg, shp, geojson, kml, fgb, csv,\n"
         "                   rtz. By default a file's extension names its format, and\n"
         "                   files whose extension names none are survey text: oru\n"
         "                   input, and output oru after oru input, ascii after dms;\n"
         "                   xy tracks and other plane tracks are written as X, Y\n"
         "  --datum          wgs84 (WGS84/ETRS89, default) or ed50: the datum of survey\n"
         "                   text, read or written\n"
         "  --calculation    ellipsoidic (default) or planar; plane tracks are planar\n"
         "  --method         douglas-peucker (default) or optimal: the fewest points\n"
         "                   within METRES, or the least deviation for N points (found\n"
         "                   to the last bit, or else to within 1 mm, as a note says)\n"
         "  --max-deviation  keep points until every point left out lies within METRES\n"
         "  --points         keep N points (default 10)\n"
         "  --json           print the statistics as JSON, with the mean, rms and 95th\n"
         "                   percentile of all points' deviations\n"
         "  --crs EPSG:N     the projected CRS of xy tracks (and P1/90 grid coordinates),\n"
         "                   written with GIS outputs; routes need it\n"
         "  --plot-dir DIR   write the plot window's files AllePunten.dat and\n"
         "                   Selectie.dat of the run into DIR\n"
         "  --plot-image FILE.png  draw what the plot window shows after the run\n"
         "  --plot-size WxH  size of that picture in pixels (default 1920x1080)\n"
         "  --plot-extent    track (default): the picture shows the track with a margin;\n"
         "                   coast: the coastline file's area, as the window opens\n"
         "  --curve FILE.csv points kept, largest deviation and length (metres) for\n"
         "                   every number of points, from one run to the end\n"
         "  --curve-image FILE.png  that curve drawn log-log, the run's choice marked\n"
         "                   (the plot and the curve: a survey track file into survey\n"
         "                   text)\n"
         "  --output-dir DIR write each input, thinned, into DIR under its own name (a\n"
         "                   file a track for survey text and RTZ of several tracks)\n"
         "  --recursive      folders given as INPUT give their GIS and navigation files\n"
         "  --jobs N         thin on N threads (default: one per core)\n"
         "  --max-waypoints N  keep at most N points a track (routes for an ECDIS);\n"
         "                   with --max-deviation the deviation reached is reported\n"
         "  --p190-grid      thin P1/90 grid eastings and northings, not latitudes\n"
         "                   and longitudes\n"
         "  --list-formats   print the formats\n"
         "  --help           print this text\n"
         "Every line feature, NMEA source and P1/90 line and vessel is a track, thinned\n"
         "on its own; geographic CRSs on datums other than WGS84/ETRS89 and ED50 are\n"
         "transformed to WGS84 first. Tracks of survey text, NMEA and P1/90 files are\n"
         "written to GPX and RTZ as routes, to the other GIS formats as line features.\n";
}

std::optional<CliOptions> ParseCliArguments(const std::vector<std::string>& args,
                                            std::string& error) {
  CliOptions options;
  PipelineSettings& settings = options.settings;
  bool criterion_given = false;
  bool plot_size_given = false;
  bool plot_extent_given = false;
  std::vector<std::string> files;
  bool options_ended = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string* {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return nullptr;
      }
      return &args[++i];
    };
    auto criterion = [&](Criterion chosen) -> bool {
      if (criterion_given) {
        error = "give either --max-deviation or --points, once";
        return false;
      }
      const std::string* v = value();
      if (!v) return false;
      criterion_given = true;
      settings.criterion = chosen;
      settings.value = *v;
      return true;
    };
    // A whole number of `least` to 10^digits - 1 for `option`.
    auto whole = [&](std::size_t digits, long least, const char* range) -> std::optional<long> {
      const std::string* v = value();
      if (!v) return std::nullopt;
      if (v->empty() || v->size() > digits ||
          v->find_first_not_of("0123456789") != std::string::npos || std::stol(*v) < least) {
        error = arg + " needs a whole number of " + range;
        return std::nullopt;
      }
      return std::stol(*v);
    };

    if (options_ended) {
      files.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    } else if (arg == "--list-formats") {
      options.list_formats = true;
      return options;
    } else if (arg == "--json") {
      options.json = true;
      settings.quality_figures = true;
    } else if (arg == "--input-format" || arg == "--output-format") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      const bool input = arg == "--input-format";
      if (input ? !ReadFormatNamed(*v) : !WriteFormatNamed(*v)) {
        error = std::string("unknown ") + (input ? "input" : "output") + " format '" + *v + "'";
        return std::nullopt;
      }
      (input ? settings.input_format : settings.output_format) = *v;
    } else if (arg == "--datum") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      if (*v != "wgs84" && *v != "ed50") {
        error = "unknown datum '" + *v + "'";
        return std::nullopt;
      }
      settings.datum = *v == "ed50" ? DatumChoice::Ed50 : DatumChoice::Wgs84;
    } else if (arg == "--calculation") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      if (*v != "ellipsoidic" && *v != "planar") {
        error = "unknown calculation '" + *v + "'";
        return std::nullopt;
      }
      settings.calculation =
          *v == "planar" ? CalculationType::Planar : CalculationType::Ellipsoidic;
    } else if (arg == "--method") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      if (*v != "douglas-peucker" && *v != "optimal") {
        error = "unknown method '" + *v + "'";
        return std::nullopt;
      }
      settings.method =
          *v == "optimal" ? SelectionMethod::Optimal : SelectionMethod::DouglasPeucker;
    } else if (arg == "--crs") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      settings.crs = *v;
    } else if (arg == "--recursive") {
      settings.recursive = true;
    } else if (arg == "--output-dir") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      settings.output_dir = *v;
    } else if (arg == "--jobs") {
      const auto jobs = whole(4, 1, "1 to 9999");
      if (!jobs) return std::nullopt;
      settings.jobs = static_cast<unsigned>(*jobs);
    } else if (arg == "--max-waypoints") {
      const auto most = whole(9, 3, "3 to 999999999");
      if (!most) return std::nullopt;
      settings.max_points = *most;
    } else if (arg == "--p190-grid") {
      settings.p190_grid = true;
    } else if (arg == "--plot-dir" || arg == "--plot-image") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      (arg == "--plot-dir" ? options.plot_dir : options.plot_image) = *v;
      settings.keep_texts = true;
    } else if (arg == "--curve" || arg == "--curve-image") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      (arg == "--curve" ? options.curve : options.curve_image) = *v;
      settings.record = true;
    } else if (arg == "--plot-extent") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      if (*v != "track" && *v != "coast") {
        error = "--plot-extent needs track or coast";
        return std::nullopt;
      }
      options.plot_on_track = *v == "track";
      plot_extent_given = true;
    } else if (arg == "--plot-size") {
      const std::string* v = value();
      if (!v) return std::nullopt;
      if (!ParsePlotSize(*v, options.plot_width, options.plot_height)) {
        error = "--plot-size needs WIDTHxHEIGHT, each 1 to 20000 pixels";
        return std::nullopt;
      }
      plot_size_given = true;
    } else if (arg == "--max-deviation") {
      if (!criterion(Criterion::MaximumDeviation)) return std::nullopt;
    } else if (arg == "--points") {
      if (!criterion(Criterion::NumberOfPoints)) return std::nullopt;
    } else if (arg.size() > 1 && arg.front() == '-') {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    } else {
      files.push_back(arg);
    }
  }

  if (!settings.output_dir.empty()) {
    if (files.empty()) {
      error = "give at least one INPUT with --output-dir";
      return std::nullopt;
    }
    settings.inputs.assign(files.begin(), files.end());
  } else if (files.size() != 2) {
    error = "give one INPUT and one OUTPUT file";
    return std::nullopt;
  } else {
    settings.inputs = {files[0]};
    settings.output = files[1];
  }
  if (settings.record && settings.method == SelectionMethod::Optimal) {
    error = "--curve and --curve-image follow the Douglas-Peucker order; not with --method optimal";
    return std::nullopt;
  }
  if (plot_size_given && options.plot_image.empty()) {
    error = "--plot-size is the size of the --plot-image picture; give that too";
    return std::nullopt;
  }
  if (plot_extent_given && options.plot_image.empty()) {
    error = "--plot-extent is the extent of the --plot-image picture; give that too";
    return std::nullopt;
  }
  // The value is converted as the run converts it, but before any file is
  // read, so that a mistyped value costs no time.
  if (settings.criterion == Criterion::MaximumDeviation) {
    if (!ParseMaximumDeviation(settings.value)) error = NotAFloatMessage(settings.value);
  } else if (!ParseNumberOfPoints(settings.value)) {
    error = NotAnIntegerMessage(settings.value);
  }
  if (!error.empty()) return std::nullopt;
  return options;
}

std::optional<std::string> PlotFileClash(const CliOptions& options) {
  // Every file the command writes, with how a message names it; the input
  // comes first, since it is only read.
  std::vector<std::pair<std::filesystem::path, std::string>> files = {
      {options.settings.inputs.front(), "the input file"},
      {options.settings.output, "the output file"}};
  if (!options.plot_image.empty()) files.push_back({options.plot_image, "the plot picture"});
  if (!options.curve.empty()) files.push_back({options.curve, "the curve file"});
  if (!options.curve_image.empty()) files.push_back({options.curve_image, "the curve picture"});
  if (!options.plot_dir.empty()) {
    for (const char* name : {kAllPointsFile, kSelectedPointsFile}) {
      files.push_back({std::filesystem::path(options.plot_dir) / name, "the plot file"});
    }
  }
  for (std::size_t later = 2; later < files.size(); ++later) {
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      if (!SameFile(files[later].first, files[earlier].first)) continue;
      std::string text = files[later].second;
      text[0] = static_cast<char>(text[0] - 'a' + 'A');
      text.append(" ").append(files[later].first.string()).append(" is ");
      text.append(files[earlier].second);
      if (files[later].second == files[earlier].second) {
        text.append(" ").append(files[earlier].first.string());
      }
      return text.append(".");
    }
  }
  return std::nullopt;
}

const char* MethodName(SelectionMethod method) {
  return method == SelectionMethod::Optimal ? "optimal" : "douglas-peucker";
}

std::string StatisticsJson(const StatisticsTexts& t, SelectionMethod method,
                           const std::optional<QualityTexts>& quality, const std::string& note) {
  const std::string method_name = MethodName(method);
  std::vector<std::pair<const char*, const std::string*>> fields = {
      {"method", &method_name},
      {"max_deviation", &t.max_deviation},       {"point_reduction", &t.point_reduction},
      {"points_before", &t.points_before},       {"points_after", &t.points_after},
      {"length_reduction", &t.length_reduction}, {"length_before", &t.length_before},
      {"length_after", &t.length_after}};
  if (quality) {
    fields.insert(fields.end(), {{"deviation_mean", &quality->mean},
                                 {"deviation_rms", &quality->rms},
                                 {"deviation_p95", &quality->p95}});
  }
  if (!note.empty()) fields.push_back({"note", &note});
  std::string json = "{";
  for (const auto& [name, value] : fields) {
    if (json.size() > 1) json += ", ";
    // The texts are digits, signs, points, blanks, letters and ';', '(', ')'
    // only: nothing to escape.
    json += std::string("\"") + name + "\": \"" + *value + "\"";
  }
  return json + "}\n";
}

}  // namespace oru
