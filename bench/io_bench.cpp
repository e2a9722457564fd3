// Track file throughput: our readers and writers against the C library's
// fgets + sscanf and snprintf in the same run, on generated tracks of
// 1,000,000 lines held in memory (so that disk speed takes no part).
//
//   io_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru {
namespace {

constexpr int kLines = 1000000;

// A ship-like walk in plane coordinates (metres) and in degrees.
struct Walk {
  std::vector<double> x, y;
};

const Walk& TheWalk() {
  static const Walk walk = [] {
    Walk w;
    std::mt19937_64 random(2024);
    std::normal_distribution<double> turn(0.0, 0.05);
    double x = 512345.0;
    double y = 5812345.0;
    double heading = 0.3;
    for (int k = 0; k < kLines; ++k) {
      heading += turn(random);
      x += 4.0 * std::cos(heading);
      y += 4.0 * std::sin(heading);
      w.x.push_back(x);
      w.y.push_back(y);
    }
    return w;
  }();
  return walk;
}

const std::string& XyText() {
  static const std::string text = [] {
    std::string t;
    char line[64];
    const Walk& w = TheWalk();
    for (int k = 0; k < kLines; ++k) {
      const int n = std::snprintf(line, sizeof line, "%.2f %.2f\n", w.x[k], w.y[k]);
      t.append(line, static_cast<std::size_t>(n));
    }
    return t;
  }();
  return text;
}

const std::string& OruText() {
  static const std::string text = [] {
    std::string t;
    char line[64];
    const Walk& w = TheWalk();
    for (int k = 0; k < kLines; ++k) {
      // Metres to degrees about 52.5 N, 4.5 E.
      const double lat = 52.5 + (w.y[k] - 5812345.0) / 111000.0;
      const double lon = 4.5 + (w.x[k] - 512345.0) / 68000.0;
      const int n = std::snprintf(line, sizeof line, "%9.6f%c,%10.6f%c\n", lat, 'N', lon, 'E');
      t.append(line, static_cast<std::size_t>(n));
    }
    return t;
  }();
  return text;
}

// The reader's work: the counting pass and the parsing pass, into a store
// that the run has sized (created once, outside the timing).
void ReadOurs(benchmark::State& state, const std::string& text, InputFormat format) {
  TrackStore store(kLines);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CountTrackLines(text));
    const ReadOutcome outcome = ReadTrack(text, format, store);
    if (outcome.points != kLines) state.SkipWithError("not every line was read");
    benchmark::DoNotOptimize(store.first.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The reading step of a run: count, create the store of that size, parse.
// Creating the store (12 sequences, 66 bytes a point) costs as much as
// parsing an X, Y file.
void ReadOursWithStore(benchmark::State& state, const std::string& text, InputFormat format) {
  for (auto _ : state) {
    TrackStore store(static_cast<std::size_t>(CountTrackLines(text)));
    const ReadOutcome outcome = ReadTrack(text, format, store);
    if (outcome.points != kLines) state.SkipWithError("not every line was read");
    benchmark::DoNotOptimize(store.first.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The C library's way: a counting pass and a reading pass of fgets into a
// 149-character buffer, each line parsed by sscanf with the format's pattern,
// into a store created once, as for ReadOurs.
void ReadLibc(benchmark::State& state, const std::string& text, InputFormat format) {
  TrackStore store(kLines);
  for (auto _ : state) {
    FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    char line[149];
    std::size_t count = 0;
    while (std::fgets(line, sizeof line, file) != nullptr && line[0] != '\n' && line[0] != 'N') {
      ++count;
    }
    std::rewind(file);
    std::size_t i = 0;
    while (i < count && std::fgets(line, sizeof line, file) != nullptr) {
      if (format == InputFormat::AsciiXY) {
        if (std::sscanf(line, "%lf %lf", &store.first[i], &store.second[i]) != 2) break;
      } else {
        char work[100];
        std::size_t n = 0;
        for (std::size_t k = 0; k < 50 && line[k] != '\0'; ++k) {
          const char ch = line[k];
          if (ch == 'E' || ch == 'e' || ch == 'W' || ch == 'w') work[n++] = ' ';
          work[n++] = ch;
        }
        work[n] = '\0';
        if (std::sscanf(work, "%lf%c, %lf %c", &store.lat_as_read[i], &store.lat_hemisphere[i],
                        &store.lon_as_read[i], &store.lon_hemisphere[i]) != 4) {
          break;
        }
      }
      ++i;
    }
    std::fclose(file);
    if (i != kLines) state.SkipWithError("not every line was read");
    benchmark::DoNotOptimize(store.first.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The parsing pass alone, into a store that the run has already sized.
void ParseOurs(benchmark::State& state, const std::string& text, InputFormat format) {
  TrackStore store(kLines);
  for (auto _ : state) {
    const ReadOutcome outcome = ReadTrack(text, format, store);
    if (outcome.points != kLines) state.SkipWithError("not every line was read");
    benchmark::DoNotOptimize(store.first.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_CountLines(benchmark::State& state) {
  const std::string& text = XyText();
  for (auto _ : state) benchmark::DoNotOptimize(CountTrackLines(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
void BM_ParseXy_Ours(benchmark::State& state) { ParseOurs(state, XyText(), InputFormat::AsciiXY); }
void BM_ParseOru_Ours(benchmark::State& state) { ParseOurs(state, OruText(), InputFormat::OruKvl); }
BENCHMARK(BM_CountLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseXy_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOru_Ours)->Unit(benchmark::kMillisecond);

void BM_ReadXy_Ours(benchmark::State& state) { ReadOurs(state, XyText(), InputFormat::AsciiXY); }
void BM_ReadXyWithStore_Ours(benchmark::State& state) {
  ReadOursWithStore(state, XyText(), InputFormat::AsciiXY);
}
void BM_ReadXy_FgetsSscanf(benchmark::State& state) {
  ReadLibc(state, XyText(), InputFormat::AsciiXY);
}
void BM_ReadOru_Ours(benchmark::State& state) { ReadOurs(state, OruText(), InputFormat::OruKvl); }
void BM_ReadOruWithStore_Ours(benchmark::State& state) {
  ReadOursWithStore(state, OruText(), InputFormat::OruKvl);
}
void BM_ReadOru_FgetsSscanf(benchmark::State& state) {
  ReadLibc(state, OruText(), InputFormat::OruKvl);
}
BENCHMARK(BM_ReadXy_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXy_FgetsSscanf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXyWithStore_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOru_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOru_FgetsSscanf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOruWithStore_Ours)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// Writers: every point of the track, into a string.

const TrackStore& StoreOf(InputFormat format) {
  static const TrackStore xy = [] {
    TrackStore s(kLines);
    ReadTrack(XyText(), InputFormat::AsciiXY, s);
    return s;
  }();
  static const TrackStore oru = [] {
    TrackStore s(kLines);
    ReadTrack(OruText(), InputFormat::OruKvl, s);
    return s;
  }();
  return format == InputFormat::AsciiXY ? xy : oru;
}

const std::vector<std::int64_t>& Everything() {
  static const std::vector<std::int64_t> all = [] {
    std::vector<std::int64_t> v(kLines);
    for (int k = 0; k < kLines; ++k) v[static_cast<std::size_t>(k)] = k + 1;
    return v;
  }();
  return all;
}

void WriteOurs(benchmark::State& state, InputFormat in, OutputFormat out_format) {
  const TrackStore& store = StoreOf(in);
  std::string out;
  for (auto _ : state) {
    out.clear();
    WriteTrack(out, store, Everything(), in, out_format);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

// The C library's way: snprintf of each line with the format's pattern
// (without the carries of "ASCII" and "Kel", which only make it slower).
void WriteLibc(benchmark::State& state, InputFormat in, OutputFormat out_format) {
  const TrackStore& store = StoreOf(in);
  std::string out;
  for (auto _ : state) {
    out.clear();
    out.reserve(static_cast<std::size_t>(kLines) * 32);
    char line[128];
    for (std::size_t i = 0; i < store.size(); ++i) {
      int n = 0;
      if (in == InputFormat::AsciiXY) {
        n = std::snprintf(line, sizeof line, "%10.2lf %10.2lf\n", store.first[i], store.second[i]);
      } else if (out_format == OutputFormat::OruKvl) {
        n = std::snprintf(line, sizeof line, "%9.6lf%c,%10.6lf%c\n", std::fabs(store.first[i]),
                          store.lat_hemisphere[i], std::fabs(store.second[i]),
                          store.lon_hemisphere[i]);
      } else if (out_format == OutputFormat::Ascii) {
        n = std::snprintf(line, sizeof line, "%d %d %9.2lf %d %d %9.2lf\n", store.lat_degrees[i],
                          store.lat_minutes[i], store.lat_seconds[i], store.lon_degrees[i],
                          store.lon_minutes[i], store.lon_seconds[i]);
      } else {
        n = std::snprintf(line, sizeof line, "%d-%d.%02.0lf%c% d-%d.%02.0lf%c\n",
                          std::abs(store.lat_degrees[i]), std::abs(store.lat_minutes[i]),
                          std::fabs(store.lat_seconds[i]) * 100.0 / 60.0, store.lat_hemisphere[i],
                          std::abs(store.lon_degrees[i]), std::abs(store.lon_minutes[i]),
                          std::fabs(store.lon_seconds[i]) * 100.0 / 60.0, store.lon_hemisphere[i]);
      }
      out.append(line, static_cast<std::size_t>(n));
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

void BM_WriteXy_Ours(benchmark::State& s) { WriteOurs(s, InputFormat::AsciiXY, OutputFormat::Ascii); }
void BM_WriteXy_Snprintf(benchmark::State& s) {
  WriteLibc(s, InputFormat::AsciiXY, OutputFormat::Ascii);
}
void BM_WriteOru_Ours(benchmark::State& s) { WriteOurs(s, InputFormat::OruKvl, OutputFormat::OruKvl); }
void BM_WriteOru_Snprintf(benchmark::State& s) {
  WriteLibc(s, InputFormat::OruKvl, OutputFormat::OruKvl);
}
void BM_WriteAscii_Ours(benchmark::State& s) {
  WriteOurs(s, InputFormat::OruKvl, OutputFormat::Ascii);
}
void BM_WriteAscii_Snprintf(benchmark::State& s) {
  WriteLibc(s, InputFormat::OruKvl, OutputFormat::Ascii);
}
void BM_WriteKel_Ours(benchmark::State& s) { WriteOurs(s, InputFormat::OruKvl, OutputFormat::Kel); }
void BM_WriteKel_Snprintf(benchmark::State& s) {
  WriteLibc(s, InputFormat::OruKvl, OutputFormat::Kel);
}
BENCHMARK(BM_WriteXy_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteXy_Snprintf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOru_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOru_Snprintf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAscii_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAscii_Snprintf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteKel_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteKel_Snprintf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oru

BENCHMARK_MAIN();
