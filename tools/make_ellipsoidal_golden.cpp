// Writes the golden files of the batch command's ellipsoidal run from the
// literal selection engine (every candidate measured afresh in every
// iteration), so that the end-to-end test holds the fast engine to an
// independent computation:
//   make_ellipsoidal_golden INPUT OUTPUT_TRACK OUTPUT_STDOUT
// thins INPUT ("oru/kvl", WGS84/ETRS89, "ellipsoidic") to 25 points, as
//   oru-cli --calculation ellipsoidic --points 25 INPUT OUTPUT
// does. Built by hand against the libraries of a build with tests on:
//   g++ -std=c++20 -O2 -ffp-contract=off -I. tools/make_ellipsoidal_golden.cpp \
//     build/track/libtrack_reference.a build/trackio/libtrackio.a build/track/libtrack.a \
//     build/geodesy/libgeodesy.a build/numbertext/libnumbertext.a -lGeographicLib -lpthread

#include <cstdio>
#include <string>

#include "geodesy/datum.h"
#include "track/statistics.h"
#include "track/tests/reference_engine.h"
#include "track/track_store.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_ellipsoidal_golden INPUT OUTPUT_TRACK OUTPUT_STDOUT\n");
    return 2;
  }
  using namespace oru;
  std::string text;
  if (!LoadFile(argv[1], text)) return 1;
  const std::int64_t lines = CountTrackLines(text);
  TrackStore store(static_cast<std::size_t>(lines));
  const ReadOutcome read = ReadTrack(text, InputFormat::OruKvl, store);
  if (read.bad_line != 0 || read.points == 0) return 1;

  SelectionSettings settings;
  settings.calculation = CalculationType::Ellipsoidic;
  settings.input_format = InputFormat::OruKvl;
  settings.threshold = 0.0;
  settings.wanted_count = 25;
  settings.datum.text = kWgs84DatumString;
  Read_Datum(settings.datum);
  const auto n = static_cast<std::size_t>(read.points);
  const testing::ReferenceRun run = testing::ReferenceSelectPoints(
      std::vector<double>(store.first.begin(), store.first.begin() + n),
      std::vector<double>(store.second.begin(), store.second.begin() + n), settings);

  std::string kept;
  WriteTrack(kept, store, run.selected, InputFormat::OruKvl, OutputFormat::OruKvl);
  const std::string rows = StatisticsRows(FormatStatistics(run.statistics));
  FILE* track = std::fopen(argv[2], "wb");
  FILE* out = std::fopen(argv[3], "wb");
  if (track == nullptr || out == nullptr) return 1;
  std::fwrite(kept.data(), 1, kept.size(), track);
  std::fwrite(rows.data(), 1, rows.size(), out);
  std::fclose(track);
  std::fclose(out);
  return 0;
}
