#include "geodesy/error_messages.h"

#include <array>
#include <utility>

#include "geodesy/error_codes.h"

namespace oru {
namespace {

constexpr const char* kToRadiansFailed =
    "\t'GeodBase' error: conversion of co-ordinates to radians failed\n";

constexpr std::array<std::pair<int, const char*>, 47> kMessages{{
    {kGeodEmptyLine, "\t'GeodBase' input error: empty line\n"},
    {kGeodEndOfInput, "\t'GeodBase': end of input\n"},
    {kGeodTooManyLetters, "\t'GeodBase' input error: too many letters\n"},
    {kGeodHemisphere, "\t'GeodBase' input error: hemisphere indication incorrect\n"},
    {kGeodTooManyNumbers,
     "\t'GeodBase' input error: too many numbers for degrees, minutes or seconds\n"},
    {kGeodLatRadAbove, "\t'GeodBase' error: latitude in radians > pi/2\n"},
    {kGeodLatRadBelow, "\t'GeodBase' error: latitude in radians < -pi/2\n"},
    {kGeodP1LatRadAbove, "\t'GeodBase' error: latitude of point 1 of geodesic in radians > pi/2\n"},
    {kGeodP1LatRadBelow,
     "\t'GeodBase' error: latitude of point 1 of geodesic in radians < -pi/2\n"},
    {kGeodP2LatRadAbove, "\t'GeodBase' error: latitude of point 2 of geodesic in radians > pi/2\n"},
    {kGeodP2LatRadBelow,
     "\t'GeodBase' error: latitude of point 2 of geodesic in radians < -pi/2\n"},
    {kGeodDatumEccentricity, "\t'GeodBase' error: datum eccentricity incorrect\n"},
    {kGeodCentralMeridian, "\t'GeodBase' error: Central meridian incorrect\n"},
    {kGeodLatitudeDms,
     "\t'GeodBase' error: degrees, minutes or seconds of latitude incorrect\n"},
    {kGeodLongitudeDms,
     "\t'GeodBase' error: degrees,  minutes or seconds of longitude incorrect\n"},
    {kGeodTmConstants, "\t'GeodBase' error: computation of TM constants failed\n"},
    {kGeodCentralMeridianHemisphere,
     "\t'GeodBase' error: hemisphere of central meridian incorrect\n"},
    {kGeodToRadians, kToRadiansFailed},
    {kGeodCentralMeridianToRadians,
     "\t'GeodBase' error: conversion of central meridian to radians failed\n"},
    {kGeodPoint1ToRadians, kToRadiansFailed},
    {kGeodAngleToRadians, "\t'GeodBase' error: conversion of angle to radians failed\n"},
    {kGeodDatumConstants, "\t'GeodBase' error: datum constants incorrect\n"},
    {kGeodMercatorRange, "\t'GeodBase' error: Mercator co-ordinates out of range\n"},
    {kGeodPerpendAllocation,
     "\t'GeodBase - Perpend' error: allocation of new 'Geo_Line' failed\n"},
    {kGeodPerpendNoConvergence, "\t'GeodBase - Perpend' error: no convergence \n"},
    {kGeodPerpendPosAzDist, "\t'GeodBase - Perpend' error: call to 'Pos_Az_Dist()' failed\n"},
    {kGeodPerpendPosAdLox, "\t'GeodBase - Perpend' error: call to 'Pos_AD_Lox()' failed\n"},
    {kGeodPerpendPosPos, "\t'GeodBase - Perpend' error: call to 'Pos_Pos()' failed\n"},
    {kGeodPerpendPosPosLox, "\t'GeodBase - Perpend' error: call to 'Pos_Pos_lox()' failed\n"},
    {kGeodCrosslineAllocation,
     "\t'GeodBase - crossline()' error: allocation of new 'Geo_Line' failed\n"},
    {kGeodCrosslineNoConvergence, "\t'GeodBase - crossline()' error: no convergence\n"},
    {kGeodCrosslinePosAzDist,
     "\t'GeodBase - crossline()' error: call to 'Pos_Az_Dist' failed\n"},
    {kGeodCrosslinePosAdLox,
     "\t'GeodBase - crossline()' error: call to 'Pos_AD_Lox()' failed\n"},
    {kGeodOutsideZone, "\t'GeodBase' error: point outside zone\n"},
    {kGeodUtmZone,
     "\t'GeodBase' error: only UTM zone 31 (CM: 3\u00b0E) and zone 32 (CM: 9\u00b0E) possible\n"},
    {kGeodLoxodromeRange, "\t'GeodBase' error: loxodrome out of range in Mercator projection\n"},
    {kGeodLinecircAllocation, "\t'GeodBase - linecirc' error: memory allocation failed\n"},
    {kGeodLinecircNoIntersection,
     "\t'GeodBase - linecirc' error: no intersection of line and circle\n"},
    {kGeodLinecircNoConvergence, "\t'GeodBase - linecirc' error: no convergence\n"},
    {kGeodLatitudeRange, "\t'GeodBase' error: latitude > 90\u00b0 or < -90\u00b0\n"},
    {kGeodLongitudeRange, "\t'GeodBase' error: longitude > 180\u00b0 or < -180\u00b0\n"},
    {kGeodE2rdXCorrections,
     "\t'GeodBase - E2RD' error: opening of 'Xcorrecties.dat' failed\n"},
    {kGeodE2rdYCorrections,
     "\t'GeodBase - E2RD' error: opening of 'Ycorrecties.dat' failed\n"},
    {kGeodE2rdAllocation,
     "\t'GeodBase - E2RD' error: allocating memory for corrections failed\n"},
    {kGeodE2rdCorrections, "\t'GeodBase - E2RD' error: use of corrections failed\n"},
    {kGeodFileRead, "\t'GeodBase' error: reading from file failed\n"},
    {kGeodFileWrite, "\t'GeodBase' error: writing to file failed\n"},
}};

}  // namespace

std::string Error_Message(int code) {
  for (const auto& [number, text] : kMessages) {
    if (number == code) return text;
  }
  return "\t'GeodBase' error: undocumented problem\n" + std::to_string(code);
}

}  // namespace oru
