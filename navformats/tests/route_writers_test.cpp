// RTZ and GPX route writers: whole files, byte for byte.
#include <gtest/gtest.h>

#include "navformats/civil_time.h"
#include "navformats/gpx_route_writer.h"
#include "navformats/nav_track.h"
#include "navformats/rtz_writer.h"

namespace oru {
namespace {

Route TwoWaypoints() {
  Route route;
  route.name = "Line <A&B> S\xFC" "d\x01";  // a P1/90 line name in Latin-1, a control
  route.lat = {52.5, -0.000000001};
  route.lon = {4.123456789, 180.0};  // +180 is written as -180
  return route;
}

TEST(RouteWriters, RtzFile) {
  EXPECT_EQ(RtzText(TwoWaypoints(), LegGeometry::Loxodrome),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<route xmlns=\"http://www.cirm.org/RTZ/1/1\" version=\"1.1\">\n"
            "  <routeInfo routeName=\"Line &lt;A&amp;B&gt; S\xC3\xBC" "d \"/>\n"
            "  <waypoints>\n"
            "    <waypoint id=\"1\">\n"
            "      <position lat=\"52.50000000\" lon=\"4.12345679\"/>\n"
            "    </waypoint>\n"
            "    <waypoint id=\"2\">\n"
            "      <position lat=\"-0.00000000\" lon=\"-180.00000000\"/>\n"
            "      <leg geometryType=\"Loxodrome\"/>\n"
            "    </waypoint>\n"
            "  </waypoints>\n"
            "</route>\n");
}

TEST(RouteWriters, GpxFileWithTimes) {
  Route timed = TwoWaypoints();
  timed.name = "second";
  timed.times = {static_cast<std::int64_t>(DaysFromCivil(2024, 2, 29)) * kMsPerDay + 250, kNoTime};
  EXPECT_EQ(GpxRouteText({TwoWaypoints(), timed}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" creator=\"ORU\">\n"
            "  <rte>\n"
            "    <name>Line &lt;A&amp;B&gt; S\xC3\xBC" "d </name>\n"
            "    <rtept lat=\"52.50000000\" lon=\"4.12345679\"/>\n"
            "    <rtept lat=\"-0.00000000\" lon=\"-180.00000000\"/>\n"
            "  </rte>\n"
            "  <rte>\n"
            "    <name>second</name>\n"
            "    <rtept lat=\"52.50000000\" lon=\"4.12345679\"><time>2024-02-29T00:00:00.250Z"
            "</time></rtept>\n"
            "    <rtept lat=\"-0.00000000\" lon=\"-180.00000000\"/>\n"
            "  </rte>\n"
            "</gpx>\n");
}

// Routes are WGS84: ED50 positions are moved; survey text on ED50 takes
// WGS84 positions the other way. Reference: PROJ 9 (gdaltransform between
// +datum=WGS84 and +ellps=intl +towgs84=-87,-98,-121, heights 0), to 1e-9
// degree (0.1 mm), far below the decimals written.
TEST(RouteWriters, ShiftsBetweenEd50AndWgs84) {
  struct Row {
    DatumChoice from, to;
    double lat, lon, want_lat, want_lon;
  };
  for (const Row& row : {Row{DatumChoice::Ed50, DatumChoice::Wgs84, 52.5, 4.5, 52.4992174248212,
                             4.49866191339079},
                         Row{DatumChoice::Wgs84, DatumChoice::Ed50, 52.5, 4.5, 52.5007825402876,
                             4.50133808628946},
                         Row{DatumChoice::Wgs84, DatumChoice::Wgs84, 52.5, 4.5, 52.5, 4.5}}) {
    double lat = row.lat;
    double lon = row.lon;
    ASSERT_TRUE(ShiftDatum(row.from, row.to, lat, lon));
    EXPECT_NEAR(lat, row.want_lat, 1e-9);
    EXPECT_NEAR(lon, row.want_lon, 1e-9);
  }
}

}  // namespace
}  // namespace oru
