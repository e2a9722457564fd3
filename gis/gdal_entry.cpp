// The entry function of liboru-gis.so (gis/gdal_entry.h).
#include "gis/gdal_entry.h"

#include "gis/checked_files.h"
#include "gis/gis_reader.h"
#include "gis/projected_crs.h"

extern "C" __attribute__((visibility("default"))) const void* oru_gdal_entry() {
  static const oru::GdalEntry entry{
      oru::GdalEntry::kVersion,     &oru::ReadGisTracks, &oru::WriteThinnedGisFile,
      &oru::WriteGisLines,          &oru::ProjectedCrs::FromText,
      &oru::CheckedWrites::InFolder};
  return &entry;
}
