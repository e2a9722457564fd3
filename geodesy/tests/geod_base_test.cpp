#include "geodesy/geod_base.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "geodesy/error_codes.h"
#include "geodesy/geodesic.h"
#include "geodesy/tests/geodesy_test_support.h"

namespace oru::test {
namespace {

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// The member twin computes exactly as the library's Pos_Pos: same bits.
TEST(GeodBaseTest, PosPosTwinIsBitIdentical) {
  auto rng = Rng(2718);
  for (int i = 0; i < 500; ++i) {
    const Geo_Line line = Line(Uniform(rng, -89.0, 89.0), Uniform(rng, -180.0, 180.0),
                               Uniform(rng, -89.0, 89.0), Uniform(rng, -180.0, 180.0));
    DatumParams datum = Wgs84();
    Geo_Line lib = line;
    ASSERT_EQ(Pos_Pos(datum, lib), kGeodOk);
    GeodBase g(datum, line);
    ASSERT_EQ(g.Pos_Pos(), kGeodOk);
    ASSERT_EQ(Bits(g.line.dist), Bits(lib.dist)) << i;
    ASSERT_EQ(Bits(g.line.az12.rad), Bits(lib.az12.rad)) << i;
    ASSERT_EQ(Bits(g.line.az21.rad), Bits(lib.az21.rad)) << i;
    ASSERT_EQ(Bits(g.line.az21.sec), Bits(lib.az21.sec)) << i;
  }
}

TEST(GeodBaseTest, PosPosTwinHasNoRadianRangeChecks) {
  DatumParams datum = Wgs84();
  Geo_Line line = Line(52.0, 4.0, 53.0, 5.0);
  line.P1.lat_deg = 90;
  line.P1.lat_min = 30;  // passes the DMS checks, beyond pi/2 in radians
  Geo_Line lib = line;
  EXPECT_EQ(Pos_Pos(datum, lib), kGeodLatitudeRange);
  GeodBase g(datum, line);
  EXPECT_EQ(g.Pos_Pos(), kGeodOk);
  // The other checks are those of the library.
  GeodBase bad(datum, Line(52.0, 4.0, 53.0, 5.0));
  bad.line.P2.lat_hemi = 'n';
  EXPECT_EQ(bad.Pos_Pos(), kGeodHemisphere);
  bad.line.P2.lat_hemi = 'N';
  bad.line.P1.lon_min = 60;
  EXPECT_EQ(bad.Pos_Pos(), kGeodLongitudeDms);
}

// The datum reader reports a string with fewer than nine numbers through the
// observer, once per reading, and carries on as Read_Datum does.
TEST(GeodBaseTest, DatumReaderReportsIncompleteStrings) {
  struct Row {
    const char* text;
    bool reported;
  };
  const Row rows[] = {{"6378137.00  298.257223563 0 0 0 0 0 0 0 WGS", false},
                      {"6378137.00  298.257223563 0 0 0 0 0 0 0", false},  // no name: 9 numbers
                      {"6378137.00  298.257223563 0 0 0 0 0 0", true},
                      {"6378137,00  298,257223563 0 0 0 0 0 0 0 WGS", true},
                      {"", true}};
  for (const Row& r : rows) {
    std::vector<std::string> seen;
    DatumParams datum{};
    datum.text = r.text;
    MercParams merc{};
    merc.map_scale = 1.0;
    GeodBase g(datum, merc, LatLon{}, [&](const std::string& text) { seen.push_back(text); });
    EXPECT_EQ(g.Read_Datum(), kGeodOk);
    EXPECT_EQ(g.Merc_To_Geo(), kGeodOk);
    EXPECT_EQ(seen.size(), r.reported ? 2u : 0u) << '"' << r.text << '"';
    if (!seen.empty()) {
      EXPECT_EQ(seen[0], kDatumReadingError);
    }
    DatumParams plain{};
    plain.text = r.text;
    Read_Datum(plain);
    Read_Datum(plain);  // read twice, as the object did
    EXPECT_EQ(Bits(datum.f), Bits(plain.f)) << "f is inverted all the same";
    EXPECT_EQ(datum.name, plain.name);
  }
  // Without an observer nothing is reported and nothing breaks.
  DatumParams datum{};
  MercParams merc{};
  GeodBase quiet(datum, merc, LatLon{});
  EXPECT_EQ(quiet.Read_Datum(), kGeodOk);
}

TEST(GeodBaseTest, ALineObjectHasNoMercatorParameters) {
  DatumParams datum = Wgs84();
  GeodBase g(datum, Line(52.0, 4.0, 53.0, 5.0));
  EXPECT_EQ(g.Merc_To_Geo(), kGeodMercatorRange);
}

}  // namespace
}  // namespace oru::test
