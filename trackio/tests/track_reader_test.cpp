#include "trackio/track_reader.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "numbertext/tests/text_test_support.h"

namespace oru {
namespace {

using namespace std::string_view_literals;

using oru::testing::SameBits;
using oru::testing::Show;

// Every field of one slot, for comparing slots whole.
void ExpectSameSlot(const TrackStore& a, std::size_t i, const TrackStore& b, std::size_t j) {
  EXPECT_EQ(a.lat_hemisphere[i], b.lat_hemisphere[j]);
  EXPECT_EQ(a.lon_hemisphere[i], b.lon_hemisphere[j]);
  EXPECT_TRUE(SameBits(a.lat_as_read[i], b.lat_as_read[j]));
  EXPECT_TRUE(SameBits(a.lon_as_read[i], b.lon_as_read[j]));
  EXPECT_TRUE(SameBits(a.first[i], b.first[j]));
  EXPECT_TRUE(SameBits(a.second[i], b.second[j]));
  EXPECT_TRUE(SameBits(a.lat_seconds[i], b.lat_seconds[j]));
  EXPECT_TRUE(SameBits(a.lon_seconds[i], b.lon_seconds[j]));
  EXPECT_EQ(a.lat_degrees[i], b.lat_degrees[j]);
  EXPECT_EQ(a.lat_minutes[i], b.lat_minutes[j]);
  EXPECT_EQ(a.lon_degrees[i], b.lon_degrees[j]);
  EXPECT_EQ(a.lon_minutes[i], b.lon_minutes[j]);
}

void ExpectUntouched(const TrackStore& store, std::size_t i) {
  ExpectSameSlot(store, i, TrackStore(1), 0);
}

// ---------------------------------------------------------------------------
// "oru/kvl" lines.

struct OruRow {
  std::string_view line;
  bool ok;
  char c1, c2;
  double v1, v2;                // as read
  double first, second;         // signed decimal degrees
  std::int32_t lat_d, lat_m;
  double lat_s;
  std::int32_t lon_d, lon_m;
  double lon_s;
  const char* why;
};

std::ostream& operator<<(std::ostream& os, const OruRow& row) {
  return os << "[" << Show(row.line) << "] " << row.why;
}

class OruLineTest : public ::testing::TestWithParam<OruRow> {};

TEST_P(OruLineTest, ParsesOrRefuses) {
  const OruRow& row = GetParam();
  TrackStore store(1);
  ASSERT_EQ(ParseOruLine(row.line, store, 0), row.ok);
  if (!row.ok) {
    ExpectUntouched(store, 0);
    return;
  }
  EXPECT_EQ(store.lat_hemisphere[0], row.c1);
  EXPECT_EQ(store.lon_hemisphere[0], row.c2);
  EXPECT_EQ(store.lat_as_read[0], row.v1);
  EXPECT_EQ(store.lon_as_read[0], row.v2);
  // Bit for bit: the sign of a zero reaches the "ASCII" output.
  EXPECT_TRUE(SameBits(store.first[0], row.first)) << store.first[0];
  EXPECT_TRUE(SameBits(store.second[0], row.second)) << store.second[0];
  EXPECT_EQ(store.lat_degrees[0], row.lat_d);
  EXPECT_EQ(store.lat_minutes[0], row.lat_m);
  EXPECT_TRUE(SameBits(store.lat_seconds[0], row.lat_s)) << store.lat_seconds[0];
  EXPECT_EQ(store.lon_degrees[0], row.lon_d);
  EXPECT_EQ(store.lon_minutes[0], row.lon_m);
  EXPECT_TRUE(SameBits(store.lon_seconds[0], row.lon_s)) << store.lon_seconds[0];
}

OruRow Bad(std::string_view line, const char* why) {
  return {line, false, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, why};
}

// A line whose longitude letter is its `letter_at`-th character (1-based).
std::string OruLineWithLetterAt(std::size_t letter_at) {
  std::string line = "52.5N,";
  line.append(letter_at - line.size() - 5, ' ');
  line += "4.25E";
  return line;
}
const std::string kLetterAt50 = OruLineWithLetterAt(50);
const std::string kLetterAt51 = OruLineWithLetterAt(51);
const std::string kLine200 = "52.5N,  4.25E" + std::string(187, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, OruLineTest,
    ::testing::Values(
        OruRow{"52.5S,  4.25W", true, 'S', 'W', 52.5, 4.25, -52.5, -4.25, -52, -30, -0.0, -4, -15,
               -0.0, "south and west: every component negative"},
        OruRow{"52.5N,4.25E", true, 'N', 'E', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4, 15, 0.0,
               "no white space"},
        OruRow{"10.015625N,\t20.5078125E   ", true, 'N', 'E', 10.015625, 20.5078125, 10.015625,
               20.5078125, 10, 0, 56.25, 20, 30, 28.125, "minutes and seconds by floors"},
        OruRow{"52.5s,  4.25w", true, 's', 'w', 52.5, 4.25, -52.5, -4.25, -52, -30, -0.0, -4, -15,
               -0.0, "lower-case s and w are south and west"},
        OruRow{"52.5n,  4.25e", true, 'n', 'e', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4, 15, 0.0,
               "lower-case n and e; the e is a letter, not an exponent; kept as read"},
        OruRow{"52.5N,  4.25   E", true, 'N', 'E', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4, 15,
               0.0, "white space before the longitude letter"},
        OruRow{"90N,180E", true, 'N', 'E', 90.0, 180.0, 90.0, 180.0, 90, 0, 0.0, 180, 0, 0.0,
               "whole numbers, the range ends"},
        OruRow{"0S,0W", true, 'S', 'W', 0.0, 0.0, -0.0, -0.0, 0, 0, -0.0, 0, 0, -0.0,
               "zero in the south and west"},
        OruRow{"+52.5N,+4.25E", true, 'N', 'E', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4, 15, 0.0,
               "plus signs are read"},
        OruRow{"52.N, 4.E", true, 'N', 'E', 52.0, 4.0, 52.0, 4.0, 52, 0, 0.0, 4, 0, 0.0,
               "a point without decimals"},
        OruRow{kLetterAt50, true, 'N', 'E', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4, 15, 0.0,
               "the longitude letter is the 50th character"},
        OruRow{kLine200, true, 'N', 'E', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4, 15, 0.0,
               "a 200-character line: text after the items is ignored"},
        OruRow{"52.5N, 4.25E\0garbage"sv, true, 'N', 'E', 52.5, 4.25, 52.5, 4.25, 52, 30, 0.0, 4,
               15, 0.0, "a NUL after the items"},
        OruRow{"3e9N, 4E", false, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "no exponents"},
        Bad(kLetterAt51, "the longitude letter is the 51st character"),
        Bad("52.5 N, 4.25 E", "a blank between number and latitude letter"),
        // A minus sign and a letter were three positions: southern in the
        // selection, 54.500000N, 55-30.00N and -55 30 0.00 in the writers.
        Bad("-54.5N, 4.5E", "a minus sign and a latitude letter"),
        Bad("54.5N, -4.5W", "a minus sign and a longitude letter"),
        Bad("-0N, 4E", "minus zero"),
        Bad("52.5x, 4.25E", "a latitude letter that names no hemisphere"),
        Bad("52.5N, 4.25x", "a longitude letter that names no hemisphere"),
        Bad("52.5N, 4.25S", "a latitude letter for the longitude"),
        Bad("N 52.5", "a line beginning with N is parsed and fails"),
        Bad("52,5N, 4,25E", "a comma for a point"),
        Bad("52.5E, 4.25N", "latitude letter E"),
        Bad("52.5W, 4.25N", "latitude letter W"),
        Bad("52.5e, 4.25N", "latitude letter e"),
        Bad("5.25e1N, 4E", "an exponent is split off by the blank before e"),
        Bad("52.5N , 4.25E", "a blank before the comma"),
        Bad("52.5N, 4.25", "no longitude letter"),
        Bad("52.5N, 4.25   ", "only white space after the longitude"),
        Bad("52.5N", "no longitude"),
        Bad("52.5N,\0 4.25E"sv, "a NUL before the longitude"),
        Bad("\0" "52.5N, 4.25E"sv, "a NUL first"),
        Bad("", "empty"),
        Bad("   ", "blanks"),
        Bad("nanN, 4E", "not a number is refused"),
        Bad("infN, 4E", "infinity is refused"),
        Bad("0x10N, 4E", "hexadecimal is refused"),
        Bad("1e999N, 4E", "no exponent: the blank splits it off, so this fails anyway")));

// A latitude or longitude whose whole degrees do not fit 32 bits.
TEST(OruLine, HugeDegreesGiveTheX86IndefiniteInteger) {
  TrackStore store(1);
  ASSERT_TRUE(ParseOruLine("3000000000.5S, 1" + std::string(30, '0') + "E", store, 0));
  EXPECT_EQ(store.first[0], -3000000000.5);
  EXPECT_EQ(store.lat_degrees[0], INT32_MIN);
  EXPECT_EQ(store.lat_minutes[0], -30);
  EXPECT_EQ(store.second[0], 1e30);
  EXPECT_EQ(store.lon_degrees[0], INT32_MIN);
  EXPECT_EQ(store.lon_minutes[0], 0);
}

// ---------------------------------------------------------------------------
// "ASCII Lat, Lon [DMS]" lines.

struct DmsRow {
  std::string_view line;
  bool ok;
  std::int32_t lat_d, lat_m;
  double lat_s;
  std::int32_t lon_d, lon_m;
  double lon_s;
  double first, second;
  char c1, c2;
  const char* why;
};

std::ostream& operator<<(std::ostream& os, const DmsRow& row) {
  return os << "[" << Show(row.line) << "] " << row.why;
}

class DmsLineTest : public ::testing::TestWithParam<DmsRow> {};

TEST_P(DmsLineTest, ParsesOrRefuses) {
  const DmsRow& row = GetParam();
  TrackStore store(1);
  ASSERT_EQ(ParseDmsLine(row.line, store, 0), row.ok);
  if (!row.ok) {
    ExpectUntouched(store, 0);
    return;
  }
  EXPECT_EQ(store.lat_degrees[0], row.lat_d);
  EXPECT_EQ(store.lat_minutes[0], row.lat_m);
  EXPECT_TRUE(SameBits(store.lat_seconds[0], row.lat_s));
  EXPECT_EQ(store.lon_degrees[0], row.lon_d);
  EXPECT_EQ(store.lon_minutes[0], row.lon_m);
  EXPECT_TRUE(SameBits(store.lon_seconds[0], row.lon_s));
  EXPECT_TRUE(SameBits(store.first[0], row.first)) << store.first[0];
  EXPECT_TRUE(SameBits(store.second[0], row.second)) << store.second[0];
  EXPECT_EQ(store.lat_hemisphere[0], row.c1);
  EXPECT_EQ(store.lon_hemisphere[0], row.c2);
  EXPECT_EQ(store.lat_as_read[0], kFillReal);
  EXPECT_EQ(store.lon_as_read[0], kFillReal);
}

DmsRow BadDms(std::string_view line, const char* why) {
  return {line, false, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, why};
}

INSTANTIATE_TEST_SUITE_P(
    Table, DmsLineTest,
    ::testing::Values(
        DmsRow{"52 30 0.0 4 15 0", true, 52, 30, 0.0, 4, 15, 0.0, 52.5, 4.25, 'N', 'E', "plain"},
        DmsRow{"0 0 0.0 0 0 0.0", true, 0, 0, 0.0, 0, 0, 0.0, 0.0, 0.0, 'S', 'W',
               "zero gives S and W"},
        DmsRow{"-52 30 0.0 4 0 0.0", true, -52, 30, 0.0, 4, 0, 0.0, -51.5, 4.0, 'S', 'E',
               "a minus on the degrees alone"},
        DmsRow{"-52 -30 -0.0 -4 -15 -0", true, -52, -30, -0.0, -4, -15, -0.0, -52.5, -4.25, 'S',
               'W', "south and west with every component negative"},
        DmsRow{"0 23 0.75 0 46 0", true, 0, 23, 0.75, 0, 46, 0.0, 0.38354166666666661,
               0.76666666666666661, 'N', 'E',
               "1/60 and 1/3600 are factors: 23/60 + 0.75/3600 would end in ...67"},
        DmsRow{"90 0 0 180 0 0", true, 90, 0, 0.0, 180, 0, 0.0, 90.0, 180.0, 'N', 'E', "ends"},
        DmsRow{"52 60 900 4 15 0", true, 52, 60, 900.0, 4, 15, 0.0, 53.25, 4.25, 'N', 'E',
               "60 minutes and 900 seconds are stored as read"},
        DmsRow{"+52\t+30\r+0.0e1 4 15 0 and more", true, 52, 30, 0.0, 4, 15, 0.0, 52.5, 4.25,
               'N', 'E', "signs, tabs, CR, an exponent, trailing text"},
        DmsRow{"52 30 0e 4 15 0", true, 52, 30, 0.0, 4, 15, 0.0, 52.5, 4.25, 'N', 'E',
               "a dangling exponent is consumed"},
        DmsRow{"-2147483648 0 0 2147483647 0 0", true, INT32_MIN, 0, 0.0, INT32_MAX, 0, 0.0,
               -2147483648.0, 2147483647.0, 'S', 'E', "32-bit ends"},
        BadDms("52 30 0.0 4 15", "five fields"),
        BadDms("52 7 24,44 4 34 4.40", "a comma for a point"),
        BadDms("52 7.5 24.44 4 34 4.40", "a decimal minute shifts the fields"),
        BadDms("2147483648 0 0 0 0 0", "degrees beyond 32 bits"),
        BadDms("52 30 nan 4 15 0", "not a number"),
        BadDms("52 30 inf 4 15 0", "infinity"),
        BadDms("52 30 1e999 4 15 0", "seconds beyond a double"),
        BadDms("52 30 0x1p4 4 15 0", "hexadecimal seconds"),
        BadDms("N 52 30 0 4 15 0", "a letter"),
        BadDms("52 30 0 4 15\0 0"sv, "a NUL before the last field"),
        BadDms("", "empty"), BadDms(" \t ", "blanks")));

// ---------------------------------------------------------------------------
// "ASCII  X, Y        [m]" lines.

struct XyRow {
  std::string_view line;
  bool ok;
  double x, y;
  const char* why;
};

std::ostream& operator<<(std::ostream& os, const XyRow& row) {
  return os << "[" << Show(row.line) << "] " << row.why;
}

class XyLineTest : public ::testing::TestWithParam<XyRow> {};

TEST_P(XyLineTest, ParsesOrRefuses) {
  const XyRow& row = GetParam();
  TrackStore store(1);
  ASSERT_EQ(ParseXyLine(row.line, store, 0), row.ok);
  if (!row.ok) {
    ExpectUntouched(store, 0);
    return;
  }
  EXPECT_TRUE(SameBits(store.first[0], row.x)) << store.first[0];
  EXPECT_TRUE(SameBits(store.second[0], row.y)) << store.second[0];
  // Nothing else is filled.
  TrackStore only_xy(1);
  only_xy.first[0] = row.x;
  only_xy.second[0] = row.y;
  ExpectSameSlot(store, 0, only_xy, 0);
}

const std::string kLongDigits = "0." + std::string(190, '0') + "1e191 2";

INSTANTIATE_TEST_SUITE_P(
    Table, XyLineTest,
    ::testing::Values(XyRow{"512.3 97.5", true, 512.3, 97.5, "plain"},
                      XyRow{"  512.3\t97.5  trailing", true, 512.3, 97.5, "white space, rest"},
                      XyRow{"1e3 -2E-2", true, 1000.0, -0.02, "exponents"},
                      XyRow{"-0 +0", true, -0.0, 0.0, "signed zeros"},
                      XyRow{"1e 5", true, 1.0, 5.0, "1e is read as 1, the e consumed"},
                      XyRow{"1e-+5 7", true, 1.0, 5.0, "1e- is consumed, +5 is the Y"},
                      XyRow{".5 5.", true, 0.5, 5.0, "points at either end"},
                      XyRow{"1e-400 4.9e-324", true, 0.0, 4.9406564584124654e-324,
                            "underflow to zero, the smallest subnormal"},
                      XyRow{"1.7976931348623157e308 0", true, 1.7976931348623157e308, 0.0,
                            "the largest double"},
                      XyRow{kLongDigits, true, 1.0, 2.0, "a 200-character number"},
                      XyRow{"512.3 97.5\0 x"sv, true, 512.3, 97.5, "a NUL after the numbers"},
                      XyRow{"512,3 97,5", false, 0, 0, "a comma for a point"},
                      XyRow{"512.3", false, 0, 0, "one number"},
                      XyRow{"512.3 \0 97.5"sv, false, 0, 0, "a NUL before Y"},
                      XyRow{"N 5", false, 0, 0, "a letter"},
                      XyRow{"nan 5", false, 0, 0, "not a number"},
                      XyRow{"5 -Infinity", false, 0, 0, "infinity"},
                      XyRow{"0x10 5", false, 0, 0, "hexadecimal"},
                      XyRow{"1e309 5", false, 0, 0, "beyond a double"},
                      XyRow{"", false, 0, 0, "empty"}, XyRow{"  ", false, 0, 0, "blanks"}));

// ---------------------------------------------------------------------------
// Whole files: end marks, line ends, line numbers.

struct FileRow {
  std::string_view text;
  InputFormat format;
  std::int64_t count;     // CountTrackLines
  std::int64_t points;    // ReadTrack into a store of `count` slots
  std::int64_t bad_line;  // 0: none
  const char* why;
};

std::ostream& operator<<(std::ostream& os, const FileRow& row) {
  return os << "[" << Show(row.text) << "] " << row.why;
}

class TrackFileTest : public ::testing::TestWithParam<FileRow> {};

TEST_P(TrackFileTest, CountsAndReads) {
  const FileRow& row = GetParam();
  EXPECT_EQ(CountTrackLines(row.text), row.count);
  TrackStore store(static_cast<std::size_t>(row.count));
  const ReadOutcome outcome = ReadTrack(row.text, row.format, store);
  EXPECT_EQ(outcome.points, row.points);
  EXPECT_EQ(outcome.bad_line, row.bad_line);
}

constexpr InputFormat kXy = InputFormat::AsciiXY;
constexpr InputFormat kDms = InputFormat::AsciiDms;
constexpr InputFormat kOru = InputFormat::OruKvl;

const std::string kLongLineFile = "1 2\n" + std::string(300, ' ') + "3 4" +
                                  std::string(300, ' ') + "\n5 6\nbad\n";
const std::string kLongOruFile = "52.5N, 4E\n52.5N, 4E" + std::string(150, ' ') + "\nx\n";

INSTANTIATE_TEST_SUITE_P(
    Table, TrackFileTest,
    ::testing::Values(
        FileRow{"", kXy, 0, 0, 0, "an empty file"},
        FileRow{"\n1 2\n", kXy, 0, 0, 0, "an empty first line"},
        FileRow{"\r\n1 2\n", kXy, 0, 0, 0, "an empty first line, CR LF"},
        FileRow{"1 2\n3 4\n", kXy, 2, 2, 0, "LF"},
        FileRow{"1 2\r\n3 4\r\n", kXy, 2, 2, 0, "CR LF"},
        FileRow{"1 2\n3 4", kXy, 2, 2, 0, "no line feed after the last line"},
        FileRow{"1 2\n3 4\r", kXy, 2, 2, 0, "a CR at the very end"},
        FileRow{"1 2\n\n3 4\n", kXy, 1, 1, 0, "an empty line ends the data"},
        FileRow{"1 2\r\n\r\n3 4\r\n", kXy, 1, 1, 0, "an empty CR LF line ends the data"},
        FileRow{"1 2\n \n3 4\n", kXy, 3, 1, 2, "a blank line is not empty"},
        // CR-only files (old Macintosh text) were read as one line.
        FileRow{"1 2\r3 4\r5 6\r", kXy, 3, 3, 0, "CR"},
        FileRow{"1 2\r3 4\r\n5 6\n", kXy, 3, 3, 0, "CR, CR LF and LF mixed"},
        FileRow{"1 2\r\r3 4\r", kXy, 1, 1, 0, "an empty CR line ends the data"},
        FileRow{"1 2\n\r\r\n3 4\n", kXy, 1, 1, 0, "a lone CR before CR LF is an empty line"},
        FileRow{"1\r2\n", kXy, 2, 0, 1, "a CR inside a line ends it"},
        FileRow{"1 2\nN\n3 4\n", kXy, 1, 1, 0, "N ends X, Y data"},
        FileRow{"1 2\nn 3\n", kXy, 2, 1, 2, "a lower-case n is no end mark"},
        FileRow{"52 30 0 4 15 0\nNorth\n", kDms, 1, 1, 0, "N ends DMS data"},
        FileRow{"52.5N, 4E\nN 52.5\n", kOru, 1, 1, 2,
                "an oru/kvl N line is parsed; it fails"},
        FileRow{"N52.5N, 4E\n", kOru, 0, 0, 1,
                "an oru/kvl N line that ended the count has no slot"},
        FileRow{"1 2\nx\n3 4\n", kXy, 3, 1, 2, "the first bad line is reported"},
        FileRow{"1 2\n3 4\n\nx\n", kXy, 2, 2, 0, "lines after an end mark are ignored"},
        FileRow{"1 2\n\0\n3 4\n"sv, kXy, 3, 1, 2, "a line holding a NUL is not empty"},
        FileRow{"\0"sv, kXy, 1, 0, 1, "a file of one NUL"},
        FileRow{kLongLineFile, kXy, 4, 3, 4,
                "a 606-character line is one line: physical line numbers"},
        FileRow{kLongOruFile, kOru, 3, 2, 3,
                "a long oru/kvl line is read from its first 50 characters"}));

TEST(TrackFile, NeverStoresMoreThanTheSlots) {
  TrackStore store(2);
  const ReadOutcome outcome = ReadTrack("1 2\n3 4\n5 6\n", kXy, store);
  EXPECT_EQ(outcome.points, 2);
  EXPECT_EQ(outcome.bad_line, 3);
  EXPECT_EQ(store.first[1], 3.0);
}

// ---------------------------------------------------------------------------
// Generated lines against sscanf with the real patterns.

std::string NumberLike(std::mt19937_64& random, bool whole) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string s;
  const char* const signs[] = {"", "", "", "", "", "-", "-", "+", "+-", "-"};
  s += signs[pick(10)];
  const int digits = pick(12) == 0 ? 20 + pick(200) : 1 + pick(6);
  for (int k = 0; k < digits; ++k) s.push_back(static_cast<char>('0' + pick(10)));
  if (!whole || pick(30) == 0) {
    if (pick(4) != 0) {
      s += '.';
      for (int k = pick(9); k > 0; --k) s.push_back(static_cast<char>('0' + pick(10)));
    }
    if (pick(6) == 0) {
      s += pick(2) != 0 ? "e" : "E";
      const char* const tails[] = {"", "+", "-", "-+", "5", "-3", "+308", "400", "-330"};
      s += tails[pick(9)];
    }
  }
  return s;
}

// White space between fields, and now and then something odd.
std::string Separator(std::mt19937_64& random) {
  static constexpr std::string_view kPlain[] = {" ", " ", "  ", "\t", "\r", " \v\f"};
  static constexpr std::string_view kOdd[] = {",", "", " x", "\0"sv, "N", "e", "0x", "nan",
                                              ".", "-", "inf", "E+"};
  if (random() % 10 != 0) return std::string(kPlain[random() % std::size(kPlain)]);
  std::string s;
  for (int k = static_cast<int>(random() % 3); k >= 0; --k) {
    s += kOdd[random() % std::size(kOdd)];
  }
  return s;
}

bool HexAt(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  if (*text == '+' || *text == '-') ++text;
  return text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

TEST(ReaderAgainstSscanf, XyLines) {
  std::mt19937_64 random(21);
  int parsed = 0;
  for (int k = 0; k < 20000; ++k) {
    std::string line = (random() % 4 == 0 ? Separator(random) : "") + NumberLike(random, false) +
                       Separator(random) + NumberLike(random, false);
    if (random() % 3 == 0) line += Separator(random);
    const std::string c_line(line);
    double x = 0, y = 0;
    int at_x = -1, at_y = -1;
    const int count = std::sscanf(c_line.c_str(), "%n%lf %n%lf", &at_x, &x, &at_y, &y);
    TrackStore store(1);
    const bool ours = ParseXyLine(line, store, 0);
    const bool deliberate = count == 2 && (!std::isfinite(x) || !std::isfinite(y) ||
                                           HexAt(c_line.c_str() + at_x) ||
                                           HexAt(c_line.c_str() + at_y));
    ASSERT_EQ(ours, count == 2 && !deliberate) << Show(line);
    if (!ours) continue;
    ++parsed;
    ASSERT_TRUE(SameBits(store.first[0], x)) << Show(line);
    ASSERT_TRUE(SameBits(store.second[0], y)) << Show(line);
  }
  EXPECT_GT(parsed, 5000) << "the generator must produce enough readable lines";
}

TEST(ReaderAgainstSscanf, DmsLines) {
  std::mt19937_64 random(22);
  int parsed = 0;
  for (int k = 0; k < 20000; ++k) {
    std::string line;
    for (int f = 0; f < 6; ++f) {
      line += f == 0 && random() % 4 != 0 ? "" : Separator(random);
      line += NumberLike(random, f != 2 && f != 5);
    }
    const std::string c_line(line);
    int d[4] = {};
    long wide[4] = {};
    double s1 = 0, s2 = 0;
    int at_s1 = -1, at_s2 = -1;
    const int count = std::sscanf(c_line.c_str(), "%d %d %n%lf %d %d %n%lf", &d[0], &d[1], &at_s1,
                                  &s1, &d[2], &d[3], &at_s2, &s2);
    std::sscanf(c_line.c_str(), "%ld %ld %lf %ld %ld %lf", &wide[0], &wide[1], &s1, &wide[2],
                &wide[3], &s2);
    // The positions of %n are only set when sscanf got that far.
    bool deliberate = count == 6 && (!std::isfinite(s1) || !std::isfinite(s2) ||
                                     HexAt(c_line.c_str() + at_s1) ||
                                     HexAt(c_line.c_str() + at_s2));
    for (const long w : wide) deliberate = deliberate || w < INT32_MIN || w > INT32_MAX;
    TrackStore store(1);
    const bool ours = ParseDmsLine(line, store, 0);
    ASSERT_EQ(ours, count == 6 && !deliberate) << Show(line);
    if (!ours) continue;
    ++parsed;
    EXPECT_EQ(store.lat_degrees[0], d[0]);
    EXPECT_EQ(store.lat_minutes[0], d[1]);
    EXPECT_TRUE(SameBits(store.lat_seconds[0], s1)) << Show(line);
    EXPECT_EQ(store.lon_degrees[0], d[2]);
    EXPECT_EQ(store.lon_minutes[0], d[3]);
    EXPECT_TRUE(SameBits(store.lon_seconds[0], s2)) << Show(line);
    // The hemisphere letter follows the sign of the coordinate.
    EXPECT_EQ(store.lat_hemisphere[0], store.first[0] > 0 ? 'N' : 'S');
    EXPECT_EQ(store.lon_hemisphere[0], store.second[0] > 0 ? 'E' : 'W');
    if (HasFailure()) return;
  }
  EXPECT_GT(parsed, 2000);
}

// The working text of an "oru/kvl" line as the format defines it.
std::string OruWorkingText(std::string_view line) {
  std::string work;
  for (const char ch : line.substr(0, 50)) {
    if (ch == 'E' || ch == 'e' || ch == 'W' || ch == 'w') work += ' ';
    work += ch;
  }
  return work;
}

TEST(ReaderAgainstSscanf, OruLines) {
  std::mt19937_64 random(23);
  static constexpr std::string_view kLetters = "NSEWnsewx ,\t";
  int parsed = 0;
  for (int k = 0; k < 20000; ++k) {
    std::string line = NumberLike(random, false);
    line += kLetters[random() % kLetters.size()];
    line += random() % 8 == 0 ? Separator(random) : ",";
    if (random() % 6 == 0) line += std::string(random() % 40, ' ');
    if (random() % 2 == 0) line += ' ';
    line += NumberLike(random, false);
    line += random() % 3 == 0 ? Separator(random) : "";
    line += kLetters[random() % kLetters.size()];
    if (random() % 4 == 0) line += Separator(random);
    const std::string work = OruWorkingText(line);
    double v1 = 0, v2 = 0;
    char c1 = 0, c2 = 0;
    int at_v1 = -1, at_v2 = -1;
    const int count =
        std::sscanf(work.c_str(), "%n%lf%c, %n%lf %c", &at_v1, &v1, &c1, &at_v2, &v2, &c2);
    const bool deliberate =
        count == 4 && (!std::isfinite(v1) || !std::isfinite(v2) || HexAt(work.c_str() + at_v1) ||
                       HexAt(work.c_str() + at_v2) || std::signbit(v1) || std::signbit(v2) ||
                       !std::strchr("NnSs", c1) || !std::strchr("EeWw", c2) || c1 == 0 || c2 == 0);
    TrackStore store(1);
    const bool ours = ParseOruLine(line, store, 0);
    ASSERT_EQ(ours, count == 4 && !deliberate) << Show(line);
    if (!ours) continue;
    ++parsed;
    EXPECT_TRUE(SameBits(store.lat_as_read[0], v1)) << Show(line);
    EXPECT_TRUE(SameBits(store.lon_as_read[0], v2)) << Show(line);
    EXPECT_EQ(store.lat_hemisphere[0], c1);
    EXPECT_EQ(store.lon_hemisphere[0], c2);
    // Degrees, minutes and seconds by the format's floors, to the bit.
    const bool south = c1 == 'S' || c1 == 's';
    EXPECT_EQ(store.first[0], south ? -v1 : v1);
    const double f = v1 - std::floor(v1);
    const double rest = (60.0 * f - std::floor(60.0 * f)) * 60.0;
    EXPECT_TRUE(SameBits(store.lat_seconds[0], south ? -rest : rest)) << Show(line);
    if (std::fabs(v1) < 2e9) {
      EXPECT_EQ(store.lat_degrees[0], static_cast<std::int32_t>(south ? -std::floor(v1)
                                                                      : std::floor(v1)));
      EXPECT_EQ(store.lat_minutes[0], static_cast<std::int32_t>(south ? -std::floor(60.0 * f)
                                                                      : std::floor(60.0 * f)));
    }
    // They add up to the coordinate, share its sign and lie in their ranges.
    if (std::fabs(v1) < 1e9) {
      const double sign = south ? -1.0 : 1.0;
      const double sum = store.lat_degrees[0] + store.lat_minutes[0] / 60.0 +
                         store.lat_seconds[0] / 3600.0;
      EXPECT_NEAR(sum, store.first[0], 1e-9 * (1.0 + std::fabs(v1))) << Show(line);
      EXPECT_GE(sign * store.lat_minutes[0], 0);
      EXPECT_LT(sign * store.lat_minutes[0], 60);
      EXPECT_GE(sign * store.lat_seconds[0], 0.0);
      EXPECT_LT(sign * store.lat_seconds[0], 60.0);
    }
    if (HasFailure()) return;
  }
  EXPECT_GT(parsed, 500);
}

// Tracks of other formats written as survey text: a slot stored from signed
// degrees is the slot that their "oru/kvl" line, printed in full, reads into.
TEST(StoreDegrees, FillsTheSlotAsItsOruLineReads) {
  std::mt19937_64 random(29);
  std::uniform_real_distribution<double> lat(-90.0, 90.0);
  std::uniform_real_distribution<double> lon(-180.0, 180.0);
  std::vector<std::pair<double, double>> points = {{0.0, 0.0}, {-0.0, -0.0}, {90.0, -180.0},
                                                   {-90.0, 180.0}, {52.5, -0.5}};
  for (int k = 0; k < 2000; ++k) points.emplace_back(lat(random), lon(random));
  for (const auto& [a, b] : points) {
    char line[96];
    std::snprintf(line, sizeof line, "%.17g%c, %.17g%c", std::fabs(a), a < 0.0 ? 'S' : 'N',
                  std::fabs(b), b < 0.0 ? 'W' : 'E');
    if (std::strchr(line, 'e') != nullptr) continue;  // the format has no exponents
    TrackStore read(1);
    ASSERT_TRUE(ParseOruLine(line, read, 0)) << line;
    TrackStore stored(1);
    StoreDegrees(stored, 0, a, b);
    SCOPED_TRACE(line);
    ExpectSameSlot(stored, 0, read, 0);
  }
}

}  // namespace
}  // namespace oru
