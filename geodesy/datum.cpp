#include "geodesy/datum.h"

#include "numbertext/c_number_scan.h"
#include "geodesy/error_codes.h"

namespace oru {

int Read_Datum(DatumParams& datum) {
  // "%lf %lf %lf %lf %lf %lf %lf %lf %lf %s": the first field that does not
  // convert ends the reading, as with sscanf.
  const std::string local = datum.text;
  cscan::Cursor c{local.data(), local.data() + local.size()};
  double* const fields[] = {&datum.a,  &datum.f,  &datum.dX, &datum.dY,   &datum.dZ,
                            &datum.rX, &datum.rY, &datum.rZ, &datum.scale};
  bool reading = true;
  for (double* field : fields) {
    if (!cscan::Double(c, *field)) {
      reading = false;
      break;
    }
  }
  if (reading) cscan::Word(c, datum.name);
  datum.f = 1.0 / datum.f;
  return kGeodOk;
}

int Comp_Mericon(const DatumParams& datum, Mericon& m) {
  const double f = datum.f;
  if (!(f <= 1.0)) return kGeodDatumEccentricity;
  const double e2 = (2.0 - f) * f;
  const double e4 = e2 * e2;
  const double e6 = e4 * e2;
  const double e8 = e4 * e4;
  const double e10 = e6 * e4;
  const double c = datum.a * (1.0 - e2);
  m.M0 = c * (1.0 + 3.0 / 4.0 * e2 + 45.0 / 64.0 * e4 + 175.0 / 256.0 * e6 +
              11025.0 / 16384.0 * e8 + 43659.0 / 65536.0 * e10);
  m.M1 = c * (3.0 / 4.0 * e2 + 15.0 / 16.0 * e4 + 525.0 / 512.0 * e6 + 2205.0 / 2048.0 * e8 +
              72765.0 / 65536.0 * e10) / 2.0;
  m.M2 = c * (15.0 / 64.0 * e4 + 105.0 / 256.0 * e6 + 2205.0 / 4096.0 * e8 +
              10395.0 / 16384.0 * e10) / 4.0;
  m.M3 = c * (35.0 / 512.0 * e6 + 315.0 / 2048.0 * e8 + 31185.0 / 131072.0 * e10) / 6.0;
  return kGeodOk;
}

}  // namespace oru
