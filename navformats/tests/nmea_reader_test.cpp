// NMEA 0183 reader: sentences built field by field from the table beside
// the reader, with their checksums computed here.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "navformats/civil_time.h"
#include "navformats/nmea_reader.h"

namespace oru {
namespace {

// The parts joined (GCC 12 warns wrongly of overlapping copies on
// "literal" + std::string).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text.append(part);
  return text;
}

// "$" body "*hh" with the exclusive or of the body.
std::string Sentence(const std::string& body) {
  unsigned sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  char hex[4];
  std::snprintf(hex, sizeof hex, "*%02X", sum);
  return Cat({"$", body, hex});
}

struct LineCase {
  const char* what;
  std::string line;
  bool fix;      // a position taken
  bool skipped;  // counted as not a valid sentence
  double lat = 0.0;
  double lon = 0.0;
};

TEST(NmeaReader, OneLineAtATime) {
  const double lat = 48.0 + 7.038 / 60.0;
  const double lon = 11.0 + 31.324 / 60.0;
  const std::string gga = "GPGGA,123519,4807.038,N,01131.324,E,1,08,0.9,545.4,M,46.9,M,,";
  std::string lower = Sentence("GPGLL,4807.038,N,01131.324,E");
  lower.back() = 'c';  // its checksum is 6C: hexadecimal digits in either case
  const LineCase cases[] = {
      {"GGA", Sentence(gga), true, false, lat, lon},
      {"GGA without checksum", Cat({"$", gga}), true, false, lat, lon},
      {"GGA, checksum off by one", Sentence(gga).substr(0, Sentence(gga).size() - 1) + "0",
       false, true},
      {"talker GN", Sentence(Cat({"GN", gga.substr(2)})), true, false, lat, lon},
      {"quality 0 with a position",
       Sentence("GPGGA,123519,4807.038,N,01131.324,E,0,00,99.9,,M,,M,,"), false, false},
      {"RMC south and west",
       Sentence("GPRMC,123519,A,4807.038,S,01131.324,W,022.4,084.4,230394,003.1,W"), true,
       false, -lat, -lon},
      {"RMC status V", Sentence("GPRMC,123519,V,4807.038,N,01131.324,E,,,230394,,"), false,
       false},
      // Dates that name no day are refused, not read as the day after.
      {"RMC of 31 April", Sentence("GPRMC,123519,A,4807.038,N,01131.324,E,,,310494,,"), false,
       true},
      {"RMC of 29 February 2023",
       Sentence("GPRMC,123519,A,4807.038,N,01131.324,E,,,290223,,"), false, true},
      {"RMC of 29 February 2024",
       Sentence("GPRMC,123519,A,4807.038,N,01131.324,E,,,290224,,"), true, false, lat, lon},
      {"RMC of 29 February 2100",
       Sentence("GPRMC,123519,A,4807.038,N,01131.324,E,,,290200,,"), true, false, lat, lon},
      {"RMC status lower-case a", Sentence("GPRMC,123519,a,4807.038,N,01131.324,E,,,230394,,"),
       false, true},
      {"GLL, time and status", Sentence("GPGLL,4807.038,N,01131.324,E,123519,A"), true, false,
       lat, lon},
      {"text after the checksum", Sentence("GPGLL,4807.038,N,01131.324,E,123519,A") + "XY",
       false, true},
      {"GLL status V", Sentence("GPGLL,4807.038,N,01131.324,E,123519,V"), false, false},
      {"GLL before version 2.0 (no time, no status), lower-case checksum", lower, true, false,
       lat, lon},
      {"minutes 59.999", Sentence("GPGLL,4859.999,N,00000.000,E"), true, false,
       48.0 + 59.999 / 60.0, 0.0},
      {"minutes 60", Sentence("GPGLL,4860.000,N,01131.324,E"), false, true},
      {"latitude 90", Sentence("GPGLL,9000.000,N,18000.000,W"), true, false, 90.0, -180.0},
      {"latitude 91", Sentence("GPGLL,9100.000,N,01131.324,E"), false, true},
      {"longitude without leading zero", Sentence("GPGLL,4807.038,N,1131.324,E"), true, false,
       lat, lon},
      {"lower-case hemisphere", Sentence("GPGLL,4807.038,n,01131.324,E"), false, true},
      {"decimal comma", Sentence("GPGGA,123519,4807,038,N,01131.324,E,1,08,0.9,545.4,M,,M,,"),
       false, true},
      {"exponent", Sentence("GPGLL,4807e0,N,01131.324,E"), false, true},
      {"hour 24", Sentence("GPGLL,4807.038,N,01131.324,E,240000,A"), false, true},
      {"other sentence", Sentence("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00"),
       false, false},
      {"proprietary sentence", Sentence("PGRME,15.0,M,45.0,M,25.0,M"), false, false},
      {"no dollar", gga, false, true},
      {"leading blank", Cat({" ", Sentence(gga)}), false, true},
      {"trailing blank", Sentence(gga) + " ", true, false, lat, lon},
      {"control character", Sentence("GPGLL,4807.038,N,01131.324,E\x01"), false, true},
      {"short address", Sentence("GPGG,123519"), false, true},
      {"tag block", Cat({"\\s:GPS1*", Sentence("s:GPS1").substr(8), "\\", Sentence(gga)}), true,
       false, lat, lon},
      {"tag block with a bad checksum", Cat({"\\s:GPS1*00\\", Sentence(gga)}), false, true},
      {"tag block not closed", Cat({"\\s:GPS1", Sentence(gga)}), false, true},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.what);
    const NavReadOutcome read = ReadNmeaTracks(c.line + "\n");
    EXPECT_EQ(read.lines_skipped, c.skipped ? 1 : 0);
    if (!c.fix) {
      EXPECT_EQ(read.error, "Input file empty.");
      continue;
    }
    ASSERT_EQ(read.tracks.size(), 1u);
    ASSERT_EQ(read.tracks[0].first.size(), 1u);
    EXPECT_NEAR(read.tracks[0].first[0], c.lat, 1e-12);
    EXPECT_NEAR(read.tracks[0].second[0], c.lon, 1e-12);
  }
}

