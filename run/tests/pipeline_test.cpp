// The pipeline from every reader to every writer, on small files made here
// from manoeuvring tracks near 54 N 4 E: what is written is exactly the
// points the thinning kept, read back in the formats' precision, whatever
// the writer; CRSs as expected; usage errors that say what and where, with
// nothing written.
#include "run/pipeline.h"

#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "gis/gdal_support.h"
#include "navformats/route.h"
#include "run/tests/run_fixture.h"
#include "track/tests/track_shapes.h"
#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::RecordingObserver;
using testing::TempDir;

fs::path Source(const char* relative) {
  const char* source = std::getenv("ORU_SOURCE_DIR");
  return fs::path(source != nullptr ? source : ".") / relative;
}

// Track k of the manoeuvring shapes in metres, and laid on the ellipsoid
// about 54 N 4 E (first: latitude, second: longitude).
testing::TrackShape Plane(std::size_t k) { return testing::ManoeuvringTracks()[k]; }
testing::TrackShape Geographic(std::size_t k) {
  testing::TrackShape t = Plane(k);
  const double per_degree = 111320.0;
  for (std::size_t i = 0; i < t.first.size(); ++i) {
    const double x = t.first[i];
    t.first[i] = 54.0 + t.second[i] / per_degree;
    t.second[i] = 4.0 + x / (per_degree * std::cos(54.0 * std::numbers::pi / 180.0));
  }
  return t;
}

// A survey text file of the track in `format` (survey input names: "oru",
// "dms", "xy"), written by the survey writers.
fs::path SurveyFile(const TempDir& dir, const char* name, const char* format) {
  // The approach, six hours at anchor and the departure.
  const bool plane = std::string(format) == "xy";
  const testing::TrackShape t = plane ? Plane(3) : Geographic(3);
  TrackStore store(t.first.size());
  std::vector<std::int64_t> all;
  for (std::size_t i = 0; i < t.first.size(); ++i) {
    all.push_back(static_cast<std::int64_t>(i + 1));
    if (plane) {
      store.first[i] = t.first[i] + 565000.0;
      store.second[i] = t.second[i] + 5983000.0;
    } else {
      StoreDegrees(store, i, t.first[i], t.second[i]);
    }
  }
  std::string text;
  WriteTrack(text, store, all, plane ? InputFormat::AsciiXY : InputFormat::OruKvl,
             std::string(format) == "dms" ? OutputFormat::Ascii : OutputFormat::OruKvl);
  return dir.Write(name, text);
}

// A GPX file of two tracks, as a handheld writes it.
fs::path GpxFile(const TempDir& dir) {
  std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\">\n";
  for (const std::size_t k : {0u, 1u}) {
    const testing::TrackShape t = Geographic(k);
    gpx += "<trk><name>" + t.name + "</name><trkseg>\n";
    for (std::size_t i = 0; i < t.first.size(); ++i) {
      char point[96];
      std::snprintf(point, sizeof point, "<trkpt lat=\"%.9f\" lon=\"%.9f\"/>\n", t.first[i],
                    t.second[i]);
      gpx += point;
    }
    gpx += "</trkseg></trk>\n";
  }
  return dir.Write("handheld.gpx", gpx + "</gpx>\n");
}

PipelineSettings Settings(const fs::path& input, const fs::path& output);
PipelineOutcome RunOf(const PipelineSettings& settings);

// A GeoPackage of the survey track, every point of it.
fs::path GeoPackageFile(const TempDir& dir) {
  PipelineSettings settings = Settings(SurveyFile(dir, "made.txt", "oru"), dir.path() / "in.gpkg");
  settings.criterion = Criterion::NumberOfPoints;
  settings.value = "2000000000";
  EXPECT_FALSE(RunOf(settings).files[0].error);
  fs::remove(settings.inputs[0]);
  return settings.output;
}

PipelineSettings Settings(const fs::path& input, const fs::path& output) {
  PipelineSettings settings;
  settings.inputs = {input};
  settings.output = output;
  settings.criterion = Criterion::MaximumDeviation;
  settings.value = "2";
  settings.jobs = 2;
  settings.keep_tracks = true;
  return settings;
}

PipelineOutcome RunOf(const PipelineSettings& settings) {
  RecordingObserver observer;
  return RunPipeline(settings, observer);
}

