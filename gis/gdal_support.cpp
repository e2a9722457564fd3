#include "gis/gdal_support.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>

#include <fstream>
#include <mutex>
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

bool GpxFileMayHold(const std::string& path, std::string_view element) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return true;
  auto is_end = [](char c) { return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  // Blocks of 1 MiB, each beginning with the last bytes of the one before so
  // that no occurrence is cut in two.
  const std::size_t keep = element.size() + 1;
  std::string block;
  std::vector<char> buffer(std::size_t{1} << 20);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    block.append(buffer.data(), static_cast<std::size_t>(file.gcount()));
    for (std::size_t at = block.find(element, 1); at != std::string::npos;
         at = block.find(element, at + 1)) {
      const std::size_t end = at + element.size();
      if (end < block.size() && (block[at - 1] == '<' || block[at - 1] == ':') &&
          is_end(block[end])) {
        return true;
      }
    }
    if (block.size() > keep) block.erase(0, block.size() - keep);
  }
  return false;
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
