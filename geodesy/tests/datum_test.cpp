#include "geodesy/datum.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/error_codes.h"

namespace oru {
namespace {

struct DatumRow {
  const char* text;
  double a, inverse_f, dX, dY, dZ;
  const char* name;
};

class ReadDatumTest : public ::testing::TestWithParam<DatumRow> {};

TEST_P(ReadDatumTest, ReadsEveryField) {
  const DatumRow& row = GetParam();
  DatumParams datum;
  datum.text = row.text;
  EXPECT_EQ(Read_Datum(datum), kGeodOk);
  EXPECT_EQ(datum.a, row.a);
  EXPECT_EQ(datum.f, 1.0 / row.inverse_f);
  EXPECT_EQ(datum.dX, row.dX);
  EXPECT_EQ(datum.dY, row.dY);
  EXPECT_EQ(datum.dZ, row.dZ);
  EXPECT_EQ(datum.rX, 0.0);
  EXPECT_EQ(datum.rY, 0.0);
  EXPECT_EQ(datum.rZ, 0.0);
  EXPECT_EQ(datum.scale, 0.0);
  EXPECT_EQ(datum.name, row.name);
  EXPECT_EQ(datum.text, row.text) << "the datum string must stay as it was";

  // Every function reads its datum again: a second read gives the same record.
  DatumParams again = datum;
  Read_Datum(again);
  EXPECT_EQ(again.f, datum.f);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramDatums, ReadDatumTest,
    ::testing::Values(DatumRow{kWgs84DatumString, 6378137.0, 298.257223563, 0, 0, 0, "WGS"},
                      DatumRow{kEd50DatumString, 6378388.0, 297.0, -87.0, -98.0, -121.0, "EUR-M"},
                      // Without the leading blank, as the plot window's objects get it.
                      DatumRow{"6378137.00  298.257223563 0 0 0 0 0 0 0 WGS", 6378137.0,
                               298.257223563, 0, 0, 0, "WGS"}));

TEST(ReadDatum, FieldsThatDoNotConvertKeepTheirValues) {
  DatumParams datum;
  datum.text = " 6378137.0 x";
  datum.dX = 5.0;
  Read_Datum(datum);
  EXPECT_EQ(datum.a, 6378137.0);
  EXPECT_TRUE(std::isinf(datum.f)) << "a missing inverse flattening of 0 gives an infinite f";
  EXPECT_EQ(datum.dX, 5.0);
  EXPECT_EQ(datum.name, "");
}

TEST(CompMericon, QuarterMeridianOfWgs84) {
  DatumParams datum;
  datum.text = kWgs84DatumString;
  Read_Datum(datum);
  Mericon m;
  ASSERT_EQ(Comp_Mericon(datum, m), kGeodOk);
  const double phi = M_PI / 2.0;
  const double arc = m.M0 * phi - m.M1 * std::sin(2 * phi) + m.M2 * std::sin(4 * phi) -
                     m.M3 * std::sin(6 * phi);
  // Quarter meridian of WGS84: 10001965.729 m (GeographicLib, Karney 2013);
  // the series truncated after e10 agrees to well below a millimetre.
  EXPECT_NEAR(arc, 10001965.729, 1e-3);
}

TEST(CompMericon, RefusesAFlatteningAboveOne) {
  for (const char* text : {" 6378137.0 0 0 0 0 0 0 0 0 X", " 6378137.0", ""}) {
    DatumParams datum;
    datum.text = text;
    Read_Datum(datum);
    Mericon m{1.0, 2.0, 3.0, 4.0};
    EXPECT_EQ(Comp_Mericon(datum, m), kGeodDatumEccentricity) << '"' << text << '"';
    EXPECT_EQ(m.M0, 1.0) << "the constants must stay untouched";
    EXPECT_EQ(m.M3, 4.0);
  }
}

}  // namespace
}  // namespace oru