// The tracks of a file as the run reads them (every point kept), through a
// GeoPackage of its own.
std::vector<TrackReport> ReadBack(const fs::path& file, const char* format) {
  PipelineSettings settings = Settings(file, file.string() + "-back.gpkg");
  settings.input_format = format;
  settings.criterion = Criterion::NumberOfPoints;
  settings.value = "2000000000";
  PipelineOutcome outcome = RunOf(settings);
  EXPECT_FALSE(outcome.error || outcome.files[0].error) << file;
  fs::remove(settings.output);
  return outcome.files.empty() ? std::vector<TrackReport>{} : std::move(outcome.files[0].tracks);
}

// The positions of a Kel file ("54-00.00N  4-00.00E": degrees, minutes
// and hundredths of a minute) or of an RTZ route (lat="..." lon="...").
std::vector<TrackReport> ReadKelOrRtz(const fs::path& file) {
  TrackReport track;
  const std::string text = ReadAll(file);
  const bool rtz = file.extension() == ".rtz";
  for (std::size_t at = 0; (at = text.find(rtz ? "<position" : "\n", at)) != std::string::npos;) {
    const std::size_t start = rtz ? at : (at == 0 ? 0 : text.rfind('\n', at - 1) + 1);
    double lat = 0.0, lon = 0.0;
    int d1 = 0, m1 = 0, h1 = 0, d2 = 0, m2 = 0, h2 = 0;
    char c1 = 0, c2 = 0;
    if (rtz && std::sscanf(text.c_str() + at, "<position lat=\"%lf\" lon=\"%lf\"", &lat, &lon) == 2) {
      track.first.push_back(lat);
      track.second.push_back(lon);
    } else if (!rtz && std::sscanf(text.c_str() + start, "%d-%d.%d%c %d-%d.%d%c", &d1, &m1, &h1,
                                   &c1, &d2, &m2, &h2, &c2) == 8) {
      track.first.push_back((c1 == 'S' ? -1 : 1) * (d1 + (m1 + h1 / 100.0) / 60.0));
      track.second.push_back((c2 == 'W' ? -1 : 1) * (d2 + (m2 + h2 / 100.0) / 60.0));
    }
    ++at;
  }
  return {track};
}

// `written` holds exactly the points `thinned` kept of its track, within
// `tolerance`, after the shift between the two datums.
void ExpectKeptWritten(const TrackReport& thinned, const TrackReport& written, double tolerance,
                       DatumChoice to) {
  ASSERT_EQ(written.first.size(), thinned.kept.size());
  for (std::size_t j = 0; j < thinned.kept.size(); ++j) {
    const auto i = static_cast<std::size_t>(thinned.kept[j] - 1);
    double first = thinned.first[i];
    double second = thinned.second[i];
    if (thinned.geographic) {
      ASSERT_TRUE(ShiftDatum(thinned.datum, to, first, second));
    }
    EXPECT_NEAR(written.first[j], first, tolerance) << "point " << thinned.kept[j];
    EXPECT_NEAR(written.second[j], second, tolerance) << "point " << thinned.kept[j];
  }
}

