#include "trackio/track_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "trackio/file_io.h"
#include "trackio/track_reader.h"

namespace oru {
namespace {

// A geographic point as the store holds it.
struct Angles {
  std::int32_t lat_d, lat_m;
  double lat_s;
  char c1;
  std::int32_t lon_d, lon_m;
  double lon_s;
  char c2;
};

TrackStore StoreOf(const Angles& a) {
  TrackStore store(1);
  store.lat_degrees[0] = a.lat_d;
  store.lat_minutes[0] = a.lat_m;
  store.lat_seconds[0] = a.lat_s;
  store.lat_hemisphere[0] = a.c1;
  store.lon_degrees[0] = a.lon_d;
  store.lon_minutes[0] = a.lon_m;
  store.lon_seconds[0] = a.lon_s;
  store.lon_hemisphere[0] = a.c2;
  return store;
}

template <typename Append>
std::string LineOf(const TrackStore& store, Append append) {
  std::string out = "kept|";  // the writers append, never overwrite
  append(out, store, 0);
  EXPECT_EQ(out.substr(0, 5), "kept|");
  return out.substr(5);
}

// ---------------------------------------------------------------------------
// "ASCII": golden lines, with the carries of seconds that print as 60.00.

struct AsciiRow {
  Angles angles;
  const char* line;
  const char* why;
};

std::ostream& operator<<(std::ostream& os, const AsciiRow& row) { return os << row.why; }

class AsciiLineTest : public ::testing::TestWithParam<AsciiRow> {};

TEST_P(AsciiLineTest, WritesTheGoldenLine) {
  EXPECT_EQ(LineOf(StoreOf(GetParam().angles), AppendAsciiLine), GetParam().line);
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Golden, AsciiLineTest,
    ::testing::Values(
        AsciiRow{{52, 7, 24.44, 'N', 4, 34, 4.40, 'E'}, "52 7     24.44 4 34      4.40\n",
                 "plain"},
        AsciiRow{{-52, -30, -0.0, 'S', -4, -15, -0.0, 'W'}, "-52 -30      0.00 -4 -15      0.00\n",
                 "south and west with zero seconds: 0.00, never -0.00"},
        AsciiRow{{0, 0, -0.004, 'S', 0, 0, 0.004, 'E'}, "0 0      0.00 0 0      0.00\n",
                 "negative seconds that round to zero"},
        AsciiRow{{52, 7, 59.996, 'N', 4, 59, 59.999, 'E'}, "52 8      0.00 5 0      0.00\n",
                 "seconds that print as 60.00 carry; minutes that reach 60 carry on"},
        AsciiRow{{-52, -59, -59.996, 'S', -4, -17, -59.99999999999957, 'W'},
                 "-53 0      0.00 -4 -18      0.00\n", "the same in the south and west"},
        AsciiRow{{52, 7, 59.994999, 'N', 4, 7, 59.99, 'E'}, "52 7     59.99 4 7     59.99\n",
                 "seconds just below the carry"},
        AsciiRow{{52, 7, 75.0, 'N', 4, 60, 0.0, 'E'}, "52 7     75.00 4 60      0.00\n",
                 "values the input gave are written as they are"},
        AsciiRow{{52, 59, 60.0, 'N', 4, 59, -60.004, 'E'}, "52 59     60.00 4 59    -60.00\n",
                 "60 seconds read from the input do not carry"},
        AsciiRow{{52, 60, 59.999, 'N', 4, 61, -59.999, 'E'}, "52 61      0.00 5 0      0.00\n",
                 "only minutes that reach 60 by the carry go on into the degrees"},
        AsciiRow{{-52, 30, 59.999, 'S', 4, -59, -59.999, 'E'}, "-52 31      0.00 3 0      0.00\n",
                 "each component carries by its own sign"},
        AsciiRow{{kMax, 59, 59.999, 'N', kMin, -59, -59.999, 'W'},
                 "2147483648 0      0.00 -2147483649 0      0.00\n",
                 "degrees beyond 32 bits after the carry"},
        AsciiRow{{0, kMax, 59.999, 'N', 0, kMin, -59.999, 'W'},
                 "0 2147483648      0.00 0 -2147483649      0.00\n",
                 "minutes beyond 32 bits after the carry"},
        AsciiRow{{1, 2, 1e20, 'N', 1, 2, -123456.75, 'W'},
                 "1 2 100000000000000000000.00 1 2 -123456.75\n", "wide seconds are not cut"}));

// ---------------------------------------------------------------------------
// "Kel": golden lines with the carries of the hundredths.

class KelLineTest : public ::testing::TestWithParam<AsciiRow> {};

TEST_P(KelLineTest, WritesTheGoldenLine) {
  EXPECT_EQ(LineOf(StoreOf(GetParam().angles), AppendKelLine), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Golden, KelLineTest,
    ::testing::Values(
        AsciiRow{{52, 7, 24.6, 'N', 4, 34, 4.2, 'E'}, "52-7.41N 4-34.07E\n", "plain"},
        AsciiRow{{52, 7, 59.9, 'N', 104, 34, 4.2, 'E'}, "52-8.00N 104-34.07E\n",
                 "59.9 s are 99.83 hundredths: carried; a blank before 3-digit degrees"},
        AsciiRow{{52, 59, 59.9, 'N', 4, 59, 59.9, 'E'}, "53-0.00N 5-0.00E\n",
                 "the carried minute reaches 60"},
        AsciiRow{{-52, -7, -59.9, 'S', -4, -7, -59.9, 'W'}, "52-8.00S 4-8.00W\n",
                 "south and west carry as the north"},
        AsciiRow{{52, 7, 59.6, 'N', 4, 7, 59.8, 'E'}, "52-7.99N 4-8.00E\n",
                 "99.33 hundredths stay, 99.67 carry"},
        AsciiRow{{10, 0, 1.5, 'N', 10, 0, 4.5, 'E'}, "10-0.02N 10-0.08E\n",
                 "2.5 and 7.5 hundredths round half to even"},
        AsciiRow{{52, 60, 0.0, 'N', 4, -60, -0.0, 'W'}, "53-0.00N 5-0.00W\n",
                 "60 minutes read from the input carry too"},
        AsciiRow{{52, 7, 75.0, 'n', 0, 0, 0.0, 'x'}, "52-8.00n 0-0.00x\n",
                 "75 seconds carry one minute; letters as stored"},
        AsciiRow{{kMin, kMin, 0.0, 'S', kMax, 59, 59.9, 'E'},
                 "2147483648-2147483648.00S 2147483648-0.00E\n",
                 "magnitudes and carries in 64 bits"}));

// ---------------------------------------------------------------------------
// Plane coordinates and "oru/kvl".

TEST(XyLine, GoldenLines) {
  TrackStore store(1);
  const struct {
    double x, y;
    const char* line;
  } rows[] = {{512.3, 97.5, "    512.30      97.50\n"},
              {-0.0, -0.004, "     -0.00      -0.00\n"},
              {0.125, 0.375, "      0.12       0.38\n"},
              {1e10, -1e10, "10000000000.00 -10000000000.00\n"}};
  for (const auto& row : rows) {
    store.first[0] = row.x;
    store.second[0] = row.y;
    EXPECT_EQ(LineOf(store, AppendXyLine), row.line);
  }
}

TEST(OruLine, GoldenLines) {
  TrackStore store(1);
  const struct {
    double first, second;
    char c1, c2;
    const char* line;
  } rows[] = {{-52.5, -4.25, 'S', 'W', "52.500000S,  4.250000W\n"},
              {52.123456, 4.56789, 'N', 'E', "52.123456N,  4.567890E\n"},
              {0.0, -180.0, 'n', 'w', " 0.000000n,180.000000w\n"},
              {-0.0, 1000.0, ' ', 'E', " 0.000000 ,1000.000000E\n"}};
  for (const auto& row : rows) {
    store.first[0] = row.first;
    store.second[0] = row.second;
    store.lat_hemisphere[0] = row.c1;
    store.lon_hemisphere[0] = row.c2;
    EXPECT_EQ(LineOf(store, AppendOruLine), row.line);
  }
}

// ---------------------------------------------------------------------------
// Generated values against snprintf with the real patterns.

double RandomValue(std::mt19937_64& random) {
  switch (random() % 4) {
    case 0: {  // any bit pattern
      const std::uint64_t bits = random();
      double d = 0.0;
      std::memcpy(&d, &bits, sizeof d);
      return d;
    }
    case 1:  // near ties of the last printed decimal
      return (static_cast<double>(random() % 2000000) + 0.5) / 100.0 *
             (random() % 2 == 0 ? 1.0 : -1.0);
    default:  // coordinates
      return (static_cast<double>(random() % 360000000) / 1e6 - 180.0) *
             std::ldexp(1.0, static_cast<int>(random() % 20));
  }
}

std::string Snprintf(const char* pattern, auto... args) {
  char buffer[2048];
  const int length = std::snprintf(buffer, sizeof buffer, pattern, args...);
  return std::string(buffer, static_cast<std::size_t>(length));
}

TEST(WritersAgainstSnprintf, XyAndOruLines) {
  std::mt19937_64 random(31);
  TrackStore store(1);
  for (int k = 0; k < 20000; ++k) {
    const double a = RandomValue(random);
    const double b = RandomValue(random);
    const auto c1 = static_cast<char>(random() % 256);
    const auto c2 = static_cast<char>(random() % 256);
    store.first[0] = a;
    store.second[0] = b;
    store.lat_hemisphere[0] = c1;
    store.lon_hemisphere[0] = c2;
    ASSERT_EQ(LineOf(store, AppendXyLine), Snprintf("%10.2lf %10.2lf\n", a, b));
    ASSERT_EQ(LineOf(store, AppendOruLine),
              Snprintf("%9.6lf%c,%10.6lf%c\n", std::fabs(a), c1, std::fabs(b), c2));
  }
}

// Outside the rewritten seconds (those that print as +-60.00 below 60, or as
// -0.00), "ASCII" is the plain pattern.
TEST(WritersAgainstSnprintf, AsciiLines) {
  std::mt19937_64 random(32);
  int compared = 0;
  for (int k = 0; k < 20000; ++k) {
    Angles a{};
    a.lat_d = static_cast<std::int32_t>(random());
    a.lat_m = static_cast<std::int32_t>(random() % 121) - 60;
    a.lat_s = random() % 3 == 0 ? RandomValue(random)
                                : static_cast<double>(random() % 12001) / 100.0 - 60.0 +
                                      static_cast<double>(random() % 3) * 0.001;
    a.lon_d = static_cast<std::int32_t>(random() % 361) - 180;
    a.lon_m = static_cast<std::int32_t>(random());
    a.lon_s = RandomValue(random);
    const std::string lat_text = Snprintf("%.2f", a.lat_s);
    const std::string lon_text = Snprintf("%.2f", a.lon_s);
    auto rewritten = [](const std::string& text, double s) {
      return text == "-0.00" || (std::fabs(s) < 60.0 && (text == "60.00" || text == "-60.00"));
    };
    const std::string ours = LineOf(StoreOf(a), AppendAsciiLine);
    if (rewritten(lat_text, a.lat_s) || rewritten(lon_text, a.lon_s)) {
      // A rewritten angle is written with seconds 0.00 and keeps its value to
      // the hundredth of a second; the other is written plainly.
      long long d[2] = {};
      long long m[2] = {};
      char sec[2][400] = {};
      ASSERT_EQ(std::sscanf(ours.c_str(), "%lld %lld %399s %lld %lld %399s", &d[0], &m[0], sec[0],
                            &d[1], &m[1], sec[1]),
                6)
          << ours;
      const double seconds[2] = {a.lat_s, a.lon_s};
      const std::int32_t degrees[2] = {a.lat_d, a.lon_d};
      const std::int32_t minutes[2] = {a.lat_m, a.lon_m};
      const std::string texts[2] = {lat_text, lon_text};
      for (int k = 0; k < 2; ++k) {
        if (!rewritten(texts[k], seconds[k])) {
          EXPECT_EQ(sec[k], texts[k]) << ours;
          continue;
        }
        EXPECT_STREQ(sec[k], "0.00") << ours;
        const double before = degrees[k] * 3600.0 + minutes[k] * 60.0 + seconds[k];
        const double after = static_cast<double>(d[k]) * 3600.0 + static_cast<double>(m[k]) * 60.0;
        EXPECT_NEAR(after, before, 0.0051) << ours;
      }
      continue;
    }
    ++compared;
    ASSERT_EQ(ours, Snprintf("%d %d %9.2lf %d %d %9.2lf\n", a.lat_d, a.lat_m, a.lat_s, a.lon_d,
                             a.lon_m, a.lon_s));
  }
  EXPECT_GT(compared, 15000);
}

// Outside the carries (hundredths below 99.5, minutes other than 60 and 59
// with a carry), "Kel" is the plain pattern on the magnitudes.
TEST(WritersAgainstSnprintf, KelLines) {
  std::mt19937_64 random(33);
  int compared = 0;
  for (int k = 0; k < 20000; ++k) {
    Angles a{};
    a.lat_d = static_cast<std::int32_t>(random() % 181) - 90;
    a.lat_m = static_cast<std::int32_t>(random() % 119) - 59;
    a.lat_s = static_cast<double>(random() % 600000) / 10000.0 * (random() % 2 ? 1 : -1);
    a.c1 = "NSns"[random() % 4];
    a.lon_d = static_cast<std::int32_t>(random() % 361) - 180;
    a.lon_m = static_cast<std::int32_t>(random() % 119) - 59;
    a.lon_s = static_cast<double>(random() % 600000) / 10000.0 * (random() % 2 ? 1 : -1);
    a.c2 = "EWew"[random() % 4];
    const double h1 = std::fabs(a.lat_s) * 100.0 / 60.0;
    const double h2 = std::fabs(a.lon_s) * 100.0 / 60.0;
    if (h1 >= 99.5 || h2 >= 99.5) continue;
    ++compared;
    ASSERT_EQ(LineOf(StoreOf(a), AppendKelLine),
              Snprintf("%d-%d.%02.0lf%c% d-%d.%02.0lf%c\n", std::abs(a.lat_d), std::abs(a.lat_m),
                       h1, a.c1, std::abs(a.lon_d), std::abs(a.lon_m), h2, a.c2));
  }
  EXPECT_GT(compared, 15000);
}

// ---------------------------------------------------------------------------
// Whole tracks: golden files written to a temporary folder, compared byte
// for byte and read back where the format allows.

class GoldenFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("oru-writer-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Writes the selected points through a file and returns the file's bytes.
  std::string WriteThroughFile(const TrackStore& store, const std::vector<std::int64_t>& selected,
                               InputFormat in, OutputFormat out, const char* name) {
    std::string text;
    WriteTrack(text, store, selected, in, out);
    const auto path = dir_ / name;
    EXPECT_TRUE(WriteFileAtomically(path, text));
    std::string bytes;
    EXPECT_TRUE(LoadFile(path, bytes));
    return bytes;
  }

  std::filesystem::path dir_;
};

constexpr char kOruInput[] =
    "52.5S,  4.25W\r\n"
    "52.123456N,  4.567890E\r\n"
    "0.5N, 4.3W\r\n"
    "53.0N,  5.0E\r\n";

TrackStore ReadAll(std::string_view text, InputFormat format) {
  TrackStore store(static_cast<std::size_t>(CountTrackLines(text)));
  const ReadOutcome outcome = ReadTrack(text, format, store);
  EXPECT_EQ(outcome.bad_line, 0);
  EXPECT_EQ(static_cast<std::size_t>(outcome.points), store.size());
  return store;
}

TEST_F(GoldenFileTest, GeographicTrackInEveryOutputFormat) {
  const TrackStore store = ReadAll(kOruInput, InputFormat::OruKvl);
  const std::vector<std::int64_t> all = {1, 2, 3, 4};

  const std::string oru = WriteThroughFile(store, all, InputFormat::OruKvl, OutputFormat::OruKvl,
                                           "track.oru");
  EXPECT_EQ(oru,
            "52.500000S,  4.250000W\n"
            "52.123456N,  4.567890E\n"
            " 0.500000N,  4.300000W\n"
            "53.000000N,  5.000000E\n");
  const std::string ascii = WriteThroughFile(store, all, InputFormat::OruKvl, OutputFormat::Ascii,
                                             "track.txt");
  EXPECT_EQ(ascii,
            "-52 -30      0.00 -4 -15      0.00\n"
            "52 7     24.44 4 34      4.40\n"
            "0 30      0.00 -4 -18      0.00\n"
            "53 0      0.00 5 0      0.00\n");
  const std::string kel = WriteThroughFile(store, all, InputFormat::OruKvl, OutputFormat::Kel,
                                           "track.kel");
  EXPECT_EQ(kel,
            "52-30.00S 4-15.00W\n"
            "52-7.41N 4-34.07E\n"
            "0-30.00N 4-18.00W\n"
            "53-0.00N 5-0.00E\n");

  // Read back: "oru/kvl" to the sixth decimal (52.5S, 4.25W exactly), the
  // "ASCII" lines as DMS lines to the hundredth of a second.
  const TrackStore from_oru = ReadAll(oru, InputFormat::OruKvl);
  const TrackStore from_ascii = ReadAll(ascii, InputFormat::AsciiDms);
  ASSERT_EQ(from_oru.size(), 4U);
  ASSERT_EQ(from_ascii.size(), 4U);
  EXPECT_EQ(from_oru.first[0], -52.5);
  EXPECT_EQ(from_oru.second[0], -4.25);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(from_oru.first[i], store.first[i], 5e-7);
    EXPECT_NEAR(from_oru.second[i], store.second[i], 5e-7);
    EXPECT_NEAR(from_ascii.first[i], store.first[i], 0.005 / 3600 + 1e-12);
    EXPECT_NEAR(from_ascii.second[i], store.second[i], 0.005 / 3600 + 1e-12);
  }
}

TEST_F(GoldenFileTest, SelectedPointsOnlyInTrackOrder) {
  const TrackStore store = ReadAll(kOruInput, InputFormat::OruKvl);
  EXPECT_EQ(WriteThroughFile(store, {1, 3, 4}, InputFormat::OruKvl, OutputFormat::OruKvl, "sel"),
            "52.500000S,  4.250000W\n"
            " 0.500000N,  4.300000W\n"
            "53.000000N,  5.000000E\n");
  EXPECT_EQ(WriteThroughFile(store, {}, InputFormat::OruKvl, OutputFormat::Kel, "none"), "");
}

TEST_F(GoldenFileTest, DmsTrackWithDerivedLetters) {
  const TrackStore store = ReadAll("52 7 24.44 4 34 4.40\n-52 -30 -0.0 -4 -15 -0\n0 0 0 0 0 0\n",
                                   InputFormat::AsciiDms);
  const std::vector<std::int64_t> all = {1, 2, 3};
  EXPECT_EQ(WriteThroughFile(store, all, InputFormat::AsciiDms, OutputFormat::Ascii, "dms.txt"),
            "52 7     24.44 4 34      4.40\n"
            "-52 -30      0.00 -4 -15      0.00\n"
            "0 0      0.00 0 0      0.00\n");
  const std::string oru =
      WriteThroughFile(store, all, InputFormat::AsciiDms, OutputFormat::OruKvl, "dms.oru");
  EXPECT_EQ(oru, "52.123456N,  4.567889E\n52.500000S,  4.250000W\n 0.000000S,  0.000000W\n");
  EXPECT_EQ(WriteThroughFile(store, all, InputFormat::AsciiDms, OutputFormat::Kel, "dms.kel"),
            "52-7.41N 4-34.07E\n52-30.00S 4-15.00W\n0-0.00S 0-0.00W\n");
}

TEST_F(GoldenFileTest, PlaneTrackWhateverTheOutputFormat) {
  const TrackStore store = ReadAll("512.3 97.5\n-0.004 1e6\n1 2\n", InputFormat::AsciiXY);
  const char* const expected =
      "    512.30      97.50\n"
      "     -0.00 1000000.00\n"
      "      1.00       2.00\n";
  for (const OutputFormat out : {OutputFormat::OruKvl, OutputFormat::Ascii, OutputFormat::Kel}) {
    EXPECT_EQ(WriteThroughFile(store, {1, 2, 3}, InputFormat::AsciiXY, out, "xy.txt"), expected);
  }
  const TrackStore back = ReadAll(expected, InputFormat::AsciiXY);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(back.first[i], store.first[i], 0.005);
    EXPECT_NEAR(back.second[i], store.second[i], 0.005);
  }
}

}  // namespace
}  // namespace oru
