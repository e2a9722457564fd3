#include "gis/gdal_support.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "gis/gis_formats.h"

namespace oru {

void RegisterGisDrivers() {
  static std::once_flag once;
  std::call_once(once, [] {
    // No network access and no side files beside the inputs: ORU reads and
    // writes local files only.
    CPLSetConfigOption("GDAL_HTTP_TIMEOUT", "1");
    CPLSetConfigOption("CPL_VSIL_CURL_ALLOWED_EXTENSIONS", "none");
    CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
    CPLSetConfigOption("OGR_SQLITE_JOURNAL", "MEMORY");
    CPLSetErrorHandler(CPLQuietErrorHandler);
    GDALAllRegister();
    GDALDriverManager* manager = GetGDALDriverManager();
    std::vector<GDALDriver*> unused;
    for (int i = 0; i < manager->GetDriverCount(); ++i) {
      GDALDriver* driver = manager->GetDriver(i);
      bool ours = false;
      for (const GisFormat& format : GisFormats()) {
        ours = ours || format.driver == driver->GetDescription();
      }
      if (!ours) unused.push_back(driver);
    }
    for (GDALDriver* driver : unused) {
      manager->DeregisterDriver(driver);
      delete driver;
    }
  });
}

std::string GdalReason(const char* fallback) {
  const char* message = CPLGetLastErrorMsg();
  return message != nullptr && message[0] != '\0' ? std::string(message) : std::string(fallback);
}

namespace {

// Calls `block(text)` with the file's bytes in blocks of 1 MiB, each but the
// first beginning with the last `overlap` bytes of the one before, until it
// returns true. Reads through GDAL's file layer, so /vsimem/ files too.
// False when the file cannot be opened.
template <typename Block>
bool ScanFile(const std::string& path, std::size_t overlap, Block&& block) {
  VSILFILE* file = VSIFOpenL(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string text;
  std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    const std::size_t got = VSIFReadL(buffer.data(), 1, buffer.size(), file);
    if (got == 0) break;
    text.append(buffer.data(), got);
    if (block(std::string_view(text))) break;
    if (text.size() > overlap) text.erase(0, text.size() - overlap);
  }
  VSIFCloseL(file);
  return true;
}

// The first `n` bytes of the file (fewer when it is shorter).
std::string Head(const std::string& path, std::size_t n) {
  std::string head;
  ScanFile(path, 0, [&](std::string_view text) {
    head.assign(text.substr(0, n));
    return true;
  });
  return head;
}

// The text after a UTF-8 byte order mark and blanks.
std::string_view Content(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The name of the root element of an XML text (without a namespace
// prefix): past the declaration, comments and the document type.
std::string RootElement(std::string_view xml) {
  while (xml.starts_with("<?") || xml.starts_with("<!")) {
    const std::string_view close = xml.starts_with("<!--") ? "-->" : ">";
    const std::size_t end = xml.find(close);
    if (end == std::string_view::npos) return {};
    xml = Content(xml.substr(end + close.size()));
  }
  if (!xml.starts_with('<')) return {};
  std::string_view name = xml.substr(1, xml.find_first_of(" \t\r\n/>") - 1);
  if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
    name.remove_prefix(colon + 1);
  }
  return std::string(name);
}

// The brackets of a JSON file, outside strings: how deep they nest, and
// whether one closes a bracket of the other kind or the file ends inside a
// string or with brackets open (faults that every JSON parser refuses).
struct JsonBrackets {
  std::size_t deepest = 0;
  bool mismatched = false;  // the scan stops there
  bool ends_open = false;
};

// GDAL's JSON parser reads at most 1024 levels.
constexpr std::size_t kJsonLevels = 1024;

JsonBrackets ScanJsonBrackets(const std::string& path) {
  JsonBrackets brackets;
  std::string open;  // the kinds of the brackets not closed yet
  bool in_string = false;
  bool escaped = false;
  ScanFile(path, 0, [&](std::string_view text) {
    for (const char c : text) {
      if (in_string) {
        in_string = escaped || c != '"';
        escaped = !escaped && c == '\\';
      } else if (c == '"') {
        in_string = true;
      } else if (c == '{' || c == '[') {
        open += c;
        brackets.deepest = std::max(brackets.deepest, open.size());
        if (open.size() >= kJsonLevels) return true;  // too deep for GDAL: said first
      } else if ((c == '}' || c == ']') && !open.empty()) {
        if (open.back() != (c == '}' ? '{' : '[')) {
          brackets.mismatched = true;
          return true;
        }
        open.pop_back();
      }
    }
    return false;
  });
  brackets.ends_open = !brackets.mismatched && (in_string || !open.empty());
  return brackets;
}

// What the first bytes of a file say against its format; empty when they
// say nothing.
std::string AgainstFormat(const std::string& path, const GisFormat& format) {
  const std::string head = Head(path, 1 << 16);
  if (head.empty()) return "the file is empty";
  const std::string_view content = Content(head);
  const std::string_view driver = format.driver;
  if (driver == "GPX" || driver == "LIBKML") {
    if (!content.starts_with('<')) return "it is not XML";
    const std::string root = RootElement(content);
    const std::string wanted = driver == "GPX" ? "gpx" : "kml";
    if (!root.empty() && root != wanted) {
      return "its root element is <" + root + ">, not <" + wanted + ">";
    }
  } else if (driver == "GeoJSON") {
    if (!content.starts_with('{')) return "it is not JSON";
    const JsonBrackets brackets = ScanJsonBrackets(path);
    if (brackets.deepest >= kJsonLevels) {
      return "it is nested deeper than the 1024 levels of brackets that GDAL reads";
    }
    if (brackets.mismatched) return "its JSON is malformed: a bracket is closed by one of the other kind";
    if (brackets.ends_open) {
      return "its JSON ends before every bracket and quote is closed: the file may be cut short";
    }
  } else if (driver == "GPKG") {
    if (!head.starts_with(std::string_view("SQLite format 3\0", 16))) {
      return "it is not an SQLite database, as a GeoPackage is";
    }
  } else if (driver == "FlatGeobuf") {
    if (!head.starts_with("fgb")) return "it does not begin with FlatGeobuf's signature";
  } else if (driver == "ESRI Shapefile") {
    // The file code 9994, big-endian.
    if (!head.starts_with(std::string_view("\0\0\x27\x0A", 4))) {
      return "it does not begin with a Shapefile's header";
    }
    for (const char* extension : {".shx", ".SHX"}) {
      if (VSIStatBufL stat; VSIStatL(CPLResetExtension(path.c_str(), extension + 1), &stat) == 0) {
        return {};
      }
    }
    return std::string("its index ") + CPLResetExtension(path.c_str(), "shx") + " is missing";
  } else if (driver == "DXF") {
    if (!content.starts_with('0') && !head.starts_with("AutoCAD Binary DXF")) {
      return "it is not a DXF file";
    }
  }
  return {};
}

}  // namespace

std::string WhyNotOpened(const std::string& path, const GisFormat& format,
                         const std::string& gdal_reason) {
  if (std::string against = AgainstFormat(path, format); !against.empty()) return against;
  if (!gdal_reason.empty()) return gdal_reason;
  return "it does not read as " + std::string(format.title);
}

bool GpxFileMayHold(const std::string& path, std::string_view element) {
  auto is_end = [](char c) {
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
  };
  bool found = false;
  const bool read = ScanFile(path, element.size() + 1, [&](std::string_view text) {
    for (std::size_t at = text.find(element, 1); at != std::string_view::npos && !found;
         at = text.find(element, at + 1)) {
      const std::size_t end = at + element.size();
      found = end < text.size() && (text[at - 1] == '<' || text[at - 1] == ':') && is_end(text[end]);
    }
    return found;
  });
  return found || !read;
}

std::optional<std::string> RefusedByGdalGuard(const std::string& path, const GisFormat& format) {
  if (format.driver != "DXF") return std::nullopt;
  // GDAL 3.6's DXF reader never returns from a text file with a NUL byte;
  // binary DXF files begin with their sentinel and are left to it.
  constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
  std::optional<std::string> refusal;
  std::size_t offset = 0;
  bool first = true;
  ScanFile(path, 0, [&](std::string_view text) {
    if (first && text.starts_with(kBinarySentinel)) return true;
    first = false;
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
      refusal = "byte " + std::to_string(offset + nul + 1) + " is a NUL: not a DXF text file";
      return true;
    }
    offset += text.size();
    return false;
  });
  return refusal;
}

GDALDatasetUniquePtr OpenGisDataset(const std::string& path, const GisFormat& format) {
  RegisterGisDrivers();
  CPLErrorReset();
  const std::string driver(format.driver);
  const char* const drivers[] = {driver.c_str(), nullptr};
  // CSV: points from longitude/latitude (or X/Y) columns, or a WKT column;
  // the coordinate columns stay attributes, so rows are written back whole.
  CPLStringList options;
  if (format.driver == "CSV") {
    options.AddNameValue("X_POSSIBLE_NAMES", "lon,long,longitude,x,easting");
    options.AddNameValue("Y_POSSIBLE_NAMES", "lat,latitude,y,northing");
    options.AddNameValue("Z_POSSIBLE_NAMES", "z,ele,elevation,height");
    options.AddNameValue("GEOM_POSSIBLE_NAMES", "wkt,geometry,geom,the_geom");
    options.AddNameValue("KEEP_GEOM_COLUMNS", "YES");
  }
  return GDALDatasetUniquePtr(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                                drivers, options.List(), nullptr));
}

}  // namespace oru