// One epoch told by GGA, RMC and GLL is one fix; the date of an RMC dates
// the fixes around it, across midnight and the turn of the year; fixes
// without a time are taken once at a place.
TEST(NmeaReader, EpochsTimesAndTracks) {
  const std::string log =
      Sentence("GPGGA,235958.50,5400.000,N,00700.000,E,2,08,0.9,1.0,M,46.9,M,,") + "\r\n" +
      Sentence("GPRMC,235958.50,A,5400.000,N,00700.000,E,5.0,90.0,311299,,") + "\r\n" +
      Sentence("GPGLL,5400.000,N,00700.000,E,235958.50,A") + "\r\n" +
      Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1") + "\r\n" + "garbage\r\n\r\n" +
      Sentence("GPGGA,235959,5400.010,N,00700.010,E,1,08,0.9,1.0,M,46.9,M,,") + "\r\n" +
      Sentence("GPGGA,000000,5400.020,N,00700.020,E,1,08,0.9,1.0,M,46.9,M,,") + "\r\n" +
      Sentence("GPGLL,5400.030,N,00700.030,E") + "\r\n" + Sentence("GPGLL,5400.030,N,00700.030,E") +
      "\r\n" + "\\s:B*" + Sentence("s:B").substr(5) + "\\" +
      Sentence("GPGLL,5500.000,N,00700.000,E,000001,A") + "\r\n";
  const NavReadOutcome read = ReadNmeaTracks(log);
  EXPECT_EQ(read.lines_skipped, 1);
  EXPECT_EQ(read.skipped_lines, std::vector<std::int64_t>{5});
  ASSERT_EQ(read.tracks.size(), 2u);
  const NavTrack& a = read.tracks[0];
  EXPECT_EQ(a.label, "no source given");
  EXPECT_EQ(a.first_line, 1);
  ASSERT_EQ(a.first.size(), 4u);
  EXPECT_DOUBLE_EQ(a.first[3], 54.0 + 0.03 / 60.0);
  const std::int64_t new_year = static_cast<std::int64_t>(DaysFromCivil(2000, 1, 1)) * kMsPerDay;
  ASSERT_EQ(a.times.size(), 4u);
  EXPECT_EQ(a.times[0], new_year - 1500);
  EXPECT_EQ(a.times[1], new_year - 1000);
  EXPECT_EQ(a.times[2], new_year);
  EXPECT_EQ(a.times[3], kNoTime);
  EXPECT_EQ(IsoUtcTime(a.times[0]), "1999-12-31T23:59:58.500Z");
  EXPECT_EQ(read.tracks[1].label, "source 'B'");
  EXPECT_EQ(read.tracks[1].first_line, 11);
  EXPECT_TRUE(read.tracks[1].times.empty());  // no RMC in its track
}