// The EPSG code of the CRS of a GIS file's first layer; "" for none.
std::string CrsOf(const fs::path& file) {
  RegisterGisDrivers();
  GDALDatasetUniquePtr data(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
  if (!data) return "unreadable";
  const OGRSpatialReference* crs = data->GetLayer(0)->GetSpatialRef();
  const char* code = crs != nullptr ? crs->GetAuthorityCode(nullptr) : nullptr;
  return code != nullptr ? code : "";
}

struct RoundTrip {
  const char* name;
  const char* input;   // survey format of a file made here, or a file of the source tree
  const char* output;  // the output's name in the test folder; "" for a folder
  std::function<void(PipelineSettings&)> choose;
  const char* read_back;  // the format the output is read in; "kel" and "rtz" by hand
  double tolerance;       // degrees or metres: the precision the output format writes
  std::size_t tracks;
  DatumChoice written_on = DatumChoice::Wgs84;
  const char* crs = nullptr;  // the EPSG code of the output's CRS, "" for none
};

void NoChoice(PipelineSettings&) {}

class PipelineRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(PipelineRoundTrip, WritesTheKeptPointsOfEveryTrack) {
  const RoundTrip& row = GetParam();
  TempDir dir;
  const std::string input = row.input;
  const fs::path in = input == "gpx"                       ? GpxFile(dir)
                      : input == "gpkg"                      ? GeoPackageFile(dir)
                      : input.find('/') != std::string::npos ? Source(row.input)
                                                             : SurveyFile(dir, "in.txt", row.input);
  PipelineSettings settings = Settings(in, std::string(row.output).empty() ? fs::path()
                                                                            : dir.path() / row.output);
  if (input == "xy" || input == "dms") settings.input_format = row.input;
  if (std::string(row.output).empty()) settings.output_dir = dir.path() / "out";
  row.choose(settings);
  const PipelineOutcome outcome = RunOf(settings);
  ASSERT_FALSE(outcome.error) << outcome.error->message;
  ASSERT_EQ(outcome.files.size(), 1u);
  const FileReport& file = outcome.files[0];
  ASSERT_FALSE(file.error) << file.error->message;
  ASSERT_EQ(file.tracks.size(), row.tracks);
  const SelectionStatistics total = TotalStatistics(outcome);
  EXPECT_LT(total.count, total.n);  // the thinning did thin
  for (const TrackReport& track : file.tracks) {
    SCOPED_TRACE(track.place);
    const fs::path written = track.own_file.empty() ? file.output : track.own_file;
    const std::string format = row.read_back;
    const std::vector<TrackReport> back = format == "kel" || format == "rtz"
                                              ? ReadKelOrRtz(written)
                                              : ReadBack(written, row.read_back);
    const std::size_t k = track.own_file.empty() ? &track - file.tracks.data() : 0;
    ASSERT_GT(back.size(), k);
    ExpectKeptWritten(track, back[k], row.tolerance, row.written_on);
  }
  if (row.crs != nullptr) {
    EXPECT_EQ(CrsOf(file.output), row.crs);
  }
  // Whatever the writer, the thinning is the survey run's, or GDAL's copy's.
  PipelineSettings direct = settings;
  direct.output_dir.clear();
  direct.output_format.clear();
  direct.crs.clear();
  direct.output = dir.path() / (in.extension() == ".txt" ? "direct.txt" : "direct.gpkg");
  if (outcome.files[0].tracks.size() == 1 || in.extension() != ".txt") {
    const PipelineOutcome same = RunOf(direct);
    ASSERT_EQ(same.files[0].tracks.size(), row.tracks);
    for (std::size_t t = 0; t < row.tracks; ++t) {
      EXPECT_EQ(same.files[0].tracks[t].kept, file.tracks[t].kept);
    }
  }
}

// Metres in the plane, degrees: 0.01 m of X, Y text; 1e-6 degree of oru/kvl
// text, 0.01 second of ASCII text and 0.01 minute of Kel text (halves of
// them); 1e-8 degree of routes; GIS files to the bit or to GDAL's digits.
INSTANTIATE_TEST_SUITE_P(
    Pipeline, PipelineRoundTrip,
    ::testing::Values(
        RoundTrip{"OruToGpxRoutes", "oru", "out.gpx", NoChoice, "gpx", 6e-9, 1},
        RoundTrip{"OruOnEd50ToGeoPackage", "oru", "out.gpkg",
                  [](PipelineSettings& s) { s.datum = DatumChoice::Ed50; }, "gpkg", 1e-12, 1,
                  DatumChoice::Ed50, "4230"},
        RoundTrip{"OruOnEd50ToRtzOnWgs84", "oru", "out.rtz",
                  [](PipelineSettings& s) { s.datum = DatumChoice::Ed50; }, "rtz", 6e-9, 1},
        RoundTrip{"DmsToGeoPackage", "dms", "out.gpkg", NoChoice, "gpkg", 1e-12, 1,
                  DatumChoice::Wgs84, "4326"},
        RoundTrip{"DmsToRtz", "dms", "out.rtz", NoChoice, "rtz", 6e-9, 1},
        RoundTrip{"XyWithCrsToGeoPackage", "xy", "out.gpkg",
                  [](PipelineSettings& s) { s.crs = "EPSG:25831"; }, "gpkg", 1e-9, 1,
                  DatumChoice::Wgs84, "25831"},
        RoundTrip{"XyToFlatGeobufWithoutCrs", "xy", "out.fgb", NoChoice, "fgb", 1e-9, 1,
                  DatumChoice::Wgs84, ""},
        RoundTrip{"GpxToOru", "gpx", "", [](PipelineSettings& s) { s.output_format = "oru"; },
                  "oru", 5e-7, 2},
        RoundTrip{"GpxToKelOnEd50", "gpx", "",
                  [](PipelineSettings& s) {
                    s.output_format = "kel";
                    s.datum = DatumChoice::Ed50;
                  },
                  "kel", 8.4e-5, 2, DatumChoice::Ed50},
        RoundTrip{"GpxToGeoPackage", "gpx", "out.gpkg", NoChoice, "gpkg", 1e-12, 2,
                  DatumChoice::Wgs84, "4326"},
        RoundTrip{"GeoPackageToAscii", "gpkg", "out.txt",
                  [](PipelineSettings& s) { s.output_format = "ascii"; }, "dms", 1.4e-6, 1},
        RoundTrip{"NmeaToOru", "data/samples/survey_run.nmea", "out.txt", NoChoice, "oru", 5e-7, 1},
        RoundTrip{"NmeaToAscii", "data/samples/survey_run.nmea", "out.txt",
                  [](PipelineSettings& s) { s.output_format = "ascii"; }, "dms", 1.4e-6, 1},
        RoundTrip{"P190OnEd50ToKel", "cli/tests/nav/two_lines_ed50.p190", "",
                  [](PipelineSettings& s) {
                    s.output_format = "kel";
                    s.datum = DatumChoice::Ed50;
                    s.value = "0.5";
                  },
                  "kel", 8.4e-5, 2, DatumChoice::Ed50},
        RoundTrip{"P190OnEd50ToOruOnWgs84", "cli/tests/nav/two_lines_ed50.p190", "",
                  [](PipelineSettings& s) {
                    s.output_format = "oru";
                    s.value = "0.5";
                  },
                  "oru", 5e-7, 2},
        RoundTrip{"P190GridToXy", "cli/tests/nav/two_lines_ed50.p190", "",
                  [](PipelineSettings& s) {
                    s.output_format = "ascii";
                    s.p190_grid = true;
                    s.value = "0.5";
                  },
                  "xy", 0.005, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A route of X, Y coordinates goes through their CRS to WGS84. Reference:
// PROJ 9 (gdaltransform -s_srs EPSG:25831 -t_srs EPSG:4326) of the sample's
// first point, 565000.99 E 5983004.11 N.
TEST(Pipeline, RoutesOfXyTracksGoThroughTheirCrs) {
  TempDir dir;
  PipelineSettings settings =
      Settings(Source("data/samples/survey_line_xy.txt"), dir.path() / "line.rtz");
  settings.input_format = "xy";
  settings.crs = "EPSG:25831";
  ASSERT_FALSE(RunOf(settings).files[0].error);
  const TrackReport route = ReadKelOrRtz(dir.path() / "line.rtz")[0];
  ASSERT_GT(route.first.size(), 2u);
  EXPECT_NEAR(route.first[0], 53.9912592501128, 6e-9);
  EXPECT_NEAR(route.second[0], 3.99143902762843, 6e-9);
}

struct Refusal {
  const char* name;
  const char* input;   // a file made here: "in.txt" (oru), "in.gpx" (two tracks), other names empty
  const char* output;
  std::function<void(PipelineSettings&)> choose;
  ErrorKind kind;
  Remedy remedy;
  const char* message;  // part of it; %in stands for the input file
  bool whole_run;       // the run's own error, not its file's
};

class PipelineRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(PipelineRefusal, SaysWhatAndWritesNothing) {
  const Refusal& row = GetParam();
  TempDir dir;
  const std::string name = row.input;
  const fs::path in = name == "in.txt"  ? SurveyFile(dir, "in.txt", "oru")
                      : name == "in.gpx" ? GpxFile(dir)
                                         : dir.Write(row.input, "");
  PipelineSettings settings = Settings(in, dir.path() / row.output);
  row.choose(settings);
  const PipelineOutcome outcome = RunOf(settings);
  const std::optional<RunError>& error =
      row.whole_run ? outcome.error : outcome.files.at(0).error;
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, row.kind);
  EXPECT_EQ(error->remedy, row.remedy);
  std::string message = row.message;
  if (const auto at = message.find("%in"); at != std::string::npos) {
    message.replace(at, 3, in.string());
  }
  EXPECT_NE(error->message.find(message), std::string::npos) << error->message;
  EXPECT_EQ(error->message.find("--"), std::string::npos) << "no option of a front end";
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "nothing written";
}

INSTANTIATE_TEST_SUITE_P(
    Pipeline, PipelineRefusal,
    ::testing::Values(
        Refusal{"ManyTracksIntoSurveyText", "in.gpx", "out.txt", NoChoice, ErrorKind::Usage,
                Remedy::OutputFolder, "%in holds 2 tracks, and a survey text file holds one", false},
        Refusal{"XyIntoRoutesWithoutCrs", "in.txt", "out.gpx",
                [](PipelineSettings& s) { s.input_format = "xy"; }, ErrorKind::Usage, Remedy::Crs,
                "%in holds X, Y coordinates, and GPX routes hold latitudes and longitudes", false},
        Refusal{"XyIntoGeoJsonWithoutCrs", "in.txt", "out.geojson",
                [](PipelineSettings& s) { s.input_format = "xy"; }, ErrorKind::Usage, Remedy::Crs,
                "%in holds X, Y coordinates, and GeoJSON hold latitudes and longitudes", false},
        Refusal{"ReadOnlyFormatAsOutput", "in.txt", "out.dxf", NoChoice, ErrorKind::Usage,
                Remedy::OutputFormat, "out.dxf: dxf files are read, not written", false},
        Refusal{"WriteOnlyFormatAsInput", "in.rtz", "out.txt", NoChoice, ErrorKind::Usage,
                Remedy::None, "in.rtz: rtz files are written, not read", false},
        Refusal{"CrsOfLatitudesAndLongitudes", "in.txt", "out.gpkg",
                [](PipelineSettings& s) { s.crs = "EPSG:25831"; }, ErrorKind::Usage, Remedy::None,
                "%in holds latitudes and longitudes", false},
        Refusal{"CrsIntoSurveyText", "in.txt", "out.txt",
                [](PipelineSettings& s) {
                  s.input_format = "xy";
                  s.crs = "EPSG:25831";
                },
                ErrorKind::Usage, Remedy::None, "survey text files such as", false},
        Refusal{"GeographicCrs", "in.txt", "out.gpkg",
                [](PipelineSettings& s) { s.crs = "EPSG:4326"; }, ErrorKind::Usage, Remedy::None,
                "EPSG:4326 is not a projected CRS", true},
        Refusal{"CrsInFeet", "in.txt", "out.gpkg", [](PipelineSettings& s) { s.crs = "EPSG:2263"; },
                ErrorKind::Usage, Remedy::None, "EPSG:2263 measures in US survey foot", true},
        Refusal{"LimitBelowThree", "in.txt", "out.rtz",
                [](PipelineSettings& s) { s.max_points = 2; }, ErrorKind::Usage, Remedy::None,
                "below 3", true},
        Refusal{"PlotOfAGisRun", "in.gpx", "out.gpkg",
                [](PipelineSettings& s) { s.keep_texts = true; }, ErrorKind::Usage, Remedy::None,
                "plots and curves are drawn of one survey track file", true},
        Refusal{"UnreadableGisFile", "in.geojson", "out.txt", NoChoice, ErrorKind::BadInput,
                Remedy::None, "could not be opened as GeoJSON", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A GIS output that cannot be made says why in the survey run's words,
// with the system's reason (once "no temporary folder could be made beside
// the output" and "could not be put in place", without one).
TEST(Pipeline, GisOutputsThatCannotBeWrittenSayWhy) {
  TempDir dir;
  const fs::path in = GpxFile(dir);
  fs::create_directory(dir.path() / "folder.gpkg");
  const std::pair<fs::path, int> rows[] = {{dir.path() / "missing" / "out.gpkg", ENOENT},
                                           {dir.path() / "folder.gpkg", EISDIR}};
  for (const auto& [output, error] : rows) {
    const PipelineOutcome outcome = RunOf(Settings(in, output));
    ASSERT_TRUE(outcome.files[0].error) << output;
    EXPECT_EQ(outcome.files[0].error->kind, ErrorKind::File);
    EXPECT_EQ(outcome.files[0].error->message,
              "Output file " + output.string() + " could not be written.");
    EXPECT_EQ(outcome.files[0].error->system_error, error) << output;
  }
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder.gpkg"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "nothing written";
}

// The command line's run of one file: the output made in full and put in
// place by the caller, with the texts the plot reads.
// Figures are shown for a run's single track only: the tracks of a file of
// several are thinned on the task pool's threads at once, and the observer
// takes one thread at a time.
TEST(Pipeline, TracksOfAFileOfSeveralShowNoFigures) {
  TempDir dir;
  PipelineSettings settings = Settings(GpxFile(dir), {});
  settings.output_dir = dir.path() / "out";
  RecordingObserver observer(true);
  const PipelineOutcome outcome = RunPipeline(settings, observer);
  ASSERT_FALSE(outcome.files[0].error);
  EXPECT_EQ(outcome.files[0].tracks.size(), 2u);
  EXPECT_TRUE(observer.shown.empty());
}

TEST(Pipeline, DeferredOutputIsPutInPlaceByTheCaller) {
  TempDir dir;
  const fs::path in = SurveyFile(dir, "in.txt", "oru");
  PipelineSettings settings = Settings(in, dir.path() / "out.txt");
  settings.defer_commit = true;
  settings.keep_texts = true;
  PipelineOutcome outcome = RunOf(settings);
  ASSERT_FALSE(outcome.files[0].error);
  EXPECT_FALSE(fs::exists(settings.output));
  EXPECT_EQ(outcome.files[0].input_text, ReadAll(in));
  ASSERT_FALSE(outcome.pending.Commit());
  EXPECT_EQ(ReadAll(settings.output), outcome.files[0].output_text);
}

// A stop after the file was read: its selections stop and nothing is
// written; without one, every track comes back for the plot.
TEST(Pipeline, AStopWritesNothingAndTracksComeBackForThePlot) {
  TempDir dir;
  const PipelineSettings settings = Settings(GpxFile(dir), dir.path() / "out.gpkg");
  struct StopLater final : RunObserver {
    void ShowMessage(const std::string&) override {}
    void ShowStatistics(const StatisticsTexts&) override {}
    bool StopRequested() override { return ++asked > 1; }
    std::atomic<int> asked{0};
  } stop;
  const PipelineOutcome stopped = RunPipeline(settings, stop);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_TRUE(stopped.files[0].stopped);
  EXPECT_FALSE(fs::exists(settings.output));

  const PipelineOutcome done = RunOf(settings);
  ASSERT_EQ(done.files[0].tracks.size(), 2u);
  const SelectionStatistics total = TotalStatistics(done);
  EXPECT_EQ(total.n, static_cast<std::int64_t>(Plane(0).first.size() + Plane(1).first.size()));
  std::int64_t kept = 0;
  for (const TrackReport& track : done.files[0].tracks) {
    const testing::TrackShape made = Geographic(&track - done.files[0].tracks.data());
    ASSERT_EQ(track.first.size(), made.first.size());
    EXPECT_NEAR(track.first.back(), made.first.back(), 1e-9);
    EXPECT_NEAR(track.second.back(), made.second.back(), 1e-9);
    kept += static_cast<std::int64_t>(track.kept.size());
  }
  EXPECT_EQ(total.count, kept);
}

// A fault that the selection does not expect (here the observer's, as an
// internal consistency check's would be) fails its file with the reason and
// leaves the output as it was, whatever the method and the output, instead
// of ending the process from the task pool.
TEST(Pipeline, AFaultInTheSelectionFailsItsFileAndWritesNothing) {
  struct FaultyObserver final : RunObserver {
    void ShowMessage(const std::string&) override {}
    void ShowStatistics(const StatisticsTexts&) override {}
    bool ProgressDue() override { throw std::logic_error("the labels promise a route"); }
  };
  const struct {
    const char* output;
    SelectionMethod method;
  } cases[] = {{"out.txt", SelectionMethod::DouglasPeucker},
               {"out.gpkg", SelectionMethod::Optimal}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    TempDir dir;
    const fs::path in = SurveyFile(dir, "in.txt", "oru");
    PipelineSettings settings = Settings(in, dir.path() / c.output);
    settings.method = c.method;
    dir.Write(c.output, "earlier output");
    FaultyObserver observer;
    const PipelineOutcome outcome = RunPipeline(settings, observer);
    ASSERT_TRUE(outcome.files[0].error);
    EXPECT_EQ(outcome.files[0].error->message,
              "Could not thin the track of " + in.string() +
                  ": an unexpected fault (the labels promise a route). Nothing was written for it.");
    EXPECT_EQ(ReadAll(settings.output), "earlier output");
  }
}

}  // namespace
}  // namespace oru
