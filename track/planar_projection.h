#pragma once

#include <cstdint>
#include <vector>

#include "geodesy/datum.h"

namespace oru {

// The arithmetic mean of the first n values: their sum in order from 0.0,
// divided by n. NaN for n = 0.
double MeanValue(std::vector<double> values, std::int64_t n);

// Projects a geographic track onto a plane for the planar measures:
// transverse Mercator (Geo_To_TM) on the ellipsoid of `datum`, scale factor
// 1 on a central meridian at the mean longitude of the track, no false
// origin. On entry `first` holds latitudes and `second` longitudes, signed
// decimal degrees; on return `first` holds eastings and `second` northings,
// metres. The first n entries are projected, in order.
//
// Central meridian: m = MeanValue(second, n), held as degrees, minutes,
// seconds of |m| (whole degrees, whole minutes, the remainder in seconds)
// with 'W' when m < 0.0 and 'E' otherwise. Each point: radians deg * (1/180)
// * pi, LatLon_To_DMS, Geo_To_TM.
//
// Accuracy is that of Geo_To_TM's series about the central meridian: within
// 0.3 mm up to 2 degrees of longitude from it, 7.5 cm up to 6 and 1.2 m up to
// 10. A track that straddles the antimeridian gets a central meridian near 0
// (the mean of longitudes near +180 and -180) and is projected uselessly;
// "ellipsoidic" is the calculation for such tracks.
//
// Domain: latitudes within +-90, longitudes within +-180 degrees; outside it
// Geo_To_TM leaves the point's easting and northing those of the point
// before (0 for the first), which is why the processing run refuses such
// tracks first. Error codes of the geodesy calls are not looked at.
void ProjectTrackToPlane(std::vector<double>& first, std::vector<double>& second, std::int64_t n,
                         DatumParams datum);

// The same on `threads` threads (1 or 2), each projecting a contiguous part
// of the track with its own records. Every point's projection depends only on
// the point, the central meridian and the datum, so the result is identical
// to ProjectTrackToPlane's for every track within the domain above.
void ProjectTrackToPlane(std::vector<double>& first, std::vector<double>& second, std::int64_t n,
                         const DatumParams& datum, int threads);

}  // namespace oru
