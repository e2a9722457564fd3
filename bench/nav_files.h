#pragma once

// Generated navigation files for the benchmarks: a ship's walk of 1 s fixes
// about 4 m apart near 54 N 4 E, as an NMEA 0183 log (a GGA every fix, an
// RMC every tenth, with checksums) or as UKOOA P1/90 vessel records of lines
// of 1,000 fixes. Deterministic.
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace oru::bench {

struct Walk {
  double lat = 54.0;
  double lon = 4.0;
  double heading = 0.3;
  std::mt19937_64 random{2024};
  std::normal_distribution<double> turn{0.0, 0.05};
  void Step() {
    heading += turn(random);
    lat += 4.0 * std::cos(heading) / 111250.0;
    lon += 4.0 * std::sin(heading) / 65400.0;
  }
};

inline void AppendSentence(std::string& out, const char* body) {
  unsigned sum = 0;
  for (const char* c = body; *c != '\0'; ++c) sum ^= static_cast<unsigned char>(*c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  out.append("$").append(body).append(tail);
}

// Whole degrees and the minutes rounded to the five decimals written, so
// that 59.999996 minutes are written as the next degree, not as 60.00000.
inline double Minutes(double degrees, int& whole) {
  whole = static_cast<int>(std::floor(degrees));
  double minutes = std::round((degrees - whole) * 60.0 * 1e5) / 1e5;
  if (minutes >= 60.0) {
    minutes -= 60.0;
    ++whole;
  }
  return minutes;
}

// `fixes` fixes: as many GGA sentences, and an RMC every tenth fix.
inline std::string NmeaLog(long fixes) {
  std::string text;
  Walk walk;
  char body[128];
  for (long k = 0; k < fixes; ++k) {
    walk.Step();
    const long t = k % 86400;
    int lat_deg = 0;
    int lon_deg = 0;
    const double lat_min = Minutes(walk.lat, lat_deg);
    const double lon_min = Minutes(walk.lon, lon_deg);
    std::snprintf(body, sizeof body, "GPGGA,%02ld%02ld%02ld.00,%02d%08.5f,N,%03d%08.5f,E,2,09,0.9,12.3,M,46.9,M,3.0,0120",
                  t / 3600, t / 60 % 60, t % 60, lat_deg, lat_min, lon_deg, lon_min);
    AppendSentence(text, body);
    if (k % 10 == 0) {
      std::snprintf(body, sizeof body, "GPRMC,%02ld%02ld%02ld.00,A,%02d%08.5f,N,%03d%08.5f,E,8.7,10.0,020524,,,D",
                    t / 3600, t / 60 % 60, t % 60, lat_deg, lat_min, lon_deg, lon_min);
      AppendSentence(text, body);
    }
  }
  return text;
}

// A P1/90 file of `records` vessel records, after a WGS84 header.
inline std::string P190File(long records) {
  std::string text =
      "H1500 GEODETIC DATUM AS PLOTTED WGS84     WGS84                                 \n";
  Walk walk;
  char record[96];
  for (long k = 0; k < records; ++k) {
    walk.Step();
    auto dms = [](double v, int& d, int& m, double& s) {
      d = static_cast<int>(v);
      m = static_cast<int>((v - d) * 60.0);
      s = ((v - d) * 60.0 - m) * 60.0;
      if (s >= 59.995) s = 59.99;
    };
    int lat_d, lat_m, lon_d, lon_m;
    double lat_s, lon_s;
    dms(walk.lat, lat_d, lat_m, lat_s);
    dms(walk.lon, lon_d, lon_m, lon_s);
    std::snprintf(record, sizeof record,
                  "VL%-11ld   1  %6ld%02d%02d%05.2fN%03d%02d%05.2fE%9.1f%9.1f  35.0123%06ld \n",
                  k / 1000, k % 1000 + 1, lat_d, lat_m, lat_s, lon_d, lon_m, lon_s,
                  500000.0 + k * 0.5, 5983000.0 + k * 4.0, k % 86400);
    text += record;
  }
  return text;
}

}  // namespace oru::bench
