#include "gis/track_frame.h"

#include <gtest/gtest.h>

#include <cmath>

#include "gis/gdal_support.h"

namespace oru {
namespace {

OGRSpatialReference Epsg(int code) {
  OGRSpatialReference srs;
  EXPECT_EQ(srs.importFromEPSG(code), OGRERR_NONE) << code;
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

TEST(FrameOfCrs, DatumAndUnitsFollowTheCrs) {
  RegisterGisDrivers();
  struct Row {
    int epsg;
    bool geographic;
    DatumChoice datum;
    bool transformed;
    double metres_per_unit;
  };
  const Row rows[] = {
      {4326, true, DatumChoice::Wgs84, false, 1.0},   // WGS 84
      {4258, true, DatumChoice::Wgs84, false, 1.0},   // ETRS89
      {4230, true, DatumChoice::Ed50, false, 1.0},    // ED50
      {4277, true, DatumChoice::Wgs84, true, 1.0},    // OSGB36: to WGS84 first
      {4289, true, DatumChoice::Wgs84, true, 1.0},    // Amersfoort: to WGS84 first
      {32631, false, DatumChoice::Wgs84, false, 1.0},  // UTM 31N, metres
      {2229, false, DatumChoice::Wgs84, false, 0.3048006096012192},  // US survey feet
  };
  for (const Row& row : rows) {
    const OGRSpatialReference srs = Epsg(row.epsg);
    std::string error;
    const std::optional<TrackFrame> frame = FrameOfCrs(&srs, error);
    ASSERT_TRUE(frame) << row.epsg << ": " << error;
    EXPECT_EQ(frame->geographic, row.geographic) << row.epsg;
    EXPECT_EQ(frame->datum, row.datum) << row.epsg;
    EXPECT_EQ(frame->to_wgs84 != nullptr, row.transformed) << row.epsg;
    EXPECT_NEAR(frame->metres_per_unit, row.metres_per_unit, 1e-12) << row.epsg;
    EXPECT_FALSE(frame->latitude_first) << row.epsg;
  }
}

TEST(FrameOfCrs, AuthorityAxisOrderAndOtherCases) {
  RegisterGisDrivers();
  std::string error;
  // EPSG:4326 as the authority defines it: latitude first.
  OGRSpatialReference authority;
  authority.importFromEPSG(4326);
  EXPECT_TRUE(FrameOfCrs(&authority, error)->latitude_first);
  // No CRS: plane metres (CAD drawings, CSV X/Y columns); so is the
  // "Undefined geographic SRS" that GDAL gives a GeoPackage layer written
  // without a CRS (once read as degrees: X, Y "out of range").
  const std::optional<TrackFrame> none = FrameOfCrs(nullptr, error);
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->geographic);
  OGRSpatialReference undefined;
  undefined.SetGeogCS("Undefined geographic SRS", "unknown", "unknown", 6378137, 298.257223563);
  ASSERT_TRUE(FrameOfCrs(&undefined, error));
  EXPECT_FALSE(FrameOfCrs(&undefined, error)->geographic);
  // Geocentric coordinates are no track.
  const OGRSpatialReference geocentric = Epsg(4978);
  EXPECT_FALSE(FrameOfCrs(&geocentric, error));
  EXPECT_NE(error.find("geocentric"), std::string::npos);
  // A CRS whose EPSG code names another CRS (found by fuzzing a FlatGeobuf
  // header) brought PROJ down when asked for a transformation.
  OGRSpatialReference mislabelled;
  ASSERT_EQ(mislabelled.importFromWkt(
                R"(GEOGCRS["WGS 84",DATUM["World Geodetic System?1984",)"
                R"(ELLIPSOID["WGS 84",6378137,298.257223563,LENGTHUNIT["metre",1]]],)"
                R"(PRIMEM["Greenwich",0,ANGLEUNIT["degree",0.0174532925199433]],CS[ellipsoidal,2],)"
                R"(AXIS["latitude",north,ORDER[1],ANGLEUNIT["degree",0.0174532925199433]],)"
                R"(AXIS["longitude",east,ORDER[2],ANGLEUNIT["degree",0.0174532925199433]],)"
                R"(ID["EPSG",4926]])"),
            OGRERR_NONE);
  const std::optional<TrackFrame> frame = FrameOfCrs(&mislabelled, error);
  ASSERT_TRUE(frame) << error;
  EXPECT_TRUE(frame->to_wgs84);
}

// OSGB36 and WGS84 positions in Britain differ by 70 to 140 m (the datums'
// translation is about 446, -125, 542 m); PROJ's transformation must move
// a point by that much, not leave it or swap its axes.
TEST(FrameOfCrs, OtherDatumsAreTransformedToWgs84) {
  RegisterGisDrivers();
  const OGRSpatialReference osgb36 = Epsg(4277);
  std::string error;
  const std::optional<TrackFrame> frame = FrameOfCrs(&osgb36, error);
  ASSERT_TRUE(frame && frame->to_wgs84) << error;
  double lon = -1.5;
  double lat = 52.5;
  ASSERT_TRUE(frame->to_wgs84->Transform(1, &lon, &lat));
  const double north = (lat - 52.5) * 111200.0;
  const double east = (lon + 1.5) * 111320.0 * std::cos(52.5 * M_PI / 180.0);
  const double shift = std::hypot(north, east);
  EXPECT_GT(shift, 70.0);
  EXPECT_LT(shift, 140.0);
}

}  // namespace
}  // namespace oru
