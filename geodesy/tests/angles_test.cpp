#include "geodesy/angles.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/error_codes.h"
#include "geodesy/tests/geodesy_test_support.h"

namespace oru::test {
namespace {

// DMS to radians: (deg + min/60 + sec/3600) / 180 * pi, signed by the
// letter in either case; any other letter gives 7 and changes nothing.
struct ToRadRow {
  std::int32_t lat_d, lat_m;
  double lat_s;
  char lat_h;
  std::int32_t lon_d, lon_m;
  double lon_s;
  char lon_h;
  int code;
  double lat_deg, lon_deg;  // expected, signed degrees
};

class ToRadTest : public ::testing::TestWithParam<ToRadRow> {};

TEST_P(ToRadTest, LatLonAndBothLinePoints) {
  const ToRadRow& r = GetParam();
  LatLon p{};
  p.lat_deg = r.lat_d;
  p.lat_min = r.lat_m;
  p.lat_sec = r.lat_s;
  p.lat_hemi = r.lat_h;
  p.lon_deg = r.lon_d;
  p.lon_min = r.lon_m;
  p.lon_sec = r.lon_s;
  p.lon_hemi = r.lon_h;
  p.lat_rad = 7.0;  // marks: unchanged on an error
  p.lon_rad = 8.0;
  Geo_Line line{};
  line.P1 = Geo_Point{r.lat_d, r.lat_m, r.lat_s, r.lat_h, 7.0, r.lon_d, r.lon_m, r.lon_s, r.lon_h, 8.0};
  line.P2 = line.P1;
  ASSERT_EQ(LatLon_To_Rad(p), r.code);
  ASSERT_EQ(P1_To_Rad(line), r.code);
  ASSERT_EQ(P2_To_Rad(line), r.code);
  const double lat = r.code == 0 ? (r.lat_deg / 180.0) * kPi : 7.0;
  const double lon = r.code == 0 ? (r.lon_deg / 180.0) * kPi : 8.0;
  EXPECT_NEAR(p.lat_rad, lat, 1e-15);
  EXPECT_NEAR(p.lon_rad, lon, 1e-15);
  EXPECT_EQ(line.P1.lat_rad, p.lat_rad);
  EXPECT_EQ(line.P2.lon_rad, p.lon_rad);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToRadTest,
    ::testing::Values(ToRadRow{52, 30, 15.5, 'N', 4, 45, 10.0, 'E', 0, 52.50430555555556, 4.752777777777778},
                      ToRadRow{52, 30, 0.0, 's', 4, 15, 0.0, 'w', 0, -52.5, -4.25},
                      ToRadRow{0, 0, 0.0, 'S', 180, 0, 0.0, 'W', 0, -0.0, -180.0},
                      // no range check here: 95 degrees converts
                      ToRadRow{95, 0, 0.0, 'N', 0, 0, 0.0, 'E', 0, 95.0, 0.0},
                      ToRadRow{52, 0, 0.0, 'E', 4, 0, 0.0, 'E', kGeodHemisphere, 0, 0},
                      ToRadRow{52, 0, 0.0, 'N', 4, 0, 0.0, 'N', kGeodHemisphere, 0, 0}));

TEST(ToRadTest, ForwardAzimuthIsReducedOnlyAbove2Pi) {
  const struct {
    std::int32_t d, m;
    double s, rad;
  } az_rows[] = {{90, 0, 0.0, kPi / 2}, {360, 0, 0.0, 2 * kPi}, {370, 0, 0.0, 10.0 / 180.0 * kPi},
                 {-90, 0, 0.0, -kPi / 2}};
  for (const auto& row : az_rows) {
    Geo_Line line{};
    line.az12 = Geo_Azimuth{row.d, row.m, row.s, 0.0};
    ASSERT_EQ(Az_To_Rad(line), kGeodOk);
    EXPECT_NEAR(line.az12.rad, row.rad, 1e-14) << row.d;
  }
}

// Radians to DMS of a position: the carries at 59.9995 seconds and 60
// minutes, the longitude fold and the letters.
struct ToDmsRow {
  double lat_rad, lon_rad;
  int code;
  std::int32_t lat_d, lat_m;
  double lat_s;
  char lat_h;
  std::int32_t lon_d, lon_m;
  double lon_s;
  char lon_h;
  double lon_rad_after;
};

double Rad(double d, double m, double s) { return (d + m / 60.0 + s / 3600.0) / 180.0 * kPi; }

class ToDmsTest : public ::testing::TestWithParam<ToDmsRow> {};

TEST_P(ToDmsTest, LatLon) {
  const ToDmsRow& r = GetParam();
  LatLon p{};
  p.lat_rad = r.lat_rad;
  p.lon_rad = r.lon_rad;
  p.lat_deg = -1;  // marks: not written when the latitude is out of range
  ASSERT_EQ(LatLon_To_DMS(p), r.code);
  EXPECT_EQ(p.lon_deg, r.lon_d);
  EXPECT_EQ(p.lon_min, r.lon_m);
  EXPECT_NEAR(p.lon_sec, r.lon_s, 1e-6);
  EXPECT_EQ(p.lon_hemi, r.lon_h);
  EXPECT_NEAR(p.lon_rad, r.lon_rad_after, 1e-15);
  EXPECT_EQ(p.lat_deg, r.lat_d);
  if (r.code == 0) {
    EXPECT_EQ(p.lat_min, r.lat_m);
    EXPECT_NEAR(p.lat_sec, r.lat_s, 1e-6);
    EXPECT_EQ(p.lat_hemi, r.lat_h);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToDmsTest,
    ::testing::Values(
        ToDmsRow{Rad(52, 30, 15.5), Rad(4, 45, 10), 0, 52, 30, 15.5, 'N', 4, 45, 10.0, 'E', Rad(4, 45, 10)},
        ToDmsRow{-Rad(33, 0, 59.9996), -Rad(70, 59, 59.9996), 0, 33, 1, 0.0, 'S', 71, 0, 0.0, 'W',
                 -Rad(70, 59, 59.9996)},
        // 59.9994 stays: the carry starts above 59.9995
        ToDmsRow{Rad(10, 5, 59.9994), 0.0, 0, 10, 5, 59.9994, 'N', 0, 0, 0.0, 'E', 0.0},
        // a longitude beyond pi is folded once and written back
        ToDmsRow{0.0, Rad(190, 0, 0), 0, 0, 0, 0.0, 'N', 170, 0, 0.0, 'W', -Rad(170, 0, 0)},
        ToDmsRow{0.0, -Rad(181, 0, 0), 0, 0, 0, 0.0, 'N', 179, 0, 0.0, 'E', Rad(179, 0, 0)},
        // out of range: the longitude is converted, the latitude left alone
        ToDmsRow{kPi / 2 + 1e-9, Rad(4, 0, 0), kGeodLatRadAbove, -1, 0, 0.0, 0, 4, 0, 0.0, 'E', Rad(4, 0, 0)},
        ToDmsRow{-kPi / 2 - 1e-9, -Rad(4, 0, 0), kGeodLatRadBelow, -1, 0, 0.0, 0, 4, 0, 0.0, 'W',
                 -Rad(4, 0, 0)}));

TEST(ToDmsTest, LinePointsReportTheirOwnCodes) {
  Geo_Line line{};
  line.P1.lat_rad = 2.0;
  line.P2.lat_rad = -2.0;
  EXPECT_EQ(P1_To_DMS(line), kGeodP1LatRadAbove);
  EXPECT_EQ(P2_To_DMS(line), kGeodP2LatRadBelow);
  line.P1.lat_rad = -2.0;
  line.P2.lat_rad = 2.0;
  EXPECT_EQ(P1_To_DMS(line), kGeodP1LatRadBelow);
  EXPECT_EQ(P2_To_DMS(line), kGeodP2LatRadAbove);
  line.P2.lat_rad = 0.5;
  EXPECT_EQ(P2_To_DMS(line), kGeodOk);
}

// Azimuths are normalised into [0, 2 pi] (written back) before conversion.
TEST(ToDmsTest, AzimuthNormalisation) {
  const struct {
    double in, rad_after;
    std::int32_t d, m;
    double s;
  } rows[] = {
      {-kPi / 2, 3 * kPi / 2, 270, 0, 0.0},
      {2 * kPi + Rad(10, 0, 0), Rad(10, 0, 0), 10, 0, 0.0},
      {-2 * kPi - Rad(10, 0, 0), 2 * kPi - Rad(10, 0, 0), 350, 0, 0.0},
      {-2 * kPi, 2 * kPi, 360, 0, 0.0},  // the remainder is -0: plus 2 pi
      {2 * kPi - 1e-12, 2 * kPi - 1e-12, 360, 0, 0.0},  // no carry beyond 360
      {Rad(123, 59, 59.9996), Rad(123, 59, 59.9996), 124, 0, 0.0},
  };
  for (const auto& r : rows) {
    Geo_Line line{};
    line.az12.rad = r.in;
    line.az21.rad = r.in;
    ASSERT_EQ(Az12_To_DMS(line), kGeodOk);
    ASSERT_EQ(Az21_To_DMS(line), kGeodOk);
    EXPECT_NEAR(line.az12.rad, r.rad_after, 1e-12) << r.in;
    EXPECT_EQ(line.az12.deg, r.d) << r.in;
    EXPECT_EQ(line.az12.min, r.m) << r.in;
    EXPECT_NEAR(line.az12.sec, r.s, 1e-6) << r.in;
    EXPECT_EQ(line.az21.deg, r.d);
  }
}

}  // namespace
}  // namespace oru::test
