#include "geodesy/read_latlon.h"

#include <gtest/gtest.h>

#include <string>

#include "geodesy/error_codes.h"

namespace oru {
namespace {

// Texts that read: the stored groups, letters and height.
struct Legal {
  const char* text;
  std::int32_t lat_d, lat_m;
  double lat_s;
  char lat_h;
  std::int32_t lon_d, lon_m;
  double lon_s;
  char lon_h;
  double height;
};

class ReadLatLonLegalTest : public ::testing::TestWithParam<Legal> {};

TEST_P(ReadLatLonLegalTest, Reads) {
  const Legal& r = GetParam();
  LatLon p{};
  p.text = r.text;
  p.height = 99.0;
  ASSERT_EQ(Read_LatLon(p), kGeodOk) << '"' << r.text << '"';
  EXPECT_EQ(p.lat_deg, r.lat_d);
  EXPECT_EQ(p.lat_min, r.lat_m);
  EXPECT_NEAR(p.lat_sec, r.lat_s, 1e-9);
  EXPECT_EQ(p.lat_hemi, r.lat_h);
  EXPECT_EQ(p.lon_deg, r.lon_d);
  EXPECT_EQ(p.lon_min, r.lon_m);
  EXPECT_NEAR(p.lon_sec, r.lon_s, 1e-9);
  EXPECT_EQ(p.lon_hemi, r.lon_h);
  EXPECT_EQ(p.height, r.height);
  EXPECT_EQ(p.lat_rad, 0.0) << "radians are not computed";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadLatLonLegalTest,
    ::testing::Values(
        // eight fields, and the same with the groups swapped by their letters
        Legal{"52 30 15.5 N 4 45 10 E", 52, 30, 15.5, 'N', 4, 45, 10.0, 'E', 0.0},
        Legal{"4 45 10 E 52 30 15.5 N", 52, 30, 15.5, 'N', 4, 45, 10.0, 'E', 0.0},
        // commas read as blanks, letter pairs NB / OL reduced, O read as E
        Legal{"52,30,15.5,NB,4,45,10,OL", 52, 30, 15.5, 'N', 4, 45, 10.0, 'E', 0.0},
        Legal{"52 30 15.5 NB 4 45 10 OL", 52, 30, 15.5, 'N', 4, 45, 10.0, 'E', 0.0},
        // Z is S, lower-case letters are upper-cased, a line feed ends the text
        Legal{"33 0 0 z 70 0 0 w\n", 33, 0, 0.0, 'S', 70, 0, 0.0, 'W', 0.0},
        Legal{"33 0 0 ZB 70 0 0 WL", 33, 0, 0.0, 'S', 70, 0, 0.0, 'W', 0.0},
        // nine fields: height first
        Legal{"12.5 52 30 15.5 N 4 45 10 E", 52, 30, 15.5, 'N', 4, 45, 10.0, 'E', 12.5},
        // seven, six: degrees minutes seconds without letters, signs give S/W
        Legal{"3 52 30 15 -4 -45 -10", 52, 30, 15.0, 'N', 4, 45, 10.0, 'W', 3.0},
        Legal{"-52 -30 -15 4 45 10", 52, 30, 15.0, 'S', 4, 45, 10.0, 'E', 0.0},
        // with letters: decimal minutes
        Legal{"7 52 30.5 N 4 15.25 E", 52, 30, 30.0, 'N', 4, 15, 15.0, 'E', 7.0},
        Legal{"52 30.5 N 4 15.25 E", 52, 30, 30.0, 'N', 4, 15, 15.0, 'E', 0.0},
        // five and four: decimal degrees with letters, decimal minutes without
        Legal{"2 52.5 S 4.25 W", 52, 30, 0.0, 'S', 4, 15, 0.0, 'W', 2.0},
        Legal{"2 52 30.5 4 15.25", 52, 30, 30.0, 'N', 4, 15, 15.0, 'E', 2.0},
        Legal{"52.5 N 4.25 E", 52, 30, 0.0, 'N', 4, 15, 0.0, 'E', 0.0},
        Legal{"4.25 E 52.5 N", 52, 30, 0.0, 'N', 4, 15, 0.0, 'E', 0.0},
        Legal{"52 30.5 4 15.25", 52, 30, 30.0, 'N', 4, 15, 15.0, 'E', 0.0},
        // three and two: decimal degrees, height first
        Legal{"10 52.5 4.25", 52, 30, 0.0, 'N', 4, 15, 0.0, 'E', 10.0},
        Legal{"52.5 4.25", 52, 30, 0.0, 'N', 4, 15, 0.0, 'E', 0.0},
        Legal{"-52.5 -4.25", 52, 30, 0.0, 'S', 4, 15, 0.0, 'W', 0.0},
        // the sign comes from the degrees only: -0.5 keeps its sign in the
        // minutes and gets N
        Legal{"-0.5 4", 0, -30, 0.0, 'N', 4, 0, 0.0, 'E', 0.0},
        // a leading blank is not counted (the rewriting starts at index 1)
        Legal{" 52.5 4.25", 52, 30, 0.0, 'N', 4, 15, 0.0, 'E', 0.0},
        // "%d" stops at the point: "52.5 30" reads 52 and .5 and 30 is left
        Legal{"52.5 30 4 15", 52, 0, 30.0, 'N', 30, 4, 0.0, 'E', 0.0},
        // the upper bounds: 90 and 180 degrees, 59 minutes, seconds below 60
        Legal{"90 0 0 S 180 59 59.999 W", 90, 0, 0.0, 'S', 180, 59, 59.999, 'W', 0.0},
        // the degrees alone are bounded: 90.5 reads as 90 30 0
        Legal{"90.5 4", 90, 30, 0.0, 'N', 4, 0, 0.0, 'E', 0.0}));

// Texts that do not read: the code, and the record keeps its fields.
struct Illegal {
  const char* text;
  int code;
};

class ReadLatLonIllegalTest : public ::testing::TestWithParam<Illegal> {};

TEST_P(ReadLatLonIllegalTest, ReturnsItsCodeAndKeepsTheRecord) {
  const Illegal& r = GetParam();
  LatLon p{};
  p.text = r.text;
  p.lat_deg = 11;
  p.lon_sec = 22.0;
  p.lat_hemi = 'Q';
  p.height = 33.0;
  EXPECT_EQ(Read_LatLon(p), r.code) << '"' << r.text << '"';
  EXPECT_EQ(p.lat_deg, 11);
  EXPECT_EQ(p.lon_sec, 22.0);
  EXPECT_EQ(p.lat_hemi, 'Q');
  EXPECT_EQ(p.height, 33.0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadLatLonIllegalTest,
    ::testing::Values(Illegal{"\n", kGeodEmptyLine}, Illegal{"", kGeodEmptyLine},
                      Illegal{"\n52 4", kGeodEmptyLine}, Illegal{"   ", kGeodEmptyLine},
                      Illegal{"exit", kGeodEndOfInput},
                      // one letter among the tested fields
                      Illegal{"52 30 N", kGeodTooManyLetters}, Illegal{"52 N", kGeodTooManyLetters},
                      Illegal{"52 30 15 N 4 45 10 1", kGeodTooManyLetters},
                      Illegal{"52.5 N 4.25 7", kGeodTooManyLetters},
                      // a single field
                      Illegal{"N", 6}, Illegal{"52.5", 6}, Illegal{"exit2", 6},
                      // letters
                      Illegal{"52 0 0 X 4 0 0 E", kGeodHemisphere},
                      Illegal{"52 0 0 N 4 0 0 N", kGeodHemisphere},
                      Illegal{"4 0 0 E 52 0 0 E", kGeodHemisphere},
                      // seven fields: the last is tested, one letter
                      Illegal{"52 0 0 N 4 0 0", kGeodTooManyLetters},
                      // ranges
                      Illegal{"91 0 0 N 4 0 0 E", kGeodTooManyNumbers},
                      Illegal{"52 60 0 N 4 0 0 E", kGeodTooManyNumbers},
                      Illegal{"52 0 60 N 4 0 0 E", kGeodTooManyNumbers},
                      Illegal{"52 0 0 N 181 0 0 E", kGeodTooManyNumbers},
                      Illegal{"52 0 0 N 4 0 60 E", kGeodTooManyNumbers},
                      Illegal{"91.5 4", kGeodTooManyNumbers}, Illegal{"4 -181", kGeodTooManyNumbers},
                      // more than nine fields
                      Illegal{"1 2 3 4 5 6 7 8 9 10", kGeodTooManyNumbers},
                      Illegal{"52  30  15  N  4 45 10 E", kGeodTooManyNumbers}));

TEST(ReadLatLonTest, OnlyTheFirst255CharactersAreRead) {
  LatLon p{};
  // Characters 256 on would turn the longitude into 425000 (code 8).
  p.text = "52.5 4.25" + std::string(246, '0') + "e5";
  ASSERT_EQ(Read_LatLon(p), kGeodOk);
  EXPECT_EQ(p.lon_deg, 4);
  EXPECT_EQ(p.lon_min, 15);
}

}  // namespace
}  // namespace oru
