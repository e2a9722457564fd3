#include "geodesy/projections.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <functional>
#include <string>

#include "geodesy/error_codes.h"
#include "geodesy/geod_base.h"
#include "geodesy/tests/geodesy_test_support.h"

namespace oru::test {
namespace {

// PROJ objects for one test, released at its end.
struct Proj {
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* pj = nullptr;
  explicit Proj(const std::string& def) : pj(proj_create(ctx, def.c_str())) {}
  ~Proj() {
    proj_destroy(pj);
    proj_context_destroy(ctx);
  }
  Proj(const Proj&) = delete;
  Proj& operator=(const Proj&) = delete;
  PJ_XY Forward(double lat_deg, double lon_deg) const {
    return proj_trans(pj, PJ_FWD, proj_coord(proj_torad(lon_deg), proj_torad(lat_deg), 0, 0)).xy;
  }
};

struct TmBand {
  double max_dl;  // degrees from the central meridian
  double tol;     // metres
};

class TransverseMercatorTest : public ::testing::TestWithParam<TmBand> {};

// The Gauss-Krueger series is truncated after dl^6 (northing) and dl^5
// (easting), and the meridian arc after e10 and sin(6 phi) (3e-5 m), while
// PROJ 9's tmerc is the exact (Poder/Engsager) algorithm, good to a few nm
// at these distances. Measured over latitudes up to 84 degrees: 0.03 mm
// within 1 degree, 0.27 mm within 2, 2.1 mm within 3, 7.4 cm within 6, 1.2 m
// within 10. Allowed: 0.1 mm, 1 mm, 5 mm, 0.2 m, 3 m.
TEST_P(TransverseMercatorTest, AgreesWithProjInItsBand) {
  const TmBand band = GetParam();
  auto rng = Rng(500 + static_cast<int>(band.max_dl * 10));
  for (int i = 0; i < 600; ++i) {
    const double cm = std::round(Uniform(rng, -177.0, 177.0));
    const double lat = Uniform(rng, -84.0, 84.0);
    // dl is not reduced modulo 2 pi: points across the antimeridian from the
    // central meridian are left out.
    const double lon = cm + Uniform(rng, -band.max_dl, band.max_dl);
    if (std::fabs(lon) > 180.0) continue;
    const Proj proj("+proj=tmerc +lat_0=0 +lon_0=" + std::to_string(cm) +
                    " +k=0.9996 +x_0=0 +y_0=0 +ellps=WGS84");
    DatumParams datum = Wgs84();
    LatLon p{};
    Set_Position(p, lat, lon);
    TMParams tm{};
    tm.k0 = 0.9996;
    tm.cm_deg = static_cast<std::int32_t>(std::fabs(cm));
    tm.cm_hemi = cm < 0 ? 'W' : 'E';
    Mericon m{};
    ASSERT_EQ(Geo_To_TM(datum, p, tm, m), kGeodOk);
    const PJ_XY ref = proj.Forward(Lat_Of(p), Lon_Of(p));
    ASSERT_NEAR(tm.easting, ref.x, band.tol) << lat << ' ' << lon << " cm " << cm;
    ASSERT_NEAR(tm.northing, ref.y, band.tol) << lat << ' ' << lon << " cm " << cm;
  }
}

INSTANTIATE_TEST_SUITE_P(Bands, TransverseMercatorTest,
                         ::testing::Values(TmBand{1.0, 1e-4}, TmBand{2.0, 1e-3}, TmBand{3.0, 5e-3},
                                           TmBand{6.0, 0.2}, TmBand{10.0, 3.0}),
                         [](const auto& info) {
                           return "within_" + std::to_string(static_cast<int>(info.param.max_dl)) +
                                  "_degrees";
                         });

// Normal Mercator on WGS84: x = a lambda, y = a psi (map scale 1000, origin
// 0, true scale on the equator). PROJ's merc uses a different but exact
// expression of psi; both agree to rounding (3e-8 m measured): 1e-6 m.
TEST(MercatorTest, AgreesWithProj) {
  const Proj proj("+proj=merc +lon_0=0 +k=1 +x_0=0 +y_0=0 +ellps=WGS84");
  auto rng = Rng(1569);
  for (int i = 0; i < 1500; ++i) {
    const double lat = i % 10 == 0 ? Uniform(rng, -89.99, 89.99) : Uniform(rng, -85.0, 85.0);
    DatumParams datum = Wgs84();
    LatLon p{};
    Set_Position(p, lat, Uniform(rng, -180.0, 180.0));
    MercParams merc{};
    merc.map_scale = 1000.0;
    ASSERT_EQ(Geo_To_Merc(datum, p, merc), kGeodOk);
    const PJ_XY ref = proj.Forward(Lat_Of(p), Lon_Of(p));
    ASSERT_NEAR(merc.x, ref.x, 1e-6) << lat;
    ASSERT_NEAR(merc.y, ref.y, 1e-6 + 1e-15 * std::fabs(ref.y)) << lat;
    EXPECT_NEAR(merc.psi0, 0.0, 1e-15);  // ln tan(pi/4) rounds to -1.1e-16
  }
}

// Merc_To_Geo returns the position that Geo_To_Merc projected (x, y in
// millimetres at map scale 1, as the plot window gives them), to better
// than 1e-10 rad.
TEST(MercatorTest, InverseReturnsThePosition) {
  auto rng = Rng(88);
  std::string reported;
  for (int i = 0; i < 1000; ++i) {
    DatumParams datum{};
    datum.text = "6378137.00  298.257223563 0 0 0 0 0 0 0 WGS";
    LatLon p{};
    Set_Position(p, Uniform(rng, -89.0, 89.0), Uniform(rng, -180.0, 180.0));
    MercParams merc{};
    merc.map_scale = 1.0;
    ASSERT_EQ(Geo_To_Merc(datum, p, merc), kGeodOk);
    LatLon start{};
    start.lat_hemi = 'N';
    start.lon_hemi = 'E';
    GeodBase g(datum, merc, start, [&](const std::string& text) { reported = text; });
    ASSERT_EQ(g.Merc_To_Geo(), kGeodOk);
    ASSERT_NEAR(g.position.lat_rad, p.lat_rad, 1e-10);
    ASSERT_NEAR(g.position.lon_rad, p.lon_rad, 1e-12);
    ASSERT_EQ(g.position.lat_hemi, p.lat_hemi);
    ASSERT_EQ(g.position.lon_deg, p.lon_deg);
  }
  EXPECT_EQ(reported, "") << "a complete datum string is read without complaint";
}

struct ProjCheckRow {
  const char* what;
  std::function<void(LatLon&, TMParams&)> spoil;
  int tm_code, merc_code;
};

class ProjectionChecksTest : public ::testing::TestWithParam<ProjCheckRow> {};

// The first failing check decides; nothing is written then.
TEST_P(ProjectionChecksTest, Codes) {
  const ProjCheckRow& r = GetParam();
  DatumParams datum = Wgs84();
  LatLon p{};
  Set_Position(p, 52.0, 4.0);
  TMParams tm{};
  tm.k0 = 1.0;
  tm.cm_deg = 3;
  tm.cm_hemi = 'E';
  r.spoil(p, tm);
  p.lat_rad = 9.0;
  tm.easting = tm.cm_rad = 9.0;
  Mericon m{};
  EXPECT_EQ(Geo_To_TM(datum, p, tm, m), r.tm_code) << r.what;
  if (r.tm_code != 0) {
    EXPECT_EQ(p.lat_rad, 9.0);
    EXPECT_EQ(tm.easting, 9.0);
    EXPECT_EQ(tm.cm_rad, 9.0);
    EXPECT_EQ(m.M0, 0.0);
  }
  MercParams merc{};
  merc.map_scale = 1000.0;
  merc.x = 9.0;
  p.lat_rad = 9.0;
  EXPECT_EQ(Geo_To_Merc(datum, p, merc), r.merc_code) << r.what;
  if (r.merc_code != 0) {
    EXPECT_EQ(merc.x, 9.0);
    EXPECT_EQ(p.lat_rad, 9.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProjectionChecksTest,
    ::testing::Values(
        ProjCheckRow{"valid", [](LatLon&, TMParams&) {}, 0, 0},
        ProjCheckRow{"latitude seconds 60", [](LatLon& p, TMParams&) { p.lat_sec = 60.0; },
                     kGeodLatitudeDms, kGeodLatitudeDms},
        ProjCheckRow{"longitude 181", [](LatLon& p, TMParams&) { p.lon_deg = 181; },
                     kGeodLongitudeDms, kGeodLongitudeDms},
        ProjCheckRow{"central meridian minutes 60", [](LatLon&, TMParams& t) { t.cm_min = 60; },
                     kGeodTmConstants, 0},
        ProjCheckRow{"central meridian 181", [](LatLon&, TMParams& t) { t.cm_deg = 181; },
                     kGeodTmConstants, 0},
        ProjCheckRow{"central meridian DMS before point letters",
                     [](LatLon& p, TMParams& t) {
                       p.lat_hemi = 'x';
                       t.cm_sec = -1.0;
                     },
                     kGeodTmConstants, kGeodHemisphere},
        ProjCheckRow{"letter 'n'", [](LatLon& p, TMParams&) { p.lat_hemi = 'n'; }, kGeodHemisphere,
                     kGeodHemisphere},
        ProjCheckRow{"central meridian letter 'w' is fine",
                     [](LatLon&, TMParams& t) { t.cm_hemi = 'w'; }, 0, 0},
        ProjCheckRow{"central meridian letter 'N'", [](LatLon&, TMParams& t) { t.cm_hemi = 'N'; },
                     kGeodCentralMeridianHemisphere, 0},
        ProjCheckRow{"point letters before central meridian letter",
                     [](LatLon& p, TMParams& t) {
                       p.lon_hemi = 'w';
                       t.cm_hemi = 'N';
                     },
                     kGeodHemisphere, kGeodHemisphere},
        ProjCheckRow{"latitude 90 0' 1\"",
                     [](LatLon& p, TMParams&) {
                       p.lat_deg = 90;
                       p.lat_sec = 1.0;
                     },
                     kGeodLatitudeRange, kGeodLatitudeRange},
        // the poles themselves: TM projects them, Mercator refuses them
        ProjCheckRow{"north pole",
                     [](LatLon& p, TMParams&) {
                       p.lat_deg = 90;
                       p.lat_min = 0;
                       p.lat_sec = 0.0;
                     },
                     0, kGeodLatitudeRange},
        ProjCheckRow{"south pole",
                     [](LatLon& p, TMParams&) {
                       p.lat_deg = 90;
                       p.lat_min = 0;
                       p.lat_sec = 0.0;
                       p.lat_hemi = 'S';
                     },
                     0, kGeodLatitudeRange},
        ProjCheckRow{"longitude 180 1'",
                     [](LatLon& p, TMParams&) {
                       p.lon_deg = 180;
                       p.lon_min = 1;
                     },
                     kGeodLongitudeRange, kGeodLongitudeRange},
        ProjCheckRow{"central meridian 180 1'",
                     [](LatLon&, TMParams& t) {
                       t.cm_deg = 180;
                       t.cm_min = 1;
                     },
                     kGeodLongitudeRange, 0},
        ProjCheckRow{"latitude range before longitude range",
                     [](LatLon& p, TMParams&) {
                       p.lat_deg = 90;
                       p.lat_min = 1;
                       p.lon_deg = 180;
                       p.lon_min = 1;
                     },
                     kGeodLatitudeRange, kGeodLatitudeRange}));

TEST(ProjectionChecksTest, InverseFlatteningZeroFailsTheConstants) {
  DatumParams datum{};
  datum.text = " 6378137.0 0 0 0 0 0 0 0 0 BAD";
  LatLon p{};
  Set_Position(p, 52.0, 4.0);
  TMParams tm{};
  tm.k0 = 1.0;
  tm.cm_hemi = 'E';
  Mericon m{};
  EXPECT_EQ(Geo_To_TM(datum, p, tm, m), kGeodTmConstants);
}

}  // namespace
}  // namespace oru::test
