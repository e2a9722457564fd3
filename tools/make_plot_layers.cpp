// make_plot_layers: writes the plot window's background files in plot metres
// (normal Mercator on WGS84, x = a lambda, y = a psi(phi), a = 6378137 m,
// through the geodesy library's Geo_To_Merc).
//
//   make_plot_layers coast WEST SOUTH EAST NORTH < shorelines.txt > File.cst
//     Reads shorelines as "lon lat" lines in decimal degrees, a line
//     beginning with '>' before each polyline (what `gmt coast -M -W` writes),
//     and writes the coastline format: "code X Y" records, record 1 the
//     south-west corner and record 2 the north-east corner of the area
//     (both code 3), then every polyline with code 3 on its first point and
//     code 2 on the others.
//   make_plot_layers blocks WEST SOUTH EAST NORTH > blokmerca.nrs
//     Writes a reference grid of offshore-style blocks over the area: each
//     whole degree of latitude and longitude is a quadrant, split into 5
//     columns of 12' by 6 rows of 10' (30 blocks). Quadrants are numbered 1,
//     2, ... row by row from the north-west corner of the area, blocks 1 to
//     30 row by row from the quadrant's north-west corner. One line per
//     block, "number X Y label" at the block's centre, number = quadrant x
//     100 + block, label "quadrant/block".
//
// Numbers are read and written without the C library's locale-dependent
// conversions.

#include <cmath>
#include <cstdint>
#include <iostream>
#include <string>

#include "numbertext/c_number_format.h"
#include "numbertext/c_number_scan.h"
#include "geodesy/datum.h"
#include "geodesy/projections.h"

namespace {

struct Area {
  double west = 0.0, south = 0.0, east = 0.0, north = 0.0;  // degrees
};

// Plot metres of a position in decimal degrees (east and north positive).
bool ToPlot(double lon, double lat, double& x, double& y) {
  static oru::DatumParams wgs84 = [] {
    oru::DatumParams d;
    d.text = oru::kWgs84DatumString;
    oru::Read_Datum(d);
    return d;
  }();
  oru::LatLon p{};
  auto split = [](double v, std::int32_t& d, std::int32_t& m, double& s) {
    const double a = std::fabs(v);
    const double deg = std::floor(a);
    const double min = std::floor((a - deg) * 60.0);
    d = static_cast<std::int32_t>(deg);
    m = static_cast<std::int32_t>(min);
    s = ((a - deg) * 60.0 - min) * 60.0;
  };
  split(lat, p.lat_deg, p.lat_min, p.lat_sec);
  split(lon, p.lon_deg, p.lon_min, p.lon_sec);
  p.lat_hemi = lat < 0.0 ? 'S' : 'N';
  p.lon_hemi = lon < 0.0 ? 'W' : 'E';
  oru::MercParams merc{};
  merc.map_scale = 1000.0;
  if (oru::Geo_To_Merc(wgs84, p, merc) != 0) return false;
  x = merc.x;
  y = merc.y;
  return true;
}

void Record(std::string& out, int code, double x, double y) {
  oru::cfmt::Int(out, code);
  out += ' ';
  oru::cfmt::Fixed(out, x, 0, 1);  // decimetres: far below a pixel at any zoom in use
  out += ' ';
  oru::cfmt::Fixed(out, y, 0, 1);
  out += '\n';
}

bool Corner(std::string& out, double lon, double lat) {
  double x = 0.0, y = 0.0;
  if (!ToPlot(lon, lat, x, y)) return false;
  Record(out, 3, x, y);
  return true;
}

int Coast(const Area& area) {
  std::string out;
  if (!Corner(out, area.west, area.south) || !Corner(out, area.east, area.north)) return 1;
  std::string line;
  bool new_line = true;
  long kept = 0;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == '>') {
      new_line = true;
      continue;
    }
    oru::cscan::Cursor c{line.data(), line.data() + line.size()};
    double lon = 0.0, lat = 0.0;
    if (!oru::cscan::Double(c, lon) || !oru::cscan::Double(c, lat)) continue;
    if (lon > 180.0) lon -= 360.0;
    double x = 0.0, y = 0.0;
    if (!ToPlot(lon, lat, x, y)) {
      new_line = true;
      continue;
    }
    Record(out, new_line ? 3 : 2, x, y);
    new_line = false;
    ++kept;
  }
  std::cout << out;
  std::cerr << "make_plot_layers: " << kept << " shoreline points\n";
  return 0;
}

int Blocks(const Area& area) {
  std::string out;
  const int columns = static_cast<int>(std::lround(area.east - area.west));
  const int rows = static_cast<int>(std::lround(area.north - area.south));
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < columns; ++col) {
      const int quadrant = row * columns + col + 1;
      const double q_north = area.north - row;
      const double q_west = area.west + col;
      for (int b = 0; b < 30; ++b) {
        const int b_row = b / 5;  // 10' rows from the north
        const int b_col = b % 5;  // 12' columns from the west
        const double lat = q_north - (b_row + 0.5) * 10.0 / 60.0;
        const double lon = q_west + (b_col + 0.5) * 12.0 / 60.0;
        double x = 0.0, y = 0.0;
        if (!ToPlot(lon, lat, x, y)) return 1;
        oru::cfmt::Int(out, quadrant * 100 + b + 1);
        out += ' ';
        oru::cfmt::Fixed(out, x, 0, 1);
        out += ' ';
        oru::cfmt::Fixed(out, y, 0, 1);
        out += ' ';
        oru::cfmt::Int(out, quadrant);
        out += '/';
        oru::cfmt::Int(out, b + 1);
        out += '\n';
      }
    }
  }
  std::cout << out;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: make_plot_layers coast|blocks WEST SOUTH EAST NORTH\n";
    return 2;
  }
  Area area;
  double* fields[] = {&area.west, &area.south, &area.east, &area.north};
  for (int i = 0; i < 4; ++i) {
    const std::string arg = argv[i + 2];
    oru::cscan::Cursor c{arg.data(), arg.data() + arg.size()};
    if (!oru::cscan::Double(c, *fields[i])) {
      std::cerr << "make_plot_layers: not a number: " << arg << '\n';
      return 2;
    }
  }
  const std::string mode = argv[1];
  if (mode == "coast") return Coast(area);
  if (mode == "blocks") return Blocks(area);
  std::cerr << "make_plot_layers: unknown mode " << mode << '\n';
  return 2;
}