// Every line passed over is counted; the first five are named.
TEST(NmeaReader, NamesTheFirstLinesPassedOver) {
  std::string log = Sentence("GPGLL,5400.000,N,00700.000,E,000001,A") + "\n";
  for (int i = 0; i < 7; ++i) log += "noise\n\n";
  const NavReadOutcome read = ReadNmeaTracks(log);
  EXPECT_EQ(read.lines_skipped, 7);
  EXPECT_EQ(read.skipped_lines, (std::vector<std::int64_t>{2, 4, 6, 8, 10}));
}

// Sentences of one time stamp are one fix where they tell one position at
// the precision of the coarser of them (a GGA of five decimals and an RMC of
// three); fixes of one time stamp at different places are all kept, in file
// order.
TEST(NmeaReader, OneTimeStampManyPlaces) {
  const std::string log =
      Sentence("GPGGA,120000,5400.00012,N,00700.00049,E,1,08,0.9,1.0,M,46.9,M,,") + "\n" +
      Sentence("GPRMC,120000,A,5400.000,N,00700.000,E,5.0,90.0,070326,,") + "\n" +
      Sentence("GPGGA,120000,5400.100,N,00700.000,E,1,08,0.9,1.0,M,46.9,M,,") + "\n" +
      Sentence("GPGGA,120000,5400.200,N,00700.000,E,1,08,0.9,1.0,M,46.9,M,,") + "\n" +
      Sentence("GPGLL,5400.1005,N,00700.0000,E,120000,A") + "\n";
  const NavReadOutcome read = ReadNmeaTracks(log);
  ASSERT_EQ(read.tracks.size(), 1u);
  const NavTrack& t = read.tracks[0];
  ASSERT_EQ(t.first.size(), 4u);
  EXPECT_DOUBLE_EQ(t.first[0], 54.0 + 0.00012 / 60.0);
  EXPECT_DOUBLE_EQ(t.first[1], 54.0 + 0.1 / 60.0);
  EXPECT_DOUBLE_EQ(t.first[2], 54.0 + 0.2 / 60.0);
  EXPECT_DOUBLE_EQ(t.first[3], 54.0 + 0.1005 / 60.0);
  ASSERT_EQ(t.times.size(), 4u);
  EXPECT_EQ(IsoUtcTime(t.times[3]), "2026-03-07T12:00:00Z");
}

// A GGA before the first RMC takes that RMC's date, the day before when it
// lies more than twelve hours after it; a GGA after an RMC but timed a
// moment before it (a late sentence) keeps the RMC's date.
TEST(NmeaReader, DateFromTheNearestRmc) {
  const std::string log =
      Sentence("GPGGA,235900,5400.000,N,00700.000,E,1,08,0.9,1.0,M,46.9,M,,") + "\n" +
      Sentence("GPRMC,000100,A,5400.100,N,00700.000,E,5.0,90.0,010324,,") + "\n" +
      Sentence("GPGGA,000059,5400.200,N,00700.000,E,1,08,0.9,1.0,M,46.9,M,,") + "\n";
  const NavReadOutcome read = ReadNmeaTracks(log);
  ASSERT_EQ(read.tracks.size(), 1u);
  ASSERT_EQ(read.tracks[0].times.size(), 3u);
  EXPECT_EQ(IsoUtcTime(read.tracks[0].times[0]), "2024-02-29T23:59:00Z");
  EXPECT_EQ(IsoUtcTime(read.tracks[0].times[1]), "2024-03-01T00:01:00Z");
  EXPECT_EQ(IsoUtcTime(read.tracks[0].times[2]), "2024-03-01T00:00:59Z");
}

}  // namespace
}  // namespace oru
