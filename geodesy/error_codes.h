#pragma once

namespace oru {

// Result codes of the geodesy library: 0 is success, every other value one
// of the codes below. error_messages.h turns a code into its text.
enum GeodError : int {
  kGeodOk = 0,
  kGeodEmptyLine = 1,              // also: matrix or vector dimensions do not match
  kGeodEndOfInput = 2,
  kGeodTooManyLetters = 3,
  kGeodHemisphere = 7,
  kGeodTooManyNumbers = 8,
  kGeodLatRadAbove = 9,
  kGeodLatRadBelow = 10,
  kGeodP1LatRadAbove = 11,
  kGeodP1LatRadBelow = 12,
  kGeodP2LatRadAbove = 13,
  kGeodP2LatRadBelow = 14,
  kGeodDatumEccentricity = 15,
  kGeodCentralMeridian = 16,
  kGeodLatitudeDms = 18,
  kGeodLongitudeDms = 19,
  kGeodTmConstants = 20,
  kGeodCentralMeridianHemisphere = 21,
  kGeodToRadians = 22,
  kGeodCentralMeridianToRadians = 23,
  kGeodPoint1ToRadians = 24,
  kGeodAngleToRadians = 29,
  kGeodDatumConstants = 30,
  kGeodMercatorRange = 31,
  kGeodPerpendAllocation = 33,
  kGeodPerpendNoConvergence = 34,
  kGeodPerpendPosAzDist = 35,
  kGeodPerpendPosAdLox = 36,
  kGeodPerpendPosPos = 37,
  kGeodPerpendPosPosLox = 38,
  kGeodCrosslineAllocation = 39,
  kGeodCrosslineNoConvergence = 40,
  kGeodCrosslinePosAzDist = 41,
  kGeodCrosslinePosAdLox = 42,
  kGeodOutsideZone = 46,
  kGeodUtmZone = 47,
  kGeodLoxodromeRange = 48,
  kGeodLinecircAllocation = 49,
  kGeodLinecircNoIntersection = 50,
  kGeodLinecircNoConvergence = 51,
  kGeodLatitudeRange = 52,
  kGeodLongitudeRange = 53,
  kGeodE2rdXCorrections = 54,
  kGeodE2rdYCorrections = 55,
  kGeodE2rdAllocation = 56,
  kGeodE2rdCorrections = 57,
  kGeodFileRead = 58,
  kGeodFileWrite = 59,
};

}  // namespace oru
