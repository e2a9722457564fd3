#pragma once

#include <span>
#include <string>
#include <string_view>

namespace oru {

// A file format read (and mostly written) through GDAL/OGR. The table holds
// no GDAL type, so the batch command can choose formats without GDAL's
// headers.
struct GisFormat {
  std::string_view name;         // the oru-cli name: "gpx", "gpkg", ...
  std::string_view driver;       // GDAL's driver short name
  std::string_view extensions;   // blank-separated, with the point; the first is written
  std::string_view description;  // for --list-formats
  std::string_view title;        // for messages: "GPX", "GeoPackage"
  bool writable = true;          // false: read only
  bool many_layers = true;       // false: a file holds a single layer
  // Holds longitudes and latitudes on WGS84 only (GPX; GeoJSON by RFC 7946;
  // KML): plane coordinates without a CRS would be read back as degrees.
  bool degrees_only = false;
  bool xml = false;  // an XML format (GPX, KML)
};

// Every format, in the order --list-formats prints them.
std::span<const GisFormat> GisFormats();

// The format of an oru-cli name, or null.
const GisFormat* GisFormatByName(std::string_view name);

// The format that a file's extension selects (case-insensitive), or null for
// other names, the survey formats' among them.
const GisFormat* GisFormatOfPath(std::string_view path);

// The extension that files of the format are written with (".gpx").
std::string_view WrittenExtension(const GisFormat& format);

// Text from inputs (names of layers, fields and lines; attribute values) as
// the format can hold it: valid UTF-8 (escaping/utf8_text.h: a byte that is
// not UTF-8 is read as Latin-1), and for XML formats without the characters
// XML 1.0 cannot hold (escaping/escapes.h: XmlCharacters), and for KML
// with a blank in "]]>" ("]] >").
std::string TextFor(const GisFormat& format, std::string_view text);

}  // namespace oru
