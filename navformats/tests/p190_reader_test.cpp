// UKOOA P1/90 reader: records built column by column from the table beside
// the reader.
#include <gtest/gtest.h>

#include <string>

#include "navformats/p190_reader.h"

namespace oru {
namespace {

// `text` placed at 1-based `column` of an 80-column record of blanks.
void Put(std::string& record, std::size_t column, const std::string& text) {
  record.replace(column - 1, text.size(), text);
}

std::string Header(const std::string& type, const std::string& description,
                   const std::string& data) {
  std::string record(80, ' ');
  Put(record, 1, "H" + type);
  Put(record, 6, description);
  Put(record, 33, data);
  return record + "\n";
}

struct Position {
  char id = 'S';
  std::string line = "L1001";
  std::string ids = "11 ";        // columns 17-19: vessel, source, tailbuoy
  std::string lat = "520724.44N";   // 26-35: 2(I2), F5.2, A1
  std::string lon = "0043404.40E";  // 36-46: I3, I2, F5.2, A1
  std::string east = " 512345.6";   // 47-55: F9.1
  std::string north = "5812345.7";  // 56-64: F9.1
};

std::string Record(const Position& p) {
  std::string record(80, ' ');
  record[0] = p.id;
  Put(record, 2, p.line);
  Put(record, 17, p.ids);
  Put(record, 20, "   101");
  Put(record, 26, p.lat);
  Put(record, 36, p.lon);
  Put(record, 47, p.east);
  Put(record, 56, p.north);
  Put(record, 65, "  35.2123121500");  // depth, day 123, 12:15:00
  return record + "\n";
}

const std::string kWgs84 = Header("1500", "GEODETIC DATUM AS PLOTTED", "WGS84     WGS84");

TEST(P190Reader, FieldsAndDatums) {
  const double lat = 52.0 + 7.0 / 60.0 + 24.44 / 3600.0;
  const double lon = 4.0 + 34.0 / 60.0 + 4.40 / 3600.0;
  const Position south_west{.lat = " 5 724.44S", .lon = "  434 4.40W"};  // right-justified
  struct Case {
    const char* what;
    std::string file;
    DatumChoice datum;
    double lat;
    double lon;
  } cases[] = {
      {"H1500 WGS84", kWgs84 + Record({}), DatumChoice::Wgs84, lat, lon},
      {"H1400 ED50 alone",
       Header("1400", "GEODETIC DATUM AS SURVEYED", "ED50      INTERNATIONAL 1924") + Record({}),
       DatumChoice::Ed50, lat, lon},
      {"as plotted before as surveyed",
       Header("1400", "GEODETIC DATUM AS SURVEYED", "WGS 84") +
           Header("1500", "GEODETIC DATUM AS PLOTTED", "European Datum 1950") + Record({}),
       DatumChoice::Ed50, lat, lon},
      {"EPSG code before names",
       kWgs84 + Header("8001", "EPSG GEOGRAPHIC CS CODE", "4230") + Record({}),
       DatumChoice::Ed50, lat, lon},
      {"south, west, blanks in numbers", kWgs84 + Record(south_west), DatumChoice::Wgs84,
       -(5.0 + 7.0 / 60.0 + 24.44 / 3600.0), -(4.0 + 34.0 / 60.0 + 4.40 / 3600.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const NavReadOutcome read = ReadP190Tracks(c.file, {});
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.tracks.size(), 1u);
    EXPECT_TRUE(read.tracks[0].geographic);
    EXPECT_EQ(read.tracks[0].datum, c.datum);
    EXPECT_NEAR(read.tracks[0].first[0], c.lat, 1e-12);
    EXPECT_NEAR(read.tracks[0].second[0], c.lon, 1e-12);
  }
}

TEST(P190Reader, RefusalsNameTheLine) {
  auto with = [](auto change) {
    Position p;
    change(p);
    return kWgs84 + Record(p);
  };
  struct Case {
    const char* what;
    std::string file;
    bool grid;
    std::string error;
  } cases[] = {
      {"minutes 60", with([](Position& p) { p.lat = "526024.44N"; }), false,
       "Line 2: latitude (columns 26-35) '526024.44N' does not read."},
      {"seconds 60", with([](Position& p) { p.lon = "0043460.00E"; }), false,
       "Line 2: longitude (columns 36-46) '0043460.00E' does not read."},
      {"latitude 91", with([](Position& p) { p.lat = "910000.00N"; }), false,
       "Line 2: latitude (columns 26-35) '910000.00N' does not read."},
      {"letter O for a zero", with([](Position& p) { p.lat = "52O724.44N"; }), false,
       "Line 2: latitude (columns 26-35) '52O724.44N' does not read."},
      {"hemisphere letter", with([](Position& p) { p.lat = "520724.44E"; }), false,
       "Line 2: latitude (columns 26-35) '520724.44E' does not read."},
      {"decimal comma in the easting", with([](Position& p) { p.east = " 512345,6"; }), true,
       "Line 2: easting (columns 47-55) ' 512345,6' does not read."},
      // A NUL or an escape sequence in a field once ended or hid the quote.
      {"NUL in the latitude", with([](Position& p) { p.lat[2] = '\0'; }), false,
       "Line 2: latitude (columns 26-35) '52\\x00724.44N' does not read."},
      {"escape in the easting", with([](Position& p) { p.east = "\x1b[2J45678"; }), true,
       "Line 2: easting (columns 47-55) '\\x1b[2J45678' does not read."},
      {"record cut short", kWgs84 + Record({}).substr(0, 40) + "\n", false,
       "Line 2: the position record ends before column 46."},
      {"unknown record", kWgs84 + "K" + Record({}).substr(1), false,
       "Line 2: 'K' begins no P1/90 record."},
      {"other datum",
       Header("1500", "GEODETIC DATUM AS PLOTTED", "OSGB36    AIRY 1830") + Record({}), false,
       "Line 2: the datum 'OSGB36' of the H1500 record is neither WGS84 nor ED50; the grid "
       "coordinates can be read instead."},
      {"other EPSG code", Header("8001", "EPSG GEOGRAPHIC CS CODE", "4277") + Record({}), false,
       "Line 2: the datum EPSG code 4277 of the H8001 record is neither WGS84 nor ED50; the grid "
       "coordinates can be read instead."},
      {"no datum", Record({}), false,
       "Line 1: no header record (H1400, H1500 or H8001) names the geodetic datum of the "
       "latitudes and longitudes; the grid coordinates can be read instead."},
      {"headers only", kWgs84, false, "Input file empty."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const NavReadOutcome read = ReadP190Tracks(c.file, {c.grid});
    EXPECT_EQ(read.error, c.error);
    EXPECT_TRUE(read.tracks.empty());
  }
}

// Tracks by record type, line and identities, in the order of their first
// record; grid coordinates need no datum; 3-D receiver and relation records
// and empty lines pass.
TEST(P190Reader, TracksOfLinesAndVessels) {
  const Position source2{.ids = "12 "};
  const Position tailbuoy1{.id = 'T', .ids = "1 1"};
  const Position tailbuoy2{.id = 'T', .ids = "1 2"};
  const Position next_line{.line = "L1002", .east = "-512345.6"};
  const std::string file = Record({}) + Record(source2) + Record(tailbuoy1) + Record(tailbuoy2) +
                           "\r\n" + "R  1  565000.0 5983000.0  12.3\r\n" + Record({}) +
                           Record(next_line);
  const NavReadOutcome read = ReadP190Tracks(file, {true});
  ASSERT_EQ(read.error, "");
  ASSERT_EQ(read.tracks.size(), 5u);
  EXPECT_EQ(read.tracks[0].label, "line 'L1001', centre of source, vessel 1, source 1");
  EXPECT_EQ(read.tracks[1].label, "line 'L1001', centre of source, vessel 1, source 2");
  EXPECT_EQ(read.tracks[2].label, "line 'L1001', tailbuoy, vessel 1, tailbuoy 1");
  EXPECT_EQ(read.tracks[3].label, "line 'L1001', tailbuoy, vessel 1, tailbuoy 2");
  EXPECT_EQ(read.tracks[4].label, "line 'L1002', centre of source, vessel 1, source 1");
  EXPECT_EQ(read.tracks[0].first.size(), 2u);
  EXPECT_EQ(read.tracks[4].first_line, 8);
  EXPECT_FALSE(read.tracks[4].geographic);
  EXPECT_DOUBLE_EQ(read.tracks[4].first[0], -512345.6);
  EXPECT_DOUBLE_EQ(read.tracks[4].second[0], 5812345.7);
}

}  // namespace
}  // namespace oru
