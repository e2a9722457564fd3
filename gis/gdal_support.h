#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <gdal_priv.h>

namespace oru {

struct GisFormat;

// Registers GDAL's drivers of the formats in gis_formats.h, and no other, once
// per process; GDAL's messages go to the last-error record of each thread
// instead of standard error. Safe to call from any thread.
void RegisterGisDrivers();

// GDAL's message of the last failure on this thread, or `fallback` when GDAL
// recorded none.
std::string GdalReason(const char* fallback);

// Opens `path` read-only with the driver of `format` alone; null on failure,
// with the reason in GdalReason.
GDALDatasetUniquePtr OpenGisDataset(const std::string& path, const GisFormat& format);

// Why GDAL's driver of `format` could not open `path`, in the user's words
// where the file's first bytes show it: "the file is empty", "it is not
// XML", "its root element is <html>, not <gpx>", "it is not an SQLite
// database, as a GeoPackage is", "it is nested deeper than the 1024 levels
// of brackets that GDAL reads", ...; else GDAL's reason `gdal_reason`, or
// "it does not read as <title>" when GDAL gave none.
std::string WhyNotOpened(const std::string& path, const GisFormat& format,
                         const std::string& gdal_reason);

// Whether a GPX file may hold elements named `element` ("wpt", "rte"): false
// only when no "<element" or ":element" followed by '>', '/' or a blank
// occurs in it. GDAL's GPX driver parses the whole file for each of its
// layers; this scan, a small part of one parse, spares the parses of layers
// that must be empty.
bool GpxFileMayHold(const std::string& path, std::string_view element);

// Why GDAL must not be given the file, for inputs on which GDAL 3.6's
// readers are known not to return: text DXF files with a NUL byte. Nothing
// for every other file.
std::optional<std::string> RefusedByGdalGuard(const std::string& path, const GisFormat& format);

}  // namespace oru
