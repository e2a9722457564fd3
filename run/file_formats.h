#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gis/gis_formats.h"
#include "navformats/nav_formats.h"
#include "track/run_settings.h"

namespace oru {

// Every format a run reads or writes goes by a name (oru-cli's
// --input-format and --output-format, the Python module's keywords):
//   survey text  input "oru", "dms", "xy"; output "oru", "ascii", "kel"
//   GIS          "gpx", "gpkg", "shp", "geojson", "kml", "fgb", "csv", "dxf"
//                (gis/gis_formats.h; dxf is read only)
//   navigation   "nmea", "p190" (read only), "rtz" (written only)
// The survey text formats have no extension of their own; the others are
// also known by their extensions (".gpx", ".rtz", ...).

// How an input file is read: one of the three set.
struct ReadFormat {
  std::optional<InputFormat> survey;
  const GisFormat* gis = nullptr;
  const NavFormat* nav = nullptr;  // NMEA or P1/90
};

// How an output is written: one of the three set.
struct WriteFormat {
  std::optional<OutputFormat> survey;
  const GisFormat* gis = nullptr;  // a writable one
  const NavFormat* nav = nullptr;  // RTZ
  bool IsRtz() const { return nav != nullptr; }
  bool IsGpx() const { return gis != nullptr && gis->driver == "GPX"; }
  // The extension its files are written with (".gpx"); empty for survey text.
  std::string_view Extension() const;
};

// The format of a name, or nothing for a name that is no format or whose
// format is not read (written) at all.
std::optional<ReadFormat> ReadFormatNamed(std::string_view name);
std::optional<WriteFormat> WriteFormatNamed(std::string_view name);

// The name of a format, as ReadFormatNamed and WriteFormatNamed take it.
std::string_view FormatName(const ReadFormat& format);
std::string_view FormatName(const WriteFormat& format);

// What the extension of `path` says (case-insensitive): a format to read or
// write it in, or, when the extension names a format that goes only the
// other way, that one too (the run then says so instead of falling back).
struct ExtensionFormat {
  std::optional<ReadFormat> read;
  std::optional<WriteFormat> write;
  std::string_view name;  // the format the extension names; empty: none
};
ExtensionFormat FormatOfExtension(std::string_view path);

// The survey text format written by default after a survey input format, as
// the main window chooses it: oru/kvl after oru/kvl, ASCII after the others
// (X, Y tracks are always written as X, Y).
OutputFormat DefaultSurveyOutput(InputFormat input);

}  // namespace oru
