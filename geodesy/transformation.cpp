#include "geodesy/transformation.h"

#include <cmath>

#include "geodesy/angles.h"
#include "geodesy/detail.h"
#include "geodesy/error_codes.h"

namespace oru {
namespace {

constexpr int kMaxRows = 5;
constexpr int kMaxCols = 4;
constexpr int kMaxLength = 4;
constexpr int kCartPasses = 100;

bool Fits(const Matrix& A) { return A.rows >= 0 && A.rows <= kMaxRows && A.cols >= 0 && A.cols <= kMaxCols; }
bool Fits(const Vector& x) { return x.n >= 0 && x.n <= kMaxLength; }

Matrix Square3(double r0c0, double r0c1, double r0c2, double r1c0, double r1c1, double r1c2,
               double r2c0, double r2c1, double r2c2) {
  Matrix m;
  m.rows = 3;
  m.cols = 3;
  m.e[0][0] = r0c0;
  m.e[0][1] = r0c1;
  m.e[0][2] = r0c2;
  m.e[1][0] = r1c0;
  m.e[1][1] = r1c1;
  m.e[1][2] = r1c2;
  m.e[2][0] = r2c0;
  m.e[2][1] = r2c1;
  m.e[2][2] = r2c2;
  return m;
}
Matrix Rx(double t) {
  return Square3(1.0, 0.0, 0.0, 0.0, std::cos(t), std::sin(t), 0.0, -std::sin(t), std::cos(t));
}
Matrix Ry(double t) {
  return Square3(std::cos(t), 0.0, -std::sin(t), 0.0, 1.0, 0.0, std::sin(t), 0.0, std::cos(t));
}
Matrix Rz(double t) {
  return Square3(std::cos(t), std::sin(t), 0.0, -std::sin(t), std::cos(t), 0.0, 0.0, 0.0, 1.0);
}
Vector Vec3(double x, double y, double z) {
  Vector v;
  v.n = 3;
  v.e[0] = x;
  v.e[1] = y;
  v.e[2] = z;
  return v;
}

// Arc-seconds to radians: value / 3600 / 180 * pi.
double Arcsec_To_Rad(double v) { return v / 3600.0 / 180.0 * detail::kPi; }

}  // namespace

int Mat_Mul(const Matrix& A, const Matrix& B, Matrix& C) {
  if (!Fits(A) || !Fits(B) || A.cols != B.rows) return kGeodEmptyLine;
  Matrix R;
  R.rows = A.rows;
  R.cols = B.cols;
  for (int i = 0; i < R.rows; ++i) {
    for (int j = 0; j < R.cols; ++j) {
      for (int k = 0; k < A.cols; ++k) R.e[i][j] += A.e[i][k] * B.e[k][j];
    }
  }
  C = R;
  return kGeodOk;
}

int Mat_Vec_Mul(const Matrix& A, const Vector& x, Vector& y) {
  if (!Fits(A) || !Fits(x) || A.cols != x.n || A.rows > kMaxLength) return kGeodEmptyLine;
  Vector r;
  r.n = A.rows;
  for (int i = 0; i < r.n; ++i) {
    for (int k = 0; k < A.cols; ++k) r.e[i] += A.e[i][k] * x.e[k];
  }
  y = r;
  return kGeodOk;
}

int Mat_Scale(double k, const Matrix& A, Matrix& C) {
  if (!Fits(A)) return kGeodEmptyLine;
  Matrix r;
  r.rows = A.rows;
  r.cols = A.cols;
  for (int i = 0; i < r.rows; ++i) {
    for (int j = 0; j < r.cols; ++j) r.e[i][j] = k * A.e[i][j];
  }
  C = r;
  return kGeodOk;
}

int Vec_Add(const Vector& x, const Vector& y, Vector& z) {
  if (!Fits(x) || !Fits(y) || x.n != y.n) return kGeodEmptyLine;
  Vector r;
  r.n = x.n;
  for (int i = 0; i < r.n; ++i) r.e[i] = x.e[i] + y.e[i];
  z = r;
  return kGeodOk;
}

int Vec_Sub(const Vector& x, const Vector& y, Vector& z) {
  if (!Fits(x) || !Fits(y) || x.n != y.n) return kGeodEmptyLine;
  Vector r;
  r.n = x.n;
  for (int i = 0; i < r.n; ++i) r.e[i] = x.e[i] - y.e[i];
  z = r;
  return kGeodOk;
}

int Geo_To_Cart(const DatumParams& datum, LatLon& p) {
  double phi = 0.0;
  double lam = 0.0;
  const int code = detail::Check_Position(p, phi, lam);
  if (code != kGeodOk) return code;
  p.lat_rad = phi;
  p.lon_rad = lam;
  const double e2 = detail::Ecc2(datum.f);
  const double N = datum.a / std::sqrt(detail::One_Minus_E2_Sin2(e2, phi));
  const double h = p.height;
  p.X = (N + h) * std::cos(phi) * std::cos(lam);
  p.Y = (N + h) * std::cos(phi) * std::sin(lam);
  p.Z = ((1.0 - e2) * N + h) * std::sin(phi);
  return kGeodOk;
}

int Helmert_Trans(const DatumParams& datum, LatLon& p, bool to_wgs84) {
  const double rx = Arcsec_To_Rad(datum.rX);
  const double ry = Arcsec_To_Rad(datum.rY);
  const double rz = Arcsec_To_Rad(datum.rZ);
  const double s = datum.scale * 1e-6;
  const Vector T = Vec3(datum.dX, datum.dY, datum.dZ);
  const Vector P = Vec3(p.X, p.Y, p.Z);
  Matrix M;
  Matrix R;
  Vector Q;
  if (to_wgs84) {
    Mat_Mul(Rz(rz), Ry(ry), M);
    Mat_Mul(M, Rx(rx), R);
    Mat_Scale(1.0 + s, R, M);
    Mat_Vec_Mul(M, P, Q);
    Vec_Add(Q, T, Q);
  } else {
    Mat_Mul(Rx(-rx), Ry(-ry), M);
    Mat_Mul(M, Rz(-rz), R);
    Mat_Scale(1.0 / (1.0 + s), R, M);
    Vector D;
    Vec_Sub(P, T, D);
    Mat_Vec_Mul(M, D, Q);
  }
  p.X = Q.e[0];
  p.Y = Q.e[1];
  p.Z = Q.e[2];
  return kGeodOk;
}

int Cart_To_Geo(const DatumParams& datum, LatLon& p) {
  const double a = datum.a;
  const double e2 = detail::Ecc2(datum.f);
  const double X = p.X;
  const double Y = p.Y;
  const double Z = p.Z;
  const double pr = std::sqrt(X * X + Y * Y);
  double phi = 0.0;
  double lam = 0.0;
  double h = 0.0;
  if (X == 0.0 && Y == 0.0) {
    h = pr - a;
  } else {
    lam = std::atan2(Y == 0.0 ? 0.0 : Y, X);  // +0 for -0: 180 degrees comes back east
    double t = 0.0;
    double prev = 1.0;
    for (int pass = 0; pass < kCartPasses && std::fabs(t - prev) > 1e-15; ++pass) {
      prev = t;
      phi = std::atan((Z - t * e2) / ((1.0 - e2) * pr));
      const double N = a / std::sqrt(detail::One_Minus_E2_Sin2(e2, phi));
      t = Z - (1.0 - e2) * N * std::sin(phi);
    }
    const double sp = std::sin(phi);
    h = sp == 0.0 ? pr - a : t / sp;
  }
  p.lat_rad = phi;
  p.lon_rad = lam;
  p.height = h;
  LatLon_To_DMS(p);
  return kGeodOk;
}

int Datum_Trans(DatumParams& from, LatLon& in, DatumParams& to, LatLon& out) {
  double phi = 0.0;
  double lam = 0.0;
  const int code = detail::Check_Position(in, phi, lam);
  if (code != kGeodOk) return code;
  in.lat_rad = phi;
  in.lon_rad = lam;
  detail::Reread_Datum(from);
  detail::Reread_Datum(to);
  const int cart = Geo_To_Cart(from, in);
  if (cart != kGeodOk) return cart;
  Helmert_Trans(from, in, true);
  out.X = in.X;
  out.Y = in.Y;
  out.Z = in.Z;
  Helmert_Trans(to, out, false);
  Cart_To_Geo(to, out);
  return kGeodOk;
}

}  // namespace oru
