#include "gis/gis_lines_writer.h"

#include <cpl_error.h>
#include <cpl_string.h>
#include <ogrsf_frmts.h>

#include "gis/gdal_support.h"
#include "gis/gis_formats.h"

namespace oru {

std::string WriteGisLines(const GisLinesRequest& request) {
  const std::string& path = request.output;
  RegisterGisDrivers();
  GDALDriver* driver =
      GetGDALDriverManager()->GetDriverByName(std::string(request.format->driver).c_str());
  if (driver == nullptr) return "GDAL has no driver for the output format";
  CPLErrorReset();
  GDALDatasetUniquePtr target(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!target) return "the output could not be created: " + GdalReason("GDAL gives no reason");
  OGRSpatialReference crs;
  const int epsg = request.geographic ? (request.datum == DatumChoice::Ed50 ? 4230 : 4326)
                                      : request.plane_epsg;
  if (epsg != 0 && crs.importFromEPSG(epsg) != OGRERR_NONE) {
    return "the CRS EPSG:" + std::to_string(epsg) + " could not be made: " +
           GdalReason("PROJ gives no reason");
  }
  crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);  // longitude or easting first
  CPLStringList options;
  if (request.format->driver == "CSV") options.SetNameValue("GEOMETRY", "AS_WKT");
  if (request.format->driver == "FlatGeobuf") options.SetNameValue("SPATIAL_INDEX", "NO");
  OGRLayer* layer = target->CreateLayer(TextFor(*request.format, request.layer).c_str(),
                                        epsg != 0 ? &crs : nullptr, wkbLineString, options.List());
  OGRFieldDefn name("name", OFTString);
  if (layer == nullptr || layer->CreateField(&name) != OGRERR_NONE) {
    return "the layer could not be created: " + GdalReason("GDAL gives no reason");
  }
  const bool transaction = target->StartTransaction() == OGRERR_NONE;
  for (const GisLine& line : *request.lines) {
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    feature->SetField(0, TextFor(*request.format, line.name).c_str());
    OGRLineString geometry;
    geometry.setPoints(static_cast<int>(line.x.size()), line.x.data(), line.y.data());
    feature->SetGeometry(&geometry);
    if (layer->CreateFeature(feature.get()) != OGRERR_NONE) {
      return "the line '" + line.name + "' could not be written: " +
             GdalReason("GDAL gives no reason");
    }
  }
  CPLErrorReset();
  if (transaction && target->CommitTransaction() != OGRERR_NONE) {
    return "the output could not be finished: " + GdalReason("GDAL gives no reason");
  }
  target.reset();  // closing writes what the driver still holds
  if (CPLGetLastErrorType() == CE_Failure) {
    return "the output could not be finished: " + GdalReason("GDAL gives no reason");
  }
  return {};
}

}  // namespace oru
